// O-C analysis: cycle numbers of an object's minima against its ephemeris
// (M0, P; secondary minima at half cycles, as the ETV diagram counts them),
// and weighted least-squares fits of a linear ephemeris T = M0 + P E and a
// quadratic one T = M0 + P E + Q E^2 (dP/dE = 2 Q) to them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <ombrix_field/object.h>
#include <ombrix_model/time_scales.h>

#include "ombrix_analysis/minima_scales.h"

namespace ombrix_analysis {

// One fitted ephemeris. Errors are the formal ones of the weighted fit,
// scaled up by sqrt(reduced chi-square) when that exceeds 1; without stated
// timing errors the points weigh equally and the errors come from the
// scatter of the residuals.
struct TEphemerisSolution {
  bool valid = false;
  int terms = 0;               // 2 linear, 3 quadratic
  double m0 = 0, m0Error = 0;  // epoch of cycle 0
  double period = 0, periodError = 0;
  double quadratic = 0, quadraticError = 0;  // Q (0 for the linear ephemeris)
  double dPdE = 0, dPdEError = 0;            // 2 Q, days per cycle
  double rms = 0;              // root mean square of the residuals, days
  double reducedChi2 = 0;      // chi-square / (n - terms); NaN without timing errors
  double covariance[3][3] = {};  // of (M0, P, Q), with the errors' scaling
};

// One minimum in the analysis.
struct TOCPoint {
  TScaledMinimum minimum;  // time in the analysis' scale
  double cycle = 0;        // E: whole for primary (and undefined) minima, half for secondary
  double oc = 0;           // O - C against the object's ephemeris, days
  double linearResidual = 0;     // against the fitted linear ephemeris
  double quadraticResidual = 0;  // against the fitted quadratic one (when valid)
};

struct TOCAnalysis {
  ombrix_model::TTimeScale scale = ombrix_model::tsHJD;  // of the times, M0 and the fits
  double referenceM0 = 0, referencePeriod = 0;           // the object's ephemeris
  bool weighted = false;                                 // timing errors were given
  std::vector<TOCPoint> points;
  TEphemerisSolution linear;     // needs 3 minima
  TEphemerisSolution quadratic;  // needs 4 minima
};

// Fewest minima for each fit.
inline constexpr std::size_t kMinLinearMinima = 3;
inline constexpr std::size_t kMinQuadraticMinima = 4;

// The cycle number of a minimum at `time` and its O-C against m0 and
// period: secondary minima count from m0 + period / 2 and get half cycles;
// the nearest cycle is taken, halves away from zero.
void CycleOfMinimum(double time, ombrix_data::TMinimumType type, double m0, double period, double& cycle,
                    double& oc);

// Weighted least-squares fit of `terms` (2 or 3) ephemeris terms to times
// at cycles; errors of 0 count as unknown (the median of the given ones, or
// equal weights when none is given). The times are taken relative to
// referenceM0 + referencePeriod * cycle, so that long Julian dates lose no
// digits. False when there are no more minima than terms or the cycles do
// not determine the terms.
bool FitEphemeris(const double* cycles, const double* times, const double* errors, std::size_t count,
                  int terms, double referenceM0, double referencePeriod, TEphemerisSolution& solution);

// The time of minimum the ephemeris predicts at a cycle, and its error from
// the covariance.
double PredictedMinimum(const TEphemerisSolution& solution, double cycle, double* error = nullptr);

// The object's enabled minima (enabled series only) in the scale of its M0,
// their cycles and O-C, and both fits. False with `failure` set when M0 or
// the period is not set, the minima's scales cannot be combined or fewer
// than 3 minima are enabled; the quadratic fit is left invalid below 4.
bool AnalyseOC(const ombrix_data::CObjectListElem& object, TOCAnalysis& analysis, std::string& failure);

// O-C of a fitted ephemeris against the object's ephemeris at a cycle: the
// curve drawn over the ETV points.
double FittedOC(const TOCAnalysis& analysis, const TEphemerisSolution& solution, double cycle);

// "Apply ephemeris": stores the solution's M0 (in the analysis' scale) and
// period in the object. The caller reports the field changed.
void ApplyEphemeris(ombrix_data::CObjectListElem& object, const TOCAnalysis& analysis,
                    const TEphemerisSolution& solution);

}  // namespace ombrix_analysis
