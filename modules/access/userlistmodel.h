#pragma once

#include <functional>
#include <vector>

#include <QAbstractTableModel>

#include "services/types/userobj.h"

// The user list of one department: "用户名", "人员姓名", "所属角色", "部门"
// (the department's name, looked up through departmentName).
class CUserListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { LoginColumn, NameColumn, RoleColumn, DepartmentColumn, ColumnCount };

    explicit CUserListModel(std::function<QString(const QString &id)> departmentName, QObject *parent = nullptr);

    // Replaces the rows with users, in their order (takes them over).
    void SetUsers(std::vector<UserObj> users);
    void Clear() { SetUsers({}); }
    void Append(const UserObj &user);
    void Replace(int row, const UserObj &user);
    void Remove(int row);
    const UserObj &UserAt(int row) const { return m_users[std::size_t(row)]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::function<QString(const QString &)> m_departmentName;
    std::vector<UserObj> m_users;
};
