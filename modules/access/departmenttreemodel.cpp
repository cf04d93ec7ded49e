#include "modules/access/departmenttreemodel.h"

#include "frame/localtext.h"
#include "orb/wire/mtxtree.h"
#include "services/types/departmentobj.h"

namespace {

// Far deeper than any organisation; a cyclic or hostile reply stops here.
constexpr int MaxDepth = 64;

} // namespace

int CDepartmentTreeModel::Node::row() const
{
    if (!parent)
        return 0;
    for (std::size_t i = 0; i < parent->children.size(); ++i)
        if (parent->children[i].get() == this)
            return int(i);
    return 0;
}

CDepartmentTreeModel::CDepartmentTreeModel(QObject *parent) : QAbstractItemModel(parent), m_root(std::make_unique<Node>())
{
}

CDepartmentTreeModel::~CDepartmentTreeModel() = default;

void CDepartmentTreeModel::SetTree(const MtxTree &tree)
{
    beginResetModel();
    m_root = std::make_unique<Node>();
    auto build = [](auto &self, const MtxTree &from, Node *parent, int depth) -> void {
        const auto *record = dynamic_cast<const DepartmentObj *>(&from.node());
        if (!record || depth > MaxDepth)
            return;
        auto node = std::make_unique<Node>();
        node->department = {fromLocal(record->get(DepartmentObj::ID)), fromLocal(record->get(DepartmentObj::AllName)),
                            fromLocal(record->get(DepartmentObj::ParentID)),
                            fromLocal(record->get(DepartmentObj::Description))};
        node->parent = parent;
        Node *added = node.get();
        parent->children.push_back(std::move(node));
        for (std::size_t i = 0; i < from.childCount(); ++i)
            self(self, *from.child(i), added, depth + 1);
    };
    build(build, tree, m_root.get(), 0);
    endResetModel();
}

void CDepartmentTreeModel::Clear()
{
    beginResetModel();
    m_root = std::make_unique<Node>();
    endResetModel();
}

CDepartmentTreeModel::Node *CDepartmentTreeModel::NodeAt(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : m_root.get();
}

QModelIndex CDepartmentTreeModel::IndexOf(const Node *node) const
{
    if (!node || node == m_root.get())
        return {};
    return createIndex(node->row(), 0, const_cast<Node *>(node));
}

CDepartmentTreeModel::Node *CDepartmentTreeModel::Find(Node *node, const QString &id) const
{
    if (node != m_root.get() && node->department.id == id)
        return node;
    for (const auto &child : node->children)
        if (Node *found = Find(child.get(), id))
            return found;
    return nullptr;
}

QModelIndex CDepartmentTreeModel::FindId(const QString &id) const
{
    return IndexOf(Find(m_root.get(), id));
}

CDepartmentTreeModel::Department CDepartmentTreeModel::DepartmentAt(const QModelIndex &index) const
{
    return index.isValid() ? NodeAt(index)->department : Department{};
}

QString CDepartmentTreeModel::NameOf(const QString &id) const
{
    const Node *node = Find(m_root.get(), id);
    return node ? node->department.name : QString();
}

QModelIndex CDepartmentTreeModel::AddDepartment(const QModelIndex &parent, const Department &department)
{
    Node *holder = NodeAt(parent);
    // Without a chosen parent a department goes below the tree's top node.
    if (holder == m_root.get() && !m_root->children.empty())
        holder = m_root->children.front().get();
    const int row = int(holder->children.size());
    beginInsertRows(IndexOf(holder), row, row);
    auto node = std::make_unique<Node>();
    node->department = department;
    node->parent = holder;
    Node *added = node.get();
    holder->children.push_back(std::move(node));
    endInsertRows();
    return IndexOf(added);
}

void CDepartmentTreeModel::UpdateDepartment(const QModelIndex &index, const Department &department)
{
    Node *node = NodeAt(index);
    if (node == m_root.get())
        return;
    const bool moved = node->department.parentId != department.parentId;
    node->department = department;
    emit dataChanged(index, index);
    if (!moved)
        return;
    Node *target = Find(m_root.get(), department.parentId);
    if (!target && !m_root->children.empty())
        target = m_root->children.front().get();
    for (Node *up = target; up; up = up->parent)
        if (up == node)
            return; // the server refuses such a move; keep the tree as it is
    if (!target || target == node->parent)
        return;
    Node *from = node->parent;
    const int fromRow = node->row();
    const int toRow = int(target->children.size());
    beginMoveRows(IndexOf(from), fromRow, fromRow, IndexOf(target), toRow);
    std::unique_ptr<Node> taken = std::move(from->children[std::size_t(fromRow)]);
    from->children.erase(from->children.begin() + fromRow);
    taken->parent = target;
    target->children.push_back(std::move(taken));
    endMoveRows();
}

void CDepartmentTreeModel::RemoveDepartment(const QModelIndex &index)
{
    Node *node = NodeAt(index);
    if (node == m_root.get())
        return;
    Node *from = node->parent;
    const int row = node->row();
    beginRemoveRows(IndexOf(from), row, row);
    from->children.erase(from->children.begin() + row);
    endRemoveRows();
}

QModelIndex CDepartmentTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    const Node *node = NodeAt(parent);
    if (column != 0 || row < 0 || std::size_t(row) >= node->children.size())
        return {};
    return createIndex(row, 0, node->children[std::size_t(row)].get());
}

QModelIndex CDepartmentTreeModel::parent(const QModelIndex &child) const
{
    return child.isValid() ? IndexOf(NodeAt(child)->parent) : QModelIndex();
}

int CDepartmentTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(NodeAt(parent)->children.size());
}

int CDepartmentTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant CDepartmentTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Department &department = NodeAt(index)->department;
    switch (role) {
    case Qt::DisplayRole:
        return department.name;
    case IdRole:
        return department.id;
    case ParentIdRole:
        return department.parentId;
    case DescriptionRole:
        return department.description;
    default:
        return {};
    }
}
