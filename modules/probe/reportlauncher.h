#pragma once

#include <chrono>

#include <QString>

#include "orb/profile/namedlock.h"

class ElementObj;

// Hands a monitor to the report program: writes "ID", "MonitorType" and
// "RecvNum" into "StatView/StatView.ini" under the install root, all three
// under one hold of the "StatView" lock (creating the file when missing),
// then starts "StatView/StatView" directly, without a shell, in the install
// root with KEELMON_ROOT_PATH naming it. The program is not waited for.
class CReportLauncher
{
public:
    static constexpr const char *LockName = "StatView";
    static constexpr const char *Section = "StatView";

    // root empty: no install root is configured, nothing is written or started.
    explicit CReportLauncher(QString root, QString lockFolder = QString::fromStdString(NamedLock::runtimeFolder()),
                             std::chrono::milliseconds wait = NamedLock::DefaultWait);

    // The install root as configured (environment or Keelsys.ini), empty when
    // neither names one; unlike InstallRoot::Path it does not fall back to
    // the working directory.
    static QString ConfiguredRoot();

    QString SettingsPath() const;
    QString Program() const;

    // Empty on success, otherwise what failed and what to do.
    QString Launch(const ElementObj &element) const;
    // The settings part alone, for the checks of the launch.
    QString WriteSettings(const QString &id, const QString &monitorType) const;

private:
    QString m_root;
    QString m_lockFolder;
    std::chrono::milliseconds m_wait;
};
