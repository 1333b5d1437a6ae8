// The per-data-set fix lists: searches, their caches, and the purge by age on
// an injected clock.
#include "nav/GpsFixList.h"

#include <gtest/gtest.h>

#include <set>

using namespace velmar::nav;
using velmar::platform::SystemTime;

namespace {

SystemTime at(int hour, int minute, int second)
{
    SystemTime t;
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 10;
    t.wHour = uint16_t(hour);
    t.wMinute = uint16_t(minute);
    t.wSecond = uint16_t(second);
    return t;
}

GpsFixData fixAt(const SystemTime& time)
{
    GpsFixData fix{time};
    fix.valid = 1;
    return fix;
}

struct ListFixture : ::testing::Test {
    uint64_t now = 1000000;
    GpsFixList list{[this] { return now; }};

    // Fixes of set 0 at 12:00:00, :10, :20, :30, indexes 1 to 4, appended
    // ten seconds apart on the tick clock.
    void appendFour()
    {
        for (int i = 0; i < 4; ++i) {
            list.Append(fixAt(at(12, 0, 10 * i)), i + 1, 0);
            now += 10000;
        }
    }
};

TEST_F(ListFixture, SetsGrowAndKeepTimeOrder)
{
    EXPECT_EQ(list.First(0), nullptr);
    EXPECT_EQ(list.Last(3), nullptr);
    appendFour();
    GPSTHING* other = list.Append(fixAt(at(12, 0, 5)), 7, 2);
    EXPECT_EQ(list.DataSetCount(), 3);
    EXPECT_EQ(list.First(1), nullptr);
    EXPECT_EQ(list.First(2), other);
    EXPECT_EQ(list.Last(2), other);
    EXPECT_EQ(list.First(0)->Index, 1);
    EXPECT_EQ(list.Last(0)->Index, 4);
    EXPECT_EQ(list.Last(0)->older->Index, 3);
    EXPECT_EQ(list.First(0)->newer->Index, 2);
    EXPECT_EQ(list.Append(fixAt(at(12, 0, 0)), 1, -1), nullptr);
    EXPECT_EQ(list.Last(-1), nullptr);
}

TEST_F(ListFixture, FindByIndex)
{
    appendFour();
    list.Append(fixAt(at(12, 0, 0)), 3, 1);
    EXPECT_EQ(list.FindByIndex(3, 0)->fix.programTime, at(12, 0, 20));
    EXPECT_EQ(list.FindByIndex(4, 0)->Index, 4);
    // A falling index or another set starts again from the oldest fix.
    EXPECT_EQ(list.FindByIndex(1, 0)->Index, 1);
    EXPECT_EQ(list.FindByIndex(3, 1)->dataSet, 1);
    EXPECT_EQ(list.FindByIndex(9, 0), nullptr);
    EXPECT_EQ(list.FindByIndex(2, 5), nullptr);
}

TEST_F(ListFixture, FindByTimeGivesTheFixInEffect)
{
    appendFour();
    struct Case {
        const char* legend;
        SystemTime time;
        int index; // 0: none
    } cases[] = {
        {"before the oldest", at(11, 59, 59), 0},
        {"at the oldest", at(12, 0, 0), 1},
        {"between", at(12, 0, 15), 2},
        {"on a fix", at(12, 0, 20), 3},
        {"at the newest", at(12, 0, 30), 4},
        {"after the newest", at(12, 0, 31), 0},
        {"earlier again", at(12, 0, 9), 1},
    };
    for (const auto& c : cases) {
        GPSTHING* fix = list.FindByTime(c.time, 0);
        EXPECT_EQ(fix ? fix->Index : 0, c.index) << c.legend;
    }
}

TEST_F(ListFixture, IndexAndTimeSearchesKeepTheirOwnPlace)
{
    appendFour();
    EXPECT_EQ(list.FindByTime(at(12, 0, 5), 0)->Index, 1);
    EXPECT_EQ(list.FindByIndex(4, 0)->Index, 4);
    // A later time than the last time search, still before the fix the
    // index search found.
    EXPECT_EQ(list.FindByTime(at(12, 0, 12), 0)->Index, 2);
    EXPECT_EQ(list.FindByIndex(4, 0)->Index, 4);
}

TEST_F(ListFixture, PurgeKeepsTheTrackToTheEdgeOfTheWindow)
{
    appendFour(); // ticks 1000000 .. 1030000, now 1040000
    std::set<const GPSTHING*> told;
    list.AddFreeListener([&](const GPSTHING* fix) { told.insert(fix); });
    GPSTHING* first = list.First(0);
    GPSTHING* second = first->newer;

    // 25 s: the fix at tick 1010000 is that old, so the one before it goes;
    // the fix at 1010000 stays because the next one is younger.
    EXPECT_EQ(list.Purge(25000), 1);
    EXPECT_EQ(told, (std::set<const GPSTHING*>{first}));
    EXPECT_EQ(list.First(0), second);
    EXPECT_EQ(list.First(0)->older, nullptr);

    // Long after the last fix: every fix but the newest of each set goes.
    list.Append(fixAt(at(12, 0, 0)), 1, 1);
    now += 3600000;
    EXPECT_EQ(list.Purge(60000), 2);
    ASSERT_NE(list.First(0), nullptr);
    EXPECT_EQ(list.First(0), list.Last(0));
    EXPECT_EQ(list.Last(0)->Index, 4);
    EXPECT_NE(list.Last(1), nullptr);

    // An age longer than the clock has run frees nothing; age 0 frees all.
    GpsFixList young{[] { return uint64_t(500); }};
    young.Append(fixAt(at(12, 0, 0)), 1, 0);
    young.Append(fixAt(at(12, 0, 1)), 2, 0);
    EXPECT_EQ(young.Purge(1000), 0);
    EXPECT_EQ(young.Purge(0), 2);
    EXPECT_EQ(young.First(0), nullptr);
    EXPECT_EQ(young.Last(0), nullptr);
}

TEST_F(ListFixture, NoSearchReturnsAFreedFix)
{
    appendFour();
    GPSTHING* byIndex = list.FindByIndex(2, 0);
    GPSTHING* byTime = list.FindByTime(at(12, 0, 10), 0);
    ASSERT_EQ(byIndex, byTime);
    now += 3600000;
    list.Purge(60000);
    // Both caches held the freed fix; the searches start again from the list.
    EXPECT_EQ(list.FindByIndex(4, 0), list.Last(0));
    EXPECT_EQ(list.FindByIndex(2, 0), nullptr);
    EXPECT_EQ(list.FindByTime(at(12, 0, 30), 0), list.Last(0));
}

TEST_F(ListFixture, RemovedListenerIsNotTold)
{
    appendFour();
    int calls = 0;
    const int id = list.AddFreeListener([&](const GPSTHING*) { ++calls; });
    list.RemoveFreeListener(id);
    list.Purge(0);
    EXPECT_EQ(calls, 0);
}

} // namespace
