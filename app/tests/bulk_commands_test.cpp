// The bulk-edit commands through the window as a user runs them: scan and
// confirmation dialogs, alternate names, series selection, levelling and the
// statistics, and the notes tab with its pending edits.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ombrix_app/bulk_commands.h"
#include "ombrix_app/commands.h"
#include "pane_fixture.h"

namespace fs = std::filesystem;
using namespace ombrix_app;

namespace {

std::string SeriesText(const std::string& first) {
  return first + " 12.5 0.01\n" + first + "1 12.7 0.01\n";
}

class BulkCommandsTest : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    star = config.root / "data" / "star";
    fs::create_directories(star);
    std::strcpy(window.settings.rootPath, (config.root.string() + "/data/").c_str());
  }
  std::string Write(const std::string& name, const std::string& text) {
    const fs::path p = star / name;
    fs::create_directories(p.parent_path());
    ombrix_test::WriteFile(p, text);
    return p.string();
  }
  std::vector<std::string> SeriesPaths(const ombrix_data::CObjectListElem& o) {
    std::vector<std::string> paths;
    for (ombrix_data::CSeriesTreeElem* s = o.FirstSeries(); s; s = o.NextSeries(s))
      paths.push_back(static_cast<ombrix_data::CLocalSeriesTreeElem*>(s)->absolutePath);
    return paths;
  }
  // Answers the scan dialog with the object's folder and these patterns.
  void AnswerScanDialog(const std::string& names, const std::string& key = "") {
    const std::string folder = star.string();
    dialogs.AnswerOK([=](vwin::COKCancelDialog& d) {
      auto& scan = static_cast<CScanFilesDialog&>(d);
      scan.folder.SetText(folder.c_str());
      scan.names.SetText(names.c_str());
      scan.key.SetText(key.c_str());
    });
  }
  // Lines, colours and ticks of the confirmation list as the user sees it;
  // `untick` lines are unticked before OK.
  void AnswerConfirmation(std::vector<std::string>& shown, std::vector<std::uint32_t>& colours,
                          std::vector<int> untick = {}) {
    dialogs.AnswerOK([&shown, &colours, untick](vwin::COKCancelDialog& d) {
      auto& list = static_cast<CShowFilesDialog&>(d).list;
      for (int i = 0; i < list.Count(); ++i) {
        shown.push_back(list.ItemText(i) + (list.IsItemChecked(i) ? " [x]" : " [ ]"));
        colours.push_back(list.ItemColor(i));
      }
      for (int i : untick) list.SetItemChecked(i, false);
    });
  }

  fs::path star;
};

TEST_F(BulkCommandsTest, ScanAddsKeepsAndRemovesWithTheUsersTicks) {
  const std::string a = Write("a.txt", SeriesText("2459000.1"));
  const std::string b = Write("b.txt", SeriesText("2459001.1"));
  Write("skip.dat", SeriesText("2459002.1"));
  Write(".hidden/c.txt", SeriesText("2459003.1"));
  ombrix_data::CObjectListElem* object = AddObject("V1 Cyg");
  window.pane.FieldReplaced();

  AnswerScanDialog("*.txt");
  std::vector<std::string> shown;
  std::vector<std::uint32_t> colours;
  AnswerConfirmation(shown, colours);
  window.Command(cmScanSeries);
  EXPECT_EQ(dialogs.Transcript(),
            "[dialog] (Re)scan folders for light curve files\nRoot folder:\nFile name(s):\nFolder name key:\n"
            "[dialog] Confirm series file update\n");
  EXPECT_EQ(shown, (std::vector<std::string>{"Add " + a + " [x]", "Add " + b + " [x]"}));
  EXPECT_EQ(colours, (std::vector<std::uint32_t>{0xFF007F00, 0xFF007F00}));
  EXPECT_EQ(SeriesPaths(*object), (std::vector<std::string>{a, b}));
  EXPECT_STREQ(object->fileNames, "*.txt");
  EXPECT_TRUE(window.modified);
  EXPECT_EQ(window.pane.series.list.Count(), 2);

  // b's file is gone: "Remove" (red) first, then "Keep" (black); unticking
  // the "Remove" keeps the series, unticking the "Keep" removes a.
  fs::remove(b);
  dialogs.Clear();
  AnswerScanDialog("*.txt");
  shown.clear();
  colours.clear();
  AnswerConfirmation(shown, colours, {0, 1});
  window.Command(cmScanSeries);
  EXPECT_EQ(shown, (std::vector<std::string>{"Remove " + b + " [x]", "Keep " + a + " [x]"}));
  EXPECT_EQ(colours, (std::vector<std::uint32_t>{0xFF00007F, 0xFF000000}));
  EXPECT_EQ(SeriesPaths(*object), (std::vector<std::string>{b}));

  // Cancel in the confirmation changes no series.
  dialogs.Clear();
  AnswerScanDialog("*.txt");
  dialogs.AnswerCancel();
  window.Command(cmScanSeries);
  EXPECT_EQ(SeriesPaths(*object), (std::vector<std::string>{b}));
}

