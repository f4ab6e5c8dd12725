#include "ombrix_analysis/kvw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ombrix_analysis/find_minima.h"

namespace ombrix_analysis {
namespace {

struct TCurve {
  std::vector<double> time, value;
};

// The TESS eclipse of CM Dra at epoch 7024 (BJD_TDB, normalised flux).
TCurve CMDraFlux() {
  std::ifstream in(std::string(OMBRIX_TEST_DATA) + "/CMDra_TESS_E7024.lc");
  TCurve c;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    fields.imbue(std::locale::classic());
    double t, flux;
    if (fields >> t >> flux) c.time.push_back(t + 2400000.0), c.value.push_back(flux);
  }
  return c;
}

// A symmetric dip of depth 0.5 centred at `centre`, sampled every `step`
// days from `start`, with Gaussian noise of `noise`.
TCurve SyntheticEclipse(double centre, double start, double step, int count, double noise, std::mt19937& random) {
  std::normal_distribution<double> scatter(0.0, noise);
  TCurve c;
  for (int i = 0; i < count; ++i) {
    const double t = start + i * step;
    const double u = (t - centre) / 0.02;
    c.time.push_back(t);
    c.value.push_back(1.0 - 0.5 * std::exp(1.0 - std::cosh(u)) + (noise > 0 ? scatter(random) : 0.0));
  }
  return c;
}

bool Time(const TCurve& c, TKvWResult& r, std::string& failure, TKvWOptions options = {}) {
  return KweeVanWoerden(c.time.data(), c.value.data(), c.time.size(), options, r, failure);
}

// Deeg (2021), Table 1: 2458739.9291169 +- 0.0000125 from 5 reflections,
// with the noise of the TESS points he gives (0.00138 in flux).
TEST(KvWRealData, CMDraMatchesThePublishedTimeAndError) {
  const TCurve c = CMDraFlux();
  ASSERT_EQ(c.time.size(), 30u);
  TKvWOptions options;
  options.noise = 0.00138;
  TKvWResult r;
  std::string failure;
  ASSERT_TRUE(Time(c, r, failure, options)) << failure;
  EXPECT_NEAR(r.time, 2458739.9291169, 5e-6);
  EXPECT_NEAR(r.error / 1.25e-5, 1.0, 0.2);
  EXPECT_FALSE(r.resampled);
  EXPECT_EQ(r.points, 30u);
  char shown[64];
  std::snprintf(shown, sizeof shown, "%.9f +- %.4e", r.time, r.error);
  RecordProperty("cm_dra_minimum", shown);

  // The same curve in magnitudes is just as symmetric.
  TCurve magnitudes = c;
  for (double& v : magnitudes.value) v = -2.5 * std::log10(v);
  TKvWResult m;
  ASSERT_TRUE(Time(magnitudes, m, failure)) << failure;
  EXPECT_NEAR(m.time, r.time, 5e-6);
}

// The time of a noiseless dip between two points is found exactly, wherever
// the dip sits in the window.
TEST(KvW, NoiselessDipIsTimedExactlyWhereverTheWindowSits) {
  std::mt19937 random(1);
  for (double start : {0.93, 0.95, 0.97}) {
    const TCurve c = SyntheticEclipse(1.0123, start, 0.002, 80, 0.0, random);
    TKvWResult r;
    std::string failure;
    ASSERT_TRUE(Time(c, r, failure)) << failure;
    EXPECT_NEAR(r.time, 1.0123, 2e-6) << start;
  }
}

// Deeg's point: over many noisy realisations the spread of the times
// matches the errors the method states; the 1956 formula underestimates.
TEST(KvW, StatedErrorsMatchTheScatterOfTimes) {
  std::mt19937 random(20210101);
  const double noise = 0.003;
  std::vector<double> times;
  double errorSum = 0.0;
  for (int i = 0; i < 300; ++i) {
    const TCurve c = SyntheticEclipse(1.0, 0.955, 0.0015, 61, noise, random);
    TKvWOptions options;
    options.noise = noise;
    TKvWResult r;
    std::string failure;
    ASSERT_TRUE(Time(c, r, failure, options)) << failure;
    times.push_back(r.time);
    errorSum += r.error;
  }
  double mean = 0.0;
  for (double t : times) mean += t;
  mean /= times.size();
  double squares = 0.0;
  for (double t : times) squares += (t - mean) * (t - mean);
  const double scatter = std::sqrt(squares / (times.size() - 1));
  const double stated = errorSum / times.size();
  EXPECT_NEAR(mean, 1.0, 3 * scatter / std::sqrt(times.size()));
  EXPECT_NEAR(stated / scatter, 1.0, 0.25) << "stated " << stated << " scatter " << scatter;
}

TEST(KvW, UnevenPointsAreResampledAndGapsRefused) {
  std::mt19937 random(3);
  TCurve c = SyntheticEclipse(1.0, 0.96, 0.002, 41, 0.0, random);
  for (std::size_t i = 1; i + 1 < c.time.size(); i += 2) c.time[i] += 0.0004;  // 20 % jitter
  for (std::size_t i = 0; i < c.time.size(); ++i)
    c.value[i] = 1.0 - 0.5 * std::exp(1.0 - std::cosh((c.time[i] - 1.0) / 0.02));
  TKvWResult r;
  std::string failure;
  ASSERT_TRUE(Time(c, r, failure)) << failure;
  EXPECT_TRUE(r.resampled);
  EXPECT_NEAR(r.time, 1.0, 2e-5);

  TCurve gap = SyntheticEclipse(1.0, 0.96, 0.002, 41, 0.0, random);
  gap.time.erase(gap.time.begin() + 10, gap.time.begin() + 14);
  gap.value.erase(gap.value.begin() + 10, gap.value.begin() + 14);
  EXPECT_FALSE(Time(gap, r, failure));
  EXPECT_EQ(failure, "Points have a gap of more than 3 steps; KvW needs evenly spaced points.");
}

TEST(KvW, UnusableInputIsRefusedWithItsReason) {
  std::mt19937 random(4);
  const TCurve dip = SyntheticEclipse(1.0, 0.96, 0.002, 41, 0.0, random);
  TCurve line;
  for (int i = 0; i < 30; ++i) line.time.push_back(i * 0.01), line.value.push_back(i * 0.1);
  TCurve few = dip;
  few.time.resize(7);
  few.value.resize(7);
  TCurve same = dip;
  for (double& t : same.time) t = 1.0;
  const struct {
    const TCurve* curve;
    int reflections;
    const char* failure;
  } cases[] = {
      {&dip, 4, "The number of reflections must be odd, from 3 to 21."},
      {&dip, 23, "The number of reflections must be odd, from 3 to 21."},
      {&few, 5, "Too few points: at least 8 are needed."},
      {&same, 5, "Points must have distinct, increasing times."},
      {&line, 5, "Fewer than 3 points can be paired on one branch of the eclipse."},
  };
  for (const auto& c : cases) {
    TKvWOptions options;
    options.reflections = c.reflections;
    TKvWResult r;
    std::string failure;
    EXPECT_FALSE(Time(*c.curve, r, failure, options));
    EXPECT_EQ(failure, c.failure);
  }
  // Three reflections, as Kwee and van Woerden used, time the dip too.
  TKvWOptions three;
  three.reflections = 3;
  TKvWResult r;
  std::string failure;
  ASSERT_TRUE(Time(dip, r, failure, three)) << failure;
  EXPECT_NEAR(r.time, 1.0, 2e-6);
}

// The minimum-fit tab with the method "KvW": the time and error go into the
// fields, the points' errors give the noise, and "Fit all minima" adds the
// minima it times in the series' scale.
TEST(KvW, TabAndFitAllMinimaTimeWithKvW) {
  std::mt19937 random(5);
  ombrix_data::CSeriesTreeElem series;
  series.dataMetaData.jdType = ombrix_data::jdBarycentric;
  for (double centre : {10.0, 11.0}) {
    const TCurve c = SyntheticEclipse(centre, centre - 0.06, 0.002, 61, 0.001, random);
    for (std::size_t i = 0; i < c.time.size(); ++i) series.InsertPoint({c.time[i], c.value[i], 0.001});
  }
  std::vector<TFitPoint> points;
  for (std::uint32_t i = 0; i < series.pointCount; ++i)
    points.push_back({series.time[i], series.value[i], series.error[i], 0, 0, &series});
  ombrix_data::CScriptedUserIO io;
  TMinimumFitTab tab;
  tab.points = points.data();
  tab.pointCount = points.size();
  tab.start = 9.94;
  tab.end = 10.06;
  tab.method = TMinimumMethod::kvw;
  TKvWResult r;
  ASSERT_TRUE(FitMinimumKvW(tab, io, kDefaultKvWReflections, &r));
  EXPECT_NEAR(tab.minimumTime, 10.0, 3 * r.error);
  EXPECT_TRUE(tab.errorShown);
  EXPECT_EQ(tab.minimumError, r.error);
  EXPECT_DOUBLE_EQ(r.noise, 0.001);
  EXPECT_FALSE(tab.fitted);

  class CView : public CFindMinimaView {
   public:
    bool EditFindMinimaDialog(TFindMinimaDialog& d) override {
      d.fitPrimary = true;
      d.primaryRange = 0.12;
      return true;
    }
  } view;
  ombrix_data::CObjectListElem object;
  object.m0 = 10.0;
  object.period = 1.0;
  view.object = &object;
  view.series = &series;
  view.tab = &tab;
  io.answers = {ombrix_data::TAnswer::yes, ombrix_data::TAnswer::yes};
  EXPECT_EQ(FindAllMinima(view, io), 2);
  ASSERT_EQ(series.minima.count, 2u);
  for (auto* e = series.minima.first; e; e = e->next) {
    const auto* m = static_cast<const ombrix_data::CMinimaListElem*>(e);
    EXPECT_TRUE(m->scaleStated);
    EXPECT_EQ(m->timeScale, ombrix_model::tsBJDTDB);
    EXPECT_GT(m->error, 0.0);
  }
}

}  // namespace
}  // namespace ombrix_analysis
