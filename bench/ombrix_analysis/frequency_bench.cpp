// Speed of the frequency analysis on 20,000 points: the direct order-1 sums
// per point and trial and the gridded scan's samples per point and sample for
// every vector unit, the direct projection, the default scan of 190,000
// trials on one worker for every unit, and the default scan through
// RunFrequencyAnalysis on one and two workers. Two series: a TESS sector
// (27 days at a 2-minute cadence) and a year of nightly observations.
//
// Side by side with astropy: run this program with OMBRIX_FREQUENCY_DATA set
// to a file name; the default scan writes its points and the trial grid
// there, then
//   /usr/bin/python3 bench/ombrix_analysis/lombscargle_astropy.py <that file>
// times astropy's LombScargle on the same points and periods.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include <ombrix_model/angles.h>
#include <ombrix_analysis/frequency_analysis.h>
#include <ombrix_analysis/frequency_headless_dialog.h>

#include "../../analysis/src/periods/frequency_gridded.h"
#include "../../analysis/src/periods/frequency_kernel.h"

namespace {

using namespace ombrix_analysis;

constexpr std::uint32_t kPoints = 20000;

enum TSpan { kSector = 0, kYear = 1 };

// An eclipsing-binary-like series: a 0.7345 d variation with a harmonic,
// noise and varying errors. A sector: 2-minute cadence with the mid-sector
// gap of a day. A year: 200 nights of 100 points at a 7-minute cadence.
std::vector<ombrix_data::TSeriesPoint> MakeSeries(TSpan span) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::normal_distribution<double> noise(0.0, 0.01);
  std::vector<ombrix_data::TSeriesPoint> out;
  for (std::uint32_t i = 0; i < kPoints; ++i) {
    double t = 2457000.0;
    if (span == kSector)
      t += i * (2.0 / 1440.0) + (i >= kPoints / 2 ? 1.0 : 0.0);
    else
      t += (i / 100) * (365.0 / 200.0) + (i % 100) * 0.005;
    t += 0.0002 * uniform(random);
    const double phase = ombrix_model::kTwoPi * t / 0.7345;
    const double error = 0.008 + 0.004 * uniform(random);
    out.push_back({t, 12.0 + 0.3 * std::sin(phase) + 0.1 * std::cos(2 * phase) + noise(random), error});
  }
  return out;
}

const std::vector<ombrix_data::TSeriesPoint>& Series(TSpan span) {
  static const std::vector<ombrix_data::TSeriesPoint> series[2] = {MakeSeries(kSector), MakeSeries(kYear)};
  return series[span];
}

// Values, times about their mean and weights as the analysis prepares them.
struct TKernelInput {
  std::vector<double> values, times, weights;
  double w = 0.0, wy = 0.0;
};

const TKernelInput& Input(TSpan span) {
  static const auto make = [](TSpan s) {
    TKernelInput in;
    double mean = 0.0;
    for (const auto& p : Series(s)) mean += p.time / kPoints;
    for (const auto& p : Series(s)) {
      in.values.push_back(p.value);
      in.times.push_back(p.time - mean);
      in.weights.push_back(1.0 / p.error);
      in.w += in.weights.back();
      in.wy += in.weights.back() * p.value;
    }
    return in;
  };
  static const TKernelInput inputs[2] = {make(kSector), make(kYear)};
  return inputs[span];
}

// Angular frequencies of trials spread over the default grid.
double TrialOmega(std::size_t i) { return ombrix_model::kTwoPi / (0.1 + 0.01 * double(i % 190)); }

