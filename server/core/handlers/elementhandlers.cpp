#include "orb/wire/mtxtree.h"
#include "server/core/call.h"
#include "server/core/handlers/elementtreereply.h"
#include "server/core/handlers/inventory.h"
#include "server/core/handlers/records.h"
#include "server/core/handlertable.h"
#include "server/core/schema.h"
#include "server/core/timetext.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"

// "ElementService": the inventory tree of groups, devices and monitors.
namespace {

constexpr const char *Service = "ElementService";

std::unique_ptr<ElementObj> requireElement(Call &call, const std::string &id)
{
    auto found = inventory::element(call.storage(), id);
    if (!found)
        throw Refusal(refusal::NotFound, "设备或组不存在，请刷新后重试");
    return found;
}

// The whole inventory ("-1") or the part below one element, as a tree of
// ElementObj nodes; read with one query and written straight from the rows.
std::unique_ptr<MtxObj> findElementTree(Call &call)
{
    const std::string id = call.text(0);
    auto rows = call.storage().select(schema::elements, Filter::all());
    std::size_t top = rows.size();
    for (std::size_t i = 0; i < rows.size() && top == rows.size(); ++i) {
        const bool isTop = id == inventory::RootParent ? rows[i]->get(ElementObj::PID) == inventory::RootParent
                                                       : rows[i]->get(ElementObj::ID) == id;
        if (isTop)
            top = i;
    }
    if (top == rows.size()) {
        if (id != inventory::RootParent)
            throw Refusal(refusal::NotFound, "设备或组不存在，请刷新后重试");
        return std::make_unique<MtxTree>(std::make_unique<ElementObj>()); // empty inventory
    }
    return std::make_unique<ElementTreeReply>(std::move(rows), top, inventory::MaxDepth + 1);
}

std::unique_ptr<MtxObj> selectElementObj(Call &call)
{
    return requireElement(call, call.text(0));
}

void checkParent(Call &call, const ElementObj &element)
{
    auto parent = inventory::element(call.storage(), element.get(ElementObj::PID));
    if (!parent)
        throw Refusal(refusal::NotFound, "上级组或设备不存在，请刷新后重试");
    if (inventory::isMonitor(*parent))
        throw Refusal(refusal::Refused, "检测下不能再添加元素");
    if (inventory::depth(call.storage(), parent->get(ElementObj::ID)) >= inventory::MaxDepth)
        throw Refusal(refusal::Refused, "层次太深，不能再添加下级");
}

std::unique_ptr<MtxObj> addElement(Call &call)
{
    ElementObj element = call.record<ElementObj>(0);
    const std::string id = element.get(ElementObj::ID);
    records::requireText(id, "元素ID不能为空");
    records::requireText(element.get(ElementObj::Text), "名称不能为空");
    if (element.get(ElementObj::Type) == inventory::MonitorType || element.get(ElementObj::Type) == inventory::RootType)
        throw Refusal(refusal::BadRequest, "此类型不能作为设备或组添加");
    if (inventory::element(call.storage(), id) || records::exists(call.storage(), schema::monitors, MonitorObj::Id, id))
        throw Refusal(refusal::Exists, "元素ID已存在");
    checkParent(call, element);
    if (element.get(ElementObj::SEID).empty())
        element.set(ElementObj::SEID, inventory::root(call.storage())->get(ElementObj::ID));
    if (element.get(ElementObj::LastState).empty())
        element.set(ElementObj::LastState, std::to_string(inventory::Normal));
    call.storage().insert(schema::elements, element);
    call.setLogDetail(element.get(ElementObj::Text));
    return records::text(id);
}

std::unique_ptr<MtxObj> updateElement(Call &call)
{
    ElementObj element = call.record<ElementObj>(0);
    const std::string id = element.get(ElementObj::ID);
    auto stored = requireElement(call, id);
    records::requireText(element.get(ElementObj::Text), "名称不能为空");
    if (element.get(ElementObj::SEID).empty())
        element.set(ElementObj::SEID, stored->get(ElementObj::SEID));
    // The result fields belong to the monitoring engine: the client's copy
    // may be older than the last check.
    for (auto field : {ElementObj::LastState, ElementObj::LastChangeStateTime, ElementObj::LastMonitorTime,
                       ElementObj::Monitor_Description})
        element.set(field, stored->get(field));
    const std::string parent = element.get(ElementObj::PID); // a copy: element changes below
    if (stored->get(ElementObj::PID) == inventory::RootParent) {
        element.set(ElementObj::PID, inventory::RootParent); // the root stays the root
        element.set(ElementObj::Type, inventory::RootType);
    } else if (element.get(ElementObj::Type) == inventory::RootType) {
        throw Refusal(refusal::BadRequest, "只有根节点可以是此类型");
    } else if (parent != stored->get(ElementObj::PID)) {
        if (inventory::isWithin(call.storage(), parent, id))
            throw Refusal(refusal::Refused, "不能移到自己或自己的下级之下");
        checkParent(call, element);
    }
    if (inventory::isMonitor(*stored)) {
        // A monitor edited through its element: the monitor record follows.
        element.set(ElementObj::Type, inventory::MonitorType);
        if (auto monitor = records::find<MonitorObj>(call.storage(), schema::monitors, MonitorObj::Id, id)) {
            monitor->setTruncated(MonitorObj::Text, element.get(ElementObj::Text));
            monitor->set(MonitorObj::ParentId, element.get(ElementObj::PID));
            for (auto [from, to] : {std::pair{ElementObj::MStatus, MonitorObj::MStatus},
                                    {ElementObj::MSTime, MonitorObj::MSTime}, {ElementObj::METime, MonitorObj::METime},
                                    {ElementObj::AStatus, MonitorObj::AStatus}, {ElementObj::ASTime, MonitorObj::ASTime},
                                    {ElementObj::AETime, MonitorObj::AETime}})
                monitor->set(to, element.get(from));
            call.storage().update(schema::monitors, Filter::where(MonitorObj::Id, id), *monitor);
        }
    } else if (element.get(ElementObj::Type) == inventory::MonitorType) {
        throw Refusal(refusal::BadRequest, "设备或组不能改为检测类型");
    }
    call.storage().update(schema::elements, Filter::where(ElementObj::ID, id), element);
    call.setLogDetail(element.get(ElementObj::Text));
    return records::text(id);
}

void refuseRoot(const ElementObj &element)
{
    if (element.get(ElementObj::PID) == inventory::RootParent)
        throw Refusal(refusal::Refused, "不能删除根节点");
}

std::unique_ptr<MtxObj> deleteElement(Call &call)
{
    const std::string id = call.text(0);
    auto stored = requireElement(call, id);
    refuseRoot(*stored);
    if (records::exists(call.storage(), schema::elements, ElementObj::PID, id))
        throw Refusal(refusal::Refused, "有下一级，不能删除");
    inventory::removeElements(call.storage(), {id});
    call.setLogDetail(stored->get(ElementObj::Text));
    return nullptr;
}

std::unique_ptr<MtxObj> deleteTreeElement(Call &call)
{
    const std::string id = call.text(0);
    auto stored = requireElement(call, id);
    refuseRoot(*stored);
    auto ids = inventory::subtree(call.storage(), id);
    inventory::removeElements(call.storage(), ids);
    call.setLogDetail(stored->get(ElementObj::Text) + " (" + std::to_string(ids.size()) + ")");
    return nullptr;
}

// The worst state below each group and device becomes its own; monitors keep
// the state of their last result.
std::unique_ptr<MtxObj> refreshDeviceStatus(Call &call)
{
    const std::string id = call.text(0);
    auto stored = requireElement(call, id);
    Storage &storage = call.storage();
    auto rollUp = [&](auto &self, ElementObj &node, int level) -> int {
        int state = std::atoi(node.get(ElementObj::LastState).c_str());
        if (inventory::isMonitor(node) || level > inventory::MaxDepth)
            return state;
        auto children = storage.select(schema::elements, Filter::where(ElementObj::PID, node.get(ElementObj::ID)));
        if (children.empty())
            return state;
        int worst = inventory::Normal;
        for (auto &child : children)
            worst = std::max(worst, self(self, static_cast<ElementObj &>(*child), level + 1));
        if (worst != state) {
            node.set(ElementObj::LastState, std::to_string(worst));
            node.set(ElementObj::LastChangeStateTime, call.time());
            storage.update(schema::elements, Filter::where(ElementObj::ID, node.get(ElementObj::ID)), node);
        }
        return worst;
    };
    rollUp(rollUp, *stored, 0);
    call.setLogDetail(stored->get(ElementObj::Text));
    return nullptr;
}

// The monitors of one element, as their mirror elements.
std::unique_ptr<MtxObj> findElementArray(Call &call)
{
    const std::string id = call.text(0);
    requireElement(call, id);
    return records::array(call.storage().select(
        schema::elements, Filter::where(ElementObj::PID, id).equal(ElementObj::Type, inventory::MonitorType)));
}

constexpr HandlerEntry table[] = {
    {Service, "findElementTree", &findElementTree, Access::Read},
    {Service, "findElementTree1", &findElementTree, Access::Read},
    {Service, "selectElementObj", &selectElementObj, Access::Read},
    {Service, "addElement", &addElement, Access::Write, "添加元素"},
    {Service, "updateElement", &updateElement, Access::Write, "修改元素"},
    {Service, "deleteElement", &deleteElement, Access::Write, "删除元素"},
    {Service, "deleteTreeElement", &deleteTreeElement, Access::Write, "删除元素树"},
    {Service, "refreshDeviceStatus", &refreshDeviceStatus, Access::Write, "刷新状态"},
    {Service, "findElementArray", &findElementArray, Access::Read},
};

} // namespace

std::span<const HandlerEntry> elementHandlers()
{
    return table;
}
