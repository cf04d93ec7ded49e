#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <QAbstractItemModel>
#include <QSet>

#include "orb/wire/keelexport.h"

class CIconList;
class ElementObj;
class MtxTree;

// The inventory tree (groups, devices, monitors) as a model, for every module
// that shows it. It takes the ElementObj records of the MtxTree that
// "findElementTree" answered; each item's internal pointer is its node. Texts
// are converted from the code page only when a view asks for them.
//
// Kinds: the top-level node is the root, an element of Type "1" a group, an
// element below a device a monitor, any other element a device.
// Icons: the root shows image LastState, every other node 4 x Type +
// LastState, a Type above 4 counting as 0; a Type or LastState that is not a
// number from 0, or a state above 3, shows no image.
class KEEL_EXPORT CElementTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum class Kind { Root, Group, Device, Monitor };
    enum Role { IdRole = Qt::UserRole + 1, TypeRole, StateRole, KindRole };
    static constexpr int StatesPerKind = 4;
    static constexpr int LastIconKind = 4;

    explicit CElementTreeModel(QObject *parent = nullptr);
    ~CElementTreeModel() override;

    static int IconIndex(const ElementObj &element, bool isRoot);

    void SetIcons(std::shared_ptr<const CIconList> icons);
    // Check boxes on every item; the checked items are remembered by ID, so
    // they survive a reload.
    void SetCheckable(bool checkable);
    bool IsCheckable() const { return m_checkable; }

    // Shows tree (its nodes must be ElementObj records; other nodes are left
    // out with their descendants). A root with an empty Text shows nothing.
    void SetTree(std::unique_ptr<MtxTree> tree);
    void Clear();
    // The root element, or null when nothing is shown.
    const ElementObj *Root() const;
    QString RootId() const;
    int ElementCount() const { return m_count; }

    const ElementObj *Element(const QModelIndex &index) const;
    Kind KindOf(const QModelIndex &index) const;
    // The item of the element with this ID, or an invalid index.
    QModelIndex FindId(const QString &id) const;

    // Adds a copy of element as the last child of parent; the new item, or an
    // invalid index when parent is invalid.
    QModelIndex AppendElement(const QModelIndex &parent, const ElementObj &element);
    // Removes the item with all its descendants.
    bool RemoveElement(const QModelIndex &index);
    // Replaces the item's element (its children stay).
    bool ReplaceElement(const QModelIndex &index, const ElementObj &element);

    QSet<QString> CheckedIds() const { return m_checked; }
    void SetCheckedIds(const QSet<QString> &ids);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;

private:
    struct Node;

    Node *NodeOf(const QModelIndex &index) const;
    QModelIndex IndexOf(const Node *node) const;
    static ElementObj &ElementOf(const Node &node);
    // Moves the element records below tree into nodes below node; the tree goes.
    void AttachChildren(Node &node, std::unique_ptr<MtxTree> tree);
    void ForgetIds() const;

    std::unique_ptr<Node> m_root;
    std::shared_ptr<const CIconList> m_icons;
    QSet<QString> m_checked;
    mutable std::unordered_map<std::string, Node *> m_byId;
    mutable bool m_byIdReady = false;
    int m_count = 0;
    bool m_checkable = false;
};
