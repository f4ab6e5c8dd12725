// Parsing and writing a 16 MB document shaped like a repository cache file:
// an object record with its fit and notes, and series records holding minima
// and arrays of "time value error" data strings.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "ombrix_net/sjson.h"

namespace {

constexpr uint64_t kDocumentBytes = 16u << 20;
constexpr int kPointsPerSeries = 2000;

void AddText(sjson::CJSON& doc, const char* name, const std::string& text) {
  doc.AddStr(name, static_cast<uint32_t>(text.size() - 1), text.c_str());
}

void AddSeries(sjson::CJSON& doc, int index) {
  char text[64];
  doc.AddRecord(nullptr);
  std::snprintf(text, sizeof text, "%016X", 0x01D3A4B5u + index);
  AddText(doc, "file_time", text);
  doc.AddReal("var_aperture", 4.5);
  doc.AddReal("cmp_aperture", 4.5);
  doc.AddReal("chk_aperture", 4.5);
  AddText(doc, "jd_type", "HJD");
  AddText(doc, "brightness_unit", "magnitude");
  AddText(doc, "filter", "V");
  doc.AddArray("minima");
  doc.AddRecord(nullptr);
  doc.AddReal("jd", 2455000.4321 + index);
  doc.AddReal("error", 0.00021);
  AddText(doc, "type", "primary");
  doc.Leave();
  doc.Leave();
  doc.AddArray("data");
  for (int i = 0; i < kPointsPerSeries; ++i) {
    std::snprintf(text, sizeof text, "%.6f %.4f %.4f", 2455000.3 + index + i * 0.0003,
                  12.3 + (i % 97) * 0.001, 0.01 + (i % 7) * 0.001);
    AddText(doc, nullptr, text);
  }
  doc.Leave();
  doc.Leave();
}

// Builds the document up to kDocumentBytes of text.
void BuildCacheDocument(sjson::CJSON& doc) {
  doc.InitRoot(false);
  AddText(doc, "name", "V1234 Cyg");
  AddText(doc, "var_type", "EA");
  doc.AddReal("m0", 2455000.41235);
  doc.AddReal("period", 0.7321456);
  doc.AddReal("ra", 5.1234);
  doc.AddReal("dec", 0.7123);
  doc.AddRecord("fit");
  for (const char* member : {"mag0", "sec_phase", "a_pri", "d_pri", "g_pri", "c_pri"})
    doc.AddReal(member, 0.125);
  doc.Leave();
  doc.AddArray("notes");
  AddText(doc, nullptr, "Observed with a 200 mm reflector.");
  doc.Leave();
  doc.AddArray("series");
  // About 38 bytes a data line: enough series to come close to the target
  // size and stay below the 16 MiB the cache loader accepts.
  const int series = static_cast<int>(kDocumentBytes / (kPointsPerSeries * 38));
  for (int i = 0; i < series; ++i) AddSeries(doc, i);
  doc.Leave();
}

const std::string& CacheText() {
  static const std::string text = [] {
    sjson::CJSON doc;
    BuildCacheDocument(doc);
    sjson::TJSONText out;
    doc.Write(&out);
    std::string result(out.data, out.length);
    sjson::DoneText(out);
    return result;
  }();
  return text;
}

void BM_ParseCacheDocument(benchmark::State& state) {
  const std::string& text = CacheText();
  for (auto _ : state) {
    sjson::TJSONSource source;
    sjson::InitSource(source, text.data(), static_cast<uint32_t>(text.size()));
    sjson::CJSON doc;
    if (!doc.Parse(source)) state.SkipWithError(source.errorText);
    benchmark::DoNotOptimize(doc.root);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_ParseCacheDocument)->Unit(benchmark::kMillisecond);

void BM_WriteCacheDocument(benchmark::State& state) {
  const std::string& text = CacheText();
  sjson::TJSONSource source;
  sjson::InitSource(source, text.data(), static_cast<uint32_t>(text.size()));
  sjson::CJSON doc;
  doc.Parse(source);
  for (auto _ : state) {
    sjson::TJSONText out;
    doc.Write(&out);
    benchmark::DoNotOptimize(out.data);
    sjson::DoneText(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_WriteCacheDocument)->Unit(benchmark::kMillisecond);

// Reading every data string by index, as the cache loader does.
void BM_ReadDataStrings(benchmark::State& state) {
  const std::string& text = CacheText();
  sjson::TJSONSource source;
  sjson::InitSource(source, text.data(), static_cast<uint32_t>(text.size()));
  sjson::CJSON doc;
  doc.Parse(source);
  char line[129];
  for (auto _ : state) {
    doc.Rewind();
    doc.EnterArray("series");
    uint32_t series = 0;
    doc.GetArrayCount(series);
    for (uint32_t s = 0; s < series; ++s) {
      doc.EnterArrayRecord(s);
      doc.EnterArray("data");
      uint32_t points = 0;
      doc.GetArrayCount(points);
      for (uint32_t p = 0; p < points; ++p) doc.GetArrayStr(p, 128, line);
      doc.Leave();
      doc.Leave();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadDataStrings)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
