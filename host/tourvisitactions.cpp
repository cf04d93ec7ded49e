#include "host/tourvisitactions.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QToolBar>
#include <QTreeView>

#include "frame/promainframe.h"

namespace {

QMdiSubWindow *ActiveWindow(QWidget *mainFrame)
{
    auto *area = mainFrame ? mainFrame->findChild<QMdiArea *>() : nullptr;
    return area ? area->activeSubWindow() : nullptr;
}

void Click(QWidget *widget, const QPoint &at, QEvent::Type type = QEvent::MouseButtonPress)
{
    const QPointF global = widget->mapToGlobal(QPointF(at));
    QMouseEvent press(type, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// Clicks the first entry of the first visible tree or list (or of the view
// named list) in window, as an operator would to see its details: the first
// child when the first row has children.
void PickFirstEntry(QMdiSubWindow *window, const QString &list)
{
    for (QAbstractItemView *view : window->findChildren<QAbstractItemView *>()) {
        QAbstractItemModel *model = view->model();
        if (!view->isVisible() || !model || model->rowCount() == 0 || (!list.isEmpty() && view->objectName() != list))
            continue;
        QModelIndex index = model->index(0, 0);
        if (model->rowCount(index) > 0)
            index = model->index(0, 0, index);
        Click(view->viewport(), view->visualRect(index).center());
        return;
    }
}

// The window's first visible tree with rows, or null.
QTreeView *FirstTree(QMdiSubWindow *window)
{
    for (QTreeView *view : window->findChildren<QTreeView *>())
        if (view->isVisible() && view->model() && view->model()->rowCount() > 0)
            return view;
    return nullptr;
}

// The first node, depth first, whose children all are leaves: in the
// inventory tree a device with its monitors.
QModelIndex FirstLeafParent(const QAbstractItemModel &model, const QModelIndex &parent)
{
    bool leavesOnly = model.rowCount(parent) > 0;
    for (int row = 0; row < model.rowCount(parent); ++row)
        leavesOnly = leavesOnly && model.rowCount(model.index(row, 0, parent)) == 0;
    if (leavesOnly && parent.isValid())
        return parent;
    for (int row = 0; row < model.rowCount(parent); ++row)
        if (QModelIndex found = FirstLeafParent(model, model.index(row, 0, parent)); found.isValid())
            return found;
    return {};
}

QString SelectBranch(QMdiSubWindow *window, const QString &what)
{
    QTreeView *tree = FirstTree(window);
    const QModelIndex branch = tree ? FirstLeafParent(*tree->model(), {}) : QModelIndex();
    QModelIndex chosen;
    if (what == QLatin1String("branch"))
        chosen = branch;
    else if (what == QLatin1String("branch/first"))
        chosen = branch.isValid() ? tree->model()->index(0, 0, branch) : QModelIndex();
    else if (what == QLatin1String("branch/parent"))
        chosen = branch.parent();
    else
        return QStringLiteral("unknown selection \"%1\"").arg(what);
    if (!chosen.isValid())
        return QStringLiteral("no \"%1\" in the window's tree").arg(what);
    // Selected the way a click does, and shown.
    tree->scrollTo(chosen);
    tree->setCurrentIndex(chosen);
    return {};
}

QString Trigger(QAction *action, const QString &what)
{
    if (!action)
        return QStringLiteral("no action \"%1\" in the window").arg(what);
    if (!action->isEnabled())
        return QStringLiteral("the action \"%1\" is disabled").arg(what);
    action->trigger();
    return {};
}

// "NAME": the window's action of that object name; "WIDGET/TEXT": the action
// of that text on the widget of that object name.
QString TriggerAction(QMdiSubWindow *window, const QString &what)
{
    const int slash = what.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return Trigger(window->findChild<QAction *>(what), what);
    auto *widget = window->findChild<QWidget *>(what.left(slash));
    const QString text = what.mid(slash + 1);
    for (QAction *action : widget ? widget->actions() : QList<QAction *>())
        if (action->text() == text)
            return Trigger(action, what);
    return Trigger(nullptr, what);
}

QString TriggerToolBarCommand(CProMainFrame *frame, const QString &text)
{
    QToolBar *toolBar = frame ? frame->ModuleToolBar() : nullptr;
    for (QAction *action : toolBar ? toolBar->actions() : QList<QAction *>())
        if (action->text() == text && action->isEnabled()) {
            action->trigger();
            return {};
        }
    return QStringLiteral("no enabled command \"%1\" on the module toolbar").arg(text);
}

} // namespace

namespace TourVisitActions {

QString Select(QWidget *mainFrame, const QString &what)
{
    if (what.isEmpty())
        return {};
    QMdiSubWindow *window = ActiveWindow(mainFrame);
    if (!window)
        return QStringLiteral("no document window to select \"%1\" in").arg(what);
    const QString kind = what.section(QLatin1Char(':'), 0, 0);
    const QString name = what.section(QLatin1Char(':'), 1);
    if (kind == QLatin1String("first")) {
        PickFirstEntry(window, name);
        return {};
    }
    if (kind.startsWith(QLatin1String("branch")))
        return SelectBranch(window, what);
    if (kind == QLatin1String("click") || kind == QLatin1String("doubleclick")) {
        auto *widget = window->findChild<QWidget *>(name);
        if (!widget)
            return QStringLiteral("no \"%1\" in the window to click").arg(name);
        Click(widget, widget->rect().center(),
              kind == QLatin1String("click") ? QEvent::MouseButtonPress : QEvent::MouseButtonDblClick);
        return {};
    }
    return QStringLiteral("unknown selection \"%1\"").arg(what);
}

QString Open(QWidget *mainFrame, const QString &what)
{
    if (what.isEmpty())
        return {};
    const QString kind = what.section(QLatin1Char(':'), 0, 0);
    const QString name = what.section(QLatin1Char(':'), 1);
    auto *frame = qobject_cast<CProMainFrame *>(mainFrame);
    if (kind == QLatin1String("toolbar"))
        return TriggerToolBarCommand(frame, name);
    if (kind == QLatin1String("command")) {
        bool number = false;
        const int command = name.toInt(&number);
        if (!number || !frame)
            return QStringLiteral("cannot route the command \"%1\"").arg(name);
        frame->RouteCommand(command);
        return {};
    }
    if (kind == QLatin1String("action")) {
        QMdiSubWindow *window = ActiveWindow(mainFrame);
        return window ? TriggerAction(window, name) : QStringLiteral("no document window for \"%1\"").arg(what);
    }
    if (kind == QLatin1String("button"))
        return QStringLiteral("\"%1\" follows no dialog the tour holds open").arg(what);
    return QStringLiteral("unknown command \"%1\"").arg(what);
}

} // namespace TourVisitActions
