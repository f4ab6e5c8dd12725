// Eclipse profiles of many points at once, in the widest vector unit the
// processor offers (chosen once at run time), in two stages: the geometry
// stage takes the transcendental part that depends on the distances and the
// width, the shape stage turns it into profiles of one shape. A fit that
// changes only the shape reuses the geometry.
// The scalar unit computes exactly EclipseProfile. The vector units keep
// log(1 - exp(1 - cosh z)) as geometry and take exp(shape * it) for the
// power, with SLEEF's functions; they agree with EclipseProfile to rounding,
// not bit for bit. Non-finite results and the exact zeros beyond the cutoff
// are the same in every unit.
#pragma once

#include <cstddef>

#include "../periods/frequency_kernel.h"

namespace ombrix_analysis {

// geometry[i] for z = (u[i] - centre) * inverseWidth, i < n.
using TEclipseGeometryStage = void (*)(const double* u, double centre, double inverseWidth,
                                       std::size_t n, double* geometry);
// out[i] = EclipseProfile(z, shape) from the geometry of z, i < n.
using TEclipseShapeStage = void (*)(const double* geometry, double shape, std::size_t n,
                                    double* out);

struct TEclipseProfileKernel {
  TEclipseGeometryStage geometry = nullptr;
  TEclipseShapeStage shape = nullptr;

  explicit operator bool() const { return geometry != nullptr && shape != nullptr; }
  // Both stages; `scratch` receives the geometry (n values).
  void Profiles(const double* u, double centre, double inverseWidth, double shapeValue,
                std::size_t n, double* scratch, double* out) const {
    geometry(u, centre, inverseWidth, n, scratch);
    shape(scratch, shapeValue, n, out);
  }
};

// The fastest kernel this processor runs.
TEclipseProfileKernel BestEclipseProfileKernel();
// The kernel of one unit; empty when this processor lacks the unit.
TEclipseProfileKernel EclipseProfileKernelFor(TKernelUnit unit);

}  // namespace ombrix_analysis
