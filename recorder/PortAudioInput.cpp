#include "recorder/PortAudioInput.h"

#include <portaudio.h>

#include <QMutex>

namespace velmar::recorder {
namespace {

const QString SoundCardCaption = QStringLiteral("Error starting Soundcard");
// Frames per callback: small, so that the ring fills evenly.
constexpr unsigned long CallbackFrames = 1024;

// PortAudio's library is initialised once per user; several recorders and
// the settings page share it.
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

// Input devices in listing order: their PortAudio indexes.
std::vector<PaDeviceIndex> InputDevices()
{
    std::vector<PaDeviceIndex> list;
    const PaDeviceIndex n = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < n; ++i)
        if (const PaDeviceInfo* info = Pa_GetDeviceInfo(i); info && info->maxInputChannels > 0)
            list.push_back(i);
    return list;
}

QString DeviceLabel(PaDeviceIndex index)
{
    const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
    const PaHostApiInfo* api = info ? Pa_GetHostApiInfo(info->hostApi) : nullptr;
    if (!info)
        return {};
    return api ? QStringLiteral("%1: %2").arg(QString::fromUtf8(api->name), QString::fromUtf8(info->name))
               : QString::fromUtf8(info->name);
}

int Callback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags,
             void* user)
{
    static_cast<PortAudioInput*>(user)->deliver(input, frames);
    return paContinue;
}

} // namespace

PortAudioInput::PortAudioInput() = default;

PortAudioInput::~PortAudioInput()
{
    stop();
}

bool PortAudioInput::start(AcquisitionSettings& settings, SampleRing& ring)
{
    stop();
    if (!AcquirePortAudio())
        return fail(QStringLiteral("The sound system could not be started"), SoundCardCaption);
    m_initialised = true;
    const auto devices = InputDevices();
    if (settings.device < 0 || std::size_t(settings.device) >= devices.size()) {
        stop();
        return fail(QStringLiteral("Sound card %1 (%2 ?) cannot be found on the system")
                        .arg(settings.device)
                        .arg(settings.deviceName),
                    SoundCardCaption);
    }
    PaStreamParameters in{};
    in.device = devices[std::size_t(settings.device)];
    in.channelCount = settings.channels;
    in.sampleFormat = paInt16;
    in.suggestedLatency = Pa_GetDeviceInfo(in.device)->defaultHighInputLatency;
    m_ring = &ring;
    m_channels = settings.channels;
    m_frames = 0;
    PaError err = Pa_OpenStream(&m_stream, &in, nullptr, double(settings.sampleRate), CallbackFrames, paClipOff,
                                &Callback, this);
    if (err == paNoError)
        err = Pa_StartStream(m_stream);
    if (err != paNoError) {
        const QString text = QString::fromUtf8(Pa_GetErrorText(err));
        stop();
        return fail(text, SoundCardCaption);
    }
    return true;
}

void PortAudioInput::deliver(const void* input, unsigned long frames)
{
    if (!input)
        return;
    m_ring->push(static_cast<const int16_t*>(input), std::size_t(frames) * std::size_t(m_channels));
    m_frames.fetch_add(qint64(frames), std::memory_order_relaxed);
}

void PortAudioInput::stop()
{
    if (m_stream) {
        // Pa_StopStream returns once the last callback has finished.
        Pa_StopStream(m_stream);
        Pa_CloseStream(m_stream);
        m_stream = nullptr;
    }
    if (m_initialised) {
        ReleasePortAudio();
        m_initialised = false;
    }
}

std::vector<SoundCardInfo> ListSoundCards()
{
    std::vector<SoundCardInfo> list;
    if (!AcquirePortAudio())
        return list;
    for (PaDeviceIndex i : InputDevices())
        list.push_back({DeviceLabel(i), Pa_GetDeviceInfo(i)->maxInputChannels});
    ReleasePortAudio();
    return list;
}

} // namespace velmar::recorder
