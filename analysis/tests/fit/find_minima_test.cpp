#include "ombrix_analysis/find_minima.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace ombrix_analysis {
namespace {

using ombrix_data::CObjectListElem;
using ombrix_data::CScriptedUserIO;
using ombrix_data::CSeriesTreeElem;
using ombrix_data::TAnswer;

constexpr double kM0 = 2450000.3;
constexpr double kPeriod = 1.0;
constexpr double kRange = 0.2;

// A dialog that records what it was shown and answers with fixed values.
class TScriptedView : public CFindMinimaView {
 public:
  TFindMinimaDialog shown;
  TFindMinimaDialog reply;
  bool ok = true;
  bool EditFindMinimaDialog(TFindMinimaDialog& dialog) override {
    shown = dialog;
    if (ok) dialog = reply;
    return ok;
  }
};

// Eclipses of 0.5 mag at every primary and secondary minimum; points every
// 0.02 d within 0.1 d of each centre, for `cycles` cycles from `first`.
std::vector<TFitPoint> EclipseSeries(int firstCycle, int cycles) {
  TMinimumParameters eclipse{{12.0, 0.5, 0.0, 0.5, 0.1, 1.0, 0.0}, 0, 0};
  PrepareMinimumModel(eclipse);
  std::vector<TFitPoint> points;
  for (int c = firstCycle; c < firstCycle + cycles; ++c)
    for (double centre : {kM0 + c * kPeriod, kM0 + (c + 0.5) * kPeriod})
      for (int j = -5; j <= 5; ++j) {
        const double t = centre + j * 0.02 + 0.001;
        points.push_back(TFitPoint{t, EvaluateMinimumModel(eclipse, 0.5 + (t - centre) / kRange), 0.01, 0, 0, nullptr});
      }
  return points;
}

struct FindMinimaFixture : ::testing::Test {
  CObjectListElem object;
  CSeriesTreeElem series;
  TMinimumFitTab tab;
  TScriptedView view;
  CScriptedUserIO io;
  std::vector<TFitPoint> points;

  void SetUp() override {
    view.object = &object;
    view.series = &series;
    view.tab = &tab;
    view.reply = TFindMinimaDialog{kM0, kPeriod, 5, true, kRange, true, 0.5, kRange};
    const double start[kMinimumParameterCount] = {12.0, 0.5, 0.0, 0.4, 0.12, 1.0, 0.0};
    std::copy(start, start + kMinimumParameterCount, tab.fields);
    tab.free[mmMag0] = tab.free[mmA] = tab.free[mmD] = true;
    tab.start = 1.0;
    tab.end = 2.0;
  }
  void Use(std::vector<TFitPoint> curve) {
    points = std::move(curve);
    tab.points = points.data();
    tab.pointCount = points.size();
  }
  std::vector<ombrix_data::CMinimaListElem*> Minima() {
    std::vector<ombrix_data::CMinimaListElem*> all;
    for (auto* e = series.minima.first; e; e = e->next) all.push_back(static_cast<ombrix_data::CMinimaListElem*>(e));
    return all;
  }
  int Questions(const char* text) const {
    int count = 0;
    for (const auto& r : io.shown)
      if (r.kind == CScriptedUserIO::TRecord::TKind::question && r.lines[0] == text) ++count;
    return count;
  }
};

TEST_F(FindMinimaFixture, NeedsASelectedSeries) {
  view.series = nullptr;
  EXPECT_EQ(FindAllMinima(view, io), 0);
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(io.shown[0].caption, "Cannot find minima");
  EXPECT_EQ(io.shown[0].lines, std::vector<std::string>{"No series selected to find minima"});
}

TEST_F(FindMinimaFixture, DialogValuesAreValidatedInOrder) {
  struct Case { TFindMinimaDialog dialog; const char* text; };
  const Case cases[] = {
      {{0.0, kPeriod, 5, true, 0.0, true, 0.0, 0.0}, "M0 and/or Period udefined"},
      {{kM0, -1.0, 5, true, kRange, false, 0, 0}, "M0 and/or Period udefined"},
      {{kM0, kPeriod, 5, true, 0.0, true, 0.0, 0.0}, "Primary Time Range udefined"},
      {{kM0, kPeriod, 5, false, 0.0, true, 0.0, 0.0}, "Secondary phase udefined"},
      {{kM0, kPeriod, 5, true, kRange, true, 0.5, 0.0}, "Secondary Time Range udefined"},
  };
  Use(EclipseSeries(0, 2));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    io.shown.clear();
    view.reply = c.dialog;
    object.primaryFitTimeRange = 7.0;
    EXPECT_EQ(FindAllMinima(view, io), 0);
    ASSERT_EQ(io.shown.size(), 1u);
    EXPECT_EQ(io.shown[0].lines, std::vector<std::string>{c.text});
    EXPECT_EQ(object.primaryFitTimeRange, 7.0);
  }
}

