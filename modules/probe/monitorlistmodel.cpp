#include "modules/probe/monitorlistmodel.h"

#include "frame/localtext.h"
#include "modules/probe/monitorlibrary.h"
#include "orb/wire/mtxarray.h"
#include "services/types/elementobj.h"

namespace {

const char *const Headers[] = {"检测名称", "检测类型", "状态", "最后检测时间"};
const char *const States[] = {"正常", "危险", "错误"};

} // namespace

CMonitorListModel::CMonitorListModel(QObject *parent) : QAbstractTableModel(parent) {}

CMonitorListModel::~CMonitorListModel() = default;

void CMonitorListModel::SetMonitors(std::unique_ptr<MtxArray> monitors)
{
    beginResetModel();
    m_monitors = std::move(monitors);
    endResetModel();
}

void CMonitorListModel::Clear()
{
    SetMonitors(nullptr);
}

int CMonitorListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_monitors ? 0 : int(m_monitors->size());
}

int CMonitorListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const ElementObj *CMonitorListModel::Element(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    return dynamic_cast<const ElementObj *>(m_monitors->at(std::size_t(row)));
}

QVariant CMonitorListModel::data(const QModelIndex &index, int role) const
{
    const ElementObj *element = index.isValid() ? Element(index.row()) : nullptr;
    if (!element)
        return {};
    if (role == StateRole) {
        bool numeric = false;
        const int state = QString::fromStdString(element->get(ElementObj::LastState)).toInt(&numeric);
        return numeric ? QVariant(state) : QVariant();
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Name:
        return fromLocal(element->get(ElementObj::Text));
    case Kind: {
        const QString id = fromLocal(element->get(ElementObj::Monitor_Type));
        const MonitorKind *kind = m_library ? m_library->Find(id) : nullptr;
        return kind ? kind->name : id;
    }
    case State: {
        bool numeric = false;
        const int state = fromLocal(element->get(ElementObj::LastState)).toInt(&numeric);
        return numeric && state >= 0 && state < 3 ? QString::fromUtf8(States[state])
                                                   : fromLocal(element->get(ElementObj::LastState));
    }
    case LastMonitorTime:
        return fromLocal(element->get(ElementObj::LastMonitorTime));
    default:
        return {};
    }
}

QVariant CMonitorListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return QString::fromUtf8(Headers[section]);
}
