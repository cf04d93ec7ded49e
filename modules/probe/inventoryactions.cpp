#include "modules/probe/inventoryactions.h"

#include "frame/alertlog/alertlogdialog.h"
#include "frame/alertlog/servicealertlogsource.h"
#include "frame/identifiers.h"
#include "frame/localtext.h"
#include "frame/proapp.h"
#include "modules/probe/controldialog.h"
#include "modules/probe/devicedialog.h"
#include "modules/probe/dialogrunner.h"
#include "modules/probe/groupdialog.h"
#include "modules/probe/monitordialog.h"
#include "modules/probe/probecommands.h"
#include "modules/probe/probemessage.h"
#include "modules/probe/proberunner.h"
#include "modules/probe/reportlauncher.h"
#include "modules/probe/tmonitordoc.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"

namespace {

using Kind = CElementTreeModel::Kind;

// "检测ID" in the alert log's columns.
constexpr int MonitorIdColumn = 10;

// A new element below parent: new ID, the root's ID as SEID, normal state,
// both schedules "永久有效".
ElementObj NewElement(const QString &parentId, const QString &rootId, const char *type)
{
    ElementObj element;
    element.set(ElementObj::ID, toLocal(Identifiers::NewId()));
    element.set(ElementObj::PID, toLocal(parentId));
    element.set(ElementObj::SEID, toLocal(rootId));
    element.set(ElementObj::Type, type);
    element.set(ElementObj::LastState, "0");
    element.set(ElementObj::MStatus, "0");
    element.set(ElementObj::AStatus, "0");
    return element;
}

// The schedule fields of a record: monitoring (MStatus, MSTime, METime) or
// alerting (AStatus, ASTime, AETime).
struct ScheduleFields
{
    int mode, start, end;
};

template <class Record>
ScheduleFields FieldsOf(bool alerting)
{
    if (alerting)
        return {Record::AStatus, Record::ASTime, Record::AETime};
    return {Record::MStatus, Record::MSTime, Record::METime};
}

// Runs the schedule dialog over record's fields; true when it was confirmed.
template <class Record>
bool EditSchedule(Record &record, bool alerting, QWidget *window)
{
    const auto fields = FieldsOf<Record>(alerting);
    CControlDialog dialog(QStringLiteral("控制"), window);
    dialog.Load({fromLocal(record.get(fields.mode)), fromLocal(record.get(fields.start)), fromLocal(record.get(fields.end))});
    if (DialogRunner::Run(dialog) != QDialog::Accepted)
        return false;
    const CControlDialog::Schedule schedule = dialog.Current();
    record.set(fields.mode, toLocal(schedule.mode));
    record.set(fields.start, toLocal(schedule.start));
    record.set(fields.end, toLocal(schedule.end));
    return true;
}

// Runs the dialog; true when it was confirmed and stored its fields in record.
template <class Dialog, class Record>
bool Confirmed(Dialog &dialog, Record &record)
{
    return DialogRunner::Run(dialog) == QDialog::Accepted && dialog.Store(record).isEmpty();
}

} // namespace

CInventoryActions::CInventoryActions(CTMonitorDoc &document, QWidget *window) : m_doc(document), m_window(window) {}

QString CInventoryActions::IdOf(const QModelIndex &item) const
{
    const ElementObj *element = m_doc.Tree().Element(item);
    return element ? fromLocal(element->get(ElementObj::ID)) : QString();
}

bool CInventoryActions::Run(int command)
{
    return RunOn(command, m_doc.Current());
}

bool CInventoryActions::RunOn(int command, const QModelIndex &current)
{
    const Kind kind = m_doc.Tree().KindOf(current);
    if (!ProbeCommand::Applies(command, current.isValid(), kind))
        return false;
    switch (command) {
    case ProbeCommand::AddGroup:
        return AddGroup(current);
    case ProbeCommand::ModifyGroup:
        return EditGroup(current);
    case ProbeCommand::RefreshStatus:
        return m_doc.RefreshStatus(current);
    case ProbeCommand::AddDevice:
        return AddDevice(current);
    case ProbeCommand::DeleteGroup:
    case ProbeCommand::DeleteDevice:
        return m_doc.DeleteElement(current);
    case ProbeCommand::DeleteTree:
        return m_doc.DeleteTree(current);
    case ProbeCommand::AddMonitor:
        return AddMonitor(current);
    case ProbeCommand::EditDevice:
        return EditDevice(current);
    case ProbeCommand::MonitorControl:
    case ProbeCommand::AlertControl:
        return Control(current, command == ProbeCommand::AlertControl);
    case ProbeCommand::Edit:
        return Edit(current);
    case ProbeCommand::Delete:
        return Delete(current);
    case ProbeCommand::Reload:
        return m_doc.LoadTree();
    case ProbeCommand::Report:
        return Report(current);
    default:
        return false;
    }
}

bool CInventoryActions::AddGroup(const QModelIndex &parent)
{
    ElementObj group = NewElement(IdOf(parent), m_doc.Tree().RootId(), "1");
    CGroupDialog dialog(m_window);
    if (!Confirmed(dialog, group))
        return false;
    return m_doc.AddElement(parent, group);
}

