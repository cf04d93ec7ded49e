#pragma once

#include <functional>

#include <QDir>
#include <QObject>
#include <QSet>
#include <QTimer>

#include "orb/wire/keelexport.h"

class CHostApp;
class QWidget;

// A scripted walk through the running host for machines without a person at
// the screen: it answers the login dialog, opens every configured module,
// locks and unlocks the workstation, opens the settings sheet, saves a
// picture of each step into a folder and closes the program.
class KEEL_EXPORT CDemoTour : public QObject
{
    Q_OBJECT

public:
    // The whole tour is bounded; past this the program is closed anyway.
    static constexpr int TimeLimitMs = 180000;

    CDemoTour(const QString &folder, const QString &password, QObject *parent = nullptr);

    // Call before start-up: from now on the tour answers the dialogs that come up.
    void Arm();
    // Call once the main window is shown: visits every module, then closes.
    void Start(CHostApp &host);

    int Pictures() const { return m_pictures; }
    // Unexpected dialogs (error messages) met on the way.
    int Problems() const { return m_problems; }

private:
    void Watch();
    void RunNextStep();
    void Save(QWidget *widget, const QString &name);
    // Stops the server process named by KEELMON_TOUR_SERVER_PID, makes a call
    // that waits for it (the progress window is pictured), pictures the
    // message that follows, and lets the server run on.
    void CallStoppedServer();
    void Finish();

    QDir m_folder;
    QString m_password;
    QTimer m_watch;
    QTimer m_limit;
    QList<std::function<void()>> m_steps;
    CHostApp *m_host = nullptr;
    QSet<QString> m_seen;
    int m_pictures = 0;
    int m_problems = 0;
    bool m_expectLostServer = false;
};
