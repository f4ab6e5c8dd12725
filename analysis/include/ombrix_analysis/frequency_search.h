// Frequency search: a grid of trial periods scored by the multi-harmonic
// periodogram (projection of the data on orthogonal trigonometric polynomials
// in z = exp(i omega t), built by the Szego recurrence) with one harmonic
// order. Pure computation: no threads, no messages.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

#include <ombrix_field/object.h>

namespace ombrix_analysis {

using TComplex = std::complex<double>;

// Caller-provided work arrays of MultiHarmonicProjection, n entries each.
struct TProjectionWork {
  TComplex* z;        // exp(i omega t)
  TComplex* psi;      // the current orthogonal polynomial at each point
  TComplex* zPower;   // z^(order - 1)
  TComplex* product;  // scratch for the recurrence coefficient
};

// Projects the n values on the orthogonal polynomials of degree 0 ... order
// for angular frequency `omega`; coefficients[0 ... order] receive the
// normalised projections (weighted inner product <a, b> = sum w a conj(b)).
void MultiHarmonicProjection(std::uint32_t n, std::uint32_t order, double omega,
                             const TComplex* values, const double* times, const double* weights,
                             TComplex* coefficients, const TProjectionWork& work);

// Periodogram value of one trial from the order-1 coefficients:
// |c0|^2 + |c1|^2 with a NaN term left out.
double TrialValue(TComplex c0, TComplex c1);

// Order-1 periodogram value for one angular frequency evaluated from four
// weighted sums of exp(i omega t) with the standard library's sine and
// cosine; equal to TrialValue of the projection. `times` should be shifted to
// an origin near their middle for precision.
double OrderOneValue(std::uint32_t n, double omega, const double* values, const double* times,
                     const double* weights);

// Scores trial periods over one set of points with the fastest kernel of the
// processor. The arrays are not copied and must outlive the scorer.
class CTrialScorer {
 public:
  CTrialScorer(std::uint32_t n, const double* values, const double* times, const double* weights);
  // The order-1 periodogram value of the trial period.
  double ValueAt(double period) const;

 private:
  std::uint32_t n_;
  const double* values_;
  const double* times_;
  const double* weights_;
  double weightSum_ = 0.0;       // sum of w
  double weightedValues_ = 0.0;  // sum of w y
};

// The analysis input, point by point over the object's enabled series: the
// stored values (without series offsets), the times shifted to their mean
// (the periodogram does not depend on the origin, and small times keep
// omega t precise) and the weights 1 / error, an error of 0 counting as 1.
struct TFrequencyInput {
  std::vector<double> values;
  std::vector<double> times;
  std::vector<double> weights;
};
void BuildFrequencyInput(const ombrix_data::CObjectListElem& object, TFrequencyInput& input);
// Points of the object's enabled series (at most UINT32_MAX).
std::uint32_t CountEnabledPoints(const ombrix_data::CObjectListElem& object);

// Trial range of every worker: contiguous chunks of trunc(K / N) trials, one
// more when N does not divide K; trailing workers may get empty ranges
// (last below first).
struct TTrialRange {
  std::int64_t first;
  std::int64_t last;
};
std::vector<TTrialRange> SplitTrials(std::uint32_t trialCount, std::uint32_t workers);

// Period step between trials: the first trial is minPeriod and the last
// maxPeriod; 0 for a single trial.
double TrialStep(double minPeriod, double maxPeriod, std::uint32_t trialCount);

// Indices of the (up to) three largest values, largest first, found in one
// pass: a strictly greater value displaces, ties keep the earlier index.
// Values that are 0 or not finite carry no signal and are never chosen.
std::vector<std::uint32_t> ThreeLargestTrials(const std::vector<double>& results);

// Settings of the search, kept between runs ("MinimalPeriod",
// "MaximalPeriod", "PeriodSteps").
struct TFrequencySettings {
  double minPeriod = 0.1;
  double maxPeriod = 2.0;
  double resolution = 0.00001;
};

// Number of trials for the settings: trunc((max - min) / resolution), 0 when
// that is not positive. A quotient within a few ulps below a whole number
// counts as that number (the defaults give 190,000).
std::uint64_t FrequencyTrialCount(const TFrequencySettings& settings);

}  // namespace ombrix_analysis
