#include "modules/map/tests/mapfixture.h"

#include "server/core/schema.h"
#include "server/storage/storage.h"

#include <QDir>
#include <QImage>
#include <QMdiArea>

#include "frame/promainframe.h"
#include "modules/map/tpdoc.h"
#include "modules/map/tpframe.h"
#include "modules/map/tpmodule.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxfactory.h"
#include "orb/wire/mtxtree.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/types/elementobj.h"
#include "services/types/tpinfoobj.h"
#include "testsupport/loopback.h"

namespace {

const std::string MethodOpen = "<method-name>";
const std::string MethodClose = "</method-name>";

class Records : public MtxFactory
{
public:
    std::unique_ptr<MtxObj> createObject(const char *typeName) override
    {
        if (std::string_view(typeName) == "Orb.TPInfoObj")
            return std::make_unique<TPInfoObj>();
        return frameworkFactory().createObject(typeName);
    }
};

void WritePicture(const QString &path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path)) << path.toStdString();
}

void FindElement(const MtxTree &tree, const std::string &text, std::string &id)
{
    const auto &element = static_cast<const ElementObj &>(tree.node());
    if (element.get(ElementObj::Text) == text)
        id = element.get(ElementObj::ID);
    for (std::size_t i = 0; i < tree.childCount() && id.empty(); ++i)
        FindElement(*tree.child(i), text, id);
}

} // namespace

void MapFixture::SetUp()
{
    ASSERT_TRUE(server.start()) << server.error();
    relay = std::make_unique<testing_support::FakeTcpServer>([this](testing_support::Peer &peer) { Relay(peer); });
    dir = std::make_unique<WorkingDirectory>();
    QDir here = QDir::current();
    here.mkdir(QStringLiteral("UserImage"));
    here.mkdir(QStringLiteral("CellImage"));
    WritePicture(QStringLiteral("UserImage/总拓扑.jpg"), {800, 600}, Qt::darkCyan);
    WritePicture(QStringLiteral("UserImage/北京机房.jpg"), {640, 480}, Qt::darkGreen);
    WritePicture(QStringLiteral("UserImage/上海机房.jpg"), {640, 480}, Qt::darkBlue);
    const QColor states[] = {Qt::green, Qt::yellow, Qt::red};
    for (int state = 0; state < 3; ++state)
        WritePicture(QStringLiteral("CellImage/status%1.bmp").arg(state ? QString::number(state) : QString()), {12, 12},
                     states[state]);

    const QDir bin(qEnvironmentVariable("KEEL_BIN_DIR"));
    WriteKeelsysIni(QStringLiteral("[SYS]\nmainServerIP=127.0.0.1\nmainServerPort=%1\ndomainPort=%2\n"
                                   "[SYSTEMSERVICE]\nserviceCount=2\nservice0.name=TPService\nservice0.DLLname=%3\n"
                                   "service1.name=ElementService\nservice1.DLLname=%4\n"
                                   "[SYSTEMMODULE]\nmoduleCount=1\nmodule0.name=TP\nmodule0.group=拓扑\n"
                                   "module0.DLLname=%5\n[TP]\nStateRefreshSeconds=0\n")
                        .arg(relay->port())
                        .arg(server.discoveryPort())
                        .arg(bin.filePath(QStringLiteral("libMapSvc.so")), bin.filePath(QStringLiteral("libInventorySvc.so")),
                             bin.filePath(QStringLiteral("libMapDesk.so"))));
    app = std::make_unique<App>();
    app->LinkModule(bin.filePath(QStringLiteral("libMapDesk.so")), [] { return std::make_unique<CTPModule>(); });
    app->SetCredentials(QStringLiteral("admin"), QString::fromLatin1(ReferenceServer::AdminPassword), QStringLiteral("cn"));
    ASSERT_TRUE(app->InitInstance()) << Messages().toStdString();
    direct = std::make_unique<TestClient>(server.port(), server.discoveryPort());
    ASSERT_TRUE(direct->login("admin", ReferenceServer::AdminPassword).succeeded());

    app->OpenModule(QStringLiteral("TP"));
    m_frame = qobject_cast<CTPFrame *>(app->GetMainFrame()->MdiArea()->activeSubWindow());
    ASSERT_NE(m_frame, nullptr);
    ASSERT_TRUE(Doc()->IsLoaded()) << Messages().toStdString();
    app->messages.clear(); // the host's own start-up notes
}

