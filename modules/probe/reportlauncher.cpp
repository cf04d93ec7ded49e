#include "modules/probe/reportlauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "frame/installroot.h"
#include "frame/localtext.h"
#include "frame/proapp.h"
#include "orb/profile/profilefile.h"
#include "services/types/elementobj.h"

namespace {

// The element Type of a monitor; only monitors have a report.
constexpr const char *MonitorType = "5";

} // namespace

CReportLauncher::CReportLauncher(QString root, QString lockFolder, std::chrono::milliseconds wait)
    : m_root(std::move(root)), m_lockFolder(std::move(lockFolder)), m_wait(wait)
{
}

QString CReportLauncher::ConfiguredRoot()
{
    const bool fromEnvironment = !qEnvironmentVariable(InstallRoot::EnvironmentVariable).trimmed().isEmpty();
    bool fromProfile = false;
    if (CProApp *app = CProApp::instance())
        fromProfile = !fromLocal(app->Profile().readString(InstallRoot::Section, InstallRoot::Key)).trimmed().isEmpty();
    return fromEnvironment || fromProfile ? InstallRoot::Path() : QString();
}

QString CReportLauncher::SettingsPath() const
{
    return QDir(m_root).filePath(QStringLiteral("StatView/StatView.ini"));
}

QString CReportLauncher::Program() const
{
    return QDir(m_root).filePath(QStringLiteral("StatView/StatView"));
}

QString CReportLauncher::WriteSettings(const QString &id, const QString &monitorType) const
{
    if (m_root.isEmpty())
        return QStringLiteral("没有设置安装目录（Keelsys.ini 的 SYS/RootPath），无法启动报告程序");
    const QString path = SettingsPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("无法创建目录 %1：请检查安装目录的写权限").arg(QFileInfo(path).absolutePath());
    NamedLock lock(LockName, m_lockFolder.toStdString());
    if (!lock.lock(m_wait))
        return QStringLiteral("报告程序的设置正被占用（%1），请稍后再试").arg(QString::fromStdString(lock.error()));
    ProfileFile settings(path.toStdString());
    const bool written = settings.writeString(Section, "ID", toLocal(id))
                         && settings.writeString(Section, "MonitorType", toLocal(monitorType))
                         && settings.writeString(Section, "RecvNum", "1");
    if (!written)
        return QStringLiteral("无法写入 %1：请检查文件是否可写").arg(path);
    return {};
}

QString CReportLauncher::Launch(const ElementObj &element) const
{
    if (element.get(ElementObj::Type) != MonitorType)
        return QStringLiteral("只能对检测生成报告：请先选择一个检测");
    const QString written = WriteSettings(fromLocal(element.get(ElementObj::ID)), fromLocal(element.get(ElementObj::Monitor_Type)));
    if (!written.isEmpty())
        return written;
    // Started directly: the path is the program, never part of a command line.
    QProcess process;
    process.setProgram(Program());
    process.setWorkingDirectory(m_root);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(InstallRoot::EnvironmentVariable), m_root);
    process.setProcessEnvironment(environment);
    if (!process.startDetached())
        return QStringLiteral("无法启动报告程序 %1：请检查它是否已安装").arg(Program());
    return {};
}
