// Builders of the chart tabs and the formulas of the object pane's sliders.
#include "ombrix_present/curve_data.h"

#include <chrono>
#include <cmath>
#include <vector>

#include <ombrix_analysis/minima_scales.h>
#include <ombrix_model/astro.h>
#include <ombrix_model/time_scales.h>

namespace ombrix_lc {

namespace {

using ombrix_data::CMinimaListElem;
using ombrix_data::CObjectListElem;

constexpr double kCompressedGap = 0.06;  // days shown for a longer gap between series
constexpr double kPhaseMargin = 1.05;    // phased x range beyond the window
constexpr double kMirrorReach = 1.1;     // mirror slider reach, in series spans
constexpr double kUnixEpochJD = 2440587.5;
constexpr int kETVPointRadius = 4;       // at 96 dpi

template <typename F>
void ForEachMinimum(const CSeriesTreeElem& series, F f) {
  for (const vlist::CListElem* e = series.minima.first; e; e = e->next) {
    const auto* m = static_cast<const CMinimaListElem*>(e);
    if (m->enabled) f(*m);
  }
}

template <typename F>
void ForEachTakingPart(const CObjectListElem& object, F f) {
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s))
    if (TakesPart(*s)) f(*s);
}

std::uint32_t MinimaCount(const CSeriesTreeElem& s) { return s.minima.count; }

TColor SeriesColour(const CSeriesTreeElem& s, const ombrix_data::CFilterTable* filters) {
  return filters ? s.Colour(*filters) : ombrix_data::kNoFilterColour;
}

// Common start of every builder: false (chart cleared) when there is
// nothing to show.
bool BeginChart(CLightCurvePane& chart, const TBuildRequest& r, std::uint32_t points, std::uint32_t markers) {
  if (!r.object) {
    chart.ClearCurve();
    return false;
  }
  chart.SetFlux(r.object->fluxFlag);
  chart.SetShowErrors(r.options.showDev);
  chart.SetShowMinima(r.options.showMinima);
  chart.SetShowNow(r.options.showNow);
  chart.SetShowTime(r.options.showTime);
  chart.SetYLabel(r.object->fluxFlag ? "Flux" : "Mag");
  if (points == 0) {
    chart.ClearCurve();
    return false;
  }
  // The lists are emptied, not the ranges: a kept zoom needs the old one.
  chart.ReservePoints(points);
  chart.ReserveMarkers(markers);
  return true;
}

void EndChart(CLightCurvePane& chart, const TBuildRequest& r, double xmin, double xmax, bool explicitRange) {
  chart.AutoScale(xmin, xmax, explicitRange, r.keepZoom, true);
  if (r.selected) chart.SelectSeries(r.selected);
}

// A time of the object's star in the heliocentric frame when its position
// is known.
double CorrectedTime(const CObjectListElem& object, double jd) {
  ombrix_data::CMetaData meta;
  object.GetEffectiveMetaData(meta);
  const double ra = meta.var.ra, dec = meta.var.dec;
  meta.Done();
  if (!ombrix_data::IsRAKnown(ra) || !ombrix_data::IsDecKnown(dec)) return jd;
  return ombrix_model::HeliocentricJD(jd, ra, dec);
}

}  // namespace

bool TakesPart(const CSeriesTreeElem& series) { return series.enabled && series.pointCount > 0; }

std::uint32_t TakingPartPoints(const CObjectListElem& object) {
  std::uint32_t n = 0;
  ForEachTakingPart(object, [&](const CSeriesTreeElem& s) { n += s.pointCount; });
  return n;
}

TColor MinimumColour(ombrix_data::TMinimumType type) {
  switch (type) {
    case ombrix_data::minPrimary: return kPrimaryColour;
    case ombrix_data::minSecondary: return kSecondaryColour;
    default: return kUndefinedColour;
  }
}

double CurrentJulianDate() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return kUnixEpochJD + std::chrono::duration<double>(now).count() / 86400.0;
}

