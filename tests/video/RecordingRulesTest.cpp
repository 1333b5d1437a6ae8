// The arithmetic of recordings and clips: frame times over a recording
// pause, recording on motion, the stepped playback advance (which follows
// the clip's own frame rate), the time range of a reencoding, and the file
// checks that keep a reencoding from ever touching its source.
#include "video/RecordingRules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
constexpr qint64 second = 10000000; // 100-ns units
}

TEST(RecordingClock, FramesAfterAPauseRunOnFromWhereTheyStopped)
{
    RecordingClock clock;
    EXPECT_EQ(clock.frameTime(3 * second), 3 * second);
    EXPECT_TRUE(clock.pause(3 * second));
    EXPECT_FALSE(clock.pause(4 * second)) << "paused already";
    EXPECT_EQ(clock.frameTime(8 * second), 3 * second) << "time stands still while paused";
    EXPECT_TRUE(clock.resume(13 * second));
    EXPECT_FALSE(clock.resume(14 * second));
    EXPECT_EQ(clock.frameTime(13 * second + 400000), 3 * second + 400000) << "not 10 s later";
    EXPECT_EQ(clock.pauseOffset(), 10 * second);
}

TEST(MotionRecordingGate, PausesAfterTheDelayWithoutMotionAndResumesOnMotion)
{
    MotionRecordingGate gate(0.5, 1000);
    struct Step {
        bool motion;
        double ratio;
        qint64 nowMs;
        bool paused;
        MotionRecordingGate::Action expected;
    } steps[] = {
        {true, 0.6, 0, false, MotionRecordingGate::Nothing},    {false, 0.0, 900, false, MotionRecordingGate::Nothing},
        {true, 0.4, 1001, false, MotionRecordingGate::Pause}, // below the threshold counts as none
        {true, 0.5, 1500, true, MotionRecordingGate::Resume},   {false, 0.0, 2400, false, MotionRecordingGate::Nothing},
        {false, 0.0, 2600, true, MotionRecordingGate::Nothing},
    };
    for (const Step& s : steps)
        EXPECT_EQ(gate.step(s.motion, s.ratio, s.nowMs, s.paused), s.expected) << s.nowMs;
}

TEST(SteppedPlayback, AdvanceFollowsRealTimeWhateverTheFrameRate)
{
    // One second of ticks at ratio 1 moves a 30 frames-per-second clip by
    // 30 frames and a 25 frames-per-second clip by 25.
    for (const auto& [frameDuration, frames] : {std::pair{333333LL, 30LL}, std::pair{400000LL, 25LL}}) {
        qint64 advance = 0;
        for (int tick = 0; tick < 100; ++tick)
            advance += SteppedAdvance(10, 1.0);
        EXPECT_EQ(advance / frameDuration, frames) << frameDuration;
    }
    EXPECT_EQ(SteppedAdvance(100, 2.0), 2 * SteppedAdvance(100, 1.0));
    EXPECT_EQ(SteppingIntervalMs(400000, 1.0), 40);
    EXPECT_EQ(SteppingIntervalMs(333333, 2.0), 17);
    EXPECT_EQ(SteppingIntervalMs(400000, 0.0), 40) << "a ratio of 0 counts as 1";
    EXPECT_DOUBLE_EQ(ClipFrameRate(150, 5 * second), 30.0);
    EXPECT_DOUBLE_EQ(ClipFrameRate(0, 5 * second), 0.0);
}

TEST(PlayerPosition, FramesAndSeeksStayInsideTheClip)
{
    const qint64 frame = 400000;
    for (qint64 n : {1LL, 0LL, -5LL})
        EXPECT_EQ(FramePositionTime(n, frame), 0) << n;
    EXPECT_EQ(FramePositionTime(26, frame), second);
    EXPECT_EQ(ClampSeekTime(-1, 5 * second, frame), 0);
    EXPECT_EQ(ClampSeekTime(9 * second, 5 * second, frame), 5 * second - frame) << "the last frame";
    EXPECT_EQ(ClampSeekTime(2 * second, 5 * second, frame), 2 * second);
}

TEST(ReencodingTimeRange, ChecksAndCutsTheRange)
{
    const qint64 duration = 5 * second;
    struct Case {
        const char* legend;
        qint64 start, stop;
        qint64 rangeStart, rangeStop;
        QString error, warning;
    } cases[] = {
        {"whole clip", -1, -1, 0, duration, {}, {}},
        {"from 1 s", second, -1, second, duration, {}, {}},
        {"1 s to 2 s", second, 2 * second, second, 2 * second, {}, {}},
        {"negative", -2, second, 0, duration, "start time and stop time must have positive values", {}},
        {"stop before start", 2 * second, second, 0, duration, "stop time must be higher than start time", {}},
        {"start beyond", 10 * second, -1, 0, duration, "start time exceeds duration (50000000)", {}},
        {"stop beyond", -1, 10 * second, 0, duration, {}, "stop time exceeds duration  (50000000)"},
    };
    for (const Case& c : cases) {
        const TimeRange r = ReencodingTimeRange(c.start, c.stop, duration);
        EXPECT_EQ(r.error, c.error) << c.legend;
        EXPECT_EQ(r.warning, c.warning) << c.legend;
        if (c.error.isEmpty()) {
            EXPECT_EQ(r.start, c.rangeStart) << c.legend;
            EXPECT_EQ(r.stop, c.rangeStop) << c.legend;
        }
    }
}

TEST(ReencodingFiles, RefusesAnyPairThatCouldTouchTheSource)
{
    QTemporaryDir dir;
    const QDir d(dir.path());
    const QString clip = d.filePath("clip.avi");
    {
        QFile f(clip);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF");
    }
    ASSERT_TRUE(QFile::link(clip, d.filePath("link.avi")));
    ASSERT_TRUE(d.mkdir("sub"));
    const QString identical = "source and destination files must not be identical";
    struct Case {
        const char* legend;
        QString source, destination;
        std::optional<QString> error;
    } cases[] = {
        {"fine", clip, d.filePath("new/copy.avi"), std::nullopt},
        {"no source", "", d.filePath("copy.avi"), QString("source video clip not specified")},
        {"no destination", clip, "  ", QString("new video clip not specified")},
        {"same text", clip, clip, identical},
        {"another spelling", clip, d.filePath("sub/../clip.avi"), identical},
        {"through a link", d.filePath("link.avi"), clip, identical},
        {"missing source", d.filePath("gone.avi"), d.filePath("copy.avi"),
         "source not found or not suitable: " + d.filePath("gone.avi")},
        {"folder as destination", clip, d.filePath("sub"), "can't write the new video clip: " + d.filePath("sub")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckReencodingFiles(c.source, c.destination), c.error) << c.legend;
    EXPECT_TRUE(QFile::exists(clip));
}

TEST(ReencodingFiles, WmvOutputChangesTheExtension)
{
    EXPECT_EQ(WmvDestination("/data/clip.avi"), "/data/clip.wmv");
    EXPECT_EQ(WmvDestination("/data/clip"), "/data/clip.wmv");
    EXPECT_EQ(WmvDestination("/data.d/clip"), "/data.d/clip.wmv");
}
