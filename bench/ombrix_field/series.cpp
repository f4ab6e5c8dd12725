// Reading a 16 MB geocentric series file from disk with conversion to
// heliocentric times, as the field loader does.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ombrix_field/series_file.h"

namespace {

// A geocentric series of about 16 MB: header, then time, magnitude, error.
std::string MakeSeriesFile() {
  std::string path = (std::filesystem::temp_directory_path() / "ombrix_bench_series.txt").string();
  std::string text =
      "JD: geocentric Unit: magnitude Filter: V\r\n"
      "VAR Name: V1234 Cyg RA: 20:30:15.5 Dec: +40:10:05\r\n";
  char line[96];
  for (long i = 0; text.size() < ombrix_data::kMaxSeriesFileSize - sizeof(line); ++i) {
    int n = std::snprintf(line, sizeof(line), "%.6f\t%.4f\t%.4f\r\n", 2459000.0 + i * 0.0005,
                          12.0 + 0.3 * ((i * 7919) % 1000) / 1000.0, 0.005 + (i % 13) * 0.0001);
    text.append(line, static_cast<std::size_t>(n));
  }
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

void ReadGeocentricSeries(benchmark::State& state) {
  static const std::string path = MakeSeriesFile();
  const std::uint64_t bytes = std::filesystem::file_size(path);
  ombrix_data::CObjectListElem object;
  object.metaDataSource = ombrix_data::mdsManualEntry;
  object.metaData.var.ra = 5.37;
  object.metaData.var.dec = 0.70;
  char error[ombrix_data::kErrorTextHigh + 1];
  for (auto _ : state) {
    ombrix_data::CLocalSeriesTreeElem series;
    std::snprintf(series.absolutePath, sizeof(series.absolutePath), "%s", path.c_str());
    if (!ombrix_data::LoadSeriesFile(series, {"", "/"}, ombrix_data::kErrorTextHigh, error)) {
      state.SkipWithError("series file not read");
      break;
    }
    ombrix_data::ApplyHeliocentricConversion(series, object);
    benchmark::DoNotOptimize(series.time[series.pointCount - 1]);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(ReadGeocentricSeries)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
