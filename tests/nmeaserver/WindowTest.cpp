#include "settings/IniFile.h"
#include "nmeaserver/NmeaServer.h"
#include "nmeaserver/NmeaWindow.h"
#include "nmeaserver/PositionWindow.h"
#include "nmeaserver/ReaderStatus.h"
#include "nmeaserver/ShipSimulator.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include <chrono>

#include <gtest/gtest.h>

using namespace velmar::nmeaserver;
using velmar::platform::SystemTime;

namespace {
QString cell(QTableWidget* list, int row, int column)
{
    return list->item(row, column) ? list->item(row, column)->text() : QString();
}

// The window follows the sentences a few times a second: what it must show
// comes well within this.
constexpr int ShownWithinMs = 10000;
} // namespace

TEST(NmeaWindow, ScrollAllKeepsTheNewestThatFitOneOfEachKeepsOneRowPerName)
{
    NmeaServer server;
    server.initialise({});
    TTNMEAWindow window(server);
    window.applyDisplaySettings();
    window.show();
    auto* all = window.findChild<QTableWidget*>("ListAll");
    auto* one = window.findChild<QTableWidget*>("ListOne");
    ASSERT_TRUE(all && one);

    server.settings().Display.Type = ScrollAll;
    window.ShowDisplayMode();
    for (int i = 0; i < 200; ++i)
        server.OnRawSentence("/dev/ttyS0", "$GPGGA," + QByteArray::number(i) + "\r");
    ASSERT_TRUE(QTest::qWaitFor([&] { return cell(all, all->rowCount() - 1, 2) == "$GPGGA,199"; }, ShownWithinMs));
    const int visible = all->viewport()->height() / all->verticalHeader()->defaultSectionSize();
    ASSERT_GT(visible, 0);
    EXPECT_EQ(all->rowCount(), visible);
    EXPECT_EQ(cell(all, all->rowCount() - 1, 2), "$GPGGA,199") << "newest at the bottom";
    EXPECT_EQ(cell(all, 0, 0), "GPGGA");

    window.resize(window.width(), window.height() + 100);
    EXPECT_EQ(all->rowCount(), 0) << "emptied on resize, to refill with what now fits";

    server.settings().Display.Type = OneOfEach;
    window.ShowDisplayMode();
    server.OnRawSentence("/dev/ttyS0", "$GPRMC,a\r");
    server.OnRawSentence("/dev/ttyS0", "$GPGGA,b\r");
    server.OnRawSentence("/dev/ttyS0", "$GPRMC,c\r");
    ASSERT_TRUE(QTest::qWaitFor([&] { return cell(one, one->rowCount() - 1, 2) == "$GPRMC,c"; }, ShownWithinMs));
    ASSERT_EQ(one->rowCount(), 2);
    EXPECT_EQ(cell(one, 0, 0), "GPGGA");
    EXPECT_EQ(cell(one, 1, 0), "GPRMC");
    EXPECT_EQ(cell(one, 1, 2), "$GPRMC,c");
    EXPECT_EQ(one->currentRow(), 1);

    // Closing with no client connected writes the settings and ends.
    EXPECT_TRUE(window.close());
    IniFile ini(settingsFilePath());
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.readInteger("Display", "Type", 0), OneOfEach);
    EXPECT_GT(ini.readInteger("Display", "Width", 0), 0);
}

