#include "host/demotour.h"

#include <csignal>
#include <cstdio>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QTreeView>

#include "frame/lockeddialog.h"
#include "frame/lockscreen.h"
#include "frame/servicecall.h"
#include "frame/unlockdialog.h"
#include "host/hostapp.h"
#include "host/logindialog.h"
#include "host/systempropsheet.h"
#include "orb/net/orbclient.h"
#include "orb/net/orbservice.h"
#include "orb/profile/namedlock.h"
#include "orb/wire/mtxrecord.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"

namespace {

constexpr int WatchMs = 100;
constexpr int StepMs = 1500;

void Say(const QString &text)
{
    std::fprintf(stderr, "tour: %s\n", qPrintable(text));
    std::fflush(stderr);
}

// A file name part made of the module's name: its letters and digits.
QString Slug(const QString &text)
{
    QString slug;
    for (QChar c : text)
        slug += c.isLetterOrNumber() ? c : QLatin1Char('_');
    return slug.isEmpty() ? QStringLiteral("module") : slug;
}

QMdiSubWindow *ActiveWindow(QWidget *mainFrame)
{
    auto *area = mainFrame ? mainFrame->findChild<QMdiArea *>() : nullptr;
    return area ? area->activeSubWindow() : nullptr;
}

// Module windows that the tour goes into further: after the first entry, the
// first row of a named list is clicked and a command opens a dialog.
struct ModuleVisit
{
    const char *module;
    const char *list;
    int command;
};
const ModuleVisit ModuleVisits[] = {
    {"Alert", "RuleList", 32792}, // the editor of the first mail rule
};

// Dialogs that the tour pictures on the way: the button it then presses (by
// object name; none: the dialog is closed). Seen again, the dialog is closed.
struct DialogVisit
{
    const char *dialog;
    const char *picture;
    const char *next;
};
const DialogVisit DialogVisits[] = {
    {"AlertRuleDialog", "editor", "2000"}, // "检测": the monitor selection
    {"MonitorSelectDialog", "monitors", nullptr},
};

// Clicks the first entry of the first tree or list (or of the view named
// list) in the active document window, as an operator would to see its
// details: the first child when the first row has children.
void PickFirstEntry(QWidget *mainFrame, const QString &list = {})
{
    QMdiSubWindow *window = ActiveWindow(mainFrame);
    if (!window)
        return;
    for (QAbstractItemView *view : window->findChildren<QAbstractItemView *>()) {
        QAbstractItemModel *model = view->model();
        if (!view->isVisible() || !model || model->rowCount() == 0 || (!list.isEmpty() && view->objectName() != list))
            continue;
        QModelIndex index = model->index(0, 0);
        if (model->rowCount(index) > 0)
            index = model->index(0, 0, index);
        const QPoint at = view->visualRect(index).center();
        const QPointF global = view->viewport()->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &press);
        QApplication::sendEvent(view->viewport(), &release);
        return;
    }
}

struct MonitorRef
{
    std::string id;
    std::string kind;
};

// The first monitor (element type "5") of a subtree, depth first.
bool FindMonitor(const MtxTree &tree, MonitorRef &found)
{
    if (const auto *record = dynamic_cast<const MtxRecord *>(&tree.node())) {
        const int type = record->indexOf("Type");
        const int id = record->indexOf("ID");
        const int kind = record->indexOf("Monitor_Type");
        if (type >= 0 && id >= 0 && kind >= 0 && record->get(type) == "5") {
            found = MonitorRef{record->get(id), record->get(kind)};
            return true;
        }
    }
    for (std::size_t i = 0; i < tree.childCount(); ++i)
        if (FindMonitor(*tree.child(i), found))
            return true;
    return false;
}

