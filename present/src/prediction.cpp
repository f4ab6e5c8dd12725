// The Prediction chart: sampling of the model and the altitudes, stripes,
// events and the drawing of both charts.
#include "ombrix_present/prediction.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string>

#include <ombrix_field/records.h>
#include <ombrix_model/angles.h>
#include <ombrix_model/astro.h>
#include <runbase/str.h>

namespace ombrix_lc {

namespace {

constexpr int kPredictionLabelSpacing = 100;  // x tick labels, 96 dpi
constexpr double kMinValueSpan = 0.01;        // narrower model ranges are widened
constexpr double kValueWidening = 0.005;      // on each side
constexpr int kTickLength = 4;
constexpr int kCrossHalf = 3;
constexpr double kUnixEpochJD = 2440587.5;

int RoundPixel(double v) { return static_cast<int>(std::lround(v)); }

// Local date and time of a Julian date as "YYYY-MM-DD hh:mm", the minute
// rounded up from 30 seconds while below 59.
std::string TickDateText(double jd) {
  const std::time_t t = static_cast<std::time_t>(std::floor((jd - kUnixEpochJD) * 86400.0 + 0.5));
  std::tm local{};
  if (!localtime_r(&t, &local)) return std::string();
  int minute = local.tm_min;
  if (local.tm_sec > 29 && minute < 59) ++minute;
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, minute);
  return text;
}

int FormatNumber(double value, int decimals, char (&text)[64]) {
  bool ok = false;
  Str::FixRealToStrA(value, static_cast<std::uint32_t>(decimals), sizeof text - 1, text, ok);
  if (!ok) text[0] = '\0';
  return static_cast<int>(Str::LengthA(sizeof text - 1, text));
}

}  // namespace

double StarAltitude(double jd, double ra, double dec, double latitude, double longitude) {
  return ombrix_model::StarAltitude(jd, ra, dec, latitude, longitude);
}

double SunAltitude(double jd, double latitude, double longitude) {
  return ombrix_model::SunAltitude(jd, latitude, longitude);
}

int TwilightClass(double a) {
  if (a <= -18) return 0;
  if (a <= -12) return 1;
  if (a <= -6) return 2;
  if (a <= 0) return 3;
  return 4;
}

double DegreesFromDMS(double degrees, double minutes, double seconds, bool negative) {
  const double fraction = minutes / 60.0 + seconds / 3600.0;
  if (degrees > 0 || (degrees == 0 && !negative)) return degrees + fraction;
  return degrees - fraction;
}

// ------------------------------------------------------------ layout

CPredictionPane::CPredictionPane() {
  SetXLabel("JD");
  SetYLabel("Mag");
  SetLabelSpacing96(kPredictionLabelSpacing);
}

void CPredictionPane::SetObject(double epoch, double p, const ombrix_model::TFitParameters* parameters, double r,
                                double d) {
  m0 = epoch;
  period = p;
  modelValid = parameters != nullptr;
  if (parameters) {
    model = *parameters;
    ombrix_model::PrepareLightCurveModel(model);
  }
  ra = r;
  dec = d;
}

void CPredictionPane::SetSpan(double start, double end) {
  dataMin = visibleMin = start;
  dataMax = visibleMax = std::max(start, end);
}

void CPredictionPane::Layout() { SetViewRange(dataMin, dataMax, false, true); }

void CPredictionPane::NewRect(const vcom::CRect& rect) {
  viewWidth = rect.width;
  viewHeight = rect.height;
  SetViewRange(visibleMin, visibleMax, true, false);
}

void CPredictionPane::ClearSamples() {
  for (auto* v : {&sampleX, &modelY, &starY, &sunY}) v->clear();
  for (auto* v : {&sampleTime, &modelValue, &starAltitude, &sunAltitude}) v->clear();
  stripes.clear();
  events.clear();
  altitudeTicks.clear();
  altitudeMin = altitudeMax = kNoAltitude;
  horizonY = -1;
}

void CPredictionPane::ClearCurve() {
  ClearSamples();
  modelValid = false;
  CLightCurvePane::ClearCurve();
}

