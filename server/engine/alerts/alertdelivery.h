#pragma once

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "server/engine/alertrule.h"

class EngineStats;
class Storage;

// One alert to send: the rule that fired and the result that made it fire.
struct AlertJob
{
    std::shared_ptr<const AlertRule> rule;
    std::string monitorId;
    std::string monitorText; // code page
    int state = 0;
    std::string remark;      // code page
    std::time_t time = 0;
};

struct DeliveryOptions
{
    std::string smtpHost; // empty: mail goes to the spool folder
    int smtpPort = 25;
    std::string mailFrom = "keelmon@localhost";
    std::string spoolDir;  // mail when no SMTP server is configured
    std::string outboxDir; // short messages
    std::string scriptDir; // empty: scripts are refused
    std::chrono::milliseconds smtpTimeout{10000};
    std::chrono::milliseconds scriptLimit{10000};
    std::size_t queueCapacity = 10000;
};

// Sends alerts on its own thread, after the results that caused them were
// committed, and writes one alert log entry per send with its real outcome.
class AlertDelivery
{
public:
    struct Outcome
    {
        bool sent = false;
        std::string recipient; // code page
        std::string reason;    // code page
    };

    AlertDelivery(Storage &storage, EngineStats &stats, DeliveryOptions options);
    ~AlertDelivery();

    void start();
    // Sends what is queued, then ends the thread.
    void stop();
    // False (and counted as failed) when the queue is full.
    bool post(AlertJob job);
    // Waits until the queue is empty and nothing is being sent, at most timeout.
    bool waitIdle(std::chrono::milliseconds timeout);

    // Sends one alert and logs it; used by the thread.
    Outcome deliver(const AlertJob &job);
    // The alert text: rule, monitor, state, result, time (code page).
    static std::string content(const AlertJob &job);

private:
    void work();
    Outcome send(const AlertJob &job, const std::string &text);
    Outcome writeFile(const std::string &folder, const std::string &recipient, const std::string &header,
                      const AlertJob &job, const std::string &text);
    void log(const AlertJob &job, const Outcome &outcome, const std::string &text);

    Storage &m_storage;
    EngineStats &m_stats;
    DeliveryOptions m_options;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<AlertJob> m_queue;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};
