#pragma once
// Where the video component's catalogues get their devices from, and how a
// graph gets a source element for a device.
//
// The real provider watches GStreamer's device monitor; tests use one that
// offers videotestsrc and audiotestsrc devices and can plug and unplug them.
// Used on the user-interface thread; devicesChanged is emitted there.
#include "DeviceDescription.h"

#include <QObject>
#include <memory>

typedef struct _GstElement GstElement;

namespace velmar::video {

class DeviceProvider : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~DeviceProvider() override = default;

    // The devices present now, in a stable order.
    virtual QList<DeviceDescription> devices(DeviceCategory category) const = 0;
    // A new source element (floating reference) for a device present now;
    // nullptr when the device is gone.
    virtual GstElement* createSource(const QString& path, DeviceCategory category) = 0;

signals:
    // A device arrived or was removed (one signal per system notification).
    void devicesChanged();
};

// GStreamer's device monitor ("Video/Source", "Audio/Source") and the
// encoder factories for the compressor catalogues.
std::unique_ptr<DeviceProvider> createSystemDeviceProvider();

// Compressors: the encoder factories of GStreamer's registry (video:
// with the Motion JPEG encoder last).
QList<DeviceDescription> listCompressors(DeviceCategory category);

} // namespace velmar::video
