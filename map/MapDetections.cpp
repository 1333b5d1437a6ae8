#include "map/MapDetections.h"

#include "map/MapLayers.h"
#include "nav/GpsFixData.h"
#include "nav/GpsGeometry.h"
#include "platform/DateTimeText.h"

#include <QChar>

#include <cmath>
#include <numbers>

namespace velmar::map {

namespace {

constexpr double DegreesToRadians = std::numbers::pi / 180.0;
// An item's time this close to its fix's needs no interpolation.
constexpr double InterpolationSeconds = 0.5;
constexpr int SymbolHalf = 4;
constexpr int AreaMargin = 2;
constexpr double BarbAngle = 135.0;
constexpr QChar DegreeSign{0xB0};
constexpr QChar MinutesMark{0xB4};
constexpr int MetricKilometreFrom = 3000; // metres: from here the read-out says km

QPoint Blend(QPoint a, QPoint b, double f)
{
    return {int(f * a.x() + (1 - f) * b.x()), int(f * a.y() + (1 - f) * b.y())};
}

QPoint PixelOf(const nav::GPSTHING* t, const MapProjection& projection)
{
    return projection.ToPixel(t->fix.GetLatitude(), t->fix.GetLongitude());
}

QString PositionText(double latitude, double longitude)
{
    const auto part = [](double value, char positive, char negative) {
        const QChar letter = QLatin1Char(value >= 0 ? positive : negative);
        const double a = std::fabs(value);
        const int degrees = int(a / MinutesPerDegree);
        const double minutes = a - degrees * MinutesPerDegree;
        return QString::asprintf("%2.2d", degrees) + DegreeSign + QString::asprintf("%7.3f", minutes) + MinutesMark
             + letter;
    };
    return part(latitude, 'N', 'S') + QStringLiteral("     ") + part(longitude, 'E', 'W');
}

} // namespace

QPoint PointAtBearing(QPoint p, double angle, double length)
{
    const double a = angle * DegreesToRadians;
    return {int(p.x() + length * std::sin(a)), int(p.y() - length * std::cos(a))};
}

double BearingOffset(int bearingType, double magneticVariation, double heading)
{
    switch (bearingType) {
    case BearingMagnetic: return magneticVariation;
    case BearingRelative:
    case BearingEitherSide:
    case BearingFixed: return heading;
    default: return 0;
    }
}

QPoint BearingEnd(QPoint p, double bearing, double offset, double range, double yScale, int sign)
{
    return PointAtBearing(p, sign * bearing + offset, range * yScale);
}

std::optional<double> MarkLengthPixels(double value, int units, double yScale)
{
    switch (units) {
    case MarkMetres: return value * yScale / MetresPerNauticalMile;
    case MarkNauticalMiles: return value * yScale;
    case MarkKilometres: return value * yScale * NauticalMilesPerKilometre;
    case MarkPixels: return value;
    default: return std::nullopt;
    }
}

std::optional<ArrowGeometry> HeadingArrow(QPoint q, const HeadingMark& mark, double value, double magneticVariation,
                                          double shipHeading, double bearingDirection, double yScale)
{
    const std::optional<double> length = MarkLengthPixels(mark.length, mark.units, yScale);
    const std::optional<double> width = MarkLengthPixels(mark.width, mark.units, yScale);
    if (!length || !width)
        return std::nullopt;
    double h = 0;
    switch (mark.reference) {
    case 1: h = value; break;
    case 2: h = value + magneticVariation; break;
    case 3: h = value + shipHeading; break;
    case 4: h = value + bearingDirection; break;
    default: return std::nullopt;
    }
    ArrowGeometry arrow;
    arrow.from = q;
    arrow.tip = PointAtBearing(q, h, *length);
    arrow.barb1 = PointAtBearing(arrow.tip, h + BarbAngle, *width);
    arrow.barb2 = PointAtBearing(arrow.tip, h - BarbAngle, *width);
    return arrow;
}

DetectionDrawing PlotDetection(const DetectionItem& item, const QRect& clip, double yScale, double magneticVariation)
{
    DetectionDrawing out;
    const QPoint p = item.position;
    const bool inClip = clip.contains(p);
    const bool hasMark = item.mark.reference != 0 && item.headingValue.has_value();
    const auto mark = [&](QPoint from, double bearingDirection) {
        if (!hasMark)
            return;
        if (auto arrow = HeadingArrow(from, item.mark, *item.headingValue, magneticVariation, item.heading,
                                      bearingDirection, yScale))
            out.arrows.push_back(*arrow);
    };
    const bool bearingTyped = item.bearingType >= BearingTrue && item.bearingType <= BearingFixed;
    if (!bearingTyped) {
        if (item.symbolNumber != 0 && inClip)
            out.symbols.push_back(p);
        mark(p, 0);
        return out;
    }
    if (!item.range || !item.bearing) {
        if (item.symbolNumber != 0 && inClip)
            out.symbols.push_back(p);
        return out;
    }
    const auto side = [&](double angle) {
        const QPoint e = PointAtBearing(p, angle, *item.range * yScale);
        if (!SegmentVisible(p, e, clip))
            return;
        if (item.line)
            out.lines.emplace_back(p, e);
        if (item.symbolNumber != 0)
            out.symbols.push_back(e);
        mark(e, angle);
    };
    if (item.bearingType == BearingEitherSide) {
        side(item.heading + *item.bearing);
        side(item.heading - *item.bearing);
    } else {
        side(*item.bearing + BearingOffset(item.bearingType, magneticVariation, item.heading));
    }
    return out;
}

float PorpoiseDrawBearing(float porpoiseBearing, float otherBearing)
{
    if (porpoiseBearing < NoPorpoiseBearing)
        return porpoiseBearing;
    if (otherBearing < NoPorpoiseBearing)
        return otherBearing;
    return AbsentPorpoiseBearing;
}

std::vector<bool> ThinClickEvents(const std::vector<ClickSample>& events, bool plotAll, double windowSeconds,
                                  double bearingDifference)
{
    std::vector<bool> drawn(events.size(), true);
    if (plotAll)
        return drawn;
    const double windowMs = windowSeconds * 1000.0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        for (std::size_t j = i; j-- > 0;) {
            if (double(events[i].milliseconds - events[j].milliseconds) > windowMs)
                break;
            if (drawn[j] && std::fabs(events[i].bearing - events[j].bearing) < bearingDifference) {
                drawn[i] = false;
                break;
            }
        }
    }
    return drawn;
}

