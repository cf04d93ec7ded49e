#pragma once

#include <chrono>
#include <mutex>
#include <vector>

#include "orb/wire/keelexport.h"

// The limits of one remote call as the thread making it sees them: a
// deadline for the whole call (discovery included) and a cancel switch that
// another thread may throw. Every socket the call opens or takes is attached,
// so that cancel() shuts them down and the blocking step in progress returns
// at once; every later step sees no time left.
class KEEL_EXPORT CallControl
{
public:
    using Clock = std::chrono::steady_clock;
    // The status message of a call that was cancelled.
    static constexpr const char *CancelledMessage = "Call cancelled";

    CallControl();
    ~CallControl();
    CallControl(const CallControl &) = delete;
    CallControl &operator=(const CallControl &) = delete;

    // The control of the call the current thread makes, or null.
    static CallControl *current();

    // Makes a control current for the life of the scope; the previous one
    // comes back afterwards.
    class KEEL_EXPORT Scope
    {
    public:
        explicit Scope(CallControl &control);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        CallControl *m_previous;
    };

    // Brings the deadline forward to now + limit (never pushes it back).
    void limitTo(std::chrono::milliseconds limit);
    // The wait a blocking step may take: wait, or less when the deadline is
    // nearer; zero once the deadline passed or the call was cancelled.
    std::chrono::milliseconds allow(std::chrono::milliseconds wait) const;
    bool expired() const;

    // Safe from any thread.
    void cancel();
    bool cancelled() const;

    // A socket handle of this call: shut down by cancel() until detached.
    // Detach before the handle is closed, so that a reused number is never
    // touched.
    void attach(int handle);
    void detach(int handle);

private:
    mutable std::mutex m_mutex;
    Clock::time_point m_deadline = Clock::time_point::max();
    bool m_cancelled = false;
    std::vector<int> m_handles;
};
