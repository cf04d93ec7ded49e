#include "modules/probe/tmonitordoc.h"

#include "frame/elementtree/iconlist.h"
#include "frame/installroot.h"
#include "frame/localtext.h"
#include "frame/proapp.h"
#include "frame/servicecall.h"
#include "modules/probe/entitycatalog.h"
#include "modules/probe/monitorlibrary.h"
#include "modules/probe/probemessage.h"
#include "orb/net/orbservice.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"

CTMonitorDoc::CTMonitorDoc() : m_tree(this)
{
    m_tree.setObjectName(QStringLiteral("elementTree"));
    m_tree.SetIcons(CIconList::Load(InstallRoot::FilePath(QString::fromLatin1(IconFile))));
    if (CProApp *app = GetApp())
        m_service = app->GetService(QString::fromLatin1(ServiceName));
    // Removing the current node's row (or an ancestor's) forgets it.
    connect(&m_tree, &QAbstractItemModel::rowsRemoved, this, &CTMonitorDoc::ForgetIfGone);
    connect(&m_tree, &QAbstractItemModel::modelReset, this, &CTMonitorDoc::ForgetIfGone);
}

CTMonitorDoc::~CTMonitorDoc() = default;

const CMonitorLibrary &CTMonitorDoc::Library()
{
    if (!m_library)
        m_library = std::make_unique<CMonitorLibrary>();
    return *m_library;
}

const CEntityCatalog &CTMonitorDoc::Catalog()
{
    if (!m_catalog)
        m_catalog = std::make_unique<CEntityCatalog>();
    return *m_catalog;
}

void CTMonitorDoc::ForgetIfGone()
{
    if (m_hasCurrent && !m_current.isValid()) {
        m_hasCurrent = false;
        emit CurrentChanged({});
    }
}

void CTMonitorDoc::SetCurrent(const QModelIndex &index)
{
    if (QModelIndex(m_current) == index)
        return;
    m_current = index;
    m_hasCurrent = index.isValid();
    emit CurrentChanged(index);
}

bool CTMonitorDoc::Call(const char *method, const QString &argument, MtxObj *response)
{
    const MtxString text(toLocal(argument).c_str());
    return CallService(m_service, method, {&text}, response, m_window);
}

bool CTMonitorDoc::LoadTree()
{
    auto tree = std::make_unique<MtxTree>(std::make_unique<ElementObj>());
    tree->setFactory(m_service);
    if (!Call("findElementTree", QStringLiteral("-1"), tree.get()))
        return false;
    m_tree.SetTree(std::move(tree));
    return true;
}

bool CTMonitorDoc::SelectElement(const QString &id, ElementObj &element)
{
    element.setFactory(m_service);
    return Call("selectElementObj", id, &element);
}

bool CTMonitorDoc::SelectMonitor(const QString &id, MonitorObj &monitor)
{
    monitor.setFactory(m_service);
    return Call("selectMonitorObj", id, &monitor);
}

bool CTMonitorDoc::FindMonitors(const QString &id, MtxArray &monitors)
{
    monitors.setFactory(m_service);
    return Call("findElementArray", id, &monitors);
}

bool CTMonitorDoc::AddElement(const QModelIndex &parent, const ElementObj &element)
{
    if (!m_tree.Element(parent))
        return false;
    MtxString id;
    if (!CallService(m_service, "addElement", {&element}, &id, m_window))
        return false;
    m_tree.AppendElement(parent, element);
    return true;
}

bool CTMonitorDoc::UpdateElement(const QModelIndex &item, const ElementObj &element)
{
    if (!m_tree.Element(item))
        return false;
    MtxString id;
    if (!CallService(m_service, "updateElement", {&element}, &id, m_window))
        return false;
    m_tree.ReplaceElement(item, element);
    return true;
}