// The time axis label of a series' times: its scale ("HJD", "BJD_TDB",
// "GJD"), so that no chart leaves the scale to be guessed.
std::string TimeAxisLabel(const CSeriesTreeElem* s) {
  return s ? ombrix_model::TimeScaleLabel(s->TimeScale()) : std::string("JD");
}

// The label of several series: their common scale, else the scales named.
std::string TimeAxisLabel(const TBuildRequest& r) {
  std::string label;
  bool mixed = false;
  if (r.object)
    ForEachTakingPart(*r.object, [&](const CSeriesTreeElem& s) {
      const std::string own = TimeAxisLabel(&s);
      if (label.empty()) label = own;
      else if (label.find(own) == std::string::npos) {
        label += ", " + own;
        mixed = true;
      }
    });
  if (label.empty()) return "JD";
  return mixed ? "JD (" + label + ")" : label;
}

// ------------------------------------------------------------ tab 1

void ShowTimeSeries(CLightCurvePane& chart, const TBuildRequest& r) {
  chart.SetXLabel(TimeAxisLabel(r).c_str());
  std::uint32_t markers = 0;
  if (r.object) ForEachTakingPart(*r.object, [&](const CSeriesTreeElem& s) { markers += MinimaCount(s); });
  if (!BeginChart(chart, r, r.object ? TakingPartPoints(*r.object) : 0, markers)) return;
  ForEachTakingPart(*r.object, [&](const CSeriesTreeElem& s) {
    const TColor colour = SeriesColour(s, r.filters);
    for (std::uint32_t i = 0; i < s.pointCount; ++i)
      chart.AppendPoint(s.time[i], s.value[i], s.error[i], s.offset, colour, &s);
    ForEachMinimum(s, [&](const CMinimaListElem& m) {
      chart.AppendMarker(m.time, MinimumColour(m.type), mkMinimum, 0.0, &s);
    });
  });
  EndChart(chart, r, 0, 0, false);
}

// ------------------------------------------------------------ tab 2

void ShowCompressedSeries(CLightCurvePane& chart, const TBuildRequest& r) {
  chart.SetXLabel("Days");
  std::uint32_t markers = 0;
  if (r.object) ForEachTakingPart(*r.object, [&](const CSeriesTreeElem& s) { markers += 2 + MinimaCount(s); });
  if (!BeginChart(chart, r, r.object ? TakingPartPoints(*r.object) : 0, markers)) return;
  bool first = true;
  double origin = 0.0;
  double lastTime = 0.0, lastX = 0.0;
  ForEachTakingPart(*r.object, [&](const CSeriesTreeElem& s) {
    const double start = s.FirstTime();
    if (first) {
      origin = start;
      first = false;
    } else if (lastTime < start - kCompressedGap) {
      // A longer gap is shown as exactly kCompressedGap days.
      origin = start - (lastX + kCompressedGap);
    }
    const TColor colour = SeriesColour(s, r.filters);
    for (std::uint32_t i = 0; i < s.pointCount; ++i)
      chart.AppendPoint(s.time[i] - origin, s.value[i], s.error[i], s.offset, colour, &s);
    chart.AppendMarker(start - origin, kGridColour, mkPlain, 0.0, &s);
    chart.AppendMarker(s.LastTime() - origin, kGridColour, mkPlain, 0.0, &s);
    ForEachMinimum(s, [&](const CMinimaListElem& m) {
      chart.AppendMarker(m.time - origin, MinimumColour(m.type), mkMinimum, 0.0, &s);
    });
    lastTime = s.LastTime();
    lastX = lastTime - origin;
  });
  EndChart(chart, r, 0, 0, false);
}

// ------------------------------------------------------------ tabs 3 and 4

// ------------------------------------------------------------ tab 7

double ObservedMinusComputed(double t, ombrix_data::TMinimumType type, double m0, double period) {
  double c = t - m0;
  if (type == ombrix_data::minSecondary) c -= period / 2;
  const double epoch = std::round(c / period);  // halves away from zero
  return c - epoch * period;
}

