// Order-1 sums with AVX-512, eight points at a time, the same way as the AVX2
// kernel (see frequency_kernel_avx2.cpp), and the sample kernel of the
// gridded scan. This file is compiled for AVX-512F and holds only these
// (no inline library code either).
#include <sleef.h>

#include <ombrix_model/angles.h>

#include "frequency_kernel_units.h"

namespace ombrix_analysis {

namespace {

// Horizontal sum through memory: GCC 12's own reduction intrinsic warns of
// an uninitialised temporary.
double Sum8(__m512d v) {
  alignas(64) double lanes[8];
  _mm512_store_pd(lanes, v);
  return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) + ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
}

}  // namespace

void OrderOneSumsAvx512(std::uint32_t n, double omega, const double* values, const double* times,
                        const double* weights, TOrderOneSums& sums) {
  const double nu = omega / ombrix_model::kPi;
  const __m512d om = _mm512_set1_pd(nu);
  __m512d wc = _mm512_setzero_pd(), ws = wc, wyc = wc, wys = wc;
  std::uint32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const Sleef___m512d_2 sc =
        Sleef_sincospid8_u35avx512f(_mm512_mul_pd(om, _mm512_loadu_pd(times + i)));
    const __m512d w = _mm512_loadu_pd(weights + i);
    const __m512d wy = _mm512_mul_pd(w, _mm512_loadu_pd(values + i));
    ws = _mm512_fmadd_pd(w, sc.x, ws);
    wc = _mm512_fmadd_pd(w, sc.y, wc);
    wys = _mm512_fmadd_pd(wy, sc.x, wys);
    wyc = _mm512_fmadd_pd(wy, sc.y, wyc);
  }
  sums = {Sum8(wc), Sum8(ws), Sum8(wyc), Sum8(wys)};
  AddOrderOneTail(i, n, nu, values, times, weights, sums);
}

// As SampleSumsAvx2, eight points at a time.
void SampleSumsAvx512(const TSampleRun& r) {
  for (std::uint32_t k = 0; k < r.count; ++k) r.sums[k] = {};
  const std::uint32_t vectorPoints = r.n - r.n % 8;
  alignas(64) double zr[kSampleTile], zi[kSampleTile];
  for (std::uint32_t p0 = 0; p0 < vectorPoints; p0 += kSampleTile) {
    const std::uint32_t length = vectorPoints - p0 < kSampleTile ? vectorPoints - p0 : kSampleTile;
    const double* t = r.times + p0;
    const double *a1 = r.a1 + p0, *a2 = r.a2 + p0;
    const double *stepCos = r.stepCos + p0, *stepSin = r.stepSin + p0;
    for (std::uint32_t k0 = 0; k0 < r.count; k0 += kSampleRestart) {
      const __m512d x = _mm512_set1_pd(static_cast<double>(r.first + k0) * r.step);
      for (std::uint32_t v = 0; v < length; v += 8) {
        const Sleef___m512d_2 sc = Sleef_sincospid8_u35avx512f(_mm512_mul_pd(x, _mm512_loadu_pd(t + v)));
        _mm512_store_pd(zr + v, sc.y);
        _mm512_store_pd(zi + v, sc.x);
      }
      const std::uint32_t end = r.count - k0 < kSampleRestart ? r.count : k0 + kSampleRestart;
      for (std::uint32_t k = k0; k < end; ++k) {
        __m512d c1 = _mm512_setzero_pd(), s1 = c1, c2 = c1, s2 = c1;
        for (std::uint32_t v = 0; v < length; v += 8) {
          const __m512d c = _mm512_load_pd(zr + v), s = _mm512_load_pd(zi + v);
          const __m512d w1 = _mm512_loadu_pd(a1 + v), w2 = _mm512_loadu_pd(a2 + v);
          c1 = _mm512_fmadd_pd(w1, c, c1);
          s1 = _mm512_fmadd_pd(w1, s, s1);
          c2 = _mm512_fmadd_pd(w2, c, c2);
          s2 = _mm512_fmadd_pd(w2, s, s2);
          const __m512d sr = _mm512_loadu_pd(stepCos + v), si = _mm512_loadu_pd(stepSin + v);
          _mm512_store_pd(zr + v, _mm512_fmsub_pd(c, sr, _mm512_mul_pd(s, si)));
          _mm512_store_pd(zi + v, _mm512_fmadd_pd(c, si, _mm512_mul_pd(s, sr)));
        }
        TOrderOneSums& sums = r.sums[k];
        sums.wc += Sum8(c1);
        sums.ws += Sum8(s1);
        sums.wyc += Sum8(c2);
        sums.wys += Sum8(s2);
      }
    }
  }
  AddSampleTail(vectorPoints, r);
}

// Four vectors at a time, so that four Horner chains overlap.
void PolynomialAvx512(std::uint32_t count, const double* x, const double* c, int terms, double* out) {
  std::uint32_t i = 0;
  for (; i + 32 <= count; i += 32) {
    const __m512d x0 = _mm512_loadu_pd(x + i), x1 = _mm512_loadu_pd(x + i + 8);
    const __m512d x2 = _mm512_loadu_pd(x + i + 16), x3 = _mm512_loadu_pd(x + i + 24);
    __m512d s0 = _mm512_set1_pd(c[terms - 1]), s1 = s0, s2 = s0, s3 = s0;
    for (int k = terms - 2; k >= 0; --k) {
      const __m512d ck = _mm512_set1_pd(c[k]);
      s0 = _mm512_fmadd_pd(s0, x0, ck);
      s1 = _mm512_fmadd_pd(s1, x1, ck);
      s2 = _mm512_fmadd_pd(s2, x2, ck);
      s3 = _mm512_fmadd_pd(s3, x3, ck);
    }
    _mm512_storeu_pd(out + i, s0);
    _mm512_storeu_pd(out + i + 8, s1);
    _mm512_storeu_pd(out + i + 16, s2);
    _mm512_storeu_pd(out + i + 24, s3);
  }
  for (; i < count; ++i) {
    double sum = c[terms - 1];
    for (int k = terms - 2; k >= 0; --k) sum = sum * x[i] + c[k];
    out[i] = sum;
  }
}

}  // namespace ombrix_analysis
