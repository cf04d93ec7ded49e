// Every record type against its field table as the product documents it:
// names, widths, order, embedded objects, clone and reply behaviour, and a
// round trip through XML with every field filled to its width.
#include <set>
#include <sstream>
#include <typeinfo>
#include <vector>

#include "orb/wire/mtxrecord.h"
#include "services/tests/wiretest.h"
#include "services/types/servicetables.h"
#include "services/types/tablefactory.h"

using namespace wiretest;

namespace {

struct ExpectedType
{
    const char *typeName;
    const char *elementName;
    // "Name:width" in wire order; width "*" means unlimited, a trailing ":r"
    // marks a field that is read but never written; "+Element" is an
    // embedded object.
    const char *fields;
    bool baseClone = false;
    bool readsNoReply = false;
};

const ExpectedType expectedTypes[] = {
    {"Orb.ElementObj", "ElementObj",
     "SEID:37 ID:37 PID:37 Text:128 Type:16 LastState:16 LastChangeStateTime:32 "
     "LastMonitorTime:32 Entity_IpAddress:64 Monitor_Type:16 Monitor_Description:512 MStatus:16 "
     "MSTime:32 METime:32 AStatus:16 ASTime:32 AETime:32 +MtxArray"},
    {"Orb.MonitorObj", "MonitorObj",
     "Id:37 seid:37 ParentId:37 MonitorType:16 Text:128 MStatus:16 MSTime:32 METime:32 "
     "AStatus:16 ASTime:32 AETime:32 +MtxArray +StateConditionObj"},
    {"Orb.ParamObj", "ParamObj", "ParamName:64 ParamValue:128"},
    {"Orb.MonitorParamItemObj", "MonitorParamItemObj", "name:64 value:64 unit:16"},
    {"Orb.StateConditionObj", "StateConditionObj",
     "Error:64 Warning:64 Normal:64 +MtxArray +MtxArray +MtxArray"},
    {"Orb.ExpressionParamItemObj", "ExpressionParamItemObj",
     "itemId:16 paraName:64 operator:64 paraValue:64"},
    {"Orb.AlertRuleObj", "AlertRuleObj",
     "RuleID:37 RuleName:64 AddDateTime:32 Scope:1024 ScopeName:64"},
    {"Orb.AlertRuleParameterObj", "AlertRuleParameterObj",
     "RuleID:37 RuleType:64 SendType:64 AlertLevel:64 Enabled:64 AdvanceSettingType:64 "
     "Objective:64"},
    {"Orb.AlertRuleTypeParameterObj", "AlertRuleTypeParameterObj",
     "RuleID:37 ParaName:64 ParaValue:1024 ControlID:37"},
    {"Orb.AlertSendTypeParameterObj", "AlertSendTypeParameterObj",
     "RuleID:37 ParaName:64 ParaValue:1024 ControlID:37"},
    {"Orb.AlertLogObj", "AlertLogObj",
     "AlertLogID:37 AlertRuleID:37 ManagerName:64 AlertDateTime:32 IfSended:64 RuleName:64 "
     "Objective:64 RuleType:64 IfSucceed:64 Remark:64 MonitorId:37 Content:1024"},
    {"Orb.AlertMonitorObj", "AlertMonitorObj", "AlertRuleID:37 MonitorId:37"},
    {"com.Velmora.Security.UserObj", "UserObj",
     "LoginName:64 AllName:64 Password:64 EncryptCode:64 RoleName:64 DepartmentID:37"},
    {"com.Velmora.Security.DepartmentObj", "DepartmentObj",
     "ID:37 AllName:64 ParentID:37 Description:64", true},
    {"com.Velmora.Security.RoleObj", "RoleObj", "Code:64 RoleName:64"},
    {"com.Velmora.Security.FunctionModuleObj", "FunctionModuleObj",
     "Code:64 AllName:64 ParentCode:64", true},
    {"com.Velmora.Security.SysLogObj", "SysLogObj",
     "ID:37 Type:64 Date:64 User:64 Title:64 Description:64"},
    {"Orb.TPInfoObj", "TPInfoObj", "ID:37 PID:37 MID:37 Image:128 X:37 Y:37 W:37 H:37 Type:*"},
    {"com.Velmora.sys.SysTypeObj", "SysTypeObj", "No:64 NodeName:64 ParentNo:64 Description:128",
     true, true},
    {"Orb.EntityObj", "EntityObj", "Id:64 Name:64 parentid:64 type:64 des:64 AuthenticMonitor:*"},
    {"Orb.CellObj", "CellObj",
     "Id:64 ShowText:64 Description:128 ControlName:64 ControlType:64:r DefaultVlaue:64 "
     "AllowNull:16 ControlHeight:64 ControlWidth:64 DataLength:64 IsReadOnly:16 "
     "IsDynamicListProperty:16 LibraryId:64"},
};

struct Field
{
    std::string name;
    unsigned width = 0; // 0: unlimited
    bool readOnly = false;
};

struct Expected
{
    std::vector<Field> fields;
    std::vector<std::string> embedded;
};

Expected parse(const ExpectedType &type)
{
    Expected expected;
    std::istringstream words(type.fields);
    for (std::string word; words >> word;) {
        if (word[0] == '+') {
            expected.embedded.push_back(word.substr(1));
            continue;
        }
        Field field;
        const auto colon = word.find(':');
        field.name = word.substr(0, colon);
        std::string rest = word.substr(colon + 1);
        field.readOnly = rest.ends_with(":r");
        if (field.readOnly)
            rest.resize(rest.size() - 2);
        field.width = rest == "*" ? 0 : unsigned(std::stoul(rest));
        expected.fields.push_back(field);
    }
    return expected;
}

// A value that fills the field: width-1 bytes, or 1500 for unlimited fields,
// different for every field so that a swap of two fields shows.
std::string fullValue(std::size_t index, unsigned width)
{
    const std::size_t length = width ? width - 1 : 1500;
    std::string value;
    for (std::size_t k = 0; k < length; ++k)
        value += char('a' + (index * 7 + k) % 26);
    return value;
}

std::unique_ptr<MtxRecord> makeRecord(const char *typeName)
{
    std::unique_ptr<MtxObj> object = createDomainObject(typeName);
    auto *record = dynamic_cast<MtxRecord *>(object.get());
    if (record)
        object.release();
    return std::unique_ptr<MtxRecord>(record);
}

// An embedded object at its construction values, as written inside a record.
std::string emptyEmbedded(const std::string &element)
{
    const std::string array = "<MtxArray xsi-type=\"Orb.MtxArray\"></MtxArray>";
    if (element == "MtxArray")
        return array;
    if (element == "StateConditionObj")
        return "<StateConditionObj xsi-type=\"Orb.StateConditionObj\"><Error></Error>"
               "<Warning></Warning><Normal></Normal>" +
               array + array + array + "</StateConditionObj>";
    ADD_FAILURE() << "no text known for embedded " << element;
    return {};
}

void fill(MtxRecord &record, const Expected &expected)
{
    for (std::size_t i = 0; i < expected.fields.size(); ++i)
        ASSERT_TRUE(record.set(int(i), fullValue(i, expected.fields[i].width)));
}

} // namespace

