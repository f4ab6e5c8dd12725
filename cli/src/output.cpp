#include "output.h"

#include <cstdio>

namespace ombrix_cli {

std::string Fixed(double x, int decimals) {
  char buffer[64];
  const int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, x);
  if (length >= 0 && length < static_cast<int>(sizeof buffer)) return buffer;
  // Too wide for the buffer (|x| beyond 1e50): measure and format again.
  std::string wide(static_cast<std::size_t>(length), '\0');
  std::snprintf(wide.data(), wide.size() + 1, "%.*f", decimals, x);
  return wide;
}

}  // namespace ombrix_cli
