#pragma once

#include <QWidget>

#include "orb/wire/keelexport.h"

class CProApp;

// One page of the system settings sheet. Like a property page it is set up
// from Keelsys.ini when it is first shown, checks its values when it is left
// or OK is pressed, and writes them on OK only if it was ever shown.
class KEEL_EXPORT CSysPropPage : public QWidget
{
    Q_OBJECT

public:
    CSysPropPage(CProApp &app, const QString &title, QWidget *parent = nullptr);

    QString Title() const { return m_title; }
    bool IsCreated() const { return m_created; }
    // The first activation: reads the page's values (once).
    void Create();

    // Leaving the page or OK: false, after telling why, keeps the page open.
    virtual bool OnKillActive() { return true; }
    // OK: writes the page's values.
    virtual void OnOK() = 0;

protected:
    virtual void OnInitPage() = 0;
    bool IsChinese() const;
    // The framework's data-exchange refusal: the message, then the control
    // gets the focus with its text selected.
    void Refuse(QWidget *control, const QString &message);

    CProApp &m_app;

private:
    QString m_title;
    bool m_created = false;
};
