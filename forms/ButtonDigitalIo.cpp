#include "forms/ButtonDigitalIo.h"

#include "platform/RunMode.h"
#include "settings/ProgramSettings.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace velmar::forms {

namespace {

Q_LOGGING_CATEGORY(digitalLog, "velmar.forms.buttons.digital")

constexpr int kDefaultPollMs = 10;
constexpr int kBitsPerPort = 16;
constexpr int kWordBits = 16;
constexpr uint64_t kCountMask = 0xFFFF;

const QString kAfterTheProblem = QStringLiteral("\nThe board is possibly unplugged or is incorrectly configured."
                                                "\nCheck connections and run the MeasurementComputing Instacal utility"
                                                "\n\nAfter rectifying the problem, you may need to restart Velmar");

DigitalBoard*& boundBoard()
{
    static DigitalBoard* board = nullptr;
    return board;
}

bool loggingMode()
{
    return platform::RunMode == platform::RunModeOnline || platform::RunMode == platform::RunModeOffline;
}

// Runs fn on the user-interface thread, after what it is doing now.
void onUiThread(std::function<void()> fn)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

// A thread with one object living in it; requests reach the object as queued
// calls, its loop ends with quit().
struct WorkerThread {
    std::unique_ptr<QThread> thread;
    QObject* context = nullptr; // lives in the thread, deleted when it ends

    bool Running() const { return thread && thread->isRunning(); }
    void Start(const char* name, std::function<void(QObject* context)> setUp)
    {
        thread = std::make_unique<QThread>();
        thread->setObjectName(QLatin1String(name));
        context = new QObject;
        context->moveToThread(thread.get());
        QObject::connect(thread.get(), &QThread::finished, context, &QObject::deleteLater);
        QObject::connect(thread.get(), &QThread::started, context, [c = context, setUp] { setUp(c); });
        thread->start();
    }
    void Post(std::function<void()> fn) const
    {
        if (Running())
            QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
    }
    void Quit() const
    {
        if (thread)
            thread->quit();
    }
    bool Wait(int ms) const { return !thread || thread->wait(QDeadlineTimer(ms)); }
};

// The external-button thread and what lives in it.
struct ButtonThreadState {
    WorkerThread worker;
    std::shared_ptr<ExternalButtonIo> io; // touched only by the thread once started
};

// Both threads are left to end with the process, as the design has it, but
// are asked to stop when the application's loop ends, so that no thread is
// still polling while the program takes itself down. Never destroyed: a
// running thread must not be destroyed under it.
constexpr int kStopAtExitMs = 2000;

ButtonThreadState& buttonThread()
{
    static auto* s = new ButtonThreadState;
    return *s;
}

// The counter thread; the pulse rate is taken once at its start.
struct CounterThreadState {
    WorkerThread worker;
    int countRate = 0;
    CounterProgress progress;
};

CounterThreadState& counterThread()
{
    static auto* t = new CounterThreadState;
    return *t;
}

void stopThreadsAtExit()
{
    static bool connected = false;
    QCoreApplication* app = QCoreApplication::instance();
    if (connected || !app)
        return;
    connected = true;
    QObject::connect(app, &QCoreApplication::aboutToQuit, [] {
        for (WorkerThread* w : {&buttonThread().worker, &counterThread().worker}) {
            w->Quit();
            w->Wait(kStopAtExitMs);
        }
    });
}

} // namespace

DigitalBoard* digitalBoard()
{
    return boundBoard();
}

void setDigitalBoard(DigitalBoard* board)
{
    boundBoard() = board;
}

ButtonBoardSettings ButtonBoardSettings::FromProgramSettings()
{
    const auto& s = store::TheProgramSettings;
    ButtonBoardSettings b;
    b.deviceType = s.ButtonDeviceType;
    b.deviceNumber = s.ButtonDeviceNumber;
    b.inputPort = s.ButtonInputPort;
    b.outputPort = s.ButtonOutputPort;
    b.sampleRate = s.ButtonSampleRate;
    b.countRate = s.ButtonCountRate;
    return b;
}

int PollPeriodMs(int sampleRate)
{
    if (sampleRate <= 0)
        return kDefaultPollMs;
    return std::max(1, 1000 / sampleRate);
}

