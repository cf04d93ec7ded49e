#pragma once

#include <memory>
#include <vector>

#include <QAbstractItemModel>

// The tree plumbing that AccessDesk's tree models share: nodes holding a
// Value each, owned by their parent, under an invisible holder; one column.
template <class Value>
class CNodeTreeModel : public QAbstractItemModel
{
public:
    explicit CNodeTreeModel(QObject *parent) : QAbstractItemModel(parent), m_root(std::make_unique<Node>()) {}

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override
    {
        const Node *node = NodeAt(parent);
        if (column != 0 || row < 0 || std::size_t(row) >= node->children.size())
            return {};
        return createIndex(row, 0, node->children[std::size_t(row)].get());
    }
    QModelIndex parent(const QModelIndex &child) const override
    {
        return child.isValid() ? IndexOf(NodeAt(child)->parent) : QModelIndex();
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.column() > 0 ? 0 : int(NodeAt(parent)->children.size());
    }
    int columnCount(const QModelIndex & = {}) const override { return 1; }

protected:
    struct Node
    {
        Value value;
        Node *parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;

        int row() const
        {
            if (!parent)
                return 0;
            for (std::size_t i = 0; i < parent->children.size(); ++i)
                if (parent->children[i].get() == this)
                    return int(i);
            return 0;
        }
        Node *Append(Value childValue)
        {
            auto child = std::make_unique<Node>();
            child->value = std::move(childValue);
            child->parent = this;
            children.push_back(std::move(child));
            return children.back().get();
        }
    };

    Node *Root() const { return m_root.get(); }
    // Empties the tree (between beginResetModel and endResetModel).
    void ResetRoot() { m_root = std::make_unique<Node>(); }
    Node *NodeAt(const QModelIndex &index) const
    {
        return index.isValid() ? static_cast<Node *>(index.internalPointer()) : m_root.get();
    }
    QModelIndex IndexOf(const Node *node) const
    {
        if (!node || node == m_root.get())
            return {};
        return createIndex(node->row(), 0, const_cast<Node *>(node));
    }

private:
    std::unique_ptr<Node> m_root;
};
