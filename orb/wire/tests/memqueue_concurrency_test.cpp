#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "testsupport/tempfolder.h"
#include "orb/wire/memqueue.h"
#include "orb/wire/mtxstring.h"

// Several threads take and give back pages and pooled copies at once; the
// ring must end exactly as it started.
TEST(MemQueueConcurrency, GetAndPutFromSeveralThreads)
{
    TempFolder folder;
    MemLog log(folder.file("MemErro.log"));
    constexpr int threads = 4;
    constexpr int rounds = 3000;
    MemQueue queue("shared", threads * 2, 2048, log);
    MtxString text("pooled text");
    text.setPool(&queue);

    std::vector<std::thread> workers;
    std::vector<int> failures(threads, 0);
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < rounds; ++i) {
                auto *page = static_cast<unsigned char *>(queue.get(64));
                if (!page || page[0] != 0) {
                    ++failures[t];
                    continue;
                }
                page[0] = static_cast<unsigned char>(t + 1);
                std::unique_ptr<MtxObj> copy = text.clone();
                if (std::string(static_cast<MtxString &>(*copy).getValue()) != "pooled text")
                    ++failures[t];
                copy.reset();
                if (queue.put(page) != 1)
                    ++failures[t];
            }
        });
    }
    for (std::thread &worker : workers)
        worker.join();
    for (int t = 0; t < threads; ++t)
        EXPECT_EQ(failures[t], 0) << "thread " << t;
    EXPECT_EQ(queue.count(), threads * 2);
    EXPECT_EQ(queue.inUse(), 0);
    EXPECT_LE(queue.peakInUse(), threads * 2);
    EXPECT_GE(queue.peakInUse(), 2);
}
