// Frequency search: input, trial grid, scoring and the choice of the best trials.
#include "ombrix_analysis/frequency_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <ombrix_model/angles.h>

#include "frequency_kernel.h"

namespace ombrix_analysis {

CTrialScorer::CTrialScorer(std::uint32_t n, const double* values, const double* times,
                           const double* weights)
    : n_(n), values_(values), times_(times), weights_(weights) {
  for (std::uint32_t i = 0; i < n; ++i) {
    weightSum_ += weights[i];
    weightedValues_ += weights[i] * values[i];
  }
}

double CTrialScorer::ValueAt(double period) const {
  TOrderOneSums sums;
  BestOrderOneKernel()(n_, ombrix_model::kTwoPi / period, values_, times_, weights_, sums);
  return OrderOneValueFromSums(weightSum_, weightedValues_, sums);
}

std::uint32_t CountEnabledPoints(const ombrix_data::CObjectListElem& object) {
  std::uint64_t count = 0;
  for (auto* s = object.FirstSeries(); s; s = object.NextSeries(s))
    if (s->enabled) count += s->pointCount;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(count, UINT32_MAX));
}

void BuildFrequencyInput(const ombrix_data::CObjectListElem& object, TFrequencyInput& in) {
  for (auto* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    if (!s->enabled) continue;
    for (std::uint32_t i = 0; i < s->pointCount; ++i) {
      in.values.push_back(s->value[i]);
      in.times.push_back(s->time[i]);
      in.weights.push_back(1.0 / (s->error[i] == 0.0 ? 1.0 : s->error[i]));
    }
  }
  if (in.times.empty()) return;
  double origin = 0.0;
  for (double t : in.times) origin += t;
  origin /= static_cast<double>(in.times.size());
  for (double& t : in.times) t -= origin;
}

std::vector<TTrialRange> SplitTrials(std::uint32_t trialCount, std::uint32_t workers) {
  std::vector<TTrialRange> ranges;
  if (workers == 0) return ranges;
  const std::int64_t k = trialCount;
  const std::int64_t chunk = k / workers + (k % workers != 0 ? 1 : 0);
  for (std::int64_t w = 0; w < workers; ++w)
    ranges.push_back({w * chunk, std::min(k, (w + 1) * chunk) - 1});
  return ranges;
}

double TrialStep(double minPeriod, double maxPeriod, std::uint32_t trialCount) {
  // A single trial is minPeriod itself (the step formula would divide by zero).
  return trialCount > 1 ? (maxPeriod - minPeriod) / (trialCount - 1) : 0.0;
}

std::vector<std::uint32_t> ThreeLargestTrials(const std::vector<double>& results) {
  constexpr int kSlots = 3;
  std::int64_t index[kSlots] = {-1, -1, -1};
  double best[kSlots] = {0.0, 0.0, 0.0};
  for (std::size_t i = 0; i < results.size(); ++i) {
    const double v = results[i];
    if (!std::isfinite(v) || !(v > 0.0)) continue;
    for (int slot = 0; slot < kSlots; ++slot) {
      if (index[slot] >= 0 && !(v > best[slot])) continue;
      for (int j = kSlots - 1; j > slot; --j) {
        best[j] = best[j - 1];
        index[j] = index[j - 1];
      }
      best[slot] = v;
      index[slot] = static_cast<std::int64_t>(i);
      break;
    }
  }
  std::vector<std::uint32_t> found;
  for (std::int64_t i : index)
    if (i >= 0) found.push_back(static_cast<std::uint32_t>(i));
  return found;
}

// The quotient of decimal settings is rarely exact in binary: (2.0 - 0.1) /
// 0.00001 comes out as 189999.99999999997. A few ulps of slack let such a
// quotient count as the whole number it stands for before truncating.
std::uint64_t FrequencyTrialCount(const TFrequencySettings& s) {
  const double q = (s.maxPeriod - s.minPeriod) / s.resolution;
  const double k = std::trunc(q + std::fabs(q) * 4.0 * std::numeric_limits<double>::epsilon());
  if (!(k > 0.0)) return 0;
  return k >= 1.8e19 ? UINT64_MAX : static_cast<std::uint64_t>(k);
}

}  // namespace ombrix_analysis
