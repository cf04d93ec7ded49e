#pragma once

#include <chrono>

#include <QByteArray>
#include <QString>

// What the report program needs to start: the monitor handed over by the
// monitoring module (StatView/StatView.ini, section "StatView") and the data
// server's address (Keelsys.ini, section "SYS"), both under the install root.
// They are read once, at start-up, so every later query and delete of a
// window concerns the same monitor whatever a second report writes.
struct StatSettings
{
    static constexpr int DefaultPort = 9999;

    QString root;
    QByteArray monitorId;
    QByteArray monitorType;
    QByteArray serverAddress;
    int port = DefaultPort;
    // Why the settings cannot be used, empty when they can.
    QString problem;

    bool Usable() const { return problem.isEmpty(); }
    QString SettingsPath() const;
    QString SystemPath() const;
    QString LibraryPath() const;
    QString BannerPath() const;

    // The install root: KEELMON_ROOT_PATH when set, else the working directory.
    static QString InstallRoot();
    // Reads both files while holding the "StatView" lock that the monitoring
    // module takes while it writes the settings; a lock that cannot be had
    // within its bounded wait is a problem, not a read without it.
    static StatSettings Read(const QString &root, std::chrono::milliseconds lockWait = std::chrono::seconds(10));
};
