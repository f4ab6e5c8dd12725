// Frequency analysis: projection, chunking, workers, progress and the command.
#include "ombrix_analysis/frequency_analysis.h"
#include "ombrix_analysis/frequency_headless_dialog.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <ombrix_model/angles.h>

#include "periods/frequency_test_series.h"
#include "periods/hd23642_data.h"

namespace ombrix_analysis {
namespace {

using ombrix_data::CPeriodListElem;

std::vector<double> PeriodsOf(const vlist::CList& list) {
  std::vector<double> out;
  for (vlist::CListElem* e = list.first; e; e = e->next)
    out.push_back(static_cast<const CPeriodListElem*>(e)->period);
  return out;
}

// Adds one enabled series of `count` points of a sine of the given period.
void AddSineSeries(ombrix_data::CObjectListElem& object, std::uint32_t count, double period,
                   double error, double start = 2457000.0) {
  auto* s = new ombrix_data::CSeriesTreeElem;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> jitter(0.0, 0.05);
  std::vector<ombrix_data::TSeriesPoint> points;
  for (std::uint32_t i = 0; i < count; ++i) {
    const double t = start + i * 0.073 + jitter(random);
    points.push_back({t, 12.0 + 0.3 * std::sin(ombrix_model::kTwoPi * t / period), error});
  }
  s->InsertPoints(points.data(), points.size());
  s->enabled = true;
  object.InsertSeries(s);
}

TEST(FrequencyAnalysis, TrialsAreSplitIntoContiguousChunks) {
  struct {
    std::uint32_t trials, workers;
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
  } const cases[] = {
      {10, 4, {{0, 2}, {3, 5}, {6, 8}, {9, 9}}},
      {8, 4, {{0, 1}, {2, 3}, {4, 5}, {6, 7}}},
      {3, 4, {{0, 0}, {1, 1}, {2, 2}, {3, 2}}},
      {0, 2, {{0, -1}, {0, -1}}},
  };
  for (const auto& c : cases) {
    const auto ranges = SplitTrials(c.trials, c.workers);
    ASSERT_EQ(ranges.size(), c.ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i) {
      EXPECT_EQ(ranges[i].first, c.ranges[i].first) << c.trials << " " << i;
      EXPECT_EQ(ranges[i].last, c.ranges[i].second) << c.trials << " " << i;
    }
  }
}

TEST(FrequencyAnalysis, OrderOneSumsEqualTheProjection) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  const std::uint32_t n = 500;
  std::vector<double> t(n), y(n), w(n);
  std::vector<TComplex> yc(n), z(n), psi(n), zp(n), pr(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    t[i] = 40.0 * uniform(random) - 20.0;
    y[i] = std::sin(t[i] * 1.7) + uniform(random);
    w[i] = 1.0 / (0.01 + 0.1 * uniform(random));
    yc[i] = y[i];
  }
  const TProjectionWork work{z.data(), psi.data(), zp.data(), pr.data()};
  for (double omega : {0.3, 1.7, ombrix_model::kTwoPi / 0.1234, 50.0}) {
    TComplex c[3];
    MultiHarmonicProjection(n, 1, omega, yc.data(), t.data(), w.data(), c, work);
    const double direct = TrialValue(c[0], c[1]);
    EXPECT_NEAR(OrderOneValue(n, omega, y.data(), t.data(), w.data()), direct, 1e-9 * direct);

    double sw = 0, swy = 0;
    for (std::uint32_t i = 0; i < n; ++i) sw += w[i], swy += w[i] * y[i];
    EXPECT_NEAR(c[0].real(), swy / std::sqrt(sw), 1e-9 * std::abs(c[0]));

    // A higher order extends the recurrence: its first coefficients agree.
    TComplex c2[3];
    MultiHarmonicProjection(n, 2, omega, yc.data(), t.data(), w.data(), c2, work);
    EXPECT_NEAR(std::abs(c2[1] - c[1]), 0.0, 1e-9 * std::abs(c[1]));
    EXPECT_TRUE(std::isfinite(std::norm(c2[2])));
  }
  EXPECT_EQ(TrialValue(TComplex(NAN, 0), TComplex(2, 0)), 4.0);
  EXPECT_EQ(TrialValue(TComplex(NAN, 0), TComplex(0, NAN)), 0.0);
}

struct TRecordingNotify : CFrequencyAnalysisNotify {
  std::vector<std::uint32_t> progress;
  int finished = 0;
  void PostProgress(std::uint32_t, std::uint32_t done) override { progress.push_back(done); }
  void PostFinished(std::uint32_t) override { ++finished; }
};

TEST(FrequencyAnalysis, WorkerPostsOneProgressPerRequestAndHonoursStop) {
  const double t[4] = {0, 0.3, 0.7, 1.1}, y[4] = {1, 2, 1, 3}, w[4] = {1, 1, 1, 1};
  std::vector<double> results(6, -1.0);
  TRecordingNotify notify;
  TFrequencyWorkerParams p;
  p.window = &notify;
  p.pointCount = 4;
  p.values = y, p.times = t, p.weights = w;
  p.minPeriod = 0.5, p.step = 0.1, p.trialCount = 6;
  p.results = results.data();
  p.first = 2, p.last = 4;
  EXPECT_EQ(FrequencyAnalysisWorker(p), kWorkerCompleted);
  EXPECT_EQ(notify.progress, std::vector<std::uint32_t>{1});  // the flag was never set again
  EXPECT_EQ(notify.finished, 1);
  EXPECT_EQ(results[0], -1.0);
  EXPECT_EQ(results[5], -1.0);
  EXPECT_DOUBLE_EQ(results[3], OrderOneValue(4, ombrix_model::kTwoPi / 0.8, y, t, w));

  results.assign(6, -1.0);
  p.stop = 1;
  EXPECT_EQ(FrequencyAnalysisWorker(p), kWorkerStopped);
  EXPECT_EQ(results, std::vector<double>(6, -1.0));
  EXPECT_EQ(notify.finished, 2);
}

TEST(FrequencyAnalysis, ProgressTotalsAndText) {
  TFrequencyWorkerParams params[2];
  params[0].progressRequest = 0;
  CFrequencyProgress progress(params, 2, 400);
  progress.Progress(0, 100);
  progress.Progress(1, 50);
  progress.Progress(0, 130);
  EXPECT_EQ(progress.Total(), 180u);
  EXPECT_EQ(params[0].progressRequest.load(), 1);
  EXPECT_EQ(progress.BarPosition(), 180u * 512 / 400);
  char text[16];
  progress.PercentText(15, text);
  EXPECT_STREQ(text, "45 %");
  EXPECT_FALSE(progress.Finished(0));
  EXPECT_TRUE(progress.Finished(1));
}

TEST(FrequencyAnalysis, NeedsMoreThanThreePointsAndListsAtMostTheTrials) {
  ombrix_data::CObjectListElem object;
  CHeadlessFrequencyDialog dialog;
  AddSineSeries(object, 3, 0.5, 0.01);
  EXPECT_FALSE(RunFrequencyAnalysis(object, 0.3, 0.7, 100, object.periods, dialog, 2));
  EXPECT_TRUE(object.periods.Empty());

  AddSineSeries(object, 1, 0.5, 0.01, 2458000.0);
  EXPECT_TRUE(RunFrequencyAnalysis(object, 0.3, 0.7, 100, object.periods, dialog, 2));
  EXPECT_EQ(object.periods.count, 3u);
  object.periods.DisposeList();

  EXPECT_TRUE(RunFrequencyAnalysis(object, 0.3, 0.7, 2, object.periods, dialog, 4));
  const auto two = PeriodsOf(object.periods);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_TRUE((two[0] == 0.3 && two[1] == 0.7) || (two[0] == 0.7 && two[1] == 0.3));
  object.periods.DisposeList();
}

// One pass, strictly greater values displace, ties keep the earlier trial,
// and trials without signal (0, NaN, infinite) are never listed.
TEST(FrequencyAnalysis, ThreeLargestTrialsBestFirst) {
  const double nan = std::nan(""), inf = INFINITY;
  struct {
    std::vector<double> results;
    std::vector<std::uint32_t> best;
  } const cases[] = {
      {{1, 5, 3, 5, 4, 2}, {1, 3, 4}},
      {{nan, 0, inf, 2, -inf, 1}, {3, 5}},
      {{0, 0, 0}, {}},
      {{}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ThreeLargestTrials(c.results), c.best);
}

// Decimal settings whose binary quotient falls a hair below a whole number
// count that number; true fractions are still cut.
TEST(FrequencyAnalysis, TrialCountOfDecimalSettings) {
  struct TCase {
    double min, max, resolution;
    std::uint64_t trials;
  };
  const TCase cases[] = {
      {0.1, 2.0, 0.00001, 190000},  // the defaults: 189999.99999999997
      {0.0, 0.3, 0.1, 3},           // 2.9999999999999996
      {0.1, 0.7, 0.2, 3},           // 2.9999999999999996
      {0.1, 0.4, 0.1, 3},
      {1.0, 2.0, 0.3, 3},           // 3.33...
      {1.0, 1.25, 0.1, 2},          // 2.5
      {0.5, 0.5, 0.1, 0},
      {2.0, 1.0, 0.1, 0},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(FrequencyTrialCount(TFrequencySettings{c.min, c.max, c.resolution}), c.trials)
        << c.min << " " << c.max << " " << c.resolution;
}

// Cancels at the first progress notification.
struct TCancellingDialog : CHeadlessFrequencyDialog {
  bool KeepRunning(const CFrequencyProgress&) override { return false; }
};

TEST(FrequencyAnalysis, CancelledAnalysisAddsNothing) {
  ombrix_data::CObjectListElem object;
  AddSineSeries(object, 400, 0.5, 0.01);
  TCancellingDialog dialog;
  EXPECT_FALSE(RunFrequencyAnalysis(object, 0.1, 2.0, 200000, object.periods, dialog, 2));
  EXPECT_TRUE(object.periods.Empty());
}

class FrequencyCommandTest : public ::testing::Test {
 protected:
  ombrix_data::CObjectListElem object;
  ombrix_data::CScriptedUserIO io;
  CHeadlessFrequencyDialog dialog;
  TFrequencySettings settings;
  TPeriodComboPane pane;

  bool Run(std::vector<std::string> texts) {
    io.dialogTexts.push_back(std::move(texts));
    return FindPeriodsByFrequencyAnalysis(object, settings, 2, io, dialog, pane);
  }
};

TEST_F(FrequencyCommandTest, EclipsingTypesGetTheNewPeriodsDoubled) {
  std::strcpy(object.variabilityType, "EW");
  object.period = 0.5;
  auto* earlier = new CPeriodListElem;
  earlier->period = 7.0;
  object.periods.Append(earlier);
  AddSineSeries(object, 600, 0.25, 0.0);  // no error column: errors of 0
  ASSERT_TRUE(Run({"0.2", "0.3", "0.0001"}));
  EXPECT_DOUBLE_EQ(settings.resolution, 0.0001);
  const auto periods = PeriodsOf(object.periods);
  ASSERT_EQ(periods.size(), 5u);
  EXPECT_EQ(periods[0], 0.5);
  EXPECT_EQ(periods[1], 7.0);
  for (std::size_t i = 2; i < 5; ++i) EXPECT_NEAR(periods[i], 0.5, 2e-3);
  ASSERT_EQ(io.shown.size(), 2u);
  EXPECT_EQ(io.shown[0].caption, "Find periods by Frequency analysis");
  EXPECT_EQ(io.shown[1].caption, "Possible periods were found");
  EXPECT_EQ(io.shown[1].lines.at(0), "Three periods with highest response");

  EXPECT_TRUE(IsEclipsingType("EA (Algol)"));
  EXPECT_TRUE(IsEclipsingType("EB"));
  EXPECT_FALSE(IsEclipsingType("ea"));
  EXPECT_FALSE(IsEclipsingType("E"));
  EXPECT_FALSE(IsEclipsingType("ELL"));
}

TEST_F(FrequencyCommandTest, FlatDataReportsFailureInsteadOfListingTrials) {
  auto* s = new ombrix_data::CSeriesTreeElem;
  for (int i = 0; i < 50; ++i) s->InsertPoint({2457000.0 + i * 0.1, 0.0, 0.0});
  object.InsertSeries(s);
  EXPECT_FALSE(Run({"0.1", "2", "0.001"}));
  EXPECT_TRUE(object.periods.Empty());
  ASSERT_EQ(io.shown.size(), 2u);
  EXPECT_EQ(io.shown[1].caption, "Cannot find period");
  EXPECT_EQ(io.shown[1].lines.at(0), "Frequency analysis failed");
}

TEST_F(FrequencyCommandTest, OutOfRangeSettingsAreRefusedAndKept) {
  AddSineSeries(object, 100, 0.5, 0.01);
  EXPECT_FALSE(Run({"0.0001", "2", "0.001"}));
  EXPECT_EQ(settings.minPeriod, 0.1);
  EXPECT_EQ(io.shown.back().icon, ombrix_data::TMessageIcon::exclamation);
  io.shown.clear();
  EXPECT_FALSE(FindPeriodsByFrequencyAnalysis(object, settings, 2, io, dialog, pane));  // Cancel
  EXPECT_EQ(io.shown.size(), 1u);
}

// The K2 light curve of HD 23642: BJD - 2450000, magnitude, error.
TEST(FrequencyAnalysisRealData, FindsThePublishedPeriodOfHD23642) {
  const std::vector<ombrix_data::TSeriesPoint> points = testdata::LoadHD23642();
  ASSERT_GT(points.size(), 2000u);
  ombrix_data::CObjectListElem object;
  std::strcpy(object.variabilityType, "EA (Algol)");
  auto* s = new ombrix_data::CSeriesTreeElem;
  s->InsertPoints(points.data(), points.size());
  object.InsertSeries(s);

  ombrix_data::CScriptedUserIO io;
  CHeadlessFrequencyDialog dialog;
  TFrequencySettings settings;
  TPeriodComboPane pane;
  io.dialogTexts.push_back({"1", "3", "0.0001"});
  ASSERT_TRUE(FindPeriodsByFrequencyAnalysis(object, settings, 2, io, dialog, pane));
  const auto periods = PeriodsOf(object.periods);
  ASSERT_FALSE(periods.empty());
  double closest = 1e9;
  for (double p : periods) closest = std::min(closest, std::abs(p - testdata::kHD23642Period));
  EXPECT_LT(closest, 1e-3);
}

// The periods RunFrequencyAnalysis lists with the default settings on two
// workers, and those of the same trials (each worker's periods by repeated
// addition) scored one by one with the direct kernel.
std::vector<double> ScannedPeriods(const ombrix_data::CObjectListElem& object) {
  const TFrequencySettings s;
  CHeadlessFrequencyDialog dialog;
  vlist::CList periods;
  EXPECT_TRUE(RunFrequencyAnalysis(object, s.minPeriod, s.maxPeriod,
                                   static_cast<std::uint32_t>(FrequencyTrialCount(s)), periods, dialog, 2));
  const std::vector<double> found = PeriodsOf(periods);
  periods.DisposeList();
  return found;
}

std::vector<double> DirectlyScannedPeriods(const ombrix_data::CObjectListElem& object) {
  const TFrequencySettings s;
  const auto trials = static_cast<std::uint32_t>(FrequencyTrialCount(s));
  const double step = TrialStep(s.minPeriod, s.maxPeriod, trials);
  TFrequencyInput in;
  BuildFrequencyInput(object, in);
  const CTrialScorer scorer(static_cast<std::uint32_t>(in.values.size()), in.values.data(), in.times.data(),
                            in.weights.data());
  std::vector<double> results(trials);
  std::vector<std::thread> workers;
  for (const TTrialRange range : SplitTrials(trials, 2))
    workers.emplace_back([&, range] {
      double period = range.first * step + s.minPeriod;
      for (std::int64_t i = range.first; i <= range.last; ++i, period += step) results[i] = scorer.ValueAt(period);
    });
  for (std::thread& w : workers) w.join();
  std::vector<double> found;
  for (std::uint32_t i : ThreeLargestTrials(results)) found.push_back(s.minPeriod + i * step);
  return found;
}

ombrix_data::CObjectListElem* NewObject(const std::vector<ombrix_data::TSeriesPoint>& points) {
  auto* object = new ombrix_data::CObjectListElem;
  auto* s = new ombrix_data::CSeriesTreeElem;
  s->InsertPoints(points.data(), points.size());
  s->enabled = true;
  object->InsertSeries(s);
  return object;
}

TEST(FrequencyAnalysisRealData, HD23642GivesThePeriodsOfTheDirectKernel) {
  const std::unique_ptr<ombrix_data::CObjectListElem> object(NewObject(testdata::LoadHD23642()));
  const std::vector<double> periods = ScannedPeriods(*object);
  ASSERT_EQ(periods.size(), 3u);
  EXPECT_EQ(periods, DirectlyScannedPeriods(*object));
  EXPECT_NEAR(2 * periods[0], testdata::kHD23642Period, 1e-4);
}

TEST(FrequencyAnalysisSlow, SampleFieldGivesThePeriodsOfTheDirectKernel) {
  ombrix_data::CField field;
  ASSERT_TRUE(testdata::LoadSampleField(field));
  ASSERT_GT(field.Count(), 0u);
  for (auto* object = field.First(); object; object = ombrix_data::CField::Next(object))
    EXPECT_EQ(ScannedPeriods(*object), DirectlyScannedPeriods(*object)) << object->name;
}

TEST(FrequencyAnalysisSlow, ThirtyYearsGiveThePeriodsOfTheDirectKernel) {
  const std::unique_ptr<ombrix_data::CObjectListElem> object(NewObject(testdata::LongSeries30Years()));
  const std::vector<double> periods = ScannedPeriods(*object);
  ASSERT_EQ(periods.size(), 3u);
  EXPECT_EQ(periods, DirectlyScannedPeriods(*object));
  EXPECT_NEAR(periods[0], testdata::kLongSeriesPeriod, 1e-5);
}

}  // namespace
}  // namespace ombrix_analysis
