// Fitter descriptors shared by the phase-curve and the minimum fit.
#pragma once

#include <cstring>

#include <mpfit/mpfit.h>

namespace ombrix_analysis {

// Fills `count` descriptors: limited on both sides by lower/upper, fixed
// where `free` is false, every other field zero (library defaults).
inline void FillBoundedDescriptors(int count, const bool* free, const double* lower,
                                   const double* upper, mp_par* pars) {
  for (int i = 0; i < count; ++i) {
    std::memset(&pars[i], 0, sizeof(mp_par));
    pars[i].fixed = free[i] ? 0 : 1;
    pars[i].limited[0] = pars[i].limited[1] = 1;
    pars[i].limits[0] = lower[i];
    pars[i].limits[1] = upper[i];
  }
}

}  // namespace ombrix_analysis
