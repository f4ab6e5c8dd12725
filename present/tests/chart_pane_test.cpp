// Ranges, ticks, layout and zoom of the chart pane, checked on panes laid out
// at a fixed size without a window.
#include <gtest/gtest.h>

#include <winkit/vcont.h>
#include <winkit/view.h>

#include "ombrix_present/chart_pane.h"

namespace {

using namespace ombrix_lc;

constexpr int kWidth = 576, kHeight = 364;

// A pane of kWidth x kHeight holding points at x = 0, 1, ... with the given values.
void Fill(CLightCurvePane& pane, std::initializer_list<double> values, double error = 0.0) {
  pane.NewRect(vcom::CRect(0, 0, kWidth, kHeight));
  pane.ReservePoints(static_cast<std::uint32_t>(values.size()));
  double x = 0;
  for (double v : values) pane.AppendPoint(x++, v, error, 0.0, vcolor::Black, nullptr);
  pane.AutoScale(0, 0, false, false, false);
}

TEST(TickRules, StepIsTwoFiveOrTenTimesThePowerOfTen) {
  EXPECT_DOUBLE_EQ(TickStep(1.0), 2.0);  // exactly a power: twice it
  EXPECT_DOUBLE_EQ(TickStep(0.01), 0.02);
  EXPECT_DOUBLE_EQ(TickStep(100.0), 200.0);
  EXPECT_DOUBLE_EQ(TickStep(1.9), 2.0);
  EXPECT_DOUBLE_EQ(TickStep(3.0), 5.0);
  EXPECT_DOUBLE_EQ(TickStep(0.5), 0.5);
  EXPECT_DOUBLE_EQ(TickStep(7.0), 10.0);
  EXPECT_DOUBLE_EQ(TickStep(0.0), 0.0);
  EXPECT_EQ(TickDecimals(0.01), 3);
  EXPECT_EQ(TickDecimals(0.001), 3);
  EXPECT_EQ(TickDecimals(0.0005), 4);
  EXPECT_EQ(TickDecimals(0.0001), 4);
  EXPECT_EQ(TickDecimals(0.00005), 5);
}

TEST(TickRules, LightenColourMapsEachChannelAndKeepsAlpha) {
  struct {
    unsigned in, out;
  } cases[] = {{0, 190},   {10, 200},  {11, 161},  {80, 230},  {81, 181},  {130, 230}, {131, 186},
               {180, 235}, {181, 206}, {220, 245}, {221, 231}, {240, 250}, {241, 244}, {250, 253},
               {251, 253}, {253, 255}, {254, 255}, {255, 255}};
  for (const auto& c : cases) {
    const TColor lit = LightenColour(vcolor::RGBA(c.in, 0, 255, 0x40));
    EXPECT_EQ(vcolor::Red(lit), c.out) << c.in;
    EXPECT_EQ(vcolor::Green(lit), 190u);
    EXPECT_EQ(vcolor::Blue(lit), 255u);
    EXPECT_EQ(vcolor::Alpha(lit), 0x40u);
  }
}

TEST(ChartLayout, SinglePointShowsNoTicks) {
  CLightCurvePane pane;
  Fill(pane, {12.0});
  EXPECT_TRUE(pane.XTicks().empty());
  EXPECT_TRUE(pane.YTicks().empty());
}

TEST(ChartLayout, TicksStandOnMultiplesInsideTheAxes) {
  CLightCurvePane pane;
  Fill(pane, {12.0, 12.37, 12.5, 12.1, 12.2, 12.3, 12.4, 12.45, 12.05, 12.25, 12.15});
  // 10 days across 500 pixels at 80 pixels a label: raw step 10/6, step 2.
  ASSERT_EQ(pane.XTicks().size(), 5u);
  EXPECT_DOUBLE_EQ(pane.XTicks()[0].value, 0.0);
  EXPECT_DOUBLE_EQ(pane.XTicks()[4].value, 8.0);
  const vcom::CRect plot = pane.PlotRect();
  EXPECT_EQ(pane.XTicks()[0].pixel, plot.x + pane.Inset());
  // Magnitudes count down from the largest multiple at or below the maximum.
  ASSERT_FALSE(pane.YTicks().empty());
  EXPECT_DOUBLE_EQ(pane.YTicks()[0].value, 12.5);
  EXPECT_EQ(pane.YDecimals(), 3);
  for (std::size_t i = 1; i < pane.YTicks().size(); ++i) {
    EXPECT_LT(pane.YTicks()[i].value, pane.YTicks()[i - 1].value);
    EXPECT_LT(pane.YTicks()[i].pixel, pane.YTicks()[i - 1].pixel);  // smaller magnitudes higher
  }
  for (const TTick& t : pane.YTicks()) EXPECT_GE(t.value, pane.ValueMin() - 1e-12);
}

TEST(ChartLayout, MagnitudesGrowDownwardsFluxesUpwards) {
  CLightCurvePane mag;
  Fill(mag, {10.0, 11.0});
  const vcom::CRect plot = mag.PlotRect();
  const int d = mag.Inset();
  EXPECT_EQ(mag.ScreenPoints()[0].y, plot.y + d);
  EXPECT_EQ(mag.ScreenPoints()[1].y, plot.y + plot.height - d);
  EXPECT_EQ(mag.ScreenPoints()[0].x, plot.x + d);
  EXPECT_EQ(mag.ScreenPoints()[1].x, plot.x + plot.width - d);

  CLightCurvePane flux;
  flux.SetFlux(true);
  flux.NewRect(vcom::CRect(0, 0, kWidth, kHeight));
  flux.ReservePoints(2);
  flux.AppendPoint(0, 1.0, 0, 2.0, vcolor::Black, nullptr);  // shown as 2
  flux.AppendPoint(1, 2.0, 0, 2.0, vcolor::Black, nullptr);  // shown as 4
  flux.AutoScale(0, 0, false, false, false);
  EXPECT_DOUBLE_EQ(flux.ValueMin(), 2.0);
  EXPECT_DOUBLE_EQ(flux.ValueMax(), 4.0);
  EXPECT_EQ(flux.ScreenPoints()[0].y, plot.y + plot.height - d);
  EXPECT_EQ(flux.ScreenPoints()[1].y, plot.y + d);
  ASSERT_FALSE(flux.YTicks().empty());
  EXPECT_DOUBLE_EQ(flux.YTicks()[0].value, 2.0);  // fluxes count up from the minimum
}

TEST(ChartLayout, ValuesOfHundredAndMoreAreNeitherDrawnNorCounted) {
  CLightCurvePane pane;
  Fill(pane, {12.0, 99.99, 100.0, 12.5}, 0.01);
  EXPECT_DOUBLE_EQ(pane.ValueMax(), 99.99 + 0.01);
  EXPECT_DOUBLE_EQ(pane.ValueMin(), 12.0 - 0.01);
  EXPECT_EQ(pane.ScreenPoints()[2].y, -1);
  EXPECT_GE(pane.ScreenPoints()[1].y, 0);
  Fill(pane, {12.0, 150.0, 12.5});
  EXPECT_DOUBLE_EQ(pane.ValueMax(), 12.5);
}

TEST(ChartLayout, ErrorBarsWidenTheValueRangeOnlyWhenShown) {
  CLightCurvePane pane;
  Fill(pane, {12.0, 13.0}, 0.1);
  EXPECT_DOUBLE_EQ(pane.ValueMin(), 11.9);
  EXPECT_DOUBLE_EQ(pane.ValueMax(), 13.1);
  EXPECT_GT(pane.ScreenPoints()[0].error, 0);
  pane.SetShowErrors(false);
  pane.AutoScale(0, 0, false, false, false);
  EXPECT_DOUBLE_EQ(pane.ValueMin(), 12.0);
  EXPECT_DOUBLE_EQ(pane.ValueMax(), 13.0);
}

TEST(ChartZoom, WheelKeepsThePointUnderTheCursorAndClearZoomRestores) {
  CLightCurvePane pane;
  Fill(pane, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  const vcom::CRect plot = pane.PlotRect();
  const int inner = plot.width - 2 * pane.Inset();
  const int cursor = plot.x + pane.Inset() + inner / 4;
  const double before = pane.VisibleMin() + (pane.VisibleMax() - pane.VisibleMin()) / 4;
  for (int i = 0; i < 5; ++i) pane.WheelZoom(cursor, 1);
  EXPECT_LT(pane.VisibleMax() - pane.VisibleMin(), 10.0 * 0.6);
  const double after = pane.VisibleMin() + (pane.VisibleMax() - pane.VisibleMin()) / 4;
  EXPECT_NEAR(after, before, 1e-9);
  // At the left edge the left end stays.
  pane.ClearZoom();
  pane.WheelZoom(plot.x + pane.Inset(), 1);
  EXPECT_DOUBLE_EQ(pane.VisibleMin(), 0.0);
  EXPECT_DOUBLE_EQ(pane.VisibleMax(), 9.0);
  // Outside the plot the wheel does nothing.
  pane.WheelZoom(plot.x - 5, 1);
  EXPECT_DOUBLE_EQ(pane.VisibleMax(), 9.0);
  pane.ClearZoom();
  EXPECT_DOUBLE_EQ(pane.VisibleMin(), pane.DataMin());
  EXPECT_DOUBLE_EQ(pane.VisibleMax(), pane.DataMax());
}

TEST(ChartZoom, ZoomCommandsAndZoomKeptThroughRebuilds) {
  CLightCurvePane pane;
  Fill(pane, {1, 2, 3, 4, 5, 6, 7});  // x 0..6
  pane.ZoomIn();
  EXPECT_DOUBLE_EQ(pane.VisibleMin(), 1.0);
  EXPECT_DOUBLE_EQ(pane.VisibleMax(), 5.0);
  pane.ZoomOut();
  EXPECT_DOUBLE_EQ(pane.VisibleMin(), 0.0);
  EXPECT_DOUBLE_EQ(pane.VisibleMax(), 6.0);
  pane.ZoomIn();
  // A rebuild asked to keep the zoom clips the old range into the new data.
  pane.ReservePoints(2);
  pane.AppendPoint(2.0, 1.0, 0, 0, vcolor::Black, nullptr);
  pane.AppendPoint(8.0, 2.0, 0, 0, vcolor::Black, nullptr);
  pane.AutoScale(0, 0, false, true, false);
  EXPECT_DOUBLE_EQ(pane.VisibleMin(), 2.0);
  EXPECT_DOUBLE_EQ(pane.VisibleMax(), 5.0);
  pane.AutoScale(0, 0, false, false, false);
  EXPECT_DOUBLE_EQ(pane.VisibleMin(), 2.0);
  EXPECT_DOUBLE_EQ(pane.VisibleMax(), 8.0);
}

TEST(ChartZoom, DraggingPansAgainstTheMotionAndStopsAtTheDataEnds) {
  CLightCurvePane pane;
  Fill(pane, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});  // x 0..10
  pane.SetViewRange(4.0, 6.0, true, false);
  auto send = [&](std::uint32_t kind, int x, std::uint32_t buttons) {
    vcore::TEvent e;
    e.kind = kind;
    e.x = x;
    e.buttons = buttons;
    pane.ReceiveEvent(e);
  };
  send(vcore::evMouseDown, 300, vcore::mbLeft);
  send(vcore::evMouseMove, 300 + kWidth / 4, vcore::mbLeft);  // a quarter of the view: half a span
  EXPECT_DOUBLE_EQ(pane.VisibleMin(), 3.5);
  EXPECT_DOUBLE_EQ(pane.VisibleMax(), 5.5);
  send(vcore::evMouseMove, 300 + 10 * kWidth, vcore::mbLeft);
  EXPECT_DOUBLE_EQ(pane.VisibleMin(), 0.0);
  EXPECT_DOUBLE_EQ(pane.VisibleMax(), 2.0);
  send(vcore::evMouseUp, 0, 0);
  send(vcore::evMouseMove, 300, 0);  // released: moves do nothing
  EXPECT_DOUBLE_EQ(pane.VisibleMin(), 0.0);
}

TEST(ChartZoom, ScrollBarFollowsTheVisibleRange) {
  view::EnsureApplication();
  vcont::CScrollBar bar;
  ASSERT_TRUE(bar.Init(nullptr, vcom::CRect(0, 0, 200, 16), 1));
  CLightCurvePane pane;
  pane.SetScrollBar(&bar);
  pane.NewRect(vcom::CRect(0, 0, kWidth, kHeight));
  pane.ReservePoints(2);
  pane.AppendPoint(0.0, 1.0, 0, 0, vcolor::Black, nullptr);
  pane.AppendPoint(100.0, 2.0, 0, 0, vcolor::Black, nullptr);
  pane.AutoScale(0, 0, false, false, true);
  pane.SetViewRange(25.0, 50.0, true, true);
  EXPECT_EQ(bar.Position(), 1250);
  EXPECT_EQ(bar.Page(), 1250);
  pane.ScrollTo(2500);
  EXPECT_DOUBLE_EQ(pane.VisibleMin(), 50.0);
  EXPECT_DOUBLE_EQ(pane.VisibleMax(), 75.0);
  EXPECT_EQ(bar.Position(), 1250);  // scrolling does not set the bar again
  pane.ScrollTo(4999);             // the span is kept at the data's end
  EXPECT_DOUBLE_EQ(pane.VisibleMax(), 100.0);
  EXPECT_DOUBLE_EQ(pane.VisibleMin(), 75.0);
  pane.SetScrollBar(nullptr);
  bar.Done();
}

TEST(ChartLayout, SelectionMarksOnlyTheSeriesPointsAndMarkers) {
  CLightCurvePane pane;
  pane.NewRect(vcom::CRect(0, 0, kWidth, kHeight));
  const auto* a = reinterpret_cast<const CSeriesTreeElem*>(0x10);
  const auto* b = reinterpret_cast<const CSeriesTreeElem*>(0x20);
  pane.ReservePoints(3);
  pane.AppendPoint(0, 1, 0, 0, 0, a);
  pane.AppendPoint(1, 2, 0, 0, 0, b);
  pane.AppendPoint(2, 3, 0, 0, 0, a);
  pane.ReserveMarkers(1);
  pane.AppendMarker(1.5, 0, mkMinimum, 0, b);
  pane.AutoScale(0, 0, false, false, false);
  pane.SelectSeries(a);
  EXPECT_TRUE(pane.ScreenPoints()[0].selected);
  EXPECT_FALSE(pane.ScreenPoints()[1].selected);
  EXPECT_TRUE(pane.ScreenPoints()[2].selected);
  EXPECT_FALSE(pane.ScreenMarkers()[0].selected);
  pane.NewRect(vcom::CRect(0, 0, kWidth / 2, kHeight));  // a resize keeps the selection
  EXPECT_TRUE(pane.ScreenPoints()[0].selected);
  pane.ClearZoom();
  EXPECT_TRUE(pane.ScreenPoints()[0].selected);
}

TEST(ChartLayout, TinyViewUsesTheWholeViewWithoutMargins) {
  CLightCurvePane pane;
  pane.NewRect(vcom::CRect(0, 0, 50, 40));
  EXPECT_EQ(pane.PlotRect().x, 0);
  EXPECT_EQ(pane.PlotRect().width, 50);
}

TEST(MarkerDates, LocalTimeWithoutFractions) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(MarkerDateText(2451545.0), "2000-01-01 12:00:00");
  EXPECT_EQ(MarkerDateText(2451545.0 + 0.4 / 86400), "2000-01-01 12:00:00");
}

}  // namespace
