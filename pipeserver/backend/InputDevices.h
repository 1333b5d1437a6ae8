#pragma once
// Which back-end samples a settings record's device kind, and the list of
// devices the settings pages offer.
#include "pipeserver/AcquisitionDevice.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace velmar::pipeserver {

struct InputDeviceOptions {
    QString jackSourcePorts; // ports to read instead of the capture ports
};

// A device for the record's DeviceType (one that says why it cannot sample
// for a kind that has no back-end here). Acquisition thread.
std::unique_ptr<AcquisitionDevice> MakeInputDevice(const PipeSettings& settings, const InputDeviceOptions& options);

// One entry of the Sampling page's device list.
struct InputDeviceEntry {
    QString name;
    int deviceType = 0;
    int deviceNumber = 0;
};
// Sound cards, NI-DAQmx devices 1-9 and the JACK server, in this order.
QList<InputDeviceEntry> ListInputDevices();
// The device line of the main dialog for a record ("Sound Card - %s", ...);
// nothing for an unknown kind.
std::optional<QString> DeviceLine(const PipeSettings& settings);

} // namespace velmar::pipeserver