void MapFixture::TearDown()
{
    if (app) {
        app->answer = false;
        app->answers = {false, true}; // leave unsaved changes behind
        app->ExitInstance();
    }
    app.reset();
    direct.reset();
    dir.reset();
    relay.reset();
}

CTPDoc *MapFixture::Doc() const
{
    return m_frame ? m_frame->Document() : nullptr;
}

CTPCell *MapFixture::CellBoundTo(const std::string &elementId) const
{
    for (const auto &cell : Doc()->Cells()) {
        if (cell->m_mid.toStdString() == elementId)
            return cell.get();
    }
    return nullptr;
}

void MapFixture::Relay(testing_support::Peer &peer)
{
    std::string request = peer.readRequest();
    if (request.empty())
        return; // a pooled connection closed unused
    const std::size_t open = request.find(MethodOpen);
    const std::size_t close = open == std::string::npos ? open : request.find(MethodClose, open);
    if (close != std::string::npos) {
        const std::size_t start = open + MethodOpen.size();
        const std::string method = request.substr(start, close - start);
        std::lock_guard lock(m_mutex);
        m_methods.push_back(method);
        if (method == m_refused && (m_refuseNth == 0 || ++m_seen == m_refuseNth))
            request.insert(close, "Refused");
    }
    peer.send(exchangeOnLoopback(server.port(), request));
}

void MapFixture::Refuse(const std::string &method, int nth)
{
    std::lock_guard lock(m_mutex);
    m_refused = method;
    m_refuseNth = nth;
    m_seen = 0;
}

void MapFixture::StopRefusing()
{
    Refuse(std::string(), -1);
}

std::vector<std::string> MapFixture::Requests() const
{
    std::lock_guard lock(m_mutex);
    return m_methods;
}

int MapFixture::RequestCount(const std::string &method) const
{
    const auto methods = Requests();
    return int(std::count(methods.begin(), methods.end(), method));
}

void MapFixture::ClearRequests()
{
    std::lock_guard lock(m_mutex);
    m_methods.clear();
}

std::vector<TPInfoObj> MapFixture::StoredCells(const std::string &pid)
{
    Records factory;
    MtxArray array;
    array.setFactory(&factory);
    const MtxStatus status = direct->callText("TPService", "findTPInfoArrayByPID", {pid}, &array);
    EXPECT_TRUE(status.succeeded()) << messageOf(status);
    std::vector<TPInfoObj> cells;
    for (const auto &item : array)
        cells.push_back(static_cast<const TPInfoObj &>(*item));
    return cells;
}

std::string MapFixture::ElementId(const char *name)
{
    MtxTree tree(std::make_unique<ElementObj>());
    const MtxStatus status = direct->callText("ElementService", "findElementTree", {"-1"}, &tree);
    EXPECT_TRUE(status.succeeded()) << messageOf(status);
    std::string id;
    FindElement(tree, local(name), id);
    EXPECT_FALSE(id.empty()) << name;
    return id;
}

void MapFixture::SetElementState(const std::string &id, const char *state)
{
    // Results are the engine's to write (updateElement keeps them): set the
    // state in storage, as a check would leave it.
    const int changed = server.server().storage().updateFields(schema::elements, Filter::where(ElementObj::ID, id),
                                                                {{ElementObj::LastState, state}});
    ASSERT_EQ(changed, 1) << id;
}
