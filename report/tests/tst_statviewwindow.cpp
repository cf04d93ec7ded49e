#include <gtest/gtest.h>

#include <fstream>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "report/curveplot.h"
#include "report/measureview.h"
#include "report/reportcanvas.h"
#include "report/statprompt.h"
#include "report/statviewwindow.h"
#include "report/tests/reporttestsupport.h"
#include "report/tests/scripteddataserver.h"

namespace {

using namespace std::chrono_literals;

const char *const Library = R"(<MonitorLibrary>
  <Monitor Id="Cpu" Label="CPU 使用率" Name="Cpu">
    <Return>
      <Item Type="Float" Name="Load" Label="负载" Unit="%" Drawtable="1" Drawimage="1" DrawMeasure="1"/>
      <Item Type="Integer" Name="Procs" Label="进程数" Unit="个" Drawimage="1"/>
      <Item Type="String" Name="Top" Label="最忙进程" Drawtable="1"/>
    </Return>
  </Monitor>
</MonitorLibrary>)";

// The Float values 1, 2, 4 and the integer values 1, 2, 4: three normal
// lines and one danger line without values.
const std::string FourLines = "m1$Cpu$2026-12-8 10:0:0$0$ok$0$3$1$1$init$\r\n"
                              "m1$Cpu$2026-12-8 10:5:0$0$ok$0$3$2$2$sshd$\r\n"
                              "m1$Cpu$2026-12-8 10:10:0$1$load high$0$0$\r\n"
                              "m1$Cpu$2026-12-8 10:15:0$0$ok, quoted \"x\"$0$3$4$4$cc1plus$\r\n"
                              "</end>";

struct Prompts
{
    QStringList messages;
    QStringList questions;
    bool answer = true;
};

class StatViewWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override
    {
        CStatPrompt::SetHooks([this](const QString &text, CStatPrompt::Icon) { m_prompts.messages << text; },
                              [this](const QString &text) {
                                  m_prompts.questions << text;
                                  return m_prompts.answer;
                              });
        Write("StatView/StatView.ini", "[StatView]\nID=m1\nMonitorType=Cpu\nRecvNum=1\n");
        // Installed libraries are GBK text.
        Write("config/MonitorLibrary.config", QByteArray(QStringEncoder("GBK")(QString::fromUtf8(Library))).toStdString());
        QImage banner(200, 40, QImage::Format_RGB32);
        banner.fill(Qt::darkBlue);
        ASSERT_TRUE(banner.save(m_root.filePath("StatView/StatView_Top.bmp"), "BMP"));
    }
    void TearDown() override { CStatPrompt::SetHooks({}, {}); }

    void Write(const QString &relative, const std::string &text) { WriteFile(m_root.path(), relative, text); }

    std::unique_ptr<CStatViewWindow> Window(int port)
    {
        Write("Keelsys.ini", "[SYS]\nmainServerIP=127.0.0.1\nDataServerPort=" + std::to_string(port) + "\n");
        auto window = std::make_unique<CStatViewWindow>(StatSettings::Read(m_root.path()));
        CDataChannel::Limits limits;
        limits.connectTimeout = 1000ms;
        limits.deadline = 1500ms;
        window->Exchange().SetLimits(limits);
        window->resize(1000, 700);
        return window;
    }

    // Starts an exchange and waits for its end; its success.
    static bool Run(CStatViewWindow &window, bool (CStatViewWindow::*start)())
    {
        QSignalSpy done(&window, &CStatViewWindow::ExchangeDone);
        if (!(window.*start)())
            return false;
        EXPECT_TRUE(done.wait(5000));
        return !done.isEmpty() && done.first().at(1).toBool();
    }

    QTemporaryDir m_root;
    Prompts m_prompts;
};

