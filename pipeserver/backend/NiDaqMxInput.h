#pragma once
// The NI-DAQmx back-end (DeviceType 10). The library is loaded with dlopen on
// first use, under its Linux name (or the file the program was told to use);
// without it every start fails at once and says that NI-DAQmx is not
// available. Sampling: one task "QuintraDAQ" of the scan list's channels,
// polled every 50 ms on the acquisition thread for tenths of a second of raw
// samples.
//
// Acquisition thread only (the device names: the user-interface thread while
// acquisition is idle).
#include "pipeserver/AcquisitionDevice.h"
#include "sound/boards/NiDaqLibrary.h"

#include <QString>

#include <memory>
#include <optional>

namespace velmar::pipeserver {

// The process's NI-DAQmx library (shared with Velmar's binding); `file`
// names it on the first call only (empty: the Linux names
// "libnidaqmx.so.1", "libnidaqmx.so").
sound::NiDaqMxLibrary& TheNiDaqMxLibrary(const QString& file = {});
bool NiMxIsLoaded();
// "Dev<n>"'s product type followed by " (mx)", or nothing.
std::optional<QString> NiMxDeviceName(int n);

class NiDaqMxInput : public AcquisitionDevice {
public:
    NiDaqMxInput();
    ~NiDaqMxInput() override;
    void start(const PipeSettings& settings, DeviceEvents& events) override;
    void stop() override;

    struct State;

private:
    QString close();

    std::unique_ptr<State> m_state;
    DeviceEvents* m_events = nullptr;
};

// A device kind this system cannot sample here: every start fails with its
// text, and nothing is left behind.
class UnavailableInput : public AcquisitionDevice {
public:
    UnavailableInput(QString text, QString caption) : m_text(std::move(text)), m_caption(std::move(caption)) {}
    void start(const PipeSettings&, DeviceEvents& events) override { events.deviceStartFailed(m_text, m_caption); }
    void stop() override {}

private:
    QString m_text;
    QString m_caption;
};

} // namespace velmar::pipeserver
