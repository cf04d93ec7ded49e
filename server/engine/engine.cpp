#include "server/engine/engine.h"

#include <malloc.h>

#include <functional>

#include "orb/wire/codepage.h"
#include "server/core/handlers/inventory.h"
#include "server/core/net/workerpool.h"
#include "server/core/schema.h"
#include "server/core/serverlog.h"
#include "server/core/serverstate.h"
#include "server/engine/monitorkinds.h"
#include "server/storage/storage.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"

using Clock = std::chrono::steady_clock;

Engine::Engine(ServerState &server, EngineOptions options)
    : m_server(server),
      m_options(std::move(options)),
      m_scope(m_options.scope),
      m_delivery(server.storage(), m_stats, m_options.delivery),
      m_recorder(server.storage(), m_delivery, m_stats)
{
}

Engine::~Engine()
{
    stop();
}

void Engine::start()
{
    m_stopping = false;
    reload();
    m_delivery.start();
    m_pool = std::make_unique<WorkerPool>(m_options.checkThreads, m_options.checkQueue);
    if (m_options.schedule)
        m_scheduler = std::thread([this] { schedulerLoop(); });
    m_housekeeper = std::thread([this] { housekeepingLoop(); });
}

void Engine::stop()
{
    {
        std::lock_guard hold(m_scheduleLock);
        if (m_stopping || !m_pool)
            return;
        m_stopping = true;
    }
    m_scheduleWake.notify_all();
    if (m_scheduler.joinable())
        m_scheduler.join();
    if (m_housekeeper.joinable())
        m_housekeeper.join();
    m_pool->stop();
    m_recorder.flush();
    m_delivery.stop();
    m_pool.reset();
}

std::shared_ptr<const InventorySnapshot> Engine::snapshot() const
{
    std::lock_guard hold(m_snapshotLock);
    return m_snapshot;
}

void Engine::reload()
{
    std::lock_guard hold(m_reloadLock);
    std::uint64_t changes = m_server.inventoryChanges();
    auto fresh = InventorySnapshot::load(m_server.storage(), m_options.defaultPeriod);
    // Results checked against the old inventory are written first, so the
    // states read from storage are the latest.
    m_recorder.flush();
    m_recorder.reset(*fresh); // takes the tree; the snapshot keeps the monitors and rules
    bool first;
    {
        std::lock_guard snapshotHold(m_snapshotLock);
        first = !m_snapshot;
        m_snapshot = fresh;
    }
    m_loadedChanges = changes;
    m_stats.monitors = fresh->monitors.size();
    if (m_options.schedule)
        scheduleNew(*fresh, first);
    ::malloc_trim(0); // reading the inventory left much freed memory behind
}

void Engine::reloadIfChanged()
{
    if (m_server.inventoryChanges() != m_loadedChanges)
        reload();
}

void Engine::scheduleNew(const InventorySnapshot &snapshot, bool first)
{
    // Monitors are spread over their period so that the load is even; new
    // ones added later start within a second.
    auto now = Clock::now();
    std::hash<std::string> hash;
    {
        std::lock_guard hold(m_scheduleLock);
        std::size_t count = snapshot.monitors.size();
        for (const auto &[id, monitor] : snapshot.monitors) {
            if (!m_scheduled.insert(id).second)
                continue;
            auto spread = first ? (count >= 1000 ? std::chrono::duration_cast<std::chrono::milliseconds>(monitor->period)
                                                 : std::chrono::milliseconds(10 * count + 1))
                                : std::chrono::milliseconds(1000);
            spread = std::min(spread, std::chrono::duration_cast<std::chrono::milliseconds>(monitor->period));
            m_due.push({now + std::chrono::milliseconds(hash(id) % std::size_t(spread.count() + 1)), id});
        }
    }
    m_scheduleWake.notify_all();
}

