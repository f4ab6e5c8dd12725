#include "phase_curve_evaluator.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ombrix_analysis {

using namespace ombrix_model;

namespace {

bool AllFinite(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [](double d) { return std::isfinite(d); });
}

bool IsPrimaryParameter(int j) { return j >= fpAPri && j <= fpCPri; }
bool IsSecondaryParameter(int j) { return j == fpSecPhase || (j >= fpASec && j <= fpCSec); }

}  // namespace

CPhaseCurveEvaluator::CPhaseCurveEvaluator(const TFitPoint* folded, std::size_t count,
                                           TEclipseProfileKernel profiles)
    : profiles_(profiles), count_(count), baseModel_(count), basePrimary_(count),
      baseSecondary_(count), changedTerm_(count) {
  for (std::size_t i = 0; i < count; ++i) {
    const TFitPoint& p = folded[i];
    observed_.push_back(p.value + p.seriesOffset);
    error_.push_back(p.error);
    primaryDistance_.push_back(PrimaryDistance(p.phase));
    phase_.push_back(p.phase);
    for (int k = 1; k <= 3; ++k) {
      const double angle = HarmonicAngle(k, p.phase);
      harmonic_[2 * (k - 1)].push_back(std::sin(angle));
      harmonic_[2 * (k - 1) + 1].push_back(std::cos(angle));
    }
  }
}

void CPhaseCurveEvaluator::PrimaryTerms(const TFitParameters& model, double* out) {
  const std::size_t n = count_;
  const double* profile = primary_.Get({model[fpDPri], model[fpGPri]}, n, [&](double* values) {
    const double* geometry = primaryGeometry_.Get({model[fpDPri]}, n, [&](double* g) {
      profiles_.geometry(primaryDistance_.data(), 0.0, model.priInverseWidth, n, g);
    });
    profiles_.shape(geometry, model[fpGPri], n, values);
  });
  const double a = model[fpAPri], c = model.priCurvature;
  for (std::size_t i = 0; i < n; ++i) {
    const double u = primaryDistance_[i];
    out[i] = a * (1.0 + c * u * u) * profile[i];
  }
}

void CPhaseCurveEvaluator::SecondaryTerms(const TFitParameters& model, double* out) {
  const std::size_t n = count_;
  const double centre = model[fpSecPhase];
  const double* profile =
      secondary_.Get({centre, model[fpDSec], model[fpGSec]}, n, [&](double* values) {
        const double* geometry =
            secondaryGeometry_.Get({centre, model[fpDSec]}, n, [&](double* g) {
              profiles_.geometry(phase_.data(), centre, model.secInverseWidth, n, g);
            });
        profiles_.shape(geometry, model[fpGSec], n, values);
      });
  const double a = model[fpASec], c = model.secCurvature;
  for (std::size_t i = 0; i < n; ++i) {
    const double y = phase_[i] - centre;
    out[i] = a * (1.0 + c * y * y) * profile[i];
  }
}

int CPhaseCurveEvaluator::SingleChange(const double* x) const {
  if (!hasBase_) return -1;
  int changed = -1;
  for (int j = 0; j < FitParameterCount; ++j) {
    if (std::memcmp(&x[j], &baseX_[j], sizeof(double)) == 0) continue;
    if (changed >= 0 || !std::isfinite(x[j])) return -1;
    changed = j;
  }
  return changed;
}

void CPhaseCurveEvaluator::Residuals(const double* x, double* fvec) {
  const int changed = SingleChange(x);
  if (changed >= 0)
    ChangedResiduals(changed, x, fvec);
  else
    FullResiduals(x, fvec);
}

void CPhaseCurveEvaluator::FullResiduals(const double* x, double* fvec) {
  TFitParameters model;
  std::copy(x, x + FitParameterCount, model.value);
  PrepareLightCurveModel(model);
  const std::size_t n = count_;
  PrimaryTerms(model, basePrimary_.data());
  SecondaryTerms(model, baseSecondary_.data());
  // The same sums in the same order as EvaluateLightCurveModel, harmonics
  // with zero coefficients left out as there.
  double* value = baseModel_.data();
  const double level = model[fpMag0];
  for (std::size_t i = 0; i < n; ++i) value[i] = (baseSecondary_[i] + level) + basePrimary_[i];
  for (int k = 0; k < 3; ++k) {
    const double aSin = model.value[fpASin1 + 2 * k];
    const double aCos = model.value[fpACos1 + 2 * k];
    const double* sine = harmonic_[2 * k].data();
    const double* cosine = harmonic_[2 * k + 1].data();
    if (aSin != 0.0 && aCos != 0.0) {
      for (std::size_t i = 0; i < n; ++i) value[i] = (value[i] + aSin * sine[i]) + aCos * cosine[i];
    } else if (aSin != 0.0) {
      for (std::size_t i = 0; i < n; ++i) value[i] += aSin * sine[i];
    } else if (aCos != 0.0) {
      for (std::size_t i = 0; i < n; ++i) value[i] += aCos * cosine[i];
    }
  }
  for (std::size_t i = 0; i < n; ++i) fvec[i] = (observed_[i] - value[i]) / error_[i];
  // Only a finite model can have a part taken out and another put in.
  std::copy(x, x + FitParameterCount, baseX_);
  hasBase_ = AllFinite(baseModel_) && AllFinite(basePrimary_) && AllFinite(baseSecondary_);
}

void CPhaseCurveEvaluator::ChangedResiduals(int changed, const double* x, double* fvec) {
  const std::size_t n = count_;
  const double* value = baseModel_.data();
  if (IsPrimaryParameter(changed) || IsSecondaryParameter(changed)) {
    TFitParameters model;
    std::copy(x, x + FitParameterCount, model.value);
    PrepareLightCurveModel(model);
    const bool primary = IsPrimaryParameter(changed);
    double* term = changedTerm_.data();
    const double* before = primary ? basePrimary_.data() : baseSecondary_.data();
    if (primary)
      PrimaryTerms(model, term);
    else
      SecondaryTerms(model, term);
    for (std::size_t i = 0; i < n; ++i)
      fvec[i] = (observed_[i] - ((value[i] - before[i]) + term[i])) / error_[i];
    return;
  }
  const double delta = x[changed] - baseX_[changed];
  if (changed == fpMag0) {
    for (std::size_t i = 0; i < n; ++i) fvec[i] = (observed_[i] - (value[i] + delta)) / error_[i];
    return;
  }
  const double* harmonic = harmonic_[changed - fpASin1].data();
  for (std::size_t i = 0; i < n; ++i)
    fvec[i] = (observed_[i] - (value[i] + delta * harmonic[i])) / error_[i];
}

int CPhaseCurveEvaluator::Residual(int /*m*/, int /*n*/, double* x, double* fvec, double** /*dvec*/,
                                   void* privateData) {
  static_cast<CPhaseCurveEvaluator*>(privateData)->Residuals(x, fvec);
  return 0;
}

}  // namespace ombrix_analysis
