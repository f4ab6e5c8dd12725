// Astronomical helpers: heliocentric correction of Julian dates, the
// horizontal position of a star at a site, and angle formatting helpers.
// All angles are in radians unless a name says degrees; Julian dates are
// days.
#pragma once

namespace ombrix_model {

// Light time for one astronomical unit, in days.
inline constexpr double LightTimeAuDays = 0.005775518331436995;

// Heliocentric Julian date of the geocentric Julian date jd for a star at
// right ascension ra and declination dec (J2000, radians). Uses the low
// precision solar theory (mean elements, equation of centre, nutation in
// longitude), good to a few seconds of time.
double HeliocentricJD(double jd, double ra, double dec);

// The same for many dates of one star, with the trigonometric values of its
// coordinates computed once by the caller.
double HeliocentricJDFromTrig(double jd, double sinRa, double cosRa,
                              double sinDec, double cosDec, double tanDec);

// The trigonometric values of a star's coordinates as HeliocentricJDFromTrig
// takes them.
struct TStarTrig {
  double sinRa;
  double cosRa;
  double sinDec;
  double cosDec;
  double tanDec;
};
TStarTrig StarTrig(double ra, double dec);
double HeliocentricJD(double jd, const TStarTrig& star);

// Hour angle, altitude and azimuth (from north through east, in [0, 2*pi))
// of a star at ra, dec seen at time jd from a site at east longitude
// eastLongitude and latitude phi, given as sin phi and cos phi.
void HorizontalPosition(double ra, double dec, double eastLongitude,
                        double sinLatitude, double cosLatitude, double jd,
                        double& hourAngle, double& altitude, double& azimuth);

// Apparent right ascension and declination (radians, right ascension in
// [0, 2*pi)) of the Sun at Julian date jd, from the same low precision
// theory with the obliquity corrected for nutation; good to about 0.01
// degree over this century.
void SunEquatorial(double jd, double& ra, double& dec);

// Altitude in degrees of a star at ra, dec (radians) and of the Sun at time
// jd, seen from a site at `latitude` and east `longitude` given in degrees.
double StarAltitude(double jd, double ra, double dec, double latitude, double longitude);
double SunAltitude(double jd, double latitude, double longitude);

// x reduced to [0, 360) degrees; values inside [0, 360] are returned
// unchanged, so 360 itself stays 360.
double NormalizeDegrees(double x);

// Splits x (hours or degrees) into whole units, minutes and seconds rounded
// to milliseconds. Degrees carry the sign; for -1 < x < 0 the degrees are 0
// and minutes and seconds stay positive, so callers show that sign
// themselves. Units beyond the int range are held at its end; a value that
// is not finite splits into zeros.
void SplitSexagesimal(double x, int& degrees, int& minutes, double& seconds);

}  // namespace ombrix_model
