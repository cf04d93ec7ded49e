#include "host/demotour.h"

#include <csignal>
#include <cstdio>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include "frame/lockeddialog.h"
#include "frame/lockscreen.h"
#include "frame/servicecall.h"
#include "frame/unlockdialog.h"
#include "host/hostapp.h"
#include "host/logindialog.h"
#include "host/systempropsheet.h"
#include "orb/net/orbclient.h"
#include "orb/wire/mtxstring.h"

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

// Clicks the first entry of the first tree or list in the active document
// window, as an operator would to see its details: the first child when the
// first row has children.
void PickFirstEntry(QWidget *mainFrame)
{
    auto *area = mainFrame ? mainFrame->findChild<QMdiArea *>() : nullptr;
    QMdiSubWindow *window = area ? area->activeSubWindow() : nullptr;
    if (!window)
        return;
    for (QAbstractItemView *view : window->findChildren<QAbstractItemView *>()) {
        QAbstractItemModel *model = view->model();
        if (!view->isVisible() || !model || model->rowCount() == 0)
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
        m_steps.append([this] { PickFirstEntry(m_host->GetMainFrame()); });
        m_steps.append([this, picture] { Save(m_host->GetMainFrame(), picture); });
    }
    if (qEnvironmentVariableIsSet("KEELMON_TOUR_SERVER_PID"))
        m_steps.append([this] { CallStoppedServer(); });
    m_steps.append([this] { m_host->GetMainFrame()->LockNow(); });
    m_steps.append([this] { m_host->ShowSystemSettings(); });
    m_steps.append([this] { Finish(); });
    QTimer::singleShot(StepMs, this, &CDemoTour::RunNextStep);
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
