// Phase-curve fit of the light-curve model with mpfit.
#include "ombrix_analysis/phase_fit.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>
#include <cstring>
#include <vector>

#include <mpfit/mpfit.h>

#include "fit_descriptors.h"
#include "phase_curve_evaluator.h"

namespace ombrix_analysis {

using ombrix_data::TMessageIcon;
using ombrix_data::TUserMessage;
using ombrix_model::FitParameterCount;
using ombrix_model::TFitParameters;

const double PhaseFitLowerBounds[FitParameterCount] = {-20.0, -0.25, 0.0, 0.0, 0.0, -10.0, 0.0, 0.0,
                                                       0.0,   -10.0, -2.0, -2.0, -2.0, -2.0, -2.0, -2.0};
const double PhaseFitUpperBounds[FitParameterCount] = {20.0, 0.75, 10.0, 0.6, 99.0, 10.0, 10.0, 0.6,
                                                       99.0, 10.0, 2.0,  2.0, 2.0,  2.0,  2.0,  2.0};

namespace {

// A chi-square for messages, with the decimal point in any locale.
std::string ThreeDecimals(double x) {
  char text[400];
  const auto result = std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, 3);
  return std::string(text, result.ptr);
}

// Large curves are fitted in parts of at least kPointsPerPart points, whose
// residuals are computed on all processors at once. The split depends on the
// point count alone, so that a fit gives the same values on every machine.
constexpr std::size_t kPointsPerPart = 2500;
constexpr std::size_t kMaxParts = 8;

// One evaluator per part, each over its own points only.
class CPartedPhaseCurve {
 public:
  CPartedPhaseCurve(const std::vector<TFitPoint>& folded, std::size_t partCount) {
    evaluators_.reserve(partCount);
    for (std::size_t k = 0; k <= partCount; ++k)
      first_.push_back(static_cast<int>(folded.size() * k / partCount));
    for (std::size_t k = 0; k < partCount; ++k)
      evaluators_.emplace_back(folded.data() + first_[k], std::size_t(first_[k + 1] - first_[k]));
  }

  mp_parts Parts() {
    return mp_parts{static_cast<int>(evaluators_.size()), first_.data(), Residual, 0};
  }

 private:
  static int Residual(int part, int /*m*/, int /*n*/, double* x, double* fvec, double** /*dvec*/,
                      void* privateData) {
    static_cast<CPartedPhaseCurve*>(privateData)->evaluators_[part].Residuals(x, fvec);
    return 0;
  }

  std::vector<int> first_;
  std::vector<CPhaseCurveEvaluator> evaluators_;
};

// The fit of the folded points from x, in parts when there are many (a
// single part is exactly the plain fit).
int RunPhaseCurveFit(const std::vector<TFitPoint>& folded, double* x, mp_par* pars,
                     mp_config* config, mp_result* fit) {
  const std::size_t partCount = std::clamp<std::size_t>(folded.size() / kPointsPerPart, 1, kMaxParts);
  CPartedPhaseCurve curve(folded, partCount);
  const mp_parts parts = curve.Parts();
  return mpfit_parts(&parts, static_cast<int>(folded.size()), FitParameterCount, x, pars, config,
                     &curve, fit);
}

// A flux series' offset is a multiplier, as the charts show its points: the
// copy holds the multiplied value and an offset of 0, which the residual adds.
void MultiplyFluxValues(std::vector<TFitPoint>& folded) {
  for (TFitPoint& p : folded) {
    p.value *= p.seriesOffset;
    p.seriesOffset = 0.0;
  }
}

}  // namespace

void FoldFitPoints(const TFitPoint* points, std::size_t pointCount, TFitPoint* folded) {
  for (std::size_t i = 0; i < pointCount; ++i) {
    folded[i] = points[i];
    if (folded[i].error == 0.0) folded[i].error = 1.0;
    if (folded[i].phase < 0.0) folded[i].phase += 1.0;
  }
}

