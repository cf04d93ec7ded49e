// Encoding and decoding costs of the request envelope and the reply, each
// against the bare work that cannot be avoided, measured in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include <malloc.h>

#include <pugixml.hpp>

#include "orb/net/mtxreply.h"
#include "orb/net/mtxrequest.h"
#include "orb/wire/codepage.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstatus.h"

namespace {

// Freed megabyte buffers stay with the allocator instead of going back to the
// system, so that neither side of a comparison is measured mostly in page
// faults (on a shared virtual machine those dominate and swamp the ratio).
const bool allocatorKeepsMemory = [] {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    return true;
}();

// A reply whose response is an array of statuses of about targetBytes, with
// Chinese messages in the code page or plain ASCII ones.
std::string arrayReply(std::size_t targetBytes, bool chinese = true)
{
    std::string reply = "<pro-rep><service-name>AlertService</service-name><method-name>findAlertLogArray"
                        "</method-name><response><MtxArray xsi-type=\"Orb.MtxArray\">";
    const std::string message = chinese ? orb::fromUtf8("设备告警：端口断开") : "port 3 link down";
    for (int i = 0; reply.size() < targetBytes; ++i) {
        reply += "<MtxStatus xsi-type=\"Orb.MtxStatus\"><code>";
        reply += std::to_string(i);
        reply += "</code><message>";
        reply += message;
        reply += std::to_string(i % 97);
        reply += "</message></MtxStatus>";
    }
    reply += "</MtxArray></response></pro-rep>";
    return reply;
}

void BM_EncodeRequestWithArrayOf1000(benchmark::State &state)
{
    MtxArray array;
    const std::string message = orb::fromUtf8("设备告警：端口断开");
    for (int i = 0; i < 1000; ++i) {
        auto status = std::make_unique<MtxStatus>();
        status->set(std::to_string(i), message);
        array.append(std::move(status));
    }
    MtxRequest request("AlertService", "addAlertLogArray", {&array});
    std::string text;
    for (auto _ : state) {
        request.write(text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_EncodeRequestWithArrayOf1000)->Unit(benchmark::kMicrosecond);

void BM_DecodeReply(benchmark::State &state)
{
    const std::string reply = arrayReply(static_cast<std::size_t>(state.range(0)) << 20, state.range(1) != 0);
    std::size_t items = 0;
    for (auto _ : state) {
        MtxStatus status;
        MtxArray response;
        MtxReply decoder(&status, &response);
        decoder.decode(reply);
        items = response.size();
        benchmark::DoNotOptimize(items);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
    state.counters["items"] = static_cast<double>(items);
}
// Arguments: reply size in MB; 1 for Chinese messages, 0 for ASCII ones.
BENCHMARK(BM_DecodeReply)->ArgsProduct({{1, 10}, {1, 0}})->Unit(benchmark::kMillisecond);

// The floor: parse the same bytes with pugixml and copy the same two fields
// of every item into fixed fields.
void BM_RawPugixmlParseAndCopy(benchmark::State &state)
{
    struct Fields
    {
        char code[64];
        char message[64];
    };
    const std::string reply = arrayReply(static_cast<std::size_t>(state.range(0)) << 20, state.range(1) != 0);
    std::size_t items = 0;
    for (auto _ : state) {
        pugi::xml_document document;
        document.load_buffer(reply.data(), reply.size());
        std::vector<Fields> copied;
        const pugi::xml_node array = document.document_element().child("response").first_child();
        for (pugi::xml_node item = array.first_child(); item; item = item.next_sibling()) {
            Fields &fields = copied.emplace_back();
            std::strncpy(fields.code, item.child_value("code"), sizeof fields.code - 1);
            fields.code[sizeof fields.code - 1] = '\0';
            std::strncpy(fields.message, item.child_value("message"), sizeof fields.message - 1);
            fields.message[sizeof fields.message - 1] = '\0';
        }
        items = copied.size();
        benchmark::DoNotOptimize(items);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_RawPugixmlParseAndCopy)->ArgsProduct({{1, 10}, {1, 0}})->Unit(benchmark::kMillisecond);

} // namespace
