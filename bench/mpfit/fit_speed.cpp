// Speed of mpfit() beside cminpack's lmdif on NIST problems, and of a bounded
// 16-parameter fit of 20,000 points shaped like an eclipsing-binary phase curve.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "../../mpfit/tests/nist_problems.h"
#include "mpfit/mpfit.h"

namespace {

std::string DataFolder() {
  const std::string file = __FILE__;
  return file.substr(0, file.rfind('/')) + "/../../mpfit/tests/data";
}

const nist::Problem& Nist(const std::string& name) {
  static std::map<std::string, nist::Problem> cache;
  auto it = cache.find(name);
  if (it == cache.end()) {
    it = cache.emplace(name, nist::Problem{}).first;
    if (!nist::Load(DataFolder(), name, it->second)) std::abort();
  }
  return it->second;
}

void BM_MpfitNist(benchmark::State& state, const char* name) {
  const nist::Problem& p = Nist(name);
  for (auto _ : state) {
    std::vector<double> b = p.start[1];
    mpfit(nist::MpfitResidual, int(p.y.size()), p.parameters(), b.data(), nullptr, nullptr,
          const_cast<nist::Problem*>(&p), nullptr);
    benchmark::DoNotOptimize(b.data());
  }
}

void BM_LmdifNist(benchmark::State& state, const char* name) {
  const nist::Problem& p = Nist(name);
  for (auto _ : state) {
    std::vector<double> b = p.start[1];
    nist::RunLmdif(p, b);
    benchmark::DoNotOptimize(b.data());
  }
}

// Level, two eclipses (depth, width, shape, curvature; the second at a free
// phase) and three harmonics: the shape and cost of a phase-curve model.
double Eclipse(double depth, double width, double shape, double curve, double dp) {
  const double u = std::fabs(dp) / width;
  return depth * (1 + curve * u * u) * std::exp(-std::pow(u, shape));
}

double Folded(double d) { return d - std::round(d); }

double CurveModel(const double* p, double phase) {
  double v = p[0] + Eclipse(p[2], p[3], p[4], p[5], Folded(phase)) +
             Eclipse(p[6], p[7], p[8], p[9], Folded(phase - p[1]));
  for (int k = 1; k <= 3; ++k) {
    const double w = 2 * nist::kPi * k * phase;
    v += p[8 + 2 * k] * std::sin(w) + p[9 + 2 * k] * std::cos(w);
  }
  return v;
}

struct Curve {
  std::vector<double> phase, value;
};

const Curve& SyntheticCurve() {
  static const Curve curve = [] {
    const double truth[16] = {12, 0.5, 0.8, 0.05, 2, 0.1, 0.3, 0.06, 2, 0.1,
                              0.01, 0.02, 0.005, 0.003, 0.001, 0.002};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> phase(0, 1);
    std::normal_distribution<double> noise(0, 0.01);
    Curve c;
    for (int i = 0; i < 20000; ++i) {
      c.phase.push_back(phase(random));
      c.value.push_back(CurveModel(truth, c.phase.back()) + noise(random));
    }
    return c;
  }();
  return curve;
}

int CurveResidual(int m, int, double* p, double* f, double**, void* data) {
  const Curve& c = *static_cast<const Curve*>(data);
  for (int i = 0; i < m; ++i) f[i] = (c.value[i] - CurveModel(p, c.phase[i])) / 0.01;
  return 0;
}

void BM_MpfitCurve16(benchmark::State& state) {
  const Curve& c = SyntheticCurve();
  const double lower[16] = {-20, -0.25, 0, 0, 0, -10, 0, 0, 0, -10, -2, -2, -2, -2, -2, -2};
  const double upper[16] = {20, 0.75, 10, 0.6, 99, 10, 10, 0.6, 99, 10, 2, 2, 2, 2, 2, 2};
  std::vector<mp_par> pars(16);
  for (int k = 0; k < 16; ++k)
    pars[k] = mp_par{0, {1, 1}, {lower[k], upper[k]}, nullptr, 0, 0, 0, 0, 0, 0};
  mp_result result{};
  for (auto _ : state) {
    double p[16] = {11.9, 0.49, 0.7, 0.06, 1.8, 0, 0.25, 0.07, 1.8, 0, 0, 0, 0, 0, 0, 0};
    result = mp_result{};
    mpfit(CurveResidual, int(c.phase.size()), 16, p, pars.data(), nullptr,
          const_cast<Curve*>(&c), &result);
    benchmark::DoNotOptimize(p);
  }
  state.counters["status"] = result.status;
  state.counters["nfev"] = result.nfev;
  state.counters["chi2"] = result.bestnorm;
}

}  // namespace

BENCHMARK_CAPTURE(BM_MpfitNist, Misra1a, "Misra1a");
BENCHMARK_CAPTURE(BM_LmdifNist, Misra1a, "Misra1a");
BENCHMARK_CAPTURE(BM_MpfitNist, Thurber, "Thurber");
BENCHMARK_CAPTURE(BM_LmdifNist, Thurber, "Thurber");
BENCHMARK_CAPTURE(BM_MpfitNist, Gauss1, "Gauss1");
BENCHMARK_CAPTURE(BM_LmdifNist, Gauss1, "Gauss1");
BENCHMARK_CAPTURE(BM_MpfitNist, ENSO, "ENSO");
BENCHMARK_CAPTURE(BM_LmdifNist, ENSO, "ENSO");
BENCHMARK(BM_MpfitCurve16)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
