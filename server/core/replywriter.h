#pragma once

#include <string>
#include <string_view>

class MtxObj;

// Writes the reply text: "<pro-rep><service-name>..</service-name>
// <method-name>..</method-name>" then "<response>..</response>" or
// "<exception><code>..</code><message>..</message></exception>", and
// "</pro-rep>" as its very last bytes (the client's end test reads them).
// Names and values are in the code page.
namespace replywriter {

inline constexpr std::string_view RootEnd = "</pro-rep>";

// An MtxString's value stands directly inside <response>; any other object is
// the one element inside it; null gives the text "SUCCEED".
std::string response(std::string_view service, std::string_view method, const MtxObj *value);

// messageUtf8 is converted to the code page.
std::string exception(std::string_view service, std::string_view method, std::string_view code,
                      std::string_view messageUtf8);

} // namespace replywriter
