#include "server/engine/engine.h"

#include <malloc.h>

#include <algorithm>
#include <functional>
#include <utility>

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

namespace {

std::int64_t wallMs(std::chrono::system_clock::time_point time)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

std::int64_t millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

} // namespace

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
    m_leases = MonitorLeases::create(m_options.leases);
    m_recorder.setShared(m_leases->shared());
    reload();
    leaseRound();
    m_delivery.start();
    m_pool = std::make_unique<WorkerPool>(m_options.checkThreads, m_options.checkQueue);
    if (m_options.schedule)
        m_scheduler = std::thread([this] { schedulerLoop(); });
    m_housekeeper = std::thread([this] { housekeepingLoop(); });
    m_leaser = std::thread([this] { leaseLoop(); });
}

bool Engine::stopThreads()
{
    {
        std::lock_guard hold(m_scheduleLock);
        if (m_stopping || !m_pool)
            return false;
        m_stopping = true;
    }
    m_scheduleWake.notify_all();
    if (m_scheduler.joinable())
        m_scheduler.join();
    if (m_housekeeper.joinable())
        m_housekeeper.join();
    if (m_leaser.joinable())
        m_leaser.join();
    m_pool->stop();
    return true;
}

void Engine::stop()
{
    if (!stopThreads())
        return;
    m_recorder.flush();
    try {
        // Written results first, then the leases: the node taking over reads both.
        std::lock_guard hold(m_leaseLock);
        m_leases->leave(pendingRuns());
    } catch (const std::exception &failure) {
        serverlog::warning(std::string("cannot hand back the monitor leases (other nodes take them when they expire): ")
                           + failure.what());
    }
    m_delivery.stop();
    m_pool.reset();
}

void Engine::halt()
{
    if (!stopThreads())
        return;
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
    std::int64_t stamp = m_leases->shared() ? m_server.storedInventoryStamp() : 0;
    auto fresh = InventorySnapshot::load(m_server.storage(), m_options.defaultPeriod);
    // Results checked against the old inventory are written first, so the
    // states read from storage are the latest.
    m_recorder.flush();
    m_recorder.reset(*fresh); // takes the tree; the snapshot keeps the monitors and rules
    std::vector<std::string> ids;
    ids.reserve(fresh->monitors.size());
    for (const auto &monitor : fresh->monitors)
        ids.push_back(monitor.first);
    {
        std::lock_guard snapshotHold(m_snapshotLock);
        m_snapshot = fresh;
    }
    m_loadedChanges = changes;
    m_loadedStamp = stamp;
    m_stats.monitors = fresh->monitors.size();
    std::lock_guard leaseHold(m_leaseLock);
    m_leases->setMonitors(std::move(ids));
    ::malloc_trim(0); // reading the inventory left much freed memory behind
}

void Engine::reloadIfChanged()
{
    if (m_stopping)
        return;
    if (m_server.inventoryChanges() != m_loadedChanges
        || (m_leases && m_leases->shared() && m_server.storedInventoryStamp() != m_loadedStamp)) {
        reload();
        // New monitors start at once, deleted ones stop.
        {
            std::lock_guard hold(m_scheduleLock);
            m_roundWanted = true;
        }
        m_scheduleWake.notify_all();
    }
}

void Engine::leaseRound()
{
    std::lock_guard hold(m_leaseLock);
    MonitorLeases::Runs runs = pendingRuns();
    MonitorLeases::Round round = m_leases->round(runs);
    runsStored(runs);
    drop(round.lost);
    if (round.extra > 0)
        releaseExtra(round.extra);
    take(round.taken);
    m_server.setMonitorsHeld(monitorsHeld());
}

std::size_t Engine::monitorsHeld() const
{
    std::lock_guard hold(m_scheduleLock);
    return m_held.size();
}

bool Engine::held(const std::string &monitorId) const
{
    std::lock_guard hold(m_scheduleLock);
    return m_held.count(monitorId) > 0;
}

void Engine::take(const MonitorLeases::Runs &taken)
{
    if (taken.empty())
        return;
    if (m_leases->shared()) {
        // Another node may have run them since this one last did.
        std::vector<std::string> ids;
        for (const auto &run : taken)
            ids.push_back(run.first);
        m_recorder.adopt(ids);
    }
    // A monitor that ran elsewhere is due one period after that run. The
    // others are spread over their period so that the load is even; new
    // ones added later start within a second.
    const auto now = Clock::now();
    const std::int64_t wallNow = wallMs(std::chrono::system_clock::now());
    auto current = snapshot();
    std::hash<std::string> hash;
    {
        std::lock_guard hold(m_scheduleLock);
        const bool first = std::exchange(m_firstTake, false);
        for (const auto &[id, lastRun] : taken) {
            m_held.insert(id);
            if (!m_options.schedule)
                continue;
            auto found = current->monitors.find(id);
            auto period = std::chrono::duration_cast<std::chrono::milliseconds>(
                found == current->monitors.end() ? m_options.defaultPeriod : found->second->period);
            Clock::time_point at;
            if (lastRun > 0) {
                at = now + std::chrono::milliseconds(lastRun - wallNow) + period; // if past, it runs at once, late
            } else {
                auto spread = first ? (taken.size() >= 1000 ? period : std::chrono::milliseconds(10 * taken.size() + 1))
                                    : std::chrono::milliseconds(1000);
                spread = std::min(spread, period);
                at = now + std::chrono::milliseconds(hash(id) % std::size_t(spread.count() + 1));
            }
            m_scheduled[id] = ++m_generation;
            m_due.push({at, id, m_generation});
            m_nextDue[id] = at;
        }
    }
    m_scheduleWake.notify_all();
}

