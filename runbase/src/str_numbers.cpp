// Str number conversions: integers and reals to text and back.
#include <locale.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <string>
#include <type_traits>

#include "runbase/str.h"
#include "str_core.h"

namespace Str {

using core::Cap;
using core::Len;

namespace {

constexpr char Digits[] = "0123456789ABCDEF";

uint32_t ClampBase(uint32_t base) { return base < 2 ? 2 : base > 16 ? 16 : base; }

// ---- Writing ------------------------------------------------------------------

// Writes an ASCII/UTF-8 rendering into (h, d), cut to fit.
void WriteText(uint32_t h, char* d, const std::string& text) {
  core::Put(h, d, text.data(), text.size());
}

void WriteText(uint32_t h, char16_t* d, const std::string& text) {
  if (d == nullptr) return;
  const uint32_t cap = h == 0xFFFFFFFFu ? h : h + 1;
  const uint32_t k = A2UP(text.data(), uint32_t(text.size()), d, cap);
  if (size_t(k) < Cap(h)) d[k] = 0;
}

// The "C" locale, made once: renderings always use it, so a number has a
// point and no grouping whatever locale the user (and Qt) set for the
// process. Only Localized() applies the user's conventions, on purpose.
locale_t CLocale() {
  static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
  return c;
}

// Switches the calling thread to the "C" locale while it lives.
class CCLocaleScope {
 public:
  CCLocaleScope() : previous_(CLocale() ? ::uselocale(CLocale()) : locale_t(nullptr)) {}
  ~CCLocaleScope() {
    if (previous_) ::uselocale(previous_);
  }
  CCLocaleScope(const CCLocaleScope&) = delete;
  CCLocaleScope& operator=(const CCLocaleScope&) = delete;

