// The player part on its own: the values it refuses or bounds, what it
// knows of an open clip, and stepped playback forwards, backwards and fast
// over a clip of ten 40 ms frames.
#include "video/PlayerPart.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
constexpr qint64 frame = 400000; // 40 ms in 100-ns units
constexpr qint64 clip = 10 * frame;

PlayerPart openPart()
{
    PlayerPart part;
    part.openClip(clip, frame, true);
    return part;
}
} // namespace

TEST(PlayerPart, RefusesOrBoundsOutOfRangeValues)
{
    PlayerPart part;
    EXPECT_TRUE(part.setSpeedRatio(2.0));
    EXPECT_FALSE(part.setSpeedRatio(2.0)) << "no change";
    for (double refused : {0.0, -1.0, std::nan("")})
        EXPECT_FALSE(part.setSpeedRatio(refused)) << refused;
    EXPECT_EQ(part.settings().speedRatio, 2.0);
    part.setFastRatio(8);
    part.setFastRatio(0);
    EXPECT_EQ(part.settings().fastRatio, 8);

    part.setSpeakerVolume(70000);
    part.setSpeakerBalance(-40000);
    EXPECT_EQ(part.speakerVolumeNow(), PlayerPart::maxVolume);
    EXPECT_EQ(part.speakerBalanceNow(), PlayerPart::minBalance);
    part.settings().mute = true;
    EXPECT_EQ(part.speakerVolumeNow(), 0) << "muted is silence";
    EXPECT_EQ(part.speakerBalanceNow(), 0);
    EXPECT_EQ(part.settings().speakerVolume, PlayerPart::maxVolume) << "the volume is kept for after";
}

TEST(PlayerPart, KnowsTheOpenClip)
{
    PlayerPart part = openPart();
    EXPECT_EQ(part.frameCount, 10);
    EXPECT_DOUBLE_EQ(part.frameRate(), 25.0);
    EXPECT_EQ(part.framePosition(0), 1);
    EXPECT_EQ(part.framePosition(3 * frame), 4);
    EXPECT_EQ(part.seekTo(-5), 0);
    EXPECT_EQ(part.seekTo(clip + frame), 9 * frame) << "held at the last frame";
    EXPECT_EQ(part.position, 9 * frame);
    EXPECT_EQ(part.endPosition(), 9 * frame);
    EXPECT_FALSE(part.atEnd(5 * frame));
    EXPECT_TRUE(part.atEnd(9 * frame));
    part.ended = true;
    EXPECT_TRUE(part.atEnd(0)) << "an ended clip runs again from its start";

    part.openClip(0, 0, false);
    EXPECT_EQ(part.duration, 1) << "never 0, which would divide";
    EXPECT_EQ(part.frameDuration, PlayerPart::defaultFrameDuration) << "a clip that does not tell its rate";
    EXPECT_EQ(part.frameCount, 1);
    part.resetClip();
    EXPECT_FALSE(part.ended);
    EXPECT_EQ(part.position, 0);
}

TEST(PlayerPart, SteppingForwardsStepsWholeFramesToTheEnd)
{
    PlayerPart part = openPart();
    part.setStepDirection(false, false);
    EXPECT_EQ(part.startStepping(9 * frame), 0) << "from the end it starts again at the start";
    EXPECT_TRUE(part.stepping);
    EXPECT_EQ(part.stepIntervalMs(), 40);
    EXPECT_EQ(part.stepTick(25).kind, PlayerPart::Step::Wait) << "less than a frame";
    PlayerPart::Step step = part.stepTick(25);
    EXPECT_EQ(step.kind, PlayerPart::Step::Forward);
    EXPECT_EQ(step.frames, 1);
    EXPECT_EQ(part.position, frame);
    step = part.stepTick(130);
    EXPECT_EQ(step.frames, 3) << "the real time, whole frames";
    EXPECT_EQ(part.position, 4 * frame);
    step = part.stepTick(400);
    EXPECT_EQ(step.kind, PlayerPart::Step::End);
    EXPECT_FALSE(part.stepping);
}

TEST(PlayerPart, SteppingBackwardsSeeksToTheStartAndFastUsesTheFastRatio)
{
    PlayerPart part = openPart();
    part.setStepDirection(true, false);
    EXPECT_EQ(part.startStepping(0), 9 * frame) << "from the start it starts at the end";
    PlayerPart::Step step = part.stepTick(80);
    EXPECT_EQ(step.kind, PlayerPart::Step::Seek);
    EXPECT_EQ(step.position, 7 * frame);
    step = part.stepTick(1000);
    EXPECT_EQ(step.kind, PlayerPart::Step::Seek);
    EXPECT_EQ(step.position, 0);
    EXPECT_FALSE(part.stepping) << "the start ends it";

    part.settings().fastRatio = 4;
    part.setStepDirection(false, true);
    EXPECT_EQ(part.startStepping(2 * frame + 100), 2 * frame) << "from the frame at the position";
    EXPECT_EQ(part.stepIntervalMs(), 10);
    step = part.stepTick(40);
    EXPECT_EQ(step.kind, PlayerPart::Step::Forward);
    EXPECT_EQ(step.frames, 4);
}
