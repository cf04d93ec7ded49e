#include "modules/access/departmentdoc.h"

#include "frame/identifiers.h"
#include "frame/localtext.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "modules/access/departmentdialog.h"
#include "services/types/departmentobj.h"

namespace {

constexpr const char *Top = "-1";

DepartmentObj Record(const CDepartmentTreeModel::Department &department)
{
    DepartmentObj record;
    record.set(DepartmentObj::ID, toLocal(department.id));
    record.set(DepartmentObj::AllName, toLocal(department.name));
    record.set(DepartmentObj::ParentID, toLocal(department.parentId));
    record.set(DepartmentObj::Description, toLocal(department.description));
    return record;
}

} // namespace

CDepartmentDoc::CDepartmentDoc()
    : CSecurityDoc({QStringLiteral("100001"), QStringLiteral("100002"), QStringLiteral("100003")}), m_departments(this)
{
    LoadDepartments();
}

bool CDepartmentDoc::LoadDepartments()
{
    MtxTree tree(std::make_unique<DepartmentObj>());
    const MtxString top(Top);
    if (!Call("findDept", {&top}, &tree))
        return false;
    m_departments.SetTree(tree);
    return true;
}

bool CDepartmentDoc::IsDepartment(const QModelIndex &node) const
{
    return node.isValid() && node.data(CDepartmentTreeModel::IdRole).toString() != QLatin1String(Top);
}

bool CDepartmentDoc::CallForText(const char *method, const MtxObj &argument)
{
    MtxString result;
    if (!Call(method, {&argument}, &result))
        return false;
    if (std::string(result.getValue()) == "SUCCEED")
        return true;
    Say(fromLocal(result.getValue()));
    return false;
}

QModelIndex CDepartmentDoc::NewDepartment(const QModelIndex &selected, QWidget *parent)
{
    if (!Service() || !CanAdd())
        return {};
    CDepartmentTreeModel::Department department{Identifiers::NewId(), {}, QString::fromLatin1(Top), {}};
    QString parentName = QStringLiteral("无");
    if (selected.isValid()) {
        department.parentId = selected.data(CDepartmentTreeModel::IdRole).toString();
        parentName = selected.data().toString();
    }
    CDepartmentDialog dialog(CDepartmentDialog::Mode::Add, department, parentName, parent);
    if (RunDialog(dialog) != QDialog::Accepted)
        return {};
    const CDepartmentTreeModel::Department made = dialog.Department();
    if (!CallForText("addDept", Record(made)))
        return {};
    // Under the node the dialog named as parent, which the user may have changed.
    return m_departments.AddDepartment(m_departments.FindId(made.parentId), made);
}

QModelIndex CDepartmentDoc::ModifyDepartment(const QModelIndex &node, QWidget *parent)
{
    if (!Service() || !CanModify(node))
        return {};
    const std::string id = toLocal(node.data(CDepartmentTreeModel::IdRole).toString());
    const MtxString argument(id.c_str());
    DepartmentObj stored;
    if (!Call("selectDeptObj", {&argument}, &stored))
        return {};
    const CDepartmentTreeModel::Department current{
        fromLocal(stored.get(DepartmentObj::ID)), fromLocal(stored.get(DepartmentObj::AllName)),
        fromLocal(stored.get(DepartmentObj::ParentID)), fromLocal(stored.get(DepartmentObj::Description))};
    const QString parentName = current.parentId == QLatin1String(Top) ? QStringLiteral("无")
                                                                       : m_departments.NameOf(current.parentId);
    CDepartmentDialog dialog(CDepartmentDialog::Mode::Edit, current, parentName, parent);
    if (RunDialog(dialog) != QDialog::Accepted)
        return {};
    const CDepartmentTreeModel::Department changed = dialog.Department();
    if (!CallForText("updateDept", Record(changed)))
        return {};
    m_departments.UpdateDepartment(node, changed);
    return m_departments.FindId(changed.id);
}

bool CDepartmentDoc::DeleteDepartment(const QModelIndex &node)
{
    if (!Service() || !CanDelete(node))
        return false;
    if (m_departments.rowCount(node) > 0) {
        Say(QStringLiteral("部门下有子部门，不能删除"));
        return false;
    }
    if (!Ask(QStringLiteral("你确认要删除此部门吗")))
        return false;
    const std::string id = toLocal(node.data(CDepartmentTreeModel::IdRole).toString());
    const MtxString argument(id.c_str());
    if (!CallForText("deleteDept", argument))
        return false;
    m_departments.RemoveDepartment(node);
    return true;
}