bool ShowETV(CLightCurvePane& chart, const TBuildRequest& r, ombrix_analysis::TScaleRefusal* refusal) {
  const CObjectListElem* o = r.object;
  const ombrix_model::TTimeScale scale = o ? ombrix_analysis::CommonMinimaScale(*o) : ombrix_data::FieldTimeScale();
  chart.SetXLabel(ombrix_model::TimeScaleLabel(scale));
  chart.SetYLabel("Days");
  chart.SetFlux(true);
  chart.SetZeroLine(true);
  chart.SetPointRadius96(kETVPointRadius);
  chart.SetShowErrors(r.options.showDev);
  chart.SetShowMinima(r.options.showMinima);
  // Minima of another scale are converted to the common one, or none is drawn.
  std::vector<ombrix_analysis::TScaledMinimum> minima;
  ombrix_analysis::TScaleRefusal why;
  bool combined = true;
  if (o && o->period != 0.0)
    combined = ombrix_analysis::CollectMinimaInScale(*o, scale, ombrix_analysis::TSeriesChoice::enabledOnly,
                                                     minima, why);
  if (!combined) {
    minima.clear();
    if (refusal) *refusal = why;
  }
  if (minima.empty()) {
    chart.ClearCurve();
    return combined;
  }
  chart.ReservePoints(static_cast<std::uint32_t>(minima.size()));
  chart.ReserveMarkers(0);
  for (const ombrix_analysis::TScaledMinimum& m : minima)
    chart.AppendPoint(m.time, ObservedMinusComputed(m.time, m.type, o->m0, o->period), m.error, 1.0,
                      MinimumColour(m.type), m.series);
  chart.AutoScale(0, 0, false, false, true);
  if (r.selected) chart.SelectSeries(r.selected);
  return true;
}

// ------------------------------------------------------------ tab 11

void ShowPrediction(CPredictionPane& chart, const CObjectListElem* o, const TPredictionSite& site, double start,
                    double end) {
  double ra = ombrix_data::kUnknownRA, dec = ombrix_data::kUnknownDec;
  if (o) {
    ombrix_data::CMetaData meta;
    o->GetEffectiveMetaData(meta);
    ra = meta.var.ra;
    dec = meta.var.dec;
    meta.Done();
  }
  const bool model = o && ombrix_model::IsFitDefined(o->fit);
  chart.SetObject(o ? o->m0 : 0.0, o ? o->period : 0.0, model ? &o->fit : nullptr, ra, dec);
  chart.SetSite(site);
  chart.SetSpan(start, end);
  chart.Layout();
}

