#include "orb/net/callcontrol.h"

#include <algorithm>

#include <sys/socket.h>

namespace {

thread_local CallControl *t_current = nullptr;

} // namespace

CallControl::CallControl() = default;
CallControl::~CallControl() = default;

CallControl *CallControl::current()
{
    return t_current;
}

CallControl::Scope::Scope(CallControl &control) : m_previous(t_current)
{
    t_current = &control;
}

CallControl::Scope::~Scope()
{
    t_current = m_previous;
}

void CallControl::limitTo(std::chrono::milliseconds limit)
{
    const Clock::time_point deadline = Clock::now() + limit;
    std::lock_guard lock(m_mutex);
    m_deadline = std::min(m_deadline, deadline);
}

std::chrono::milliseconds CallControl::allow(std::chrono::milliseconds wait) const
{
    std::lock_guard lock(m_mutex);
    if (m_cancelled)
        return std::chrono::milliseconds::zero();
    if (m_deadline == Clock::time_point::max())
        return wait;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now());
    return std::max(std::chrono::milliseconds::zero(), std::min(wait, left));
}

bool CallControl::expired() const
{
    std::lock_guard lock(m_mutex);
    return m_deadline != Clock::time_point::max() && Clock::now() >= m_deadline;
}

void CallControl::cancel()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    // A shut-down socket wakes every wait on it: connect, poll and recv
    // return at once, a datagram socket's receive included.
    for (int handle : m_handles)
        ::shutdown(handle, SHUT_RDWR);
}

bool CallControl::cancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

void CallControl::attach(int handle)
{
    std::lock_guard lock(m_mutex);
    m_handles.push_back(handle);
    if (m_cancelled)
        ::shutdown(handle, SHUT_RDWR);
}

void CallControl::detach(int handle)
{
    std::lock_guard lock(m_mutex);
    m_handles.erase(std::remove(m_handles.begin(), m_handles.end(), handle), m_handles.end());
}
