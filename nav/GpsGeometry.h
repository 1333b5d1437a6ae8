#pragma once
// Flat-earth range and bearing arithmetic on GPS fixes and positions, and the
// placing of a sighting or detection relative to the ship's track.
//
// Distances are nautical miles (minutes of arc) unless said; bearings and
// headings degrees clockwise from north. East-west distances are scaled by the
// cosine of the mean latitude. Longitude differences are taken the short way
// round, so a leg across the 180th meridian is a short leg, and positions come
// back with longitudes between -180 and 180.
//
// Pure functions on their arguments (GpsLocateDetection walks the fix's
// list); user-interface thread like the fix lists.
#include "nav/GpsFixData.h"

#include <optional>

namespace velmar::nav {

// A position in signed degrees, north and east positive.
struct DetectionPosition {
    double latitude = 0;
    double longitude = 0;
};

// Bearing references of a sighting or detection.
enum BearingType : int {
    BearingTrue = 1,
    BearingMagnetic = 2,       // corrected by the magnetic variation
    BearingRelative = 3,       // relative to the ship's heading
    BearingRelativeEither = 4, // relative, on either side (two positions)
    BearingFixed = 5,          // a form's fixed bearing, taken as true
};

// A longitude difference in degrees brought into [-180, 180).
double WrapLongitudeDifference(double degrees);
// A heading a fraction of the way from one heading to another, along the
// shorter arc; the result lies in [0, 360).
double InterpolateHeading(double from, double to, double fraction);

// Distance from previous to fix; the course of that leg into course when
// given (0 when the two positions are the same).
double GpsLegDistance(const GpsFixData& fix, const GpsFixData& previous, double* course = nullptr);
// Distance and bearing from one fix to another; 0, bearing untouched, when
// either is missing.
double GpsRangeBearing(const GpsFixData* from, const GpsFixData* to, double* bearing);

// Points in degrees.
double TrackDistanceNm(double lat1, double lon1, double lat2, double lon2);
double TrackDistanceMetres(double lat1, double lon1, double lat2, double lon2);
// The point moved range nautical miles along bearing.
DetectionPosition ProjectPosition(const DetectionPosition& point, double range, double bearing);

// Where a sighting or detection lies (Algorithms of the placing of records):
// from the fix, or the track position at time when given; distanceAstern
// nautical miles back along the track; then range and bearing (both needed)
// by the bearing type. With BearingRelativeEither, secondPosition receives
// the mirror position on the other side; otherwise it equals the result.
// No fix: (0, 0).
DetectionPosition GpsLocateDetection(const GPSTHING* fix, const platform::SystemTime* time, double distanceAstern,
                                     std::optional<double> range, std::optional<double> bearing, int bearingType,
                                     double magneticVariation, DetectionPosition* secondPosition = nullptr);

} // namespace velmar::nav
