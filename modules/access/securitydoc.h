#pragma once

#include <functional>
#include <initializer_list>

#include <QSet>
#include <QStringList>

#include "frame/probaseframedoc.h"
#include "orb/wire/mtxstatus.h"

class MtxObj;
class OrbService;
class QDialog;
class QWidget;

// The base of AccessDesk's four documents: the "SecurityService" handle taken
// from the host when the document is made, the rights the document's commands
// need (asked once, then), and the calls with their messages.
class CSecurityDoc : public CProBaseFrameDoc
{
    Q_OBJECT

public:
    static constexpr const char *ServiceName = "SecurityService";

    OrbService *Service() const { return m_service; }
    bool Holds(const QString &code) const { return m_granted.contains(code); }

    // The window whose input the calls hold (null: the whole program).
    void SetCallerWindow(QWidget *window) { m_caller = window; }

    // One call: false with the failure shown (the connection message when the
    // server could not be reached). False, nothing sent, without a service.
    bool Call(const char *method, std::initializer_list<const MtxObj *> args, MtxObj *response = nullptr) const;
    // One call whose failure the caller words itself: the status as it came.
    MtxStatus CallQuietly(const char *method, std::initializer_list<const MtxObj *> args,
                          MtxObj *response = nullptr) const;
    // A call whose refusal by the server means what refusal says ("用户名重复!"),
    // while a failure to reach the server shows the connection message.
    bool CallOrSay(const QString &refusal, const char *method, std::initializer_list<const MtxObj *> args) const;

    void Say(const QString &text) const;
    bool Ask(const QString &text) const;

    // Runs a modal dialog (exec() unless a test put its own runner in).
    int RunDialog(QDialog &dialog) const;
    void SetDialogRunner(std::function<int(QDialog &)> runner) { m_runDialog = std::move(runner); }

protected:
    // Asks the host for each of codes once.
    explicit CSecurityDoc(const QStringList &codes);

private:
    OrbService *m_service = nullptr;
    QSet<QString> m_granted;
    QWidget *m_caller = nullptr;
    std::function<int(QDialog &)> m_runDialog;
};
