#pragma once

// Support for the offscreen dialog tests: one QApplication for the test
// program, and an application object that records every message it is asked
// to show instead of showing it.

#include <functional>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QStringList>

#include <ostream>

#include <gtest/gtest.h>

#include "frame/proapp.h"

// Readable failure output for Qt texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace dialogtest {

class QtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "dialogtest";
        static char *argv[] = {name, nullptr};
        if (!qApp)
            new QApplication(argc, argv);
    }
};

inline const bool registered = (::testing::AddGlobalTestEnvironment(new QtEnvironment), true);

// An application object (CProApp or a host's subclass) that records every
// message instead of showing it: "caption|text" for plain message boxes, the
// text alone for the message and question dialogs.
template <class Base>
class Recording : public Base
{
public:
    using Icon = typename Base::MessageIcon;

    void ShowMessage(const QString &text) override { messages << text; }
    bool AskQuestion(const QString &text) override
    {
        messages << text;
        return answer;
    }
    void ShowMessageBox(const QString &text, const QString &caption, Icon icon) override
    {
        messages << caption + QLatin1Char('|') + text;
        icons << icon;
    }
    // The login texts, as the login hook sets them at start-up.
    void setLogin(const QString &user, const QString &password, const QString &language)
    {
        this->SetLoginTexts(user, password, language);
    }

    QStringList messages;
    QList<Icon> icons;
    bool answer = true;
};

using RecordingApp = Recording<CProApp>;

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

} // namespace dialogtest
