#pragma once
// A device provider of test sources: each device is a live videotestsrc or
// audiotestsrc limited to the sizes it is given. Devices can be plugged and
// unplugged at run time; unplugging one posts a read error from its running
// sources, as a camera pulled from its socket does, and a device can stall.
//
// Scripted runs and tests use it in place of the system's devices.
// User-interface thread only.
#include "DeviceProvider.h"

#include <QHash>
#include <QList>

typedef struct _GObject GObject;

namespace velmar::video {

class TestDeviceProvider : public DeviceProvider {
    Q_OBJECT
public:
    explicit TestDeviceProvider(QObject* parent = nullptr);
    ~TestDeviceProvider() override;

    // Adds a video device offering the sizes (format "I420" unless given).
    void addVideoDevice(const QString& path, const QString& friendlyName, const QList<VideoSize>& sizes,
                        const QString& formatName = QStringLiteral("I420"));
    void addAudioDevice(const QString& path, const QString& friendlyName);
    // The picture a video device's sources show from now on: a pattern of
    // videotestsrc ("smpte", the default, with its patch of noise; "colors"
    // stands still, "ball" moves).
    void setPattern(const QString& path, const QString& pattern) { m_patterns[path] = pattern; }
    // Removes a device: its running sources report a read error.
    void removeDevice(const QString& path);
    // The device's running sources deliver no more frames, as a camera that
    // hangs without an error.
    void stallDevice(const QString& path);

    QList<DeviceDescription> devices(DeviceCategory category) const override;
    GstElement* createSource(const QString& path, DeviceCategory category) override;

private:
    QList<DeviceDescription> m_devices;
    QHash<QString, QString> m_patterns;
    QHash<QString, QList<GstElement*>> m_sources; // weak: cleared when a source is finalised
    static void sourceFinalized(void* data, ::GObject* object);
};

} // namespace velmar::video
