#include "frame/outlookbar.h"

#include <QListWidget>
#include <QToolBox>
#include <QVBoxLayout>

#include "frame/activationkeys.h"
#include "frame/navigationicons.h"

COutlookBar::COutlookBar(QWidget *parent) : QWidget(parent), m_box(new QToolBox(this))
{
    setObjectName(QStringLiteral("69"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_box);
}

int COutlookBar::AddFolder(const QString &title)
{
    auto *list = new QListWidget(m_box);
    list->setMovement(QListView::Static);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Apply(list);
    connect(list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { emit ItemClicked(item->text()); });
    new CActivationKeys(list, [this](const QModelIndex &index) { emit ItemClicked(index.data().toString()); });
    return m_box->addItem(list, title);
}

void COutlookBar::AddItem(int folder, const QString &text, int imageIndex)
{
    if (QListWidget *list = FolderList(folder)) {
        auto *item = new QListWidgetItem(NavigationIcon(imageIndex), text, list);
        item->setData(Qt::UserRole, imageIndex);
        item->setTextAlignment(m_large ? Qt::AlignHCenter : Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void COutlookBar::SetLargeIcons(bool large)
{
    m_large = large;
    for (int i = 0; i < m_box->count(); ++i)
        Apply(FolderList(i));
}

void COutlookBar::Apply(QListWidget *list) const
{
    list->setViewMode(m_large ? QListView::IconMode : QListView::ListMode);
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(false);
    list->setIconSize(m_large ? QSize(32, 32) : QSize(16, 16));
    list->setGridSize(m_large ? QSize(96, 64) : QSize());
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setTextAlignment(m_large ? Qt::AlignHCenter : Qt::AlignLeft | Qt::AlignVCenter);
}

int COutlookBar::FolderCount() const
{
    return m_box->count();
}

QString COutlookBar::FolderTitle(int folder) const
{
    return m_box->itemText(folder);
}

QListWidget *COutlookBar::FolderList(int folder) const
{
    return qobject_cast<QListWidget *>(m_box->widget(folder));
}