TEST(RecordLayout, EveryDomainTypeIsDescribedAndKnownByName)
{
    std::set<std::string> described;
    for (const ExpectedType &type : expectedTypes)
        described.insert(type.typeName);
    std::set<std::string> records;
    for (const TypeMaker &maker : domainTypes().types()) {
        if (dynamic_cast<MtxRecord *>(maker.make().get()))
            records.insert(maker.typeName);
    }
    EXPECT_EQ(records, described);
}

TEST(RecordLayout, FieldsNamesWidthsAndEmbeddedObjects)
{
    for (const ExpectedType &type : expectedTypes) {
        SCOPED_TRACE(type.typeName);
        const Expected expected = parse(type);
        auto record = makeRecord(type.typeName);
        ASSERT_TRUE(record);
        EXPECT_STREQ(record->getTypeName(), type.typeName);
        EXPECT_STREQ(record->getElementName(), type.elementName);
        ASSERT_EQ(record->fieldCount(), expected.fields.size());
        for (std::size_t i = 0; i < expected.fields.size(); ++i) {
            const Field &field = expected.fields[i];
            SCOPED_TRACE(field.name);
            EXPECT_EQ(record->indexOf(field.name), int(i));
            const std::string full = fullValue(i, field.width);
            EXPECT_TRUE(record->set(int(i), full));
            if (field.width) {
                EXPECT_FALSE(record->set(int(i), full + "x")) << "one byte over the width";
                EXPECT_EQ(record->get(int(i)), full) << "a refused value changes nothing";
                record->setTruncated(int(i), full + "xyz");
                EXPECT_EQ(record->get(int(i)), full);
            }
        }
        ASSERT_EQ(record->embeddedCount(), expected.embedded.size());
        for (std::size_t i = 0; i < expected.embedded.size(); ++i)
            EXPECT_EQ(record->embedded(i).getElementName(), expected.embedded[i]);
    }
}

