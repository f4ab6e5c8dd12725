// The order-1 periodogram of many neighbouring trials through samples on a
// uniform frequency grid.
//
// Both sums a trial needs, S(omega) = sum a_i exp(i omega t_i) with a = w and
// a = w (y - mean), are band-limited in omega: every t_i lies within
// [-T, T] once the times are measured from the middle of their span. Such a
// function is fixed by its samples at spacing delta = pi h with h <= 1 / (2 T)
// (twice the Nyquist rate), and is recovered between them with a window:
//
//   S(omega) = sum_m phi(u - m) G_m,  u = omega / delta,
//   G_m = sum_i a_i / F(delta t_i) exp(i m delta t_i),
//
// where phi is the Kaiser-Bessel window of kTaps samples,
// phi(d) = I0(beta sqrt(1 - (2 d / kTaps)^2)) for |d| <= kTaps / 2, and F is
// its Fourier transform, kTaps sinh(r) / r with r^2 = beta^2 - (kTaps xi / 2)^2
// (Poisson summation; dividing by F undoes the window's taper over t). What is
// left is the aliases of F beyond |xi| >= 3 pi / 2: with 14 taps and
// beta = 0.745 pi 14 they stay below 1.2e-12 of F for every |xi| <= pi / 2,
// so each sum is off by at most 1.2e-12 sum |a_i|.
//
// The samples G_m come from the sample kernel: per point, exp(i m delta t) is
// carried from one sample to the next by one complex multiplication and set
// exactly every kSampleRestart samples. Its rounding (64 steps of a few ulps,
// times F(0) / F(pi / 2) = 6.3 for the division) adds under 2e-13 sum |a_i|,
// and the rounding of the phase argument x t (x in half-turns per day) about
// 2.2e-15 |x t| sum |a_i|, of the same size as in the direct evaluation.
// kSumError bounds all of it.
//
// Cost, in the time of one point of one directly evaluated trial (a sine and
// a cosine, about 1.2 ns with AVX-512 and 2.1 ns with AVX2 here): a sample
// costs kSampleCost per point (0.32, 0.24 and 0.22 measured with AVX-512,
// AVX2 and the portable code), a trial kTrialCost for its window whatever
// the number of points (about 100 measured). The trials are scored in
// chunks of ChunkLength(); a chunk whose samples reach from the highest
// frequency less half a window to the lowest plus half a window, M of them,
// goes through the samples when
//   M n kSampleCost + count kTrialCost < count n,
// that is wherever the trials lie closer together than about three samples'
// spacings. On the default grid (0.1 to 2 d in steps of 1e-5 d) the trials
// are 2 pi 1e-5 / P^2 apart; over a year (T = 183 d, spacing 8.4e-3) every
// chunk passes, over 30 years (spacing 2.9e-4) those below about 0.26 d are
// scored directly.
//
// Each trial's value is checked against the bound that the sums' error puts
// on it; a trial where that bound exceeds kValueBound = 5e-8 of the value (a
// projection that nearly vanishes with the data's mean near 0, or a trial
// period far beyond the span) is scored directly. So every value stays
// within 1e-7 of the direct one, leaving the other half for the direct
// evaluation's own rounding (of the size of the phase-argument term). The
// bound takes every point's error at its worst and in step; the errors found
// are some thousand times smaller, as small as the direct kernel's own.
#pragma once

#include <cstdint>
#include <vector>

#include "frequency_kernel.h"

namespace ombrix_analysis {

class CGriddedTrials {
 public:
  static constexpr int kTaps = 14;
  static constexpr int kWindowSlots = 16;      // taps evaluated per trial: kTaps or kTaps + 1 used
  static constexpr double kSumError = 2e-12;   // of sum |a|, before the phase rounding term
  static constexpr double kSampleCost = 0.3;   // a sample per point, in direct point-trials
  static constexpr double kTrialCost = 150.0;  // the window of one trial, in direct point-trials
  static constexpr double kValueBound = 5e-8;  // error bound beyond which a trial is scored directly

  // The points as the analysis prepares them; the arrays must outlive the
  // object. The kernels are those of `unit`, which the processor must have.
  CGriddedTrials(std::uint32_t n, const double* values, const double* times, const double* weights,
                 TKernelUnit unit = BestKernelUnit());

  // Trials per chunk: fewer with many points, so that one chunk's samples
  // take milliseconds and a stop request is seen soon.
  std::uint32_t ChunkLength() const { return chunkLength_; }
  // Whether the chunk of trial periods (at most ChunkLength()) is cheaper
  // through samples than directly (see above).
  bool Pays(std::uint32_t count, const double* periods) const;
  // Values of the chunk's trials through samples, or directly where the
  // bound is not met; the chunk need not pay but must be short enough.
  void Score(std::uint32_t count, const double* periods, double* values);
  // Trials of the last Score that were scored directly.
  std::uint32_t DirectTrials() const { return directTrials_; }
  // The value of one trial evaluated directly.
  double DirectValue(double period) const;

  // The window and its transform (exposed for the tests).
  static double Window(double d);
  static double WindowTransform(double xi);

 private:
  struct TSampleRange {
    std::int64_t first = 0;
    std::int64_t last = -1;
  };
  bool SampleRange(std::uint32_t count, const double* periods, TSampleRange& range) const;
  // The value of one trial from the samples and the window at its taps;
  // false when the error bound is not met.
  bool SampledValue(double period, const double* window, const TSampleRange& samples, double sumError,
                    double& value) const;

  std::uint32_t n_;
  const double* values_;  // the caller's arrays, for the direct trials
  const double* times_;
  const double* weights_;
  TSampleKernel sampleKernel_;
  TOrderOneKernel directKernel_;
  TPolynomialKernel polynomialKernel_;
  bool usable_ = false;
  // T, and h in half-turns per day between samples.
  double halfSpan_ = 0.0;
  double step_ = 0.0;
  // sum w, sum w y and sum w |y - mean|.
  double weightSum_ = 0.0, weightedValues_ = 0.0, deviationSum_ = 0.0;
  std::vector<double> timesFromMiddle_, a1_, a2_, stepCos_, stepSin_;
  std::uint32_t chunkLength_ = 0;
  std::vector<TOrderOneSums> samples_;
  std::vector<double> tapArguments_, tapWindows_;  // kWindowSlots per trial of a chunk
  std::uint32_t directTrials_ = 0;
};

}  // namespace ombrix_analysis
