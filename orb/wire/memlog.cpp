#include "orb/wire/memlog.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

MemLog::MemLog(std::string path) : m_path(std::move(path)) {}

void MemLog::write(const char *text)
{
    std::lock_guard<std::mutex> lock(m_lock);
    const std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    if (!folder.empty()) {
        std::error_code ignored; // a folder that cannot be made shows as a file that cannot be opened
        std::filesystem::create_directories(folder, ignored);
    }
    std::FILE *file = std::fopen(m_path.c_str(), "a");
    if (!file)
        return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::fprintf(file, "%dY-%dM-%dD %dH-%dM-%dS %s\n", local.tm_year + 1900, local.tm_mon + 1,
                 local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, text ? text : "");
    std::fclose(file);
}

MemLog &MemLog::instance()
{
    static MemLog log;
    return log;
}
