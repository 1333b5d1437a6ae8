// Picture and camera adjustments, inputs, standards and the tuner against
// in-memory V4L2 devices: ranges, automatic modes, stored round trips, and
// devices that lack a capability.
#include "FakeV4l2Device.h"
#include "video/DeviceControls.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace velmar::video;
using namespace velmar::video::testing;

namespace {
struct Attached {
    explicit Attached(std::shared_ptr<FakeV4l2State> s) : state(std::move(s))
    {
        controls.attach(std::make_unique<FakeV4l2Device>(state), true);
    }
    std::shared_ptr<FakeV4l2State> state;
    TDeviceControls controls;
};
} // namespace

TEST(DeviceControls, RangesComeFromTheDevice)
{
    Attached a(webcamState());
    TDeviceControls& c = a.controls;
    struct Row {
        const char* legend;
        bool camera;
        int property;
        bool available;
        int value, minimum, maximum, step, defaultValue;
    } rows[] = {
        {"brightness", false, vq_Brightness, true, 100, 0, 255, 1, 128},
        {"gain", false, vq_Gain, true, 64, 0, 100, 1, 50},
        {"white balance", false, vq_WhiteBalance, true, 4600, 2800, 6500, 10, 4600},
        {"hue: not offered", false, vq_Hue, false, 0, 0, 0, 0, 0},
        {"colour enable: no such control", false, vq_ColorEnable, false, 0, 0, 0, 0, 0},
        {"zoom", true, cc_Zoom, true, 100, 100, 500, 1, 100},
        {"focus", true, cc_Focus, true, 30, 0, 250, 5, 0},
        {"roll: no such control", true, cc_Roll, false, 0, 0, 0, 0, 0},
        {"beyond the table", true, 7, false, 0, 0, 0, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.legend);
        const TControlRecord got = r.camera ? TControlRecord{c.IsCameraControlSettingAvailable(r.property),
                                                             c.GetCameraControl(r.property),
                                                             c.CameraControlMin(r.property),
                                                             c.CameraControlMax(r.property),
                                                             c.CameraControlStep(r.property),
                                                             c.CameraControlDefault(r.property)}
                                            : TControlRecord{c.IsVideoQualitySettingAvailable(r.property),
                                                             c.GetVideoQuality(r.property),
                                                             c.VideoQualityMin(r.property),
                                                             c.VideoQualityMax(r.property),
                                                             c.VideoQualityStep(r.property),
                                                             c.VideoQualityDefault(r.property)};
        EXPECT_EQ(got.available, r.available);
        EXPECT_EQ((QList<int>{got.value, got.minimum, got.maximum, got.step, got.defaultValue}),
                  (QList<int>{r.value, r.minimum, r.maximum, r.step, r.defaultValue}));
    }
    EXPECT_TRUE(c.GetIsCameraControlAvailable());
    EXPECT_TRUE(c.GetIsVideoQualityAvailable());
}

TEST(DeviceControls, SettersCheckTheRangeAndSwitchToManual)
{
    Attached a(webcamState());
    TDeviceControls& c = a.controls;
    EXPECT_FALSE(c.SetCameraControl(cc_Zoom, 501));
    EXPECT_EQ(c.GetCameraControl(cc_Zoom), 100);
    EXPECT_FALSE(c.SetCameraControl(cc_Roll, 0)) << "not available";
    EXPECT_TRUE(a.state->writes.isEmpty());

    EXPECT_TRUE(c.SetCameraControl(cc_Zoom, 300));
    EXPECT_EQ(a.state->values[V4L2_CID_ZOOM_ABSOLUTE], 300);
    EXPECT_TRUE(c.SetVideoQuality(vq_Gain, 80));
    EXPECT_EQ(a.state->values[V4L2_CID_GAIN], 80);
    EXPECT_EQ(a.state->values[V4L2_CID_AUTOGAIN], 0) << "a value set by hand turns the automatic mode off";
    EXPECT_TRUE(c.SetCameraControl(cc_Exposure, 500));
    EXPECT_EQ(a.state->values[V4L2_CID_EXPOSURE_AUTO], V4L2_EXPOSURE_MANUAL);

    // A device that refuses the write still keeps the value asked for.
    a.state->failingControls << V4L2_CID_BRIGHTNESS;
    EXPECT_TRUE(c.SetVideoQuality(vq_Brightness, 7));
    EXPECT_EQ(c.GetVideoQuality(vq_Brightness), 7);
}

