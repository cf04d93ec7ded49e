// The shared inventory tree model: structure checked by
// QAbstractItemModelTester through loads and local patches, kinds, image
// indexes and the icon list rules, check boxes.

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "frame/elementtree/elementtreemodel.h"
#include "frame/elementtree/iconlist.h"
#include "frame/localtext.h"
#include "testsupport/recordingapp.h"
#include "orb/wire/mtxtree.h"
#include "services/types/elementobj.h"

namespace {

ElementObj Element(const char *id, const char *type, const char *state, const char *text)
{
    ElementObj element;
    element.set(ElementObj::ID, id);
    element.set(ElementObj::Type, type);
    element.set(ElementObj::LastState, state);
    element.set(ElementObj::Text, toLocal(QString::fromUtf8(text)));
    return element;
}

MtxTree &Add(MtxTree &parent, const ElementObj &element)
{
    parent.appendChild(std::make_unique<MtxTree>(std::make_unique<ElementObj>(element)));
    return *parent.child(parent.childCount() - 1);
}

// root / 机房 (group) / router (device) / ping (monitor), plus a second device.
std::unique_ptr<MtxTree> SampleTree()
{
    auto tree = std::make_unique<MtxTree>(std::make_unique<ElementObj>(Element("r", "0", "1", "全网")));
    MtxTree &group = Add(*tree, Element("g", "1", "0", "机房"));
    MtxTree &router = Add(group, Element("d", "2", "2", "router"));
    Add(router, Element("m", "5", "0", "ping"));
    Add(*tree, Element("d2", "3", "0", "server"));
    return tree;
}

TEST(ElementTreeModel, StructureKindsAndPatchesStayConsistent)
{
    CElementTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetTree(SampleTree());
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.ElementCount(), 5);
    EXPECT_EQ(model.RootId(), QStringLiteral("r"));

    const QModelIndex root = model.index(0, 0);
    const QModelIndex group = model.FindId(QStringLiteral("g"));
    const QModelIndex device = model.FindId(QStringLiteral("d"));
    const QModelIndex monitor = model.FindId(QStringLiteral("m"));
    ASSERT_TRUE(monitor.isValid());
    EXPECT_EQ(model.parent(monitor), device);
    EXPECT_EQ(model.data(group).toString(), QStringLiteral("机房"));
    EXPECT_EQ(model.KindOf(root), CElementTreeModel::Kind::Root);
    EXPECT_EQ(model.KindOf(group), CElementTreeModel::Kind::Group);
    EXPECT_EQ(model.KindOf(device), CElementTreeModel::Kind::Device);
    EXPECT_EQ(model.KindOf(model.FindId(QStringLiteral("d2"))), CElementTreeModel::Kind::Device);
    EXPECT_EQ(model.KindOf(monitor), CElementTreeModel::Kind::Monitor);

    const QModelIndex added = model.AppendElement(group, Element("n", "4", "0", "新设备"));
    EXPECT_EQ(model.FindId(QStringLiteral("n")), added);
    EXPECT_EQ(added.row(), 1);

    // Removing the first child renumbers its sibling and drops the whole branch.
    ASSERT_TRUE(model.RemoveElement(device));
    EXPECT_FALSE(model.FindId(QStringLiteral("m")).isValid());
    EXPECT_EQ(model.FindId(QStringLiteral("n")).row(), 0);
    EXPECT_EQ(model.ElementCount(), 4);

    ASSERT_TRUE(model.ReplaceElement(group, Element("g", "1", "2", "机房二")));
    EXPECT_EQ(model.data(group).toString(), QStringLiteral("机房二"));
    EXPECT_EQ(model.rowCount(group), 1);
}

TEST(ElementTreeModel, RootWithoutTextShowsNothing)
{
    CElementTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    auto tree = SampleTree();
    static_cast<ElementObj &>(tree->node()).set(ElementObj::Text, "");
    model.SetTree(std::move(tree));
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.FindId(QStringLiteral("g")).isValid());
    EXPECT_EQ(model.Root(), nullptr);
}

