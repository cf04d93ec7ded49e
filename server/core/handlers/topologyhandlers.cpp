#include <algorithm>
#include <cstdlib>
#include <set>

#include "server/core/call.h"
#include "server/core/handlers/inventory.h"
#include "server/core/handlers/records.h"
#include "server/core/handlertable.h"
#include "server/core/schema.h"
#include "services/types/elementobj.h"
#include "services/types/tpinfoobj.h"

// "TPService": the cells of the topology pictures. A picture is named by the
// PID its cells share; a cell's own ID names its sub-picture.
namespace {

constexpr const char *Service = "TPService";
constexpr int MaxDepth = 32;

// A group shown on a picture takes the worst state of everything below it,
// so that its cell shows what its members show.
void rollUpGroups(Call &call, const std::vector<std::unique_ptr<MtxRecord>> &cells)
{
    Storage &storage = call.storage();
    std::set<std::string> bound;
    for (const auto &cell : cells)
        bound.insert(cell->get(TPInfoObj::MID));
    std::unique_ptr<StorageTransaction> transaction;
    for (const std::string &id : bound) {
        auto group = id.empty() ? nullptr : inventory::element(storage, id);
        if (!group || group->get(ElementObj::Type) != inventory::GroupType)
            continue;
        std::vector<std::string> members = inventory::subtree(storage, id);
        members.erase(std::remove(members.begin(), members.end(), id), members.end());
        if (members.empty())
            continue;
        int worst = inventory::Normal;
        for (const auto &member : storage.select(schema::elements, Filter().oneOf(ElementObj::ID, members)))
            worst = std::max(worst, std::atoi(member->get(ElementObj::LastState).c_str()));
        const std::string state = std::to_string(worst);
        if (group->get(ElementObj::LastState) == state)
            continue;
        if (!transaction)
            transaction = storage.begin(true);
        // Only the state fields: the group was read in this request's snapshot,
        // and a change that another request made to it since must stay.
        storage.updateFields(schema::elements, Filter::where(ElementObj::ID, id),
                             {{ElementObj::LastState, state}, {ElementObj::LastChangeStateTime, call.time()}});
    }
    if (transaction)
        transaction->commit();
}

std::unique_ptr<MtxObj> findTPInfoArrayByPID(Call &call)
{
    auto cells = call.storage().select(schema::topologyCells, Filter::where(TPInfoObj::PID, call.text(0)));
    rollUpGroups(call, cells);
    return records::array(std::move(cells));
}

TPInfoObj checked(Call &call)
{
    TPInfoObj cell = call.record<TPInfoObj>(0);
    records::requireText(cell.get(TPInfoObj::ID), "元件ID不能为空");
    records::requireText(cell.get(TPInfoObj::PID), "元件所在拓扑图不能为空");
    if (cell.get(TPInfoObj::ID) == cell.get(TPInfoObj::PID))
        throw Refusal(refusal::BadRequest, "元件不能放在自己的下级图中");
    if (cell.get(TPInfoObj::Type).empty())
        cell.set(TPInfoObj::Type, "0");
    return cell;
}

std::unique_ptr<MtxObj> addTPInfo(Call &call)
{
    TPInfoObj cell = checked(call);
    records::requireNew(call.storage(), schema::topologyCells, TPInfoObj::ID, cell.get(TPInfoObj::ID), "元件ID已存在");
    call.storage().insert(schema::topologyCells, cell);
    call.setLogDetail(cell.get(TPInfoObj::ID));
    return nullptr;
}

std::unique_ptr<MtxObj> updateTPInfo(Call &call)
{
    TPInfoObj cell = checked(call);
    if (call.storage().update(schema::topologyCells, Filter::where(TPInfoObj::ID, cell.get(TPInfoObj::ID)), cell) == 0)
        throw Refusal(refusal::NotFound, "元件不存在，请先保存拓扑图");
    call.setLogDetail(cell.get(TPInfoObj::ID));
    return nullptr;
}

// Removes the cell and every picture below it; a cell never saved is no error.
std::unique_ptr<MtxObj> deleteTPInfo(Call &call)
{
    const std::string id = call.text(0);
    std::vector<std::string> pictures{id};
    int removed = call.storage().remove(schema::topologyCells, Filter::where(TPInfoObj::ID, id));
    for (int level = 0; !pictures.empty() && level < MaxDepth; ++level) {
        std::vector<std::string> below;
        for (auto &cell : call.storage().select(schema::topologyCells, Filter().oneOf(TPInfoObj::PID, pictures)))
            below.push_back(cell->get(TPInfoObj::ID));
        removed += call.storage().remove(schema::topologyCells, Filter().oneOf(TPInfoObj::PID, pictures));
        pictures = std::move(below);
    }
    call.setLogDetail(id + " (" + std::to_string(removed) + ")");
    return nullptr;
}

// Empties one picture; its cells' own sub-pictures stay (a save re-adds the cells).
std::unique_ptr<MtxObj> deleteTPInfoArrayByPID(Call &call)
{
    const std::string pid = call.text(0);
    int removed = call.storage().remove(schema::topologyCells, Filter::where(TPInfoObj::PID, pid));
    call.setLogDetail(pid + " (" + std::to_string(removed) + ")");
    return nullptr;
}

constexpr HandlerEntry table[] = {
    {Service, "findTPInfoArrayByPID", &findTPInfoArrayByPID, Access::Read},
    {Service, "addTPInfo", &addTPInfo, Access::Write, "添加拓扑元件"},
    {Service, "updateTPInfo", &updateTPInfo, Access::Write, "修改拓扑元件"},
    {Service, "deleteTPInfo", &deleteTPInfo, Access::Write, "删除拓扑元件"},
    {Service, "deleteTPInfoArrayByPID", &deleteTPInfoArrayByPID, Access::Write, "清空拓扑图"},
};

} // namespace

std::span<const HandlerEntry> topologyHandlers()
{
    return table;
}
