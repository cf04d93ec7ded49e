#include "server/core/rights.h"

#include <array>

#include "server/core/orbrequest.h"
#include "server/core/refusal.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "orb/wire/mtxstring.h"
#include "services/types/roleobj.h"
#include "services/types/userobj.h"

namespace rights {

namespace {

struct Rule
{
    const char *method;
    std::array<const char *, 2> anyOf; // null entries unused; none: every logged-in user
};

// SecurityService. Modifying a user or a role is a delete and an add on the
// wire, so the modify right also admits those two.
const Rule securityRules[] = {
    {"findDept", {}}, // the department tree is shown by the user window too
    {"selectDeptObj", {"1000"}},
    {"addDept", {"100001"}},
    {"updateDept", {"100002"}},
    {"deleteDept", {"100003"}},
    {"findFMTree", {"1001"}},
    {"selectRoleNameArray", {"1001", "1002"}},
    {"selectRoleArray", {"1001"}},
    {"checkRoleRepeat", {"100101", "100102"}},
    {"addRoleArray", {"100101", "100102"}},
    {"deleteRole", {"100102", "100103"}},
    {"updateUserRole", {"100102"}},
    {"selectUserArray", {"1002"}},
    {"selectUser", {"1002"}},
    {"checkUserRepeat", {"100201", "100202"}},
    {"addUser", {"100201", "100202"}},
    {"deleteUser", {"100202", "100203"}},
    {"selectSysLogArray", {"1003"}},
    {"deleteSysLogArray", {"100301"}},
    {"changePassword", {}},
};

// The view right that the other services' windows ask for.
constexpr const char *OtherServicesRight = "1000";

std::string roleOf(Storage &storage, const std::string &user)
{
    auto rows = storage.select(schema::users, Filter::where(UserObj::LoginName, user));
    return rows.empty() ? std::string() : rows.front()->get(UserObj::RoleName);
}

std::string firstText(const OrbRequest &request)
{
    if (request.args.empty())
        return {};
    const auto *text = dynamic_cast<const MtxString *>(request.args.front().get());
    return text ? std::string(text->getValue()) : std::string();
}

// Reading one's own account and one's own role rows (what the client's
// rights check needs) is always allowed.
bool readsOwn(Storage &storage, const OrbRequest &request, const std::string &user)
{
    if (request.method == "selectUser")
        return firstText(request) == user;
    if (request.method == "selectRoleArray") {
        std::string role = roleOf(storage, user);
        return !role.empty() && firstText(request) == role;
    }
    return false;
}

} // namespace

bool holds(Storage &storage, const std::string &user, std::string_view code)
{
    std::string role = roleOf(storage, user);
    if (role.empty())
        return false;
    return storage.count(schema::roles, Filter::where(RoleObj::RoleName, role).equal(RoleObj::Code, std::string(code)))
           > 0;
}

void check(Storage &storage, const OrbRequest &request, Access access, const std::string &user)
{
    if (access == Access::Login)
        return;
    std::array<const char *, 2> anyOf{};
    if (request.service == "SecurityService") {
        bool known = false;
        for (const Rule &rule : securityRules)
            if (request.method == rule.method) {
                anyOf = rule.anyOf;
                known = true;
                break;
            }
        if (!known) // a method without a rule is refused rather than let through
            throw Refusal(refusal::NoRight, "没有此模块权限!");
        if (readsOwn(storage, request, user))
            return;
    } else if (access == Access::Write && request.service != "SysService") {
        anyOf = {OtherServicesRight, nullptr};
    }
    if (!anyOf[0])
        return;
    for (const char *code : anyOf)
        if (code && holds(storage, user, code))
            return;
    throw Refusal(refusal::NoRight, "没有此模块权限!");
}

} // namespace rights
