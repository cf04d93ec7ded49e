#include "frame/servicecall.h"

#include <atomic>
#include <memory>
#include <thread>

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include "frame/callinputguard.h"
#include "frame/callprogress.h"
#include "frame/localtext.h"
#include "frame/proapp.h"
#include "frame/serverlink.h"
#include "frame/waitcursor.h"
#include "orb/net/callcontrol.h"
#include "orb/net/orbclient.h"
#include "orb/net/orbservice.h"

namespace {

// Runs call on a worker thread under control. The worker touches nothing of
// the caller's after the caller's wait ends, because that wait ends only
// when the worker has: a cancel shuts the call's sockets down and leaves it
// no time, so every blocking step returns at once and the call ends within
// milliseconds.
class CallWorker
{
public:
    CallWorker(const std::function<MtxStatus()> &call, QEventLoop &loop)
        : m_thread([this, &call, &loop] {
              CallControl::Scope scope(m_control);
              try {
                  m_status = call();
              } catch (const std::exception &error) {
                  m_status.set(MtxStatus::ClientExceptionCode, std::string("Client error: ") + error.what());
              } catch (...) {
                  m_status.set(MtxStatus::ClientExceptionCode, "Client error");
              }
              m_done = true;
              QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
          })
    {
    }
    ~CallWorker() { m_thread.join(); }

    bool Done() const { return m_done; }
    void Cancel() { m_control.cancel(); }
    MtxStatus Result() const
    {
        MtxStatus status = m_status;
        if (m_control.cancelled() && !status.succeeded())
            status.set(MtxStatus::ClientExceptionCode, CallControl::CancelledMessage);
        return status;
    }

private:
    CallControl m_control;
    MtxStatus m_status;
    std::atomic<bool> m_done{false};
    std::thread m_thread; // last: starts once the rest exists
};

QString ServerAddress(CProApp *app)
{
    if (!app)
        return {};
    app->ServerLink().Observe(app->GetClient());
    return app->ServerLink().Address();
}

} // namespace

MtxStatus RunServerCall(const std::function<MtxStatus()> &call, QWidget *caller)
{
    // Without an event loop to keep alive, the call simply runs here.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()) || QThread::currentThread() != qApp->thread())
        return call();
    CProApp *app = CProApp::instance();
    QPointer<QWidget> callerWindow = caller;
    CWaitCursor wait;
    CCallInputGuard guard(caller);
    std::unique_ptr<CCallProgress> progress;
    MtxStatus status;
    {
        QEventLoop loop;
        CallWorker worker(call, loop);
        QTimer showProgress;
        showProgress.setSingleShot(true);
        QObject::connect(&showProgress, &QTimer::timeout, &loop, [&] {
            if (worker.Done())
                return;
            QWidget *parent = callerWindow ? callerWindow->window() : (app ? app->GetMainFrame() : nullptr);
            progress = std::make_unique<CCallProgress>(ServerAddress(app), !app || !app->IsEnglish(), parent);
            guard.Allow(progress.get());
            QObject::connect(progress.get(), &CCallProgress::cancelRequested, &loop, [&] {
                worker.Cancel();
                progress->cancelButton()->setEnabled(false);
            });
            progress->show();
            QApplication::changeOverrideCursor(Qt::BusyCursor);
        });
        showProgress.start(app ? app->ProgressDelayMs() : CProApp::DefaultProgressDelayMs);
        while (!worker.Done())
            loop.exec();
        status = worker.Result();
    }
    progress.reset();
    if (app) {
        app->ServerLink().Observe(app->GetClient());
        app->ServerLink().Record(status);
    }
    return status;
}

void ShowCallFailure(const MtxStatus &status)
{
    CProApp *app = CProApp::instance();
    if (!app || status.succeeded() || CServerLink::IsCancelled(status))
        return;
    if (CServerLink::IsLinkFailure(status))
        app->ShowMessageBox(app->ServerLink().LostMessage(!app->IsEnglish()), QString::fromUtf8(CProApp::MainTitle),
                            CProApp::MessageIcon::Warning);
    else
        app->ShowMessage(fromLocal(status.getMessage()));
}

bool CallService(OrbService *service, const char *method, std::initializer_list<const MtxObj *> args,
                 MtxObj *response, QWidget *caller)
{
    CProApp *app = CProApp::instance();
    if (!service) {
        if (app)
            app->ShowMessage(QStringLiteral("The service for \"%1\" is not loaded: check [SYSTEMSERVICE] in Keelsys.ini")
                                 .arg(QString::fromLatin1(method)));
        return false;
    }
    const MtxStatus status = RunServerCall([&] { return service->invoke(method, args, response); }, caller);
    ShowCallFailure(status);
    return status.succeeded();
}
