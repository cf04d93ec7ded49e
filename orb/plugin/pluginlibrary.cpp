#include "orb/plugin/pluginlibrary.h"

#include <filesystem>
#include <utility>

#include <dlfcn.h>

namespace {

std::vector<std::string> candidates(const std::string &fileName, const std::vector<std::string> &folders)
{
    if (fileName.find('/') != std::string::npos)
        return {fileName};
    std::vector<std::string> names{fileName};
    const bool prefixed = fileName.rfind("lib", 0) == 0;
    const bool suffixed = fileName.size() > 3 && fileName.compare(fileName.size() - 3, 3, ".so") == 0;
    if (!prefixed || !suffixed)
        names.push_back((prefixed ? "" : "lib") + fileName + (suffixed ? "" : ".so"));
    std::vector<std::string> paths;
    for (const std::string &folder : folders)
        for (const std::string &name : names)
            paths.push_back((std::filesystem::path(folder) / name).string());
    return paths;
}

} // namespace

PluginLibrary::~PluginLibrary()
{
    release();
}

PluginLibrary::PluginLibrary(PluginLibrary &&other) noexcept
    : m_outcome(std::exchange(other.m_outcome, Outcome::NotLoaded)),
      m_handle(std::exchange(other.m_handle, nullptr)), m_factory(std::exchange(other.m_factory, nullptr)),
      m_kind(other.m_kind), m_path(std::move(other.m_path)), m_detail(std::move(other.m_detail))
{
}

PluginLibrary &PluginLibrary::operator=(PluginLibrary &&other) noexcept
{
    if (this != &other) {
        release();
        m_outcome = std::exchange(other.m_outcome, Outcome::NotLoaded);
        m_handle = std::exchange(other.m_handle, nullptr);
        m_factory = std::exchange(other.m_factory, nullptr);
        m_kind = other.m_kind;
        m_path = std::move(other.m_path);
        m_detail = std::move(other.m_detail);
    }
    return *this;
}

PluginLibrary PluginLibrary::open(const std::string &fileName, const PluginInterface &interface,
                                  const std::vector<std::string> &folders)
{
    PluginLibrary plugin;
    plugin.m_kind = interface.kind;
    std::string firstError;
    for (const std::string &candidate : candidates(fileName, folders)) {
        if (void *handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            plugin.m_handle = handle;
            plugin.m_path = candidate;
            break;
        }
        // A file that exists but cannot be loaded says more than the misses around it.
        const char *error = ::dlerror();
        if (firstError.empty() || std::filesystem::exists(candidate))
            firstError = error ? error : candidate + ": cannot be loaded";
    }
    if (!plugin.m_handle) {
        plugin.m_detail = "cannot load the " + std::string(interface.kind) + " library " + fileName + " ("
            + (firstError.empty() ? "no folder to look in" : firstError)
            + "): check the file name in Keelsys.ini and that the file is installed";
        return plugin;
    }

    // The version first: a library of another version may not even have a
    // factory of the same shape.
    auto version = reinterpret_cast<int (*)()>(::dlsym(plugin.m_handle, interface.versionSymbol));
    auto factory = reinterpret_cast<void (*)()>(::dlsym(plugin.m_handle, interface.factorySymbol));
    if (!version || !factory) {
        plugin.m_outcome = Outcome::NoFactory;
        plugin.m_detail = plugin.m_path + " does not export " + (version ? interface.factorySymbol : interface.versionSymbol)
            + ": it is not a " + interface.kind + " library of this program";
    } else if (const int found = version(); found != interface.version) {
        plugin.m_outcome = Outcome::VersionMismatch;
        plugin.m_detail = plugin.m_path + " was built for " + interface.kind + " interface version "
            + std::to_string(found) + ", this program needs version " + std::to_string(interface.version)
            + ": install the library built with this program";
    } else {
        plugin.m_outcome = Outcome::Ready;
        plugin.m_factory = factory;
        return plugin;
    }
    const Outcome outcome = plugin.m_outcome;
    plugin.release();
    plugin.m_outcome = outcome;
    return plugin;
}

void PluginLibrary::release()
{
    m_factory = nullptr;
    if (m_handle)
        ::dlclose(m_handle);
    m_handle = nullptr;
    if (m_outcome == Outcome::Ready)
        m_outcome = Outcome::NotLoaded;
}

void PluginLibrary::failed(const std::string &what)
{
    m_detail = m_path + ": the " + m_kind + " factory " + what;
}

std::string PluginLibrary::executableFolder()
{
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : path.parent_path().string();
}
