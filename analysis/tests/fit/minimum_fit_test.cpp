#include "ombrix_analysis/minimum_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <runbase/diag.h>

namespace ombrix_analysis {
namespace {

using ombrix_data::CScriptedUserIO;

std::string diagnostics;
void Capture(const char* text) { diagnostics += text; }

// A symmetric eclipse of depth 0.5 centred at t0 on a level of 12 mag.
std::vector<TFitPoint> SyntheticEclipse(double t0, double first, double step, int count, double error) {
  TMinimumParameters truth{{12.0, 0.5, 0.0, 0.5, 0.1, 1.0, 0.0}, 0, 0};
  PrepareMinimumModel(truth);
  std::vector<TFitPoint> points;
  for (int i = 0; i < count; ++i) {
    const double t = first + i * step;
    const double x = 0.5 + (t - t0) / 1.0;  // window of one day centred on t0
    points.push_back(TFitPoint{t, EvaluateMinimumModel(truth, x), error, 0.25, 0, nullptr});
  }
  return points;
}

// Starts the fit from the data: level = smallest value, centre at the largest
// value (magnitudes: the eclipse), depth = their difference.
void StartFromData(TMinimumFitTab& tab) {
  double lo = 1e300, hi = -1e300, tHi = tab.start;
  for (std::size_t i = 0; i < tab.pointCount; ++i) {
    const TFitPoint& p = tab.points[i];
    if (p.phase < tab.start || p.phase > tab.end) continue;
    lo = std::min(lo, p.value);
    if (p.value > hi) hi = p.value, tHi = p.phase;
  }
  const double start[kMinimumParameterCount] = {lo, (tHi - tab.start) / (tab.end - tab.start), 0.0,
                                                hi - lo, 0.1, 1.0, 0.0};
  std::copy(start, start + kMinimumParameterCount, tab.fields);
  std::fill(tab.free, tab.free + kMinimumParameterCount, true);
}

struct MinimumFitFixture : ::testing::Test {
  CScriptedUserIO io;
  TMinimumFitTab tab;
  std::vector<TFitPoint> points;

