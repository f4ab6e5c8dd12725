// Order-1 sums with AVX-512, eight points at a time, the same way as the AVX2
// kernel (see frequency_kernel_avx2.cpp). This file is compiled for AVX-512F
// and holds only this kernel.
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

}  // namespace ombrix_analysis
