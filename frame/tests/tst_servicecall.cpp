// A document's server call runs off the user-interface thread: the window
// paints on, the calling document takes no input, Cancel ends the call at
// once, a lost server gets its own message and the status bar shows the link
// down until a call gets through again.

#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include "frame/callprogress.h"
#include "frame/servicecall.h"
#include "testsupport/recordingapp.h"
#include "orb/net/orbclient.h"
#include "testsupport/fakeserver.h"
#include "orb/wire/mtxstring.h"

using namespace std::chrono_literals;
using testing_support::FakeTcpServer;
using testing_support::FakeUdpResponder;
using testing_support::Peer;

namespace {

// An application whose "sys" client talks to a loopback server, with waits
// short enough for a test.
class CallApp : public RecordingApp
{
public:
    CallApp(int port, int discoveryPort)
    {
        m_previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        WriteProfileString("SYS", QStringLiteral("mainServerIP"), QStringLiteral("127.0.0.1"));
        WriteProfileInt("SYS", QStringLiteral("mainServerPort"), port);
        WriteProfileInt("SYS", QStringLiteral("domainPort"), discoveryPort);
        WriteProfileInt("SYS", QStringLiteral("calltimeout"), 3);
        // Shorter than the default, so the progress window in time shows the setting is used.
        WriteProfileInt("SYS", QStringLiteral("progressdelay"), 150);
        EXPECT_TRUE(InitServiceSystem());
        EXPECT_EQ(ProgressDelayMs(), 150);
        OrbClient::Timeouts timeouts = GetClient()->timeouts();
        EXPECT_EQ(timeouts.call, 3s) << "SYS/calltimeout is read";
        timeouts.connect = timeouts.send = 1s;
        timeouts.receive = 10s;
        timeouts.discoveryReceive = 20ms;
        timeouts.discoveryPause = 1ms;
        GetClient()->setTimeouts(timeouts);
        GetClient()->setDiscoveryFallbackPort(discoveryPort);
        GetClient()->setClient(GetClient());
    }
    ~CallApp() override { QDir::setCurrent(m_previous); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Counts what reaches it.
class Document : public QWidget
{
public:
    int paints = 0;
    int clicks = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
    void mousePressEvent(QMouseEvent *) override { ++clicks; }
};

CCallProgress *VisibleProgress()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *progress = qobject_cast<CCallProgress *>(widget); progress && progress->isVisible())
            return progress;
    }
    return nullptr;
}

MtxStatus CallFrom(CProApp &app, QWidget *caller)
{
    return RunServerCall(
        [&app] {
            MtxString argument("x");
            MtxString response;
            return app.GetClient()->invoke("m", {&argument}, &response);
        },
        caller);
}

} // namespace

TEST(ServerCall, WindowPaintsWhileTheServerIsSilentAndCancelEndsTheCallAtOnce)
{
    std::atomic<bool> answering{true};
    FakeTcpServer server([&answering](Peer &peer) {
        if (peer.readRequest().empty())
            return;
        if (answering)
            peer.send(testing_support::stringReply("m", "ok"));
        peer.waitForClientClose();
    });
    FakeUdpResponder discovery;
    CallApp app(server.port(), discovery.port());
    app.setLogin(QStringLiteral("u"), QStringLiteral("p"), QStringLiteral("cn"));
    Document document;
    document.resize(200, 100);
    document.show();

    EXPECT_TRUE(CallFrom(app, &document).succeeded());
    answering = false; // the server stops answering mid-session

    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, &document, [&document] { document.update(); });
    repaint.start(20);
    QString progressText;
    QElapsedTimer sinceCancel;
    int paintsBeforeCancel = 0;
    ASSERT_LT(app.ProgressDelayMs() + 300, CProApp::DefaultProgressDelayMs);
    QTimer::singleShot(app.ProgressDelayMs() + 300, [&] {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&document, &press);
        paintsBeforeCancel = document.paints;
        CCallProgress *progress = VisibleProgress();
        ASSERT_NE(progress, nullptr) << "the progress window shows after SYS/progressdelay";
        progressText = progress->text();
        sinceCancel.start();
        progress->cancelButton()->click();
    });
    const MtxStatus cancelled = CallFrom(app, &document);
    const qint64 cancelMs = sinceCancel.elapsed();
    repaint.stop();

    EXPECT_STREQ(cancelled.getCode(), "CLIENT_EXCEPTION");
    EXPECT_STREQ(cancelled.getMessage(), "Call cancelled");
    EXPECT_LT(cancelMs, 100) << "Cancel ends the call at once (the receive would wait 10 s)";
    EXPECT_GT(paintsBeforeCancel, 5) << "the window painted during the call";
    EXPECT_EQ(document.clicks, 0) << "the calling document takes no input while it waits";
    EXPECT_EQ(progressText, QStringLiteral("正在连接服务器… 127.0.0.1:%1").arg(server.port()));
    EXPECT_EQ(VisibleProgress(), nullptr);
    EXPECT_FALSE(app.ServerLink().IsDown()) << "a cancelled call says nothing about the link";
    EXPECT_TRUE(app.messages.isEmpty()) << app.messages.join(QLatin1Char('\n')).toStdString();
    RecordProperty("cancel_ms", int(cancelMs));

    answering = true; // the server is back
    EXPECT_TRUE(CallFrom(app, &document).succeeded());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor is gone";
}