TEST_F(BulkCommandsTest, SelectAllButtonsAndFolderKeyAndInheritedSettings) {
  Write("night1/a.txt", SeriesText("2459000.1"));
  const std::string keyed = Write("V2/b.txt", SeriesText("2459001.1"));
  ombrix_data::CObjectListElem* first = AddObject("V1 Cyg");
  ombrix_data::CObjectListElem* second = AddObject("V2 Cyg");
  window.pane.FieldReplaced();
  AnswerScanDialog("*.txt", "V2");
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& confirm = static_cast<CShowFilesDialog&>(d);
    confirm.deselectAll.Press();
    EXPECT_FALSE(confirm.list.IsItemChecked(0));
    confirm.selectAll.Press();
  });
  window.Command(cmScanSeries);
  EXPECT_EQ(SeriesPaths(*first), (std::vector<std::string>{keyed}));

  // The next object has no settings of its own: the dialog offers the first
  // object's, and they stay with it even when the user cancels.
  window.pane.SelectObject(1);
  dialogs.Clear();
  std::string offered;
  dialogs.AnswerOK([&offered](vwin::COKCancelDialog& d) {
    auto& scan = static_cast<CScanFilesDialog&>(d);
    offered = scan.folder.Text() + "|" + scan.names.Text() + "|" + scan.key.Text();
  });
  dialogs.AnswerCancel();
  window.Command(cmScanSeries);
  EXPECT_EQ(offered, star.string() + "|*.txt|V2");
  EXPECT_STREQ(second->dirKey, "V2");
  EXPECT_EQ(second->FirstSeries(), nullptr);
}

TEST_F(BulkCommandsTest, WholeFieldScanAsksFirstAndScansEveryObject) {
  const std::string a = Write("a.txt", SeriesText("2459000.1"));
  ombrix_data::CObjectListElem* object = AddObject("V1 Cyg");
  ombrix_data::SetScanSettings(*object, star.c_str(), "*.txt", "", window.LoadContext().folders);
  window.pane.FieldReplaced();
  dialogs.AnswerButton(vdlg::mrCancel);
  window.Command(cmScanField);
  EXPECT_EQ(dialogs.Transcript(),
            "[message] (Re)Scan Entire Field\nSeries lists will be updated for all objects within the field.\n"
            "+ All newly found series will be automatically added.\n"
            "- All series not found on disk will be automatically removed.\n");
  EXPECT_EQ(object->FirstSeries(), nullptr);

  dialogs.AnswerButton(vdlg::mrOK);
  window.Command(cmScanField);
  EXPECT_EQ(SeriesPaths(*object), (std::vector<std::string>{a}));
  EXPECT_EQ(window.pane.series.list.Count(), 1);
  EXPECT_FALSE(window.statusBar.IsProgressShown());
  EXPECT_TRUE(window.modified);
}

