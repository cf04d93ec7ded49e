#include "server/storage/storedtext.h"

#include <algorithm>
#include <cctype>

#include "orb/wire/codepage.h"
#include "orb/wire/mtxobj.h"

namespace storedtext {

namespace {

constexpr char ValueSeparator = '\x1f';

} // namespace

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Most stored values (identifiers, numbers, times) are ASCII and need no conversion.
std::string toStored(std::string_view local)
{
    return isAscii(local) ? std::string(local) : orb::toUtf8(local);
}

std::string fromStored(std::string_view utf8)
{
    return isAscii(utf8) ? std::string(utf8) : orb::fromUtf8(utf8);
}

std::string joinValues(const std::vector<std::string> &values)
{
    std::string joined;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            joined += ValueSeparator;
        std::string value = values[i];
        std::replace(value.begin(), value.end(), ValueSeparator, ' ');
        joined += toStored(value);
    }
    return joined;
}

std::vector<std::string> splitValues(std::string_view joined)
{
    std::vector<std::string> values;
    if (joined.empty())
        return values;
    std::size_t start = 0;
    for (std::size_t end; (end = joined.find(ValueSeparator, start)) != std::string_view::npos; start = end + 1)
        values.push_back(fromStored(joined.substr(start, end - start)));
    values.push_back(fromStored(joined.substr(start)));
    return values;
}

std::string embeddedXml(const MtxObj &object)
{
    std::string xml;
    object.toXML(xml, object.getElementName(), 1);
    return xml;
}

std::string quoted(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

} // namespace storedtext
