#pragma once

#include <memory>

#include <QAbstractTableModel>

class MtxArray;

// The operation-log list: one row per SysLogObj of the last query, six
// columns in wire order. The reply's array is kept as it came and the texts
// are made only for the rows shown.
class CSysLogModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = 6;

    explicit CSysLogModel(QObject *parent = nullptr);
    ~CSysLogModel() override;

    // Takes over records (items that are not SysLogObj show empty).
    void SetRecords(std::unique_ptr<MtxArray> records);
    void Clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The column widths of the list.
    static const int Widths[ColumnCount];

private:
    std::unique_ptr<MtxArray> m_records;
};
