// Chart pane: ranges, layout into pixels, painting and the mouse.
#include "ombrix_present/chart_pane.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include <runbase/str.h>

namespace ombrix_lc {

namespace {

// Sizes at 96 dpi.
constexpr int kLeftMargin = kChartLeftMargin;
constexpr int kTopMargin = kChartTopMargin;
constexpr int kTopMarginTitled = kChartTopMarginTitled;
constexpr int kRightMargin = kChartRightMargin;
constexpr int kBottomMargin = kChartBottomMargin;
constexpr int kInset = kChartInset;
constexpr int kYTickSpacing = kChartYTickSpacing;
constexpr int kTickLength = 4;
constexpr int kCrossHalf = 3;        // the 7-pixel crosses at tick pairs
constexpr int kPointGrowStep = 20;   // points are reserved in steps of this many
constexpr int kMarkerGrowStep = 5;
constexpr int kTitleHeight = 16;
constexpr double kUnixEpochJD = 2440587.5;

std::int32_t RoundPixel(double v) { return static_cast<std::int32_t>(std::lround(v)); }

// Rounds a count up to a multiple of step.
std::uint32_t GrownCapacity(std::uint32_t count, std::uint32_t step) { return (count + step - 1) / step * step; }

// Lightening of one colour channel.
unsigned LightenChannel(unsigned c) {
  if (c <= 10) return c + 190;
  if (c <= 80) return c + 150;
  if (c <= 130) return c + 100;
  if (c <= 180) return c + 55;
  if (c <= 220) return c + 25;
  if (c <= 240) return c + 10;
  if (c <= 250) return c + 3;
  if (c <= 253) return c + 2;
  return 255;
}

// A tick label with a decimal point whatever the locale; returns its length.
int FormatNumber(double value, int decimals, char (&text)[64]) {
  bool ok = false;
  Str::FixRealToStrA(value, static_cast<std::uint32_t>(decimals), sizeof text - 1, text, ok);
  if (!ok) text[0] = '\0';
  return static_cast<int>(Str::LengthA(sizeof text - 1, text));
}

}  // namespace

void Init_() {
  static int calls = 0;
  if (calls++ > 0) return;
  vgr::Init_();
  vfont::Init_();
  view::Init_();
  vcont::Init_();
}

TColor LightenColour(TColor colour) {
  return vcolor::RGBA(LightenChannel(vcolor::Red(colour)), LightenChannel(vcolor::Green(colour)),
                      LightenChannel(vcolor::Blue(colour)), vcolor::Alpha(colour));
}

double TickStep(double rawStep) {
  if (!(rawStep > 0) || !std::isfinite(rawStep)) return 0.0;
  const double p = std::pow(10.0, std::floor(std::log10(rawStep)));
  const double ratio = rawStep / p;
  if (p == 0.0 || ratio <= 2.0) return 2.0 * p;
  if (ratio <= 5.0) return 5.0 * p;
  return 10.0 * p;
}

int TickDecimals(double step) {
  if (step >= 0.001) return 3;
  if (step >= 0.0001) return 4;
  return 5;
}

std::string MarkerDateText(double julianDate) {
  const double seconds = std::floor((julianDate - kUnixEpochJD) * 86400.0 + 0.5);
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (!localtime_r(&t, &local)) return std::string();
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

// ------------------------------------------------------------ data

CLightCurvePane::CLightCurvePane() = default;

CLightCurvePane::~CLightCurvePane() = default;

void CLightCurvePane::Done() {
  ClearCurve();
  scrollBar = nullptr;
  view::CView::Done();
}

void CLightCurvePane::ReservePoints(std::uint32_t count) {
  points.clear();
  screenPoints.clear();
  points.reserve(GrownCapacity(count, kPointGrowStep));
}

void CLightCurvePane::ReserveMarkers(std::uint32_t count) {
  markers.clear();
  screenMarkers.clear();
  markers.reserve(GrownCapacity(count, kMarkerGrowStep));
}

void CLightCurvePane::AppendPoint(double x, double value, double error, double adjust, TColor colour,
                                  const CSeriesTreeElem* series) {
  if (points.size() == points.capacity()) points.reserve(points.size() + kPointGrowStep);
  points.push_back({x, value, error, adjust, colour, series});
}

void CLightCurvePane::AppendMarker(double x, TColor colour, TMarkerKind kind, double date,
                                   const CSeriesTreeElem* series) {
  if (markers.size() == markers.capacity()) markers.reserve(markers.size() + kMarkerGrowStep);
  markers.push_back({x, date, colour, kind, series});
}

void CLightCurvePane::SelectSeries(const CSeriesTreeElem* series) {
  for (std::size_t i = 0; i < screenPoints.size() && i < points.size(); ++i)
    screenPoints[i].selected = series && points[i].series == series;
  for (std::size_t i = 0; i < screenMarkers.size() && i < markers.size(); ++i)
    screenMarkers[i].selected = series && markers[i].series == series;
  Repaint();
}

void CLightCurvePane::ClearCurve() {
  points.clear();
  points.shrink_to_fit();
  markers.clear();
  markers.shrink_to_fit();
  screenPoints.clear();
  screenPoints.shrink_to_fit();
  screenMarkers.clear();
  xTicks.clear();
  yTicks.clear();
  dataMin = dataMax = visibleMin = visibleMax = 0.0;
  valueMin = valueMax = 0.0;
  zeroY = -1;
  Repaint();
}

void CLightCurvePane::Repaint() {
  if (IsInitialized()) Invalidate();
}

// ------------------------------------------------------------ ranges

void CLightCurvePane::AutoScale(double xmin, double xmax, bool explicitRange, bool keepZoom, bool updateScrollBar) {
  if (points.size() < 2) {
    xTicks.clear();
    yTicks.clear();
    screenPoints.clear();
    screenMarkers.clear();
    Repaint();
    return;
  }
  const double oldMin = visibleMin, oldMax = visibleMax;
  if (explicitRange) {
    dataMin = xmin;
    dataMax = xmax;
  } else {
    dataMin = std::numeric_limits<double>::max();
    dataMax = -std::numeric_limits<double>::max();
    for (const TChartPoint& p : points) {
      dataMin = std::min(dataMin, p.x);
      dataMax = std::max(dataMax, p.x);
    }
  }
  valueMin = std::numeric_limits<double>::max();
  valueMax = -std::numeric_limits<double>::max();
  for (const TChartPoint& p : points) {
    const double v = DisplayedValue(p, flux);
    const double e = showErrors ? p.error : 0.0;
    valueMin = std::min(valueMin, v - e);
    if (p.value < kMissingValue) valueMax = std::max(valueMax, v + e);
  }
  double a = dataMin, b = dataMax;
  if (keepZoom && oldMin < oldMax) {
    a = std::clamp(oldMin, dataMin, dataMax);
    b = std::clamp(oldMax, dataMin, dataMax);
    if (a >= b) a = dataMin, b = dataMax;
  }
  SetViewRange(a, b, false, updateScrollBar);
}

void CLightCurvePane::ComputeRects(int width, int height) {
  const int top = title.empty() ? kTopMargin : kTopMarginTitled;
  plot = vcom::CRect(vcore::ScaleH(kLeftMargin), vcore::ScaleH(top),
                     width - vcore::ScaleH(kLeftMargin) - vcore::ScaleH(kRightMargin),
                     height - vcore::ScaleH(top) - vcore::ScaleH(kBottomMargin));
  hasMargins = plot.width > 0 && plot.height > 0;
  if (!hasMargins) plot = vcom::CRect(0, 0, width, height);
  inset = vcore::ScaleV(kInset);
  radius = vcore::ScaleH(pointRadius96);
}

void CLightCurvePane::NewRect(const vcom::CRect& rect) {
  viewWidth = rect.width;
  viewHeight = rect.height;
  ComputeRects(viewWidth, viewHeight);
  SetViewRange(visibleMin, visibleMax, true, false);
}

int CLightCurvePane::PixelX(double x) const {
  const double span = visibleMax - visibleMin;
  const int w = plot.width - 2 * inset;
  if (span <= 0) return plot.x + inset + w / 2;
  return plot.x + inset + RoundPixel((x - visibleMin) * w / span);
}

int CLightCurvePane::PixelY(double value) const {
  const double span = valueMax - valueMin;
  const int h = plot.height - 2 * inset;
  if (flux) return plot.y + plot.height - inset - RoundPixel((value - valueMin) * h / span);
  return plot.y + inset + RoundPixel((value - valueMin) * h / span);
}

void CLightCurvePane::SetViewRange(double a, double b, bool keepSelection, bool updateScrollBar) {
  if (!(valueMin < valueMax)) return;
  visibleMin = std::max(a, dataMin);
  visibleMax = std::min(b, dataMax);
  if (visibleMin > visibleMax) visibleMax = visibleMin;
  if (2 * inset >= plot.width || 2 * inset >= plot.height) return;
  const double span = visibleMax - visibleMin;
  LayoutXTicks(span);
  LayoutYTicks();
  LayoutPoints(keepSelection);
  if (updateScrollBar) UpdateScrollBar();
  Repaint();
}

void CLightCurvePane::LayoutXTicks(double span) {
  xTicks.clear();
  const int w = plot.width;
  const int spacing = std::min(w, vcore::ScaleH(labelSpacing96));
  if (span <= 0 || spacing <= 0) return;
  const double step = TickStep(span / (w / spacing));
  if (step <= 0) return;
  const long count = std::lround(span / step);
  const double first = std::ceil(visibleMin / step) * step;
  const int inner = w - 2 * inset;
  for (long i = 0; i < count; ++i) {
    double v = first + i * step;
    if (std::fabs(v) < step * 1e-9) v = 0.0;  // no "-0.0000" labels
    // A tick rounded up past the visible end would stand outside the axis.
    if (v > visibleMax + step * 1e-9) break;
    xTicks.push_back({plot.x + inset + static_cast<std::int32_t>(std::trunc((v - visibleMin) * inner / span)), v});
  }
}

void CLightCurvePane::LayoutYTicks() {
  yTicks.clear();
  const double span = valueMax - valueMin;
  const int h = plot.height;
  const int spacing = std::min(h, vcore::ScaleV(kYTickSpacing));
  if (spacing <= 0) return;
  const double step = TickStep(span / (h / spacing));
  if (step <= 0) return;
  yDecimals = TickDecimals(step);
  const long count = std::lround(span / step);
  const double tolerance = step * 1e-9;
  for (long i = 0; i < count; ++i) {
    double v;
    if (flux) {
      v = std::ceil(valueMin / step) * step + i * step;
      if (v > valueMax + tolerance) break;
    } else {
      v = std::floor(valueMax / step) * step - i * step;
      if (v < valueMin - tolerance) break;
    }
    if (std::fabs(v) < tolerance) v = 0.0;
    yTicks.push_back({PixelY(v), v});
  }
}

void CLightCurvePane::LayoutPoints(bool keepSelection) {
  const double span = visibleMax - visibleMin;
  const double xScale = span > 0 ? (plot.width - 2 * inset) / span : 0.0;
  const double xBase = plot.x + inset + (span > 0 ? 0.0 : (plot.width - 2 * inset) / 2);
  const double h = plot.height - 2 * inset;
  const double yScale = h / (valueMax - valueMin);
  const double top = plot.y + inset;
  const double bottom = plot.y + plot.height - inset;
  screenPoints.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const TChartPoint& p = points[i];
    TScreenPoint& s = screenPoints[i];
    s.x = static_cast<std::int32_t>(xBase) + RoundPixel((p.x - visibleMin) * xScale);
    if (p.value >= kMissingValue) {
      s.y = -1;
    } else if (flux) {
      s.y = static_cast<std::int32_t>(bottom) - RoundPixel((p.value * p.adjust - valueMin) * yScale);
    } else {
      s.y = static_cast<std::int32_t>(top) + RoundPixel((p.value + p.adjust - valueMin) * yScale);
    }
    s.error = RoundPixel(p.error * yScale);
    s.colour = p.colour;
    if (!keepSelection) s.selected = false;
  }
  zeroY = zeroLine ? PixelY(0.0) : -1;
  screenMarkers.resize(markers.size());
  for (std::size_t i = 0; i < markers.size(); ++i) {
    screenMarkers[i].x = static_cast<std::int32_t>(xBase) + RoundPixel((markers[i].x - visibleMin) * xScale);
    if (!keepSelection) screenMarkers[i].selected = false;
  }
}

void CLightCurvePane::UpdateScrollBar() {
  if (!scrollBar) return;
  const double dataSpan = dataMax - dataMin;
  int position = 0, page = kScrollUnits;
  if (dataSpan > 0) {
    position = RoundPixel((visibleMin - dataMin) * kScrollUnits / dataSpan);
    page = RoundPixel((visibleMax - visibleMin) * kScrollUnits / dataSpan);
  }
  scrollBar->SetRange(0, kScrollUnits - 1, page, std::max(1, page / 100));
  scrollBar->SetPosition(position);
}

// ------------------------------------------------------------ commands

void CLightCurvePane::ZoomIn() {
  const double s = visibleMax - visibleMin;
  SetViewRange(visibleMin + s / 6, visibleMax - s / 6, true, true);
}

void CLightCurvePane::ZoomOut() {
  const double s = visibleMax - visibleMin;
  SetViewRange(visibleMin - s / 4, visibleMax + s / 4, true, true);
}

void CLightCurvePane::ClearZoom() { SetViewRange(dataMin, dataMax, true, true); }

void CLightCurvePane::WheelZoom(int x, int steps) {
  if (steps == 0 || x < plot.x || x > plot.x + plot.width) return;
  // The fraction across the laid-out data width, so that the value under the
  // cursor stays under it.
  const int inner = plot.width - 2 * inset;
  if (inner <= 0) return;
  const double f = std::clamp(static_cast<double>(x - plot.x - inset) / inner, 0.0, 1.0);
  const double d = 0.1 * (visibleMax - visibleMin);
  if (steps > 0) {
    SetViewRange(visibleMin + f * d, visibleMax - (1 - f) * d, true, true);
  } else {
    SetViewRange(visibleMin - f * d, visibleMax + (1 - f) * d, true, true);
  }
}

void CLightCurvePane::ScrollTo(int position) {
  const double span = visibleMax - visibleMin;
  double a = dataMin + (dataMax - dataMin) * position / kScrollUnits;
  a = std::clamp(a, dataMin, dataMax - span);
  SetViewRange(a, a + span, true, false);
}

void CLightCurvePane::PanBy(int dx) {
  if (viewWidth <= 0 || dx == 0) return;
  const double span = visibleMax - visibleMin;
  double a = visibleMin - dx * span / viewWidth;
  a = std::clamp(a, dataMin, dataMax - span);
  SetViewRange(a, a + span, true, true);
}

void CLightCurvePane::ReceiveEvent(vcore::TEvent& event) {
  switch (event.kind) {
    case vcore::evMouseWheel:
      if (event.x >= plot.x && event.x <= plot.x + plot.width) {
        WheelZoom(event.x, event.wheel);
        StopEvent(event);
      }
      break;
    case vcore::evMouseDown:
      if (event.buttons & vcore::mbLeft) {
        dragging = true;
        dragX = event.x;
        if (IsInitialized()) {
          SetCursor(vcore::crHand);
          CaptureMouse();
        }
        StopEvent(event);
      }
      break;
    case vcore::evMouseMove:
      if (dragging) {
        PanBy(event.x - dragX);
        dragX = event.x;
        StopEvent(event);
      }
      break;
    case vcore::evMouseUp:
      if (dragging) {
        dragging = false;
        if (IsInitialized()) {
          ReleaseMouse();
          SetCursor(vcore::crArrow);
        }
        StopEvent(event);
      }
      break;
    default:
      break;
  }
}

// ------------------------------------------------------------ painting

bool CLightCurvePane::MarkerShown(TMarkerKind kind) const {
  switch (kind) {
    case mkMinimum: return showMinima;
    case mkNow: return showNow;
    case mkChosenTime: return showTime;
    default: return true;
  }
}

void CLightCurvePane::PaintView(vgr::CDeviceContext& dc) { PaintChart(dc); }

void CLightCurvePane::PaintChart(vgr::CDeviceContext& dc) {
  const vgr::TGContext start = dc.GetGContext();
  dc.SetGCPaperColor(start.paper);
  dc.Rectangle(0, 0, viewWidth, viewHeight);
  if (!PlotTooSmall()) PaintAxes(dc);
  if (!markers.empty() && screenMarkers.size() == markers.size()) PaintMarkers(dc);
  if (screenPoints.size() == points.size()) PaintPoints(dc);
  PaintTitle(dc);
  dc.SetGContext(start);
}

void CLightCurvePane::PaintTitle(vgr::CDeviceContext& dc) {
  if (title.empty()) return;
  const vfont::CFont* previous = dc.GetGContext().font;
  vfont::CFont font;
  font.Init(vfont::CaptionFontDesc(kTitleHeight, true));
  dc.SetGCFont(&font);
  dc.SetGCTextColor(vcolor::Black);
  const int w = dc.TextWidth(static_cast<int>(title.size()), title.c_str());
  dc.OutTextXY((viewWidth - w) / 2, vcore::ScaleV(kTitleHeight), static_cast<int>(title.size()), title.c_str());
  dc.SetGCFont(previous);
}

void CLightCurvePane::PaintAxes(vgr::CDeviceContext& dc) {
  const int left = plot.x, top = plot.y, bottom = plot.y + plot.height;
  dc.SetGCInkWidth(1);
  dc.SetGCInkColor(vcolor::Black);
  dc.SetGCTextColor(vcolor::Black);
  dc.Line(left, top, left, bottom);
  dc.Line(left, bottom, left + plot.width, bottom);
  const int textHeight = dc.TextHeight();
  char text[64];
  // Long labels (Julian dates) may be wider than the tick spacing: a label
  // that would run into the previous one is left out, its tick stays.
  int labelsEnd = std::numeric_limits<int>::min();
  for (const TTick& t : xTicks) {
    dc.Line(t.pixel, bottom, t.pixel, bottom + kTickLength);
    const int n = FormatNumber(t.value, 4, text);
    const int w = dc.TextWidth(n, text);
    if (t.pixel - w / 2 < labelsEnd + kTickLength) continue;
    dc.OutTextXY(t.pixel - w / 2, bottom + textHeight / 2, n, text);
    labelsEnd = t.pixel - w / 2 + w;
  }
  for (const TTick& t : yTicks) {
    dc.Line(left - kTickLength, t.pixel, left, t.pixel);
    const int n = FormatNumber(t.value, yDecimals, text);
    dc.OutTextXY(10, t.pixel - textHeight / 2, n, text);
  }
  if (zeroLine && zeroY >= top && zeroY <= bottom) {
    dc.SetGCInkColor(kGridColour);
    dc.Line(left, zeroY, left + plot.width, zeroY);
  }
  vfont::CFont caption;
  caption.Init(vfont::CaptionFontDesc());
  dc.SetGCFont(&caption);
  const int captionHeight = dc.TextHeight();
  dc.OutTextXY(10, top - captionHeight, static_cast<int>(yLabel.size()), yLabel.c_str());
  dc.OutTextXY(10, bottom + captionHeight, static_cast<int>(xLabel.size()), xLabel.c_str());
  dc.SetGCFont(nullptr);
  dc.SetGCInkColor(kGridColour);
  for (const TTick& xt : xTicks) {
    for (const TTick& yt : yTicks) {
      dc.Line(xt.pixel - kCrossHalf, yt.pixel, xt.pixel + kCrossHalf, yt.pixel);
      dc.Line(xt.pixel, yt.pixel - kCrossHalf, xt.pixel, yt.pixel + kCrossHalf);
    }
  }
}

void CLightCurvePane::PaintMarkers(vgr::CDeviceContext& dc) {
  const int top = plot.y, bottom = plot.y + plot.height;
  const int ring = 2 * radius;
  dc.SetGCInkWidth(1);
  for (std::size_t i = 0; i < markers.size(); ++i) {
    const TChartMarker& m = markers[i];
    const TScreenMarker& s = screenMarkers[i];
    if (!MarkerShown(m.kind) || s.x < plot.x || s.x > plot.x + plot.width) continue;
    dc.SetGCInkColor(m.colour);
    dc.SetGCPaperColor(m.colour);
    dc.SetGCTextColor(m.colour);
    dc.Line(s.x, top, s.x, bottom);
    if (s.selected) {
      dc.Circle(s.x, top, ring);
      dc.Circle(s.x, bottom, ring);
    }
    if (m.date != 0.0) {
      const std::string text = MarkerDateText(m.date);
      dc.OutTextXY(s.x + 2, top - dc.TextHeight(), static_cast<int>(text.size()), text.c_str());
    }
  }
}

namespace {

// Calls `apply` with a point's colour only when it differs from the last
// one given, so pens and brushes change only where the colour does.
class CColourChanges {
 public:
  template <class Apply>
  void Use(TColor colour, Apply apply) {
    if (!started_ || colour != current_) apply(colour);
    started_ = true;
    current_ = colour;
  }

