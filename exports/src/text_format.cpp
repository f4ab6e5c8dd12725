#include "text_format.h"

#include <runbase/str.h>

namespace ombrix_export {

std::string FixedNumber(double value, unsigned decimals) {
  char text[400] = {};
  bool ok = false;
  Str::FixRealToStrA(value, decimals, sizeof text - 1, text, ok);
  return ok ? std::string(FixedText::View(sizeof text - 1, text)) : std::string();
}

std::string SixDecimals(double value) { return value == 0 ? std::string("0") : FixedNumber(value, 6); }

std::string FixedOrEmpty(double value, unsigned decimals, double unset) {
  return value == unset ? std::string() : FixedNumber(value, decimals);
}

}  // namespace ombrix_export
