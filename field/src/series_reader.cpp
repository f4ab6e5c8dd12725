// Reading series text: data lines of time, value and error, and header lines
// with series keys and star keys. The scanner works in place on the whole file
// held in memory; numbers are scanned by hand, for speed and so that they
// never follow the user's locale.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include <ombrix_model/angles.h>
#include <runbase/fixed_text.h>

#include "ombrix_field/series_file.h"

namespace ombrix_data {
namespace {

// Highest index of header tokens.
constexpr std::uint32_t kTokenTextHigh = 63;
// Comparison and check indices above this are ignored: a series file may name
// any index, and each index costs a star record.
constexpr std::uint32_t kMaxStarIndex = 99;
// At most this many fraction digits of a data number count.
constexpr int kMaxFractionDigits = 11;
// Magnitudes of this size or more mark a missing measurement.
constexpr double kMissingValue = 99.0;

constexpr double kPowersOfTen[kMaxFractionDigits + 1] = {
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11};

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
inline bool IsControl(char c) { return static_cast<unsigned char>(c) < 32; }
inline bool IsTokenSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == ';'; }
inline bool EndsToken(char c) { return IsControl(c) || c == ' ' || c == ',' || c == ';'; }
inline bool StartsKeyword(char c) { return (c >= 'A' && c <= 'X') || (c >= 'a' && c <= 'x'); }
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// A range of characters of the file.
struct TSpan {
  const char* begin;
  const char* end;
  std::size_t size() const { return static_cast<std::size_t>(end - begin); }
  bool empty() const { return begin == end; }
  std::string_view view() const { return {begin, size()}; }
};

// Digits and an optional fraction; at most 11 fraction digits count. Moves p
// past everything scanned. Returns false when no digit was seen.
bool ScanUnsigned(const char*& p, const char* end, double& value) {
  const char* start = p;
  std::uint64_t whole = 0;
  double big = 0.0;  // used once the integer part outgrows 64 bits
  bool useBig = false;
  while (p < end && IsDigit(*p)) {
    unsigned digit = static_cast<unsigned>(*p - '0');
    if (!useBig && whole > (UINT64_MAX - 9) / 10) {
      useBig = true;
      big = static_cast<double>(whole);
    }
    if (useBig)
      big = big * 10.0 + digit;
    else
      whole = whole * 10 + digit;
    ++p;
  }
  value = useBig ? big : static_cast<double>(whole);
  bool anyDigit = p != start;
  if (p < end && *p == '.') {
    ++p;
    std::uint64_t fraction = 0;
    int digits = 0;
    for (; p < end && IsDigit(*p); ++p) {
      if (digits < kMaxFractionDigits) {
        fraction = fraction * 10 + static_cast<unsigned>(*p - '0');
        ++digits;
      }
    }
    value += static_cast<double>(fraction) / kPowersOfTen[digits];
    anyDigit = anyDigit || digits > 0;
  }
  return anyDigit;
}

// Number of a data line: optional sign, then ScanUnsigned; a sign alone is 0.
bool ScanDataNumber(const char*& p, const char* end, double& value) {
  bool negative = false;
  bool sign = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    sign = true;
    ++p;
  }
  if (!ScanUnsigned(p, end, value)) {
    value = 0.0;
    return sign;
  }
  if (negative) value = -value;
  return true;
}

// A data line starts with a digit, after an optional sign and point.
inline bool StartsNumber(const char* p, const char* end) {
  if (p < end && (*p == '+' || *p == '-')) ++p;
  if (p < end && *p == '.') ++p;
  return p < end && IsDigit(*p);
}

void SkipBlanks(const char*& p, const char* end) {
  while (p < end && IsBlank(*p)) ++p;
}

// Reads a data line (already known to start with a number) into a point.
// False when the line carries no usable point. A number too long for a
// double reads as infinity: the line is malformed, as one such point would
// spoil every fit and search over the object.
bool ParseDataLine(const char* p, const char* end, TSeriesPoint& point) {
  if (!ScanDataNumber(p, end, point.time)) return false;
  const char* afterTime = p;
  SkipBlanks(p, end);
  if (p == afterTime || !ScanDataNumber(p, end, point.value)) return false;
  const char* afterValue = p;
  SkipBlanks(p, end);
  if (p == afterValue || !ScanDataNumber(p, end, point.error)) point.error = 0.0;
  return std::isfinite(point.time) && std::isfinite(point.value) && std::isfinite(point.error);
}

// Drops the missing-value markers of a magnitude series. Fluxes are raw
// counts, so their large values are real measurements.
void DropMissingMagnitudes(const CSeriesTreeElem& series, std::vector<TSeriesPoint>& points) {
  if (series.EffectiveUnit() == unitFlux) return;
  std::erase_if(points, [](const TSeriesPoint& point) { return point.value >= kMissingValue; });
}

