#pragma once

// Header only, for Qt tests.

#include <functional>

#include <QApplication>
#include <QDialog>
#include <QTimer>

// Answers the modal dialogs that a blocking call opens, as an operator would:
// every few milliseconds the current modal widget is handed to act(). After
// MaxTurns turns it closes whatever is modal, so a test cannot hang.
class ModalOperator
{
public:
    static constexpr int MaxTurns = 1000;

    explicit ModalOperator(std::function<void(QWidget *)> act) : m_act(std::move(act))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            if (++m_turns > MaxTurns) {
                if (auto *dialog = qobject_cast<QDialog *>(modal))
                    dialog->done(2);
                return;
            }
            m_act(modal);
        });
        m_timer.start(5);
    }

private:
    std::function<void(QWidget *)> m_act;
    QTimer m_timer;
    int m_turns = 0;
};
