#pragma once

#include <cstdint>
#include <vector>

#include "orb/wire/mtxobj.h"

// A server-side query's rows; it travels only from server to client and so
// writes nothing.
class KEEL_EXPORT MtxQueryResult : public MtxObj
{
public:
    MtxQueryResult();
    ~MtxQueryResult() override;

    std::int32_t getCount() const { return m_count; }
    std::int32_t getCursor() const { return m_cursor; }
    void setCursor(std::int32_t cursor) { m_cursor = cursor; }
    MtxObj *at(std::size_t index) const { return m_items[index].get(); }

    const char *getTypeName() const override;
    const char *getElementName() const override;
    int toXML(std::string &out, const char *elementName, int withType, int reserved = 0) const override;
    bool fromXML(const pugi::xml_node &node) override;
    std::unique_ptr<MtxObj> newInstance() const override;

private:
    std::vector<std::unique_ptr<MtxObj>> m_items;
    std::int32_t m_count = 0;
    std::int32_t m_cursor = 0;
};
