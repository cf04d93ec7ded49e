#pragma once

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
    // 1 when stored, 0 when the queue is full.
    int put(void *page);

    int count() const;
    int capacity() const { return m_capacity; }
    int pageSize() const { return m_pageSize; }
    int largestRequest() const { return m_largestRequest; }
    int inUse() const { return m_inUse; }
    int peakInUse() const { return m_peakInUse; }

private:
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
};
