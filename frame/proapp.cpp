#include "frame/proapp.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMessageBox>
#include <QVariant>

#include "frame/hosttexts.h"
#include "frame/localtext.h"
#include "frame/prochildframe.h"
#include "frame/procommands.h"
#include "frame/prodoctemplate.h"
#include "frame/promainframe.h"
#include "frame/promodule.h"
#include "orb/net/orbclient.h"

namespace {

CProApp *g_instance = nullptr;

const QString Chinese = QStringLiteral("cn");

} // namespace

CProApp::CProApp()
{
    g_instance = this;
    m_profile.setPath(QFile::encodeName(ConfigurationPath()).toStdString());
    if (qApp)
        qApp->installEventFilter(this);
}

CProApp::~CProApp()
{
    ExitInstance();
    if (g_instance == this)
        g_instance = nullptr;
}

CProApp *CProApp::instance()
{
    return g_instance;
}

bool CProApp::InitInstance()
{
    m_profile.setPath(QFile::encodeName(ConfigurationPath()).toStdString());
    LoadNamesTable();
    if (!InitServiceSystem()) {
        ShowMessage(Translate(QStringLiteral("InitServiceSystem error!")));
        return false;
    }
    OrbClient *client = GetClient();
    if (!Login(m_userName, m_password, m_language))
        return false;
    LoadServices(client, m_session);

    CProMainFrame *frame = CreateMainFrame();
    m_mainFrame = frame;
    if (!frame)
        return false;
    if (!LoadModules())
        return false;
    frame->showMaximized();
    frame->SetNavigationType(ReadNavigationType());
    return true;
}

void CProApp::ExitInstance()
{
    if (m_exited)
        return;
    m_exited = true;
    // Document windows use module code: they go before the modules do.
    delete m_mainFrame.data();
    LogOff();
    m_services.clear();
    m_ownedServices.clear();
    m_client = nullptr;
    DeleteModules();
}

void CProApp::DeleteModules()
{
    m_currentModule = nullptr;
    m_tables.Clear();
}

// ---- hooks ----

bool CProApp::ChangePassword()
{
    return false;
}

void CProApp::SelectModuleStyle(const QString &)
{
}

void CProApp::ShowMessage(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("message"), text, QMessageBox::Ok, m_mainFrame);
    box.exec();
}

bool CProApp::AskQuestion(const QString &text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("warn"), text,
                    QMessageBox::Ok | QMessageBox::Cancel, m_mainFrame);
    return box.exec() == QMessageBox::Ok;
}

void CProApp::ShowMessageBox(const QString &text, const QString &caption, MessageIcon icon)
{
    static constexpr QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Warning,
                                                  QMessageBox::Critical};
    QMessageBox box(icons[int(icon)], caption, text, QMessageBox::Ok, m_mainFrame);
    box.exec();
}

bool CProApp::LoadModules()
{
    return false;
}

bool CProApp::LoadModule(const QString &)
{
    return false;
}

CProMainFrame *CProApp::CreateMainFrame()
{
    return nullptr;
}

void CProApp::ShowAbout()
{
}

std::vector<ModuleEntry> CProApp::ReadModuleEntries()
{
    return {};
}

std::vector<int> CProApp::GetImageList()
{
    return {};
}

int CProApp::ReadModuleCount()
{
    return 0;
}

bool CProApp::Login(QString &user, QString &password, QString &language)
{
    user = QStringLiteral("user");
    password = QStringLiteral("password");
    language = Chinese;
    return false;
}

void CProApp::LoadServices(OrbClient *, const MtxUserSession &)
{
}

void CProApp::ConfirmExit()
{
    if (m_mainFrame)
        m_mainFrame->close();
}

QToolBar *CProApp::CreateToolBar(CProMainFrame *)
{
    return nullptr;
}

void CProApp::ShowSystemSettings()
{
}

bool CProApp::CheckPermission(const QString &)
{
    return true;
}

// ---- configuration file ----

QString CProApp::ConfigurationPath() const
{
    return QDir::currentPath() + QStringLiteral("/Keelsys.ini");
}

QString CProApp::GetProfileString(const char *section, const QString &key, const QString &defaultValue) const
{
    return fromLocal(m_profile.readString(section, toLocal(key), toLocal(defaultValue)));
}

int CProApp::GetProfileInt(const char *section, const QString &key, int defaultValue) const
{
    return m_profile.readInt(section, toLocal(key), defaultValue);
}

bool CProApp::WriteProfileString(const char *section, const QString &key, const QString &value)
{
    return m_profile.writeString(section, toLocal(key), toLocal(value));
}