// The next token of a header line: separators skipped, then characters up to a
// control character, space, comma or semicolon. Empty at the end of the line.
TSpan NextToken(const char*& p, const char* end) {
  while (p < end && IsTokenSeparator(*p)) ++p;
  const char* start = p;
  while (p < end && !EndsToken(*p)) ++p;
  return {start, p};
}

// Upper-cased copy of a token, cut to the token length limit.
void UpperToken(TSpan token, char (&text)[kTokenTextHigh + 2]) {
  std::size_t n = std::min<std::size_t>(token.size(), kTokenTextHigh + 1);
  for (std::size_t i = 0; i < n; ++i) text[i] = UpperAscii(token.begin[i]);
  text[n] = 0;
}

bool SameText(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// Values of the "JD:" key, upper-cased; other words leave the type as it is.
// Barycentric times must name their scale: BJD in UTC is written too.
struct TJDTypeWord {
  const char* word;
  TJDType type;
};
constexpr TJDTypeWord kJDTypeWords[] = {
    {"HELIOCENTRIC", jdHeliocentric},
    {"GEOCENTRIC", jdGeocentric},
    {"BJD_TDB", jdBarycentric},
    {"BJD-TDB", jdBarycentric},
};

// Unsigned number of a key value: digits with an optional fraction, reading
// stops at the first other character; false when there is no digit or the
// number is too long for a double.
bool ParseUnsignedValue(TSpan text, double& value) {
  const char* p = text.begin;
  double number = 0.0;
  if (!ScanUnsigned(p, text.end, number) || !std::isfinite(number)) return false;
  value = number;
  return true;
}

// Catalogue magnitudes and colour indices may be negative (bright or blue
// stars), so they take an optional sign in front of the unsigned number.
bool ParseSignedValue(TSpan text, double& value) {
  bool negative = !text.empty() && *text.begin == '-';
  if (!text.empty() && (*text.begin == '-' || *text.begin == '+')) ++text.begin;
  if (!ParseUnsignedValue(text, value)) return false;
  if (negative) value = -value;
  return true;
}

void ParseSeriesKeys(const char* p, const char* end, CMetaData& meta) {
  char key[kTokenTextHigh + 2];
  char word[kTokenTextHigh + 2];
  for (;;) {
    TSpan keyToken = NextToken(p, end);
    if (keyToken.empty()) return;
    TSpan valueToken = NextToken(p, end);
    UpperToken(keyToken, key);
    double number = 0.0;
    if (SameText(key, "VARAPERTURE:") || SameText(key, "APERTURE:")) {
      if (ParseUnsignedValue(valueToken, number)) meta.varAperture = number;
    } else if (SameText(key, "CMPAPERTURE:")) {
      if (ParseUnsignedValue(valueToken, number)) meta.cmpAperture = number;
    } else if (SameText(key, "CHKAPERTURE:")) {
      if (ParseUnsignedValue(valueToken, number)) meta.chkAperture = number;
    } else if (SameText(key, "JD:")) {
      UpperToken(valueToken, word);
      for (const TJDTypeWord& known : kJDTypeWords)
        if (SameText(word, known.word)) meta.jdType = known.type;
    } else if (SameText(key, "UNIT:")) {
      UpperToken(valueToken, word);
      if (SameText(word, "MAGNITUDE")) meta.valueUnit = unitMagnitude;
      if (SameText(word, "FLUX")) meta.valueUnit = unitFlux;
    } else if (SameText(key, "FILTER:")) {
      FixedText::Assign(kFilterNameHigh, meta.filter, valueToken.view());
    }
    if (valueToken.empty()) return;
  }
}

inline bool EndsWithColon(TSpan token) { return !token.empty() && token.end[-1] == ':'; }

TSpan TrimSpan(TSpan s) {
  while (!s.empty() && (IsBlank(*s.begin) || IsLineEnd(*s.begin))) ++s.begin;
  while (!s.empty() && (IsBlank(s.end[-1]) || IsLineEnd(s.end[-1]))) --s.end;
  return s;
}

void SetSexagesimal(TSpan text, double factor, double& field) {
  double units = 0.0;
  if (ParseSexagesimal(text.begin, text.size(), units)) field = units * factor;
}

void ApplyStarKey(const char* key, TSpan value, TStarData& star) {
  using ombrix_model::kRadiansPerDegree;
  using ombrix_model::kRadiansPerHour;
  double number = 0.0;
  if (SameText(key, "NAME:")) {
    FixedText::Assign(kStarNameHigh, star.name, value.view());
  } else if (SameText(key, "RA:")) {
    SetSexagesimal(value, kRadiansPerHour, star.ra);
  } else if (SameText(key, "DEC:")) {
    SetSexagesimal(value, kRadiansPerDegree, star.dec);
  } else if (SameText(key, "CATALOG:")) {
    FixedText::Assign(kCatalogNameHigh, star.catalog, value.view());
  } else if (SameText(key, "CATALOGID:")) {
    FixedText::Assign(kCatalogIdHigh, star.catalogId, value.view());
  } else if (SameText(key, "CATALOGRA:")) {
    SetSexagesimal(value, kRadiansPerHour, star.catalogRA);
  } else if (SameText(key, "CATALOGDEC:")) {
    SetSexagesimal(value, kRadiansPerDegree, star.catalogDec);
  } else if (SameText(key, "CATALOGMAG:")) {
    if (ParseSignedValue(value, number)) star.catalogMag = number;
  } else if (SameText(key, "CATALOGB-V:")) {
    if (ParseSignedValue(value, number)) star.catalogBV = number;
  } else if (SameText(key, "CATALOGJ-K:")) {
    if (ParseSignedValue(value, number)) star.catalogJK = number;
  }
}

// Star keys: key tokens end in ':'; a value runs over all tokens up to the
// next key token and is trimmed, so it may contain spaces.
void ParseStarKeys(const char* p, const char* end, TStarData& star) {
  TSpan token = NextToken(p, end);
  while (!token.empty() && !EndsWithColon(token)) token = NextToken(p, end);
  char key[kTokenTextHigh + 2];
  while (!token.empty()) {
    UpperToken(token, key);
    TSpan value{token.end, token.end};
    TSpan next = NextToken(p, end);
    while (!next.empty() && !EndsWithColon(next)) {
      value.end = next.end;
      next = NextToken(p, end);
    }
    ApplyStarKey(key, TrimSpan(value), star);
    token = next;
  }
}

// Splits trailing digits off an upper-cased token; false when the index is
// beyond the bound.
bool SplitIndex(char* token, std::uint32_t& index) {
  std::size_t n = std::strlen(token);
  std::size_t digitsStart = n;
  while (digitsStart > 0 && IsDigit(token[digitsStart - 1])) --digitsStart;
  index = 0;
  bool inRange = true;
  for (std::size_t i = digitsStart; i < n && inRange; ++i) {
    index = index * 10 + static_cast<std::uint32_t>(token[i] - '0');
    inRange = index <= kMaxStarIndex;
  }
  token[digitsStart] = 0;
  return inRange;
}

void ParseHeaderLine(const char* p, const char* end, CMetaData& meta) {
  while (p < end && !StartsKeyword(*p)) ++p;
  const char* tokenStart = p;
  TSpan token = NextToken(p, end);
  if (token.empty()) return;
  char text[kTokenTextHigh + 2];
  UpperToken(token, text);
  std::uint32_t index = 0;
  bool indexInRange = SplitIndex(text, index);
  if (SameText(text, "VAR")) {
    ParseStarKeys(p, end, meta.var);
  } else if (SameText(text, "CMP")) {
    if (indexInRange) ParseStarKeys(p, end, meta.ComparisonStar(index));
  } else if (SameText(text, "CHK")) {
    if (indexInRange) ParseStarKeys(p, end, meta.CheckStar(index));
  } else {
    ParseSeriesKeys(tokenStart, end, meta);
  }
}

}  // namespace

