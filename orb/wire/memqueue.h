#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "orb/wire/keelexport.h"
#include "orb/wire/memlog.h"

// A fixed-capacity ring of equal pages that wire objects can take their
// storage from instead of the heap. Misuse is written to the memory log.
class KEEL_EXPORT MemQueue
{
public:
    // Allocates capacity pages of pageSize bytes and stores them all.
    MemQueue(std::string name, int capacity, int pageSize, MemLog &log = MemLog::instance(),
             std::string consoleName = {});
    ~MemQueue();
    MemQueue(const MemQueue &) = delete;
    MemQueue &operator=(const MemQueue &) = delete;

    // A zeroed page of more than size bytes, or null.
    void *get(int size);
    // 1 when stored; 0 when the queue is full or page is not one of this
    // queue's pages that is handed out.
    int put(void *page);

    int count() const;
    int capacity() const { return m_capacity; }
    int pageSize() const { return m_pageSize; }
    int largestRequest() const;
    int inUse() const;
    int peakInUse() const;

private:
    // Index of page among this queue's pages, or -1.
    int pageIndex(const void *page) const;
    void log(const char *format) const;

    std::string m_name;
    MemLog &m_log;
    mutable std::mutex m_lock;
    std::vector<void *> m_slots;
    int m_capacity;
    int m_head = 0;
    int m_tail = 0;
    int m_count = 0;
    std::string m_consoleName;
    int m_pageSize;
    int m_largestRequest = 0;
    int m_inUse = 0;
    int m_peakInUse = 0;
    // All pages in one block, each page at a stride that keeps it aligned
    // for any object; m_stored tells which pages are in the ring.
    std::size_t m_stride = 0;
    unsigned char *m_storage = nullptr;
    std::vector<bool> m_stored;
};
