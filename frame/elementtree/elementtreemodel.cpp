#include "frame/elementtree/elementtreemodel.h"

#include <charconv>

#include "frame/elementtree/iconlist.h"
#include "frame/localtext.h"
#include "orb/wire/mtxtree.h"
#include "services/types/elementobj.h"

// The model keeps the element records and lets the MtxTree that carried them
// go: a tree node of its own would double the per-element overhead.
struct CElementTreeModel::Node
{
    std::unique_ptr<ElementObj> element;
    Node *parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

// A decimal number from 0 without sign or other characters, else -1.
int Number(const std::string &text)
{
    int value = -1;
    const char *end = text.data() + text.size();
    auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end || value < 0)
        return -1;
    return value;
}

bool IsElement(const MtxTree &tree)
{
    return dynamic_cast<const ElementObj *>(&tree.node()) != nullptr;
}

std::unique_ptr<ElementObj> TakeElement(MtxTree &tree)
{
    return std::unique_ptr<ElementObj>(static_cast<ElementObj *>(tree.takeNode().release()));
}

} // namespace

CElementTreeModel::CElementTreeModel(QObject *parent) : QAbstractItemModel(parent) {}

CElementTreeModel::~CElementTreeModel() = default;

int CElementTreeModel::IconIndex(const ElementObj &element, bool isRoot)
{
    const int state = Number(element.get(ElementObj::LastState));
    if (state < 0 || state >= StatesPerKind)
        return -1;
    if (isRoot)
        return state;
    int type = Number(element.get(ElementObj::Type));
    if (type < 0)
        return -1;
    if (type > LastIconKind)
        type = 0;
    return StatesPerKind * type + state;
}

void CElementTreeModel::SetIcons(std::shared_ptr<const CIconList> icons)
{
    // Normally set before the first tree; later, the items are shown anew.
    beginResetModel();
    m_icons = std::move(icons);
    endResetModel();
}

void CElementTreeModel::SetCheckable(bool checkable)
{
    beginResetModel();
    m_checkable = checkable;
    endResetModel();
}

ElementObj &CElementTreeModel::ElementOf(const Node &node)
{
    return *node.element;
}

void CElementTreeModel::AttachChildren(Node &top, std::unique_ptr<MtxTree> topTree)
{
    // Iterative, so a deep tree cannot exhaust the stack. Each MtxTree goes as
    // soon as its children are taken, so that the nodes made next can reuse
    // its memory instead of leaving it as holes between the records.
    std::vector<std::pair<Node *, std::unique_ptr<MtxTree>>> pending;
    pending.emplace_back(&top, std::move(topTree));
    std::vector<std::unique_ptr<MtxTree>> children;
    while (!pending.empty()) {
        auto [node, tree] = std::move(pending.back());
        pending.pop_back();
        children.clear();
        while (tree->childCount() > 0) // from the back: each take is then free of moves
            children.push_back(tree->takeChild(tree->childCount() - 1));
        tree.reset();
        node->children.reserve(children.size()); // all elements, but for a rare stray node
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            if (!IsElement(**child))
                continue;
            auto created = std::make_unique<Node>();
            created->element = TakeElement(**child);
            created->parent = node;
            created->row = int(node->children.size());
            pending.emplace_back(created.get(), std::move(*child));
            node->children.push_back(std::move(created));
            ++m_count;
        }
    }
}

void CElementTreeModel::SetTree(std::unique_ptr<MtxTree> tree)
{
    beginResetModel();
    m_root.reset();
    m_count = 0;
    ForgetIds();
    if (tree && IsElement(*tree) && !static_cast<ElementObj &>(tree->node()).get(ElementObj::Text).empty()) {
        m_root = std::make_unique<Node>();
        m_root->element = TakeElement(*tree);
        m_count = 1;
        AttachChildren(*m_root, std::move(tree));
    }
    endResetModel();
}

void CElementTreeModel::Clear()
{
    SetTree(nullptr);
}

const ElementObj *CElementTreeModel::Root() const
{
    return m_root ? &ElementOf(*m_root) : nullptr;
}

QString CElementTreeModel::RootId() const
{
    return m_root ? fromLocal(ElementOf(*m_root).get(ElementObj::ID)) : QString();
}

CElementTreeModel::Node *CElementTreeModel::NodeOf(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this ? static_cast<Node *>(index.internalPointer()) : nullptr;
}

QModelIndex CElementTreeModel::IndexOf(const Node *node) const
{
    return node ? createIndex(node->row, 0, const_cast<Node *>(node)) : QModelIndex();
}

const ElementObj *CElementTreeModel::Element(const QModelIndex &index) const
{
    const Node *node = NodeOf(index);
    return node ? &ElementOf(*node) : nullptr;
}

CElementTreeModel::Kind CElementTreeModel::KindOf(const QModelIndex &index) const
{
    const Node *node = NodeOf(index);
    if (!node || !node->parent)
        return Kind::Root;
    if (ElementOf(*node).get(ElementObj::Type) == "1")
        return Kind::Group;
    const Node *parent = node->parent;
    if (parent->parent && ElementOf(*parent).get(ElementObj::Type) != "1")
        return Kind::Monitor;
    return Kind::Device;
}

void CElementTreeModel::ForgetIds() const
{
    m_byId.clear();
    m_byIdReady = false;
}

