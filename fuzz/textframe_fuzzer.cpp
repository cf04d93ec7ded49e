// The short text channels: the same bytes are offered to the probe channel
// ("DT"/"DL") and to the report data channel ("DR") as their event loops
// offer them, and a complete frame is answered against a scratch database
// (an engine that runs checks only on demand, none scheduled). Also the
// frame pieces themselves: a payload split into fields is built again byte
// for byte, and a reply collected in pieces stops where it ends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzzcheck.h"
#include "fuzz/scratchserver.h"
#include "orb/textframe/replyreader.h"
#include "orb/textframe/textframe.h"
#include "server/core/dataprotocol.h"
#include "server/engine/engine.h"
#include "server/engine/probeprotocol.h"

namespace {

struct Channels
{
    Channels()
        : engine(ScratchServer::instance().state(), options()), probe(ScratchServer::instance().state(), engine),
          data(ScratchServer::instance().state())
    {
    }
    static EngineOptions options()
    {
        EngineOptions options;
        options.schedule = false;
        options.checkTimeout = std::chrono::milliseconds(200);
        return options;
    }

    Engine engine;
    ProbeProtocol probe;
    DataProtocol data;
};

void answer(RequestProtocol &channel, std::string_view bytes)
{
    if (channel.frame(bytes, 0) != requestreader::Frame::Complete)
        return;
    const std::string reply = channel.handle(bytes, ScratchServer::Peer);
    requireThat(reply.ends_with(textframe::EndMark), "channel reply without </end>", reply);
}

// A well-formed payload split into its fields gives the same frame again.
void rebuild(std::string_view bytes)
{
    textframe::Header header;
    if (textframe::parseHeader(bytes, header) != textframe::HeaderStatus::Ok
        || bytes.size() != textframe::HeaderSize + header.length)
        return;
    const textframe::Fields split = textframe::split(bytes.substr(textframe::HeaderSize));
    if (!split.tail.empty())
        return;
    std::vector<std::string> fields(split.fields.begin(), split.fields.end());
    const auto frame = textframe::build(header.kind, fields);
    const bool carriable = bytes.find_first_of("\r\n") == std::string_view::npos;
    requireThat(frame.has_value() == carriable, "a frame's fields are refused by build", bytes);
    requireThat(!frame || *frame == bytes, "a frame built from its own fields differs", bytes);
}

void collect(std::string_view bytes)
{
    ReplyReader reader(1 + bytes.size() % 512);
    const std::size_t piece = 1 + bytes.size() % 13;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        reader.feed(bytes.substr(at, piece));
    const std::string &reply = reader.reply();
    requireThat(reply.size() <= 1 + bytes.size() % 512 && bytes.starts_with(reply), "reply reader kept other bytes",
                bytes);
    requireThat((reader.state() == ReplyReader::State::Complete) == reply.ends_with(textframe::EndMark)
                    || reader.state() == ReplyReader::State::Overflow,
                "reply reader judged the end wrongly", bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Channels channels;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    answer(channels.probe, bytes);
    answer(channels.data, bytes);
    rebuild(bytes);
    collect(bytes);
    return 0;
}