TEST(DeviceControls, AutomaticModesApplyEveryPropertyAtOnce)
{
    Attached a(webcamState());
    TDeviceControls& c = a.controls;
    ASSERT_TRUE(c.VideoQualityAuto());
    c.setVideoQualityAuto(true);
    EXPECT_TRUE(a.state->writes.isEmpty()) << "the same value applies nothing";
    c.setVideoQualityAuto(false);
    EXPECT_TRUE(a.state->writes.isEmpty()) << "nothing applied while VideoQualitySettings is off";

    c.setVideoQualitySettings(true);
    c.SetVideoQuality(vq_Brightness, 200);
    c.setVideoQualityAuto(true);
    EXPECT_EQ(a.state->values[V4L2_CID_BRIGHTNESS], 128) << "defaults in automatic mode";
    EXPECT_EQ(a.state->values[V4L2_CID_AUTOGAIN], 1);
    EXPECT_EQ(a.state->values[V4L2_CID_AUTO_WHITE_BALANCE], 1);
    c.setVideoQualityAuto(false);
    EXPECT_EQ(a.state->values[V4L2_CID_BRIGHTNESS], 200) << "stored values by hand";
    EXPECT_EQ(a.state->values[V4L2_CID_AUTOGAIN], 0);

    c.setCameraControlSettings(true);
    c.setCameraControlAuto(false);
    EXPECT_EQ(a.state->values[V4L2_CID_EXPOSURE_AUTO], V4L2_EXPOSURE_MANUAL);
    EXPECT_EQ(a.state->values[V4L2_CID_FOCUS_AUTO], 0);
    c.setCameraControlAuto(true);
    EXPECT_EQ(a.state->values[V4L2_CID_EXPOSURE_AUTO], V4L2_EXPOSURE_APERTURE_PRIORITY)
        << "the automatic entry the camera offers";
    EXPECT_EQ(a.state->values[V4L2_CID_FOCUS_AUTO], 1);

    c.setVideoControlSettings(true);
    EXPECT_TRUE(c.IsVideoControlModeAvailable(vc_FlipHorizontal));
    EXPECT_FALSE(c.IsVideoControlModeAvailable(vc_FlipVertical));
    EXPECT_FALSE(c.IsVideoControlModeAvailable(vc_Trigger));
    EXPECT_TRUE(c.SetVideoControlMode(1 << vc_FlipHorizontal));
    EXPECT_EQ(a.state->values[V4L2_CID_HFLIP], 1);
}

TEST(DeviceControls, StoredTablesRoundTrip)
{
    Attached a(webcamState());
    a.controls.SetCameraControl(cc_Zoom, 250);
    a.controls.setCameraControlAuto(false);
    TDeviceSettings settings(TDeviceSettings::Video);
    settings.setDefaults();
    a.controls.storeTo(settings);
    EXPECT_EQ(settings.value("VideoQualityValues").toByteArray().size(), 240);
    EXPECT_EQ(settings.value("CameraControlValues ").toByteArray().size(), 168);

    TDeviceControls again;
    again.loadFrom(settings);
    EXPECT_TRUE(again.HasStoredRanges());
    EXPECT_EQ(again.GetCameraControl(cc_Zoom), 250);
    EXPECT_EQ(again.CameraControlMax(cc_Zoom), 500);
    EXPECT_EQ(again.VideoQualityStep(vq_WhiteBalance), 10);
    EXPECT_FALSE(again.IsCameraControlSettingAvailable(cc_Roll));
    EXPECT_FALSE(again.CameraControlAuto());

    QVector<TControlRecord> table(cameraControlCount);
    EXPECT_FALSE(TDeviceControls::decodeTable(QByteArray(167, '\0'), table)) << "a table of another size is refused";
}

