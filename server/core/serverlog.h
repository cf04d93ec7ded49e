#pragma once

#include <string_view>

// Log lines on standard error: "2024-05-01 10:00:00.123 INFO  text". One line
// is written whole even when several threads log at once. A text repeated
// many times within seconds is written a few times, then counted.
namespace serverlog {

enum class Level { Error, Warning, Info, Debug };

void setLevel(Level level);
bool enabled(Level level);
// "error", "warning", "info" or "debug"; false for anything else.
bool parseLevel(std::string_view text, Level &level);

void write(Level level, std::string_view text);
inline void error(std::string_view text) { write(Level::Error, text); }
inline void warning(std::string_view text) { write(Level::Warning, text); }
inline void info(std::string_view text) { write(Level::Info, text); }
inline void debug(std::string_view text) { write(Level::Debug, text); }

} // namespace serverlog