 private:
  locale_t previous_;
};

// printf into a string, in the "C" locale.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  CCLocaleScope cLocale;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out;
  if (n > 0) {
    out.resize(size_t(n));
    std::vsnprintf(out.data(), out.size() + 1, format, again);
  }
  va_end(again);
  return out;
}

template <class C, class U>
void UnsignedToStr(U magnitude, bool negative, uint32_t h, C* d, uint32_t base, bool& ok) {
  ok = true;
  if (d == nullptr) {
    ok = false;
    return;
  }
  base = ClampBase(base);
  const size_t cap = Cap(h);
  size_t pos = 0;
  if (negative) {
    d[pos++] = C('-');
    if (cap == 1) {
      ok = false;
      return;
    }
  }
  const size_t first = pos;
  do {
    d[pos++] = C(Digits[magnitude % base]);
    magnitude /= base;
  } while (magnitude != 0 && pos < cap);
  if (magnitude != 0) ok = false;
  if (pos < cap) d[pos] = 0;
  std::reverse(d + first, d + pos);
}

template <class C, class S>
void SignedToStr(S value, uint32_t h, C* d, uint32_t base, bool& ok) {
  using U = std::make_unsigned_t<S>;
  const U magnitude = value < 0 ? U(U(0) - U(value)) : U(value);
  UnsignedToStr(magnitude, value < 0, h, d, base, ok);
}

// ---- Real renderings ------------------------------------------------------------

// A double has at most 1074 fraction digits; beyond them every digit is 0, so
// clamping there changes no rendering and keeps the count a valid int.
constexpr uint32_t MaxDecimals = 1100;

std::string FixedText(double value, uint32_t decimals) {
  decimals = std::min(decimals, MaxDecimals);
  return decimals == 0 ? Format("%.0f", value) : Format("%#.*f", int(decimals), value);
}

size_t ExponentPos(const std::string& t) {
  const size_t e = t.find('E');
  return e == std::string::npos ? t.size() : e;
}

// Removes trailing zeros of the mantissa's fraction, and the point when no
// fraction digit remains.
void TidyMantissa(std::string& t) {
  const size_t e = ExponentPos(t);
  const size_t point = t.find('.');
  if (point == std::string::npos || point > e) return;
  size_t end = e;
  while (end > point + 1 && t[end - 1] == '0') --end;
  if (end == point + 1) end = point;
  t.erase(end, e - end);
}

// Rewrites "E+05" as "E+5"; with engineering set first makes the exponent a
// multiple of three by moving the point to the right.
void RewriteExponent(std::string& t, bool engineering) {
  const size_t e = ExponentPos(t);
  if (e == t.size()) return;
  long exponent = std::strtol(t.c_str() + e + 1, nullptr, 10);
  std::string mantissa = t.substr(0, e);
  if (engineering) {
    const long shift = exponent >= 0 ? exponent % 3 : (3 - (-exponent) % 3) % 3;
    const size_t point = mantissa.find('.');
    if (shift > 0 && point != std::string::npos) {
      mantissa.erase(point, 1);
      const size_t newPoint = point + size_t(shift);
      if (mantissa.size() < newPoint) mantissa.append(newPoint - mantissa.size(), '0');
      mantissa.insert(newPoint, 1, '.');
      exponent -= shift;
    }
  }
  t = mantissa + 'E' + (exponent < 0 ? '-' : '+') + std::to_string(std::labs(exponent));
}

std::string ScientificText(double value, uint32_t digits, bool engineering) {
  // At least one significant digit: a precision of -1 would mean the default.
  const uint32_t d = std::clamp<uint32_t>(digits, 1, 17);
  std::string t = Format("%*.*E", int(d + 1), int(d - 1), value);
  if (t.find('.') == std::string::npos) return t;
  RewriteExponent(t, engineering);
  TidyMantissa(t);
  return t;
}

// Significant digits of the corrected renderings: 1..15 (15 otherwise),
// fewer when the array is shorter.
uint32_t CorrectedDigits(uint32_t digits, uint32_t h) {
  const uint32_t d = (digits >= 1 && digits <= 15) ? digits : 15;
  return h >= d ? d : h > 3 ? h - 2 : 1;
}

std::string CorrectedText(double value, uint32_t digits, uint32_t h) {
  const uint32_t d = CorrectedDigits(digits, h);
  const double magnitude = std::fabs(value);
  if (magnitude > 1e-14 && magnitude < 1 &&
      std::trunc(std::fabs(std::log10(magnitude)) + 0.2) < double(d)) {
    std::string t = FixedText(value, d);
    TidyMantissa(t);
    return t;
  }
  std::string t = Format("%*.*G", int(d + 1), int(d - 1), value);
  t.erase(0, t.find_first_not_of(' '));
  if (t.find('.') != std::string::npos) {
    TidyMantissa(t);
    RewriteExponent(t, false);
  }
  return t;
}

// Rounds the 17-decimal rendering half up in decimal and cuts it.
std::string DecimalRoundedText(double value, uint32_t decimals) {
  std::string t = Format("%.17f", value);
  const size_t point = t.find('.');
  if (point == std::string::npos) return t;
  decimals = std::min<uint32_t>(decimals, 17);
  const size_t inspect = point + decimals + 1;
  size_t pointNow = point;
  if (inspect < t.size() && t[inspect] >= '5') {
    size_t i = inspect;
    bool carry = true;
    while (carry && i > 0) {
      --i;
      if (t[i] == '.') continue;
      if (t[i] < '0' || t[i] > '9') {
        ++i;
        break;
      }
      carry = t[i] == '9';
      t[i] = carry ? '0' : char(t[i] + 1);
    }
    if (carry) {
      t.insert(i, 1, '1');
      ++pointNow;
    }
  }
  t.resize(decimals == 0 ? pointNow : pointNow + decimals + 1);
  return t;
}

// Inserts the separator between digit groups as the locale's grouping says:
// each entry is a group size, 0 repeats the last, CHAR_MAX stops grouping.
std::string Group(const std::string& digits, const std::string& sep, const char* grouping) {
  size_t end = digits.size();
  size_t group = 0;
  std::string tail;
  for (const char* g = grouping; *g != CHAR_MAX;) {
    if (*g > 0) group = size_t(*g++);
    if (group == 0 || end <= group) break;
    tail.insert(0, sep + digits.substr(end - group, group));
    end -= group;
  }
  return digits.substr(0, end) + tail;
}

// The locale's decimal point and digit grouping applied to a "%f" rendering.
std::string Localized(const std::string& plain) {
  const lconv* lc = std::localeconv();
  const std::string point = lc->decimal_point && *lc->decimal_point ? lc->decimal_point : ".";
  const std::string sep = lc->thousands_sep ? lc->thousands_sep : "";
  const size_t dot = plain.find('.');
  const size_t intStart = plain.find_first_of("0123456789");
  const size_t intEnd = dot == std::string::npos ? plain.size() : dot;
  if (intStart == std::string::npos || intStart > intEnd) return plain;
  std::string out = plain.substr(0, intStart);
  const std::string digits = plain.substr(intStart, intEnd - intStart);
  out += sep.empty() || !lc->grouping ? digits : Group(digits, sep, lc->grouping);
  if (dot != std::string::npos) out += point + plain.substr(dot + 1);
  return out;
}

template <class C>
void FixRealToStr(double value, uint32_t decimals, uint32_t h, C* d, bool& ok) {
  ok = !std::isnan(value);
  if (ok) WriteText(h, d, FixedText(value, decimals));
}

template <class C>
void CorrFixRealToStr(double value, uint32_t decimals, uint32_t h, C* d, bool& ok) {
  const std::string t = std::isnan(value) ? std::string() : DecimalRoundedText(value, decimals);
  ok = !t.empty();
  if (ok) WriteText(h, d, t);
}

template <class C>
void RealToStr(double value, uint32_t digits, bool engineering, uint32_t h, C* d, bool& ok) {
  const std::string t = std::isnan(value) ? std::string() : ScientificText(value, digits, engineering);
  ok = !t.empty();
  if (ok) WriteText(h, d, t);
}

template <class C>
void CorrectedRealToStr(double value, uint32_t digits, bool engineering, uint32_t h, C* d,
                        bool& ok) {
  if (engineering && !std::isnan(value)) {
    RealToStr(value, CorrectedDigits(digits, h), true, h, d, ok);
    return;
  }
  const std::string t = std::isnan(value) ? std::string() : CorrectedText(value, digits, h);
  ok = !t.empty();
  if (ok) WriteText(h, d, t);
}

template <class C>
void LocaleFixRealToStr(double value, int32_t decimals, uint32_t h, C* d, bool& ok) {
  ok = !std::isnan(value);
  if (!ok) return;
  const int places = decimals < 0 ? 2 : int(std::min(uint32_t(decimals), MaxDecimals));
  WriteText(h, d, Localized(Format("%.*f", places, value)));
}

// ---- Parsing ----------------------------------------------------------------------

template <class C>
int DigitValue(C c) {
  if (c >= C('a') && c <= C('f')) c = C(c - 32);
  if (c >= C('0') && c <= C('9')) return int(c - C('0'));
  if (c >= C('A') && c <= C('F')) return int(c - C('A') + 10);
  return -1;
}

template <class U, class C>
U ParseUnsigned(uint32_t h, const C* s, uint32_t base, bool& ok, bool& negative) {
  ok = true;
  negative = false;
  base = ClampBase(base);
  const size_t n = Len(h, s);
  size_t i = 0;
  if (i < n && (s[i] == C('+') || s[i] == C('-'))) {
    negative = s[i] == C('-');
    if (++i == n) {
      ok = false;
      return 0;
    }
  }
  U value = 0;
  for (; i < n; ++i) {
    const int digit = DigitValue(s[i]);
    if (digit < 0) {
      ok = false;
      break;
    }
    if (uint32_t(digit) >= base) ok = false;
    U shifted, next;
    const bool mulOverflow = __builtin_mul_overflow(value, U(base), &shifted);
    const bool addOverflow = __builtin_add_overflow(shifted, U(digit), &next);
    if (mulOverflow || addOverflow) ok = false;
    value = next;
  }
  return value;
}

template <class U, class C>
U StrToUnsigned(uint32_t h, const C* s, uint32_t base, bool& ok) {
  bool negative;
  const U value = ParseUnsigned<U>(h, s, base, ok, negative);
  if (negative) ok = false;
  return value;
}

template <class S, class C>
S StrToSigned(uint32_t h, const C* s, uint32_t base, bool& ok) {
  using U = std::make_unsigned_t<S>;
  bool negative;
  const U magnitude = ParseUnsigned<U>(h, s, base, ok, negative);
  // The most negative value has a magnitude one above the largest positive.
  const U limit = U(std::numeric_limits<S>::max()) + (negative ? 1 : 0);
  if (magnitude > limit) ok = false;
  return S(negative ? U(U(0) - magnitude) : magnitude);
}

// 10^k by repeated multiplication: 10^8 per whole group of eight, then 10.
double PowerOfTen(long k) {
  double p = 1;
  for (; k >= 8; k -= 8) p *= 1e8;
  for (; k > 0; --k) p *= 10;
  return p;
}

double Scale(double mantissa, long exponent) {
  // Beyond 10^308 the power itself overflows; apply it in steps so that a long
  // mantissa with a large negative exponent does not turn into inf/inf.
  constexpr long Step = 308;
  while (exponent > Step && std::isfinite(mantissa) && mantissa != 0) {
    mantissa *= PowerOfTen(Step);
    exponent -= Step;
  }
  while (exponent < -Step && mantissa != 0) {
    mantissa /= PowerOfTen(Step);
    exponent += Step;
  }
  if (mantissa == 0) return 0;
  return exponent >= 0 ? mantissa * PowerOfTen(exponent) : mantissa / PowerOfTen(-exponent);
}

template <class C>
bool IsDigit(C c) {
  return c >= C('0') && c <= C('9');
}

template <class C>
double StrToReal(uint32_t h, const C* s, bool& ok) {
  ok = false;
  const size_t n = Len(h, s);
  size_t i = 0;
  bool negative = false;
  if (i < n && (s[i] == C('+') || s[i] == C('-'))) negative = s[i++] == C('-');
  // Digits beyond 1e300 only shift the exponent, so the mantissa stays finite.
  constexpr double MantissaLimit = 1e300;
  double mantissa = 0;
  long exponent = 0;
  for (; i < n && IsDigit(s[i]); ++i) {
    if (mantissa < MantissaLimit) mantissa = mantissa * 10 + double(s[i] - C('0'));
    else ++exponent;
  }
  if (i < n && s[i] == C('.')) {
    for (++i; i < n && IsDigit(s[i]); ++i) {
      if (mantissa < MantissaLimit) mantissa = mantissa * 10 + double(s[i] - C('0')), --exponent;
    }
  }
  if (i < n && (s[i] == C('E') || s[i] == C('e'))) {
    if (i == 0) return 0;
    ++i;
    bool expNegative = false;
    if (i < n && (s[i] == C('+') || s[i] == C('-'))) expNegative = s[i++] == C('-');
    if (i == n || !IsDigit(s[i])) return 0;
    long e = 0;
    for (; i < n && IsDigit(s[i]); ++i) e = std::min(e * 10 + long(s[i] - C('0')), 100000L);
    exponent += expNegative ? -e : e;
  }
  if (i != n) return 0;
  ok = true;
  const double value = Scale(mantissa, exponent);
  return negative ? -value : value;
}

}  // namespace

