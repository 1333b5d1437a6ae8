#include "pipeserver/backend/NiDaqMxInput.h"

#include <QTimer>

#include <cstdint>
#include <vector>

namespace velmar::pipeserver {

namespace {
using sound::TaskHandle;
constexpr int32_t TerminalDifferential = sound::NiMxDifferential;
constexpr int32_t TerminalReferenced = sound::NiMxReferenced;
constexpr int32_t TerminalNonReferenced = 10078;
constexpr int32_t UnitsVolts = sound::NiMxVolts;
constexpr int32_t RisingEdge = 10280;
constexpr int32_t ContinuousSamples = 10123;
constexpr int PollMs = 50;
constexpr double FullScaleVolts = 5.0;
} // namespace

sound::NiDaqMxLibrary& TheNiDaqMxLibrary(const QString& file)
{
    return sound::TheNiDaqMx(file);
}

bool NiMxIsLoaded()
{
    return TheNiDaqMxLibrary().NiMxIsLoaded();
}

std::optional<QString> NiMxDeviceName(int n)
{
    return TheNiDaqMxLibrary().NiMxDeviceName(n);
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
    sound::NiDaqMxLibrary& mx = TheNiDaqMxLibrary();
    QString error;
    m_state->poll.stop();
    if (m_state->task) {
        if (const int32_t e = mx.Entry().DAQmxStopTask(m_state->task); e < 0)
            error = QStringLiteral("DAQmxStopTask: ") + mx.ErrorText(e);
        if (const int32_t e = mx.Entry().DAQmxClearTask(m_state->task); e < 0 && error.isEmpty())
            error = QStringLiteral("DAQmxClearTask: ") + mx.ErrorText(e);
    }
    m_state.reset();
    return error;
}

void NiDaqMxInput::start(const PipeSettings& settings, DeviceEvents& events)
{
    close();
    m_events = &events;
    sound::NiDaqMxLibrary& mx = TheNiDaqMxLibrary();
    if (!mx.NiMxIsLoaded()) {
        events.deviceStartFailed(
            QStringLiteral("NI-DAQmx is not available: its library (libnidaqmx) is not installed."),
            QStringLiteral("NI-DAQmx"));
        return;
    }
    // The library counts as loaded without some entry points; a scan needs these.
    const sound::NiDaqMxEntryPoints& entry = mx.Entry();
    QStringList lacking;
    const auto need = [&lacking](bool present, const char* name) {
        if (!present)
            lacking << QString::fromLatin1(name);
    };
    need(entry.DAQmxCreateTask, "DAQmxCreateTask");
    need(entry.DAQmxCreateAIVoltageChan, "DAQmxCreateAIVoltageChan");
    need(entry.DAQmxSetAIRngLow, "DAQmxSetAIRngLow");
    need(entry.DAQmxSetAIRngHigh, "DAQmxSetAIRngHigh");
    need(entry.DAQmxCfgSampClkTiming, "DAQmxCfgSampClkTiming");
    need(entry.DAQmxStartTask, "DAQmxStartTask");
    need(entry.DAQmxStopTask, "DAQmxStopTask");
    need(entry.DAQmxClearTask, "DAQmxClearTask");
    need(entry.DAQmxGetReadAvailSampPerChan, "DAQmxGetReadAvailSampPerChan");
    need(entry.DAQmxReadRaw, "DAQmxReadRaw");
    if (!lacking.isEmpty()) {
        events.deviceStartFailed(
            QStringLiteral("The NI-DAQmx library lacks %1.").arg(lacking.join(QStringLiteral(", "))),
            QStringLiteral("NI mx DLL Error"));
        return;
    }
    m_state = std::make_unique<State>();
    // Every failing call ends the start with the library's text; the task
    // made so far is cleared, so the next start begins afresh.
    const auto fail = [&](const char* call, int32_t code) {
        const QString text = mx.ErrorText(code);
        if (m_state->task)
            mx.Entry().DAQmxClearTask(m_state->task);
        m_state.reset();
        events.deviceStartFailed(text.isEmpty() ? QStringLiteral("error %1").arg(code) : text,
                                 QString::fromLatin1(call));
    };
    if (const int32_t e = mx.Entry().DAQmxCreateTask("QuintraDAQ", &m_state->task); e < 0)
        return fail("DAQmxCreateTask", e);
    const int32_t terminal = settings.NiInputConfig == 1 ? TerminalReferenced
                           : settings.NiInputConfig == 2 ? TerminalNonReferenced
                                                         : TerminalDifferential;
    for (int slot = 0; slot < settings.ScanLength; ++slot) {
        const int channel = settings.ScanList[slot];
        const QByteArray name = "Dev" + QByteArray::number(settings.DeviceNumber) + "/ai" + QByteArray::number(channel);
        const int gain = settings.ChannelSettings[channel].Gain;
        const double g = gain == -1 ? 0.5 : double(gain);
        if (const int32_t e = mx.Entry().DAQmxCreateAIVoltageChan(m_state->task, name.constData(), "", terminal,
                                                                  -FullScaleVolts / g, FullScaleVolts / g, UnitsVolts,
                                                                  nullptr);
            e < 0)
            return fail("DAQmxCreateAIVoltageChan", e);
        if (const int32_t e = mx.Entry().DAQmxSetAIRngLow(m_state->task, name.constData(), -FullScaleVolts / g); e < 0)
            return fail("DAQmxSetAIRngLow", e);
        if (const int32_t e = mx.Entry().DAQmxSetAIRngHigh(m_state->task, name.constData(), FullScaleVolts / g); e < 0)
            return fail("DAQmxSetAIRngHigh", e);
    }
    if (const int32_t e = mx.Entry().DAQmxCfgSampClkTiming(m_state->task, nullptr, settings.SampleRate, RisingEdge,
                                                           ContinuousSamples, uint64_t(settings.SampleRate));
        e < 0)
        return fail("DAQmxCfgSampClkTiming", e);
    if (const int32_t e = mx.Entry().DAQmxStartTask(m_state->task); e < 0)
        return fail("DAQmxStartTask", e);
    m_state->blockFrames = settings.SampleRate / 10;
    m_state->scanLength = settings.ScanLength;
    m_state->block.resize(std::size_t(m_state->blockFrames) * std::size_t(settings.ScanLength));
    State* state = m_state.get();
    QObject::connect(&m_state->poll, &QTimer::timeout, [state, &events, &mx] {
        uint32_t available = 0;
        if (mx.Entry().DAQmxGetReadAvailSampPerChan(state->task, &available) < 0
            || available < uint32_t(state->blockFrames))
            return;
        int32_t read = 0, bytesPerSample = 0;
        const int32_t e = mx.Entry().DAQmxReadRaw(state->task, state->blockFrames, 0.0, state->block.data(),
                                                  uint32_t(state->block.size() * 2), &read, &bytesPerSample, nullptr);
        if (e < 0) {
            events.deviceStatus(QStringLiteral("DAQmxReadRaw: ") + mx.ErrorText(e));
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
