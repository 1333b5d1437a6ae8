// The view: fitting to a track, scales, zoom, scrolling, nudging, the
// visible rectangle and the grid step.
#include "map/MapView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace velmar::map;

namespace {

struct Position {
    double lat, lon; // minutes
};

TrackBounds BoundsOf(const std::vector<Position>& fixes)
{
    TrackBounds b;
    for (const Position& p : fixes)
        b.Add(p.lat, p.lon);
    return b;
}

struct FitCase {
    const char* legend;
    std::vector<Position> fixes;
    float margin;
    QSize plot;
    double latSpan, lonSpan; // of the fitted view
    double yScale, xScale;   // pixels per minute at zoom 1
};

class FitViewTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitViewTest, FitsTrackWithMarginToPlotShape)
{
    const FitCase& c = GetParam();
    MapView view;
    view.Margin = c.margin;
    view.FitView(BoundsOf(c.fixes), std::nullopt, c.plot);
    EXPECT_NEAR(view.MaxLat - view.MinLat, c.latSpan, 1e-3) << c.legend;
    EXPECT_NEAR(view.MaxLon - view.MinLon, c.lonSpan, 1e-3) << c.legend;
    EXPECT_NEAR(view.ViewYScale(0), c.yScale, 1e-6) << c.legend;
    EXPECT_NEAR(view.ViewXScale(0), c.xScale, 1e-6) << c.legend;

    // Every fix lands on a finite pixel inside the plot.
    const MapProjection p = MapProjection::FromView(view, c.plot);
    for (const Position& f : c.fixes) {
        const QPoint px = p.ToPixel(f.lat, f.lon);
        EXPECT_GE(px.x(), 0) << c.legend;
        EXPECT_LE(px.x(), c.plot.width()) << c.legend;
        EXPECT_GE(px.y(), 0) << c.legend;
        EXPECT_LE(px.y(), c.plot.height()) << c.legend;
    }
}

const double Cos50 = std::cos(50.0 * M_PI / 180.0);
const double Cos10 = std::cos(-10.0 * M_PI / 180.0);

INSTANTIATE_TEST_SUITE_P(
    Cases, FitViewTest,
    ::testing::Values(
        // One fix: a square of 2 x margin nautical miles, widened across to a wide plot.
        FitCase{"single fix", {{3000, 600}}, 20, {600, 400}, 40, 600 / (10 * Cos50), 10, 10 * Cos50},
        // At 60° the longitude margin is twice the latitude one; XScale is half of YScale.
        FitCase{"sixty degrees", {{3600, 0}}, 20, {800, 400}, 40, 160, 10, 5},
        // A tall plot: the width limits and the latitudes widen.
        FitCase{"tall plot", {{0, 0}}, 10, {200, 400}, 40, 20, 10, 10},
        // One fix with no margin: a minimum span, not an infinite scale.
        FitCase{"zero span", {{3000, 600}}, 0, {400, 300}, MinimumSpanMinutes, 400 / (300 * Cos50), 300, 300 * Cos50},
        FitCase{"all fixes at one place",
                {{-600, -120}, {-600, -120}, {-600, -120}},
                0,
                {300, 200},
                MinimumSpanMinutes,
                300 / (200 * Cos10),
                200,
                200 * Cos10}));

TEST(MapViewTest, MarginAloneAtSixtyDegreesIsTwiceAcross)
{
    MapView view;
    view.FitView(BoundsOf({{3600, 0}}), std::nullopt, QSize(0, 0));
    EXPECT_NEAR(view.MaxLat - view.MinLat, 40, 1e-3);
    EXPECT_NEAR(view.MaxLon - view.MinLon, 80, 1e-3);
}

TEST(MapViewTest, WithoutTrackOrMapEachFitAddsTheMarginAgain)
{
    MapView view;
    view.FitView(TrackBounds{}, std::nullopt, QSize(0, 0));
    const double first = view.MaxLat - view.MinLat;
    view.FitView(TrackBounds{}, std::nullopt, QSize(0, 0));
    EXPECT_NEAR(view.MaxLat - view.MinLat, first + 40, 1e-3);
}

TEST(MapViewTest, TrackAcrossTheDateLineFitsNarrowAndDrawsAsShortLeg)
{
    const std::vector<Position> fixes{{0, 179.9 * 60}, {0, -179.9 * 60}, {6, -179.8 * 60}};
    const TrackBounds b = BoundsOf(fixes);
    EXPECT_NEAR(b.MaxLon() - b.MinLon(), 0.3 * 60, 1e-6);

    MapView view;
    view.Margin = 5;
    view.FitView(b, std::nullopt, QSize(400, 400));
    EXPECT_LT(view.MaxLon - view.MinLon, 60);
    const MapProjection p = MapProjection::FromView(view, QSize(400, 400));
    const QPoint east = p.ToPixel(fixes[0].lat, fixes[0].lon);
    const QPoint west = p.ToPixel(fixes[1].lat, fixes[1].lon);
    EXPECT_NEAR(west.x() - east.x(), 0.2 * 60 * p.XScale, 1.5);
    EXPECT_GE(east.x(), 0);
    EXPECT_LE(west.x(), 400);
}

TEST(MapViewTest, FarPositionsHoldToABoundNotAnOverflow)
{
    MapProjection p;
    p.YScale = 1e9;
    EXPECT_EQ(p.LatToY(-1e6), 1 << 24);
    EXPECT_EQ(p.LatToY(std::nan("")), -(1 << 24));
}