TEST_F(FindMinimaFixture, WalksEveryMinimumAndFollowsTheAnswers) {
  // The series starts less than one period after M0 (k = 0): the walk begins
  // one period before M0 and still meets the minimum at M0.
  Use(EclipseSeries(0, 3));
  io.answers = {TAnswer::yes, TAnswer::no, TAnswer::yes, TAnswer::yes, TAnswer::no, TAnswer::yes};
  EXPECT_EQ(FindAllMinima(view, io), 4);
  EXPECT_EQ(Questions("Add Primary minimum?"), 3);
  EXPECT_EQ(Questions("Add Secondary minimum?"), 3);
  const auto minima = Minima();
  ASSERT_EQ(minima.size(), 4u);
  const double expected[] = {kM0, kM0 + 2, kM0 + 0.5, kM0 + 2.5};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(minima[i]->time, expected[i], 1e-6);
    EXPECT_EQ(minima[i]->type, i < 2 ? ombrix_data::minPrimary : ombrix_data::minSecondary);
    EXPECT_GT(minima[i]->error, 0.0);
  }
  EXPECT_EQ(object.primaryFitTimeRange, kRange);
  EXPECT_EQ(tab.start, 1.0);  // the tab's window is restored
  EXPECT_EQ(tab.end, 2.0);
}

TEST_F(FindMinimaFixture, CancelEndsBothPasses) {
  Use(EclipseSeries(0, 3));
  io.answers = {TAnswer::yes, TAnswer::cancel};
  EXPECT_EQ(FindAllMinima(view, io), 1);
  EXPECT_EQ(Questions("Add Secondary minimum?"), 0);
  EXPECT_EQ(tab.start, 1.0);
}

TEST_F(FindMinimaFixture, BranchCountsIncludeThePointAtTheCentreInTheDescendingBranch) {
  // Eleven points 0.02 d apart, one exactly at the centre: 6 at or before it, 5 after.
  std::vector<TFitPoint> curve = EclipseSeries(0, 1);
  curve.resize(11);
  for (TFitPoint& p : curve) p.phase -= 0.001;
  struct Case { int required; std::size_t dropAfter; int fits; };
  const Case cases[] = {{5, 0, 1}, {6, 0, 0}, {5, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.required);
    std::vector<TFitPoint> window(curve.begin(), curve.end() - c.dropAfter);
    Use(window);
    io.shown.clear();
    io.answers = {TAnswer::no};
    view.reply = TFindMinimaDialog{kM0, kPeriod, c.required, true, kRange, false, 0, 0};
    FindAllMinima(view, io);
    EXPECT_EQ(Questions("Add Primary minimum?"), c.fits);
  }
}

TEST_F(FindMinimaFixture, MissingRangesAreDerivedFromTheFit) {
  ombrix_model::ResetFitParameters(object.fit);
  object.fit.value[ombrix_model::fpMag0] = 10.0;
  object.period = 2.0;
  object.m0 = kM0;
  object.secondaryFitTimeRange = 0.3;
  const TFindMinimaDialog d = InitialFindMinimaDialog(object);
  EXPECT_TRUE(d.fitPrimary && d.fitSecondary);
  EXPECT_EQ(d.secondaryPhase, 0.5);
  EXPECT_EQ(d.secondaryRange, 0.3);  // a positive stored range is kept
  // The primary half-width is the first phase on the 0.005 grid where the
  // default eclipse falls to 5 % of its depth above the brightest level.
  const double h = object.primaryFitTimeRange / 2 / object.period;
  EXPECT_NEAR(h / 0.005, std::round(h / 0.005), 1e-9);
  ombrix_model::TFitParameters fit = object.fit;
  ombrix_model::PrepareLightCurveModel(fit);
  const double bright = ombrix_model::EvaluateLightCurveModel(fit, 0.25);
  const double level = bright + 0.05 * (ombrix_model::EvaluateLightCurveModel(fit, 0.0) - bright);
  EXPECT_LE(ombrix_model::EvaluateLightCurveModel(fit, h), level);
  EXPECT_GT(ombrix_model::EvaluateLightCurveModel(fit, h - 0.005), level);
  EXPECT_EQ(d.primaryRange, object.primaryFitTimeRange);

  CObjectListElem bare;
  const TFindMinimaDialog empty = InitialFindMinimaDialog(bare);
  EXPECT_FALSE(empty.fitPrimary || empty.fitSecondary);
  EXPECT_EQ(empty.primaryRange, 0.0);
}

}  // namespace
}  // namespace ombrix_analysis
