// The recording part on its own: the values it refuses or bounds, what a
// graph freezes of them, recording on motion, the ASF profile with the
// component's values over it, and the gates that drop frames or end the
// writer's file on a small running pipeline.
#include "video/RecordingPart.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
// True once the condition holds, false when it has not within limitMs.
template <typename F>
bool WaitUntil(F condition, int limitMs)
{
    QElapsedTimer limit;
    limit.start();
    while (!condition()) {
        if (limit.elapsed() > limitMs)
            return false;
        QThread::msleep(5);
    }
    return true;
}
} // namespace

TEST(RecordingPart, RefusesOrBoundsOutOfRangeValues)
{
    RecordingPart part;
    part.setMethod(rm_ASF);
    part.setMethod(TRecordingMethod(7));
    EXPECT_EQ(part.settings().method, rm_ASF) << "an unknown method keeps the one before";
    part.setBacktimedCount(12);
    part.setBacktimedCount(-1);
    EXPECT_EQ(part.settings().backtimedCount, 12);
    part.setAudioInputLevel(70000);
    EXPECT_EQ(part.settings().audioInputLevel, RecordingPart::maxLevel);
    part.setAudioInputLevel(-5);
    EXPECT_EQ(part.settings().audioInputLevel, 0);
    EXPECT_TRUE(RecordingPart::balanceInRange(-32768));
    EXPECT_TRUE(RecordingPart::balanceInRange(32767));
    EXPECT_FALSE(RecordingPart::balanceInRange(32768));
    EXPECT_FALSE(RecordingPart::balanceInRange(-32769));
}

TEST(RecordingPart, ExtensionFollowsTheMethodUnlessGiven)
{
    struct Case {
        TRecordingMethod method;
        QString given;
        QString expected;
    } cases[] = {
        {rm_AVI, "", "avi"},    {rm_ASF, "", "asf"},    {rm_ASF, "Default", "asf"},
        {rm_AVI, "mkv", "mkv"}, {rm_ASF, "avi", "avi"},
    };
    for (const Case& c : cases) {
        RecordingPart part;
        part.setMethod(c.method);
        part.settings().fileExt = c.given;
        EXPECT_EQ(part.extension(), c.expected) << c.given.toStdString();
    }
}

TEST(RecordingPart, FreezesWhatAGraphUses)
{
    struct Case {
        const char* legend;
        bool hold, onMotion, captureDevice, prealloc;
        TRecordingMethod method;
        bool frozenHold, frozenCanPause, frozenPrealloc, preallocRefused;
    } cases[] = {
        {"held from a device", true, false, true, false, rm_AVI, true, false, false, false},
        {"held from pictures is not held", true, false, false, false, rm_AVI, false, false, false, false},
        {"on motion: never held, can pause", true, true, true, false, rm_AVI, false, true, false, false},
        {"preallocated AVI", false, false, true, true, rm_AVI, false, false, true, false},
        {"preallocated ASF is refused", false, false, true, true, rm_ASF, false, false, false, true},
    };
    for (const Case& c : cases) {
        RecordingPart part;
        part.settings().hold = c.hold;
        part.settings().onMotion = c.onMotion;
        part.settings().preallocEnabled = c.prealloc;
        part.settings().backtimedCount = 3;
        part.setMethod(c.method);
        EXPECT_EQ(part.freeze(c.captureDevice, true), c.preallocRefused) << c.legend;
        EXPECT_EQ(part.frozen().hold, c.frozenHold) << c.legend;
        EXPECT_EQ(part.frozen().canPause, c.frozenCanPause) << c.legend;
        EXPECT_EQ(part.frozen().prealloc, c.frozenPrealloc) << c.legend;
        EXPECT_EQ(part.frozen().backtimed, 3) << c.legend;
        EXPECT_EQ(part.frozen().method, c.method) << c.legend;
    }
}

TEST(RecordingPart, RecordingOnMotionActsOnlyOnARunningRecordingFrozenWithIt)
{
    RecordingPart part;
    part.settings().motionThreshold = 0.5;
    part.settings().motionDelayMs = 1000;
    part.freeze(true, false);
    part.active = true;
    EXPECT_EQ(part.motionStep(false, 0.0, 5000), MotionRecordingGate::Nothing) << "frozen without it";

    part.settings().onMotion = true;
    part.freeze(true, false);
    part.active = false;
    EXPECT_EQ(part.motionStep(false, 0.0, 5000), MotionRecordingGate::Nothing) << "no recording runs";
    part.active = true;
    EXPECT_EQ(part.motionStep(true, 0.8, 0), MotionRecordingGate::Nothing);
    EXPECT_EQ(part.motionStep(false, 0.0, 1500), MotionRecordingGate::Pause);
    part.paused = true;
    EXPECT_EQ(part.motionStep(true, 0.8, 1600), MotionRecordingGate::Resume);
}

