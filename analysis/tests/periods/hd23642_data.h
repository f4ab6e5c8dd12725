// The K2 light curve of HD 23642 in tests/data: BJD - 2450000, magnitude,
// error per line; times come back as full Julian dates.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <ombrix_field/series.h>

namespace ombrix_analysis::testdata {

inline constexpr double kHD23642Period = 2.4611357;  // published, days

inline std::vector<ombrix_data::TSeriesPoint> LoadHD23642() {
  std::vector<ombrix_data::TSeriesPoint> points;
  std::ifstream file(std::string(OMBRIX_TEST_DATA) + "/HD23642_K2.dat");
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    ombrix_data::TSeriesPoint p;
    if (fields >> p.time >> p.value >> p.error) points.push_back({p.time + 2450000.0, p.value, p.error});
  }
  return points;
}

}  // namespace ombrix_analysis::testdata
