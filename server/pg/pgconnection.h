#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct pg_conn;
struct pg_result;

// A failure reported by PostgreSQL or libpq. sqlState is the five-character
// code ("23505" for a broken unique key), empty when the server gave none;
// connectionLost tells that the connection is gone and must be reset.
class PgError : public std::runtime_error
{
public:
    PgError(const std::string &what, std::string sqlState, bool connectionLost)
        : std::runtime_error(what), m_sqlState(std::move(sqlState)), m_connectionLost(connectionLost)
    {
    }
    const std::string &sqlState() const { return m_sqlState; }
    bool connectionLost() const { return m_connectionLost; }
    bool uniqueViolation() const { return m_sqlState == "23505"; }

private:
    std::string m_sqlState;
    bool m_connectionLost;
};

// The rows of one statement; values are text as the server sends them.
class PgResult
{
public:
    explicit PgResult(pg_result *result);
    ~PgResult();
    PgResult(PgResult &&other) noexcept;
    PgResult &operator=(PgResult &&other) noexcept;
    PgResult(const PgResult &) = delete;
    PgResult &operator=(const PgResult &) = delete;

    int rows() const;
    int columns() const;
    bool isNull(int row, int column) const;
    std::string_view value(int row, int column) const;
    std::int64_t integer(int row, int column) const;
    // Rows changed by INSERT, UPDATE or DELETE.
    std::int64_t affectedRows() const;

private:
    pg_result *m_result;
};

// True when database names a PostgreSQL server (a libpq URI) rather than a file.
bool isPostgresLocation(std::string_view database);

// One libpq connection. Not shared between threads: each user holds its own.
class PgConnection
{
public:
    // Connects; throws PgError naming the server and what to check.
    explicit PgConnection(std::string connectionString);
    ~PgConnection();
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    // Runs sql with $1, $2, … bound to params as text; throws PgError.
    PgResult exec(const std::string &sql, const std::vector<std::string> &params = {});
    // Like exec, with a null where hasValue[i] is false.
    PgResult exec(const std::string &sql, const std::vector<std::string> &params, const std::vector<bool> &hasValue);
    // Like exec, through a statement the server parses and plans once per
    // connection (for the statements run again and again; at most
    // MaxPrepared texts are kept, others run as with exec).
    PgResult execPrepared(const std::string &sql, const std::vector<std::string> &params,
                          const std::vector<bool> &hasValue);
    static constexpr std::size_t MaxPrepared = 256;

    // False once the server has gone away.
    bool usable() const;
    // Reconnects with the same connection string; throws PgError.
    void reset();

    // The connection string without its password, for messages.
    const std::string &displayName() const { return m_displayName; }

private:
    [[noreturn]] void fail(const std::string &what, pg_result *result);
    PgResult checked(pg_result *result);

    std::string m_connectionString;
    std::string m_displayName;
    pg_conn *m_conn = nullptr;
    std::unordered_map<std::string, std::string> m_prepared; // statement text -> name
};
