#pragma once
// The ASIO kind of the recording settings (kind 11): a client of the JACK
// server. Channel c is the server's (c+1)-th capture port; the server's rate
// and period are taken as they are, so the recording gets the server's rate.
// The process callback converts the float samples to 16 bits (clamped) and
// only copies whole periods into the sample ring.
//
// Recorder thread only, apart from the callbacks on JACK's thread.
#include "recorder/InputBackend.h"

#include <atomic>
#include <memory>

namespace velmar::recorder {

class JackInput : public InputBackend {
public:
    JackInput();
    ~JackInput() override;
    bool prepare(AcquisitionSettings& settings) override;
    bool start(AcquisitionSettings& settings, SampleRing& ring) override;
    void stop() override;
    std::size_t blockSamples() const override;
    qint64 position() const override;
    QString takeProblem() override;

    // The name the device list shows for the JACK server.
    static QString driverName();

    struct State;

private:
    std::unique_ptr<State> m_state;
};

} // namespace velmar::recorder
