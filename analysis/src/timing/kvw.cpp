// Kwee-van Woerden timing with Deeg's (2021) error, written from the
// published description of the method.
#include "ombrix_analysis/kvw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace ombrix_analysis {

using ombrix_data::TMessageIcon;
using ombrix_data::TUserMessage;

namespace {

// Steps within this ratio of the median step count as even.
constexpr double kEvenTolerance = 1.01;
// A larger gap between two points is not bridged by interpolation.
constexpr double kMaxGapSteps = 3.0;
// Times the reflections may move after the minimum.
constexpr int kMaxRecentring = 20;

// The points on even steps: value[i] belongs to index i; times follow from
// the linear relation of index and time.
struct TEvenCurve {
  std::vector<double> time;
  std::vector<double> value;
  double step = 0.0;
  bool resampled = false;
};

double MedianStep(const double* time, std::size_t count) {
  std::vector<double> steps(count - 1);
  for (std::size_t i = 1; i < count; ++i) steps[i - 1] = time[i] - time[i - 1];
  std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
  return steps[steps.size() / 2];
}

bool MakeEven(const double* time, const double* value, std::size_t count, TEvenCurve& curve,
              std::string& failure) {
  const double step = MedianStep(time, count);
  if (!(step > 0.0) || !std::isfinite(step)) {
    failure = "Points must have distinct, increasing times.";
    return false;
  }
  curve.step = step;
  double smallest = step, largest = step;
  for (std::size_t i = 1; i < count; ++i) {
    smallest = std::min(smallest, time[i] - time[i - 1]);
    largest = std::max(largest, time[i] - time[i - 1]);
  }
  if (largest > kMaxGapSteps * step) {
    failure = "Points have a gap of more than 3 steps; KvW needs evenly spaced points.";
    return false;
  }
  if (largest < kEvenTolerance * step && smallest * kEvenTolerance > step) {
    curve.time.assign(time, time + count);
    curve.value.assign(value, value + count);
    return true;
  }
  // Linear interpolation onto the median step; points with equal times
  // leave zero-length segments, which are passed over.
  curve.resampled = true;
  const auto evenCount = static_cast<std::size_t>(std::floor((time[count - 1] - time[0]) / step + 1e-9)) + 1;
  std::size_t segment = 0;
  for (std::size_t k = 0; k < evenCount; ++k) {
    const double t = time[0] + static_cast<double>(k) * step;
    while (segment + 2 < count && time[segment + 1] < t) ++segment;
    const double t0 = time[segment], t1 = time[segment + 1];
    const double f = t1 > t0 ? std::clamp((t - t0) / (t1 - t0), 0.0, 1.0) : 1.0;
    curve.time.push_back(t);
    curve.value.push_back(value[segment] + f * (value[segment + 1] - value[segment]));
  }
  return true;
}

// The index whose value lies farthest from the level of the curve's ends.
std::size_t ExtremeIndex(const std::vector<double>& value) {
  const double level = 0.5 * (value.front() + value.back());
  std::size_t best = 0;
  for (std::size_t i = 1; i < value.size(); ++i)
    if (std::fabs(value[i] - level) > std::fabs(value[best] - level)) best = i;
  return best;
}

// Sums of squared differences of the reflections around one centre.
struct TReflections {
  std::vector<double> offset;  // reflection position minus centre, in steps
  std::vector<double> sum;     // S at each
  std::size_t pairs = 0;       // Z
  long lowest = 0, highest = 0;  // the indices paired
};

bool Reflect(const std::vector<double>& value, long centre, int count, TReflections& r) {
  const long n = static_cast<long>(value.size());
  const double firstOffset = -0.25 * (count - 1);
  const double lastPosition = centre - firstOffset;
  const long pairs = std::min(static_cast<long>(std::ceil(centre + firstOffset)),
                              n - 1 - static_cast<long>(std::floor(lastPosition)));
  if (pairs < static_cast<long>(kMinKvWPairs)) return false;
  r.pairs = static_cast<std::size_t>(pairs);
  r.offset.clear();
  r.sum.clear();
  for (int k = 0; k < count; ++k) {
    const double offset = firstOffset + 0.5 * k;
    const double position = centre + offset;
    const long below = static_cast<long>(std::floor(position));
    const bool onPoint = position == static_cast<double>(below);
    double s = 0.0;
    for (long i = 1; i <= pairs; ++i) {
      const long low = onPoint ? below - i : below + 1 - i;
      const double d = value[static_cast<std::size_t>(low)] - value[static_cast<std::size_t>(below + i)];
      s += d * d;
    }
    r.offset.push_back(offset);
    r.sum.push_back(s);
  }
  r.lowest = static_cast<long>(std::ceil(centre + firstOffset)) - pairs;
  r.highest = static_cast<long>(std::floor(lastPosition)) + pairs;
  return true;
}

// With five or more reflections, the side of the smallest S that holds two
// or more reflections beyond the other side's count is cut back to one more.
void CropUnbalancedBranches(TReflections& r) {
  if (r.sum.size() < 5) return;
  const auto smallest = static_cast<long>(std::min_element(r.sum.begin(), r.sum.end()) - r.sum.begin());
  const long left = smallest;
  const long right = static_cast<long>(r.sum.size()) - 1 - smallest;
  if (left - right >= 2) {
    r.offset.erase(r.offset.begin(), r.offset.begin() + (left - right - 1));
    r.sum.erase(r.sum.begin(), r.sum.begin() + (left - right - 1));
  } else if (right - left >= 2) {
    r.offset.resize(r.offset.size() - static_cast<std::size_t>(right - left - 1));
    r.sum.resize(r.sum.size() - static_cast<std::size_t>(right - left - 1));
  }
}

// Least-squares parabola S = a x^2 + b x + c; false when it is not defined.
bool FitParabola(const std::vector<double>& x, const std::vector<double>& y, double& a, double& b, double& c) {
  if (x.size() < 3) return false;
  double m[3][4] = {};
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double row[3] = {x[i] * x[i], x[i], 1.0};
    for (int j = 0; j < 3; ++j) {
      for (int k = 0; k < 3; ++k) m[j][k] += row[j] * row[k];
      m[j][3] += row[j] * y[i];
    }
  }
  for (int col = 0; col < 3; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 3; ++r)
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    if (m[pivot][col] == 0.0) return false;
    std::swap(m[col], m[pivot]);
    for (int r = 0; r < 3; ++r) {
      if (r == col) continue;
      const double f = m[r][col] / m[col][col];
      for (int k = col; k < 4; ++k) m[r][k] -= f * m[col][k];
    }
  }
  a = m[0][3] / m[0][0];
  b = m[1][3] / m[1][1];
  c = m[2][3] / m[2][2];
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

