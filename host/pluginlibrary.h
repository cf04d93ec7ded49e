#pragma once

#include <memory>

#include <QFunctionPointer>
#include <QLibrary>
#include <QString>

// A service or module library opened by its configured file name, with its
// factory resolved once the library's interface version matched ours.
struct PluginLibrary
{
    enum class Outcome {
        NotLoaded,       // the library could not be loaded at all
        NoFactory,       // loaded, but without the factory export
        VersionMismatch, // loaded, built against another interface version
        Ready,
    };

    Outcome outcome = Outcome::NotLoaded;
    std::unique_ptr<QLibrary> library;
    QFunctionPointer factory = nullptr;
    // Why it failed, for the message and the log.
    QString detail;

    // A file name without a folder is looked for in the working directory,
    // then beside the program; the "lib" prefix and ".so" suffix are optional.
    // Unloads a library that gave nothing to keep.
    void Release();

    static PluginLibrary Open(const QString &fileName, const char *factorySymbol,
                              const char *versionSymbol, int expectedVersion);
};