void CPredictionPane::ComputeRects() {
  const int top = vcore::ScaleH(Title().empty() ? kChartTopMargin : kChartTopMarginTitled);
  const int left = vcore::ScaleH(kChartLeftMargin);
  const int half = viewHeight / 2;
  const int w = viewWidth - left - vcore::ScaleH(kChartRightMargin);
  const int h = half - vcore::ScaleH(kChartBottomMargin) - top;
  hasMargins = w > 0 && h > 0;
  if (hasMargins) {
    plot = vcom::CRect(left, top, w, h);
    altitudePlot = vcom::CRect(left, top + half, w, h);
  } else {
    plot = vcom::CRect(0, 0, viewWidth, half);
    altitudePlot = vcom::CRect(0, half, viewWidth, viewHeight - half);
  }
  inset = vcore::ScaleV(kChartInset);
  radius = vcore::ScaleH(2);
}

void CPredictionPane::SetViewRange(double a, double b, bool keepSelection, bool updateScrollBar) {
  (void)keepSelection;
  visibleMin = std::max(a, dataMin);
  visibleMax = std::min(b, dataMax);
  if (visibleMin > visibleMax) visibleMax = visibleMin;
  ComputeRects();
  ClearSamples();
  markers.clear();
  screenMarkers.clear();
  xTicks.clear();
  yTicks.clear();
  valueMin = valueMax = 0.0;
  const int inner = plot.width - 2 * inset;
  const double span = visibleMax - visibleMin;
  if (inner > 0 && 2 * inset < plot.height) {
    const int n = inner / 2 + 1;
    const double step = 2.0 * span / inner;
    sampleX.resize(n);
    sampleTime.resize(n);
    for (int i = 0; i < n; ++i) {
      sampleX[i] = plot.x + inset + 2 * i;
      sampleTime[i] = visibleMin + i * step;
    }
    SampleModel(step);
    if (site.latitude != 0.0 && site.longitude != 0.0) {
      SampleAltitudes();
      BuildStripes();
      FindEvents();
      LayoutAltitudes();
    }
    LayoutXTicks(span);
    if (valueMin < valueMax) LayoutYTicks();
    LayoutMarkers();
  }
  if (updateScrollBar) UpdateScrollBar();
  Repaint();
}

void CPredictionPane::SampleModel(double step) {
  const double span = visibleMax - visibleMin;
  if (!modelValid || m0 == 0.0 || period == 0.0 || !(span > 0)) return;
  const std::size_t n = sampleTime.size();
  modelValue.resize(n);
  const double d = sampleTime[0] - m0;
  double phase = (d - std::trunc(d / period) * period) / period;
  // Before the epoch the remainder is negative; the model wants [0, 1).
  if (phase < 0) phase += 1.0;
  double lowest = std::numeric_limits<double>::max(), highest = -lowest;
  for (std::size_t i = 0; i < n; ++i) {
    const double v = ombrix_model::EvaluateLightCurveModel(model, phase);
    modelValue[i] = v;
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
    phase += step / period;
    if (phase > 1.0) phase -= std::trunc(phase);
  }
  if (!(highest - lowest >= kMinValueSpan)) {
    lowest -= kValueWidening;
    highest += kValueWidening;
  }
  valueMin = lowest;
  valueMax = highest;
  const double scale = (plot.height - 2 * inset) / (highest - lowest);
  modelY.resize(n);
  for (std::size_t i = 0; i < n; ++i) modelY[i] = plot.y + inset + RoundPixel((modelValue[i] - lowest) * scale);
}

void CPredictionPane::SampleAltitudes() {
  const std::size_t n = sampleTime.size();
  const auto takeIn = [&](double a) {
    if (altitudeMin == kNoAltitude || a < altitudeMin) altitudeMin = a;
    if (altitudeMax == kNoAltitude || a > altitudeMax) altitudeMax = a;
  };
  if (ombrix_data::IsRAKnown(ra) && ombrix_data::IsDecKnown(dec)) {
    starAltitude.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      starAltitude[i] = StarAltitude(sampleTime[i], ra, dec, site.latitude, site.longitude);
      takeIn(starAltitude[i]);
    }
  }
  sunAltitude.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    sunAltitude[i] = SunAltitude(sampleTime[i], site.latitude, site.longitude);
    takeIn(sunAltitude[i]);
  }
}

void CPredictionPane::BuildStripes() {
  const std::size_t n = sunAltitude.size();
  if (n == 0) return;
  TStripe open{sampleX[0], 0, TwilightClass(sunAltitude[0])};
  bool isOpen = true;
  for (std::size_t i = 1; i < n; ++i) {
    const int c = TwilightClass(sunAltitude[i]);
    if (c == TwilightClass(sunAltitude[i - 1])) continue;
    open.width = sampleX[i] - open.x;
    stripes.push_back(open);
    isOpen = i + 1 < n;
    if (isOpen) open = TStripe{sampleX[i], 0, c};
  }
  if (isOpen) {
    open.width = sampleX[n - 1] - open.x;
    stripes.push_back(open);
  }
}

