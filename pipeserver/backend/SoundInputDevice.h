#pragma once
// Pelvane's device on one of the shared sound inputs (a sound card through
// PortAudio, a JACK server): the input's callback copies whole scans into a
// sample ring and rings its bell; the acquisition thread wakes on the bell,
// drains the ring, hands the samples on as one block and tells the dialog's
// status line of every loss (scans the ring could not take, the device's
// overflows or the server's xruns).
//
// Acquisition thread only, apart from the input's callbacks.
#include "pipeserver/AcquisitionDevice.h"
#include "sound/input/SoundInput.h"

#include <QString>

#include <memory>
#include <vector>

class QSocketNotifier;

namespace velmar::pipeserver {

class SoundInputDevice : public AcquisitionDevice {
public:
    // gapsName names the input's reported losses on the status line ("JACK
    // xruns"); soundCard: the settings' buffer length gives the frames of a
    // callback.
    SoundInputDevice(std::unique_ptr<sound::SoundInput> input, QString gapsName, bool soundCard);
    ~SoundInputDevice() override;
    void start(const PipeSettings& settings, DeviceEvents& events) override;
    void stop() override;

private:
    QString close(); // the reason when it did not go cleanly
    // Hands on what the ring holds; with report, tells of new losses and problems.
    void drain(bool report);
    void reportLosses();

    std::unique_ptr<sound::SoundInput> m_input;
    QString m_gapsName;
    bool m_soundCard;
    DeviceEvents* m_events = nullptr;
    std::unique_ptr<sound::SampleRing> m_ring;
    std::unique_ptr<QSocketNotifier> m_bell;
    std::vector<int16_t> m_out;
    bool m_running = false;
    int m_reportedGaps = 0;
    qint64 m_reportedLost = 0;
};

// The sound card's buffer: BufferSeconds x SampleRate x ScanLength samples
// in 30 buffers, in bytes (0 when the rate cannot fill one scan per buffer).
int SoundCardBufferBytes(const PipeSettings& settings);

} // namespace velmar::pipeserver
