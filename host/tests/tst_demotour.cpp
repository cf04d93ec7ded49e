// The demo's scripted tour from end to end: keelmon with the sample
// Keelsys.ini against the reference server logs in through the login dialog,
// opens every configured module, locks and unlocks, shows the settings and
// exits, leaving a picture of each step. This also keeps sample/ in step with
// the libraries the build makes.

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFile>
#include <QImage>
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

    QFile sample(QStringLiteral(KEEL_SOURCE_DIR "/sample/Keelsys.ini.in"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly)) << "sample/Keelsys.ini.in is missing";
    const QString settings = QString::fromUtf8(sample.readAll()).replace(QStringLiteral("@SERVER_PORT@"),
                                                                         QString::number(server.port()));
    WriteKeelsysIni(settings);
    // The other templates of sample/ (module catalogues and layouts), in GBK.
    const QDir sampleDir(QStringLiteral(KEEL_SOURCE_DIR "/sample"));
    QDirIterator templates(sampleDir.path(), {QStringLiteral("*.in")}, QDir::Files, QDirIterator::Subdirectories);
    while (templates.hasNext()) {
        const QString relative = sampleDir.relativeFilePath(templates.next()).chopped(3);
        if (relative == QLatin1String("Keelsys.ini"))
            continue;
        QFile source(templates.filePath());
        QDir().mkpath(QFileInfo(relative).path());
        QFile target(relative);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly)) << relative.toStdString();
        target.write(QByteArray::fromStdString(toLocal(QString::fromUtf8(source.readAll()))));
    }
    QImage background(64, 40, QImage::Format_RGB888);
    background.fill(QColor(0x1f, 0x3b, 0x5c));
    ASSERT_TRUE(background.save(QStringLiteral("Keelmon.bmp"), "BMP"));

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
                            QStringLiteral("92-settings.png")};
    const QStringList saved = QDir(pictures).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    for (const QString &picture : expected)
        EXPECT_TRUE(saved.contains(picture)) << picture.toStdString() << " missing; saved: "
                                             << saved.join(QLatin1Char(' ')).toStdString();
    // One picture per module, and those of the dialogs a module visit opens.
    const QStringList visits = saved.filter(QRegularExpression(QStringLiteral("^\\d\\d-[^-]+-[^-]+\\.png$")));
    EXPECT_EQ(saved.size() - visits.size(), expected.size() + moduleCount)
        << "one picture per module: " << saved.join(QLatin1Char(' ')).toStdString();
    if (settings.contains(QStringLiteral("DLLname=libAlarmDesk.so")))
        EXPECT_EQ(visits.filter(QRegularExpression(QStringLiteral("-(editor|monitors)\\.png$"))).size(), 2)
            << "the editor of a mail rule and the monitor selection: " << output.toStdString();
    EXPECT_TRUE(ReadKeelsysIni().contains(QStringLiteral("sysdefaultuser=admin")));
}