void CPredictionPane::FindEvents() {
  const bool star = StarLimitOn(), sun = SunLimitOn();
  if (!star && !sun) return;
  const double L = site.starAlt, S = site.sunAlt;
  for (std::size_t i = 1; i < sunAltitude.size(); ++i) {
    const bool starRises = star && starAltitude[i - 1] < L && starAltitude[i] >= L;
    const bool starSinks = star && starAltitude[i - 1] >= L && starAltitude[i] < L;
    const bool sunRises = sunAltitude[i - 1] < S && sunAltitude[i] >= S;
    const bool sunSinks = sunAltitude[i - 1] >= S && sunAltitude[i] < S;
    int change = 0;  // 1 begins, -1 ends
    if (star && sun) {
      const bool sunLow = sunAltitude[i] < S, starUp = starAltitude[i - 1] >= L;
      if (starRises && sunLow) change = 1;
      else if ((starSinks && sunLow) || (sunRises && starUp)) change = -1;
      else if (sunSinks && starUp) change = 1;
    } else if (star) {
      change = starRises ? 1 : starSinks ? -1 : 0;
    } else {
      change = sunRises ? -1 : sunSinks ? 1 : 0;
    }
    if (change != 0) events.push_back({static_cast<int>(i - 1), change > 0});
  }
}

void CPredictionPane::LayoutAltitudes() {
  const double span = altitudeMax - altitudeMin;
  const int h = altitudePlot.height - 2 * inset;
  if (altitudeMin == kNoAltitude || !(span > 0) || h <= 0) return;
  const int bottom = altitudePlot.y + altitudePlot.height - inset;
  const auto pixel = [&](double a) { return bottom - RoundPixel((a - altitudeMin) * h / span); };
  starY.resize(starAltitude.size());
  for (std::size_t i = 0; i < starAltitude.size(); ++i) starY[i] = pixel(starAltitude[i]);
  sunY.resize(sunAltitude.size());
  for (std::size_t i = 0; i < sunAltitude.size(); ++i) sunY[i] = pixel(sunAltitude[i]);
  horizonY = pixel(0.0);
  const int spacing = std::min(altitudePlot.height, vcore::ScaleV(kChartYTickSpacing));
  if (spacing <= 0) return;
  const double step = TickStep(span / (altitudePlot.height / spacing));
  if (step <= 0) return;
  altitudeDecimals = TickDecimals(step);
  const long count = std::lround(span / step);
  const double first = std::ceil(altitudeMin / step) * step;
  for (long i = 0; i < count; ++i) {
    double v = first + i * step;
    if (v > altitudeMax + step * 1e-9) break;
    if (std::fabs(v) < step * 1e-9) v = 0.0;
    altitudeTicks.push_back({pixel(v), v});
  }
}

void CPredictionPane::LayoutMarkers() {
  const bool labelled = events.size() < 5;
  for (const TObservabilityEvent& e : events) {
    const double t = sampleTime[e.sample];
    AppendMarker(t, e.begins ? kBeginsColour : kEndsColour, mkPlain, labelled ? t : 0.0, nullptr);
  }
  screenMarkers.resize(markers.size());
  for (std::size_t i = 0; i < markers.size(); ++i) screenMarkers[i] = {sampleX[events[i].sample], false};
}

TColor CPredictionPane::FirstPieceColour() const {
  if (!events.empty()) return events.front().begins ? kBeginsColour : kModelColour;
  const bool star = StarLimitOn(), sun = SunLimitOn();
  bool grey = false;
  if (star && sun) {
    grey = starAltitude[0] < site.starAlt || sunAltitude[0] > site.sunAlt;
  } else if (star) {
    grey = starAltitude[0] < site.starAlt;
  } else if (sun) {
    grey = sunAltitude[0] >= site.sunAlt;
  }
  return grey ? kBeginsColour : kModelColour;
}

// ------------------------------------------------------------ painting

