// The export subcommand: each kind writes what the export library builds for
// the loaded field, options and refusals, and the individual minus-fit files.
#include <gtest/gtest.h>
#include <ombrix_testsupport/temp_folder.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "field_commands/field_loading.h"
#include "ombrix_cli/command.h"
#include "ombrix_exports/field_export.h"
#include "ombrix_exports/series_export.h"

namespace ombrix_cli {
namespace {

using ombrix_test::ReadFile;

struct TRun {
  int status;
  std::string out, err;
};

// Runs in a temporary copy of the test data folder, so the field's series
// files resolve and the individual exports write beside copies.
class ExportCli : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    for (const char* name : {"cli_field.ofd", "cmdra_e7024.txt", "hd23642_k2.txt", "three_points.txt"})
      std::filesystem::copy_file(std::string(OMBRIX_TEST_DATA) + "/" + name, name);
    std::ostringstream out, err;
    ASSERT_TRUE(LoadFieldForCli("cli_field.ofd", field, out, err)) << err.str();
  }
  static TRun Run(std::vector<const char*> words) {
    words.insert(words.begin(), {"ombrix-cli", "export", "cli_field.ofd"});
    std::ostringstream out, err;
    const int status = RunCli(words, out, err);
    return {status, out.str(), err.str()};
  }
  ombrix_data::CObjectListElem& Object(int index) { return *field.At(index); }
  ombrix_data::CField field;
};

TEST_F(ExportCli, TextKindsWriteTheLibraryTexts) {
  using ombrix_export::TSeriesLines;
  const struct {
    const char* kind;
    TSeriesLines lines;
  } kinds[] = {{"series", TSeriesLines::timeSeries},
               {"phased", TSeriesLines::phased},
               {"phased-series", TSeriesLines::phasedTime},
               {"minus-fit", TSeriesLines::minusFit}};
  for (const auto& k : kinds) {
    const TRun run = Run({k.kind, "out.txt", "CM Dra"});
    ASSERT_EQ(run.status, kExitOk) << k.kind << run.err;
    std::string expected;
    ombrix_export::SeriesLinesText(Object(0), k.lines, expected);
    EXPECT_EQ(ReadFile("out.txt"), expected) << k.kind;
    EXPECT_EQ(run.out, std::string("export ") + k.kind + " out.txt lines 30\n");
  }
  ASSERT_EQ(Run({"etv", "etv.txt", "V1229 Tau"}).status, kExitOk);
  std::string expected;
  ombrix_export::EtvText(Object(1), expected);
  EXPECT_EQ(ReadFile("etv.txt"), expected);
  ASSERT_EQ(Run({"minima", "minima.txt", "2"}).status, kExitOk);
  ombrix_export::MinimaListText(Object(1), expected);
  EXPECT_EQ(ReadFile("minima.txt"), expected);
  ASSERT_EQ(Run({"all-minima", "all.txt"}).status, kExitOk);
  EXPECT_EQ(ReadFile("all.txt"), ombrix_export::AllMinimaText(field));
}

TEST_F(ExportCli, RefusalsPrintTheProgramsMessageAndWriteNothing) {
  TRun run = Run({"minima", "m.txt", "CM Dra"});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.err, "ombrix-cli export: Export failed: No minima defined for the selected object.\n");
  run = Run({"phased", "m.txt", "HD 23642 untyped"});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.err,
            "ombrix-cli export: Export failed: Cannot export phased light curve if M0 and/or P is not defined\n");
  EXPECT_FALSE(std::filesystem::exists("m.txt"));
  run = Run({"series", "no/such/folder/s.txt", "1"});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.err, "ombrix-cli export: Export failed: Cannot create file no/such/folder/s.txt\n");
  run = Run({"csv", "no/such/folder/f.csv"});
  EXPECT_EQ(run.err, "ombrix-cli export: Error exporting CSV: Cannot create file no/such/folder/f.csv\n");
}

