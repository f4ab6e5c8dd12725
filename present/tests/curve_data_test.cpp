// What the builders put into the charts: compressed gaps, phase windows,
// colours, and the slider formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include <winkit/view.h>
#include <winkit/vimage.h>

#include "ombrix_present/curve_data.h"

namespace {

using namespace ombrix_lc;
using ombrix_data::CLocalSeriesTreeElem;
using ombrix_data::CObjectListElem;

constexpr double kJD = 2459000.0;

class CurveDataTest : public ::testing::Test {
 protected:
  CurveDataTest() {
    object.Init();
    chart.NewRect(vcom::CRect(0, 0, 640, 400));
    fit.NewRect(vcom::CRect(0, 0, 640, 400));
  }
  ~CurveDataTest() override { object.Done(); }

  CLocalSeriesTreeElem* AddSeries(std::initializer_list<double> times, double value = 12.0,
                                  const char* filter = "") {
    auto* s = new CLocalSeriesTreeElem;
    for (double t : times) s->InsertPoint({t, value, 0.01});
    std::snprintf(s->fieldMetaData.filter, sizeof s->fieldMetaData.filter, "%s", filter);
    EXPECT_TRUE(object.InsertSeries(s));
    return s;
  }
  TBuildRequest Request() {
    TBuildRequest r;
    r.object = &object;
    r.options.showNow = false;
    r.options.showTime = false;
    return r;
  }
  std::vector<double> Xs(const CLightCurvePane& pane) const {
    std::vector<double> xs;
    for (const TChartPoint& p : pane.Points()) xs.push_back(p.x);
    return xs;
  }

