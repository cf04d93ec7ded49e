#pragma once

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "orb/plugin/plugininterface.h"
#include "orb/wire/keelexport.h"

// One plug-in library opened with dlopen: its version export checked first,
// then its factory resolved. The library stays loaded while this object lives
// (or until release()); everything made by its factory must be deleted first.
class KEEL_EXPORT PluginLibrary
{
public:
    enum class Outcome {
        NotLoaded,       // no such file, or the loader refused it
        NoFactory,       // loaded, but without the version or factory export
        VersionMismatch, // built against another interface version
        Ready,
    };

    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(PluginLibrary &&other) noexcept;
    PluginLibrary &operator=(PluginLibrary &&other) noexcept;
    PluginLibrary(const PluginLibrary &) = delete;
    PluginLibrary &operator=(const PluginLibrary &) = delete;

    // A name with a '/' is opened as given; otherwise it is looked for in each
    // of folders in turn, as given and with the "lib" prefix and ".so" suffix
    // added when missing. A library that is not Ready is unloaded at once.
    static PluginLibrary open(const std::string &fileName, const PluginInterface &interface,
                              const std::vector<std::string> &folders);

    Outcome outcome() const { return m_outcome; }
    bool ready() const { return m_outcome == Outcome::Ready; }
    // The file that was loaded (empty when none was).
    const std::string &path() const { return m_path; }
    // What went wrong and what to do, for the log; empty when nothing did.
    const std::string &detail() const { return m_detail; }

    // Calls the factory: a new object owned by the caller, or null (with
    // detail() saying why) when the library is not ready, the factory gives
    // nothing or throws. Nothing thrown inside the library goes further.
    template <class T>
    std::unique_ptr<T> create()
    {
        if (!ready())
            return nullptr;
        try {
            if (T *made = reinterpret_cast<T *(*)()>(m_factory)())
                return std::unique_ptr<T>(made);
            failed("gave no instance");
        } catch (const std::exception &error) {
            failed(std::string("failed: ") + error.what());
        } catch (...) {
            failed("failed with an exception");
        }
        return nullptr;
    }

    // Unloads the library now.
    void release();

    // The folder holding the running executable.
    static std::string executableFolder();

private:
    void failed(const std::string &what);

    Outcome m_outcome = Outcome::NotLoaded;
    void *m_handle = nullptr;
    void (*m_factory)() = nullptr;
    const char *m_kind = "";
    std::string m_path;
    std::string m_detail;
};