bool ParseSexagesimal(const char* text, std::size_t length, double& value) {
  const char* p = text;
  const char* end = text + length;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  auto scanInteger = [&](double& part) {
    const char* start = p;
    part = 0.0;
    for (; p < end && IsDigit(*p); ++p) part = part * 10.0 + (*p - '0');
    return p != start;
  };
  auto skipSeparators = [&](const char* separators) {
    const char* start = p;
    while (p < end && *p != 0 && std::strchr(separators, *p)) ++p;
    return p != start;
  };
  double units = 0.0;
  double minutes = 0.0;
  double seconds = 0.0;
  if (!scanInteger(units) || !skipSeparators(" :hHdD")) return false;
  if (!scanInteger(minutes) || !skipSeparators(" :mM")) return false;
  if (p >= end || !IsDigit(*p) || !ScanUnsigned(p, end, seconds)) return false;
  double result = units + minutes / 60.0 + seconds / 3600.0;
  if (!std::isfinite(result)) return false;
  value = negative ? -result : result;
  return true;
}

std::size_t ReadSeriesText(CSeriesTreeElem& series, const char* data, std::size_t length) {
  std::vector<TSeriesPoint> points;
  points.reserve(length / 24);
  const char* p = data;
  const char* end = data + length;
  while (p < end) {
    while (p < end && IsLineEnd(*p)) ++p;
    if (p == end) break;
    const char* lineEnd = p;
    while (lineEnd < end && !IsLineEnd(*lineEnd)) ++lineEnd;
    const char* q = p;
    SkipBlanks(q, lineEnd);
    if (StartsNumber(q, lineEnd)) {
      TSeriesPoint point;
      if (ParseDataLine(q, lineEnd, point)) points.push_back(point);
    } else {
      ParseHeaderLine(q, lineEnd, series.dataMetaData);
    }
    p = lineEnd;
  }
  // The unit is known only once the whole header is read.
  DropMissingMagnitudes(series, points);
  series.InsertPoints(points.data(), points.size());
  return points.size();
}

}  // namespace ombrix_data
