#pragma once

#include <memory>
#include <span>
#include <vector>

#include <QAbstractTableModel>

#include "orb/wire/keelexport.h"
#include "services/types/alertlogobj.h"

class MtxArray;

// The rows of an alert log, one per AlertLogObj in reply order, in the twelve
// columns the log dialogs show. Texts are converted from the code page when
// a view asks for them.
class KEEL_EXPORT CAlertLogModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Column
    {
        const char *heading;
        int width; // pixels; 0 keeps the column hidden
        AlertLogObj::Field field;
    };
    static std::span<const Column> Columns();

    explicit CAlertLogModel(QObject *parent = nullptr);
    ~CAlertLogModel() override;

    // Takes the log entries out of entries (other items are left there).
    void SetEntries(MtxArray &entries);
    void Clear();
    const AlertLogObj &Entry(int row) const { return *m_entries[std::size_t(row)]; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<std::unique_ptr<AlertLogObj>> m_entries;
};
