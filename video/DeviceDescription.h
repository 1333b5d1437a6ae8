#pragma once
// What a device provider tells the component about one capture device or
// compressor, without GStreamer types.
#include "VideoFormatLists.h"

#include <QList>
#include <QString>

namespace velmar::video {

enum class DeviceCategory { VideoInput, AudioInput, VideoCompressor, AudioCompressor };

// One structure of a device's caps: a format and its sizes (a fixed size has
// its limits equal to it) and frame rates in hundredths of a frame per second.
struct CapsEntry {
    QString formatName; // the component's name: "YUY2", "RGB24", "MJPG"
    VideoSize size;
    VideoSize minSize;
    VideoSize maxSize;
    int minRate = 0;
    int maxRate = 0;
    friend bool operator==(const CapsEntry&, const CapsEntry&) = default;
};

struct DeviceDescription {
    // The device path or serial ("/dev/video0"); names the device in stored
    // settings and lets the provider make its source again.
    QString path;
    QString friendlyName;
    DeviceCategory category = DeviceCategory::VideoInput;
    QList<CapsEntry> formats;
    // The element factory of a compressor ("x264enc").
    QString factoryName;
};

} // namespace velmar::video