TEST(DeviceControls, DevicesWithoutACapabilityAnswerNotAvailable)
{
    Attached card(tvCardState());
    TDeviceControls& c = card.controls;
    c.setCameraControlSettings(true);
    c.setVideoQualitySettings(true);
    c.setCameraControlAuto(false);
    c.setVideoQualityAuto(false);
    EXPECT_FALSE(c.GetIsCameraControlAvailable());
    EXPECT_FALSE(c.GetIsVideoQualityAvailable());
    EXPECT_FALSE(c.SetCameraControl(cc_Zoom, 0));
    EXPECT_TRUE(card.state->writes.isEmpty()) << "nothing applied to a device without the controls";

    Attached webcam(webcamState());
    int lines = 0;
    EXPECT_FALSE(webcam.controls.VDECGetNumberOfLines(lines)) << "a camera has no analog decoder";
    EXPECT_EQ(webcam.controls.AnalogVideoStandardsCount(), 0);
    EXPECT_FALSE(webcam.controls.IsVideoCrossbarAvailable());
    EXPECT_FALSE(webcam.controls.IsTVTunerAvailable());

    TDeviceControls none;
    none.attach(nullptr, true);
    EXPECT_FALSE(none.SetVideoQuality(vq_Brightness, 1));
    EXPECT_FALSE(none.SetVideoControlMode(1));
    int in = 0, out = 0;
    EXPECT_FALSE(none.CrossbarGetPInBounds(cs_VideoCrossbar, in, out));
    EXPECT_EQ(none.VideoInputs(), "");
}

TEST(DeviceControls, InputsAreAFlatCrossbar)
{
    Attached a(tvCardState());
    TDeviceControls& c = a.controls;
    QSignalSpy logs(&c, &TDeviceControls::log);
    QSignalSpy selected(&c, &TDeviceControls::videoDeviceSelected);
    EXPECT_EQ(c.VideoInputs(), "Television\r\nComposite1\r\nS-Video");
    EXPECT_EQ(c.VideoInput(), 1) << "read from the device";

    int inputs = 0, outputs = 0;
    ASSERT_TRUE(c.CrossbarGetPInBounds(cs_VideoCrossbar, inputs, outputs));
    EXPECT_EQ(inputs, 3);
    EXPECT_EQ(outputs, 1);
    EXPECT_FALSE(c.CrossbarGetPInBounds(cs_AudioCrossbar, inputs, outputs));
    const char* names[] = {"Tuner", "Composite", "SVideo"};
    for (int i = 0; i < 3; ++i) {
        int related = 0, type = 0;
        QString name;
        ASSERT_TRUE(c.CrossbarGetPinInfo(cs_VideoCrossbar, PINDIR_INPUT, i, related, type, name));
        EXPECT_EQ(name, names[i]);
        EXPECT_EQ(related, -1);
    }
    int related = 0, type = 0;
    QString name;
    EXPECT_FALSE(c.CrossbarGetPinInfo(cs_VideoCrossbar, PINDIR_INPUT, 3, related, type, name));
    EXPECT_FALSE(c.CrossbarConnectInput(cs_VideoCrossbar, 3, 0));
    EXPECT_TRUE(a.state->writes.isEmpty()) << "refused before the device is asked";

    EXPECT_EQ(c.setVideoInput(2), 1);
    EXPECT_EQ(a.state->input, 2);
    EXPECT_EQ(c.VideoInputName(), "S-Video");
    EXPECT_EQ(selected.count(), 1);
    EXPECT_EQ(c.setVideoInput(2), 0);
    EXPECT_EQ(selected.count(), 1) << "no event when the input stays";
    EXPECT_FALSE(c.IsHorizontalSyncLocked()) << "no signal on S-Video";
    EXPECT_EQ(c.setVideoInput(3), 1) << "the count itself passes";
    EXPECT_EQ(c.VideoInputName(), "");
    EXPECT_EQ(c.setVideoInput(4), -1);
    ASSERT_EQ(logs.count(), 1);
    EXPECT_EQ(logs.first().at(1).toString(), "Video input index out of range");

    a.state->failInput = true;
    c.setVideoInput(0);
    EXPECT_EQ(logs.last().at(1).toString(), "Cannot route video crossbar input");
}

