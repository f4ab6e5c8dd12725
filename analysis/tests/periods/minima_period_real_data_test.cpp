// Real data end to end: primary minima of HD 23642 timed with the minimum fit,
// then handed to the period search from minima.
#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "ombrix_analysis/minimum_fit.h"
#include "ombrix_analysis/periods_minima.h"
#include "periods/hd23642_data.h"

namespace ombrix_analysis {
namespace {

using ombrix_data::TSeriesPoint;

// Primary eclipses are the runs of points fainter than this (magnitudes: the
// primary is 0.10 deep, the secondary 0.044).
constexpr double kPrimaryLevel = 0.06;
// Half the fit window around the faintest point of an eclipse, days.
constexpr double kHalfWindow = 0.15;

// Time of the faintest point of every primary eclipse, in time order.
std::vector<double> FaintestPointsOfPrimaries(const std::vector<TSeriesPoint>& points) {
  std::vector<double> centres;
  double lastTime = -1e9, faintest = -1e9;
  for (const TSeriesPoint& p : points) {
    if (p.value <= kPrimaryLevel) continue;
    if (p.time - lastTime > 0.5) {
      centres.push_back(p.time);
      faintest = p.value;
    } else if (p.value > faintest) {
      centres.back() = p.time;
      faintest = p.value;
    }
    lastTime = p.time;
  }
  return centres;
}

// Fits the minimum model over [centre - kHalfWindow, centre + kHalfWindow]
// from the start values of the command line (level = brightest value, time
// of minimum at the faintest point, depth = range, D = 0.1, G = 1).
bool TimeMinimum(const std::vector<TFitPoint>& series, double centre, double& time) {
  ombrix_data::CScriptedUserIO io;
  TMinimumFitTab tab;
  tab.points = series.data();
  tab.pointCount = series.size();
  tab.start = centre - kHalfWindow;
  tab.end = centre + kHalfWindow;
  double low = 1e9, high = -1e9, faintestTime = centre;
  for (const TFitPoint& p : series) {
    if (p.phase < tab.start || p.phase > tab.end) continue;
    low = std::min(low, p.value);
    if (p.value > high) high = p.value, faintestTime = p.phase;
  }
  const double fields[kMinimumParameterCount] = {
      low, (faintestTime - tab.start) / (tab.end - tab.start), 0.0, high - low, 0.1, 1.0, 0.0};
  std::copy(fields, fields + kMinimumParameterCount, tab.fields);
  std::fill(tab.free, tab.free + kMinimumParameterCount, true);
  if (!FitMinimum(tab, io)) return false;
  time = tab.minimumTime;
  return true;
}

TEST(MinimaPeriodRealData, TimedPrimariesOfHD23642GiveThePublishedPeriod) {
  const std::vector<TSeriesPoint> points = testdata::LoadHD23642();
  ASSERT_GT(points.size(), 2000u);
  std::vector<TFitPoint> series;
  for (const TSeriesPoint& p : points) series.push_back({p.time, p.value, p.error, 0.0, 0, nullptr});
  const std::vector<double> centres = FaintestPointsOfPrimaries(points);
  ASSERT_GE(centres.size(), 25u);

  // Eight eclipses at irregular cycle distances (greatest common divisor 1),
  // so that no multiple of the period lines them all up as well.
  std::vector<TMinimumInstance> minima;
  for (std::size_t index : {0u, 1u, 3u, 7u, 12u, 18u, 23u, 26u}) {
    ASSERT_LT(index, centres.size());
    double time = 0.0;
    ASSERT_TRUE(TimeMinimum(series, centres[index], time)) << "eclipse " << index;
    EXPECT_NEAR(time, centres[index], 0.03) << "eclipse " << index;
    minima.push_back({time, ombrix_data::minPrimary});
  }

  vlist::CList found;
  SearchPeriodsFromMinima(minima.data(), static_cast<std::uint32_t>(minima.size()), 2.0, 0.5, 0.99,
                          found);
  ASSERT_NE(found.first, nullptr);
  const auto* best = static_cast<const ombrix_data::CPeriodListElem*>(found.first);
  EXPECT_NEAR(best->period, testdata::kHD23642Period, 1e-4);
  EXPECT_GT(best->score, 0.999);
  found.DisposeList();
}

}  // namespace
}  // namespace ombrix_analysis
