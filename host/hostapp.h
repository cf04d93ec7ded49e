#pragma once

#include <list>
#include <memory>

#include <QTranslator>

#include "frame/proapp.h"
#include "orb/plugin/pluginlibrary.h"

// The host's application object: supplies the hooks of CProApp (login, loading
// of services and modules, the module entries, the main frame and its
// toolbar, the about box) and owns the loaded libraries, which it releases
// after everything made from them is gone.
class KEEL_EXPORT CHostApp : public CProApp
{
    Q_OBJECT

public:
    static constexpr int DefaultModuleIcon = 156;

    CHostApp();
    ~CHostApp() override;

    void SelectModuleStyle(const QString &name) override;
    bool LoadModules() override;
    bool LoadModule(const QString &fileName) override;
    CProMainFrame *CreateMainFrame() override;
    void ShowAbout() override;
    std::vector<ModuleEntry> ReadModuleEntries() override;
    std::vector<int> GetImageList() override;
    int ReadModuleCount() override;
    bool Login(QString &user, QString &password, QString &language) override;
    void LoadServices(OrbClient *client, const MtxUserSession &session) override;
    QToolBar *CreateToolBar(CProMainFrame *frame) override;
    bool ChangePassword() override;
    bool CheckPermission(const QString &code) override;
    void ShowSystemSettings() override;

    // The first step of Login: asks for user name, password and language
    // ("cn" or "en"); false when the user cancels. It answers with the
    // credentials given to SetCredentials or, failing that, KEELMON_USER,
    // KEELMON_PASSWORD and KEELMON_LANGUAGE; without either it shows the
    // login dialog.
    virtual bool PromptLogin(QString &user, QString &password, QString &language);
    void SetCredentials(const QString &user, const QString &password, const QString &language);
    // Qt's own texts (standard buttons, dialogs) in the chosen language, from
    // Qt's translations; false when the Chinese ones are not installed.
    bool UseLanguage(const QString &language);

    int ModuleCount() const { return m_moduleCount; }
    const std::vector<ModuleEntry> &ModuleEntries() const { return m_entries; }
    // Paths of the loaded module and service libraries, most recent first.
    QStringList ModuleLibraries() const;
    QStringList ServiceLibraries() const;
    // Milliseconds the last Login took (start-up figures leave it out).
    qint64 LoginMilliseconds() const { return m_loginMilliseconds; }

private:
    void ReportLoadError(const QString &fileName, const std::string &detail);
    PluginLibrary OpenLibrary(const QString &fileName, const PluginInterface &interface) const;

    std::unique_ptr<QTranslator> m_qtTranslator;
    std::list<PluginLibrary> m_moduleLibraries;
    std::list<PluginLibrary> m_serviceLibraries;
    std::vector<ModuleEntry> m_entries;
    int m_moduleCount = 0;
    QString m_givenUser;
    QString m_givenPassword;
    QString m_givenLanguage;
    bool m_credentialsGiven = false;
    qint64 m_loginMilliseconds = 0;
};
