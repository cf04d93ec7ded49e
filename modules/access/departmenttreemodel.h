#pragma once

#include <memory>
#include <vector>

#include <QAbstractItemModel>
#include <QString>

class MtxTree;

// The department tree of "findDept" (its root stands for all top
// departments, ID "-1"), shown by the department window and the left pane of
// the user window. Edits made through the windows are applied here so the
// tree follows them without a refetch.
class CDepartmentTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Role { IdRole = Qt::UserRole + 1, ParentIdRole, DescriptionRole };

    struct Department
    {
        QString id;
        QString name;
        QString parentId;
        QString description;
    };

    explicit CDepartmentTreeModel(QObject *parent = nullptr);
    ~CDepartmentTreeModel() override;

    // Replaces the whole tree with tree (nodes are DepartmentObj).
    void SetTree(const MtxTree &tree);
    void Clear();

    QModelIndex FindId(const QString &id) const;
    Department DepartmentAt(const QModelIndex &index) const;
    QString NameOf(const QString &id) const;
    // Adds department as the last child of parent (the root when invalid).
    QModelIndex AddDepartment(const QModelIndex &parent, const Department &department);
    // Renames, re-describes and, when the parent changed, moves the node.
    void UpdateDepartment(const QModelIndex &index, const Department &department);
    void RemoveDepartment(const QModelIndex &index);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    struct Node
    {
        Department department;
        Node *parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        int row() const;
    };

    Node *NodeAt(const QModelIndex &index) const;
    QModelIndex IndexOf(const Node *node) const;
    Node *Find(Node *node, const QString &id) const;

    std::unique_ptr<Node> m_root; // invisible holder of the top node
};
