#include "row_reduction.h"

#include <x86intrin.h>

#include <algorithm>
#include <cmath>

namespace mpfit_internal {
namespace {

// Dot product with four running sums, so that the additions overlap.
double Dot(const double* a, const double* b, int count) {
  double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    s0 += a[i] * b[i];
    s1 += a[i + 1] * b[i + 1];
    s2 += a[i + 2] * b[i + 2];
    s3 += a[i + 3] * b[i + 3];
  }
  for (; i < count; ++i) s0 += a[i] * b[i];
  return (s0 + s1) + (s2 + s3);
}

// The reflection I - tau [1; v] [1; v]^T applied to columns k+1 .. n of the
// buffer: each column's row k and its kRows block rows, v the block rows of
// column k. One routine per unit; they agree to rounding, not bit for bit.
using TReflect = void (*)(double* buffer, int ld, int top, int k, int n, double tau);

constexpr int kRows = 64;

// Dot products of v with up to four columns of kRows rows at once; the
// independent sums overlap, where a single dot product waits for each
// addition in turn.
template <int Count>
void Dots(const double* v, double* const* columns, double* out) {
  double s[Count][4] = {};
  for (int i = 0; i < kRows; i += 4)
    for (int c = 0; c < Count; ++c)
      for (int l = 0; l < 4; ++l) s[c][l] += v[i + l] * columns[c][i + l];
  for (int c = 0; c < Count; ++c) out[c] = (s[c][0] + s[c][1]) + (s[c][2] + s[c][3]);
}

// target -= w v over kRows rows; the two never overlap, which lets the
// compiler use vector instructions.
void SubtractMultiple(double* __restrict target, const double* __restrict v, double w) {
  for (int i = 0; i < kRows; ++i) target[i] -= w * v[i];
}

void ReflectScalar(double* buffer, int ld, int top, int k, int n, double tau) {
  const double* v = buffer + size_t(k) * ld + top;
  using TDots = void (*)(const double*, double* const*, double*);
  constexpr TDots kDots[] = {nullptr, Dots<1>, Dots<2>, Dots<3>, Dots<4>};
  for (int j = k + 1; j <= n; j += 4) {
    const int count = std::min(4, n + 1 - j);
    double* targetBelow[4];
    double dots[4];
    for (int c = 0; c < count; ++c) targetBelow[c] = buffer + size_t(j + c) * ld + top;
    kDots[count](v, targetBelow, dots);
    for (int c = 0; c < count; ++c) {
      double& diagonal = buffer[size_t(j + c) * ld + k];
      const double w = tau * (diagonal + dots[c]);
      diagonal -= w;
      SubtractMultiple(targetBelow[c], v, w);
    }
  }
}

// v stays in eight registers; each column is loaded once, dotted and updated.
__attribute__((target("avx512f"))) void ReflectAvx512(double* buffer, int ld, int top, int k,
                                                      int n, double tau) {
  constexpr int kVectors = kRows / 8;
  const double* v = buffer + size_t(k) * ld + top;
  __m512d vr[kVectors];
  for (int r = 0; r < kVectors; ++r) vr[r] = _mm512_loadu_pd(v + 8 * r);
  for (int j = k + 1; j <= n; ++j) {
    double* column = buffer + size_t(j) * ld;
    double* target = column + top;
    __m512d t[kVectors], p[kVectors];
    for (int r = 0; r < kVectors; ++r) {
      t[r] = _mm512_loadu_pd(target + 8 * r);
      p[r] = _mm512_mul_pd(vr[r], t[r]);
    }
    for (int width = kVectors / 2; width > 0; width /= 2)
      for (int r = 0; r < width; ++r) p[r] = _mm512_add_pd(p[r], p[r + width]);
    alignas(64) double lanes[8];
    _mm512_store_pd(lanes, p[0]);
    const double dot = ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) +
                       ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
    const double w = tau * (column[k] + dot);
    column[k] -= w;
    const __m512d wv = _mm512_set1_pd(w);
    for (int r = 0; r < kVectors; ++r)
      _mm512_storeu_pd(target + 8 * r, _mm512_fnmadd_pd(wv, vr[r], t[r]));
  }
}

