#pragma once

// Qt side of the test support, header only so that the library itself needs
// no Qt (the runtime and server suites link it too). Include it only in tests
// that link the frame library (proframe, or hostlib for a host application).

#include <ostream>

#include <QApplication>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include "frame/localtext.h"
#include "frame/proapp.h"

// Readable failure output for Qt texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// The one QApplication of the test program (offscreen under CTest).
inline void EnsureApplication()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "keeltest";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

namespace Internal {
class QtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { EnsureApplication(); }
};
// Every test program including this header has its application before the first test.
inline const bool QtEnvironmentRegistered = (::testing::AddGlobalTestEnvironment(new QtEnvironment), true);
} // namespace Internal

// An application object (CProApp or a subclass) that records every message
// instead of showing it: "caption|text" for plain message boxes, the text
// alone for the message and question dialogs; questions get answer.
template <class Base>
class Recording : public Base
{
public:
    using Icon = typename Base::MessageIcon;

    void ShowMessage(const QString &text) override { messages << text; }
    bool AskQuestion(const QString &text) override
    {
        messages << text;
        questions << text;
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
    QStringList questions;
    QList<Icon> icons;
    bool answer = true;
};

using RecordingApp = Recording<CProApp>;

// Writes Keelsys.ini in the working directory: the text is UTF-8 here and is
// stored in the code page, as the product's files are.
inline void WriteKeelsysIni(const QString &text)
{
    QFile file(QStringLiteral("Keelsys.ini"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const std::string bytes = toLocal(text);
        file.write(bytes.data(), qint64(bytes.size()));
    }
}

inline QString ReadKeelsysIni()
{
    QFile file(QStringLiteral("Keelsys.ini"));
    return file.open(QIODevice::ReadOnly) ? fromLocal(file.readAll().toStdString()) : QString();
}
