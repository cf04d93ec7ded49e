#pragma once

#include <string_view>

#include "orb/wire/mtxobj.h"

class MtxStatus;

// Where a call's outcome lands: the response element is read by the caller's
// response object, an exception or a client-side failure by its status.
// Neither object is owned.
class KEEL_EXPORT MtxReply
{
public:
    MtxReply(MtxStatus *status, MtxObj *response);

    MtxStatus *getStatus() const { return m_status; }
    MtxObj *getResponse() const { return m_response; }
    const char *getServiceName() const { return m_serviceName.c_str(); }
    const char *getMethodName() const { return m_methodName.c_str(); }

    // Decodes a complete reply text in the code page. A text that is not
    // well-formed XML sets a client error and returns false.
    bool decode(std::string_view text);
    // The same, parsing inside text (which it changes) instead of a copy: a
    // call's reply of many megabytes is then held once, not twice.
    bool decodeInPlace(std::string &text);
    // Marks the call as failed on this side: code "CLIENT_EXCEPTION".
    void setClientError(const char *serviceName, const char *methodName, std::string_view message);

private:
    MtxObj *m_response;
    MtxStatus *m_status;
    FixedText<64> m_methodName;
    FixedText<64> m_serviceName;
};
