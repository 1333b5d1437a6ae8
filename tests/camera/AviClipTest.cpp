// A camera in AVI mode with a test camera, offscreen: a trigger opens the
// held recording with the second kept before it, a second trigger inside
// the clip extends the same file, the clip ends pre + post seconds after the
// last trigger and is logged once, as a file GStreamer reads back; the
// camera is then armed again for the next trigger.
#include "camera/IniSettingsStore.h"
#include "camera/VideoUnit.h"

#include "video/SyncManager.h"
#include "video/TestDeviceProvider.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace velmar::camera;
using namespace velmar::video;

namespace {
struct Log final : GrabLogger {
    void logGrab(const GrabRecord& record) override { records << record; }
    QList<GrabRecord> records;
};

bool WaitFor(const std::function<bool()>& condition, int ms)
{
    return QTest::qWaitFor(condition, ms);
}
} // namespace

TEST(AviClip, TriggersInsideAClipExtendItAndEachClipIsLoggedOnce)
{
    auto provider = std::make_unique<TestDeviceProvider>();
    provider->addVideoDevice("/dev/test0", "Test Camera 0", {{320, 240}});
    SetDeviceProvider(std::move(provider));
    TSyncManager::ensure();
    QTemporaryDir dir;
    IniSettingsStore store(dir.filePath("cameras.ini"));
    Log log;
    {
        TVideoUnit unit(nullptr, store, 0, &log);
        unit.SetCameraNumber(0);
        TCamSettings& s = unit.Settings();
        s.CameraNumber = 0;
        s.outputFormat = 2;
        s.grabPreSeconds = 1;
        s.grabPostSeconds = 1;
        s.outputDirectory = dir.filePath("clips");
        s.VideoSize = 0;
        unit.SetupGrabber(true);
        // More than the second kept before a trigger: the held recording
        // must have that much to keep.
        QTest::qWait(1500);
        // The first trigger that finds the held recording ready opens the clip.
        ASSERT_TRUE(WaitFor(
            [&] {
                if (!unit.aviClipOpen())
                    unit.Grab("Button A");
                return unit.aviClipOpen();
            },
            15000));
        QElapsedTimer clock;
        clock.start();
        // The second trigger comes a second into the clip: the clip's end is
        // timed from it, which is what is measured.
        QTest::qWait(1000);
        unit.Grab("Button B");
        EXPECT_TRUE(unit.aviClipOpen());
        ASSERT_TRUE(WaitFor([&] { return log.records.size() == 1; }, 10000));
        EXPECT_NEAR(clock.elapsed() / 1000.0, 3.0, 0.5) << "pre + post seconds after the second trigger";
        const QStringList clips = QDir(dir.filePath("clips")).entryList({"*.avi"}, QDir::Files);
        ASSERT_EQ(clips.size(), 1);
        EXPECT_EQ(log.records[0].fileName, clips[0]);
        EXPECT_EQ(log.records[0].message, "Button B");
        qint64 duration = 0, frames = 0;
        ASSERT_TRUE(TOmbrix::AVIDuration(dir.filePath("clips/" + clips[0]), duration, frames));
        EXPECT_NEAR(double(duration) / 1e7, 4.0, 0.5) << "1 s before, 1 s between the triggers, 2 s after";

        // Armed again: the next trigger opens a new clip.
        ASSERT_TRUE(WaitFor(
            [&] {
                if (!unit.aviClipOpen())
                    unit.Grab("Button C");
                return unit.aviClipOpen();
            },
            15000));
    }
    EXPECT_EQ(log.records.size(), 1) << "a clip cut short by the end is not logged";
    TSyncManager::destroy();
}
