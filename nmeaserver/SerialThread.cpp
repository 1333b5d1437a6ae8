#include "nmeaserver/SerialThread.h"

#include <QLoggingCategory>
#include <QThread>

namespace velmar::nmeaserver {

Q_LOGGING_CATEGORY(lcReader, "velmar.nmeaserver.serial")

namespace {
// Stopping a worker closes its device and nothing more; this bounds the one
// wait at program end.
constexpr unsigned long ExitWaitMs = 5000;
} // namespace

void ReaderWorker::requestStop()
{
    QMetaObject::invokeMethod(this, &ReaderWorker::stop, Qt::QueuedConnection);
}

void ReaderWorker::requestResume()
{
    QMetaObject::invokeMethod(this, &ReaderWorker::resume, Qt::QueuedConnection);
}

std::optional<std::chrono::steady_clock::duration> ReaderWorker::deliver(SentenceBatch& batch,
                                                                         std::chrono::steady_clock::duration delay)
{
    const SentenceQueue::HandOver next = m_queue->handOver(batch, std::chrono::steady_clock::now(), delay);
    if (next.wakeNow)
        emit sentencesWaiting();
    return next.wakeIn;
}

void ReaderWorker::wakeIfDue()
{
    if (m_queue->wakeDue())
        emit sentencesWaiting();
}

void ReaderWorker::reportStatus(int code)
{
    wakeIfDue();
    emit status(code);
}

SerialThread::SerialThread(const QString& name, QObject* parent) : QObject(parent), m_name(name)
{
}

SerialThread::~SerialThread()
{
    m_pendingStart = nullptr;
    if (!m_thread)
        return;
    Stop();
    // The worker's signals must not reach a facade that is gone.
    disconnect(m_worker, nullptr, this, nullptr);
    disconnect(m_thread, nullptr, this, nullptr);
    if (!m_thread->wait(ExitWaitMs))
        qCWarning(lcReader) << "reader" << m_name << "did not end in time";
    else {
        delete m_worker;
        delete m_thread;
    }
}

void SerialThread::Start(WorkerFactory factory)
{
    if (m_thread) {
        if (m_stopping)
            m_pendingStart = std::move(factory);
        return;
    }
    m_worker = factory ? factory() : nullptr;
    if (m_worker)
        launch();
}

void SerialThread::launch()
{
    m_stopping = false;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("reader ") + m_name);
    m_worker->setQueue(m_queue);
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_worker, &ReaderWorker::start);
    // Direct: the thread must end even when the user-interface thread no
    // longer runs its event loop (program end).
    connect(m_worker, &ReaderWorker::finished, m_thread, &QThread::quit, Qt::DirectConnection);
    connect(m_worker, &ReaderWorker::sentencesWaiting, this, &SerialThread::takeSentences);
    connect(m_worker, &ReaderWorker::status, this, [this](int code) { emit statusChanged(m_name, code); });
    connect(m_thread, &QThread::finished, this, &SerialThread::onThreadFinished);
    m_thread->start();
}

void SerialThread::Stop()
{
    m_pendingStart = nullptr;
    if (!m_thread || m_stopping)
        return;
    m_stopping = true;
    m_worker->requestStop();
}

void SerialThread::takeSentences()
{
    // The batch is borrowed for the call: a receiver that runs a nested event
    // loop (a dialog) may take the next batch before this one is handled.
    SentenceBatch batch;
    batch.swap(m_taken);
    const bool resume = m_queue->take(batch);
    if (!batch.empty())
        emit sentencesReceived(m_name, batch);
    batch.clear();
    m_taken.swap(batch);
    // The worker is deleted on this thread only, so it is still there.
    if (resume && m_worker && !m_stopping)
        m_worker->requestResume();
}

void SerialThread::onThreadFinished()
{
    // Deleted here, not on its thread: a Stop() that raced with the worker's
    // own ending may still name it, and a finished thread handles no events.
    delete m_worker;
    m_thread->deleteLater();
    m_thread = nullptr;
    m_worker = nullptr;
    m_stopping = false;
    if (m_pendingStart) {
        WorkerFactory f = std::move(m_pendingStart);
        m_pendingStart = nullptr;
        Start(std::move(f));
    }
}

} // namespace velmar::nmeaserver
