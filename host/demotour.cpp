#include "host/demotour.h"

#include <csignal>
#include <cstdio>
#include <utility>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>

#include "frame/lockeddialog.h"
#include "frame/lockscreen.h"
#include "frame/promodule.h"
#include "frame/servicecall.h"
#include "frame/unlockdialog.h"
#include "host/hostapp.h"
#include "host/logindialog.h"
#include "host/systempropsheet.h"
#include "host/tourvisitactions.h"
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
        Problem(QStringLiteral("time limit reached, closing"));
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
        m_steps.append([this, name] {
            Say(QStringLiteral("opening %1").arg(name));
            m_host->OpenModule(name);
        });
        // Entries carry the module's name, translated when the names table has it.
        const QString key = host.Translate(name);
        const CProModule *module = host.Navigation().value(key);
        AddVisits(module ? module->TourVisits(key) : CProModule().TourVisits(key),
                  QStringLiteral("%1-%2").arg(index++, 2, 10, QLatin1Char('0')).arg(Slug(name)));
    }
    m_steps.append([this] { RunReport(); });
    if (qEnvironmentVariableIsSet("KEELMON_TOUR_SERVER_PID"))
        m_steps.append([this] { CallStoppedServer(); });
    m_steps.append([this] { m_host->GetMainFrame()->LockNow(); });
    m_steps.append([this] { m_host->ShowSystemSettings(); });
    m_steps.append([this] { Finish(); });
    QTimer::singleShot(StepMs, this, &CDemoTour::RunNextStep);
}

void CDemoTour::AddVisits(const std::vector<CTourVisit> &visits, const QString &modulePicture)
{
    const auto pictureOf = [&modulePicture](const CTourVisit &visit) {
        return visit.picture.isEmpty() ? modulePicture : modulePicture + QLatin1Char('-') + visit.picture;
    };
    for (std::size_t at = 0; at < visits.size(); ++at) {
        const CTourVisit visit = visits[at];
        // The button presses that follow a dialog are carried out in it.
        QList<Pressed> chain;
        while (visit.shot == CTourVisit::Dialog && at + 1 < visits.size()
               && visits[at + 1].open.startsWith(QLatin1String("button:"))) {
            ++at;
            chain.append({visits[at], pictureOf(visits[at])});
        }
        m_steps.append([this, visit, picture = pictureOf(visit), chain] { RunVisit(visit, picture, chain); });
    }
}

void CDemoTour::RunVisit(const CTourVisit &visit, const QString &picture, const QList<Pressed> &chain)
{
    Say(QStringLiteral("visit %1: %2 %3").arg(picture, visit.select, visit.open));
    QWidget *mainFrame = m_host->GetMainFrame();
    if (const QString failure = TourVisitActions::Select(mainFrame, visit.select); !failure.isEmpty())
        return Problem(failure);
    if (visit.shot == CTourVisit::Dialog) {
        m_expectedDialog = picture;
        m_chain = chain;
        m_dialogSeen = false;
    }
    const QString failure = TourVisitActions::Open(mainFrame, visit.open);
    const bool dialogMissing = visit.shot == CTourVisit::Dialog && !m_dialogSeen;
    m_expectedDialog.clear();
    m_chain.clear();
    if (!failure.isEmpty())
        Problem(failure);
    else if (dialogMissing)
        Problem(QStringLiteral("\"%1\" opened no dialog for %2").arg(visit.open, picture));
    else if (visit.shot == CTourVisit::Window)
        m_pendingPicture = picture; // taken once the window has settled
}

void CDemoTour::Problem(const QString &text)
{
    ++m_problems;
    Say(text);
}

void CDemoTour::RunNextStep()
{
    if (m_steps.isEmpty())
        return;
    if (!m_pendingPicture.isEmpty())
        Save(m_host->GetMainFrame(), std::exchange(m_pendingPicture, QString()));
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
    } else if (auto *dialog = qobject_cast<QDialog *>(modal); dialog && m_held.contains(dialog)) {
        return; // the dialog its button opens is on the way (bounded by the tour's time limit)
    } else if (dialog && !m_expectedDialog.isEmpty() && !qobject_cast<QMessageBox *>(modal)) {
        AnswerVisitDialog(dialog);
    } else if (auto *box = qobject_cast<QMessageBox *>(modal); box && m_expectLostServer) {
        m_expectLostServer = false;
        Save(box, QStringLiteral("94-server-lost"));
        box->accept();
    } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
        const auto *box = qobject_cast<QMessageBox *>(modal);
        Problem(QStringLiteral("unexpected dialog \"%1\": %2")
                .arg(modal->windowTitle(), box ? box->text() : QStringLiteral("(no text)")));
        Save(dialog, QStringLiteral("99-problem-%1").arg(m_problems));
        dialog->done(QDialog::Rejected);
    }
}

void CDemoTour::AnswerVisitDialog(QDialog *dialog)
{
    Save(dialog, std::exchange(m_expectedDialog, QString()));
    m_dialogSeen = true;
    if (!m_chain.isEmpty()) {
        const Pressed next = m_chain.takeFirst();
        auto *button = dialog->findChild<QPushButton *>(next.visit.open.section(QLatin1Char(':'), 1));
        if (button && next.visit.shot == CTourVisit::Dialog) {
            // Pressed from the event loop, so that the dialog it opens is watched too.
            m_held.append(dialog);
            m_expectedDialog = next.picture;
            QTimer::singleShot(0, button, &QPushButton::click);
            return;
        }
        Problem(QStringLiteral("cannot press \"%1\" in %2 for a dialog").arg(next.visit.open, dialog->objectName()));
    }
    // The last dialog of the visit: it and those that opened it close.
    dialog->done(QDialog::Rejected);
    while (!m_held.isEmpty())
        if (QPointer<QDialog> held = m_held.takeLast())
            held->done(QDialog::Rejected);
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
    QTimer::singleShot(m_host->ProgressDelayMs() + 1000, this, [this] {
        Save(m_host->GetMainFrame(), QStringLiteral("93-server-stopped-waiting"));
    });
    m_expectLostServer = true;
    const MtxString argument("SysInfo");
    CallService(m_host->GetClient(), "findWatchType", {&argument});
    ::kill(server, SIGCONT);
    Say(QStringLiteral("server running again"));
    if (m_expectLostServer) {
        m_expectLostServer = false;
        Problem(QStringLiteral("the call to the stopped server showed no message"));
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
        Problem(QStringLiteral("could not save %1").arg(file));
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
            Problem(QStringLiteral("report skipped: %1").arg(QString::fromStdString(lock.error())));
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
        Problem(QStringLiteral("the report program failed: %1").arg(finished ? QStringLiteral("exit code %1").arg(report.exitCode()) : report.errorString()));
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
