#pragma once

#include <span>

#include <QStyle>

#include "frame/elementtree/elementtreemodel.h"

// The commands of ProbeDesk's menus and toolbar, and which of them apply to
// which kind of node. The popup menus are chosen by the node's kind.
namespace ProbeCommand {

enum : int {
    AddGroup = 32801,   // "添加新组" / "添 加 组"
    ModifyGroup,        // "修改此组"
    RefreshStatus,      // "刷新状态"
    AddDevice,          // "添加设备"
    DeleteGroup,        // "删除此组"
    DeleteTree,         // "树全删除"
    AddMonitor,         // "添加检测"
    EditDevice,         // "编辑设备"
    DeleteDevice,       // "删除设备"
    MonitorControl,     // "检测控制"
    AlertControl,       // "报警控制"
    Edit,               // "编    辑": the current node, whatever its kind
    Delete,             // "删    除": the current node, whatever its kind
    Reload,             // "刷    新": the whole tree anew
    Report,             // "报    告": the current monitor in the report program
};

struct MenuItem
{
    int command;
    const char *text;
};

struct Menu
{
    const char *title;
    std::span<const MenuItem> items;
};

// Every command once: its text in the module menu (or first popup menu)
// and its toolbar icon.
struct Declaration
{
    int command;
    const char *text;
    QStyle::StandardPixmap icon;
};
std::span<const Declaration> Declarations();

// The popup menu of a node kind.
Menu PopupMenu(CElementTreeModel::Kind kind);
// The module menu "Monitor" and the toolbar, in order.
std::span<const int> ModuleMenu();

// Whether command applies with this current node (kind is ignored when there
// is none).
bool Applies(int command, bool hasCurrent, CElementTreeModel::Kind kind);

} // namespace ProbeCommand
