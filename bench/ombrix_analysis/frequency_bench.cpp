// Speed of the frequency analysis on 10,000 points: the order-1 sums per point
// and trial for every vector unit beside the direct evaluations, and the
// default scan of 190,000 trials through RunFrequencyAnalysis on two workers.
//
// Side by side with astropy: run this program with OMBRIX_FREQUENCY_DATA set
// to a file name; it writes the points and the trial grid there, then
//   /usr/bin/python3 bench/ombrix_analysis/lombscargle_astropy.py <that file>
// times astropy's LombScargle on the same points and periods.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include <ombrix_model/angles.h>
#include <ombrix_analysis/frequency_analysis.h>
#include <ombrix_analysis/frequency_headless_dialog.h>

#include "../../analysis/src/periods/frequency_kernel.h"

namespace {

using namespace ombrix_analysis;

constexpr std::uint32_t kPoints = 10000;

// An eclipsing-binary-like series: 0.01 d cadence over 100 days with a gap,
// a 0.7345 d variation with a harmonic, noise and varying errors.
const std::vector<ombrix_data::TSeriesPoint>& Series() {
  static const std::vector<ombrix_data::TSeriesPoint> points = [] {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> jitter(0.0, 0.002);
    std::normal_distribution<double> noise(0.0, 0.01);
    std::vector<ombrix_data::TSeriesPoint> out;
    for (std::uint32_t i = 0; i < kPoints; ++i) {
      const double t = 2457000.0 + i * 0.01 + (i >= kPoints / 2 ? 3.0 : 0.0) + jitter(random);
      const double phase = ombrix_model::kTwoPi * t / 0.7345;
      const double error = 0.008 + 0.004 * jitter(random) / 0.002;
      out.push_back({t, 12.0 + 0.3 * std::sin(phase) + 0.1 * std::cos(2 * phase) + noise(random), error});
    }
    return out;
  }();
  return points;
}

// Values, times about their mean and weights as the analysis prepares them.
struct TKernelInput {
  std::vector<double> values, times, weights;
  double w = 0.0, wy = 0.0;
};

const TKernelInput& Input() {
  static const TKernelInput input = [] {
    TKernelInput in;
    double mean = 0.0;
    for (const auto& p : Series()) mean += p.time / kPoints;
    for (const auto& p : Series()) {
      in.values.push_back(p.value);
      in.times.push_back(p.time - mean);
      in.weights.push_back(1.0 / p.error);
      in.w += in.weights.back();
      in.wy += in.weights.back() * p.value;
    }
    return in;
  }();
  return input;
}

// Angular frequencies of trials spread over the default grid.
double TrialOmega(std::size_t i) { return ombrix_model::kTwoPi / (0.1 + 0.01 * double(i % 190)); }

void SetPerPointCounter(benchmark::State& state) {
  state.counters["ns_per_point_trial"] = benchmark::Counter(
      kPoints * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_OrderOneSums(benchmark::State& state, TKernelUnit unit) {
  const TOrderOneKernel kernel = OrderOneKernelFor(unit);
  if (kernel == nullptr) {
    state.SkipWithError("this processor lacks the unit");
    return;
  }
  const TKernelInput& in = Input();
  TOrderOneSums sums;
  std::size_t trial = 0;
  for (auto _ : state) {
    kernel(kPoints, TrialOmega(trial++), in.values.data(), in.times.data(), in.weights.data(), sums);
    benchmark::DoNotOptimize(OrderOneValueFromSums(in.w, in.wy, sums));
  }
  SetPerPointCounter(state);
}
BENCHMARK_CAPTURE(BM_OrderOneSums, avx512f, TKernelUnit::avx512f);
BENCHMARK_CAPTURE(BM_OrderOneSums, avx2, TKernelUnit::avx2);
BENCHMARK_CAPTURE(BM_OrderOneSums, scalar, TKernelUnit::scalar);

// The direct evaluation: the orthogonal-polynomial projection of order 1.
void BM_DirectProjection(benchmark::State& state) {
  const TKernelInput& in = Input();
  std::vector<TComplex> values(in.values.begin(), in.values.end());
  std::vector<TComplex> z(kPoints), psi(kPoints), zPower(kPoints), product(kPoints);
  const TProjectionWork work{z.data(), psi.data(), zPower.data(), product.data()};
  TComplex c[2];
  std::size_t trial = 0;
  for (auto _ : state) {
    MultiHarmonicProjection(kPoints, 1, TrialOmega(trial++), values.data(), in.times.data(),
                            in.weights.data(), c, work);
    benchmark::DoNotOptimize(TrialValue(c[0], c[1]));
  }
  SetPerPointCounter(state);
}
BENCHMARK(BM_DirectProjection);

// Writes the points and the grid of the default scan for the astropy script.
void WriteExchangeFile(const char* path, const TFrequencySettings& settings, std::uint64_t trials) {
  std::FILE* f = std::fopen(path, "w");
  if (f == nullptr) return;
  std::fprintf(f, "# grid %.17g %.17g %llu\n", settings.minPeriod, settings.maxPeriod,
               static_cast<unsigned long long>(trials));
  for (const auto& p : Series()) std::fprintf(f, "%.17g %.17g %.17g\n", p.time, p.value, p.error);
  std::fclose(f);
}

void BM_DefaultScan(benchmark::State& state) {
  const TFrequencySettings settings;
  const std::uint64_t trials = FrequencyTrialCount(settings);
  if (const char* path = std::getenv("OMBRIX_FREQUENCY_DATA")) WriteExchangeFile(path, settings, trials);
  ombrix_data::CObjectListElem object;
  auto* series = new ombrix_data::CSeriesTreeElem;
  series->InsertPoints(Series().data(), Series().size());
  series->enabled = true;
  object.InsertSeries(series);
  const auto workers = static_cast<std::uint32_t>(state.range(0));
  double best = 0.0;
  const std::clock_t cpuBefore = std::clock();
  for (auto _ : state) {
    CHeadlessFrequencyDialog dialog;
    vlist::CList periods;
    RunFrequencyAnalysis(object, settings.minPeriod, settings.maxPeriod,
                         static_cast<std::uint32_t>(trials), periods, dialog, workers);
    if (periods.first) best = static_cast<const ombrix_data::CPeriodListElem*>(periods.first)->period;
    periods.DisposeList();
  }
  // CPU seconds of the whole process (all workers) per scan.
  state.counters["process_cpu_s"] = benchmark::Counter(
      double(std::clock() - cpuBefore) / CLOCKS_PER_SEC, benchmark::Counter::kAvgIterations);
  state.counters["trials"] = static_cast<double>(trials);
  state.counters["best_period"] = best;
}
BENCHMARK(BM_DefaultScan)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
