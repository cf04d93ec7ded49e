#pragma once

// Command identifiers of the host's menus and toolbars, and of the commands
// that every module window understands.
namespace ProCommand {
enum : int {
    About = 57664,          // "About"
    Exit = 57665,           // "退出"
    SwitchNavigation = 153, // show or hide the navigation bar
    SystemSettings = 121,   // "属性设置"
    ToggleNavigationType = 166, // "图标转换"
    ChangePassword = 33333, // "修改登录密码..."
    Lock = 32775,           // lock the workstation now
    CloseDocument = 32773,  // "关闭" in the module windows
};
}

// Where a command comes from decides who handles it, so that one number may
// mean one thing in the host's menus and another in a module's.
enum class CommandOrigin {
    Host,   // the host's menus, toolbar and shortcuts: the application
    Module, // a module's menus and toolbar: the active document window, then the application
};
