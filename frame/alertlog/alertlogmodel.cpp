#include "frame/alertlog/alertlogmodel.h"

#include <algorithm>

#include "frame/localtext.h"
#include "orb/wire/mtxarray.h"

namespace {

constexpr CAlertLogModel::Column Columns[] = {
    {"报警ID", 0, AlertLogObj::AlertLogID},
    {"报警规则ID", 0, AlertLogObj::AlertRuleID},
    {"管理者", 0, AlertLogObj::ManagerName},
    {"报警时间", 130, AlertLogObj::AlertDateTime},
    {"是否发送", 60, AlertLogObj::IfSended},
    {"报警名称", 90, AlertLogObj::RuleName},
    {"对象", 0, AlertLogObj::Objective},
    {"报警类型", 60, AlertLogObj::RuleType},
    {"是否成功", 60, AlertLogObj::IfSucceed},
    {"备注", 0, AlertLogObj::Remark},
    {"检测ID", 90, AlertLogObj::MonitorId},
    {"检测结果", 300, AlertLogObj::Content},
};

} // namespace

std::span<const CAlertLogModel::Column> CAlertLogModel::Columns()
{
    return ::Columns;
}

CAlertLogModel::CAlertLogModel(QObject *parent) : QAbstractTableModel(parent)
{
}

CAlertLogModel::~CAlertLogModel() = default;

void CAlertLogModel::SetEntries(MtxArray &entries)
{
    beginResetModel();
    m_entries.clear();
    m_entries.reserve(entries.size());
    // From the back, so that taking an item moves nothing when all are entries.
    for (std::size_t i = entries.size(); i-- > 0;) {
        if (dynamic_cast<AlertLogObj *>(entries.at(i)))
            m_entries.emplace_back(static_cast<AlertLogObj *>(entries.takeAt(i).release()));
    }
    std::reverse(m_entries.begin(), m_entries.end());
    endResetModel();
}

void CAlertLogModel::Clear()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

int CAlertLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int CAlertLogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(std::size(::Columns));
}

QVariant CAlertLogModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole)
        return {};
    return fromLocal(Entry(index.row()).get(::Columns[index.column()].field));
}

QVariant CAlertLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromUtf8(::Columns[section].heading);
}
