#pragma once
// One input device of Pelvane, as the acquisition engine drives it.
//
// A device is made, started, stopped and destroyed on the acquisition thread.
// It answers start and stop through DeviceEvents, at once or later, and hands
// its samples (interleaved int16 in scan-list order, whole scans) to
// DeviceEvents::deviceBlock on the acquisition thread. Devices whose driver
// calls back on a thread of its own are the shared sound inputs
// (sound/input/), run by SoundInputDevice: their callbacks copy into a
// sample ring there, drained on the acquisition thread.
#include "settings/PipeSettings.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace velmar::pipeserver {

class DeviceEvents {
public:
    virtual ~DeviceEvents() = default;
    // The device samples; `sampleRate` is the rate it really runs at.
    virtual void deviceStarted(int sampleRate) = 0;
    // The device did not start; it has cleaned up. Text and caption for the operator.
    virtual void deviceStartFailed(const QString& text, const QString& caption) = 0;
    // The device has stopped (an error text when the stop did not go cleanly;
    // the device is let go of all the same).
    virtual void deviceStopped(const QString& error) = 0;
    virtual void deviceBlock(const int16_t* samples, qsizetype count) = 0;
    // A passing status text for the dialog's status line.
    virtual void deviceStatus(const QString& text) = 0;
};

class AcquisitionDevice {
public:
    virtual ~AcquisitionDevice() = default;
    virtual void start(const PipeSettings& settings, DeviceEvents& events) = 0;
    virtual void stop() = 0;
};

} // namespace velmar::pipeserver
