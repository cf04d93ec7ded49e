#include "host/pluginlibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QStringList Candidates(const QString &fileName)
{
    if (fileName.contains(QLatin1Char('/')))
        return {fileName};
    QStringList candidates{QDir::current().filePath(fileName)};
    if (QCoreApplication::instance())
        candidates.append(QDir(QCoreApplication::applicationDirPath()).filePath(fileName));
    return candidates;
}

} // namespace

PluginLibrary PluginLibrary::Open(const QString &fileName, const char *factorySymbol,
                                  const char *versionSymbol, int expectedVersion)
{
    PluginLibrary plugin;
    for (const QString &candidate : Candidates(fileName)) {
        auto library = std::make_unique<QLibrary>(candidate);
        if (library->load()) {
            plugin.library = std::move(library);
            break;
        }
        if (plugin.detail.isEmpty())
            plugin.detail = library->errorString();
    }
    if (!plugin.library)
        return plugin;

    using VersionFunction = int (*)();
    auto version = reinterpret_cast<VersionFunction>(plugin.library->resolve(versionSymbol));
    plugin.factory = plugin.library->resolve(factorySymbol);
    if (!plugin.factory || !version) {
        plugin.outcome = Outcome::NoFactory;
        plugin.detail = QStringLiteral("%1 does not export %2: it is not a library of this program.")
                            .arg(fileName, QString::fromLatin1(plugin.factory ? versionSymbol : factorySymbol));
        plugin.Release();
        return plugin;
    }
    if (const int found = version(); found != expectedVersion) {
        plugin.outcome = Outcome::VersionMismatch;
        plugin.detail = QStringLiteral("%1 was built for interface version %2, this program needs version %3: "
                                       "install the library built with this program.")
                            .arg(fileName).arg(found).arg(expectedVersion);
        plugin.Release();
        return plugin;
    }
    plugin.outcome = Outcome::Ready;
    plugin.detail.clear();
    return plugin;
}

void PluginLibrary::Release()
{
    factory = nullptr;
    if (library)
        library->unload();
    library.reset();
}
