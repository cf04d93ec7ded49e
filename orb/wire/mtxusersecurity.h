#pragma once

#include "orb/wire/mtxobj.h"

class KEEL_EXPORT MtxUserSecurity : public MtxObj
{
public:
    const char *getSecurity() const { return m_security.c_str(); }
    bool setSecurity(std::string_view text) { return m_security.assign(text); }

    const char *getTypeName() const override;
    const char *getElementName() const override;
    int toXML(std::string &out, const char *elementName, int withType, int reserved = 0) const override;
    bool fromXML(const pugi::xml_node &node) override;
    std::unique_ptr<MtxObj> newInstance() const override;

private:
    FixedText<64> m_security;
};
