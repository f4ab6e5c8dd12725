// Series, minima and O-C text exports: the texts against expected files,
// phases at the cycle's edges, the individual minus-fit files and failed
// writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <ombrix_testsupport/fault_sweep.h>
#include <ombrix_testsupport/temp_folder.h>

#include "export_test_field.h"
#include "ombrix_exports/export_file.h"
#include "ombrix_exports/series_export.h"

namespace ombrix_export {
namespace {

using namespace ombrix_export_test;
using ombrix_test::ReadFile;

class SeriesExport : public ::testing::Test {
 protected:
  void SetUp() override { BuildTestField(field); }
  CObjectListElem& Ab() { return *field.At(0); }
  CObjectListElem& Cd() { return *field.At(1); }
  std::string Lines(CObjectListElem& object, TSeriesLines kind) {
    std::string text;
    EXPECT_EQ(SeriesLinesText(object, kind, text), TExportResult::ok);
    return text;
  }
  CField field;
};

TEST_F(SeriesExport, TextsMatchExpectedFiles) {
  ExpectSameAsFile(Lines(Ab(), TSeriesLines::timeSeries), "ab_time_series.txt");
  ExpectSameAsFile(Lines(Ab(), TSeriesLines::phased), "ab_phased.txt");
  ExpectSameAsFile(Lines(Ab(), TSeriesLines::phasedTime), "ab_phased_time.txt");
  ExpectSameAsFile(Lines(Ab(), TSeriesLines::minusFit), "ab_minus_fit.txt");
  std::string text;
  ASSERT_EQ(MinimaListText(Ab(), text), TExportResult::ok);
  ExpectSameAsFile(text, "ab_minima.txt");
  ASSERT_EQ(EtvText(Ab(), text), TExportResult::ok);
  ExpectSameAsFile(text, "ab_etv.txt");
  ExpectSameAsFile(AllMinimaText(field), "all_minima.txt");
}

TEST_F(SeriesExport, ZeroIsWrittenBareAndValuesCarryTheSeriesAdjustment) {
  const std::string lines = Lines(Ab(), TSeriesLines::timeSeries);
  // Series A's point at M0 has the value 0; series B adds its offset 0.25.
  EXPECT_NE(lines.find("2459000.250000 0 0.020000\r\n"), std::string::npos);
  EXPECT_NE(lines.find("2459001.200000 10.850000 0.010000\r\n"), std::string::npos);
  // A flux series multiplies by its offset.
  EXPECT_EQ(Lines(Cd(), TSeriesLines::timeSeries), "2459000.900000 3.000000 0.001000\r\n"
                                                   "2459000.950000 1.500000 0.001000\r\n");
}

TEST(ExportPhase, CycleEdgesAndFarTimes) {
  const double m0 = 2459000.25, p = 0.5;
  EXPECT_EQ(ExportPhase(m0 + p, m0, p), 1.0);
  EXPECT_EQ(ExportPhase(m0 - 0.25 * p, m0, p), 0.75);
  EXPECT_EQ(ExportPhase(m0, m0, p), 0.0);
  EXPECT_EQ(ExportPhase(m0 + 10.25 * p, m0, p), 0.25);
  EXPECT_EQ(ExportPhase(m0 - 10.5 * p, m0, p), 0.5);
}

TEST_F(SeriesExport, PhasedLinesPutCycleEdgesAtOneAndThreeQuarters) {
  const std::string phased = Lines(Ab(), TSeriesLines::phased);
  EXPECT_EQ(phased.substr(0, phased.find("\r\n", phased.find("\r\n", phased.find("\r\n") + 2) + 2) + 2),
            "0.750000 10.500000 0.010000\r\n0 0 0.020000\r\n1.000000 10.700000 0\r\n");
  // Reduced times: M0 + phase * P, so the last point keeps its own time.
  EXPECT_NE(Lines(Ab(), TSeriesLines::phasedTime).find("2459000.625000 10.500000 0.010000\r\n"), std::string::npos);
}

TEST_F(SeriesExport, RefusalsWriteNothing) {
  std::string text = "old";
  EXPECT_EQ(SeriesLinesText(Cd(), TSeriesLines::phased, text), TExportResult::elementsUndefined);
  EXPECT_EQ(text, "");
  EXPECT_EQ(SeriesLinesText(Cd(), TSeriesLines::minusFit, text), TExportResult::elementsUndefined);
  EXPECT_EQ(EtvText(Cd(), text), TExportResult::elementsUndefined);
  EXPECT_EQ(MinimaListText(*field.At(2), text), TExportResult::noMinima);
  EXPECT_EQ(text, "");

  ombrix_test::CTempFolder folder;
  const std::string path = folder.Path("phased.txt");
  EXPECT_EQ(ExportSeriesLines(Cd(), TSeriesLines::phased, path), TExportResult::elementsUndefined);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SeriesExport, MinimaLinesNameFilterAndTimeScale) {
  EXPECT_EQ(MinimaFilterName(Ab(), *Ab().FirstSeries()), "V");                     // the object's
  EXPECT_EQ(MinimaFilterName(Ab(), *Ab().NextSeries(Ab().FirstSeries())), "R");  // stated over the file's
  EXPECT_EQ(MinimaFilterName(Cd(), *Cd().FirstSeries()), "");
  std::string text;
  ASSERT_EQ(MinimaListText(Cd(), text), TExportResult::ok);
  EXPECT_EQ(text, "#JD Error Primary/Secondary Filter JD_type\r\n2459000.930000 0.000300 Primary JD type unknown\r\n");
}

TEST_F(SeriesExport, BarycentricMinimaSayTheirScaleAndMixedOnesAreRefusedWithoutCoordinates) {
  CObjectListElem& cd = Cd();
  CSeriesTreeElem& tess = *cd.FirstSeries();
  tess.dataMetaData.jdType = ombrix_data::jdBarycentric;
  cd.m0 = 2459000.0;
  cd.period = 0.8;
  cd.m0Scale = ombrix_model::tsBJDTDB;
  std::string text;
  ASSERT_EQ(MinimaListText(cd, text), TExportResult::ok);
  EXPECT_EQ(text, "#JD Error Primary/Secondary Filter JD_type\r\n2459000.930000 0.000300 Primary BJD_TDB\r\n");
  ASSERT_EQ(EtvText(cd, text), TExportResult::ok);
  EXPECT_EQ(text, "#BJD_TDB Difference Error Primary/Secondary\r\n2459000.930000 0.130000 0.000300 P\r\n");
  // A minimum stated in HJD keeps its own label and cannot join a BJD_TDB
  // O-C without the star's coordinates.
  tess.minima.Add(ombrix_data::minSecondary, 2459001.3, 0.0004)->SetTimeScale(ombrix_model::tsHJD);
  ASSERT_EQ(MinimaListText(cd, text), TExportResult::ok);
  EXPECT_NE(text.find("2459001.300000 0.000400 Secondary HJD\r\n"), std::string::npos) << text;
  EXPECT_EQ(EtvText(cd, text), TExportResult::scalesNotCombined);
  EXPECT_TRUE(text.empty());
}

TEST_F(SeriesExport, FailedWriteKeepsEarlierFileAndLeavesNoOther) {
  ombrix_test::CTempFolder folder;
  const std::string path = folder.Path("series.txt");
  ASSERT_EQ(ExportSeriesLines(Ab(), TSeriesLines::timeSeries, path), TExportResult::ok);
  const std::string before = ReadFile(path);
  EXPECT_EQ(before, Lines(Ab(), TSeriesLines::timeSeries));
  ombrix_test::SweepFileFaults(
      [&] { return ExportSeriesLines(Cd(), TSeriesLines::timeSeries, path) == TExportResult::ok; },
      [&](const ombrix_test::TFaultRun& run) {
        EXPECT_EQ(ReadFile(path), run.succeeded ? Lines(Cd(), TSeriesLines::timeSeries) : before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Root()), {}), 1);
      },
      {.prepare = [&] { ombrix_test::WriteFile(path, before); }});
}

