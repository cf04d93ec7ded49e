// Idle counting and locking through the main frame: activity resets the
// counter, the lock comes at the tick that finds more than 2400 seconds or at
// the lock command, and the lock screen opens only with the stored password.

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolBar>

#include "frame/lockeddialog.h"
#include "frame/lockscreen.h"
#include "frame/promainframe.h"
#include "testsupport/recordingapp.h"
#include "frame/unlockdialog.h"

namespace {

class FrameApp : public RecordingApp
{
public:
    QToolBar *CreateToolBar(CProMainFrame *frame) override { return new QToolBar(frame); }
    void attach(CProMainFrame *frame) { SetMainFrame(frame); }
};

// Answers the lock screens: each unlock dialog gets the next typed password.
class Operator
{
public:
    Operator()
    {
        CLockScreen::setDefaultDialogRunner([this](QDialog &dialog) {
            if (auto *locked = qobject_cast<CLockedDialog *>(&dialog)) {
                ++lockedDialogs;
                locked->unlockButton()->click();
                return locked->result();
            }
            auto *unlock = qobject_cast<CUnlockDialog *>(&dialog);
            if (!unlock || typed.isEmpty())
                return -1; // nothing left to type: the lock screen gives up
            unlock->passwordEdit()->setText(typed.takeFirst());
            unlock->loginButton()->click();
            return unlock->result();
        });
    }
    ~Operator() { CLockScreen::setDefaultDialogRunner({}); }

    QStringList typed;
    int lockedDialogs = 0;
};

class IdleLock : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app.setLogin(QStringLiteral("admin"), QStringLiteral("pw"), QStringLiteral("cn"));
        frame = new CProMainFrame(&app);
        ASSERT_TRUE(frame->Create());
        app.attach(frame);
    }
    void TearDown() override { delete frame; }

    QString pane() const { return frame->IdlePane()->text(); }

    FrameApp app;
    CProMainFrame *frame = nullptr;
    Operator hand;
};

} // namespace

TEST_F(IdleLock, LocksAtTheTickThatFindsMoreThan2400Seconds)
{
    hand.typed = {QStringLiteral("pw")};
    app.SetIdleSeconds(2399);
    frame->IdleTick();
    EXPECT_EQ(pane(), QStringLiteral("系统空闲时间：00:39:59"));
    frame->IdleTick();
    EXPECT_EQ(pane(), QStringLiteral("系统空闲时间：00:40:00"));
    EXPECT_EQ(hand.lockedDialogs, 0) << "exactly 2400 idle seconds must not lock";
    EXPECT_EQ(app.IdleSeconds(), 2401);

    frame->IdleTick();
    EXPECT_EQ(hand.lockedDialogs, 1) << "2401 idle seconds lock";
    EXPECT_TRUE(hand.typed.isEmpty());
    EXPECT_EQ(pane(), QStringLiteral("系统空闲时间超时锁定"));
    EXPECT_TRUE(frame->IdleTimer().isActive()) << "idle counting restarts after unlocking";
    EXPECT_EQ(app.IdleSeconds(), 1);
    frame->IdleTick();
    EXPECT_EQ(pane(), QStringLiteral("系统空闲时间：00:00:01"));
}

TEST_F(IdleLock, LockCommandLocksAtOnce)
{
    hand.typed = {QStringLiteral("wrong"), QStringLiteral("pw")};
    app.SetIdleSeconds(50);
    app.OnCommand(32775);
    EXPECT_EQ(hand.lockedDialogs, 2);
    EXPECT_EQ(app.messages, QStringList{QStringLiteral("口令错误！|你第1次密码输入错误！请重试！")});
    EXPECT_EQ(app.IdleSeconds(), 0);
    EXPECT_EQ(pane(), QStringLiteral("系统空闲时间超时锁定"));
    EXPECT_TRUE(frame->IdleTimer().isActive());
}

TEST_F(IdleLock, TheStoredPasswordIsTheOneThatUnlocks)
{
    app.SetPassword(QStringLiteral("changed"));
    hand.typed = {QStringLiteral("pw"), QStringLiteral("changed")};
    frame->LockNow();
    EXPECT_TRUE(hand.typed.isEmpty());
    EXPECT_EQ(app.messages, QStringList{QStringLiteral("口令错误！|你第1次密码输入错误！请重试！")})
        << "the old password no longer unlocks";
}

TEST_F(IdleLock, TypedCharactersAndMouseMovesAreActivity)
{
    frame->show();
    struct Case
    {
        const char *what;
        QEvent *event;
        bool resets;
    } cases[] = {
        {"a typed character", new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")), true},
        {"shift held down", new QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier), false},
        {"a function key", new QKeyEvent(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier), false},
        {"mouse movement",
         new QMouseEvent(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier),
         true},
    };
    for (const Case &c : cases) {
        app.SetIdleSeconds(100);
        QApplication::sendEvent(frame->IdlePane(), c.event);
        EXPECT_EQ(app.IdleSeconds(), c.resets ? 0 : 100) << c.what;
        delete c.event;
    }
}
