#pragma once

#include <memory>
#include <vector>

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include "frame/moduleentry.h"
#include "frame/moduletables.h"
#include "frame/namedtable.h"
#include "frame/namestable.h"
#include "frame/promainframe.h"
#include "frame/serverlink.h"
#include "orb/profile/profilefile.h"
#include "orb/wire/keelexport.h"
#include "orb/wire/mtxusersession.h"

class CProChildFrame;
class CProDocTemplate;
class CProModule;
class MtxObj;
class OrbClient;
class OrbService;
class QToolBar;
class QWidget;

// The application object of the host: start-up and exit sequences, the
// configuration file, the names table, the service, module and navigation
// tables, the login texts and the idle counter. Every step that differs
// between programs is a virtual hook; the host's CHostApp supplies them. Module
// libraries reach the one application object through instance().
class KEEL_EXPORT CProApp : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *MainTitle = "Keelmon 2.0 (网络运维平台)";
    static constexpr const char *MainTitleCn = "Keelmon 2.0 (网络运维平台)- ";
    static constexpr const char *MainTitleEn = "Keelmon 2.0 - (网络运维平台)";
    // How long a server call runs before its progress window appears
    // ("SYS"/"progressdelay", milliseconds), and the most it may be set to.
    static constexpr int DefaultProgressDelayMs = 500;
    static constexpr int MaxProgressDelayMs = 10000;

    enum class MessageIcon { Information, Warning, Error };

    CProApp();
    ~CProApp() override;

    // The application object of this process, or null before one exists.
    static CProApp *instance();

    // The start-up sequence up to the shown main window; false ends the program.
    bool InitInstance();
    // The exit sequence: logoff, services and modules deleted. Runs once.
    void ExitInstance();

    // ---- hooks, in the order of their slots ----
    virtual bool ChangePassword();
    virtual void SelectModuleStyle(const QString &name);
    // The message dialog ("message", one OK button).
    virtual void ShowMessage(const QString &text);
    // The question dialog ("warn", OK and Cancel): true for OK.
    virtual bool AskQuestion(const QString &text);
    virtual bool LoadModules();
    virtual CProMainFrame *CreateMainFrame();
    virtual void ShowAbout();
    virtual std::vector<ModuleEntry> ReadModuleEntries();
    virtual std::vector<int> GetImageList();
    virtual int ReadModuleCount();
    virtual bool Login(QString &user, QString &password, QString &language);
    virtual void LoadServices(OrbClient *client, const MtxUserSession &session);
    virtual void ConfirmExit();
    virtual QToolBar *CreateToolBar(CProMainFrame *frame);
    virtual void ShowSystemSettings();
    virtual bool CheckPermission(const QString &code);
    // A plain message box with its own caption and icon (login refusal, the
    // bitmap loader, the lock dialogs' errors).
    virtual void ShowMessageBox(const QString &text, const QString &caption,
                                MessageIcon icon = MessageIcon::Information);
    // Loads one module library; false when it cannot be loaded at all.
    virtual bool LoadModule(const QString &fileName);

    // ---- configuration file ----
    QString ConfigurationPath() const;
    ProfileFile &Profile() { return m_profile; }
    QString GetProfileString(const char *section, const QString &key, const QString &defaultValue = {}) const;
    int GetProfileInt(const char *section, const QString &key, int defaultValue) const;
    bool WriteProfileString(const char *section, const QString &key, const QString &value);
    bool WriteProfileInt(const char *section, const QString &key, int value);

    // ---- services ----
    OrbService *GetService(const QString &name) const;
    // Enters service under name; the table does not own it.
    void RegisterService(const QString &name, OrbService *service);
    // Takes ownership of a service object (deleted at exit) and registers it.
    void AdoptService(const QString &name, std::unique_ptr<OrbService> service);
    const NamedTable<OrbService> &Services() const { return m_services; }
    OrbClient *GetClient() const;
    // "SYS"/"progressdelay" as read with the client's settings.
    int ProgressDelayMs() const { return m_progressDelayMs; }

    // ---- modules and documents ----
    // Takes ownership of module, builds its templates and enters it by name.
    CProModule *RegisterModule(std::unique_ptr<CProModule> module);
    void OpenModule(const QString &name);
    QString InvokeModuleDlg(const QString &moduleName, const QString &method, const MtxObj *const *args);
    CProDocTemplate *AddDocTemplate(std::unique_ptr<CProDocTemplate> docTemplate);
    CProDocTemplate *AddSubDocTemplate(std::unique_ptr<CProDocTemplate> docTemplate, const QString &name,
                                       CProModule *module);
    const std::vector<std::unique_ptr<CProDocTemplate>> &DocTemplates() const { return m_tables.Templates(); }
    void OnDocumentActivated(const QString &name, CProChildFrame *frame);
    void OnDocumentClosed(const QString &name);
    QString GetCurrentModuleName() const { return m_currentModuleName; }
    CProModule *GetCurrentModule() const { return m_currentModule; }
    const NamedTable<CProModule> &Modules() const { return m_tables.Modules(); }
    const NamedTable<CProModule> &Navigation() const { return m_tables.Navigation(); }
    QString GetModuleStyle() const { return m_moduleStyle; }

    // ---- names table and translation ----
    void LoadNamesTable();
    QString Translate(const QString &text) const;
    void TranslateWindow(QWidget *window) const;

    // The host's own texts (written in Chinese) in the chosen language.
    QString HostText(const QString &chinese) const;

    // ---- login texts ----
    QString GetLanguage() const { return m_language; }
    // The Chinese version was chosen at login ("cn"): the names table applies.
    bool IsChinese() const;
    // The English version was chosen ("en"): the host's own texts are shown
    // in English. Before login they are shown as written (Chinese).
    bool IsEnglish() const;
    QString GetUserName() const { return m_userName; }
    QString GetPassword() const { return m_password; }
    void SetPassword(const QString &password) { m_password = password; }
    const MtxUserSession &GetSession() const { return m_session; }
    bool IsLoggedIn() const { return m_loggedIn; }

    // ---- main frame, navigation, commands ----
    CProMainFrame *GetMainFrame() const { return m_mainFrame; }
    // Title and caption of the main window.
    void SetMainTitle(const QString &title);
    bool IsNavigationShown() const { return m_navigationShown; }
    bool IsNavigationEnabled() const { return m_navigationEnabled; }
    // The navigation type from "SYS"/"navtype": 1000 (absent) is written back as 0.
    int ReadNavigationType();
    // The application's commands (About, 退出, 图标转换 ...); false for others.
    virtual bool OnCommand(int command);

    // ---- idle counter (reset by typing and mouse movement) ----
    int IdleSeconds() const { return m_idleSeconds; }
    void SetIdleSeconds(int seconds) { m_idleSeconds = seconds; }

    QString DatabaseSource() const { return m_dsn; }

    // The link to the server as the last calls found it (status bar, messages).
    CServerLink &ServerLink() { return m_serverLink; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Creates the client from "SYS" and registers it as "sys", and reads the
    // progress window's delay; false on failure.
    bool InitServiceSystem();
    void SetMainFrame(CProMainFrame *frame) { m_mainFrame = frame; }
    void SetLoggedIn(bool loggedIn) { m_loggedIn = loggedIn; }
    void SetSession(const MtxUserSession &session) { m_session = session; }
    // The three login texts, as the login hook hands them out at start-up.
    void SetLoginTexts(const QString &user, const QString &password, const QString &language)
    {
        m_userName = user;
        m_password = password;
        m_language = language;
    }
    void SetModuleStyle(const QString &style) { m_moduleStyle = style; }
    // Sends the logoff request for the logged-in session.
    void LogOff();

private:
    void DeleteModules();

    ProfileFile m_profile;
    CModuleTables m_tables;
    NamedTable<OrbService> m_services;
    std::vector<std::unique_ptr<OrbService>> m_ownedServices;
    CNamesTable m_names;
    CServerLink m_serverLink;
    QPointer<CProMainFrame> m_mainFrame;
    OrbClient *m_client = nullptr;
    CProModule *m_currentModule = nullptr;
    QString m_currentModuleName;
    bool m_navigationShown = true;
    bool m_navigationEnabled = true;
    QString m_userName;
    QString m_password;
    QString m_language;
    MtxUserSession m_session;
    bool m_loggedIn = false;
    QString m_moduleStyle;
    QString m_dsn;
    QString m_uid;
    QString m_pwd;
    int m_idleSeconds = 0;
    int m_progressDelayMs = DefaultProgressDelayMs;
    bool m_exited = false;
};