TEST_F(BulkCommandsTest, AlternateNamesFromAFile) {
  AddObject("V1");
  AddObject("V12");
  window.pane.FieldReplaced();
  const std::string list = Write("names.txt", "V12 Lyr second\nstar V1\tfirst one  \n\nV1 never\n");
  dialogs.AnswerFile(list);
  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmLoadAlternateNames);
  EXPECT_EQ(dialogs.Shown().at(0).caption, "Load Alternate Names");
  EXPECT_EQ(dialogs.Shown().at(0).filters,
            (std::vector<std::string>{"*.txt|TXT Files (*.txt)", "*.*|All Files (*.*)"}));
  EXPECT_EQ(dialogs.Shown().at(1).lines,
            (std::vector<std::string>{"Alternate names of individual objects will be replaced",
                                      "with names following the object name in the loaded file.",
                                      "Do you want to continue?"}));
  EXPECT_STREQ(Field().First()->altName, "first one");
  EXPECT_STREQ(ombrix_data::CField::Next(Field().First())->altName, "Lyr second");
  EXPECT_EQ(ObjectListTexts().at(0).find("first one") != std::string::npos, true);
  EXPECT_STREQ(window.settings.lastOpenPath, star.c_str());

  dialogs.Clear();
  dialogs.AnswerFile((star / "missing.txt").string());
  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmLoadAlternateNames);
  EXPECT_NE(dialogs.Transcript().find("Failed loading alternate names"), std::string::npos) << dialogs.Transcript();
}

TEST_F(BulkCommandsTest, SelectSeriesByFilterTicksAndCounts) {
  ombrix_data::CObjectListElem* object = AddObject("V1 Cyg");
  ombrix_data::CSeriesTreeElem* v1 = AddSeries(object, 2459000.1, "V");
  ombrix_data::CSeriesTreeElem* r = AddSeries(object, 2459001.1, "R");
  ombrix_data::CSeriesTreeElem* v2 = AddSeries(object, 2459002.1, "V");
  window.pane.FieldReplaced();
  std::vector<std::string> lines;
  dialogs.AnswerOK([&lines](vwin::COKCancelDialog& d) {
    auto& select = static_cast<CSelectSeriesByDialog&>(d);
    for (int i = 0; i < select.list.Count(); ++i) lines.push_back(select.list.ItemText(i));
    select.list.SetItemChecked(0, false);
  });
  window.Command(cmSelectSeriesByFilter);
  EXPECT_EQ(dialogs.Shown().at(0).caption, "Select Series by Filters");
  EXPECT_EQ(lines, (std::vector<std::string>{"V (2 series)", "R (1 series)"}));
  EXPECT_FALSE(v1->enabled);
  EXPECT_TRUE(r->enabled);
  EXPECT_FALSE(v2->enabled);
  EXPECT_TRUE(window.modified);

  dialogs.Clear();
  dialogs.AnswerOK();
  window.Command(cmSelectSeriesByContributor);
  EXPECT_EQ(dialogs.Shown().at(0).caption, "Select Series by Contributors");
  EXPECT_TRUE(v1->enabled && r->enabled && v2->enabled);
}

TEST_F(BulkCommandsTest, LevellingAsksAndLevelsToTheSelectedSeries) {
  ombrix_data::CObjectListElem* object = AddObject("V1 Cyg");
  ombrix_data::CSeriesTreeElem* first = AddSeries(object, 2459000.1);  // 12.0, 12.5
  auto* second = new ombrix_data::CLocalSeriesTreeElem;
  for (double v : {13.0, 13.2, 13.4, 13.6}) second->InsertPoint({2459001.1 + v / 100, v, 0.01});
  ASSERT_TRUE(object->InsertSeries(second));
  window.pane.FieldReplaced();
  window.pane.SelectSeries(1);

  dialogs.AnswerButton(vdlg::mrNo);
  window.Command(cmLevelByMedian);
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Level series offsets\nOffsets of selected object series\nwill be leveled.\n"
            "Do you want to continue?\n");
  EXPECT_EQ(first->offset, 0.0);

  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmLevelByMedian);
  EXPECT_DOUBLE_EQ(second->offset, 0.0);
  EXPECT_DOUBLE_EQ(first->offset, 13.4 - 12.5);  // median of four: the third smallest
  EXPECT_TRUE(window.modified);
}

TEST_F(BulkCommandsTest, FieldStatisticsMessage) {
  ombrix_data::CObjectListElem* object = AddObject("V1 Cyg");
  AddSeries(object, 2459000.1);
  AddSeries(object, 2459000.4);
  window.pane.FieldReplaced();
  window.Command(cmStatisticsAll);
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].kind, vdlg::dkParagraphBox);
  EXPECT_EQ(dialogs.Shown()[0].caption, "Statistics of Field");
  EXPECT_EQ(dialogs.Shown()[0].lines.at(0),
            "Field contains:\r\n   1 objects\r\n   2 series\r\n   0 minima\r\n   4 points\r\n   1 nights\r\n"
            "   10 obs. hours");
}

