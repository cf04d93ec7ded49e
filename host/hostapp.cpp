#include "host/hostapp.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QLibraryInfo>

#include "frame/iconnavframe.h"
#include "frame/localtext.h"
#include "frame/promodule.h"
#include "frame/servicecall.h"
#include "frame/treenavframe.h"
#include "frame/waitcursor.h"
#include "host/aboutdialog.h"
#include "host/logindialog.h"
#include "host/mainmenu.h"
#include "host/passworddialog.h"
#include "host/userrights.h"
#include "host/systempropsheet.h"
#include "orb/net/orbclient.h"
#include "services/types/serviceapi.h"

namespace {

const char ModuleSection[] = "SYSTEMMODULE";
const char ServiceSection[] = "SYSTEMSERVICE";

QString Numbered(const char *prefix, int index, const char *suffix)
{
    return QString::fromLatin1(prefix) + QString::number(index) + QString::fromLatin1(suffix);
}

QStringList Paths(const std::list<PluginLibrary> &libraries)
{
    QStringList paths;
    for (const auto &library : libraries)
        paths.append(QFile::decodeName(library.path().c_str()));
    return paths;
}

} // namespace

CHostApp::CHostApp() = default;

CHostApp::~CHostApp()
{
    // Everything made by the libraries goes before the libraries do: module
    // libraries first, then service libraries, each in the order loaded.
    ExitInstance();
    for (auto *libraries : {&m_moduleLibraries, &m_serviceLibraries}) {
        while (!libraries->empty())
            libraries->pop_back();
    }
}

void CHostApp::SetCredentials(const QString &user, const QString &password, const QString &language)
{
    m_givenUser = user;
    m_givenPassword = password;
    m_givenLanguage = language;
    m_credentialsGiven = true;
}

bool CHostApp::PromptLogin(QString &user, QString &password, QString &language)
{
    if (!m_credentialsGiven) {
        if (!qEnvironmentVariableIsSet("KEELMON_USER")) {
            CLoginDialog dialog(Profile());
            if (dialog.exec() != QDialog::Accepted)
                return false;
            user = dialog.userName();
            password = dialog.password();
            language = dialog.language();
            return true;
        }
        SetCredentials(qEnvironmentVariable("KEELMON_USER"), qEnvironmentVariable("KEELMON_PASSWORD"),
                       qEnvironmentVariable("KEELMON_LANGUAGE", QStringLiteral("cn")));
    }
    user = m_givenUser;
    password = m_givenPassword;
    language = m_givenLanguage.isEmpty() ? QStringLiteral("cn") : m_givenLanguage;
    return true;
}

bool CHostApp::UseLanguage(const QString &language)
{
    if (m_qtTranslator) {
        QCoreApplication::removeTranslator(m_qtTranslator.get());
        m_qtTranslator.reset();
    }
    if (language != QStringLiteral("cn"))
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        qWarning("Qt's Chinese translations (qtbase_zh_CN.qm) are not installed: standard buttons stay English");
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    m_qtTranslator = std::move(translator);
    return true;
}

bool CHostApp::Login(QString &user, QString &password, QString &language)
{
    if (!PromptLogin(user, password, language))
        return false;
    UseLanguage(language);
    QElapsedTimer timer;
    timer.start();
    OrbClient *client = GetClient();
    if (!client)
        return false;
    // The session's user name travels as session-iD in every later request.
    MtxUserSession session;
    session.setUserName(toLocal(user));
    MtxStatus status;
    {
        CWaitCursor wait;
        client->login(status, toLocal(user).c_str(), toLocal(password).c_str(), "version", session);
    }
    m_loginMilliseconds = timer.elapsed();
    if (!status.succeeded()) {
        ShowMessageBox(fromLocal(status.getMessage()), QString::fromUtf8(MainTitle), MessageIcon::Error);
        return false;
    }
    WriteProfileString("SYS", QStringLiteral("sysdefaultuser"), user);
    SetSession(session);
    SetLoggedIn(true);
    return true;
}

// After the dialog's own checks the server changes the password too, so the
// next login takes the new one; the stored password (the one the unlock
// dialog asks for) changes only when the server accepted, or when the server
// cannot change passwords at all.
bool CHostApp::ChangePassword()
{
    CPasswordDialog dialog(GetPassword(), GetUserName(), GetMainFrame());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    MtxStatus status;
    switch (userrights::ChangeOnServer(GetService(QStringLiteral("SecurityService")), toLocal(GetUserName()),
                                       toLocal(GetPassword()), toLocal(dialog.newPassword()), status)) {
    case userrights::PasswordChange::Refused:
        ShowCallFailure(status);
        return false;
    case userrights::PasswordChange::Unsupported:
        ShowMessage(HostText("服务器不支持修改密码：新密码只用于解锁本客户端，登录仍使用原密码。"));
        break;
    case userrights::PasswordChange::Accepted:
        break;
    }
    SetPassword(dialog.newPassword());
    return true;
}

// Before a login (tests without a server) the frame's answer holds: every code.
bool CHostApp::CheckPermission(const QString &code)
{
    if (!IsLoggedIn())
        return CProApp::CheckPermission(code);
    return userrights::Holds(GetService(QStringLiteral("SecurityService")), toLocal(GetUserName()), code);
}

