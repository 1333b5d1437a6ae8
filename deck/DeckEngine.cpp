#include "deck/DeckEngine.h"

#include "deck/AudioOutput.h"
#include "platform/BusNames.h"
#include "platform/MessageBus.h"

#include <QCoreApplication>
#include <QTimer>

#include <future>

namespace velmar::deck {

namespace {

// How long the worker waits for the user-interface thread beyond the time-out
// of the call it asked for.
constexpr int UiThreadMarginMs = 1000;
constexpr int OutputServiceIntervalMs = 5;

// Runs `call` on the thread of `context` and waits at most `timeoutMs` for
// its result; nothing when it did not come in time (or context went away).
template <typename R>
std::optional<R> callOn(QObject* context, std::function<R()> call, int timeoutMs)
{
    if (QThread::currentThread() == context->thread())
        return call();
    auto promise = std::make_shared<std::promise<R>>();
    std::future<R> future = promise->get_future();
    if (!QMetaObject::invokeMethod(
            context, [promise, call] { promise->set_value(call()); }, Qt::QueuedConnection))
        return std::nullopt;
    if (future.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready)
        return std::nullopt;
    return future.get();
}

class BusDetectorLink final : public DetectorLink {
public:
    bool present(const QString& windowClass) override
    {
        return platform::MessageBus::instance().isNameOwned(platform::windowClassBusName(windowClass));
    }
    std::optional<qint64> send(const QString& windowClass, const QString& message, quint64 wParam, qint64 lParam,
                               int timeoutMs) override
    {
        return platform::MessageBus::instance().send(platform::windowClassBusName(windowClass), message, wParam, lParam,
                                                     timeoutMs);
    }
    void post(const QString& windowClass, const QString& message, quint64 wParam, qint64 lParam) override
    {
        platform::MessageBus::instance().post(platform::windowClassBusName(windowClass), message, wParam, lParam);
    }
};

// The user-interface thread's DetectorLink as the worker sees it.
class ForwardingDetectorLink final : public DetectorLink {
public:
    ForwardingDetectorLink(QObject* ui, DetectorLink& link) : m_ui(ui), m_link(link) {}
    bool present(const QString& windowClass) override
    {
        return callOn<bool>(
                   m_ui, [this, windowClass] { return m_link.present(windowClass); },
                   DetectorSendTimeoutMs + UiThreadMarginMs)
            .value_or(false);
    }
    std::optional<qint64> send(const QString& windowClass, const QString& message, quint64 wParam, qint64 lParam,
                               int timeoutMs) override
    {
        return callOn<std::optional<qint64>>(
                   m_ui, [=, this] { return m_link.send(windowClass, message, wParam, lParam, timeoutMs); },
                   timeoutMs + UiThreadMarginMs)
            .value_or(std::nullopt);
    }
    void post(const QString& windowClass, const QString& message, quint64 wParam, qint64 lParam) override
    {
        QMetaObject::invokeMethod(
            m_ui, [=, this] { m_link.post(windowClass, message, wParam, lParam); }, Qt::QueuedConnection);
    }

private:
    QObject* m_ui;
    DetectorLink& m_link;
};

} // namespace

std::unique_ptr<DetectorLink> MakeBusDetectorLink()
{
    return std::make_unique<BusDetectorLink>();
}

class EngineWorker final : public QObject, public DeckHost {
public:
    EngineWorker(DeckEngine& engine, DeckPlayer::OutputFactory makeOutput)
        : m_engine(engine), m_link(&engine, *engine.m_detectors),
          m_player(*this, m_link, makeOutput ? std::move(makeOutput) : DeckPlayer::OutputFactory(MakePortAudioOutput),
                   quint64(QCoreApplication::applicationPid())),
          m_pump(this), m_service(this), m_windUp(this)
    {
        m_pump.setInterval(PipePumpIntervalMs);
        m_service.setInterval(OutputServiceIntervalMs);
        m_windUp.setInterval(DetectorWaitIntervalMs);
        connect(&m_pump, &QTimer::timeout, this, [this] {
            m_player.pumpTick();
            updateTimers();
        });
        connect(&m_service, &QTimer::timeout, this, [this] {
            m_player.serviceOutput();
            updateTimers();
        });
        connect(&m_windUp, &QTimer::timeout, this, [this] {
            m_player.windUpStep();
            updateTimers();
        });
    }

    void start(const DeckStart& s)
    {
        const bool ok = m_player.state() == DeckStopped && m_player.start(s);
        updateTimers();
        emit m_engine.started(ok);
    }
    void stop()
    {
        m_player.stop();
        updateTimers();
    }
    const DeckPlayer& player() const { return m_player; }

    std::optional<platform::SystemTime> fileStartTime() override
    {
        auto answer = callOn<std::optional<platform::SystemTime>>(
            &m_engine, [this] { return m_engine.fileStartTime ? m_engine.fileStartTime() : std::nullopt; },
            DetectorSendTimeoutMs);
        return answer.value_or(std::nullopt);
    }
    QIODevice* nextFile(uint32_t framesRead) override
    {
        return callOn<QIODevice*>(
                   &m_engine,
                   [this, framesRead] { return m_engine.nextFile ? m_engine.nextFile(framesRead) : nullptr; },
                   DetectorSendTimeoutMs)
            .value_or(nullptr);
    }
    void levels(const BlockLevels& l) override { emit m_engine.levels(l); }
    void stateChanged(int state) override { emit m_engine.stateChanged(state); }
    void message(const QString& text, const QString& caption) override { emit m_engine.message(text, caption); }

private:
    void updateTimers()
    {
        toggle(m_pump, m_player.pumping());
        toggle(m_service, m_player.outputActive());
        toggle(m_windUp, m_player.windingUp());
    }
    static void toggle(QTimer& timer, bool on)
    {
        if (on && !timer.isActive())
            timer.start();
        else if (!on && timer.isActive())
            timer.stop();
    }

    DeckEngine& m_engine;
    ForwardingDetectorLink m_link;
    DeckPlayer m_player;
    QTimer m_pump, m_service, m_windUp;
};

DeckEngine::DeckEngine(std::unique_ptr<DetectorLink> detectors, DeckPlayer::OutputFactory makeOutput, QObject* parent)
    : QObject(parent), m_detectors(std::move(detectors))
{
    qRegisterMetaType<BlockLevels>();
    m_worker = new EngineWorker(*this, std::move(makeOutput));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("DeckEngine"));
    m_thread.start();
}

DeckEngine::~DeckEngine()
{
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->stop(); }, Qt::QueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void DeckEngine::start(const DeckStart& s)
{
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker, s] { w->start(s); }, Qt::QueuedConnection);
}

void DeckEngine::stop()
{
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->stop(); }, Qt::QueuedConnection);
}

int DeckEngine::state() const
{
    return m_worker->player().state();
}

uint32_t DeckEngine::position() const
{
    return m_worker->player().position();
}

} // namespace velmar::deck
