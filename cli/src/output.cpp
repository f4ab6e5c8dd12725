#include "output.h"

#include <charconv>

namespace ombrix_cli {

// Fixed-point text with the decimal point whatever the process locale, as
// scripts reading the output expect.
std::string Fixed(double x, int decimals) {
  char buffer[400];  // room for every finite double with up to 60 decimals
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return "nan";
  return std::string(buffer, result.ptr);
}

}  // namespace ombrix_cli
