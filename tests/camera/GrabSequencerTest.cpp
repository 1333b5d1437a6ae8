// The camera unit's frame buffer on an injected clock with fake frames, the
// grab file names, and the camera settings in an ini file.
#include "camera/CamSettings.h"
#include "camera/GrabSequencer.h"
#include "camera/IniSettingsStore.h"

#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmar::camera;

namespace {

constexpr qint64 kEpochMs = 1276507812045; // 2010-06-14 09:30:12.045 UTC
constexpr int kFramePeriodMs = 100;

// A camera delivering a numbered frame every 100 ms; the clock is the frame
// count. Saved frames are collected by their number (the pixel's value).
struct Camera {
    explicit Camera(const TCamSettings& s) : seq(s) { seq.reset(); }
    GrabSequencer seq;
    int next = 0;
    QList<int> saved;

    qint64 now() const { return kEpochMs + qint64(next) * kFramePeriodMs; }
    void run(int frames)
    {
        for (int i = 0; i < frames; ++i, ++next) {
            QImage frame(1, 1, QImage::Format_Indexed8);
            frame.setColorCount(256);
            frame.fill(uint(next % 256));
            if (seq.onFrame(frame, quint32(100000 + next * kFramePeriodMs), now()))
                saved.append(next);
        }
    }
    int trigger()
    {
        const QList<TimedFrame> frames = seq.startSequence(now());
        for (const TimedFrame& f : frames)
            saved.append(int((f.utcMs - kEpochMs) / kFramePeriodMs));
        return int(frames.size());
    }
};

} // namespace

TEST(GrabSequencer, DefaultsSaveOneOrTwoPreFramesThenOnePerTenSeconds)
{
    TCamSettings s = DefaultCamSettings(0);
    Camera cam(s);
    cam.run(200); // 20 s buffered at one frame in 10 s
    const int pre = cam.trigger();
    EXPECT_GE(pre, 1);
    EXPECT_LE(pre, 2);
    cam.run(100); // the 5 s after: one frame, 10 s after the last one kept
    EXPECT_EQ(cam.seq.state(), GrabSequencer::Saving);
    cam.run(100);
    EXPECT_EQ(cam.seq.state(), GrabSequencer::Buffering);
    EXPECT_LE(cam.saved.size(), pre + 1);
    for (int i = 1; i < cam.saved.size(); ++i)
        EXPECT_GE(cam.saved[i] - cam.saved[i - 1], 100) << "one frame in 10 s";
}

TEST(GrabSequencer, FullRateSavesEveryFrameOfThePreAndPostSeconds)
{
    TCamSettings s = DefaultCamSettings(0);
    s.grabFullRate = 1;
    Camera cam(s);
    cam.run(100); // 10 s
    const int pre = cam.trigger();
    EXPECT_GE(pre, 50);
    EXPECT_LE(pre, 51);
    cam.run(100);
    EXPECT_GE(cam.saved.size(), pre + 49);
    EXPECT_LE(cam.saved.size(), pre + 51);
    EXPECT_EQ(cam.seq.state(), GrabSequencer::Buffering);
}

TEST(GrabSequencer, TwoTriggersInsideThePostTimeSaveEachFrameOnce)
{
    TCamSettings s = DefaultCamSettings(0);
    s.grabFullRate = 1;
    Camera cam(s);
    cam.run(60);
    cam.trigger();
    cam.run(20);
    EXPECT_EQ(cam.trigger(), 0) << "frames being saved are not buffered";
    cam.run(100);
    const QSet<int> unique(cam.saved.begin(), cam.saved.end());
    EXPECT_EQ(unique.size(), cam.saved.size());
    // The 5 s before the first trigger, then saving up to 5 s after the second.
    EXPECT_EQ(cam.saved.front(), 9);
    EXPECT_EQ(cam.saved.back(), 130);
}

TEST(GrabSequencer, AFrameAskedForIsSavedOnceAndNotBufferedAgain)
{
    TCamSettings s = DefaultCamSettings(0);
    s.grabFullRate = 1;
    Camera cam(s);
    cam.run(10);
    cam.seq.saveNextFrame();
    cam.run(1);
    EXPECT_EQ(cam.saved, QList<int>{10});
    cam.trigger();
    EXPECT_EQ(cam.saved.count(10), 1);
}

TEST(GrabSequencer, ReasonIsCutToFiftyCharacters)
{
    TCamSettings s = DefaultCamSettings(0);
    GrabSequencer seq(s);
    seq.setReason(QString(80, QLatin1Char('x')));
    EXPECT_EQ(seq.reason().size(), 50);
}