TEST_F(StatViewWindowTest, QueryFillsEveryDisplay)
{
    ScriptedDataServer server;
    server.addReply(FourLines);
    auto window = Window(server.port());
    const QDateTime from(QDate(2026, 12, 8), QTime(9, 0, 0));
    const QDateTime to(QDate(2026, 12, 8), QTime(11, 0, 0));
    window->SetRange(from, to);
    ASSERT_TRUE(Run(*window, &CStatViewWindow::Query)) << m_prompts.messages.join('\n').toStdString();
    EXPECT_TRUE(m_prompts.messages.isEmpty()) << m_prompts.messages.join('\n').toStdString();
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], "DR0052GetReport$m1$Cpu$2026-12-8 9:0:0$2026-12-8 11:0:0$4$");

    CReportCanvas *canvas = window->Canvas();
    EXPECT_EQ(canvas->Title(), QStringLiteral("CPU 使用率统计报告"));
    EXPECT_EQ(canvas->CountTexts(), (QStringList{QStringLiteral("检测总数:4"), QStringLiteral("正常数:3(百分率:75)"),
                                                 QStringLiteral("危险数:1(百分率:25)"), QStringLiteral("错误数:0(百分率:0)")}));
    // The curve items are the two with Drawimage; the Float one first.
    ASSERT_EQ(canvas->ItemSelector()->count(), 2);
    QStringList panel = canvas->PanelTexts();
    EXPECT_TRUE(panel.contains(QStringLiteral("返回值名称:Load(负载)"))) << panel.join('|').toStdString();
    EXPECT_TRUE(panel.contains(QStringLiteral("检测总数:3")));
    EXPECT_TRUE(panel.contains(QStringLiteral("最大数值:4.00")));
    EXPECT_TRUE(panel.contains(QStringLiteral("平均值:2.33")));
    EXPECT_TRUE(panel.contains(QStringLiteral("检测时间从:2026-12- 8 10: 0: 0 到:2026-12- 8 10:15: 0")))
        << panel.join('|').toStdString();
    canvas->ItemSelector()->setCurrentIndex(1);
    panel = canvas->PanelTexts();
    EXPECT_TRUE(panel.contains(QStringLiteral("最大数值:4")));
    EXPECT_TRUE(panel.contains(QStringLiteral("平均值:2")));
    const CCurvePlot::Ranges ranges = canvas->Curve()->CurrentRanges();
    EXPECT_EQ(ranges.lastTime - ranges.firstTime, 15 * 60);
    EXPECT_EQ(ranges.low, 0);
    EXPECT_EQ(ranges.high, 4);

    // Text display: one row per line as received, through a checked model.
    QAbstractItemModelTester tester(window->TextView()->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    ASSERT_EQ(window->TextView()->model()->rowCount(), 4);
    EXPECT_EQ(window->TextView()->model()->index(2, 0).data().toString(),
              QStringLiteral("m1$Cpu$2026-12-8 10:10:0$1$load high$0$0$"));
    EXPECT_EQ(window->Measure()->GaugeTexts(), QStringList{QStringLiteral("负载: 最新 4.00  平均 2.33  最小 1.00  最大 4.00 %")});

    // Each display can be shown and pictured.
    window->show();
    for (auto display : {CStatViewWindow::TextDisplay, CStatViewWindow::ImageDisplay, CStatViewWindow::MeasureDisplay}) {
        window->ShowDisplay(display);
        EXPECT_EQ(window->CurrentDisplay(), display);
        EXPECT_TRUE(window->DisplayWidget(display)->isVisible());
    }
    window->ShowDisplay(CStatViewWindow::ImageDisplay);
    QApplication::processEvents();
    EXPECT_GT(canvas->Curve()->PaintedColumns(), 0);

    const QString bitmap = m_root.filePath("report.bmp");
    m_prompts.messages.clear();
    ASSERT_TRUE(window->SaveBitmap(bitmap));
    EXPECT_EQ(m_prompts.messages, QStringList{QStringLiteral("位图保存成功!")});
    const QImage saved(bitmap, "BMP");
    EXPECT_EQ(saved.size(), canvas->size());
    EXPECT_FALSE(window->SaveBitmap(m_root.filePath("missing-folder/report.bmp")));
    EXPECT_TRUE(m_prompts.messages.last().startsWith(QStringLiteral("位图保存失败!")));
    // A picture past the bound is refused before any memory is taken for it.
    const QSize shown = canvas->size();
    canvas->resize(9000, 9000);
    EXPECT_FALSE(window->SaveBitmap(m_root.filePath("huge.bmp")));
    EXPECT_TRUE(m_prompts.messages.last().contains(QStringLiteral("图像过大")));
    EXPECT_FALSE(QFile::exists(m_root.filePath("huge.bmp")));
    canvas->resize(shown);

    const QString csvPath = m_root.filePath("report.csv");
    ASSERT_TRUE(window->ExportCsv(csvPath));
    QFile csv(csvPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList rows = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0], QStringLiteral("时间,状态,备注,负载,进程数,最忙进程"));
    EXPECT_EQ(rows[1], QStringLiteral("2026-12-8 10:0:0,正常,ok,1,1,init"));
    EXPECT_EQ(rows[3], QStringLiteral("2026-12-8 10:10:0,危险,load high,,,"));
    EXPECT_EQ(rows[4], QStringLiteral("2026-12-8 10:15:0,正常,\"ok, quoted \"\"x\"\"\",4,4,cc1plus"));
}

TEST_F(StatViewWindowTest, CurveTakesInNegativeValuesAndWidensZeroSpans)
{
    CReportData data;
    data.Parse("m1$Cpu$2026-12-8 10:0:0$0$ok$0$1$-5$\r\nm1$Cpu$2026-12-8 10:0:0$0$ok$0$1$-1$\r\n", 1);
    CCurvePlot plot;
    plot.resize(500, 300);
    plot.SetCurve(&data, 0);
    CCurvePlot::Ranges ranges = plot.CurrentRanges();
    EXPECT_EQ(ranges.low, -5);
    EXPECT_EQ(ranges.high, 0);
    EXPECT_EQ(ranges.lastTime - ranges.firstTime, 60);
    QImage image(plot.size(), QImage::Format_RGB32);
    plot.render(&image);
    EXPECT_EQ(plot.PaintedColumns(), 1);

    data.Parse("m1$Cpu$2026-12-8 10:0:0$0$ok$0$1$7$\r\nm1$Cpu$2026-12-8 10:0:9$0$ok$0$1$7$\r\n", 1);
    plot.SetCurve(&data, 0);
    ranges = plot.CurrentRanges();
    EXPECT_EQ(ranges.low, 0);
    EXPECT_EQ(ranges.high, 7);
    plot.render(&image);
    EXPECT_EQ(plot.PaintedColumns(), 2);
}

