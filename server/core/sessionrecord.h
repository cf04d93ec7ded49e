#pragma once

#include "services/types/recordfields.h"

// A login session as the server stores it, so that sessions survive a
// restart: one row per user and peer address, with the number of logins
// from there since the session began. Never sent on the wire.
#define KEEL_SESSIONRECORD_FIELDS(F) F(User, 64) F(Peer, 64) F(Since, 64) F(Logins, 16)

class SessionRecord : public MtxRecordType<SessionRecord>
{
public:
    enum Field { KEEL_SESSIONRECORD_FIELDS(KEEL_RECORD_ENUM) };

    ~SessionRecord() override;
    static const RecordLayout &recordLayout();
};
