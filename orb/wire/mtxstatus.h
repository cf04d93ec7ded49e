#pragma once

#include "orb/wire/mtxobj.h"

// The outcome of a remote call: code "1" with message "SUCCEED" is success,
// "CLIENT_EXCEPTION" a failure on this side, anything else the server's.
class KEEL_EXPORT MtxStatus : public MtxObj
{
public:
    static constexpr const char *SuccessCode = "1";
    static constexpr const char *SuccessMessage = "SUCCEED";
    static constexpr const char *ClientExceptionCode = "CLIENT_EXCEPTION";

    MtxStatus();

    const char *getCode() const { return m_code.c_str(); }
    const char *getMessage() const { return m_message.c_str(); }
    // Longer texts are cut after the last whole character that fits.
    void setCode(std::string_view code) { m_code.assignTruncated(code); }
    void setMessage(std::string_view message) { m_message.assignTruncated(message); }
    void set(std::string_view code, std::string_view message);
    // Some client failures keep code "1" and change only the message, so both count.
    bool succeeded() const;

    const char *getTypeName() const override;
    const char *getElementName() const override;
    int toXML(std::string &out, const char *elementName, int withType, int reserved = 0) const override;
    bool fromXML(const pugi::xml_node &node) override;
    std::unique_ptr<MtxObj> newInstance() const override;

private:
    FixedText<64> m_code;
    FixedText<64> m_message;
};
