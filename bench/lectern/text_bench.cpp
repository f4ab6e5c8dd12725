// The text view on a 10 MB text: typing-sized inserts and deletes at random
// places (each moves the gap there first), and the paint of one screen after
// scrolling to a random line.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <string>

#include <winkit/vgr.h>
#include <winkit/view.h>

#include "lectern/text_view.h"

namespace {

constexpr std::size_t kTextBytes = 10 * 1024 * 1024;
constexpr int kWidth = 1200, kHeight = 800;

// Lines of 20 to 100 characters, CR LF ended, as notes or logs look.
std::string MakeText() {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> length(20, 100), letter('a', 'z');
  std::string text;
  text.reserve(kTextBytes + 128);
  while (text.size() < kTextBytes) {
    for (int n = length(rng); n > 0; --n) text += static_cast<char>(letter(rng));
    text += "\r\n";
  }
  return text;
}

struct TFixture {
  lectern::CTextView view;
  std::mt19937 rng{11};
  TFixture() {
    view.Init(nullptr, vcom::CRect(0, 0, kWidth, kHeight));
    const std::string text = MakeText();
    view.InsertText(text.data(), text.size());
  }
  ~TFixture() { view.Done(); }
  void GoToRandomLine() {
    std::uniform_int_distribution<int> line(0, view.LineCount() - 1);
    view.SetLineIndex(line(rng), 10);
  }
};

void BM_InsertDeleteRandom10MB(benchmark::State& state) {
  TFixture f;
  const char word[] = "inserted";
  for (auto _ : state) {
    f.GoToRandomLine();
    f.view.InsertTextUndoable(word, sizeof word - 1);
    f.GoToRandomLine();
    f.view.DeleteTextUndoable(sizeof word - 1, true);
  }
  state.SetItemsProcessed(2 * state.iterations());  // operations
}
BENCHMARK(BM_InsertDeleteRandom10MB)->Unit(benchmark::kMicrosecond);

void BM_ScrollAndPaint10MB(benchmark::State& state) {
  TFixture f;
  vgr::CMemoryContext dc;
  dc.Init(kWidth, kHeight);
  for (auto _ : state) {
    f.GoToRandomLine();
    f.view.ScrollToCursor();
    f.view.PaintView(dc);
  }
  dc.Done();
}
BENCHMARK(BM_ScrollAndPaint10MB)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  view::EnsureApplication();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