TEST(DeviceControls, AnalogStandardsOfTheDecoder)
{
    Attached a(tvCardState());
    TDeviceControls& c = a.controls;
    QSignalSpy logs(&c, &TDeviceControls::log);
    EXPECT_EQ(c.AnalogVideoStandards(), "NTSC M\r\nPAL B\r\nSECAM L");
    EXPECT_EQ(c.AnalogVideoStandard(), 1) << "PAL B/G in use";
    int lines = 0;
    ASSERT_TRUE(c.VDECGetNumberOfLines(lines));
    EXPECT_EQ(lines, 625);
    EXPECT_FALSE(c.setAnalogVideoStandard(3));
    EXPECT_EQ(logs.last().at(1).toString(), "analog video standard index out of range");
    EXPECT_TRUE(c.setAnalogVideoStandard(0));
    EXPECT_EQ(a.state->standard, V4L2_STD_NTSC_M);
    ASSERT_TRUE(c.VDECGetNumberOfLines(lines));
    EXPECT_EQ(lines, 525);
    int v = 0;
    EXPECT_FALSE(c.VDECGetOutputEnable(v));
    EXPECT_EQ(c.AnalogVideoStandardIndex("secam*"), 2);

    // The standard chosen is kept with the device and given back to it.
    ASSERT_TRUE(c.setAnalogVideoStandard(2));
    TDeviceSettings settings(TDeviceSettings::Video);
    settings.setDefaults();
    c.storeTo(settings);
    auto other = tvCardState();
    TDeviceControls again;
    again.loadFrom(settings);
    again.attach(std::make_unique<FakeV4l2Device>(other), true);
    EXPECT_EQ(again.AnalogVideoStandard(), 2);
    again.ApplyAnalogVideoStandard();
    EXPECT_EQ(other->standard, V4L2_STD_SECAM_L);
}

TEST(DeviceControls, TunerTunesTheFrequenciesTheUserGives)
{
    Attached a(tvCardState());
    TDeviceControls& c = a.controls;
    QSignalSpy logs(&c, &TDeviceControls::log);
    QSignalSpy tuned(&c, &TDeviceControls::tvChannelSelected);
    QSignalSpy completed(&c, &TDeviceControls::tvChannelScanCompleted);
    c.setTVCountryCode(31);
    EXPECT_TRUE(TDeviceControls::overrideKey(31, TunerInputCable).endsWith("\\TS99990031-1\\"));
    EXPECT_TRUE(TDeviceControls::overrideKey(31, TunerInputAntenna).endsWith("\\TS99990031-0\\"));

    c.setTVChannel(5);
    EXPECT_TRUE(tuned.isEmpty()) << "the composite input tunes nothing";
    EXPECT_FALSE(c.TVStartAutoScan());
    EXPECT_EQ(logs.last().at(1).toString(), "TV tuner input not selected!");

    EXPECT_EQ(c.TVSetChannelFrequencyOverride(5, 503250000), 503250000);
    EXPECT_EQ(c.TVSetChannelFrequencyOverride(7, 517250000), 517250000);
    EXPECT_EQ(c.TVSetChannelFrequencyOverride(9, 1), 1);
    EXPECT_EQ(c.TVSetChannelFrequencyOverride(9, -1), -1);
    c.setVideoInput(0);
    EXPECT_EQ(a.state->frequency, 503250000u) << "channel 5 tuned on selecting the tuner";
    ASSERT_EQ(tuned.count(), 1);
    EXPECT_EQ(c.TVChannelInfo().OverrideFrequency, 503250000);
    EXPECT_TRUE(c.TVChannelInfo().SignalPresent);

    int lo = 0, hi = 0;
    ASSERT_TRUE(c.TVGetMinMaxChannels(lo, hi));
    EXPECT_EQ(lo, 5);
    EXPECT_EQ(hi, 7) << "the deleted channel 9 is gone";
    EXPECT_FALSE(c.AMTVTunerPutChannel(6, -1, -1)) << "no frequency for channel 6";

    ASSERT_TRUE(c.TVStartAutoScan());
    EXPECT_FALSE(c.AMTVTunerPutChannel(7, -1, -1));
    EXPECT_EQ(logs.last().at(1).toString(), "TV commands not allowed during tv auto tuning");
    while (c.TVScanStep()) {}
    EXPECT_EQ(tuned.count(), 3);
    EXPECT_EQ(completed.count(), 1);
    EXPECT_FALSE(c.IsTVAutoTuneRunning());

    ASSERT_TRUE(c.TVStartAutoScan());
    EXPECT_TRUE(c.TVStopAutoScan());
    EXPECT_FALSE(c.TVScanStep());
    EXPECT_EQ(tuned.count(), 3) << "a stopped scan tunes nothing more";
    EXPECT_EQ(completed.count(), 2);

    EXPECT_TRUE(c.TVClearFrequencyOverrides());
    EXPECT_FALSE(c.TVGetMinMaxChannels(lo, hi));
}
