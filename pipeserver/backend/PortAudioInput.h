#pragma once
// The sound-card back-end (DeviceType 1): a PortAudio input stream of the
// scan list's channels as 16-bit samples, in buffers of a thirtieth of the
// buffer length, handed over through a RingInput. DeviceNumber counts the
// PortAudio devices that have inputs, in PortAudio's order.
//
// Acquisition thread only, apart from PortAudio's callback.
#include "pipeserver/AcquisitionDevice.h"

#include <QStringList>

#include <memory>

namespace velmar::pipeserver {

class PortAudioInput : public AcquisitionDevice {
public:
    PortAudioInput();
    ~PortAudioInput() override;
    void start(const PipeSettings& settings, DeviceEvents& events) override;
    void stop() override;

    // The names of the devices with inputs, in DeviceNumber order (any thread
    // that no stream runs on; the settings pages ask while acquisition is idle).
    static QStringList inputDeviceNames();

    struct State;

private:
    QString close();

    std::unique_ptr<State> m_state;
    DeviceEvents* m_events = nullptr;
};

// The sound card's buffer: BufferSeconds x SampleRate x ScanLength samples
// in 30 buffers, in bytes (0 when the rate cannot fill one scan per buffer).
int SoundCardBufferBytes(const PipeSettings& settings);

} // namespace velmar::pipeserver