TEST(GrabFileName, NamedByTheUtcTimeAndFormat)
{
    EXPECT_EQ(MakeGrabFileName("Cam_0_", kEpochMs, 0), "Cam_0_20100614_093012_045.jpg");
    EXPECT_EQ(MakeGrabFileName("Cam_0_", kEpochMs, 1), "Cam_0_20100614_093012_045.bmp");
    EXPECT_EQ(MakeGrabFileName("X", kEpochMs, 2), "X20100614_093012_045.avi");
    EXPECT_EQ(MakeGrabFileName("X", kEpochMs, 7), "X20100614_093012_045");
}

TEST(CamSettings, RoundTripThroughTheIniFileWithNineteenKeys)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Kelvor.ini");
    TCamSettings written = DefaultCamSettings(1);
    written.grabFrameRate = 2.5;
    written.outputDirectory = "/tmp/frames";
    written.CameraName = "Test Camera 1";
    {
        IniSettingsStore store(file);
        SaveCamSettings(store, CamSettingsSection(-1, 1), written);
        ASSERT_TRUE(store.flush());
    }
    QSettings raw(file, QSettings::IniFormat);
    raw.beginGroup("Camera Grab Unit 1");
    EXPECT_EQ(raw.childKeys().size(), 19);
    EXPECT_EQ(raw.value("outputInitials").toString(), "Cam_1_");
    EXPECT_EQ(raw.value("grabSingle").toString(), "0");
    raw.endGroup();

    IniSettingsStore store(file);
    TCamSettings read = DefaultCamSettings(0);
    LoadCamSettings(store, CamSettingsSection(-1, 1), read);
    EXPECT_EQ(read.CameraNumber, 1);
    EXPECT_EQ(read.outputInitials, "Cam_1_");
    EXPECT_DOUBLE_EQ(read.grabFrameRate, 2.5);
    EXPECT_EQ(read.outputDirectory, "/tmp/frames");
    EXPECT_EQ(read.CameraName, "Test Camera 1");
}

TEST(CamSettings, ValuesThatMakeNoSenseAreRefused)
{
    struct Case {
        const char* key;
        const char* value;
        double rate, pre, post;
    };
    const Case cases[] = {
        {"grabFrameRate", "0", 0.1, 5, 5},      {"grabFrameRate", "-3", 0.1, 5, 5},
        {"grabFrameRate", "abc", 0.1, 5, 5},    {"grabPreSeconds", "-1", 0.1, 5, 5},
        {"grabPostSeconds", "-0.5", 0.1, 5, 5}, {"grabPreSeconds", "0", 0.1, 0, 5},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString file = dir.filePath("k.ini");
        QSettings(file, QSettings::IniFormat).setValue(QString("Camera Grab Unit 0/") + c.key, c.value);
        IniSettingsStore store(file);
        TCamSettings s = DefaultCamSettings(0);
        LoadCamSettings(store, CamSettingsSection(-1, 0), s);
        EXPECT_DOUBLE_EQ(s.grabFrameRate, c.rate) << c.key << "=" << c.value;
        EXPECT_DOUBLE_EQ(s.grabPreSeconds, c.pre) << c.key << "=" << c.value;
        EXPECT_DOUBLE_EQ(s.grabPostSeconds, c.post) << c.key << "=" << c.value;
    }
    for (auto [stored, cameras] : {std::pair{"9", 4}, {"0", 1}, {"-2", 1}, {"3", 3}}) {
        QTemporaryDir dir;
        const QString file = dir.filePath("k.ini");
        QSettings(file, QSettings::IniFormat).setValue("Grabber Settings 0/nCameras", stored);
        IniSettingsStore store(file);
        TGrabberSettings g;
        LoadGrabberSettings(store, GrabberSettingsSection(0), g);
        EXPECT_EQ(g.nCameras, cameras) << stored;
    }
}

TEST(CamSettings, AnEmptyOutputFolderIsTheUsersDataFolder)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    for (const char* setting : {"", "   "}) {
        TCamSettings s;
        s.outputDirectory = setting;
        EXPECT_TRUE(OutputFolder(s).startsWith(data + "/velmar/")) << OutputFolder(s).toStdString();
    }
    TCamSettings s;
    s.outputDirectory = "/srv/frames";
    EXPECT_EQ(OutputFolder(s), "/srv/frames");
}
