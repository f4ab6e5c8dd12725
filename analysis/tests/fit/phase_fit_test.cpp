#include "ombrix_analysis/phase_fit.h"

#include <gtest/gtest.h>
#include <ombrix_testsupport/c_numbers.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <mpfit/mpfit.h>

namespace ombrix_analysis {
namespace {

using ombrix_data::CObjectListElem;
using ombrix_data::CScriptedUserIO;
using ombrix_model::FitParameterCount;
using ombrix_model::TFitParameters;

// Points of a known model at phases spread over [-0.25, 0.75), as the fit tab holds them.
std::vector<TFitPoint> ModelCurve(const TFitParameters& truth, std::size_t count, double error) {
  std::vector<TFitPoint> points(count);
  for (std::size_t i = 0; i < count; ++i) {
    const double phase = -0.25 + (i + 0.5) / count;
    const double inCycle = phase < 0 ? phase + 1 : phase;
    points[i] = TFitPoint{phase, ombrix_model::EvaluateLightCurveModel(truth, inCycle), error,
                          0.0, 0, nullptr};
  }
  return points;
}

TFitParameters Truth() {
  TFitParameters truth;
  ombrix_model::ResetFitParameters(truth);
  truth.value[ombrix_model::fpMag0] = 10.0;
  truth.value[ombrix_model::fpAPri] = 0.8;
  truth.value[ombrix_model::fpASec] = 0.3;
  truth.value[ombrix_model::fpDPri] = 0.06;
  truth.value[ombrix_model::fpDSec] = 0.07;
  ombrix_model::PrepareLightCurveModel(truth);
  return truth;
}

struct PhaseFitFixture : ::testing::Test {
  CObjectListElem object;
  CScriptedUserIO io;
  TPhaseFitPane pane;
  std::vector<TFitPoint> points;

  void Use(std::vector<TFitPoint> curve) {
    points = std::move(curve);
    pane.points = points.data();
    pane.pointCount = points.size();
    // Start from the true shape with level and depths off.
    std::memcpy(pane.fields, Truth().value, sizeof pane.fields);
    pane.fields[ombrix_model::fpMag0] = 9.9;
    pane.fields[ombrix_model::fpAPri] = 0.7;
    pane.fields[ombrix_model::fpASec] = 0.25;
  }
  void FreeOnly(std::initializer_list<int> indices) {
    for (bool& f : pane.free) f = false;
    for (int i : indices) pane.free[i] = true;
  }
  const CScriptedUserIO::TRecord& LastShown() const { return io.shown.back(); }
};

TEST_F(PhaseFitFixture, FifteenPointsAreFittedFourteenRefused) {
  const TFitParameters truth = Truth();
  Use(ModelCurve(truth, 14, 0.01));
  FreeOnly({ombrix_model::fpMag0, ombrix_model::fpAPri});
  EXPECT_FALSE(FitPhaseCurve(pane, object, io));
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(LastShown().caption, "Cannot perform parameter fitting");
  EXPECT_EQ(LastShown().lines, (std::vector<std::string>{"Phased curve contains too little points.",
                                                         "At last 15 points needed for fit."}));
  EXPECT_FALSE(ombrix_model::IsFitDefined(object.fit));

  Use(ModelCurve(truth, 15, 0.01));
  FreeOnly({ombrix_model::fpMag0, ombrix_model::fpAPri, ombrix_model::fpASec});
  TPhaseFitOutcome outcome;
  ASSERT_TRUE(FitPhaseCurve(pane, object, io, &outcome));
  EXPECT_EQ(LastShown().caption, "Phase curve fitting OK");
  ASSERT_EQ(LastShown().lines.size(), 3u);
  EXPECT_EQ(LastShown().lines[0], "Number of data points: 15");
  char initial[64];
  {
    const ombrix_test::CCNumbers cNumbers;  // the expectation in point-decimal text
    std::snprintf(initial, sizeof initial, "Initial chi^2: %.3f", outcome.initialChi2);
  }
  EXPECT_EQ(LastShown().lines[1], initial);
  EXPECT_GT(outcome.initialChi2, 100.0);
  EXPECT_LT(outcome.finalChi2, 1e-6);
  EXPECT_NEAR(object.fit.value[ombrix_model::fpMag0], 10.0, 1e-6);
  EXPECT_NEAR(pane.fields[ombrix_model::fpAPri], 0.8, 1e-6);
  EXPECT_TRUE(object.fitPresent);
}

TEST_F(PhaseFitFixture, OnlyTheOneFreeParameterChanges) {
  Use(ModelCurve(Truth(), 40, 0.01));
  FreeOnly({ombrix_model::fpMag0});
  double initial[FitParameterCount];
  std::memcpy(initial, pane.fields, sizeof initial);
  ASSERT_TRUE(FitPhaseCurve(pane, object, io));
  for (int i = 0; i < FitParameterCount; ++i) {
    if (i == ombrix_model::fpMag0) {
      EXPECT_NE(pane.fields[i], initial[i]);
    } else {
      EXPECT_EQ(pane.fields[i], initial[i]) << i;
      EXPECT_EQ(object.fit.value[i], initial[i]) << i;
    }
  }
}

TEST_F(PhaseFitFixture, ZeroErrorsCountAsOneAndNegativePhasesFold) {
  const TFitParameters truth = Truth();
  Use(ModelCurve(truth, 30, 0.0));
  std::vector<TFitPoint> folded(points.size());
  FoldFitPoints(points.data(), points.size(), folded.data());
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(folded[i].error, 1.0);
    EXPECT_GE(folded[i].phase, 0.0);
    EXPECT_LT(folded[i].phase, 1.0);
  }
  TFitPoint shifted{-0.1, 0, 0.5, 0, 0, nullptr};
  TFitPoint out;
  FoldFitPoints(&shifted, 1, &out);
  EXPECT_DOUBLE_EQ(out.phase, 0.9);
  EXPECT_EQ(out.error, 0.5);