// ---- Numbers to text ------------------------------------------------------------------

void IntToStrA(int32_t v, uint32_t h, char* d, uint32_t base, bool& ok) { SignedToStr(v, h, d, base, ok); }
void IntToStrW(int32_t v, uint32_t h, char16_t* d, uint32_t base, bool& ok) { SignedToStr(v, h, d, base, ok); }
void Int64ToStrA(int64_t v, uint32_t h, char* d, uint32_t base, bool& ok) { SignedToStr(v, h, d, base, ok); }
void Int64ToStrW(int64_t v, uint32_t h, char16_t* d, uint32_t base, bool& ok) { SignedToStr(v, h, d, base, ok); }
void IntPtrToStrA(intptr_t v, uint32_t h, char* d, uint32_t base, bool& ok) { SignedToStr(v, h, d, base, ok); }
void IntPtrToStrW(intptr_t v, uint32_t h, char16_t* d, uint32_t base, bool& ok) { SignedToStr(v, h, d, base, ok); }
void CardToStrA(uint32_t v, uint32_t h, char* d, uint32_t base, bool& ok) { UnsignedToStr(v, false, h, d, base, ok); }
void CardToStrW(uint32_t v, uint32_t h, char16_t* d, uint32_t base, bool& ok) { UnsignedToStr(v, false, h, d, base, ok); }
void Card64ToStrA(uint64_t v, uint32_t h, char* d, uint32_t base, bool& ok) { UnsignedToStr(v, false, h, d, base, ok); }
void Card64ToStrW(uint64_t v, uint32_t h, char16_t* d, uint32_t base, bool& ok) { UnsignedToStr(v, false, h, d, base, ok); }
void CardPtrToStrA(uintptr_t v, uint32_t h, char* d, uint32_t base, bool& ok) { UnsignedToStr(v, false, h, d, base, ok); }
void CardPtrToStrW(uintptr_t v, uint32_t h, char16_t* d, uint32_t base, bool& ok) { UnsignedToStr(v, false, h, d, base, ok); }

