// The report program on a reply of 1,000,000 lines, each path beside the bare
// lower bound measured in the same run: parse and statistics (against one
// pass counting the line ends), receiving on loopback (against a plain recv
// loop), repainting the curve (against one pass over the values) and opening
// the text display.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include <QApplication>
#include <QImage>
#include <QListView>

#include "report/curveplot.h"
#include "report/datachannel.h"
#include "report/replylinemodel.h"
#include "report/reportdata.h"
#include "report/tests/scripteddataserver.h"

namespace {

constexpr int Lines = 1000000;
constexpr int Items = 2;

// A day of five-second checks of one monitor, as the data server writes them.
const QByteArray &Reply()
{
    static const QByteArray reply = [] {
        QByteArray text;
        text.reserve(Lines * 100);
        const int64_t start = CReportData::FromCivil({2026, 12, 1, 0, 0, 0});
        char line[256];
        for (int i = 0; i < Lines; ++i) {
            const int64_t time = start + i * 5;
            const CReportData::Civil c = CReportData::ToCivil(time);
            const int state = i % 50 == 0 ? 2 : i % 7 == 0 ? 1 : 0;
            const int load = 20 + (i * 37) % 70;
            const int length = std::snprintf(line, sizeof line,
                                             "7f1c2a9e-0000-4000-8000-000000000001$2$%d-%d-%d %d:%d:%d$%d$CpuUsage=%d$%lld$2$%d$%d.%d$\r\n",
                                             c.year, c.month, c.day, c.hour, c.minute, c.second, state, load,
                                             static_cast<long long>(time), load, i % 13, i % 10);
            text.append(line, length);
        }
        text.append("</end>");
        return text;
    }();
    return reply;
}

const CReportData &Parsed()
{
    static const CReportData data = [] {
        CReportData parsed;
        parsed.Parse(Reply(), Items);
        return parsed;
    }();
    return data;
}

QApplication &Application()
{
    static int argc = 1;
    static char name[] = "report_bench";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}

void BM_LineEndsCounted(benchmark::State &state)
{
    const QByteArray &reply = Reply();
    for (auto _ : state) {
        const char *pos = reply.constData();
        const char *const end = pos + reply.size();
        size_t lines = 0;
        while ((pos = static_cast<const char *>(std::memchr(pos, '\n', size_t(end - pos))))) {
            ++lines;
            ++pos;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * reply.size());
}
BENCHMARK(BM_LineEndsCounted)->Unit(benchmark::kMillisecond);

void BM_ParseAndStatistics(benchmark::State &state)
{
    const QByteArray &reply = Reply();
    CReportData data;
    for (auto _ : state) {
        data.Parse(reply, Items);
        benchmark::DoNotOptimize(data.Statistics(1).sum);
    }
    state.SetBytesProcessed(state.iterations() * reply.size());
    state.counters["lines"] = data.LineCount();
    // What a parsed reply holds, reply included, against the reply's size.
    state.counters["memory_x_reply"] = double(reply.size() + data.ParsedBytes()) / double(reply.size());
}
BENCHMARK(BM_ParseAndStatistics)->Unit(benchmark::kMillisecond);

// The reply from a scripted server, read with a plain recv loop.
void BM_ReceiveBareSocket(benchmark::State &state)
{
    ScriptedDataServer server;
    const std::string reply = Reply().toStdString();
    std::vector<char> buffer(256 * 1024);
    for (auto _ : state) {
        state.PauseTiming();
        server.addReply(reply);
        state.ResumeTiming();
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(server.port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::send(fd, "DR0000", 6, 0);
        size_t total = 0;
        for (ssize_t n; (n = ::recv(fd, buffer.data(), buffer.size(), 0)) > 0;)
            total += size_t(n);
        ::close(fd);
        if (total != reply.size())
            state.SkipWithError("short read");
    }
    state.SetBytesProcessed(state.iterations() * int64_t(reply.size()));
}
BENCHMARK(BM_ReceiveBareSocket)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReceiveReply(benchmark::State &state)
{
    ScriptedDataServer server;
    const std::string reply = Reply().toStdString();
    for (auto _ : state) {
        state.PauseTiming();
        server.addReply(reply);
        state.ResumeTiming();
        const CDataChannel::Result result = CDataChannel::Exchange("127.0.0.1", server.port(), "DR0000", {});
        if (!result.Complete() || result.reply.size() != reply.size())
            state.SkipWithError(result.error.c_str());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(reply.size()));
}
BENCHMARK(BM_ReceiveReply)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ValuesVisited(benchmark::State &state)
{
    const CReportData &data = Parsed();
    for (auto _ : state) {
        double sum = 0;
        for (int line = 0; line < data.LineCount(); ++line)
            sum += data.Value(line, 1) + double(data.Time(line));
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ValuesVisited)->Unit(benchmark::kMillisecond);

void BM_CurveRepaint(benchmark::State &state)
{
    Application();
    CCurvePlot plot;
    plot.resize(960, 320);
    plot.SetCurve(&Parsed(), 1);
    QImage image(plot.size(), QImage::Format_RGB32);
    for (auto _ : state)
        plot.render(&image);
    state.counters["columns"] = plot.PaintedColumns();
}
BENCHMARK(BM_CurveRepaint)->Unit(benchmark::kMillisecond);

// From the parsed reply to the first picture of the text display.
void BM_TextDisplayOpen(benchmark::State &state)
{
    Application();
    QImage image(QSize(1000, 700), QImage::Format_RGB32);
    for (auto _ : state) {
        CReplyLineModel model;
        QListView view;
        view.setUniformItemSizes(true);
        view.setModel(&model);
        view.resize(image.size());
        model.SetReport(&Parsed());
        view.render(&image);
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_TextDisplayOpen)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
