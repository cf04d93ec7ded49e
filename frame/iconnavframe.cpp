#include "frame/iconnavframe.h"

#include <QHash>

#include "frame/outlookbar.h"
#include "frame/proapp.h"

CIconNavFrame::CIconNavFrame(CProApp *app) : CProMainFrame(app) {}

void CIconNavFrame::CreateNavigationBar()
{
    m_bar = new COutlookBar(this);
    CreateNavigationDock(m_bar);
    CProApp *app = GetApp();
    if (!app)
        return;
    app->ReadModuleCount();
    QHash<QString, int> folders;
    for (const ModuleEntry &entry : app->ReadModuleEntries()) {
        auto folder = folders.constFind(entry.group);
        if (folder == folders.cend())
            folder = folders.insert(entry.group, m_bar->AddFolder(entry.group));
        m_bar->AddItem(*folder, entry.name, entry.imageId);
    }
    connect(m_bar, &COutlookBar::ItemClicked, app, &CProApp::OpenModule);
}

void CIconNavFrame::SetNavigationType(int type)
{
    m_type = type ? 1 : 0;
    if (m_bar)
        m_bar->SetLargeIcons(m_type == 1);
}

int CIconNavFrame::ToggleNavigationType()
{
    SetNavigationType(m_type ? 0 : 1);
    return m_type;
}
