#include "frame/treenavframe.h"

#include <QDockWidget>
#include <QHash>
#include <QHeaderView>
#include <QTreeWidget>

#include "frame/activationkeys.h"
#include "frame/navigationicons.h"
#include "frame/proapp.h"

namespace {
constexpr int GroupImage = 4;
}

CTreeNavFrame::CTreeNavFrame(CProApp *app) : CProMainFrame(app) {}

void CTreeNavFrame::CreateNavigationBar()
{
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("157"));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setFrameShadow(QFrame::Sunken);
    QDockWidget *dock = CreateNavigationDock(m_tree);
    resizeDocks({dock}, {InitialBarWidth}, Qt::Horizontal);
    CProApp *app = GetApp();
    if (!app)
        return;
    app->ReadModuleCount();
    QHash<QString, QTreeWidgetItem *> roots;
    for (const ModuleEntry &entry : app->ReadModuleEntries()) {
        QTreeWidgetItem *&root = roots[entry.group];
        if (!root) {
            root = new QTreeWidgetItem(m_tree, {entry.group});
            root->setIcon(0, NavigationIcon(GroupImage));
        }
        auto *item = new QTreeWidgetItem(root, {entry.name});
        item->setIcon(0, NavigationIcon(entry.imageId));
    }
    m_tree->expandAll();
    connect(m_tree, &QTreeWidget::itemDoubleClicked, app,
            [app](QTreeWidgetItem *item) { app->OpenModule(item->text(0)); });
    new CActivationKeys(m_tree, [app](const QModelIndex &index) { app->OpenModule(index.data().toString()); });
}
