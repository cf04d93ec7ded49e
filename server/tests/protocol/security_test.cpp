#include <random>

#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "services/types/passwordscrambler.h"
#include "server/core/timetext.h"
#include "server/storage/tabledefinition.h"
#include "services/types/departmentobj.h"
#include "services/types/functionmoduleobj.h"
#include "services/types/roleobj.h"
#include "services/types/syslogobj.h"
#include "services/types/tablefactory.h"
#include "services/types/userobj.h"
#include "testsupport/servertest.h"

namespace {

constexpr const char *Security = "SecurityService";

// A user as the user dialog sends it: password scrambled with a fresh key.
UserObj user(const std::string &login, const std::string &password, const std::string &department,
             const char *role = "系统管理员")
{
    std::string key, scrambled;
    passwordscrambler::scramble(password, key, scrambled);
    UserObj record;
    record.set(UserObj::LoginName, login);
    record.set(UserObj::AllName, local("张三"));
    record.set(UserObj::Password, scrambled);
    record.set(UserObj::EncryptCode, key);
    record.set(UserObj::RoleName, local(role));
    record.set(UserObj::DepartmentID, department);
    return record;
}

DepartmentObj department(const std::string &id, const std::string &parent, const char *name)
{
    DepartmentObj record;
    record.set(DepartmentObj::ID, id);
    record.set(DepartmentObj::AllName, local(name));
    record.set(DepartmentObj::ParentID, parent);
    record.set(DepartmentObj::Description, local("说明"));
    return record;
}

class SecurityTest : public ServerTest
{
protected:
    MtxArray list(const char *method, const std::vector<std::string> &args)
    {
        MtxArray items;
        items.setFactory(&domainFactory());
        MtxStatus status = admin().callText(Security, method, args, &items);
        EXPECT_TRUE(status.succeeded()) << method << ": " << messageOf(status);
        return items;
    }
    MtxTree tree(const char *method, std::unique_ptr<MtxObj> node)
    {
        MtxTree result(std::move(node));
        result.setFactory(&domainFactory());
        MtxStatus status = admin().callText(Security, method, {"-1"}, &result);
        EXPECT_TRUE(status.succeeded()) << method << ": " << messageOf(status);
        return result;
    }
    std::string firstDepartment()
    {
        MtxTree departments = tree("findDept", std::make_unique<DepartmentObj>());
        return static_cast<const DepartmentObj &>(departments.child(0)->node()).get(DepartmentObj::ID);
    }
};

} // namespace

TEST_F(SecurityTest, UsersAreAddedCheckedListedAndLogInWithTheirRestoredPassword)
{
    const std::string dept = firstDepartment();
    EXPECT_TRUE(admin().callText(Security, "checkUserRepeat", {"zhang"}).succeeded()) << "a free name passes";
    UserObj sent = user("zhang", "s3cret", dept);
    ASSERT_TRUE(admin().call(Security, "addUser", {&sent}).succeeded());
    EXPECT_EQ(messageOf(admin().callText(Security, "checkUserRepeat", {"zhang"})), "ALREADY_EXISTS 用户名重复!");
    EXPECT_STREQ(admin().call(Security, "addUser", {&sent}).getCode(), "ALREADY_EXISTS");

    UserObj stored;
    ASSERT_TRUE(admin().callText(Security, "selectUser", {"zhang"}, &stored).succeeded());
    EXPECT_TRUE(stored == sent) << "the scrambled password and its key are kept as sent";
    EXPECT_EQ(list("selectUserArray", {dept}).size(), 2u) << "admin and zhang are in the first department";
    EXPECT_EQ(list("selectUserArray", {"-1"}).size(), 2u) << "the top node lists everyone";

    auto zhang = newClient();
    EXPECT_TRUE(zhang->login("zhang", "s3cret").succeeded());
    EXPECT_STREQ(newClient()->login("zhang", "wrong").getCode(), "LOGIN_FAILED");

    UserObj auditor = user("li", "pw", dept, "审计员");
    ASSERT_TRUE(admin().call(Security, "addUser", {&auditor}).succeeded());
    ASSERT_TRUE(admin().callText(Security, "updateUserRole", {local("审计员"), local("操作员")}).succeeded());
    ASSERT_TRUE(admin().callText(Security, "selectUser", {"li"}, &stored).succeeded());
    EXPECT_EQ(stored.get(UserObj::RoleName), local("操作员"));
    ASSERT_TRUE(admin().callText(Security, "selectUser", {"zhang"}, &stored).succeeded());
    EXPECT_EQ(stored.get(UserObj::RoleName), local("系统管理员")) << "other roles' users keep theirs";

    ASSERT_TRUE(admin().callText(Security, "deleteUser", {"zhang"}).succeeded());
    EXPECT_STREQ(newClient()->login("zhang", "s3cret").getCode(), "LOGIN_FAILED");
    EXPECT_STREQ(zhang->callText(Security, "selectUser", {"admin"}).getCode(), "NO_SESSION")
        << "a deleted user's requests are refused";
    EXPECT_STREQ(admin().callText(Security, "deleteUser", {"zhang"}).getCode(), "NOT_FOUND");
}