std::optional<Placement> PlaceDetection(const nav::GPSTHING* fix, double distanceAstern, bool interpolate,
                                        const platform::SystemTime* time, const MapProjection& projection,
                                        double magneticVariation)
{
    if (!fix)
        return std::nullopt;
    Placement place{PixelOf(fix, projection), fix->fix.GetHeading(magneticVariation)};
    double d = 0;
    const nav::GPSTHING* current = fix;
    if (interpolate && time
        && std::fabs(platform::SecondsBetween(*time, fix->fix.programTime)) >= InterpolationSeconds) {
        const nav::GPSTHING* a = fix;
        while (a->older && platform::SecondsBetween(a->fix.programTime, *time) > 0)
            a = a->older;
        const nav::GPSTHING* b = a;
        while (b->newer && platform::SecondsBetween(b->fix.programTime, *time) <= 0)
            b = b->newer;
        const double tA = platform::SecondsBetween(*time, a->fix.programTime);
        const double tB = platform::SecondsBetween(b->fix.programTime, *time);
        current = a;
        place = {PixelOf(a, projection), a->fix.GetHeading(magneticVariation)};
        // A time outside the track stays at the fix on its side.
        if (((tA >= 0 && tB >= 0) || (tA <= 0 && tB <= 0)) && tA + tB != 0) {
            const double f = 1 - tA / (tA + tB);
            const QPoint pa = PixelOf(a, projection);
            place.position = Blend(pa, PixelOf(b, projection), f);
            place.heading = nav::InterpolateHeading(a->fix.GetHeading(magneticVariation),
                                                    b->fix.GetHeading(magneticVariation), 1 - f);
            const QPoint gap = place.position - pa;
            d = std::hypot(gap.x(), gap.y()) / projection.YScale;
        }
    }
    if (distanceAstern > 0) {
        const nav::GPSTHING* newer = current;
        while (newer->older) {
            const nav::GPSTHING* older = newer->older;
            double course = 0;
            const double leg = nav::GpsRangeBearing(&older->fix, &newer->fix, &course);
            if (d + leg > distanceAstern) {
                const double g = leg > 0 ? (distanceAstern - d) / leg : 0;
                place.position = Blend(PixelOf(newer, projection), PixelOf(older, projection), 1 - g);
                place.heading = nav::InterpolateHeading(newer->fix.GetHeading(magneticVariation),
                                                        older->fix.GetHeading(magneticVariation), g);
                return place;
            }
            d += leg;
            newer = older;
        }
        place = {PixelOf(newer, projection), newer->fix.GetHeading(magneticVariation)};
    }
    return place;
}

