// O-C analysis: cycle counting and the weighted ephemeris fits.
#include "ombrix_analysis/ephemeris_fit.h"

#include <algorithm>
#include <cmath>

namespace ombrix_analysis {

namespace {

constexpr int kMaxTerms = 3;

// Inverts a symmetric positive matrix of n <= 3 rows in place (Gauss-Jordan
// with partial pivoting); false when it is singular.
bool Invert(double (&m)[kMaxTerms][kMaxTerms], int n) {
  double a[kMaxTerms][2 * kMaxTerms] = {};
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) a[i][j] = m[i][j];
    a[i][n + i] = 1.0;
  }
  for (int col = 0; col < n; ++col) {
    int pivot = col;
    for (int r = col + 1; r < n; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    if (!(std::fabs(a[pivot][col]) > 1e-12 * std::fabs(m[col][col]))) return false;
    std::swap(a[col], a[pivot]);
    const double p = a[col][col];
    for (int k = 0; k < 2 * n; ++k) a[col][k] /= p;
    for (int r = 0; r < n; ++r) {
      if (r == col) continue;
      const double f = a[r][col];
      for (int k = 0; k < 2 * n; ++k) a[r][k] -= f * a[col][k];
    }
  }
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) m[i][j] = a[i][n + j];
  return true;
}

// The weights of the minima: 1/error^2, an unknown error (0) taking the
// median of the given ones; all 1 when none is given.
std::vector<double> Weights(const double* errors, std::size_t count, bool& weighted) {
  std::vector<double> given;
  for (std::size_t i = 0; i < count; ++i)
    if (errors[i] > 0.0 && std::isfinite(errors[i])) given.push_back(errors[i]);
  weighted = !given.empty();
  std::vector<double> weights(count, 1.0);
  if (!weighted) return weights;
  std::nth_element(given.begin(), given.begin() + given.size() / 2, given.end());
  const double median = given[given.size() / 2];
  for (std::size_t i = 0; i < count; ++i) {
    const double e = errors[i] > 0.0 && std::isfinite(errors[i]) ? errors[i] : median;
    weights[i] = 1.0 / (e * e);
  }
  return weights;
}

}  // namespace

void CycleOfMinimum(double time, ombrix_data::TMinimumType type, double m0, double period, double& cycle,
                    double& oc) {
  const bool secondary = type == ombrix_data::minSecondary;
  const double c = time - m0 - (secondary ? period / 2 : 0.0);
  const double whole = std::round(c / period);
  oc = c - whole * period;
  cycle = whole + (secondary ? 0.5 : 0.0);
}

bool FitEphemeris(const double* cycles, const double* times, const double* errors, std::size_t count, int terms,
                  double referenceM0, double referencePeriod, TEphemerisSolution& solution) {
  solution = TEphemerisSolution{};
  if (terms < 2 || terms > kMaxTerms || count <= static_cast<std::size_t>(terms)) return false;
  bool weighted = false;
  const std::vector<double> weights = Weights(errors, count, weighted);
  // Cycles scaled to about 1 keep the normal matrix well conditioned.
  double scale = 0.0;
  for (std::size_t i = 0; i < count; ++i) scale = std::max(scale, std::fabs(cycles[i]));
  if (scale == 0.0) scale = 1.0;
  double normal[kMaxTerms][kMaxTerms] = {};
  double right[kMaxTerms] = {};
  std::vector<double> oc(count);
  for (std::size_t i = 0; i < count; ++i) {
    oc[i] = times[i] - (referenceM0 + referencePeriod * cycles[i]);
    const double x = cycles[i] / scale;
    const double basis[kMaxTerms] = {1.0, x, x * x};
    for (int j = 0; j < terms; ++j) {
      for (int k = 0; k < terms; ++k) normal[j][k] += weights[i] * basis[j] * basis[k];
      right[j] += weights[i] * basis[j] * oc[i];
    }
  }
  double inverse[kMaxTerms][kMaxTerms];
  std::copy(&normal[0][0], &normal[0][0] + kMaxTerms * kMaxTerms, &inverse[0][0]);
  if (!Invert(inverse, terms)) return false;
  double coefficient[kMaxTerms] = {};
  for (int j = 0; j < terms; ++j)
    for (int k = 0; k < terms; ++k) coefficient[j] += inverse[j][k] * right[k];

  double chi2 = 0.0, squares = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const double x = cycles[i] / scale;
    const double r = oc[i] - (coefficient[0] + coefficient[1] * x + (terms == 3 ? coefficient[2] * x * x : 0.0));
    chi2 += weights[i] * r * r;
    squares += r * r;
  }
  const double freedom = static_cast<double>(count - static_cast<std::size_t>(terms));
  solution.reducedChi2 = weighted ? chi2 / freedom : std::nan("");
  // Stated errors that the residuals outgrow are scaled up to them; without
  // errors the residuals alone give the variance.
  const double variance = weighted ? std::max(1.0, solution.reducedChi2) : chi2 / freedom;
  const double unscale[kMaxTerms] = {1.0, 1.0 / scale, 1.0 / (scale * scale)};
  for (int j = 0; j < terms; ++j)
    for (int k = 0; k < terms; ++k) solution.covariance[j][k] = inverse[j][k] * variance * unscale[j] * unscale[k];

  solution.valid = true;
  solution.terms = terms;
  solution.m0 = referenceM0 + coefficient[0];
  solution.period = referencePeriod + coefficient[1] / scale;
  solution.quadratic = terms == 3 ? coefficient[2] / (scale * scale) : 0.0;
  solution.m0Error = std::sqrt(solution.covariance[0][0]);
  solution.periodError = std::sqrt(solution.covariance[1][1]);
  solution.quadraticError = terms == 3 ? std::sqrt(solution.covariance[2][2]) : 0.0;
  solution.dPdE = 2.0 * solution.quadratic;
  solution.dPdEError = 2.0 * solution.quadraticError;
  solution.rms = std::sqrt(squares / static_cast<double>(count));
  return true;
}

