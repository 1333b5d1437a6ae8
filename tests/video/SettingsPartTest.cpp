// The component-wide settings on their own: what a graph freezes of them,
// the frame grabbers refused, and which sources are a device of their own.
#include "video/SettingsPart.h"

#include <gtest/gtest.h>

using namespace velmar::video;

TEST(SettingsPart, AGraphFreezesTheValuesItWasBuiltWith)
{
    SettingsPart part;
    part.values.frameRate = 29.97;
    part.values.videoSubtype = 2;
    part.values.videoRenderer = vr_None;
    part.values.audioRecording = true;
    FrameCaptureSettings capture;
    capture.withoutOverlay = true;
    capture.sampleVideo = sc_AfterOnDraw;
    capture.sampleAsync = false;
    capture.grabberSynchrone = true;
    part.freeze(capture);
    part.values.frameRate = 10.0;
    capture.withoutOverlay = false;
    EXPECT_EQ(part.frozen.rateHundredths, 2997) << "rounded, and kept when the value changes";
    EXPECT_EQ(part.frozen.subtypeIndex, 2);
    EXPECT_FALSE(part.frozen.display) << "no renderer, no display";
    EXPECT_TRUE(part.frozen.audioRecording);
    EXPECT_TRUE(part.frozen.withoutOverlay);
    EXPECT_EQ(part.frozen.sampleVideo, sc_AfterOnDraw);
    EXPECT_FALSE(part.frozen.sampleAsync);
    EXPECT_TRUE(part.frozen.grabberSynchrone);
    EXPECT_FALSE(part.frozen.frozen) << "the component marks it when the graph is ready";
}

TEST(SettingsPart, RefusesUnknownFrameGrabbersAndKnowsItsOwnSources)
{
    SettingsPart part;
    EXPECT_FALSE(part.setFrameGrabber(part.values.frameGrabber)) << "the same";
    EXPECT_FALSE(part.setFrameGrabber(TFrameGrabber(fg_Disabled + 1)));
    EXPECT_TRUE(part.setFrameGrabber(fg_Disabled));
    EXPECT_EQ(part.values.frameGrabber, fg_Disabled);

    EXPECT_TRUE(part.captureDeviceSource());
    part.values.multiplexedRole = mr_MultiplexedSlave;
    EXPECT_FALSE(part.captureDeviceSource()) << "a slave's frames come from its master";
    part.values.multiplexedRole = mr_MultiplexedMaster;
    part.values.videoSource = vs_VideoFromBitmaps;
    EXPECT_FALSE(part.captureDeviceSource());
}
