#pragma once

#include <string>
#include <string_view>

#include "orb/wire/keelexport.h"

// A Windows-style profile file (Keelsys.ini and the other .ini files):
// "[section]" lines and "key=value" lines. Section and key names match without
// regard to ASCII case; values are raw 8-bit text in the code page, returned
// with surrounding blanks (and one pair of enclosing quotes) removed. A missing
// or unreadable file reads as a file with no keys. A write creates the file when
// needed and keeps every other line, its order and its line ends.
//
// Every call reads the file anew, so two programs sharing a file see each
// other's writes, as they did with the system's profile functions.
class KEEL_EXPORT ProfileFile
{
public:
    explicit ProfileFile(std::string path = {});

    const std::string &path() const { return m_path; }
    void setPath(std::string path) { m_path = std::move(path); }

    bool contains(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue = {}) const;
    // The leading decimal number of the value (sign allowed, 0 when the value
    // does not start with one); defaultValue only when the key is absent.
    int readInt(std::string_view section, std::string_view key, int defaultValue) const;

    // False when the file cannot be written; the file is then unchanged.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    bool writeInt(std::string_view section, std::string_view key, int value);

private:
    std::string m_path;
};
