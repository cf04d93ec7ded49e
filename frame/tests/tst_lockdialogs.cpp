// The lock screen, the locked dialog and the unlock dialog: texts, the
// attempt counter, the one-hour countdown and the unlock loop.

#include <map>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "frame/lockeddialog.h"
#include "frame/lockscreen.h"
#include "testsupport/recordingapp.h"
#include "frame/unlockdialog.h"


namespace {

const QString Retry3 = QStringLiteral("您已经重试口令3次，超过三次系统经锁定登录!");
const QString CountdownPrefix = QStringLiteral("您重试密码次数已经超过3次，系统锁定1个小时！");

} // namespace

TEST(LockedDialog, RetryTextFollowsTheAttemptCounter)
{
    CLockedDialog first(QStringLiteral("locked text"), 0);
    EXPECT_EQ(first.lockText(), QStringLiteral("locked text"));
    EXPECT_EQ(first.retryText(), QString());
    EXPECT_TRUE(first.unlockButton()->isEnabled());
    EXPECT_FALSE(first.isCountingDown());

    for (int attempts : {1, 2}) {
        CLockedDialog dialog(QString(), attempts);
        const QString retry = QStringLiteral("您已经重试口令%1次，超过三次系统经锁定登录!").arg(attempts);
        EXPECT_EQ(dialog.retryText(), retry);
        EXPECT_TRUE(dialog.unlockButton()->isEnabled()) << attempts;
        EXPECT_FALSE(dialog.isCountingDown()) << attempts;
        dialog.tick();
        EXPECT_EQ(dialog.retryText(), retry) << "a tick without a lock-out changes nothing";
    }
}

TEST(LockedDialog, ThirdFailureHoldsTheButtonForExactly3600Ticks)
{
    CLockedDialog dialog(QString(), 3);
    EXPECT_EQ(dialog.retryText(), Retry3);
    EXPECT_FALSE(dialog.unlockButton()->isEnabled());
    EXPECT_TRUE(dialog.isCountingDown());

    const std::map<int, QString> expected = {
        {1, CountdownPrefix + QStringLiteral("00:59:59")},
        {60, CountdownPrefix + QStringLiteral("00:59:00")},
        {61, CountdownPrefix + QStringLiteral("00:58:59")},
        {1800, CountdownPrefix + QStringLiteral("00:30:00")},
        {3599, CountdownPrefix + QStringLiteral("00:00:01")},
    };
    for (int tick = 1; tick < CLockedDialog::LockOutSeconds; ++tick) {
        dialog.tick();
        ASSERT_FALSE(dialog.unlockButton()->isEnabled()) << "enabled early at tick " << tick;
        if (auto it = expected.find(tick); it != expected.end()) {
            EXPECT_EQ(dialog.retryText(), it->second) << "tick " << tick;
        }
    }
    dialog.tick();
    EXPECT_EQ(dialog.retryText(), QStringLiteral("登录锁定以解除！"));
    EXPECT_TRUE(dialog.unlockButton()->isEnabled());
    EXPECT_FALSE(dialog.isCountingDown());
    dialog.tick();
    EXPECT_EQ(dialog.retryText(), QStringLiteral("登录锁定以解除！")) << "the countdown has stopped";
}

TEST(LockedDialog, OnlyTheUnlockButtonClosesIt)
{
    CLockedDialog dialog(QString(), 3);
    dialog.show();
    dialog.reject();
    EXPECT_TRUE(dialog.isVisible()) << "Escape must not skip the lock-out";
    dialog.close();
    EXPECT_TRUE(dialog.isVisible()) << "closing must not skip the lock-out";
    for (int tick = 0; tick < CLockedDialog::LockOutSeconds; ++tick)
        dialog.tick();
    dialog.unlockButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(UnlockDialog, ComparesExactlyAndNumbersTheWrongAttempts)
{
    RecordingApp app;
    struct Case
    {
        int attempts;
        QString typed;
        int result;
        QString message;
    } cases[] = {
        {0, QStringLiteral("s3cret"), QDialog::Accepted, {}},
        {2, QStringLiteral("s3cret"), QDialog::Accepted, {}},
        {0, QStringLiteral("S3cret"), QDialog::Rejected, QStringLiteral("口令错误！|你第1次密码输入错误！请重试！")},
        {1, QString(), QDialog::Rejected, QStringLiteral("口令错误！|你第2次密码输入错误！请重试！")},
        {2, QStringLiteral("s3cret "), QDialog::Rejected,
         QStringLiteral("口令错误！|对不起，你已三次输入错误口令！系统将锁定一个小时！")},
    };
    for (const Case &c : cases) {
        app.messages.clear();
        app.icons.clear();
        CUnlockDialog dialog(c.attempts, QStringLiteral("s3cret"));
        dialog.userEdit()->setText(QStringLiteral("anyone"));
        dialog.passwordEdit()->setText(c.typed);
        dialog.loginButton()->click();
        EXPECT_EQ(dialog.result(), c.result) << c.attempts << " " << c.typed.toStdString();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(app.messages.isEmpty());
        } else {
            EXPECT_EQ(app.messages, QStringList{c.message});
            EXPECT_EQ(app.icons.value(0), CProApp::MessageIcon::Error);
        }
    }
}

