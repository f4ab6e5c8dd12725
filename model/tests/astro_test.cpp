#include "ombrix_model/astro.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace ombrix_model {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

struct ReferenceRow {
  double jd, raHours, decDegrees, correction;
};

std::vector<ReferenceRow> ReadReference() {
  std::ifstream in(OMBRIX_TEST_DATA "/heliocentric_reference.txt");
  std::vector<ReferenceRow> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    ReferenceRow r;
    if (fields >> r.jd >> r.raHours >> r.decDegrees >> r.correction) rows.push_back(r);
  }
  return rows;
}

// Against astropy's heliocentric light-travel time. What remains is the
// formula's own: J2000 star positions against the Sun's longitude of date,
// which grows with the distance from 2000.
TEST(HeliocentricJD, AgreesWithIndependentReference) {
  const std::vector<ReferenceRow> rows = ReadReference();
  ASSERT_GE(rows.size(), 500u);
  const double jd2010 = 2455197.5;
  double worstEarly = 0, worstLate = 0;
  for (const ReferenceRow& r : rows) {
    const double ra = r.raHours * kPi / 12.0;
    const double dec = r.decDegrees * kDeg;
    const double error = std::fabs(HeliocentricJD(r.jd, ra, dec) - r.jd - r.correction);
    const bool early = r.jd < jd2010;
    EXPECT_LT(error, early ? 2e-5 : 6e-5)
        << "JD " << r.jd << " RA " << r.raHours << " Dec " << r.decDegrees;
    double& worst = early ? worstEarly : worstLate;
    worst = std::max(worst, error);
  }
  RecordProperty("worst_1990_2010_days", std::to_string(worstEarly));
  RecordProperty("worst_2010_2035_days", std::to_string(worstLate));
}

TEST(HeliocentricJD, TrigFormGivesTheSameTimes) {
  const double ras[] = {0.0, 1.3, kPi, 5.9};
  const double decs[] = {-1.5, -0.2, 0.0, 0.7, 1.55};
  for (double ra : ras) {
    for (double dec : decs) {
      const TStarTrig star = StarTrig(ra, dec);
      for (double jd = 2447892.5; jd < 2464694.5; jd += 1234.567) {
        const double expected = HeliocentricJD(jd, ra, dec);
        EXPECT_EQ(HeliocentricJDFromTrig(jd, std::sin(ra), std::cos(ra), std::sin(dec),
                                         std::cos(dec), std::tan(dec)),
                  expected);
        EXPECT_EQ(HeliocentricJD(jd, star), expected);
      }
    }
  }
}

TEST(HeliocentricJD, CorrectionStaysWithinLightTimeOfEarthOrbit) {
  // |HJD - JD| never exceeds the light time for the Sun's greatest distance.
  const double limit = LightTimeAuDays * 1.0168;
  double largest = 0;
  for (double jd = 2451545.0; jd < 2451545.0 + 366; jd += 0.77) {
    const double correction = HeliocentricJD(jd, 0.0, 0.0) - jd;
    EXPECT_LE(std::fabs(correction), limit);
    largest = std::max(largest, std::fabs(correction));
  }
  EXPECT_GT(largest, LightTimeAuDays * 0.98);  // a star on the ecliptic
}

// Greenwich mean sidereal time in degrees from the IAU 1982 expression,
// independent of the simpler one HorizontalPosition uses.
double MeanSiderealDegrees(double jd) {
  const double d = jd - 2451545.0;
  return std::fmod(280.46061837 + 360.98564736629 * d, 360.0);
}

TEST(HorizontalPosition, KnownConfigurations) {
  const double jd = 2460310.37;
  const double longitude = 14.5 * kDeg;
  const double siderealRad = MeanSiderealDegrees(jd) * kDeg + longitude;
  const struct {
    const char* what;
    double hourAngleDeg, decDeg, latitudeDeg;
    double altitudeDeg, azimuthDeg;  // azimuth < 0: not checked
  } cases[] = {
      {"pole star", 37.0, 90.0, 48.2, 48.2, -1},
      {"meridian south of zenith", 0.0, 10.0, 50.0, 50.0, 180.0},
      {"meridian north of zenith", 0.0, 70.0, 50.0, 70.0, 0.0},
      {"rising on the equator", -90.0, 0.0, 45.0, 0.0, 90.0},
      {"setting on the equator", 90.0, 0.0, -30.0, 0.0, 270.0},
      {"below the horizon", 180.0, -20.0, 40.0, -70.0, 0.0},
  };
  for (const auto& c : cases) {
    const double ra = siderealRad - c.hourAngleDeg * kDeg;
    double hourAngle, altitude, azimuth;
    HorizontalPosition(ra, c.decDeg * kDeg, longitude, std::sin(c.latitudeDeg * kDeg),
                       std::cos(c.latitudeDeg * kDeg), jd, hourAngle, altitude, azimuth);
    const double wrappedHour = std::remainder(hourAngle - c.hourAngleDeg * kDeg, 2 * kPi);
    EXPECT_NEAR(wrappedHour / kDeg, 0.0, 0.02) << c.what;
    EXPECT_NEAR(altitude / kDeg, c.altitudeDeg, 0.02) << c.what;
    EXPECT_GE(azimuth, 0.0) << c.what;
    EXPECT_LT(azimuth, 2 * kPi) << c.what;
    if (c.azimuthDeg >= 0) {
      const double delta = std::remainder(azimuth / kDeg - c.azimuthDeg, 360.0);
      EXPECT_NEAR(delta, 0.0, 0.05) << c.what;
    }
  }
}

TEST(NormalizeDegrees, ReducesOnlyOutsideTheCircle) {
  const struct {
    double x, expected;
  } cases[] = {
      {0.0, 0.0}, {359.5, 359.5}, {360.0, 360.0}, {360.25, 0.25},
      {1080.5, 0.5}, {-30.0, 330.0}, {-390.0, 330.0}, {-0.5, 359.5},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(NormalizeDegrees(c.x), c.expected) << c.x;
}

TEST(SplitSexagesimal, UnitsMinutesSecondsWithCarries) {
  const struct {
    double x;
    int degrees, minutes;
    double seconds;
  } cases[] = {
      {12.5, 12, 30, 0.0},
      {-5.5, -5, 30, 0.0},
      {12.50141666666667, 12, 30, 5.1},
      {-23.999999999, -24, 0, 0.0},     // seconds round to 60 and carry twice
      {10.99999999, 11, 0, 0.0},
      {1.0 + 59.9996 / 3600.0, 1, 1, 0.0},  // 59.9996 s rounds to 60.000
      {-0.5, 0, 30, 0.0},               // the sign of -1 < x < 0 is lost
      {0.0, 0, 0, 0.0},
      {std::numeric_limits<double>::quiet_NaN(), 0, 0, 0.0},
      {1e300, std::numeric_limits<int>::max(), 0, 0.0},
  };
  for (const auto& c : cases) {
    int degrees = -99, minutes = -99;
    double seconds = -99;
    SplitSexagesimal(c.x, degrees, minutes, seconds);
    EXPECT_EQ(degrees, c.degrees) << c.x;
    EXPECT_EQ(minutes, c.minutes) << c.x;
    EXPECT_NEAR(seconds, c.seconds, 1e-9) << c.x;
  }
}

}  // namespace
}  // namespace ombrix_model