TEST(RecordLayout, WritesEveryFieldInOrderAndReadsItBack)
{
    for (const ExpectedType &type : expectedTypes) {
        SCOPED_TRACE(type.typeName);
        const Expected expected = parse(type);
        auto record = makeRecord(type.typeName);
        ASSERT_TRUE(record);
        fill(*record, expected);

        std::string text = std::string("<value xsi-type=\"") + type.typeName + "\">";
        for (std::size_t i = 0; i < expected.fields.size(); ++i) {
            const Field &field = expected.fields[i];
            if (!field.readOnly)
                text += "<" + field.name + ">" + fullValue(i, field.width) + "</" + field.name + ">";
        }
        for (const std::string &element : expected.embedded)
            text += emptyEmbedded(element);
        text += "</value>";
        EXPECT_EQ(write(*record), text);

        auto copy = makeRecord(type.typeName);
        read(*copy, text);
        for (std::size_t i = 0; i < expected.fields.size(); ++i) {
            const Field &field = expected.fields[i];
            EXPECT_EQ(copy->get(int(i)), field.readOnly ? "" : fullValue(i, field.width))
                << field.name;
        }
        EXPECT_EQ(write(*copy), text);
    }
}

TEST(RecordLayout, FullCloneCopiesEverythingBaseCloneOnlyTheBase)
{
    for (const ExpectedType &type : expectedTypes) {
        SCOPED_TRACE(type.typeName);
        const Expected expected = parse(type);
        auto record = makeRecord(type.typeName);
        fill(*record, expected);
        record->setName("named");
        record->setFactory(&domainFactory());

        std::unique_ptr<MtxObj> clone = record->clone();
        ASSERT_TRUE(clone);
        EXPECT_STREQ(clone->getName(), "named");
        EXPECT_EQ(clone->getFactory(), &domainFactory());
        if (type.baseClone) {
            EXPECT_EQ(typeid(*clone), typeid(MtxObj)) << "keeps the base clone";
            continue;
        }
        ASSERT_EQ(typeid(*clone), typeid(*record));
        const auto &copy = static_cast<const MtxRecord &>(*clone);
        EXPECT_TRUE(copy == *record);
        EXPECT_EQ(write(copy), write(*record));
    }
}

TEST(RecordLayout, ReadsFromTheSingleElementInsideAResponse)
{
    for (const ExpectedType &type : expectedTypes) {
        SCOPED_TRACE(type.typeName);
        const Expected expected = parse(type);
        auto record = makeRecord(type.typeName);
        fill(*record, expected);
        const std::string reply = "<response>" + write(*record, record->getElementName()) +
                                  "</response>";

        auto received = makeRecord(type.typeName);
        Parsed parsed(reply);
        EXPECT_TRUE(received->fromReply(parsed.root()));
        const std::string firstField = fullValue(0, expected.fields[0].width);
        EXPECT_EQ(received->get(0), type.readsNoReply ? "" : firstField);
    }
}