QRect DetectionArea(QPoint p, double bearing, double heading, double range, double yScale)
{
    QRect area(QPoint(p.x() - SymbolHalf, p.y() - SymbolHalf), QPoint(p.x() + SymbolHalf, p.y() + SymbolHalf));
    if (range > 0) {
        for (int sign : {-1, 1}) {
            const QPoint e = BearingEnd(p, bearing, heading, range, yScale, sign);
            area |= QRect(e.x() - 1, e.y() - 1, 3, 3);
        }
        area.adjust(-AreaMargin, -AreaMargin, AreaMargin, AreaMargin);
    }
    return area;
}

ScaleBar ChooseScaleBar(int lengthUnits, double gridStep, double pixelsPerMile, int windowWidth)
{
    ScaleBar bar;
    const double third = windowWidth / 3.0;
    if (lengthUnits == 2) {
        static constexpr double Steps[] = {200, 100, 50, 20, 10, 5, 2, 1, 0.5, 0.2, 0.1, 0.05, 0.02, 0.01};
        bar.step = 0.01;
        for (double s : Steps) {
            if (int(pixelsPerMile * s / MetresPerNauticalMile * 1000.0) < third) {
                bar.step = s;
                break;
            }
        }
        bar.pixels = int(pixelsPerMile * bar.step / MetresPerNauticalMile * 1000.0);
        if (bar.step == 1)
            bar.label = QStringLiteral("1000 m");
        else if (bar.step > 1)
            bar.label = QStringLiteral("%1 km").arg(int(bar.step));
        else
            bar.label = QStringLiteral("%1 m").arg(int(bar.step * 1000 + 0.00001));
        return bar;
    }
    bar.step = gridStep;
    bar.pixels = int(pixelsPerMile * bar.step);
    if (bar.pixels > windowWidth / 2.0) {
        static constexpr double Steps[] = {0.5, 0.2, 0.1, 0.05, 0.02, 0.01};
        bar.step = 0.01;
        for (double s : Steps) {
            if (int(pixelsPerMile * s) < third) {
                bar.step = s;
                break;
            }
        }
        bar.pixels = int(pixelsPerMile * bar.step);
    }
    if (bar.step == 1)
        bar.label = QStringLiteral("1 n.mile");
    else if (bar.step > 1)
        bar.label = QStringLiteral("%1 n.miles").arg(int(bar.step));
    else
        bar.label = QString::asprintf("%3.2f n.miles", bar.step);
    return bar;
}

std::vector<int> FollowShipCounter::OnFix(QPoint p, const QRect& plot, bool followShip)
{
    if (!followShip || plot.contains(p)) {
        m_count = 0;
        return {};
    }
    if (m_count++ >= FollowShipNudges)
        return {CmdCentreShipView};
    std::vector<int> commands;
    if (p.x() < plot.left())
        commands.push_back(CmdNudgeRight);
    if (p.x() > plot.right())
        commands.push_back(CmdNudgeLeft);
    if (p.y() < plot.top())
        commands.push_back(CmdNudgeDown);
    if (p.y() > plot.bottom())
        commands.push_back(CmdNudgeUp);
    return commands;
}

QString PointerReadoutText(double latitude, double longitude, std::optional<QPoint> ship, QPoint pointer, double yScale,
                           int lengthUnits)
{
    QString text = PositionText(latitude, longitude);
    if (!ship)
        return text;
    const int dx = pointer.x() - ship->x();
    const int dy = ship->y() - pointer.y();
    double range = 0, bearing = 0;
    if (dx != 0 || dy != 0) {
        bearing = std::atan2(double(dx), double(dy)) / DegreesToRadians;
        if (bearing < 0)
            bearing += 360;
        range = std::hypot(double(dx), double(dy)) / yScale;
    }
    const QString degrees = QString::number(int(bearing)) + DegreeSign;
    if (lengthUnits == 2) {
        const int metres = int(range * MetresPerNauticalMile);
        if (metres < MetricKilometreFrom)
            return text + QStringLiteral(" Range %1 m, Bearing ").arg(metres) + degrees;
        return text + QString::asprintf(" Range %.3g km, Bearing ", metres * 0.001) + degrees;
    }
    return text + QString::asprintf(" Range %.3g nm, Bearing ", range) + degrees;
}

std::optional<std::size_t> NearestPoint(const std::vector<QPoint>& points, QPoint p, int maxPixels)
{
    std::optional<std::size_t> best;
    long long bestD2 = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const long long dx = points[i].x() - p.x(), dy = points[i].y() - p.y();
        const long long d2 = dx * dx + dy * dy;
        if (!best || d2 < bestD2) {
            best = i;
            bestD2 = d2;
        }
    }
    if (!best || bestD2 > (long long)maxPixels * maxPixels)
        return std::nullopt;
    return best;
}

} // namespace velmar::map