bool CProApp::WriteProfileInt(const char *section, const QString &key, int value)
{
    return m_profile.writeInt(section, toLocal(key), value);
}

bool CProApp::InitServiceSystem()
{
    m_dsn = GetProfileString("DATABASE", QStringLiteral("DSN"));
    m_uid = GetProfileString("DATABASE", QStringLiteral("UID"));
    m_pwd = GetProfileString("DATABASE", QStringLiteral("PWD"));
    const std::string address = m_profile.readString("SYS", "mainServerIP", "127.0.0.1");
    const int discoveryPort = m_profile.readInt("SYS", "domainPort", 8899);
    const int port = m_profile.readInt("SYS", "mainServerPort", 8899);
    // A number of milliseconds, bounded; no value or one that is no number keeps the default.
    bool number = false;
    const int delay = GetProfileString("SYS", QStringLiteral("progressdelay")).trimmed().toInt(&number);
    m_progressDelayMs = number ? std::clamp(delay, 0, MaxProgressDelayMs) : DefaultProgressDelayMs;
    try {
        auto client = std::make_unique<OrbClient>(address.c_str(), port, discoveryPort);
        // The limit of each call as a whole, in seconds; no value or nonsense keeps the default.
        const int callSeconds = m_profile.readInt("SYS", "calltimeout", 0);
        if (callSeconds > 0) {
            OrbClient::Timeouts timeouts = client->timeouts();
            timeouts.call = std::chrono::seconds(callSeconds);
            client->setTimeouts(timeouts);
        }
        m_client = client.get();
        AdoptService(QStringLiteral("sys"), std::move(client));
    } catch (const std::exception &error) {
        qWarning("cannot create the client for %s:%d: %s", address.c_str(), port, error.what());
        return false;
    }
    return true;
}

void CProApp::LogOff()
{
    if (!m_loggedIn || !m_client)
        return;
    m_loggedIn = false;
    MtxStatus status;
    MtxUserSession session = m_session;
    m_client->logoff(status, &session);
    if (!status.succeeded())
        qWarning("logoff: %s %s", status.getCode(), status.getMessage());
}

// ---- services ----

OrbService *CProApp::GetService(const QString &name) const
{
    return m_services.value(name);
}

void CProApp::RegisterService(const QString &name, OrbService *service)
{
    m_services.insert(name, service);
}

void CProApp::AdoptService(const QString &name, std::unique_ptr<OrbService> service)
{
    RegisterService(name, service.get());
    m_ownedServices.push_back(std::move(service));
}

OrbClient *CProApp::GetClient() const
{
    return m_client;
}

// ---- modules and documents ----

CProModule *CProApp::RegisterModule(std::unique_ptr<CProModule> owned)
{
    CProModule *module = m_tables.Adopt(std::move(owned));
    module->SetApp(this);
    module->SetMainFrame(m_mainFrame);
    module->Initialize();
    if (CProDocTemplate *docTemplate = module->GetDocTemplate())
        AddDocTemplate(std::unique_ptr<CProDocTemplate>(docTemplate));
    module->LoadSubDocTemplate();
    m_tables.EnterModule(module->GetModuleName(), module);
    return module;
}

void CProApp::OpenModule(const QString &name)
{
    SelectModuleStyle(name);
    if (m_moduleStyle != QStringLiteral("0") && !m_moduleStyle.isEmpty()) {
        InvokeModuleDlg(name, QStringLiteral("_Style") + m_moduleStyle, nullptr);
        return;
    }
    const QString key = Translate(name);
    m_currentModuleName = key;
    CProModule *module = m_tables.Find(key);
    if (!module)
        return;
    m_currentModule = module;
    if (module->HideNavigation()) {
        if (m_mainFrame)
            m_mainFrame->ShowNavigationBar(false);
        m_navigationEnabled = false;
    } else {
        if (m_navigationShown && m_mainFrame)
            m_mainFrame->ShowNavigationBar(true);
        m_navigationEnabled = true;
    }

    if (module->IsDocumentOpen(key)) {
        if (CProChildFrame *frame = module->GetDocumentFrame(key); frame && m_mainFrame) {
            m_mainFrame->MdiArea()->setActiveSubWindow(frame);
            frame->showMaximized();
        }
        SetMainTitle(QString::fromUtf8(MainTitleCn) + Translate(key));
        return;
    }
    if (CProDocTemplate *docTemplate = m_tables.FindTemplate(module->GetDocName(key));
        docTemplate && docTemplate->OpenDocumentFile())
        module->SetDocumentOpen(key, true);
}

