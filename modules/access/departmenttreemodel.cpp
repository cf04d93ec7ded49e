#include "modules/access/departmenttreemodel.h"

#include "frame/localtext.h"
#include "orb/wire/mtxtree.h"
#include "services/types/departmentobj.h"

namespace {

// Far deeper than any organisation; a cyclic or hostile reply stops here.
constexpr int MaxDepth = 64;

} // namespace

CDepartmentTreeModel::CDepartmentTreeModel(QObject *parent) : CNodeTreeModel(parent) {}

CDepartmentTreeModel::~CDepartmentTreeModel() = default;

void CDepartmentTreeModel::SetTree(const MtxTree &tree)
{
    beginResetModel();
    ResetRoot();
    auto build = [](auto &self, const MtxTree &from, Node *parent, int depth) -> void {
        const auto *record = dynamic_cast<const DepartmentObj *>(&from.node());
        if (!record || depth > MaxDepth)
            return;
        Node *added = parent->Append({fromLocal(record->get(DepartmentObj::ID)),
                                      fromLocal(record->get(DepartmentObj::AllName)),
                                      fromLocal(record->get(DepartmentObj::ParentID)),
                                      fromLocal(record->get(DepartmentObj::Description))});
        for (std::size_t i = 0; i < from.childCount(); ++i)
            self(self, *from.child(i), added, depth + 1);
    };
    build(build, tree, Root(), 0);
    endResetModel();
}

void CDepartmentTreeModel::Clear()
{
    beginResetModel();
    ResetRoot();
    endResetModel();
}

CDepartmentTreeModel::Node *CDepartmentTreeModel::Find(Node *node, const QString &id) const
{
    if (node != Root() && node->value.id == id)
        return node;
    for (const auto &child : node->children)
        if (Node *found = Find(child.get(), id))
            return found;
    return nullptr;
}

QModelIndex CDepartmentTreeModel::FindId(const QString &id) const
{
    return IndexOf(Find(Root(), id));
}

CDepartmentTreeModel::Department CDepartmentTreeModel::DepartmentAt(const QModelIndex &index) const
{
    return index.isValid() ? NodeAt(index)->value : Department{};
}

QString CDepartmentTreeModel::NameOf(const QString &id) const
{
    const Node *node = Find(Root(), id);
    return node ? node->value.name : QString();
}

QModelIndex CDepartmentTreeModel::AddDepartment(const QModelIndex &parent, const Department &department)
{
    Node *holder = NodeAt(parent);
    // Without a chosen parent a department goes below the tree's top node.
    if (holder == Root() && !Root()->children.empty())
        holder = Root()->children.front().get();
    const int row = int(holder->children.size());
    beginInsertRows(IndexOf(holder), row, row);
    Node *added = holder->Append(department);
    endInsertRows();
    return IndexOf(added);
}

void CDepartmentTreeModel::UpdateDepartment(const QModelIndex &index, const Department &department)
{
    Node *node = NodeAt(index);
    if (node == Root())
        return;
    const bool moved = node->value.parentId != department.parentId;
    node->value = department;
    emit dataChanged(index, index);
    if (!moved)
        return;
    Node *target = Find(Root(), department.parentId);
    if (!target && !Root()->children.empty())
        target = Root()->children.front().get();
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
    if (node == Root())
        return;
    Node *from = node->parent;
    const int row = node->row();
    beginRemoveRows(IndexOf(from), row, row);
    from->children.erase(from->children.begin() + row);
    endRemoveRows();
}

QVariant CDepartmentTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Department &department = NodeAt(index)->value;
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
