#include "modules/probe/tmonitormodule.h"

#include "frame/commandtoolbar.h"
#include "frame/proapp.h"
#include "frame/procommands.h"
#include "frame/prodoctemplate.h"
#include "modules/probe/probecommands.h"
#include "modules/probe/tmonitordoc.h"
#include "modules/probe/tmonitorframe.h"

namespace {

const QString TMonitor = QStringLiteral("TMonitor");
const QString DocStrings = QStringLiteral("\nTMonitor\nTMonitor\n\n\nProBaseFrame.Document\nTMonitorDocument");

constexpr CommandButton Buttons[] = {
    {ProbeCommand::AddMonitor, "添加检测", QStyle::SP_FileDialogNewFolder},
    {ProbeCommand::AddDevice, "添加设备", QStyle::SP_ComputerIcon},
    {ProbeCommand::AddGroup, "添 加 组", QStyle::SP_DirIcon},
    {ProbeCommand::Edit, "编    辑", QStyle::SP_FileDialogDetailedView},
    {ProbeCommand::Delete, "删    除", QStyle::SP_TrashIcon},
    {ProbeCommand::Reload, "刷    新", QStyle::SP_BrowserReload},
    {ProbeCommand::MonitorControl, "检测控制", QStyle::SP_MediaPlay},
    {ProbeCommand::AlertControl, "报警控制", QStyle::SP_MessageBoxWarning},
    {ProCommand::CloseDocument, "关闭", QStyle::SP_DialogCloseButton},
};

} // namespace

CTMonitorModule::CTMonitorModule()
{
    m_moduleName = TMonitor;
    m_docName = TMonitor;
    m_version = QStringLiteral("2.00");
}

int CTMonitorModule::LoadDocTemplate()
{
    m_docTemplate = new CProDocTemplate(
        ResourceId, DocStrings, [] { return new CTMonitorDoc; },
        [](CProBaseFrameDoc *document) { return new CTMonitorFrame(static_cast<CTMonitorDoc *>(document)); });
    return 1;
}

QString CTMonitorModule::GetDocName(const QString &)
{
    CProApp *app = GetApp();
    if (app && !app->CheckPermission(QString::fromLatin1(RightCode)))
        ++m_refusals;
    return m_docName;
}

QToolBar *CTMonitorModule::LoadSubToolBar(const QString &moduleName)
{
    if (moduleName != TMonitor || !GetMainFrame())
        return nullptr;
    QToolBar *toolBar = CreateCommandToolBar(GetMainFrame(), ResourceId, Buttons);
    if (auto *frame = qobject_cast<CTMonitorFrame *>(GetDocumentFrame(moduleName)))
        frame->UpdateCommands(toolBar);
    return toolBar;
}
