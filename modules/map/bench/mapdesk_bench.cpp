// A topology picture of 500 cells on a 4000 x 3000 JPEG against the reference
// server in this process: opening it up to the first paint, one zoom step
// with its repaint, saving it unchanged and saving it with every cell moved.
// The bare decoding of the JPEG and the bare updates are measured alongside
// as the lower bounds.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include "frame/proapp.h"
#include "modules/map/tpdoc.h"
#include "modules/map/tpframe.h"
#include "orb/net/orbclient.h"
#include "orb/net/orbservice.h"
#include "orb/wire/mtxfactory.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "services/types/elementobj.h"
#include "services/types/tpinfoobj.h"
#include "testsupport/recordingapp.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testclient.h"

namespace {

constexpr int CellCount = 500;
const QString Picture = QStringLiteral("bench.jpg");
const QString Pid = QStringLiteral("bench-picture");

class Service : public OrbService
{
public:
    explicit Service(const char *name) : OrbService(name) {}
    std::unique_ptr<MtxObj> createObject(const char *typeName) override
    {
        const std::string_view type(typeName);
        if (type == "Orb.TPInfoObj")
            return std::make_unique<TPInfoObj>();
        if (type == "com.Velmora.Element.ElementObj")
            return std::make_unique<ElementObj>();
        return frameworkFactory().createObject(typeName);
    }
};

// Everything the benchmarks share, made once.
struct World
{
    World()
    {
        EnsureApplication();
        if (!server.start())
            throw std::runtime_error(server.error());
        QDir().mkpath(QStringLiteral("UserImage"));
        QDir().mkpath(QStringLiteral("CellImage"));
        QImage background(4000, 3000, QImage::Format_RGB32);
        QPainter painter(&background);
        QLinearGradient gradient(0, 0, 4000, 3000);
        gradient.setColorAt(0, Qt::darkBlue);
        gradient.setColorAt(1, Qt::cyan);
        painter.fillRect(background.rect(), gradient);
        for (int i = 0; i < 200; ++i)
            painter.drawText(i * 19 % 3900, i * 37 % 2900, QStringLiteral("机房 %1").arg(i));
        painter.end();
        background.save(QStringLiteral("UserImage/") + Picture, "JPEG", 85);
        for (const char *name : {"status", "status1", "status2"}) {
            QImage bitmap(12, 12, QImage::Format_RGB32);
            bitmap.fill(Qt::green);
            bitmap.save(QStringLiteral("CellImage/%1.bmp").arg(QLatin1String(name)), "BMP");
        }

        client = std::make_unique<OrbClient>("127.0.0.1", server.port(), server.discoveryPort());
        MtxUserSession session;
        session.setUserName("admin");
        MtxStatus status;
        client->login(status, "admin", ReferenceServer::AdminPassword, "version", session);
        for (Service *service : {&tp, &elements}) {
            service->setSession(session);
            service->setClient(client.get());
        }
        app.RegisterService(QStringLiteral("TPService"), &tp);
        app.RegisterService(QStringLiteral("ElementService"), &elements);

        // 500 cells bound to the demo's elements, on a grid over the picture.
        MtxTree tree(std::make_unique<ElementObj>());
        const MtxString all("-1");
        elements.invoke("findElementTree", {&all}, &tree);
        std::vector<std::string> ids;
        collect(tree, ids);
        for (int i = 0; i < CellCount; ++i) {
            TPInfoObj cell;
            cell.set(TPInfoObj::ID, "bench-" + std::to_string(i));
            cell.set(TPInfoObj::PID, Pid.toStdString());
            cell.set(TPInfoObj::MID, ids[std::size_t(i) % ids.size()]);
            cell.set(TPInfoObj::X, std::to_string(100 + (i % 25) * 150) + ".000000");
            cell.set(TPInfoObj::Y, std::to_string(100 + (i / 25) * 140) + ".000000");
            cell.set(TPInfoObj::W, "48.000000");
            cell.set(TPInfoObj::H, "48.000000");
            cell.set(TPInfoObj::Type, "0");
            tp.invoke("addTPInfo", {&cell});
        }
    }

