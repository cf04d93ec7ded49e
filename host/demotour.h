#pragma once

#include <functional>

#include <QDir>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include "orb/wire/keelexport.h"

class CHostApp;
class QDialog;
class QWidget;

// A scripted walk through the running host for machines without a person at
// the screen: it answers the login dialog, opens every configured module,
// starts the report program on a monitor of the inventory, locks and
// unlocks the workstation, opens the settings sheet, saves a picture of each
// step into a folder and closes the program.
class KEEL_EXPORT CDemoTour : public QObject
{
    Q_OBJECT

public:
    // The whole tour is bounded; past this the program is closed anyway.
    static constexpr int TimeLimitMs = 180000;
    // The report program's own tour ends within this.
    static constexpr int ReportLimitMs = 70000;

    CDemoTour(const QString &folder, const QString &password, QObject *parent = nullptr);

    // Call before start-up: from now on the tour answers the dialogs that come up.
    void Arm();
    // Call once the main window is shown: visits every module, then closes.
    void Start(CHostApp &host);

    int Pictures() const { return m_pictures; }
    // Unexpected dialogs (error messages) met on the way.
    int Problems() const { return m_problems; }

private:
    // The monitoring module's extra steps: a device (its monitor tiles) and a
    // monitor selected, a test run of the first monitor, its alert log, the
    // add-device and add-monitor dialogs opened, a picture of each.
    void AddInventorySteps(const QString &picture);
    // Triggers the module toolbar's command of this text; the dialog it opens
    // is pictured as picture and closed.
    void OpenDialog(const QString &command, const QString &picture);
    // Triggers the action text of the first monitor tile of the active
    // window; picture names the dialog it opens (empty: none expected).
    void TileAction(const QString &text, const QString &picture);
    void Watch();
    void AddTopologySteps(const QString &picture);
    // Pictures and answers a dialog of a module visit; false for other dialogs.
    bool VisitDialog(QWidget *modal);
    void RunNextStep();
    void Save(QWidget *widget, const QString &name);
    void RunReport();
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
    QString m_expectedDialog;
    QString m_visitPicture; // the module picture the visit's dialogs are named after
    QPointer<QDialog> m_visitWaiting; // pressed its button, waits for the dialog that opens
    int m_pictures = 0;
    int m_problems = 0;
    bool m_expectLostServer = false;
};
