// The tree of "findElementTree" written straight from the rows must be,
// byte for byte, the MtxTree the server used to build from the same rows.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "orb/wire/mtxtree.h"
#include "server/core/handlers/elementtreereply.h"
#include "server/core/replywriter.h"
#include "services/types/elementobj.h"
#include "services/types/paramobj.h"
#include "testsupport/testclient.h"

namespace {

using Rows = std::vector<std::unique_ptr<MtxRecord>>;

void add(Rows &rows, const std::string &id, const std::string &parent, const std::string &text = "")
{
    auto row = std::make_unique<ElementObj>();
    row->set(ElementObj::ID, id);
    row->set(ElementObj::PID, parent);
    row->set(ElementObj::Text, text.empty() ? "element " + id : text);
    row->set(ElementObj::Type, parent == "-1" ? "0" : "1");
    row->set(ElementObj::LastState, "0");
    rows.push_back(std::move(row));
}

Rows copyOf(const Rows &rows)
{
    Rows copy;
    for (const auto &row : rows)
        copy.push_back(std::make_unique<ElementObj>(static_cast<const ElementObj &>(*row)));
    return copy;
}

// The tree as it was built before: children by parent ID, depth first, each
// row placed once, rows beyond maxLevel without children.
std::unique_ptr<MtxTree> builtTree(Rows rows, std::size_t top, int maxLevel)
{
    std::map<std::string, std::vector<std::size_t>> children;
    for (std::size_t i = 0; i < rows.size(); ++i)
        children[rows[i]->get(ElementObj::PID)].push_back(i);
    std::set<std::size_t> placed;
    auto build = [&](auto &self, std::size_t index, int level) -> std::unique_ptr<MtxTree> {
        placed.insert(index);
        const std::string ownId = rows[index]->get(ElementObj::ID);
        auto tree = std::make_unique<MtxTree>(std::move(rows[index]));
        if (level > maxLevel)
            return tree;
        if (auto found = children.find(ownId); found != children.end())
            for (std::size_t child : found->second)
                if (!placed.count(child))
                    tree->appendChild(self(self, child, level + 1));
        return tree;
    };
    return build(build, top, 0);
}

void expectSameReply(const Rows &rows, std::size_t top, int maxLevel)
{
    const ElementTreeReply streamed(copyOf(rows), top, maxLevel);
    const auto built = builtTree(copyOf(rows), top, maxLevel);
    EXPECT_EQ(replywriter::response("ElementService", "findElementTree", &streamed),
              replywriter::response("ElementService", "findElementTree", built.get()));
}

TEST(ElementTreeReply, SameBytesAsTheBuiltTree)
{
    Rows rows;
    add(rows, "root", "-1", local("网络中心"));
    add(rows, "g1", "root");
    add(rows, "d1", "g1", local("核心路由器(10.0.0.1)") + " & <edge>");
    add(rows, "g2", "root");
    add(rows, "m1", "d1");
    add(rows, "d2", "g2");
    add(rows, "m2", "d1");
    auto param = std::make_unique<ParamObj>();
    param->set(ParamObj::ParamName, "Community");
    param->set(ParamObj::ParamValue, "public");
    static_cast<ElementObj &>(*rows[2]).params().append(std::move(param));
    // A second row with the ID "d1" (its children go where d1 is met first),
    // two rows that point at each other, unreachable, and a row below itself.
    add(rows, "d1", "g2");
    add(rows, "x", "y");
    add(rows, "y", "x");
    add(rows, "self", "self");
    SCOPED_TRACE("whole inventory");
    expectSameReply(rows, 0, 33);
    SCOPED_TRACE("the part below g2");
    expectSameReply(rows, 3, 33);
    SCOPED_TRACE("a loop as top");
    expectSameReply(rows, 9, 33);
}

TEST(ElementTreeReply, DeepChainsStopAtTheLevelBound)
{
    Rows rows;
    add(rows, "n0", "-1");
    for (int level = 1; level < 12; ++level)
        add(rows, "n" + std::to_string(level), "n" + std::to_string(level - 1));
    expectSameReply(rows, 0, 4);
    const ElementTreeReply streamed(copyOf(rows), 0, 4);
    std::string text;
    streamed.toXML(text, "value", 1);
    EXPECT_NE(text.find("<ID>n5</ID>"), std::string::npos);
    EXPECT_EQ(text.find("<ID>n6</ID>"), std::string::npos) << "n5 lies beyond the bound: written without children";
}

} // namespace
