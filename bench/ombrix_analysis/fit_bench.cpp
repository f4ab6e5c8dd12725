// Speed of the phase-curve fit (20,000 points, all sixteen parameters free,
// in parts on all processors) and of the bootstrap of a 200-point eclipse on
// all processors. Both report wall time and the CPU seconds of all threads.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>
#include <random>
#include <vector>

#include <ombrix_analysis/minimum_fit.h>
#include <ombrix_analysis/phase_fit.h>

namespace {

using namespace ombrix_analysis;

class CSilentIO : public ombrix_data::CUserIO {
 public:
  void ShowMessage(const ombrix_data::TUserMessage&) override {}
  ombrix_data::TAnswer Ask(const ombrix_data::TUserMessage&, ombrix_data::TButtons) override {
    return ombrix_data::TAnswer::no;
  }
  bool EditTexts(const char*, ombrix_data::TTextField*, std::uint32_t) override { return false; }
};

// 20,000 points of a two-eclipse curve with harmonics and 0.01 noise, phases
// over [-0.25, 0.75) as the fit tab hands them in.
std::vector<TFitPoint> PhaseCurvePoints() {
  ombrix_model::TFitParameters truth;
  ombrix_model::ResetFitParameters(truth);
  const double values[ombrix_model::FitParameterCount] = {10.0, 0.5, 0.8, 0.06, 1.2, 0.1, 0.3, 0.07,
                                                          1.1, 0.05, 0.01, 0.02, 0.005, 0.003, 0.001, 0.002};
  std::memcpy(truth.value, values, sizeof values);
  ombrix_model::PrepareLightCurveModel(truth);
  std::mt19937 random(1);
  std::normal_distribution<double> noise(0.0, 0.01);
  std::vector<TFitPoint> points(20000);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double phase = -0.25 + (i + 0.5) / points.size();
    points[i] = TFitPoint{phase, ombrix_model::EvaluateLightCurveModel(truth, phase < 0 ? phase + 1 : phase) +
                                     noise(random), 0.01, 0.0, 0, nullptr};
  }
  return points;
}

// The start: the default parameters with the level moved near the data.
void StartValues(double* fields) {
  std::memcpy(fields, ombrix_model::FitParameterDefaults, sizeof(double) * ombrix_model::FitParameterCount);
  fields[ombrix_model::fpMag0] = 9.9;
}

// Writes what the fitter sees (start, limits, folded points) for the scipy
// script: lines "start ...", "lower ...", "upper ...", then "phase value error".
void WriteExchangeFile(const char* path, const std::vector<TFitPoint>& points) {
  std::FILE* f = std::fopen(path, "w");
  if (f == nullptr) return;
  double start[ombrix_model::FitParameterCount];
  StartValues(start);
  const std::pair<const char*, const double*> rows[] = {
      {"start", start}, {"lower", PhaseFitLowerBounds}, {"upper", PhaseFitUpperBounds}};
  for (const auto& [name, row] : rows) {
    std::fprintf(f, "# %s", name);
    for (int k = 0; k < ombrix_model::FitParameterCount; ++k) std::fprintf(f, " %.17g", row[k]);
    std::fprintf(f, "\n");
  }
  std::vector<TFitPoint> folded(points.size());
  FoldFitPoints(points.data(), points.size(), folded.data());
  for (const TFitPoint& p : folded)
    std::fprintf(f, "%.17g %.17g %.17g\n", p.phase, p.value + p.seriesOffset, p.error);
  std::fclose(f);
}

// Side by side with scipy: run this benchmark with OMBRIX_FIT_DATA set to a
// file name, which receives the folded points, start and limits, then
//   /usr/bin/python3 bench/ombrix_analysis/fit_scipy.py <that file>
// fits the same problem with least_squares(method='trf', jac='2-point').
void BM_PhaseCurveFit20000(benchmark::State& state) {
  const std::vector<TFitPoint> points = PhaseCurvePoints();
  if (const char* path = std::getenv("OMBRIX_FIT_DATA")) WriteExchangeFile(path, points);
  CSilentIO io;
  TPhaseFitOutcome outcome;
  double fitted[ombrix_model::FitParameterCount] = {};
  const std::clock_t cpuBefore = std::clock();
  for (auto _ : state) {
    ombrix_data::CObjectListElem object;
    TPhaseFitPane pane;
    pane.points = points.data();
    pane.pointCount = points.size();
    StartValues(pane.fields);
    for (bool& f : pane.free) f = true;
    benchmark::DoNotOptimize(FitPhaseCurve(pane, object, io, &outcome));
    std::memcpy(fitted, pane.fields, sizeof fitted);
  }
  state.counters["process_cpu_ms"] = benchmark::Counter(
      1e3 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC, benchmark::Counter::kAvgIterations);
  state.counters["status"] = outcome.status;
  state.counters["chi2"] = outcome.finalChi2;
  // With the exchange file the full digits go to standard error, so that a
  // change of the driver can be compared value by value.
  if (std::getenv("OMBRIX_FIT_DATA")) {
    std::fprintf(stderr, "chi2 %.17g\nparameters", outcome.finalChi2);
    for (double v : fitted) std::fprintf(stderr, " %.17g", v);
    std::fprintf(stderr, "\n");
  }
}
BENCHMARK(BM_PhaseCurveFit20000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Bootstrap200(benchmark::State& state) {
  TMinimumParameters truth{{12.0, 0.5, 0.1, 0.5, 0.08, 1.0, 0.0}, 0, 0};
  PrepareMinimumModel(truth);
  std::mt19937 random(2);
  std::normal_distribution<double> noise(0.0, 0.005);
  std::vector<TFitPoint> points(200);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double x = (i + 0.5) / points.size();
    points[i] = TFitPoint{2450000.0 + x, EvaluateMinimumModel(truth, x) + noise(random), 0.005, 0, 0, nullptr};
  }
  CSilentIO io;
  TMinimumFitTab tab;
  tab.points = points.data();
  tab.pointCount = points.size();
  tab.start = 2450000.0;
  tab.end = 2450001.0;
  std::memcpy(tab.fields, truth.value, sizeof tab.fields);
  for (bool& f : tab.free) f = true;
  if (!FitMinimum(tab, io)) state.SkipWithError("fit failed");
  TBootstrapOutcome outcome;
  const std::clock_t cpuBefore = std::clock();
  for (auto _ : state) benchmark::DoNotOptimize(EstimateMinimumError(tab, io, TBootstrapOptions{0, 3u}, &outcome));
  // CPU seconds of the whole process (all workers) per bootstrap.
  state.counters["process_cpu_s"] = benchmark::Counter(
      double(std::clock() - cpuBefore) / CLOCKS_PER_SEC, benchmark::Counter::kAvgIterations);
  state.counters["sigma"] = outcome.sigma;
}
BENCHMARK(BM_Bootstrap200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
BENCHMARK_MAIN();
