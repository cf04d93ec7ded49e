#include "server/core/serverlog.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

#include "server/core/logthrottle.h"

namespace serverlog {

namespace {

std::atomic<int> g_level{int(Level::Info)};
std::mutex g_writeLock;
LogThrottle g_throttle; // under g_writeLock

const char *label(Level level)
{
    switch (level) {
    case Level::Error: return "ERROR";
    case Level::Warning: return "WARN ";
    case Level::Info: return "INFO ";
    case Level::Debug: return "DEBUG";
    }
    return "?";
}

} // namespace

void setLevel(Level level)
{
    g_level = int(level);
}

bool enabled(Level level)
{
    return int(level) <= g_level.load();
}

bool parseLevel(std::string_view text, Level &level)
{
    static const std::pair<std::string_view, Level> names[] = {
        {"error", Level::Error}, {"warning", Level::Warning}, {"info", Level::Info}, {"debug", Level::Debug}};
    for (const auto &[name, value] : names) {
        if (text == name) {
            level = value;
            return true;
        }
    }
    return false;
}

void write(Level level, std::string_view text)
{
    if (!enabled(level))
        return;
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local {};
    localtime_r(&seconds, &local);
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, int(millis));
    std::string line = stamp;
    line += label(level);
    line += ' ';
    line += text;
    std::lock_guard hold(g_writeLock);
    std::size_t suppressed = 0;
    if (!g_throttle.admit(text, std::chrono::steady_clock::now(), suppressed))
        return;
    if (suppressed > 0)
        line += " (and " + std::to_string(suppressed) + " more times)";
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace serverlog
