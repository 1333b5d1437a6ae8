#include "pipeserver/AcquisitionThread.h"

#include <QMetaObject>

#include <pthread.h>
#include <sched.h>

namespace velmar::pipeserver {

AcquisitionThread::AcquisitionThread(AcquisitionEngine::DeviceFactory factory, AcquisitionEngine::Clock clock)
    : m_engine(new AcquisitionEngine(std::move(factory), std::move(clock)))
{
    m_thread.setObjectName(QStringLiteral("PipeADC"));
    m_engine->moveToThread(&m_thread);
    m_thread.start(QThread::HighestPriority);
    // Qt's priorities do nothing under Linux's default scheduling: ask for a
    // low real-time priority (below a JACK server's), where the system allows it.
    post([](AcquisitionEngine&) {
        sched_param param{};
        param.sched_priority = AcquisitionRealTimePriority;
        if (const int e = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param); e != 0)
            qCInfo(lcEngine) << "the acquisition thread runs without real-time priority:" << strerror(e);
    });
}

AcquisitionThread::~AcquisitionThread()
{
    // The pipes and the device go on their own thread; the engine itself,
    // with nothing of that thread left in it, once the thread has ended.
    call<bool>(
        [](AcquisitionEngine& e) {
            e.shutDown();
            return true;
        },
        EngineCallTimeoutMs);
    m_thread.quit();
    if (m_thread.wait(EngineCallTimeoutMs))
        delete m_engine;
    else
        qCWarning(lcEngine) << "the acquisition thread did not end";
}

void AcquisitionThread::post(std::function<void(AcquisitionEngine&)> fn) const
{
    AcquisitionEngine* engine = m_engine;
    QMetaObject::invokeMethod(
        engine, [engine, fn = std::move(fn)] { fn(*engine); }, Qt::QueuedConnection);
}

} // namespace velmar::pipeserver
