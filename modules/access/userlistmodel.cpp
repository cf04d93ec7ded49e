#include "modules/access/userlistmodel.h"

#include "frame/localtext.h"

CUserListModel::CUserListModel(std::function<QString(const QString &)> departmentName, QObject *parent)
    : QAbstractTableModel(parent), m_departmentName(std::move(departmentName))
{
}

void CUserListModel::SetUsers(std::vector<UserObj> users)
{
    beginResetModel();
    m_users = std::move(users);
    endResetModel();
}

void CUserListModel::Append(const UserObj &user)
{
    const int row = int(m_users.size());
    beginInsertRows({}, row, row);
    m_users.push_back(user);
    endInsertRows();
}

void CUserListModel::Replace(int row, const UserObj &user)
{
    if (row < 0 || row >= rowCount())
        return;
    m_users[std::size_t(row)] = user;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void CUserListModel::Remove(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows({}, row, row);
    m_users.erase(m_users.begin() + row);
    endRemoveRows();
}

int CUserListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_users.size());
}

int CUserListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CUserListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    const UserObj &user = m_users[std::size_t(index.row())];
    switch (index.column()) {
    case LoginColumn:
        return fromLocal(user.get(UserObj::LoginName));
    case NameColumn:
        return fromLocal(user.get(UserObj::AllName));
    case RoleColumn:
        return fromLocal(user.get(UserObj::RoleName));
    case DepartmentColumn:
        return m_departmentName ? m_departmentName(fromLocal(user.get(UserObj::DepartmentID))) : QString();
    default:
        return {};
    }
}

QVariant CUserListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const captions[ColumnCount] = {"用户名", "人员姓名", "所属角色", "部门"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return QString::fromUtf8(captions[section]);
}