void FixRealToStrA(double v, uint32_t decimals, uint32_t h, char* d, bool& ok) { FixRealToStr(v, decimals, h, d, ok); }
void FixRealToStrW(double v, uint32_t decimals, uint32_t h, char16_t* d, bool& ok) { FixRealToStr(v, decimals, h, d, ok); }
void CorrFixRealToStrA(double v, uint32_t decimals, uint32_t h, char* d, bool& ok) { CorrFixRealToStr(v, decimals, h, d, ok); }
void CorrFixRealToStrW(double v, uint32_t decimals, uint32_t h, char16_t* d, bool& ok) { CorrFixRealToStr(v, decimals, h, d, ok); }
void RealToStrA(double v, uint32_t digits, bool eng, uint32_t h, char* d, bool& ok) { RealToStr(v, digits, eng, h, d, ok); }
void RealToStrW(double v, uint32_t digits, bool eng, uint32_t h, char16_t* d, bool& ok) { RealToStr(v, digits, eng, h, d, ok); }
void CorrectedRealToStrA(double v, uint32_t digits, bool eng, uint32_t h, char* d, bool& ok) { CorrectedRealToStr(v, digits, eng, h, d, ok); }
void CorrectedRealToStrW(double v, uint32_t digits, bool eng, uint32_t h, char16_t* d, bool& ok) { CorrectedRealToStr(v, digits, eng, h, d, ok); }
void LocaleFixRealToStrA(double v, int32_t decimals, uint32_t h, char* d, bool& ok) { LocaleFixRealToStr(v, decimals, h, d, ok); }
void LocaleFixRealToStrW(double v, int32_t decimals, uint32_t h, char16_t* d, bool& ok) { LocaleFixRealToStr(v, decimals, h, d, ok); }