// The active document window's first visible tree, or null.
QTreeView *ActiveTree(QWidget *mainFrame)
{
    auto *area = mainFrame ? mainFrame->findChild<QMdiArea *>() : nullptr;
    QMdiSubWindow *window = area ? area->activeSubWindow() : nullptr;
    if (!window)
        return nullptr;
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

// Selects the item the way a click does, and shows it.
void SelectInTree(QAbstractItemView *view, const QModelIndex &index)
{
    if (!view || !index.isValid())
        return;
    view->scrollTo(index);
    view->setCurrentIndex(index);
}

// The first cell of the topology picture in the active window, or null.
QWidget *FirstCell(QWidget *mainFrame)
{
    QMdiSubWindow *window = ActiveWindow(mainFrame);
    return window ? window->findChild<QWidget *>(QStringLiteral("TPCell")) : nullptr;
}

void Click(QWidget *widget, QEvent::Type type)
{
    const QPoint at = widget->rect().center();
    const QPointF global = widget->mapToGlobal(QPointF(at));
    QMouseEvent press(type, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

} // namespace

CDemoTour::CDemoTour(const QString &folder, const QString &password, QObject *parent)
    : QObject(parent), m_folder(folder), m_password(password)
{
    m_folder.mkpath(QStringLiteral("."));
    m_watch.setInterval(WatchMs);
    connect(&m_watch, &QTimer::timeout, this, &CDemoTour::Watch);
    m_limit.setSingleShot(true);
    m_limit.setInterval(TimeLimitMs);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        Say(QStringLiteral("time limit reached, closing"));
        ++m_problems;
        Finish();
        // Ends modal loops that may still be open as well.
        QCoreApplication::exit(1);
    });
}

void CDemoTour::Arm()
{
    m_watch.start();
    m_limit.start();
}

void CDemoTour::Start(CHostApp &host)
{
    m_host = &host;
    // Without a window manager nothing maximises the main window: fill the screen.
    if (QScreen *screen = host.GetMainFrame()->screen())
        host.GetMainFrame()->setGeometry(screen->availableGeometry());
    m_steps.append([this] { Save(m_host->GetMainFrame(), QStringLiteral("01-main")); });
    int index = 2;
    for (const ModuleEntry &entry : host.ModuleEntries()) {
        const QString name = entry.name;
        const QString picture = QStringLiteral("%1-%2").arg(index++, 2, 10, QLatin1Char('0')).arg(Slug(name));
        m_steps.append([this, name] {
            Say(QStringLiteral("opening %1").arg(name));
            m_host->OpenModule(name);
        });
        if (name == QLatin1String("TMonitor") || host.Translate(name) == QLatin1String("TMonitor")) {
            AddInventorySteps(picture);
            continue;
        }
        m_steps.append([this] { PickFirstEntry(m_host->GetMainFrame()); });
        m_steps.append([this, picture] { Save(m_host->GetMainFrame(), picture); });
        // Entries carry the module's name, translated when the names table has it.
        const QString topology = QStringLiteral("TP");
        if (name == topology || name == m_host->Translate(topology))
            AddTopologySteps(picture);
        for (const ModuleVisit &visit : ModuleVisits) {
            const QString module = QLatin1String(visit.module);
            if (name != module && name != host.Translate(module))
                continue;
            m_steps.append([this, visit] { PickFirstEntry(m_host->GetMainFrame(), QLatin1String(visit.list)); });
            m_steps.append([this, visit, picture] {
                m_visitPicture = picture;
                m_host->GetMainFrame()->RouteCommand(visit.command);
            });
        }
    }
    m_steps.append([this] { RunReport(); });
    if (qEnvironmentVariableIsSet("KEELMON_TOUR_SERVER_PID"))
        m_steps.append([this] { CallStoppedServer(); });
    m_steps.append([this] { m_host->GetMainFrame()->LockNow(); });
    m_steps.append([this] { m_host->ShowSystemSettings(); });
    m_steps.append([this] { Finish(); });
    QTimer::singleShot(StepMs, this, &CDemoTour::RunNextStep);
}