void CHostApp::ShowSystemSettings()
{
    CSystemPropSheet sheet(*this, GetMainFrame());
    sheet.exec();
}

// A name without a folder is looked for in the working directory, then beside the program.
PluginLibrary CHostApp::OpenLibrary(const QString &fileName, const PluginInterface &interface) const
{
    std::vector<std::string> folders{QFile::encodeName(QDir::currentPath()).toStdString()};
    if (QCoreApplication::instance())
        folders.push_back(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
    return PluginLibrary::open(QFile::encodeName(fileName).toStdString(), interface, folders);
}

void CHostApp::ReportLoadError(const QString &fileName, const std::string &detail)
{
    if (!detail.empty())
        qWarning("%s", detail.c_str());
    ShowMessage(fileName + QLatin1Char(' ') + Translate(QStringLiteral("load error!")));
}

void CHostApp::LoadServices(OrbClient *client, const MtxUserSession &session)
{
    const int count = GetProfileInt(ServiceSection, QStringLiteral("serviceCount"), 0);
    for (int n = 0; n < count; ++n) {
        const QString name = GetProfileString(ServiceSection, Numbered("service", n, ".name"));
        const QString fileName = GetProfileString(ServiceSection, Numbered("service", n, ".DLLname"));
        if (fileName.isEmpty())
            continue;
        PluginLibrary plugin = OpenLibrary(fileName, ServiceInterface);
        std::unique_ptr<OrbService> service = plugin.create<OrbService>();
        if (!service) {
            ReportLoadError(fileName, plugin.detail());
            continue;
        }
        m_serviceLibraries.push_front(std::move(plugin));
        service->setSession(session);
        service->setClient(client);
        AdoptService(name, std::move(service));
    }
}

// The navigation entries may leave gaps; modules beyond them serve other
// modules only and end at the first missing name.
bool CHostApp::LoadModules()
{
    for (int n = 0;; ++n) {
        const QString name = GetProfileString(ModuleSection, Numbered("module", n, ".DLLname"));
        if (name.isEmpty()) {
            if (n >= m_moduleCount)
                return true;
            continue;
        }
        if (!LoadModule(name))
            return false;
    }
}

bool CHostApp::LoadModule(const QString &fileName)
{
    PluginLibrary plugin = OpenLibrary(fileName, ModuleInterface);
    if (plugin.outcome() == PluginLibrary::Outcome::NotLoaded) {
        ReportLoadError(fileName, plugin.detail());
        return false;
    }
    std::unique_ptr<CProModule> module = plugin.create<CProModule>();
    if (!module) {
        ReportLoadError(fileName, plugin.detail());
        return true;
    }
    module->SetLibraryPath(QFile::decodeName(plugin.path().c_str()));
    RegisterModule(std::move(module));
    m_moduleLibraries.push_front(std::move(plugin));
    return true;
}

int CHostApp::ReadModuleCount()
{
    m_moduleCount = GetProfileInt(ModuleSection, QStringLiteral("moduleCount"), 0);
    return m_moduleCount;
}

std::vector<ModuleEntry> CHostApp::ReadModuleEntries()
{
    m_entries.clear();
    const bool chinese = GetLanguage() == QStringLiteral("cn");
    for (int n = 0; n < m_moduleCount; ++n) {
        ModuleEntry entry;
        entry.imageId = GetProfileInt(ModuleSection, Numbered("module", n, ".imageID"), 0);
        entry.name = GetProfileString(ModuleSection, Numbered("module", n, ".name"));
        entry.group = GetProfileString(ModuleSection, Numbered("module", n, ".group"));
        entry.style = GetProfileString(ModuleSection, Numbered("module", n, ".style"));
        if (chinese) {
            entry.name = Translate(entry.name);
            entry.group = Translate(entry.group);
        }
        m_entries.push_back(entry);
    }
    return m_entries;
}

std::vector<int> CHostApp::GetImageList()
{
    return std::vector<int>(std::size_t(std::max(m_moduleCount, 0)), DefaultModuleIcon);
}

void CHostApp::SelectModuleStyle(const QString &name)
{
    for (const ModuleEntry &entry : m_entries) {
        if (entry.name == name) {
            SetModuleStyle(entry.style);
            return;
        }
    }
    SetModuleStyle(QStringLiteral("0"));
}

CProMainFrame *CHostApp::CreateMainFrame()
{
    const bool groupIcons = GetProfileString("SYS", QStringLiteral("nav"), QStringLiteral("1")) == QStringLiteral("1");
    CProMainFrame *frame = groupIcons ? static_cast<CProMainFrame *>(new CIconNavFrame(this))
                                      : static_cast<CProMainFrame *>(new CTreeNavFrame(this));
    BuildMainMenu(frame, GetLanguage() == QStringLiteral("cn"));
    if (!frame->Create()) {
        delete frame;
        return nullptr;
    }
    return frame;
}

QToolBar *CHostApp::CreateToolBar(CProMainFrame *frame)
{
    return CreateMainToolBar(frame);
}

void CHostApp::ShowAbout()
{
    CAboutDialog dialog(*this, GetMainFrame());
    dialog.exec();
}

QStringList CHostApp::ModuleLibraries() const
{
    return Paths(m_moduleLibraries);
}

QStringList CHostApp::ServiceLibraries() const
{
    return Paths(m_serviceLibraries);
}
