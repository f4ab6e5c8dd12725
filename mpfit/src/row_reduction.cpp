#include "row_reduction.h"

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

// Dot products of v with up to four columns of kRows rows at once, each
// summed exactly as Dot sums it; the independent sums overlap, where a single
// dot product waits for each addition in turn.
template <int Count, int kRows>
void Dots(const double* v, double* const* columns, double* out) {
  double s[Count][4] = {};
  for (int i = 0; i < kRows; i += 4)
    for (int c = 0; c < Count; ++c)
      for (int l = 0; l < 4; ++l) s[c][l] += v[i + l] * columns[c][i + l];
  for (int c = 0; c < Count; ++c) out[c] = (s[c][0] + s[c][1]) + (s[c][2] + s[c][3]);
}

// target -= w v over kRows rows; the two never overlap, which lets the
// compiler use vector instructions.
template <int kRows>
void SubtractMultiple(double* __restrict target, const double* __restrict v, double w) {
  for (int i = 0; i < kRows; ++i) target[i] -= w * v[i];
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
    static_assert(rows % 4 == 0);
    using TDots = void (*)(const double*, double* const*, double*);
    constexpr TDots kDots[] = {nullptr, Dots<1, rows>, Dots<2, rows>, Dots<3, rows>,
                               Dots<4, rows>};
    for (int j = k + 1; j <= n_; j += 4) {
      const int count = std::min(4, n_ + 1 - j);
      double* targetBelow[4];
      double dots[4];
      for (int c = 0; c < count; ++c) targetBelow[c] = &buffer_[size_t(j + c) * ld_] + top;
      kDots[count](below, targetBelow, dots);
      for (int c = 0; c < count; ++c) {
        double& diagonal = buffer_[size_t(j + c) * ld_ + k];
        const double w = tau * (diagonal + dots[c]);
        diagonal -= w;
        SubtractMultiple<rows>(targetBelow[c], below, w);
      }
    }
    std::fill(below, below + rows, 0.0);
  }
}

}  // namespace mpfit_internal
