#pragma once

#include <cstring>

#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxfactory.h"
#include "orb/wire/mtxrecord.h"

// Small record types of the same shapes as the domain ones: an operator
// item, a condition with three arrays and a read-only field, and a node
// record that keeps the base clone and reads nothing from a reply.
struct TestItem : MtxRecordType<TestItem>
{
    enum Field { ItemId, ParaName, Operator, ParaValue };
    static const RecordLayout &recordLayout()
    {
        static constexpr RecordField fields[] = {
            {"itemId", 16},
            {"paraName", 64},
            {"operator", 64, RecordField::ComparisonOperator},
            {"paraValue", 64},
        };
        static const RecordLayout layout{"Orb.TestItemObj", "TestItemObj", fields};
        return layout;
    }
};

inline std::unique_ptr<MtxObj> makeArray()
{
    return std::make_unique<MtxArray>();
}

struct TestCondition : MtxRecordType<TestCondition>
{
    enum Field { Error, Warning, Normal, Stamp };
    static const RecordLayout &recordLayout()
    {
        static constexpr RecordField fields[] = {
            {"Error", 64},
            {"Warning", 64},
            {"Normal", 64},
            {"Stamp", 0, RecordField::ReadOnly},
        };
        static constexpr RecordEmbedded embedded[] = {{makeArray}, {makeArray}, {makeArray}};
        static const RecordLayout layout{"Orb.TestConditionObj", "TestConditionObj", fields, embedded};
        return layout;
    }
    MtxArray &array(std::size_t index) { return static_cast<MtxArray &>(embedded(index)); }
    const MtxArray &array(std::size_t index) const { return static_cast<const MtxArray &>(embedded(index)); }
};

struct TestNode : MtxRecordType<TestNode>
{
    enum Field { Id, Text };
    static const RecordLayout &recordLayout()
    {
        static constexpr RecordField fields[] = {{"ID", 37}, {"Text", 128}};
        static const RecordLayout layout{"Orb.TestNodeObj", "TestNodeObj", fields, {},
                                         RecordLayout::Clone::BaseOnly, RecordLayout::Reply::Nothing};
        return layout;
    }
};

// A service-like factory: its arrays make their items through it.
class TestFactory : public MtxFactory
{
public:
    std::unique_ptr<MtxObj> createObject(const char *typeName) override
    {
        if (std::strcmp(typeName, "Orb.TestItemObj") == 0)
            return std::make_unique<TestItem>();
        if (std::strcmp(typeName, "Orb.TestConditionObj") == 0)
            return std::make_unique<TestCondition>();
        if (std::strcmp(typeName, "Orb.MtxArray") == 0) {
            auto array = std::make_unique<MtxArray>();
            array->setFactory(this);
            return array;
        }
        return frameworkFactory().createObject(typeName);
    }
};
