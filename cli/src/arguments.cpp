#include "ombrix_cli/arguments.h"

#include <charconv>
#include <cmath>

#include <ombrix_model/angles.h>

namespace ombrix_cli {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ContainsAny(std::string_view text, std::string_view characters) {
  return text.find_first_of(characters) != std::string_view::npos;
}

// Reads digits (with a fraction when allowed) at the front of `text`.
bool TakeUnsigned(std::string_view& text, bool allowFraction, double& value) {
  std::size_t end = 0;
  while (end < text.size() && IsDigit(text[end])) ++end;
  if (end == 0) return false;
  if (allowFraction && end < text.size() && text[end] == '.') {
    ++end;
    while (end < text.size() && IsDigit(text[end])) ++end;
  }
  const auto result = std::from_chars(text.data(), text.data() + end, value);
  if (result.ec != std::errc()) return false;
  text.remove_prefix(end);
  return true;
}

// Skips one or more of `separators`; false when there is none.
bool TakeSeparators(std::string_view& text, std::string_view separators) {
  std::size_t end = 0;
  while (end < text.size() && separators.find(text[end]) != std::string_view::npos) ++end;
  text.remove_prefix(end);
  return end > 0;
}

bool ParseSexagesimal(std::string_view text, double& value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  double units, minutes, seconds;
  if (!TakeUnsigned(text, false, units) || !TakeSeparators(text, " :hHdD") ||
      !TakeUnsigned(text, false, minutes) || !TakeSeparators(text, " :mM") ||
      !TakeUnsigned(text, true, seconds))
    return false;
  if (!text.empty() && (text[0] == 's' || text[0] == 'S')) text.remove_prefix(1);
  if (!text.empty() || minutes >= 60 || seconds >= 60) return false;
  const double magnitude = units + minutes / 60.0 + seconds / 3600.0;
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

bool ParseNumber(std::string_view text, double& value) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  double parsed;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || text.empty() ||
      !std::isfinite(parsed))
    return false;
  value = parsed;
  return true;
}

bool ParseAngle(std::string_view text, double& value) {
  if (ContainsAny(text, " :hHdDmM")) return ParseSexagesimal(text, value);
  return ParseNumber(text, value);
}

bool ParseRightAscension(std::string_view text, double& radians, const char*& what) {
  double hours;
  if (!ParseAngle(text, hours)) {
    what = "right ascension is not a number of hours";
    return false;
  }
  if (hours < 0 || hours >= 24) {
    what = "right ascension must lie in [0, 24) hours";
    return false;
  }
  radians = ombrix_model::HoursToRadians(hours);
  return true;
}

bool ParseDeclination(std::string_view text, double& radians, const char*& what) {
  double degrees;
  if (!ParseAngle(text, degrees)) {
    what = "declination is not a number of degrees";
    return false;
  }
  if (degrees < -90 || degrees > 90) {
    what = "declination must lie in [-90, 90] degrees";
    return false;
  }
  radians = ombrix_model::DegreesToRadians(degrees);
  return true;
}

bool IsHelpOption(std::string_view text) { return text == "--help" || text == "-h"; }

}  // namespace ombrix_cli
