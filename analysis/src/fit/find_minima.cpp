// "Fit all minima": the dialog values, the window walk and the questions.
#include "ombrix_analysis/find_minima.h"

#include <algorithm>
#include <cmath>

#include "ombrix_analysis/kvw.h"

namespace ombrix_analysis {

using ombrix_data::TAnswer;
using ombrix_data::TButtons;
using ombrix_data::TMessageIcon;
using ombrix_data::TMinimumType;
using ombrix_data::TUserMessage;
using ombrix_model::TFitParameters;

namespace {

constexpr double kPhaseStep = 0.005;
constexpr int kMaxWalkSteps = 100;

// Walks from `phase` by `step` until the model falls to `level` or the
// steps run out; wraps into [0, 1] when asked. Returns the phase reached.
double WalkToLevel(const TFitParameters& fit, double phase, double step, double level, bool wrap) {
  for (int s = 0; s < kMaxWalkSteps; ++s) {
    if (ombrix_model::EvaluateLightCurveModel(fit, phase) <= level) break;
    phase += step;
    if (wrap && phase > 1.0) phase -= 1.0;
    if (wrap && phase < 0.0) phase += 1.0;
  }
  return phase;
}

void StopMessage(ombrix_data::CUserIO& io, const char* caption, const char* line) {
  io.ShowMessage(TUserMessage{caption, {line, nullptr, nullptr}, TMessageIcon::stop});
}

// The first validation text the dialog values fail, or null.
const char* DialogFault(const TFindMinimaDialog& d) {
  // A negative period would walk the windows backwards for ever.
  if (d.m0 == 0.0 || !(d.period > 0.0)) return "M0 and/or Period udefined";
  if (d.fitPrimary && d.primaryRange == 0.0) return "Primary Time Range udefined";
  if (d.fitSecondary && d.secondaryPhase == 0.0) return "Secondary phase udefined";
  if (d.fitSecondary && d.secondaryRange == 0.0) return "Secondary Time Range udefined";
  return nullptr;
}

struct TPass {
  double centre;  // c0
  double width;   // w
  TMinimumType type;
  const char* question;
};

enum class TPassEnd { finished, cancelled };

// Fits one predicted minimum in [start, end] and asks whether to add it.
TPassEnd FitWindow(CFindMinimaView& view, ombrix_data::CUserIO& io, const TPass& pass,
                   double start, double end, int& added) {
  TMinimumFitTab& tab = *view.tab;
  tab.start = start;
  tab.end = end;
  view.ZoomTab(start, end);
  const bool kvw = tab.method == TMinimumMethod::kvw;
  if (!(kvw ? FitMinimumKvW(tab, io, tab.kvwReflections) : FitMinimum(tab, io))) {
    io.ShowMessage(TUserMessage{"MInimum Fit failed", {"Cannot fit selected points", nullptr, nullptr},
                                TMessageIcon::information});
    return TPassEnd::finished;
  }
  if (!kvw) EstimateMinimumError(tab, io);
  const TAnswer answer = io.Ask(TUserMessage{"Found Minimum", {pass.question, nullptr, nullptr},
                                             TMessageIcon::question},
                                TButtons::yesNoCancel);
  if (answer == TAnswer::cancel) return TPassEnd::cancelled;
  if (answer == TAnswer::yes) {
    AddMinimum(*view.series, tab.minimumTime, tab.errorShown ? tab.minimumError : 0.0, pass.type);
    ++added;
  }
  return TPassEnd::finished;
}

TPassEnd RunPass(CFindMinimaView& view, ombrix_data::CUserIO& io, const TPass& pass,
                 double period, int minBranch, int& added) {
  const TMinimumFitTab& tab = *view.tab;
  const std::size_t n = tab.pointCount;
  if (n == 0) return TPassEnd::finished;
  auto time = [&](std::size_t i) { return tab.points[i].phase; };
  const double k = std::trunc((time(0) - pass.centre) / period);
  double centre = pass.centre + (k > 0 ? k + 1 : k - 1) * period;
  std::size_t i = 0;
  while (i < n) {
    const double low = centre - pass.width / 2;
    const double high = centre + pass.width / 2;
    while (i < n && time(i) < low) ++i;
    int descending = 0;
    while (i < n && time(i) <= centre) ++descending, ++i;
    if (descending >= minBranch) {
      int ascending = 0;
      while (i < n && time(i) <= high) ++ascending, ++i;
      if (ascending >= minBranch && FitWindow(view, io, pass, low, high, added) == TPassEnd::cancelled)
        return TPassEnd::cancelled;
    }
    centre += period;
  }
  return TPassEnd::finished;
}

}  // namespace

void DeriveFitTimeRanges(ombrix_data::CObjectListElem& object) {
  TFitParameters fit = object.fit;
  ombrix_model::PrepareLightCurveModel(fit);
  double brightPhase = 0.0;
  double brightValue = ombrix_model::EvaluateLightCurveModel(fit, 0.0);
  for (int s = 1; s * kPhaseStep < 1.0; ++s) {
    const double v = ombrix_model::EvaluateLightCurveModel(fit, s * kPhaseStep);
    if (v < brightValue) brightValue = v, brightPhase = s * kPhaseStep;
  }
  const double level = brightValue + 0.05 * (ombrix_model::EvaluateLightCurveModel(fit, 0.0) - brightValue);
  const double period = object.period;
  if (!(object.primaryFitTimeRange > 0.0)) {
    const bool upward = brightPhase <= 0.5;
    const double reached = upward ? WalkToLevel(fit, kPhaseStep, kPhaseStep, level, false)
                                  : WalkToLevel(fit, 1.0 - kPhaseStep, -kPhaseStep, level, false);
    object.primaryFitTimeRange = 2.0 * (upward ? reached : 1.0 - reached) * period;
  }
  if (!(object.secondaryFitTimeRange > 0.0)) {
    const double sec = fit[ombrix_model::fpSecPhase];
    const bool upward = brightPhase > sec;
    const double reached = upward ? WalkToLevel(fit, sec + kPhaseStep, kPhaseStep, level, true)
                                  : WalkToLevel(fit, sec - kPhaseStep, -kPhaseStep, level, true);
    object.secondaryFitTimeRange = 2.0 * std::fabs(reached - sec) * period;
  }
}

TFindMinimaDialog InitialFindMinimaDialog(ombrix_data::CObjectListElem& object) {
  TFindMinimaDialog d;
  if (object.m0 > 0.0) d.m0 = object.m0;
  if (object.period > 0.0) d.period = object.period;
  const bool hasFit = ombrix_model::IsFitDefined(object.fit);
  if (!hasFit && !(object.primaryFitTimeRange > 0.0 && object.secondaryFitTimeRange > 0.0)) return d;
  if (hasFit) DeriveFitTimeRanges(object);
  d.fitPrimary = d.fitSecondary = true;
  d.secondaryPhase = object.fit[ombrix_model::fpSecPhase];
  d.primaryRange = object.primaryFitTimeRange;
  d.secondaryRange = object.secondaryFitTimeRange;
  return d;
}

void AddMinimum(ombrix_data::CSeriesTreeElem& series, double time, double error, TMinimumType type) {
  series.minima.Add(type, time, error)->SetTimeScale(series.TimeScale());
}

int FindAllMinima(CFindMinimaView& view, ombrix_data::CUserIO& io) {
  if (!view.object || !view.series || !view.tab) {
    StopMessage(io, "Cannot find minima", "No series selected to find minima");
    return 0;
  }
  ombrix_data::CObjectListElem& object = *view.object;
  TFindMinimaDialog d = InitialFindMinimaDialog(object);
  if (!view.EditFindMinimaDialog(d)) return 0;
  if (const char* fault = DialogFault(d)) {
    StopMessage(io, "Cannot find minima", fault);
    return 0;
  }
  object.primaryFitTimeRange = d.primaryRange;
  object.secondaryFitTimeRange = d.secondaryRange;
  const int minBranch = std::clamp(d.minBranchPoints, kMinBranchPointsLow, kMinBranchPointsHigh);

  TMinimumFitTab& tab = *view.tab;
  const double savedStart = tab.start;
  const double savedEnd = tab.end;
  int added = 0;
  const TPass primary{d.m0, d.primaryRange, ombrix_data::minPrimary, "Add Primary minimum?"};
  const TPass secondary{d.m0 + d.secondaryPhase * d.period, d.secondaryRange, ombrix_data::minSecondary,
                        "Add Secondary minimum?"};
  const bool cancelled = d.fitPrimary && RunPass(view, io, primary, d.period, minBranch, added) == TPassEnd::cancelled;
  if (!cancelled && d.fitSecondary) RunPass(view, io, secondary, d.period, minBranch, added);
  tab.start = savedStart;
  tab.end = savedEnd;
  view.ZoomTab(savedStart, savedEnd);
  tab.Redraw();
  return added;
}

}  // namespace ombrix_analysis
