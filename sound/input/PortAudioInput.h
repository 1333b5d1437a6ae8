#pragma once
// A sound card through PortAudio as a sound input: an input stream of 16-bit
// samples, without dither and without clipping, whose callback only copies
// the frames into the sample ring. A callback that PortAudio flags with an
// input overflow counts a gap, and the frames its time stamps show to be
// missing count in lostFrames(). Device n is the n-th PortAudio device that
// has inputs, in PortAudio's order.
//
// Owner's thread only, apart from PortAudio's callback. PortAudio's library
// is initialised once for all users of the process (InputCards and every
// running input share it).
#include "sound/input/SoundInput.h"

#include <QString>

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

typedef void PaStream;

namespace velmar::sound {

// Frames of one callback when the settings do not say.
inline constexpr unsigned long DefaultCallbackFrames = 1024;

class PortAudioInput : public SoundInput {
public:
    explicit PortAudioInput(QString caption = QStringLiteral("Error starting Soundcard"));
    ~PortAudioInput() override;
    bool prepare(InputSettings& settings) override;
    bool start(InputSettings& settings, SampleRing& ring) override;
    void stop() override;
    std::size_t blockSamples() const override;
    qint64 position() const override { return m_frames.load(); }
    qint64 lostFrames() const override { return m_lost.load(); }
    int gaps() const override { return m_overflows.load(); }
    QString takeProblem() override { return std::exchange(m_stopProblem, QString()); }

    // The callback's body (PortAudio's thread; tests call it directly):
    // `overflow` as PortAudio's input-overflow flag, `adcTime` the capture
    // time of the first frame in seconds (0: unknown).
    void deliver(const void* input, unsigned long frames, bool overflow, double adcTime);
    // Before a test's first deliver, what start would set.
    void setTarget(SampleRing& ring, int channels, uint32_t sampleRate);

private:
    QString m_caption;
    PaStream* m_stream = nullptr;
    SampleRing* m_ring = nullptr;
    int m_channels = 0;
    uint32_t m_rate = 0;
    unsigned long m_callbackFrames = DefaultCallbackFrames;
    bool m_initialised = false;
    std::atomic<qint64> m_frames{0};
    std::atomic<qint64> m_lost{0};
    std::atomic<int> m_overflows{0};
    double m_nextAdcTime = 0; // callback only
    QString m_stopProblem;
};

// A sound card with inputs, in device-number order.
struct InputCard {
    QString name;
    QString hostApi; // "ALSA", "JACK Audio Connection Kit", ...
    int maxChannels = 0;
};
// Any thread that no stream of the list's own runs on.
std::vector<InputCard> InputCards();

} // namespace velmar::sound
