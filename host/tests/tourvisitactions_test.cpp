// The selections and commands of the demo tour's visits, in a window built
// here: the right item is chosen, actions are found by name or by their
// widget and text, and every word the tour does not know is reported.

#include <gtest/gtest.h>

#include <QAction>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

#include "host/tourvisitactions.h"
#include "testsupport/recordingapp.h"

namespace {

// A main window with one document window: a tree (group > [empty group,
// device > [m1, m2]]), a list named "Rules" and two actions.
struct Window
{
    Window()
    {
        auto *area = new QMdiArea(&main);
        auto *document = new QWidget;
        auto *layout = new QVBoxLayout(document);
        QStandardItem *group = new QStandardItem(QStringLiteral("group"));
        QStandardItem *device = new QStandardItem(QStringLiteral("device"));
        device->appendRow(new QStandardItem(QStringLiteral("m1")));
        device->appendRow(new QStandardItem(QStringLiteral("m2")));
        group->appendRow(new QStandardItem(QStringLiteral("empty group")));
        group->appendRow(device);
        treeModel.appendRow(group);
        tree = new QTreeView;
        tree->setModel(&treeModel);
        tree->expandAll();
        listModel.appendRow(new QStandardItem(QStringLiteral("rule 1")));
        listModel.appendRow(new QStandardItem(QStringLiteral("rule 2")));
        list = new QListView;
        list->setObjectName(QStringLiteral("Rules"));
        list->setModel(&listModel);
        layout->addWidget(tree);
        layout->addWidget(list);
        draw = new QAction(QStringLiteral("Draw"), document);
        draw->setObjectName(QStringLiteral("DrawMode"));
        QObject::connect(draw, &QAction::triggered, [this] { ++drawn; });
        auto *test = new QAction(QStringLiteral("Test"), list);
        list->addAction(test);
        QObject::connect(test, &QAction::triggered, [this] { ++tested; });
        area->addSubWindow(document)->showMaximized();
        main.resize(800, 600);
        main.show();
    }
    QString Current() const { return tree->currentIndex().data().toString(); }

    QWidget main;
    QStandardItemModel treeModel;
    QStandardItemModel listModel;
    QTreeView *tree;
    QListView *list;
    QAction *draw;
    int drawn = 0;
    int tested = 0;
};

} // namespace

TEST(TourVisitActions, SelectsTheBranchItsNeighboursAndFirstEntries)
{
    Window window;
    using TourVisitActions::Select;
    EXPECT_EQ(Select(&window.main, QStringLiteral("branch")), QString());
    EXPECT_EQ(window.Current(), QStringLiteral("device")) << "the first node whose children are all leaves";
    EXPECT_EQ(Select(&window.main, QStringLiteral("branch/first")), QString());
    EXPECT_EQ(window.Current(), QStringLiteral("m1"));
    EXPECT_EQ(Select(&window.main, QStringLiteral("branch/parent")), QString());
    EXPECT_EQ(window.Current(), QStringLiteral("group"));

    EXPECT_EQ(Select(&window.main, QStringLiteral("first:Rules")), QString());
    EXPECT_EQ(window.list->currentIndex().row(), 0) << "the list's first entry is clicked";
    EXPECT_EQ(Select(&window.main, QStringLiteral("first")), QString());
    EXPECT_EQ(window.Current(), QStringLiteral("empty group")) << "the first row's first child";
    EXPECT_EQ(Select(&window.main, QStringLiteral("")), QString());
    window.listModel.clear();
    EXPECT_EQ(Select(&window.main, QStringLiteral("first:Rules")), QString()) << "an empty list is no failure";

    for (const char *unknown : {"branch/last", "pick:Rules", "click:Nothing"})
        EXPECT_FALSE(Select(&window.main, QLatin1String(unknown)).isEmpty()) << unknown;
    QWidget bare;
    EXPECT_FALSE(Select(&bare, QStringLiteral("first")).isEmpty()) << "no document window";
}

TEST(TourVisitActions, OpensActionsByNameOrByWidgetAndText)
{
    Window window;
    using TourVisitActions::Open;
    EXPECT_EQ(Open(&window.main, QStringLiteral("action:DrawMode")), QString());
    EXPECT_EQ(Open(&window.main, QStringLiteral("action:Rules/Test")), QString());
    EXPECT_EQ(window.drawn, 1);
    EXPECT_EQ(window.tested, 1);

    window.draw->setEnabled(false);
    EXPECT_FALSE(Open(&window.main, QStringLiteral("action:DrawMode")).isEmpty()) << "disabled";
    EXPECT_EQ(window.drawn, 1);
    // Not a main frame: no module toolbar and no command routing.
    for (const char *unknown : {"action:Rules/Edit", "action:Missing", "toolbar:添加设备", "command:32792",
                                "command:edit", "button:2000", "press:Draw"})
        EXPECT_FALSE(Open(&window.main, QLatin1String(unknown)).isEmpty()) << unknown;
    EXPECT_EQ(window.tested, 1);
}
