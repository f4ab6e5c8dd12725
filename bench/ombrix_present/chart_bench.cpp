// The chart pane on a dense light curve: layout and paint of 100,000 points
// with error bars into a 1920 x 1080 image, and the Time Series builder of
// 100,000 points from an object of ten series.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>

#include <ombrix_field/filters.h>
#include <ombrix_field/object.h>
#include <winkit/vcore.h>
#include <winkit/view.h>

#include "ombrix_present/chart_pane.h"
#include "ombrix_present/curve_data.h"

namespace {

constexpr int kPoints = 100000;
constexpr int kSeries = 10;
constexpr int kWidth = 1920, kHeight = 1080;

// Ten nights of an eclipsing binary, one series a night, 10,000 points each.
void FillObject(ombrix_data::CObjectListElem& object) {
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0.0, 0.01);
  for (int s = 0; s < kSeries; ++s) {
    auto* series = new ombrix_data::CLocalSeriesTreeElem;
    std::snprintf(series->fieldMetaData.filter, sizeof series->fieldMetaData.filter, "%s", s % 2 ? "V" : "R");
    std::vector<ombrix_data::TSeriesPoint> points(kPoints / kSeries);
    for (int i = 0; i < kPoints / kSeries; ++i) {
      const double t = 2459000.3 + s * 3.0 + i * 0.3 / (kPoints / kSeries);
      const double phase = (t - 2459000.0) / 0.83;
      points[i] = {t, 12.0 + 0.6 * std::exp(-std::pow((phase - std::round(phase)) / 0.05, 2)) + noise(rng),
                   0.005 + std::abs(noise(rng))};
    }
    series->InsertPoints(points.data(), points.size());
    object.InsertSeries(series);
  }
}

struct TFixture {
  ombrix_data::CObjectListElem object;
  ombrix_data::CFilterTable filters;
  ombrix_lc::CLightCurvePane chart;
  ombrix_lc::TBuildRequest request;
  TFixture() {
    object.Init();
    FillObject(object);
    filters.Init();
    filters.LoadDefaults();
    request.object = &object;
    request.filters = &filters;
    chart.NewRect(vcom::CRect(0, 0, kWidth, kHeight));
  }
  ~TFixture() {
    object.Done();
    filters.Done();
  }
};

void BM_LayoutAndPaint100k(benchmark::State& state) {
  TFixture f;
  ombrix_lc::ShowTimeSeries(f.chart, f.request);
  vgr::CMemoryContext dc;
  dc.Init(kWidth, kHeight);
  for (auto _ : state) {
    f.chart.SetViewRange(f.chart.DataMin(), f.chart.DataMax(), false, false);
    f.chart.PaintView(dc);
  }
  dc.Done();
}
BENCHMARK(BM_LayoutAndPaint100k)->Unit(benchmark::kMillisecond);

void BM_Layout100k(benchmark::State& state) {
  TFixture f;
  ombrix_lc::ShowTimeSeries(f.chart, f.request);
  for (auto _ : state) f.chart.SetViewRange(f.chart.DataMin(), f.chart.DataMax(), false, false);
}
BENCHMARK(BM_Layout100k)->Unit(benchmark::kMillisecond);

void BM_BuildTimeSeries100k(benchmark::State& state) {
  TFixture f;
  for (auto _ : state) ombrix_lc::ShowTimeSeries(f.chart, f.request);
}
BENCHMARK(BM_BuildTimeSeries100k)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  view::EnsureApplication();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
