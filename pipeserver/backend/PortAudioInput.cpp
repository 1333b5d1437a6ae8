#include "pipeserver/backend/PortAudioInput.h"

#include "pipeserver/backend/RingInput.h"

#include <portaudio.h>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPortAudio, "velmar.pipeserver.portaudio")

namespace velmar::pipeserver {

namespace {
constexpr int SoundCardBuffers = 30;
const QString Caption = QStringLiteral("Sound Card");

// The PortAudio index of the n-th device that has inputs, or -1.
int inputDeviceIndex(int n)
{
    const int count = Pa_GetDeviceCount();
    for (int i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info && info->maxInputChannels > 0 && n-- == 0)
            return i;
    }
    return -1;
}
} // namespace

struct PortAudioInput::State {
    bool initialised = false;
    unsigned long channels = 0;
    PaStream* stream = nullptr;
    std::unique_ptr<RingInput> ring;
};

namespace {
int callback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags,
             void* arg)
{
    auto* s = static_cast<PortAudioInput::State*>(arg);
    if (input)
        s->ring->push(static_cast<const int16_t*>(input), frames * s->channels);
    return paContinue;
}
} // namespace

int SoundCardBufferBytes(const PipeSettings& settings)
{
    const qint64 total = qint64(settings.BufferSeconds) * settings.SampleRate * settings.ScanLength;
    const qint64 bytes = total / SoundCardBuffers * 2;
    return bytes < qint64(settings.ScanLength) * 2 ? 0 : int(bytes);
}

PortAudioInput::PortAudioInput() = default;

PortAudioInput::~PortAudioInput()
{
    close();
}

QStringList PortAudioInput::inputDeviceNames()
{
    QStringList names;
    if (Pa_Initialize() != paNoError)
        return names;
    const int count = Pa_GetDeviceCount();
    for (int i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info && info->maxInputChannels > 0)
            names << QString::fromUtf8(info->name);
    }
    Pa_Terminate();
    return names;
}

QString PortAudioInput::close()
{
    if (!m_state)
        return {};
    QString error;
    if (m_state->stream) {
        const PaError stopped = Pa_StopStream(m_state->stream);
        if (stopped != paNoError)
            error = QString::fromUtf8(Pa_GetErrorText(stopped));
        Pa_CloseStream(m_state->stream);
    }
    if (m_state->initialised)
        Pa_Terminate();
    m_state.reset();
    return error;
}

void PortAudioInput::start(const PipeSettings& settings, DeviceEvents& events)
{
    close();
    m_events = &events;
    const int bufferBytes = SoundCardBufferBytes(settings);
    if (bufferBytes == 0) {
        events.deviceStartFailed(
            QStringLiteral("A sample rate of %1 Hz gives empty sound card buffers.").arg(settings.SampleRate), Caption);
        return;
    }
    m_state = std::make_unique<State>();
    m_state->channels = unsigned(settings.ScanLength);
    const PaError init = Pa_Initialize();
    if (init != paNoError) {
        m_state.reset();
        events.deviceStartFailed(QString::fromUtf8(Pa_GetErrorText(init)), Caption);
        return;
    }
    m_state->initialised = true;
    const int device = inputDeviceIndex(settings.DeviceNumber);
    if (device < 0) {
        close();
        events.deviceStartFailed(QStringLiteral("No Sound Card"), Caption);
        return;
    }
    m_state->ring = std::make_unique<RingInput>(
        std::size_t(settings.BufferSeconds) * std::size_t(settings.SampleRate) * std::size_t(settings.ScanLength),
        [&events](const int16_t* samples, qsizetype count) { events.deviceBlock(samples, count); });
    PaStreamParameters in{};
    in.device = device;
    in.channelCount = settings.ScanLength;
    in.sampleFormat = paInt16;
    in.suggestedLatency = Pa_GetDeviceInfo(device)->defaultHighInputLatency;
    const unsigned long frames = unsigned(bufferBytes / 2 / settings.ScanLength);
    PaError err = Pa_OpenStream(&m_state->stream, &in, nullptr, settings.SampleRate, frames, paClipOff | paDitherOff,
                                callback, m_state.get());
    if (err == paNoError)
        err = Pa_StartStream(m_state->stream);
    if (err != paNoError) {
        const QString text = QString::fromUtf8(Pa_GetErrorText(err));
        if (m_state->stream) {
            Pa_CloseStream(m_state->stream);
            m_state->stream = nullptr;
        }
        close();
        events.deviceStartFailed(text, Caption);
        return;
    }
    qCInfo(lcPortAudio) << "sampling" << Pa_GetDeviceInfo(device)->name << "at" << settings.SampleRate << "Hz";
    events.deviceStarted(settings.SampleRate);
}

void PortAudioInput::stop()
{
    const QString error = close();
    if (m_events)
        m_events->deviceStopped(error);
}

} // namespace velmar::pipeserver
