// Eclipse profiles of many points at once, in the widest vector unit the
// processor offers (chosen once at run time). The vector paths use SLEEF's
// 1-ulp cosh, exp and pow, so they agree with EclipseProfile to a few ulps,
// not bit for bit; non-finite results and the exact zeros beyond the cutoff
// are the same.
#pragma once

#include <cstddef>

#include "../periods/frequency_kernel.h"

namespace ombrix_analysis {

// out[i] = EclipseProfile((u[i] - centre) * inverseWidth, shape) for i < n.
using TEclipseProfileKernel = void (*)(const double* u, double centre, double inverseWidth,
                                       double shape, std::size_t n, double* out);

// The fastest kernel this processor runs.
TEclipseProfileKernel BestEclipseProfileKernel();
// The kernel of one unit, or null when this processor lacks the unit.
TEclipseProfileKernel EclipseProfileKernelFor(TKernelUnit unit);

}  // namespace ombrix_analysis
