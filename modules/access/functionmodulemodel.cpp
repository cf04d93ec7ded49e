#include "modules/access/functionmodulemodel.h"

#include "frame/localtext.h"
#include "orb/wire/mtxtree.h"
#include "services/types/functionmoduleobj.h"

namespace {
constexpr int MaxDepth = 64;
}

CFunctionModuleModel::CFunctionModuleModel(QObject *parent) : CNodeTreeModel(parent) {}

CFunctionModuleModel::~CFunctionModuleModel() = default;

void CFunctionModuleModel::SetTree(const MtxTree &tree)
{
    beginResetModel();
    ResetRoot();
    auto build = [](auto &self, const MtxTree &from, Node *parent, int depth) -> void {
        const auto *record = dynamic_cast<const FunctionModuleObj *>(&from.node());
        if (!record || depth > MaxDepth || record->get(FunctionModuleObj::Code).empty())
            return;
        Node *added = parent->Append({fromLocal(record->get(FunctionModuleObj::Code)),
                                      fromLocal(record->get(FunctionModuleObj::AllName))});
        for (std::size_t i = 0; i < from.childCount(); ++i)
            self(self, *from.child(i), added, depth + 1);
    };
    build(build, tree, Root(), 0);
    endResetModel();
}

Qt::CheckState CFunctionModuleModel::Summary(const Node &node, bool granted)
{
    if (node.children.empty())
        return granted ? Qt::Checked : Qt::Unchecked;
    bool all = true, any = false;
    for (const auto &child : node.children) {
        all = all && child->value.state == Qt::Checked;
        any = any || child->value.state != Qt::Unchecked;
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
        if (node != Root())
            node->value.state = Summary(*node, granted.contains(node->value.code));
    };
    apply(apply, Root());
    EmitAll(Root());
}

QStringList CFunctionModuleModel::Granted() const
{
    QStringList codes;
    auto walk = [&](auto &self, const Node *node) -> void {
        if (node != Root() && node->value.state != Qt::Unchecked)
            codes.append(node->value.code);
        for (const auto &child : node->children)
            self(self, child.get());
    };
    if (!Root()->children.empty())
        walk(walk, Root()->children.front().get());
    return codes;
}

void CFunctionModuleModel::SetBelow(Node *node, Qt::CheckState state)
{
    node->value.state = state;
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
    for (Node *up = node->parent; up && up != Root(); up = up->parent) {
        up->value.state = Summary(*up, up->value.state != Qt::Unchecked || wanted != Qt::Unchecked);
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

QVariant CFunctionModuleModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Node *node = NodeAt(index);
    switch (role) {
    case Qt::DisplayRole:
        return node->value.name;
    case Qt::CheckStateRole:
        return node->value.state;
    case CodeRole:
        return node->value.code;
    default:
        return {};
    }
}
