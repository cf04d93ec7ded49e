#include "modules/perf/watchtypemodel.h"

#include <QIcon>

#include "frame/localtext.h"
#include "frame/navigationicons.h"
#include "orb/wire/mtxtree.h"
#include "services/types/systypeobj.h"

namespace {
constexpr int NodeImage = 1;
}

struct CWatchTypeModel::Node
{
    QString text;
    int number = 0;
    Node *parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;

    Node *Append(const MtxTree &tree)
    {
        auto child = std::make_unique<Node>();
        child->parent = this;
        child->row = int(children.size());
        if (const auto *record = dynamic_cast<const SysTypeObj *>(&tree.node())) {
            child->text = fromLocal(record->get(SysTypeObj::NodeName));
            child->number = QString::fromStdString(record->get(SysTypeObj::No)).toInt();
        }
        for (std::size_t i = 0; i < tree.childCount(); ++i)
            child->Append(*tree.child(i));
        children.push_back(std::move(child));
        return children.back().get();
    }
};

CWatchTypeModel::CWatchTypeModel(QObject *parent) : QAbstractItemModel(parent), m_root(std::make_unique<Node>()) {}

CWatchTypeModel::~CWatchTypeModel() = default;

void CWatchTypeModel::SetTree(const MtxTree &tree)
{
    beginResetModel();
    m_root = std::make_unique<Node>();
    const auto *record = dynamic_cast<const SysTypeObj *>(&tree.node());
    if (record && !record->get(SysTypeObj::NodeName).empty())
        m_root->Append(tree);
    endResetModel();
}

void CWatchTypeModel::Clear()
{
    beginResetModel();
    m_root = std::make_unique<Node>();
    endResetModel();
}

CWatchTypeModel::Node *CWatchTypeModel::NodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : m_root.get();
}

QModelIndex CWatchTypeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0 || (parent.isValid() && parent.column() != 0))
        return {};
    Node *node = NodeOf(parent);
    if (row >= int(node->children.size()))
        return {};
    return createIndex(row, 0, node->children[row].get());
}

QModelIndex CWatchTypeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    Node *parent = NodeOf(child)->parent;
    if (!parent || parent == m_root.get())
        return {};
    return createIndex(parent->row, 0, parent);
}

int CWatchTypeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(NodeOf(parent)->children.size());
}

int CWatchTypeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant CWatchTypeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Node *node = NodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return node->text;
    case NumberRole:
        return node->number;
    case Qt::DecorationRole:
        return NavigationIcon(NodeImage);
    default:
        return {};
    }
}
