// The fitting and period subcommands on a small field of real series.

#include <gtest/gtest.h>
#include <ombrix_testsupport/c_numbers.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "analysis_commands/fit_input.h"
#include "cli_on_field.h"
#include "ombrix_cli/command.h"

namespace ombrix_cli {
namespace {

struct TFailure {
  std::vector<const char*> words;
  int status;
  const char* out;  // printed messages; null: anything
  const char* err;  // start of the error text
};

void ExpectFailures(const std::vector<TFailure>& cases,
                    TRun (*run)(std::vector<const char*>)) {
  for (const TFailure& c : cases) {
    std::string shown;
    for (const char* w : c.words) shown += std::string(w) + ' ';
    SCOPED_TRACE(shown);
    const TRun r = run(c.words);
    EXPECT_EQ(r.status, c.status);
    if (c.out) {
      EXPECT_EQ(r.out, c.out);
    }
    EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
  }
}

constexpr const char* kField = "cli_field.ofd";

TEST_F(CliOnField, FitPrintsTheResultAndKeepsFixedParameters) {
  const TRun r = Run({"fit", kField, "CM Dra", "--free", "1011100000000000"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 1u + 3u + 16u) << r.out;
  EXPECT_EQ(lines[0].rfind("message: Phase curve fitting OK | Number of data points: 30 | "
                           "Initial chi^2: 0.447 | Final chi^2: ", 0), 0u) << lines[0];
  EXPECT_GT(ValueAfter(r.out, "status"), 0);
  EXPECT_EQ(lines[2], "points 30");
  EXPECT_LT(ValueAfter(r.out, "chi2"), 0.45);
  const char* keywords[] = {"mag0",  "sec_phase", "a_pri",  "d_pri",  "g_pri",  "c_pri",
                            "a_sec", "d_sec",     "g_sec",  "c_sec",  "a_sin1", "a_cos1",
                            "a_sin2", "a_cos2",   "a_sin3", "a_cos3"};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(lines[4 + i].rfind(std::string(keywords[i]) + ' ', 0), 0u);
  // The eclipse of CM Dra is about 0.7 mag deep and 0.01 of a cycle wide.
  EXPECT_NEAR(ValueAfter(r.out, "a_pri"), 0.7, 0.05);
  EXPECT_NEAR(ValueAfter(r.out, "d_pri"), 0.01, 0.003);
  // Fixed parameters keep the object's stored values.
  EXPECT_EQ(lines[5], "sec_phase 0.500000");
  EXPECT_EQ(lines[11], "d_sec 0.010000");
  EXPECT_EQ(lines[9], "c_pri 0.000000");
}

TEST_F(CliOnField, ObjectsAreNamedByNameAlternateNameLabelOrNumber) {
  const TRun byName = Run({"fit", kField, "CM Dra", "--free", "1011100000000000"});
  ASSERT_EQ(byName.status, kExitOk);
  for (const char* naming : {"GJ 630.1", "CM Dra | GJ 630.1", "1"})
    EXPECT_EQ(Run({"fit", kField, naming, "--free", "1011100000000000"}).out, byName.out) << naming;
}

TEST_F(CliOnField, FitFailures) {
  ExpectFailures(
      {
          {{"fit", kField, "V3 Tri"}, kExitFailure,
           "message: Cannot perform parameter fitting | Phased curve contains too little points. | "
           "At last 15 points needed for fit.\n",
           "Phased curve contains too little points. At last 15 points needed for fit.\n"},
          {{"fit", kField, "1", "--free", "0000000000000000"}, kExitFailure,
           "message: Phase curve fitting failed | No free parameters\n", "No free parameters\n"},
          // Without M0 and period the object has no phased curve.
          {{"fit", kField, "HD 23642 untyped"}, kExitFailure, nullptr, "Phased curve contains"},
          {{"fit", kField, "5"}, kExitFailure, "", "ombrix-cli fit: no object \"5\" in the field (it has 4)"},
          {{"fit", kField, "0"}, kExitFailure, "", "ombrix-cli fit: no object \"0\""},
          {{"fit", kField, "cm dra"}, kExitFailure, "", "ombrix-cli fit: no object"},
          {{"fit", "missing.ofd", "1"}, kExitFailure, nullptr, "Cannot open file"},
          {{"fit", kField, "1", "--free", "101"}, kExitUsage, "", "ombrix-cli fit: --free needs 16"},
          {{"fit", kField, "1", "--free", "101110000000000x"}, kExitUsage, "", "ombrix-cli fit: --free"},
          {{"fit", kField, "1", "--free"}, kExitUsage, "", "ombrix-cli fit: --free needs a value"},
          {{"fit", kField, "1", "--fixed", "1"}, kExitUsage, "", "ombrix-cli fit: unknown option"},
          {{"fit", kField}, kExitUsage, "", "ombrix-cli fit: wrong number of arguments"},
      },
      Run);
}

constexpr const char* kEclipseStart = "2458739.90842904";
constexpr const char* kEclipseEnd = "2458739.94870609";

TEST_F(CliOnField, MinimumTimesTheCMDraEclipseWithItsError) {
  const TRun r = Run({"minimum", kField, "CM Dra", "1", kEclipseStart, kEclipseEnd, "--bootstrap"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 5u) << r.out;
  EXPECT_EQ(lines[0].rfind("time ", 0), 0u);
  EXPECT_EQ(lines[3], "scale HJD");
  EXPECT_NEAR(ValueAfter(r.out, "time"), 2458739.9291169, 5e-5);
  EXPECT_EQ(lines[1], "points 30");
  EXPECT_EQ(lines[2].rfind("chi2 ", 0), 0u);
  // Published error 1.25e-5 d; the resampling spread is of that order.
  const double error = ValueAfter(r.out, "error");
  EXPECT_GT(error, 1.25e-5 / 4);
  EXPECT_LT(error, 1.25e-5 * 8);

  // Without --bootstrap there is no error line; fixing all but the time
  // changes the fit.
  const TRun plain = Run({"minimum", kField, "1", "1", kEclipseStart, kEclipseEnd});
  EXPECT_EQ(plain.out, r.out.substr(0, r.out.find("error ")));
  const TRun fixed = Run({"minimum", kField, "1", "1", kEclipseStart, kEclipseEnd, "--free", "0000000"});
  ASSERT_EQ(fixed.status, kExitOk);
  EXPECT_NE(fixed.out, plain.out);
  EXPECT_NEAR(ValueAfter(fixed.out, "time"), 2458739.9291169, 5e-5);
}

TEST_F(CliOnField, MinimumFailures) {
  ExpectFailures(
      {
          // Six points between these times.
          {{"minimum", kField, "1", "1", "2458739.9200", "2458739.9275"}, kExitFailure,
           "message: Cannot perform minimum fit | Series contains too little points. | "
           "At last 7 points needed for fit.\n",
           "Series contains too little points. At last 7 points needed for fit.\n"},
          // Ends so far apart that the window's length overflows.
          {{"minimum", kField, "1", "1", "-1e308", "1e308"}, kExitFailure,
           "message: Cannot perform minimum fit | Time window is not valid. | "
           "Its ends must be finite, in order and not too far apart.\n",
           "Time window is not valid. Its ends must be finite, in order and not too far apart.\n"},
          {{"minimum", kField, "1", "2", kEclipseStart, kEclipseEnd}, kExitFailure, "",
           "ombrix-cli minimum: no series \"2\"; the object has 1 series"},
          {{"minimum", kField, "1", "0", kEclipseStart, kEclipseEnd}, kExitFailure, "",
           "ombrix-cli minimum: no series \"0\""},
          {{"minimum", kField, "1", "1", kEclipseEnd, kEclipseStart}, kExitUsage, "",
           "ombrix-cli minimum: <start JD> must lie before <end JD>"},
          {{"minimum", kField, "1", "1", "soon", kEclipseEnd}, kExitUsage, "",
           "ombrix-cli minimum: <start JD> and <end JD> must be numbers"},
          {{"minimum", kField, "1", "1", kEclipseStart, kEclipseEnd, "--free", "11111111"},
           kExitUsage, "", "ombrix-cli minimum: --free needs 7"},
          {{"minimum", kField, "1", "1", kEclipseStart}, kExitUsage, "",
           "ombrix-cli minimum: wrong number of arguments"},
      },
      Run);
}

TEST_F(CliOnField, FrequencyFindsHD23642AndDoublesForEclipsingTypes) {
  const TRun typed = Run({"frequency", kField, "HD 23642", "--min", "1", "--max", "3", "--step", "0.0001"});
  ASSERT_EQ(typed.status, kExitOk) << typed.err;
  const std::vector<std::string> lines = Lines(typed.out);
  ASSERT_EQ(lines.size(), 5u) << typed.out;
  EXPECT_EQ(lines[0], "message: Possible periods were found | Three periods with highest response | "
                      "were added as items of period combo-box \"P:\"");
  // The object's own period is put first in its list, but only the added
  // periods are printed; the best lies near the published 2.4611357 d.
  EXPECT_NEAR(ValueAfter(typed.out, "period"), 2.4611357, 1e-3);
  EXPECT_EQ(lines[4].rfind("trials 20000 seconds ", 0), 0u) << lines[4];

  // The same series without a type: the trial periods themselves, with the
  // same values, best first.
  const TRun untyped = Run({"frequency", kField, "4", "--min", "1", "--max", "3", "--step", "0.0001"});
  ASSERT_EQ(untyped.status, kExitOk) << untyped.err;
  const std::vector<std::string> half = Lines(untyped.out);
  ASSERT_EQ(half.size(), 5u);
  double previous = INFINITY;
  for (int i = 1; i <= 3; ++i) {
    double p, v, ph, vh;
    const ombrix_test::CCNumbers cNumbers;
    ASSERT_EQ(std::sscanf(lines[i].c_str(), "period %lf value %lf", &p, &v), 2) << lines[i];
    ASSERT_EQ(std::sscanf(half[i].c_str(), "period %lf value %lf", &ph, &vh), 2) << half[i];
    EXPECT_NEAR(p, 2 * ph, 2e-7);
    EXPECT_EQ(v, vh);
    EXPECT_LE(v, previous);
    previous = v;
  }
}

TEST_F(CliOnField, FrequencyFailures) {
  ExpectFailures(
      {
          {{"frequency", kField, "V3 Tri", "--min", "0.1", "--max", "1"}, kExitFailure, "",
           "ombrix-cli frequency: the enabled series hold 3 points; the analysis needs at least 4"},
          {{"frequency", kField, "2", "--min", "0.0001"}, kExitFailure,
           "message: Find periods by Frequency analysis | Invalid value of | Minimal period [d]:\n",
           "Invalid value of Minimal period [d]:"},
          {{"frequency", kField, "2", "--max", "x"}, kExitUsage, "",
           "ombrix-cli frequency: --max needs a number, not \"x\""},
          {{"frequency", kField, "2", "--resolution", "1"}, kExitUsage, "",
           "ombrix-cli frequency: unknown option \"--resolution\""},
      },
      Run);
}

TEST_F(CliOnField, PeriodMinimaListsTheObjectsPeriodThenTheFoundOnes) {
  // Minima at 0, 1 and 3 days from 0.4 days up: 1 and 0.5 line them up.
  const TRun example = Run({"period-minima", kField, "V3 Tri", "--min", "0.4"});
  ASSERT_EQ(example.status, kExitOk) << example.err;
  EXPECT_EQ(example.out,
            "message: Possible periods were found | All found periods fitting defined minima | "
            "were added as items of period combo-box \"P:\"\n"
            "period 0.6000000 score 0.000000\n"
            "period 1.0000000 score 1.000000\n"
            "period 0.5000000 score 1.000000\n");

  const TRun real = Run({"period-minima", kField, "HD 23642", "--min", "1"});
  ASSERT_EQ(real.status, kExitOk) << real.err;
  const std::vector<std::string> lines = Lines(real.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], "period 2.4611357 score 0.000000");
  EXPECT_EQ(lines[2], "period 2.4611357 score 1.000000");
}

TEST_F(CliOnField, PeriodMinimaFailures) {
  ExpectFailures(
      {
          {{"period-minima", kField, "V3 Tri", "--limit", "1.5"}, kExitFailure,
           "message: Cannot find period | No period fits defined minima. Try to: | "
           "- lower Phase difference limit | - remove (possibly wrong) Primary/Secondary attribute "
           "(set minima type Undefined)\n",
           "No period fits defined minima. Try to:"},
          // One of HD 23642's four minima is disabled; CM Dra has none.
          {{"period-minima", kField, "CM Dra"}, kExitFailure,
           "message: Cannot find period | At last 3 minima needed to find period\n",
           "At last 3 minima needed to find period\n"},
          {{"period-minima", kField, "V3 Tri", "--min", "-1"}, kExitFailure,
           "message: Find periods from minima instances | Invalid value of | Minimal period [d]:\n",
           "Invalid value of Minimal period [d]:"},
          {{"period-minima", kField, "V3 Tri", "--secondary", "half"}, kExitUsage, "",
           "ombrix-cli period-minima: --secondary needs a number"},
      },
      Run);
}

TEST(FitWindow, PhasesFallIntoTheQuarterLeadingCycle) {
  const double m0 = 100.0, period = 2.0;
  const struct {
    double cycles;  // time after M0 in periods
    double phase;
  } cases[] = {{0.0, 0.0}, {0.75, 0.75}, {0.8, -0.2}, {-0.25, -0.25}, {-0.3, 0.7},
               {10.8, -0.2}, {-10.3, 0.7}, {3.5, 0.5}};
  for (const auto& c : cases)
    EXPECT_NEAR(PhaseInWindow(m0 + c.cycles * period, m0, period, kFitWindowLead), c.phase, 1e-9)
        << c.cycles;
}

}  // namespace
}  // namespace ombrix_cli

