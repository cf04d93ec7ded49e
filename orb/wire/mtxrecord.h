#pragma once

#include <cstdint>
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

    // The field's text; a reference that holds until the record next changes.
    const std::string &get(int field) const;
    const char *c_str(int field) const { return get(field).c_str(); }
    // False (value unchanged) when text is longer than the field holds.
    bool set(int field, std::string_view text);
    // Stores as much as fits, cut after the last whole character.
    void setTruncated(int field, std::string_view text);
    // Field index by element name, or -1.
    int indexOf(std::string_view element) const;

    std::size_t embeddedCount() const { return m_embedded.size(); }
    // The embedded object, made at its construction values when first needed.
    MtxObj &embedded(std::size_t index);
    // An embedded object never made reads as one at its construction values.
    const MtxObj &embedded(std::size_t index) const;

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
    // Stores text (not empty) in field, making its slot when it has none.
    void store(int field, std::string_view text);
    void erase(int field);

    const RecordLayout *m_layout;
    // Only the fields that hold text are kept, in field order; bit i of
    // m_filled says whether field i does. Most fields of most records are
    // empty, and a client holds a whole inventory of records at once.
    std::uint64_t m_filled = 0;
    std::vector<std::string> m_values;
    // Null until made: most elements never carry parameters.
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
