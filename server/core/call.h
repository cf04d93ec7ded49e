#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "server/core/orbrequest.h"
#include "server/core/refusal.h"

class Storage;
class ServerState;

// One method call as a handler sees it: typed access to the arguments, the
// storage (inside the call's transaction), the calling user, and the detail
// that goes into the operation log for a change.
class Call
{
public:
    Call(ServerState &server, const OrbRequest &request, std::string user, std::string peer);

    ServerState &server() const { return m_server; }
    Storage &storage() const;
    const OrbRequest &request() const { return m_request; }
    const std::string &user() const { return m_user; }
    // The caller's IP address.
    const std::string &peer() const { return m_peer; }
    const std::string &time() const { return m_time; }

    // The text of argument index, which must be an MtxString.
    std::string text(int index) const;
    // Argument index as record type T.
    template <class T>
    const T &record(int index) const
    {
        if (const auto *value = dynamic_cast<const T *>(argument(index)))
            return *value;
        throw Refusal(refusal::BadRequest, wrongType(index, T::recordLayout().typeName));
    }
    const MtxArray &array(int index) const;

    // What the operation log says about this change (in the code page).
    void setLogDetail(std::string detail) { m_logDetail = std::move(detail); }
    const std::string &logDetail() const { return m_logDetail; }

private:
    const MtxObj *argument(int index) const;
    std::string wrongType(int index, const char *expected) const;

    ServerState &m_server;
    const OrbRequest &m_request;
    std::string m_user;
    std::string m_peer;
    std::string m_time;
    std::string m_logDetail;
};
