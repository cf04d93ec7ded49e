#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// While a document waits for the server, it takes no input: clicks, keys,
// wheel turns and shortcuts aimed at it are dropped, and so are those aimed
// at its window's menus and toolbars (whose commands go to the active
// document). Nothing closes it meanwhile. Painting goes on, and so does
// input to the rest of the program.
class CCallInputGuard : public QObject
{
    Q_OBJECT

public:
    // caller: the waiting document's window; null guards every window but
    // the progress indication.
    explicit CCallInputGuard(QWidget *caller);
    ~CCallInputGuard() override;

    // The progress indication stays usable.
    void Allow(QWidget *widget) { m_allowed = widget; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool Guards(QWidget *widget) const;

    QPointer<QWidget> m_caller;
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_allowed;
};