void Engine::schedulerLoop()
{
    std::unique_lock hold(m_scheduleLock);
    while (!m_stopping) {
        if (m_due.empty()) {
            m_scheduleWake.wait_for(hold, std::chrono::seconds(1));
            continue;
        }
        auto at = m_due.top().at;
        if (at > Clock::now()) {
            m_scheduleWake.wait_until(hold, std::min(at, Clock::now() + std::chrono::seconds(1)));
            continue;
        }
        Due due = m_due.top();
        m_due.pop();
        auto current = snapshot();
        auto found = current->monitors.find(due.id);
        if (found == current->monitors.end()) {
            m_scheduled.erase(due.id); // deleted since
            continue;
        }
        auto monitor = found->second;
        auto next = due.at + monitor->period;
        auto now = Clock::now();
        if (next <= now)
            next = now + monitor->period; // fell a whole period behind: skip, do not pile up
        m_due.push({next, due.id});
        if (!current->allowsMonitoring(*monitor, std::time(nullptr)))
            continue;
        hold.unlock();
        // A full queue holds the scheduler back; the lateness shows it.
        while (!m_pool->tryPost([this, monitor, at = due.at] { runScheduled(monitor, at); })) {
            if (m_stopping)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        hold.lock();
    }
}

void Engine::housekeepingLoop()
{
    auto nextReload = Clock::now() + m_options.reloadEvery;
    auto nextFlush = Clock::now() + m_options.flushEvery;
    std::unique_lock hold(m_scheduleLock);
    while (!m_stopping) {
        m_scheduleWake.wait_for(hold, std::chrono::milliseconds(20));
        if (m_stopping)
            break;
        hold.unlock();
        auto now = Clock::now();
        try {
            if (now >= nextFlush || m_recorder.queued() >= m_options.batchRows) {
                m_recorder.flush();
                nextFlush = now + m_options.flushEvery;
            }
            if (now >= nextReload) {
                reloadIfChanged();
                nextReload = now + m_options.reloadEvery;
            }
        } catch (const std::exception &failure) {
            serverlog::error(std::string("monitoring engine: ") + failure.what());
        }
        hold.lock();
    }
}

void Engine::runScheduled(std::shared_ptr<const MonitorConfig> monitor, Clock::time_point due)
{
    m_stats.recordLateness(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - due));
    m_recorder.push(check(monitor));
}

CheckOutcome Engine::check(const std::shared_ptr<const MonitorConfig> &monitor)
{
    CheckInput input{monitor->params, &m_scope, m_options.checkTimeout};
    CheckResult result = monitor->kind ? monitor->kind->check(input)
                                       : CheckResult::failed("unknown monitor kind \"" + monitor->kindId + "\"");
    ++m_stats.checksRun;
    CheckOutcome outcome;
    outcome.monitor = monitor;
    outcome.time = std::time(nullptr);
    auto current = snapshot();
    outcome.alertAllowed = current ? current->allowsAlerting(*monitor, outcome.time) : monitor->alerting.allows(outcome.time);
    if (!result.ran) {
        ++m_stats.checksFailed;
        outcome.state = inventory::Error; // no values: no condition can hold
        outcome.remark = orb::fromUtf8("检测失败: " + result.error);
        return outcome;
    }
    NamedValues named;
    for (std::size_t i = 0; i < monitor->kind->returns.size() && i < result.values.size(); ++i) {
        named.emplace_back(monitor->kind->returns[i], result.values[i]);
        if (!outcome.remark.empty())
            outcome.remark += ' ';
        outcome.remark += std::string(monitor->kind->returns[i]) + "=" + result.values[i];
    }
    outcome.state = evaluateState(monitor->error, monitor->warning, monitor->normal, named);
    outcome.values = std::move(result.values);
    return outcome;
}

bool Engine::runNow(const std::string &monitorId, const std::string &deviceId, std::string &reason)
{
    // A monitor is often tested right after it was added: the tree its state
    // rolls up through must know it.
    reloadIfChanged();
    Storage &storage = m_server.storage();
    std::unique_ptr<MtxRecord> monitor;
    std::string address;
    {
        auto transaction = storage.begin(false);
        auto rows = storage.select(schema::monitors, Filter::where(MonitorObj::Id, monitorId));
        if (rows.empty()) {
            reason = "monitor " + monitorId + " does not exist";
            return false;
        }
        monitor = std::move(rows.front());
        const std::string &parent = monitor->get(MonitorObj::ParentId);
        if (!deviceId.empty() && parent != deviceId) {
            reason = "monitor " + monitorId + " does not belong to device " + deviceId;
            return false;
        }
        auto devices = storage.select(schema::elements, Filter::where(ElementObj::ID, parent));
        if (!devices.empty())
            address = devices.front()->get(ElementObj::Entity_IpAddress);
    }
    auto config = MonitorConfig::from(static_cast<const MonitorObj &>(*monitor), address, m_options.defaultPeriod);
    m_recorder.writeNow(check(config));
    return true;
}
