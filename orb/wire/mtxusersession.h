#pragma once

#include "orb/wire/mtxobjid.h"

// The logged-in user: its user-name travels as session-iD in every request.
class KEEL_EXPORT MtxUserSession : public MtxObj
{
public:
    const MtxObjID &getObjectID() const { return m_objectId; }
    MtxObjID &objectID() { return m_objectId; }
    const char *getSessionKey() const { return m_sessionKey.c_str(); }
    const char *getUserName() const { return m_userName.c_str(); }
    bool setSessionKey(std::string_view text) { return m_sessionKey.assign(text); }
    bool setUserName(std::string_view text) { return m_userName.assign(text); }

    const char *getTypeName() const override;
    const char *getElementName() const override;
    int toXML(std::string &out, const char *elementName, int withType, int reserved = 0) const override;
    // True only when both "pro-object-iD" and "session-key" were present.
    bool fromXML(const pugi::xml_node &node) override;
    std::unique_ptr<MtxObj> newInstance() const override;

private:
    MtxObjID m_objectId;
    FixedText<64> m_sessionKey;
    FixedText<64> m_userName;
};
