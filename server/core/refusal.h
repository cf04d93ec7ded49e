#pragma once

#include <stdexcept>
#include <string>

// A request the server will not carry out: becomes the reply's exception.
// The message is UTF-8 and short (the client keeps at most 63 bytes of it in
// the code page), and says what was wrong.
class Refusal : public std::runtime_error
{
public:
    Refusal(std::string code, const std::string &message) : std::runtime_error(message), m_code(std::move(code)) {}
    const std::string &code() const { return m_code; }

private:
    std::string m_code;
};

// The exception codes the server answers with.
namespace refusal {
inline constexpr const char *BadRequest = "BAD_REQUEST";       // unreadable or wrong arguments
inline constexpr const char *UnknownMethod = "UNKNOWN_METHOD";
inline constexpr const char *NoSession = "NO_SESSION";         // not logged in (from this address)
inline constexpr const char *NoRight = "NO_RIGHT";             // the user's role lacks the function module
inline constexpr const char *LoginFailed = "LOGIN_FAILED";
inline constexpr const char *NotFound = "NOT_FOUND";
inline constexpr const char *Exists = "ALREADY_EXISTS";
inline constexpr const char *Refused = "REFUSED";              // breaks a rule of the data
inline constexpr const char *Busy = "SERVER_BUSY";
inline constexpr const char *StorageFailed = "DB_ERROR";
inline constexpr const char *Internal = "SERVER_ERROR";
} // namespace refusal
