#include "nav/GpsGeometry.h"

#include "platform/DateTimeText.h"

#include <cmath>
#include <numbers>

namespace velmar::nav {

namespace {

constexpr double MinutesPerDegree = 60.0;
constexpr double MetresPerNauticalMile = 1852.0;
constexpr double DegreesToRadians = std::numbers::pi / 180.0;
constexpr double FullCircle = 360.0;
constexpr double HalfCircle = 180.0;
// Fixes closer in time than this are not interpolated between.
constexpr double LeastInterpolationSpan = 1.0;

double normalizeLongitude(double degrees)
{
    return degrees - FullCircle * std::floor((degrees + HalfCircle) / FullCircle);
}

double normalizeHeading(double degrees)
{
    const double h = std::fmod(degrees, FullCircle);
    return h < 0 ? h + FullCircle : h;
}

// Distance and course from signed minutes of arc.
double legFromMinutes(double latFrom, double lonFrom, double latTo, double lonTo, double* course)
{
    const double dLat = latTo - latFrom;
    const double dLon = WrapLongitudeDifference((lonTo - lonFrom) / MinutesPerDegree) * MinutesPerDegree;
    const double meanLatitude = (latTo + latFrom) * 0.5 / MinutesPerDegree;
    const double east = std::cos(meanLatitude * DegreesToRadians) * dLon;
    if (course) {
        if (east == 0 && dLat == 0) {
            *course = 0;
        } else {
            *course = std::atan2(east, dLat) / DegreesToRadians;
            if (*course < 0)
                *course += FullCircle;
        }
    }
    return std::sqrt(east * east + dLat * dLat);
}

DetectionPosition positionOf(const GPSTHING* fix)
{
    return {fix->fix.GetLatitude() / MinutesPerDegree, fix->fix.GetLongitude() / MinutesPerDegree};
}

// The point a fraction of the way from a to b, the short way round in longitude.
DetectionPosition between(const DetectionPosition& a, const DetectionPosition& b, double fraction)
{
    return {a.latitude + (b.latitude - a.latitude) * fraction,
            normalizeLongitude(a.longitude + WrapLongitudeDifference(b.longitude - a.longitude) * fraction)};
}

double distanceMetres(const DetectionPosition& a, const DetectionPosition& b)
{
    return TrackDistanceMetres(a.latitude, a.longitude, b.latitude, b.longitude);
}

double fixTime(const GPSTHING* fix, const platform::SystemTime& time)
{
    return platform::SecondsBetween(time, fix->fix.programTime);
}

} // namespace

double WrapLongitudeDifference(double degrees)
{
    return normalizeLongitude(degrees);
}

double InterpolateHeading(double from, double to, double fraction)
{
    double turn = std::fmod(to - from, FullCircle);
    if (turn >= HalfCircle)
        turn -= FullCircle;
    else if (turn < -HalfCircle)
        turn += FullCircle;
    return normalizeHeading(from + turn * fraction);
}

double GpsLegDistance(const GpsFixData& fix, const GpsFixData& previous, double* course)
{
    return legFromMinutes(previous.GetLatitude(), previous.GetLongitude(), fix.GetLatitude(), fix.GetLongitude(),
                          course);
}

double GpsRangeBearing(const GpsFixData* from, const GpsFixData* to, double* bearing)
{
    if (!from || !to)
        return 0;
    return legFromMinutes(from->GetLatitude(), from->GetLongitude(), to->GetLatitude(), to->GetLongitude(), bearing);
}

double TrackDistanceNm(double lat1, double lon1, double lat2, double lon2)
{
    const double dLat = (lat1 - lat2) * MinutesPerDegree;
    const double dLon = WrapLongitudeDifference(lon1 - lon2) * MinutesPerDegree
                      * std::cos((lat1 + lat2) * DegreesToRadians / 2);
    return std::sqrt(dLat * dLat + dLon * dLon);
}

double TrackDistanceMetres(double lat1, double lon1, double lat2, double lon2)
{
    return TrackDistanceNm(lat1, lon1, lat2, lon2) * MetresPerNauticalMile;
}

DetectionPosition ProjectPosition(const DetectionPosition& point, double range, double bearing)
{
    const double b = bearing * DegreesToRadians;
    const double r = range / MinutesPerDegree;
    DetectionPosition moved = point;
    moved.latitude = point.latitude + r * std::cos(b);
    const double scale = std::fabs(std::cos(point.latitude * DegreesToRadians));
    if (scale > 0)
        moved.longitude = normalizeLongitude(point.longitude + r * std::sin(b) / scale);
    return moved;
}

DetectionPosition GpsLocateDetection(const GPSTHING* fix, const platform::SystemTime* time, double distanceAstern,
                                     std::optional<double> range, std::optional<double> bearing, int bearingType,
                                     double magneticVariation, DetectionPosition* secondPosition)
{
    if (!fix) {
        if (secondPosition)
            *secondPosition = {};
        return {};
    }
    DetectionPosition p = positionOf(fix);
    double heading = fix->fix.GetHeading(magneticVariation);
    double remaining = distanceAstern * MetresPerNauticalMile;
    const GPSTHING* current = fix;
    DetectionPosition start = p;

    if (time) {
        // The last fix at or before the time (the oldest when the time is
        // earlier than the whole track), and the one after it.
        const GPSTHING* f = fix;
        while (f->newer && fixTime(f->newer, *time) >= 0)
            f = f->newer;
        while (f->older && fixTime(f, *time) < 0)
            f = f->older;
        const GPSTHING* n = f->newer ? f->newer : f;
        const double a = fixTime(f, *time);
        const double b = -fixTime(n, *time);
        const double span = a + b;
        heading = f->fix.GetHeading(magneticVariation);
        current = f;
        start = positionOf(f);
        if (span > LeastInterpolationSpan && a >= 0 && b >= 0) {
            p = between(positionOf(f), positionOf(n), a / span);
            heading = InterpolateHeading(heading, n->fix.GetHeading(magneticVariation), a / span);
            if (distanceAstern != 0)
                remaining -= distanceMetres(p, start);
        } else {
            // Too close in time to interpolate, or outside the track: the
            // track position at that time is the fix found for it.
            p = start;
        }
    }

    if (distanceAstern != 0) {
        for (;;) {
            const GPSTHING* q = current->older;
            if (!q) {
                p = positionOf(current);
                heading = current->fix.GetHeading(magneticVariation);
                break;
            }
            const DetectionPosition qPos = positionOf(q);
            const double u = distanceMetres(qPos, start);
            if (remaining > u) {
                remaining -= u;
                start = qPos;
                current = q;
                continue;
            }
            if (u > 0) {
                const double fraction = remaining / u;
                p = between(start, qPos, fraction);
                heading = InterpolateHeading(current->fix.GetHeading(magneticVariation),
                                             q->fix.GetHeading(magneticVariation), fraction);
            }
            break;
        }
    }

    if (secondPosition)
        *secondPosition = p;
    if (!range || !bearing)
        return p;

    double trueBearing = *bearing;
    double secondBearing = *bearing;
    switch (bearingType) {
    case BearingMagnetic: trueBearing = *bearing + magneticVariation; break;
    case BearingRelative: trueBearing = *bearing + heading; break;
    case BearingRelativeEither:
        trueBearing = heading + *bearing;
        secondBearing = heading - *bearing;
        break;
    default: // true, and a form's fixed bearing
        break;
    }
    if (*range <= 0)
        return p;
    const DetectionPosition result = ProjectPosition(p, *range, trueBearing);
    if (secondPosition)
        *secondPosition = bearingType == BearingRelativeEither ? ProjectPosition(p, *range, secondBearing) : result;
    return result;
}

} // namespace velmar::nav
