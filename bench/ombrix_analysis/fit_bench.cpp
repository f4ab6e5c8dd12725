// Speed of the phase-curve fit (20,000 points, all sixteen parameters free)
// and of the bootstrap of a 200-point eclipse on all processors.
#include <benchmark/benchmark.h>

#include <cstring>
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

void BM_PhaseCurveFit20000(benchmark::State& state) {
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
  CSilentIO io;
  for (auto _ : state) {
    ombrix_data::CObjectListElem object;
    TPhaseFitPane pane;
    pane.points = points.data();
    pane.pointCount = points.size();
    std::memcpy(pane.fields, ombrix_model::FitParameterDefaults, sizeof pane.fields);
    pane.fields[ombrix_model::fpMag0] = 9.9;
    for (bool& f : pane.free) f = true;
    benchmark::DoNotOptimize(FitPhaseCurve(pane, object, io));
  }
}
BENCHMARK(BM_PhaseCurveFit20000)->Unit(benchmark::kMillisecond);

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
  for (auto _ : state) benchmark::DoNotOptimize(EstimateMinimumError(tab, io, TBootstrapOptions{0, 3u}));
}
BENCHMARK(BM_Bootstrap200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
BENCHMARK_MAIN();
