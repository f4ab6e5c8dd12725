// The committed sample field: it loads cleanly, and the generator writes it
// again byte for byte.
#include <gtest/gtest.h>
#include <ombrix_testsupport/c_numbers.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>
#include <cstdio>

#include <ombrix_field/ofd.h>

#include "ombrix_samples/sample_field.h"
#include "sample_random.h"
#include <ombrix_cli/command.h>

namespace ombrix_samples {
namespace {

namespace fs = std::filesystem;
using namespace ombrix_data;

const fs::path kRoot = OMBRIX_SOURCE_ROOT;
const fs::path kCommitted = kRoot / kSampleFolder;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(SampleField, LoadsWithoutMessagesWithItsObjectsAndSeries) {
  CScriptedUserIO io;
  TFieldLoadContext context;
  context.io = &io;
  const std::string root = kRoot.string() + '/';
  context.folders = {root.c_str(), ""};
  CField field;
  bool changed = true;
  ASSERT_TRUE(LoadField((kCommitted / kSampleFieldName).c_str(), context, field, changed));
  EXPECT_TRUE(io.shown.empty()) << io.shown.front().caption << ": " << io.shown.front().lines[0];
  EXPECT_FALSE(changed);

  const struct {
    const char* name;
    std::uint32_t series;
    bool fit;
  } expected[] = {{"V0501 Lyr", 4, true}, {"V0962 Cyg", 3, true}, {"V0344 Cas", 2, false},
                  {"V0723 Her", 3, false}, {"V0190 Peg", 3, false}};
  ASSERT_EQ(field.Count(), std::size(expected));
  CObjectListElem* object = field.First();
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    EXPECT_STREQ(object->name, e.name);
    EXPECT_EQ(object->series.count, e.series);
    EXPECT_EQ(object->fitPresent, e.fit);
    EXPECT_GT(object->period, 0.0);
    EXPECT_NE(object->notes, nullptr);
    for (CSeriesTreeElem* s = object->FirstSeries(); s; s = object->NextSeries(s)) {
      EXPECT_GE(s->pointCount, 100u);
      EXPECT_LE(s->pointCount, 500u);
      EXPECT_EQ(s->minima.count, 1u);
      EXPECT_FALSE(s->converted);  // the times are heliocentric already
      // Every night is centred on an eclipse.
      const double minimum = static_cast<CMinimaListElem*>(s->minima.first)->time;
      EXPECT_GT(minimum, s->FirstTime());
      EXPECT_LT(minimum, s->LastTime());
    }
    object = CField::Next(object);
  }
}

TEST(SampleField, GeneratorRewritesTheCommittedFilesByteForByte) {
  const fs::path folder = fs::path(testing::TempDir()) / "ombrix_sample_field";
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::string error;
  ASSERT_TRUE(WriteSampleField(folder.string(), kSampleFolder, error)) << error;

  std::set<std::string> written, committed;
  std::uintmax_t size = 0;
  for (const auto& entry : fs::directory_iterator(folder)) written.insert(entry.path().filename());
  for (const auto& entry : fs::directory_iterator(kCommitted)) {
    committed.insert(entry.path().filename());
    size += entry.file_size();
  }
  const std::vector<std::string> names = SampleFieldFiles();
  EXPECT_EQ(written, std::set<std::string>(names.begin(), names.end()));
  EXPECT_EQ(committed, written);
  for (const std::string& name : names)
    EXPECT_TRUE(ReadBytes(folder / name) == ReadBytes(kCommitted / name)) << name;
  EXPECT_LT(size, 300u * 1024u);
  fs::remove_all(folder);
}

TEST(SampleRandom, UniformNeverZeroAndNormalHasUnitSpread) {
  CSampleRandom random(1);
  constexpr int kDraws = 20000;
  double sum = 0, squares = 0;
  for (int i = 0; i < kDraws; ++i) {
    const double u = random.Uniform();
    ASSERT_GT(u, 0.0);
    ASSERT_LE(u, 1.0);
    const double x = random.Normal();
    sum += x;
    squares += x * x;
  }
  EXPECT_NEAR(sum / kDraws, 0.0, 0.03);
  EXPECT_NEAR(squares / kDraws, 1.0, 0.04);
  // The same seed gives the same stream.
  CSampleRandom a(7), b(7);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(a.Normal(), b.Normal());
}

struct TCliRun {
  int status;
  std::string out, err;
};

// Runs ombrix-cli in the repository root, where the field's paths lead.
TCliRun RunCliInRoot(std::vector<const char*> words) {
  char previous[4096];
  if (getcwd(previous, sizeof previous) == nullptr || chdir(kRoot.c_str()) != 0) return {-1, "", ""};
  words.insert(words.begin(), "ombrix-cli");
  std::ostringstream out, err;
  const int status = ombrix_cli::RunCli(words, out, err);
  if (chdir(previous) != 0) return {-1, "", ""};
  return {status, out.str(), err.str()};
}

const std::string kFieldArgument = std::string(kSampleFolder) + '/' + kSampleFieldName;

TEST(SampleField, CommandLineListsItFromTheRepositoryRoot) {
  const TCliRun run = RunCliInRoot({"field", kFieldArgument.c_str()});
  EXPECT_EQ(run.status, ombrix_cli::kExitOk) << run.err;
  EXPECT_EQ(run.out.find("message:"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.rfind("objects 5\nobject 1 V0501 Lyr | GSC 03130-00721 | sample series=4 ", 0), 0u)
      << run.out;
}

TEST(SampleField, PeriodsComeBackFromTheSeriesAndTheMinima) {
  // The default scan of 0.1 to 2 days finds half the period of the contact
  // binary and doubles it for its type.
  const TCliRun scan = RunCliInRoot({"frequency", kFieldArgument.c_str(), "V0190 Peg"});
  ASSERT_EQ(scan.status, ombrix_cli::kExitOk) << scan.err;
  double period = 0;
  const auto scanPeriod = [&period](const char* text) {
    const ombrix_test::CCNumbers cNumbers;  // the output has a decimal point
    return std::sscanf(text, "\nperiod %lf", &period);
  };
  ASSERT_EQ(scanPeriod(scan.out.c_str() + scan.out.find("\nperiod ")), 1);
  EXPECT_NEAR(period, 0.2987650, 1e-4);

  const TCliRun minima = RunCliInRoot({"period-minima", kFieldArgument.c_str(), "V0501 Lyr", "--min", "0.5"});
  ASSERT_EQ(minima.status, ombrix_cli::kExitOk) << minima.err;
  const std::size_t best = minima.out.find("\nperiod ", minima.out.find("score 0.000000"));
  ASSERT_NE(best, std::string::npos) << minima.out;
  ASSERT_EQ(scanPeriod(minima.out.c_str() + best), 1);
  EXPECT_NEAR(period, 1.0723456, 1e-4);
}

}  // namespace
}  // namespace ombrix_samples
