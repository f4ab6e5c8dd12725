// The eclipse-profile stages with AVX-512, eight points at a time, the same
// way as the AVX2 stages. This file is compiled for AVX-512F and holds only
// these stages.
#include <sleef.h>

#include "eclipse_profiles_units.h"
#include "ombrix_model/light_curve_model.h"

namespace ombrix_analysis {

using ombrix_model::kEclipseCutoff;

void GeometryAvx512(const double* u, double centre, double inverseWidth, std::size_t n, double* logBase) {
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

void ShapeAvx512(const double* logBase, double shape, std::size_t n, double* out) {
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

}  // namespace ombrix_analysis