int DefaultHalfPeriodMs(int countRate)
{
    return (1000 / std::max(1, countRate)) / 2;
}

// ---- the external-button thread's work

ExternalButtonIo::ExternalButtonIo(DigitalBoard& board, const ButtonBoardSettings& settings, uint32_t mask,
                                   BoardReport report)
    : m_board(board), m_settings(settings), m_mask(mask), m_report(std::move(report))
{
}

void ExternalButtonIo::Configure()
{
    m_board.DConfigPort(m_settings.deviceNumber, m_settings.inputPort, kDigitalIn);
    m_board.DConfigPort(m_settings.deviceNumber, m_settings.outputPort, kDigitalOut);
    uint16_t value = 0;
    if (m_board.DIn(m_settings.deviceNumber, m_settings.inputPort, &value) == 0)
        m_last = value;
}

void ExternalButtonIo::ReportOnce(bool& shown, int code, const QString& what, const QString& caption, bool owned)
{
    if (shown)
        return;
    shown = true;
    if (m_report)
        m_report(m_board.GetErrMsg(code) + what + kAfterTheProblem, caption, owned);
}

std::vector<ExternalButtonIo::Change> ExternalButtonIo::Poll()
{
    uint16_t value = 0;
    if (const int e = m_board.DIn(m_settings.deviceNumber, m_settings.inputPort, &value); e != 0) {
        ReportOnce(m_inputErrorShown, e,
                   QStringLiteral("\n\nError reading digital commands from external button interface.\n"),
                   QString::fromLatin1(kExternalButtonErrorCaption), false);
        return {};
    }
    const uint16_t changed = uint16_t((value ^ m_last) & m_mask);
    if (changed == 0)
        return {};
    // The whole word is taken, bits outside the mask too, once a masked bit
    // has changed.
    m_last = value;
    std::vector<Change> changes;
    for (int bit = 0; bit < kBitsPerPort; ++bit)
        if (changed & (1u << bit))
            changes.push_back({bit, (value >> bit) & 1});
    return changes;
}

bool ExternalButtonIo::SetDigitalOutputBit(int bit, int value)
{
    const int e = m_board.DBitOut(m_settings.deviceNumber, m_settings.outputPort, bit, uint16_t(value));
    if (e == 0)
        return true;
    ReportOnce(m_outputErrorShown, e,
               QStringLiteral("\n\nError sending digital commands to counter or other device.\n"),
               QString::fromLatin1(kOutputBitErrorCaption), true);
    return false;
}

std::vector<PulseStep> PulseTrain(unsigned message, uint64_t wParam, int64_t lParam, int countRate)
{
    const int count = int(int16_t(wParam & kCountMask));
    const int bit = int(int16_t((wParam >> kWordBits) & kCountMask));
    std::vector<PulseStep> steps;
    switch (message) {
    case platform::kMsgPulsesHighLow:
    case platform::kMsgPulsesLowHigh: {
        const int half = lParam != 0 ? int(lParam) : DefaultHalfPeriodMs(countRate);
        const int first = message == platform::kMsgPulsesHighLow ? 1 : 0;
        for (int i = 0; i < count; ++i) {
            steps.push_back({bit, first, half});
            steps.push_back({bit, 1 - first, half});
        }
        break;
    }
    case platform::kMsgSetBitHigh: steps.push_back({bit, 1, 0}); break;
    case platform::kMsgSetBitLow: steps.push_back({bit, 0, 0}); break;
    default: break;
    }
    return steps;
}

// ---- the threads