TEST_F(SecurityTest, UserRecordsThatCannotWorkAreRefused)
{
    const std::string dept = firstDepartment();
    UserObj chinese = user(local("张三"), "pw", dept);
    EXPECT_EQ(messageOf(admin().call(Security, "addUser", {&chinese})), "BAD_REQUEST 用户名不能包含汉字");
    UserObj badKey = user("li", "pw", dept);
    badKey.set(UserObj::EncryptCode, "9");
    EXPECT_STREQ(admin().call(Security, "addUser", {&badKey}).getCode(), "BAD_REQUEST");
    UserObj nowhere = user("wang", "pw", "no-such-department");
    EXPECT_STREQ(admin().call(Security, "addUser", {&nowhere}).getCode(), "NOT_FOUND");
    EXPECT_STREQ(admin().callText(Security, "selectUser", {"nobody"}).getCode(), "NOT_FOUND");
}

TEST_F(SecurityTest, RolesAreRowsPerCodeAndTheModuleTreeHoldsEveryCode)
{
    MtxTree modules = tree("findFMTree", std::make_unique<FunctionModuleObj>());
    std::vector<std::string> codes;
    auto walk = [&](auto &self, const MtxTree &node) -> void {
        codes.push_back(static_cast<const FunctionModuleObj &>(node.node()).get(FunctionModuleObj::Code));
        for (std::size_t i = 0; i < node.childCount(); ++i)
            self(self, *node.child(i));
    };
    walk(walk, modules);
    EXPECT_EQ(codes, (std::vector<std::string>{"0", "1000", "100001", "100002", "100003", "1001", "100101", "100102",
                                               "100103", "1002", "100201", "100202", "100203", "1003", "100301"}));
    EXPECT_EQ(list("selectRoleArray", {local("系统管理员")}).size(), codes.size()) << "the first role holds every module";

    EXPECT_TRUE(admin().callText(Security, "checkRoleRepeat", {local("审计员")}).succeeded());
    MtxArray rows;
    for (const char *code : {"1003", "100301"}) {
        auto row = std::make_unique<RoleObj>();
        row->set(RoleObj::Code, code);
        row->set(RoleObj::RoleName, local("审计员"));
        rows.append(std::move(row));
    }
    ASSERT_TRUE(admin().call(Security, "addRoleArray", {&rows}).succeeded());
    EXPECT_EQ(list("selectRoleArray", {local("审计员")}).size(), 2u);
    EXPECT_STREQ(admin().callText(Security, "checkRoleRepeat", {local("审计员")}).getCode(), "ALREADY_EXISTS");
    MtxArray names = list("selectRoleNameArray", {});
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(std::string(dynamic_cast<const MtxString &>(*names.at(1)).getValue()), local("审计员"));

    MtxArray empty;
    EXPECT_TRUE(admin().call(Security, "addRoleArray", {&empty}).succeeded()) << "a role with nothing checked";
    MtxArray wrong;
    wrong.append(std::make_unique<MtxString>("x"));
    EXPECT_STREQ(admin().call(Security, "addRoleArray", {&wrong}).getCode(), "BAD_REQUEST");

    ASSERT_TRUE(admin().callText(Security, "deleteRole", {local("审计员")}).succeeded());
    EXPECT_EQ(list("selectRoleArray", {local("审计员")}).size(), 0u);
}

