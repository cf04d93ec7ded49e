#pragma once

// What ProbeDesk's tests share: a folder laid out like an installation (the
// sample catalogues stored in GBK, as the demo-directory script stores them),
// made the install root for the test.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "frame/installroot.h"
#include "frame/localtext.h"

class SampleInstallation
{
public:
    SampleInstallation()
    {
        const QDir sample(QStringLiteral(KEEL_SOURCE_DIR "/sample"));
        QDir(m_dir.path()).mkpath(QStringLiteral("config"));
        for (const char *name : {"Entity.xml", "EntityControl.xml", "Item.config", "MonitorLibrary.config"}) {
            QFile source(sample.filePath(QStringLiteral("config/%1.in").arg(QLatin1String(name))));
            if (source.open(QIODevice::ReadOnly))
                Write(QStringLiteral("config/%1").arg(QLatin1String(name)), QString::fromUtf8(source.readAll()));
        }
        qputenv(InstallRoot::EnvironmentVariable, m_dir.path().toUtf8());
    }
    ~SampleInstallation() { qunsetenv(InstallRoot::EnvironmentVariable); }

    QString Path(const QString &relative) const { return m_dir.filePath(relative); }
    // Writes text (given in UTF-8) in the code page.
    void Write(const QString &relative, const QString &text) const
    {
        QFile file(Path(relative));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            const std::string local = toLocal(text);
            file.write(local.data(), qint64(local.size()));
        }
    }

private:
    QTemporaryDir m_dir;
};
