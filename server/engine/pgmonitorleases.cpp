#include "server/engine/pgmonitorleases.h"

#include <random>
#include <stdexcept>

#include "server/pg/pgconnection.h"

namespace {

using Clock = std::chrono::steady_clock;

// A PostgreSQL array literal of texts: every element quoted, quotes and
// backslashes escaped.
std::string textArray(const std::vector<std::string> &values)
{
    std::string text = "{";
    for (const std::string &value : values) {
        if (text.size() > 1)
            text += ',';
        text += '"';
        for (char c : value) {
            if (c == '"' || c == '\\')
                text += '\\';
            text += c;
        }
        text += '"';
    }
    return text + "}";
}

std::string integerArray(const MonitorLeases::Runs &runs)
{
    std::string text = "{";
    for (const auto &run : runs) {
        if (text.size() > 1)
            text += ',';
        text += std::to_string(run.second);
    }
    return text + "}";
}

std::vector<std::string> idsOf(const MonitorLeases::Runs &runs)
{
    std::vector<std::string> ids;
    ids.reserve(runs.size());
    for (const auto &run : runs)
        ids.push_back(run.first);
    return ids;
}

std::string randomToken()
{
    std::random_device device;
    return std::to_string(device()) + "-" + std::to_string(device());
}

// Takes (or keeps) the node's heartbeat row; none is returned when a live
// process of another token holds the name.
const char *const Heartbeat =
    "INSERT INTO node_heartbeats (node, token, expires) VALUES ($1, $2, now() + $3::bigint * interval '1 millisecond') "
    "ON CONFLICT (node) DO UPDATE SET token = EXCLUDED.token, expires = EXCLUDED.expires "
    "WHERE node_heartbeats.token = EXCLUDED.token OR node_heartbeats.expires < now() RETURNING 1";

} // namespace

PgMonitorLeases::PgMonitorLeases(const Options &options)
    : m_options(options), m_leaseMs(std::to_string(options.leaseTime.count())), m_token(randomToken()),
      m_connection(std::make_unique<PgConnection>(options.database))
{
    createTables();
    transaction([&] {
        if (m_connection->exec(Heartbeat, {m_options.node, m_token, m_leaseMs}).rows() == 0)
            throw std::runtime_error("the node name \"" + m_options.node
                                     + "\" is in use by another running server on this database: give each node "
                                       "its own --node (or wait "
                                     + std::to_string(m_options.leaseTime.count() / 1000)
                                     + " s if that server has just stopped)");
    });
}

PgMonitorLeases::~PgMonitorLeases() = default;

template <class Body>
void PgMonitorLeases::transaction(Body body)
{
    if (!m_connection->usable())
        m_connection->reset();
    m_connection->exec("BEGIN");
    try {
        body();
        m_connection->exec("COMMIT");
    } catch (...) {
        try {
            if (m_connection->usable())
                m_connection->exec("ROLLBACK");
        } catch (const PgError &) {
            // the connection is reset on the next transaction
        }
        throw;
    }
}

void PgMonitorLeases::createTables()
{
    // Nodes starting at once would race on CREATE TABLE: one creates, the
    // others wait on the lock and find the tables there.
    transaction([&] {
        m_connection->exec("SELECT pg_advisory_xact_lock(7366211019)");
        m_connection->exec("CREATE TABLE IF NOT EXISTS node_heartbeats (node text PRIMARY KEY, token text NOT NULL, "
                           "expires timestamptz NOT NULL)");
        m_connection->exec("CREATE TABLE IF NOT EXISTS monitor_leases (monitor_id text PRIMARY KEY, node text, "
                           "expires timestamptz, last_run bigint NOT NULL DEFAULT 0)");
        m_connection->exec("CREATE INDEX IF NOT EXISTS monitor_leases_node ON monitor_leases (node)");
    });
}

void PgMonitorLeases::setMonitors(std::vector<std::string> ids)
{
    m_monitors = std::move(ids);
    m_monitorsSynced = false;
}

void PgMonitorLeases::syncMonitors()
{
    // A row per monitor; rows of deleted monitors go once no other live node holds them.
    const std::string ids = textArray(m_monitors);
    m_connection->exec("INSERT INTO monitor_leases (monitor_id) SELECT unnest($1::text[]) ON CONFLICT DO NOTHING",
                       {ids});
    m_connection->exec("DELETE FROM monitor_leases WHERE monitor_id <> ALL($1::text[]) "
                       "AND (node IS NULL OR node = $2 OR expires < now())",
                       {ids, m_options.node});
    m_monitorsSynced = true;
}

