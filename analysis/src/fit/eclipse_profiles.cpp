// Eclipse-profile kernels: the scalar stages, the tails the vector stages
// share and the run-time choice of the unit. The vector stages live in files
// of their own, compiled for their unit.
#include "eclipse_profiles.h"

#include <cmath>
#include <initializer_list>

#include "ombrix_model/light_curve_model.h"
#include "eclipse_profiles_units.h"

namespace ombrix_analysis {

using ombrix_model::kEclipseCutoff;

namespace {

// Scalar geometry: the base 1 - exp(1 - cosh z) of EclipseProfile's power,
// exactly 1 beyond the cutoff, where the base rounds to 1 anyway. The shape
// stage then gives EclipseProfile's bits: pow(1, g) is 1 for every g.
void GeometryScalar(const double* u, double centre, double inverseWidth, std::size_t n,
                    double* base) {
  for (std::size_t i = 0; i < n; ++i) {
    const double z = (u[i] - centre) * inverseWidth;
    base[i] = std::fabs(z) > kEclipseCutoff ? 1.0 : 1.0 - std::exp(1.0 - std::cosh(z));
  }
}

void ShapeScalar(const double* base, double shape, std::size_t n, double* out) {
  for (std::size_t i = 0; i < n; ++i) out[i] = 1.0 - std::pow(base[i], shape);
}

}  // namespace

void LogBasesScalar(const double* u, double centre, double inverseWidth, std::size_t n,
                    double* logBase) {
  for (std::size_t i = 0; i < n; ++i) {
    const double z = (u[i] - centre) * inverseWidth;
    logBase[i] = std::fabs(z) > kEclipseCutoff ? 0.0 : std::log(1.0 - std::exp(1.0 - std::cosh(z)));
  }
}

void ShapesFromLogBasesScalar(const double* logBase, double shape, std::size_t n, double* out) {
  for (std::size_t i = 0; i < n; ++i)
    out[i] = (shape == 0.0 || logBase[i] == 0.0) ? 0.0 : 1.0 - std::exp(shape * logBase[i]);
}

TEclipseProfileKernel EclipseProfileKernelFor(TKernelUnit unit) {
  if (!IsKernelUnitAvailable(unit)) return {};
  switch (unit) {
    case TKernelUnit::avx512f:
      return {GeometryAvx512, ShapeAvx512};
    case TKernelUnit::avx2:
      return {GeometryAvx2, ShapeAvx2};
    case TKernelUnit::scalar:
      return {GeometryScalar, ShapeScalar};
  }
  return {};
}

TEclipseProfileKernel BestEclipseProfileKernel() {
  static const TEclipseProfileKernel best = [] {
    for (TKernelUnit unit : {TKernelUnit::avx512f, TKernelUnit::avx2})
      if (TEclipseProfileKernel kernel = EclipseProfileKernelFor(unit)) return kernel;
    return EclipseProfileKernelFor(TKernelUnit::scalar);
  }();
  return best;
}

}  // namespace ombrix_analysis