bool CInventoryActions::EditGroup(const QModelIndex &item)
{
    ElementObj group;
    if (!m_doc.SelectElement(IdOf(item), group))
        return false;
    CGroupDialog dialog(m_window);
    dialog.Load(group);
    if (!Confirmed(dialog, group))
        return false;
    return m_doc.UpdateElement(item, group);
}

bool CInventoryActions::AddDevice(const QModelIndex &parent)
{
    ElementObj device = NewElement(IdOf(parent), m_doc.Tree().RootId(), "");
    CDeviceDialog dialog(m_doc.Catalog(), m_window);
    dialog.setWindowTitle(QStringLiteral("添加设备"));
    dialog.ChooseFirstType();
    if (!Confirmed(dialog, device))
        return false;
    return m_doc.AddElement(parent, device);
}

bool CInventoryActions::EditDevice(const QModelIndex &item)
{
    ElementObj device;
    if (!m_doc.SelectElement(IdOf(item), device))
        return false;
    CDeviceDialog dialog(m_doc.Catalog(), m_window);
    dialog.setWindowTitle(QStringLiteral("编辑设备"));
    dialog.Load(device);
    if (!Confirmed(dialog, device))
        return false;
    return m_doc.UpdateElement(item, device);
}

bool CInventoryActions::AddMonitor(const QModelIndex &deviceItem)
{
    ElementObj device;
    if (!m_doc.SelectElement(IdOf(deviceItem), device))
        return false;
    MonitorObj monitor;
    monitor.set(MonitorObj::Id, toLocal(Identifiers::NewId()));
    monitor.set(MonitorObj::seid, toLocal(m_doc.Tree().RootId()));
    monitor.set(MonitorObj::ParentId, device.get(ElementObj::ID));
    monitor.set(MonitorObj::MStatus, "0");
    monitor.set(MonitorObj::AStatus, "0");
    CMonitorDialog dialog(m_doc.Library(), m_doc.Catalog(), device, m_window);
    dialog.setWindowTitle(QStringLiteral("添加检测"));
    dialog.ChooseFirstKind();
    if (!Confirmed(dialog, monitor))
        return false;
    return m_doc.AddMonitor(deviceItem, monitor);
}

bool CInventoryActions::EditMonitor(const QModelIndex &item)
{
    const ElementObj *device = m_doc.Tree().Element(item.parent());
    MonitorObj monitor;
    if (!device || !m_doc.SelectMonitor(IdOf(item), monitor))
        return false;
    CMonitorDialog dialog(m_doc.Library(), m_doc.Catalog(), *device, m_window);
    dialog.setWindowTitle(QStringLiteral("编辑检测"));
    dialog.Load(monitor);
    if (!Confirmed(dialog, monitor))
        return false;
    return m_doc.UpdateMonitor(item, monitor);
}

bool CInventoryActions::Edit(const QModelIndex &item)
{
    switch (m_doc.Tree().KindOf(item)) {
    case Kind::Root:
    case Kind::Group:
        return EditGroup(item);
    case Kind::Device:
        return EditDevice(item);
    case Kind::Monitor:
        return EditMonitor(item);
    }
    return false;
}

bool CInventoryActions::Delete(const QModelIndex &item)
{
    if (m_doc.Tree().KindOf(item) == Kind::Monitor)
        return m_doc.DeleteMonitor(item);
    return m_doc.DeleteElement(item);
}

bool CInventoryActions::Control(const QModelIndex &item, bool alerting)
{
    if (m_doc.Tree().KindOf(item) == Kind::Monitor) {
        MonitorObj monitor;
        if (!m_doc.SelectMonitor(IdOf(item), monitor) || !EditSchedule(monitor, alerting, m_window))
            return false;
        return m_doc.UpdateMonitor(item, monitor);
    }
    ElementObj element;
    if (!m_doc.SelectElement(IdOf(item), element) || !EditSchedule(element, alerting, m_window))
        return false;
    return m_doc.UpdateElement(item, element);
}

bool CInventoryActions::Report(const QModelIndex &item)
{
    const ElementObj *element = m_doc.Tree().Element(item);
    if (!element)
        return false;
    return ProbeMessage::Passed(CReportLauncher(CReportLauncher::ConfiguredRoot()).Launch(*element));
}

bool CInventoryActions::TestMonitor(const ElementObj &monitor)
{
    bool numeric = false;
    if (QString::fromStdString(monitor.get(ElementObj::Type)).toInt(&numeric) < 4 || !numeric)
        return false;
    return CProbeRunner().Test(m_doc, fromLocal(monitor.get(ElementObj::PID)), fromLocal(monitor.get(ElementObj::ID)));
}

void CInventoryActions::ShowAlertLog(const QString &monitorId)
{
    CProApp *app = CProApp::instance();
    CServiceAlertLogSource source = CServiceAlertLogSource::ByMonitor(
        app ? app->GetService(QStringLiteral("AlertService")) : nullptr, toLocal(monitorId), m_window);
    CAlertLogDialog dialog(source, m_window);
    dialog.SetColumnWidth(MonitorIdColumn, 0); // the log is of this one monitor
    DialogRunner::Run(dialog);
}
