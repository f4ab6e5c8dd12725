#include "ombrix_model/light_curve_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

namespace ombrix_model {
namespace {

TFitParameters Defaults() {
  TFitParameters p;
  ResetFitParameters(p);
  return p;
}

// The model written out from its definition, without derived values or the
// harmonic terms.
double EclipsesByDefinition(const TFitParameters& p, double phase) {
  auto eclipse = [](double u, double a, double d, double g, double c) {
    return a * (1 + c * u * u / (d * d)) *
           (1 - std::pow(1 - std::exp(1 - std::cosh(u / d)), g));
  };
  const double x = phase < 0.5 ? phase : phase - 1;
  return eclipse(phase - p[fpSecPhase], p[fpASec], p[fpDSec], p[fpGSec], p[fpCSec]) +
         p[fpMag0] + eclipse(x, p[fpAPri], p[fpDPri], p[fpGPri], p[fpCPri]);
}

TEST(LightCurveModel, DefaultCurveValues) {
  const TFitParameters p = Defaults();
  const struct {
    double phase, expected, tolerance;
  } cases[] = {
      {0.0, 0.5, 1e-15},      {0.5, 0.5, 1e-15},     {0.1, 0.2905, 5e-5},
      {0.25, 0.005903, 5e-7}, {0.75, 0.005903, 5e-7}, {0.9, 0.2905, 5e-5},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(EvaluateLightCurveModel(p, c.phase), c.expected, c.tolerance)
        << "phase " << c.phase;
  }
}

TEST(LightCurveModel, OtherEclipseVanishesAtEachCentre) {
  TFitParameters p = Defaults();
  p[fpAPri] = 0.0;
  PrepareLightCurveModel(p);
  EXPECT_LT(EvaluateLightCurveModel(p, 0.0), 1e-30);
  p[fpAPri] = 0.5;
  p[fpASec] = 0.0;
  PrepareLightCurveModel(p);
  EXPECT_LT(EvaluateLightCurveModel(p, 0.5), 1e-30);
}

TEST(LightCurveModel, SymmetricAboutHalfWithEqualEclipses) {
  TFitParameters p = Defaults();
  for (TFitParameterIndex i : {fpDPri, fpDSec}) p[i] = 0.07;
  for (TFitParameterIndex i : {fpGPri, fpGSec}) p[i] = 2.5;
  for (TFitParameterIndex i : {fpCPri, fpCSec}) p[i] = 0.3;
  PrepareLightCurveModel(p);
  for (double d = 0.0; d < 0.5; d += 0.0137) {
    EXPECT_NEAR(EvaluateLightCurveModel(p, 0.5 - d), EvaluateLightCurveModel(p, 0.5 + d),
                1e-14)
        << "offset " << d;
  }
}

TEST(LightCurveModel, PrimaryWrapsAroundOneSecondaryDoesNot) {
  TFitParameters p = Defaults();
  p[fpASec] = 0.0;
  PrepareLightCurveModel(p);
  EXPECT_NEAR(EvaluateLightCurveModel(p, 0.98), EvaluateLightCurveModel(p, 0.02), 1e-14);

  // A secondary placed at 0.97 shows only on its own side of phase 1.
  p = Defaults();
  p[fpAPri] = 0.0;
  p[fpSecPhase] = 0.97;
  PrepareLightCurveModel(p);
  EXPECT_NEAR(EvaluateLightCurveModel(p, 0.97), 0.5, 1e-15);
  EXPECT_LT(EvaluateLightCurveModel(p, 0.01), 0.01 * EvaluateLightCurveModel(p, 0.93));
}

TEST(LightCurveModel, MatchesDefinitionWithoutHarmonics) {
  TFitParameters p = Defaults();
  const double values[] = {12.3, 0.47, 0.8, 0.05, 1.7, -0.2, 0.31, 0.09, 0.6, 0.4};
  for (int i = 0; i < 10; ++i) p.value[i] = values[i];
  PrepareLightCurveModel(p);
  for (double phase = 0.0; phase < 1.0; phase += 0.031) {
    EXPECT_NEAR(EvaluateLightCurveModel(p, phase), EclipsesByDefinition(p, phase), 1e-13)
        << "phase " << phase;
  }
}

// The profile's shortcut beyond the cutoff must be exact: there the full
// formula itself gives 0, for every shape the fits allow and beyond, and
// with a NaN shape too (pow(1, g) is 1).
TEST(LightCurveModel, EclipseProfileIsExactlyZeroBeyondTheCutoff) {
  const double shapes[] = {0.0, 1e-3, 0.5, 1.0, 2.7, 99.0, 1e6, std::numeric_limits<double>::quiet_NaN()};
  for (double z = std::nextafter(kEclipseCutoff, 10.0); z < 800.0; z = z * 1.01 + 1e-3) {
    for (double g : shapes) {
      for (double signedZ : {z, -z}) {
        const double formula = 1.0 - std::pow(1.0 - std::exp(1.0 - std::cosh(signedZ)), g);
        EXPECT_EQ(formula, 0.0) << "z " << signedZ << " g " << g;
        EXPECT_EQ(EclipseProfile(signedZ, g), 0.0);
      }
    }
  }
  EXPECT_GT(EclipseProfile(1.0, 1.0), 0.0);
}

TEST(LightCurveModel, ZeroHarmonicsAddNothing) {
  // With every harmonic coefficient 0 the value is (S + mag0) + P exactly:
  // no angle is computed and nothing is rounded in.
  TFitParameters p = Defaults();
  p[fpMag0] = 10.0;
  p[fpCPri] = 0.2;
  p[fpGSec] = 1.3;
  PrepareLightCurveModel(p);
  auto eclipse = [](double u, double a, double curvature, double inverseWidth, double g) {
    return a * (1.0 + curvature * u * u) *
           (1.0 - std::pow(1.0 - std::exp(1.0 - std::cosh(u * inverseWidth)), g));
  };
  for (double phase : {0.0, 0.13, 0.4999, 0.5, 0.77}) {
    const double x = phase < 0.5 ? phase : phase - 1.0;
    const double s = eclipse(phase - 0.5, p[fpASec], p.secCurvature, p.secInverseWidth, p[fpGSec]);
    const double q = eclipse(x, p[fpAPri], p.priCurvature, p.priInverseWidth, p[fpGPri]);
    EXPECT_EQ(EvaluateLightCurveModel(p, phase), (s + 10.0) + q) << "phase " << phase;
  }
}

TEST(LightCurveModel, HarmonicTermsUseTheirOwnFrequency) {
  const TFitParameters base = Defaults();
  const double phase = 0.3;
  const double eclipses = EvaluateLightCurveModel(base, phase);
  const struct {
    TFitParameterIndex index;
    double term;
  } cases[] = {
      {fpASin1, std::sin(2 * M_PI * phase)}, {fpACos1, std::cos(2 * M_PI * phase)},
      {fpASin2, std::sin(4 * M_PI * phase)}, {fpACos2, std::cos(4 * M_PI * phase)},
      {fpASin3, std::sin(6 * M_PI * phase)}, {fpACos3, std::cos(6 * M_PI * phase)},
  };
  for (const auto& c : cases) {
    TFitParameters p = base;
    p[c.index] = 0.25;
    PrepareLightCurveModel(p);
    EXPECT_NEAR(EvaluateLightCurveModel(p, phase) - eclipses, 0.25 * c.term, 1e-15)
        << FitParameterKeywords[c.index];
  }
}

TEST(FitParameters, DefinedWhenAnyValueDiffersFromDefault) {
  EXPECT_FALSE(IsFitDefined(Defaults()));
  const double changes[] = {1e-300, -1e-300, std::nan(""), 1.0};
  for (int i = 0; i < FitParameterCount; ++i) {
    for (double change : changes) {
      TFitParameters p = Defaults();
      p.value[i] = FitParameterDefaults[i] + change;
      if (p.value[i] == FitParameterDefaults[i]) continue;  // absorbed by rounding
      EXPECT_TRUE(IsFitDefined(p)) << FitParameterKeywords[i] << " + " << change;
    }
  }
}

TEST(FitParameters, ResetRestoresDefaultsAndDerivedValues) {
  TFitParameters p;
  for (double& v : p.value) v = 7.0;
  ResetFitParameters(p);
  EXPECT_EQ(p[fpSecPhase], 0.5);
  EXPECT_EQ(p[fpDSec], 0.1);
  EXPECT_EQ(p[fpGPri], 1.0);
  EXPECT_EQ(p[fpACos3], 0.0);
  EXPECT_DOUBLE_EQ(p.priInverseWidth, 10.0);
  EXPECT_DOUBLE_EQ(p.secInverseWidth, 10.0);
  EXPECT_EQ(p.priCurvature, 0.0);
  EXPECT_FALSE(IsFitDefined(p));
}

TEST(FitParameters, KeywordsAndWriteOrder) {
  std::set<int> seen;
  for (int i = 0; i < FitParameterCount; ++i) {
    TFitParameterIndex found;
    ASSERT_TRUE(FindFitParameterKeyword(FitParameterKeywords[i], found));
    EXPECT_EQ(found, i);
    seen.insert(FitParameterWriteOrder[i]);
  }
  EXPECT_EQ(seen.size(), 16u);
  std::string harmonics;
  for (int i = 10; i < FitParameterCount; ++i)
    harmonics += std::string(FitParameterKeywords[FitParameterWriteOrder[i]]) + " ";
  EXPECT_EQ(harmonics, "a_sin1 a_sin2 a_sin3 a_cos1 a_cos2 a_cos3 ");
  EXPECT_STREQ(FitParameterKeywords[FitParameterWriteOrder[1]], "sec_phase");

  TFitParameterIndex unused;
  EXPECT_FALSE(FindFitParameterKeyword("MAG0", unused));
  EXPECT_FALSE(FindFitParameterKeyword("a_sin4", unused));
  EXPECT_FALSE(FindFitParameterKeyword(nullptr, unused));
}

TEST(Phase, FractionTowardZeroAndWrappedIntoCycle) {
  const struct {
    double t, m0, period, phase, inCycle;
  } cases[] = {
      {2.5, 0.0, 1.0, 0.5, 0.5},
      {10.25, 0.0, 2.0, 0.125, 0.125},
      {-0.25, 0.0, 1.0, -0.25, 0.75},
      {2450000.0, 2450001.5, 0.5, -0.0, 0.0},
      {2450000.75, 2450000.0, 0.25, 0.0, 0.0},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(PhaseOfTime(c.t, c.m0, c.period), c.phase, 1e-9) << c.t;
    const double inCycle = PhaseInCycle(c.t, c.m0, c.period);
    EXPECT_GE(inCycle, 0.0);
    EXPECT_LT(inCycle, 1.0);
    EXPECT_NEAR(std::fmod(inCycle - c.inCycle + 1.5, 1.0) - 0.5, 0.0, 1e-9) << c.t;
  }
  // A phase just below zero may round to 1 when wrapped; it comes back as 0.
  EXPECT_EQ(PhaseInCycle(-1e-18, 0.0, 1.0), 0.0);
  // A period that is not set must not pass for phase 0.
  EXPECT_TRUE(std::isnan(PhaseInCycle(2450000.0, 2450000.0, 0.0)));
}

}  // namespace
}  // namespace ombrix_model

