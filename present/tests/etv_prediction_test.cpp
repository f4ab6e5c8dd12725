// The ETV Diagram's O-C and the Prediction chart: model range, altitudes
// against astropy, stripes, observability events and the site boxes.
#include <gtest/gtest.h>
#include <ombrix_testsupport/c_numbers.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <winkit/view.h>

#include "ombrix_present/chart_page.h"
#include "ombrix_present/curve_data.h"

namespace {

using namespace ombrix_lc;
using ombrix_data::CLocalSeriesTreeElem;

constexpr double kM0 = 2459000.0;
constexpr double kPeriod = 0.8;
// 2023-02-24 12:00 UTC: the Sun is up over central Europe.
constexpr double kNoon = 2460000.0;

TPredictionSite CentralEurope() {
  TPredictionSite site;
  site.latitude = 49.2;
  site.longitude = 16.6;
  return site;
}

TEST(ETVTest, HalfPeriodMinimaRoundAwayFromZeroAndSecondariesCountFromTheMiddle) {
  using ombrix_data::minPrimary;
  using ombrix_data::minSecondary;
  const double p = 0.5;  // halves of it are exact at these dates
  EXPECT_DOUBLE_EQ(ObservedMinusComputed(kM0 + p / 2, minPrimary, kM0, p), -p / 2);
  EXPECT_DOUBLE_EQ(ObservedMinusComputed(kM0 - p / 2, minPrimary, kM0, p), p / 2);
  EXPECT_DOUBLE_EQ(ObservedMinusComputed(kM0 + p / 2, minSecondary, kM0, p), 0.0);
  EXPECT_NEAR(ObservedMinusComputed(kM0 + 10 * kPeriod + 0.01, minPrimary, kM0, kPeriod), 0.01, 1e-9);
  EXPECT_NEAR(ObservedMinusComputed(kM0 - 7 * kPeriod - 0.02, ombrix_data::minUndefined, kM0, kPeriod), -0.02, 1e-9);
}

class ETVChartTest : public ::testing::Test {
 protected:
  ETVChartTest() {
    object.Init();
    object.m0 = kM0;
    object.period = kPeriod;
    chart.NewRect(vcom::CRect(0, 0, 640, 400));
  }
  ~ETVChartTest() override { object.Done(); }
  CLocalSeriesTreeElem* AddSeries(double t) {
    auto* s = new CLocalSeriesTreeElem;
    s->InsertPoint({t, 12.0, 0.01});
    s->dataMetaData.jdType = ombrix_data::jdHeliocentric;  // the scale of M0
    EXPECT_TRUE(object.InsertSeries(s));
    return s;
  }
  TBuildRequest Request() {
    TBuildRequest r;
    r.object = &object;
    return r;
  }
  ombrix_data::CObjectListElem object;
  CLightCurvePane chart;
};

TEST_F(ETVChartTest, EnabledMinimaBecomeColouredPointsAboveAZeroLine) {
  auto* a = AddSeries(kM0);
  a->minima.Add(ombrix_data::minPrimary, kM0 + 3 * kPeriod + 0.004, 0.001);
  a->minima.Add(ombrix_data::minSecondary, kM0 + 4.5 * kPeriod - 0.002, 0.002);
  a->minima.Add(ombrix_data::minPrimary, kM0 + 5 * kPeriod, 0.001);
  static_cast<ombrix_data::CMinimaListElem*>(a->minima.first->next->next)->enabled = false;
  auto* b = AddSeries(kM0 + 50);
  b->minima.Add(ombrix_data::minPrimary, kM0 + 60 * kPeriod, 0.0);
  b->enabled = false;
  ShowETV(chart, Request());
  ASSERT_EQ(chart.Points().size(), 2u);
  EXPECT_NEAR(chart.Points()[0].value, 0.004, 1e-9);
  EXPECT_NEAR(chart.Points()[1].value, -0.002, 1e-9);
  EXPECT_EQ(chart.Points()[0].colour, kPrimaryColour);
  EXPECT_EQ(chart.Points()[1].colour, kSecondaryColour);
  EXPECT_EQ(chart.Points()[1].error, 0.002);
  EXPECT_EQ(chart.Points()[1].series, a);
  EXPECT_TRUE(chart.IsFlux());
  EXPECT_EQ(chart.PointRadius(), vcore::ScaleH(4));
  EXPECT_EQ(chart.XLabel(), "HJD");  // the scale of the minima
  EXPECT_EQ(chart.YLabel(), "Days");
  // Values grow upward; error bars widen the range when shown.
  EXPECT_LT(chart.ScreenPoints()[0].y, chart.ScreenPoints()[1].y);
  EXPECT_NEAR(chart.ValueMax(), 0.005, 1e-9);
  TBuildRequest noBars = Request();
  noBars.options.showDev = false;
  ShowETV(chart, noBars);
  EXPECT_NEAR(chart.ValueMax(), 0.004, 1e-9);
}

TEST_F(ETVChartTest, WithoutAPeriodTheChartKeepsOnlyItsAxes) {
  AddSeries(kM0)->minima.Add(ombrix_data::minPrimary, kM0 + 1, 0.001);
  object.period = 0;
  ShowETV(chart, Request());
  EXPECT_TRUE(chart.Points().empty());
  EXPECT_TRUE(chart.XTicks().empty());
  view::EnsureApplication();
  vimage::CImage image;
  ASSERT_TRUE(chart.ExportImage(200, 150, image));
}

// ------------------------------------------------------------ prediction

class PredictionTest : public ::testing::Test {
 protected:
  PredictionTest() { chart.NewRect(vcom::CRect(0, 0, 800, 600)); }
  void Show(const TPredictionSite& site, double days, const ombrix_model::TFitParameters* model = nullptr,
            double ra = 1.0, double dec = 0.6) {
    chart.SetObject(kM0, kPeriod, model, ra, dec);
    chart.SetSite(site);
    chart.SetSpan(kNoon, kNoon + days);
    chart.Layout();
  }
  static int LabelledMarkers(const CLightCurvePane& pane) {
    int n = 0;
    for (const TChartMarker& m : pane.Markers()) n += m.date != 0.0;
    return n;
  }
  CPredictionPane chart;
};

TEST_F(PredictionTest, AFlatModelGetsAnAxisWidenedByHalfAHundredthOnEachSide) {
  ombrix_model::TFitParameters model;
  ombrix_model::ResetFitParameters(model);
  model[ombrix_model::fpMag0] = 12.0;
  model[ombrix_model::fpAPri] = 0.0;
  model[ombrix_model::fpASec] = 0.0;
  model[ombrix_model::fpACos1] = 0.002;
  Show(TPredictionSite{}, 1.0, &model);
  const auto& x = chart.SampleX();
  ASSERT_EQ(chart.ModelValues().size(), x.size());
  EXPECT_EQ(static_cast<int>(x.size()), (chart.PlotRect().width - 2 * chart.Inset()) / 2 + 1);
  EXPECT_EQ(x[1] - x[0], 2);
  EXPECT_NEAR(chart.ValueMax() - chart.ValueMin(), 0.014, 1e-4);
  EXPECT_NEAR((chart.ValueMax() + chart.ValueMin()) / 2, 12.0, 1e-4);
  EXPECT_FALSE(chart.YTicks().empty());
  // Without a model the upper chart has no value axis, the x axis stays.
  Show(TPredictionSite{}, 1.0, nullptr);
  EXPECT_TRUE(chart.ModelValues().empty());
  EXPECT_TRUE(chart.YTicks().empty());
  EXPECT_FALSE(chart.XTicks().empty());
}

TEST_F(PredictionTest, ASiteAtLatitudeOrLongitudeZeroHasNoAltitudesStripesOrEvents) {
  TPredictionSite site = CentralEurope();
  site.useSunAlt = true;
  for (int zero = 0; zero < 2; ++zero) {
    TPredictionSite s = site;
    (zero == 0 ? s.latitude : s.longitude) = 0.0;
    Show(s, 3.0);
    EXPECT_TRUE(chart.SunAltitudes().empty());
    EXPECT_TRUE(chart.StarAltitudes().empty());
    EXPECT_TRUE(chart.Stripes().empty());
    EXPECT_TRUE(chart.Markers().empty());
    EXPECT_EQ(chart.AltitudeMin(), kNoAltitude);
  }
  Show(site, 3.0);
  EXPECT_EQ(chart.SunAltitudes().size(), chart.SampleX().size());
  EXPECT_EQ(chart.StarAltitudes().size(), chart.SampleX().size());
  EXPECT_FALSE(chart.AltitudeTicks().empty());
  // Unknown coordinates: the Sun only.
  Show(site, 3.0, nullptr, -1.0, 91.0);
  EXPECT_TRUE(chart.StarAltitudes().empty());
  EXPECT_FALSE(chart.SunAltitudes().empty());
}

TEST_F(PredictionTest, SixEventsLoseTheirLabelsAndFourKeepThem) {
  TPredictionSite site = CentralEurope();
  site.useSunAlt = true;  // sunsets begin, sunrises end the night
  Show(site, 2.0);
  ASSERT_EQ(chart.Events().size(), 4u);
  EXPECT_TRUE(chart.Events()[0].begins);
  EXPECT_FALSE(chart.Events()[1].begins);
  EXPECT_EQ(chart.Markers()[0].colour, kBeginsColour);
  EXPECT_EQ(chart.Markers()[1].colour, kEndsColour);
  EXPECT_EQ(LabelledMarkers(chart), 4);
  // The model is grey while the Sun is up at the start.
  EXPECT_EQ(chart.FirstPieceColour(), kBeginsColour);
  for (const TObservabilityEvent& e : chart.Events()) {
    EXPECT_GE(chart.SunAltitudes()[e.sample + (e.begins ? 0 : 1)], site.sunAlt);
    EXPECT_LT(chart.SunAltitudes()[e.sample + (e.begins ? 1 : 0)], site.sunAlt);
  }
  Show(site, 3.0);
  EXPECT_EQ(chart.Events().size(), 6u);
  EXPECT_EQ(chart.Markers().size(), 6u);
  EXPECT_EQ(LabelledMarkers(chart), 0);
}

TEST_F(PredictionTest, BothLimitsNeedTheStarUpAndTheSunDown) {
  TPredictionSite site = CentralEurope();
  site.useSunAlt = site.useStarAlt = true;
  site.starAlt = 30;
  Show(site, 3.0, nullptr, 1.0, 0.6);  // RA 3.8 h, Dec +34 deg
  ASSERT_FALSE(chart.Events().empty());
  const auto& star = chart.StarAltitudes();
  const auto& sun = chart.SunAltitudes();
  for (const TObservabilityEvent& e : chart.Events()) {
    const int after = e.sample + 1;
    const bool observableAfter = star[after] >= site.starAlt && sun[after] < site.sunAlt;
    EXPECT_EQ(e.begins, observableAfter) << e.sample;
  }
}

TEST_F(PredictionTest, StripesCoverTheSamplesByTwilightClass) {
  Show(CentralEurope(), 2.0);
  const auto& stripes = chart.Stripes();
  const auto& x = chart.SampleX();
  ASSERT_GE(stripes.size(), 9u);  // day, three twilights, night, three twilights, day...
  EXPECT_EQ(stripes.front().x, x.front());
  EXPECT_EQ(stripes.back().x + stripes.back().width, x.back());
  for (std::size_t i = 1; i < stripes.size(); ++i) {
    EXPECT_EQ(stripes[i].x, stripes[i - 1].x + stripes[i - 1].width);
    EXPECT_EQ(std::abs(stripes[i].twilight - stripes[i - 1].twilight), 1);
  }
  EXPECT_EQ(stripes.front().twilight, 4);
  EXPECT_EQ(TwilightClass(-18), 0);
  EXPECT_EQ(TwilightClass(-17.9), 1);
  EXPECT_EQ(TwilightClass(0), 3);
}

// The reference table was written by bench/ombrix_present/sun_altitude_astropy.py.
TEST(SunAltitudeTest, AgreesWithAstropyOverFortyYears) {
  const ombrix_test::CCNumbers cNumbers;  // the table has decimal points whatever the locale
  std::ifstream in(std::string(OMBRIX_TEST_DATA) + "/sun_altitude_astropy.txt");
  ASSERT_TRUE(in);
  std::string line;
  double latitude = 0, longitude = 0, worst = 0;
  int count = 0;
  while (std::getline(in, line)) {
    if (line.rfind("# latitude", 0) == 0) {
      std::sscanf(line.c_str(), "# latitude %lf longitude %lf", &latitude, &longitude);
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    double jd = 0, expected = 0;
    std::istringstream(line) >> jd >> expected;
    worst = std::max(worst, std::fabs(SunAltitude(jd, latitude, longitude) - expected));
    ++count;
  }
  EXPECT_EQ(count, 200);
  ASSERT_NE(latitude, 0.0);
  EXPECT_LT(worst, 0.03) << "worst difference " << worst << " degrees";
  std::printf("worst Sun altitude difference against astropy: %.4f degrees\n", worst);
}

TEST(SiteBoxesTest, DegreesMinutesSecondsTakeTheSignOfTheDegreesOrTheirMinus) {
  EXPECT_DOUBLE_EQ(DegreesFromDMS(49, 30, 36, false), 49.51);
  EXPECT_DOUBLE_EQ(DegreesFromDMS(-16, 30, 0, true), -16.5);
  EXPECT_DOUBLE_EQ(DegreesFromDMS(0, 30, 0, true), -0.5);
  EXPECT_DOUBLE_EQ(DegreesFromDMS(0, 30, 0, false), 0.5);
}

TEST(PredictionPageTest, TheEndMovesTheStartWhenTooCloseAndSetsTheRange) {
  view::EnsureApplication();
  view::CNodeView parent;
  ASSERT_TRUE(parent.Init(nullptr, vcom::CRect(0, 0, 900, 700)));
  CPredictionPage page;
  ASSERT_TRUE(page.Init(&parent, vcom::CRect(0, 0, 900, 700)));
  TPredictionSite site = CentralEurope();
  page.SetSettings(site, 2.0);
  page.SetStart(kNoon);
  EXPECT_DOUBLE_EQ(page.End(), kNoon + 2.0);
  page.SetEnd(kNoon + 0.5);
  EXPECT_DOUBLE_EQ(page.Days(), 0.5);
  EXPECT_NEAR(page.rangeBox.Value(), 0.5, 1e-9);
  page.SetEnd(kNoon + 0.01);  // closer than an hour
  EXPECT_NEAR(page.Start(), kNoon + 0.01 - 1.0 / 24, 1e-9);
  EXPECT_NEAR(page.Days(), 1.0 / 24, 1e-9);
  // A fraction in the degree box fills minutes and seconds.
  page.latitude[0].SetText("-0.5", true);
  EXPECT_EQ(page.latitude[0].Text(), "-0");
  EXPECT_EQ(page.latitude[1].Text(), "30");
  EXPECT_DOUBLE_EQ(page.Site().latitude, -0.5);
  EXPECT_DOUBLE_EQ(page.Site().longitude, 16.6);
  page.Done();
  parent.Done();
}

}  // namespace
