// The console host: reads Keelsys.ini in the working directory, logs in, loads
// the configured services and modules and runs the main window.
//
//   keelmon [--user NAME --password SECRET [--language cn|en]] [--measure-startup] [--tour DIR]
//
// --tour DIR answers the login dialog with the password in KEELMON_TOUR_PASSWORD,
// opens every configured module, saves a picture of each step into DIR and exits.
// --measure-startup prints the start-up time (launch to main window shown,
// login left out) and the resident memory once idle, then exits.

#include <cstdio>
#include <memory>
#include <ctime>

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include "host/demotour.h"
#include "host/hostapp.h"

namespace {

// Milliseconds since the launcher's KEELMON_LAUNCH_NS (CLOCK_REALTIME), or -1.
double SinceLaunch()
{
    const QByteArray launch = qgetenv("KEELMON_LAUNCH_NS");
    if (launch.isEmpty())
        return -1;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const double nowNs = double(now.tv_sec) * 1e9 + double(now.tv_nsec);
    return (nowNs - launch.toDouble()) / 1e6;
}

long ResidentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The command line; without a display only --help can be answered.
struct Options
{
    QCommandLineOption user{QStringLiteral("user"), QStringLiteral("Log in as NAME."), QStringLiteral("NAME")};
    QCommandLineOption password{QStringLiteral("password"), QStringLiteral("The password."), QStringLiteral("SECRET")};
    QCommandLineOption language{QStringLiteral("language"), QStringLiteral("cn or en."), QStringLiteral("LANGUAGE"),
                                QStringLiteral("cn")};
    QCommandLineOption measure{QStringLiteral("measure-startup"),
                               QStringLiteral("Print start-up time and idle memory, then exit.")};
    QCommandLineOption tour{QStringLiteral("tour"),
                            QStringLiteral("Walk through every module, save pictures into DIR, exit."),
                            QStringLiteral("DIR")};

    void AddTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(
            QStringLiteral("Keelmon 2.0 console: reads Keelsys.ini in the working directory, logs in and shows "
                           "the configured modules."));
        parser.addHelpOption();
        parser.addOptions({user, password, language, measure, tour});
    }
};

bool AsksForHelp(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--help" || argument == "-h" || argument == "-?" || argument == "--help-all")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    const Options options;
    if (AsksForHelp(argc, argv)) {
        // Printed without a window system: a plain core application will do.
        QCoreApplication core(argc, argv);
        QCommandLineParser parser;
        options.AddTo(parser);
        parser.process(core); // prints the usage and exits
        return 0;
    }
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication application(argc, argv);
    QCommandLineParser parser;
    options.AddTo(parser);
    parser.process(application);
    const QCommandLineOption &user = options.user;
    const QCommandLineOption &password = options.password;
    const QCommandLineOption &language = options.language;
    const QCommandLineOption &measure = options.measure;
    const QCommandLineOption &tourOption = options.tour;

    CHostApp host;
    if (parser.isSet(user))
        host.SetCredentials(parser.value(user), parser.value(password), parser.value(language));
    std::unique_ptr<CDemoTour> tour;
    if (parser.isSet(tourOption)) {
        tour = std::make_unique<CDemoTour>(parser.value(tourOption), qEnvironmentVariable("KEELMON_TOUR_PASSWORD"));
        tour->Arm();
    }
    if (!host.InitInstance())
        return 1;
    if (tour) {
        tour->Start(host);
        const int result = application.exec();
        return result != 0 || tour->Problems() != 0 ? 1 : 0;
    }

    if (parser.isSet(measure)) {
        // Measured once the event loop has handled the show (first paint included).
        QTimer::singleShot(0, &host, [&] {
            const double launched = SinceLaunch();
            const double shown = double(sinceMain.elapsed());
            const qint64 login = host.LoginMilliseconds();
            std::printf("startup_ms_since_main %.1f\n", shown - double(login));
            if (launched >= 0)
                std::printf("startup_ms_since_launch %.1f\n", launched - double(login));
            std::printf("login_ms %lld\n", static_cast<long long>(login));
            // Idle: let the first paints and timers settle before reading memory.
            QTimer::singleShot(2000, &host, [&] {
                std::printf("idle_rss_kb %ld\n", ResidentKilobytes());
                std::fflush(stdout);
                if (CProMainFrame *frame = host.GetMainFrame())
                    frame->CloseWithoutConfirmation();
            });
        });
    }
    return application.exec();
}
