#pragma once

#include <string>
#include <string_view>
#include <vector>

class MtxObj;

// How values are written into and read back from a database, the same for
// every backend: text is kept as UTF-8 so the data reads the same under any
// code page, and the values of a history row share one column.
namespace storedtext {

// Text the same in the code page and in UTF-8, which needs no conversion.
bool isAscii(std::string_view text);

// Code-page text of the wire objects as UTF-8, and back.
std::string toStored(std::string_view local);
std::string fromStored(std::string_view utf8);

// A history row's values in one column, separated by a control character
// that check results never carry (it is replaced if one does).
std::string joinValues(const std::vector<std::string> &values);
std::vector<std::string> splitValues(std::string_view joined);

// An embedded object (an array of items) as the XML text stored for it.
std::string embeddedXml(const MtxObj &object);

// A name in double quotes, as an SQL identifier.
std::string quoted(std::string_view name);
std::string lower(std::string_view text);

} // namespace storedtext