  void Use(std::vector<TFitPoint> curve, double start, double end) {
    points = std::move(curve);
    tab.points = points.data();
    tab.pointCount = points.size();
    tab.start = start;
    tab.end = end;
    StartFromData(tab);
  }
};

TEST_F(MinimumFitFixture, SevenPointsInTheWindowAreFittedSixRefused) {
  // Points 0.1 d apart from 2450000.2; the window edges are inclusive.
  Use(SyntheticEclipse(2450000.5, 2450000.2, 0.1, 7, 0.01), 2450000.0, 2450000.8);
  tab.free[mmC] = tab.free[mmG] = tab.free[mmTrend] = false;
  tab.fitted = true;
  points[6].phase = 2450000.81;  // just outside: six left
  EXPECT_FALSE(FitMinimum(tab, io));
  EXPECT_FALSE(tab.fitted);
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(io.shown[0].caption, "Cannot perform minimum fit");
  EXPECT_EQ(io.shown[0].lines, (std::vector<std::string>{"Series contains too little points.",
                                                         "At last 7 points needed for fit."}));

  points[6].phase = 2450000.8;  // on the edge: seven
  tab.fields[mmPhase] = 0.6;
  ASSERT_TRUE(FitMinimum(tab, io));
  EXPECT_EQ(io.shown.size(), 1u);
  EXPECT_TRUE(tab.fitted);
  EXPECT_EQ(tab.fitPointCount, 7u);
  EXPECT_NEAR(tab.minimumTime, 2450000.5, 1e-6);
  EXPECT_DOUBLE_EQ(tab.widthDays, (tab.end - tab.start) * tab.parameters.value[mmD]);
}

TEST_F(MinimumFitFixture, FailedFitClearsTheFittedFlagAndSaysWhy) {
  Use(SyntheticEclipse(2450000.5, 2450000.0, 0.05, 21, 0.01), 2450000.0, 2450001.0);
  tab.fitted = true;
  tab.fields[mmD] = 0.7;  // beyond its bound
  EXPECT_FALSE(FitMinimum(tab, io));
  EXPECT_FALSE(tab.fitted);
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(io.shown[0].caption, "Minimum fitting failed");
  EXPECT_EQ(io.shown[0].lines, std::vector<std::string>{"Initial values inconsistent with constraints"});
}

TEST_F(MinimumFitFixture, PhaseIsFreeWhateverItsBoxAndZeroErrorsCountAsOne) {
  Use(SyntheticEclipse(2450000.52, 2450000.0, 0.02, 51, 0.0), 2450000.0, 2450001.0);
  std::fill(tab.free, tab.free + kMinimumParameterCount, false);
  tab.fields[mmMag0] = 12.0;
  tab.fields[mmA] = 0.5;
  tab.fields[mmPhase] = 0.5;
  ASSERT_TRUE(FitMinimum(tab, io));
  EXPECT_NEAR(tab.minimumTime, 2450000.52, 1e-7);
  EXPECT_LT(tab.chi2, 1e-12);  // errors of 1 and a perfect model; the offset is not applied
  EXPECT_EQ(tab.fields[mmA], 0.5);
}

TEST_F(MinimumFitFixture, BootstrapNeedsAFitAndEnoughPoints) {
  Use(SyntheticEclipse(2450000.5, 2450000.0, 0.05, 21, 0.01), 2450000.0, 2450001.0);
  EXPECT_FALSE(EstimateMinimumError(tab, io));
  EXPECT_EQ(io.shown.back().caption, "Cannot Estimate Error");
  EXPECT_EQ(io.shown.back().lines, (std::vector<std::string>{"Minimum must be properly fitted",
                                                             "prior to error estimation."}));
  ASSERT_TRUE(FitMinimum(tab, io));
  tab.end = tab.start + 0.29;  // six points left
  EXPECT_FALSE(EstimateMinimumError(tab, io));
  EXPECT_EQ(io.shown.back().lines[0], "Series contains too little points.");
}

// Times are normalised by the window's length: a window whose length, or
// whose time of minimum, overflows would put every point at 0 or give an
// infinite time of minimum as a success.
TEST_F(MinimumFitFixture, WindowWithoutAFiniteLengthIsRefused) {
  const std::vector<TFitPoint> eclipse = SyntheticEclipse(2450000.5, 2450000.0, 0.05, 21, 0.01);
  for (const auto& [start, end] : {std::pair{-1e308, 1e308}, std::pair{0.0, 1.5e308}}) {
    SCOPED_TRACE(end);
    io.shown.clear();
    Use(eclipse, start, end);
    tab.fitted = true;
    EXPECT_FALSE(FitMinimum(tab, io));
    EXPECT_FALSE(tab.fitted);
    ASSERT_EQ(io.shown.size(), 1u);
    EXPECT_EQ(io.shown[0].caption, "Cannot perform minimum fit");
    EXPECT_EQ(io.shown[0].lines,
              (std::vector<std::string>{"Time window is not valid.",
                                        "Its ends must be finite, in order and not too far apart."}));
  }

  // A window widened so after a good fit is refused by the bootstrap too.
  Use(eclipse, 2450000.0, 2450001.0);
  ASSERT_TRUE(FitMinimum(tab, io));
  tab.start = -1e308;
  tab.end = 1e308;
  EXPECT_FALSE(EstimateMinimumError(tab, io));
  EXPECT_EQ(io.shown.back().caption, "Cannot Estimate Error");
  EXPECT_EQ(io.shown.back().lines[0], "Time window is not valid.");
}

TEST(BootstrapStatistics, MeanAndPopulationSpreadOfTheAcceptedTimes) {
  TBootstrapOutcome outcome;
  outcome.resamples = 1000;
  SummariseBootstrapTimes({2450000.1, 2450000.2, 2450000.3, 2450000.4}, outcome);
  EXPECT_EQ(outcome.resamples, 1000u);
  EXPECT_EQ(outcome.accepted, 4u);
  EXPECT_NEAR(outcome.mean, 2450000.25, 1e-9);
  EXPECT_NEAR(outcome.sigma, std::sqrt(0.0125), 1e-9);  // divided by k, not k - 1
  SummariseBootstrapTimes({}, outcome);
  EXPECT_EQ(outcome.accepted, 0u);
  EXPECT_EQ(outcome.mean, 0.0);
  EXPECT_EQ(outcome.sigma, 0.0);
}

// The CM Dra primary eclipse observed by TESS, flux converted to magnitudes.
std::vector<TFitPoint> CMDraEclipse() {
  std::ifstream in(std::string(OMBRIX_TEST_DATA) + "/CMDra_TESS_E7024.lc");
  std::vector<TFitPoint> points;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    double t, flux;
    if (fields >> t >> flux) points.push_back(TFitPoint{t + 2400000.0, -2.5 * std::log10(flux), 0.0, 0, 0, nullptr});
  }
  return points;
}

TEST_F(MinimumFitFixture, CMDraTimeOfMinimumAndBootstrapError) {
  Use(CMDraEclipse(), 0, 0);
  ASSERT_GE(points.size(), 20u);
  tab.start = points.front().phase;
  tab.end = points.back().phase;
  StartFromData(tab);
  ASSERT_TRUE(FitMinimum(tab, io));
  EXPECT_NEAR(tab.minimumTime, 2458739.9291169, 5e-5);

  diagnostics.clear();
  const Diag::Channel previous = Diag::SetChannel(Capture);
  for (unsigned processors : {1u, 3u}) {
    SCOPED_TRACE(processors);
    TBootstrapOutcome outcome;
    ASSERT_TRUE(EstimateMinimumError(tab, io, TBootstrapOptions{processors, 7u}, &outcome));
    EXPECT_EQ(outcome.resamples, processors == 1 ? 1000u : 1002u);
    EXPECT_GT(outcome.accepted, 900u);
    EXPECT_TRUE(tab.errorShown);
    EXPECT_GT(tab.minimumError, 1.25e-5 / 4);
    EXPECT_LT(tab.minimumError, 1.25e-5 * 4);
  }
  Diag::SetChannel(previous);
  EXPECT_NE(diagnostics.find("Bootstrap time = "), std::string::npos);
}

TEST_F(MinimumFitFixture, ResamplesAreIndependentWhateverTheClock) {
  // Every resample drawn from one reseeded state would give one time repeated;
  // independent streams give a spread, and a fixed seed repeats it exactly.
  Use(CMDraEclipse(), 0, 0);
  tab.start = points.front().phase;
  tab.end = points.back().phase;
  StartFromData(tab);
  ASSERT_TRUE(FitMinimum(tab, io));
  TBootstrapOutcome a, b, c;
  ASSERT_TRUE(EstimateMinimumError(tab, io, TBootstrapOptions{2, 11u}, &a));
  ASSERT_TRUE(EstimateMinimumError(tab, io, TBootstrapOptions{2, 11u}, &b));
  ASSERT_TRUE(EstimateMinimumError(tab, io, TBootstrapOptions{2, 12u}, &c));
  EXPECT_GT(a.sigma, 0.0);
  // The workers append in any order, so the sums may round differently.
  EXPECT_NEAR(a.sigma, b.sigma, 1e-9);
  EXPECT_GT(std::fabs(a.sigma - c.sigma), 1e-9);
}

}  // namespace
}  // namespace ombrix_analysis
