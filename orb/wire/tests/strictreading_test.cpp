#include "orb/wire/mtxstatus.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/strictreading.h"
#include "testrecords.h"
#include "wiretestutil.h"

using orb::TextFault;

namespace {

const std::string Zhong = "\xD6\xD0"; // 中 in GBK

// Parses GBK text in place and lets object read the root element, all under a
// strict reading whose faults are returned.
std::vector<TextFault> strictlyRead(std::string localXml, MtxObj &object)
{
    orb::StrictReading strict;
    pugi::xml_document document;
    std::string error;
    EXPECT_TRUE(orb::parseLocalDocumentInPlace(document, localXml, &error)) << error;
    object.fromXML(document.document_element());
    return strict.faults();
}

std::string itemXml(const std::string &paraName)
{
    return "<TestItemObj><itemId>1</itemId><paraName>" + paraName + "</paraName></TestItemObj>";
}

} // namespace

TEST(StrictReading, ReferencesToNulOrToCharactersTheCodePageLacksAreNotedWithTheirElement)
{
    struct Case
    {
        const char *reference;
        TextFault::Kind kind;
        char32_t character;
    } cases[] = {
        {"&#0;", TextFault::Kind::NulCharacter, 0},
        {"&#x0;", TextFault::Kind::NulCharacter, 0},
        {"&#000;", TextFault::Kind::NulCharacter, 0},
        {"&#x1F600;", TextFault::Kind::Unstorable, 0x1F600},  // beyond GBK
        {"&#128512;", TextFault::Kind::Unstorable, 0x1F600},
        {"&#xD800;", TextFault::Kind::Unstorable, 0xD800},    // a surrogate is no character
        {"&#x110000;", TextFault::Kind::Unstorable, 0x110000},
    };
    for (const Case &c : cases) {
        TestItem item;
        const auto faults = strictlyRead(itemXml(std::string("ab") + c.reference + "cd"), item);
        ASSERT_EQ(faults.size(), 1u) << c.reference;
        EXPECT_EQ(faults[0].kind, c.kind) << c.reference;
        EXPECT_EQ(faults[0].element, "paraName") << c.reference;
        EXPECT_EQ(faults[0].character, c.character) << c.reference;
        EXPECT_EQ(item.get(TestItem::ItemId), "1") << "the other fields read as always";
    }

    // At the very start or end of a text, in an attribute, and in text between
    // two elements (which belongs to their parent).
    TestItem item;
    auto faults = strictlyRead(itemXml("&#0;"), item);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].element, "paraName");
    faults = strictlyRead("<TestItemObj><paraName>x&#x1F600;</paraName><itemId>2</itemId></TestItemObj>", item);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].element, "paraName");
    faults = strictlyRead("<TestItemObj><itemId note=\"&#0;\">1</itemId></TestItemObj>", item);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].element, "itemId");
    faults = strictlyRead("<TestItemObj><itemId>1</itemId>&#x1F600;<paraName>p</paraName></TestItemObj>", item);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].element, "TestItemObj");

    // Two in one text, each noted; the copy-parsing reader notes them too.
    {
        orb::StrictReading strict;
        ParsedXml parsed("<v><w>a&#0;b&#x1F600;</w></v>");
        ASSERT_EQ(strict.faults().size(), 2u);
        EXPECT_EQ(strict.faults()[0].kind, TextFault::Kind::NulCharacter);
        EXPECT_EQ(strict.faults()[1].kind, TextFault::Kind::Unstorable);
        EXPECT_EQ(strict.faults()[1].element, "w");
    }
}

TEST(StrictReading, TextThatFitsIsReadUnchangedAndNothingIsNoted)
{
    TestItem item;
    const std::string full(63, 'x');
    EXPECT_TRUE(strictlyRead(itemXml(full), item).empty()) << "exactly the 63 bytes the field holds";
    EXPECT_EQ(item.get(TestItem::ParaName), full);

    const std::string endsOnDoubleByte = std::string(61, 'x') + Zhong;
    EXPECT_TRUE(strictlyRead(itemXml(endsOnDoubleByte), item).empty());
    EXPECT_EQ(item.get(TestItem::ParaName), endsOnDoubleByte);

    // References the code page has, and references to ASCII, are plain text.
    EXPECT_TRUE(strictlyRead(itemXml("&#x4E2D;&#20013;&#60;&amp;&#9;"), item).empty());
    EXPECT_EQ(item.get(TestItem::ParaName), Zhong + Zhong + "<&\t");
}

TEST(StrictReading, TextLongerThanItsFieldIsNotedWithTheFieldAndItsLimit)
{
    struct Case
    {
        std::string text;
        std::string stored; // what the field keeps, as without a strict reading
    } cases[] = {
        {std::string(64, 'x'), std::string(63, 'x')},
        {std::string(62, 'x') + Zhong, std::string(62, 'x')}, // the last character straddles the limit
        {std::string(300, 'y'), std::string(63, 'y')},
    };
    for (const auto &c : cases) {
        TestItem item;
        const auto faults = strictlyRead(itemXml(c.text), item);
        ASSERT_EQ(faults.size(), 1u) << c.text.size() << " bytes";
        EXPECT_EQ(faults[0].kind, TextFault::Kind::TooLong);
        EXPECT_EQ(faults[0].element, "paraName");
        EXPECT_EQ(faults[0].limit, 63u);
        EXPECT_EQ(item.get(TestItem::ParaName), c.stored);
    }

    // The framework types' fields alike.
    MtxString value;
    auto faults = strictlyRead("<value>" + std::string(1024, 'z') + "</value>", value);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].limit, 1023u);
    EXPECT_TRUE(strictlyRead("<value>" + std::string(1023, 'z') + "</value>", value).empty());
    MtxStatus status;
    faults = strictlyRead("<s><code>1</code><message>" + std::string(64, 'm') + "</message></s>", status);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].element, "message");
}

TEST(StrictReading, WithoutAScopeReadersCutAndDropAsBefore)
{
    TestItem item;
    std::string text = itemXml("ab&#x1F600;c&#0;d" + std::string(100, 'x'));
    pugi::xml_document document;
    ASSERT_TRUE(orb::parseLocalDocumentInPlace(document, text));
    item.fromXML(document.document_element());
    EXPECT_EQ(item.get(TestItem::ParaName), "abc") << "dropped, then cut at the NUL";

    // A scope that ended notes nothing more; an inner one ends back in the outer.
    orb::StrictReading outer;
    {
        orb::StrictReading inner;
        EXPECT_EQ(orb::StrictReading::current(), &inner);
    }
    EXPECT_EQ(orb::StrictReading::current(), &outer);
}

TEST(StrictReading, MessagesNameTheFieldAndTheReasonWithinWhatTheClientShows)
{
    EXPECT_EQ((TextFault{TextFault::Kind::TooLong, "Text", 127}).messageUtf8(), "字段 Text 超过 127 字节");
    EXPECT_EQ((TextFault{TextFault::Kind::NulCharacter, "Text"}).messageUtf8(), "字段 Text 含有空字符 (NUL)，无法保存");
    EXPECT_EQ((TextFault{TextFault::Kind::Unstorable, "Text", 0, 0x1F600}).messageUtf8(),
              "字段 Text 含有无法保存的字符 U+1F600");
    const std::string longest =
        orb::fromUtf8((TextFault{TextFault::Kind::Unstorable, std::string(200, 'n'), 0, 0x10FFFF}).messageUtf8());
    EXPECT_LE(longest.size(), 63u) << "a long element name is cut";
}
