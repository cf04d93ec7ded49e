#include "modules/map/cellstatereader.h"

#include <charconv>
#include <memory>

#include <QThread>

#include "frame/localtext.h"
#include "orb/net/callcontrol.h"
#include "orb/net/orbservice.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "services/types/elementobj.h"

CCellStateReader::CCellStateReader(OrbService *elements, OrbService *cells, QObject *parent)
    : QObject(parent), m_service(elements), m_cells(cells)
{
    connect(&m_timer, &QTimer::timeout, this, &CCellStateReader::refreshDue);
}

CCellStateReader::~CCellStateReader()
{
    Cancel();
}

CCellStateReader::Result CCellStateReader::Read(OrbService *service, const QStringList &elementIds,
                                               OrbService *cells, const QString &pid)
{
    Result result;
    if (!service)
        return result;
    const auto failed = [&result](const MtxStatus &status) {
        if (result.failures++ == 0)
            result.firstFailure = fromLocal(status.getMessage());
    };
    if (cells) {
        const std::string picture = toLocal(pid);
        const MtxString argument(picture.c_str());
        MtxArray records;
        records.setFactory(cells);
        const MtxStatus status = cells->invoke("findTPInfoArrayByPID", {&argument}, &records);
        if (!status.succeeded())
            failed(status);
    }
    for (const QString &id : elementIds) {
        if (id.isEmpty() || result.states.contains(id))
            continue;
        const std::string local = toLocal(id);
        const MtxString argument(local.c_str());
        ElementObj element;
        const MtxStatus status = service->invoke("selectElementObj", {&argument}, &element);
        if (!status.succeeded()) {
            failed(status);
            continue;
        }
        const std::string &text = element.get(ElementObj::LastState);
        int state = -1;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), state);
        if (error != std::errc() || end != text.data() + text.size() || text.empty())
            state = -1;
        result.states.insert(id, state);
    }
    return result;
}

void CCellStateReader::SetInterval(int seconds)
{
    if (seconds > 0)
        m_timer.start(seconds * 1000);
    else
        m_timer.stop();
}

bool CCellStateReader::StartRead(const QStringList &elementIds, const QString &pid)
{
    if (m_worker || !m_service)
        return false;
    auto result = std::make_shared<Result>();
    result->generation = m_generation;
    OrbService *service = m_service, *cells = m_cells;
    auto control = std::make_shared<CallControl>();
    QThread *worker = QThread::create([service, cells, elementIds, pid, result, control] {
        CallControl::Scope scope(*control);
        const quint64 generation = result->generation;
        *result = Read(service, elementIds, cells, pid);
        result->generation = generation;
    });
    m_worker = worker;
    m_pending = result;
    m_control = control;
    connect(worker, &QThread::finished, this, [this, worker] {
        if (m_worker == worker)
            Finish();
    });
    worker->start();
    return true;
}

void CCellStateReader::Finish()
{
    m_worker->wait();
    m_worker->deleteLater();
    m_worker = nullptr;
    m_control.reset();
    const std::shared_ptr<Result> result = std::move(m_pending);
    if (result && result->generation == m_generation)
        emit finished(*result);
}

void CCellStateReader::Wait()
{
    if (m_worker)
        Finish();
}

void CCellStateReader::Cancel()
{
    Invalidate();
    if (m_control)
        m_control->cancel();
    Wait();
}