void PgMonitorLeases::storeRuns(const Runs &runs)
{
    if (runs.empty())
        return;
    m_connection->exec("UPDATE monitor_leases l SET last_run = GREATEST(l.last_run, v.due) "
                       "FROM unnest($1::text[], $2::bigint[]) AS v(id, due) WHERE l.monitor_id = v.id AND l.node = $3",
                       {textArray(idsOf(runs)), integerArray(runs), m_options.node});
}

MonitorLeases::Round PgMonitorLeases::round(const Runs &runs)
{
    const auto started = Clock::now();
    std::unordered_set<std::string> held;
    Round round;
    std::size_t share = 0;
    transaction([&] {
        if (m_connection->exec(Heartbeat, {m_options.node, m_token, m_leaseMs}).rows() == 0)
            throw std::runtime_error("another server took the node name \"" + m_options.node
                                     + "\" while this one could not renew its leases: give each node its own --node");
        m_connection->exec("DELETE FROM node_heartbeats WHERE expires < now() - interval '1 day'");
        storeRuns(runs);
        if (!m_monitorsSynced
            || m_connection->exec("SELECT count(*) FROM monitor_leases").integer(0, 0) != std::int64_t(m_monitors.size()))
            syncMonitors();
        const std::string renewal = "now() + " + m_leaseMs + "::bigint * interval '1 millisecond'";
        PgResult renewed = m_connection->exec(
            "UPDATE monitor_leases SET expires = " + renewal + " WHERE node = $1 RETURNING monitor_id, last_run",
            {m_options.node});
        auto take = [&](const PgResult &rows) {
            for (int row = 0; row < rows.rows(); ++row) {
                std::string id(rows.value(row, 0));
                if (!m_held.count(id)) // claimed now, or left by an earlier process of this node
                    round.taken.emplace_back(id, rows.integer(row, 1));
                held.insert(std::move(id));
            }
        };
        take(renewed);
        const std::int64_t live =
            m_connection->exec("SELECT count(*) FROM node_heartbeats WHERE expires > now()").integer(0, 0);
        const std::int64_t total = m_connection->exec("SELECT count(*) FROM monitor_leases").integer(0, 0);
        share = std::size_t((total + live - 1) / std::max<std::int64_t>(live, 1));
        if (held.size() < share)
            take(m_connection->exec(
                "WITH free AS (SELECT monitor_id FROM monitor_leases WHERE node IS NULL OR expires < now() "
                "ORDER BY monitor_id LIMIT $2 FOR UPDATE SKIP LOCKED) "
                "UPDATE monitor_leases l SET node = $1, expires = " + renewal
                    + " FROM free WHERE l.monitor_id = free.monitor_id RETURNING l.monitor_id, l.last_run",
                {m_options.node, std::to_string(share - held.size())}));
    });
    m_validUntil = std::chrono::duration_cast<std::chrono::nanoseconds>((started + m_options.leaseTime).time_since_epoch()).count();
    for (const std::string &id : m_held)
        if (!held.count(id))
            round.lost.push_back(id);
    m_held = std::move(held);
    round.extra = m_held.size() > share ? m_held.size() - share : 0;
    return round;
}

void PgMonitorLeases::release(const std::vector<std::string> &ids, const Runs &runs)
{
    if (ids.empty())
        return;
    transaction([&] {
        storeRuns(runs);
        m_connection->exec("UPDATE monitor_leases SET node = NULL, expires = NULL "
                           "WHERE monitor_id = ANY($1::text[]) AND node = $2",
                           {textArray(ids), m_options.node});
    });
    for (const std::string &id : ids)
        m_held.erase(id);
}

void PgMonitorLeases::leave(const Runs &runs)
{
    m_validUntil = 0;
    transaction([&] {
        storeRuns(runs);
        m_connection->exec("UPDATE monitor_leases SET node = NULL, expires = NULL WHERE node = $1", {m_options.node});
        m_connection->exec("DELETE FROM node_heartbeats WHERE node = $1 AND token = $2", {m_options.node, m_token});
    });
    m_held.clear();
}

bool PgMonitorLeases::valid() const
{
    return Clock::now().time_since_epoch() < std::chrono::nanoseconds(m_validUntil.load());
}