TEST(IndividualTarget, NewNameOrPrefixAndPostfixInTheSeriesFolder) {
  TIndividualExportOptions options;
  options.newName = "residuals";
  EXPECT_EQ(IndividualTargetPath("/d/s/ab_a.dat", options), "/d/s/residuals.txt");
  options.newName = "residuals.csv";
  EXPECT_EQ(IndividualTargetPath("/d/s/ab_a.dat", options), "/d/s/residuals.csv");
  options.useNewName = false;
  options.prefix = "fit_";
  options.postfix = "_r";
  EXPECT_EQ(IndividualTargetPath("/d/s/ab_a.dat", options), "/d/s/fit_ab_a_r.dat");
  EXPECT_EQ(IndividualTargetPath("/d/s.v/noext", options), "/d/s.v/fit_noext_r");
}

// Series files in a temporary folder, for the individual minus-fit export.
class IndividualMinusFit : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    BuildTestField(field);
    object = field.At(0);
    const std::string folder = std::filesystem::current_path().string();
    for (CSeriesTreeElem* s = object->FirstSeries(); s; s = object->NextSeries(s)) {
      auto* local = static_cast<CLocalSeriesTreeElem*>(s);
      const std::string name = std::filesystem::path(local->absolutePath).filename().string();
      std::snprintf(local->absolutePath, sizeof local->absolutePath, "%s/%s", folder.c_str(), name.c_str());
      ombrix_test::WriteFile(local->absolutePath, "series data\n");
    }
    options.useNewName = false;
    options.postfix = "_fit";
  }
  std::string SeriesLines(int index) {
    CSeriesTreeElem* s = object->FirstSeries();
    for (int i = 0; i < index; ++i) s = object->NextSeries(s);
    std::string text;
    AppendSeriesLines(*object, *s, TSeriesLines::minusFit, text);
    return text;
  }
  CField field;
  CObjectListElem* object = nullptr;
  TIndividualExportOptions options;
  TIndividualExportReport report;
};