TEST(LockScreen, LockTextCoversTheFrameWithUserAndTime)
{
    const QDateTime at(QDate(2024, 3, 5), QTime(7, 8, 9));
    EXPECT_EQ(CLockScreen::lockTextFor(QStringLiteral("张三"), at),
              QStringLiteral("系统由用户[张三]于 2024年 03月05日  07:08:09 锁定!"));

    const QRect frame(10, 20, 640, 480);
    CLockScreen screen(frame, QStringLiteral("admin"), QStringLiteral("pw"), at);
    EXPECT_EQ(screen.lockText(), QStringLiteral("系统由用户[admin]于 2024年 03月05日  07:08:09 锁定!"));
    EXPECT_EQ(screen.geometry(), frame);
    EXPECT_TRUE(screen.windowFlags() & Qt::WindowStaysOnTopHint);
    screen.setDialogRunner([](QDialog &) { return int(QDialog::Accepted); });
    screen.show();
    screen.reject();
    EXPECT_TRUE(screen.isVisible()) << "Escape must not close the lock screen";
}

// Three wrong passwords, the hour, then three new attempts of which the second
// is right. Each locked dialog is checked as the operator would see it.
TEST(LockScreen, CounterCountdownAndThreeNewAttempts)
{
    RecordingApp app;
    CLockScreen screen(QRect(0, 0, 800, 600), QStringLiteral("admin"), QStringLiteral("right"));
    QStringList typed = {QStringLiteral("w1"), QStringLiteral("w2"), QStringLiteral("w3"), QStringLiteral("w4"),
                         QStringLiteral("right")};
    QStringList seen;
    screen.setDialogRunner([&](QDialog &dialog) {
        if (auto *locked = qobject_cast<CLockedDialog *>(&dialog)) {
            EXPECT_EQ(locked->lockText(), screen.lockText());
            seen << QStringLiteral("locked:") + locked->retryText();
            if (locked->isCountingDown()) {
                for (int tick = 0; tick < CLockedDialog::LockOutSeconds; ++tick)
                    locked->tick();
                seen << QStringLiteral("after the hour:") + locked->retryText();
            }
            if (!locked->unlockButton()->isEnabled())
                return -1;
            locked->unlockButton()->click();
            return locked->result();
        }
        auto *unlock = qobject_cast<CUnlockDialog *>(&dialog);
        if (!unlock || typed.isEmpty())
            return -1;
        unlock->passwordEdit()->setText(typed.takeFirst());
        unlock->loginButton()->click();
        return unlock->result();
    });
    screen.runUnlockLoop();

    EXPECT_EQ(screen.result(), QDialog::Accepted);
    EXPECT_TRUE(typed.isEmpty());
    const QStringList expected = {
        QStringLiteral("locked:"),
        QStringLiteral("locked:您已经重试口令1次，超过三次系统经锁定登录!"),
        QStringLiteral("locked:您已经重试口令2次，超过三次系统经锁定登录!"),
        QStringLiteral("locked:") + Retry3,
        QStringLiteral("after the hour:登录锁定以解除！"),
        QStringLiteral("locked:您已经重试口令1次，超过三次系统经锁定登录!"),
    };
    EXPECT_EQ(seen, expected);
    const QStringList messages = {
        QStringLiteral("口令错误！|你第1次密码输入错误！请重试！"),
        QStringLiteral("口令错误！|你第2次密码输入错误！请重试！"),
        QStringLiteral("口令错误！|对不起，你已三次输入错误口令！系统将锁定一个小时！"),
        QStringLiteral("口令错误！|你第1次密码输入错误！请重试！"),
    };
    EXPECT_EQ(app.messages, messages);
}

// The real modal path: the lock screen starts its loop once shown, and the
// dialogs are answered as an operator would, through their buttons.
TEST(LockScreen, ModalLoopUnlocksWithTheStoredPassword)
{
    RecordingApp app;
    CLockScreen screen(QRect(0, 0, 800, 600), QStringLiteral("admin"), QStringLiteral("right"));
    QStringList typed = {QStringLiteral("wrong"), QStringLiteral("right")};
    int lockedShown = 0;
    int turns = 0;
    QTimer operatorHand;
    QObject::connect(&operatorHand, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (++turns > 500) {
            // Give up: a result that is neither OK nor Cancel ends the loop.
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->done(2);
            return;
        }
        if (auto *locked = qobject_cast<CLockedDialog *>(modal)) {
            ++lockedShown;
            locked->unlockButton()->click();
        } else if (auto *unlock = qobject_cast<CUnlockDialog *>(modal); unlock && !typed.isEmpty()) {
            unlock->passwordEdit()->setText(typed.takeFirst());
            unlock->loginButton()->click();
        }
    });
    operatorHand.start(5);
    const int result = screen.exec();
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(typed.isEmpty());
    EXPECT_EQ(lockedShown, 2);
    EXPECT_EQ(app.messages, QStringList{QStringLiteral("口令错误！|你第1次密码输入错误！请重试！")});
}
