#include "server/core/setup/bootstrap.h"

#include <random>

#include "orb/wire/codepage.h"
#include "server/core/handlers/inventory.h"
#include "server/core/handlers/records.h"
#include "services/types/passwordscrambler.h"
#include "server/core/schema.h"
#include "server/core/serverstate.h"
#include "server/core/timetext.h"
#include "server/storage/storage.h"
#include "services/types/departmentobj.h"
#include "services/types/elementobj.h"
#include "services/types/functionmoduleobj.h"
#include "services/types/roleobj.h"
#include "services/types/syslogobj.h"
#include "services/types/userobj.h"

namespace setup {

namespace {

// The function modules whose codes the client's rights checks ask for.
struct Module
{
    const char *code;
    const char *name;
    const char *parent;
};

constexpr Module modules[] = {
    {"0", "系统功能", "-1"},
    {"1000", "部门管理", "0"}, {"100001", "新建部门", "1000"}, {"100002", "修改部门", "1000"}, {"100003", "删除部门", "1000"},
    {"1001", "角色管理", "0"}, {"100101", "新建角色", "1001"}, {"100102", "修改角色", "1001"}, {"100103", "删除角色", "1001"},
    {"1002", "用户管理", "0"}, {"100201", "新建用户", "1002"}, {"100202", "修改用户", "1002"}, {"100203", "删除用户", "1002"},
    {"1003", "操作日志", "0"}, {"100301", "删除日志", "1003"},
};

std::string randomPassword()
{
    static const char alphabet[] = "abcdefghjkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 2);
    std::string password;
    for (int i = 0; i < 12; ++i)
        password += alphabet[pick(device)];
    return password;
}

void log(Storage &storage, const char *title, const std::string &description)
{
    SysLogObj record;
    record.set(SysLogObj::ID, ServerState::newId());
    record.setTruncated(SysLogObj::Type, orb::fromUtf8("系统"));
    record.set(SysLogObj::Date, timetext::now());
    record.set(SysLogObj::User, "keelmon-server");
    record.setTruncated(SysLogObj::Title, orb::fromUtf8(title));
    record.setTruncated(SysLogObj::Description, orb::fromUtf8(description));
    storage.insert(schema::sysLogs, record);
}

std::string ensureDepartment(Storage &storage)
{
    auto existing = storage.select(schema::departments, Filter::all());
    if (!existing.empty())
        return existing.front()->get(DepartmentObj::ID);
    DepartmentObj department;
    department.set(DepartmentObj::ID, ServerState::newId());
    department.setTruncated(DepartmentObj::AllName, orb::fromUtf8("总部"));
    department.set(DepartmentObj::ParentID, "-1");
    department.setTruncated(DepartmentObj::Description, orb::fromUtf8("默认部门"));
    storage.insert(schema::departments, department);
    return department.get(DepartmentObj::ID);
}

void ensureModulesAndRole(Storage &storage)
{
    if (storage.count(schema::functionModules, Filter::all()) == 0) {
        for (const Module &module : modules) {
            FunctionModuleObj record;
            record.set(FunctionModuleObj::Code, module.code);
            record.setTruncated(FunctionModuleObj::AllName, orb::fromUtf8(module.name));
            record.set(FunctionModuleObj::ParentCode, module.parent);
            storage.insert(schema::functionModules, record);
        }
    }
    if (storage.count(schema::roles, Filter::all()) == 0) {
        for (const Module &module : modules) {
            RoleObj role;
            role.set(RoleObj::Code, module.code);
            role.setTruncated(RoleObj::RoleName, orb::fromUtf8(AdminRole));
            storage.insert(schema::roles, role);
        }
    }
}

bool ensureInventoryRoot(Storage &storage)
{
    if (inventory::root(storage))
        return false;
    ElementObj root;
    std::string id = ServerState::newId();
    root.set(ElementObj::SEID, id);
    root.set(ElementObj::ID, id);
    root.set(ElementObj::PID, inventory::RootParent);
    root.setTruncated(ElementObj::Text, orb::fromUtf8("网络运维平台"));
    root.set(ElementObj::Type, inventory::RootType);
    root.set(ElementObj::LastState, "0");
    root.set(ElementObj::MStatus, "0");
    root.set(ElementObj::AStatus, "0");
    storage.insert(schema::elements, root);
    return true;
}

} // namespace

BootstrapResult bootstrap(Storage &storage, const std::string &adminPassword)
{
    BootstrapResult result;
    auto transaction = storage.begin(true);
    ensureModulesAndRole(storage);
    std::string department = ensureDepartment(storage);
    result.inventoryCreated = ensureInventoryRoot(storage);
    if (storage.count(schema::users, Filter::all()) == 0) {
        std::string password = adminPassword;
        if (password.empty())
            result.generatedPassword = password = randomPassword();
        std::string key, scrambled;
        if (!passwordscrambler::scramble(password, key, scrambled))
            throw std::runtime_error("the administrator password is longer than "
                                     + std::to_string(passwordscrambler::MaxPasswordBytes) + " bytes: choose a shorter one");
        UserObj admin;
        admin.set(UserObj::LoginName, AdminName);
        admin.setTruncated(UserObj::AllName, orb::fromUtf8("系统管理员"));
        admin.setTruncated(UserObj::Password, scrambled);
        admin.setTruncated(UserObj::EncryptCode, key);
        admin.setTruncated(UserObj::RoleName, orb::fromUtf8(AdminRole));
        admin.set(UserObj::DepartmentID, department);
        storage.insert(schema::users, admin);
        log(storage, "创建管理员", AdminName);
        result.adminCreated = true;
    }
    transaction->commit();
    return result;
}

} // namespace setup
