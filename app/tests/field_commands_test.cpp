// New, Load, Save, Save As and the recent files of the "Field" menu, with
// every question and message as the user sees it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"
#include "ombrix_app/shell_dialogs.h"
#include "pane_fixture.h"

namespace fs = std::filesystem;
using namespace ombrix_app;

namespace {

const std::string kData = OMBRIX_TEST_DATA;

class FieldCommandsTest : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    std::strcpy(window.settings.rootPath, (kData + "/").c_str());
  }
  // A copy of a data file in the test's own folder.
  std::string Copy(const std::string& name, const std::string& as) {
    const fs::path to = config.root / as;
    fs::copy_file(kData + "/" + name, to, fs::copy_options::overwrite_existing);
    return to.string();
  }
  // Loads a field through "Load Field..." on an unmodified window.
  void Load(const std::string& path) {
    dialogs.AnswerFile(path);
    window.Command(cmLoadField);
  }
  // The title for a field path: the path shortened to 64 characters.
  static std::string TitleFor(const std::string& path, bool modified) {
    char shown[kPathHigh + 1] = {};
    vwin::CompressPathToLength(path.c_str(), 64, kPathHigh, shown);
    return "OMBRIX - " + std::string(shown) + (modified ? "*" : "");
  }
  std::string Status(TStatusField f) { return window.statusBar.GetText(f); }
  std::vector<std::string> Lines(std::size_t i) const { return dialogs.Shown().at(i).lines; }

};

TEST_F(FieldCommandsTest, LoadOffersFieldFilesFromLastOpenPathAndStoresIt) {
  const std::string path = Copy("field.ofd", "night.ofd");
  std::strcpy(window.settings.lastOpenPath, "/somewhere");
  Load(path);
  ASSERT_EQ(dialogs.Shown().size(), 1u) << dialogs.Transcript();
  const vdlg::TShownDialog& open = dialogs.Shown()[0];
  EXPECT_EQ(open.kind, vdlg::dkInFile);
  EXPECT_EQ(open.path, "/somewhere");
  EXPECT_EQ(open.filters, (std::vector<std::string>{"*.ofd|OFD Ombrix v2+ files", "*.*|All Files (*.*)"}));
  EXPECT_STREQ(window.settings.lastOpenPath, config.root.c_str());
  EXPECT_STREQ(window.fieldPath, path.c_str());
  EXPECT_EQ(window.pane.field.Count(), 2u);
  EXPECT_FALSE(window.IsModified());

  // A cancelled chooser leaves an empty, unnamed field.
  dialogs.AnswerCancel();
  window.Command(cmLoadField);
  EXPECT_EQ(window.pane.field.Count(), 0u);
  EXPECT_EQ(window.Title(), "OMBRIX - ");
}

// Series whose files cannot be read (a disk not mounted, a folder renamed)
// are reported and kept as missing, so saving the field does not lose them.
TEST_F(FieldCommandsTest, MissingSeriesAreEachReportedAndKept) {
  const std::string path = kData + "/missing.ofd";
  Load(path);
  EXPECT_EQ(dialogs.Transcript(),
            "[open] Load Field Description\n"
            "[message] Error\nCannot load series photometry data:\n/nonexistent/lost_1.txt\n"
            "Series kept in the field as missing\n"
            "[message] Error\nCannot load series photometry data:\n/nonexistent/lost_2.txt\n"
            "Series kept in the field as missing\n");
  EXPECT_EQ(dialogs.Shown()[1].icon, vstock::siRedExclamation);
  ASSERT_EQ(window.pane.field.Count(), 1u);
  EXPECT_EQ(window.pane.field.First()->series.count, 3u);
  EXPECT_FALSE(window.IsModified());
  EXPECT_EQ(window.Title(), TitleFor(path, false));
  EXPECT_EQ(Status(sfModified), "");
  EXPECT_EQ(window.recent.Count(), 1u);  // the load succeeded
}

TEST_F(FieldCommandsTest, ReplacingAModifiedFieldAsksFirst) {
  const std::string path = Copy("field.ofd", "f.ofd");
  Load(path);
  window.Command(cmFieldChanged);
  dialogs.Clear();

  dialogs.AnswerButton(vdlg::mrCancel);  // Cancel: nothing happens
  window.Command(cmLoadField);
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Field Description Modified\nDo you want to save current field description\n"
            "before opening a new one?\nChoosing [No] will discard current all changes.\n");
  EXPECT_EQ(dialogs.Shown()[0].buttons, vdlg::mbYesNoCancel);
  EXPECT_EQ(dialogs.Shown()[0].icon, vstock::siQuestion);
  EXPECT_EQ(window.pane.field.Count(), 2u);
  EXPECT_TRUE(window.IsModified());

  dialogs.AnswerButton(vdlg::mrYes);  // Yes: saved, then the field is cleared
  window.Command(cmNewField);
  EXPECT_EQ(Lines(1).at(1), "before starting a new one?");
  EXPECT_TRUE(fs::exists(config.root / "f.bak"));
  EXPECT_EQ(window.pane.field.Count(), 0u);
  EXPECT_STREQ(window.fieldPath, "");
  EXPECT_EQ(window.Title(), "OMBRIX - ");
  EXPECT_EQ(Status(sfObjects), "0 objects");
  EXPECT_EQ(Status(sfModified), "");
}

