#pragma once

#include <memory>

#include <QPersistentModelIndex>

#include "frame/elementtree/elementtreemodel.h"
#include "frame/probaseframedoc.h"

class CEntityCatalog;
class CMonitorLibrary;
class ElementObj;
class MonitorObj;
class MtxArray;
class MtxObj;
class OrbService;
class QWidget;

// ProbeDesk's document: the inventory tree fetched from "ElementService", the
// current node (the selected item) and every request that changes the
// inventory. Each request shows the server's message and changes nothing
// locally when it fails; on success the tree is patched to match the server.
class CTMonitorDoc : public CProBaseFrameDoc
{
    Q_OBJECT

public:
    static constexpr const char *ServiceName = "ElementService";
    static constexpr const char *IconFile = "MTree.ini";

    CTMonitorDoc();
    ~CTMonitorDoc() override;

    OrbService *Service() const { return m_service; }
    CElementTreeModel &Tree() { return m_tree; }
    // The catalogues, read on first use.
    const CMonitorLibrary &Library();
    const CEntityCatalog &Catalog();
    // The window the calls belong to (wait cursor, message owner).
    void SetWindow(QWidget *window) { m_window = window; }

    // "findElementTree" "-1": the whole inventory. The current node is
    // forgotten.
    bool LoadTree();

    QModelIndex Current() const { return m_current; }
    void SetCurrent(const QModelIndex &index);

    bool SelectElement(const QString &id, ElementObj &element);
    bool SelectMonitor(const QString &id, MonitorObj &monitor);
    // "findElementArray": the monitors of an element, as elements.
    bool FindMonitors(const QString &id, MtxArray &monitors);

    // "addElement"; the new node becomes the last child of parent.
    bool AddElement(const QModelIndex &parent, const ElementObj &element);
    // "updateElement"; the node shows the new element.
    bool UpdateElement(const QModelIndex &item, const ElementObj &element);
    // "deleteElement" after the local refusals (a group with children, a
    // device with monitors) and the operator's confirmation.
    bool DeleteElement(const QModelIndex &item);
    // "deleteTreeElement" after confirmation: the node with its descendants.
    bool DeleteTree(const QModelIndex &item);
    bool RefreshStatus(const QModelIndex &item);

    // "addMonitor"; the server's mirror element joins the tree under device.
    bool AddMonitor(const QModelIndex &device, const MonitorObj &monitor);
    bool UpdateMonitor(const QModelIndex &item, const MonitorObj &monitor);
    // "deleteMonitor" after confirmation.
    bool DeleteMonitor(const QModelIndex &item);

signals:
    void CurrentChanged(const QModelIndex &current);
    // A device's monitors changed (added, edited, deleted).
    void MonitorsChanged(const QString &deviceId);

private:
    bool Call(const char *method, const QString &argument, MtxObj *response = nullptr);
    // Asks question (with the node's text for %1), sends method with the
    // node's ID and removes the node when the server agrees.
    bool Remove(const QModelIndex &item, const QString &question, const char *method);
    void ForgetIfGone();

    OrbService *m_service = nullptr;
    CElementTreeModel m_tree;
    QPersistentModelIndex m_current;
    bool m_hasCurrent = false;
    std::unique_ptr<CMonitorLibrary> m_library;
    std::unique_ptr<CEntityCatalog> m_catalog;
    QWidget *m_window = nullptr;
};
