#include "frame/hosttexts.h"

#include "frame/namestable.h"
#include "frame/proapp.h"

namespace {

constexpr CNamesTable::Pair Pairs[] = {
    // status bar
    {"系统空闲时间：%1:%2:%3", "Idle time: %1:%2:%3"},
    {"系统空闲时间超时锁定", "Locked after idle time"},
    // lock screen and its dialogs
    {"系统已锁定！", "The system is locked!"},
    {"系统已锁定", "System Locked"},
    {"系统因长时间无操作或操作员的要求而锁定。\n按“解锁”后输入当前用户的口令即可解除锁定；"
     "连续三次口令错误后，一个小时内不能解锁。",
     "The system was locked after a long idle time or at the operator's request.\nPress \"Unlock\" and enter "
     "the current user's password to unlock it; after three wrong passwords it stays locked for an hour."},
    {"解锁", "&Unlock"},
    {"您已经重试口令%1次，超过三次系统经锁定登录!", "You have tried the password %1 times; after three the login is locked!"},
    {"登录锁定以解除！", "The login lock has been lifted!"},
    {"您重试密码次数已经超过3次，系统锁定1个小时！", "More than 3 wrong passwords: the system is locked for one hour! "},
    {"解除系统锁定", "Unlock the System"},
    {"登录", "&Log In"},
    {"用户名:", "User name:"},
    {"口令:", "Password:"},
    {"对不起，你已三次输入错误口令！系统将锁定一个小时！",
     "Sorry, the password was wrong three times! The system is locked for one hour!"},
    {"你第%1次密码输入错误！请重试！", "Wrong password (attempt %1)! Please try again!"},
    {"口令错误！", "Wrong Password!"},
    // settings
    {"请输入整数。", "Please enter an integer."},
    {"最多只能输入 %1 个字节（一个汉字占 2 个字节）。", "Please enter no more than %1 bytes (a Chinese character takes 2)."},
    {"请输入 %1 到 %2 之间的整数。", "Please enter an integer between %1 and %2."},
    // password dialog
    {"修改登录密码", "Change Login Password"},
    {"旧密码：", "&Old password:"},
    {"新密码：", "&New password:"},
    {"确认密码：", "&Confirm password:"},
    {"确定", "OK"},
    {"取消", "Cancel"},
    {"不允许空密码", "An empty password is not allowed"},
    {"新密码与验证密码不符，请重新输入！", "The new password and its confirmation differ: please enter them again!"},
    {"旧密码不正确，请重新输入！", "The old password is wrong: please enter it again!"},
    {"错误！", "Error!"},
    {"服务器不支持修改密码：新密码只用于解锁本客户端，登录仍使用原密码。",
     "The server cannot change passwords: the new password only unlocks this client; log in with the old one."},
};

} // namespace

const CNamesTable &HostTexts()
{
    static const CNamesTable table(Pairs);
    return table;
}

QString HostText(const char *chinese)
{
    const QString text = QString::fromUtf8(chinese);
    const CProApp *app = CProApp::instance();
    return app ? app->HostText(text) : text;
}