  CObjectListElem object;
  CLightCurvePane chart;
  CLightCurveFitPane fit;
};

TEST_F(CurveDataTest, TimeSeriesTakesEnabledSeriesWithTheirOffsetsColoursAndMinima) {
  ombrix_data::CFilterTable filters;
  filters.Init();
  filters.Add("V", vcolor::RGBA(0, 200, 0));
  auto* a = AddSeries({kJD, kJD + 0.1}, 12.0, "V");
  auto* b = AddSeries({kJD + 5, kJD + 5.1, kJD + 5.2});
  auto* off = AddSeries({kJD + 9});
  off->enabled = false;
  a->offset = 0.25;
  a->minima.Add(ombrix_data::minPrimary, kJD + 0.05, 0.001);
  b->minima.Add(ombrix_data::minSecondary, kJD + 5.1, 0.001);
  b->minima.Add(ombrix_data::minUndefined, kJD + 5.15, 0.001, false);  // disabled: not shown
  TBuildRequest r = Request();
  r.filters = &filters;
  r.selected = b;
  ShowTimeSeries(chart, r);
  ASSERT_EQ(chart.Points().size(), 5u);
  EXPECT_EQ(chart.Points()[0].adjust, 0.25);
  EXPECT_EQ(chart.Points()[0].colour, vcolor::RGBA(0, 200, 0));
  EXPECT_EQ(chart.Points()[2].colour, ombrix_data::kNoFilterColour);
  ASSERT_EQ(chart.Markers().size(), 2u);
  EXPECT_EQ(chart.Markers()[0].colour, kPrimaryColour);
  EXPECT_EQ(chart.Markers()[1].colour, kSecondaryColour);
  EXPECT_EQ(chart.Markers()[1].kind, mkMinimum);
  EXPECT_DOUBLE_EQ(chart.DataMin(), kJD);
  EXPECT_DOUBLE_EQ(chart.DataMax(), kJD + 5.2);
  EXPECT_EQ(chart.YLabel(), "Mag");
  EXPECT_FALSE(chart.ScreenPoints()[0].selected);
  EXPECT_TRUE(chart.ScreenPoints()[2].selected);
  filters.Done();
}

TEST_F(CurveDataTest, NothingToShowClearsTheChart) {
  ShowTimeSeries(chart, Request());
  EXPECT_TRUE(chart.Points().empty());
  TBuildRequest none;
  ShowTimeSeries(chart, none);
  EXPECT_TRUE(chart.Points().empty());
  AddSeries({kJD, kJD + 1});
  ShowPhasedCurve(fit, Request(), ctPhasedCurve);  // M0 and P not set
  EXPECT_TRUE(fit.Points().empty());
}

TEST_F(CurveDataTest, CompressedSeriesShortensOnlyLongGaps) {
  AddSeries({kJD, kJD + 0.2});
  AddSeries({kJD + 0.26, kJD + 0.3});   // gap of exactly 0.06 d: kept
  AddSeries({kJD + 10.3, kJD + 10.4});  // gap of 10 d: shown as 0.06 d
  AddSeries({kJD + 10.41, kJD + 10.5}); // gap of 0.01 d: kept
  ShowCompressedSeries(chart, Request());
  const std::vector<double> xs = Xs(chart);
  ASSERT_EQ(xs.size(), 8u);
  EXPECT_NEAR(xs[2] - xs[1], 0.06, 1e-9);
  EXPECT_NEAR(xs[4] - xs[3], 0.06, 1e-9);
  EXPECT_NEAR(xs[6] - xs[5], 0.01, 1e-9);
  EXPECT_NEAR(xs[7], 0.2 + 0.06 + 0.04 + 0.06 + 0.1 + 0.01 + 0.09, 1e-9);
  // Boundary lines at each series' first and last compressed position.
  ASSERT_EQ(chart.Markers().size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_NEAR(chart.Markers()[i].x, xs[i], 1e-9) << i;
    EXPECT_EQ(chart.Markers()[i].colour, kGridColour);
    EXPECT_EQ(chart.Markers()[i].kind, mkPlain);
  }
  EXPECT_EQ(chart.XLabel(), "Days");
}

TEST_F(CurveDataTest, CompressedSeriesMinimaFollowTheirSeries) {
  AddSeries({kJD, kJD + 0.2});
  auto* b = AddSeries({kJD + 10, kJD + 10.2});
  b->minima.Add(ombrix_data::minPrimary, kJD + 10.1, 0.001);
  ShowCompressedSeries(chart, Request());
  ASSERT_EQ(chart.Markers().size(), 5u);
  EXPECT_NEAR(chart.Markers()[4].x, 0.2 + 0.06 + 0.1, 1e-9);
}

TEST_F(CurveDataTest, PhasedCurveWindows) {
  object.m0 = kJD;
  object.period = 1.0;
  AddSeries({kJD - 0.3, kJD + 5.8, kJD + 2.1});
  // Two cycles: a point at -0.3 is also at 0.7; 0.8 lies outside [-0.5, 0.5]
  // so it is at -0.2 and 0.8.
  ShowPhasedCurve(fit, Request(), ctPhasedCurve);
  std::vector<double> xs = Xs(fit);
  ASSERT_EQ(xs.size(), 6u);
  EXPECT_NEAR(xs[0], -0.3, 1e-9);
  EXPECT_NEAR(xs[1], 0.7, 1e-9);
  EXPECT_NEAR(xs[2], 0.1, 1e-9);
  EXPECT_NEAR(xs[3], -0.9, 1e-9);
  EXPECT_NEAR(xs[4], -0.2, 1e-9);
  EXPECT_NEAR(xs[5], 0.8, 1e-9);
  EXPECT_DOUBLE_EQ(fit.DataMin(), -1.05);
  EXPECT_DOUBLE_EQ(fit.DataMax(), 1.05);
  EXPECT_EQ(fit.XLabel(), "Phase");
  // One cycle from -0.25: 0.8 is at -0.2 only, -0.3 at 0.7 only.
  ShowPhasedCurve(fit, Request(), ctPhasedCurveFit);
  xs = Xs(fit);
  ASSERT_EQ(xs.size(), 3u);
  EXPECT_NEAR(xs[0], 0.7, 1e-9);
  EXPECT_NEAR(xs[1], 0.1, 1e-9);
  EXPECT_NEAR(xs[2], -0.2, 1e-9);
  EXPECT_DOUBLE_EQ(fit.DataMin(), -0.2625);
  EXPECT_DOUBLE_EQ(fit.DataMax(), 0.7875);
}

TEST_F(CurveDataTest, PhaseWindowHoldsEveryTime) {
  for (double h : {0.5, 0.25}) {
    for (double t = -50.3; t < 50; t += 0.37) {
      const double phase = PhaseInWindow(kJD + t, kJD, 0.7, h);
      EXPECT_GE(phase, -h - 1e-9) << t;
      EXPECT_LE(phase, 1 - h + 1e-9) << t;
      const double cycles = (t / 0.7) - phase;
      EXPECT_NEAR(cycles, std::round(cycles), 1e-6) << t;
    }
  }
}

TEST_F(CurveDataTest, PhasedCurveNowAndChosenTimeLinesAndTheStoredModel) {
  object.m0 = kJD;
  object.period = 2.0;
  AddSeries({kJD, kJD + 0.5, kJD + 1.0});
  TBuildRequest r = Request();
  r.options.showNow = true;
  r.options.now = kJD + 10.5;  // no coordinates: no correction
  r.options.showTime = true;
  r.options.chosenTime = kJD + 11.0;
  ShowPhasedCurve(fit, r, ctPhasedCurve);
  std::vector<TChartMarker> now, chosen;
  for (const TChartMarker& m : fit.Markers()) {
    if (m.kind == mkNow) now.push_back(m);
    if (m.kind == mkChosenTime) chosen.push_back(m);
  }
  ASSERT_EQ(now.size(), 2u);  // doubled on two cycles
  EXPECT_NEAR(now[0].x, 0.25, 1e-9);
  EXPECT_EQ(now[0].date, kJD + 10.5);
  EXPECT_EQ(now[0].colour, kNowColour);
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_NEAR(chosen[0].x, -0.5, 1e-9);
  EXPECT_EQ(chosen[0].colour, kChosenTimeColour);
  // The stored model is shown only when the fit is kept with the field.
  EXPECT_FALSE(fit.HasModel());
  ombrix_model::ResetFitParameters(object.fit);
  object.fit[ombrix_model::fpMag0] = 12.2;
  object.fitPresent = true;
  ShowPhasedCurve(fit, r, ctPhasedCurve);
  EXPECT_TRUE(fit.HasModel());
  EXPECT_FALSE(fit.CurveX().empty());
  r.options.showNow = r.options.showTime = false;
  ShowPhasedCurve(fit, r, ctPhasedCurve);
  for (const TChartMarker& m : fit.Markers()) EXPECT_EQ(m.kind, mkMinimum);
}

TEST_F(CurveDataTest, ModelCurveSamplesEveryTwoPixels) {
  object.m0 = kJD;
  object.period = 1.0;
  AddSeries({kJD, kJD + 0.25, kJD + 0.5}, 12.0);
  ombrix_model::TFitParameters p;
  ombrix_model::ResetFitParameters(p);
  p[ombrix_model::fpMag0] = 12.0;
  ShowPhasedCurve(fit, Request(), ctPhasedCurveFit, &p);
  const int inner = fit.PlotRect().width - 2 * fit.Inset();
  ASSERT_EQ(fit.CurveX().size(), static_cast<std::size_t>(inner / 2 + 1));
  EXPECT_EQ(fit.CurveX()[0], fit.PlotRect().x + fit.Inset());
  EXPECT_EQ(fit.CurveX()[1] - fit.CurveX()[0], 2);
  EXPECT_EQ(fit.CurveY()[0], fit.PixelY(ombrix_model::EvaluateLightCurveModel(p, 1.0 - 0.2625)));
}

TEST_F(CurveDataTest, MinimumMirrorReflectsAboutTheWindowCentre) {
  auto* s = AddSeries({kJD, kJD + 0.1, kJD + 0.3});
  s->minima.Add(ombrix_data::minPrimary, kJD + 0.12, 0.001);
  s->minima.Add(ombrix_data::minPrimary, kJD + 2, 0.001);  // outside the window
  TBuildRequest r = Request();
  r.selected = s;
  r.options.showMinima = false;
  double t1, t2;
  MirrorWindow(kJD, kJD + 0.3, 1000, t1, t2);
  EXPECT_DOUBLE_EQ(t1, kJD);
  EXPECT_NEAR(t2, kJD + 0.3 + 1.1 * 0.3 / 3, 1e-9);
  MirrorWindow(kJD, kJD + 0.3, -3000, t1, t2);
  EXPECT_NEAR(t1, kJD - 0.33, 1e-9);
  MirrorWindow(kJD, kJD + 0.3, 0, t1, t2);
  ShowMinimumMirror(chart, r, t1, t2);
  ASSERT_EQ(chart.Points().size(), 6u);
  EXPECT_EQ(chart.Points()[1].colour, kMirroredColour);
  EXPECT_NEAR(chart.Points()[1].x, kJD + 0.3, 1e-9);
  EXPECT_NEAR(chart.Points()[3].x, kJD + 0.2, 1e-9);
  ASSERT_EQ(chart.Markers().size(), 2u);
  EXPECT_EQ(chart.Markers()[1].colour, kMirrorAxisColour);
  EXPECT_NEAR(chart.Markers()[1].x, kJD + 0.15, 1e-9);
  EXPECT_DOUBLE_EQ(chart.DataMin(), t1);
  EXPECT_DOUBLE_EQ(chart.DataMax(), t2);
}

TEST_F(CurveDataTest, MinimumFitShowsTheWindowLimitsAndDrawsTheModelOnlyInsideIt) {
  std::vector<double> times;
  for (int i = 0; i < 20; ++i) times.push_back(kJD + 0.01 * i);
  CLocalSeriesTreeElem* s = AddSeries({});
  for (double t : times) s->InsertPoint({t, 12.0 + 0.5 * std::exp(-std::pow((t - kJD - 0.1) / 0.03, 2)), 0.01});
  s->minima.Add(ombrix_data::minPrimary, kJD + 0.1, 0.001);
  s->minima.Add(ombrix_data::minPrimary, kJD + 5.0, 0.001);  // outside the series: not shown
  CMinimumFitPane pane;
  pane.NewRect(vcom::CRect(0, 0, 640, 400));
  TBuildRequest r = Request();
  r.selected = s;
  ShowMinimumFit(pane, r, kJD + 0.05, kJD + 0.15, kJD + 0.1);
  EXPECT_EQ(pane.Points().size(), 20u);
  EXPECT_DOUBLE_EQ(pane.DataMin(), kJD);
  EXPECT_DOUBLE_EQ(pane.DataMax(), kJD + 0.19);
  int starts = 0, ends = 0, minima = 0;
  for (const TChartMarker& m : pane.Markers()) {
    starts += m.kind == mkFitStart && m.x == kJD + 0.05 && m.colour == kFitWindowColour;
    ends += m.kind == mkFitEnd && m.x == kJD + 0.15;
    minima += m.kind == mkMinimum;
  }
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(minima, 2);  // the series' minimum and the fitted one

  // The model is sampled every two pixels between the window's columns.
  double lastX = -1;
  pane.SetMinimumModel(kJD + 0.05, kJD + 0.15, [&](double x) {
    lastX = x;
    return 12.0 + 0.5 * std::exp(-std::pow((x - 0.5) / 0.3, 2));
  });
  ASSERT_GT(pane.CurveX().size(), 10u);
  EXPECT_EQ(pane.CurveX().front(), pane.PixelX(kJD + 0.05));
  EXPECT_EQ(pane.CurveX()[1] - pane.CurveX()[0], 2);
  EXPECT_NEAR(lastX, 1.0, 1e-9);
  // Zoomed to the right half only the visible part of the window is drawn.
  pane.SetViewRange(kJD + 0.1, kJD + 0.19, false, false);
  EXPECT_EQ(pane.CurveX().front(), pane.PixelX(kJD + 0.1));
  // A rebuild forgets the model.
  ShowMinimumFit(pane, r, kJD + 0.05, kJD + 0.15, 0.0);
  EXPECT_TRUE(pane.CurveX().empty());
  EXPECT_FALSE(pane.HasMinimumModel());
}

TEST(SliderFormulas, PeriodOffsetAndMultiplier) {
  EXPECT_DOUBLE_EQ(PeriodFromSlider(1.0, 0.1, 0), 1.0);
  EXPECT_DOUBLE_EQ(PeriodFromSlider(1.0, 0.1, 3000), 1.0 + 3000 * 0.2 / 6001);
  EXPECT_EQ(SliderFromPeriod(1.05, 1.0, 0.1), 1500);
  EXPECT_EQ(SliderFromPeriod(2.0, 1.0, 0.1), 3000);  // beyond the slider: its end
  EXPECT_EQ(SliderFromPeriod(1.0, 1.0, 0.0), 0);
  EXPECT_DOUBLE_EQ(OffsetFromSlider(0.5, 0.1, -3000), 0.5 + 0.2 * 3000 / 6001);
  EXPECT_NEAR(MultiplierFromSlider(2.0, 4.0, -3000), 2.0 / 4.0, 1e-12);
  EXPECT_NEAR(MultiplierFromSlider(2.0, 4.0, 3001), 2.0 * 4.0, 1e-12);
}

}  // namespace