bool CTMonitorDoc::DeleteElement(const QModelIndex &item)
{
    const ElementObj *element = m_tree.Element(item);
    if (!element || m_tree.KindOf(item) == CElementTreeModel::Kind::Root)
        return false;
    const bool device = m_tree.KindOf(item) == CElementTreeModel::Kind::Device;
    if (m_tree.rowCount(item) > 0) {
        ProbeMessage::Tell(device ? QStringLiteral("设备下有检测，不能删除!") : QStringLiteral("有下一级，不能删除"));
        return false;
    }
    return Remove(item, device ? QStringLiteral("确定删除设备\"%1\"吗?") : QStringLiteral("确定删除组\"%1\"吗?"),
                  "deleteElement");
}

bool CTMonitorDoc::Remove(const QModelIndex &item, const QString &question, const char *method)
{
    const ElementObj *element = m_tree.Element(item);
    if (!element || !ProbeMessage::Ask(question.arg(fromLocal(element->get(ElementObj::Text)))))
        return false;
    if (!Call(method, fromLocal(element->get(ElementObj::ID))))
        return false;
    m_tree.RemoveElement(item);
    return true;
}

bool CTMonitorDoc::DeleteTree(const QModelIndex &item)
{
    if (!m_tree.Element(item) || m_tree.KindOf(item) == CElementTreeModel::Kind::Root)
        return false;
    return Remove(item, QStringLiteral("确定删除\"%1\"及其下的全部设备和检测吗?"), "deleteTreeElement");
}

bool CTMonitorDoc::RefreshStatus(const QModelIndex &item)
{
    const ElementObj *element = m_tree.Element(item);
    return element && Call("refreshDeviceStatus", fromLocal(element->get(ElementObj::ID)));
}

bool CTMonitorDoc::AddMonitor(const QModelIndex &device, const MonitorObj &monitor)
{
    if (m_tree.KindOf(device) != CElementTreeModel::Kind::Device)
        return false;
    MtxString id;
    if (!CallService(m_service, "addMonitor", {&monitor}, &id, m_window))
        return false;
    // The tree shows the server's mirror element of the new monitor.
    ElementObj mirror;
    if (SelectElement(fromLocal(monitor.get(MonitorObj::Id)), mirror))
        m_tree.AppendElement(device, mirror);
    emit MonitorsChanged(fromLocal(monitor.get(MonitorObj::ParentId)));
    return true;
}

bool CTMonitorDoc::UpdateMonitor(const QModelIndex &item, const MonitorObj &monitor)
{
    const ElementObj *element = m_tree.Element(item);
    if (!element || m_tree.KindOf(item) != CElementTreeModel::Kind::Monitor)
        return false;
    MtxString id;
    if (!CallService(m_service, "updateMonitor", {&monitor}, &id, m_window))
        return false;
    ElementObj shown(*element);
    shown.set(ElementObj::Text, monitor.get(MonitorObj::Text));
    for (auto [from, to] : {std::pair{MonitorObj::MStatus, ElementObj::MStatus}, {MonitorObj::MSTime, ElementObj::MSTime},
                            {MonitorObj::METime, ElementObj::METime}, {MonitorObj::AStatus, ElementObj::AStatus},
                            {MonitorObj::ASTime, ElementObj::ASTime}, {MonitorObj::AETime, ElementObj::AETime}})
        shown.set(to, monitor.get(from));
    m_tree.ReplaceElement(item, shown);
    emit MonitorsChanged(fromLocal(monitor.get(MonitorObj::ParentId)));
    return true;
}

bool CTMonitorDoc::DeleteMonitor(const QModelIndex &item)
{
    const ElementObj *element = m_tree.Element(item);
    if (!element || m_tree.KindOf(item) != CElementTreeModel::Kind::Monitor)
        return false;
    const QString parentId = fromLocal(element->get(ElementObj::PID));
    if (!Remove(item, QStringLiteral("确定删除检测\"%1\"吗?"), "deleteMonitor"))
        return false;
    emit MonitorsChanged(parentId);
    return true;
}