void SetPerPointCounter(benchmark::State& state, double trialsPerIteration) {
  state.counters["ns_per_point_trial"] = benchmark::Counter(
      kPoints * trialsPerIteration * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_OrderOneSums(benchmark::State& state, TKernelUnit unit) {
  const TOrderOneKernel kernel = OrderOneKernelFor(unit);
  if (kernel == nullptr) {
    state.SkipWithError("this processor lacks the unit");
    return;
  }
  const TKernelInput& in = Input(kYear);
  TOrderOneSums sums;
  std::size_t trial = 0;
  for (auto _ : state) {
    kernel(kPoints, TrialOmega(trial++), in.values.data(), in.times.data(), in.weights.data(), sums);
    benchmark::DoNotOptimize(OrderOneValueFromSums(in.w, in.wy, sums));
  }
  SetPerPointCounter(state, 1.0);
}
BENCHMARK_CAPTURE(BM_OrderOneSums, avx512f, TKernelUnit::avx512f);
BENCHMARK_CAPTURE(BM_OrderOneSums, avx2, TKernelUnit::avx2);
BENCHMARK_CAPTURE(BM_OrderOneSums, scalar, TKernelUnit::scalar);

// The direct evaluation: the orthogonal-polynomial projection of order 1.
void BM_DirectProjection(benchmark::State& state) {
  const TKernelInput& in = Input(kYear);
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
  SetPerPointCounter(state, 1.0);
}
BENCHMARK(BM_DirectProjection);

// Samples of the gridded scan at the spacing a year calls for, 1,000 a run.
void BM_SampleSums(benchmark::State& state, TKernelUnit unit) {
  const TSampleKernel kernel = SampleKernelFor(unit);
  if (kernel == nullptr) {
    state.SkipWithError("this processor lacks the unit");
    return;
  }
  const TKernelInput& in = Input(kYear);
  constexpr std::uint32_t kSamples = 1000;
  constexpr double kStep = 1.0 / 512.0;
  std::vector<double> a2(kPoints), stepCos(kPoints), stepSin(kPoints);
  for (std::uint32_t i = 0; i < kPoints; ++i) {
    a2[i] = in.weights[i] * (in.values[i] - in.wy / in.w);
    stepCos[i] = std::cos(ombrix_model::kPi * kStep * in.times[i]);
    stepSin[i] = std::sin(ombrix_model::kPi * kStep * in.times[i]);
  }
  std::vector<TOrderOneSums> sums(kSamples);
  TSampleRun run;
  run.n = kPoints;
  run.times = in.times.data();
  run.a1 = in.weights.data();
  run.a2 = a2.data();
  run.stepCos = stepCos.data();
  run.stepSin = stepSin.data();
  run.first = 400;
  run.step = kStep;
  run.count = kSamples;
  run.sums = sums.data();
  for (auto _ : state) {
    kernel(run);
    benchmark::DoNotOptimize(sums.data());
  }
  state.counters["ns_per_point_sample"] = benchmark::Counter(
      kPoints * double(kSamples) * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_SampleSums, avx512f, TKernelUnit::avx512f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SampleSums, avx2, TKernelUnit::avx2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SampleSums, scalar, TKernelUnit::scalar)->Unit(benchmark::kMillisecond);

// The default grid scanned as one worker does, with the kernels of one unit:
// chunks through samples where that pays, the other trials directly.
void BM_ScanOneWorker(benchmark::State& state, TKernelUnit unit, TSpan span) {
  if (!IsKernelUnitAvailable(unit)) {
    state.SkipWithError("this processor lacks the unit");
    return;
  }
  const TKernelInput& in = Input(span);
  const TFrequencySettings settings;
  const auto trials = static_cast<std::uint32_t>(FrequencyTrialCount(settings));
  const double step = TrialStep(settings.minPeriod, settings.maxPeriod, trials);
  CGriddedTrials gridded(kPoints, in.values.data(), in.times.data(), in.weights.data(), unit);
  std::vector<double> periods(gridded.ChunkLength()), results(trials);
  std::uint32_t direct = 0;
  for (auto _ : state) {
    double period = settings.minPeriod;
    direct = 0;
    for (std::uint32_t i = 0; i < trials;) {
      const std::uint32_t count = std::min<std::uint32_t>(gridded.ChunkLength(), trials - i);
      for (std::uint32_t j = 0; j < count; ++j, period += step) periods[j] = period;
      if (gridded.Pays(count, periods.data())) {
        gridded.Score(count, periods.data(), results.data() + i);
        direct += gridded.DirectTrials();
      } else {
        for (std::uint32_t j = 0; j < count; ++j) results[i + j] = gridded.DirectValue(periods[j]);
        direct += count;
      }
      i += count;
    }
    benchmark::DoNotOptimize(results.data());
  }
  state.counters["direct_trials"] = direct;
  SetPerPointCounter(state, trials);
}
BENCHMARK_CAPTURE(BM_ScanOneWorker, avx512f_year, TKernelUnit::avx512f, kYear)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ScanOneWorker, avx2_year, TKernelUnit::avx2, kYear)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ScanOneWorker, scalar_year, TKernelUnit::scalar, kYear)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ScanOneWorker, avx512f_sector, TKernelUnit::avx512f, kSector)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ScanOneWorker, avx2_sector, TKernelUnit::avx2, kSector)->Unit(benchmark::kMillisecond);

// Writes the points and the grid of the default scan for the astropy script.
void WriteExchangeFile(const char* path, TSpan span, const TFrequencySettings& settings,
                       std::uint64_t trials) {
  std::FILE* f = std::fopen(path, "w");
  if (f == nullptr) return;
  std::fprintf(f, "# grid %.17g %.17g %llu\n", settings.minPeriod, settings.maxPeriod,
               static_cast<unsigned long long>(trials));
  for (const auto& p : Series(span)) std::fprintf(f, "%.17g %.17g %.17g\n", p.time, p.value, p.error);
  std::fclose(f);
}

// The default scan as the program runs it; range(0) = series, range(1) = workers.
void BM_DefaultScan(benchmark::State& state) {
  const auto span = static_cast<TSpan>(state.range(0));
  const TFrequencySettings settings;
  const std::uint64_t trials = FrequencyTrialCount(settings);
  if (const char* path = std::getenv("OMBRIX_FREQUENCY_DATA")) WriteExchangeFile(path, span, settings, trials);
  ombrix_data::CObjectListElem object;
  auto* series = new ombrix_data::CSeriesTreeElem;
  series->InsertPoints(Series(span).data(), Series(span).size());
  series->enabled = true;
  object.InsertSeries(series);
  const auto workers = static_cast<std::uint32_t>(state.range(1));
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
  state.counters["best_period"] = best;
  SetPerPointCounter(state, static_cast<double>(trials));
}
BENCHMARK(BM_DefaultScan)
    ->ArgNames({"year", "workers"})
    ->Args({kSector, 1})
    ->Args({kSector, 2})
    ->Args({kYear, 1})
    ->Args({kYear, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
