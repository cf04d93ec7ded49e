#include "modules/map/binddialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QTreeView>
#include <QVBoxLayout>

#include "frame/elementtree/iconlist.h"
#include "frame/servicecall.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "services/types/elementobj.h"

CBindDialog::CBindDialog(const QString &currentId, QWidget *parent)
    : CCheckedDialog(parent), m_model(this), m_tree(new QTreeView(this)), m_currentId(currentId)
{
    setWindowTitle(QStringLiteral("关联设备"));
    m_model.SetIcons(CIconList::Load(QDir::current().filePath(QStringLiteral("MTree.ini"))));
    m_tree->setModel(&m_model);
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QDialogButtonBox *buttons = MakeButtons();
    connect(m_tree, &QTreeView::doubleClicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);
    resize(360, 420);
}

bool CBindDialog::LoadTree(OrbService *service)
{
    auto tree = std::make_unique<MtxTree>(std::make_unique<ElementObj>());
    const MtxString all("-1");
    if (!CallService(service, "findElementTree", {&all}, tree.get(), parentWidget()))
        return false;
    m_model.SetTree(std::move(tree));
    m_tree->expandAll();
    Choose(m_currentId);
    return true;
}

bool CBindDialog::Choose(const QString &elementId)
{
    const QModelIndex index = elementId.isEmpty() ? QModelIndex() : m_model.FindId(elementId);
    if (!index.isValid())
        return false;
    m_tree->setCurrentIndex(index);
    return true;
}

QString CBindDialog::ChosenId() const
{
    const QModelIndex index = m_tree->currentIndex();
    return index.isValid() ? index.data(CElementTreeModel::IdRole).toString() : QString();
}

QString CBindDialog::Check() const
{
    const QModelIndex index = m_tree->currentIndex();
    if (!index.isValid())
        return QStringLiteral("请在树中选择要关联的设备或组");
    if (m_model.KindOf(index) == CElementTreeModel::Kind::Root)
        return QStringLiteral("不能关联整个网络的根节点，请选择设备或组");
    return {};
}