  FreeOnly({ombrix_model::fpMag0, ombrix_model::fpAPri, ombrix_model::fpASec});
  TPhaseFitOutcome outcome;
  ASSERT_TRUE(FitPhaseCurve(pane, object, io, &outcome));
  EXPECT_TRUE(std::isfinite(outcome.initialChi2));
  EXPECT_NEAR(object.fit.value[ombrix_model::fpASec], 0.3, 1e-6);
}

TEST_F(PhaseFitFixture, ResidualAddsTheSeriesOffsetAndDividesByTheError) {
  const TFitParameters truth = Truth();
  TFitPoint p{0.25, 1.0, 0.5, 2.0, 0, nullptr};
  double x[FitParameterCount];
  std::memcpy(x, truth.value, sizeof x);
  double r = 0;
  EXPECT_EQ(PhaseCurveResidual(1, FitParameterCount, x, &r, nullptr, &p), 0);
  EXPECT_DOUBLE_EQ(r, (3.0 - ombrix_model::EvaluateLightCurveModel(truth, 0.25)) / 0.5);
}

// The charts show a point at value + offset for magnitudes and at value times
// the series multiplier for fluxes; the fit must put the curve there too.
TEST_F(PhaseFitFixture, OffsetIsAddedToMagnitudesAndMultipliesFluxes) {
  TFitParameters truth = Truth();
  truth.value[ombrix_model::fpMag0] = 0.5;  // a flux level of about 0.5
  ombrix_model::PrepareLightCurveModel(truth);
  const std::vector<TFitPoint> shown = ModelCurve(truth, 40, 0.01);
  struct {
    bool flux;
    double adjust;
  } const cases[] = {{false, 1.0}, {true, 1.0}, {true, 2.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << (c.flux ? "flux, multiplier " : "magnitude, offset ") << c.adjust);
    std::vector<TFitPoint> stored = shown;
    for (TFitPoint& p : stored) {
      p.value = c.flux ? p.value / c.adjust : p.value - c.adjust;
      p.seriesOffset = c.adjust;
    }
    object.fluxFlag = c.flux;
    Use(stored);
    std::memcpy(pane.fields, truth.value, sizeof pane.fields);
    pane.fields[ombrix_model::fpMag0] = 0.4;
    FreeOnly({ombrix_model::fpMag0});
    ASSERT_TRUE(FitPhaseCurve(pane, object, io));
    EXPECT_NEAR(object.fit.value[ombrix_model::fpMag0], 0.5, 1e-9);
  }
}

struct FailedFit {
  const char* name;
  int freeIndex;       // -1: every box cleared
  int badIndex;        // field set to an out-of-bounds value, -1 none
  double badValue;
  const char* text;
};

TEST_F(PhaseFitFixture, FailedFitsLeaveObjectAndFieldsUnchanged) {
  const FailedFit cases[] = {
      {"no free parameter", -1, -1, 0, "No free parameters"},
      {"width out of bounds", ombrix_model::fpDPri, ombrix_model::fpDPri, 0.7,
       "Initial values inconsistent with constraints"},
      {"non-finite data", ombrix_model::fpMag0, -2, 0, "User function produced non-finite values"},
  };
  for (const FailedFit& c : cases) {
    SCOPED_TRACE(c.name);
    Use(ModelCurve(Truth(), 20, 0.01));
    if (c.freeIndex < 0) FreeOnly({}); else FreeOnly({c.freeIndex});
    if (c.badIndex >= 0) pane.fields[c.badIndex] = c.badValue;
    if (c.badIndex == -2) points[3].value = NAN;
    ombrix_model::ResetFitParameters(object.fit);
    object.fit.value[ombrix_model::fpMag0] = 3.0;
    const TFitParameters before = object.fit;
    double fields[FitParameterCount];
    std::memcpy(fields, pane.fields, sizeof fields);
    EXPECT_FALSE(FitPhaseCurve(pane, object, io));
    EXPECT_EQ(LastShown().caption, "Phase curve fitting failed");
    EXPECT_EQ(LastShown().lines, std::vector<std::string>{c.text});
    EXPECT_EQ(std::memcmp(before.value, object.fit.value, sizeof before.value), 0);
    EXPECT_EQ(std::memcmp(fields, pane.fields, sizeof fields), 0);
  }
}

// Large curves are fitted in parts on all processors. The fit must find what
// the plain fit of the whole curve finds, to a small fraction of the
// parameters' errors (the two stop at slightly different points, some
// thousandths of an error apart), and a non-finite point in a late part must still fail
// the fit with its message. (The independence from the thread count is held
// by mpfit's own tests.)
TEST_F(PhaseFitFixture, LargeCurveFittedInPartsAgreesWithTheWholeFit) {
  std::vector<TFitPoint> curve = ModelCurve(Truth(), 7500, 0.01);
  std::mt19937 random(5);
  std::normal_distribution<double> noise(0.0, 0.01);
  for (TFitPoint& p : curve) p.value += noise(random);
  Use(curve);
  for (bool& f : pane.free) f = true;
  double start[FitParameterCount];
  std::memcpy(start, pane.fields, sizeof start);
  TPhaseFitOutcome outcome;
  ASSERT_TRUE(FitPhaseCurve(pane, object, io, &outcome));
  EXPECT_EQ(LastShown().lines[0], "Number of data points: 7500");

  std::vector<TFitPoint> folded(points.size());
  FoldFitPoints(points.data(), points.size(), folded.data());
  mp_par pars[FitParameterCount] = {};
  for (int k = 0; k < FitParameterCount; ++k) {
    pars[k].limited[0] = pars[k].limited[1] = 1;
    pars[k].limits[0] = PhaseFitLowerBounds[k];
    pars[k].limits[1] = PhaseFitUpperBounds[k];
  }
  double whole[FitParameterCount], error[FitParameterCount];
  std::memcpy(whole, start, sizeof whole);
  mp_result result{};
  result.xerror = error;
  ASSERT_GT(mpfit(PhaseCurveResidual, int(folded.size()), FitParameterCount, whole, pars,
                  nullptr, folded.data(), &result),
            0);
  EXPECT_NEAR(outcome.finalChi2, result.bestnorm, 1e-9 * result.bestnorm);
  for (int k = 0; k < FitParameterCount; ++k)
    EXPECT_NEAR(pane.fields[k], whole[k], 0.02 * error[k]) << k;

  points[7000].value = NAN;
  std::memcpy(pane.fields, start, sizeof start);
  EXPECT_FALSE(FitPhaseCurve(pane, object, io));
  EXPECT_EQ(LastShown().lines, std::vector<std::string>{"User function produced non-finite values"});
  EXPECT_EQ(std::memcmp(start, pane.fields, sizeof start), 0);
}

TEST(FitStatusText, KnownAndUnknownStatusesAndTruncation) {
  char text[64];
  FitStatusText(-24, sizeof text, text);
  EXPECT_STREQ(text, "Not enough degrees of freedom");
  FitStatusText(-23, sizeof text, text);
  EXPECT_STREQ(text, "General input parameter error");
  FitStatusText(-15, sizeof text, text);
  EXPECT_STREQ(text, "Unknown error");
  FitStatusText(3, sizeof text, text);
  EXPECT_STREQ(text, "Unknown error");
  char small[8];
  FitStatusText(-19, sizeof small, small);
  EXPECT_STREQ(small, "No free");
}

}  // namespace
}  // namespace ombrix_analysis
