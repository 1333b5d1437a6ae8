// The track statistics: the gap rule, the split by effort and the copied text.
#include "nav/ProgramStatus.h"
#include "nav/TrackStatistics.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace velmar::nav;
using velmar::platform::SystemTime;

namespace {

// Fixes due north, one minute of latitude (one nautical mile) apart, at the
// given seconds; Index from 1.
std::vector<TrackPoint> trackAt(const std::vector<int>& seconds)
{
    const SystemTime start = SystemTime::fromTimePoint(std::chrono::sys_days{std::chrono::year{2026} / 12 / 10});
    std::vector<TrackPoint> track;
    int32_t index = 1;
    for (int s : seconds) {
        TrackPoint p;
        p.index = index;
        p.fix = GpsFixData(SystemTime::fromTimePoint(start.toTimePoint() + std::chrono::seconds(s)));
        p.fix.latitude = 3000.0 + index - 1;
        p.fix.latitudeLetter = 'N';
        p.fix.longitude = 0;
        p.fix.longitudeLetter = 'E';
        track.push_back(p);
        ++index;
    }
    return track;
}

TEST(TrackStatistics, ALegOf300SecondsIsAGapAnd299IsCounted)
{
    struct Case {
        int gap;
        double miles;
        double seconds;
    };
    for (const Case c : {Case{299, 2.0, 359.0}, Case{300, 1.0, 60.0}}) {
        const TrackStatistics s = ComputeTrackStatistics(trackAt({0, 60, 60 + c.gap}), {}, {});
        EXPECT_NEAR(s.total.miles, c.miles, 1e-6) << c.gap;
        EXPECT_EQ(s.total.seconds, c.seconds) << c.gap;
        EXPECT_TRUE(s.categories.empty());
    }
}

TEST(TrackStatistics, ALegCrossingAnEffortChangeCountsForTheStateBeforeIt)
{
    // Five legs of a minute; on effort from fix 2, off from fix 4.
    const std::vector<EffortMark> effort{{2, EffortCategoryOn}, {4, EffortCategoryOff}};
    const TrackStatistics s = ComputeTrackStatistics(trackAt({0, 60, 120, 180, 240, 300}), effort,
                                                     DetectorEffortCategories(0));
    ASSERT_EQ(s.categories.size(), 4u);
    const double expected[] = {2, 2, 0, 1}; // Unknown, On, Half, Off
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(s.categories[std::size_t(i)].miles, expected[i], 1e-6) << i;
    EXPECT_EQ(s.categories[1].name, "Porpoise On Effort");
    EXPECT_EQ(s.categories[3].name, "Porpoise Off Effort");
}

TEST(TrackStatistics, TheClipboardTextHoldsHeadingTotalAndRows)
{
    const TrackStatistics none = ComputeTrackStatistics({}, {}, {});
    EXPECT_EQ(StatisticsClipboardText(none), "             \tmiles \tkm   \tTime\nTotal Track\t  0.0\t  0.0\t00:00\n");
    const TrackStatistics s = ComputeTrackStatistics(trackAt({0, 60}), {}, FormEffortCategories("Effort", {}, false));
    EXPECT_EQ(StatisticsClipboardText(s), "             \tmiles \tkm   \tTime\nTotal Track\t  1.0\t  1.9\t01:00\n"
                                          "Unknown\t  1.0\t  1.9\t01:00\nEffort On Effort\t  0.0\t  0.0\t00:00\n"
                                          "Effort Off Effort\t  0.0\t  0.0\t00:00\n");
}

} // namespace