 private:
  bool started_ = false;  // no colour given yet
  TColor current_ = 0;    // the last colour given
};

}  // namespace

void CLightCurvePane::PaintPoints(vgr::CDeviceContext& dc) {
  const int left = plot.x, right = plot.x + plot.width;
  const int r = radius;
  const auto visible = [&](const TScreenPoint& s) { return s.y >= 0 && s.x >= left && s.x <= right; };
  dc.SetGCInkWidth(1);
  if (showErrors) {
    CColourChanges colours;
    for (const TScreenPoint& s : screenPoints) {
      if (!visible(s)) continue;
      colours.Use(s.colour, [&](TColor c) { dc.SetGCInkColor(LightenColour(c)); });
      dc.Line(s.x, s.y - s.error, s.x, s.y + s.error);
      dc.Line(s.x - r, s.y - s.error, s.x + r, s.y - s.error);
      dc.Line(s.x - r, s.y + s.error, s.x + r, s.y + s.error);
    }
  }
  dc.SetGCInkColor(kSelectionColour);
  for (const TScreenPoint& s : screenPoints) {
    if (s.selected && visible(s)) dc.Circle(s.x, s.y, 2 * r);
  }
  CColourChanges colours;
  for (const TScreenPoint& s : screenPoints) {
    if (!visible(s)) continue;
    colours.Use(s.colour, [&](TColor c) {
      dc.SetGCPaperColor(c);
      dc.SetGCInkColor(c);
    });
    if (hasMargins) {
      dc.CircleFill(s.x, s.y, r, false);
    } else {
      dc.Pixel(s.x, s.y, s.colour);
    }
  }
}

void CLightCurvePane::LayoutForExport(int width, int height, const char* text, int& oldWidth, int& oldHeight) {
  oldWidth = viewWidth;
  oldHeight = viewHeight;
  SetTitle(text ? text : "");
  NewRect(vcom::CRect(0, 0, width, height));
}

void CLightCurvePane::RestoreAfterExport(int oldWidth, int oldHeight) {
  title.clear();
  if (oldWidth > 0 && oldHeight > 0) {
    NewRect(vcom::CRect(0, 0, oldWidth, oldHeight));
  } else {
    viewWidth = oldWidth;
    viewHeight = oldHeight;
  }
}

bool CLightCurvePane::DrawImage(int width, int height, const char* text, vimage::CImage& image) {
  if (width <= 0 || height <= 0) return false;
  int oldWidth = 0, oldHeight = 0;
  LayoutForExport(width, height, text, oldWidth, oldHeight);
  vgr::CMemoryContext dc;
  bool ok = dc.Init(width, height, vcolor::White);
  if (ok) {
    PaintView(dc);
    ok = dc.CopyToImage(image);
  }
  dc.Done();
  RestoreAfterExport(oldWidth, oldHeight);
  return ok;
}

// ------------------------------------------------------------ phased model

void CLightCurveFitPane::SetModel(const ombrix_model::TFitParameters& parameters) {
  model = parameters;
  ombrix_model::PrepareLightCurveModel(model);
  hasModel = true;
}

void CLightCurveFitPane::ClearModel() {
  hasModel = false;
  curveX.clear();
  curveY.clear();
}

void CLightCurveFitPane::ClearCurve() {
  curveX.clear();
  curveY.clear();
  CLightCurvePane::ClearCurve();
}

void CLightCurveFitPane::SetViewRange(double a, double b, bool keepSelection, bool updateScrollBar) {
  CLightCurvePane::SetViewRange(a, b, keepSelection, updateScrollBar);
  BuildModelCurve();
}

void CLightCurveFitPane::BuildModelCurve() {
  curveX.clear();
  curveY.clear();
  const double valueSpan = valueMax - valueMin;
  const int inner = plot.width - 2 * inset;
  if (!hasModel || !(valueSpan > 0) || inner <= 0 || points.size() < 2) return;
  const int n = inner / 2 + 1;
  const double phaseStep = (visibleMax - visibleMin) * 2.0 / inner;
  const double yScale = (plot.height - 2 * inset) / valueSpan;
  curveX.resize(n);
  curveY.resize(n);
  modelMax = -std::numeric_limits<double>::max();
  modelMin = std::numeric_limits<double>::max();
  for (int i = 0; i < n; ++i) {
    double phase = visibleMin + i * phaseStep;
    phase -= std::trunc(phase);
    if (phase < 0) phase += 1.0;
    const double v = ombrix_model::EvaluateLightCurveModel(model, phase);
    modelMax = std::max(modelMax, v);
    modelMin = std::min(modelMin, v);
    curveX[i] = plot.x + inset + 2 * i;
    curveY[i] = IsFlux() ? plot.y + plot.height - inset - RoundPixel((v - valueMin) * yScale)
                         : plot.y + inset + RoundPixel((v - valueMin) * yScale);
  }
}

void CLightCurvePane::PaintCurve(vgr::CDeviceContext& dc, const std::vector<int>& xs, const std::vector<int>& ys) {
  if (xs.size() < 2) return;
  const vgr::TGContext start = dc.GetGContext();
  dc.SetClip(plot.x, plot.y, plot.width + 1, plot.height + 1);
  dc.SetGCInkWidth(2);
  dc.SetGCInkColor(kModelColour);
  dc.PolyLine(static_cast<int>(xs.size()), xs.data(), ys.data());
  dc.ClearClip();
  dc.SetGContext(start);
}

void CLightCurveFitPane::PaintView(vgr::CDeviceContext& dc) {
  PaintChart(dc);
  PaintCurve(dc, curveX, curveY);
}

// ------------------------------------------------------------ minimum fit

void CMinimumFitPane::PaintView(vgr::CDeviceContext& dc) {
  PaintChart(dc);
  PaintCurve(dc, curveX, curveY);
}

void CMinimumFitPane::ClearCurve() {
  ClearMinimumModel();
  CLightCurvePane::ClearCurve();
}

void CMinimumFitPane::SetViewRange(double a, double b, bool keepSelection, bool updateScrollBar) {
  CLightCurvePane::SetViewRange(a, b, keepSelection, updateScrollBar);
  BuildMinimumCurve();
  if (viewRangeListener) viewRangeListener();
}

void CMinimumFitPane::SetMinimumModel(double from, double to, TMinimumModel model) {
  minimumModel = std::move(model);
  modelFrom = from;
  modelTo = to;
  BuildMinimumCurve();
  Repaint();
}

void CMinimumFitPane::ClearMinimumModel() {
  minimumModel = nullptr;
  curveX.clear();
  curveY.clear();
}

void CMinimumFitPane::BuildMinimumCurve() {
  curveX.clear();
  curveY.clear();
  const double valueSpan = valueMax - valueMin;
  const double visibleSpan = visibleMax - visibleMin;
  if (!minimumModel || points.size() <= 6 || !(valueSpan > 0) || !(visibleSpan > 0) || !(modelTo > modelFrom))
    return;
  const double from = std::max(modelFrom, visibleMin), to = std::min(modelTo, visibleMax);
  const int startX = PixelX(from), endX = PixelX(to);
  if (startX >= endX) return;
  const int n = (endX - startX + 2) / 2 + 1;
  const double step = (to - from) / (n - 1);
  const double yScale = (plot.height - 2 * inset) / valueSpan;
  curveX.resize(n);
  curveY.resize(n);
  for (int i = 0; i < n; ++i) {
    const double t = from + i * step;
    const double v = minimumModel((t - modelFrom) / (modelTo - modelFrom));
    curveX[i] = startX + 2 * i;
    curveY[i] = IsFlux() ? plot.y + plot.height - inset - RoundPixel((v - valueMin) * yScale)
                         : plot.y + inset + RoundPixel((v - valueMin) * yScale);
  }
}

}  // namespace ombrix_lc
