// The chart tabs on the sample field: what selecting objects and series,
// switching tabs, the sliders and the zoom commands do to the charts.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <string>

#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"
#include "sample_field_window.h"
#include <ombrix_testsupport/temp_folder.h>

using namespace ombrix_app;

namespace {

class ChartTabsTest : public SampleFieldWindowTest {
 protected:
  static std::uint32_t EnabledPoints(const ombrix_data::CObjectListElem& o) {
    std::uint32_t n = 0;
    for (auto* s = o.FirstSeries(); s; s = o.NextSeries(s)) n += s->enabled ? s->pointCount : 0;
    return n;
  }
};

TEST_F(ChartTabsTest, EveryObjectFillsTheTimeSeriesWithItsEnabledPoints) {
  ASSERT_EQ(Pane().field.Count(), 5u);
  ASSERT_EQ(Pane().ActiveTab(), 1);
  for (std::int32_t i = 0; i < 5; ++i) {
    ASSERT_TRUE(Pane().SelectObject(i));
    const ombrix_data::CObjectListElem& o = *Pane().SelectedObject();
    const ombrix_lc::CLightCurvePane& chart = Pane().timeSeriesPage.Chart();
    EXPECT_EQ(chart.Points().size(), EnabledPoints(o)) << o.name;
    EXPECT_EQ(chart.XLabel(), "HJD") << o.name;  // the scale of the series' times
    EXPECT_EQ(chart.YLabel(), o.fluxFlag ? "Flux" : "Mag");
    if (EnabledPoints(o) > 1) {
      EXPECT_FALSE(chart.XTicks().empty()) << o.name;
    }
  }
  // Disabling a series takes its points out.
  ASSERT_TRUE(Pane().SelectObject(0));
  auto* first = Pane().SelectedObject()->FirstSeries();
  const std::uint32_t before = EnabledPoints(*Pane().SelectedObject());
  first->enabled = false;
  Pane().RefreshSeriesList();
  EXPECT_EQ(Pane().timeSeriesPage.Chart().Points().size(), before - first->pointCount);
  first->enabled = true;
}

TEST_F(ChartTabsTest, TabsBuildTheirChartsAndPhasedTabsEnableTheDatePicker) {
  ASSERT_TRUE(Pane().SelectObject(0));
  const std::uint32_t points = EnabledPoints(*Pane().SelectedObject());
  ShowTab(2);
  EXPECT_EQ(Pane().compressedPage.Chart().Points().size(), points);
  EXPECT_EQ(Pane().compressedPage.Chart().XLabel(), "Days");
  EXPECT_FALSE(window.dateTimePicker.IsEnabled());
  ShowTab(3);
  EXPECT_EQ(Pane().phasedPage.Chart().Points().size(), 2 * points);
  EXPECT_TRUE(Pane().phasedPage.PhasedChart()->HasModel());  // the sample's fit is kept with the field
  EXPECT_TRUE(window.dateTimePicker.IsEnabled());
  window.Command(cmShowTime);
  EXPECT_FALSE(window.dateTimePicker.IsEnabled());
  window.Command(cmShowTime);
  Pane().SelectSeries(0);
  ShowTab(5);
  EXPECT_EQ(Pane().mirrorPage.Chart().Points().size(), 2 * Pane().SelectedSeries()->pointCount);
  EXPECT_FALSE(window.dateTimePicker.IsEnabled());
}

TEST_F(ChartTabsTest, PeriodSliderSetsThePeriodAndRebuildsThePhasedChartKeepingTheZoom) {
  ASSERT_TRUE(Pane().SelectObject(0));
  ombrix_data::CObjectListElem& o = *Pane().SelectedObject();
  const double saved = o.period;
  ShowTab(3);
  ombrix_lc::CLightCurvePane& chart = Pane().phasedPage.Chart();
  window.Command(cmZoomIn);
  const double zoomMin = chart.VisibleMin(), zoomMax = chart.VisibleMax();
  ASSERT_GT(zoomMin, chart.DataMin());
  const double x0 = chart.Points()[0].x;
  Pane().controls.periodSlider.SetPosition(1500, true);
  EXPECT_DOUBLE_EQ(o.period, saved + 1500 * 2 * o.periodAmplitude / 6001);
  EXPECT_NE(chart.Points()[0].x, x0);
  EXPECT_DOUBLE_EQ(chart.VisibleMin(), zoomMin);
  EXPECT_DOUBLE_EQ(chart.VisibleMax(), zoomMax);
  EXPECT_TRUE(window.IsModified());
  // Typing a period moves the slider; "Restore" brings the saved period back.
  Pane().controls.periodBox.SetText("1.1", true);
  EXPECT_DOUBLE_EQ(o.period, 1.1);
  EXPECT_EQ(Pane().controls.periodSlider.Position(), static_cast<int>((1.1 - saved) / o.periodAmplitude * 3000));
  Pane().controls.periodBox.SetText("-2", true);  // not taken
  EXPECT_DOUBLE_EQ(o.period, 1.1);
  Pane().controls.doublePeriod.Press();
  EXPECT_DOUBLE_EQ(o.period, 2.2);
  Pane().controls.restorePeriod.Press();
  EXPECT_DOUBLE_EQ(o.period, saved);
  EXPECT_EQ(Pane().controls.periodSlider.Position(), 0);
  // Switching tab shows the whole range again.
  ShowTab(1);
  ShowTab(3);
  EXPECT_DOUBLE_EQ(chart.VisibleMin(), chart.DataMin());
}

TEST_F(ChartTabsTest, OffsetSliderMovesOnlyTheSelectedSeries) {
  ASSERT_TRUE(Pane().SelectObject(0));
  ombrix_data::CObjectListElem& o = *Pane().SelectedObject();
  ASSERT_FALSE(o.fluxFlag);
  ASSERT_GE(Pane().SeriesCount(), 2u);
  Pane().SelectSeries(1);
  const ombrix_data::CSeriesTreeElem* moved = Pane().SelectedSeries();
  const ombrix_lc::CLightCurvePane& chart = Pane().timeSeriesPage.Chart();
  std::vector<double> before;
  for (const ombrix_lc::TChartPoint& p : chart.Points()) before.push_back(p.adjust);
  const double savedOffset = moved->offset;
  Pane().controls.offsetSlider.SetPosition(-3000, true);
  const double expected = savedOffset + 2 * o.offsetAmplitude * 3000 / 6001;
  EXPECT_DOUBLE_EQ(moved->offset, expected);
  ASSERT_EQ(chart.Points().size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    const ombrix_lc::TChartPoint& p = chart.Points()[i];
    EXPECT_DOUBLE_EQ(p.adjust, p.series == moved ? expected : before[i]) << i;
    if (p.series == moved) {
      EXPECT_TRUE(chart.ScreenPoints()[i].selected);
    }
  }
  Pane().controls.restoreOffset.Press();
  EXPECT_DOUBLE_EQ(moved->offset, savedOffset);
}

TEST_F(ChartTabsTest, MirrorSliderMovesTheWindowAndAddMinimumStoresIt) {
  ASSERT_TRUE(Pane().SelectObject(0));
  Pane().SelectSeries(0);
  ombrix_data::CSeriesTreeElem* s = Pane().SelectedSeries();
  ShowTab(5);
  ombrix_lc::CMirrorPage& page = Pane().mirrorPage;
  EXPECT_DOUBLE_EQ(page.WindowStart(), s->FirstTime());
  page.slider.SetPosition(-1500, true);
  const double span = s->LastTime() - s->FirstTime();
  EXPECT_NEAR(page.WindowStart(), s->FirstTime() - 0.55 * span, 1e-9);
  EXPECT_DOUBLE_EQ(page.WindowEnd(), s->LastTime());
  const std::uint32_t minima = s->minima.count;
  page.addMinimum.Press();
  ASSERT_EQ(s->minima.count, minima + 1);
  const auto* added = static_cast<const ombrix_data::CMinimaListElem*>(s->minima.last);
  EXPECT_NEAR(added->time, (page.WindowStart() + page.WindowEnd()) / 2, 1e-5);
  EXPECT_EQ(added->type, ombrix_data::minPrimary);
  EXPECT_TRUE(window.IsModified());
  EXPECT_EQ(Pane().minima.list.Count(), static_cast<int>(minima + 1));
}

}  // namespace
