#include "shell/MainTimers.h"

#include <QTimerEvent>

namespace velmar::shell {

namespace {
bool manualByDefault = false;
}

void MainTimers::SetManualByDefault(bool manual)
{
    manualByDefault = manual;
}

MainTimers::MainTimers(QObject* parent) : QObject(parent), m_manual(manualByDefault)
{
}

MainTimers::~MainTimers() = default;

void MainTimers::SetWork(int id, std::function<void()> work)
{
    m_work[id] = std::move(work);
}

void MainTimers::Start(int id, int periodMs)
{
    Stop(id);
    Running r;
    r.period = periodMs;
    if (!m_manual)
        r.qtId = startTimer(periodMs);
    m_running[id] = r;
}

void MainTimers::Stop(int id)
{
    const auto it = m_running.find(id);
    if (it == m_running.end())
        return;
    if (it->second.qtId)
        killTimer(it->second.qtId);
    m_running.erase(it);
}

bool MainTimers::IsRunning(int id) const
{
    return m_running.count(id) != 0;
}

int MainTimers::Period(int id) const
{
    const auto it = m_running.find(id);
    return it == m_running.end() ? 0 : it->second.period;
}

void MainTimers::Tick(int id)
{
    if (!IsRunning(id))
        return;
    const auto it = m_work.find(id);
    if (it != m_work.end() && it->second)
        it->second();
}

void MainTimers::timerEvent(QTimerEvent* event)
{
    for (const auto& [id, running] : m_running) {
        if (running.qtId == event->timerId()) {
            Tick(id);
            return;
        }
    }
    QObject::timerEvent(event);
}

} // namespace velmar::shell
