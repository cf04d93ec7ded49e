#pragma once

#include <QStringListModel>

#include "modules/access/functionmodulemodel.h"
#include "modules/access/securitydoc.h"

class MtxArray;

// The role names, in one column headed "角色名称".
class CRoleNamesModel : public QStringListModel
{
public:
    using QStringListModel::QStringListModel;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
};

// The role window's document: the role names, the function-module tree
// checked for the chosen role, and the edit of a role (new or modify, ended
// by save or cancel).
class CRoleDoc : public CSecurityDoc
{
    Q_OBJECT

public:
    enum class State { Browsing, Adding, Modifying };
    static constexpr const char *NewRoleName = "新角色";

    CRoleDoc();

    QStringListModel &Names() { return m_names; }
    CFunctionModuleModel &Modules() { return m_modules; }
    State GetState() const { return m_state; }
    bool IsEditing() const { return m_state != State::Browsing; }
    int EditRow() const { return m_editRow; }

    bool LoadModules();
    bool LoadNames();
    // "selectRoleArray" for the row's role; the checks follow the rows read
    // (all cleared when they cannot be read).
    bool SelectRole(int row);

    bool CanAdd() const { return Holds(QStringLiteral("100101")) && !IsEditing(); }
    bool CanModify(int row) const;
    bool CanDelete() const { return Holds(QStringLiteral("100103")) && !IsEditing(); }

    // Start an edit; the row being edited (-1 when none could start).
    int BeginNew();
    int BeginModify(int row);
    // Ends the edit with name when the role could be saved; false leaves the edit open.
    bool Save(const QString &name);
    void Cancel();
    bool DeleteRole(int row);

signals:
    // An edit began or ended.
    void StateChanged();

private:
    // The codes of the rows of role, or false when they cannot be read.
    bool ReadRows(const QString &role, QSet<QString> &codes, bool quietly);
    static void FillRows(MtxArray &rows, const QStringList &codes, const QString &role);
    bool SaveChanges(const QString &name);
    void EndEdit();

    CRoleNamesModel m_names;
    CFunctionModuleModel m_modules;
    QSet<QString> m_rows; // the stored codes of the chosen role
    State m_state = State::Browsing;
    int m_editRow = -1;
    QString m_oldName;
};
