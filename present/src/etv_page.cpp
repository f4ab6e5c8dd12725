// The ETV Diagram page: O-C chart, ephemeris fits and "Apply ephemeris".
#include "ombrix_present/etv_page.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>

#include <ombrix_analysis/minima_scales.h>
#include <ombrix_model/time_scales.h>

namespace ombrix_lc {

namespace {

constexpr int kRowHeight = 24;
constexpr int kGap = 4;
constexpr std::size_t kMostCycles = 24;  // cycles listed on the third line

std::string Number(double value, std::chars_format format, int precision) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value, format, precision);
  return end.ec == std::errc() ? std::string(text, end.ptr) : std::string("?");
}

std::string Fixed(double value, int decimals) { return Number(value, std::chars_format::fixed, decimals); }
std::string Scientific(double value, int decimals) {
  return Number(value, std::chars_format::scientific, decimals);
}

// A cycle as counted: whole, or with .5 for secondary minima.
std::string CycleNumber(double cycle) {
  return Fixed(cycle, std::fabs(cycle - std::round(cycle)) > 0.25 ? 1 : 0);
}

}  // namespace

// ------------------------------------------------------------ texts

std::string EphemerisText(const ombrix_analysis::TEphemerisSolution& s) {
  std::string text = "M0 = " + Fixed(s.m0, 6) + " \u00b1 " + Fixed(s.m0Error, 6) + "  P = " + Fixed(s.period, 8) +
                     " \u00b1 " + Fixed(s.periodError, 8);
  if (s.terms == 3) text += "  dP/dE = " + Scientific(s.dPdE, 2) + " \u00b1 " + Scientific(s.dPdEError, 1);
  return text;
}

std::string ResidualText(const ombrix_analysis::TEphemerisSolution& s, ombrix_model::TTimeScale scale) {
  return "RMS = " + Fixed(s.rms, 5) + " d  reduced chi-square = " +
         (std::isnan(s.reducedChi2) ? std::string("n/a") : Fixed(s.reducedChi2, 2)) + "  " +
         ombrix_model::TimeScaleLabel(scale);
}

std::string CycleText(const ombrix_analysis::TOCAnalysis& analysis, const CSeriesTreeElem* series) {
  std::string text = "Cycles:";
  std::size_t listed = 0;
  for (const ombrix_analysis::TOCPoint& p : analysis.points) {
    if (series && p.minimum.series != series) continue;
    if (listed == kMostCycles) return text + " ...";
    text += listed++ == 0 ? " E = " : ", ";
    text += CycleNumber(p.cycle);
  }
  return listed == 0 ? std::string() : text;
}

// ------------------------------------------------------------ pane

void CETVPane::PaintView(vgr::CDeviceContext& dc) {
  PaintChart(dc);
  PaintCurve(dc, curveX, curveY);
}

void CETVPane::ClearCurve() {
  fitted = nullptr;
  curveX.clear();
  curveY.clear();
  CLightCurvePane::ClearCurve();
}

void CETVPane::SetViewRange(double a, double b, bool keepSelection, bool updateScrollBar) {
  CLightCurvePane::SetViewRange(a, b, keepSelection, updateScrollBar);
  BuildFittedCurve();
}

void CETVPane::SetFittedCurve(TFittedCurve curve) {
  fitted = std::move(curve);
  BuildFittedCurve();
  Repaint();
}

void CETVPane::BuildFittedCurve() {
  curveX.clear();
  curveY.clear();
  const double valueSpan = valueMax - valueMin, visibleSpan = visibleMax - visibleMin;
  if (!fitted || !(valueSpan > 0) || !(visibleSpan > 0) || PlotTooSmall()) return;
  const int startX = PixelX(visibleMin), endX = PixelX(visibleMax);
  if (startX >= endX) return;
  const int n = (endX - startX) / 2 + 1;
  const double step = visibleSpan / (n - 1);
  curveX.resize(n);
  curveY.resize(n);
  for (int i = 0; i < n; ++i) {
    // Far-off values are held near the plot: the clip hides them, pixels stay small.
    double v = fitted(visibleMin + i * step);
    v = std::isfinite(v) ? std::clamp(v, valueMin - valueSpan, valueMax + valueSpan) : valueMin - valueSpan;
    curveX[i] = PixelX(visibleMin + i * step);
    curveY[i] = PixelY(v);
  }
}

// ------------------------------------------------------------ page

CETVPage::CETVPage() : CChartPage(std::make_unique<CETVPane>()) {}

int CETVPage::ControlsHeight() const { return 2 * vcore::ScaleV(kRowHeight) + kGap; }

