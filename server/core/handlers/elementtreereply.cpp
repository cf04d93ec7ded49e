#include "server/core/handlers/elementtreereply.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "orb/wire/mtxrecord.h"
#include "services/types/elementobj.h"

namespace {
constexpr const char *TreeTypeName = "Orb.MtxTree";
constexpr const char *TreeElementName = "MtxTree";

std::size_t hashOf(const std::string &text)
{
    return std::hash<std::string_view>()(text);
}
} // namespace

// The links sorted by the hash of the parent's ID, then by row: the children
// of a row are then one short run, in row order, found by a binary search in
// one flat array (a hash map's scattered nodes cost more at 100,000 rows).
ElementTreeReply::ElementTreeReply(std::vector<std::unique_ptr<MtxRecord>> rows, std::size_t top, int maxLevel)
    : m_rows(std::move(rows)), m_top(top), m_maxLevel(maxLevel)
{
    m_links.reserve(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        m_links.push_back({hashOf(m_rows[i]->get(ElementObj::PID)), i});
    std::sort(m_links.begin(), m_links.end(), [](const Link &a, const Link &b) {
        return a.parentHash != b.parentHash ? a.parentHash < b.parentHash : a.row < b.row;
    });
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
        std::size_t nextLink = 0; // the run of links below it, found when first needed
        std::size_t endLink = 0;
    };
    std::vector<bool> placed(m_rows.size());
    auto open = [&](std::size_t row, const char *name, int typed) {
        placed[row] = true;
        writeOpenTag(out, name, typed);
        m_rows[row]->toXML(out, m_rows[row]->getElementName(), 1);
    };
    const auto opened = [this](std::size_t row, const char *name, int level) {
        Open entry{row, name, level};
        if (level <= m_maxLevel) {
            const std::size_t hash = hashOf(m_rows[row]->get(ElementObj::ID));
            const auto [first, last] = std::equal_range(
                m_links.begin(), m_links.end(), hash, HashOrder());
            entry.nextLink = std::size_t(first - m_links.begin());
            entry.endLink = std::size_t(last - m_links.begin());
        }
        return entry;
    };
    std::vector<Open> stack{opened(m_top, elementName, 0)};
    open(m_top, elementName, withType);
    while (!stack.empty()) {
        Open &top = stack.back();
        if (top.nextLink < top.endLink) {
            const std::size_t child = m_links[top.nextLink++].row;
            if (placed[child] || m_rows[child]->get(ElementObj::PID) != m_rows[top.row]->get(ElementObj::ID))
                continue; // placed already, or another parent's ID with the same hash
            const int level = top.level + 1;
            open(child, TreeElementName, 1);
            stack.push_back(opened(child, TreeElementName, level));
        } else {
            writeCloseTag(out, top.elementName);
            stack.pop_back();
        }
    }
    return 1;
}
