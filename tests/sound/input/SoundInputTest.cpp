// The shared sound inputs without a device: the sample ring between a
// driver's thread and the input's owner, a JACK period of any length into
// the ring, and a sound card's callback with PortAudio's overflow flag.
#include "sound/input/JackInput.h"
#include "sound/input/PortAudioInput.h"
#include "sound/input/SampleRing.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <vector>

using namespace velmar::sound;

namespace {

bool Rung(const SampleRing& ring)
{
    pollfd p{ring.bell(), POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

} // namespace

TEST(SampleRingTest, TakesWholeFramesAndCountsWhatDoesNotFit)
{
    SampleRing ring(10, 3); // rounded up to 12 samples, four frames
    const int16_t in[15] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    EXPECT_EQ(ring.push(in, 15), 12u);
    EXPECT_EQ(ring.dropped(), 3u);
    int16_t out[7];
    EXPECT_EQ(ring.pop(out, 7), 6u) << "never half a frame";
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(ring.push(in, 6), 6u);
    int16_t rest[12];
    EXPECT_EQ(ring.pop(rest, 12), 12u);
    EXPECT_EQ(rest[0], 7);
    EXPECT_EQ(rest[6], 1) << "wrapped around in order";
    EXPECT_EQ(ring.dropped(), 3u);
    EXPECT_EQ(ring.bell(), -1) << "no bell unless asked for";
}

TEST(SampleRingTest, ItsBellRingsForSamplesAndProblemsUntilTheConsumerTakesIt)
{
    SampleRing ring(8, 2, true);
    ASSERT_GE(ring.bell(), 0);
    EXPECT_FALSE(Rung(ring));
    const int16_t in[2] = {1, 2};
    ring.push(in, 2);
    EXPECT_TRUE(Rung(ring));
    ring.takeBell();
    EXPECT_FALSE(Rung(ring));
    ring.ringBell();
    EXPECT_TRUE(Rung(ring));
}

TEST(SampleRingTest, HoldsAtLeastThreeOfTheDevicesBlocks)
{
    EXPECT_EQ(InputRingSamples(1000, 100), 1000u);
    EXPECT_EQ(InputRingSamples(1000, 500), 1500u);
    EXPECT_EQ(InputRingSamples(0, 0), 0u);
}

TEST(JackPeriodTest, APeriodOfAnyLengthReachesTheRingWholeAndExact)
{
    // Periods shorter than, equal to and far longer than the scratch the
    // callback converts through, for two channels.
    for (const std::size_t frames : {std::size_t(64), JackScratchFrames, JackScratchFrames + 1, std::size_t(40000)}) {
        std::vector<float> left(frames), right(frames);
        for (std::size_t f = 0; f < frames; ++f) {
            left[f] = float(int16_t(f * 7)) / 32768.0f;
            right[f] = float(int16_t(f * 3 ^ 0x5555)) / 32768.0f;
        }
        right[0] = 2.0f; // out of range: clamped
        const float* buffers[2] = {left.data(), right.data()};
        std::vector<int16_t> scratch(JackScratchFrames * 2);
        SampleRing ring(InputRingSamples(0, frames * 2), 2);
        EXPECT_EQ(PushFloatPeriod(buffers, 2, frames, scratch.data(), ring), frames) << frames;
        EXPECT_EQ(ring.dropped(), 0u) << frames;
        std::vector<int16_t> out(frames * 2);
        ASSERT_EQ(ring.pop(out.data(), out.size()), out.size()) << frames;
        std::size_t wrong = 0;
        for (std::size_t f = 1; f < frames; ++f)
            wrong += out[2 * f] != int16_t(f * 7) || out[2 * f + 1] != int16_t(f * 3 ^ 0x5555);
        EXPECT_EQ(wrong, 0u) << frames << " frames";
        EXPECT_EQ(out[1], 32767);
    }
}

TEST(JackPeriodTest, WhatARingTooSmallCannotTakeIsCounted)
{
    std::vector<float> samples(10000, 0.25f);
    const float* buffers[1] = {samples.data()};
    std::vector<int16_t> scratch(JackScratchFrames);
    SampleRing ring(6000, 1);
    EXPECT_EQ(PushFloatPeriod(buffers, 1, samples.size(), scratch.data(), ring), 6000u);
    EXPECT_EQ(ring.dropped(), 4000u);
}

TEST(PortAudioCallbackTest, CopiesExactlyAndCountsOverflowsAndTheTimeTheyLost)
{
    PortAudioInput input;
    SampleRing ring(48000, 2);
    input.setTarget(ring, 2, 48000);
    std::vector<int16_t> block(2 * 480);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = int16_t(i * 67 - 30000);

    // Three callbacks in step, then one the card flags after losing 960
    // frames (20 ms), then one flagged without a usable time stamp.
    double adc = 1.0;
    for (int i = 0; i < 3; ++i, adc += 0.01)
        input.deliver(block.data(), 480, false, adc);
    EXPECT_EQ(input.gaps(), 0);
    EXPECT_EQ(input.lostFrames(), 0);
    adc += 0.02;
    input.deliver(block.data(), 480, true, adc);
    EXPECT_EQ(input.gaps(), 1);
    EXPECT_EQ(input.lostFrames(), 960);
    input.deliver(block.data(), 480, true, 0);
    EXPECT_EQ(input.gaps(), 2);
    EXPECT_EQ(input.lostFrames(), 960) << "no time stamp: a gap, but no guessed length";
    EXPECT_EQ(input.position(), 5 * 480);

    std::vector<int16_t> out(block.size());
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(ring.pop(out.data(), out.size()), out.size());
        EXPECT_EQ(out, block) << "callback " << i;
    }
}
