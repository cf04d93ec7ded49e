#include "orb/wire/mtxstring.h"
#include "orb/wire/strictreading.h"
#include "testrecords.h"
#include "wiretestutil.h"

using orb::TextFault;
using Kind = orb::TextFault::Kind;

namespace {

const std::string Zhong = "\xD6\xD0"; // 中 in GBK

// Parses GBK xml in place and lets object read its root under a strict
// reading; returns what was noted.
std::vector<TextFault> strictlyRead(std::string xml, MtxObj &object)
{
    orb::StrictReading strict;
    pugi::xml_document document;
    EXPECT_TRUE(orb::parseLocalDocumentInPlace(document, xml)) << xml;
    object.fromXML(document.document_element());
    return strict.faults();
}

std::string item(const std::string &paraName)
{
    return "<TestItemObj><itemId>1</itemId><paraName>" + paraName + "</paraName></TestItemObj>";
}

} // namespace

TEST(StrictReading, NotesReferencesToNulOrToCharactersTheCodePageLacksWithTheirElement)
{
    const struct
    {
        std::string xml;
        Kind kind;
        char32_t character;
        const char *element;
    } cases[] = {
        {item("a&#0;b"), Kind::NulCharacter, 0, "paraName"},
        {item("&#x0;"), Kind::NulCharacter, 0, "paraName"},
        {item("a&#x1F600;"), Kind::Unstorable, 0x1F600, "paraName"}, // beyond GBK, at the end of the text
        {item("&#xD800;b"), Kind::Unstorable, 0xD800, "paraName"},   // a surrogate is no character
        {item("a\xFF"), Kind::InvalidBytes, 0, "paraName"},           // sent as raw bytes that are no GBK
        {item("\x81 b"), Kind::InvalidBytes, 0, "paraName"},          // a lead byte without its trail byte
        {"<TestItemObj><itemId a=\"&#0;\">1</itemId></TestItemObj>", Kind::NulCharacter, 0, "itemId"},
        {"<TestItemObj><itemId>1</itemId>&#x1F600;<paraName/></TestItemObj>", Kind::Unstorable, 0x1F600, "TestItemObj"},
    };
    for (const auto &c : cases) {
        TestItem read;
        const auto faults = strictlyRead(c.xml, read);
        ASSERT_EQ(faults.size(), 1u) << c.xml;
        EXPECT_EQ(faults[0].kind, c.kind) << c.xml;
        EXPECT_EQ(faults[0].character, c.character) << c.xml;
        EXPECT_EQ(faults[0].element, c.element) << c.xml;
    }
    orb::StrictReading strict; // the copying parser places them too
    ParsedXml parsed("<v><w>a&#0;b</w></v>");
    ASSERT_EQ(strict.faults().size(), 1u);
    EXPECT_EQ(strict.faults()[0].element, "w");
}

TEST(StrictReading, NotesTextLongerThanItsFieldAndKeepsTextThatFits)
{
    const struct
    {
        std::string sent;
        std::string kept;
        bool fits;
    } cases[] = {
        {std::string(63, 'x'), std::string(63, 'x'), true},
        {std::string(61, 'x') + Zhong, std::string(61, 'x') + Zhong, true},
        {"&#x4E2D;&#60;", Zhong + "<", true},
        {std::string(64, 'x'), std::string(63, 'x'), false},
        {std::string(62, 'x') + Zhong, std::string(62, 'x'), false}, // the last character straddles the limit
    };
    for (const auto &c : cases) {
        TestItem read;
        const auto faults = strictlyRead(item(c.sent), read);
        EXPECT_EQ(read.get(TestItem::ParaName), c.kept);
        ASSERT_EQ(faults.size(), c.fits ? 0u : 1u) << c.sent;
        if (!c.fits)
            EXPECT_EQ(faults[0].limit, 63u);
    }
    MtxString value;
    EXPECT_EQ(strictlyRead("<value>" + std::string(1024, 'z') + "</value>", value).at(0).element, "value");
}

TEST(StrictReading, WithoutAScopeTextIsCutAndDroppedAsBefore)
{
    TestItem read;
    std::string xml = item("ab&#x1F600;c&#0;d");
    pugi::xml_document document;
    ASSERT_TRUE(orb::parseLocalDocumentInPlace(document, xml));
    read.fromXML(document.document_element());
    EXPECT_EQ(read.get(TestItem::ParaName), "abc");
}

TEST(StrictReading, AMessageWithALongElementNameFitsWhatTheClientShows)
{
    EXPECT_LE(orb::fromUtf8((TextFault{Kind::Unstorable, std::string(200, 'n'), 0, 0x10FFFF}).messageUtf8()).size(), 63u);
}
