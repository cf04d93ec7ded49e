#pragma once

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "host/hostapp.h"

// A QApplication for the whole test program (offscreen under CTest).
void EnsureApplication();

// Writes Keelsys.ini in the working directory; the text is UTF-8 here and
// stored in the code page, as the product's files are.
void WriteKeelsysIni(const QString &text);
QString ReadKeelsysIni();

// The folder of the module libraries built for the tests.
QString TestModulePath(const QString &name);

// The host application with its dialogs answered by the test: messages are
// recorded, questions get the answer set beforehand.
class TestHostApp : public CHostApp
{
public:
    void ShowMessage(const QString &text) override { messages.append(text); }
    bool AskQuestion(const QString &text) override
    {
        questions.append(text);
        return answer;
    }
    void ShowMessageBox(const QString &text, const QString &, MessageIcon) override { messages.append(text); }
    void ShowAbout() override { aboutShown = true; }
    bool Login(QString &user, QString &password, QString &language) override;

    // When set, Login takes these texts and sends nothing (tests that have no
    // server); otherwise the host's own Login runs against the server.
    bool offline = false;
    QString offlineLanguage = QStringLiteral("cn");
    QStringList messages;
    QStringList questions;
    bool answer = true;
    bool aboutShown = false;
};

// A working directory of its own for each test.
class WorkingDirectory
{
public:
    WorkingDirectory();
    ~WorkingDirectory();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// keelmon-server from the build's bin folder (KEEL_BIN_DIR) on a free
// loopback port, with a fresh demo database, stopped on destruction.
class TestServer
{
public:
    static constexpr const char *AdminPassword = "testsecret";

    TestServer();
    ~TestServer();
    // False (with the reason in error()) when the server is missing or does not answer.
    bool Start();
    int port() const { return m_port; }
    // The report program's data channel.
    int dataPort() const { return m_dataPort; }
    QString error() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    int m_dataPort = 0;
    QString m_error;
};