TEST(RecordingPart, AsfValuesAreTheProfilesWithTheComponentsOverThem)
{
    const QString profile = R"(<profile version="589824" name="test">
<streamconfig majortype="video" streamnumber="1" streamname="Video Stream">
  <wmmediatype subtype="WMV3"><videoinfoheader dwbitrate="250000"><bitmapinfoheader biwidth="320" biheight="240"/></videoinfoheader></wmmediatype>
</streamconfig>
<streamconfig majortype="audio" streamnumber="2" streamname="Audio Stream" bitrate="32000">
  <wmmediatype subtype="WMA"><waveformatex nChannels="2" nSamplesPerSec="44100"/></wmmediatype>
</streamconfig></profile>)";
    struct Case {
        const char* legend;
        int videoRate, audioRate, width, height;
        AsfValues expected;
    } cases[] = {
        {"the profile's", -1, -1, -1, -1, {250000, 32000, 320, 240}},
        {"rates over it", 500000, 64000, -1, -1, {500000, 64000, 320, 240}},
        {"a size needs both", 640, -1, 640, -1, {640, 32000, 320, 240}},
        {"the size over it", -1, -1, 160, 120, {250000, 32000, 160, 120}},
    };
    for (const Case& c : cases) {
        RecordingPart part;
        part.settings().asfVideoBitRate = c.videoRate;
        part.settings().asfAudioBitRate = c.audioRate;
        part.settings().asfVideoWidth = c.width;
        part.settings().asfVideoHeight = c.height;
        TASFXML xml;
        xml.Parse(profile);
        const AsfValues v = part.asfValues(xml);
        EXPECT_EQ(v.videoBitRate, c.expected.videoBitRate) << c.legend;
        EXPECT_EQ(v.audioBitRate, c.expected.audioBitRate) << c.legend;
        EXPECT_EQ(v.width, c.expected.width) << c.legend;
        EXPECT_EQ(v.height, c.expected.height) << c.legend;
        EXPECT_EQ(xml.Attribute("biwidth", ask_Video).toInt(), c.expected.width) << c.legend << ": set in the profile";
    }
    RecordingPart part;
    TASFXML empty;
    const AsfValues none = part.asfValues(empty);
    EXPECT_EQ(none.videoBitRate + none.audioBitRate + none.width + none.height, 0) << "no profile, no values";
}

namespace {
// A source whose frames pass a gate (the identity's output) to a sink the
// part watches as its writer.
struct GatedPipeline {
    GstElement* pipeline = nullptr;

    explicit GatedPipeline(RecordingPart& part)
    {
        if (!gst_is_initialized())
            gst_init(nullptr, nullptr);
        pipeline = gst_parse_launch("videotestsrc is-live=true ! video/x-raw,width=32,height=24,framerate=50/1 ! "
                                    "identity name=gate ! fakesink name=writer sync=false async=false",
                                    nullptr);
        GstElement* gate = gst_bin_get_by_name(GST_BIN(pipeline), "gate");
        part.setGatePad(RecordingPart::videoGate, gst_element_get_static_pad(gate, "src"));
        gst_object_unref(gate);
        GstElement* writer = gst_bin_get_by_name(GST_BIN(pipeline), "writer");
        GstPad* input = gst_element_get_static_pad(writer, "sink");
        part.watchWriter(input, input);
        gst_object_unref(input);
        gst_object_unref(writer);
    }
    ~GatedPipeline()
    {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
};
} // namespace

TEST(RecordingPart, GatesDropFramesAndEndTheWritersFile)
{
    RecordingPart part;
    EXPECT_FALSE(part.finishWriter(0)) << "no writer saw an end";
    GatedPipeline graph(part);
    part.setGate(RecordingPart::videoGate, RecordingPart::gateDrop);
    part.setGate(RecordingPart::audioGate, RecordingPart::gateOpen); // no pad: nothing to do
    ASSERT_NE(gst_element_set_state(graph.pipeline, GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
    EXPECT_FALSE(WaitUntil([&] { return part.framesWritten.load() > 0; }, 200))
        << "a dropping gate lets no frame through";

    part.setGate(RecordingPart::videoGate, RecordingPart::gateOpen);
    EXPECT_TRUE(WaitUntil([&] { return part.framesWritten.load() > 0; }, 10000));
    EXPECT_TRUE(part.finishWriter(5000)) << "the next frame carries the end of stream";
    EXPECT_EQ(part.gateMode(RecordingPart::videoGate), RecordingPart::gateEnd);
}
