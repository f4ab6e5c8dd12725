// The eclipse-timing subcommands on the small field of real series:
// minimum --method kvw, oc and plan.
#include <gtest/gtest.h>
#include <ombrix_testsupport/c_numbers.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli_on_field.h"
#include "ombrix_cli/command.h"

namespace ombrix_cli {
namespace {

// Runs in the test data folder, where the field's relative series paths lead.
class TimingCli : public CliOnField {};

// The CM Dra eclipse in magnitudes: KvW finds the published minimum
// (2458739.9291169); with the noise of the TESS points in magnitudes
// (0.00138 in flux at the eclipse's mean flux of 0.77: 0.0019 mag) the error
// is the published size.
TEST_F(TimingCli, MinimumByKvW) {
  const TRun r = Run({"minimum", "cli_field.ofd", "CM Dra", "1", "2458739.90", "2458739.96", "--method", "kvw",
                      "--noise", "0.0019"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NEAR(ValueAfter(r.out, "time"), 2458739.9291169, 5e-6);
  EXPECT_NEAR(ValueAfter(r.out, "error"), 1.25e-5, 0.25e-5);
  EXPECT_EQ(ValueAfter(r.out, "points"), 30);
  EXPECT_NE(r.out.find("scale HJD\n"), std::string::npos);

  const TRun three = Run({"minimum", "cli_field.ofd", "CM Dra", "1", "2458739.90", "2458739.96", "--method",
                          "kvw", "--reflections", "3"});
  ASSERT_EQ(three.status, 0) << three.err;
  EXPECT_NEAR(ValueAfter(three.out, "time"), 2458739.9291169, 1e-5);

  const TRun even = Run({"minimum", "cli_field.ofd", "CM Dra", "1", "2458739.90", "2458739.96", "--method", "kvw",
                         "--reflections", "4"});
  EXPECT_EQ(even.status, 1);
  EXPECT_EQ(even.err, "The number of reflections must be odd, from 3 to 21.\n");
  const TRun other = Run({"minimum", "cli_field.ofd", "CM Dra", "1", "2458739.90", "2458739.96", "--method", "x"});
  EXPECT_EQ(other.status, 2);
  EXPECT_EQ(other.err, "ombrix-cli minimum: --method is \"model\" or \"kvw\", not \"x\"\n");

  // The model fit says its scale too.
  const TRun model = Run({"minimum", "cli_field.ofd", "CM Dra", "1", "2458739.90", "2458739.96"});
  ASSERT_EQ(model.status, 0) << model.err;
  EXPECT_EQ(Lines(model.out)[3], "scale HJD");
}

// HD 23642: three primary minima at epochs -20, -19 and -17 of the
// published ephemeris (one more is disabled).
TEST_F(TimingCli, OCCountsCyclesAndFitsTheEphemeris) {
  const TRun r = Run({"oc", "cli_field.ofd", "HD 23642"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 8u) << r.out;
  EXPECT_EQ(lines[0], "scale HJD");
  EXPECT_EQ(lines[1].rfind("minimum 2457070.29945600 primary cycle -20.0 oc ", 0), 0u) << lines[1];
  EXPECT_EQ(lines[3].rfind("minimum 2457077.68286300 primary cycle -17.0 oc ", 0), 0u) << lines[3];
  const ombrix_test::CCNumbers cNumbers;
  const double period = std::strtod(lines[5].c_str() + std::string("linear period ").size(), nullptr);
  EXPECT_NEAR(period, 2.4611357, 2e-6);
  EXPECT_EQ(lines[7], "linear chi2 0.0000");

  const TRun quadratic = Run({"oc", "cli_field.ofd", "HD 23642", "--quadratic"});
  EXPECT_EQ(quadratic.status, 1);
  EXPECT_EQ(quadratic.err, "At least 4 enabled minima on 3 cycles are needed for a quadratic ephemeris.\n");
  const TRun unset = Run({"oc", "cli_field.ofd", "HD 23642 untyped"});
  EXPECT_EQ(unset.status, 1);
  EXPECT_EQ(unset.err, "M0 and Period of the object must be set to count cycles.\n");
}

TEST_F(TimingCli, PlanListsTheNightsMinima) {
  const TRun r = Run({"plan", "cli_field.ofd", "--date", "2024-01-15", "--lat", "49.9", "--lon", "14.8"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 4u) << r.out;
  EXPECT_EQ(lines[0], "night 2024-01-15T16:44 to 2024-01-16T05:36 UTC, Sun below -12.0 degrees");
  EXPECT_EQ(lines[1].rfind("eclipse \"CM Dra\" primary start 2024-01-15T21:16 middle 2024-01-15T22:00 "
                           "end 2024-01-15T22:44 altitude ",
                           0),
            0u)
      << lines[1];
  EXPECT_NE(lines[1].find(" HJD cycle 1250.0"), std::string::npos);
  EXPECT_EQ(lines[2], "skipped \"V3 Tri\": no coordinates");
  EXPECT_EQ(lines[3], "skipped \"HD 23642 untyped\": no M0 or period");

  // Where the object stands below 25 degrees at mid-eclipse, it is left out.
  const TRun high = Run({"plan", "cli_field.ofd", "--date", "2024-01-15", "--lat", "49.9", "--lon", "14.8",
                         "--star-alt", "25"});
  ASSERT_EQ(high.status, 0) << high.err;
  EXPECT_EQ(high.out.find("eclipse"), std::string::npos);

  const TRun noSite = Run({"plan", "cli_field.ofd", "--date", "2024-01-15"});
  EXPECT_EQ(noSite.status, 1);
  EXPECT_EQ(noSite.err, "The observer's site is not set (latitude and longitude).\n");
  const TRun badDate = Run({"plan", "cli_field.ofd", "--date", "2024-02-30", "--lat", "1", "--lon", "1"});
  EXPECT_EQ(badDate.status, 2);
  EXPECT_EQ(badDate.err, "ombrix-cli plan: --date needs a date YYYY-MM-DD, not \"2024-02-30\"\n");
}

}  // namespace
}  // namespace ombrix_cli