void CDemoTour::AddInventorySteps(const QString &picture)
{
    const auto device = [this] {
        QAbstractItemView *tree = ActiveTree(m_host->GetMainFrame());
        return tree ? FirstLeafParent(*tree->model(), {}) : QModelIndex();
    };
    m_steps.append([this, device] { SelectInTree(ActiveTree(m_host->GetMainFrame()), device()); });
    m_steps.append([this, picture] { Save(m_host->GetMainFrame(), picture + QStringLiteral("-device")); });
    // The first monitor run once on the probe channel, when the settings name one.
    m_steps.append([this, picture] {
        const std::string probePort = m_host->Profile().readString("SYS", "ProServerPort");
        if (probePort.empty() || probePort == "0") {
            Say(QStringLiteral("test run skipped: Keelsys.ini names no ProServerPort"));
            return;
        }
        TileAction(QStringLiteral("Test"), QString());
        Save(m_host->GetMainFrame(), picture + QStringLiteral("-test-run"));
    });
    m_steps.append([this, picture] { TileAction(QStringLiteral("Alert"), picture + QStringLiteral("-alert-log")); });
    m_steps.append([this, device] {
        const QModelIndex chosen = device();
        SelectInTree(ActiveTree(m_host->GetMainFrame()), chosen.model() ? chosen.model()->index(0, 0, chosen) : QModelIndex());
    });
    m_steps.append([this, picture] { Save(m_host->GetMainFrame(), picture + QStringLiteral("-monitor")); });
    m_steps.append([this, device] {
        const QModelIndex chosen = device();
        SelectInTree(ActiveTree(m_host->GetMainFrame()), chosen.parent());
    });
    m_steps.append([this, picture] { OpenDialog(QStringLiteral("添加设备"), picture + QStringLiteral("-add-device")); });
    m_steps.append([this, device] { SelectInTree(ActiveTree(m_host->GetMainFrame()), device()); });
    m_steps.append([this, picture] { OpenDialog(QStringLiteral("添加检测"), picture + QStringLiteral("-add-monitor")); });
    m_steps.append([this, picture] { Save(m_host->GetMainFrame(), picture); });
}

void CDemoTour::OpenDialog(const QString &command, const QString &picture)
{
    QToolBar *toolBar = m_host->GetMainFrame()->ModuleToolBar();
    for (QAction *action : toolBar ? toolBar->actions() : QList<QAction *>()) {
        if (action->text() != command)
            continue;
        if (!action->isEnabled())
            break;
        Say(QStringLiteral("opening %1").arg(command));
        m_expectedDialog = picture;
        action->trigger();
        m_expectedDialog.clear();
        return;
    }
    ++m_problems;
    Say(QStringLiteral("no enabled command \"%1\" on the module toolbar").arg(command));
}

void CDemoTour::TileAction(const QString &text, const QString &picture)
{
    QMdiSubWindow *window = ActiveWindow(m_host->GetMainFrame());
    auto *tiles = window ? window->findChild<QAbstractItemView *>(QStringLiteral("MonitorTiles")) : nullptr;
    if (!tiles || !tiles->model() || tiles->model()->rowCount() == 0) {
        ++m_problems;
        Say(QStringLiteral("no monitor tiles for \"%1\"").arg(text));
        return;
    }
    tiles->setCurrentIndex(tiles->model()->index(0, 0));
    for (QAction *action : tiles->actions()) {
        if (action->text() != text)
            continue;
        Say(QStringLiteral("tile action %1").arg(text));
        m_expectedDialog = picture;
        action->trigger();
        m_expectedDialog.clear();
        return;
    }
    ++m_problems;
    Say(QStringLiteral("no tile action \"%1\"").arg(text));
}

// The topology module beyond its top picture: a double click on the first
// cell opens its sub-picture; then the drawing mode with a cell selected.
void CDemoTour::AddTopologySteps(const QString &picture)
{
    m_steps.append([this] {
        if (QWidget *cell = FirstCell(m_host->GetMainFrame()))
            Click(cell, QEvent::MouseButtonDblClick);
    });
    m_steps.append([this, picture] {
        Save(m_host->GetMainFrame(), picture + QStringLiteral("-sub"));
        QMdiSubWindow *window = ActiveWindow(m_host->GetMainFrame());
        if (auto *draw = window ? window->findChild<QAction *>(QStringLiteral("TPDrawMode")) : nullptr)
            draw->trigger();
        if (QWidget *cell = FirstCell(m_host->GetMainFrame()))
            Click(cell, QEvent::MouseButtonPress);
    });
    m_steps.append([this, picture] { Save(m_host->GetMainFrame(), picture + QStringLiteral("-edit")); });
}

