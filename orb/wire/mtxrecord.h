#pragma once

#include <span>
#include <string>
#include <vector>

#include "orb/wire/mtxobj.h"

// One text field of a record type: its element name and its width in bytes
// (a char[width] field holds width-1 bytes; width 0 means no limit).
struct RecordField
{
    enum Flag : unsigned {
        None = 0,
        ReadOnly = 1,       // read from XML but never written
        ComparisonOperator = 2, // written through the operator table
    };
    const char *element;
    unsigned width;
    unsigned flags = None;
};

// One embedded wire object of a record type (an MtxArray, a condition).
struct RecordEmbedded
{
    std::unique_ptr<MtxObj> (*make)();
};

// Everything that distinguishes one record type from another.
struct RecordLayout
{
    enum class Clone { Full, BaseOnly };
    enum class Reply { FirstChild, Nothing };

    const char *typeName;
    const char *elementName;
    std::span<const RecordField> fields;
    std::span<const RecordEmbedded> embedded = {};
    Clone clone = Clone::Full;
    Reply reply = Reply::FirstChild;
};

// The record pattern shared by every domain wire type: text fields in table
// order as "<Name>text</Name>", then the embedded objects. One implementation
// serves all of them; each type is only its layout.
class KEEL_EXPORT MtxRecord : public MtxObj
{
public:
    explicit MtxRecord(const RecordLayout &layout);
    MtxRecord(const MtxRecord &other);
    MtxRecord &operator=(const MtxRecord &other);
    ~MtxRecord() override;

    const RecordLayout &layout() const { return *m_layout; }
    std::size_t fieldCount() const { return m_layout->fields.size(); }

    const std::string &get(int field) const { return m_values[field]; }
    const char *c_str(int field) const { return m_values[field].c_str(); }
    // False (value unchanged) when text is longer than the field holds.
    bool set(int field, std::string_view text);
    // Stores as much as fits, cut after the last whole character.
    void setTruncated(int field, std::string_view text);
    // Field index by element name, or -1.
    int indexOf(std::string_view element) const;

    std::size_t embeddedCount() const { return m_embedded.size(); }
    MtxObj &embedded(std::size_t index) const { return *m_embedded[index]; }

    std::unique_ptr<MtxObj> clone() const override;
    const char *getTypeName() const override;
    const char *getElementName() const override;
    int toXML(std::string &out, const char *elementName, int withType, int reserved = 0) const override;
    bool fromXML(const pugi::xml_node &node) override;
    bool fromReply(const pugi::xml_node &responseNode) override;
    std::unique_ptr<MtxObj> newInstance() const override;

    bool operator==(const MtxRecord &other) const;

protected:
    // Derived types override to copy as their own type.
    virtual std::unique_ptr<MtxObj> fullCopy() const;

private:
    const RecordLayout *m_layout;
    std::vector<std::string> m_values;
    std::vector<std::unique_ptr<MtxObj>> m_embedded;
};

// Gives a record type its own type identity for copies and new instances.
template <class Derived>
class MtxRecordType : public MtxRecord
{
public:
    MtxRecordType() : MtxRecord(Derived::recordLayout()) {}
    std::unique_ptr<MtxObj> newInstance() const override { return std::make_unique<Derived>(); }

protected:
    std::unique_ptr<MtxObj> fullCopy() const override
    {
        return allocateCopy(static_cast<const Derived &>(*this));
    }
};
