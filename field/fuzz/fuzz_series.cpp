// Fuzz target of the series text reader: any input must read without crash,
// hang or leak, and leave finite points sorted by time.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ombrix_field/series_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ombrix_data::CLocalSeriesTreeElem series;
  ombrix_data::ReadSeriesText(series, reinterpret_cast<const char*>(data), size);
  if (!std::is_sorted(series.time, series.time + series.pointCount)) std::abort();
  for (std::uint32_t i = 0; i < series.pointCount; ++i) {
    if (!std::isfinite(series.time[i]) || !std::isfinite(series.value[i]) || !std::isfinite(series.error[i]))
      std::abort();
  }
  ombrix_data::ApplyHeliocentricConversion(series, 1.0, 0.5);
  return 0;
}
