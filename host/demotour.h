#pragma once

#include <functional>
#include <vector>

#include <QDir>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include "frame/tourvisit.h"
#include "orb/wire/keelexport.h"

class CHostApp;
class QDialog;
class QWidget;

// A scripted walk through the running host for machines without a person at
// the screen: it answers the login dialog, opens every configured module and
// runs the visits the module declares for it (CProModule::TourVisits),
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
    // A press on a button of a visit's dialog, and the picture of the dialog it opens.
    struct Pressed
    {
        CTourVisit visit;
        QString picture;
    };

    // The steps of one module's visits; modulePicture names its pictures.
    void AddVisits(const std::vector<CTourVisit> &visits, const QString &modulePicture);
    void RunVisit(const CTourVisit &visit, const QString &picture, const QList<Pressed> &chain);
    // Pictures the dialog a visit opened, then presses the next button of the
    // visit's chain in it, or closes it and the dialogs held open for it.
    void AnswerVisitDialog(QDialog *dialog);
    void Problem(const QString &text);
    void Watch();
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
    QString m_expectedDialog; // the picture of the dialog a visit opens
    bool m_dialogSeen = false;
    QList<Pressed> m_chain; // the presses still to come in the visit's dialogs
    QList<QPointer<QDialog>> m_held; // pressed a button, wait for the dialog that opens
    QString m_pendingPicture; // of the main window, taken before the next step
    int m_pictures = 0;
    int m_problems = 0;
    bool m_expectLostServer = false;
};