__attribute__((target("avx2,fma"))) void ReflectAvx2(double* buffer, int ld, int top, int k,
                                                     int n, double tau) {
  constexpr int kVectors = kRows / 4;
  const double* v = buffer + size_t(k) * ld + top;
  for (int j = k + 1; j <= n; ++j) {
    double* column = buffer + size_t(j) * ld;
    double* target = column + top;
    __m256d s[4] = {_mm256_setzero_pd(), _mm256_setzero_pd(), _mm256_setzero_pd(),
                    _mm256_setzero_pd()};
    for (int r = 0; r < kVectors; ++r)
      s[r % 4] = _mm256_fmadd_pd(_mm256_loadu_pd(v + 4 * r), _mm256_loadu_pd(target + 4 * r),
                                 s[r % 4]);
    const __m256d sum = _mm256_add_pd(_mm256_add_pd(s[0], s[1]), _mm256_add_pd(s[2], s[3]));
    const __m128d half = _mm_add_pd(_mm256_castpd256_pd128(sum), _mm256_extractf128_pd(sum, 1));
    const double dot = _mm_cvtsd_f64(_mm_add_sd(half, _mm_unpackhi_pd(half, half)));
    const double w = tau * (column[k] + dot);
    column[k] -= w;
    const __m256d wv = _mm256_set1_pd(w);
    for (int r = 0; r < kVectors; ++r)
      _mm256_storeu_pd(target + 4 * r, _mm256_fnmadd_pd(wv, _mm256_loadu_pd(v + 4 * r),
                                                        _mm256_loadu_pd(target + 4 * r)));
  }
}

TReflect ReflectFor(machine::TVectorUnit unit) {
  switch (unit) {
    case machine::TVectorUnit::avx512f:
      return ReflectAvx512;
    case machine::TVectorUnit::avx2:
      return ReflectAvx2;
    case machine::TVectorUnit::scalar:
      break;
  }
  return ReflectScalar;
}

// Asked once: the processor does not change while the program runs.
machine::TVectorUnit BestUnit() {
  static const machine::TVectorUnit best = machine::BestVectorUnit();
  return best;
}

// Sum of squares of v[0..count), scaled when the plain sum would overflow or
// lose its digits to underflow.
double SumOfSquares(const double* v, int count) {
  const double sum = Dot(v, v, count);
  if (std::isfinite(sum) && sum > 1e-280) return sum;
  double largest = 0;
  for (int i = 0; i < count; ++i) largest = std::max(largest, std::fabs(v[i]));
  if (largest == 0 || !std::isfinite(largest)) return largest * largest;
  double scaled = 0;
  for (int i = 0; i < count; ++i) scaled += (v[i] / largest) * (v[i] / largest);
  return scaled * largest * largest;
}

}  // namespace

CRowReduction::CRowReduction() : unit_(BestUnit()) {}

void CRowReduction::Allocate(int n) {
  n_ = n;
  ld_ = n + 1 + kBlockRows;
  buffer_.assign(size_t(ld_) * (n + 1), 0.0);
}

void CRowReduction::Reduce(int m, int n, const double* a, int lda, const double* f,
                           double* r, double* qf) {
  if (n != n_) Allocate(n);
  std::fill(buffer_.begin(), buffer_.end(), 0.0);
  const int top = n + 1;
  for (int first = 0; first < m; first += kBlockRows) {
    const int rows = std::min(kBlockRows, m - first);
    for (int j = 0; j <= n; ++j) {
      const double* source = j < n ? a + size_t(j) * lda + first : f + first;
      double* block = &buffer_[size_t(j) * ld_ + top];
      std::copy(source, source + rows, block);
      std::fill(block + rows, block + kBlockRows, 0.0);
    }
    FoldBlock();
  }
  for (int j = 0; j < n; ++j) {
    const double* column = &buffer_[size_t(j) * ld_];
    std::copy(column, column + n, r + size_t(j) * n);
  }
  const double* fcolumn = &buffer_[size_t(n) * ld_];
  std::copy(fcolumn, fcolumn + n, qf);
}

// Zeroes the block below the triangle in the columns of a; what stays of f
// there only adds to the residual norm, which is not needed. The reflection
// of column k acts on row k of the triangle and the block rows only: the rows
// between are already zero in that column. A short last block is padded with
// zero rows, so that every loop runs a fixed count the compiler can unroll.
void CRowReduction::FoldBlock() {
  constexpr int rows = kBlockRows;
  static_assert(rows == kRows && rows % 8 == 0);
  const TReflect reflect = ReflectFor(unit_);
  const int top = n_ + 1;
  for (int k = 0; k < n_; ++k) {
    double* column = &buffer_[size_t(k) * ld_];
    double* below = column + top;
    const double tail = SumOfSquares(below, rows);
    if (tail == 0) continue;
    const double alpha = column[k];
    const double norm = std::sqrt(alpha * alpha + tail);
    const double beta = alpha > 0 ? -norm : norm;
    const double tau = (beta - alpha) / beta;
    const double scale = 1 / (alpha - beta);
    for (int i = 0; i < rows; ++i) below[i] *= scale;  // v = [1; below]
    column[k] = beta;
    reflect(buffer_.data(), ld_, top, k, n_, tau);
    std::fill(below, below + rows, 0.0);
  }
}

}  // namespace mpfit_internal