void ShowPhasedCurve(CLightCurveFitPane& chart, const TBuildRequest& r, TChartTab tab,
                     const ombrix_model::TFitParameters* editedFit) {
  chart.SetXLabel("Phase");
  chart.ClearModel();
  const bool twoCycles = tab == ctPhasedCurve;
  const int copies = twoCycles ? 2 : 1;
  const bool phased = r.object && r.object->m0 != 0.0 && r.object->period != 0.0;
  std::uint32_t markers = 2;
  if (phased) ForEachTakingPart(*r.object, [&](const CSeriesTreeElem& s) { markers += MinimaCount(s); });
  if (!BeginChart(chart, r, phased ? TakingPartPoints(*r.object) * copies : 0, markers * copies)) return;
  const double m0 = r.object->m0, period = r.object->period;
  const double h = twoCycles ? 0.5 : 0.25;
  // Each phase and, on two cycles, its copy one cycle over.
  auto place = [&](double t, auto append) {
    const double phase = PhaseInWindow(t, m0, period, h);
    append(phase);
    if (twoCycles) append(phase < 0 ? phase + 1.0 : phase - 1.0);
  };
  ForEachTakingPart(*r.object, [&](const CSeriesTreeElem& s) {
    const TColor colour = SeriesColour(s, r.filters);
    for (std::uint32_t i = 0; i < s.pointCount; ++i)
      place(s.time[i], [&](double x) { chart.AppendPoint(x, s.value[i], s.error[i], s.offset, colour, &s); });
    ForEachMinimum(s, [&](const CMinimaListElem& m) {
      place(m.time, [&](double x) { chart.AppendMarker(x, MinimumColour(m.type), mkMinimum, 0.0, &s); });
    });
  });
  if (r.options.showNow) {
    const double now = r.options.now != 0.0 ? r.options.now : CurrentJulianDate();
    place(CorrectedTime(*r.object, now), [&](double x) { chart.AppendMarker(x, kNowColour, mkNow, now, nullptr); });
  }
  if (r.options.showTime && r.options.chosenTime != 0.0) {
    const double chosen = r.options.chosenTime;
    place(CorrectedTime(*r.object, chosen),
          [&](double x) { chart.AppendMarker(x, kChosenTimeColour, mkChosenTime, chosen, nullptr); });
  }
  if (twoCycles) {
    if (r.object->fitPresent) chart.SetModel(r.object->fit);
  } else if (editedFit) {
    chart.SetModel(*editedFit);
  }
  const double from = twoCycles ? -2 * h * kPhaseMargin : -h * kPhaseMargin;
  const double to = twoCycles ? 2 * (1 - h) * kPhaseMargin : (1 - h) * kPhaseMargin;
  EndChart(chart, r, from, to, true);
}

// ------------------------------------------------------------ tab 5

void ShowMinimumMirror(CLightCurvePane& chart, const TBuildRequest& r, double t1, double t2) {
  chart.SetXLabel(TimeAxisLabel(r.selected).c_str());
  const CSeriesTreeElem* s = r.selected;
  const bool shown = s && s->pointCount > 0;
  if (!BeginChart(chart, r, shown ? 2 * s->pointCount : 0, shown ? MinimaCount(*s) + 1 : 0)) return;
  // Minima are always shown here, whatever the setting.
  chart.SetShowMinima(true);
  for (std::uint32_t i = 0; i < s->pointCount; ++i) {
    chart.AppendPoint(s->time[i], s->value[i], s->error[i], s->offset, kUnmirroredColour, s);
    chart.AppendPoint(t1 + t2 - s->time[i], s->value[i], s->error[i], s->offset, kMirroredColour, s);
  }
  ForEachMinimum(*s, [&](const CMinimaListElem& m) {
    if (m.time >= t1 && m.time <= t2) chart.AppendMarker(m.time, MinimumColour(m.type), mkMinimum, 0.0, s);
  });
  chart.AppendMarker((t1 + t2) / 2, kMirrorAxisColour, mkMinimum, 0.0, nullptr);
  // The whole window is always shown; no series is picked out here.
  chart.AutoScale(t1, t2, true, false, true);
}

// ------------------------------------------------------------ tab 6

void ShowMinimumFit(CMinimumFitPane& chart, const TBuildRequest& r, double t1, double t2, double fittedMinimum) {
  chart.SetXLabel(TimeAxisLabel(r.selected).c_str());
  chart.ClearMinimumModel();
  const CSeriesTreeElem* s = r.selected;
  const bool shown = s && s->pointCount > 0;
  if (!BeginChart(chart, r, shown ? s->pointCount : 0, shown ? MinimaCount(*s) + 3 : 0)) return;
  // Minima are always shown here, whatever the setting.
  chart.SetShowMinima(true);
  for (std::uint32_t i = 0; i < s->pointCount; ++i)
    chart.AppendPoint(s->time[i], s->value[i], s->error[i], s->offset, kUnmirroredColour, s);
  const double first = s->FirstTime(), last = s->LastTime();
  ForEachMinimum(*s, [&](const CMinimaListElem& m) {
    if (m.time >= first && m.time <= last) chart.AppendMarker(m.time, MinimumColour(m.type), mkMinimum, 0.0, s);
  });
  chart.AppendMarker(t1, kFitWindowColour, mkFitStart, 0.0, nullptr);
  chart.AppendMarker(t2, kFitWindowColour, mkFitEnd, 0.0, nullptr);
  if (fittedMinimum != 0.0) chart.AppendMarker(fittedMinimum, kFittedMinimumColour, mkMinimum, 0.0, nullptr);
  chart.AutoScale(first, last, true, r.keepZoom, true);
}

