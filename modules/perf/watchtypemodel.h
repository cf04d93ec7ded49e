#pragma once

#include <memory>
#include <vector>

#include <QAbstractItemModel>

class MtxTree;

// The watch-type tree of PerfDesk: the nodes of a system type tree
// ("SysTypeObj": display text NodeName, item data No). A root whose NodeName
// is empty gives an empty tree.
class CWatchTypeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    static constexpr int NumberRole = Qt::UserRole;

    explicit CWatchTypeModel(QObject *parent = nullptr);
    ~CWatchTypeModel() override;

    void SetTree(const MtxTree &tree);
    void Clear();

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    struct Node;
    Node *NodeOf(const QModelIndex &index) const;

    std::unique_ptr<Node> m_root; // invisible; its children are the top rows
};
