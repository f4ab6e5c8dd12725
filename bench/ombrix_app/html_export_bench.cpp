// "Export Field into HTML..." with thumbnails and pictures of a field of
// 1,000 objects (one night of 500 points each, M0 and period set, so every
// picture is a phased curve), as the window draws them: 1024 x 768 pictures
// and 80 x 60 thumbnails written as PNG files beside the page, the files
// written on a worker thread while the next chart is drawn.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <ombrix_exports/field_export.h>
#include <ombrix_field/field.h>
#include <ombrix_field/filters.h>
#include <ombrix_present/chart_export.h>
#include <winkit/view.h>

namespace {

constexpr int kObjects = 1000;
constexpr int kPoints = 500;

void FillField(ombrix_data::CField& field) {
  std::mt19937 rng(5);
  std::normal_distribution<double> noise(0.0, 0.01);
  for (int i = 0; i < kObjects; ++i) {
    auto* o = new ombrix_data::CObjectListElem;
    std::snprintf(o->name, sizeof o->name, "V%04d Cyg", i);
    o->m0 = 2459000.0 + 0.01 * i;
    o->period = 0.5 + 0.001 * i;
    std::vector<ombrix_data::TSeriesPoint> points(kPoints);
    for (int k = 0; k < kPoints; ++k) {
      const double t = 2459100.3 + k * 0.3 / kPoints;
      const double phase = (t - o->m0) / o->period;
      points[k] = {t, 12.0 + 0.6 * std::exp(-std::pow((phase - std::round(phase)) / 0.05, 2)) + noise(rng), 0.01};
    }
    auto* s = new ombrix_data::CLocalSeriesTreeElem;
    s->InsertPoints(points.data(), points.size());
    o->InsertSeries(s);
    field.Append(o);
  }
}

void BM_HtmlExportThousandObjectsWithPictures(benchmark::State& state) {
  ombrix_data::CField field;
  field.Init();
  FillField(field);
  ombrix_data::CFilterTable filters;
  filters.Init();
  filters.LoadDefaults();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "ombrix_html_bench";
  std::filesystem::create_directories(folder);
  ombrix_export::THtmlExportOptions options;
  options.options = ombrix_export::kHtmlThumbs | ombrix_export::kHtmlImages | ombrix_export::kHtmlElements;
  for (auto _ : state) {
    ombrix_lc::CChartPictureWriter pictures;
    auto writer = [&filters, &pictures](const ombrix_export::THtmlPictureRequest& r) {
      ombrix_lc::TBuildRequest build;
      build.object = r.object;
      build.filters = &filters;
      return pictures.Queue(r.phasedCurve ? 3 : 2, build,
                            {{r.picturePath, r.pictureWidth, r.pictureDepth}, {r.thumbPath, r.thumbWidth, r.thumbDepth}});
    };
    ombrix_export::THtmlExportReport report;
    const auto result = ombrix_export::ExportFieldHtml(field, (folder / "bench.ofd").string(), options,
                                                       (folder / "bench.html").string(), writer, report);
    if (result != ombrix_export::TExportResult::ok || !report.failedPictures.empty() || !pictures.Finish().empty())
      state.SkipWithError("the export failed");
  }
  std::filesystem::remove_all(folder);
  filters.Done();
  field.Done();
}
BENCHMARK(BM_HtmlExportThousandObjectsWithPictures)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  view::EnsureOffScreenApplication();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
