#include "pipeserver/backend/NiDaqMxInput.h"

#include <QLoggingCategory>
#include <QTimer>

#include <dlfcn.h>

#include <cstdint>
#include <vector>

Q_LOGGING_CATEGORY(lcNiMx, "velmar.pipeserver.nidaqmx")

namespace velmar::pipeserver {

namespace {
using TaskHandle = void*;
constexpr int32_t TerminalDifferential = 10106;
constexpr int32_t TerminalReferenced = 10083;
constexpr int32_t TerminalNonReferenced = 10078;
constexpr int32_t UnitsVolts = 10348;
constexpr int32_t RisingEdge = 10280;
constexpr int32_t ContinuousSamples = 10123;
constexpr int PollMs = 50;
constexpr double FullScaleVolts = 5.0;
} // namespace

class NiDaqMxLibrary {
public:
    explicit NiDaqMxLibrary(const QString& file)
    {
        const QStringList names = file.isEmpty() ? QStringList{"libnidaqmx.so.1", "libnidaqmx.so"} : QStringList{file};
        for (const QString& name : names) {
            m_handle = dlopen(name.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
            if (m_handle)
                break;
        }
        if (!m_handle) {
            qCInfo(lcNiMx) << "no NI-DAQmx library:" << names;
            return;
        }
        bind(CreateTask, "DAQmxCreateTask");
        bind(CreateAIVoltageChan, "DAQmxCreateAIVoltageChan");
        bind(SetAIRngLow, "DAQmxSetAIRngLow");
        bind(SetAIRngHigh, "DAQmxSetAIRngHigh");
        bind(CfgSampClkTiming, "DAQmxCfgSampClkTiming");
        bind(StartTask, "DAQmxStartTask");
        bind(StopTask, "DAQmxStopTask");
        bind(ClearTask, "DAQmxClearTask");
        bind(GetErrorString, "DAQmxGetErrorString");
        bind(GetReadAvailSampPerChan, "DAQmxGetReadAvailSampPerChan");
        bind(ReadRaw, "DAQmxReadRaw");
        bind(GetDevProductType, "DAQmxGetDevProductType");
    }

    bool isLoaded() const { return m_handle != nullptr; }
    // Entry points that the library lacks: the library counts as loaded,
    // and a call that needs one of them fails with this text.
    QString missing() const { return m_missing.join(QStringLiteral(", ")); }

    QString errorText(int32_t code) const
    {
        char text[256] = {};
        if (GetErrorString)
            GetErrorString(code, text, sizeof text);
        return QString::fromLocal8Bit(text);
    }

    int32_t (*CreateTask)(const char*, TaskHandle*) = nullptr;
    int32_t (*CreateAIVoltageChan)(TaskHandle, const char*, const char*, int32_t, double, double, int32_t, const char*) = nullptr;
    int32_t (*SetAIRngLow)(TaskHandle, const char*, double) = nullptr;
    int32_t (*SetAIRngHigh)(TaskHandle, const char*, double) = nullptr;
    int32_t (*CfgSampClkTiming)(TaskHandle, const char*, double, int32_t, int32_t, uint64_t) = nullptr;
    int32_t (*StartTask)(TaskHandle) = nullptr;
    int32_t (*StopTask)(TaskHandle) = nullptr;
    int32_t (*ClearTask)(TaskHandle) = nullptr;
    int32_t (*GetErrorString)(int32_t, char*, uint32_t) = nullptr;
    int32_t (*GetReadAvailSampPerChan)(TaskHandle, uint32_t*) = nullptr;
    int32_t (*ReadRaw)(TaskHandle, int32_t, double, void*, uint32_t, int32_t*, int32_t*, uint32_t*) = nullptr;
    int32_t (*GetDevProductType)(const char*, char*, uint32_t) = nullptr;

private:
    template <typename F>
    void bind(F& fn, const char* name)
    {
        fn = reinterpret_cast<F>(dlsym(m_handle, name));
        if (!fn)
            m_missing << QString::fromLatin1(name);
    }

    void* m_handle = nullptr;
    QStringList m_missing;
};

NiDaqMxLibrary& TheNiDaqMxLibrary(const QString& file)
{
    static NiDaqMxLibrary library(file);
    return library;
}

bool NiMxIsLoaded()
{
    return TheNiDaqMxLibrary().isLoaded();
}

std::optional<QString> NiMxDeviceName(int n)
{
    NiDaqMxLibrary& mx = TheNiDaqMxLibrary();
    if (!mx.isLoaded() || !mx.GetDevProductType)
        return std::nullopt;
    char text[50] = {};
    if (mx.GetDevProductType(QByteArray("Dev" + QByteArray::number(n)).constData(), text, sizeof text) < 0)
        return std::nullopt;
    return QString::fromLocal8Bit(text) + QStringLiteral(" (mx)");
}

struct NiDaqMxInput::State {
    TaskHandle task = nullptr;
    QTimer poll;
    std::vector<int16_t> block;
    int blockFrames = 0;
    int scanLength = 0;
};

NiDaqMxInput::NiDaqMxInput() = default;

NiDaqMxInput::~NiDaqMxInput()
{
    close();
}

QString NiDaqMxInput::close()
{
    if (!m_state)
        return {};
    NiDaqMxLibrary& mx = TheNiDaqMxLibrary();
    QString error;
    m_state->poll.stop();
    if (m_state->task) {
        if (const int32_t e = mx.StopTask(m_state->task); e < 0)
            error = QStringLiteral("DAQmxStopTask: ") + mx.errorText(e);
        if (const int32_t e = mx.ClearTask(m_state->task); e < 0 && error.isEmpty())
            error = QStringLiteral("DAQmxClearTask: ") + mx.errorText(e);
    }
    m_state.reset();
    return error;
}

void NiDaqMxInput::start(const PipeSettings& settings, DeviceEvents& events)
{
    close();
    m_events = &events;
    NiDaqMxLibrary& mx = TheNiDaqMxLibrary();
    if (!mx.isLoaded()) {
        events.deviceStartFailed(QStringLiteral("NI-DAQmx is not available: its library (libnidaqmx) is not installed."),
                                 QStringLiteral("NI-DAQmx"));
        return;
    }
    if (!mx.missing().isEmpty()) {
        events.deviceStartFailed(QStringLiteral("The NI-DAQmx library lacks %1.").arg(mx.missing()), QStringLiteral("NI mx DLL Error"));
        return;
    }
    m_state = std::make_unique<State>();
    // Every failing call ends the start with the library's text; the task
    // made so far is cleared, so the next start begins afresh.
    const auto fail = [&](const char* call, int32_t code) {
        const QString text = mx.errorText(code);
        if (m_state->task)
            mx.ClearTask(m_state->task);
        m_state.reset();
        events.deviceStartFailed(text.isEmpty() ? QStringLiteral("error %1").arg(code) : text, QString::fromLatin1(call));
    };
    if (const int32_t e = mx.CreateTask("QuintraDAQ", &m_state->task); e < 0)
        return fail("DAQmxCreateTask", e);
    const int32_t terminal = settings.NiInputConfig == 1   ? TerminalReferenced
                             : settings.NiInputConfig == 2 ? TerminalNonReferenced
                                                           : TerminalDifferential;
    for (int slot = 0; slot < settings.ScanLength; ++slot) {
        const int channel = settings.ScanList[slot];
        const QByteArray name = "Dev" + QByteArray::number(settings.DeviceNumber) + "/ai" + QByteArray::number(channel);
        const int gain = settings.ChannelSettings[channel].Gain;
        const double g = gain == -1 ? 0.5 : double(gain);
        if (const int32_t e = mx.CreateAIVoltageChan(m_state->task, name.constData(), "", terminal, -FullScaleVolts / g,
                                                     FullScaleVolts / g, UnitsVolts, nullptr); e < 0)
            return fail("DAQmxCreateAIVoltageChan", e);
        if (const int32_t e = mx.SetAIRngLow(m_state->task, name.constData(), -FullScaleVolts / g); e < 0)
            return fail("DAQmxSetAIRngLow", e);
        if (const int32_t e = mx.SetAIRngHigh(m_state->task, name.constData(), FullScaleVolts / g); e < 0)
            return fail("DAQmxSetAIRngHigh", e);
    }
    if (const int32_t e = mx.CfgSampClkTiming(m_state->task, nullptr, settings.SampleRate, RisingEdge, ContinuousSamples,
                                              uint64_t(settings.SampleRate)); e < 0)
        return fail("DAQmxCfgSampClkTiming", e);
    if (const int32_t e = mx.StartTask(m_state->task); e < 0)
        return fail("DAQmxStartTask", e);
    m_state->blockFrames = settings.SampleRate / 10;
    m_state->scanLength = settings.ScanLength;
    m_state->block.resize(std::size_t(m_state->blockFrames) * std::size_t(settings.ScanLength));
    State* state = m_state.get();
    QObject::connect(&m_state->poll, &QTimer::timeout, [state, &events, &mx] {
        uint32_t available = 0;
        if (mx.GetReadAvailSampPerChan(state->task, &available) < 0 || available < uint32_t(state->blockFrames))
            return;
        int32_t read = 0, bytesPerSample = 0;
        const int32_t e = mx.ReadRaw(state->task, state->blockFrames, 0.0, state->block.data(),
                                     uint32_t(state->block.size() * 2), &read, &bytesPerSample, nullptr);
        if (e < 0) {
            events.deviceStatus(QStringLiteral("DAQmxReadRaw: ") + mx.errorText(e));
            return;
        }
        // Only what was read goes on: a short read is whole scans still.
        if (read != state->blockFrames)
            events.deviceStatus(QStringLiteral("Wrong number of samples read"));
        events.deviceBlock(state->block.data(), qsizetype(read) * state->scanLength);
    });
    m_state->poll.start(PollMs);
    events.deviceStarted(settings.SampleRate);
}

void NiDaqMxInput::stop()
{
    const QString error = close();
    if (m_events)
        m_events->deviceStopped(error);
}

} // namespace velmar::pipeserver
