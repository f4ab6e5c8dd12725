// Kwee-van Woerden (1956) timing of one eclipse with the error estimate of
// Deeg (2021, Galaxies 9, 1): the light curve is reflected about several
// trial times half a point step apart, the sum of squared differences S of
// the paired points is fitted by a parabola in time, and its vertex is the
// time of minimum. The error follows from the parabola's curvature and the
// noise of the points, sigma^2 = 2 noise^2 / A, rather than from the
// parabola's own scatter, which the original formula used and which fails on
// low-noise curves.
#pragma once

#include <cstddef>
#include <string>

#include <ombrix_field/user_io.h>

#include "ombrix_analysis/minimum_fit.h"

namespace ombrix_analysis {

inline constexpr int kMinKvWReflections = 3;
inline constexpr int kMaxKvWReflections = 21;
// Fewest point pairs on each side of the reflections.
inline constexpr std::size_t kMinKvWPairs = 3;

struct TKvWOptions {
  int reflections = kDefaultKvWReflections;  // odd, kMinKvWReflections to kMaxKvWReflections
  double noise = 0.0;  // scatter of one value; 0: estimated from the best S
};

struct TKvWResult {
  double time = 0.0;          // time of minimum
  double error = 0.0;         // its error after Deeg (2021), days
  double classicError = 0.0;  // the 1956 formula's error; NaN where it fails
  double noise = 0.0;         // the noise used (given or estimated)
  std::size_t points = 0;     // points timed (after resampling)
  std::size_t pairs = 0;      // point pairs per reflection (Z)
  bool resampled = false;     // uneven points were interpolated onto even steps
};

// Times the eclipse in the points (times ascending). Points that are not
// evenly spaced within 1 % are interpolated linearly onto the median step;
// a gap of more than 3 steps is refused. The first reflection is centred on
// the point farthest from the level of the window's ends, and the
// reflections follow the minimum until it lies inside them. False with
// `failure` saying why.
bool KweeVanWoerden(const double* time, const double* value, std::size_t count, const TKvWOptions& options,
                    TKvWResult& result, std::string& failure);

// The noise a window's points state: the root mean square of their errors
// when every point has one, else 0 (to be estimated).
double NoiseFromErrors(const TFitPoint* points, std::size_t count);

// "Fit Min." with the method "KvW": times the tab's window and writes the
// time and its error into the tab's fields (the model fit's `fitted` flag
// is cleared: no model curve belongs to it). The noise is the points'
// stated errors, else estimated. False after a message.
bool FitMinimumKvW(TMinimumFitTab& tab, ombrix_data::CUserIO& io, int reflections = kDefaultKvWReflections,
                   TKvWResult* result = nullptr);

}  // namespace ombrix_analysis
