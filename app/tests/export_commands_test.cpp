// The export commands through the window: which dialogs the user sees, in
// which order, with which texts; what lands in the files and settings; and
// the clipboard text of "Copy Object Info".
#include <gtest/gtest.h>

#include <corekit/clipboard.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <ombrix_views/copy_mask_dialog.h>
#include <ombrix_views/export_dialogs.h>

#include "ombrix_app/commands.h"
#include "ombrix_app/export_commands.h"
#include "pane_fixture.h"

namespace fs = std::filesystem;
using namespace ombrix_app;

namespace {

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ExportCommandsTest : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    object = AddObject("V1 Cyg");
    AddSeries(object, 2459000.1);
    window.pane.FieldReplaced();
  }
  std::string Out(const char* name) const { return (config.root / name).string(); }

  ombrix_data::CObjectListElem* object = nullptr;
};

TEST_F(ExportCommandsTest, TextExportsAskForTheFileAndRememberIt) {
  dialogs.AnswerFile(Out("series.txt"));
  window.Command(cmExportTimeSeries);
  ASSERT_EQ(dialogs.Shown().size(), 1u) << dialogs.Transcript();
  EXPECT_EQ(dialogs.Shown()[0].kind, vdlg::dkOutFile);
  EXPECT_EQ(dialogs.Shown()[0].caption, "Time Series...");
  EXPECT_EQ(dialogs.Shown()[0].filters,
            (std::vector<std::string>{"*.txt|TXT Files (*.txt)", "*.*|All Files (*.*)"}));
  EXPECT_EQ(Read(Out("series.txt")),
            "2459000.100000 12.000000 0.010000\r\n2459000.200000 12.500000 0.010000\r\n");
  EXPECT_STREQ(window.settings.lastExportPath, Out("series.txt").c_str());

  // The next export starts where the last one went.
  dialogs.Clear();
  dialogs.AnswerCancel();
  window.Command(cmExportTimeSeries);
  EXPECT_EQ(dialogs.Shown().at(0).path, Out("series.txt"));
}

TEST_F(ExportCommandsTest, MissingElementsOrMinimaAreToldBeforeAnyFileDialog) {
  window.Command(cmExportPhasedSeries);
  window.Command(cmExportMinimaList);
  window.Command(cmExportETVData);
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Export failed\nCannot export phased light curve\nif M0 and/or P is not defined\n"
            "[message] Export failed\nNo minima defined for\nthe selected object.\n"
            "[message] Export failed\nCannot export phased light curve\nif M0 and/or P is not defined\n");

  dialogs.Clear();
  dialogs.AnswerFile((config.root / "no such folder" / "x.txt").string());
  window.Command(cmExportTimeSeries);
  EXPECT_EQ(dialogs.Shown().back().lines,
            (std::vector<std::string>{"Cannot create file", (config.root / "no such folder" / "x.txt").string()}));
}

TEST_F(ExportCommandsTest, CsvOptionsAreKeptAndTheTableWritten) {
  window.settings.csvExportOptions = 8;
  std::uint32_t shown = 0;
  dialogs.AnswerOK([&shown](vwin::COKCancelDialog& d) {
    auto& csv = static_cast<ombrix_views::CExportCSVDialog&>(d);
    shown = csv.Options();
    csv.boxes[0].SetChecked(true);  // "Include VAR meta-data"
  });
  dialogs.AnswerFile(Out("field.csv"));
  window.Command(cmExportFieldCSV);
  EXPECT_EQ(shown, 8u);
  EXPECT_EQ(window.settings.csvExportOptions, 9);
  EXPECT_EQ(dialogs.Shown().at(0).caption, "Export Field into CSV Options");
  EXPECT_EQ(dialogs.Shown().at(1).filters,
            (std::vector<std::string>{"*.csv|CSV Files (*.csv)", "*.*|All Files (*.*)"}));
  const std::string csv = Read(Out("field.csv"));
  EXPECT_EQ(csv.rfind("sep=;\r\nname;alt_name;var_type;M0;period;max_mag;min_mag;var_name;", 0), 0u) << csv;
  EXPECT_STREQ(window.settings.lastCSVExportPath, Out("field.csv").c_str());
}