TEST(MapViewTest, ZoomInAndOut)
{
    MapView view;
    view.FitView(BoundsOf({{0, 0}}), std::nullopt, QSize(400, 400));
    view.ZoomIn(2);
    EXPECT_FLOAT_EQ(view.Zoom, 2);
    EXPECT_TRUE(view.horizontal.shown);
    EXPECT_EQ(view.vertical.maximum, 40);
    EXPECT_EQ(view.vertical.position, 20);
    view.ZoomIn(2);
    EXPECT_FALSE(view.ZoomOut(2));
    EXPECT_FLOAT_EQ(view.Zoom, 2);
    EXPECT_FLOAT_EQ(view.Margin, 20);
    // Beyond the whole view the margin grows and the view is fitted again.
    EXPECT_TRUE(view.ZoomOut(2));
    EXPECT_FLOAT_EQ(view.Zoom, 1);
    EXPECT_FLOAT_EQ(view.Margin, 40);
    EXPECT_FALSE(view.vertical.shown);
    EXPECT_TRUE(view.ZoomOut(2));
    EXPECT_FLOAT_EQ(view.Margin, 80);
}

TEST(MapViewTest, ScrollingByLinePageAndThumb)
{
    MapView view;
    view.ZoomIn(2);
    ScrollBarState& bar = view.horizontal;
    struct Step {
        ScrollCode code;
        int thumb;
        bool taken;
        int position;
    };
    const Step steps[] = {
        {ScrollCode::PageForward, 0, true, 30}, {ScrollCode::LineBack, 0, true, 29},
        {ScrollCode::Thumb, 5, true, 5},        {ScrollCode::PageBack, 0, true, 0},
        {ScrollCode::LineForward, 0, true, 1},  {ScrollCode::Other, 17, false, 1},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(view.Scroll(bar, s.code, s.thumb), s.taken);
        EXPECT_EQ(bar.position, s.position);
    }
}

TEST(MapViewTest, VisibleRectangle)
{
    MapView view;
    view.MinLat = 0;
    view.MaxLat = 40;
    view.MinLon = 100;
    view.MaxLon = 180;
    // Up to zoom 1.005 the bars do not count, wherever they are.
    view.Zoom = 1.005f;
    view.horizontal.position = 0;
    view.vertical.position = 2;
    EXPECT_DOUBLE_EQ(view.ViewTop(), 40);
    EXPECT_DOUBLE_EQ(view.ViewBottom(), 0);
    EXPECT_DOUBLE_EQ(view.ViewLeft(), 100);
    EXPECT_DOUBLE_EQ(view.ViewRight(), 180);

    view.Zoom = 2;
    view.UpdateScrollBars();
    view.CentreScrollBars();
    EXPECT_DOUBLE_EQ(view.ViewTop(), 30);
    EXPECT_DOUBLE_EQ(view.ViewBottom(), 10);
    EXPECT_DOUBLE_EQ(view.ViewLeft(), 120);
    EXPECT_DOUBLE_EQ(view.ViewRight(), 160);
    const MapProjection p = MapProjection::FromView(view, QSize(400, 200));
    EXPECT_DOUBLE_EQ(p.YScale, 10);
    EXPECT_DOUBLE_EQ(p.XScale, 10);
    EXPECT_EQ(p.ToPixel(20, 140), QPoint(200, 100));
    EXPECT_DOUBLE_EQ(p.XToLon(200), 140);
    EXPECT_DOUBLE_EQ(p.YToLat(100), 20);
}

TEST(MapViewTest, NudgesMoveByATenthOfTheVisibleSpan)
{
    struct Case {
        int command;
        float minLat, minLon;
    };
    for (const Case& c :
         {Case{CmdNudgeUp, -2, 0}, Case{CmdNudgeDown, 2, 0}, Case{CmdNudgeLeft, 0, 4}, Case{CmdNudgeRight, 0, -4}}) {
        MapView view;
        view.MinLat = 0;
        view.MaxLat = 40;
        view.MinLon = 0;
        view.MaxLon = 80;
        view.Zoom = 2;
        view.Nudge(c.command);
        EXPECT_FLOAT_EQ(view.MinLat, c.minLat) << c.command;
        EXPECT_FLOAT_EQ(view.MinLon, c.minLon) << c.command;
        EXPECT_FLOAT_EQ(view.MaxLat - view.MinLat, 40) << c.command;
    }
}

TEST(MapViewTest, CentreOnKeepsSpans)
{
    MapView view;
    view.MinLat = 0;
    view.MaxLat = 40;
    view.MinLon = 0;
    view.MaxLon = 80;
    view.CentreOn(100, 200);
    EXPECT_FLOAT_EQ(view.MinLat, 80);
    EXPECT_FLOAT_EQ(view.MaxLat, 120);
    EXPECT_FLOAT_EQ(view.MinLon, 160);
    EXPECT_FLOAT_EQ(view.MaxLon, 240);
}

TEST(MapViewTest, GridStep)
{
    struct Case {
        double pixels, span;
        int step;
    };
    const Case cases[] = {
        {700, 10, 1},    // 70 pixels a minute
        {700, 11, 2},    // just under 70
        {70, 1000, 120}, // no step reaches 70 pixels
        {100, 0, 1},     // no span
        {400, -40, 10},  // a span given upside down counts by its size
        {600, 40, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GridStep(c.pixels, c.span), c.step) << c.pixels << " px " << c.span << " min";
}

TEST(MapViewTest, WrapLongitude)
{
    EXPECT_DOUBLE_EQ(WrapLongitude(10800), -10800);
    EXPECT_DOUBLE_EQ(WrapLongitude(10860), -10740);
    EXPECT_DOUBLE_EQ(WrapLongitude(-10860), 10740);
    EXPECT_DOUBLE_EQ(WrapLongitude(30), 30);
    EXPECT_DOUBLE_EQ(WrapLongitude(std::nan("")), 0);
}

} // namespace
