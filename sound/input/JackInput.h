#pragma once
// A client of a JACK server as a sound input: one input port per channel,
// connected to the server's source port of that channel; the server's rate
// is the rate of the input. The process callback converts the float samples
// to 16 bits (clamped) and hands each period over whole, however long the
// server's period is; a cycle the client missed (the server's frame time
// jumped) is counted in lostFrames(), each xrun in gaps().
//
// Owner's thread only, apart from the callbacks on JACK's threads.
#include "sound/input/SoundInput.h"

#include <QString>

#include <memory>

namespace velmar::sound {

class JackInput : public SoundInput {
public:
    // clientName: the name the server lists the client by; sourcePorts: a
    // regular expression for the ports to read, in order (the server's
    // physical capture ports when empty); caption: of the messages. The
    // counters (position, lostFrames, gaps) keep their values after a stop.
    explicit JackInput(QString clientName, QString sourcePorts = {}, QString caption = QStringLiteral("JACK"));
    ~JackInput() override;
    bool prepare(InputSettings& settings) override;
    bool start(InputSettings& settings, SampleRing& ring) override;
    void stop() override;
    std::size_t blockSamples() const override;
    qint64 position() const override;
    qint64 lostFrames() const override;
    int gaps() const override;
    QString takeProblem() override;

    // The name device lists show for the JACK server.
    static QString driverName();

    struct State;

private:
    QString m_clientName;
    QString m_sourcePorts;
    QString m_caption;
    std::unique_ptr<State> m_state;
    QString m_stopProblem;
    // The counters of the last run, kept after its stop.
    qint64 m_lastFrames = 0;
    qint64 m_lastLost = 0;
    int m_lastXruns = 0;
};

// Frames converted at once by the process callback; a longer period is
// converted and handed over in pieces of this size.
inline constexpr std::size_t JackScratchFrames = 4096;

// The process callback's body: `frames` frames of `channels` float buffers
// (one per channel) into the ring as 16-bit interleaved frames, through
// `scratch` (JackScratchFrames x channels samples). Returns the frames the
// ring took.
std::size_t PushFloatPeriod(const float* const* buffers, int channels, std::size_t frames, int16_t* scratch,
                            SampleRing& ring);

} // namespace velmar::sound
