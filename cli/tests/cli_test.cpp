#include <gtest/gtest.h>
#include <ombrix_testsupport/c_numbers.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "ombrix_cli/arguments.h"
#include "ombrix_cli/command.h"
#include "ombrix_model/astro.h"

namespace ombrix_cli {
namespace {

struct TRun {
  int status;
  std::string out, err;
};

TRun RunWords(std::vector<const char*> words) {
  words.insert(words.begin(), "ombrix-cli");
  std::ostringstream out, err;
  const int status = RunCli(words, out, err);
  return {status, out.str(), err.str()};
}

TEST(Arguments, AnglesDecimalAndSexagesimal) {
  const struct {
    const char* text;
    double value;
  } good[] = {
      {"12.5", 12.5},           {"-5.25", -5.25},       {"+3", 3.0},
      {"12:30:05.1", 12.0 + 30 / 60.0 + 5.1 / 3600},    {"-05:30:00", -5.5},
      {"-0:30:00", -0.5},       {"12h30m05s", 12.0 + 30 / 60.0 + 5 / 3600.0},
      {"-5d30m0", -5.5},        {"12 30 00", 12.5},     {"1::2  3", 1 + 2 / 60.0 + 3 / 3600.0},
  };
  for (const auto& c : good) {
    double value = 0;
    ASSERT_TRUE(ParseAngle(c.text, value)) << c.text;
    EXPECT_NEAR(value, c.value, 1e-12) << c.text;
  }
  const char* bad[] = {"",      "-",        "12:30",   "12:30:",  "12:60:00", "12:30:60",
                       "1.5:30:00", "12:30:00x", "abc",   "nan",     "inf",      "1e999",
                       "12.5.1", "--1"};
  for (const char* text : bad) {
    double value = 42;
    EXPECT_FALSE(ParseAngle(text, value)) << text;
    EXPECT_EQ(value, 42) << text;
  }
}

TEST(Arguments, CoordinateRanges) {
  const char* what = nullptr;
  double radians;
  EXPECT_TRUE(ParseRightAscension("0", radians, what));
  EXPECT_TRUE(ParseRightAscension("23:59:59.9", radians, what));
  EXPECT_FALSE(ParseRightAscension("24", radians, what));
  EXPECT_FALSE(ParseRightAscension("-1", radians, what));
  EXPECT_TRUE(ParseDeclination("-90", radians, what));
  EXPECT_NEAR(radians, -std::numbers::pi / 2, 1e-15);
  EXPECT_FALSE(ParseDeclination("90:00:01", radians, what));
  EXPECT_FALSE(ParseDeclination("north", radians, what));
  EXPECT_STREQ(what, "declination is not a number of degrees");
}

TEST(Cli, HelpForProgramAndEachCommand) {
  for (const char* option : {"--help", "-h", "help"}) {
    const TRun run = RunWords({option});
    EXPECT_EQ(run.status, kExitOk);
    for (const TCliCommand* command : Commands())
      EXPECT_NE(run.out.find(std::string("  ") + command->name), std::string::npos);
  }
  for (const TCliCommand* command : Commands()) {
    const TRun run = RunWords({command->name, "--help"});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out, command->help);
    EXPECT_EQ(RunWords({"help", command->name}).out, command->help);
    EXPECT_EQ(run.out.rfind(std::string("Usage: ombrix-cli ") + command->name, 0), 0u);
  }
}

TEST(Cli, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<const char*>> cases = {
      {},
      {"frobnicate"},
      {"help", "frobnicate"},
      {"hjd"},
      {"hjd", "2455000.5", "12.5"},
      {"hjd", "2455000.5", "12.5", "10", "extra"},
      {"hjd", "yesterday", "12.5", "10"},
      {"hjd", "1e308", "12.5", "10"},
      {"hjd", "2455000.5", "24:00:00", "10"},
      {"hjd", "2455000.5", "12.5", "-91"},
  };
  for (const auto& words : cases) {
    const TRun run = RunWords(words);
    EXPECT_EQ(run.status, kExitUsage) << (words.empty() ? "" : words[0]);
    EXPECT_TRUE(run.out.empty());
    EXPECT_FALSE(run.err.empty());
  }
}

TEST(Cli, HjdPrintsEightDecimalsForEitherNotation) {
  const double ra = (12.0 + 30 / 60.0 + 5.1 / 3600) * std::numbers::pi / 12;
  const double dec = -5.5 * std::numbers::pi / 180;
  char expected[64];
  {
    const ombrix_test::CCNumbers cNumbers;  // the expectation in point-decimal text
    std::snprintf(expected, sizeof expected, "%.8f\n",
                  ombrix_model::HeliocentricJD(2455000.5, ra, dec));
  }
  const TRun sexagesimal = RunWords({"hjd", "2455000.5", "12:30:05.1", "-05:30:00"});
  EXPECT_EQ(sexagesimal.status, kExitOk);
  EXPECT_EQ(sexagesimal.out, expected);
  EXPECT_EQ(RunWords({"hjd", "2455000.5", "12.501416666666667", "-5.5"}).out, expected);
}


std::string WriteTemporary(const std::string& name, const std::string& text) {
  const std::string path = testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

const char kGeocentricSeries[] =
    "VAR NAME: V0123 Cyg RA: 20:00:00 DEC: 40:00:00\r\n"
    "JD: GEOCENTRIC UNIT: MAGNITUDE FILTER: V\r\n"
    "2455000.6 12.5 0.01\r\n"
    "2455000.5 12.4\r\n"
    "2455000.7 99.999 0.1\r\n";

TEST(CliSeries, ConvertsWithTheFilesOwnCoordinates) {
  const std::string path = WriteTemporary("cli_geocentric.txt", kGeocentricSeries);
  const TRun run = RunWords({"series", path.c_str()});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  const double ra = 20 * std::numbers::pi / 12, dec = 40 * std::numbers::pi / 180;
  char firstLine[96];
  {
    const ombrix_test::CCNumbers cNumbers;  // the expectation in point-decimal text
    std::snprintf(firstLine, sizeof firstLine, "%.8f 12.400000 0.000000\n",
                  ombrix_model::HeliocentricJD(2455000.5, ra, dec));
  }
  EXPECT_EQ(run.out.rfind("# points 2\n# jd_type geocentric\n# unit magnitude\n"
                          "# filter V\n# converted yes\n", 0), 0u)
      << run.out;
  EXPECT_NE(run.out.find(firstLine), std::string::npos) << run.out;
}

TEST(CliSeries, GivenCoordinatesOverrideAndHeliocentricStays) {
  const std::string path = WriteTemporary("cli_geocentric2.txt", kGeocentricSeries);
  const TRun given = RunWords({"series", path.c_str(), "--ra", "6", "--dec", "-10"});
  ASSERT_EQ(given.status, kExitOk) << given.err;
  char firstTime[40];
  {
    const ombrix_test::CCNumbers cNumbers;  // the expectation in point-decimal text
    std::snprintf(firstTime, sizeof firstTime, "%.8f ",
                  ombrix_model::HeliocentricJD(2455000.5, 6 * std::numbers::pi / 12,
                                               -10 * std::numbers::pi / 180));
  }
  EXPECT_NE(given.out.find(firstTime), std::string::npos) << given.out;

  const std::string helio = WriteTemporary(
      "cli_helio.txt", "JD: HELIOCENTRIC UNIT: FLUX\n2455000.5 1.25 0.5\n");
  const TRun run = RunWords({"series", helio.c_str(), "--ra", "6", "--dec", "-10"});
  EXPECT_EQ(run.out,
            "# points 1\n# jd_type heliocentric\n# unit flux\n# filter \n# converted no\n"
            "2455000.50000000 1.250000 0.500000\n");
}

TEST(CliSeries, UnreadableFilesExitWithOne) {
  const TRun missing = RunWords({"series", "/nonexistent/folder/x.txt"});
  EXPECT_EQ(missing.status, kExitFailure);
  EXPECT_EQ(missing.err.rfind("Cannot open file: ", 0), 0u) << missing.err;

  const std::string empty = WriteTemporary("cli_no_data.txt", "JD: GEOCENTRIC\n");
  const TRun noData = RunWords({"series", empty.c_str()});
  EXPECT_EQ(noData.status, kExitFailure);
  EXPECT_TRUE(noData.out.empty());

  EXPECT_EQ(RunWords({"series", empty.c_str(), "--ra", "6"}).status, kExitUsage);
  EXPECT_EQ(RunWords({"series"}).status, kExitUsage);
}


}  // namespace
}  // namespace ombrix_cli
