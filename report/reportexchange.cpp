#include "report/reportexchange.h"

#include <QThread>

#include "orb/textframe/textframe.h"

CReportExchange::CReportExchange(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<CDataChannel::Result>("CDataChannel::Result");
    qRegisterMetaType<CReportExchange::Kind>("CReportExchange::Kind");
}

CReportExchange::~CReportExchange()
{
    // The exchange ends by itself within its deadline.
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

QString CReportExchange::TimeText(const QDateTime &time)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    return QString::asprintf("%d-%d-%d %d:%d:%d", date.year(), date.month(), date.day(), clock.hour(),
                             clock.minute(), clock.second());
}

std::optional<QString> CReportExchange::Refusal(const std::string &reply)
{
    constexpr std::string_view Open = "<error>";
    constexpr std::string_view Close = "</end>";
    if (!reply.starts_with(Open) || !reply.ends_with(Close))
        return std::nullopt;
    return CReportData::Decode(QByteArrayView(reply).sliced(Open.size(), reply.size() - Open.size() - Close.size()));
}

std::optional<std::string> CReportExchange::BuildRequest(Kind kind, const StatSettings &settings,
                                                         const QDateTime &from, const QDateTime &to, QString *error)
{
    std::string reason;
    std::optional<std::string> frame = textframe::build(
        "DR",
        {kind == Kind::Query ? "GetReport" : "DeleteReport", settings.monitorId.toStdString(),
         settings.monitorType.toStdString(), TimeText(from).toStdString(), TimeText(to).toStdString(), "4"},
        &reason, MaxPayload);
    if (!frame && error)
        *error = QStringLiteral("无法生成请求：%1。请检查 StatView.ini 中的 ID 和 MonitorType。")
                     .arg(QString::fromStdString(reason));
    return frame;
}

bool CReportExchange::Start(Kind kind, const StatSettings &settings, const QDateTime &from, const QDateTime &to,
                            int itemCount, QString *error)
{
    if (m_thread) {
        if (error)
            *error = QStringLiteral("上一次请求还没有结束，请稍候。");
        return false;
    }
    std::optional<std::string> request = BuildRequest(kind, settings, from, to, error);
    if (!request)
        return false;
    const std::string host = settings.serverAddress.toStdString();
    const int port = settings.port;
    const CDataChannel::Limits limits = m_limits;
    m_report.reset();
    m_thread = QThread::create([this, kind, host, port, request = std::move(*request), limits, itemCount] {
        m_result = CDataChannel::Exchange(host, port, request, limits);
        if (kind != Kind::Query || !m_result.Complete() || Refusal(m_result.reply))
            return;
        m_report = std::make_unique<CReportData>();
        m_report->Parse(QByteArray::fromStdString(m_result.reply), itemCount);
        // The parsed report holds its own copy of the text.
        std::string().swap(m_result.reply);
    });
    // finished is emitted by the worker; this runs on the window's thread.
    connect(m_thread, &QThread::finished, this, [this, kind] {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        const CDataChannel::Result result = std::move(m_result);
        m_result = CDataChannel::Result();
        emit Finished(kind, result);
    });
    m_thread->start();
    return true;
}
