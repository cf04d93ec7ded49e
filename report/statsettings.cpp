#include "report/statsettings.h"

#include <charconv>

#include <QDir>
#include <QFile>

#include "orb/profile/namedlock.h"
#include "orb/profile/profilefile.h"

namespace {

// The value as it was written, or empty when absent; "0" is what an unset
// key read with the old default looks like and counts as unset as well.
QByteArray Setting(const ProfileFile &file, const char *section, const char *key)
{
    const std::string value = file.readString(section, key);
    if (value == "0")
        return QByteArray();
    return QByteArray::fromStdString(value);
}

} // namespace

QString StatSettings::SettingsPath() const
{
    return QDir(root).filePath(QStringLiteral("StatView/StatView.ini"));
}

QString StatSettings::SystemPath() const
{
    return QDir(root).filePath(QStringLiteral("Keelsys.ini"));
}

QString StatSettings::LibraryPath() const
{
    return QDir(root).filePath(QStringLiteral("config/MonitorLibrary.config"));
}

QString StatSettings::BannerPath() const
{
    return QDir(root).filePath(QStringLiteral("StatView/StatView_Top.bmp"));
}

QString StatSettings::InstallRoot()
{
    const QString root = qEnvironmentVariable("KEELMON_ROOT_PATH");
    return root.isEmpty() ? QDir::currentPath() : root;
}

StatSettings StatSettings::Read(const QString &root, std::chrono::milliseconds lockWait)
{
    StatSettings settings;
    settings.root = root;
    QByteArray portText;
    {
        NamedLock lock("StatView");
        if (!lock.lock(lockWait)) {
            settings.problem = QStringLiteral("无法读取报告设置：%1。请稍后重新打开报告。")
                                   .arg(QString::fromStdString(lock.error()));
            return settings;
        }
        const ProfileFile handOver(QFile::encodeName(settings.SettingsPath()).toStdString());
        const ProfileFile system(QFile::encodeName(settings.SystemPath()).toStdString());
        settings.monitorId = Setting(handOver, "StatView", "ID");
        settings.monitorType = Setting(handOver, "StatView", "MonitorType");
        settings.serverAddress = Setting(system, "SYS", "mainServerIP");
        portText = Setting(system, "SYS", "DataServerPort").trimmed();
    }

    if (settings.monitorId.isEmpty() || settings.monitorType.isEmpty()) {
        settings.problem = QStringLiteral("没有配置要报告的监测器 (%1 中 [StatView] 的 ID 和 MonitorType)：请在监测模块中选中一个监测器，再用“报告”命令启动本程序。")
                               .arg(QDir::toNativeSeparators(settings.SettingsPath()));
        return settings;
    }
    if (settings.serverAddress.isEmpty()) {
        settings.problem = QStringLiteral("没有配置数据服务器地址 (%1 中 [SYS] 的 mainServerIP)：请在系统设置中填写服务器地址。")
                               .arg(QDir::toNativeSeparators(settings.SystemPath()));
        return settings;
    }
    if (!portText.isEmpty()) {
        int port = 0;
        const auto [end, error] = std::from_chars(portText.constData(), portText.constData() + portText.size(), port);
        if (error != std::errc() || end != portText.constData() + portText.size() || port < 1 || port > 65535) {
            settings.problem = QStringLiteral("数据服务器端口 \"%1\" 无效 (%2 中 [SYS] 的 DataServerPort)：请填写 1 到 65535 之间的端口。")
                                   .arg(QString::fromLatin1(portText), QDir::toNativeSeparators(settings.SystemPath()));
            return settings;
        }
        settings.port = port;
    }
    return settings;
}