// ------------------------------------------------------------ notes

class NotesTabTest : public PaneTest {
 protected:
  lectern::CTextView& Notes() { return window.pane.notesPage; }
  void Type(const std::string& text) {
    Notes().SetLineIndex(Notes().LineCount() - 1, Notes().LineLength(Notes().LineCount() - 1));
    for (char c : text) Notes().TypeChar(static_cast<unsigned char>(c));
  }
};

TEST_F(NotesTabTest, PendingNotesGoBackToTheirObject) {
  ombrix_data::CObjectListElem* first = AddObject("V1 Cyg");
  ombrix_data::CObjectListElem* second = AddObject("V2 Cyg");
  vdstr::CopyStrToDStrA(first->notes, 64, "line one\r\nline two\r\n");
  window.pane.FieldReplaced();
  EXPECT_EQ(Notes().Text(), "line one\r\nline two\r\n");
  EXPECT_FALSE(window.IsModified());

  Type("three");
  EXPECT_TRUE(window.IsModified());
  EXPECT_FALSE(window.modified);  // only the notes are edited so far
  ASSERT_TRUE(window.pane.SelectObject(1));
  EXPECT_EQ(std::string(first->notes->chars(), first->notes->length), "line one\r\nline two\r\nthree");
  EXPECT_TRUE(window.modified);
  EXPECT_EQ(Notes().Text(), "");
  EXPECT_FALSE(Notes().CanUndo());  // the other object's edits are not undoable here

  // Undo of typing, then an emptied text removes the notes.
  Type("x");
  EXPECT_TRUE(Notes().Undo());
  EXPECT_EQ(Notes().Text(), "");
  ASSERT_TRUE(window.pane.SelectObject(0));
  EXPECT_EQ(second->notes, nullptr);
  Notes().SelectAll();
  Notes().DeleteSelection();
  window.pane.StoreNotes();
  EXPECT_TRUE(first->notes == nullptr || first->notes->length == 0);
}

TEST_F(NotesTabTest, ClosingWithOnlyNotesEditedAsksAndSaveStoresThemFirst) {
  ombrix_data::CObjectListElem* object = AddObject("V1 Cyg");
  window.pane.FieldReplaced();
  Type("seen at minimum");
  dialogs.AnswerButton(vdlg::mrNo);
  EXPECT_FALSE(window.CanClose());
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Field Description Modified\nClosing of the OMBRIX window\n"
            "will discard changes of the Field Description.\nDo you want to close the OMBRIX window?\n");

  const std::string path = (config.root / "notes.ofd").string();
  dialogs.AnswerFile(path);
  window.Command(cmSaveFieldAs);
  ASSERT_NE(object->notes, nullptr);
  EXPECT_EQ(std::string(object->notes->chars(), object->notes->length), "seen at minimum");
  EXPECT_FALSE(window.IsModified());
  std::ifstream saved(path);
  const std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("seen at minimum"), std::string::npos);
}

TEST_F(NotesTabTest, NotesTypedThenAnotherObjectSelectedSurviveSaveAndLoad) {
  AddObject("V1 Cyg");
  AddObject("V2 Cyg");
  window.pane.FieldReplaced();
  Type("first line");
  Notes().HandleKey(vcore::vkReturn, 0);
  Type("second \"quoted\" line");
  ASSERT_TRUE(window.pane.SelectObject(1));

  const std::string path = (config.root / "notes.ofd").string();
  dialogs.AnswerFile(path);
  window.Command(cmSaveFieldAs);
  window.Command(cmNewField);
  dialogs.AnswerFile(path);
  window.Command(cmLoadField);
  ASSERT_EQ(Field().Count(), 2u) << dialogs.Transcript();
  EXPECT_EQ(Notes().Text(), "first line\r\nsecond \"quoted\" line\r\n");
  ASSERT_TRUE(window.pane.SelectObject(1));
  EXPECT_EQ(Notes().Text(), "");
}

}  // namespace
