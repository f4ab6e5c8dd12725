// MATHLIB: the standard mathematical functions behind one error hook, integer
// powers and packed BCD.
#include "runbase/mathlib.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace MATHLIB {

MathErrorHandler MathError = nullptr;

namespace {

// Calls f(x...) and reports a domain or range error, as the C library
// signals it through errno, to MathError. The floating-point status flags are
// left alone: callers may be testing them.
template <class F, class... Args>
double Checked(const char* name, F f, double first, Args... rest) {
  errno = 0;
  const double result = f(first, rest...);
  const MathErrorHandler handler = MathError;
  if ((errno == EDOM || errno == ERANGE) && handler != nullptr) handler(name, first);
  return result;
}

}  // namespace

double Sin(double x) { return Checked("Sin", [](double v) { return std::sin(v); }, x); }
double Cos(double x) { return Checked("Cos", [](double v) { return std::cos(v); }, x); }
double Tan(double x) { return Checked("Tan", [](double v) { return std::tan(v); }, x); }
double ASin(double x) { return Checked("ASin", [](double v) { return std::asin(v); }, x); }
double ACos(double x) { return Checked("ACos", [](double v) { return std::acos(v); }, x); }
double ATan(double x) { return std::atan(x); }
double ATan2(double x, double y) { return std::atan2(y, x); }
double SinH(double x) { return Checked("SinH", [](double v) { return std::sinh(v); }, x); }
double CosH(double x) { return Checked("CosH", [](double v) { return std::cosh(v); }, x); }
double TanH(double x) { return std::tanh(x); }
double Exp(double x) { return Checked("Exp", [](double v) { return std::exp(v); }, x); }
double Log(double x) { return Checked("Log", [](double v) { return std::log(v); }, x); }
double Log10(double x) { return Checked("Log10", [](double v) { return std::log10(v); }, x); }
double Pow(double x, double y) {
  return Checked("Pow", [](double a, double b) { return std::pow(a, b); }, x, y);
}
double Sqrt(double x) { return Checked("Sqrt", [](double v) { return std::sqrt(v); }, x); }
double Mod(double x, double y) {
  return Checked("Mod", [](double a, double b) { return std::fmod(a, b); }, x, y);
}

double IntPow(double x, int32_t n) {
  if (n == 0) return 1;
  double base = n < 0 ? 1.0 / x : x;
  // Magnitude in 64 bits: -INT32_MIN does not fit 32.
  uint64_t e = n < 0 ? uint64_t(-int64_t(n)) : uint64_t(n);
  double result = 1;
  while (e != 0) {
    if (e & 1) result *= base;
    base *= base;
    e >>= 1;
  }
  return result;
}

PackedBcd LongToBcd(double x) {
  PackedBcd bcd;
  bcd.sign = x < 0 ? 0x80 : 0;
  const double magnitude = std::fabs(x);
  if (std::isnan(magnitude) || magnitude >= 1.15e18) {
    for (uint8_t& b : bcd.digits) b = 0x99;
    return bcd;
  }
  uint64_t v = uint64_t(std::trunc(magnitude));
  for (uint8_t& b : bcd.digits) {
    const uint8_t low = uint8_t(v % 10);
    v /= 10;
    const uint8_t high = uint8_t(v % 10);
    v /= 10;
    b = uint8_t(high << 4 | low);
  }
  return bcd;
}

int64_t BcdToLong(const PackedBcd& bcd) {
  int64_t v = 0;
  for (int i = 8; i >= 0; --i) {
    const int high = std::min(bcd.digits[i] >> 4, 9);
    const int low = std::min(bcd.digits[i] & 0x0F, 9);
    v = v * 100 + high * 10 + low;
  }
  return (bcd.sign & 0x80) ? -v : v;
}

}  // namespace MATHLIB
