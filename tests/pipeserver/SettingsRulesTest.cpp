// The checks of the settings pages, as tables of what the operator enters.
#include "pipeserver/SettingsRules.h"

#include <gtest/gtest.h>

using namespace velmar::pipeserver;

TEST(SettingsRules, SamplingPage)
{
    struct Row {
        const char* legend;
        int type;
        const char* rate;
        const char* list;
        const char* buffer;
        bool accepted;
        const char* message;
    };
    const Row rows[] = {
        {"sound card 0,1", DeviceSoundCard, "48000", "0,1", "6", true, ""},
        {"sound card 1 alone", DeviceSoundCard, "48000", "1", "6", false,
         "A sound card can only read one or two channels\n in the order 0, then 1"},
        {"sound card 0,1,2", DeviceSoundCard, "48000", "0,1,2", "6", false,
         "A sound card can only handle two channels"},
        {"NI-DAQmx 3,1,2: no order check", DeviceNiDaqMx, "20000", "3,1,2", "6", true, ""},
        {"board 2,3,5", DeviceComputerBoards, "20000", "2,3,5", "6", false,
         "Computerboards channel numbers must increase sequentially"},
        {"buffer 2", DeviceAsio, "48000", "0,1", "2", false, "Buffer Length must be between 3 and 30 seconds"},
        {"buffer 31", DeviceAsio, "48000", "0,1", "31", false, "Buffer Length must be between 3 and 30 seconds"},
        {"buffer 3", DeviceAsio, "48000", "0,1", "3", true, ""},
        {"buffer 30", DeviceAsio, "48000", "0,1", "30", true, ""},
        {"no device", 0, "48000", "0,1", "6", false, "No valid input device"},
        {"rate 9: empty blocks", DeviceAsio, "9", "0,1", "6", false,
         "The Base Sample Rate must be between 10 and 1000000 Hz"},
        {"rate typed with letters", DeviceAsio, "48k", "0,1", "6", true, ""},
        {"seventeen channels", DeviceAsio, "48000", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,0", "6", false,
         "The channel list holds 17 channels; at most 16 can be scanned."},
        {"channel 16", DeviceAsio, "48000", "0,16", "6", false,
         "Channel 16 is not a hardware channel: channels are numbered 0 to 15."},
        {"a sign", DeviceAsio, "48000", "0,+1", "6", false, "Channel numbers take no sign: \"+1\"."},
        {"different rates on one detector: a warning", DeviceAsio, "48000", "0,1,1", "6", true,
         "Warning - The channel list doesn't currently make sense\n    You curretnly have different sample rates going "
         "to the same detector"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        PipeSettings s;
        const PipeSettings before = s;
        const PageCheck check = ReadSamplingControls(s, row.type, 0, row.rate, row.list, row.buffer);
        EXPECT_EQ(check.accepted, row.accepted);
        EXPECT_EQ(check.message, QString::fromLatin1(row.message));
        if (!row.accepted) {
            EXPECT_EQ(s, before);
        }
    }
}

TEST(SettingsRules, ChannelsDroppedFromTheListLoseTheirRouting)
{
    PipeSettings s;
    ASSERT_TRUE(ParseChannelList(s, "0,1,2").isEmpty());
    s.ChannelSettings[2].Routing = RouteWhistle;
    ASSERT_TRUE(ReadSamplingControls(s, DeviceAsio, 0, "48000", "0,1", "6").accepted);
    EXPECT_EQ(s.ChannelSettings[2].Routing, 0u);
    EXPECT_EQ(CountWhistleChannels(s), 2);
}

TEST(SettingsRules, ChannelsPageAndApply)
{
    std::array<std::array<bool, 4>, PipeSettings::MaxChannels> ticks{};
    PipeSettings s;
    s.DeviceType = DeviceNiDaqMx;
    ASSERT_TRUE(ParseChannelList(s, "0,1,0,1").isEmpty());
    ticks[0][3] = ticks[1][3] = true; // both to the recorder
    ticks[5][1] = true;               // not in the list: no routing
    PageCheck check = CopyRouting(s, ticks);
    EXPECT_TRUE(check.accepted);
    EXPECT_FALSE(check.question);
    EXPECT_EQ(s.ChannelSettings[0].Routing, uint32_t(RouteAutorec));
    EXPECT_EQ(s.ChannelSettings[5].Routing, 0u);
    ASSERT_TRUE(CheckForApply(s).accepted);
    EXPECT_EQ(AutorecPipeSampleRate(s), 2 * s.SampleRate);

    // Different NI gains on one pipe: a question.
    s.ChannelSettings[1].Gain = 10;
    check = CopyRouting(s, ticks);
    EXPECT_TRUE(check.question);
    EXPECT_EQ(check.caption, "Channel List Warning");
    // The gain check stopped early; the multipliers written are the streams' all the same.
    ASSERT_TRUE(CheckForApply(s).accepted);
    EXPECT_EQ(s.RateMultipliers, (std::array<int32_t, 4>{0, 0, 0, 2}));

    // Channels of one pipe in a different order from frame to frame: refused.
    ASSERT_TRUE(ParseChannelList(s, "0,1,1,0").isEmpty());
    const PipeSettings before = s;
    check = CopyRouting(s, ticks);
    EXPECT_FALSE(check.accepted);
    EXPECT_EQ(s, before);
    EXPECT_FALSE(CheckForApply(s).accepted);
}
