#pragma once

#include <initializer_list>

#include "orb/wire/mtxfactory.h"
#include "orb/wire/mtxstatus.h"
#include "orb/wire/mtxusersession.h"

class MtxRequest;
class MtxReply;
class OrbClient;

// A service object: names one server-side service, carries the login session
// and the client whose pool serves its calls, and creates the service's wire
// types by name. Service libraries derive from it; so does OrbClient.
class KEEL_EXPORT OrbService : public MtxFactory
{
public:
    static constexpr const char *Version = "2.00";

    explicit OrbService(const char *serviceName);
    ~OrbService() override;

    // The base factory knows no type and returns null.
    std::unique_ptr<MtxObj> createObject(const char *typeName) override;

    const char *getVersion() const { return m_version.c_str(); }
    const char *getServiceName() const { return m_serviceName.c_str(); }
    const char *getSessionKey() const { return m_sessionKey.c_str(); }
    const char *getTrans() const { return m_trans.c_str(); }
    const MtxUserSession &getSession() const { return m_session; }
    OrbClient *getClient() const { return m_client; }

    void setSession(MtxUserSession session);
    void setClient(OrbClient *client);

    // One remote call; the outcome is in reply's status and response.
    void call(MtxRequest &request, MtxReply &reply);

    // Convenience over call(): method with arguments, response read into
    // response (may be null when the caller needs only the status). A response
    // without a factory is given this service as its factory.
    MtxStatus invoke(const char *method, std::initializer_list<const MtxObj *> args,
                     MtxObj *response = nullptr);

protected:
    MtxUserSession &session() { return m_session; }

private:
    FixedText<64> m_version;
    FixedText<64> m_serviceName;
    FixedText<64> m_sessionKey;
    FixedText<64> m_trans;
    MtxUserSession m_session;
    OrbClient *m_client = nullptr;
};