TEST_F(ExportCommandsTest, HtmlWithThumbsWritesThePageAndBothPictures) {
  std::strcpy(window.fieldPath, Out("night.ofd").c_str());
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& html = static_cast<ombrix_views::CExportHTMLDialog&>(d);
    for (auto& box : html.boxes)
      if (box.Label() == "Generate Light Curve Thumbs") box.SetChecked(true);
  });
  dialogs.AnswerFile(Out("field.html"));
  window.Command(cmExportFieldHTML);
  EXPECT_EQ(window.settings.htmlExportOptions, 0x80);
  const std::string page = Read(Out("field.html"));
  EXPECT_NE(page.find("<img src=\"night_V1 Cyg_thumb.png\">"), std::string::npos) << page;
  EXPECT_GT(fs::file_size(Out("night_V1 Cyg.png")), 0u);
  EXPECT_GT(fs::file_size(Out("night_V1 Cyg_thumb.png")), 0u);
  EXPECT_FALSE(window.statusBar.IsProgressShown());
  EXPECT_EQ(dialogs.Shown().size(), 2u) << dialogs.Transcript();
}

TEST_F(ExportCommandsTest, IndividualSeriesMinusFitAsksBeforeOverwriting) {
  object->m0 = 2459000.0;
  object->period = 0.5;
  auto* s = static_cast<ombrix_data::CLocalSeriesTreeElem*>(object->FirstSeries());
  std::snprintf(s->absolutePath, sizeof s->absolutePath, "%s", Out("n1.txt").c_str());
  ombrix_test::WriteFile(Out("n1_res.txt"), "old");

  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& o = static_cast<ombrix_views::CExportSeriesDialog&>(d);
    o.usePrefixPostfix.SetChecked(true, true);
    o.prefix.SetText("");
    o.postfix.SetText("");
  });
  window.Command(cmExportIndividualMinusFit);
  EXPECT_EQ(dialogs.Shown().back().caption, "File overwrite warning");

  dialogs.Clear();
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& o = static_cast<ombrix_views::CExportSeriesDialog&>(d);
    o.usePrefixPostfix.SetChecked(true, true);
    o.postfix.SetText("_res");
  });
  dialogs.AnswerButton(vdlg::mrNo);
  window.Command(cmExportIndividualMinusFit);
  EXPECT_EQ(dialogs.Shown().at(0).caption, "Save Series - Fit");
  EXPECT_EQ(dialogs.Shown().at(1).lines,
            (std::vector<std::string>{"There is a file on disk:", Out("n1_res.txt"), "Overwrite existing file?"}));
  EXPECT_EQ(Read(Out("n1_res.txt")), "old");  // No keeps it
  EXPECT_TRUE(window.modified);               // the postfix is kept with the object

  dialogs.Clear();
  dialogs.AnswerOK();
  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmExportIndividualMinusFit);
  EXPECT_EQ(Read(Out("n1_res.txt")).find("2459000.100000 "), 0u);
}

TEST_F(ExportCommandsTest, CopyObjectInfoFollowsTheMask) {
  object->metaData.var.ra = 0.5;
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    static_cast<ombrix_views::CCoordinateMaskDialog&>(d).mask.SetText("%RA% %DEC%!");
  });
  window.Command(cmCopyInfoMask);
  EXPECT_STREQ(window.settings.copyDataMask, "%RA% %DEC%!");
  window.Command(cmCopyObjectInfo);
  std::string copied;
  ASSERT_TRUE(vcom::ClipboardProvider().GetText(copied));
  EXPECT_EQ(copied.back(), '!');
  EXPECT_EQ(copied.rfind("01 54 35.", 0), 0u) << copied;
}

}  // namespace
