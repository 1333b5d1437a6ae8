// The split of the acquisition stream into the pipes' streams.
#include "pipeserver/FanOut.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velmar::pipeserver;

namespace {

PipeSettings settingsWith(const QString& channelList, std::vector<std::pair<int, uint32_t>> routing)
{
    PipeSettings s;
    for (auto& c : s.ChannelSettings)
        c.Routing = 0;
    EXPECT_TRUE(ParseChannelList(s, channelList).isEmpty());
    for (auto [channel, bits] : routing)
        s.ChannelSettings[channel].Routing |= bits;
    return s;
}

std::vector<int16_t> samples(int first, int count)
{
    std::vector<int16_t> v;
    for (int i = 0; i < count; ++i)
        v.push_back(int16_t(first + i));
    return v;
}

std::vector<int16_t> fromBytes(const QByteArray& b)
{
    std::vector<int16_t> v(std::size_t(b.size() / 2));
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = int16_t(uint8_t(b[qsizetype(2 * i)]) | (uint8_t(b[qsizetype(2 * i + 1)]) << 8));
    return v;
}

} // namespace

TEST(FanOut, SplitsBlocksIntoWholeFramesPerPipe)
{
    struct Block {
        int first;
        int count;
        std::vector<int16_t> expected;
    };
    struct Row {
        const char* legend;
        const char* list;
        std::vector<std::pair<int, uint32_t>> routing;
        uint32_t pipe;
        int channels, multiplier;
        int openedAtSlot;
        std::vector<Block> blocks;
    };
    const Row rows[] = {
        {"whistle gets channels 0 and 2 of 0,1,2,3",
         "0,1,2,3",
         {{0, RouteWhistle}, {2, RouteWhistle}, {1, RouteAutorec}},
         RouteWhistle,
         2,
         1,
         0,
         {{0, 8, {0, 2, 4, 6}}}},
        {"recorder gets channel 1 of 0,1,2,3",
         "0,1,2,3",
         {{0, RouteWhistle}, {2, RouteWhistle}, {1, RouteAutorec}},
         RouteAutorec,
         1,
         1,
         0,
         {{0, 8, {1, 5}}}},
        {"x2 multiplier: 0,1,0,1 to the recorder",
         "0,1,0,1",
         {{0, RouteAutorec}, {1, RouteAutorec}},
         RouteAutorec,
         2,
         2,
         0,
         {{0, 4, {0, 1, 2, 3}}}},
        {"partial scans carry over to the next block",
         "0,1,2",
         {{0, RouteWhistle}, {1, RouteWhistle}},
         RouteWhistle,
         2,
         1,
         0,
         {{0, 4, {0, 1}}, {4, 5, {3, 4, 6, 7}}, {9, 3, {9, 10}}}},
        {"a block of less than a frame gives nothing until the frame is whole",
         "0,1",
         {{0, RouteQuintra}, {1, RouteQuintra}},
         RouteQuintra,
         2,
         1,
         0,
         {{0, 1, {}}, {1, 1, {0, 1}}}},
        {"a pipe opened mid-scan starts at its first frame",
         "0,1",
         {{0, RouteQuintra}, {1, RouteQuintra}},
         RouteQuintra,
         2,
         1,
         1,
         {{0, 5, {1, 2, 3, 4}}}},
        {"zero routed channels: nothing at all", "0,1", {{0, RouteWhistle}}, RoutePorpoise, 0, 0, 0, {{0, 8, {}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const StreamLayoutResult made = MakeStreamLayout(settingsWith(QString::fromLatin1(row.list), row.routing));
        ASSERT_TRUE(made.layout) << made.problem.toStdString();
        const PipeStreamLayout* pipe = made.layout->pipe(row.pipe);
        ASSERT_NE(pipe, nullptr);
        EXPECT_EQ(pipe->channels, row.channels);
        EXPECT_EQ(pipe->multiplier, row.multiplier);
        PipeCarry carry;
        int slot = row.openedAtSlot;
        for (const Block& block : row.blocks) {
            const std::vector<int16_t> in = samples(block.first, block.count);
            const QByteArray out = SplitBlock(in.data(), qsizetype(in.size()), slot, *made.layout, *pipe, carry);
            if (pipe->channels > 0) {
                EXPECT_EQ(out.size() % pipe->frameBytes(), 0);
            }
            EXPECT_EQ(fromBytes(out), block.expected);
            slot = (slot + block.count) % made.layout->scanLength;
        }
    }
}

TEST(FanOut, SamplesAreLittleEndian)
{
    const StreamLayoutResult made = MakeStreamLayout(settingsWith("0", {{0, RouteAutorec}}));
    ASSERT_TRUE(made.layout);
    PipeCarry carry;
    const int16_t in[] = {int16_t(-2), 0x1234};
    EXPECT_EQ(SplitBlock(in, 2, 0, *made.layout, *made.layout->pipe(RouteAutorec), carry),
              QByteArray::fromHex("feff3412"));
}

TEST(FanOut, RoutingThatWouldMislabelAStreamIsRefused)
{
    struct Row {
        const char* legend;
        const char* list;
        std::vector<std::pair<int, uint32_t>> routing;
        int rate;
        const char* problem;
    };
    const Row rows[] = {
        {"routed but not sampled: the consumer would count a channel it never gets",
         "0,1",
         {{0, RouteWhistle}, {2, RouteWhistle}},
         48000,
         "Channel 2 goes to the Whistle Detector but is not in the channel list."},
        {"different rates on one pipe",
         "0,1,1",
         {{0, RouteWhistle}, {1, RouteWhistle}},
         48000,
         "The channels going to the Whistle Detector are sampled at different rates."},
        {"channels out of order between frames",
         "0,1,1,0",
         {{0, RouteAutorec}, {1, RouteAutorec}},
         48000,
         "The channel list does not give the Velmar Mavrel its channels in the same order in every frame."},
        {"a rate that gives empty blocks",
         "0",
         {{0, RouteAutorec}},
         9,
         "A sample rate of 9 Hz cannot be sampled: choose 10 to 1000000 Hz."},
        {"the lowest rate with a scan per block", "0", {{0, RouteAutorec}}, 10, ""},
        {"the same channel twice to one pipe and once to another",
         "0,1,0,1",
         {{0, RouteAutorec | RoutePorpoise}, {1, RouteAutorec}},
         48000,
         ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        PipeSettings s = settingsWith(QString::fromLatin1(row.list), row.routing);
        s.SampleRate = row.rate;
        const StreamLayoutResult made = MakeStreamLayout(s);
        EXPECT_EQ(made.problem, QString::fromLatin1(row.problem));
        EXPECT_EQ(made.layout.has_value(), made.problem.isEmpty());
    }
}
