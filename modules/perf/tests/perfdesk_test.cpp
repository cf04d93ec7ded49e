#include <gtest/gtest.h>

#include <QDir>
#include <QAbstractItemModelTester>
#include <QAction>
#include <QImage>
#include <QMdiArea>
#include <QToolBar>
#include <QTest>
#include <QTreeView>

#include "frame/localtext.h"
#include "frame/probaseframedoc.h"
#include "frame/prochildframe.h"
#include "frame/procommands.h"
#include "modules/perf/statuslistmodel.h"
#include "modules/perf/watchdoc.h"
#include "modules/perf/watchframe.h"
#include "modules/perf/watchmodule.h"
#include "modules/perf/watchtypemodel.h"
#include "orb/net/orbclient.h"
#include "orb/net/orbservice.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "services/types/syslogobj.h"
#include "services/types/systypeobj.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testhostapp.h"

namespace {

// Reads the server's operation log (only its own record type is needed).
class OperationLog : public OrbService
{
public:
    OperationLog() : OrbService("SecurityService") {}
    std::unique_ptr<MtxObj> createObject(const char *typeName) override
    {
        if (std::string_view(typeName) == "com.Velmora.Security.SysLogObj")
            return std::make_unique<SysLogObj>();
        return frameworkFactory().createObject(typeName);
    }
};

// Titles of today's operation log entries of user, read as admin.
QStringList LogTitles(int port, const char *user)
{
    OrbClient client("127.0.0.1", port, port);
    MtxUserSession session;
    session.setUserName("admin");
    MtxStatus status;
    client.login(status, "admin", ReferenceServer::AdminPassword, "version", session);
    EXPECT_TRUE(status.succeeded()) << status.getMessage();
    OperationLog log;
    log.setSession(session);
    log.setClient(&client);
    const auto day = [](const QDate &date) {
        return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day()).toStdString();
    };
    const MtxString from(day(QDate::currentDate().addDays(-1)).c_str());
    const MtxString to(day(QDate::currentDate().addDays(1)).c_str());
    MtxArray entries;
    entries.setFactory(&log);
    status = log.invoke("selectSysLogArray", {&from, &to}, &entries);
    EXPECT_TRUE(status.succeeded()) << status.getMessage();
    QStringList titles;
    for (const auto &item : entries) {
        if (const auto *entry = dynamic_cast<const SysLogObj *>(item.get()); entry && entry->get(SysLogObj::User) == user)
            titles.append(fromLocal(entry->get(SysLogObj::Title)));
    }
    return titles;
}

void SetNode(MtxTree &tree, const char *number, const char *name)
{
    auto &record = static_cast<SysTypeObj &>(tree.node());
    record.set(SysTypeObj::No, number);
    record.set(SysTypeObj::NodeName, name);
}

TEST(WatchTypeModel, ShowsTheTreeBelowANamedRoot)
{
    MtxTree tree(std::make_unique<SysTypeObj>());
    SetNode(tree, "1", "root");
    SetNode(tree.appendChild(), "2", "cpu");
    MtxTree &disk = tree.appendChild();
    SetNode(disk, "3", "disk");
    SetNode(disk.appendChild(), "31", "c");
    SetNode(disk.appendChild(), "32", "d");

    CWatchTypeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetTree(tree);
    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex root = model.index(0, 0);
    EXPECT_EQ(root.data().toString(), QStringLiteral("root"));
    EXPECT_EQ(root.data(CWatchTypeModel::NumberRole).toInt(), 1);
    ASSERT_EQ(model.rowCount(root), 2);
    const QModelIndex diskIndex = model.index(1, 0, root);
    EXPECT_EQ(diskIndex.data().toString(), QStringLiteral("disk"));
    ASSERT_EQ(model.rowCount(diskIndex), 2);
    EXPECT_EQ(model.index(1, 0, diskIndex).data(CWatchTypeModel::NumberRole).toInt(), 32);
    EXPECT_EQ(model.parent(model.index(1, 0, diskIndex)), diskIndex);

    SetNode(tree, "1", "");
    model.SetTree(tree);
    EXPECT_EQ(model.rowCount(), 0) << "a root without a name gives an empty tree";
}

TEST(StatusListModel, HoldsTitleAndLines)
{
    CStatusListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.Title(), QStringLiteral("系统性能"));
    model.SetLines({QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(1, 0).data().toString(), QStringLiteral("b"));
    model.Reset(QStringLiteral("cpu"));
    EXPECT_EQ(model.Title(), QStringLiteral("cpu"));
    EXPECT_EQ(model.rowCount(), 0);
}

// Keelsys.ini for the host with CatalogSvc and PerfDesk from the build against server.
void WriteSettings(const ReferenceServer &server)
{
    const QDir bin(qEnvironmentVariable("KEEL_BIN_DIR"));
    WriteKeelsysIni(QStringLiteral("[SYS]\nmainServerIP=127.0.0.1\nmainServerPort=%1\ndomainPort=%1\n"
                                   "[SYSTEMSERVICE]\nserviceCount=1\nservice0.name=SysService\nservice0.DLLname=%2\n"
                                   "[SYSTEMMODULE]\nmoduleCount=1\nmodule0.name=Watch\nmodule0.group=系统\n"
                                   "module0.DLLname=%3\n")
                        .arg(server.port())
                        .arg(bin.filePath(QStringLiteral("libCatalogSvc.so")), bin.filePath(QStringLiteral("libPerfDesk.so"))));
}

