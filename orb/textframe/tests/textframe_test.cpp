#include <gtest/gtest.h>

#include "orb/textframe/replyreader.h"
#include "orb/textframe/textframe.h"

TEST(TextFrame, BuildsHeaderAndFieldsByteForByte)
{
    EXPECT_EQ(textframe::build("DR", {"GetReport", "id", "5", "2024-1-2 3:4:5", "2024-1-3 0:0:0", "4"}).value(),
              "DR0047GetReport$id$5$2024-1-2 3:4:5$2024-1-3 0:0:0$4$");
    EXPECT_EQ(textframe::build("DT", {}).value(), "DT0000");
    EXPECT_EQ(textframe::build("DL", {""}).value(), "DL0001$");
    // The length counts bytes, not characters: two GBK characters are four bytes.
    EXPECT_EQ(textframe::build("DL", {"\xb2\xe2\xca\xd4"}).value(), "DL0005\xb2\xe2\xca\xd4$");

    std::string body(56, 'x');
    std::string frame = textframe::build("DT", {body}).value();
    EXPECT_EQ(frame.substr(0, 6), "DT0057");
    EXPECT_EQ(frame.size(), 6u + 57u);
}

TEST(TextFrame, RefusesWhatTheFrameCannotCarry)
{
    std::string error;
    for (const char *bad : {"a$b", "line\r", "line\nnext"}) {
        EXPECT_FALSE(textframe::build("DT", {"ok", bad}, &error)) << bad;
        EXPECT_NE(error.find("field 2"), std::string::npos) << error;
    }
    EXPECT_FALSE(textframe::build("D", {"x"}, &error));
    EXPECT_FALSE(textframe::build("D1", {"x"}, &error));

    EXPECT_TRUE(textframe::build("DT", {std::string(9998, 'a')}));
    EXPECT_FALSE(textframe::build("DT", {std::string(9999, 'a')}, &error));
    EXPECT_NE(error.find("10000"), std::string::npos) << error;
    // A caller's smaller cap (the report program's 1018 bytes) holds too.
    EXPECT_TRUE(textframe::build("DR", {std::string(1017, 'a')}, nullptr, 1018));
    EXPECT_FALSE(textframe::build("DR", {std::string(1018, 'a')}, nullptr, 1018));
}

TEST(TextFrame, ParsesHeadersAsTheyArrive)
{
    textframe::Header header;
    EXPECT_EQ(textframe::parseHeader("", header), textframe::HeaderStatus::Incomplete);
    EXPECT_EQ(textframe::parseHeader("DT00", header), textframe::HeaderStatus::Incomplete);
    ASSERT_EQ(textframe::parseHeader("DT0057rest", header), textframe::HeaderStatus::Ok);
    EXPECT_EQ(header.kind, "DT");
    EXPECT_EQ(header.length, 57u);
    ASSERT_EQ(textframe::parseHeader("DL9999", header), textframe::HeaderStatus::Ok);
    EXPECT_EQ(header.length, 9999u);
    // A bad byte is reported as soon as it arrives, not after six bytes.
    for (const char *bad : {"1", "D-", "DT0x", "DT-057", "DT 057", "GET / HTTP/1.0"})
        EXPECT_EQ(textframe::parseHeader(bad, header), textframe::HeaderStatus::Bad) << bad;
}

TEST(TextFrame, SplitsFieldsAndKeepsTheTail)
{
    auto parts = textframe::split("a$b$$c$tail");
    ASSERT_EQ(parts.fields.size(), 4u);
    EXPECT_EQ(parts.fields[0], "a");
    EXPECT_EQ(parts.fields[1], "b");
    EXPECT_EQ(parts.fields[2], "");
    EXPECT_EQ(parts.fields[3], "c");
    EXPECT_EQ(parts.tail, "tail");

    EXPECT_TRUE(textframe::split("").fields.empty());
    EXPECT_EQ(textframe::split("x$").tail, "");
    EXPECT_EQ(textframe::split("no end").tail, "no end");

    // What build writes, split reads back.
    std::vector<std::string> fields = {"seid", "", "id", "5", "lib", "func"};
    std::string frame = textframe::build("DT", fields).value();
    auto back = textframe::split(std::string_view(frame).substr(textframe::HeaderSize));
    EXPECT_EQ(std::vector<std::string>(back.fields.begin(), back.fields.end()), fields);
}

TEST(ReplyReader, CollectsPiecesUntilTheEndMark)
{
    ReplyReader reader;
    EXPECT_EQ(reader.feed("<return>succ"), ReplyReader::State::Collecting);
    EXPECT_EQ(reader.feed("eed</e"), ReplyReader::State::Collecting);
    EXPECT_EQ(reader.feed("nd>"), ReplyReader::State::Complete);
    EXPECT_EQ(reader.reply(), "<return>succeed</end>");
    EXPECT_EQ(reader.feed("more"), ReplyReader::State::Complete);
    EXPECT_EQ(reader.reply(), "<return>succeed</end>");

    // "</end>" in the middle does not end the reply; only at the end.
    reader.reset();
    EXPECT_EQ(reader.feed("a</end>b"), ReplyReader::State::Collecting);
    EXPECT_EQ(reader.feed("</end>"), ReplyReader::State::Complete);
}

TEST(ReplyReader, StopsAtTheCap)
{
    ReplyReader reader(10);
    EXPECT_EQ(reader.feed("12345678"), ReplyReader::State::Collecting);
    EXPECT_EQ(reader.feed("90</end>"), ReplyReader::State::Overflow);
    EXPECT_EQ(reader.reply(), "1234567890");
    EXPECT_EQ(reader.feed("x"), ReplyReader::State::Overflow);

    ReplyReader exact(6);
    EXPECT_EQ(exact.feed("</end>"), ReplyReader::State::Complete);
}
