#include "nmeaserver/IniFile.h"
#include "nmeaserver/NmeaServer.h"
#include "nmeaserver/NmeaWindow.h"

#include <QHeaderView>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace velmar::nmeaserver;

namespace {
QString cell(QTableWidget* list, int row, int column)
{
    return list->item(row, column) ? list->item(row, column)->text() : QString();
}
}

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
