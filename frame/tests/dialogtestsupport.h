#pragma once

// Support for the offscreen dialog tests: one QApplication for the test
// program, and an application object that records every message it is asked
// to show instead of showing it.

#include <QApplication>
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

// Messages are recorded as "caption|text" for plain message boxes and as the
// text alone for the message and question dialogs.
class RecordingApp : public CProApp
{
public:
    void ShowMessage(const QString &text) override { messages << text; }
    bool AskQuestion(const QString &text) override
    {
        messages << text;
        return answer;
    }
    void ShowMessageBox(const QString &text, const QString &caption, MessageIcon icon) override
    {
        messages << caption + QLatin1Char('|') + text;
        icons << icon;
    }

    QStringList messages;
    QList<MessageIcon> icons;
    bool answer = true;
};

} // namespace dialogtest
