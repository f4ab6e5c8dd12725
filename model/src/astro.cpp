#include "ombrix_model/astro.h"

#include <climits>
#include <cmath>

#include "ombrix_model/angles.h"

namespace ombrix_model {

namespace {

constexpr double kJ2000 = 2451545.0;
constexpr double kDaysPerCentury = 36525.0;
constexpr double kRadPerDeg = kRadiansPerDegree;

double SinDeg(double degrees) { return std::sin(degrees * kRadPerDeg); }

// The Sun's apparent ecliptic longitude (radians) and distance (AU) at
// Julian centuries t from J2000, with the obliquity of the ecliptic.
struct TSunPosition {
  double longitude;
  double distance;
  double obliquity;
};

TSunPosition SunPosition(double t) {
  const double meanLongitude =
      NormalizeDegrees(280.46646 + 36000.76983 * t + 0.0003032 * t * t);
  const double meanAnomaly =
      NormalizeDegrees(357.52911 + 35999.05029 * t - 0.0001537 * t * t);
  const double centre =
      (1.914602 - 0.004817 * t - 0.000014 * t * t) * SinDeg(meanAnomaly) +
      (0.019993 - 0.000101 * t) * SinDeg(2.0 * meanAnomaly) +
      0.000289 * SinDeg(3.0 * meanAnomaly);
  const double apparentLongitude = NormalizeDegrees(
      meanLongitude + centre - 0.00569 - 0.00478 * SinDeg(125.04 - 1934.136 * t));
  const double eccentricity =
      0.0167086342 +
      t * (-0.0004203654 +
           t * (-0.0000126734 + t * (0.0000001444 + t * (-0.0000000002 + t * 0.0000000003))));
  // The distance follows from the true anomaly M + C; the apparent longitude
  // would put an error of up to 15 s into every corrected time.
  const double trueAnomaly = (meanAnomaly + centre) * kRadPerDeg;
  const double distance = 1.0000002 * (1.0 - eccentricity * eccentricity) /
                          (1.0 + eccentricity * std::cos(trueAnomaly));
  const double obliquityDeg =
      (84381.448 + t * (-46.815 + t * (-0.00059 + t * 0.001813))) / 3600.0;
  return {apparentLongitude * kRadPerDeg, distance, obliquityDeg * kRadPerDeg};
}

}  // namespace

double HeliocentricJDFromTrig(double jd, double sinRa, double cosRa, double sinDec,
                              double cosDec, double tanDec) {
  const double t = (jd - kJ2000) / kDaysPerCentury;
  const TSunPosition sun = SunPosition(t);
  const double sinEps = std::sin(sun.obliquity);
  const double cosEps = std::cos(sun.obliquity);
  const double starLongitude = std::atan2(sinRa * cosEps + tanDec * sinEps, cosRa);
  const double starLatitude = std::asin(sinDec * cosEps - cosDec * sinEps * sinRa);
  return jd - LightTimeAuDays * sun.distance * std::cos(starLatitude) *
                  std::cos(starLongitude - sun.longitude);
}

void SunEquatorial(double jd, double& ra, double& dec) {
  const double t = (jd - kJ2000) / kDaysPerCentury;
  const TSunPosition sun = SunPosition(t);
  const double obliquity = sun.obliquity + 0.00256 * std::cos((125.04 - 1934.136 * t) * kRadPerDeg) * kRadPerDeg;
  const double sinLongitude = std::sin(sun.longitude);
  ra = std::atan2(std::cos(obliquity) * sinLongitude, std::cos(sun.longitude));
  if (ra < 0.0) ra += kTwoPi;
  dec = std::asin(std::sin(obliquity) * sinLongitude);
}

TStarTrig StarTrig(double ra, double dec) {
  return {std::sin(ra), std::cos(ra), std::sin(dec), std::cos(dec), std::tan(dec)};
}

double HeliocentricJD(double jd, const TStarTrig& s) {
  return HeliocentricJDFromTrig(jd, s.sinRa, s.cosRa, s.sinDec, s.cosDec, s.tanDec);
}

double HeliocentricJD(double jd, double ra, double dec) {
  return HeliocentricJD(jd, StarTrig(ra, dec));
}

void HorizontalPosition(double ra, double dec, double eastLongitude, double sinLatitude,
                        double cosLatitude, double jd, double& hourAngle,
                        double& altitude, double& azimuth) {
  double dayFraction = jd + 0.5;
  dayFraction -= std::trunc(dayFraction);
  const double siderealDeg = 15.0 * 24.0 * dayFraction + 0.985647 * (jd - kJ2000) +
                             100.46 + RadiansToDegrees(eastLongitude);
  hourAngle = siderealDeg * kRadPerDeg - ra;
  const double sinDec = std::sin(dec);
  const double cosDec = std::cos(dec);
  altitude = std::asin(std::cos(hourAngle) * cosDec * cosLatitude + sinDec * sinLatitude);
  azimuth = std::atan2(-cosDec * cosLatitude * std::sin(hourAngle),
                       sinDec - std::sin(altitude) * sinLatitude);
  if (azimuth < 0.0) azimuth += kTwoPi;
  // A tiny negative angle rounds to 2*pi when lifted; that is north again.
  if (azimuth >= kTwoPi) azimuth = 0.0;
}

double StarAltitude(double jd, double ra, double dec, double latitude, double longitude) {
  const double phi = DegreesToRadians(latitude);
  double hourAngle = 0, altitude = 0, azimuth = 0;
  HorizontalPosition(ra, dec, DegreesToRadians(longitude), std::sin(phi), std::cos(phi), jd, hourAngle,
                     altitude, azimuth);
  return RadiansToDegrees(altitude);
}

double SunAltitude(double jd, double latitude, double longitude) {
  double ra = 0, dec = 0;
  SunEquatorial(jd, ra, dec);
  return StarAltitude(jd, ra, dec, latitude, longitude);
}

double NormalizeDegrees(double x) {
  if (x > 360.0) return std::fmod(x, 360.0);
  if (x < 0.0) return std::fmod(x, 360.0) + 360.0;
  return x;
}

namespace {

// Whole part of a non-negative value as int, held inside the int range so
// that huge or non-finite input cannot overflow the conversion.
int WholePart(double x) {
  if (!(x < static_cast<double>(INT_MAX))) return std::isnan(x) ? 0 : INT_MAX;
  return static_cast<int>(x);
}

}  // namespace

void SplitSexagesimal(double x, int& degrees, int& minutes, double& seconds) {
  if (!std::isfinite(x)) {
    degrees = 0;
    minutes = 0;
    seconds = 0.0;
    return;
  }
  const int sign = x < 0.0 ? -1 : 1;
  const double magnitude = std::fabs(x);
  const double whole = std::trunc(magnitude);
  const double minutesExact = (magnitude - whole) * 60.0;
  int units = WholePart(whole);
  minutes = static_cast<int>(minutesExact);
  seconds = std::trunc((minutesExact - minutes) * 60.0 * 1000.0 + 0.5) / 1000.0;
  if (seconds >= 60.0) {
    seconds -= 60.0;
    ++minutes;
  }
  if (minutes > 59) {
    minutes -= 60;
    if (units < INT_MAX) ++units;
  }
  degrees = sign * units;
}

}  // namespace ombrix_model
