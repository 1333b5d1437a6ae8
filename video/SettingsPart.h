#pragma once
// The component-wide settings of the video component: the published values
// that are neither a device's, a capture's, a recording's nor the
// player's, what a graph freezes of them (with the frame capture values it
// reads on its threads) for its whole life, and the values kept of the last
// use (the last clip played, the last recording's file).
//
// User-interface thread; the frozen values are read by GStreamer's threads
// while the graph they were frozen for runs.
#include "DeviceSettings.h"
#include "FrameCapturePart.h"
#include "VideoFormatLists.h"
#include "VideoTypes.h"

namespace velmar::video {

struct ComponentSettings {
    int videoDevice = -1;
    int audioDevice = -1;
    int videoSize = 0;
    int videoSubtype = 0;
    double frameRate = 0.0;
    TVideoSource videoSource = vs_VideoCaptureDevice;
    TFrameGrabber frameGrabber = fg_BothStreams;
    TVideoRenderer videoRenderer = vr_AutoSelect;
    bool autoStartPreview = false;
    bool synchronized = false;
    bool storeDeviceSettings = true;
    bool eventSynchrone = false;
    TNotificationMethod notificationMethod = nm_Timer;
    int notificationSleepTime = -1;
    bool audioDeviceRendering = false;
    bool audioRecording = false;
    bool autoRefreshPreview = true;
    bool associateDevices = false;
    TMultiplexedRole multiplexedRole = mr_NotMultiplexed;
    VideoSize configuredSize; // 0 x 0 for the chosen video size
};

// Frozen for the life of one graph.
struct FrozenSettings {
    bool frozen = false;
    TFrameGrabber frameGrabber = fg_BothStreams;
    TVideoRenderer videoRenderer = vr_AutoSelect;
    TVideoSource videoSource = vs_VideoCaptureDevice;
    int rateHundredths = 0;
    int subtypeIndex = -1;
    bool audioRecording = false;
    TFrameGrabberRGBFormat rgbFormat = fgf_Default; // chosen by the component
    bool withoutOverlay = false;
    bool display = false;
    TSampleCapture sampleVideo = sc_Disabled;
    TSampleCapture sampleAudio = sc_Disabled;
    bool sampleAsync = true;
    bool grabberSynchrone = false;
};

class SettingsPart {
public:
    ComponentSettings values;
    FrozenSettings frozen;
    TDeviceSettings lastUse{TDeviceSettings::LastUse};

    // A frame grabber beyond the known ones, or the same, is refused (false).
    bool setFrameGrabber(TFrameGrabber grabber);
    // The source is a capture device of its own (not a multiplexed slave,
    // whose frames come from its master).
    bool captureDeviceSource() const
    {
        return values.videoSource == vs_VideoCaptureDevice && values.multiplexedRole != mr_MultiplexedSlave;
    }
    // Freezes the values for a new graph, all but its RGB format and the
    // frozen mark, which the component sets when the graph is ready to build.
    void freeze(const FrameCaptureSettings& capture);
};

} // namespace velmar::video