TEST_F(SecurityTest, DepartmentTreeKeepsItsShapeAndRefusesUnsafeDeletes)
{
    const std::string top = firstDepartment();
    DepartmentObj child = department("d-child", top, "网络组");
    MtxString answer;
    ASSERT_TRUE(admin().call(Security, "addDept", {&child}, &answer).succeeded());
    EXPECT_STREQ(answer.getValue(), "SUCCEED");
    EXPECT_STREQ(admin().call(Security, "addDept", {&child}).getCode(), "ALREADY_EXISTS");
    DepartmentObj orphan = department("d-orphan", "nowhere", "孤儿");
    EXPECT_STREQ(admin().call(Security, "addDept", {&orphan}).getCode(), "NOT_FOUND");
    DepartmentObj loop = department(top, "d-child", "总部");
    EXPECT_STREQ(admin().call(Security, "updateDept", {&loop}).getCode(), "REFUSED");

    MtxTree departments = tree("findDept", std::make_unique<DepartmentObj>());
    EXPECT_EQ(static_cast<const DepartmentObj &>(departments.node()).get(DepartmentObj::ID), "-1");
    ASSERT_EQ(departments.childCount(), 1u);
    ASSERT_EQ(departments.child(0)->childCount(), 1u);
    EXPECT_EQ(static_cast<const DepartmentObj &>(departments.child(0)->child(0)->node()).get(DepartmentObj::AllName),
              local("网络组"));

    child.set(DepartmentObj::AllName, local("网络二组"));
    ASSERT_TRUE(admin().call(Security, "updateDept", {&child}, &answer).succeeded());
    DepartmentObj selected;
    ASSERT_TRUE(admin().callText(Security, "selectDeptObj", {"d-child"}, &selected).succeeded());
    EXPECT_EQ(selected.get(DepartmentObj::AllName), local("网络二组"));

    EXPECT_EQ(messageOf(admin().callText(Security, "deleteDept", {top})), "REFUSED 部门下有子部门，不能删除");
    UserObj member = user("wu", "pw", "d-child");
    ASSERT_TRUE(admin().call(Security, "addUser", {&member}).succeeded());
    EXPECT_STREQ(admin().callText(Security, "deleteDept", {"d-child"}).getCode(), "REFUSED") << "it has a user";
    ASSERT_TRUE(admin().callText(Security, "deleteUser", {"wu"}).succeeded());
    ASSERT_TRUE(admin().callText(Security, "deleteDept", {"d-child"}, &answer).succeeded());
    EXPECT_STREQ(answer.getValue(), "SUCCEED");
    EXPECT_STREQ(admin().callText(Security, "selectDeptObj", {"d-child"}).getCode(), "NOT_FOUND");
}

TEST_F(SecurityTest, EveryChangeIsInTheOperationLogWhichIsReadAndClearedByDay)
{
    DepartmentObj added = department("d-log", "-1", "日志部");
    ASSERT_TRUE(admin().call(Security, "addDept", {&added}).succeeded());
    const std::string now = timetext::now();
    const std::string today = now.substr(0, now.find(' '));

    MtxArray log = list("selectSysLogArray", {today, today});
    bool found = false;
    for (const auto &item : log) {
        const auto &entry = static_cast<const SysLogObj &>(*item);
        if (entry.get(SysLogObj::Title) == local("添加部门")) {
            found = true;
            EXPECT_EQ(entry.get(SysLogObj::User), "admin");
            EXPECT_EQ(entry.get(SysLogObj::Description), local("日志部"));
            EXPECT_GE(sortableTime(entry.get(SysLogObj::Date)), 0) << entry.get(SysLogObj::Date);
        }
    }
    EXPECT_TRUE(found) << "the department change is logged";
    EXPECT_GE(log.size(), 3u) << "creating admin, logging in and the change";
    EXPECT_EQ(list("selectSysLogArray", {"1999-1-1", "1999-1-2"}).size(), 0u);
    EXPECT_EQ(list("selectSysLogArray", {today, "2000-1-1"}).size(), 0u) << "an end before the start is no range";
    EXPECT_STREQ(admin().callText(Security, "selectSysLogArray", {"2024-13-1", today}).getCode(), "BAD_REQUEST");

    ASSERT_TRUE(admin().callText(Security, "deleteSysLogArray", {today, today}).succeeded());
    MtxArray after = list("selectSysLogArray", {today, today});
    ASSERT_EQ(after.size(), 1u) << "only the record of the deletion itself remains";
    EXPECT_EQ(static_cast<const SysLogObj &>(*after.at(0)).get(SysLogObj::Title), local("删除操作日志"));
}
