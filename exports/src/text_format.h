// Number and text pieces shared by the exports: fixed-point numbers in the
// C locale and the views of the model's fixed text arrays.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <runbase/fixed_text.h>

namespace ombrix_export {

inline constexpr const char* kCrLf = "\r\n";

// Fixed point with `decimals` digits after the point, never in the user's
// locale; empty for NaN.
std::string FixedNumber(double value, unsigned decimals);
// Six decimals, except that exactly 0 is "0".
std::string SixDecimals(double value);
// Fixed point, or empty when the value equals `unset`.
std::string FixedOrEmpty(double value, unsigned decimals, double unset);

// The text of a fixed array of the model (full arrays carry no terminator).
template <std::size_t N>
std::string_view FieldText(const char (&text)[N]) {
  return FixedText::View(N - 1, text);
}

}  // namespace ombrix_export