void CPredictionPane::PaintView(vgr::CDeviceContext& dc) {
  const vgr::TGContext start = dc.GetGContext();
  dc.SetGCPaperColor(start.paper);
  dc.Rectangle(0, 0, viewWidth, viewHeight);
  for (const TStripe& s : stripes) {
    if (s.twilight <= 0) continue;
    dc.SetGCPaperColor(kTwilightColours[s.twilight - 1]);
    dc.Rectangle(s.x, 0, s.width, viewHeight);
  }
  if (!PlotTooSmall()) PaintAxes(dc);
  if (!markers.empty() && screenMarkers.size() == markers.size()) PaintMarkers(dc);
  if (!PlotTooSmall()) PaintAltitudeChart(dc);
  dc.SetGCInkWidth(2);
  PaintModelCurve(dc);
  if (starY.size() > 1) {
    dc.SetGCInkColor(kStarAltitudeColour);
    dc.PolyLine(static_cast<int>(starY.size()), sampleX.data(), starY.data());
  }
  if (sunY.size() > 1) {
    dc.SetGCInkColor(kSunAltitudeColour);
    dc.PolyLine(static_cast<int>(sunY.size()), sampleX.data(), sunY.data());
  }
  dc.SetGCInkWidth(1);
  PaintTitle(dc);
  dc.SetGContext(start);
}

void CPredictionPane::PaintModelCurve(vgr::CDeviceContext& dc) {
  const int n = static_cast<int>(modelY.size());
  if (n < 2) return;
  const auto piece = [&](int from, int to, TColor colour) {
    if (to <= from) return;
    dc.SetGCInkColor(colour);
    dc.PolyLine(to - from + 1, sampleX.data() + from, modelY.data() + from);
  };
  int cut = 0;
  for (const TObservabilityEvent& e : events) {
    const int end = std::min(e.sample, n - 1);
    piece(cut, end, e.begins ? kBeginsColour : kModelColour);
    cut = end;
  }
  const TColor last = events.empty() ? FirstPieceColour() : events.back().begins ? kModelColour : kBeginsColour;
  piece(cut, n - 1, last);
}

void CPredictionPane::PaintAltitudeChart(vgr::CDeviceContext& dc) {
  const vcom::CRect& r = altitudePlot;
  if (2 * inset >= r.width || 2 * inset >= r.height) return;
  const int left = r.x, top = r.y, bottom = r.y + r.height;
  dc.SetGCInkWidth(1);
  dc.SetGCInkColor(vcolor::Black);
  dc.SetGCTextColor(vcolor::Black);
  dc.Line(left, top, left, bottom);
  dc.Line(left, bottom, left + r.width, bottom);
  const int textHeight = dc.TextHeight();
  int labelsEnd = std::numeric_limits<int>::min();
  for (const TTick& t : xTicks) {
    dc.Line(t.pixel, bottom, t.pixel, bottom + kTickLength);
    const std::string text = TickDateText(t.value);
    const int n = static_cast<int>(text.size());
    const int w = dc.TextWidth(n, text.c_str());
    // Dates are long: a label running into the previous one or out of the
    // view is left out, its tick stays.
    if (t.pixel - w / 2 < labelsEnd + 2 * kTickLength || t.pixel - w / 2 + w > viewWidth) continue;
    dc.OutTextXY(t.pixel - w / 2, bottom + textHeight / 2, n, text.c_str());
    labelsEnd = t.pixel - w / 2 + w;
  }
  char text[64];
  for (const TTick& t : altitudeTicks) {
    dc.Line(left - kTickLength, t.pixel, left, t.pixel);
    const int n = FormatNumber(t.value, altitudeDecimals, text);
    dc.OutTextXY(10, t.pixel - textHeight / 2, n, text);
  }
  if (horizonY >= top && horizonY <= bottom) {
    dc.SetGCInkColor(kGridColour);
    dc.Line(left, horizonY, left + r.width, horizonY);
  }
  vfont::CFont caption;
  caption.Init(vfont::CaptionFontDesc());
  dc.SetGCFont(&caption);
  const int captionHeight = dc.TextHeight();
  dc.OutTextXY(10, top - captionHeight, 3, "Deg");
  dc.OutTextXY(10, bottom + captionHeight, 4, "Date");
  dc.SetGCFont(nullptr);
  dc.SetGCInkColor(kGridColour);
  for (const TTick& xt : xTicks) {
    for (const TTick& yt : altitudeTicks) {
      dc.Line(xt.pixel - kCrossHalf, yt.pixel, xt.pixel + kCrossHalf, yt.pixel);
      dc.Line(xt.pixel, yt.pixel - kCrossHalf, xt.pixel, yt.pixel + kCrossHalf);
    }
  }
}

}  // namespace ombrix_lc
