#include "recorder/RecorderThread.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QTimer>

#include <atomic>
#include <memory>

namespace velmar::recorder {

RecorderThread::RecorderThread(InputFactory factory, sound::RecordingServices services)
    : m_engine(new RecorderEngine(std::move(factory), std::move(services)))
{
    qRegisterMetaType<sound::RECORDINGINFO>();
    m_thread.setObjectName(QStringLiteral("recorder"));
    // The timer moves with its parent, so it is made before the move.
    auto* timer = new QTimer(m_engine);
    timer->setInterval(DrainIntervalMs);
    m_engine->moveToThread(&m_thread);
    QObject::connect(timer, &QTimer::timeout, m_engine, &RecorderEngine::tick);
    QObject::connect(&m_thread, &QThread::started, timer, qOverload<>(&QTimer::start));
    QObject::connect(&m_thread, &QThread::finished, m_engine, &QObject::deleteLater);
    m_thread.start(QThread::TimeCriticalPriority);
}

RecorderThread::~RecorderThread()
{
    stop();
    m_thread.quit();
    if (!m_thread.wait(QDeadlineTimer(StopWaitMs)))
        qWarning("velmar: a recorder thread did not stop within %d ms", StopWaitMs);
}

void RecorderThread::start(const sound::RECORDINGINFO& recording, int startType)
{
    QMetaObject::invokeMethod(
        m_engine, [e = m_engine, recording, startType] { e->start(recording, startType); }, Qt::QueuedConnection);
}

void RecorderThread::stop()
{
    QMetaObject::invokeMethod(m_engine, &RecorderEngine::stop, Qt::QueuedConnection);
}

void RecorderThread::split()
{
    QMetaObject::invokeMethod(m_engine, &RecorderEngine::split, Qt::QueuedConnection);
}

bool RecorderThread::stopAndWait(int timeoutMs)
{
    stop();
    // The stop is queued behind any start; the marker runs once both have.
    QDeadlineTimer deadline(timeoutMs);
    auto done = std::make_shared<std::atomic<bool>>(false);
    QMetaObject::invokeMethod(
        m_engine, [done] { *done = true; }, Qt::QueuedConnection);
    while (!*done && !deadline.hasExpired())
        QThread::msleep(5);
    return *done && status() == StatusStopped;
}

} // namespace velmar::recorder
