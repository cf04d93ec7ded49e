#pragma once

#include "modules/access/departmenttreemodel.h"
#include "modules/access/securitydoc.h"

class QWidget;

// The department window's document: the department tree with new, modify
// and delete.
class CDepartmentDoc : public CSecurityDoc
{
    Q_OBJECT

public:
    CDepartmentDoc();

    CDepartmentTreeModel &Departments() { return m_departments; }
    bool LoadDepartments();

    bool CanAdd() const { return Holds(QStringLiteral("100001")); }
    bool CanModify(const QModelIndex &node) const { return Holds(QStringLiteral("100002")) && IsDepartment(node); }
    bool CanDelete(const QModelIndex &node) const { return Holds(QStringLiteral("100003")) && IsDepartment(node); }

    // Each returns the node to select afterwards (invalid: none).
    QModelIndex NewDepartment(const QModelIndex &selected, QWidget *parent);
    QModelIndex ModifyDepartment(const QModelIndex &node, QWidget *parent);
    bool DeleteDepartment(const QModelIndex &node);

private:
    // A real department, not the tree's top node that stands for all.
    bool IsDepartment(const QModelIndex &node) const;
    // A call whose reply text is "SUCCEED" on success.
    bool CallForText(const char *method, const MtxObj &argument);

    CDepartmentTreeModel m_departments;
};
