#include "frame/callinputguard.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

bool IsInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool Within(const QWidget *widget, const QWidget *ancestor)
{
    return ancestor && (widget == ancestor || ancestor->isAncestorOf(widget));
}

} // namespace

CCallInputGuard::CCallInputGuard(QWidget *caller)
    : m_caller(caller), m_window(caller ? caller->window() : nullptr)
{
    qApp->installEventFilter(this);
}

CCallInputGuard::~CCallInputGuard()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool CCallInputGuard::Guards(QWidget *widget) const
{
    if (Within(widget, m_allowed))
        return false;
    if (!m_caller)
        return true;
    if (Within(widget, m_caller))
        return true;
    // The window's menus and toolbars send their commands to the active
    // document, which may be the waiting one.
    if (Within(widget, m_window)) {
        for (const QWidget *w = widget; w && w != m_window; w = w->parentWidget()) {
            if (qobject_cast<const QToolBar *>(w) || qobject_cast<const QMenuBar *>(w))
                return true;
        }
    }
    return qobject_cast<QMenu *>(widget) != nullptr;
}

bool CCallInputGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    const QEvent::Type type = event->type();
    if (type == QEvent::Close && (widget == m_caller || widget == m_window || (!m_caller && widget->isWindow()))) {
        if (!Within(widget, m_allowed)) {
            event->ignore();
            return true;
        }
    }
    if (type == QEvent::ShortcutOverride && Guards(widget)) {
        // Accepted here, the key goes to the widget (and is dropped below)
        // instead of firing a shortcut.
        event->accept();
        return true;
    }
    if (IsInput(type) && Guards(widget))
        return true;
    return false;
}
