// Angle units: the one home of pi and of the conversions between radians,
// hours of right ascension and degrees.
#pragma once

#include <numbers>

namespace ombrix_model {

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kTwoPi = 2.0 * std::numbers::pi;
inline constexpr double kRadiansPerHour = std::numbers::pi / 12.0;
inline constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

constexpr double HoursToRadians(double hours) { return hours * kRadiansPerHour; }
constexpr double DegreesToRadians(double degrees) { return degrees * kRadiansPerDegree; }
constexpr double RadiansToHours(double radians) { return radians / kRadiansPerHour; }
constexpr double RadiansToDegrees(double radians) { return radians / kRadiansPerDegree; }

}  // namespace ombrix_model
