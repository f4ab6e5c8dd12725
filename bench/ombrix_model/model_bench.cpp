// Speed of the light-curve model and of the heliocentric correction, the two
// functions called once per point by fits, charts and series loading.
#include <benchmark/benchmark.h>

#include <vector>

#include "ombrix_model/astro.h"
#include "ombrix_model/light_curve_model.h"

namespace {

using namespace ombrix_model;

std::vector<double> Phases(std::size_t count) {
  std::vector<double> phases(count);
  for (std::size_t i = 0; i < count; ++i) phases[i] = static_cast<double>(i) / count;
  return phases;
}

void BM_EvaluateModel(benchmark::State& state) {
  TFitParameters p;
  ResetFitParameters(p);
  if (state.range(0) != 0) {  // with all three harmonics
    for (int i = fpASin1; i <= fpACos3; ++i) p.value[i] = 0.01 * i;
    p[fpGPri] = 1.7;
  }
  PrepareLightCurveModel(p);
  const std::vector<double> phases = Phases(4096);
  for (auto _ : state) {
    double sum = 0;
    for (double phase : phases) sum += EvaluateLightCurveModel(p, phase);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * phases.size());
}
BENCHMARK(BM_EvaluateModel)->Arg(0)->Arg(1)->ArgName("harmonics");

void BM_HeliocentricJDFromTrig(benchmark::State& state) {
  const TStarTrig star = StarTrig(5.2, 0.7);
  std::vector<double> times(4096);
  for (std::size_t i = 0; i < times.size(); ++i) times[i] = 2455000.0 + 0.001 * i;
  for (auto _ : state) {
    double sum = 0;
    for (double jd : times) sum += HeliocentricJD(jd, star);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * times.size());
}
BENCHMARK(BM_HeliocentricJDFromTrig);

}  // namespace

BENCHMARK_MAIN();