void Engine::drop(const std::vector<std::string> &lost)
{
    std::lock_guard hold(m_scheduleLock);
    for (const std::string &id : lost) {
        m_held.erase(id);
        m_scheduled.erase(id);
        m_nextDue.erase(id);
        m_lastRuns.erase(id);
    }
}

void Engine::releaseExtra(std::size_t count)
{
    // The monitors due last go, so that the node taking them claims them
    // before they are due. Those with a check under way stay until a later
    // round, so that every result of a released monitor is written before
    // another node takes it.
    std::vector<std::string> released;
    {
        std::lock_guard hold(m_scheduleLock);
        std::vector<std::pair<Clock::time_point, std::string>> candidates;
        for (const std::string &id : m_held)
            if (!m_inFlight.count(id))
                candidates.emplace_back(m_nextDue.count(id) ? m_nextDue[id] : Clock::time_point::max(), id);
        count = std::min(count, candidates.size());
        std::partial_sort(candidates.begin(), candidates.begin() + std::ptrdiff_t(count), candidates.end(),
                          std::greater<>());
        for (std::size_t i = 0; i < count; ++i)
            released.push_back(candidates[i].second);
        for (const std::string &id : released)
            m_held.erase(id); // no new check starts; the schedule stays in case the release fails
    }
    m_recorder.flush();
    try {
        m_leases->release(released, pendingRuns(&released));
    } catch (...) {
        std::lock_guard hold(m_scheduleLock);
        m_held.insert(released.begin(), released.end());
        throw;
    }
    drop(released);
}

MonitorLeases::Runs Engine::pendingRuns(const std::vector<std::string> *only)
{
    std::lock_guard hold(m_scheduleLock);
    MonitorLeases::Runs runs;
    if (!only) {
        runs.assign(m_lastRuns.begin(), m_lastRuns.end());
        return runs;
    }
    for (const std::string &id : *only) {
        auto found = m_lastRuns.find(id);
        runs.emplace_back(id, found == m_lastRuns.end() ? 0 : found->second);
    }
    return runs;
}

void Engine::runsStored(const MonitorLeases::Runs &runs)
{
    std::lock_guard hold(m_scheduleLock);
    for (const auto &[id, due] : runs)
        if (auto found = m_lastRuns.find(id); found != m_lastRuns.end() && found->second == due)
            m_lastRuns.erase(found);
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
        auto scheduled = m_scheduled.find(due.id);
        if (scheduled == m_scheduled.end() || scheduled->second != due.generation)
            continue; // dropped, or scheduled anew since
        auto current = snapshot();
        auto found = current->monitors.find(due.id);
        if (found == current->monitors.end()) {
            // Taken before this node read the inventory that has it: look again soon.
            m_due.push({Clock::now() + std::chrono::seconds(1), due.id, due.generation});
            continue;
        }
        auto monitor = found->second;
        auto next = due.at + monitor->period;
        auto now = Clock::now();
        if (next <= now)
            next = now + monitor->period; // fell a whole period behind: skip, do not pile up
        m_due.push({next, due.id, due.generation});
        m_nextDue[due.id] = next;
        if (!m_held.count(due.id) || !m_leases->valid())
            continue; // being handed over, or the leases lapsed: another node may run it now
        const std::int64_t dueMs = wallMs(std::chrono::system_clock::now()) + millisecondsBetween(now, due.at);
        m_lastRuns[due.id] = dueMs;
        if (!current->allowsMonitoring(*monitor, std::time(nullptr)))
            continue;
        ++m_inFlight[due.id];
        hold.unlock();
        if (m_options.runObserver)
            m_options.runObserver(due.id, dueMs);
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
                nextReload = now + m_options.reloadEvery;
                reloadIfChanged();
            }
        } catch (const std::exception &failure) {
            serverlog::error(std::string("monitoring engine: ") + failure.what());
        }
        hold.lock();
    }
}

void Engine::leaseLoop()
{
    // Apart from the housekeeping, so that a slow flush or reload never
    // delays a renewal until the leases lapse.
    auto next = Clock::now() + m_leases->renewEvery();
    std::unique_lock hold(m_scheduleLock);
    while (!m_stopping) {
        m_scheduleWake.wait_until(hold, std::min(next, Clock::now() + std::chrono::seconds(1)));
        if (m_stopping)
            break;
        if (!m_roundWanted && Clock::now() < next)
            continue;
        m_roundWanted = false;
        hold.unlock();
        auto now = Clock::now();
        try {
            leaseRound();
            next = now + m_leases->renewEvery();
        } catch (const std::exception &failure) {
            next = now + std::min<std::chrono::milliseconds>(m_leases->renewEvery(), std::chrono::seconds(1));
            serverlog::error(std::string("cannot renew the monitor leases (checks pause when they lapse): ")
                             + failure.what());
        }
        hold.lock();
    }
}

void Engine::runScheduled(std::shared_ptr<const MonitorConfig> monitor, Clock::time_point due)
{
    m_stats.recordLateness(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - due));
    m_recorder.push(check(monitor));
    std::lock_guard hold(m_scheduleLock);
    if (auto found = m_inFlight.find(monitor->id); found != m_inFlight.end() && --found->second <= 0)
        m_inFlight.erase(found);
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
    if (m_leases->shared() && !held(monitorId))
        m_recorder.adopt({monitorId}); // another node holds it: its stored state and counts are the current ones
    m_recorder.writeNow(check(config));
    return true;
}
