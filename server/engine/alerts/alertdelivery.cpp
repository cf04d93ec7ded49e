#include "server/engine/alerts/alertdelivery.h"

#include <sys/stat.h>

#include <atomic>
#include <fstream>

#include "orb/wire/codepage.h"
#include "server/core/handlers/inventory.h"
#include "server/core/schema.h"
#include "server/core/serverlog.h"
#include "server/core/serverstate.h"
#include "server/core/timetext.h"
#include "server/engine/alerts/scriptrunner.h"
#include "server/engine/alerts/smtpsender.h"
#include "server/engine/enginestats.h"
#include "server/storage/storage.h"
#include "services/types/alertlogobj.h"

namespace {

std::string local(const char *utf8)
{
    return orb::fromUtf8(utf8);
}

std::string stateName(int state)
{
    return local(state == inventory::Normal ? "正常" : (state == inventory::Warning ? "危险" : "错误"));
}

std::string param(const AlertRule &rule, const char *name)
{
    auto found = rule.params.find(name);
    return found == rule.params.end() ? std::string() : found->second;
}

} // namespace

AlertDelivery::AlertDelivery(Storage &storage, EngineStats &stats, DeliveryOptions options)
    : m_storage(storage), m_stats(stats), m_options(std::move(options))
{
}

AlertDelivery::~AlertDelivery()
{
    stop();
}

void AlertDelivery::start()
{
    m_stopping = false;
    m_thread = std::thread([this] { work(); });
}

void AlertDelivery::stop()
{
    {
        std::lock_guard hold(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool AlertDelivery::post(AlertJob job)
{
    {
        std::lock_guard hold(m_lock);
        if (m_queue.size() < m_options.queueCapacity && !m_stopping) {
            m_queue.push_back(std::move(job));
            m_wake.notify_one();
            return true;
        }
    }
    ++m_stats.alertsFailed;
    serverlog::warning("alert queue full: an alert of rule " + job.rule->id + " was dropped");
    return false;
}

bool AlertDelivery::waitIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock hold(m_lock);
    return m_idle.wait_for(hold, timeout, [this] { return m_queue.empty() && !m_busy; });
}

void AlertDelivery::work()
{
    std::unique_lock hold(m_lock);
    for (;;) {
        m_wake.wait(hold, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return; // stopping with nothing left
        AlertJob job = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        hold.unlock();
        try {
            deliver(job);
        } catch (const std::exception &failure) {
            serverlog::error(std::string("alert delivery failed: ") + failure.what());
        }
        hold.lock();
        m_busy = false;
        m_idle.notify_all();
    }
}

std::string AlertDelivery::content(const AlertJob &job)
{
    return "[" + job.rule->name + "] " + job.monitorText + " " + stateName(job.state) + ": " + job.remark + " ("
           + timetext::format(job.time) + ")";
}

AlertDelivery::Outcome AlertDelivery::deliver(const AlertJob &job)
{
    std::string text = content(job);
    Outcome outcome = send(job, text);
    ++(outcome.sent ? m_stats.alertsSent : m_stats.alertsFailed);
    log(job, outcome, text);
    return outcome;
}

AlertDelivery::Outcome AlertDelivery::send(const AlertJob &job, const std::string &text)
{
    const AlertRule &rule = *job.rule;
    if (rule.ruleType == "0") {
        std::string address = param(rule, "MailAddress");
        std::string subject = param(rule, "MailSubject");
        if (subject.empty())
            subject = rule.name;
        if (m_options.smtpHost.empty())
            return writeFile(m_options.spoolDir, address,
                             "To: " + orb::toUtf8(address) + "\nSubject: " + orb::toUtf8(subject) + "\n\n", job, text);
        std::string reason;
        bool sent = smtpsender::send(m_options.smtpHost, m_options.smtpPort,
                                     {m_options.mailFrom, orb::toUtf8(address), orb::toUtf8(subject), orb::toUtf8(text)},
                                     m_options.smtpTimeout, reason);
        return {sent, address, orb::fromUtf8(reason)};
    }
    if (rule.ruleType == "1") {
        // The client plays the sound; the server only records that it is due.
        std::string sound = param(rule, "SoundFile");
        serverlog::info("sound alert " + orb::toUtf8(sound) + ": " + orb::toUtf8(text));
        return {true, sound, {}};
    }
    if (rule.ruleType == "2") {
        std::string script = param(rule, "ScriptPath");
        std::string reason;
        bool ran = scriptrunner::run(m_options.scriptDir, script,
                                     {job.monitorId, std::to_string(job.state), orb::toUtf8(text)},
                                     m_options.scriptLimit, reason);
        return {ran, script, orb::fromUtf8(reason)};
    }
    if (rule.ruleType == "3") {
        std::string number = param(rule, "MobileNumber");
        return writeFile(m_options.outboxDir, number, "To: " + orb::toUtf8(number) + "\n\n", job, text);
    }
    return {false, {}, local("未知的报警类型 ") + rule.ruleType};
}

AlertDelivery::Outcome AlertDelivery::writeFile(const std::string &folder, const std::string &recipient,
                                                const std::string &header, const AlertJob &job,
                                                const std::string &text)
{
    if (folder.empty())
        return {false, recipient, "no folder configured for this alert type"};
    if (recipient.empty())
        return {false, recipient, "the rule names no recipient"};
    ::mkdir(folder.c_str(), 0755);
    static std::atomic<unsigned> sequence{0};
    std::string path = folder + "/" + std::to_string(job.time) + "-" + std::to_string(::getpid()) + "-"
                       + std::to_string(++sequence) + ".txt";
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << header << orb::toUtf8(text) << "\n";
    file.close();
    if (!file)
        return {false, recipient, "cannot write " + path};
    return {true, recipient, {}};
}

void AlertDelivery::log(const AlertJob &job, const Outcome &outcome, const std::string &text)
{
    AlertLogObj entry;
    entry.set(AlertLogObj::AlertLogID, ServerState::newId());
    entry.set(AlertLogObj::AlertRuleID, job.rule->id);
    entry.setTruncated(AlertLogObj::ManagerName, outcome.recipient);
    entry.set(AlertLogObj::AlertDateTime, timetext::format(job.time));
    entry.setTruncated(AlertLogObj::IfSended, local(outcome.sent ? "是" : "否"));
    entry.setTruncated(AlertLogObj::RuleName, job.rule->name);
    entry.setTruncated(AlertLogObj::Objective, job.monitorText);
    entry.setTruncated(AlertLogObj::RuleType, job.rule->ruleType);
    entry.setTruncated(AlertLogObj::IfSucceed, local(outcome.sent ? "成功" : "失败"));
    entry.setTruncated(AlertLogObj::Remark, outcome.reason);
    entry.set(AlertLogObj::MonitorId, job.monitorId);
    entry.setTruncated(AlertLogObj::Content, text);
    try {
        auto transaction = m_storage.begin(true);
        m_storage.insert(schema::alertLogs, entry);
        transaction->commit();
    } catch (const std::exception &failure) {
        serverlog::error(std::string("cannot write the alert log: ") + failure.what());
    }
    if (!outcome.sent)
        serverlog::warning("alert of rule " + job.rule->id + " not sent: " + orb::toUtf8(outcome.reason));
}
