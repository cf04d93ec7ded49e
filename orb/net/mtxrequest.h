#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orb/wire/mtxobj.h"

// One remote call: service, method, the session and trans texts and the
// arguments, written as the request text the application server reads.
// Arguments are borrowed unless handed over with adoptArg.
class KEEL_EXPORT MtxRequest
{
public:
    MtxRequest(const char *serviceName, const char *methodName,
               std::vector<const MtxObj *> args = {});
    virtual ~MtxRequest();
    MtxRequest(const MtxRequest &) = delete;
    MtxRequest &operator=(const MtxRequest &) = delete;

    virtual const char *getTypeName() const;
    virtual const char *getElementName() const;

    const char *getServiceName() const { return m_serviceName.c_str(); }
    const char *getMethodName() const { return m_methodName.c_str(); }
    const char *getSessionID() const { return m_sessionId.c_str(); }
    const char *getTransID() const { return m_transId.c_str(); }
    void setSessionID(std::string_view text) { m_sessionId.assignTruncated(text); }
    void setTransID(std::string_view text) { m_transId.assignTruncated(text); }

    int count() const { return static_cast<int>(m_args.size()); }
    const MtxObj *arg(int index) const { return m_args[static_cast<std::size_t>(index)]; }
    void addArg(const MtxObj *arg) { m_args.push_back(arg); }
    // Appends arg and keeps it until freeArgs or destruction.
    void adoptArg(std::unique_ptr<MtxObj> arg);
    // Deletes the adopted arguments and empties the argument list.
    void freeArgs();

    // Replaces out with the request text: "<pro-req>...</pro-req>\r\n\r\n".
    void write(std::string &out) const;
    // The bytes sent on the connection for a request text: the line
    // "Orb.MtxRequest", the text and one more line end.
    static std::string frame(std::string_view requestText);

private:
    FixedText<64> m_serviceName;
    FixedText<64> m_methodName;
    FixedText<64> m_sessionId{"0"};
    FixedText<64> m_transId{"0"};
    std::vector<const MtxObj *> m_args;
    std::vector<std::unique_ptr<MtxObj>> m_ownedArgs;
};
