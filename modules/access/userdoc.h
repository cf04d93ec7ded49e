#pragma once

#include "modules/access/departmenttreemodel.h"
#include "modules/access/securitydoc.h"
#include "modules/access/userlistmodel.h"

class QWidget;

// The user window's document: the department tree, the users of the chosen
// department, and new, modify and delete of users.
class CUserDoc : public CSecurityDoc
{
    Q_OBJECT

public:
    CUserDoc();

    CDepartmentTreeModel &Departments() { return m_departments; }
    CUserListModel &Users() { return m_users; }
    QString SelectedDepartment() const { return m_department; }

    bool LoadDepartments();
    // "selectUserArray" with the department's ID; the list is cleared first.
    bool SelectDepartment(const QString &id);

    bool CanAdd() const { return Holds(QStringLiteral("100201")) && !m_department.isEmpty(); }
    bool CanModify(int row) const { return Holds(QStringLiteral("100202")) && row >= 0 && row < m_users.rowCount(); }
    bool CanDelete(int row) const { return Holds(QStringLiteral("100203")) && row >= 0 && row < m_users.rowCount(); }

    bool NewUser(QWidget *parent);
    bool ModifyUser(int row, QWidget *parent);
    bool DeleteUser(int row);
    // Modify on the wire: delete the old record, add the new one; when the add
    // fails the old record is added back and the user told.
    bool ReplaceUser(const UserObj &old, const UserObj &updated);

private:
    QStringList RoleNames();
    bool LoginIsFree(const std::string &login);

    CDepartmentTreeModel m_departments;
    CUserListModel m_users;
    QString m_department;
};
