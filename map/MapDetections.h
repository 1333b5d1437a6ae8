#pragma once
// The decisions of the map's detection and record layers and of its window,
// kept apart from any painting: where an item lies on the plot and what is
// drawn for it (bearing lines, the mirrored lines of an either-side bearing,
// symbols, heading arrows in each unit), which porpoise bearing counts, which
// click events are thinned out, the scale bar's step, the follow-ship rule
// and the text of the pointer's read-out.
//
// Plain functions over values; the plot and the map window paint what they
// return. User-interface thread, like the fix lists PlaceDetection walks.
#include "map/MapView.h"
#include "platform/SystemTime.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace velmar::nav {
struct GPSTHING;
}

namespace velmar::map {

// Bearing types of an item.
inline constexpr int BearingTrue = 1;
inline constexpr int BearingMagnetic = 2;
inline constexpr int BearingRelative = 3;
inline constexpr int BearingEitherSide = 4;
inline constexpr int BearingFixed = 5;
// A porpoise bearing of this or more is no bearing; the absent one is drawn
// with this value.
inline constexpr float NoPorpoiseBearing = 990.0f;
inline constexpr float AbsentPorpoiseBearing = 999.0f;
// Units of a heading mark's length and width.
inline constexpr int MarkMetres = 1;
inline constexpr int MarkNauticalMiles = 2;
inline constexpr int MarkKilometres = 3;
inline constexpr int MarkPixels = 4;
inline constexpr double MetresPerNauticalMile = 1852.0;
inline constexpr double NauticalMilesPerKilometre = 0.5399568034557235;

// The point `length` pixels from p towards angle (degrees clockwise from
// north), truncated toward zero.
QPoint PointAtBearing(QPoint p, double angle, double length);
// The angle a bearing type adds to a bearing: 0 for true bearings, the
// magnetic variation for magnetic ones, the heading for relative ones.
double BearingOffset(int bearingType, double magneticVariation, double heading);
// The end of a bearing line of range nautical miles from p at sign x bearing
// + offset, at yScale pixels per nautical mile.
QPoint BearingEnd(QPoint p, double bearing, double offset, double range, double yScale, int sign = 1);

// A heading mark of a form: reference 1 true, 2 magnetic, 3 relative to the
// ship's heading, 4 relative to the item's bearing; 0 none.
struct HeadingMark {
    int reference = 0;
    double length = 0;
    double width = 0;
    int32_t colour = -1; // negative: the pen in use
    bool fill = false;
    int units = MarkPixels;
};

// A length of a heading mark in pixels; none for unknown units.
std::optional<double> MarkLengthPixels(double value, int units, double yScale);

struct ArrowGeometry {
    QPoint from, tip, barb1, barb2;
    bool operator==(const ArrowGeometry&) const = default;
};
// The arrow from q for a heading value; none when the mark's reference or
// units are unknown. bearingDirection is the item's bearing plus its type's
// offset (reference 4).
std::optional<ArrowGeometry> HeadingArrow(QPoint q, const HeadingMark& mark, double value, double magneticVariation,
                                          double shipHeading, double bearingDirection, double yScale);

// One item to draw, placed.
struct DetectionItem {
    QPoint position;
    double heading = 0; // the ship's heading at the item
    int bearingType = 0;
    std::optional<double> range;   // nautical miles
    std::optional<double> bearing; // degrees
    int symbolNumber = 0;          // 0: no symbol
    bool line = false;             // bearing lines drawn
    HeadingMark mark;
    std::optional<double> headingValue;
};

// What is drawn for an item.
struct DetectionDrawing {
    std::vector<std::pair<QPoint, QPoint>> lines;
    std::vector<QPoint> symbols;
    std::vector<ArrowGeometry> arrows;
};
DetectionDrawing PlotDetection(const DetectionItem& item, const QRect& clip, double yScale, double magneticVariation);

// The bearing a porpoise event is drawn with: the porpoise bearing when it
// is one, else the other bearing when it is one, else the absent value.
float PorpoiseDrawBearing(float porpoiseBearing, float otherBearing);

// Click events in list order (oldest first): their millisecond time and
// first bearing.
struct ClickSample {
    int64_t milliseconds = 0;
    double bearing = 0;
};
// Which click events are drawn: unless plotAll, an event is left out when an
// older drawn event no more than windowSeconds older has a bearing less than
// bearingDifference away.
std::vector<bool> ThinClickEvents(const std::vector<ClickSample>& events, bool plotAll, double windowSeconds,
                                  double bearingDifference);

// Where an item lies and the ship's heading there: at its fix, or between
// the fixes on either side of its time when interpolating (a time outside
// the track takes the fix itself), then distanceAstern nautical miles back
// along the track. The walk follows the fix's own list; none without a fix.
struct Placement {
    QPoint position;
    double heading = 0;
};
std::optional<Placement> PlaceDetection(const nav::GPSTHING* fix, double distanceAstern, bool interpolate,
                                        const platform::SystemTime* time, const MapProjection& projection,
                                        double magneticVariation);

// The rectangle a new item can cover: its symbol, and the ends of its
// bearing lines on both sides grown by 2 pixels.
QRect DetectionArea(QPoint p, double bearing, double heading, double range, double yScale);

// The scale bar: its step (nautical miles or kilometres), length in pixels
// and label, for a map of pixelsPerMile at zoom and a window width.
struct ScaleBar {
    double step = 1;
    int pixels = 0;
    QString label;
};
ScaleBar ChooseScaleBar(int lengthUnits, double gridStep, double pixelsPerMile, int windowWidth);

// The follow-ship rule for a new fix at p in a plot of `plot`: the commands
// to post (nudges on the first three fixes outside, then centre).
class FollowShipCounter {
public:
    std::vector<int> OnFix(QPoint p, const QRect& plot, bool followShip);
    void Reset() { m_count = 0; }
    int Count() const { return m_count; }

private:
    int m_count = 0;
};
inline constexpr int CmdCentreShipView = 30046;
inline constexpr int FollowShipNudges = 3;

// The read-out at a pointer: its position, and with the ship's marker at
// ship, range (nautical miles or metric) and bearing from the ship.
QString PointerReadoutText(double latitude, double longitude, std::optional<QPoint> ship, QPoint pointer, double yScale,
                           int lengthUnits);

// The nearest of the points to p within maxPixels (squared distance; the
// first found wins a tie); none when none is that close.
std::optional<std::size_t> NearestPoint(const std::vector<QPoint>& points, QPoint p, int maxPixels);

} // namespace velmar::map
