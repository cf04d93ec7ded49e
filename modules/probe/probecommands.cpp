#include "modules/probe/probecommands.h"

#include <initializer_list>

namespace ProbeCommand {

namespace {

using Kind = CElementTreeModel::Kind;

constexpr MenuItem RootItems[] = {
    {AddGroup, "添加新组"}, {ModifyGroup, "修改此组"}, {RefreshStatus, "刷新状态"}};
constexpr MenuItem GroupItems[] = {
    {AddDevice, "添加设备"}, {AddGroup, "添加新组"}, {DeleteGroup, "删除此组"},
    {ModifyGroup, "修改此组"}, {DeleteTree, "树全删除"}, {RefreshStatus, "刷新状态"}};
constexpr MenuItem DeviceItems[] = {
    {AddMonitor, "添加检测"}, {EditDevice, "编辑设备"}, {DeleteDevice, "删除设备"}, {DeleteTree, "树全删除"},
    {RefreshStatus, "刷新状态"}, {MonitorControl, "检测控制"}, {AlertControl, "报警控制"}};
// A monitor's own menu, in the texts of the module menu.
constexpr MenuItem MonitorItems[] = {
    {Edit, "编    辑"}, {Delete, "删    除"}, {MonitorControl, "检测控制"}, {AlertControl, "报警控制"}};
constexpr int ModuleItems[] = {AddMonitor, AddDevice, AddGroup, Edit, Delete, Reload, MonitorControl, AlertControl, Report};

constexpr Declaration AllCommands[] = {
    {AddMonitor, "添加检测", QStyle::SP_FileDialogNewFolder},
    {AddDevice, "添加设备", QStyle::SP_ComputerIcon},
    {AddGroup, "添 加 组", QStyle::SP_DirIcon},
    {Edit, "编    辑", QStyle::SP_FileDialogDetailedView},
    {Delete, "删    除", QStyle::SP_TrashIcon},
    {Reload, "刷    新", QStyle::SP_BrowserReload},
    {MonitorControl, "检测控制", QStyle::SP_MediaPlay},
    {AlertControl, "报警控制", QStyle::SP_MessageBoxWarning},
    {Report, "报    告", QStyle::SP_FileDialogInfoView},
    {ModifyGroup, "修改此组", QStyle::SP_FileDialogDetailedView},
    {RefreshStatus, "刷新状态", QStyle::SP_BrowserReload},
    {DeleteGroup, "删除此组", QStyle::SP_TrashIcon},
    {DeleteTree, "树全删除", QStyle::SP_TrashIcon},
    {EditDevice, "编辑设备", QStyle::SP_FileDialogDetailedView},
    {DeleteDevice, "删除设备", QStyle::SP_TrashIcon},
};

// The kinds each command applies to, as a mask of 1 << kind; Reload needs
// no current node.
constexpr unsigned Of(std::initializer_list<Kind> kinds)
{
    unsigned mask = 0;
    for (Kind kind : kinds)
        mask |= 1u << unsigned(kind);
    return mask;
}

struct Rule
{
    int command;
    unsigned kinds;
};

constexpr Rule Rules[] = {
    {AddGroup, Of({Kind::Root, Kind::Group})},
    {ModifyGroup, Of({Kind::Root, Kind::Group})},
    {RefreshStatus, Of({Kind::Root, Kind::Group, Kind::Device})},
    {AddDevice, Of({Kind::Root, Kind::Group})},
    {DeleteGroup, Of({Kind::Group})},
    {DeleteTree, Of({Kind::Group, Kind::Device})},
    {AddMonitor, Of({Kind::Device})},
    {EditDevice, Of({Kind::Device})},
    {DeleteDevice, Of({Kind::Device})},
    {MonitorControl, Of({Kind::Device, Kind::Monitor})},
    {AlertControl, Of({Kind::Device, Kind::Monitor})},
    {Edit, Of({Kind::Root, Kind::Group, Kind::Device, Kind::Monitor})},
    {Delete, Of({Kind::Group, Kind::Device, Kind::Monitor})},
    {Report, Of({Kind::Monitor})},
};

} // namespace

Menu PopupMenu(Kind kind)
{
    switch (kind) {
    case Kind::Root:
        return {"组维护", RootItems};
    case Kind::Group:
        return {"组菜单", GroupItems};
    case Kind::Device:
        return {"设备维护", DeviceItems};
    case Kind::Monitor:
        break;
    }
    return {"检测维护", MonitorItems};
}

std::span<const int> ModuleMenu()
{
    return ModuleItems;
}

std::span<const Declaration> Declarations()
{
    return AllCommands;
}

bool Applies(int command, bool hasCurrent, Kind kind)
{
    if (command == Reload)
        return true;
    if (!hasCurrent)
        return false;
    for (const Rule &rule : Rules)
        if (rule.command == command)
            return (rule.kinds & (1u << unsigned(kind))) != 0;
    return false;
}

} // namespace ProbeCommand