TEST_F(IndividualMinusFit, EachEnabledSeriesGetsItsOwnLines) {
  ASSERT_EQ(ExportIndividualSeriesMinusFit(*object, options, nullptr, report), TExportResult::ok);
  ASSERT_EQ(report.written.size(), 2u);  // series C is disabled
  EXPECT_EQ(ReadFile("ab_a_fit.txt"), SeriesLines(0));
  EXPECT_EQ(ReadFile("ab_b_fit.dat"), SeriesLines(1));
  EXPECT_FALSE(std::filesystem::exists("ab_c_fit.txt"));
  EXPECT_EQ(ReadFile("ab_a.txt"), "series data\n");
}

TEST_F(IndividualMinusFit, NoKeepsThatFileAndCancelStops) {
  ombrix_test::WriteFile("ab_a_fit.txt", "keep me");
  std::vector<std::string> asked;
  auto answer = [&](TOverwriteAnswer a) {
    return [&asked, a](const std::string& path) {
      asked.push_back(path);
      return a;
    };
  };
  ASSERT_EQ(ExportIndividualSeriesMinusFit(*object, options, answer(TOverwriteAnswer::no), report),
            TExportResult::ok);
  EXPECT_EQ(ReadFile("ab_a_fit.txt"), "keep me");
  EXPECT_EQ(ReadFile("ab_b_fit.dat"), SeriesLines(1));
  EXPECT_EQ(report.skipped.size(), 1u);
  EXPECT_EQ(asked.size(), 1u);

  std::filesystem::remove("ab_b_fit.dat");
  EXPECT_EQ(ExportIndividualSeriesMinusFit(*object, options, answer(TOverwriteAnswer::cancel), report),
            TExportResult::cancelled);
  EXPECT_FALSE(std::filesystem::exists("ab_b_fit.dat"));

  options.overwrite = true;
  ASSERT_EQ(ExportIndividualSeriesMinusFit(*object, options, answer(TOverwriteAnswer::cancel), report),
            TExportResult::ok);
  EXPECT_EQ(ReadFile("ab_a_fit.txt"), SeriesLines(0));
  EXPECT_EQ(asked.size(), 2u);
}

