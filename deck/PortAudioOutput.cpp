// The deck's speakers through PortAudio. The device callback only copies
// frames out of a single-producer, single-consumer ring that the engine
// thread fills; it never blocks and touches nothing else.
#include "deck/AudioOutput.h"

#include <portaudio.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

namespace velmar::deck {

namespace {

class PortAudioOutput final : public AudioOutput {
public:
    ~PortAudioOutput() override { close(); }

    QString open(int device, int channels, int rate, std::size_t capacityFrames) override
    {
        close();
        if (const PaError e = Pa_Initialize(); e != paNoError)
            return QString::fromUtf8(Pa_GetErrorText(e));
        m_initialised = true;
        const PaDeviceIndex index = outputDevice(device);
        if (index == paNoDevice) {
            close();
            return QStringLiteral("There is no sound output device %1.").arg(device);
        }
        m_channels = channels;
        m_ring.assign(capacityFrames * std::size_t(channels), 0);
        m_capacity = capacityFrames;
        m_read.store(0);
        m_write.store(0);
        PaStreamParameters out{};
        out.device = index;
        out.channelCount = channels;
        out.sampleFormat = paInt16;
        out.suggestedLatency = Pa_GetDeviceInfo(index)->defaultHighOutputLatency;
        PaError e = Pa_OpenStream(&m_stream, nullptr, &out, rate, paFramesPerBufferUnspecified, paNoFlag,
                                  &PortAudioOutput::callback, this);
        if (e == paNoError)
            e = Pa_StartStream(m_stream);
        if (e != paNoError) {
            const QString text = QString::fromUtf8(Pa_GetErrorText(e));
            close();
            return text;
        }
        return {};
    }

    bool write(const int16_t* samples, std::size_t frames) override
    {
        const uint64_t w = m_write.load(std::memory_order_relaxed);
        if (w + frames - m_read.load(std::memory_order_acquire) > m_capacity)
            return false;
        for (std::size_t f = 0; f < frames; ++f) {
            const std::size_t slot = std::size_t((w + f) % m_capacity) * std::size_t(m_channels);
            std::memcpy(&m_ring[slot], samples + f * std::size_t(m_channels), std::size_t(m_channels) * 2);
        }
        m_write.store(w + frames, std::memory_order_release);
        return true;
    }

    uint64_t framesPlayed() const override { return m_read.load(std::memory_order_acquire); }

    void reset() override
    {
        if (m_stream)
            Pa_AbortStream(m_stream); // the callback has returned for good
        m_read.store(m_write.load());
    }

    void close() override
    {
        if (m_stream) {
            Pa_AbortStream(m_stream);
            Pa_CloseStream(m_stream);
            m_stream = nullptr;
        }
        if (m_initialised) {
            Pa_Terminate();
            m_initialised = false;
        }
    }

private:
    static PaDeviceIndex outputDevice(int number)
    {
        if (number < 0)
            return Pa_GetDefaultOutputDevice();
        int seen = 0;
        for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i) {
            const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
            if (info && info->maxOutputChannels > 0 && seen++ == number)
                return i;
        }
        return paNoDevice;
    }

    static int callback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                        PaStreamCallbackFlags, void* user)
    {
        auto* self = static_cast<PortAudioOutput*>(user);
        auto* out = static_cast<int16_t*>(output);
        const uint64_t r = self->m_read.load(std::memory_order_relaxed);
        const uint64_t available = self->m_write.load(std::memory_order_acquire) - r;
        const std::size_t n = std::size_t(std::min<uint64_t>(available, frames));
        const std::size_t width = std::size_t(self->m_channels);
        for (std::size_t f = 0; f < n; ++f)
            std::memcpy(out + f * width, &self->m_ring[std::size_t((r + f) % self->m_capacity) * width], width * 2);
        std::memset(out + n * width, 0, (frames - n) * width * 2);
        self->m_read.store(r + n, std::memory_order_release);
        return paContinue;
    }

    bool m_initialised = false;
    PaStream* m_stream = nullptr;
    int m_channels = 1;
    std::size_t m_capacity = 1;
    std::vector<int16_t> m_ring;
    std::atomic<uint64_t> m_read{0};
    std::atomic<uint64_t> m_write{0};
};

} // namespace

std::unique_ptr<AudioOutput> MakePortAudioOutput()
{
    return std::make_unique<PortAudioOutput>();
}

QStringList PortAudioOutputNames()
{
    QStringList names;
    if (Pa_Initialize() != paNoError)
        return names;
    for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info && info->maxOutputChannels > 0)
            names << QString::fromUtf8(info->name);
    }
    Pa_Terminate();
    return names;
}

} // namespace velmar::deck
