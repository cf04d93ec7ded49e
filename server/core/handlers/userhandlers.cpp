#include "server/core/call.h"
#include "server/core/handlers/records.h"
#include "server/core/handlertable.h"
#include "server/core/rights.h"
#include "server/core/serverstate.h"
#include "services/types/passwordscrambler.h"
#include "server/core/schema.h"
#include "services/types/departmentobj.h"
#include "services/types/userobj.h"

// "SecurityService": user accounts. Passwords arrive and are kept scrambled
// with their key, as the user dialog makes them.
namespace {

constexpr const char *Service = "SecurityService";
constexpr const char *NoUser = "用户不存在，请刷新后重试";
constexpr const char *DuplicateName = "用户名重复!";
// The department tree's top node stands for all departments.
constexpr const char *AllDepartments = "-1";

// Who may modify users may see (and restore) a stored password; nobody else.
constexpr const char *ModifyUserRight = "100202";

void hidePassword(MtxRecord &user)
{
    user.set(UserObj::Password, "");
    user.set(UserObj::EncryptCode, "");
}

std::unique_ptr<MtxObj> selectUserArray(Call &call)
{
    const std::string department = call.text(0);
    Filter filter = department == AllDepartments ? Filter::all() : Filter::where(UserObj::DepartmentID, department);
    auto users = call.storage().select(schema::users, filter);
    for (auto &user : users)
        hidePassword(*user);
    return records::array(std::move(users));
}

std::unique_ptr<MtxObj> selectUser(Call &call)
{
    auto user = records::require<UserObj>(call.storage(), schema::users, UserObj::LoginName, call.text(0), NoUser);
    if (!rights::holds(call.storage(), call.user(), ModifyUserRight))
        hidePassword(*user);
    return user;
}

std::unique_ptr<MtxObj> addUser(Call &call)
{
    const UserObj &user = call.record<UserObj>(0);
    const std::string &name = user.get(UserObj::LoginName);
    records::requireText(name, "用户名不能为空");
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80)
            throw Refusal(refusal::BadRequest, "用户名不能包含汉字");
    records::requireText(user.get(UserObj::AllName), "姓名不能为空");
    records::requireText(user.get(UserObj::Password), "密码不能为空");
    std::string restored;
    if (!passwordscrambler::apply(user.get(UserObj::Password), user.get(UserObj::EncryptCode), restored))
        throw Refusal(refusal::BadRequest, "密码密钥无效，无法保存密码");
    if (restored.size() > passwordscrambler::MaxPasswordBytes)
        throw Refusal(refusal::BadRequest, "密码不能超过31个字节");
    const std::string &department = user.get(UserObj::DepartmentID);
    if (!department.empty() && department != AllDepartments
        && !records::exists(call.storage(), schema::departments, DepartmentObj::ID, department))
        throw Refusal(refusal::NotFound, "所属部门不存在，请刷新后重试");
    records::requireNew(call.storage(), schema::users, UserObj::LoginName, name, DuplicateName);
    call.storage().insert(schema::users, user);
    call.setLogDetail(name);
    return nullptr;
}

std::unique_ptr<MtxObj> deleteUser(Call &call)
{
    const std::string name = call.text(0);
    if (name == call.user())
        throw Refusal(refusal::Refused, "不能删除当前登录的用户");
    records::require<UserObj>(call.storage(), schema::users, UserObj::LoginName, name, NoUser);
    call.storage().remove(schema::users, Filter::where(UserObj::LoginName, name));
    call.server().sessions().endAll(name);
    call.setLogDetail(name);
    return nullptr;
}

// Own login name, old password, new password (plain, like the login). The
// stored password gets a fresh key.
std::unique_ptr<MtxObj> changePassword(Call &call)
{
    const std::string name = call.text(0);
    const std::string oldPassword = call.text(1);
    const std::string newPassword = call.text(2);
    if (name != call.user())
        throw Refusal(refusal::NoRight, "只能修改自己的密码");
    auto user = records::require<UserObj>(call.storage(), schema::users, UserObj::LoginName, name, NoUser);
    std::string stored;
    if (!passwordscrambler::apply(user->get(UserObj::Password), user->get(UserObj::EncryptCode), stored)
        || stored != oldPassword)
        throw Refusal(refusal::LoginFailed, "旧密码不正确，请重新输入！");
    records::requireText(newPassword, "不允许空密码");
    std::string key, scrambled;
    if (!passwordscrambler::scramble(newPassword, key, scrambled))
        throw Refusal(refusal::BadRequest, "密码不能超过31个字节");
    user->set(UserObj::Password, scrambled);
    user->set(UserObj::EncryptCode, key);
    call.storage().update(schema::users, Filter::where(UserObj::LoginName, name), *user);
    call.setLogDetail(name);
    return nullptr;
}

std::unique_ptr<MtxObj> checkUserRepeat(Call &call)
{
    records::requireNew(call.storage(), schema::users, UserObj::LoginName, call.text(0), DuplicateName);
    return nullptr;
}

std::unique_ptr<MtxObj> updateUserRole(Call &call)
{
    const std::string from = call.text(0);
    const std::string to = call.text(1);
    records::requireText(to, "角色名不能为空!");
    auto users = call.storage().select(schema::users, Filter::where(UserObj::RoleName, from));
    for (auto &user : users) {
        user->set(UserObj::RoleName, to);
        call.storage().update(schema::users, Filter::where(UserObj::LoginName, user->get(UserObj::LoginName)), *user);
    }
    call.setLogDetail(from + " -> " + to);
    return nullptr;
}

constexpr HandlerEntry table[] = {
    {Service, "selectUserArray", &selectUserArray, Access::Read},
    {Service, "selectUser", &selectUser, Access::Read},
    {Service, "addUser", &addUser, Access::Write, "添加用户"},
    {Service, "deleteUser", &deleteUser, Access::Write, "删除用户"},
    {Service, "changePassword", &changePassword, Access::Write, "修改密码"},
    {Service, "checkUserRepeat", &checkUserRepeat, Access::Read},
    {Service, "updateUserRole", &updateUserRole, Access::Write, "修改用户角色"},
};

} // namespace

std::span<const HandlerEntry> userHandlers()
{
    return table;
}