TEST_F(IndividualMinusFit, NeverWritesOverSeriesFiles) {
  options.postfix.clear();
  EXPECT_EQ(ExportIndividualSeriesMinusFit(*object, options, nullptr, report), TExportResult::prefixPostfixEmpty);
  // A new name equal to a series file's name.
  options.useNewName = true;
  options.newName = "ab_a.txt";
  options.overwrite = true;
  ASSERT_EQ(ExportIndividualSeriesMinusFit(*object, options, nullptr, report), TExportResult::ok);
  EXPECT_EQ(ReadFile("ab_a.txt"), "series data\n");
  EXPECT_EQ(report.protectedFiles.size(), 2u);
}

TEST_F(IndividualMinusFit, OptionsAreKeptWithTheObject) {
  options.prefix = "p_";
  EXPECT_TRUE(StoreIndividualExportOptions(*object, options));
  EXPECT_FALSE(StoreIndividualExportOptions(*object, options));
  TIndividualExportOptions read;
  read.overwrite = true;
  GetIndividualExportOptions(*object, read);
  EXPECT_FALSE(read.useNewName);
  EXPECT_EQ(read.prefix, "p_");
  EXPECT_EQ(read.postfix, "_fit");
  EXPECT_FALSE(read.overwrite);
}

}  // namespace
}  // namespace ombrix_export

namespace ombrix_export {
namespace {

TEST(ExportMessages, BoxesOfTheRefusals) {
  ombrix_data::CScriptedUserIO io;
  ShowExportResult(io, TExportCommand::html, TExportResult::cannotCreateFile, "/out/page.html");
  ShowExportResult(io, TExportCommand::csv, TExportResult::cannotCreateFile, "/out/f.csv");
  ShowExportResult(io, TExportCommand::text, TExportResult::elementsUndefined, "");
  ShowExportResult(io, TExportCommand::text, TExportResult::noMinima, "");
  ShowExportResult(io, TExportCommand::text, TExportResult::prefixPostfixEmpty, "");
  ShowExportResult(io, TExportCommand::text, TExportResult::cancelled, "");
  ShowExportResult(io, TExportCommand::csv, TExportResult::nothingToExport, "");
  ASSERT_EQ(io.shown.size(), 5u);
  const std::vector<std::vector<std::string>> expected = {
      {"Error exporting HTML", "Cannot create file", "/out/page.html"},
      {"Error exporting CSV", "Cannot create file", "/out/f.csv"},
      {"Export failed", "Cannot export phased light curve", "if M0 and/or P is not defined"},
      {"Export failed", "No minima defined for", "the selected object."},
      {"File overwrite warning", "Leaving both Prefix and Postfix empty", "causes overwriting of original files."},
  };
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(io.shown[i].caption, expected[i][0]);
    EXPECT_EQ(io.shown[i].lines, std::vector<std::string>(expected[i].begin() + 1, expected[i].end()));
  }
  const ombrix_data::TUserMessage question = OverwriteQuestion("/out/a.txt");
  EXPECT_STREQ(question.caption, "Overwrite file?");
  EXPECT_STREQ(question.lines[0], "There is a file on disk:");
  EXPECT_STREQ(question.lines[1], "/out/a.txt");
  EXPECT_STREQ(question.lines[2], "Overwrite existing file?");
}

}  // namespace
}  // namespace ombrix_export
