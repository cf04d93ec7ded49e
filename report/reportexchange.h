#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QDateTime>
#include <QObject>

#include "report/datachannel.h"
#include "report/reportdata.h"
#include "report/statsettings.h"

class QThread;

// Runs the query and delete exchanges of the report window on a worker
// thread, one at a time, and hands the outcome back on the window's thread.
// A complete query reply is parsed on the worker too.
class CReportExchange : public QObject
{
    Q_OBJECT

public:
    enum class Kind { Query, Delete };
    // The one answer of the data server to a successful delete.
    static constexpr const char *DeleteSucceeded = "<return>succeed</end>";
    // The largest payload a request frame carries (the frame fits 1024 bytes).
    static constexpr std::size_t MaxPayload = 1018;

    explicit CReportExchange(QObject *parent = nullptr);
    ~CReportExchange() override;

    // The request frame, or nothing with the reason in error (a field holding
    // "$" or a line break, a frame too long).
    static std::optional<std::string> BuildRequest(Kind kind, const StatSettings &settings, const QDateTime &from,
                                                   const QDateTime &to, QString *error);
    // The reason of a server's refusal ("<error>" + reason + "</end>"), or
    // nothing for any other reply.
    static std::optional<QString> Refusal(const std::string &reply);
    // "%d-%d-%d %d:%d:%d", no leading zeros.
    static QString TimeText(const QDateTime &time);

    void SetLimits(const CDataChannel::Limits &limits) { m_limits = limits; }
    // False, with the reason in error, when the request cannot be built or
    // an exchange is still running. itemCount: the kind's return items, for
    // parsing a query's reply.
    bool Start(Kind kind, const StatSettings &settings, const QDateTime &from, const QDateTime &to, int itemCount,
               QString *error);
    // The parsed reply of the query that has just finished, once; null for
    // an incomplete or refused reply and for a delete.
    std::unique_ptr<CReportData> TakeReport() { return std::move(m_report); }
    bool Busy() const { return m_thread != nullptr; }

signals:
    void Finished(CReportExchange::Kind kind, const CDataChannel::Result &result);

private:
    CDataChannel::Limits m_limits;
    QThread *m_thread = nullptr;
    CDataChannel::Result m_result;
    std::unique_ptr<CReportData> m_report;
};
