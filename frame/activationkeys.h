#pragma once

#include <functional>

#include <QModelIndex>
#include <QObject>

#include "orb/wire/keelexport.h"

class QAbstractItemView;

// Enter, Return and Space on a view's current entry do what a click (or
// double click) on it does: the keyboard opens navigation entries.
class KEEL_EXPORT CActivationKeys : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(const QModelIndex &)>;

    // Watches view (and is owned by it).
    CActivationKeys(QAbstractItemView *view, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAbstractItemView *m_view;
    Handler m_handler;
};