namespace ombrix_model {
namespace {

// With the plain profile the eclipse term falls to 1 % of its depth where
// exp(1 - cosh z) = 0.01; a flatter bottom (larger g) widens the eclipse, no
// depth or width gives none.
TEST(EclipseHalfWidth, ContactWhereTheTermFallsToOnePercent) {
  TFitParameters p;
  ResetFitParameters(p);
  PrepareLightCurveModel(p);
  const double z = std::acosh(1.0 + std::log(100.0));
  EXPECT_NEAR(EclipseHalfWidth(p, true), 0.1 * z, 1e-9);
  EXPECT_NEAR(EclipseHalfWidth(p, false), 0.1 * z, 1e-9);
  p[fpGPri] = 3.0;
  PrepareLightCurveModel(p);
  const double flatter = EclipseHalfWidth(p, true);
  EXPECT_GT(flatter, 0.1 * z);
  EXPECT_NEAR(LightCurveEclipse(flatter, p[fpAPri], p.priCurvature, p.priInverseWidth, p[fpGPri]) / p[fpAPri],
              kEclipseContactLevel, 1e-9);
  p[fpASec] = 0.0;
  p[fpDPri] = 0.0;
  PrepareLightCurveModel(p);
  EXPECT_EQ(EclipseHalfWidth(p, false), 0.0);
  EXPECT_EQ(EclipseHalfWidth(p, true), 0.0);
}

}  // namespace
}  // namespace ombrix_model
