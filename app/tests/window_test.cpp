#include "ombrix_app/ombrix.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>
#include <filesystem>
#include <string>

#include "ombrix_app/commands.h"
#include <ombrix_testsupport/temp_folder.h>

using namespace ombrix_app;

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { background.Init("OMBRIX"); }
  void TearDown() override {
    if (window.IsInitialized()) window.Done();
    Pump();
    background.Done();
  }
  void Start() {
    ASSERT_TRUE(window.Build());
    background.RegisterWindow(&window);
    Pump();
  }
  static void Pump() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }

  ombrix_test::CTempConfig config;
  vdlg::CScriptedDialogs dialogs;
  view::CBackground background;
  COmbrix window;
};

TEST_F(WindowTest, FirstStartWithoutKeyFile) {
  Start();
  EXPECT_EQ(window.RestoredRect().x, 100);
  EXPECT_EQ(window.RestoredRect().y, 100);
  EXPECT_EQ(window.settings.width, 560);
  EXPECT_EQ(window.settings.depth, 280);
  EXPECT_EQ(window.settings.splitter1, 80 + vcore::ScaleH(6));
  EXPECT_EQ(window.settings.splitter2, 160 + vcore::ScaleH(6));
  EXPECT_EQ(window.settings.splitter3, 80 + vcore::ScaleH(6));
  // The filled tool box and the status bar leave the stored size as it is,
  // also when a long series path is shown.
  EXPECT_EQ(window.WindowRect().width, 560);
  EXPECT_EQ(window.WindowRect().height, 280);
  window.statusBar.SetText(sfSeriesSource, ("/home/observer/light curves/" + std::string(200, 'x') + ".txt").c_str());
  Pump();
  EXPECT_EQ(window.WindowRect().width, 560);
  EXPECT_EQ(window.pane.ColumnWidth(0), 80 + vcore::ScaleH(6));
  EXPECT_EQ(window.pane.ColumnWidth(1), 160 + vcore::ScaleH(6));
  EXPECT_EQ(window.Title(), "OMBRIX");
  EXPECT_STREQ(window.statusBar.GetText(sfObjects), "0 objects");
  EXPECT_STREQ(window.statusBar.GetText(sfSeries), "0/0 series");
  EXPECT_EQ(window.variabilityTypes.Count(), 18);
  const std::string programFolder = window.LoadContext().folders.programFolder;
  EXPECT_EQ(programFolder, std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/");
}

TEST_F(WindowTest, MenusCarryEveryCommandWithItsStartState) {
  Start();
  std::uint32_t count = 0;
  const TMenuEntry* entries = MenuLayout(count);
  for (std::uint32_t i = 0; i < count; ++i)
    if (entries[i].kind == meItem) {
      EXPECT_TRUE(window.menuBar.HasItem(entries[i].command)) << entries[i].command;
    }

  for (std::uint32_t c : {cmAutoAcceptM0Period, cmShowDev, cmShowNow, cmShowTime, cmShowMinima, cmCheckVersion})
    EXPECT_TRUE(window.menuBar.IsChecked(c)) << c;
  EXPECT_TRUE(window.toolBox.IsChecked(cmShowDev));
  for (std::uint32_t c : {cmSelectAllMinima, cmDeselectAllMinima, cmMinimumParameters, cmRemoveMinimum, cmLogout,
                          cmChangePassword, cmSyncField, cmPublish, cmSelectSeriesByContributor})
    EXPECT_FALSE(window.menuBar.IsEnabled(c)) << c;
  EXPECT_TRUE(window.menuBar.IsEnabled(cmLogin));
  EXPECT_TRUE(window.menuBar.IsEnabled(cmDefineRepository));
  EXPECT_STREQ(window.toolBox.Button(cmClearZoom)->ToolTip(), "Clear zoom");
  EXPECT_STREQ(window.toolBox.Button(cmNewField)->ToolTip(), "New Field");
}

TEST_F(WindowTest, TogglesFlipSettingsAndMinimaListEnablesItsCommands) {
  Start();
  EXPECT_TRUE(window.menuBar.Choose(cmShowDev));
  EXPECT_FALSE(window.settings.showDev);
  EXPECT_FALSE(window.toolBox.IsChecked(cmShowDev));
  EXPECT_TRUE(window.toolBox.Press(cmMinimaList));
  EXPECT_TRUE(window.menuBar.IsChecked(cmMinimaList));
  EXPECT_TRUE(window.menuBar.IsEnabled(cmRemoveMinimum));
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(WindowTest, UsersGuideOpensThePdfBesideTheProgram) {
  Start();
  std::vector<std::string> opened;
  vcore::SetDocumentOpener([&opened](const char* path) {
    opened.emplace_back(path);
    return true;
  });
  const std::string guide = window.UsersGuidePath();
  const bool existed = std::filesystem::exists(guide);
  if (!existed) ombrix_test::WriteFile(guide, "%PDF-1.4");
  EXPECT_TRUE(window.menuBar.Choose(1190));
  if (!existed) std::filesystem::remove(guide);
  EXPECT_EQ(opened, std::vector<std::string>{guide});
  EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Transcript();
  vcore::SetDocumentOpener(nullptr);
}

TEST_F(WindowTest, AcceleratorsBecomeCommandsAndAboutNamesTheVersion) {
  Start();
  window.Command(cmFieldChanged);
  vcore::TEvent key;
  key.kind = vcore::evKeyDown;
  key.code = 'N';
  key.modifiers = vcore::kmCtrl;
  dialogs.AnswerButton(vdlg::mrNo);
  window.ReceiveEvent(key);
  EXPECT_TRUE(key.stopped);
  ASSERT_EQ(dialogs.Shown().size(), 1u);  // New Field asks about the changes
  EXPECT_EQ(dialogs.Shown()[0].lines.at(1), "before starting a new one?");
  EXPECT_FALSE(window.IsModified());

  vcore::TEvent plain;
  plain.kind = vcore::evKeyDown;
  plain.code = 'N';
  window.ReceiveEvent(plain);
  EXPECT_FALSE(plain.stopped);

  EXPECT_TRUE(window.menuBar.Choose(cmAbout));
  ASSERT_EQ(dialogs.Shown().size(), 2u);
  EXPECT_EQ(dialogs.Shown()[1].kind, vdlg::dkParagraphBox);
  ASSERT_FALSE(dialogs.Shown()[1].lines.empty());
  EXPECT_EQ(dialogs.Shown()[1].lines[0].rfind("OMBRIX version " OMBRIX_VERSION " - 64bit (x64)", 0), 0u);
}

TEST_F(WindowTest, RecentFilesFromKeyFileAppearBehindTheFieldMenu) {
  std::string ini = "[MRUfiles]\n";
  for (int i = 0; i < 9; ++i) ini += std::to_string(i) + " = /data/f" + std::to_string(i) + ".ofd\n";
  config.WriteIni(ini);
  Start();
  EXPECT_EQ(window.recent.Count(), 8u);
  EXPECT_TRUE(window.menuBar.HasItem(cmRecentFirst));
  EXPECT_TRUE(window.menuBar.HasItem(cmRecentLast));
  EXPECT_FALSE(window.menuBar.HasItem(cmRecentLast + 1));
  window.recent.NoteLoad("/data/f3.ofd", false);
  window.RebuildRecentMenu();
  EXPECT_FALSE(window.menuBar.HasItem(cmRecentLast));
}

TEST_F(WindowTest, FieldChangedAndUnchangedSetTitleAndStatus) {
  Start();
  window.Command(cmFieldChanged);
  EXPECT_EQ(window.Title(), "OMBRIX - *");
  EXPECT_STREQ(window.statusBar.GetText(sfModified), "Modified");
  window.Command(cmFieldUnchanged);
  EXPECT_EQ(window.Title(), "OMBRIX - ");
  EXPECT_STREQ(window.statusBar.GetText(sfModified), "");
  EXPECT_TRUE(window.Close());  // unchanged: no question
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(WindowTest, ClosingEditedFieldAsksAndNoKeepsTheWindow) {
  Start();
  window.Command(cmFieldChanged);
  dialogs.AnswerButton(vdlg::mrNo);
  EXPECT_FALSE(window.Close());
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Field Description Modified\nClosing of the OMBRIX window\n"
            "will discard changes of the Field Description.\nDo you want to close the OMBRIX window?\n");
  dialogs.AnswerButton(vdlg::mrYes);
  EXPECT_TRUE(window.Close());
}

TEST_F(WindowTest, ClosingStoresTheWindowRectangle) {
  Start();
  window.settings.showNow = false;
  window.Done();
  EXPECT_NE(config.ReadIni().find("ShowNow = FALSE"), std::string::npos);
  EXPECT_NE(config.ReadIni().find("XPos = 100"), std::string::npos);
  EXPECT_NE(config.ReadIni().find("Width = 560"), std::string::npos);
  EXPECT_NE(config.ReadIni().find("Splitter2 = 166"), std::string::npos);
}

TEST_F(WindowTest, VariabilityTypeBoxEditsTheSelectedObject) {
  Start();
  window.variabilityTypes.SetText("EW (W UMa)", true);  // no object: nothing to change
  EXPECT_FALSE(window.IsModified());

  auto* object = new ombrix_data::CObjectListElem;
  std::strcpy(object->name, "V1");
  window.pane.field.Append(object);
  window.pane.FieldReplaced();
  window.variabilityTypes.SetSelection(2, true);
  EXPECT_STREQ(object->variabilityType, "EW (W UMa)");
  EXPECT_TRUE(window.IsModified());
  EXPECT_EQ(window.Title(), "OMBRIX - *");

  window.variabilityTypes.SetText(std::string(40, 'T').c_str(), true);  // typed: kept up to 31 characters
  EXPECT_EQ(std::string(object->variabilityType), std::string(31, 'T'));
}

// The status-bar fields keep out of each other's way at every width; from
// 800 pixels on, the counts are shown whole.
TEST_F(WindowTest, StatusBarFieldsNeverOverlap) {
  Start();
  window.statusBar.SetText(sfObjects, "1234 objects");
  window.statusBar.SetText(sfSeries, "120/120 series");
  for (int width = 400; width <= 2000; width += 100) {
    window.SetRect(vcom::CRect(0, 0, width, 600));
    Pump();
    for (int f = 0; f + 1 < window.statusBar.FieldCount(); ++f) {
      const vcom::CRect a = window.statusBar.FieldRect(f), b = window.statusBar.FieldRect(f + 1);
      EXPECT_LE(a.x + a.width, b.x) << "width " << width << ", field " << f;
    }
    if (width >= 800) {
      EXPECT_TRUE(window.statusBar.FieldTextFits(sfObjects)) << width;
      EXPECT_TRUE(window.statusBar.FieldTextFits(sfSeries)) << width;
    }
  }
}

}  // namespace
