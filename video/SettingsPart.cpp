#include "SettingsPart.h"

#include <cmath>

namespace velmar::video {

namespace {
constexpr int hundredths = 100;
} // namespace

bool SettingsPart::setFrameGrabber(TFrameGrabber grabber)
{
    if (grabber < fg_BothStreams || grabber > fg_Disabled || grabber == values.frameGrabber)
        return false;
    values.frameGrabber = grabber;
    return true;
}

void SettingsPart::freeze(const FrameCaptureSettings& capture)
{
    frozen.frameGrabber = values.frameGrabber;
    frozen.videoRenderer = values.videoRenderer;
    frozen.videoSource = values.videoSource;
    frozen.audioRecording = values.audioRecording;
    frozen.rateHundredths = int(std::lround(values.frameRate * hundredths));
    frozen.subtypeIndex = values.videoSubtype;
    frozen.withoutOverlay = capture.withoutOverlay;
    frozen.display = values.videoRenderer != vr_None;
    frozen.sampleVideo = capture.sampleVideo;
    frozen.sampleAudio = capture.sampleAudio;
    frozen.sampleAsync = capture.sampleAsync;
    frozen.grabberSynchrone = capture.grabberSynchrone;
}

} // namespace velmar::video