bool CETVPage::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  if (!CChartPage::Init(parent, rect)) return false;
  const vcom::CRect r(0, 0, 10, vcore::ScaleV(kRowHeight));
  linearChoice.Init(this, r, kETVLinearId, "Linear", 1);
  quadraticChoice.Init(this, r, kETVQuadraticId, "Quadratic", 1);
  applyButton.Init(this, r, kETVApplyId, "Apply ephemeris");
  for (vcont::CStaticText& line : results) line.Init(this, r, "");
  linearChoice.SetChecked(!quadratic);
  quadraticChoice.SetChecked(quadratic);
  LayoutControls(rect.width);
  return true;
}

void CETVPage::Done() {
  if (IsInitialized()) {
    for (view::CView* v : std::initializer_list<view::CView*>{&linearChoice, &quadraticChoice, &applyButton,
                                                               &results[0], &results[1], &results[2]})
      v->Done();
  }
  CChartPage::Done();
}

void CETVPage::LayoutControls(int width) {
  if (!linearChoice.IsInitialized()) return;
  const int h = vcore::ScaleV(kRowHeight);
  int x = kGap;
  for (auto [view, w96] : std::initializer_list<std::pair<view::CView*, int>>{
           {&linearChoice, 70}, {&quadraticChoice, 90}, {&applyButton, 120}}) {
    const int w = vcore::ScaleH(w96);
    view->SetRect(vcom::CRect(x, 0, w, h));
    x += w + kGap;
  }
  results[0].SetRect(vcom::CRect(x, 0, std::max(10, width - x - kGap), h));
  // The residuals and the cycles share the second row.
  const int half = std::max(10, (width - 3 * kGap) / 2);
  results[1].SetRect(vcom::CRect(kGap, h + kGap, half, h));
  results[2].SetRect(vcom::CRect(2 * kGap + half, h + kGap, half, h));
}

void CETVPage::Show(const TBuildRequest& shown) {
  request = shown;
  request.keepZoom = false;
  Rebuild();
}

void CETVPage::SetQuadratic(bool on) {
  quadratic = on;
  if (linearChoice.IsInitialized()) {
    linearChoice.SetChecked(!on);
    quadraticChoice.SetChecked(on);
  }
  Rebuild();
}

bool CETVPage::ApplyEphemeris() {
  auto* object = const_cast<ombrix_data::CObjectListElem*>(request.object);
  if (!object || !analysed || !Chosen().valid) return false;
  ombrix_analysis::ApplyEphemeris(*object, analysis, Chosen());
  Send(vcore::evControl, kETVEphemerisAppliedId, vcore::cnChanged);
  Rebuild();
  return true;
}

void CETVPage::ShowResults(const std::string& first, const std::string& second, const std::string& third) {
  const std::string* lines[] = {&first, &second, &third};
  for (int i = 0; i < 3; ++i)
    if (results[i].IsInitialized()) results[i].SetText(lines[i]->c_str());
  if (applyButton.IsInitialized()) applyButton.SetEnabled(analysed && Chosen().valid);
}

void CETVPage::Rebuild() {
  CETVPane& chart = ETVChart();
  chart.SetFittedCurve(nullptr);
  analysed = false;
  analysis = ombrix_analysis::TOCAnalysis{};
  ombrix_analysis::TScaleRefusal refusal;
  if (!ShowETV(chart, request, &refusal)) {
    ShowResults(refusal.first, refusal.second, std::string());
    return;
  }
  if (!request.object) {
    ShowResults(std::string(), std::string(), std::string());
    return;
  }
  std::string failure;
  analysed = ombrix_analysis::AnalyseOC(*request.object, analysis, failure);
  if (!analysed) {
    ShowResults(failure, std::string(), std::string());
    return;
  }
  const std::string cycles = CycleText(analysis, request.selected);
  const ombrix_analysis::TEphemerisSolution s = Chosen();
  if (!s.valid) {
    ShowResults("At least 4 enabled minima are needed for a quadratic ephemeris.", std::string(), cycles);
    return;
  }
  // The curve keeps copies: the analysis is replaced by the next rebuild.
  ombrix_analysis::TOCAnalysis reference;
  reference.referenceM0 = analysis.referenceM0;
  reference.referencePeriod = analysis.referencePeriod;
  chart.SetFittedCurve([reference, s](double t) {
    const double cycle = (t - reference.referenceM0) / reference.referencePeriod;
    return ombrix_analysis::FittedOC(reference, s, cycle);
  });
  ShowResults(EphemerisText(s), ResidualText(s, analysis.scale), cycles);
}

void CETVPage::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl && event.source != this) {
    switch (event.code) {
      case kETVLinearId:
        if (linearChoice.IsChecked() && quadratic) SetQuadratic(false);
        break;
      case kETVQuadraticId:
        if (quadraticChoice.IsChecked() && !quadratic) SetQuadratic(true);
        break;
      case kETVApplyId:
        ApplyEphemeris();
        break;
      default:
        CChartPage::ReceiveEvent(event);
        return;
    }
    StopEvent(event);
    return;
  }
  CChartPage::ReceiveEvent(event);
}

}  // namespace ombrix_lc