// Time of a (fractional) index from the points paired: a straight line
// through their times, which evens out small jitter of the steps.
double TimeAtIndex(const TEvenCurve& curve, long lowest, long highest, double index) {
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  const double n = static_cast<double>(highest - lowest + 1);
  for (long i = lowest; i <= highest; ++i) {
    const double x = static_cast<double>(i - lowest);
    const double y = curve.time[static_cast<std::size_t>(i)] - curve.time[static_cast<std::size_t>(lowest)];
    sx += x, sy += y, sxx += x * x, sxy += x * y;
  }
  const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
  const double intercept = (sy - slope * sx) / n;
  return curve.time[static_cast<std::size_t>(lowest)] + intercept + slope * (index - static_cast<double>(lowest));
}

}  // namespace

bool KweeVanWoerden(const double* time, const double* value, std::size_t count, const TKvWOptions& options,
                    TKvWResult& result, std::string& failure) {
  const int reflections = options.reflections;
  if (reflections < kMinKvWReflections || reflections > kMaxKvWReflections || reflections % 2 == 0) {
    failure = "The number of reflections must be odd, from 3 to 21.";
    return false;
  }
  if (count < 2 * kMinKvWPairs + 2) {
    failure = "Too few points: at least 8 are needed.";
    return false;
  }
  TEvenCurve curve;
  if (!MakeEven(time, value, count, curve, failure)) return false;

  long centre = static_cast<long>(ExtremeIndex(curve.value));
  TReflections r;
  double a = 0, b = 0, c = 0;
  for (int attempt = 0;; ++attempt) {
    if (attempt == kMaxRecentring) {
      failure = "The minimum could not be enclosed by the reflections.";
      return false;
    }
    if (!Reflect(curve.value, centre, reflections, r)) {
      failure = "Fewer than 3 points can be paired on one branch of the eclipse.";
      return false;
    }
    CropUnbalancedBranches(r);
    const bool fitted = FitParabola(r.offset, r.sum, a, b, c);
    const double vertex = fitted && a > 0 ? -b / (2 * a) : 0.0;
    const bool inside = fitted && a > 0 && vertex >= r.offset.front() && vertex <= r.offset.back();
    if (inside) break;
    // Follow the smaller S (or the vertex, when the parabola has one).
    const auto smallest = std::min_element(r.sum.begin(), r.sum.end()) - r.sum.begin();
    const double toward = fitted && a > 0 ? vertex : r.offset[static_cast<std::size_t>(smallest)];
    if (toward == 0.0) {
      failure = "The points show no symmetric minimum.";
      return false;
    }
    const long shift = std::lround(toward);
    centre += shift != 0 ? shift : (toward > 0 ? 1 : -1);
  }

  const double vertex = -b / (2 * a);
  const double smallestSum = *std::min_element(r.sum.begin(), r.sum.end());
  const double z = static_cast<double>(r.pairs);
  result.noise = options.noise > 0.0 ? options.noise : std::sqrt(smallestSum / (2.0 * (z - 1.0)));
  const double step = (TimeAtIndex(curve, r.lowest, r.highest, centre + 1.0) -
                       TimeAtIndex(curve, r.lowest, r.highest, static_cast<double>(centre)));
  result.time = TimeAtIndex(curve, r.lowest, r.highest, centre + vertex);
  // Deeg: S at the vertex is set to what the noise alone gives, 2 (Z - 1)
  // noise^2, which leaves sigma^2 = 2 noise^2 / A (A per step squared).
  result.error = step * std::sqrt(2.0 * result.noise * result.noise / a);
  const double vertexSum = c - b * b / (4.0 * a);
  result.classicError = vertexSum >= 0.0 ? step * std::sqrt(vertexSum / (a * (z - 1.0))) : std::nan("");
  result.points = curve.value.size();
  result.pairs = r.pairs;
  result.resampled = curve.resampled;
  if (!std::isfinite(result.time) || !std::isfinite(result.error)) {
    failure = "The points show no symmetric minimum.";
    return false;
  }
  return true;
}

