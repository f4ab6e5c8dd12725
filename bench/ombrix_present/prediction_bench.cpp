// The Prediction chart's layout at 1920 pixels (model, star and Sun
// altitudes, stripes and events for every second pixel), done on every
// resize, zoom and pan; and the SVG document of a dense time series.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include <winkit/view.h>

#include "ombrix_present/prediction.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

void BM_PredictionLayout1920(benchmark::State& state) {
  ombrix_lc::CPredictionPane chart;
  ombrix_model::TFitParameters model;
  ombrix_model::ResetFitParameters(model);
  ombrix_lc::TPredictionSite site;
  site.latitude = 49.2;
  site.longitude = 16.6;
  site.useStarAlt = site.useSunAlt = true;
  chart.SetObject(2459000.0, 0.83, &model, 1.0, 0.6);
  chart.SetSite(site);
  chart.SetSpan(2460000.0, 2460003.0);
  chart.NewRect(vcom::CRect(0, 0, kWidth, kHeight));
  for (auto _ : state) chart.Layout();
  state.counters["samples"] = static_cast<double>(chart.SampleX().size());
}
BENCHMARK(BM_PredictionLayout1920)->Unit(benchmark::kMicrosecond);

void BM_SVGDocument10k(benchmark::State& state) {
  ombrix_lc::CLightCurvePane chart;
  chart.ReservePoints(10000);
  for (int i = 0; i < 10000; ++i)
    chart.AppendPoint(2460000.0 + i * 1e-4, 12.0 + 0.3 * ((i * 7919) % 1000) / 1000.0, 0.01, 0.0,
                      vcolor::RGBA(0, 0, 216), nullptr);
  chart.AutoScale(0, 0, false, false, false);
  std::string document;
  for (auto _ : state) chart.DrawSVG(kWidth, kHeight, "title", document);
  state.counters["bytes"] = static_cast<double>(document.size());
}
BENCHMARK(BM_SVGDocument10k)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  view::EnsureApplication();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
