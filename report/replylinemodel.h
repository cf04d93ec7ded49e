#pragma once

#include <vector>

#include <QAbstractListModel>

class CReportData;

// The text display's model: one row per line of the reply, exactly as
// received. Rows are cut out of the reply and decoded only when a view asks
// for them, so a reply of a million lines opens at once.
class CReplyLineModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit CReplyLineModel(QObject *parent = nullptr);

    // Shows the reply of data (which must outlive its use here).
    void SetReport(const CReportData *data);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    const CReportData *m_data = nullptr;
    std::vector<uint32_t> m_lineStart;
};
