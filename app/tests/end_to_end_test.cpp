// The typical road of a first session: a first start without settings, the
// root folder of the series files, "Load Field..." with the loader, then the
// recent files, title, status bar and object list, and a quiet close that
// keeps all of it for the next start.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <string>
#include <vector>

#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"
#include "pane_fixture.h"
#include "ombrix_app/shell_dialogs.h"
#include <ombrix_testsupport/temp_folder.h>

using namespace ombrix_app;

namespace {

const std::string kData = OMBRIX_TEST_DATA;

std::vector<std::string> Items(const vcont::CListBox& list) {
  std::vector<std::string> items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(Row(list, i));
  return items;
}

void Pump() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

TEST(EndToEnd, FirstStartLoadsAFieldWithItsSeries) {
  ombrix_test::CTempConfig config;
  vdlg::CScriptedDialogs dialogs;
  view::CBackground background;
  ASSERT_TRUE(background.Init("OMBRIX"));
  const std::string field = kData + "/field.ofd";
  {
    COmbrix window;
    ASSERT_TRUE(window.Build());
    background.RegisterWindow(&window);
    Pump();
    EXPECT_EQ(window.recent.Count(), 0u);

    // The series files are found through the root folder.
    dialogs.AnswerOK([](vwin::COKCancelDialog& d) { static_cast<CRootPathDialog&>(d).browse.Press(); });
    dialogs.AnswerFile(kData + "/");
    window.Command(cmRootPath);

    // Ctrl+O: the file dialog, then the loader.
    dialogs.AnswerFile(field);
    vcore::TEvent key;
    key.kind = vcore::evKeyDown;
    key.code = 'O';
    key.modifiers = vcore::kmCtrl;
    window.ReceiveEvent(key);
    ASSERT_EQ(dialogs.Shown().size(), 3u) << dialogs.Transcript();
    EXPECT_EQ(dialogs.Shown()[2].kind, vdlg::dkInFile);
    EXPECT_FALSE(window.statusBar.IsProgressShown());

    // Recent files, title and status bar.
    ASSERT_EQ(window.recent.Count(), 1u);
    EXPECT_EQ(window.recent.Path(0), field);
    EXPECT_TRUE(window.menuBar.HasItem(cmRecentFirst));
    char shown[kPathHigh + 1] = {};
    vwin::CompressPathToLength(field.c_str(), 64, kPathHigh, shown);
    EXPECT_EQ(window.Title(), "OMBRIX - " + std::string(shown));
    EXPECT_STREQ(window.statusBar.GetText(sfObjects), "2 objects");
    EXPECT_STREQ(window.statusBar.GetText(sfSeries), "2/2 series");
    EXPECT_STREQ(window.statusBar.GetText(sfModified), "");

    // The object list with the first object selected and its series.
    EXPECT_EQ(Items(window.pane.objects.list), (std::vector<std::string>{"HD 23642 | V1229 Tau", "CM Dra"}));
    EXPECT_EQ(window.pane.objects.list.Selection(), 0);
    EXPECT_EQ(Items(window.pane.series.list),
              (std::vector<std::string>{kOnMark + "2015-02-10 C",
                                        kOnMark + "2015-04-06 C"}));
    EXPECT_EQ(window.variabilityTypes.Text(), "EA (Algol)");
    const ombrix_data::CObjectListElem* hd = window.pane.SelectedObject();
    ASSERT_NE(hd, nullptr);
    EXPECT_EQ(hd->FirstSeries()->pointCount, 37u);
    EXPECT_DOUBLE_EQ(hd->FirstSeries()->FirstTime(), 2457064.068193);

    // A chosen series names its file and time scale.
    window.pane.SelectSeries(1);
    EXPECT_EQ(window.statusBar.GetText(sfSeriesSource), kData + "/hd23642_b.txt");
    EXPECT_STREQ(window.statusBar.GetText(sfTimeScale), "Series in HJD");

    // The flux object: its eclipse, no filter shown.
    ASSERT_TRUE(window.pane.SelectObject(1));
    EXPECT_STREQ(window.statusBar.GetText(sfSeries), "1/1 series");
    EXPECT_EQ(Items(window.pane.series.list), std::vector<std::string>{kOnMark + "2019-09-13"});
    EXPECT_TRUE(window.pane.SelectedObject()->fluxFlag);
    EXPECT_DOUBLE_EQ(window.pane.SelectedObject()->FirstSeries()->offset, 1.0);

    // Nothing was changed: the window closes without a question.
    EXPECT_TRUE(window.Close());
    EXPECT_EQ(dialogs.Shown().size(), 3u) << dialogs.Transcript();
  }
  Pump();
  const std::string ini = config.ReadIni();
  EXPECT_NE(ini.find("0 = " + field), std::string::npos) << ini;
  EXPECT_NE(ini.find("RootPath = " + kData + "/"), std::string::npos) << ini;
  EXPECT_NE(ini.find("LastOpenPath = " + kData), std::string::npos) << ini;
  background.Done();
}

// The newcomer's road: tools/run.sh starts the program with the repository as
// root folder and the sample field as the first recent file; choosing that
// entry loads the sample quietly.
TEST(EndToEnd, FirstRecentFileOfANewcomerOpensTheSampleField) {
  const std::string repository = std::filesystem::canonical(kData + "/../../..").string();
  const std::string sample = repository + "/samples/field/sample.ofd";
  ASSERT_TRUE(std::filesystem::exists(sample));
  ombrix_test::CTempConfig config;
  config.WriteIni("[OMBRIX]\nRootPath = " + repository + "/\n[MRUfiles]\n0 = " + sample + "\n");
  vdlg::CScriptedDialogs dialogs;
  view::CBackground background;
  ASSERT_TRUE(background.Init("OMBRIX"));
  {
    COmbrix window;
    ASSERT_TRUE(window.Build());
    background.RegisterWindow(&window);
    Pump();
    ASSERT_EQ(window.recent.Count(), 1u);
    window.Command(cmRecentFirst);
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Transcript();
    EXPECT_STREQ(window.statusBar.GetText(sfObjects), "5 objects");
    EXPECT_STREQ(window.statusBar.GetText(sfModified), "");
    EXPECT_EQ(window.pane.objects.list.Count(), 5);
    EXPECT_EQ(window.pane.objects.list.Selection(), 0);
    EXPECT_GT(window.pane.series.list.Count(), 0);
    EXPECT_TRUE(window.Close());
  }
  Pump();
  background.Done();
}

}  // namespace