QModelIndex CElementTreeModel::FindId(const QString &id) const
{
    if (!m_root)
        return {};
    if (!m_byIdReady) {
        m_byId.reserve(std::size_t(m_count));
        std::vector<Node *> pending{m_root.get()};
        while (!pending.empty()) {
            Node *node = pending.back();
            pending.pop_back();
            m_byId.emplace(ElementOf(*node).get(ElementObj::ID), node);
            for (auto &child : node->children)
                pending.push_back(child.get());
        }
        m_byIdReady = true;
    }
    auto found = m_byId.find(toLocal(id));
    return found == m_byId.end() ? QModelIndex() : IndexOf(found->second);
}

QModelIndex CElementTreeModel::AppendElement(const QModelIndex &parentIndex, const ElementObj &element)
{
    Node *parent = NodeOf(parentIndex);
    if (!parent)
        return {};
    const int row = int(parent->children.size());
    beginInsertRows(parentIndex, row, row);
    auto node = std::make_unique<Node>();
    node->element = std::make_unique<ElementObj>(element);
    node->parent = parent;
    node->row = row;
    Node *result = node.get();
    parent->children.push_back(std::move(node));
    ++m_count;
    if (m_byIdReady)
        m_byId.emplace(element.get(ElementObj::ID), result);
    endInsertRows();
    return IndexOf(result);
}

bool CElementTreeModel::RemoveElement(const QModelIndex &index)
{
    Node *node = NodeOf(index);
    if (!node)
        return false;
    if (!node->parent) {
        Clear();
        return true;
    }
    Node *parent = node->parent;
    const int row = node->row;
    beginRemoveRows(IndexOf(parent), row, row);
    int removed = 0;
    std::vector<const Node *> pending{node};
    while (!pending.empty()) {
        const Node *each = pending.back();
        pending.pop_back();
        ++removed;
        for (const auto &child : each->children)
            pending.push_back(child.get());
    }
    ForgetIds();
    parent->children.erase(parent->children.begin() + row);
    for (std::size_t i = std::size_t(row); i < parent->children.size(); ++i)
        parent->children[i]->row = int(i);
    m_count -= removed;
    endRemoveRows();
    return true;
}

bool CElementTreeModel::ReplaceElement(const QModelIndex &index, const ElementObj &element)
{
    Node *node = NodeOf(index);
    if (!node)
        return false;
    if (ElementOf(*node).get(ElementObj::ID) != element.get(ElementObj::ID))
        ForgetIds();
    ElementOf(*node) = element;
    emit dataChanged(index, index);
    return true;
}

void CElementTreeModel::SetCheckedIds(const QSet<QString> &ids)
{
    const QSet<QString> changed = (m_checked - ids) + (ids - m_checked);
    m_checked = ids;
    if (!m_checkable)
        return;
    for (const QString &id : changed) {
        const QModelIndex item = FindId(id);
        if (item.isValid())
            emit dataChanged(item, item, {Qt::CheckStateRole});
    }
}

QModelIndex CElementTreeModel::index(int row, int column, const QModelIndex &parentIndex) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parentIndex.isValid())
        return row == 0 && m_root ? IndexOf(m_root.get()) : QModelIndex();
    const Node *parent = NodeOf(parentIndex);
    if (!parent || row >= int(parent->children.size()))
        return {};
    return IndexOf(parent->children[std::size_t(row)].get());
}

QModelIndex CElementTreeModel::parent(const QModelIndex &child) const
{
    const Node *node = NodeOf(child);
    return node ? IndexOf(node->parent) : QModelIndex();
}

int CElementTreeModel::rowCount(const QModelIndex &parentIndex) const
{
    if (!parentIndex.isValid())
        return m_root ? 1 : 0;
    if (parentIndex.column() != 0)
        return 0;
    const Node *node = NodeOf(parentIndex);
    return node ? int(node->children.size()) : 0;
}

int CElementTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool CElementTreeModel::hasChildren(const QModelIndex &parentIndex) const
{
    return rowCount(parentIndex) > 0;
}

QVariant CElementTreeModel::data(const QModelIndex &index, int role) const
{
    const Node *node = NodeOf(index);
    if (!node)
        return {};
    const ElementObj &element = ElementOf(*node);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return fromLocal(element.get(ElementObj::Text));
    case Qt::DecorationRole: {
        const int icon = m_icons ? IconIndex(element, !node->parent) : -1;
        if (icon < 0 || icon >= m_icons->Count())
            return {};
        return m_icons->Icon(icon);
    }
    case Qt::CheckStateRole:
        if (!m_checkable)
            return {};
        return m_checked.contains(fromLocal(element.get(ElementObj::ID))) ? Qt::Checked : Qt::Unchecked;
    case IdRole:
        return fromLocal(element.get(ElementObj::ID));
    case TypeRole:
        return fromLocal(element.get(ElementObj::Type));
    case StateRole:
        return fromLocal(element.get(ElementObj::LastState));
    case KindRole:
        return int(KindOf(index));
    default:
        return {};
    }
}

bool CElementTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const Node *node = NodeOf(index);
    if (!node || role != Qt::CheckStateRole || !m_checkable)
        return false;
    const QString id = fromLocal(ElementOf(*node).get(ElementObj::ID));
    if (value.toInt() == Qt::Checked)
        m_checked.insert(id);
    else
        m_checked.remove(id);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags CElementTreeModel::flags(const QModelIndex &index) const
{
    if (!NodeOf(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_checkable)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}
