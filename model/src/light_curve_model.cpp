#include "ombrix_model/light_curve_model.h"

#include <cmath>
#include <cstring>

namespace ombrix_model {

const char* const FitParameterKeywords[FitParameterCount] = {
    "mag0",  "sec_phase", "a_pri",  "d_pri",  "g_pri",  "c_pri",
    "a_sec", "d_sec",     "g_sec",  "c_sec",  "a_sin1", "a_cos1",
    "a_sin2", "a_cos2",   "a_sin3", "a_cos3"};

const double FitParameterDefaults[FitParameterCount] = {
    0.0, 0.5, 0.5, 0.1, 1.0, 0.0, 0.5, 0.1, 1.0, 0.0, 0, 0, 0, 0, 0, 0};

const TFitParameterIndex FitParameterWriteOrder[FitParameterCount] = {
    fpMag0, fpSecPhase, fpAPri,  fpDPri,  fpGPri,  fpCPri,  fpASec,  fpDSec,
    fpGSec, fpCSec,     fpASin1, fpASin2, fpASin3, fpACos1, fpACos2, fpACos3};

bool FindFitParameterKeyword(const char* keyword, TFitParameterIndex& index) {
  if (keyword == nullptr) return false;
  for (int i = 0; i < FitParameterCount; ++i) {
    if (std::strcmp(keyword, FitParameterKeywords[i]) == 0) {
      index = static_cast<TFitParameterIndex>(i);
      return true;
    }
  }
  return false;
}

void ResetFitParameters(TFitParameters& parameters) {
  for (int i = 0; i < FitParameterCount; ++i) parameters.value[i] = FitParameterDefaults[i];
  PrepareLightCurveModel(parameters);
}

void PrepareLightCurveModel(TFitParameters& parameters) {
  const double dPri = parameters[fpDPri];
  const double dSec = parameters[fpDSec];
  parameters.priCurvature = parameters[fpCPri] / (dPri * dPri);
  parameters.priInverseWidth = 1.0 / dPri;
  parameters.secCurvature = parameters[fpCSec] / (dSec * dSec);
  parameters.secInverseWidth = 1.0 / dSec;
}

double EclipseProfile(double z, double shape) {
  // Beyond the cutoff exp(1 - cosh z) is below 1e-17, so the base rounds to
  // exactly 1 and pow(1, g) is 1 for every g: the profile is exactly 0, and
  // the three transcendental calls can be skipped without changing a bit.
  if (std::fabs(z) > kEclipseCutoff) return 0.0;
  return 1.0 - std::pow(1.0 - std::exp(1.0 - std::cosh(z)), shape);
}

double LightCurveEclipse(double u, double amplitude, double curvature, double inverseWidth,
                         double shape) {
  return amplitude * (1.0 + curvature * u * u) * EclipseProfile(u * inverseWidth, shape);
}

double EclipseHalfWidth(const TFitParameters& p, bool primary) {
  const double amplitude = primary ? p[fpAPri] : p[fpASec];
  const double width = primary ? p[fpDPri] : p[fpDSec];
  const double curvature = primary ? p.priCurvature : p.secCurvature;
  const double inverseWidth = primary ? p.priInverseWidth : p.secInverseWidth;
  const double shape = primary ? p[fpGPri] : p[fpGSec];
  if (!(amplitude != 0.0 && width > 0.0 && std::isfinite(amplitude) && std::isfinite(width))) return 0.0;
  const auto level = [&](double u) {
    return LightCurveEclipse(u, amplitude, curvature, inverseWidth, shape) / amplitude;
  };
  // Walk out in small steps to the first one at or below the contact level
  // (the profile is exactly 0 beyond the cutoff), then halve the last step.
  constexpr int kSteps = 450;
  const double step = kEclipseCutoff * width / kSteps;
  double inside = 0.0, outside = kEclipseCutoff * width;
  for (int i = 1; i <= kSteps; ++i) {
    if (level(i * step) <= kEclipseContactLevel) {
      outside = i * step;
      break;
    }
    inside = i * step;
  }
  for (int i = 0; i < 40; ++i) {
    const double middle = 0.5 * (inside + outside);
    (level(middle) <= kEclipseContactLevel ? outside : inside) = middle;
  }
  return 0.5 * (inside + outside);
}

double EvaluateLightCurveModel(const TFitParameters& p, double phase) {
  // The secondary distance is not wrapped: a secondary near phase 0 or 1 is
  // modelled only on the side where it lies.
  const double y = phase - p[fpSecPhase];
  const double secondary =
      LightCurveEclipse(y, p[fpASec], p.secCurvature, p.secInverseWidth, p[fpGSec]);
  const double x = PrimaryDistance(phase);
  const double primary =
      LightCurveEclipse(x, p[fpAPri], p.priCurvature, p.priInverseWidth, p[fpGPri]);
  double value = (secondary + p[fpMag0]) + primary;

  for (int k = 1; k <= 3; ++k) {
    const double aSin = p.value[fpASin1 + 2 * (k - 1)];
    const double aCos = p.value[fpACos1 + 2 * (k - 1)];
    if (aSin == 0.0 && aCos == 0.0) continue;
    const double angle = HarmonicAngle(k, phase);
    if (aSin != 0.0) value += aSin * std::sin(angle);
    if (aCos != 0.0) value += aCos * std::cos(angle);
  }
  return value;
}

bool IsFitDefined(const TFitParameters& parameters) {
  for (int i = 0; i < FitParameterCount; ++i) {
    // A NaN compares unequal and so counts as set.
    if (!(parameters.value[i] == FitParameterDefaults[i])) return true;
  }
  return false;
}

double PhaseOfTime(double t, double m0, double period) {
  const double cycles = (t - m0) / period;
  return cycles - std::trunc(cycles);
}

double PhaseInWindow(double t, double m0, double period, double lead) {
  const double start = m0 - lead * period;
  const double end = start + period;
  if (t < start) {
    t += std::trunc((end - t) / period) * period;
  } else if (t > end) {
    t -= std::trunc((t - start) / period) * period;
  }
  return (t - m0) / period;
}

double PhaseInCycle(double t, double m0, double period) {
  double phase = PhaseOfTime(t, m0, period);
  if (phase < 0.0) phase += 1.0;
  return phase >= 1.0 ? 0.0 : phase;  // NaN (period 0) passes through
}

}  // namespace ombrix_model
