#include "modules/access/roledoc.h"

#include "frame/localtext.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "services/types/functionmoduleobj.h"
#include "services/types/roleobj.h"

namespace {

MtxString Text(const QString &text)
{
    return MtxString(toLocal(text).c_str());
}

} // namespace

QVariant CRoleNamesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("角色名称");
    return QStringListModel::headerData(section, orientation, role);
}

CRoleDoc::CRoleDoc()
    : CSecurityDoc({QStringLiteral("100101"), QStringLiteral("100102"), QStringLiteral("100103")}), m_names(this),
      m_modules(this)
{
    LoadModules();
    LoadNames();
}

bool CRoleDoc::LoadModules()
{
    MtxTree tree(std::make_unique<FunctionModuleObj>());
    const MtxString top("-1");
    if (!Call("findFMTree", {&top}, &tree))
        return false;
    m_modules.SetTree(tree);
    return true;
}

bool CRoleDoc::LoadNames()
{
    MtxArray reply;
    if (!Call("selectRoleNameArray", {}, &reply))
        return false;
    QStringList names;
    for (const auto &item : reply)
        if (const auto *name = dynamic_cast<const MtxString *>(item.get()))
            names.append(fromLocal(name->getValue()));
    m_names.setStringList(names);
    return true;
}

bool CRoleDoc::ReadRows(const QString &role, QSet<QString> &codes, bool quietly)
{
    const MtxString name = Text(role);
    MtxArray reply;
    const bool read = quietly ? CallQuietly("selectRoleArray", {&name}, &reply).succeeded()
                              : Call("selectRoleArray", {&name}, &reply);
    if (!read)
        return false;
    codes.clear();
    for (const auto &item : reply)
        if (const auto *row = dynamic_cast<const RoleObj *>(item.get()); row && fromLocal(row->get(RoleObj::RoleName)) == role)
            codes.insert(fromLocal(row->get(RoleObj::Code)));
    return true;
}

bool CRoleDoc::SelectRole(int row)
{
    if (IsEditing() || row < 0 || row >= m_names.rowCount())
        return false;
    const bool read = ReadRows(m_names.index(row).data().toString(), m_rows, false);
    if (!read)
        m_rows.clear(); // never show another role's checks
    m_modules.SetGranted(m_rows);
    return read;
}

bool CRoleDoc::CanModify(int row) const
{
    return Holds(QStringLiteral("100102")) && !IsEditing() && row >= 0 && row < m_names.rowCount()
           && !m_names.index(row).data().toString().isEmpty();
}

int CRoleDoc::BeginNew()
{
    if (!Service() || !CanAdd())
        return -1;
    m_editRow = m_names.rowCount();
    m_names.insertRows(m_editRow, 1);
    m_names.setData(m_names.index(m_editRow), QString::fromUtf8(NewRoleName));
    m_state = State::Adding;
    m_modules.SetEditable(true);
    emit StateChanged();
    return m_editRow;
}

int CRoleDoc::BeginModify(int row)
{
    if (!Service() || !CanModify(row))
        return -1;
    m_editRow = row;
    m_oldName = m_names.index(row).data().toString();
    m_state = State::Modifying;
    m_modules.SetEditable(true);
    emit StateChanged();
    return m_editRow;
}

void CRoleDoc::FillRows(MtxArray &rows, const QStringList &codes, const QString &role)
{
    for (const QString &code : codes) {
        auto row = std::make_unique<RoleObj>();
        row->set(RoleObj::Code, toLocal(code));
        row->set(RoleObj::RoleName, toLocal(role));
        rows.append(std::move(row));
    }
}

bool CRoleDoc::Save(const QString &text)
{
    if (!IsEditing())
        return false;
    const QString name = text.trimmed();
    if (name.isEmpty()) {
        Say(QStringLiteral("角色名不能为空!"));
        return false;
    }
    const bool renamed = m_state == State::Adding || name != m_oldName;
    if (renamed) {
        const MtxString candidate = Text(name);
        if (!CallOrSay(QStringLiteral("角色已经存在!"), "checkRoleRepeat", {&candidate}))
            return false;
    }
    if (!SaveChanges(name))
        return false;
    m_names.setData(m_names.index(m_editRow), name);
    const QStringList granted = m_modules.Granted();
    m_rows = QSet<QString>(granted.begin(), granted.end());
    EndEdit();
    return true;
}

// Each step stops at the first failure and leaves the server as it was.
bool CRoleDoc::SaveChanges(const QString &name)
{
    MtxArray rows;
    FillRows(rows, m_modules.Granted(), name);
    if (m_state == State::Adding)
        return Call("addRoleArray", {&rows});

    const MtxString oldName = Text(m_oldName);
    if (name != m_oldName) {
        // Rename: the new rows first, then the users, then the old rows go.
        if (!Call("addRoleArray", {&rows}))
            return false;
        const MtxString newName = Text(name);
        if (!Call("updateUserRole", {&oldName, &newName})) {
            CallQuietly("deleteRole", {&newName});
            return false;
        }
        if (!Call("deleteRole", {&oldName}))
            Say(QStringLiteral("角色已改名为%1，但旧角色%2的记录未能删除：请稍后删除它。").arg(name, m_oldName));
        return true;
    }
    // Same name: the rows are replaced, and put back when the new ones fail.
    QSet<QString> stored;
    if (!ReadRows(m_oldName, stored, false))
        return false;
    if (!Call("deleteRole", {&oldName}))
        return false;
    const MtxStatus added = CallQuietly("addRoleArray", {&rows});
    if (added.succeeded())
        return true;
    MtxArray previous;
    FillRows(previous, QStringList(stored.begin(), stored.end()), m_oldName);
    const bool restored = CallQuietly("addRoleArray", {&previous}).succeeded();
    const QString why = fromLocal(added.getMessage());
    Say(restored ? QStringLiteral("保存角色失败（%1），已恢复原来的权限。").arg(why)
                 : QStringLiteral("保存角色失败（%1），原来的权限也未能恢复：请重新设置角色%2。").arg(why, m_oldName));
    return false;
}

void CRoleDoc::Cancel()
{
    if (!IsEditing())
        return;
    if (m_state == State::Adding)
        m_names.removeRows(m_editRow, 1);
    else
        m_names.setData(m_names.index(m_editRow), m_oldName);
    m_modules.SetGranted(m_rows);
    EndEdit();
}

void CRoleDoc::EndEdit()
{
    m_state = State::Browsing;
    m_editRow = -1;
    m_oldName.clear();
    m_modules.SetEditable(false);
    emit StateChanged();
}

bool CRoleDoc::DeleteRole(int row)
{
    if (!Service() || !CanDelete() || row < 0 || row >= m_names.rowCount())
        return false;
    if (!Ask(QStringLiteral("你确认要删除此角色吗")))
        return false;
    const MtxString name = Text(m_names.index(row).data().toString());
    if (!Call("deleteRole", {&name}))
        return false;
    m_names.removeRows(row, 1);
    m_rows.clear();
    m_modules.SetGranted(m_rows);
    return true;
}
