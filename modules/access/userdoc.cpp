#include "modules/access/userdoc.h"

#include "frame/localtext.h"
#include "frame/servicecall.h"
#include "frame/waitcursor.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "modules/access/userdialog.h"
#include "services/types/departmentobj.h"

CUserDoc::CUserDoc()
    : CSecurityDoc({QStringLiteral("100201"), QStringLiteral("100202"), QStringLiteral("100203")}),
      m_departments(this), m_users([this](const QString &id) { return m_departments.NameOf(id); }, this)
{
    LoadDepartments();
}

bool CUserDoc::LoadDepartments()
{
    MtxTree tree(std::make_unique<DepartmentObj>());
    const MtxString top("-1");
    if (!Call("findDept", {&top}, &tree))
        return false;
    m_departments.SetTree(tree);
    return true;
}

bool CUserDoc::SelectDepartment(const QString &id)
{
    m_department = id;
    m_users.Clear();
    const std::string local = toLocal(id);
    const MtxString argument(local.c_str());
    MtxArray reply;
    if (!Call("selectUserArray", {&argument}, &reply))
        return false;
    std::vector<UserObj> users;
    users.reserve(reply.size());
    for (const auto &item : reply)
        if (const auto *user = dynamic_cast<const UserObj *>(item.get()))
            users.push_back(*user);
    m_users.SetUsers(std::move(users));
    return true;
}

QStringList CUserDoc::RoleNames()
{
    MtxArray reply;
    QStringList names;
    if (!Call("selectRoleNameArray", {}, &reply))
        return names;
    for (const auto &item : reply)
        if (const auto *name = dynamic_cast<const MtxString *>(item.get()))
            names.append(fromLocal(name->getValue()));
    return names;
}

bool CUserDoc::LoginIsFree(const std::string &login)
{
    const MtxString name(login.c_str());
    return CallOrSay(QStringLiteral("用户名重复!"), "checkUserRepeat", {&name});
}

bool CUserDoc::NewUser(QWidget *parent)
{
    if (!Service() || !CanAdd())
        return false;
    CUserDialog dialog(CUserDialog::Mode::Add, RoleNames(), m_departments.NameOf(m_department),
                       [this](const std::string &login) { return LoginIsFree(login); }, parent);
    if (RunDialog(dialog) != QDialog::Accepted)
        return false;
    UserObj user = dialog.User();
    user.set(UserObj::DepartmentID, toLocal(m_department));
    if (!Call("addUser", {&user}))
        return false;
    m_users.Append(user);
    return true;
}

bool CUserDoc::ModifyUser(int row, QWidget *parent)
{
    if (!Service() || !CanModify(row))
        return false;
    const MtxString login(m_users.UserAt(row).get(UserObj::LoginName).c_str());
    UserObj old;
    if (!Call("selectUser", {&login}, &old))
        return false;
    CUserDialog dialog(CUserDialog::Mode::Edit, RoleNames(),
                       m_departments.NameOf(fromLocal(old.get(UserObj::DepartmentID))),
                       [this](const std::string &name) { return LoginIsFree(name); }, parent);
    dialog.SetUser(old);
    if (RunDialog(dialog) != QDialog::Accepted)
        return false;
    UserObj updated = dialog.User();
    // The user stays in their own department, whatever the tree shows.
    updated.set(UserObj::DepartmentID, old.get(UserObj::DepartmentID));
    if (!ReplaceUser(old, updated))
        return false;
    m_users.Replace(row, updated);
    return true;
}

bool CUserDoc::ReplaceUser(const UserObj &old, const UserObj &updated)
{
    const MtxString login(old.get(UserObj::LoginName).c_str());
    if (!Call("deleteUser", {&login}))
        return false;
    const MtxStatus added = CallQuietly("addUser", {&updated});
    if (added.succeeded())
        return true;
    const bool restored = CallQuietly("addUser", {&old}).succeeded();
    const QString why = fromLocal(added.getMessage());
    Say(restored ? QStringLiteral("修改用户失败（%1），已恢复原来的用户记录。").arg(why)
                 : QStringLiteral("修改用户失败（%1），原来的用户记录也未能恢复：请刷新后重新添加用户%2。")
                       .arg(why, fromLocal(old.get(UserObj::LoginName))));
    return false;
}

bool CUserDoc::DeleteUser(int row)
{
    if (!Service() || !CanDelete(row))
        return false;
    if (!Ask(QStringLiteral("你确认要删除此用户吗")))
        return false;
    const MtxString login(m_users.UserAt(row).get(UserObj::LoginName).c_str());
    if (!Call("deleteUser", {&login}))
        return false;
    m_users.Remove(row);
    return true;
}