int PhaseCurveResidual(int m, int /*n*/, double* x, double* fvec, double** /*dvec*/,
                       void* privateData) {
  TFitParameters model;
  std::memcpy(model.value, x, sizeof model.value);
  ombrix_model::PrepareLightCurveModel(model);
  const auto* points = static_cast<const TFitPoint*>(privateData);
  for (int i = 0; i < m; ++i) {
    const TFitPoint& p = points[i];
    fvec[i] = (p.value + p.seriesOffset - ombrix_model::EvaluateLightCurveModel(model, p.phase)) /
              p.error;
  }
  return 0;
}

void FitStatusText(int status, std::size_t bufferSize, char* buffer) {
  const char* text;
  switch (status) {
    case MP_ERR_INPUT: text = "General input parameter error"; break;
    case MP_ERR_NAN: text = "User function produced non-finite values"; break;
    case MP_ERR_FUNC: text = "No user function was supplied"; break;
    case MP_ERR_NPOINTS: text = "No user data points were supplied"; break;
    case MP_ERR_NFREE: text = "No free parameters"; break;
    case MP_ERR_MEMORY: text = "Memory allocation error"; break;
    case MP_ERR_INITBOUNDS: text = "Initial values inconsistent with constraints"; break;
    case MP_ERR_BOUNDS: text = "Initial constraints inconsistent"; break;
    case MP_ERR_PARAM: text = "General input parameter error"; break;
    case MP_ERR_DOF: text = "Not enough degrees of freedom"; break;
    default: text = "Unknown error"; break;
  }
  if (bufferSize == 0) return;
  std::snprintf(buffer, bufferSize, "%s", text);
}

bool FitPhaseCurve(TPhaseFitPane& pane, ombrix_data::CObjectListElem& object,
                   ombrix_data::CUserIO& io, TPhaseFitOutcome* outcome) {
  TPhaseFitOutcome result;
  result.pointCount = pane.pointCount;
  if (outcome) *outcome = result;
  if (pane.pointCount < kMinPhaseFitPoints) {
    char needed[48];
    std::snprintf(needed, sizeof needed, "At last %zu points needed for fit.", kMinPhaseFitPoints);
    io.ShowMessage(TUserMessage{"Cannot perform parameter fitting",
                                {"Phased curve contains too little points.", needed, nullptr},
                                TMessageIcon::stop});
    return false;
  }
  pane.SetBusy(true);

  double x[FitParameterCount];
  std::memcpy(x, pane.fields, sizeof x);
  mp_par pars[FitParameterCount];
  FillBoundedDescriptors(FitParameterCount, pane.free, PhaseFitLowerBounds, PhaseFitUpperBounds,
                         pars);
  std::vector<TFitPoint> folded(pane.pointCount);
  FoldFitPoints(pane.points, pane.pointCount, folded.data());
  if (object.fluxFlag) MultiplyFluxValues(folded);

  mp_config config;
  std::memset(&config, 0, sizeof config);
  mp_result fit;
  std::memset(&fit, 0, sizeof fit);
  const int status = RunPhaseCurveFit(folded, x, pars, &config, &fit);
  result.status = status;
  result.initialChi2 = fit.orignorm;
  result.finalChi2 = fit.bestnorm;
  if (outcome) *outcome = result;

  if (status > 0) {
    std::memcpy(pane.fields, x, sizeof x);
    std::memcpy(object.fit.value, x, sizeof x);
    ombrix_model::PrepareLightCurveModel(object.fit);
    object.fitPresent = true;
    pane.FitAccepted(object.fit);
    char count[48];
    std::snprintf(count, sizeof count, "Number of data points: %zu", pane.pointCount);
    const std::string initial = "Initial chi^2: " + ThreeDecimals(fit.orignorm);
    const std::string final = "Final chi^2: " + ThreeDecimals(fit.bestnorm);
    io.ShowMessage(TUserMessage{"Phase curve fitting OK", {count, initial.c_str(), final.c_str()},
                                TMessageIcon::information});
  } else {
    char text[64];
    FitStatusText(status, sizeof text, text);
    io.ShowMessage(TUserMessage{"Phase curve fitting failed", {text, nullptr, nullptr},
                                TMessageIcon::stop});
  }
  pane.SetBusy(false);
  return status > 0;
}

}  // namespace ombrix_analysis
