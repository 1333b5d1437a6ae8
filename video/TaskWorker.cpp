#include "TaskWorker.h"

#include <pthread.h>

namespace velmar::video {

TDualThread::TDualThread(const QString& name, int periodMs, TNotificationMethod mode, std::function<void()> step)
    : m_name(name), m_step(std::move(step))
{
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { timerStep(); });
    setMode(mode);
    setPeriod(periodMs);
}

TDualThread::~TDualThread()
{
    m_timer.stop();
    stopThread();
}

void TDualThread::start()
{
    m_paused = false;
    setMode(m_mode);
}

void TDualThread::pause()
{
    m_paused = true;
    setMode(m_mode);
}

void TDualThread::setPeriod(int periodMs)
{
    if (periodMs <= 0)
        return;
    m_period = periodMs;
    m_timer.setInterval(periodMs);
}

void TDualThread::setMode(TNotificationMethod mode)
{
    m_mode = mode;
    if (mode == nm_Timer) {
        m_threadStepping = false;
        if (m_paused)
            m_timer.stop();
        else
            m_timer.start();
    } else {
        m_timer.stop();
        m_threadStepping = !m_paused;
        if (!m_thread.joinable() && !m_terminated)
            m_thread = std::thread([this] { threadLoop(); });
    }
}

void TDualThread::halt(bool final)
{
    if (final)
        stopThread();
    else
        m_threadStepping = false;
}

void TDualThread::timerStep()
{
    if (m_stepBusy)
        return;
    m_stepBusy = true;
    m_step();
    m_stepBusy = false;
}

void TDualThread::threadLoop()
{
    // Named so that a look at the process shows whose thread it is.
    pthread_setname_np(pthread_self(), QByteArray("video " + m_name.toLatin1()).left(15).constData());
    while (!m_terminated) {
        if (m_threadStepping)
            m_step();
        std::unique_lock lock(m_sleepLock);
        m_wake.wait_for(lock, std::chrono::milliseconds(m_period.load()), [this] { return m_terminated.load(); });
    }
}

void TDualThread::stopThread()
{
    {
        std::lock_guard lock(m_sleepLock);
        m_terminated = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    m_threadStepping = false;
}

} // namespace velmar::video
