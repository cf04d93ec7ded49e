#pragma once

#include <QString>

#include "modules/access/nodetreemodel.h"

class MtxTree;

// The department tree of "findDept" (its root stands for all top
// departments, ID "-1"), shown by the department window and the left pane of
// the user window. Edits made through the windows are applied here so the
// tree follows them without a refetch.
struct DepartmentRecord
{
    QString id;
    QString name;
    QString parentId;
    QString description;
};

class CDepartmentTreeModel : public CNodeTreeModel<DepartmentRecord>
{
    Q_OBJECT

public:
    enum Role { IdRole = Qt::UserRole + 1, ParentIdRole, DescriptionRole };
    using Department = DepartmentRecord;

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

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    Node *Find(Node *node, const QString &id) const;
};
