// The vector functions carry their own target attributes, so the file builds
// for any x86-64 and the wide paths run only where the processor reports them.
#include <sleef.h>
#include <x86intrin.h>

// sleef.h declares its wide functions only when the whole file is compiled for
// that unit; these are the library's own signatures of the ones used here.
extern "C" {
__attribute__((target("avx2,fma"))) __m256d Sleef_coshd4_u35avx2(__m256d);
__attribute__((target("avx2,fma"))) __m256d Sleef_expd4_u10avx2(__m256d);
__attribute__((target("avx2,fma"))) __m256d Sleef_logd4_u10avx2(__m256d);
__attribute__((target("avx512f"))) __m512d Sleef_coshd8_u35avx512f(__m512d);
__attribute__((target("avx512f"))) __m512d Sleef_expd8_u10avx512f(__m512d);
__attribute__((target("avx512f"))) __m512d Sleef_logd8_u10avx512f(__m512d);
}

#include "eclipse_profiles.h"

#include <cmath>
#include <initializer_list>

#include "ombrix_model/light_curve_model.h"

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

// Vector geometry: the logarithm of the base, exactly 0 where the base is 1
// (beyond the cutoff, or rounded there). A NaN distance is not beyond it.
// The vector routines finish their last points with these scalar ones.
void LogBasesScalar(const double* u, double centre, double inverseWidth, std::size_t n,
                    double* logBase) {
  for (std::size_t i = 0; i < n; ++i) {
    const double z = (u[i] - centre) * inverseWidth;
    logBase[i] = std::fabs(z) > kEclipseCutoff ? 0.0 : std::log(1.0 - std::exp(1.0 - std::cosh(z)));
  }
}

// 1 - exp(g log b) with pow's rules where they differ: b = 1 or g = 0 give
// exactly 1 for the power (also for a NaN g or b), so the profile is 0.
void ShapesFromLogBasesScalar(const double* logBase, double shape, std::size_t n, double* out) {
  for (std::size_t i = 0; i < n; ++i)
    out[i] = (shape == 0.0 || logBase[i] == 0.0) ? 0.0 : 1.0 - std::exp(shape * logBase[i]);
}

__attribute__((target("avx2,fma"))) void GeometryAvx2(const double* u, double centre,
                                                      double inverseWidth, std::size_t n,
                                                      double* logBase) {
  const __m256d c = _mm256_set1_pd(centre), w = _mm256_set1_pd(inverseWidth);
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d cutoff = _mm256_set1_pd(kEclipseCutoff), sign = _mm256_set1_pd(-0.0);
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m256d z = _mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(u + i), c), w);
    const __m256d beyond = _mm256_cmp_pd(_mm256_andnot_pd(sign, z), cutoff, _CMP_GT_OQ);
    if (_mm256_movemask_pd(beyond) == 0xF) {
      _mm256_storeu_pd(logBase + i, _mm256_setzero_pd());
      continue;
    }
    const __m256d e = Sleef_expd4_u10avx2(_mm256_sub_pd(one, Sleef_coshd4_u35avx2(z)));
    const __m256d l = Sleef_logd4_u10avx2(_mm256_sub_pd(one, e));
    _mm256_storeu_pd(logBase + i, _mm256_andnot_pd(beyond, l));
  }
  LogBasesScalar(u + i, centre, inverseWidth, n - i, logBase + i);
}

__attribute__((target("avx2,fma"))) void ShapeAvx2(const double* logBase, double shape,
                                                   std::size_t n, double* out) {
  const __m256d g = _mm256_set1_pd(shape), one = _mm256_set1_pd(1.0);
  const __m256d zero = _mm256_setzero_pd();
  const bool flat = shape == 0.0;
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m256d l = _mm256_loadu_pd(logBase + i);
    const __m256d unit = _mm256_cmp_pd(l, zero, _CMP_EQ_OQ);
    if (flat || _mm256_movemask_pd(unit) == 0xF) {
      _mm256_storeu_pd(out + i, zero);
      continue;
    }
    const __m256d power = _mm256_blendv_pd(Sleef_expd4_u10avx2(_mm256_mul_pd(g, l)), one, unit);
    _mm256_storeu_pd(out + i, _mm256_sub_pd(one, power));
  }
  ShapesFromLogBasesScalar(logBase + i, shape, n - i, out + i);
}

__attribute__((target("avx512f"))) void GeometryAvx512(const double* u, double centre,
                                                       double inverseWidth, std::size_t n,
                                                       double* logBase) {
  const __m512d c = _mm512_set1_pd(centre), w = _mm512_set1_pd(inverseWidth);
  const __m512d one = _mm512_set1_pd(1.0);
  const __m512d cutoff = _mm512_set1_pd(kEclipseCutoff);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m512d z = _mm512_mul_pd(_mm512_sub_pd(_mm512_loadu_pd(u + i), c), w);
    const __mmask8 beyond = _mm512_cmp_pd_mask(_mm512_abs_pd(z), cutoff, _CMP_GT_OQ);
    if (beyond == 0xFF) {
      _mm512_storeu_pd(logBase + i, _mm512_setzero_pd());
      continue;
    }
    const __m512d e = Sleef_expd8_u10avx512f(_mm512_sub_pd(one, Sleef_coshd8_u35avx512f(z)));
    const __m512d l = Sleef_logd8_u10avx512f(_mm512_sub_pd(one, e));
    _mm512_storeu_pd(logBase + i, _mm512_maskz_mov_pd(static_cast<__mmask8>(~beyond), l));
  }
  LogBasesScalar(u + i, centre, inverseWidth, n - i, logBase + i);
}

__attribute__((target("avx512f"))) void ShapeAvx512(const double* logBase, double shape,
                                                    std::size_t n, double* out) {
  const __m512d g = _mm512_set1_pd(shape), one = _mm512_set1_pd(1.0);
  const __m512d zero = _mm512_setzero_pd();
  const bool flat = shape == 0.0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m512d l = _mm512_loadu_pd(logBase + i);
    const __mmask8 unit = _mm512_cmp_pd_mask(l, zero, _CMP_EQ_OQ);
    if (flat || unit == 0xFF) {
      _mm512_storeu_pd(out + i, zero);
      continue;
    }
    const __m512d power = _mm512_mask_mov_pd(Sleef_expd8_u10avx512f(_mm512_mul_pd(g, l)), unit, one);
    _mm512_storeu_pd(out + i, _mm512_sub_pd(one, power));
  }
  ShapesFromLogBasesScalar(logBase + i, shape, n - i, out + i);
}

}  // namespace

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