// ---- Text to numbers ------------------------------------------------------------------

int32_t StrToIntA(uint32_t h, const char* s, uint32_t base, bool& ok) { return StrToSigned<int32_t>(h, s, base, ok); }
int32_t StrToIntW(uint32_t h, const char16_t* s, uint32_t base, bool& ok) { return StrToSigned<int32_t>(h, s, base, ok); }
int64_t StrToInt64A(uint32_t h, const char* s, uint32_t base, bool& ok) { return StrToSigned<int64_t>(h, s, base, ok); }
int64_t StrToInt64W(uint32_t h, const char16_t* s, uint32_t base, bool& ok) { return StrToSigned<int64_t>(h, s, base, ok); }
intptr_t StrToIntPtrA(uint32_t h, const char* s, uint32_t base, bool& ok) { return StrToSigned<intptr_t>(h, s, base, ok); }
intptr_t StrToIntPtrW(uint32_t h, const char16_t* s, uint32_t base, bool& ok) { return StrToSigned<intptr_t>(h, s, base, ok); }
uint32_t StrToCardA(uint32_t h, const char* s, uint32_t base, bool& ok) { return StrToUnsigned<uint32_t>(h, s, base, ok); }
uint32_t StrToCardW(uint32_t h, const char16_t* s, uint32_t base, bool& ok) { return StrToUnsigned<uint32_t>(h, s, base, ok); }
uint64_t StrToCard64A(uint32_t h, const char* s, uint32_t base, bool& ok) { return StrToUnsigned<uint64_t>(h, s, base, ok); }
uint64_t StrToCard64W(uint32_t h, const char16_t* s, uint32_t base, bool& ok) { return StrToUnsigned<uint64_t>(h, s, base, ok); }
uintptr_t StrToCardPtrA(uint32_t h, const char* s, uint32_t base, bool& ok) { return StrToUnsigned<uintptr_t>(h, s, base, ok); }
uintptr_t StrToCardPtrW(uint32_t h, const char16_t* s, uint32_t base, bool& ok) { return StrToUnsigned<uintptr_t>(h, s, base, ok); }

double StrToRealA(uint32_t h, const char* s, bool& ok) { return StrToReal(h, s, ok); }
double StrToRealW(uint32_t h, const char16_t* s, bool& ok) { return StrToReal(h, s, ok); }

}  // namespace Str
