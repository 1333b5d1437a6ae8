// Decisions of the detection layers and the map window: placement, bearing
// lines and arrows, porpoise bearings, click thinning, the scale bar, the
// follow-ship rule and the pointer's read-out.
#include "MapTestSupport.h"

#include "map/MapDetections.h"
#include "map/MapKey.h"
#include "platform/DateTimeText.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmar::map;
using namespace maptest;

namespace {

const QRect Clip(-1000, -1000, 2000, 2000);

double Length(QPoint a, QPoint b)
{
    return std::hypot(b.x() - a.x(), b.y() - a.y());
}

TEST(MapDetectionsTest, ScaleBar)
{
    struct Case {
        const char* legend;
        int units;
        double gridStep, pixelsPerMile;
        int width;
        double step;
        int pixels;
        QString label;
    };
    const Case cases[] = {
        {"half a mile in a narrow window", 1, 1, 150, 250, 0.5, 75, "0.50 n.miles"},
        {"one mile in a wide window", 1, 1, 150, 400, 1, 150, "1 n.mile"},
        {"several miles", 1, 5, 20, 400, 5, 100, "5 n.miles"},
        {"nothing short enough", 1, 1, 1e6, 250, 0.01, 10000, "0.01 n.miles"},
        {"metric: 1000 m", 2, 1, 150, 400, 1, 80, "1000 m"},
        {"metric: kilometres", 2, 1, 10, 400, 20, 107, "20 km"},
        {"metric: metres", 2, 1, 3000, 400, 0.05, 80, "50 m"},
    };
    for (const Case& c : cases) {
        const ScaleBar bar = ChooseScaleBar(c.units, c.gridStep, c.pixelsPerMile, c.width);
        EXPECT_DOUBLE_EQ(bar.step, c.step) << c.legend;
        EXPECT_EQ(bar.pixels, c.pixels) << c.legend;
        EXPECT_EQ(bar.label, c.label) << c.legend;
    }
}

TEST(MapDetectionsTest, FollowShipNudgesThreeTimesThenCentres)
{
    const QRect plot(0, 0, 400, 300);
    FollowShipCounter counter;
    const QPoint east(450, 100);
    EXPECT_EQ(counter.OnFix(east, plot, true), std::vector<int>{CmdNudgeLeft});
    EXPECT_EQ(counter.OnFix(east, plot, true), std::vector<int>{CmdNudgeLeft});
    EXPECT_EQ(counter.OnFix(east, plot, true), std::vector<int>{CmdNudgeLeft});
    EXPECT_EQ(counter.OnFix(east, plot, true), std::vector<int>{CmdCentreShipView});
    // A fix back inside resets the count.
    EXPECT_TRUE(counter.OnFix(QPoint(10, 10), plot, true).empty());
    EXPECT_EQ(counter.Count(), 0);
    EXPECT_EQ(counter.OnFix(QPoint(-5, 350), plot, true), (std::vector<int>{CmdNudgeRight, CmdNudgeUp}));
    EXPECT_TRUE(counter.OnFix(QPoint(-5, -5), plot, false).empty()) << "follow-ship off";
}

TEST(MapDetectionsTest, BearingLines)
{
    // Either side: range 1 mile at 50 pixels a mile, heading 90, bearing 30.
    DetectionItem item;
    item.position = QPoint(100, 100);
    item.heading = 90;
    item.bearingType = BearingEitherSide;
    item.range = 1;
    item.bearing = 30;
    item.symbolNumber = 8;
    item.line = true;
    DetectionDrawing d = PlotDetection(item, Clip, 50, 0);
    ASSERT_EQ(d.lines.size(), 2u);
    EXPECT_EQ(d.lines[0].second, PointAtBearing(item.position, 120, 50));
    EXPECT_EQ(d.lines[1].second, PointAtBearing(item.position, 60, 50));
    EXPECT_NEAR(Length(d.lines[0].first, d.lines[0].second), 50, 1.5);
    EXPECT_EQ(d.symbols.size(), 2u) << "a symbol at each end";

    // Magnetic: the variation turns the line.
    item.bearingType = BearingMagnetic;
    d = PlotDetection(item, Clip, 50, 10);
    ASSERT_EQ(d.lines.size(), 1u);
    EXPECT_EQ(d.lines[0].second, PointAtBearing(item.position, 40, 50));

    // A line wholly outside the clip draws nothing.
    d = PlotDetection(item, QRect(500, 500, 10, 10), 50, 0);
    EXPECT_TRUE(d.lines.empty() && d.symbols.empty());

    // No range: the symbol alone.
    item.range.reset();
    d = PlotDetection(item, Clip, 50, 0);
    EXPECT_TRUE(d.lines.empty());
    EXPECT_EQ(d.symbols, std::vector<QPoint>{item.position});
}

TEST(MapDetectionsTest, HeadingArrows)
{
    struct Case {
        const char* legend;
        int units;
        double length;
        double pixels;
    };
    // At 20 pixels per minute (a nautical mile).
    const Case cases[] = {
        {"1852 m", MarkMetres, 1852, 20},
        {"one nautical mile", MarkNauticalMiles, 1, 20},
        {"1.852 km", MarkKilometres, 1.852, 20},
        {"pixels as they are", MarkPixels, 33, 33},
    };
    for (const Case& c : cases) {
        HeadingMark mark{1, c.length, 5, -1, false, c.units};
        const auto arrow = HeadingArrow(QPoint(0, 0), mark, 0, 0, 0, 0, 20);
        ASSERT_TRUE(arrow) << c.legend;
        EXPECT_NEAR(Length(arrow->from, arrow->tip), c.pixels, 1) << c.legend;
    }
    EXPECT_FALSE(HeadingArrow(QPoint(0, 0), HeadingMark{1, 10, 5, -1, false, 9}, 0, 0, 0, 0, 20)) << "unknown units";

    // Bearing type 0 with a heading mark: the symbol and the mark at the item.
    DetectionItem item;
    item.position = QPoint(50, 50);
    item.symbolNumber = 8;
    item.mark = HeadingMark{3, 10, 3, -1, false, MarkPixels};
    item.heading = 90;
    item.headingValue = 0;
    const DetectionDrawing d = PlotDetection(item, Clip, 20, 0);
    EXPECT_EQ(d.symbols, std::vector<QPoint>{item.position});
    ASSERT_EQ(d.arrows.size(), 1u);
    EXPECT_EQ(d.arrows[0].tip, QPoint(60, 50)) << "relative to the ship's heading";
}

TEST(MapDetectionsTest, PorpoiseBearings)
{
    EXPECT_FLOAT_EQ(PorpoiseDrawBearing(30, 45), 30);
    EXPECT_FLOAT_EQ(PorpoiseDrawBearing(999, 45), 45);
    EXPECT_FLOAT_EQ(PorpoiseDrawBearing(990, 990), AbsentPorpoiseBearing);
    EXPECT_FLOAT_EQ(PorpoiseDrawBearing(999, 999), AbsentPorpoiseBearing);
}

TEST(MapDetectionsTest, ClickThinning)
{
    struct Case {
        const char* legend;
        std::vector<ClickSample> events;
        bool plotAll;
        std::vector<bool> drawn;
    };
    const Case cases[] = {
        {"10 s apart, 100 and 110", {{0, 100}, {10000, 110}}, false, {true, false}},
        {"10 s apart, 100 and 120", {{0, 100}, {10000, 120}}, false, {true, true}},
        {"40 s apart, 100 and 110", {{0, 100}, {40000, 110}}, false, {true, true}},
        {"plot all", {{0, 100}, {10000, 110}}, true, {true, true}},
        {"a thinned event thins no later one", {{0, 100}, {10000, 112}, {20000, 124}}, false, {true, false, true}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ThinClickEvents(c.events, c.plotAll, 30, 15), c.drawn) << c.legend;
}

TEST(MapDetectionsTest, PlacementInterpolatesOnTheShorterArc)
{
    FixListBuilder fixes;
    fixes.Heading(350).Add(0, 0, 0).Heading(10).Add(0, 10, 10);
    MapProjection projection;
    projection.Top = 10;
    projection.Left = -10;
    projection.YScale = projection.XScale = 10;
    velmar::platform::SystemTime half = fixes.First()->fix.programTime;
    half = velmar::platform::AddSecondsToTime(half, 5);
    const auto place = PlaceDetection(fixes.First()->newer, 0, true, &half, projection, 0);
    ASSERT_TRUE(place);
    EXPECT_NEAR(std::fmod(place->heading + 360, 360), 0, 1e-6) << "350 and 10 give 0, not 180";
    EXPECT_EQ(place->position, QPoint(150, 100));
    EXPECT_FALSE(PlaceDetection(nullptr, 0, false, nullptr, projection, 0)) << "no fix, no place";

    // One mile astern of the newer fix along a 10-mile leg.
    const auto astern = PlaceDetection(fixes.First()->newer, 1, false, nullptr, projection, 0);
    ASSERT_TRUE(astern);
    EXPECT_EQ(astern->position, QPoint(190, 100));
}

TEST(MapDetectionsTest, PointerReadout)
{
    const QString deg(QChar(0xb0));
    // 10 pixels east and 10 north of the ship at 20 pixels a minute.
    const QPoint ship(100, 100), pointer(110, 90);
    const QString nm = PointerReadoutText(3030.5, -90.25, ship, pointer, 20, 1);
    EXPECT_TRUE(nm.startsWith(QStringLiteral("50") + deg + QStringLiteral(" 30.500") + QChar(0xb4) + "N     01" + deg
                              + QStringLiteral(" 30.250") + QChar(0xb4) + "W"))
        << nm.toStdString();
    EXPECT_TRUE(nm.endsWith(QStringLiteral(" Range 0.707 nm, Bearing 45") + deg)) << nm.toStdString();
    EXPECT_TRUE(
        PointerReadoutText(0, 0, ship, pointer, 20, 2).endsWith(QStringLiteral(" Range 1309 m, Bearing 45") + deg));
    EXPECT_TRUE(PointerReadoutText(0, 0, ship, QPoint(100, 0), 20, 2)
                    .endsWith(QStringLiteral(" Range 9.26 km, Bearing 0") + deg));
    EXPECT_FALSE(PointerReadoutText(0, 0, std::nullopt, pointer, 20, 1).contains(QStringLiteral("Range")));
}

TEST(MapDetectionsTest, NearestFixWithinTenPixels)
{
    const std::vector<QPoint> fixes{{0, 0}, {100, 0}, {100, 0}};
    EXPECT_EQ(NearestPoint(fixes, QPoint(108, 0), 10), std::optional<std::size_t>(1)) << "the first of a tie";
    EXPECT_FALSE(NearestPoint(fixes, QPoint(111, 0), 10));
    EXPECT_FALSE(NearestPoint({}, QPoint(0, 0), 10));
}

TEST(MapKeyTest, Entries)
{
    using K = KeyEntry;
    const auto kinds = [](const std::vector<KeyEntry>& entries) {
        std::vector<std::pair<K::Kind, QString>> out;
        for (const KeyEntry& e : entries)
            out.emplace_back(e.kind, e.text);
        return out;
    };
    KeyInputs ship;
    ship.plotTrack = true;
    EXPECT_EQ(kinds(BuildKeyEntries(ship)), (std::vector<std::pair<K::Kind, QString>>{{K::Ship, "Ship"}}));

    KeyInputs effort = ship;
    effort.effortYes = true;
    effort.effortSource = 3;
    effort.effortControl = KeyEffortControl{true, "Effort", 0, {{"On", 1}, {"Off", 2}, {"Poor", 3}}};
    EXPECT_EQ(kinds(BuildKeyEntries(effort)),
              (std::vector<std::pair<K::Kind, QString>>{{K::Ship, "Ship"},
                                                        {K::EffortSource, "Listening Effort"},
                                                        {K::EffortLine, "On"},
                                                        {K::EffortLine, "Off"},
                                                        {K::EffortLine, "Poor"}}));

    KeyInputs contours;
    contours.plotMap = true;
    contours.shownLevels = {0, 200};
    EXPECT_EQ(kinds(BuildKeyEntries(contours)),
              (std::vector<std::pair<K::Kind, QString>>{
                  {K::ContourHeading, "Contours"}, {K::Contour, "Coast"}, {K::Contour, "200 m"}}));
    contours.shownLevels.clear();
    EXPECT_TRUE(BuildKeyEntries(contours).empty()) << "no level shown, no heading";
}

} // namespace
