#include <map>
#include <set>

#include "orb/wire/codepage.h"
#include "orb/wire/mtxtree.h"
#include "server/core/call.h"
#include "server/core/handlers/records.h"
#include "server/core/handlertable.h"
#include "server/core/schema.h"
#include "services/types/departmentobj.h"
#include "services/types/userobj.h"

// "SecurityService": the department tree. Top departments have the parent
// "-1"; the tree's root is a node with that identifier standing for them all.
namespace {

constexpr const char *Service = "SecurityService";
constexpr const char *Top = "-1";
constexpr const char *NoDepartment = "部门不存在，请刷新后重试";
constexpr int MaxDepth = 32;

std::unique_ptr<MtxObj> findDept(Call &call)
{
    auto rows = call.storage().select(schema::departments, Filter::all());
    std::map<std::string, std::vector<std::size_t>> children;
    for (std::size_t i = 0; i < rows.size(); ++i)
        children[rows[i]->get(DepartmentObj::ParentID)].push_back(i);
    std::set<std::string> placed;
    auto attach = [&](auto &self, MtxTree &tree, const std::string &id, int level) -> void {
        auto found = children.find(id);
        if (found == children.end() || level > MaxDepth)
            return;
        for (std::size_t index : found->second) {
            std::string childId = rows[index]->get(DepartmentObj::ID);
            if (!placed.insert(childId).second)
                continue;
            auto child = std::make_unique<MtxTree>(std::move(rows[index]));
            self(self, *child, childId, level + 1);
            tree.appendChild(std::move(child));
        }
    };
    auto top = std::make_unique<DepartmentObj>();
    top->set(DepartmentObj::ID, Top);
    top->setTruncated(DepartmentObj::AllName, orb::fromUtf8("组织机构"));
    auto tree = std::make_unique<MtxTree>(std::move(top));
    attach(attach, *tree, Top, 0);
    return tree;
}

std::unique_ptr<MtxObj> selectDeptObj(Call &call)
{
    return records::require<DepartmentObj>(call.storage(), schema::departments, DepartmentObj::ID, call.text(0),
                                           NoDepartment);
}

void checkFields(Call &call, const DepartmentObj &department)
{
    records::requireText(department.get(DepartmentObj::ID), "部门ID不能为空");
    records::requireText(department.get(DepartmentObj::AllName), "部门名称不能为空");
    records::requireText(department.get(DepartmentObj::ParentID), "父部门ID不能为空");
    const std::string &parent = department.get(DepartmentObj::ParentID);
    if (parent == Top)
        return;
    // The parent must exist and must not lie below the department itself.
    std::string current = parent;
    for (int level = 0;; ++level) {
        if (current == department.get(DepartmentObj::ID))
            throw Refusal(refusal::Refused, "不能把部门移到自己的下级之下");
        auto node = records::find<DepartmentObj>(call.storage(), schema::departments, DepartmentObj::ID, current);
        if (!node)
            throw Refusal(refusal::NotFound, "父部门不存在，请刷新后重试");
        if (node->get(DepartmentObj::ParentID) == Top)
            break;
        if (level >= MaxDepth)
            throw Refusal(refusal::Refused, "部门层次太深");
        current = node->get(DepartmentObj::ParentID);
    }
}

std::unique_ptr<MtxObj> addDept(Call &call)
{
    const auto &department = call.record<DepartmentObj>(0);
    checkFields(call, department);
    if (department.get(DepartmentObj::ID) == Top
        || records::exists(call.storage(), schema::departments, DepartmentObj::ID, department.get(DepartmentObj::ID)))
        throw Refusal(refusal::Exists, "部门ID已存在");
    call.storage().insert(schema::departments, department);
    call.setLogDetail(department.get(DepartmentObj::AllName));
    return records::text("SUCCEED");
}

std::unique_ptr<MtxObj> updateDept(Call &call)
{
    const auto &department = call.record<DepartmentObj>(0);
    const std::string &id = department.get(DepartmentObj::ID);
    records::require<DepartmentObj>(call.storage(), schema::departments, DepartmentObj::ID, id, NoDepartment);
    checkFields(call, department);
    call.storage().update(schema::departments, Filter::where(DepartmentObj::ID, id), department);
    call.setLogDetail(department.get(DepartmentObj::AllName));
    return records::text("SUCCEED");
}

std::unique_ptr<MtxObj> deleteDept(Call &call)
{
    const std::string id = call.text(0);
    auto stored = records::require<DepartmentObj>(call.storage(), schema::departments, DepartmentObj::ID, id, NoDepartment);
    if (records::exists(call.storage(), schema::departments, DepartmentObj::ParentID, id))
        throw Refusal(refusal::Refused, "部门下有子部门，不能删除");
    if (records::exists(call.storage(), schema::users, UserObj::DepartmentID, id))
        throw Refusal(refusal::Refused, "部门下有用户，不能删除");
    call.storage().remove(schema::departments, Filter::where(DepartmentObj::ID, id));
    call.setLogDetail(stored->get(DepartmentObj::AllName));
    return records::text("SUCCEED");
}

constexpr HandlerEntry table[] = {
    {Service, "findDept", &findDept, Access::Read},
    {Service, "selectDeptObj", &selectDeptObj, Access::Read},
    {Service, "addDept", &addDept, Access::Write, "添加部门"},
    {Service, "updateDept", &updateDept, Access::Write, "修改部门"},
    {Service, "deleteDept", &deleteDept, Access::Write, "删除部门"},
};

} // namespace

std::span<const HandlerEntry> departmentHandlers()
{
    return table;
}
