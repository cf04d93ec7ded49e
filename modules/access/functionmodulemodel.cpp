#include "modules/access/functionmodulemodel.h"

#include "frame/localtext.h"
#include "orb/wire/mtxtree.h"
#include "services/types/functionmoduleobj.h"

namespace {
constexpr int MaxDepth = 64;
}

int CFunctionModuleModel::Node::row() const
{
    if (!parent)
        return 0;
    for (std::size_t i = 0; i < parent->children.size(); ++i)
        if (parent->children[i].get() == this)
            return int(i);
    return 0;
}

CFunctionModuleModel::CFunctionModuleModel(QObject *parent)
    : QAbstractItemModel(parent), m_root(std::make_unique<Node>())
{
}

CFunctionModuleModel::~CFunctionModuleModel() = default;

void CFunctionModuleModel::SetTree(const MtxTree &tree)
{
    beginResetModel();
    m_root = std::make_unique<Node>();
    auto build = [](auto &self, const MtxTree &from, Node *parent, int depth) -> void {
        const auto *record = dynamic_cast<const FunctionModuleObj *>(&from.node());
        if (!record || depth > MaxDepth || record->get(FunctionModuleObj::Code).empty())
            return;
        auto node = std::make_unique<Node>();
        node->code = fromLocal(record->get(FunctionModuleObj::Code));
        node->name = fromLocal(record->get(FunctionModuleObj::AllName));
        node->parent = parent;
        Node *added = node.get();
        parent->children.push_back(std::move(node));
        for (std::size_t i = 0; i < from.childCount(); ++i)
            self(self, *from.child(i), added, depth + 1);
    };
    build(build, tree, m_root.get(), 0);
    endResetModel();
}

Qt::CheckState CFunctionModuleModel::Summary(const Node &node, bool granted)
{
    if (node.children.empty())
        return granted ? Qt::Checked : Qt::Unchecked;
    bool all = true, any = false;
    for (const auto &child : node.children) {
        all = all && child->state == Qt::Checked;
        any = any || child->state != Qt::Unchecked;
    }
    if (all)
        return Qt::Checked;
    return any || granted ? Qt::PartiallyChecked : Qt::Unchecked;
}

void CFunctionModuleModel::SetGranted(const QSet<QString> &granted)
{
    auto apply = [&](auto &self, Node *node) -> void {
        for (const auto &child : node->children)
            self(self, child.get());
        if (node != m_root.get())
            node->state = Summary(*node, granted.contains(node->code));
    };
    apply(apply, m_root.get());
    EmitAll(m_root.get());
}

QStringList CFunctionModuleModel::Granted() const
{
    QStringList codes;
    auto walk = [&](auto &self, const Node *node) -> void {
        if (node != m_root.get() && node->state != Qt::Unchecked)
            codes.append(node->code);
        for (const auto &child : node->children)
            self(self, child.get());
    };
    if (!m_root->children.empty())
        walk(walk, m_root->children.front().get());
    return codes;
}

void CFunctionModuleModel::SetBelow(Node *node, Qt::CheckState state)
{
    node->state = state;
    for (const auto &child : node->children)
        SetBelow(child.get(), state);
}

void CFunctionModuleModel::EmitAll(const Node *node)
{
    if (!node->children.empty())
        emit dataChanged(IndexOf(node->children.front().get()), IndexOf(node->children.back().get()),
                         {Qt::CheckStateRole});
    for (const auto &child : node->children)
        EmitAll(child.get());
}

bool CFunctionModuleModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::CheckStateRole || !m_editable)
        return false;
    Node *node = NodeAt(index);
    // A click on a partly checked box checks everything below.
    const auto wanted = static_cast<Qt::CheckState>(value.toInt());
    SetBelow(node, wanted == Qt::Unchecked ? Qt::Unchecked : Qt::Checked);
    EmitAll(node);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    // Modules above stay granted when something below them is unchecked.
    for (Node *up = node->parent; up && up != m_root.get(); up = up->parent) {
        up->state = Summary(*up, up->state != Qt::Unchecked || wanted != Qt::Unchecked);
        const QModelIndex upIndex = IndexOf(up);
        emit dataChanged(upIndex, upIndex, {Qt::CheckStateRole});
    }
    return true;
}

Qt::ItemFlags CFunctionModuleModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editable)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

CFunctionModuleModel::Node *CFunctionModuleModel::NodeAt(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : m_root.get();
}

QModelIndex CFunctionModuleModel::IndexOf(const Node *node) const
{
    if (!node || node == m_root.get())
        return {};
    return createIndex(node->row(), 0, const_cast<Node *>(node));
}

QModelIndex CFunctionModuleModel::index(int row, int column, const QModelIndex &parent) const
{
    const Node *node = NodeAt(parent);
    if (column != 0 || row < 0 || std::size_t(row) >= node->children.size())
        return {};
    return createIndex(row, 0, node->children[std::size_t(row)].get());
}

QModelIndex CFunctionModuleModel::parent(const QModelIndex &child) const
{
    return child.isValid() ? IndexOf(NodeAt(child)->parent) : QModelIndex();
}

int CFunctionModuleModel::rowCount(const QModelIndex &parent) const
{
    return parent.column() > 0 ? 0 : int(NodeAt(parent)->children.size());
}

int CFunctionModuleModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant CFunctionModuleModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Node *node = NodeAt(index);
    switch (role) {
    case Qt::DisplayRole:
        return node->name;
    case Qt::CheckStateRole:
        return node->state;
    case CodeRole:
        return node->code;
    default:
        return {};
    }
}