TEST_F(FieldCommandsTest, AFailedSaveDoesNotDiscardTheChanges) {
  Load(Copy("field.ofd", "f.ofd"));
  std::strcpy(window.fieldPath, (config.root / "gone" / "f.ofd").c_str());
  window.Command(cmFieldChanged);
  dialogs.Clear();
  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmNewField);
  ASSERT_EQ(dialogs.Shown().size(), 2u) << dialogs.Transcript();
  EXPECT_EQ(dialogs.Shown()[1].caption, "Failed save field description");
  EXPECT_EQ(window.pane.field.Count(), 2u);
  EXPECT_TRUE(window.IsModified());
}

TEST_F(FieldCommandsTest, SaveAsProposesOfdForAnXmlFieldAndAdoptsTheNewName) {
  const std::string xml = Copy("field.ofd", "old.xml");
  Load(xml);
  window.Command(cmFieldChanged);
  dialogs.Clear();
  const std::string chosen = (config.root / "renamed").string();
  dialogs.AnswerFile(chosen);
  window.Command(cmSaveFieldAs);
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].kind, vdlg::dkOutFile);
  EXPECT_EQ(dialogs.Shown()[0].path, (config.root / "old.ofd").string());
  EXPECT_EQ(dialogs.Shown()[0].filters, (std::vector<std::string>{"*.ofd|OFD Ombrix v2+ files", "*.*|All Files (*.*)"}));
  EXPECT_TRUE(fs::exists(chosen + ".ofd"));
  EXPECT_STREQ(window.fieldPath, (chosen + ".ofd").c_str());
  EXPECT_EQ(window.Title(), TitleFor(chosen + ".ofd", false));
  EXPECT_FALSE(window.IsModified());
  ASSERT_EQ(window.recent.Count(), 1u);  // saving leaves the recent files alone
  EXPECT_STREQ(window.recent.Path(0), xml.c_str());

  // Save Field writes back to the adopted name; without a name it is Save As.
  window.Command(cmFieldChanged);
  window.Command(cmSaveField);
  EXPECT_FALSE(window.IsModified());
  EXPECT_TRUE(fs::exists(config.root / "renamed.bak"));
  window.Command(cmNewField);
  dialogs.Clear();
  std::strcpy(window.settings.lastOpenPath, config.root.c_str());
  window.Command(cmSaveField);
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].kind, vdlg::dkOutFile);
  EXPECT_EQ(dialogs.Shown()[0].path, config.root.string());
}

TEST_F(FieldCommandsTest, RecentFilesMoveToTheFrontOrLeaveWhenTheyNoLongerLoad) {
  const std::string a = Copy("field.ofd", "a.ofd"), b = Copy("field.ofd", "b.ofd");
  const std::string gone = (config.root / "gone.ofd").string();
  Load(gone);  // a failed load never enters the list
  Load(b);
  Load(a);
  ASSERT_EQ(window.recent.Count(), 2u);
  EXPECT_STREQ(window.recent.Path(0), a.c_str());
  dialogs.Clear();

  EXPECT_TRUE(window.menuBar.Choose(cmRecentFirst + 1));  // "2 .../b.ofd"
  EXPECT_TRUE(dialogs.Shown().empty());
  EXPECT_STREQ(window.recent.Path(0), b.c_str());
  EXPECT_STREQ(window.recent.Path(1), a.c_str());
  EXPECT_STREQ(window.fieldPath, b.c_str());

  fs::remove(a);
  EXPECT_TRUE(window.menuBar.Choose(cmRecentFirst + 1));
  EXPECT_EQ(dialogs.Transcript(), "[message] Failed load field description\nCannot open file\n" + a + "\n");
  EXPECT_EQ(dialogs.Shown()[0].icon, vstock::siStop);
  ASSERT_EQ(window.recent.Count(), 1u);
  EXPECT_STREQ(window.recent.Path(0), b.c_str());
  EXPECT_FALSE(window.menuBar.HasItem(cmRecentFirst + 1));
  EXPECT_EQ(window.pane.field.Count(), 0u);
  EXPECT_EQ(window.Title(), "OMBRIX - ");
}

TEST_F(FieldCommandsTest, SeriesLinesFollowTheEditedFilterTable) {
  Load(kData + "/field.ofd");
  ASSERT_EQ(window.pane.series.list.Count(), 2);
  EXPECT_EQ(Row(window.pane.series.list, 0), kOnMark + "2015-02-10 C");
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& table = static_cast<CFilterEditDialog&>(d);
    for (int i = 0; i < table.list.Count(); ++i)
      if (table.list.ItemText(i) == "C = FF7F7F7F") table.list.SetSelection(i);
    table.deleteButton.Press();
  });
  window.Command(cmFilterTable);
  EXPECT_EQ(window.filters.Find("C"), nullptr);
  EXPECT_EQ(Row(window.pane.series.list, 0), kOnMark + "2015-02-10");
}

}  // namespace
