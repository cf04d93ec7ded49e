#include "server/core/handlers/elementtreereply.h"

#include <algorithm>

#include "orb/wire/mtxrecord.h"
#include "services/types/elementobj.h"

namespace {
constexpr const char *TreeTypeName = "Orb.MtxTree";
constexpr const char *TreeElementName = "MtxTree";
const std::vector<std::size_t> NoChildren;
} // namespace

ElementTreeReply::ElementTreeReply(std::vector<std::unique_ptr<MtxRecord>> rows, std::size_t top, int maxLevel)
    : m_rows(std::move(rows)), m_top(top), m_maxLevel(maxLevel)
{
    m_byParent.reserve(m_rows.size() / 2);
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        m_byParent[m_rows[i]->get(ElementObj::PID)].push_back(i);
}

ElementTreeReply::~ElementTreeReply() = default;

const char *ElementTreeReply::getTypeName() const
{
    return TreeTypeName;
}

const char *ElementTreeReply::getElementName() const
{
    return TreeElementName;
}

std::size_t ElementTreeReply::estimatedLength() const
{
    // Twice the length of a sample of rows, scaled to all: a buffer reserved
    // beyond what is written costs address space, not memory.
    constexpr std::size_t Sample = 64;
    const std::size_t step = std::max<std::size_t>(1, m_rows.size() / Sample);
    std::string sample;
    std::size_t sampled = 0;
    for (std::size_t i = 0; i < m_rows.size(); i += step, ++sampled)
        m_rows[i]->toXML(sample, m_rows[i]->getElementName(), 1);
    const std::size_t perRow = sample.size() / sampled + 2 * std::char_traits<char>::length(TreeElementName)
                               + std::char_traits<char>::length(TreeTypeName) + 16;
    return 2 * perRow * m_rows.size();
}

// Depth first with an explicit stack, as MtxTree writes itself. A row is
// placed when it is written, so a row reachable twice goes where it is met
// first, as when the tree was built.
int ElementTreeReply::toXML(std::string &out, const char *elementName, int withType, int) const
{
    if (m_rows.empty()) {
        writeOpenTag(out, elementName, withType);
        writeCloseTag(out, elementName);
        return 1;
    }
    out.reserve(out.size() + estimatedLength());
    struct Open
    {
        std::size_t row;
        const char *elementName;
        int level;
        const std::vector<std::size_t> *children = nullptr; // looked up when first needed
        std::size_t nextChild = 0;
    };
    std::vector<bool> placed(m_rows.size());
    auto open = [&](std::size_t row, const char *name, int typed) {
        placed[row] = true;
        writeOpenTag(out, name, typed);
        m_rows[row]->toXML(out, m_rows[row]->getElementName(), 1);
    };
    std::vector<Open> stack{{m_top, elementName, 0}};
    open(m_top, elementName, withType);
    while (!stack.empty()) {
        Open &top = stack.back();
        if (top.children == nullptr && top.level <= m_maxLevel) {
            auto found = m_byParent.find(m_rows[top.row]->get(ElementObj::ID));
            top.children = found == m_byParent.end() ? &NoChildren : &found->second;
        }
        if (top.children && top.nextChild < top.children->size()) {
            const std::size_t child = (*top.children)[top.nextChild++];
            if (placed[child])
                continue;
            const int level = top.level + 1;
            open(child, TreeElementName, 1);
            stack.push_back({child, TreeElementName, level});
        } else {
            writeCloseTag(out, top.elementName);
            stack.pop_back();
        }
    }
    return 1;
}
