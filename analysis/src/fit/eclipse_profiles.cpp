// The vector functions carry their own target attributes, so the file builds
// for any x86-64 and the wide paths run only where the processor reports them.
#include <sleef.h>
#include <x86intrin.h>

// sleef.h declares its wide functions only when the whole file is compiled for
// that unit; these are the library's own signatures of the ones used here.
extern "C" {
__attribute__((target("avx2,fma"))) __m256d Sleef_coshd4_u10avx2(__m256d);
__attribute__((target("avx2,fma"))) __m256d Sleef_expd4_u10avx2(__m256d);
__attribute__((target("avx2,fma"))) __m256d Sleef_powd4_u10avx2(__m256d, __m256d);
__attribute__((target("avx512f"))) __m512d Sleef_coshd8_u10avx512f(__m512d);
__attribute__((target("avx512f"))) __m512d Sleef_expd8_u10avx512f(__m512d);
__attribute__((target("avx512f"))) __m512d Sleef_powd8_u10avx512f(__m512d, __m512d);
}

#include "eclipse_profiles.h"

#include <initializer_list>

#include "ombrix_model/light_curve_model.h"

namespace ombrix_analysis {

using ombrix_model::EclipseProfile;
using ombrix_model::kEclipseCutoff;

namespace {

void ProfilesScalar(const double* u, double centre, double inverseWidth, double shape,
                    std::size_t n, double* out) {
  for (std::size_t i = 0; i < n; ++i) out[i] = EclipseProfile((u[i] - centre) * inverseWidth, shape);
}

// Lanes beyond the cutoff are exactly 0 as in EclipseProfile (a NaN distance
// is not beyond it); a vector with every lane beyond skips the functions.
__attribute__((target("avx2,fma"))) void ProfilesAvx2(const double* u, double centre,
                                                      double inverseWidth, double shape,
                                                      std::size_t n, double* out) {
  const __m256d c = _mm256_set1_pd(centre), w = _mm256_set1_pd(inverseWidth);
  const __m256d g = _mm256_set1_pd(shape), one = _mm256_set1_pd(1.0);
  const __m256d cutoff = _mm256_set1_pd(kEclipseCutoff), sign = _mm256_set1_pd(-0.0);
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m256d z = _mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(u + i), c), w);
    const __m256d beyond = _mm256_cmp_pd(_mm256_andnot_pd(sign, z), cutoff, _CMP_GT_OQ);
    if (_mm256_movemask_pd(beyond) == 0xF) {
      _mm256_storeu_pd(out + i, _mm256_setzero_pd());
      continue;
    }
    const __m256d e = Sleef_expd4_u10avx2(_mm256_sub_pd(one, Sleef_coshd4_u10avx2(z)));
    const __m256d p = _mm256_sub_pd(one, Sleef_powd4_u10avx2(_mm256_sub_pd(one, e), g));
    _mm256_storeu_pd(out + i, _mm256_andnot_pd(beyond, p));
  }
  ProfilesScalar(u + i, centre, inverseWidth, shape, n - i, out + i);
}

__attribute__((target("avx512f"))) void ProfilesAvx512(const double* u, double centre,
                                                       double inverseWidth, double shape,
                                                       std::size_t n, double* out) {
  const __m512d c = _mm512_set1_pd(centre), w = _mm512_set1_pd(inverseWidth);
  const __m512d g = _mm512_set1_pd(shape), one = _mm512_set1_pd(1.0);
  const __m512d cutoff = _mm512_set1_pd(kEclipseCutoff);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m512d z = _mm512_mul_pd(_mm512_sub_pd(_mm512_loadu_pd(u + i), c), w);
    const __mmask8 beyond = _mm512_cmp_pd_mask(_mm512_abs_pd(z), cutoff, _CMP_GT_OQ);
    if (beyond == 0xFF) {
      _mm512_storeu_pd(out + i, _mm512_setzero_pd());
      continue;
    }
    const __m512d e = Sleef_expd8_u10avx512f(_mm512_sub_pd(one, Sleef_coshd8_u10avx512f(z)));
    const __m512d p = _mm512_sub_pd(one, Sleef_powd8_u10avx512f(_mm512_sub_pd(one, e), g));
    _mm512_storeu_pd(out + i, _mm512_maskz_mov_pd(static_cast<__mmask8>(~beyond), p));
  }
  ProfilesScalar(u + i, centre, inverseWidth, shape, n - i, out + i);
}

}  // namespace

TEclipseProfileKernel EclipseProfileKernelFor(TKernelUnit unit) {
  if (!IsKernelUnitAvailable(unit)) return nullptr;
  switch (unit) {
    case TKernelUnit::avx512f:
      return ProfilesAvx512;
    case TKernelUnit::avx2:
      return ProfilesAvx2;
    case TKernelUnit::scalar:
      return ProfilesScalar;
  }
  return nullptr;
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
