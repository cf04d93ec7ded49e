#pragma once

#include <memory>

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

class CallControl;
class OrbService;
class QThread;

// The states of the elements bound to cells, read with "selectElementObj",
// one call per distinct element, after the picture's cells are asked for
// once more (the server rolls the states of groups on a picture up then). A read runs either in the caller's wait (a
// picture being opened) or on a worker thread while the user goes on (the
// periodic refresh); the document gets the result back on its own thread.
class CCellStateReader : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultIntervalSeconds = 30;

    struct Result
    {
        QHash<QString, int> states; // element ID -> LastState (-1: not a number)
        int failures = 0;
        QString firstFailure;       // the first refusal's message
        quint64 generation = 0;
    };

    CCellStateReader(OrbService *elements, OrbService *cells, QObject *parent = nullptr);
    ~CCellStateReader() override;

    // Reads on the calling thread (safe on a worker); the picture pid first
    // when cells is given.
    static Result Read(OrbService *elements, const QStringList &elementIds, OrbService *cells = nullptr,
                       const QString &pid = {});

    // Starts the periodic refresh; 0 stops it.
    void SetInterval(int seconds);
    // Starts one read of elementIds on a worker unless one still runs; finished
    // follows. False when nothing was started.
    bool StartRead(const QStringList &elementIds, const QString &pid);
    // Waits for a running read to end (tests, shutdown).
    void Wait();
    // Ends a running read at once (its calls fail, its result is dropped).
    void Cancel();
    // Results of reads started before this are dropped (the picture changed).
    void Invalidate() { ++m_generation; }

signals:
    // The timer wants a refresh: the document answers with StartRead.
    void refreshDue();
    void finished(const CCellStateReader::Result &result);

private:
    void Finish();

    OrbService *m_service;
    OrbService *m_cells;
    QTimer m_timer;
    QThread *m_worker = nullptr;
    std::shared_ptr<Result> m_pending;
    std::shared_ptr<CallControl> m_control;
    quint64 m_generation = 0;
};
