#include "orb/wire/memqueue.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

MemQueue::MemQueue(std::string name, int capacity, int pageSize, MemLog &log, std::string consoleName)
    : m_name(std::move(name)),
      m_log(log),
      m_capacity(capacity > 0 ? capacity : 0),
      m_consoleName(consoleName.empty() ? m_name : std::move(consoleName)),
      m_pageSize(pageSize > 0 ? pageSize : 0)
{
    constexpr std::size_t align = alignof(std::max_align_t);
    m_stride = (std::size_t(m_pageSize) + align - 1) / align * align;
    if (m_stride == 0)
        m_stride = align;
    if (m_capacity > 0)
        m_storage = static_cast<unsigned char *>(std::calloc(std::size_t(m_capacity), m_stride));
    if (!m_storage)
        m_capacity = 0; // no memory for the pages: every request is refused as "empty"
    m_slots.resize(std::size_t(m_capacity));
    m_stored.assign(std::size_t(m_capacity), true);
    for (int i = 0; i < m_capacity; ++i)
        m_slots[std::size_t(i)] = m_storage + std::size_t(i) * m_stride;
    m_count = m_capacity;
}

// Objects still living in pages must be gone before their queue.
MemQueue::~MemQueue()
{
    std::free(m_storage);
}

void *MemQueue::get(int size)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (size > m_largestRequest)
            m_largestRequest = size;
    }
    if (size >= m_pageSize) {
        log("%s pagesize is less ");
        return nullptr;
    }
    if (count() == 0) {
        log("%s MemQueue is empty ");
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_count == 0) {
        // Another thread took the last page since the check above.
        std::printf("\n%s:队列已空，无法继续删除\n", m_consoleName.c_str());
        return nullptr;
    }
    void *page = m_slots[std::size_t(m_head)];
    m_head = (m_head + 1) % m_capacity;
    --m_count;
    m_stored[std::size_t(pageIndex(page))] = false;
    if (++m_inUse > m_peakInUse)
        m_peakInUse = m_inUse;
    return page;
}

int MemQueue::put(void *page)
{
    if (!page)
        return 0;
    if (count() >= m_capacity) {
        log("%s MemQueue is Full ");
        return 0;
    }
    const int index = pageIndex(page);
    bool handedOut = false;
    if (index >= 0) {
        std::lock_guard<std::mutex> lock(m_lock);
        handedOut = !m_stored[std::size_t(index)];
    }
    // Zeroing anything but a page of ours that is out would corrupt memory.
    if (!handedOut) {
        log("%s put of a page that this queue did not hand out ");
        return 0;
    }
    std::memset(page, 0, std::size_t(m_pageSize));
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_count == m_capacity) {
        std::printf("\n%s:队列已满，无法再追加元素\n", m_consoleName.c_str());
        return 0;
    }
    if (m_stored[std::size_t(index)])
        return 0; // the same page given back twice at once
    m_slots[std::size_t(m_tail)] = page;
    m_tail = (m_tail + 1) % m_capacity;
    ++m_count;
    m_stored[std::size_t(index)] = true;
    --m_inUse;
    return 1;
}

int MemQueue::count() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_count;
}

int MemQueue::largestRequest() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_largestRequest;
}

int MemQueue::inUse() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_inUse;
}

int MemQueue::peakInUse() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_peakInUse;
}

int MemQueue::pageIndex(const void *page) const
{
    if (!m_storage)
        return -1;
    const auto *bytes = static_cast<const unsigned char *>(page);
    if (bytes < m_storage || bytes >= m_storage + std::size_t(m_capacity) * m_stride)
        return -1;
    const std::size_t offset = std::size_t(bytes - m_storage);
    return offset % m_stride == 0 ? int(offset / m_stride) : -1;
}

void MemQueue::log(const char *format) const
{
    std::vector<char> text(m_name.size() + std::strlen(format) + 1);
    std::snprintf(text.data(), text.size(), format, m_name.c_str());
    m_log.write(text.data());
}
