#include "host/mainmenu.h"

#include <QAction>
#include <QMenuBar>
#include <QPointer>

#include "frame/commandtoolbar.h"
#include "frame/procommands.h"
#include "frame/promainframe.h"

namespace {

constexpr int MainToolBarResource = 128;
constexpr int Separator = 0;
constexpr int MenuTitle = -1;

struct MenuLine
{
    int command; // MenuTitle starts a menu, Separator draws a line
    const char *chinese;
    const char *english;
};

constexpr MenuLine Menus[] = {
    {MenuTitle, "系统(&S)", "&System"},
    {ProCommand::SystemSettings, "属性设置(&P)...", "&Settings..."},
    {ProCommand::ChangePassword, "修改登录密码(&M)...", "Change &Password..."},
    {ProCommand::Lock, "锁定(&L)", "&Lock"},
    {Separator, "", ""},
    {ProCommand::Exit, "退出(&X)", "E&xit"},
    {MenuTitle, "查看(&V)", "&View"},
    {ProCommand::SwitchNavigation, "导航栏(&N)", "&Navigation Bar"},
    {ProCommand::ToggleNavigationType, "图标转换(&I)", "Switch &Icons"},
    {MenuTitle, "帮助(&H)", "&Help"},
    {ProCommand::About, "关于(&A)...", "&About..."},
};

constexpr CommandButton MainButtons[] = {
    {ProCommand::SystemSettings, "属性设置", QStyle::SP_FileDialogDetailedView},
    {ProCommand::ToggleNavigationType, "图标转换", QStyle::SP_FileDialogListView},
    {ProCommand::Lock, "锁定", QStyle::SP_DialogResetButton},
    {ProCommand::About, "关于", QStyle::SP_MessageBoxInformation},
    {ProCommand::Exit, "退出", QStyle::SP_DialogCloseButton},
};

} // namespace

void BuildMainMenu(CProMainFrame *frame, bool chinese)
{
    QMenu *menu = nullptr;
    QPointer<CProMainFrame> target = frame;
    for (const MenuLine &line : Menus) {
        const QString text = QString::fromUtf8(chinese ? line.chinese : line.english);
        if (line.command == MenuTitle) {
            menu = frame->menuBar()->addMenu(text);
        } else if (line.command == Separator) {
            menu->addSeparator();
        } else {
            QAction *action = menu->addAction(text);
            action->setData(line.command);
            const int command = line.command;
            QObject::connect(action, &QAction::triggered, frame, [target, command] {
                if (target)
                    target->RouteCommand(command, CommandOrigin::Host);
            });
        }
    }
}

QToolBar *CreateMainToolBar(CProMainFrame *frame)
{
    return CreateCommandToolBar(frame, MainToolBarResource, MainButtons, CommandOrigin::Host);
}
