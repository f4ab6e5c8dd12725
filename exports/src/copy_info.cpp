// Coordinate texts and the expansion of the copy-info mask.
#include "ombrix_exports/copy_info.h"

#include <cmath>
#include <cstdio>
#include <functional>

#include <ombrix_model/angles.h>
#include <ombrix_field/records.h>

#include "text_format.h"

namespace ombrix_export {

using ombrix_data::CObjectListElem;

const TCopyInfoKeyword kCopyInfoKeywords[kCopyInfoKeywordCount] = {
    {"%RA%", "R.A. delimited with spaces (12 34 56.789)"},
    {"%RA_FITS%", "R.A. delimited with colons (12:34:56.789)"},
    {"%RA_HUMAN%", "R.A. human readable (12h 34m 56.789s)"},
    {"%RA_DEG%", "R.A. in fraction degrees (188.73662083)"},
    {"%DEC%", "Dec. delimited with spaces (+12 34 56.78)"},
    {"%DEC_FITS%", "Dec. delimited with colons (+12:34:56.78)"},
    {"%DEC_HUMAN%", "Dec. human readable (+12\xB0 34' 56.78\")"},
    {"%DEC_DEG%", "Dec. in fraction degrees (12.582441389)"},
    {"%FIELD%", "Field name"},
    {"%OBJ_NAME%", "Object name"},
    {"%ALT_OBJ_NAME%", "Alternate object name"},
    {"%VAR_TYPE%", "Variability type"},
    {"%M0%", "Elements origin"},
    {"%PERIOD%", "Elements period"},
    {"%MAX_MAG%", "Maximal magnitude"},
    {"%MIN_MAG%", "Minimal magnitude"},
    {"%CRLF%", "End of line"},
};

namespace {

// A positive angle split into whole units, minutes and seconds counted in
// 1/scale seconds, with the carries of rounded seconds.
struct TSexagesimal {
  long long whole = 0;
  long long minutes = 0;
  long long seconds = 0;  // in 1/scale seconds
};

TSexagesimal Split(double value, int secondDecimals) {
  TSexagesimal s;
  const double whole = std::trunc(value);
  const double minutes = (value - whole) * 60;
  const double wholeMinutes = std::trunc(minutes);
  const double seconds = (minutes - wholeMinutes) * 60;
  s.whole = static_cast<long long>(whole);
  s.minutes = static_cast<long long>(wholeMinutes);
  // Seconds are rounded to 0.001 first; the declination's two decimals come
  // from that value, and the carry uses what is written, so no text ever
  // shows 60 seconds.
  long long units = std::llround(seconds * 1000);
  long long scale = 1000;
  if (secondDecimals == 2) {
    units = std::llround(static_cast<double>(units) / 10.0);
    scale = 100;
  }
  if (units >= 60 * scale) {
    units -= 60 * scale;
    ++s.minutes;
  }
  if (s.minutes >= 60) {
    s.minutes -= 60;
    ++s.whole;
  }
  s.seconds = units;
  return s;
}

struct TFormPieces {
  const char* afterWhole;
  const char* afterMinutes;
  const char* afterSeconds;
};

TFormPieces RightAscensionPieces(TCoordinateForm form) {
  switch (form) {
    case TCoordinateForm::colon: return {":", ":", ""};
    case TCoordinateForm::unit: return {"h ", "m ", "s"};
    default: return {" ", " ", ""};
  }
}

TFormPieces DeclinationPieces(TCoordinateForm form) {
  switch (form) {
    case TCoordinateForm::colon: return {":", ":", ""};
    case TCoordinateForm::unit: return {"\xB0 ", "' ", "\""};
    default: return {" ", " ", ""};
  }
}

std::string SexagesimalText(const char* sign, const TSexagesimal& s, int secondDecimals, const TFormPieces& p) {
  const long long scale = secondDecimals == 2 ? 100 : 1000;
  char text[96];
  std::snprintf(text, sizeof text, "%s%02lld%s%02lld%s%02lld.%0*lld%s", sign, s.whole, p.afterWhole, s.minutes,
                p.afterMinutes, s.seconds / scale, secondDecimals, s.seconds % scale, p.afterSeconds);
  return text;
}

// Replaces every occurrence of `keyword`; the search resumes after the
// inserted text.
void ReplaceAll(std::string& text, std::string_view keyword, const std::string& replacement) {
  std::size_t at = text.find(keyword);
  while (at != std::string::npos) {
    text.replace(at, keyword.size(), replacement);
    at = text.find(keyword, at + replacement.size());
  }
}

}  // namespace

std::string RightAscensionText(double ra, TCoordinateForm form) {
  if (!ombrix_data::IsRAKnown(ra)) return std::string();
  const double hours = ombrix_model::RadiansToHours(ra);
  return SexagesimalText("", Split(std::fabs(hours), 3), 3, RightAscensionPieces(form));
}

std::string DeclinationText(double dec, TCoordinateForm form) {
  if (!ombrix_data::IsDecKnown(dec)) return std::string();
  const double degrees = ombrix_model::RadiansToDegrees(dec);
  return SexagesimalText(degrees < 0 ? "-" : "+", Split(std::fabs(degrees), 2), 2, DeclinationPieces(form));
}

std::string RightAscensionDegreesText(double ra) {
  return ombrix_data::IsRAKnown(ra) ? FixedNumber(ombrix_model::RadiansToDegrees(ra), 8) : std::string();
}

std::string DeclinationDegreesText(double dec) {
  return ombrix_data::IsDecKnown(dec) ? FixedNumber(ombrix_model::RadiansToDegrees(dec), 8) : std::string();
}

std::string FieldNameFromPath(const char* fieldPath) {
  if (!fieldPath) return std::string();
  std::string_view name(fieldPath);
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

std::string ExpandCopyInfoMask(const std::string& mask, const CObjectListElem& object, const std::string& fieldName) {
  ombrix_data::CMetaData meta;
  object.GetEffectiveMetaData(meta);
  const double ra = meta.var.ra;
  const double dec = meta.var.dec;
  // In the order of processing.
  const std::pair<const char*, std::function<std::string()>> substitutions[] = {
      {"%RA%", [&] { return RightAscensionText(ra, TCoordinateForm::spaced); }},
      {"%RA_DEG%", [&] { return RightAscensionDegreesText(ra); }},
      {"%RA_FITS%", [&] { return RightAscensionText(ra, TCoordinateForm::colon); }},
      {"%RA_HUMAN%", [&] { return RightAscensionText(ra, TCoordinateForm::unit); }},
      {"%DEC%", [&] { return DeclinationText(dec, TCoordinateForm::spaced); }},
      {"%DEC_DEG%", [&] { return DeclinationDegreesText(dec); }},
      {"%DEC_FITS%", [&] { return DeclinationText(dec, TCoordinateForm::colon); }},
      {"%DEC_HUMAN%", [&] { return DeclinationText(dec, TCoordinateForm::unit); }},
      {"%FIELD%", [&] { return fieldName; }},
      {"%OBJ_NAME%", [&] { return std::string(FieldText(object.name)); }},
      {"%ALT_OBJ_NAME%", [&] { return std::string(FieldText(object.altName)); }},
      {"%VAR_TYPE%", [&] { return std::string(FieldText(object.variabilityType)); }},
      {"%M0%", [&] { return FixedNumber(object.m0, 6); }},
      {"%PERIOD%", [&] { return FixedNumber(object.period, 6); }},
      {"%MAX_MAG%", [&] { return FixedNumber(object.maxMagnitude, 3); }},
      {"%MIN_MAG%", [&] { return FixedNumber(object.minMagnitude, 3); }},
      {"%CRLF%", [] { return std::string(kCrLf); }},
  };
  std::string text = mask.substr(0, kCopyDataMaskLength);
  for (const auto& [keyword, value] : substitutions)
    if (text.find(keyword) != std::string::npos) ReplaceAll(text, keyword, value());
  if (text.size() > kCopyDataResultLength) text.resize(kCopyDataResultLength);
  return text;
}

}  // namespace ombrix_export
