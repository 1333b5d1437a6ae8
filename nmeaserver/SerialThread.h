#pragma once
// One port reader (or the simulator) and the thread it runs on.
//
// The worker object lives on its own thread and owns its device; it hands
// whole sentences to the user-interface thread in batches through a bounded
// queue (SentenceQueue) that wakes that thread a few times a second, not once
// per sentence, and its state changes through queued signals; a state change
// first hands on every sentence that waits. SerialThread is the facade on the user-interface
// thread: Start makes a thread when none runs (on a running reader it changes nothing), Stop asks the worker to end and
// returns at once. The worker then reports StatusIdle, and the thread goes away by itself. Only the destructor waits,
// and only for a worker that has already been told to stop.
#include "nmeaserver/SentenceQueue.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QThread;

namespace velmar::nmeaserver {

// Base of the workers. Lives on the reader thread; start() runs there when
// the thread starts. stop() and resume() are asked for from the
// user-interface thread through requestStop() and requestResume(), which by
// default invoke them queued on the reader thread; a worker that reads in a
// loop of its own, without the thread's event loop, takes them itself.
class ReaderWorker : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // User-interface thread.
    virtual void requestStop();
    virtual void requestResume();

public slots:
    virtual void start() = 0;
    // Ends the worker: closes its device, reports StatusIdle, emits finished.
    // A worker frees its device and timers on its own thread before it emits
    // finished; the facade deletes the worker after the thread has ended.
    virtual void stop() = 0;
    // The queue has room again after the worker found it full.
    virtual void resume() {}

public:
    // Given by the facade before the worker starts.
    void setQueue(std::shared_ptr<SentenceQueue> queue) { m_queue = std::move(queue); }

signals:
    // Sentences wait in the queue; sent once until they have been taken.
    void sentencesWaiting();
    // Emitted through reportStatus only.
    void status(int code);
    void finished();

protected:
    // Hands the batch's sentences (raw, from the start character, CR
    // included) to the user-interface thread; the batch is left empty. They
    // may wait there up to delay before that thread is woken: then the
    // worker must call wakeIfDue() within the time returned, unless it
    // hands more over before.
    std::optional<std::chrono::steady_clock::duration>
    deliver(SentenceBatch& batch, std::chrono::steady_clock::duration delay = SentenceQueue::HandOverDelay);
    // Wakes the user-interface thread when sentences wait for it.
    void wakeIfDue();
    bool queueFull() { return m_queue->full(); }
    // Wakes the user-interface thread for what waits, then reports the state:
    // sentences read before it are handled before it.
    void reportStatus(int code);

private:
    std::shared_ptr<SentenceQueue> m_queue;
};

class SerialThread : public QObject {
    Q_OBJECT
public:
    using WorkerFactory = std::function<ReaderWorker*()>;

    // name: the port's name, or SimulatorName; reported with each signal.
    SerialThread(const QString& name, QObject* parent = nullptr);
    ~SerialThread() override;

    const QString& name() const { return m_name; }

    // factory makes the worker of the next run; its settings are copied into
    // it, so later changes take effect only when the reader next starts.
    void Start(WorkerFactory factory);
    void Stop();
    // A thread exists (running, or told to stop and not yet ended).
    bool isRunning() const { return m_thread != nullptr; }

signals:
    // Every sentence that waited, in the order read; the batch is good for
    // the time of the call.
    void sentencesReceived(const QString& name, const velmar::nmeaserver::SentenceBatch& batch);
    void statusChanged(const QString& name, int code);

private:
    void launch();
    void onThreadFinished();
    void takeSentences();

    std::shared_ptr<SentenceQueue> m_queue = std::make_shared<SentenceQueue>();
    SentenceBatch m_taken; // room kept from one batch to the next

    QString m_name;
    QThread* m_thread = nullptr;
    ReaderWorker* m_worker = nullptr;
    bool m_stopping = false;
    WorkerFactory m_pendingStart; // a Start that came while the old thread was ending
};

} // namespace velmar::nmeaserver