void StartButtonThread(uint32_t mask, ExternalInputDelivery deliver, BoardReport report)
{
    const ButtonBoardSettings settings = ButtonBoardSettings::FromProgramSettings();
    DigitalBoard* board = digitalBoard();
    ButtonThreadState& s = buttonThread();
    if (settings.deviceType != kMeasurementComputingBoard || !loggingMode() || !board || s.worker.Running())
        return;
    // Reports and changes go back to the user-interface thread as queued
    // calls; the thread touches nothing of it.
    BoardReport toUi = [report](const QString& text, const QString& caption, bool owned) {
        if (report)
            onUiThread([report, text, caption, owned] { report(text, caption, owned); });
    };
    stopThreadsAtExit();
    s.io = std::make_shared<ExternalButtonIo>(*board, settings, mask, toUi);
    const int period = PollPeriodMs(settings.sampleRate);
    s.worker.Start("external buttons", [io = s.io, period, deliver](QObject* context) {
        io->Configure();
        auto* timer = new QTimer(context);
        QObject::connect(timer, &QTimer::timeout, context, [io, deliver] {
            for (const ExternalButtonIo::Change& c : io->Poll())
                if (deliver)
                    onUiThread([deliver, c] { deliver(c.bit, c.level); });
        });
        timer->start(period);
    });
    qCInfo(digitalLog) << "external-button thread started, mask" << Qt::hex << mask << "every" << period << "ms";
}

void StopButtonThread()
{
    ButtonThreadState& s = buttonThread();
    s.worker.Quit();
    s.worker.Wait(-1);
    s.worker = WorkerThread{};
    s.io.reset();
}

void RestartButtonThread(uint32_t mask, ExternalInputDelivery deliver, BoardReport report)
{
    if (!loggingMode())
        return;
    StopButtonThread();
    StartButtonThread(mask, std::move(deliver), std::move(report));
}

bool ButtonThreadRunning()
{
    return buttonThread().worker.Running();
}

bool PostDigitalOutput(int /*board*/, int bit, int value)
{
    if (!digitalBoard())
        return false;
    ButtonThreadState& s = buttonThread();
    if (!s.worker.Running()) {
        qCInfo(digitalLog) << "output bit" << bit << "not set: the external-button thread does not run";
        return false;
    }
    s.worker.Post([io = s.io, bit, value] { io->SetDigitalOutputBit(int16_t(bit), int16_t(value)); });
    return true;
}

void StartCounterThread(CounterProgress progress)
{
    CounterThreadState& t = counterThread();
    if (!digitalBoard() || t.worker.Running())
        return;
    stopThreadsAtExit();
    t.countRate = store::TheProgramSettings.ButtonCountRate;
    t.progress = std::move(progress);
    t.worker.Start("counters", [](QObject*) {});
}

bool RequestDigitalOutput(int bit, int count, int type, int lengthMs)
{
    if (!digitalBoard())
        return false;
    static constexpr unsigned kMessageOfType[] = {0, platform::kMsgSetBitHigh, platform::kMsgSetBitLow,
                                                  platform::kMsgPulsesHighLow, platform::kMsgPulsesLowHigh};
    if (type < 1 || type > 4)
        return true; // no pulse asked
    CounterThreadState& t = counterThread();
    // Without the external-button thread no level would reach the board.
    if (!t.worker.Running() || !buttonThread().worker.Running())
        return false;
    const unsigned message = kMessageOfType[type];
    const uint64_t wParam = (uint64_t(uint16_t(bit)) << kWordBits) + uint64_t(uint16_t(count));
    const std::vector<PulseStep> steps = PulseTrain(message, wParam, lengthMs, t.countRate);
    const bool showProgress = (message == platform::kMsgPulsesHighLow || message == platform::kMsgPulsesLowHigh)
                           && count > kProgressBoxAboveCount && t.progress;
    t.worker.Post([steps, showProgress, count, progress = t.progress] {
        if (showProgress)
            onUiThread([progress, count] { progress(-1, count); });
        for (std::size_t i = 0; i < steps.size(); ++i) {
            if (showProgress && i % 2 == 0)
                onUiThread([progress, n = int(i / 2), count] { progress(n, count); });
            PostDigitalOutput(0, steps[i].bit, steps[i].value);
            // The counter thread alone waits between levels.
            if (steps[i].waitMs > 0)
                QThread::msleep(ulong(steps[i].waitMs));
        }
        if (showProgress)
            onUiThread([progress, count] { progress(count, count); });
    });
    return true;
}

bool CounterThreadRunning()
{
    return counterThread().worker.Running();
}

void QuitCounterThread()
{
    counterThread().worker.Quit();
}

bool WaitCounterThread(int ms)
{
    return counterThread().worker.Wait(ms);
}

} // namespace velmar::forms
