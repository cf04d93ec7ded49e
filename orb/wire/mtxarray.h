#pragma once

#include <vector>

#include "orb/wire/mtxobj.h"

// An ordered list of owned wire objects of any type. Reading creates each
// item from its xsi-type through the array's factory (or the framework's).
class KEEL_EXPORT MtxArray : public MtxObj
{
public:
    MtxArray();
    // A deep copy: every item is cloned.
    MtxArray(const MtxArray &other);
    MtxArray &operator=(const MtxArray &other);
    ~MtxArray() override;

    std::size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    MtxObj *at(std::size_t index) const { return m_items[index].get(); }
    void append(std::unique_ptr<MtxObj> item);
    std::unique_ptr<MtxObj> takeAt(std::size_t index);
    void removeAt(std::size_t index);
    void clear();
    void reserve(std::size_t count) { m_items.reserve(count); }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    const char *getTypeName() const override;
    const char *getElementName() const override;
    int toXML(std::string &out, const char *elementName, int withType, int reserved = 0) const override;
    bool fromXML(const pugi::xml_node &node) override;
    bool fromReply(const pugi::xml_node &responseNode) override;
    std::unique_ptr<MtxObj> newInstance() const override;

private:
    std::vector<std::unique_ptr<MtxObj>> m_items;
};
