#pragma once

#include <QSet>
#include <QStringList>

#include "modules/access/nodetreemodel.h"

class MtxTree;

// The function-module tree of the role window with a check box per module.
// A box has three states: checked (the module and all below it), partly
// checked (the module, but not all below it) and unchecked. Checking or
// unchecking a module does the same to everything below it; the modules
// above follow. A module is granted to the role unless its box is unchecked.
struct FunctionModule
{
    QString code;
    QString name;
    Qt::CheckState state = Qt::Unchecked;
};

class CFunctionModuleModel : public CNodeTreeModel<FunctionModule>
{
    Q_OBJECT

public:
    enum Role { CodeRole = Qt::UserRole + 1 };

    explicit CFunctionModuleModel(QObject *parent = nullptr);
    ~CFunctionModuleModel() override;

    // Replaces the tree (nodes are FunctionModuleObj); nothing is checked.
    void SetTree(const MtxTree &tree);
    // Checks exactly the modules whose codes are in granted (compared as
    // text); the boxes above show whether all below are granted too.
    void SetGranted(const QSet<QString> &granted);
    // The granted codes, depth first from the first root.
    QStringList Granted() const;
    // Edits are allowed only while a role is being edited.
    void SetEditable(bool editable) { m_editable = editable; }

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void SetBelow(Node *node, Qt::CheckState state);
    // The state of an inner node from its children and whether it is granted itself.
    static Qt::CheckState Summary(const Node &node, bool granted);
    void EmitAll(const Node *node);

    bool m_editable = false;
};