void CDemoTour::RunNextStep()
{
    if (m_steps.isEmpty())
        return;
    const std::function<void()> step = m_steps.takeFirst();
    step();
    if (!m_steps.isEmpty())
        QTimer::singleShot(StepMs, this, &CDemoTour::RunNextStep);
}

// The modal dialog of the moment: the tour's own answer to each, and any
// other one (an error message) is pictured, reported and closed.
void CDemoTour::Watch()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto *login = qobject_cast<CLoginDialog *>(modal)) {
        login->passwordEdit()->setText(m_password);
        Save(login, QStringLiteral("00-login"));
        Say(QStringLiteral("logging in as %1").arg(login->userName()));
        login->okButton()->click();
    } else if (auto *locked = qobject_cast<CLockedDialog *>(modal)) {
        if (!locked->unlockButton()->isEnabled())
            return;
        Save(locked, QStringLiteral("90-locked"));
        locked->unlockButton()->click();
    } else if (auto *unlock = qobject_cast<CUnlockDialog *>(modal)) {
        unlock->passwordEdit()->setText(m_password);
        Save(unlock, QStringLiteral("91-unlock"));
        unlock->loginButton()->click();
    } else if (auto *sheet = qobject_cast<CSystemPropSheet *>(modal)) {
        Save(sheet, QStringLiteral("92-settings"));
        sheet->reject();
    } else if (auto *dialog = qobject_cast<QDialog *>(modal); dialog && !m_expectedDialog.isEmpty()
               && !qobject_cast<QMessageBox *>(modal)) {
        Save(dialog, m_expectedDialog);
        m_expectedDialog.clear();
        dialog->done(QDialog::Rejected);
    } else if (VisitDialog(modal)) {
        return;
    } else if (auto *box = qobject_cast<QMessageBox *>(modal); box && m_expectLostServer) {
        m_expectLostServer = false;
        Save(box, QStringLiteral("94-server-lost"));
        box->accept();
    } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
        ++m_problems;
        const auto *box = qobject_cast<QMessageBox *>(modal);
        Say(QStringLiteral("unexpected dialog \"%1\": %2")
                .arg(modal->windowTitle(), box ? box->text() : QStringLiteral("(no text)")));
        Save(dialog, QStringLiteral("99-problem-%1").arg(m_problems));
        dialog->done(QDialog::Rejected);
    }
}

bool CDemoTour::VisitDialog(QWidget *modal)
{
    auto *dialog = qobject_cast<QDialog *>(modal);
    for (const DialogVisit &visit : DialogVisits) {
        if (!dialog || dialog->objectName() != QLatin1String(visit.dialog))
            continue;
        if (dialog == m_visitWaiting)
            return true; // the dialog its button opens is on the way (bounded by the tour's time limit)
        Save(dialog, m_visitPicture + QLatin1Char('-') + QLatin1String(visit.picture));
        auto *next = visit.next ? dialog->findChild<QPushButton *>(QLatin1String(visit.next)) : nullptr;
        if (next) {
            // Pressed from the event loop, so that the dialog it opens is watched too.
            m_visitWaiting = dialog;
            QTimer::singleShot(0, next, &QPushButton::click);
            return true;
        }
        // The last dialog of the visit: it and the one that opened it close.
        dialog->done(QDialog::Rejected);
        if (m_visitWaiting)
            m_visitWaiting->done(QDialog::Rejected);
        m_visitWaiting = nullptr;
        return true;
    }
    return false;
}

void CDemoTour::CallStoppedServer()
{
    const pid_t server = pid_t(qEnvironmentVariableIntValue("KEELMON_TOUR_SERVER_PID"));
    if (server <= 0 || ::kill(server, SIGSTOP) != 0) {
        Say(QStringLiteral("cannot stop the server (pid %1): the lost-server pictures are left out").arg(server));
        return;
    }
    Say(QStringLiteral("server stopped; calling it"));
    // The call waits on its own event loop, which keeps the tour's timers going.
    QTimer::singleShot(ServerCallProgressDelayMs + 1000, this, [this] {
        Save(m_host->GetMainFrame(), QStringLiteral("93-server-stopped-waiting"));
    });
    m_expectLostServer = true;
    const MtxString argument("SysInfo");
    CallService(m_host->GetClient(), "findWatchType", {&argument});
    ::kill(server, SIGCONT);
    Say(QStringLiteral("server running again"));
    if (m_expectLostServer) {
        m_expectLostServer = false;
        ++m_problems;
        Say(QStringLiteral("the call to the stopped server showed no message"));
    }
}

