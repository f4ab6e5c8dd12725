// Order-1 sums with AVX2 and FMA, four points at a time, using SLEEF's
// sincospi: sin and cos of pi x with x = (omega / pi) t. Its reduction of x is
// exact and cheaper than that of a radian argument, and the 3.5-ulp variant is
// twice as fast as the 1-ulp one while the sums stay far inside 1e-9 of the
// direct projection. Also the sample kernel of the gridded scan. This file
// is compiled for AVX2 and FMA; it holds only these kernels and uses no
// inline library code, so that no code shared with other files is built for
// the unit.
#include <sleef.h>

#include <ombrix_model/angles.h>

#include "frequency_kernel_units.h"

namespace ombrix_analysis {

namespace {

double Sum4(__m256d v) {
  const __m128d pair = _mm_add_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
  return _mm_cvtsd_f64(_mm_add_sd(pair, _mm_unpackhi_pd(pair, pair)));
}

}  // namespace

void OrderOneSumsAvx2(std::uint32_t n, double omega, const double* values, const double* times,
                      const double* weights, TOrderOneSums& sums) {
  const double nu = omega / ombrix_model::kPi;
  const __m256d om = _mm256_set1_pd(nu);
  __m256d wc = _mm256_setzero_pd(), ws = wc, wyc = wc, wys = wc;
  std::uint32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const Sleef___m256d_2 sc = Sleef_sincospid4_u35avx2(_mm256_mul_pd(om, _mm256_loadu_pd(times + i)));
    const __m256d w = _mm256_loadu_pd(weights + i);
    const __m256d wy = _mm256_mul_pd(w, _mm256_loadu_pd(values + i));
    ws = _mm256_fmadd_pd(w, sc.x, ws);
    wc = _mm256_fmadd_pd(w, sc.y, wc);
    wys = _mm256_fmadd_pd(wy, sc.x, wys);
    wyc = _mm256_fmadd_pd(wy, sc.y, wyc);
  }
  sums = {Sum4(wc), Sum4(ws), Sum4(wyc), Sum4(wys)};
  AddOrderOneTail(i, n, nu, values, times, weights, sums);
}

// Tiles of points run through the frequencies with their phasors in a
// buffer; the points left over after the last full vector go to the tail.
void SampleSumsAvx2(const TSampleRun& r) {
  for (std::uint32_t k = 0; k < r.count; ++k) r.sums[k] = {};
  const std::uint32_t vectorPoints = r.n - r.n % 4;
  alignas(32) double zr[kSampleTile], zi[kSampleTile];
  for (std::uint32_t p0 = 0; p0 < vectorPoints; p0 += kSampleTile) {
    const std::uint32_t length = vectorPoints - p0 < kSampleTile ? vectorPoints - p0 : kSampleTile;
    const double* t = r.times + p0;
    const double *a1 = r.a1 + p0, *a2 = r.a2 + p0;
    const double *stepCos = r.stepCos + p0, *stepSin = r.stepSin + p0;
    for (std::uint32_t k0 = 0; k0 < r.count; k0 += kSampleRestart) {
      const __m256d x = _mm256_set1_pd(static_cast<double>(r.first + k0) * r.step);
      for (std::uint32_t v = 0; v < length; v += 4) {
        const Sleef___m256d_2 sc = Sleef_sincospid4_u35avx2(_mm256_mul_pd(x, _mm256_loadu_pd(t + v)));
        _mm256_store_pd(zr + v, sc.y);
        _mm256_store_pd(zi + v, sc.x);
      }
      const std::uint32_t end = r.count - k0 < kSampleRestart ? r.count : k0 + kSampleRestart;
      for (std::uint32_t k = k0; k < end; ++k) {
        __m256d c1 = _mm256_setzero_pd(), s1 = c1, c2 = c1, s2 = c1;
        for (std::uint32_t v = 0; v < length; v += 4) {
          const __m256d c = _mm256_load_pd(zr + v), s = _mm256_load_pd(zi + v);
          const __m256d w1 = _mm256_loadu_pd(a1 + v), w2 = _mm256_loadu_pd(a2 + v);
          c1 = _mm256_fmadd_pd(w1, c, c1);
          s1 = _mm256_fmadd_pd(w1, s, s1);
          c2 = _mm256_fmadd_pd(w2, c, c2);
          s2 = _mm256_fmadd_pd(w2, s, s2);
          const __m256d sr = _mm256_loadu_pd(stepCos + v), si = _mm256_loadu_pd(stepSin + v);
          _mm256_store_pd(zr + v, _mm256_fmsub_pd(c, sr, _mm256_mul_pd(s, si)));
          _mm256_store_pd(zi + v, _mm256_fmadd_pd(c, si, _mm256_mul_pd(s, sr)));
        }
        TOrderOneSums& sums = r.sums[k];
        sums.wc += Sum4(c1);
        sums.ws += Sum4(s1);
        sums.wyc += Sum4(c2);
        sums.wys += Sum4(s2);
      }
    }
  }
  AddSampleTail(vectorPoints, r);
}

// Four vectors at a time, so that four Horner chains overlap.
void PolynomialAvx2(std::uint32_t count, const double* x, const double* c, int terms, double* out) {
  std::uint32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m256d x0 = _mm256_loadu_pd(x + i), x1 = _mm256_loadu_pd(x + i + 4);
    const __m256d x2 = _mm256_loadu_pd(x + i + 8), x3 = _mm256_loadu_pd(x + i + 12);
    __m256d s0 = _mm256_set1_pd(c[terms - 1]), s1 = s0, s2 = s0, s3 = s0;
    for (int k = terms - 2; k >= 0; --k) {
      const __m256d ck = _mm256_set1_pd(c[k]);
      s0 = _mm256_fmadd_pd(s0, x0, ck);
      s1 = _mm256_fmadd_pd(s1, x1, ck);
      s2 = _mm256_fmadd_pd(s2, x2, ck);
      s3 = _mm256_fmadd_pd(s3, x3, ck);
    }
    _mm256_storeu_pd(out + i, s0);
    _mm256_storeu_pd(out + i + 4, s1);
    _mm256_storeu_pd(out + i + 8, s2);
    _mm256_storeu_pd(out + i + 12, s3);
  }
  for (; i < count; ++i) {
    double sum = c[terms - 1];
    for (int k = terms - 2; k >= 0; --k) sum = sum * x[i] + c[k];
    out[i] = sum;
  }
}

}  // namespace ombrix_analysis