double NoiseFromErrors(const TFitPoint* points, std::size_t count) {
  double squares = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!(points[i].error > 0.0)) return 0.0;
    squares += points[i].error * points[i].error;
  }
  return count > 0 ? std::sqrt(squares / static_cast<double>(count)) : 0.0;
}

bool FitMinimumKvW(TMinimumFitTab& tab, ombrix_data::CUserIO& io, int reflections, TKvWResult* outcome) {
  std::vector<TFitPoint> window;
  for (std::size_t i = 0; i < tab.pointCount; ++i)
    if (tab.start <= tab.points[i].phase && tab.points[i].phase <= tab.end) window.push_back(tab.points[i]);
  std::stable_sort(window.begin(), window.end(),
                   [](const TFitPoint& x, const TFitPoint& y) { return x.phase < y.phase; });
  std::vector<double> times, values;
  for (const TFitPoint& p : window) times.push_back(p.phase), values.push_back(p.value);
  tab.fitted = false;
  tab.SetBusy(true);
  TKvWOptions options;
  options.reflections = reflections;
  options.noise = NoiseFromErrors(window.data(), window.size());
  TKvWResult result;
  std::string failure;
  const bool ok = KweeVanWoerden(times.data(), values.data(), times.size(), options, result, failure);
  if (ok) {
    tab.minimumTime = result.time;
    tab.minimumError = result.error;
    tab.errorShown = true;
    tab.fitPointCount = result.points;
    if (outcome) *outcome = result;
  } else {
    io.ShowMessage(TUserMessage{"KvW timing failed", {failure.c_str(), nullptr, nullptr}, TMessageIcon::stop});
  }
  tab.Redraw();
  tab.SetBusy(false);
  return ok;
}

}  // namespace ombrix_analysis
