// The eclipse-profile stages with AVX2 and FMA, four points at a time, with
// SLEEF's functions. This file is compiled for AVX2 and FMA; it holds only
// these stages, so that no code shared with other files is built for the unit.
#include <sleef.h>

#include "eclipse_profiles_units.h"
#include "ombrix_model/light_curve_model.h"

namespace ombrix_analysis {

using ombrix_model::kEclipseCutoff;

void GeometryAvx2(const double* u, double centre, double inverseWidth, std::size_t n, double* logBase) {
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

void ShapeAvx2(const double* logBase, double shape, std::size_t n, double* out) {
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

}  // namespace ombrix_analysis