    static void collect(const MtxTree &tree, std::vector<std::string> &ids)
    {
        ids.push_back(static_cast<const ElementObj &>(tree.node()).get(ElementObj::ID));
        for (std::size_t i = 0; i < tree.childCount(); ++i)
            collect(*tree.child(i), ids);
    }

    ReferenceServer server;
    WorkingDirectory dir;
    RecordingApp app;
    std::unique_ptr<OrbClient> client;
    Service tp{"TPService"};
    Service elements{"ElementService"};
};

World &world()
{
    static World instance;
    return instance;
}

// A window showing the bench picture.
struct Window
{
    Window() : doc(new CTPDoc), frame(doc)
    {
        doc->StateReader().SetInterval(0);
        frame.resize(1280, 800);
    }
    bool Open() { return doc->OpenPicture(Picture, Pid); }
    void Paint() { benchmark::DoNotOptimize(frame.grab()); }

    CTPDoc *doc;
    CTPFrame frame;
};

void BM_DecodeJpegOnly(benchmark::State &state)
{
    world();
    for (auto _ : state) {
        QImage image(QStringLiteral("UserImage/") + Picture);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_DecodeJpegOnly)->Unit(benchmark::kMillisecond);

void BM_OpenToFirstPaint(benchmark::State &state)
{
    world();
    for (auto _ : state) {
        Window window;
        if (!window.Open() || window.doc->Cells().size() != CellCount)
            state.SkipWithError("the picture did not open with its cells");
        window.Paint();
    }
}
BENCHMARK(BM_OpenToFirstPaint)->Unit(benchmark::kMillisecond);

void BM_ZoomStepAndRepaint(benchmark::State &state)
{
    world();
    Window window;
    window.Open();
    window.Paint();
    bool in = true;
    for (auto _ : state) {
        in ? window.doc->ZoomIn() : window.doc->ZoomOut();
        in = !in;
        window.Paint();
    }
}
BENCHMARK(BM_ZoomStepAndRepaint)->Unit(benchmark::kMillisecond);

void BM_SaveUnchanged(benchmark::State &state)
{
    world();
    Window window;
    window.Open();
    int requests = 0;
    for (auto _ : state) {
        window.doc->Save(false);
        requests += window.doc->LastSaveRequests();
    }
    state.counters["requests"] = requests;
}
BENCHMARK(BM_SaveUnchanged)->Unit(benchmark::kMillisecond);

void BM_SaveAllCellsMoved(benchmark::State &state)
{
    world();
    Window window;
    window.Open();
    double dx = 1;
    int requests = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto &cell : window.doc->Cells())
            window.doc->SetCellGeometry(cell.get(), cell->m_rect.translated(dx, 0));
        dx = -dx;
        state.ResumeTiming();
        if (!window.doc->Save(false))
            state.SkipWithError("save failed");
        requests = window.doc->LastSaveRequests();
    }
    state.counters["requests"] = requests;
}
BENCHMARK(BM_SaveAllCellsMoved)->Unit(benchmark::kMillisecond);

// The lower bound of the save: the same 500 updates sent one after the other
// through the service object, without the document.
void BM_RawUpdates(benchmark::State &state)
{
    World &shared = world();
    Window window;
    window.Open();
    std::vector<TPInfoObj> records(window.doc->Cells().size());
    for (std::size_t i = 0; i < records.size(); ++i)
        window.doc->Cells()[i]->Write(records[i]);
    for (auto _ : state) {
        for (const TPInfoObj &record : records) {
            if (!shared.tp.invoke("updateTPInfo", {&record}).succeeded())
                state.SkipWithError("update failed");
        }
    }
    state.counters["requests"] = double(records.size());
}
BENCHMARK(BM_RawUpdates)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
