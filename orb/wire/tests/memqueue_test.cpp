#include <algorithm>
#include <ctime>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "testsupport/tempfolder.h"
#include "orb/wire/memqueue.h"
#include "orb/wire/mtxstring.h"
#include "testrecords.h"

namespace {

struct QueueFixture : ::testing::Test
{
    TempFolder folder;
    MemLog log{folder.file("MemLog/MemErro.log")};
    std::string logText() const { return readFile(log.path()); }
};

bool allZero(const void *page, int size)
{
    const auto *bytes = static_cast<const unsigned char *>(page);
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

} // namespace

TEST(MemLog, LineFormatAndFolderCreation)
{
    TempFolder folder;
    MemLog log(folder.file("nested/MemLog/MemErro.log"));
    log.write("q1 MemQueue is Full ");
    log.write("second");
    const std::string text = readFile(log.path());
    const std::regex line(R"((\d{4})Y-(\d{1,2})M-(\d{1,2})D (\d{1,2})H-(\d{1,2})M-(\d{1,2})S q1 MemQueue is Full \n)"
                          R"(\d{4}Y-\d{1,2}M-\d{1,2}D \d{1,2}H-\d{1,2}M-\d{1,2}S second\n)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(text, match, line)) << text;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(std::stoi(match[1]), local.tm_year + 1900);
    EXPECT_EQ(std::stoi(match[2]), local.tm_mon + 1) << "months count from 1, without zero padding";
    EXPECT_EQ(match[2].str()[0] == '0', false);

    // A log that cannot be written is silently skipped.
    MemLog unwritable(folder.file("nested/MemLog/MemErro.log/x.log"));
    unwritable.write("lost");
}

TEST_F(QueueFixture, HandsOutEveryPageThenReportsEmpty)
{
    MemQueue queue("q1", 4, 256, log);
    EXPECT_EQ(queue.count(), 4);
    std::set<void *> pages;
    for (int i = 0; i < 4; ++i) {
        void *page = queue.get(100);
        ASSERT_NE(page, nullptr) << "page " << i;
        EXPECT_TRUE(allZero(page, 256));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(page) % alignof(std::max_align_t), 0u);
        pages.insert(page);
    }
    EXPECT_EQ(pages.size(), 4u);
    EXPECT_EQ(queue.get(100), nullptr);
    EXPECT_NE(logText().find("q1 MemQueue is empty \n"), std::string::npos) << logText();
    EXPECT_EQ(queue.inUse(), 4);
    EXPECT_EQ(queue.peakInUse(), 4);
    for (void *page : pages)
        EXPECT_EQ(queue.put(page), 1);
    EXPECT_EQ(queue.inUse(), 0);
    EXPECT_EQ(queue.peakInUse(), 4);
}

TEST_F(QueueFixture, PutIntoFullQueueIsRefused)
{
    MemQueue queue("q1", 4, 256, log);
    void *page = queue.get(10);
    EXPECT_EQ(queue.put(page), 1);
    EXPECT_EQ(queue.put(page), 0) << "a fifth page does not fit";
    EXPECT_EQ(queue.count(), 4);
    EXPECT_NE(logText().find("q1 MemQueue is Full \n"), std::string::npos) << logText();

    // Pages that are not out of this queue are refused before anything is zeroed.
    void *out = queue.get(10);
    char foreign[300] = {'x'};
    EXPECT_EQ(queue.put(foreign), 0);
    EXPECT_EQ(foreign[0], 'x');
    EXPECT_EQ(queue.put(static_cast<char *>(out) + 8), 0);
    EXPECT_EQ(queue.put(nullptr), 0);
    EXPECT_EQ(queue.put(out), 1);
    EXPECT_EQ(queue.count(), 4);
}

TEST_F(QueueFixture, PagesComeBackZeroedAndSizesAreChecked)
{
    MemQueue queue("q2", 2, 64, log);
    void *first = queue.get(8);
    std::memset(first, 0xAB, 64);
    ASSERT_EQ(queue.put(first), 1);
    void *second = queue.get(8);
    void *again = queue.get(8);
    EXPECT_EQ(again, first) << "pages go round the ring";
    EXPECT_TRUE(allZero(again, 64));
    queue.put(second);
    queue.put(again);

    EXPECT_EQ(queue.get(64), nullptr) << "a request of exactly the page size is refused";
    EXPECT_EQ(queue.largestRequest(), 64);
    EXPECT_NE(logText().find("q2 pagesize is less \n"), std::string::npos) << logText();
    EXPECT_EQ(queue.count(), 2);

    MemQueue none("q3", 0, 64, log);
    EXPECT_EQ(none.get(1), nullptr);
}

TEST_F(QueueFixture, ObjectsClonedIntoPagesGoBackWhenDeleted)
{
    MemQueue queue("pool", 4, 2048, log);
    MtxString text("pooled");
    text.setPool(&queue);
    std::unique_ptr<MtxObj> copy = text.clone();
    EXPECT_EQ(queue.count(), 3);
    EXPECT_EQ(queue.inUse(), 1);
    ASSERT_EQ(typeid(*copy), typeid(MtxString));
    EXPECT_STREQ(static_cast<MtxString &>(*copy).getValue(), "pooled");
    EXPECT_EQ(copy->getPool(), &queue);

    // The page goes back to the queue it came from even if the pool is changed.
    MemQueue other("other", 1, 2048, log);
    copy->setPool(&other);
    copy.reset();
    EXPECT_EQ(queue.count(), 4);
    EXPECT_EQ(queue.inUse(), 0);
    EXPECT_EQ(other.count(), 1);

    // A record with embedded arrays, and the items an array holds, use pages too.
    TestCondition condition;
    condition.setPool(&queue);
    condition.array(0).append(std::make_unique<MtxString>("x"));
    {
        std::unique_ptr<MtxObj> recordCopy = condition.clone();
        EXPECT_EQ(queue.count(), 3);
        MtxArray array;
        array.append(text.clone());
        array.append(text.clone());
        EXPECT_EQ(queue.count(), 1);
        array.clear();
        EXPECT_EQ(queue.count(), 3) << "a cleared array hands its pooled items back";
    }
    EXPECT_EQ(queue.count(), 4);

    // Without a fitting page the copy lives on the heap.
    MemQueue small("small", 2, 16, log);
    text.setPool(&small);
    std::unique_ptr<MtxObj> heapCopy = text.clone();
    EXPECT_STREQ(static_cast<MtxString &>(*heapCopy).getValue(), "pooled");
    EXPECT_EQ(small.count(), 2);
    heapCopy.reset();
    EXPECT_EQ(small.count(), 2);
    EXPECT_NE(logText().find("small pagesize is less "), std::string::npos);
}
