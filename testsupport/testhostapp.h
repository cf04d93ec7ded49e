#pragma once

// Header only, for tests that link hostlib (see recordingapp.h).

#include <functional>
#include <memory>

#include <QHash>

#include "frame/promodule.h"
#include "host/hostapp.h"
#include "testsupport/recordingapp.h"

// The host application with its dialogs answered by the test. Modules linked
// into the test program can stand in for their library file names, so a test
// reaches the module's own objects directly.
class TestHostApp : public Recording<CHostApp>
{
public:
    using ModuleFactory = std::function<std::unique_ptr<CProModule>()>;

    // When Keelsys.ini names fileName, make loads this module instead of the library.
    void LinkModule(const QString &fileName, ModuleFactory make) { m_linked.insert(fileName, std::move(make)); }

    bool LoadModule(const QString &fileName) override
    {
        const auto linked = m_linked.constFind(fileName);
        if (linked == m_linked.constEnd())
            return CHostApp::LoadModule(fileName);
        RegisterModule((*linked)());
        return true;
    }

    // When offline is set, Login takes fixed texts and sends nothing (tests
    // without a server); otherwise the host's own Login runs against the server.
    bool Login(QString &user, QString &password, QString &language) override
    {
        if (!offline)
            return CHostApp::Login(user, password, language);
        user = QStringLiteral("tester");
        password = QStringLiteral("secret");
        language = offlineLanguage;
        return true;
    }

    void ShowAbout() override { aboutShown = true; }

    bool offline = false;
    QString offlineLanguage = QStringLiteral("cn");
    bool aboutShown = false;

private:
    QHash<QString, ModuleFactory> m_linked;
};
