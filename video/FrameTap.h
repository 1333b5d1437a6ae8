#pragma once
// The frame tap: the component's own in-place video filter, registered with
// GStreamer inside the process (nothing is written to disk or loaded). Every
// frame that passes it is mapped writable and handed to the tap's handler,
// which stamps the overlays on it and copies what it needs; grey scale and
// colour inversion are applied here first. Frames whose buffer is smaller
// than their size and stride say are dropped, never read past their end.
//
// Threads: frames reach the handler on the graph's streaming thread. Binding
// and the processing flags may change from any thread; unbinding waits for a
// frame in progress.
#include "VideoTypes.h"

#include <QImage>
#include <QString>

#include <gst/gst.h>

namespace velmar::video {

// The version a tap reports; a component refuses any other.
constexpr int frameTapVersion = 7035;
constexpr const char* frameTapFactory = "velmarframetap";

class FrameTapHandler {
public:
    virtual ~FrameTapHandler() = default;
    // One frame, writable in place; `streamTime` in 100-ns units.
    virtual void tapFrame(QImage& frame, qint64 streamTime) = 0;
};

struct TapProcessing {
    bool grayScale = false;
    bool invertColors = false;
};

// Registers the element with GStreamer; once per process, later calls only
// answer whether it is there.
bool RegisterFrameTap();
void SetFrameTapHandler(GstElement* tap, FrameTapHandler* handler);
void SetFrameTapProcessing(GstElement* tap, TapProcessing processing);
int FrameTapVersion(GstElement* tap);
// Frames the tap refused because their buffer did not hold them.
quint64 FrameTapDroppedFrames(GstElement* tap);

// The caps format the tap asks for, by the frame grabber's RGB format
// (TFrameGrabberRGBFormat), and the picture format of those frames.
const char* TapCapsFormat(int rgbFormat);
QImage::Format TapImageFormat(const char* capsFormat);

// The RGB format the frame grabber works in: frames that are processed must
// be 24 or 32 bits; the default follows the device's format, else the screen.
TFrameGrabberRGBFormat GrabberRgbFormat(TFrameGrabberRGBFormat requested, const QString& subtype, int screenDepth,
                                        bool mustBeRgb);
// The flip method (GStreamer's videoflip numbering) of a rotation (a mirrored
// one mirrors first, then turns) followed by the horizontal and vertical flips.
int VideoFlipMethod(TVideoRotation rotation, bool flipHorizontal, bool flipVertical);

// Grey scale and inversion of a frame in place (32- and 24-bit frames).
void ApplyTapProcessing(QImage& frame, TapProcessing processing);

} // namespace velmar::video
