#include "orb/profile/profilefile.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include <unistd.h>

namespace {

struct Line
{
    std::string text;   // without its line end
    std::string ending; // "\n", "\r\n" or "" for a last line without one
};

std::vector<Line> readLines(const std::string &path)
{
    std::vector<Line> lines;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return lines;
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string content = buffer.str();
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        Line line;
        if (end == std::string::npos) {
            line.text = content.substr(start);
            start = content.size();
        } else {
            line.text = content.substr(start, end - start);
            line.ending = "\n";
            start = end + 1;
        }
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.ending = line.ending.empty() ? "\r" : "\r\n";
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool endsLine(const std::string &ending)
{
    return !ending.empty() && ending.back() == '\n';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The section name of a "[name]" line.
std::optional<std::string_view> sectionOf(std::string_view line)
{
    line = trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(1, close - 1));
}

// The key and raw value of a "key=value" line; comments and other lines give nothing.
std::optional<std::pair<std::string_view, std::string_view>> entryOf(std::string_view line)
{
    const std::string_view trimmed = trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[')
        return std::nullopt;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return std::make_pair(trim(trimmed.substr(0, equals)), trim(trimmed.substr(equals + 1)));
}

struct Position
{
    int sectionLine = -1;     // the "[section]" line, or -1
    int lastSectionLine = -1; // the last non-blank line of that section
    int keyLine = -1;         // the line holding the key, or -1
    std::string_view value;
};

Position locate(const std::vector<Line> &lines, std::string_view section, std::string_view key)
{
    Position position;
    bool inSection = false;
    for (int i = 0; i < int(lines.size()); ++i) {
        const std::string &text = lines[i].text;
        if (auto name = sectionOf(text)) {
            // A repeated section continues only the first one, as the system did.
            if (inSection)
                break;
            if (position.sectionLine < 0 && sameName(*name, section)) {
                inSection = true;
                position.sectionLine = i;
                position.lastSectionLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!trim(text).empty())
            position.lastSectionLine = i;
        if (position.keyLine < 0) {
            if (auto entry = entryOf(text); entry && sameName(entry->first, key)) {
                position.keyLine = i;
                position.value = entry->second;
            }
        }
    }
    return position;
}

std::string unquote(std::string_view value)
{
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"')
                              || (value.front() == '\'' && value.back() == '\'')))
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// Writes through a temporary file in the same folder, so a failed write leaves
// the old file whole.
bool writeLines(const std::string &path, const std::vector<Line> &lines)
{
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        for (const Line &line : lines)
            out << line.text << line.ending;
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

ProfileFile::ProfileFile(std::string path) : m_path(std::move(path)) {}

bool ProfileFile::contains(std::string_view section, std::string_view key) const
{
    return locate(readLines(m_path), section, key).keyLine >= 0;
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const
{
    const std::vector<Line> lines = readLines(m_path);
    const Position position = locate(lines, section, key);
    if (position.keyLine < 0)
        return std::string(defaultValue);
    return unquote(position.value);
}

int ProfileFile::readInt(std::string_view section, std::string_view key, int defaultValue) const
{
    const std::vector<Line> lines = readLines(m_path);
    const Position position = locate(lines, section, key);
    if (position.keyLine < 0)
        return defaultValue;
    const std::string value = unquote(position.value);
    std::size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        negative = value[i++] == '-';
    long long number = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        number = number * 10 + (value[i] - '0');
        if (number > 0x7fffffffLL)
            return negative ? int(-0x7fffffffLL - 1) : 0x7fffffff;
    }
    return int(negative ? -number : number);
}

bool ProfileFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    if (m_path.empty() || trim(section).empty() || trim(key).empty())
        return false;
    std::vector<Line> lines = readLines(m_path);
    const Position position = locate(lines, section, key);
    // New lines take the file's own line end. A lone CR (a last line "x\r")
    // ends no line for the reader: it is never taken, and a line that ends
    // so gets a whole line end before anything is written after it.
    const std::string ending = (!lines.empty() && endsLine(lines.front().ending))
                                   ? lines.front().ending : std::string("\r\n");
    const std::string entry = std::string(key) + "=" + std::string(value);

    if (position.keyLine >= 0) {
        lines[position.keyLine].text = entry;
    } else if (position.sectionLine >= 0) {
        Line &last = lines[position.lastSectionLine];
        if (!endsLine(last.ending))
            last.ending = ending;
        lines.insert(lines.begin() + position.lastSectionLine + 1, Line{entry, ending});
    } else {
        if (!lines.empty() && !endsLine(lines.back().ending))
            lines.back().ending = ending;
        lines.push_back(Line{"[" + std::string(section) + "]", ending});
        lines.push_back(Line{entry, ending});
    }
    return writeLines(m_path, lines);
}

bool ProfileFile::writeInt(std::string_view section, std::string_view key, int value)
{
    return writeString(section, key, std::to_string(value));
}
