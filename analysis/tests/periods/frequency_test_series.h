// Series for the frequency-analysis tests beyond the K2 curve: a synthetic
// 30-year record of a short-period variable and the committed sample field.
#pragma once

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <ombrix_field/field.h>
#include <ombrix_field/ofd.h>
#include <ombrix_field/series.h>
#include <ombrix_field/user_io.h>
#include <ombrix_model/angles.h>

namespace ombrix_analysis::testdata {

inline constexpr double kLongSeriesPeriod = 0.3456789;  // days

// Thirty observing seasons of ten nights with ten points each: a 0.35 d
// variation with a harmonic, noise and errors of 0.01 to 0.03 mag.
inline std::vector<ombrix_data::TSeriesPoint> LongSeries30Years() {
  std::mt19937 random(30);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::normal_distribution<double> noise(0.0, 0.02);
  std::vector<ombrix_data::TSeriesPoint> points;
  for (int year = 0; year < 30; ++year) {
    for (int night = 0; night < 10; ++night) {
      const double start = 2445000.0 + year * 365.25 + 200.0 * uniform(random);
      for (int i = 0; i < 10; ++i) {
        const double t = start + 0.02 * i;
        const double phase = ombrix_model::kTwoPi * (t - 2445000.0) / kLongSeriesPeriod;
        const double error = 0.01 + 0.02 * uniform(random);
        points.push_back({t, 13.0 + 0.2 * std::sin(phase) + 0.05 * std::cos(2 * phase) + noise(random), error});
      }
    }
  }
  return points;
}

// Loads the sample field of samples/field/, whose series paths are relative
// to the repository root.
inline bool LoadSampleField(ombrix_data::CField& field) {
  const std::string root = std::string(OMBRIX_TEST_DATA) + "/../../../";
  ombrix_data::CScriptedUserIO io;
  ombrix_data::TFieldLoadContext context;
  context.io = &io;
  context.folders = {root.c_str(), ""};
  bool changed = false;
  return ombrix_data::LoadField((root + "samples/field/sample.ofd").c_str(), context, field, changed) &&
         io.shown.empty();
}

}  // namespace ombrix_analysis::testdata
