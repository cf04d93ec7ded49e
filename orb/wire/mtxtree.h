#pragma once

#include <vector>

#include "orb/wire/mtxobj.h"

// A tree of node records: the node is a record of the owning service (a
// department, a system type) and each child is again an MtxTree whose node is
// of the same type. Every tree is of type "Orb.MtxTree" with element name
// "MtxTree"; neither is stored per node, since a tree may have 100,000 nodes.
class KEEL_EXPORT MtxTree : public MtxObj
{
public:
    // Takes ownership of node, the prototype of every node in the tree.
    explicit MtxTree(std::unique_ptr<MtxObj> node);
    // A deep copy of node and descendants.
    MtxTree(const MtxTree &other);
    ~MtxTree() override;

    MtxObj &node() const { return *m_node; }
    // Hands the node record over, leaving a plain MtxObj in its place (for a
    // holder that keeps the records and lets the tree go).
    std::unique_ptr<MtxObj> takeNode();
    std::size_t childCount() const { return m_children.size(); }
    MtxTree *child(std::size_t index) const { return m_children[index].get(); }
    // A new child whose node is a fresh record of this tree's node type.
    MtxTree &appendChild();
    void appendChild(std::unique_ptr<MtxTree> child);
    std::unique_ptr<MtxTree> takeChild(std::size_t index);
    void clearChildren();

    const char *getTypeName() const override;
    const char *getElementName() const override;
    int toXML(std::string &out, const char *elementName, int withType, int reserved = 0) const override;
    bool fromXML(const pugi::xml_node &node) override;
    bool fromReply(const pugi::xml_node &responseNode) override;
    std::unique_ptr<MtxObj> newInstance() const override;

private:
    std::unique_ptr<MtxObj> m_node;
    std::vector<std::unique_ptr<MtxTree>> m_children;
};