QString CProApp::InvokeModuleDlg(const QString &moduleName, const QString &method, const MtxObj *const *args)
{
    CProModule *module = m_tables.Find(Translate(moduleName));
    if (!module) {
        ShowMessage(Translate(QStringLiteral("Not find module")));
        return {};
    }
    return module->ModuleDlgInvoke(method, args);
}

CProDocTemplate *CProApp::AddDocTemplate(std::unique_ptr<CProDocTemplate> docTemplate)
{
    return m_tables.AddTemplate(std::move(docTemplate));
}

CProDocTemplate *CProApp::AddSubDocTemplate(std::unique_ptr<CProDocTemplate> docTemplate, const QString &name,
                                            CProModule *module)
{
    m_tables.EnterDocument(name, module);
    return AddDocTemplate(std::move(docTemplate));
}

void CProApp::OnDocumentActivated(const QString &name, CProChildFrame *frame)
{
    CProModule *module = m_tables.Find(name);
    if (!module)
        return;
    module->SetDocumentFrame(name, frame);
    if (m_mainFrame)
        m_mainFrame->SetModuleToolBar(name, module->LoadSubToolBar(name));
    m_currentModule = module;
    SetMainTitle(QString::fromUtf8(IsChinese() ? MainTitleCn : MainTitleEn) + Translate(name));
}

void CProApp::OnDocumentClosed(const QString &name)
{
    if (CProModule *module = m_tables.Find(name)) {
        module->SetDocumentOpen(name, false);
        if (module->HideNavigation()) {
            if (m_mainFrame)
                m_mainFrame->ShowNavigationBar(true);
            m_navigationEnabled = true;
        }
    }
    if (m_mainFrame)
        m_mainFrame->SetModuleToolBar(name, nullptr);
    SetMainTitle(QString::fromUtf8(MainTitle));
}

// ---- names table and translation ----

void CProApp::LoadNamesTable()
{
    m_names.Load(m_profile);
}

bool CProApp::IsChinese() const
{
    return m_language == Chinese;
}

bool CProApp::IsEnglish() const
{
    return m_language == QLatin1String("en");
}

QString CProApp::Translate(const QString &text) const
{
    return IsChinese() ? m_names.Translate(text) : text;
}

QString CProApp::HostText(const QString &chinese) const
{
    return IsEnglish() ? HostTexts().Translate(chinese) : chinese;
}

void CProApp::TranslateWindow(QWidget *window) const
{
    if (!window || !IsChinese())
        return;
    window->setWindowTitle(Translate(window->windowTitle()));
    for (QObject *child : window->children()) {
        const QVariant text = child->property("text");
        if (child->isWidgetType() && text.isValid())
            child->setProperty("text", Translate(text.toString()));
    }
}

// ---- main frame, navigation, commands ----

void CProApp::SetMainTitle(const QString &title)
{
    if (m_mainFrame)
        m_mainFrame->SetTitle(title);
}

int CProApp::ReadNavigationType()
{
    const int type = GetProfileInt("SYS", QStringLiteral("navtype"), 1000);
    if (type != 1000)
        return type;
    WriteProfileInt("SYS", QStringLiteral("navtype"), 0);
    return 0;
}

bool CProApp::OnCommand(int command)
{
    switch (command) {
    case ProCommand::About:
        ShowAbout();
        return true;
    case ProCommand::SwitchNavigation:
        if (m_navigationEnabled) {
            m_navigationShown = !m_navigationShown;
            if (m_mainFrame)
                m_mainFrame->ShowNavigationBar(m_navigationShown);
        }
        return true;
    case ProCommand::SystemSettings:
        ShowSystemSettings();
        return true;
    case ProCommand::Exit:
        ConfirmExit();
        return true;
    case ProCommand::ToggleNavigationType:
        if (m_mainFrame)
            WriteProfileInt("SYS", QStringLiteral("navtype"), m_mainFrame->ToggleNavigationType());
        return true;
    case ProCommand::ChangePassword:
        ChangePassword();
        return true;
    case ProCommand::Lock:
        if (m_mainFrame)
            m_mainFrame->LockNow();
        return true;
    default:
        return false;
    }
}

// Typing a character or moving the mouse over any window of the program
// counts as activity.
bool CProApp::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (!static_cast<QKeyEvent *>(event)->text().isEmpty())
            m_idleSeconds = 0;
        break;
    case QEvent::MouseMove:
    case QEvent::HoverMove:
        m_idleSeconds = 0;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