// Minimised (as after the clock was set) the lists are not redrawn; restored,
// they show what came meanwhile.
TEST(NmeaWindow, MinimisedItDrawsNothingRestoredItCatchesUp)
{
    NmeaServer server;
    server.initialise({});
    server.shutDown(); // no reader of its own
    TTNMEAWindow window(server);
    window.applyDisplaySettings();
    server.settings().Display.Type = ScrollAll;
    window.ShowDisplayMode();
    window.show();
    auto* all = window.findChild<QTableWidget*>("ListAll");
    ASSERT_TRUE(all);
    server.OnRawSentence("/dev/ttyS0", "$GPGGA,1\r");
    ASSERT_TRUE(QTest::qWaitFor([&] { return all->rowCount() == 1; }, ShownWithinMs));
    ASSERT_EQ(all->rowCount(), 1);

    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    server.OnRawSentence("/dev/ttyS0", "$GPGGA,2\r");
    EXPECT_FALSE(QTest::qWaitFor([&] { return all->rowCount() != 1; }, 2 * TTNMEAWindow::RefreshIntervalMs))
        << "not redrawn while minimised";

    window.showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return all->rowCount() == 2; }, ShownWithinMs));
    ASSERT_EQ(all->rowCount(), 2);
    EXPECT_EQ(cell(all, 1, 2), "$GPGGA,2");
}

// What scripts/run.sh shows a new user: NMEA told to simulate (run.sh does
// so for a new settings folder) shows the ship in its position window. The simulator's cycles are fed with
// made-up times, five minutes apart; both views are saved as pictures in the
// build folder for a person to look at.
TEST(NmeaWindow, ToldToSimulateItShowsTheSimulatedShipMoving)
{
    QFile::remove(settingsFilePath());
    {
        IniFile told(settingsFilePath());
        told.writeBool("Simulation", "Simulate", true);
        ASSERT_TRUE(told.save());
    }
    NmeaServer server;
    server.initialise({});
    ASSERT_TRUE(server.settings().Sim.Simulate);
    TTNMEAWindow window(server);
    window.applyDisplaySettings();
    window.show();
    TPositionWindow* position = window.positionWindow();
    ASSERT_TRUE(position->isVisible()) << "the position display is the first one shown";
    // The test feeds the simulator's cycles itself, at made-up times: the
    // server's own simulator, on the real clock, would race them on a slow
    // (sanitized) build. Nor may the restart timer start it again.
    server.shutDown();

    ShipSimulator ship(server.settings().Sim);
    const auto start = SystemTime{2026, 12, 4, 10, 12, 0, 0, 0}.toTimePoint();
    const auto step = std::chrono::milliseconds(int(ship.interval() * 1000));
    const int cyclesInFiveMinutes = int(300 / ship.interval());
    auto texts = [&] {
        return QStringList{position->lat_edit->text(), position->long_edit->text(), position->time_edit->text()};
    };
    auto sail = [&](int firstCycle, int cycles) {
        for (int i = firstCycle; i < firstCycle + cycles; ++i)
            for (const QByteArray& line : ship.cycle(SystemTime::fromTimePoint(start + i * step)))
                server.OnRawSentence(SimulatorName, line);
    };

    sail(0, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return texts()[2] == "GMT:  10/12/26 12:00:00"; }, ShownWithinMs));
    const QStringList first = texts();
    const QImage before = position->grab().toImage();
    sail(1, cyclesInFiveMinutes);
    ASSERT_TRUE(QTest::qWaitFor([&] { return texts()[2] == "GMT:  10/12/26 12:05:00"; }, ShownWithinMs));
    const QStringList later = texts();
    const QImage after = position->grab().toImage();
    EXPECT_TRUE(before.save(QDir::current().filePath("nmea_position_start.png")));
    EXPECT_TRUE(after.save(QDir::current().filePath("nmea_position_5min.png")));

    EXPECT_EQ(first[0], QString::fromUtf8("51\u00B024.000\u00B4N"));
    EXPECT_EQ(first[1], QString::fromUtf8("004\u00B000.000\u00B4W"));
    EXPECT_EQ(first[2], "GMT:  10/12/26 12:00:00");
    // 7.5 knots on 220 degrees for five minutes: 0.479' south, 0.644' west.
    EXPECT_EQ(later[0], QString::fromUtf8("51\u00B023.521\u00B4N"));
    EXPECT_EQ(later[1], QString::fromUtf8("004\u00B000.644\u00B4W"));
    EXPECT_EQ(later[2], "GMT:  10/12/26 12:05:00");
    EXPECT_NE(before, after) << "the window shows it";
}
