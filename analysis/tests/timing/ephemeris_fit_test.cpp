#include "ombrix_analysis/ephemeris_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include <ombrix_model/angles.h>
#include <ombrix_model/time_scales.h>

#include "ombrix_analysis/periods_minima.h"

namespace ombrix_analysis {
namespace {

using ombrix_model::tsBJDTDB;
using ombrix_model::tsHJD;

constexpr double kM0 = 2455000.3456789;
constexpr double kPeriod = 1.2345678;
constexpr double kDPdE = 4e-10;  // a period change of 0.3 s per 10 000 cycles
constexpr double kQ = kDPdE / 2;

// Minima of a binary whose period grows, primaries and secondaries at random
// cycles in [first, last], timed with errors of 1 to 3 x 1e-4 d.
struct TMinima {
  std::vector<double> cycles, times, errors;
};

TMinima Synthetic(std::mt19937& random, int count, int first, int last) {
  std::uniform_int_distribution<int> cycle(first, last);
  std::uniform_real_distribution<double> size(1e-4, 3e-4);
  std::bernoulli_distribution secondary(0.3);
  TMinima m;
  for (int i = 0; i < count; ++i) {
    const double e = cycle(random) + (secondary(random) ? 0.5 : 0.0);
    const double error = size(random);
    m.cycles.push_back(e);
    m.times.push_back(kM0 + kPeriod * e + kQ * e * e + std::normal_distribution<double>(0.0, error)(random));
    m.errors.push_back(error);
  }
  return m;
}

TEphemerisSolution Fit(const TMinima& m, int terms, double m0 = kM0 + 0.001, double period = kPeriod + 1e-6) {
  TEphemerisSolution s;
  EXPECT_TRUE(FitEphemeris(m.cycles.data(), m.times.data(), m.errors.data(), m.cycles.size(), terms, m0, period, s));
  return s;
}

// The quadratic term of a known period change is found within its error,
// and over many realisations the errors are what they claim to be; the
// reduced chi-square is about 1.
TEST(EphemerisFit, QuadraticTermIsFoundWithinItsError) {
  std::mt19937 random(17);
  const TEphemerisSolution one = Fit(Synthetic(random, 60, -3000, 3000), 3);
  EXPECT_LE(std::fabs(one.dPdE - kDPdE), one.dPdEError);
  EXPECT_GT(one.dPdE / one.dPdEError, 3.0);  // the change is detected
  EXPECT_NEAR(one.m0, kM0, 3 * one.m0Error);
  EXPECT_NEAR(one.period, kPeriod, 3 * one.periodError);

  int withinOneSigma = 0;
  double chi2 = 0;
  const int runs = 400;
  for (int run = 0; run < runs; ++run) {
    const TEphemerisSolution s = Fit(Synthetic(random, 60, -3000, 3000), 3);
    const double deviation = std::fabs(s.dPdE - kDPdE) / s.dPdEError;
    EXPECT_LT(deviation, 4.5);
    withinOneSigma += deviation <= 1.0;
    chi2 += s.reducedChi2;
  }
  EXPECT_NEAR(static_cast<double>(withinOneSigma) / runs, 0.683, 0.07);
  EXPECT_NEAR(chi2 / runs, 1.0, 0.1);
}

// Fitted on the earlier cycles, the corrected ephemeris predicts the later
// (held-out) minima within the errors of prediction and timing.
TEST(EphemerisFit, CorrectedEphemerisPredictsHeldOutMinima) {
  std::mt19937 random(29);
  int within = 0, total = 0;
  for (int run = 0; run < 50; ++run) {
    const TMinima known = Synthetic(random, 40, -2000, 2000);
    const TMinima later = Synthetic(random, 5, 2100, 2600);
    const TEphemerisSolution s = Fit(known, 3);
    for (std::size_t i = 0; i < later.cycles.size(); ++i) {
      double predictionError = 0;
      const double predicted = PredictedMinimum(s, later.cycles[i], &predictionError);
      const double combined = std::hypot(predictionError, later.errors[i]);
      const double miss = std::fabs(predicted - later.times[i]);
      EXPECT_LT(miss, 4.5 * combined);
      within += miss <= combined;
      ++total;
    }
  }
  EXPECT_NEAR(static_cast<double>(within) / total, 0.683, 0.09);
}

// Without a period change the linear fit recovers M0 and P; without timing
// errors the points weigh equally and the errors come from the scatter.
TEST(EphemerisFit, LinearFitAndUnweightedErrors) {
  std::mt19937 random(41);
  TMinima m;
  for (int i = 0; i < 30; ++i) {
    const double e = i * 37.0;
    m.cycles.push_back(e);
    m.times.push_back(kM0 + kPeriod * e + std::normal_distribution<double>(0.0, 2e-4)(random));
    m.errors.push_back(0.0);
  }
  const TEphemerisSolution s = Fit(m, 2);
  EXPECT_TRUE(std::isnan(s.reducedChi2));
  EXPECT_NEAR(s.m0, kM0, 3 * s.m0Error);
  EXPECT_NEAR(s.period, kPeriod, 3 * s.periodError);
  EXPECT_NEAR(s.rms, 2e-4, 6e-5);
  EXPECT_EQ(s.quadratic, 0.0);

  TEphemerisSolution none;
  const double cycles[] = {1, 1, 1}, times[] = {1, 2, 3}, errors[] = {0, 0, 0};
  EXPECT_FALSE(FitEphemeris(cycles, times, errors, 3, 2, 0, 1, none));  // one cycle only
  EXPECT_FALSE(FitEphemeris(cycles, times, errors, 2, 2, 0, 1, none));  // no more minima than terms
}

TEST(EphemerisFit, CyclesCountSecondariesAtHalves) {
  double cycle = 0, oc = 0;
  CycleOfMinimum(10.5, ombrix_data::minPrimary, 10.0, 1.0, cycle, oc);  // half a period after M0
  EXPECT_EQ(cycle, 1.0);
  EXPECT_EQ(oc, -0.5);
  CycleOfMinimum(12.5, ombrix_data::minSecondary, 10.0, 1.0, cycle, oc);
  EXPECT_EQ(cycle, 2.5);
  EXPECT_EQ(oc, 0.0);
  CycleOfMinimum(7.49, ombrix_data::minUndefined, 10.0, 1.0, cycle, oc);
  EXPECT_EQ(cycle, -3.0);
  EXPECT_NEAR(oc, 0.49, 1e-12);
}

// An object with minima on two series: a TESS series in BJD_TDB and a
// ground-based one in HJD. With coordinates they are combined in the scale
// of M0; without, the analysis and the period search refuse.
class ObjectOC : public testing::Test {
 protected:
  void SetUp() override {
    object.m0 = kM0;
    object.period = kPeriod;
    object.metaDataSource = ombrix_data::mdsManualEntry;
    ground = Series(ombrix_data::jdHeliocentric, 1.0);
    tess = Series(ombrix_data::jdBarycentric, 2.0);
    for (int e : {0, 10, 20}) ground->minima.Add(ombrix_data::minPrimary, kM0 + kPeriod * e, 1e-4);
    ground->minima.Add(ombrix_data::minSecondary, kM0 + kPeriod * 15.5, 1e-4);
    // The TESS minimum at cycle 30 in BJD_TDB: about a minute later than HJD.
    bjd = Barycentric(kM0 + kPeriod * 30);
    tess->minima.Add(ombrix_data::minPrimary, bjd, 2e-5);
  }
  ombrix_data::CSeriesTreeElem* Series(ombrix_data::TJDType type, double start) {
    auto* s = new ombrix_data::CLocalSeriesTreeElem;
    s->dataMetaData.jdType = type;
    s->InsertPoint({kM0 + start, 10.0, 0.01});
    object.InsertSeries(s);
    return s;
  }
  void SetCoordinates() {
    object.metaData.var.ra = ombrix_model::HoursToRadians(16.5723);
    object.metaData.var.dec = ombrix_model::DegreesToRadians(57.16);
  }
  double Barycentric(double hjd) {
    const double ra = ombrix_model::HoursToRadians(16.5723), dec = ombrix_model::DegreesToRadians(57.16);
    double out = 0;
    EXPECT_TRUE(ombrix_model::ConvertTimeScale(hjd, tsHJD, tsBJDTDB, ra, dec, out));
    return out;
  }
  ombrix_data::CObjectListElem object;
  ombrix_data::CSeriesTreeElem* ground = nullptr;
  ombrix_data::CSeriesTreeElem* tess = nullptr;
  double bjd = 0;
};

TEST_F(ObjectOC, MinimaOfBothScalesAreConvertedToTheScaleOfM0) {
  SetCoordinates();
  TOCAnalysis a;
  std::string failure;
  ASSERT_TRUE(AnalyseOC(object, a, failure)) << failure;
  EXPECT_EQ(a.scale, tsHJD);
  ASSERT_EQ(a.points.size(), 5u);
  const double expected[] = {0, 10, 20, 15.5, 30};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(a.points[i].cycle, expected[i]);
    EXPECT_NEAR(a.points[i].oc, 0.0, 1e-8) << i;  // the BJD_TDB minimum converted back
  }
  EXPECT_GT(bjd - (kM0 + kPeriod * 30), 50.0 / 86400);
  EXPECT_EQ(a.points[4].minimum.storedScale, tsBJDTDB);
  ASSERT_TRUE(a.linear.valid);
  ASSERT_TRUE(a.quadratic.valid);
  EXPECT_NEAR(a.linear.period, kPeriod, 1e-8);
  EXPECT_NEAR(FittedOC(a, a.linear, 30.0), 0.0, 1e-7);