namespace {

using namespace ombrix_lc;

// Pixels that are not white.
int InkedPixels(const vimage::CImage& image) {
  int n = 0;
  for (int y = 0; y < image.Height(); ++y) {
    const unsigned char* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x) n += (row[4 * x] & row[4 * x + 1] & row[4 * x + 2]) != 255;
  }
  return n;
}

TEST_F(CurveDataTest, DrawsChartTabsOffScreenAndRefusesTheOthers) {
  view::EnsureApplication();
  object.m0 = kJD;
  object.period = 0.3;
  auto* s = AddSeries({kJD, kJD + 0.05, kJD + 0.1, kJD + 0.15, kJD + 0.2});
  s->value[2] = 12.6;
  TBuildRequest r = Request();
  r.selected = s;
  for (int tab : {1, 2, 3, 4, 5}) {
    vimage::CImage image;
    std::string why;
    ASSERT_TRUE(DrawChartTab(tab, r, 400, 300, image, why)) << tab << why;
    EXPECT_EQ(image.Width(), 400);
    EXPECT_EQ(image.Height(), 300);
    EXPECT_GT(InkedPixels(image), 1500) << tab;  // axes, labels and points
  }
  vimage::CImage image;
  std::string why;
  // Without minima or a site the ETV and the Prediction are axes only.
  EXPECT_TRUE(DrawChartTab(7, r, 400, 300, image, why)) << why;
  EXPECT_TRUE(DrawChartTab(11, r, 400, 300, image, why)) << why;
  EXPECT_TRUE(DrawChartTab(6, r, 400, 300, image, why)) << why;
  EXPECT_FALSE(DrawChartTab(9, r, 400, 300, image, why));
  EXPECT_EQ(why, "tab 9 is not a chart");
  r.selected = nullptr;
  EXPECT_FALSE(DrawChartTab(5, r, 400, 300, image, why));
  EXPECT_FALSE(DrawChartTab(1, r, 0, 300, image, why));
}

}  // namespace
