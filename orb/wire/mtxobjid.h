#pragma once

#include <cstdint>

#include "orb/wire/mtxobj.h"

// An object identifier; written with its numbers as attributes.
class KEEL_EXPORT MtxObjID : public MtxObj
{
public:
    MtxObjID();

    std::int32_t getID() const { return m_id; }
    std::int32_t getType() const { return m_type; }
    std::int32_t getVersion() const { return m_version; }
    const char *getDisplayString() const { return m_display.c_str(); }
    void setID(std::int32_t id) { m_id = id; }
    void setType(std::int32_t type) { m_type = type; }
    void setVersion(std::int32_t version) { m_version = version; }
    bool setDisplayString(std::string_view text) { return m_display.assign(text); }

    const char *getTypeName() const override;
    const char *getElementName() const override;
    int toXML(std::string &out, const char *elementName, int withType, int reserved = 0) const override;
    bool fromXML(const pugi::xml_node &node) override;
    std::unique_ptr<MtxObj> newInstance() const override;

private:
    std::int32_t m_id = -1;
    std::int32_t m_type = 0;
    std::int32_t m_version = 0;
    FixedText<64> m_display;
};
