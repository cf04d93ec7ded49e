#include <map>

#include "orb/wire/mtxtree.h"
#include "server/core/call.h"
#include "server/core/handlers/records.h"
#include "server/core/handlertable.h"
#include "server/core/schema.h"
#include "services/types/functionmoduleobj.h"
#include "services/types/roleobj.h"

// "SecurityService": roles (one RoleObj row per granted function-module code)
// and the function-module tree.
namespace {

constexpr const char *Service = "SecurityService";

std::unique_ptr<MtxObj> selectRoleArray(Call &call)
{
    return records::array(call.storage().select(schema::roles, Filter::where(RoleObj::RoleName, call.text(0))));
}

// The role names as MtxString items, in the order the roles were made.
std::unique_ptr<MtxObj> selectRoleNameArray(Call &call)
{
    auto names = std::make_unique<MtxArray>();
    for (const std::string &name : call.storage().distinct(schema::roles, RoleObj::RoleName, Filter::all()))
        names->append(records::text(name));
    return names;
}

std::unique_ptr<MtxObj> addRoleArray(Call &call)
{
    const MtxArray &rows = call.array(0);
    std::string names;
    for (const auto &item : rows) {
        const auto *row = dynamic_cast<const RoleObj *>(item.get());
        if (!row)
            throw Refusal(refusal::BadRequest, "角色数组只能包含RoleObj");
        records::requireText(row->get(RoleObj::RoleName), "角色名不能为空!");
        records::requireText(row->get(RoleObj::Code), "功能模块代码不能为空");
        Filter same = Filter::where(RoleObj::RoleName, row->get(RoleObj::RoleName)).equal(RoleObj::Code, row->get(RoleObj::Code));
        if (call.storage().count(schema::roles, same) == 0)
            call.storage().insert(schema::roles, *row);
        if (names.find(row->get(RoleObj::RoleName)) == std::string::npos)
            names += (names.empty() ? "" : ",") + row->get(RoleObj::RoleName);
    }
    call.setLogDetail(names + " (" + std::to_string(rows.size()) + ")");
    return nullptr;
}

std::unique_ptr<MtxObj> deleteRole(Call &call)
{
    const std::string name = call.text(0);
    call.storage().remove(schema::roles, Filter::where(RoleObj::RoleName, name));
    call.setLogDetail(name);
    return nullptr;
}

std::unique_ptr<MtxObj> checkRoleRepeat(Call &call)
{
    records::requireNew(call.storage(), schema::roles, RoleObj::RoleName, call.text(0), "角色已经存在!");
    return nullptr;
}

// The tree below the module whose parent code is "-1".
std::unique_ptr<MtxObj> findFMTree(Call &call)
{
    auto rows = call.storage().select(schema::functionModules, Filter::all());
    std::map<std::string, std::vector<std::size_t>> children;
    for (std::size_t i = 0; i < rows.size(); ++i)
        children[rows[i]->get(FunctionModuleObj::ParentCode)].push_back(i);
    auto top = children.find("-1");
    if (top == children.end())
        return std::make_unique<MtxTree>(std::make_unique<FunctionModuleObj>());
    auto build = [&](auto &self, std::size_t index, int level) -> std::unique_ptr<MtxTree> {
        std::string code = rows[index]->get(FunctionModuleObj::Code);
        auto tree = std::make_unique<MtxTree>(std::move(rows[index]));
        auto found = children.find(code);
        if (found != children.end() && level < 16)
            for (std::size_t child : found->second)
                if (rows[child])
                    tree->appendChild(self(self, child, level + 1));
        return tree;
    };
    return build(build, top->second.front(), 0);
}

constexpr HandlerEntry table[] = {
    {Service, "selectRoleArray", &selectRoleArray, Access::Read},
    {Service, "selectRoleNameArray", &selectRoleNameArray, Access::Read},
    {Service, "addRoleArray", &addRoleArray, Access::Write, "保存角色"},
    {Service, "deleteRole", &deleteRole, Access::Write, "删除角色"},
    {Service, "checkRoleRepeat", &checkRoleRepeat, Access::Read},
    {Service, "findFMTree", &findFMTree, Access::Read},
};

} // namespace

std::span<const HandlerEntry> roleHandlers()
{
    return table;
}
