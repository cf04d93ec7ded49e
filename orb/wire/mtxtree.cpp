#include "orb/wire/mtxtree.h"

#include <utility>

#include "orb/wire/wireobject_p.h"

using namespace orb::Internal;

namespace {
constexpr const char *TreeTypeName = "Orb.MtxTree";
constexpr const char *TreeElementName = "MtxTree";
} // namespace

MtxTree::MtxTree(std::unique_ptr<MtxObj> node)
    : m_node(node ? std::move(node) : std::make_unique<MtxObj>())
{
}

// Copies level by level with a work list, so no tree is too deep to copy.
MtxTree::MtxTree(const MtxTree &other)
    : MtxObj(other), m_node(copyObject(*other.m_node))
{
    std::vector<std::pair<const MtxTree *, MtxTree *>> pending{{&other, this}};
    while (!pending.empty()) {
        auto [source, target] = pending.back();
        pending.pop_back();
        target->m_children.reserve(source->m_children.size());
        for (const auto &child : source->m_children) {
            auto copy = std::make_unique<MtxTree>(copyObject(*child->m_node));
            copy->MtxObj::operator=(*child);
            pending.emplace_back(child.get(), copy.get());
            target->m_children.push_back(std::move(copy));
        }
    }
}

MtxTree::~MtxTree()
{
    clearChildren();
}

std::unique_ptr<MtxObj> MtxTree::takeNode()
{
    return std::exchange(m_node, std::make_unique<MtxObj>());
}

MtxTree &MtxTree::appendChild()
{
    auto child = std::make_unique<MtxTree>(m_node->newInstance());
    child->setFactory(getFactory());
    child->setName(TreeElementName);
    m_children.push_back(std::move(child));
    return *m_children.back();
}

void MtxTree::appendChild(std::unique_ptr<MtxTree> child)
{
    if (child)
        m_children.push_back(std::move(child));
}

std::unique_ptr<MtxTree> MtxTree::takeChild(std::size_t index)
{
    if (index >= m_children.size())
        return nullptr;
    std::unique_ptr<MtxTree> child = std::move(m_children[index]);
    m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(index));
    return child;
}

// Deletes the descendants one at a time from a work list instead of letting
// each tree delete its children recursively, so any depth is safe.
void MtxTree::clearChildren()
{
    std::vector<std::unique_ptr<MtxTree>> pending = std::move(m_children);
    m_children.clear();
    while (!pending.empty()) {
        std::unique_ptr<MtxTree> tree = std::move(pending.back());
        pending.pop_back();
        for (auto &child : tree->m_children)
            pending.push_back(std::move(child));
        tree->m_children.clear();
    }
}

const char *MtxTree::getTypeName() const
{
    return TreeTypeName;
}

const char *MtxTree::getElementName() const
{
    return TreeElementName;
}

// Writes depth first with an explicit stack rather than by recursion.
int MtxTree::toXML(std::string &out, const char *elementName, int withType, int) const
{
    struct Open
    {
        const MtxTree *tree;
        const char *elementName;
        std::size_t nextChild;
    };
    auto open = [&out](const MtxTree &tree, const char *name, int typed) {
        tree.writeOpenTag(out, name, typed);
        tree.m_node->toXML(out, tree.m_node->getElementName(), 1);
    };
    std::vector<Open> stack{{this, elementName, 0}};
    open(*this, elementName, withType);
    while (!stack.empty()) {
        Open &top = stack.back();
        if (top.nextChild < top.tree->m_children.size()) {
            const MtxTree &child = *top.tree->m_children[top.nextChild++];
            const char *childName = top.tree->getElementName();
            open(child, childName, 1);
            stack.push_back({&child, childName, 0});
        } else {
            top.tree->writeCloseTag(out, top.elementName);
            stack.pop_back();
        }
    }
    return 1;
}

// Reads recursively; subtrees below the nesting bound are left out and the
// read then reports false.
bool MtxTree::fromXML(const pugi::xml_node &node)
{
    if (!isElement(node))
        return true;
    NestingGuard guard;
    if (!guard.allowed())
        return false;
    clearChildren();
    bool complete = true;
    forEachChildElement(node, [&](const pugi::xml_node &child) {
        if (named(child, m_node->getElementName())) {
            m_node->setFactory(getFactory());
            m_node->fromXML(child);
        } else if (named(child, getElementName())) {
            if (!guard.allowsNested()) {
                complete = false;
                return;
            }
            if (!appendChild().fromXML(child))
                complete = false;
        }
    });
    return complete;
}

bool MtxTree::fromReply(const pugi::xml_node &responseNode)
{
    if (pugi::xml_node first = firstChildElement(responseNode))
        return fromXML(first);
    return true;
}

std::unique_ptr<MtxObj> MtxTree::newInstance() const
{
    return std::make_unique<MtxTree>(m_node->newInstance());
}
