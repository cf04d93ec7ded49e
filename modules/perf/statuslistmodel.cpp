#include "modules/perf/statuslistmodel.h"

CStatusListModel::CStatusListModel(QObject *parent)
    : QAbstractListModel(parent)
    , m_title(QStringLiteral("系统性能"))
{
}

void CStatusListModel::Reset(const QString &title)
{
    beginResetModel();
    m_title = title;
    m_lines.clear();
    endResetModel();
    emit TitleChanged(title);
}

void CStatusListModel::SetLines(const QStringList &lines)
{
    beginResetModel();
    m_lines = lines;
    endResetModel();
}

int CStatusListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant CStatusListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size() || role != Qt::DisplayRole)
        return {};
    return m_lines.at(index.row());
}
