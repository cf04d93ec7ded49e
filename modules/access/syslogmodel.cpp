#include "modules/access/syslogmodel.h"

#include "frame/localtext.h"
#include "orb/wire/mtxarray.h"
#include "services/types/syslogobj.h"

const int CSysLogModel::Widths[ColumnCount] = {100, 100, 200, 150, 150, 150};

CSysLogModel::CSysLogModel(QObject *parent) : QAbstractTableModel(parent) {}

CSysLogModel::~CSysLogModel() = default;

void CSysLogModel::SetRecords(std::unique_ptr<MtxArray> records)
{
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
}

void CSysLogModel::Clear()
{
    SetRecords(nullptr);
}

int CSysLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_records ? 0 : int(m_records->size());
}

int CSysLogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CSysLogModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    const auto *record = dynamic_cast<const SysLogObj *>(m_records->at(std::size_t(index.row())));
    // Columns follow the wire order of the record's fields.
    return record ? fromLocal(record->get(index.column())) : QString();
}

QVariant CSysLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const captions[ColumnCount] = {"日志ID", "类型", "日期", "用户", "标题", "描述"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return QString::fromUtf8(captions[section]);
}
