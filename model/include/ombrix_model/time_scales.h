// Time scales of times of minima and series: heliocentric JD (UTC based,
// the traditional scale of ground-based observers), barycentric dynamical
// time BJD_TDB (the scale of space photometry) and uncorrected geocentric JD
// (UTC). Conversions go through the geocentric UTC date; the barycentric one
// uses ERFA (leap seconds, TT, TDB and the Earth's barycentric position).
// Right ascension and declination are ICRS/J2000 radians and must be known.
#pragma once

#include <cstdint>
#include <string_view>

namespace ombrix_model {

// Stored as a 32-bit integer; the values are fixed.
enum TTimeScale : std::int32_t {
  tsHJD = 0,     // heliocentric Julian date, UTC
  tsBJDTDB = 1,  // barycentric Julian date, TDB
  tsGJD = 2,     // geocentric Julian date, UTC, uncorrected
};

// Label of a scale for axes, export lines and files: "HJD", "BJD_TDB",
// "GJD".
const char* TimeScaleLabel(TTimeScale scale);

// The scale of a label (exact, case-insensitive); false for other text.
bool TimeScaleFromLabel(std::string_view label, TTimeScale& scale);

// BJD_TDB of the geocentric UTC Julian date utcJd for a star at ra, dec:
// TDB plus the light time from the geocentre to the solar-system barycentre
// projected on the star's direction. False when ERFA refuses the date
// (before 1960 UTC has no defined leap-second table; ERFA's Earth ephemeris
// is meant for 1900-2100 but still answers outside it).
bool BarycentricJD(double utcJd, double ra, double dec, double& bjdTdb);

// The geocentric UTC Julian date whose BJD_TDB is bjdTdb (the inverse of
// BarycentricJD, iterated to well below a microsecond).
bool GeocentricFromBarycentricJD(double bjdTdb, double ra, double dec, double& utcJd);

// The geocentric Julian date whose heliocentric date (HeliocentricJD) is hjd.
double GeocentricFromHeliocentricJD(double hjd, double ra, double dec);

// Geocentric UTC date of a time in `scale`, and the time in `scale` of a
// geocentric UTC date. False only when ERFA refuses the date.
bool GeocentricJD(double time, TTimeScale scale, double ra, double dec, double& utcJd);
bool TimeInScale(double utcJd, TTimeScale scale, double ra, double dec, double& time);

// A time converted from one scale to another (unchanged when they are the
// same, without looking at the coordinates).
bool ConvertTimeScale(double time, TTimeScale from, TTimeScale to, double ra, double dec,
                      double& converted);

}  // namespace ombrix_model
