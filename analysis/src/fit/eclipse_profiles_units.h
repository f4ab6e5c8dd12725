// The eclipse-profile stages of the vector units. Each unit's stages are
// defined in a file compiled for that unit (eclipse_profiles_avx2.cpp,
// eclipse_profiles_avx512.cpp), so that their vector arguments are passed in
// vector registers whatever the compiler; they must run only where
// IsKernelUnitAvailable says so. They keep log(1 - exp(1 - cosh z)) as the
// geometry and take exp(shape * it) for the power.
#pragma once

#include <cstddef>

namespace ombrix_analysis {

void GeometryAvx2(const double* u, double centre, double inverseWidth, std::size_t n,
                  double* logBase);
void ShapeAvx2(const double* logBase, double shape, std::size_t n, double* out);
void GeometryAvx512(const double* u, double centre, double inverseWidth, std::size_t n,
                    double* logBase);
void ShapeAvx512(const double* logBase, double shape, std::size_t n, double* out);

// The same stages one point at a time, built for any x86-64; the vector
// stages finish their last points with them. The geometry is exactly 0 where
// the base is 1 (beyond the cutoff, or rounded there); a NaN distance is not
// beyond it.
void LogBasesScalar(const double* u, double centre, double inverseWidth, std::size_t n,
                    double* logBase);
// 1 - exp(g log b) with pow's rules where they differ: b = 1 or g = 0 give
// exactly 1 for the power (also for a NaN g or b), so the profile is 0.
void ShapesFromLogBasesScalar(const double* logBase, double shape, std::size_t n, double* out);

}  // namespace ombrix_analysis