TEST_F(StatViewWindowTest, FailedExchangesKeepThePreviousReport)
{
    ScriptedDataServer server;
    server.addReply(FourLines);
    // Cut before the end, then a server that keeps silent.
    server.add({{{"m1$Cpu$2026-12-8 11:0:0$0$ok$0$3$9$9$x$\r\n"}}});
    server.add({{{"m1$Cpu$"}}, true});
    auto window = Window(server.port());
    ASSERT_TRUE(Run(*window, &CStatViewWindow::Query));
    for (const char *step : {"cut reply", "silent server"}) {
        SCOPED_TRACE(step);
        m_prompts.messages.clear();
        EXPECT_FALSE(Run(*window, &CStatViewWindow::Query));
        ASSERT_EQ(m_prompts.messages.size(), 1);
        EXPECT_TRUE(m_prompts.messages[0].startsWith(QStringLiteral("数据接收不完整"))) << m_prompts.messages[0].toStdString();
        EXPECT_EQ(window->Data().LineCount(), 4);
        EXPECT_EQ(window->Canvas()->CountTexts().first(), QStringLiteral("检测总数:4"));
    }

    int deadPort = 0;
    {
        ScriptedDataServer gone;
        deadPort = gone.port();
    }
    auto unreachable = Window(deadPort);
    m_prompts.messages.clear();
    EXPECT_FALSE(Run(*unreachable, &CStatViewWindow::Query));
    ASSERT_EQ(m_prompts.messages.size(), 1);
    EXPECT_TRUE(m_prompts.messages[0].contains(QStringLiteral("无法连接数据服务器")));
    EXPECT_TRUE(m_prompts.messages[0].contains(QStringLiteral("127.0.0.1:%1").arg(deadPort)));
}

TEST_F(StatViewWindowTest, DeleteAsksFirstAndQueriesAgainAfterSuccess)
{
    ScriptedDataServer server;
    server.add({{{"<return>fail</end>"}}});
    server.addReply(CReportExchange::DeleteSucceeded);
    server.addReply("</end>");
    auto window = Window(server.port());
    window->SetRange(QDateTime(QDate(2026, 12, 1), QTime(0, 0, 0)), QDateTime(QDate(2026, 12, 2), QTime(0, 0, 0)));

    m_prompts.answer = false;
    EXPECT_FALSE(window->Delete());
    ASSERT_EQ(m_prompts.questions.size(), 1);
    EXPECT_TRUE(m_prompts.questions[0].contains(QStringLiteral("2026-12-1 0:0:0")));
    EXPECT_TRUE(m_prompts.questions[0].contains(QStringLiteral("2026-12-2 0:0:0")));
    EXPECT_TRUE(server.requests().empty());

    m_prompts.answer = true;
    EXPECT_FALSE(Run(*window, &CStatViewWindow::Delete));
    ASSERT_FALSE(m_prompts.messages.isEmpty());
    EXPECT_TRUE(m_prompts.messages.last().startsWith(QStringLiteral("删除失败"))) << m_prompts.messages.last().toStdString();

    QSignalSpy done(window.get(), &CStatViewWindow::ExchangeDone);
    ASSERT_TRUE(window->Delete());
    ASSERT_TRUE(done.wait(5000));
    EXPECT_TRUE(done.first().at(1).toBool());
    EXPECT_TRUE(m_prompts.messages.contains(QStringLiteral("删除成功")));
    // The query that follows a delete.
    if (done.size() < 2) {
        ASSERT_TRUE(done.wait(5000));
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].substr(6, 13), "DeleteReport$");
    EXPECT_EQ(requests[2].substr(6, 10), "GetReport$");
}

TEST_F(StatViewWindowTest, UnusableSettingsAndAMissingBannerAreSaidOnce)
{
    QFile::remove(m_root.filePath("StatView/StatView.ini"));
    QFile::remove(m_root.filePath("StatView/StatView_Top.bmp"));
    ScriptedDataServer server;
    auto window = Window(server.port());
    ASSERT_EQ(m_prompts.messages.size(), 1);
    EXPECT_TRUE(m_prompts.messages[0].contains(QStringLiteral("StatView_Top.bmp")));
    window->show();
    window->repaint();
    QApplication::processEvents();
    m_prompts.messages.clear();
    EXPECT_FALSE(window->Query());
    EXPECT_FALSE(window->Delete());
    ASSERT_EQ(m_prompts.messages.size(), 2);
    EXPECT_TRUE(m_prompts.messages[0].contains(QStringLiteral("没有配置要报告的监测器")));
    EXPECT_TRUE(m_prompts.questions.isEmpty());
    EXPECT_TRUE(server.requests().empty());
}

} // namespace