TEST(ElementTreeModel, IconIndexes)
{
    EXPECT_EQ(CElementTreeModel::IconIndex(Element("x", "0", "2", "t"), true), 2);
    EXPECT_EQ(CElementTreeModel::IconIndex(Element("x", "1", "2", "t"), true), 2);
    EXPECT_EQ(CElementTreeModel::IconIndex(Element("x", "1", "2", "t"), false), 6);
    EXPECT_EQ(CElementTreeModel::IconIndex(Element("x", "4", "3", "t"), false), 19);
    // A kind above 4 shows kind 0's image for its state.
    EXPECT_EQ(CElementTreeModel::IconIndex(Element("x", "7", "1", "t"), false), 1);
    for (const char *state : {"4", "-1", "", "x", "1a"})
        EXPECT_EQ(CElementTreeModel::IconIndex(Element("x", "2", state, "t"), false), -1) << state;
    for (const char *type : {"-2", "", "abc"})
        EXPECT_EQ(CElementTreeModel::IconIndex(Element("x", type, "0", "t"), false), -1) << type;
}

class IconFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("ico"));
        CIconList::ClearCache();
    }
    void TearDown() override { CIconList::ClearCache(); }

    QString Path(const QString &name) const { return m_dir.filePath(name); }
    void Bitmap(const QString &name, QColor colour) const
    {
        QImage image(16, 16, QImage::Format_RGB32);
        image.fill(colour);
        image.setPixel(0, 0, qRgb(0xFA, 0xFA, 0xFA));
        ASSERT_TRUE(image.save(Path(name), "BMP"));
    }
    void Ini(const QByteArray &text) const
    {
        QFile file(Path(QStringLiteral("MTree.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    static QRgb Pixel(const QIcon &icon, int x = 8, int y = 8)
    {
        return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32).pixel(x, y);
    }

    QTemporaryDir m_dir;
};

TEST_F(IconFolder, EverySlotKeptFallbackNameAndMask)
{
    Bitmap(QStringLiteral("ico/Server.bmp"), Qt::red);
    Bitmap(QStringLiteral("ico/green.bmp"), Qt::green);
    Bitmap(QStringLiteral("ico/blue.bmp"), Qt::blue);
    Ini("[TREEICO]\nTypeCount=4\nType1.image=ico\\green.bmp\nType2.image=ico\\missing.bmp\n"
        "Type3.image=ab\nType4.image=ico\\blue.bmp\n");
    const auto icons = CIconList::Load(Path(QStringLiteral("MTree.ini")));
    ASSERT_EQ(icons->Count(), 4);
    EXPECT_EQ(Pixel(icons->Icon(0)), QColor(Qt::green).rgb());
    EXPECT_EQ(icons->Failed(), std::vector<int>{1});
    EXPECT_EQ(Pixel(icons->Icon(2)), QColor(Qt::red).rgb()); // short name: the fallback
    EXPECT_EQ(Pixel(icons->Icon(3)), QColor(Qt::blue).rgb()); // not moved down by the failure
    EXPECT_EQ(qAlpha(Pixel(icons->Icon(0), 0, 0)), 0);
    EXPECT_TRUE(icons->Icon(4).isNull());
    EXPECT_TRUE(icons->Icon(-1).isNull());
    EXPECT_EQ(CIconList::Load(Path(QStringLiteral("MTree.ini"))), icons); // cached
}

TEST_F(IconFolder, ModelShowsNoIconOutsideTheList)
{
    Bitmap(QStringLiteral("ico/Server.bmp"), Qt::red);
    Ini("[TREEICO]\nTypeCount=8\n");
    CElementTreeModel model;
    model.SetIcons(CIconList::Load(Path(QStringLiteral("MTree.ini"))));
    model.SetTree(SampleTree());
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).isNull()); // root, state 1
    EXPECT_FALSE(model.data(model.FindId(QStringLiteral("g")), Qt::DecorationRole).isNull()); // index 4
    EXPECT_TRUE(model.data(model.FindId(QStringLiteral("d")), Qt::DecorationRole).isNull()); // index 10
    EXPECT_EQ(CIconList::Load(Path(QStringLiteral("none.ini")))->Count(), 0);
}

TEST(ElementTreeModel, CheckBoxesByIdSurviveReload)
{
    CElementTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetTree(SampleTree());
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::CheckStateRole).isValid());
    model.SetCheckable(true);
    const QModelIndex monitor = model.FindId(QStringLiteral("m"));
    EXPECT_TRUE(model.flags(monitor) & Qt::ItemIsUserCheckable);
    ASSERT_TRUE(model.setData(monitor, Qt::Checked, Qt::CheckStateRole));
    model.SetTree(SampleTree());
    EXPECT_EQ(model.data(model.FindId(QStringLiteral("m")), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(model.data(model.FindId(QStringLiteral("d")), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(model.CheckedIds(), QSet<QString>{QStringLiteral("m")});
}

} // namespace