void CDemoTour::Save(QWidget *widget, const QString &name)
{
    if (!widget || m_seen.contains(name))
        return;
    m_seen.insert(name);
    QApplication::processEvents();
    // On a real (or virtual) display the screen shows the window as it is,
    // other windows on top included; elsewhere the window draws itself.
    QPixmap picture;
    QScreen *screen = widget->screen();
    if (QGuiApplication::platformName() == QLatin1String("xcb") && screen)
        picture = screen->grabWindow(0);
    if (picture.isNull())
        picture = widget->window()->grab();
    const QString file = m_folder.filePath(name + QStringLiteral(".png"));
    if (picture.save(file)) {
        ++m_pictures;
        Say(QStringLiteral("saved %1").arg(file));
    } else {
        ++m_problems;
        Say(QStringLiteral("could not save %1").arg(file));
    }
}

// Hands a monitor of the inventory to the report program as the monitoring
// module does (StatView/StatView.ini in the working directory) and runs the
// program's own tour into the same folder. Skipped when the settings name no
// data server or the inventory has no monitor.
void CDemoTour::RunReport()
{
    if (m_host->Profile().readString("SYS", "DataServerPort").empty()) {
        Say(QStringLiteral("report skipped: Keelsys.ini names no DataServerPort"));
        return;
    }
    OrbService *elements = m_host->GetService(QStringLiteral("ElementService"));
    std::unique_ptr<MtxObj> node = elements ? elements->createObject("Orb.ElementObj") : nullptr;
    if (!node) {
        Say(QStringLiteral("report skipped: no element service"));
        return;
    }
    MtxTree tree(std::move(node));
    tree.setFactory(elements);
    const MtxString whole("-1");
    MonitorRef monitor;
    if (!elements->invoke("findElementTree", {&whole}, &tree).succeeded() || !FindMonitor(tree, monitor)) {
        Say(QStringLiteral("report skipped: the inventory has no monitor"));
        return;
    }
    QDir().mkpath(QStringLiteral("StatView"));
    {
        // Under the lock the report program reads the file with.
        NamedLock lock("StatView");
        if (!lock.lock()) {
            ++m_problems;
            Say(QStringLiteral("report skipped: %1").arg(QString::fromStdString(lock.error())));
            return;
        }
        ProfileFile handOver(QDir::current().filePath(QStringLiteral("StatView/StatView.ini")).toStdString());
        handOver.writeString("StatView", "ID", monitor.id);
        handOver.writeString("StatView", "MonitorType", monitor.kind);
        handOver.writeString("StatView", "RecvNum", "1");
    }

    Say(QStringLiteral("starting the report of monitor %1").arg(QString::fromStdString(monitor.id)));
    QProcess report;
    report.setProcessChannelMode(QProcess::ForwardedChannels);
    report.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("StatView")),
                 {QStringLiteral("--tour"), m_folder.absolutePath()});
    const bool finished = report.waitForStarted(5000) && report.waitForFinished(ReportLimitMs);
    if (!finished) {
        report.kill();
        report.waitForFinished(5000);
    }
    if (!finished || report.exitStatus() != QProcess::NormalExit || report.exitCode() != 0) {
        ++m_problems;
        Say(QStringLiteral("the report program failed: %1").arg(finished ? QStringLiteral("exit code %1").arg(report.exitCode()) : report.errorString()));
        return;
    }
    m_pictures += int(QDir(m_folder).entryList({QStringLiteral("8?-report-*.png")}, QDir::Files).size());
}

void CDemoTour::Finish()
{
    m_watch.stop();
    m_limit.stop();
    m_steps.clear();
    Say(QStringLiteral("%1 pictures in %2, %3 problem(s)").arg(m_pictures).arg(m_folder.absolutePath()).arg(m_problems));
    if (m_host && m_host->GetMainFrame())
        m_host->GetMainFrame()->CloseWithoutConfirmation();
    else
        QCoreApplication::exit(m_problems ? 1 : 0);
}
