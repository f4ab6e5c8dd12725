// Loading and saving a field of 1,000 objects with 10 series each. The setup
// writes the series files (a few hundred geocentric points each, so loading
// includes the heliocentric conversion) and the field description file into a
// temporary folder. Loading reads the field file and every series file;
// saving writes the field file through the temporary-file replacement.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ombrix_field/ofd.h"
#include "ombrix_field/series_file.h"

namespace {

using namespace ombrix_data;

constexpr int kObjects = 1000;
constexpr int kSeriesPerObject = 10;

// Prints into a fixed text array of the model.
template <std::size_t N>
void Print(char (&field)[N], const std::string& text) {
  std::snprintf(field, N, "%s", text.c_str());
}

// One series file: header with the variable's coordinates, then time,
// magnitude and error lines of an eclipsing binary observed for some hours.
std::string SeriesText(int object, int series, int points) {
  char line[128];
  std::snprintf(line, sizeof line,
                "JD: geocentric Unit: magnitude Filter: V\r\n"
                "VAR Name: V%d Cyg RA: %02d:%02d:15.5 Dec: +%02d:10:05\r\n",
                object, object % 24, object % 60, 10 + object % 70);
  std::string text = line;
  const double start = 2458000.3 + 37.0 * series + 0.001 * object;
  for (int i = 0; i < points; ++i) {
    const double phase = (i % 97) / 97.0;
    std::snprintf(line, sizeof line, "%.6f\t%.4f\t%.4f\r\n", start + i * 0.0015,
                  12.0 + 0.6 * phase * (1 - phase), 0.004 + (i % 13) * 0.0002);
    text.append(line);
  }
  return text;
}

struct TBenchField {
  std::filesystem::path folder;   // temporary folder of all files
  std::string ofdPath;            // the field description file
  std::uint64_t seriesBytes = 0;  // all series files together
  std::uint64_t ofdBytes = 0;     // the field description file

  ~TBenchField() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
};

// Writes the series files and a field description naming them, once per run;
// the folder is removed at exit.
void BuildBenchField(TBenchField& f) {
  f.folder = std::filesystem::temp_directory_path() / "ombrix_bench_ofd";
  std::filesystem::remove_all(f.folder);
  std::filesystem::create_directories(f.folder);
  f.ofdPath = (f.folder / "field.ofd").string();
  CField model;
  for (int o = 0; o < kObjects; ++o) {
    auto* object = new CObjectListElem;
    Print(object->name, "V" + std::to_string(o) + " Cyg");
    Print(object->comment, "EA, observed in V");
    object->m0 = 2458000.3 + 0.37 * o;
    object->period = 0.3 + 0.001 * o;
    object->fitPresent = true;
    vdstr::CopyStrToDStrA(object->notes, 99, "Primary minimum well covered.\r\nCheck star stable.");
    const std::string folder = "obj" + std::to_string(o);
    std::filesystem::create_directories(f.folder / folder);
    for (int s = 0; s < kSeriesPerObject; ++s) {
      const std::string relative = folder + "/s" + std::to_string(s) + ".txt";
      const std::string text = SeriesText(o, s, 200 + (o * 7 + s * 31) % 200);
      std::ofstream((f.folder / relative).string(), std::ios::binary) << text;
      f.seriesBytes += text.size();
      auto* series = new CLocalSeriesTreeElem;
      Print(series->absolutePath, (f.folder / relative).string());
      Print(series->relativePath, relative);
      series->offset = 0.01 * s;
      series->minima.Add(minPrimary, 2458000.35 + 37.0 * s, 0.0004);
      ReadSeriesText(*series, text.data(), text.size());
      object->InsertSeries(series);
    }
    model.Append(object);
  }
  std::string text;
  WriteFieldText(model, text);
  std::ofstream(f.ofdPath, std::ios::binary) << text;
  f.ofdBytes = text.size();
}

const TBenchField& BenchField() {
  static TBenchField field;
  if (field.folder.empty()) BuildBenchField(field);
  return field;
}

// Loads the benchmark's field; series are found by their relative paths
// against the temporary folder.
bool LoadBenchField(CField& field) {
  const TBenchField& f = BenchField();
  const std::string root = f.folder.string() + "/";
  TFieldLoadContext context;
  context.folders = {root.c_str(), "/"};
  bool changed = false;
  return LoadField(f.ofdPath.c_str(), context, field, changed) && !changed && field.Count() == kObjects;
}

void LoadField1000x10(benchmark::State& state) {
  const TBenchField& f = BenchField();
  for (auto _ : state) {
    CField field;
    if (!LoadBenchField(field)) {
      state.SkipWithError("field not loaded completely");
      break;
    }
    benchmark::DoNotOptimize(field.First());
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (f.ofdBytes + f.seriesBytes)));
}
BENCHMARK(LoadField1000x10)->Unit(benchmark::kMillisecond);

void SaveField1000x10(benchmark::State& state) {
  CField field;
  CScriptedUserIO io;
  if (!LoadBenchField(field)) {
    state.SkipWithError("field not loaded");
    return;
  }
  const std::string out = (BenchField().folder / "saved.ofd").string();
  for (auto _ : state) {
    if (!SaveField(field, out.c_str(), io)) {
      state.SkipWithError("field not saved");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(out)));
}
BENCHMARK(SaveField1000x10)->Unit(benchmark::kMillisecond);

// The text alone, without the disk: what saving costs besides writing.
void WriteFieldText1000x10(benchmark::State& state) {
  CField field;
  if (!LoadBenchField(field)) {
    state.SkipWithError("field not loaded");
    return;
  }
  std::string text;
  for (auto _ : state) {
    WriteFieldText(field, text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(WriteFieldText1000x10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
