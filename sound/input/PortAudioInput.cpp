#include "sound/input/PortAudioInput.h"

#include <portaudio.h>

#include <QLoggingCategory>
#include <QMutex>

#include <cmath>

Q_LOGGING_CATEGORY(lcPortAudioInput, "velmar.sound.input.portaudio")

namespace velmar::sound {
namespace {

// PortAudio's initialisation is not safe from several threads at once; the
// inputs, the lists and other PortAudio users of the process share it here.
QMutex g_paLock;
int g_paUsers = 0;

bool AcquirePortAudio()
{
    QMutexLocker lock(&g_paLock);
    if (g_paUsers == 0 && Pa_Initialize() != paNoError)
        return false;
    ++g_paUsers;
    return true;
}

void ReleasePortAudio()
{
    QMutexLocker lock(&g_paLock);
    if (g_paUsers > 0 && --g_paUsers == 0)
        Pa_Terminate();
}

// Input devices in device-number order: their PortAudio indexes.
std::vector<PaDeviceIndex> InputDevices()
{
    std::vector<PaDeviceIndex> list;
    const PaDeviceIndex n = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < n; ++i)
        if (const PaDeviceInfo* info = Pa_GetDeviceInfo(i); info && info->maxInputChannels > 0)
            list.push_back(i);
    return list;
}

int Callback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo* time,
             PaStreamCallbackFlags flags, void* user)
{
    static_cast<PortAudioInput*>(user)->deliver(input, frames, (flags & paInputOverflow) != 0,
                                                time ? time->inputBufferAdcTime : 0.0);
    return paContinue;
}

} // namespace

PortAudioInput::PortAudioInput(QString caption) : m_caption(std::move(caption))
{
}

PortAudioInput::~PortAudioInput()
{
    stop();
}

bool PortAudioInput::prepare(InputSettings& settings)
{
    m_callbackFrames = settings.framesPerCallback > 0 ? settings.framesPerCallback : DefaultCallbackFrames;
    m_channels = settings.channels;
    return true;
}

std::size_t PortAudioInput::blockSamples() const
{
    return std::size_t(m_callbackFrames) * std::size_t(std::max(1, m_channels));
}

void PortAudioInput::setTarget(SampleRing& ring, int channels, uint32_t sampleRate)
{
    m_ring = &ring;
    m_channels = channels;
    m_rate = sampleRate;
    m_frames = 0;
    m_lost = 0;
    m_overflows = 0;
    m_nextAdcTime = 0;
}

bool PortAudioInput::start(InputSettings& settings, SampleRing& ring)
{
    stop();
    m_stopProblem.clear();
    prepare(settings);
    if (!AcquirePortAudio())
        return fail(QStringLiteral("The sound system could not be started"), m_caption);
    m_initialised = true;
    const auto devices = InputDevices();
    if (settings.device < 0 || std::size_t(settings.device) >= devices.size()) {
        stop();
        return fail(settings.deviceName.isEmpty()
                        ? QStringLiteral("Sound card %1 cannot be found on the system").arg(settings.device)
                        : QStringLiteral("Sound card %1 (%2 ?) cannot be found on the system")
                              .arg(settings.device)
                              .arg(settings.deviceName),
                    m_caption);
    }
    PaStreamParameters in{};
    in.device = devices[std::size_t(settings.device)];
    in.channelCount = settings.channels;
    in.sampleFormat = paInt16;
    in.suggestedLatency = Pa_GetDeviceInfo(in.device)->defaultHighInputLatency;
    setTarget(ring, settings.channels, settings.sampleRate);
    // The samples are stored as the card delivers them: a sound server
    // between (JACK, PulseAudio) hands PortAudio floats, which it would
    // otherwise dither on the way to 16 bits.
    PaError err = Pa_OpenStream(&m_stream, &in, nullptr, double(settings.sampleRate), m_callbackFrames,
                                paClipOff | paDitherOff, &Callback, this);
    if (err == paNoError)
        err = Pa_StartStream(m_stream);
    if (err != paNoError) {
        const QString text = QString::fromUtf8(Pa_GetErrorText(err));
        stop();
        return fail(text, m_caption);
    }
    qCInfo(lcPortAudioInput) << "sampling" << Pa_GetDeviceInfo(in.device)->name << "at" << settings.sampleRate << "Hz";
    return true;
}

void PortAudioInput::deliver(const void* input, unsigned long frames, bool overflow, double adcTime)
{
    if (overflow) {
        m_overflows.fetch_add(1, std::memory_order_relaxed);
        // The capture time shows how much the card lost before this buffer.
        if (adcTime > 0 && m_nextAdcTime > 0 && m_rate > 0) {
            const double missing = std::round((adcTime - m_nextAdcTime) * double(m_rate));
            if (missing > 0)
                m_lost.fetch_add(qint64(missing), std::memory_order_relaxed);
        }
    }
    if (adcTime > 0 && m_rate > 0)
        m_nextAdcTime = adcTime + double(frames) / double(m_rate);
    if (!input || !m_ring)
        return;
    m_ring->push(static_cast<const int16_t*>(input), std::size_t(frames) * std::size_t(m_channels));
    m_frames.fetch_add(qint64(frames), std::memory_order_relaxed);
}

void PortAudioInput::stop()
{
    if (m_stream) {
        // Pa_StopStream returns once the last callback has finished.
        if (const PaError stopped = Pa_StopStream(m_stream); stopped != paNoError)
            m_stopProblem = QString::fromUtf8(Pa_GetErrorText(stopped));
        Pa_CloseStream(m_stream);
        m_stream = nullptr;
    }
    if (m_initialised) {
        ReleasePortAudio();
        m_initialised = false;
    }
}

std::vector<InputCard> InputCards()
{
    std::vector<InputCard> list;
    if (!AcquirePortAudio())
        return list;
    for (PaDeviceIndex i : InputDevices()) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        const PaHostApiInfo* api = Pa_GetHostApiInfo(info->hostApi);
        list.push_back(
            {QString::fromUtf8(info->name), api ? QString::fromUtf8(api->name) : QString(), info->maxInputChannels});
    }
    ReleasePortAudio();
    return list;
}

} // namespace velmar::sound