TEST(ServerCall, LostServerMessageAndTheLinkDownUntilACallGetsThrough)
{
    FakeTcpServer server(
        [](Peer &peer) {
            if (!peer.readRequest().empty())
                peer.send(testing_support::stringReply("m", "ok"));
        },
        false); // bound, not listening: connections are refused
    FakeUdpResponder discovery;
    for (const char *language : {"cn", "en"}) {
        CallApp app(server.port(), discovery.port());
        app.setLogin(QStringLiteral("u"), QStringLiteral("p"), QString::fromLatin1(language));
        const bool chinese = app.IsChinese();
        MtxString argument("x");
        EXPECT_FALSE(CallService(app.GetClient(), "m", {&argument}));
        ASSERT_EQ(app.messages.size(), 1);
        const QString address = QStringLiteral("127.0.0.1:%1").arg(server.port());
        const QString expected = chinese
            ? QStringLiteral("无法连接服务器 (%1)，请检查网络或服务器后重试").arg(address)
            : QStringLiteral("Cannot connect to the server (%1): check the network or the server and try again")
                  .arg(address);
        EXPECT_EQ(app.messages.first(), QString::fromUtf8(CProApp::MainTitle) + QLatin1Char('|') + expected);
        EXPECT_EQ(app.icons.first(), CProApp::MessageIcon::Warning);
        EXPECT_TRUE(app.ServerLink().IsDown());
        EXPECT_TRUE(app.ServerLink().PaneText(chinese).contains(QStringLiteral("127.0.0.1")))
            << "the last known address stays";
        EXPECT_TRUE(app.ServerLink().PaneText(chinese).contains(chinese ? QStringLiteral("连接中断")
                                                                         : QStringLiteral("link down")));
    }
    server.startListening();
    CallApp app(server.port(), discovery.port());
    app.setLogin(QStringLiteral("u"), QStringLiteral("p"), QStringLiteral("cn"));
    MtxString argument("x");
    MtxStatus lost;
    lost.set(MtxStatus::ClientExceptionCode, "Server Not Found Error");
    app.ServerLink().Record(lost);
    ASSERT_TRUE(app.ServerLink().IsDown());
    EXPECT_TRUE(CallService(app.GetClient(), "m", {&argument}));
    EXPECT_FALSE(app.ServerLink().IsDown());
    EXPECT_EQ(app.ServerLink().PaneText(true), QStringLiteral("服务器IP: 127.0.0.1"));
}

TEST(ServerCall, ProgressDelayIsReadWithinBounds)
{
    class DelayApp : public RecordingApp
    {
    public:
        using CProApp::InitServiceSystem;
    };
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    DelayApp app;
    const struct
    {
        const char *value; // null: no such key
        int expected;
    } cases[] = {
        {nullptr, CProApp::DefaultProgressDelayMs}, {"0", 0}, {" 1200 ", 1200}, {"10000", 10000},
        {"10001", CProApp::MaxProgressDelayMs},     {"-5", 0}, {"soon", CProApp::DefaultProgressDelayMs},
        {"", CProApp::DefaultProgressDelayMs},
    };
    for (const auto &c : cases) {
        if (c.value)
            app.WriteProfileString("SYS", QStringLiteral("progressdelay"), QString::fromLatin1(c.value));
        ASSERT_TRUE(app.InitServiceSystem());
        EXPECT_EQ(app.ProgressDelayMs(), c.expected) << (c.value ? c.value : "(absent)");
    }
    QDir::setCurrent(previous);
}
