#pragma once
// Piped data: Pelvane's recorder pipe, asked for over the bus and read by
// polling on the recorder thread. When Pelvane closes the pipe (it quits, or
// dies) the input has ended: it says so once, and the recorder stops.
#include "recorder/EndingInput.h"
#include "recorder/InputBackend.h"
#include "sound/PelvanePipeClient.h"

#include <memory>
#include <optional>

namespace velmar::recorder {

class PipedInput : public InputBackend, public EndingInput {
public:
    // The messenger reaches Pelvane (the session bus by default);
    // `firstSamplesMs` is how long Pelvane's device may take to deliver its
    // first samples (a JACK client starts slowly on a loaded machine).
    explicit PipedInput(sound::PelvanePipeClient::Messenger messenger = sound::PelvanePipeClient::busMessenger(),
                        int firstSamplesMs = 10000);
    ~PipedInput() override;
    // Asks Pelvane for the pipe and waits for its first samples: the rate
    // and channels are then those Pelvane's device really runs at.
    bool prepare(AcquisitionSettings& settings) override;
    bool start(AcquisitionSettings& settings, SampleRing& ring) override;
    void stop() override;
    void poll(SampleRing& ring) override;
    qint64 position() const override { return m_frames; }
    QString takeProblem() override;
    bool ended() const override { return m_ended; }

private:
    sound::PelvanePipeClient::Messenger m_messenger;
    int m_firstSamplesMs;
    std::unique_ptr<sound::PelvanePipeClient> m_client;
    QByteArray m_partial; // bytes short of a whole sample
    int m_channels = 0;
    qint64 m_frames = 0;
    bool m_ended = false; // the pipe has closed and been read to its end
    bool m_endedSaid = false;
};

} // namespace velmar::recorder
