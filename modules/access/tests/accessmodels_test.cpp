// The models of AccessDesk on their own: the department tree following edits
// and the three states of the function-module check boxes.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "modules/access/departmenttreemodel.h"
#include "modules/access/functionmodulemodel.h"
#include "orb/wire/mtxtree.h"
#include "services/types/departmentobj.h"
#include "services/types/functionmoduleobj.h"
#include "testsupport/recordingapp.h"

namespace {

MtxTree &AddDepartment(MtxTree &parent, const char *id, const char *name)
{
    MtxTree &child = parent.appendChild();
    auto &record = static_cast<DepartmentObj &>(child.node());
    record.set(DepartmentObj::ID, id);
    record.set(DepartmentObj::AllName, name);
    return child;
}

MtxTree &AddModule(MtxTree &parent, const char *code)
{
    MtxTree &child = parent.appendChild();
    static_cast<FunctionModuleObj &>(child.node()).set(FunctionModuleObj::Code, code);
    return child;
}

QModelIndex Find(const QAbstractItemModel &model, const QString &code, const QModelIndex &parent = {})
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        if (index.data(CFunctionModuleModel::CodeRole).toString() == code)
            return index;
        if (QModelIndex below = Find(model, code, index); below.isValid())
            return below;
    }
    return {};
}

Qt::CheckState State(const QAbstractItemModel &model, const char *code)
{
    return static_cast<Qt::CheckState>(Find(model, QString::fromLatin1(code)).data(Qt::CheckStateRole).toInt());
}

} // namespace

TEST(DepartmentTreeModel, FollowsAddsRenamesMovesAndRemoves)
{
    MtxTree tree(std::make_unique<DepartmentObj>());
    static_cast<DepartmentObj &>(tree.node()).set(DepartmentObj::ID, "-1");
    MtxTree &head = AddDepartment(tree, "a", "A");
    AddDepartment(head, "a1", "A1");
    AddDepartment(tree, "b", "B");

    CDepartmentTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetTree(tree);
    ASSERT_EQ(model.rowCount(), 1) << "the top node stands for all departments";
    const QModelIndex top = model.index(0, 0);
    ASSERT_EQ(model.rowCount(top), 2);
    EXPECT_EQ(model.NameOf(QStringLiteral("a1")), QStringLiteral("A1"));

    const QModelIndex added = model.AddDepartment(model.FindId(QStringLiteral("b")), {QStringLiteral("b1"), QStringLiteral("B1"), QStringLiteral("b"), QStringLiteral("d")});
    EXPECT_EQ(added.parent(), model.FindId(QStringLiteral("b")));
    model.AddDepartment({}, {QStringLiteral("c"), QStringLiteral("C"), QStringLiteral("-1"), QStringLiteral("d")});
    EXPECT_EQ(model.FindId(QStringLiteral("c")).parent(), top) << "no parent chosen: below the top node";

    // Renamed and moved below b.
    model.UpdateDepartment(model.FindId(QStringLiteral("a1")), {QStringLiteral("a1"), QStringLiteral("New"), QStringLiteral("b"), QStringLiteral("d")});
    const QModelIndex moved = model.FindId(QStringLiteral("a1"));
    EXPECT_EQ(moved.data().toString(), QStringLiteral("New"));
    EXPECT_EQ(moved.parent(), model.FindId(QStringLiteral("b")));
    EXPECT_EQ(model.rowCount(model.FindId(QStringLiteral("a"))), 0);
    // A move below itself is not made.
    model.UpdateDepartment(model.FindId(QStringLiteral("b")), {QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("a1"), QStringLiteral("d")});
    EXPECT_EQ(model.FindId(QStringLiteral("b")).parent(), top);

    model.RemoveDepartment(model.FindId(QStringLiteral("c")));
    EXPECT_FALSE(model.FindId(QStringLiteral("c")).isValid());
}

TEST(FunctionModuleModel, ThreeStatesFollowTheRowsAndTheClicks)
{
    MtxTree tree(std::make_unique<FunctionModuleObj>());
    static_cast<FunctionModuleObj &>(tree.node()).set(FunctionModuleObj::Code, "0");
    MtxTree &departments = AddModule(tree, "1000");
    AddModule(departments, "100001");
    AddModule(departments, "100002");
    MtxTree &log = AddModule(tree, "1003");
    AddModule(log, "100301");

    CFunctionModuleModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetTree(tree);
    model.SetGranted({QStringLiteral("0"), QStringLiteral("1000"), QStringLiteral("100001"), QStringLiteral("1003"),
                      QStringLiteral("100301")});
    EXPECT_EQ(State(model, "100001"), Qt::Checked);
    EXPECT_EQ(State(model, "100002"), Qt::Unchecked);
    EXPECT_EQ(State(model, "1000"), Qt::PartiallyChecked) << "granted, but not all below";
    EXPECT_EQ(State(model, "1003"), Qt::Checked);
    EXPECT_EQ(State(model, "0"), Qt::PartiallyChecked);
    EXPECT_EQ(model.Granted(), (QStringList{"0", "1000", "100001", "1003", "100301"}));

    const QModelIndex logIndex = Find(model, QStringLiteral("1003"));
    EXPECT_FALSE(model.setData(logIndex, Qt::Unchecked, Qt::CheckStateRole)) << "not while browsing";
    model.SetEditable(true);
    ASSERT_TRUE(model.setData(logIndex, Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(State(model, "100301"), Qt::Unchecked) << "unchecking reaches below";
    ASSERT_TRUE(model.setData(Find(model, QStringLiteral("100002")), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(State(model, "1000"), Qt::Checked) << "all below checked";
    ASSERT_TRUE(model.setData(Find(model, QStringLiteral("100001")), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(State(model, "1000"), Qt::PartiallyChecked) << "the view right stays";
    EXPECT_EQ(model.Granted(), (QStringList{"0", "1000", "100002"}));

    model.SetGranted({});
    EXPECT_TRUE(model.Granted().isEmpty()) << "a failed read clears every box";
}
