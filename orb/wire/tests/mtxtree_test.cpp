#include "orb/wire/mtxtree.h"
#include "testrecords.h"
#include "wiretestutil.h"

namespace {

std::string nested(const char *open, const char *close, int depth)
{
    std::string xml;
    for (int i = 0; i < depth; ++i)
        xml += open;
    for (int i = 0; i < depth; ++i)
        xml += close;
    return xml;
}

int depthOf(const MtxTree &tree)
{
    int depth = 1;
    for (const MtxTree *level = &tree; level->childCount() > 0; level = level->child(0))
        ++depth;
    return depth;
}

} // namespace

TEST(MtxTree, WritesNodeThenChildren)
{
    MtxTree tree(std::make_unique<TestNode>());
    static_cast<TestNode &>(tree.node()).set(TestNode::Id, "root");
    MtxTree &child = tree.appendChild();
    static_cast<TestNode &>(child.node()).set(TestNode::Id, "c1");
    EXPECT_STREQ(child.getName(), "MtxTree");
    EXPECT_EQ(xmlOf(tree),
              "<value xsi-type=\"Orb.MtxTree\">"
              "<TestNodeObj xsi-type=\"Orb.TestNodeObj\"><ID>root</ID><Text></Text></TestNodeObj>"
              "<MtxTree xsi-type=\"Orb.MtxTree\">"
              "<TestNodeObj xsi-type=\"Orb.TestNodeObj\"><ID>c1</ID><Text></Text></TestNodeObj>"
              "</MtxTree></value>");
}

TEST(MtxTree, ReadsNodesAndChildTreesInAnyOrder)
{
    TestFactory factory;
    ParsedXml reply("<response><value xsi-type=\"Orb.MtxTree\">"
                    "<MtxTree><TestNodeObj><ID>a</ID></TestNodeObj>"
                    "<MtxTree><TestNodeObj><ID>a1</ID></TestNodeObj></MtxTree></MtxTree>"
                    "<Other>skipped</Other>"
                    "<MtxTree><TestNodeObj><ID>b</ID></TestNodeObj></MtxTree>"
                    "<TestNodeObj><ID>root</ID><Text>after the children</Text></TestNodeObj>"
                    "</value></response>");
    MtxTree tree(std::make_unique<TestNode>());
    tree.setFactory(&factory);
    tree.appendChild();
    ASSERT_TRUE(tree.fromReply(reply.root()));
    EXPECT_EQ(static_cast<TestNode &>(tree.node()).get(TestNode::Text), "after the children");
    EXPECT_EQ(tree.node().getFactory(), &factory);
    ASSERT_EQ(tree.childCount(), 2u) << "reading replaces the old children";
    const MtxTree &a = *tree.child(0);
    EXPECT_EQ(typeid(a.node()), typeid(TestNode));
    EXPECT_EQ(static_cast<TestNode &>(a.node()).get(TestNode::Id), "a");
    EXPECT_EQ(a.getFactory(), &factory);
    EXPECT_STREQ(a.getName(), "MtxTree");
    EXPECT_STREQ(a.getTypeName(), "Orb.MtxTree");
    ASSERT_EQ(a.childCount(), 1u);
    EXPECT_EQ(static_cast<TestNode &>(a.child(0)->node()).get(TestNode::Id), "a1");

    // A deep copy keeps node types and content even where the node's clone would not.
    MtxTree copy(tree);
    EXPECT_EQ(xmlOf(copy), xmlOf(tree));
    EXPECT_NE(copy.child(0), tree.child(0));
    EXPECT_EQ(typeid(*tree.newInstance()), typeid(MtxTree));
}

TEST(MtxTree, PathologicalDepthNeitherCrashesNorRecursesWithoutBound)
{
    // A reply nesting trees far past the bound is read down to the bound.
    const int replyDepth = 20000;
    ParsedXml deepTree("<response>" + nested("<MtxTree><TestNodeObj><ID>n</ID></TestNodeObj>", "</MtxTree>", replyDepth) +
                       "</response>");
    MtxTree tree(std::make_unique<TestNode>());
    EXPECT_FALSE(tree.fromReply(deepTree.root())) << "a cut tree reports false";
    EXPECT_EQ(depthOf(tree), 256);
    EXPECT_EQ(static_cast<TestNode &>(tree.child(0)->node()).get(TestNode::Id), "n");

    // Arrays of arrays through a service factory are bounded the same way.
    TestFactory factory;
    ParsedXml deepArray(nested("<MtxArray xsi-type=\"Orb.MtxArray\">", "</MtxArray>", replyDepth));
    MtxArray array;
    array.setFactory(&factory);
    EXPECT_TRUE(array.fromXML(deepArray.root()));
    ParsedXml deepRecords(nested("<MtxArray xsi-type=\"Orb.MtxArray\"><TestConditionObj xsi-type=\"Orb.TestConditionObj\">",
                                 "</TestConditionObj></MtxArray>", replyDepth));
    MtxArray records;
    records.setFactory(&factory);
    records.fromXML(deepRecords.root());

    // Trees built in code may be deeper still: writing, copying and deleting
    // them do not recurse.
    const int builtDepth = 100000;
    MtxTree built(std::make_unique<TestNode>());
    MtxTree *level = &built;
    for (int i = 1; i < builtDepth; ++i)
        level = &level->appendChild();
    std::string out;
    built.toXML(out, "value", 1);
    EXPECT_EQ(out.size(), xmlOf(MtxTree(std::make_unique<TestNode>())).size() +
                              std::size_t(builtDepth - 1) * xmlOf(*level, "MtxTree").size());
    MtxTree copy(built);
    EXPECT_EQ(depthOf(copy), builtDepth);
    built.clearChildren();
    EXPECT_EQ(built.childCount(), 0u);
}
