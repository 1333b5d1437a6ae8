// Decisions of the base layers: grid values, border labels, contour pens and
// the stretches of a track.
#include "MapTestSupport.h"

#include "map/MapLayers.h"

#include <gtest/gtest.h>

using namespace velmar::map;
using namespace maptest;

namespace {

TEST(MapLayersTest, BorderLabels)
{
    struct Case {
        int minutes;
        QString label;
    };
    const QChar minutesMark(0xb4), degree(0xb0);
    const Case cases[] = {
        {120, QStringLiteral("2") + degree},        {150, QStringLiteral("30") + minutesMark},
        {-150, QStringLiteral("30") + minutesMark}, {-180, QStringLiteral("3") + degree},
        {0, QStringLiteral("0") + degree},          {65, QStringLiteral("05") + minutesMark},
        {-60, QStringLiteral("1") + degree},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BorderLabel(c.minutes), c.label) << c.minutes;
}

TEST(MapLayersTest, GridValues)
{
    EXPECT_EQ(GridValues(-5, 125, 60), (std::vector<int>{0, 60, 120}));
    EXPECT_EQ(GridValues(-130, -10, 60), (std::vector<int>{-120, -60}));
    EXPECT_EQ(GridValues(11, 14, 5), std::vector<int>{});
    EXPECT_TRUE(GridValues(0, 1e9, 1).empty()) << "no plot can show that many lines";
    EXPECT_TRUE(GridValues(0, 10, 0).empty());
}

TEST(MapLayersTest, ContourPens)
{
    const QColor coast(10, 20, 30);
    const int32_t coastValue = 10 | (20 << 8) | (30 << 16);
    // Three levels: coast, cyan, then green 255 - 255 and blue 255 - 63.
    EXPECT_EQ(MakeContourPens(3, coastValue, false, Qt::white),
              (std::vector<QColor>{coast, QColor(0, 255, 255), QColor(0, 0, 192)}));
    // Two levels need no step, so nothing divides by zero.
    EXPECT_EQ(MakeContourPens(2, coastValue, false, Qt::white), (std::vector<QColor>{coast, QColor(0, 255, 255)}));
    EXPECT_EQ(MakeContourPens(1, 0, true, Qt::white), std::vector<QColor>{QColor(Qt::white)});
    EXPECT_EQ(MakeContourPens(1, coastValue, true, Qt::white), std::vector<QColor>{coast});
    EXPECT_TRUE(MakeContourPens(0, 0, false, Qt::white).empty());
    const std::vector<QColor> many = MakeContourPens(29, 0, false, Qt::white);
    ASSERT_EQ(many.size(), 29u);
    EXPECT_EQ(many.back(), QColor(0, 255 - 27 * 9, 255 - 27 * 2));
}

TEST(MapLayersTest, ShownLevelsCountOnlyTheLevelsThereAre)
{
    const std::vector<bool> all(30, true);
    EXPECT_EQ(CountShownLevels(all, 2), 2);
    EXPECT_EQ(CountShownLevels(all, 0), 0);
    const std::vector<bool> some{true, false, true, true};
    EXPECT_EQ(CountShownLevels(some, 4), 3);
    EXPECT_EQ(ContourPenIndex(0, some), 0);
    EXPECT_EQ(ContourPenIndex(2, some), 1);
    EXPECT_EQ(ContourPenIndex(3, some), 2);
}

// A track on a plot of 100 x 100 pixels, one pixel per minute, with the
// top-left corner at 100 minutes north, 0 east.
MapProjection UnitProjection()
{
    MapProjection p;
    p.Top = 100;
    p.Bottom = 0;
    p.Left = 0;
    p.Right = 100;
    return p;
}

const QRect Plot(0, 0, 100, 100);

std::vector<std::vector<QPoint>> AllLines(const TrackDrawing& d)
{
    std::vector<std::vector<QPoint>> lines;
    for (const TrackStretch& s : d.stretches)
        lines.insert(lines.end(), s.lines.begin(), s.lines.end());
    return lines;
}

TEST(MapLayersTest, TrackBreaksAtALongGap)
{
    FixListBuilder track;
    track.Add(90, 10, 0).Add(90, 20, 60).Add(90, 30, 660).Add(90, 40, 720);
    TrackOptions options;
    options.maxGapSeconds = 300;
    const TrackDrawing d = BuildTrack(TrackPointsFrom(track.First()), UnitProjection(), Plot, options);
    EXPECT_EQ(AllLines(d), (std::vector<std::vector<QPoint>>{{{10, 10}, {20, 10}}, {{30, 10}, {40, 10}}}));
    EXPECT_EQ(d.lastDrawnIndex, 4);
}

TEST(MapLayersTest, InvalidFixesArePassedOver)
{
    FixListBuilder track;
    track.Add(90, 10, 0).Add(50, 50, 1, false).Add(90, 20, 2);
    const TrackDrawing d = BuildTrack(TrackPointsFrom(track.First()), UnitProjection(), Plot, {});
    EXPECT_EQ(AllLines(d), (std::vector<std::vector<QPoint>>{{{10, 10}, {20, 10}}}));
}

TEST(MapLayersTest, EffortColoursAndClearStretches)
{
    // Fixes 1..7 along a line, one a second.
    FixListBuilder track;
    for (int i = 0; i < 7; ++i)
        track.Add(90, 10 + 10 * i, i);
    const int32_t red = 0xff, green = 0xff00;

    TrackOptions options;
    options.lineColour = 0x808080;
    options.effortColours = true;
    // From fix 2 red; from 4 Clear; from 5 green.
    options.effort = {{2, red}, {4, ColourClear}, {5, green}};
    TrackDrawing d = BuildTrack(TrackPointsFrom(track.First()), UnitProjection(), Plot, options);
    ASSERT_EQ(d.stretches.size(), 3u);
    EXPECT_EQ(d.stretches[0].colour, 0x808080);
    EXPECT_EQ(d.stretches[0].lines, (std::vector<std::vector<QPoint>>{{{10, 10}, {20, 10}}}));
    EXPECT_EQ(d.stretches[1].colour, red);
    EXPECT_EQ(d.stretches[1].lines, (std::vector<std::vector<QPoint>>{{{20, 10}, {30, 10}, {40, 10}}}));
    // Fix 5 is passed over; the green stretch starts anew at fix 6.
    EXPECT_EQ(d.stretches[2].colour, green);
    EXPECT_EQ(d.stretches[2].lines, (std::vector<std::vector<QPoint>>{{{60, 10}, {70, 10}}}));

    // A Clear last stretch: the rest of the track is not drawn.
    options.effort = {{3, ColourClear}};
    d = BuildTrack(TrackPointsFrom(track.First()), UnitProjection(), Plot, options);
    EXPECT_EQ(AllLines(d), (std::vector<std::vector<QPoint>>{{{10, 10}, {20, 10}, {30, 10}}}));

    // Without effort colouring the list changes nothing.
    options.effortColours = false;
    d = BuildTrack(TrackPointsFrom(track.First()), UnitProjection(), Plot, options);
    EXPECT_EQ(AllLines(d).size(), 2u);
    EXPECT_EQ(AllLines(d).front().front(), QPoint(10, 10));
    EXPECT_EQ(AllLines(d).back().back(), QPoint(70, 10));
}

TEST(MapLayersTest, OffScreenStretchesAndSamePixelFixesCostNoDrawing)
{
    FixListBuilder track;
    track.Add(90, 10, 0).Add(90, 10.2, 1).Add(90, 10.4, 2).Add(90, 20, 3); // three fixes in one pixel
    track.Add(90, 500, 4).Add(90, 600, 5).Add(90, 700, 6);                 // far east of the plot
    track.Add(90, 30, 7).Add(90, 40, 8);
    const TrackDrawing d = BuildTrack(TrackPointsFrom(track.First()), UnitProjection(), Plot, {});
    // The leg back into the plot crosses it and is kept; the ones outside are not.
    EXPECT_EQ(AllLines(d),
              (std::vector<std::vector<QPoint>>{{{10, 10}, {20, 10}, {500, 10}}, {{700, 10}, {30, 10}, {40, 10}}}));
}

TEST(MapLayersTest, StaticTextPlaces)
{
    const QSize text(30, 12);
    const QPoint p(100, 50);
    // Right-aligned, size 8: the text ends 4 pixels left of the symbol;
    // centred vertically on it.
    EXPECT_EQ(StaticTextOrigin(p, 8, 2, 6, text), QPoint(100 - 4 - 30, 50 - 6));
    EXPECT_EQ(StaticTextOrigin(p, 8, 0, 0, text), QPoint(104, 54));
    EXPECT_EQ(StaticTextOrigin(p, 8, 6, 2, text), QPoint(85, 54 - 12));
    // An unknown alignment and a size below 2 (half of it is at least 1).
    EXPECT_EQ(StaticTextOrigin(p, 0, -1, -1, text), QPoint(101, 51));
}

TEST(MapLayersTest, ShipSymbol)
{
    const std::vector<QPoint> s = ShipSymbolPoints({50, 40});
    ASSERT_EQ(s.size(), 8u);
    EXPECT_EQ(s.front(), QPoint(45, 35));
    EXPECT_EQ(s.back(), QPoint(45, 45));
}

} // namespace