// ------------------------------------------------------------ sliders

double PeriodFromSlider(double savedPeriod, double range, int position) {
  return savedPeriod + position * 2.0 * range / 6001.0;
}

int SliderFromPeriod(double period, double savedPeriod, double range) {
  if (range == 0.0) return 0;
  const double p = std::trunc((period - savedPeriod) / range * kSliderHalfRange);
  if (p > kSliderHalfRange) return kSliderHalfRange;
  if (p < -kSliderHalfRange) return -kSliderHalfRange;
  return static_cast<int>(p);
}

double OffsetFromSlider(double savedOffset, double range, int position) {
  return savedOffset - 2.0 * range * position / 6001.0;
}

double MultiplierFromSlider(double savedMultiplier, double range, int position) {
  return savedMultiplier * (1.0 / range + (position + 3000.0) / 6001.0 * (range - 1.0 / range));
}

void MirrorWindow(double first, double last, int position, double& t1, double& t2) {
  const double d = kMirrorReach * (last - first) * position / kSliderHalfRange;
  t1 = first;
  t2 = last;
  if (position < 1) {
    t1 = first + d;
  } else {
    t2 = last + d;
  }
}

// ------------------------------------------------------------ off-screen

std::unique_ptr<CLightCurvePane> BuildChartTab(int tab, const TBuildRequest& request, std::string& why) {
  switch (tab) {
    case ctTimeSeries:
    case ctCompressedSeries:
    case ctETV: {
      auto chart = std::make_unique<CLightCurvePane>();
      if (tab == ctTimeSeries) ShowTimeSeries(*chart, request);
      if (tab == ctCompressedSeries) ShowCompressedSeries(*chart, request);
      if (tab == ctETV) ShowETV(*chart, request);
      return chart;
    }
    case ctPhasedCurve:
    case ctPhasedCurveFit: {
      auto chart = std::make_unique<CLightCurveFitPane>();
      ShowPhasedCurve(*chart, request, static_cast<TChartTab>(tab));
      return chart;
    }
    case ctMinimumMirror: {
      if (!request.selected) {
        why = "the Minimum Mirror (tab 5) needs a series";
        return nullptr;
      }
      auto chart = std::make_unique<CLightCurvePane>();
      ShowMinimumMirror(*chart, request, request.selected->FirstTime(), request.selected->LastTime());
      return chart;
    }
    case ctPrediction: {
      auto chart = std::make_unique<CPredictionPane>();
      const double start = request.predictionStart != 0.0 ? request.predictionStart : CurrentJulianDate();
      ShowPrediction(*chart, request.object, request.site, start, start + request.predictionDays);
      return chart;
    }
    case ctMinimumFit: {
      if (!request.selected) {
        why = "the Minimum Fit (tab 6) needs a series";
        return nullptr;
      }
      auto chart = std::make_unique<CMinimumFitPane>();
      ShowMinimumFit(*chart, request, request.selected->FirstTime(), request.selected->LastTime(), 0.0);
      return chart;
    }
    default:
      why = "tab " + std::to_string(tab) + " is not a chart";
      return nullptr;
  }
}

bool DrawChartTab(int tab, const TBuildRequest& request, int width, int height, vimage::CImage& image,
                  std::string& why) {
  const std::unique_ptr<CLightCurvePane> chart = BuildChartTab(tab, request, why);
  if (!chart) return false;
  if (!chart->ExportImage(width, height, image)) {
    why = "cannot draw an image of " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
    return false;
  }
  return true;
}

}  // namespace ombrix_lc