// The library the build makes is the one the host loads.
TEST(PerfDesk, LibraryLoadsIntoTheHost)
{
    ReferenceServer server;
    ASSERT_TRUE(server.start()) << server.error();
    WorkingDirectory dir;
    WriteSettings(server);
    TestHostApp app;
    app.SetCredentials(QStringLiteral("admin"), QString::fromLatin1(ReferenceServer::AdminPassword), QStringLiteral("cn"));
    ASSERT_TRUE(app.InitInstance()) << app.messages.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(app.ModuleLibraries().size(), 1);
    EXPECT_TRUE(app.ModuleLibraries().first().endsWith(QStringLiteral("/libPerfDesk.so")));
    CProModule *module = app.Modules().value(QStringLiteral("Watch"));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->GetVersion(), QStringLiteral("2.00"));
}

// The whole chain with the module linked into the test: the host logs in to
// the reference server, loads CatalogSvc, and the module shows the server's
// watch types and lines.
TEST(PerfDesk, ShowsWatchTypesAndStatusLinesFromTheServer)
{
    ReferenceServer server;
    ASSERT_TRUE(server.start()) << server.error();
    {
        WorkingDirectory dir;
        WriteSettings(server);
        // The window paints while calls wait: its background picture is there.
        QImage background(8, 8, QImage::Format_RGB32);
        background.fill(Qt::white);
        ASSERT_TRUE(background.save(QStringLiteral("Keelmon.bmp"), "BMP"));
        TestHostApp app;
        app.LinkModule(QDir(qEnvironmentVariable("KEEL_BIN_DIR")).filePath(QStringLiteral("libPerfDesk.so")),
                       [] { return std::make_unique<CWatchModule>(); });
        app.SetCredentials(QStringLiteral("admin"), QString::fromLatin1(ReferenceServer::AdminPassword), QStringLiteral("cn"));
        ASSERT_TRUE(app.InitInstance()) << app.messages.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(app.IsLoggedIn());
        EXPECT_EQ(app.GetProfileString("SYS", QStringLiteral("sysdefaultuser")), QStringLiteral("admin"));
        EXPECT_STREQ(app.GetService(QStringLiteral("SysService"))->getSession().getUserName(), "admin");

        app.OpenModule(QStringLiteral("Watch"));
        auto *frame = qobject_cast<CWatchFrame *>(app.GetMainFrame()->MdiArea()->activeSubWindow());
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(app.GetMainFrame()->Title(), QStringLiteral("Keelmon 2.0 (网络运维平台)- Watch"));
        QToolBar *toolBar = app.GetMainFrame()->ModuleToolBar();
        ASSERT_NE(toolBar, nullptr);
        QList<int> commands;
        for (QAction *action : toolBar->actions())
            commands.append(action->data().toInt());
        EXPECT_EQ(commands, (QList<int>{32771, 32774, 32773}));

        CWatchTypeModel *types = &frame->Document()->TypeModel();
        CStatusListModel *lines = &frame->Document()->StatusModel();
        QTreeView *tree = frame->LeftView();
        ASSERT_EQ(types->rowCount(), 1) << app.messages.join(QLatin1Char('|')).toStdString();
        const QModelIndex root = types->index(0, 0);
        ASSERT_GT(types->rowCount(root), 0);
        EXPECT_EQ(lines->property("title").toString(), root.data().toString()) << "the root's status shows at open";
        EXPECT_GT(lines->rowCount(), 0);

        // The arrow keys move the current node, and the right view follows.
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Down);
        EXPECT_EQ(lines->property("title").toString(), types->index(0, 0, root).data().toString());

        // Every type answers; at least one has lines, and the title follows the choice.
        int typesWithLines = 0;
        for (int row = 0; row < types->rowCount(root); ++row) {
            const QModelIndex type = types->index(row, 0, root);
            emit tree->clicked(type);
            EXPECT_EQ(lines->Title(), type.data().toString());
            typesWithLines += lines->rowCount() > 0;
        }
        EXPECT_GT(typesWithLines, 0);
        EXPECT_TRUE(app.messages.isEmpty()) << app.messages.join(QLatin1Char('|')).toStdString();

        app.GetMainFrame()->RouteCommand(32774);
        EXPECT_EQ(types->rowCount(), 1) << "刷新 fetches the same tree again";

        // 32771 logs in again as the current user with the current password,
        // says so, and the server still counts one session for the user here.
        app.GetMainFrame()->RouteCommand(32771);
        EXPECT_EQ(app.messages, QStringList{QStringLiteral("重新登录成功（用户 admin）")});
        app.messages.clear();
        // 刷新 reset the model: the root is asked for again.
        const QModelIndex newRoot = types->index(0, 0);
        emit tree->clicked(newRoot);
        EXPECT_EQ(lines->property("title").toString(), newRoot.data().toString());
        QStringList sessionLines;
        for (int row = 0; row < lines->rowCount(); ++row) {
            const QString line = lines->index(row, 0).data().toString();
            if (line.contains(QStringLiteral("会话")))
                sessionLines.append(line);
        }
        ASSERT_EQ(sessionLines.size(), 1) << sessionLines.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(sessionLines.first().contains(QStringLiteral("(1 个会话)"))) << sessionLines.first().toStdString();
        app.SetPassword(QStringLiteral("not-the-password"));
        app.GetMainFrame()->RouteCommand(32771);
        EXPECT_EQ(app.messages.size(), 1) << "a refused login shows the server's message";

        app.GetMainFrame()->RouteCommand(ProCommand::CloseDocument);
        EXPECT_EQ(app.GetMainFrame()->Title(), QStringLiteral("Keelmon 2.0 (网络运维平台)"));
        EXPECT_FALSE(LogTitles(server.port(), "admin").contains(QStringLiteral("注销")));
    }
    // The host logs off when it exits.
    EXPECT_TRUE(LogTitles(server.port(), "admin").contains(QStringLiteral("注销")));
}

} // namespace
