// The hydrophone's power and cable monitor over a fake board.
#include "nav/HydrophoneMonitor.h"

#include <gtest/gtest.h>

#include <map>

using namespace velmar::nav;

namespace {

struct FakeBoard : DigitalInput {
    std::map<int, int> lines; // line -> level; a missing line fails to read
    int prepared = 0;
    bool Prepare(int, int, const std::vector<int>&) override
    {
        ++prepared;
        return true;
    }
    std::optional<int> ReadLine(int, int, int line) override
    {
        const auto found = lines.find(line);
        return found == lines.end() ? std::nullopt : std::optional<int>(found->second);
    }
};

struct Monitor : ::testing::Test {
    HydrophoneMonitor monitor;
    FakeBoard board;
    bool boardPresent = true;
    int type = BoardMeasurementComputing;
    int number = 0;
    int watched = WatchPowerLine | WatchCableLine;
    std::vector<std::pair<int, int>> rows;
    std::map<int, BoxLook> boxes;

    Monitor()
    {
        monitor.ports.input = [this] { return boardPresent ? static_cast<DigitalInput*>(&board) : nullptr; };
        monitor.ports.boardType = [this] { return type; };
        monitor.ports.boardNumber = [this] { return number; };
        monitor.ports.watched = [this] { return watched; };
        monitor.ports.powerLine = [] { return 0; };
        monitor.ports.cableLine = [] { return 1; };
        monitor.ports.writeRow = [this](int power, int cable) { rows.emplace_back(power, cable); };
        monitor.ports.showBox = [this](int id, const BoxLook& look) { boxes[id] = look; };
    }
    QString text(int id) { return boxes[id].text; }
};

TEST_F(Monitor, LinesGiveStatesAndPowerOffHidesTheCable)
{
    struct Case {
        int power;
        int cable;
        const char* powerText;
        const char* cableText;
    };
    const Case cases[] = {
        {0, 0, "Power On", "Cable Connected"},
        {0, 1, "Power On", "Cable Disconnected"},
        {1, 0, "Power Off", "Cable Unknown"}, // the cable line says nothing without power
        {1, 1, "Power Off", "Cable Unknown"},
    };
    for (const Case& c : cases) {
        board.lines = {{0, c.power}, {1, c.cable}};
        monitor.CheckPowerAndCable();
        EXPECT_EQ(text(PowerBoxId), c.powerText) << c.power << c.cable;
        EXPECT_EQ(text(CableBoxId), c.cableText) << c.power << c.cable;
    }
}

TEST_F(Monitor, FirstCycleLogsAndUnchangedStatesWriteNoRow)
{
    board.lines = {{0, 0}, {1, 0}};
    monitor.CheckPowerAndCable();
    monitor.CheckPowerAndCable();
    board.lines = {{0, 1}, {1, 0}};
    monitor.CheckPowerAndCable();
    monitor.CheckPowerAndCable();
    EXPECT_EQ(rows,
              (std::vector<std::pair<int, int>>{{HydrophoneOn, HydrophoneOn}, {HydrophoneOff, HydrophoneUnknown}}));
}

TEST_F(Monitor, NoBoardLeavesBothUnknownAndLogsThatOnce)
{
    boardPresent = false;
    board.lines = {{0, 1}, {1, 1}};
    monitor.CheckPowerAndCable();
    monitor.CheckPowerAndCable();
    EXPECT_EQ(text(PowerBoxId), "Power Unknown");
    EXPECT_EQ(text(CableBoxId), "Cable Unknown");
    EXPECT_EQ(rows, (std::vector<std::pair<int, int>>{{HydrophoneUnknown, HydrophoneUnknown}}));
    // A board of a type without these lines is the same.
    boardPresent = true;
    type = 10;
    ++number;
    monitor.CheckPowerAndCable();
    EXPECT_EQ(monitor.PowerState(), HydrophoneUnknown);
    EXPECT_EQ(rows.size(), 1u);
}

TEST_F(Monitor, CableOnlyShowsUnwatchedPowerInTheNormalColour)
{
    watched = WatchCableLine;
    board.lines = {{0, 1}, {1, 1}};
    monitor.CheckPowerAndCable();
    EXPECT_EQ(text(PowerBoxId), "Power Unknown");
    EXPECT_EQ(boxes[PowerBoxId].colour, 1u);
    EXPECT_EQ(text(CableBoxId), "Cable Disconnected");
    EXPECT_EQ(boxes[CableBoxId].colour, 2u);
}

TEST_F(Monitor, ABoardChangePreparesTheLinesAgainAndAFailedReadIsUnknown)
{
    board.lines = {{0, 0}};
    monitor.CheckPowerAndCable();
    monitor.CheckPowerAndCable();
    EXPECT_EQ(board.prepared, 1);
    EXPECT_EQ(text(CableBoxId), "Cable Unknown"); // line 1 cannot be read
    number = 1;
    monitor.CheckPowerAndCable();
    EXPECT_EQ(board.prepared, 2);
}

} // namespace
