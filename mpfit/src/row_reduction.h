// Reduction of a tall least-squares system to a small triangle.
#pragma once

#include <vector>

#include "runbase/machine.h"

namespace mpfit_internal {

// Reduces the m x n matrix a (by columns, leading dimension lda >= m) together with
// the vector f to an n x n upper triangle r (by columns, leading dimension n)
// and qf = the first n elements of Q^T f, where a = Q r: unpivoted Householder
// reflections applied to blocks of rows in turn, each block folded into the
// triangle built so far. Only n x n values and one block are touched at a
// time, which keeps the work in the cache for m >> n. A pivoted
// factorisation of r then gives the same R and Q^T f as one of a, up to
// rounding, and the columns of r have the norms of those of a.
// The reflections run on a vector unit of the processor, the widest it has
// by default; the units agree to rounding, not bit for bit.
class CRowReduction {
 public:
  CRowReduction();
  // The given unit, which must be available (machine::HasVectorUnit).
  explicit CRowReduction(machine::TVectorUnit unit) : unit_(unit) {}

  // Reserves the workspace for n columns.
  void Allocate(int n);
  // r and qf receive n*n and n values; r may be a (written after a is read).
  void Reduce(int m, int n, const double* a, int lda, const double* f, double* r, double* qf);
  void Reduce(int m, int n, const double* a, const double* f, double* r, double* qf) {
    Reduce(m, n, a, m, f, r, qf);
  }

 private:
  static constexpr int kBlockRows = 64;  // rows folded in per block
  void FoldBlock();

  machine::TVectorUnit unit_;   // vector unit the reflections run on
  int n_ = 0;                   // columns of a (f is column n_ of the buffer)
  int ld_ = 0;                  // rows of the buffer: triangle + block
  std::vector<double> buffer_;  // [triangle of (a f); block], by columns
};

}  // namespace mpfit_internal
