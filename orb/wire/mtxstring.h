#pragma once

#include "orb/wire/mtxobj.h"

// A text value of up to 1023 bytes; the usual request argument.
class KEEL_EXPORT MtxString : public MtxObj
{
public:
    MtxString();
    // Copies text when it has at most 1023 bytes; a longer text leaves the value empty.
    explicit MtxString(const char *text);

    const char *getValue() const { return m_value.c_str(); }
    bool setValue(std::string_view text) { return m_value.assign(text); }

    std::unique_ptr<MtxObj> clone() const override;
    const char *getTypeName() const override;
    const char *getElementName() const override;
    int toXML(std::string &out, const char *elementName, int withType, int reserved = 0) const override;
    bool fromXML(const pugi::xml_node &node) override;
    bool fromReply(const pugi::xml_node &responseNode) override;
    std::unique_ptr<MtxObj> newInstance() const override;

private:
    FixedText<1024> m_value;
};
