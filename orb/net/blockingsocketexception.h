#pragma once

#include <exception>
#include <string>

#include "orb/wire/keelexport.h"

// A failed socket operation: the operation's name and the system error code
// (errno) taken when the exception was made. Thrown by value, caught by
// reference.
class KEEL_EXPORT CBlockingSocketException : public std::exception
{
public:
    // Takes the current errno as the error code.
    explicit CBlockingSocketException(const char *operation);
    CBlockingSocketException(const char *operation, int error);
    ~CBlockingSocketException() override;

    int getError() const { return m_error; }
    const char *getOperation() const { return m_operation.c_str(); }

    // Copies "<operation> error #<code>" (or "<operation> error" when the code
    // is 0) into message, at most maxLength - 1 bytes and a NUL. Returns true.
    bool GetErrorMessage(char *message, unsigned maxLength) const;
    const char *what() const noexcept override { return m_message.c_str(); }

private:
    int m_error;
    std::string m_operation;
    std::string m_message;
};
