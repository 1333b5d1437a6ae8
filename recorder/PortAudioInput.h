#pragma once
// A sound card through PortAudio: its callback only copies the 16-bit frames
// into the sample ring.
#include "recorder/InputBackend.h"

typedef void PaStream;

namespace velmar::recorder {

class PortAudioInput : public InputBackend {
public:
    PortAudioInput();
    ~PortAudioInput() override;
    bool start(AcquisitionSettings& settings, SampleRing& ring) override;
    void stop() override;
    qint64 position() const override { return m_frames.load(); }

    // Callback body (PortAudio's thread).
    void deliver(const void* input, unsigned long frames);

private:
    PaStream* m_stream = nullptr;
    SampleRing* m_ring = nullptr;
    int m_channels = 0;
    bool m_initialised = false;
    std::atomic<qint64> m_frames{0};
};

} // namespace velmar::recorder