TEST_F(ExportCli, WrongArgumentsAreUsageErrors) {
  const std::vector<std::vector<const char*>> wrong = {
      {"pdf", "x"},                          // unknown kind
      {"series", "s.txt"},                   // object missing
      {"csv", "f.csv", "CM Dra"},            // csv takes no object
      {"series", "s.txt", "1", "--thumbs"},  // an html option
      {"csv", "f.csv", "--options", "16"},
      {"html", "f.html", "--image-size", "7x600"},
      {"individual-minus-fit", "1", "--new-name", "a", "--prefix", "p"},
  };
  for (const auto& words : wrong) {
    const TRun run = Run(words);
    EXPECT_EQ(run.status, kExitUsage) << words[0] << ' ' << words[1];
    EXPECT_FALSE(run.err.empty());
  }
  EXPECT_EQ(Run({"series", "s.txt", "1", "--thumbs"}).err, "ombrix-cli export: --thumbs does not apply to series\n");
}

TEST_F(ExportCli, CsvFlagsAddUpToTheOptionBits) {
  TRun run = Run({"csv", "a.csv", "--var", "--cmp", "--chk", "--nights"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "export csv a.csv objects 4 options 15\n");
  ASSERT_EQ(Run({"csv", "b.csv", "--options", "15"}).status, kExitOk);
  EXPECT_EQ(ReadFile("a.csv"), ReadFile("b.csv"));
  EXPECT_EQ(ReadFile("a.csv"), ombrix_export::CsvTableText(field, ombrix_export::kCsvAllOptions));
}

TEST_F(ExportCli, HtmlPageWithoutPicturesAndPicturesRefusedWithoutWriter) {
  TRun run = Run({"html", "page.html", "--options", "0x7f", "--path-prefix", "img"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "export html page.html objects 4 options 127 pictures 0\n");
  ombrix_export::THtmlExportOptions options;
  options.options = 0x7f;
  EXPECT_EQ(ReadFile("page.html"), ombrix_export::HtmlPageText(field, "cli_field", options));
  // RunCli without the program's commands has no picture writer.
  run = Run({"html", "pics.html", "--thumbs"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_NE(run.err.find("need ombrix-cli built with the GUI libraries"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists("pics.html"));
}

TEST_F(ExportCli, IndividualMinusFitBesideTheSeriesFiles) {
  const std::string folder = std::filesystem::current_path().string();
  TRun run = Run({"individual-minus-fit", "CM Dra", "--prefix", "r_"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "written " + folder + "/r_cmdra_e7024.txt\n");
  std::string expected;
  ombrix_export::AppendSeriesLines(Object(0), *Object(0).FirstSeries(), ombrix_export::TSeriesLines::minusFit,
                                   expected);
  EXPECT_EQ(ReadFile("r_cmdra_e7024.txt"), expected);

  // An existing file: the program's question gets its default answer, Cancel.
  ombrix_test::WriteFile("r_cmdra_e7024.txt", "mine");
  run = Run({"individual-minus-fit", "CM Dra", "--prefix", "r_"});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.out, "message: Overwrite file? | There is a file on disk: | " + folder +
                         "/r_cmdra_e7024.txt | Overwrite existing file?\n");
  EXPECT_EQ(ReadFile("r_cmdra_e7024.txt"), "mine");
  run = Run({"individual-minus-fit", "CM Dra", "--prefix", "r_", "--keep-existing"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out, "kept " + folder + "/r_cmdra_e7024.txt\n");
  run = Run({"individual-minus-fit", "CM Dra", "--prefix", "r_", "--overwrite"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(ReadFile("r_cmdra_e7024.txt"), expected);

  // New name without extension; without options and a kept name: refused.
  ASSERT_EQ(Run({"individual-minus-fit", "CM Dra", "--new-name", "residuals"}).status, kExitOk);
  EXPECT_EQ(ReadFile("residuals.txt"), expected);
  EXPECT_EQ(Run({"individual-minus-fit", "CM Dra"}).status, kExitUsage);
  run = Run({"individual-minus-fit", "CM Dra", "--prefix", ""});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.err,
            "ombrix-cli export: File overwrite warning: Leaving both Prefix and Postfix empty causes overwriting of "
            "original files.\n");
}

}  // namespace
}  // namespace ombrix_cli
