#include "frame/activationkeys.h"

#include <QAbstractItemView>
#include <QKeyEvent>

CActivationKeys::CActivationKeys(QAbstractItemView *view, Handler handler)
    : QObject(view), m_view(view), m_handler(std::move(handler))
{
    view->installEventFilter(this);
}

bool CActivationKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_view || event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool activates = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space;
    const bool plain = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
    const QModelIndex current = m_view->currentIndex();
    if (!activates || !plain || !current.isValid())
        return false;
    m_handler(current);
    return true;
}
