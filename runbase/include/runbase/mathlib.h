// MATHLIB: thin wrappers of the standard mathematical functions, integer
// powers, and packed-BCD conversion (the x87 10-byte format).
#pragma once

#include <cstdint>

namespace MATHLIB {

// Called (when set) after a wrapper got a domain or range error from the C
// library, with the function's name and its argument; the result is still
// the C library's. Process-wide, set at start-up.
using MathErrorHandler = void (*)(const char* function, double argument);
extern MathErrorHandler MathError;

double Sin(double x);
double Cos(double x);
double Tan(double x);
double ASin(double x);
double ACos(double x);
double ATan(double x);
// atan2(y, x) with x given first: ATan2(1, 0) = 0.
double ATan2(double x, double y);
double SinH(double x);
double CosH(double x);
double TanH(double x);
double Exp(double x);
double Log(double x);
double Log10(double x);
double Pow(double x, double y);
// x to an integer power by binary exponentiation; 1 for n = 0.
double IntPow(double x, int32_t n);
double Sqrt(double x);
// fmod(x, y).
double Mod(double x, double y);

// Nine bytes of packed decimal digits, least significant byte first (two
// digits a byte, 18 digits), then the sign byte (0x80 negative, 0 positive).
struct PackedBcd {
  uint8_t digits[9] = {};
  uint8_t sign = 0;
};
static_assert(sizeof(PackedBcd) == 10);

// Packs trunc(|x|): |x| < 1 gives all digits 0, |x| >= 1.15e18 (or NaN) all
// digit bytes 0x99; otherwise the 18 low decimal digits.
PackedBcd LongToBcd(double x);
// The value of a packed number (nibbles above 9 count as 9).
int64_t BcdToLong(const PackedBcd& bcd);

}  // namespace MATHLIB
