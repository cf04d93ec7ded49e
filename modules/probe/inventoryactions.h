#pragma once

#include <QModelIndex>

class CTMonitorDoc;
class ElementObj;
class QWidget;

// Runs ProbeDesk's commands on the document's current node: opens the
// dialog a command needs, fills it from the server's record, and sends the
// result through the document.
class CInventoryActions
{
public:
    CInventoryActions(CTMonitorDoc &document, QWidget *window);

    // False when the command does not apply to the current node (or was
    // cancelled or refused).
    bool Run(int command);
    // The same on item instead of the current node.
    bool RunOn(int command, const QModelIndex &item);

    // Runs monitor once on the probe ("Test" acts only on elements of Type 4
    // or more); true when the run completed.
    bool TestMonitor(const ElementObj &monitor);
    // The alert log dialog of the monitor (from "AlertService").
    void ShowAlertLog(const QString &monitorId);

private:
    bool AddGroup(const QModelIndex &parent);
    bool EditGroup(const QModelIndex &item);
    bool AddDevice(const QModelIndex &parent);
    bool EditDevice(const QModelIndex &item);
    bool AddMonitor(const QModelIndex &device);
    bool EditMonitor(const QModelIndex &item);
    bool Edit(const QModelIndex &item);
    bool Delete(const QModelIndex &item);
    bool Control(const QModelIndex &item, bool alerting);
    bool Report(const QModelIndex &item);
    QString IdOf(const QModelIndex &item) const;

    CTMonitorDoc &m_doc;
    QWidget *m_window;
};
