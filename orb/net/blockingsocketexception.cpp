#include "orb/net/blockingsocketexception.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

CBlockingSocketException::CBlockingSocketException(const char *operation)
    : CBlockingSocketException(operation, errno)
{
}

CBlockingSocketException::CBlockingSocketException(const char *operation, int error)
    : m_error(error), m_operation(operation ? operation : "")
{
    char text[200];
    if (m_error != 0)
        std::snprintf(text, sizeof text, "%s error #%d", m_operation.c_str(), m_error);
    else
        std::snprintf(text, sizeof text, "%s error", m_operation.c_str());
    m_message = text;
}

CBlockingSocketException::~CBlockingSocketException() = default;

bool CBlockingSocketException::GetErrorMessage(char *message, unsigned maxLength) const
{
    if (message == nullptr || maxLength == 0)
        return true;
    const std::size_t length = std::min<std::size_t>(m_message.size(), maxLength - 1);
    std::memcpy(message, m_message.data(), length);
    message[length] = '\0';
    return true;
}
