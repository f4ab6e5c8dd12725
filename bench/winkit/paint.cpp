// Painting a dense light curve off-screen: 100,000 two-pixel filled circles
// with error bars in a few colours into a 1920 x 1080 image, switching pens
// only when the colour changes, as the chart panes draw.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "winkit/vcore.h"
#include "winkit/vgr.h"

namespace {

struct Point {
  int x, y, e;
  vcolor::TColor colour;
};

std::vector<Point> MakePoints(int count) {
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> x(60, 1900), y(30, 1040), e(0, 6);
  const vcolor::TColor colours[] = {vcolor::RGBA(0, 0, 0), vcolor::RGBA(216, 0, 0), vcolor::RGBA(0, 127, 0),
                                    vcolor::RGBA(31, 63, 255)};
  std::vector<Point> pts(count);
  // Series come in runs of one colour, as points of one series follow each other.
  for (int i = 0; i < count; ++i) pts[i] = {x(rng), y(rng), e(rng), colours[(i / 5000) % 4]};
  return pts;
}

vcolor::TColor Lighten(vcolor::TColor c) {
  auto up = [](unsigned v) { return v < 130 ? v + 100 : v < 220 ? v + 25 : 255u; };
  return vcolor::RGBA(up(vcolor::Red(c)), up(vcolor::Green(c)), up(vcolor::Blue(c)));
}

void BM_PaintCirclesWithErrorBars(benchmark::State& state) {
  vcore::Init_();
  const std::vector<Point> pts = MakePoints(100000);
  const int r = 2;
  vgr::CMemoryContext dc;
  for (auto _ : state) {
    dc.Init(1920, 1080);
    vcolor::TColor last = 0;
    for (const Point& p : pts) {  // error bars first, lightened, then the points
      if (p.colour != last) {
        dc.SetGCInkColor(Lighten(p.colour));
        last = p.colour;
      }
      dc.Line(p.x, p.y - p.e, p.x, p.y + p.e);
      dc.Line(p.x - r, p.y - p.e, p.x + r, p.y - p.e);
      dc.Line(p.x - r, p.y + p.e, p.x + r, p.y + p.e);
    }
    last = 0;
    for (const Point& p : pts) {
      if (p.colour != last) {
        dc.SetGCPaperColor(p.colour);
        last = p.colour;
      }
      dc.CircleFill(p.x, p.y, r, false);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pts.size()));
}
BENCHMARK(BM_PaintCirclesWithErrorBars)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
