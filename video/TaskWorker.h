#pragma once
// The video component's worker: one step that drains the component's queues
// and polls its graph, run either by a timer of the user-interface thread
// (the default) or by a thread of its own. And the locked list the queues
// are made of.
//
// Created, switched and destroyed on the user-interface thread; the
// destructor waits for the thread.
#include "VideoTypes.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace velmar::video {

// A list whose every access takes its lock: the only structure the worker
// shares with other threads.
template <typename T>
class TCSList {
public:
    int addItem(T item)
    {
        QMutexLocker locker(&m_lock);
        m_items.append(std::move(item));
        return int(m_items.size()) - 1;
    }
    void removeItem(const T& item)
    {
        QMutexLocker locker(&m_lock);
        m_items.removeAll(item);
    }
    std::optional<T> takeFirst()
    {
        QMutexLocker locker(&m_lock);
        if (m_items.isEmpty())
            return std::nullopt;
        return m_items.takeFirst();
    }
    bool isEmpty() const
    {
        QMutexLocker locker(&m_lock);
        return m_items.isEmpty();
    }
    int count() const
    {
        QMutexLocker locker(&m_lock);
        return int(m_items.size());
    }
    QList<T> items() const
    {
        QMutexLocker locker(&m_lock);
        return m_items;
    }
    std::optional<T> at(int index) const
    {
        QMutexLocker locker(&m_lock);
        if (index < 0 || index >= m_items.size())
            return std::nullopt;
        return m_items.at(index);
    }
    void clear()
    {
        QMutexLocker locker(&m_lock);
        m_items.clear();
    }

private:
    mutable QMutex m_lock;
    QList<T> m_items;
};

class TDualThread {
public:
    // The worker is created paused; nothing runs until start().
    TDualThread(const QString& name, int periodMs, TNotificationMethod mode, std::function<void()> step);
    ~TDualThread();

    void start();
    void pause();
    void setPeriod(int periodMs); // 0 or less is ignored
    int period() const { return m_period; }
    void setMode(TNotificationMethod mode);
    TNotificationMethod mode() const { return m_mode; }
    // Final: the thread ends; otherwise a running thread only stops stepping.
    void halt(bool final);
    bool threadRunning() const { return m_threadStepping.load(); }
    QString name() const { return m_name; }

    // One pass of the timer step (tests drive the worker through it).
    void timerStep();

private:
    void threadLoop();
    void stopThread();

    QString m_name;
    std::function<void()> m_step;
    QTimer m_timer;
    bool m_stepBusy = false;
    std::atomic<bool> m_paused{true};
    TNotificationMethod m_mode = nm_Timer;
    std::atomic<int> m_period{15};
    std::thread m_thread;
    std::mutex m_sleepLock;
    std::condition_variable m_wake;
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_threadStepping{false};
};

} // namespace velmar::video