namespace {

TEST(TrackCacheTest, FollowsTheFixList)
{
    FixListBuilder track;
    track.Add(90, 10, 0).Add(90, 20, 1);
    TrackCache cache;
    EXPECT_EQ(cache.Points(track.List(), 0).size(), 2u);
    EXPECT_TRUE(cache.Points(track.List(), 3).empty()) << "a set without fixes";
    EXPECT_EQ(cache.DataSetCount(), 4);

    // New fixes are added at the newest end.
    track.Add(90, 30, 2).Add(90, 40, 3);
    const std::vector<TrackPoint>& points = cache.Points(track.List(), 0);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points.back().gpsIndex, 4);
    EXPECT_DOUBLE_EQ(points.back().longitude, 40);

    // The oldest fixes purged go from the front.
    uint64_t now = 0;
    FixListBuilder aging([&now] { return now; });
    TrackCache agingCache;
    aging.Add(90, 10, 0);
    now = 10000;
    aging.Add(90, 20, 10).Add(90, 30, 20);
    now = 20000;
    EXPECT_EQ(agingCache.Points(aging.List(), 0).size(), 3u);
    ASSERT_GT(aging.List().Purge(5000), 0);
    ASSERT_NE(aging.First(), nullptr);
    const std::vector<TrackPoint>& kept = agingCache.Points(aging.List(), 0);
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(kept.front().gpsIndex, aging.First()->Index);
    EXPECT_EQ(kept.back().gpsIndex, 3);

    // Everything purged, then a new track.
    track.List().Purge(0);
    EXPECT_TRUE(cache.Points(track.List(), 0).empty());
    track.Add(80, 10, 10);
    ASSERT_EQ(cache.Points(track.List(), 0).size(), 1u);
    EXPECT_DOUBLE_EQ(cache.Points(track.List(), 0).front().latitude, 80);
}

} // namespace
