// Order-1 periodogram values of a chunk of trials through samples on a
// uniform frequency grid and a Kaiser-Bessel window (see frequency_gridded.h).
#include "frequency_gridded.h"

#include <sleef.h>

#include <algorithm>
#include <array>
#include <cmath>

#include <ombrix_model/angles.h>

namespace ombrix_analysis {

namespace {

constexpr int kTaps = CGriddedTrials::kTaps;
constexpr double kHalfWidth = kTaps / 2.0;
constexpr double kBeta = 0.745 * ombrix_model::kPi * kTaps;
// Terms of the power series of I0 at the centre of the window, where
// x^2 / 4 = 268: the last term is below 1e-17 of the sum.
constexpr int kBesselTerms = 52;
// Every sample is at most this many times the cost of a trial (from the
// rule: M n kSampleCost < count n), which bounds the sample buffer.
constexpr double kSamplesPerTrial = 1.0 / CGriddedTrials::kSampleCost;
// Rounding of a phase argument x t in half-turns (pi 2^-53 radians per
// half-turn), for the sample sums after the window's division
// (F(0) / F(pi / 2) = 6.3).
constexpr double kPhaseRounding = 2.2e-15;

// 1 / (k!)^2 for the series I0(x) = sum (x^2 / 4)^k / (k!)^2.
const std::array<double, kBesselTerms>& BesselCoefficients() {
  static const std::array<double, kBesselTerms> c = [] {
    std::array<double, kBesselTerms> out{};
    out[0] = 1.0;
    for (int k = 1; k < kBesselTerms; ++k) out[k] = out[k - 1] / (double(k) * k);
    return out;
  }();
  return c;
}

// x^2 / 4 of the window's Bessel function at offset d from its centre.
double BesselArgument(double d) {
  const double r = d / kHalfWidth;
  return std::max(0.0, 0.25 * kBeta * kBeta * (1.0 - r * r));
}

// The largest number with four significant bits not above x: a step whose
// multiples by sample indices are exact.
double RoundedDownStep(double x) {
  int exponent = 0;
  const double mantissa = std::frexp(x, &exponent);
  return std::ldexp(std::floor(mantissa * 16.0) / 16.0, exponent);
}

}  // namespace

double CGriddedTrials::Window(double d) {
  if (!(std::fabs(d) <= kHalfWidth)) return 0.0;
  const auto& c = BesselCoefficients();
  const double q = BesselArgument(d);
  double sum = c[kBesselTerms - 1];
  for (int k = kBesselTerms - 2; k >= 0; --k) sum = sum * q + c[k];
  return sum;
}

double CGriddedTrials::WindowTransform(double xi) {
  const double a = xi * kHalfWidth;
  const double r2 = kBeta * kBeta - a * a;
  if (r2 > 0.0) return kTaps * std::sinh(std::sqrt(r2)) / std::sqrt(r2);
  if (r2 < 0.0) return kTaps * std::sin(std::sqrt(-r2)) / std::sqrt(-r2);
  return kTaps;
}

CGriddedTrials::CGriddedTrials(std::uint32_t n, const double* values, const double* times, const double* weights,
                               TKernelUnit unit)
    : n_(n),
      values_(values),
      times_(times),
      weights_(weights),
      sampleKernel_(SampleKernelFor(unit)),
      directKernel_(OrderOneKernelFor(unit)),
      polynomialKernel_(PolynomialKernelFor(unit)) {
  // The totals in the order the direct scorer forms them.
  for (std::uint32_t i = 0; i < n; ++i) {
    weightSum_ += weights[i];
    weightedValues_ += weights[i] * values[i];
  }
  chunkLength_ = std::clamp<std::uint32_t>((1u << 26) / std::max<std::uint32_t>(n, 1), 64, 1024);
  if (n == 0 || sampleKernel_ == nullptr || directKernel_ == nullptr || polynomialKernel_ == nullptr) return;
  double lowest = INFINITY, highest = -INFINITY;
  for (std::uint32_t i = 0; i < n; ++i) {
    // Odd points (no finite value, a weight that is not positive) keep the
    // whole analysis on the direct path, which handles them as it always has.
    if (!std::isfinite(times[i]) || !std::isfinite(values[i]) || !(weights[i] > 0.0) || !std::isfinite(weights[i]))
      return;
    lowest = std::min(lowest, times[i]);
    highest = std::max(highest, times[i]);
  }
  const double middle = lowest + 0.5 * (highest - lowest);
  timesFromMiddle_.resize(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    timesFromMiddle_[i] = times[i] - middle;
    halfSpan_ = std::max(halfSpan_, std::fabs(timesFromMiddle_[i]));
  }
  if (!(halfSpan_ > 0.0) || !std::isfinite(weightSum_) || !std::isfinite(weightedValues_)) return;
  step_ = RoundedDownStep(0.5 / halfSpan_);
  const double mean = weightedValues_ / weightSum_;
  a1_.resize(n);
  a2_.resize(n);
  stepCos_.resize(n);
  stepSin_.resize(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    const double x = step_ * timesFromMiddle_[i];
    const double transform = WindowTransform(ombrix_model::kPi * x);
    a1_[i] = weights[i] / transform;
    a2_[i] = weights[i] * (values[i] - mean) / transform;
    deviationSum_ += weights[i] * std::fabs(values[i] - mean);
    const Sleef_double_2 sc = Sleef_sincospid1_u05purec(x);
    stepCos_[i] = sc.y;
    stepSin_[i] = sc.x;
  }
  samples_.resize(static_cast<std::size_t>(chunkLength_ * kSamplesPerTrial) + kTaps + 2);
  tapArguments_.resize(std::size_t{chunkLength_} * kWindowSlots);
  tapWindows_.resize(tapArguments_.size());
  usable_ = true;
}

bool CGriddedTrials::SampleRange(std::uint32_t count, const double* periods, TSampleRange& range) const {
  if (!usable_ || count == 0 || count > chunkLength_) return false;
  double lowest = INFINITY, highest = -INFINITY;
  for (std::uint32_t j = 0; j < count; ++j) {
    const double u = 2.0 / (periods[j] * step_);
    // Sample indices must stay exact multiples of the step.
    if (!(periods[j] > 0.0) || !(u < 1e12)) return false;
    lowest = std::min(lowest, u);
    highest = std::max(highest, u);
  }
  range.first = static_cast<std::int64_t>(std::ceil(lowest - kHalfWidth));
  range.last = static_cast<std::int64_t>(std::floor(highest + kHalfWidth));
  return range.last - range.first + 1 <= static_cast<std::int64_t>(samples_.size());
}

bool CGriddedTrials::Pays(std::uint32_t count, const double* periods) const {
  TSampleRange range;
  if (!SampleRange(count, periods, range)) return false;
  const double samples = static_cast<double>(range.last - range.first + 1);
  return samples * n_ * kSampleCost + count * kTrialCost < static_cast<double>(count) * n_;
}

void CGriddedTrials::Score(std::uint32_t count, const double* periods, double* values) {
  directTrials_ = 0;
  TSampleRange range;
  const bool sampled = SampleRange(count, periods, range);
  double sumError = 0.0;
  if (sampled) {
    TSampleRun run;
    run.n = n_;
    run.times = timesFromMiddle_.data();
    run.a1 = a1_.data();
    run.a2 = a2_.data();
    run.stepCos = stepCos_.data();
    run.stepSin = stepSin_.data();
    run.first = range.first;
    run.step = step_;
    run.count = static_cast<std::uint32_t>(range.last - range.first + 1);
    run.sums = samples_.data();
    sampleKernel_(run);
    const double highestPhase =
        std::max(std::fabs(double(range.first)), std::fabs(double(range.last))) * step_ * halfSpan_;
    sumError = kSumError + kPhaseRounding * highestPhase;
    // The window at the taps of every trial, all in one go.
    for (std::uint32_t j = 0; j < count; ++j) {
      const double u = 2.0 / (periods[j] * step_);
      const double firstTap = std::ceil(u - kHalfWidth);
      for (int k = 0; k < kWindowSlots; ++k) tapArguments_[j * kWindowSlots + k] = BesselArgument(u - (firstTap + k));
    }
    polynomialKernel_(count * kWindowSlots, tapArguments_.data(), BesselCoefficients().data(), kBesselTerms,
                      tapWindows_.data());
  }
  for (std::uint32_t j = 0; j < count; ++j) {
    if (sampled && SampledValue(periods[j], tapWindows_.data() + j * kWindowSlots, range, sumError, values[j]))
      continue;
    values[j] = DirectValue(periods[j]);
    ++directTrials_;
  }
}

double CGriddedTrials::DirectValue(double period) const {
  TOrderOneSums sums;
  (directKernel_ ? directKernel_ : OrderOneSumsScalar)(n_, ombrix_model::kTwoPi / period, values_, times_, weights_,
                                                       sums);
  return OrderOneValueFromSums(weightSum_, weightedValues_, sums);
}

bool CGriddedTrials::SampledValue(double period, const double* window, const TSampleRange& samples, double sumError,
                                  double& value) const {
  const double u = 2.0 / (period * step_);
  const auto firstTap = static_cast<std::int64_t>(std::ceil(u - kHalfWidth));
  const auto lastTap = static_cast<std::int64_t>(std::floor(u + kHalfWidth));
  TOrderOneSums s;
  const TOrderOneSums* g = samples_.data() + (firstTap - samples.first);
  for (int k = 0; k <= lastTap - firstTap; ++k) {
    s.wc += window[k] * g[k].wc;
    s.ws += window[k] * g[k].ws;
    s.wyc += window[k] * g[k].wyc;
    s.wys += window[k] * g[k].wys;
  }
  // Bound the value's error from that of the sums: e1 on sum w z, e2 on the
  // projection sum w (y - mean) z, both complex.
  const double e1 = std::sqrt(2.0) * sumError * weightSum_;
  const double e2 = std::sqrt(2.0) * sumError * deviationSum_;
  const double s1 = std::sqrt(s.wc * s.wc + s.ws * s.ws);
  const double projection = std::sqrt(s.wyc * s.wyc + s.wys * s.wys);
  const double norm = weightSum_ - s1 * s1 / weightSum_;
  const double normError = (2.0 * s1 * e1 + e1 * e1) / weightSum_;
  if (!(norm > 2.0 * normError)) return false;
  const double c0Squared = weightedValues_ * weightedValues_ / weightSum_;
  const double c1Squared = projection * projection / norm;
  const double error = (2.0 * projection * e2 + e2 * e2) / norm + c1Squared * normError / (norm - normError);
  if (!(error <= kValueBound * (c0Squared + c1Squared))) return false;
  value = OrderOneValueFromCentredSums(weightSum_, weightedValues_, s);
  return true;
}

}  // namespace ombrix_analysis
