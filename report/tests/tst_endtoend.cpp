#include <gtest/gtest.h>

#include <fstream>

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "report/measureview.h"
#include "report/reportcanvas.h"
#include "report/statprompt.h"
#include "report/statviewwindow.h"
#include "report/tests/reporttestsupport.h"
#include "server/core/appserver.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/types/monitorobj.h"

namespace {

// The report window against the reference server with its demo history.
class EndToEndTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override
    {
        CStatPrompt::SetHooks([this](const QString &text, CStatPrompt::Icon) { m_messages << text; },
                              [](const QString &) { return true; });
        ServerOptions options;
        options.port = 0;
        options.discovery = false;
        options.dataPort = 0;
        options.database = m_root.filePath("keelmon.db").toStdString();
        options.adminPassword = "pw-test1";
        options.demo = true;
        options.logLevel = serverlog::Level::Error;
        m_server = std::make_unique<AppServer>(options);
        m_server->start();
    }
    void TearDown() override
    {
        m_server->stop();
        CStatPrompt::SetHooks({}, {});
    }

    void Write(const QString &relative, const std::string &text) { WriteFile(m_root.path(), relative, text); }

    bool Run(CStatViewWindow &window, bool (CStatViewWindow::*start)())
    {
        QSignalSpy done(&window, &CStatViewWindow::ExchangeDone);
        if (!(window.*start)())
            return false;
        EXPECT_TRUE(done.wait(10000));
        return !done.isEmpty() && done.first().at(1).toBool();
    }

    QTemporaryDir m_root;
    std::unique_ptr<AppServer> m_server;
    QStringList m_messages;
};

TEST_F(EndToEndTest, QueryAndDeleteADemoMonitorsHistory)
{
    std::string id;
    for (const auto &monitor : m_server->storage().select(schema::monitors, Filter::all()))
        if (monitor->get(MonitorObj::MonitorType) == "2" && id.empty())
            id = monitor->get(MonitorObj::Id);
    ASSERT_FALSE(id.empty());
    Write("StatView/StatView.ini", "[StatView]\nID=" + id + "\nMonitorType=2\nRecvNum=1\n");
    Write("Keelsys.ini", "[SYS]\nmainServerIP=127.0.0.1\nDataServerPort=" + std::to_string(m_server->dataPort()) + "\n");
    Write("config/MonitorLibrary.config",
          "<MonitorLibrary><Monitor Id=\"2\" Name=\"Cpu\"><Return>"
          "<Item Type=\"Integer\" Name=\"CpuUsage\" Label=\"CpuUsage\" Unit=\"%\" Drawimage=\"1\" DrawMeasure=\"1\"/>"
          "</Return></Monitor></MonitorLibrary>");

    CStatViewWindow window(StatSettings::Read(m_root.path()));
    const QDateTime now = QDateTime::currentDateTime();
    window.SetRange(now.addSecs(-25 * 3600), now.addSecs(60));
    ASSERT_TRUE(Run(window, &CStatViewWindow::Query)) << m_messages.join('\n').toStdString();
    const int lines = window.Data().LineCount();
    EXPECT_GE(lines, 280);
    EXPECT_EQ(window.Canvas()->CountTexts().first(), QStringLiteral("检测总数:%1").arg(lines));
    EXPECT_EQ(window.Data().Statistics(0).count, lines);
    EXPECT_GT(window.Data().Statistics(0).maximum, 0);

    // Delete the last hour: the query that follows shows the rest.
    window.SetRange(now.addSecs(-3600), now.addSecs(60));
    QSignalSpy done(&window, &CStatViewWindow::ExchangeDone);
    ASSERT_TRUE(window.Delete());
    ASSERT_TRUE(done.wait(10000));
    EXPECT_TRUE(done.first().at(1).toBool()) << m_messages.join('\n').toStdString();
    // The report emptied by the delete still has a slot for every item shown.
    EXPECT_EQ(window.Data().LineCount(), 0);
    ASSERT_EQ(window.Data().ItemCount(), 1);
    EXPECT_EQ(window.Measure()->GaugeTexts().size(), 1);
    if (done.size() < 2) {
        ASSERT_TRUE(done.wait(10000));
    }
    EXPECT_EQ(window.Data().LineCount(), 0);
    window.SetRange(now.addSecs(-25 * 3600), now.addSecs(60));
    ASSERT_TRUE(Run(window, &CStatViewWindow::Query));
    EXPECT_GE(lines - window.Data().LineCount(), 11);
    EXPECT_LE(lines - window.Data().LineCount(), 13);
}

} // namespace
