#pragma once

#include <QWidget>

#include "modules/probe/monitorlistmodel.h"

class CTMonitorDoc;
class QLabel;
class QTableView;

// The details of the selected element, and for a device the list of its
// monitors ("findElementArray").
class CRUpView : public QWidget
{
    Q_OBJECT

public:
    explicit CRUpView(CTMonitorDoc &document, QWidget *parent = nullptr);

    void ShowElement(const QModelIndex &item);
    CMonitorListModel &Monitors() { return m_monitors; }
    QLabel *Field(int row) const;

private:
    CTMonitorDoc &m_doc;
    CMonitorListModel m_monitors;
    QList<QLabel *> m_fields;
    QTableView *m_list;
    QString m_deviceId;
};