  // In BJD_TDB the HJD minima are converted instead; applying the fit
  // stores M0 in that scale.
  object.m0 = Barycentric(kM0);
  object.m0Scale = tsBJDTDB;
  ASSERT_TRUE(AnalyseOC(object, a, failure)) << failure;
  EXPECT_NEAR(a.points[4].oc, 0.0, 1e-5);  // BJD_TDB - HJD changes a little over 37 days
  ApplyEphemeris(object, a, a.linear);
  EXPECT_EQ(object.m0, a.linear.m0);
  EXPECT_EQ(object.period, a.linear.period);
  EXPECT_EQ(object.m0Scale, tsBJDTDB);
}

TEST_F(ObjectOC, MixedScalesWithoutCoordinatesAreRefused) {
  TOCAnalysis a;
  std::string failure;
  EXPECT_FALSE(AnalyseOC(object, a, failure));
  EXPECT_EQ(failure, "Minima in BJD_TDB and HJD cannot be combined without the object's coordinates (RA, Dec).");

  ombrix_data::CScriptedUserIO io;
  TPeriodComboPane pane;
  EXPECT_FALSE(FindPeriodsFromMinima(object, io, pane));
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(io.shown[0].caption, "Cannot find period");
  EXPECT_EQ(io.shown[0].lines,
            (std::vector<std::string>{"Minima in BJD_TDB and HJD cannot be combined",
                                      "without the object's coordinates (RA, Dec)."}));

  // With the TESS series' minimum disabled the rest is one scale.
  static_cast<ombrix_data::CMinimaListElem*>(tess->minima.first)->enabled = false;
  EXPECT_TRUE(AnalyseOC(object, a, failure)) << failure;
  object.m0 = 0;
  EXPECT_FALSE(AnalyseOC(object, a, failure));
  EXPECT_EQ(failure, "M0 and Period of the object must be set to count cycles.");
}

}  // namespace
}  // namespace ombrix_analysis