double PredictedMinimum(const TEphemerisSolution& s, double cycle, double* error) {
  const double g[kMaxTerms] = {1.0, cycle, cycle * cycle};
  if (error) {
    double variance = 0.0;
    for (int j = 0; j < s.terms; ++j)
      for (int k = 0; k < s.terms; ++k) variance += g[j] * s.covariance[j][k] * g[k];
    *error = std::sqrt(std::max(0.0, variance));
  }
  return s.m0 + s.period * cycle + s.quadratic * cycle * cycle;
}

double FittedOC(const TOCAnalysis& analysis, const TEphemerisSolution& s, double cycle) {
  return (s.m0 - analysis.referenceM0) + (s.period - analysis.referencePeriod) * cycle +
         s.quadratic * cycle * cycle;
}

bool AnalyseOC(const ombrix_data::CObjectListElem& object, TOCAnalysis& analysis, std::string& failure) {
  analysis = TOCAnalysis{};
  if (object.m0 == 0.0 || !(object.period > 0.0)) {
    failure = "M0 and Period of the object must be set to count cycles.";
    return false;
  }
  analysis.scale = object.m0Scale;
  analysis.referenceM0 = object.m0;
  analysis.referencePeriod = object.period;
  std::vector<TScaledMinimum> minima;
  TScaleRefusal refusal;
  if (!CollectMinimaInScale(object, analysis.scale, TSeriesChoice::enabledOnly, minima, refusal)) {
    failure = refusal.Text();
    return false;
  }
  if (minima.size() < kMinLinearMinima) {
    failure = "At least 3 enabled minima are needed for an ephemeris fit.";
    return false;
  }
  std::vector<double> cycles, times, errors;
  for (const TScaledMinimum& m : minima) {
    TOCPoint point;
    point.minimum = m;
    CycleOfMinimum(m.time, m.type, object.m0, object.period, point.cycle, point.oc);
    analysis.points.push_back(point);
    cycles.push_back(point.cycle);
    times.push_back(m.time);
    errors.push_back(m.error);
    analysis.weighted = analysis.weighted || m.error > 0.0;
  }
  const std::size_t n = minima.size();
  if (!FitEphemeris(cycles.data(), times.data(), errors.data(), n, 2, object.m0, object.period, analysis.linear)) {
    failure = "The minima fall on too few cycles to fit an ephemeris.";
    return false;
  }
  if (n >= kMinQuadraticMinima)
    FitEphemeris(cycles.data(), times.data(), errors.data(), n, 3, object.m0, object.period, analysis.quadratic);
  for (TOCPoint& p : analysis.points) {
    p.linearResidual = p.minimum.time - PredictedMinimum(analysis.linear, p.cycle);
    if (analysis.quadratic.valid) p.quadraticResidual = p.minimum.time - PredictedMinimum(analysis.quadratic, p.cycle);
  }
  return true;
}

void ApplyEphemeris(ombrix_data::CObjectListElem& object, const TOCAnalysis& analysis,
                    const TEphemerisSolution& solution) {
  if (!solution.valid) return;
  object.m0 = solution.m0;
  object.period = solution.period;
  object.m0Scale = analysis.scale;
}

}  // namespace ombrix_analysis
