// The demo's scripted tour from end to end: keelmon with the sample
// Keelsys.ini against the reference server logs in through the login dialog,
// opens every configured module, runs the report program's tour on a demo
// monitor, locks and unlocks, shows the settings and
// exits, leaving a picture of each step. This also keeps sample/ in step with
// the libraries the build makes.

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "testsupport/recordingapp.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"

TEST(DemoTour, VisitsEveryModuleOfTheSampleSettings)
{
    ReferenceServer server;
    ASSERT_TRUE(server.start()) << server.error();
    WorkingDirectory cwd;

    // The demo working directory as scripts/run.sh makes it (settings, pictures).
    QProcess demoDir;
    demoDir.setProcessChannelMode(QProcess::MergedChannels);
    demoDir.start(QStringLiteral("bash"), {QStringLiteral(KEEL_SOURCE_DIR "/scripts/demo-dir.sh"),
                                           QString::fromStdString(cwd.path()), QString::number(server.port()),
                                           QStringLiteral("0"), QString::number(server.dataPort())});
    ASSERT_TRUE(demoDir.waitForFinished(60000) && demoDir.exitCode() == 0) << demoDir.readAll().toStdString();
    const QString settings = ReadKeelsysIni();

    QProcess keelmon;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KEELMON_TOUR_PASSWORD"), QString::fromLatin1(ReferenceServer::AdminPassword));
    env.remove(QStringLiteral("KEELMON_USER"));
    keelmon.setProcessEnvironment(env);
    keelmon.setProcessChannelMode(QProcess::MergedChannels);
    const QString pictures = QString::fromStdString(cwd.path()) + QStringLiteral("/tour");
    keelmon.start(QDir(qEnvironmentVariable("KEEL_BIN_DIR")).filePath(QStringLiteral("keelmon")),
                  {QStringLiteral("--tour"), pictures});
    ASSERT_TRUE(keelmon.waitForStarted(5000));
    const bool finished = keelmon.waitForFinished(150000);
    const QString output = QString::fromLocal8Bit(keelmon.readAll());
    if (!finished)
        keelmon.kill();
    ASSERT_TRUE(finished) << output.toStdString();
    EXPECT_EQ(keelmon.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("0 problem(s)"))) << output.toStdString();

    const int moduleCount = QRegularExpression(QStringLiteral("moduleCount=(\\d+)")).match(settings).captured(1).toInt();
    QStringList expected = {QStringLiteral("00-login.png"), QStringLiteral("01-main.png"),
                            QStringLiteral("90-locked.png"), QStringLiteral("91-unlock.png"),
                            QStringLiteral("92-settings.png"), QStringLiteral("80-report-text.png"),
                            QStringLiteral("81-report-image.png"), QStringLiteral("82-report-measure.png")};
    const QStringList saved = QDir(pictures).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    for (const QString &picture : expected)
        EXPECT_TRUE(saved.contains(picture)) << picture.toStdString() << " missing; saved: "
                                             << saved.join(QLatin1Char(' ')).toStdString();
    // The monitoring module adds a selected device and monitor, its two
    // dialogs and a monitor's alert log (no test run: the reference server
    // here has no probe channel); the topology module a sub-picture and its
    // drawing mode; the alerting module the editor of a mail rule and its
    // monitor selection.
    const int inventoryPictures = settings.contains(QStringLiteral("libProbeDesk.so")) ? 5 : 0;
    const int topologyViews = settings.contains(QStringLiteral("DLLname=libMapDesk.so")) ? 2 : 0;
    const bool alerting = settings.contains(QStringLiteral("DLLname=libAlarmDesk.so"));
    EXPECT_EQ(saved.size(), expected.size() + moduleCount + inventoryPictures + topologyViews + (alerting ? 2 : 0))
        << "one picture per module: " << saved.join(QLatin1Char(' ')).toStdString();
    if (alerting)
        EXPECT_EQ(saved.filter(QRegularExpression(QStringLiteral("-(editor|monitors)\\.png$"))).size(), 2)
            << "the editor of a mail rule and the monitor selection: " << output.toStdString();
    EXPECT_TRUE(ReadKeelsysIni().contains(QStringLiteral("sysdefaultuser=admin")));
}
