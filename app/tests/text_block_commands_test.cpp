#include <gtest/gtest.h>

#include <corekit/clipboard.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ombrix_app/pane.h"
#include "pane_fixture.h"

using namespace ombrix_app;
using Texts = std::vector<std::string>;

namespace {

class TextBlockTest : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    vcom::SetClipboardProvider(&clipboard);
    folder = config.root / "blocks";
    std::filesystem::create_directories(folder / "other");
    std::strcpy(window.settings.lastFitAndOffsetPath, folder.c_str());
    a = AddObject("A");
    b = AddObject("B");
    window.pane.FieldReplaced();
  }
  void TearDown() override {
    vcom::SetClipboardProvider(nullptr);
    PaneTest::TearDown();
  }
  std::string File(const char* name) const { return (folder / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // Caption and lines of the dialogs shown, one vector each.
  std::vector<Texts> ShownTexts() const {
    std::vector<Texts> all;
    for (const vdlg::TShownDialog& d : dialogs.Shown()) {
      Texts t{d.caption};
      t.insert(t.end(), d.lines.begin(), d.lines.end());
      all.push_back(t);
    }
    return all;
  }

  vcom::CMemoryClipboard clipboard;
  std::filesystem::path folder;
  ombrix_data::CObjectListElem* a = nullptr;
  ombrix_data::CObjectListElem* b = nullptr;
};

const Texts kTextFilters{"*.txt|TXT Files (*.txt)", "*.*|All Files (*.*)"};
const Texts kFitConfirm{"Load fit parameters", "Fit parameters of selected object",
                        "will be replaced from chosen file.", "Do you want to continue?"};
const Texts kOffsetsConfirm{"Load series offsets", "Offsets of selected object series",
                            "will be replaced from chosen file.", "Do you want to continue?"};

// Each dialog starts in the folder of the last block file; the setting keeps
// the folder of the chosen file, not the file.
TEST_F(TextBlockTest, SaveCommandsShowTheirFileDialogAndStoreTheFolder) {
  AddSeries(a, 2459001.0);
  window.pane.RefreshSeriesList();
  struct TCase {
    std::uint32_t command;
    const char* title;
    const char* file;
    const char* keyword;
  };
  const TCase cases[] = {
      {cmSaveFit, "Save fit parameters", "fit.txt", "OmbrixFitParameters\r\n"},
      {cmSaveObjectData, "Save object data", "object.txt", "OmbrixObjectData\r\n"},
      {cmSaveOffsets, "Save series offsets", "other/offsets.txt",
       "OmbrixSeriesOffsets\r\n2459001 = 0\r\n"},
  };
  std::string start = folder.string();
  for (const TCase& c : cases) {
    dialogs.Clear();
    dialogs.AnswerFile(File(c.file));
    window.Command(c.command);
    ASSERT_EQ(dialogs.Shown().size(), 1u) << c.title;
    const vdlg::TShownDialog& d = dialogs.Shown()[0];
    EXPECT_EQ(d.kind, vdlg::dkOutFile);
    EXPECT_EQ(d.caption, c.title);
    EXPECT_EQ(d.filters, kTextFilters);
    EXPECT_EQ(d.path, start);
    EXPECT_EQ(Read(File(c.file)).rfind(c.keyword, 0), 0u) << Read(File(c.file));
    start = std::filesystem::path(File(c.file)).parent_path().string();
    EXPECT_EQ(window.settings.lastFitAndOffsetPath, start);
  }

  // Cancel writes nothing and keeps the setting.
  dialogs.Clear();
  dialogs.AnswerCancel();
  window.Command(cmSaveFit);
  EXPECT_EQ(window.settings.lastFitAndOffsetPath, (folder / "other").string());
  EXPECT_FALSE(window.IsModified());
}

TEST_F(TextBlockTest, LoadFitAsksBeforeReplacing) {
  a->fit.value[0] = 10.5;
  dialogs.AnswerFile(File("fit.txt"));
  window.Command(cmSaveFit);
  a->fit.value[0] = 0.0;

  // No: the object keeps its parameters and the field is unchanged.
  dialogs.Clear();
  dialogs.AnswerFile(File("fit.txt"));
  dialogs.AnswerButton(vdlg::mrNo);
  window.Command(cmLoadFit);
  ASSERT_EQ(dialogs.Shown().size(), 2u);
  EXPECT_EQ(dialogs.Shown()[0].kind, vdlg::dkInFile);
  EXPECT_EQ(dialogs.Shown()[0].caption, "Load fit parameters");
  EXPECT_EQ(dialogs.Shown()[0].filters, kTextFilters);
  EXPECT_EQ(ShownTexts()[1], kFitConfirm);
  EXPECT_EQ(dialogs.Shown()[1].buttons, vdlg::mbYesNo);
  EXPECT_EQ(a->fit.value[0], 0.0);
  EXPECT_FALSE(a->fitPresent);
  EXPECT_FALSE(window.IsModified());

  dialogs.AnswerFile(File("fit.txt"));
  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmLoadFit);
  EXPECT_EQ(a->fit.value[0], 10.5);
  EXPECT_TRUE(a->fitPresent);
  EXPECT_TRUE(window.IsModified());
}

TEST_F(TextBlockTest, LoadFailuresLeaveTheObjectAlone) {
  std::ofstream(File("wrong.txt")) << "OmbrixSeriesOffsets\r\n";
  dialogs.AnswerFile(File("wrong.txt"));
  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmLoadFit);
  EXPECT_EQ(ShownTexts().back(), (Texts{"Failed loading fit parameters", "File does not start with required keyword:",
                                        "OmbrixFitParameters"}));
  EXPECT_EQ(dialogs.Shown().back().icon, vstock::siStop);
  EXPECT_FALSE(a->fitPresent);
  EXPECT_FALSE(window.IsModified());
}

TEST_F(TextBlockTest, CopyAndPasteFitBetweenObjects) {
  for (int i = 0; i < 16; ++i) a->fit.value[i] = 0.25 * i;
  window.Command(cmCopyFit);
  window.pane.SelectObject(1);
  window.Command(cmPasteFit);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(b->fit.value[i], a->fit.value[i]) << i;
  EXPECT_TRUE(b->fitPresent);
  EXPECT_TRUE(dialogs.Shown().empty());
  EXPECT_TRUE(window.IsModified());
}

TEST_F(TextBlockTest, PasteWithoutClipboardTextSaysSo) {
  window.Command(cmPasteObjectData);
  EXPECT_EQ(ShownTexts(), (std::vector<Texts>{{"Failed pasting fit paremeters", "No text in clipboard"}}));
  EXPECT_EQ(dialogs.Shown().back().icon, vstock::siStop);
  EXPECT_FALSE(window.IsModified());
}

TEST_F(TextBlockTest, ObjectDataRenamesTheLabel) {
  std::strcpy(b->altName, "GSC 7");
  std::strcpy(b->variabilityType, "EW (W UMa)");
  window.pane.FieldReplaced();
  window.pane.SelectObject(1);
  dialogs.AnswerFile(File("object.txt"));
  window.Command(cmSaveObjectData);
  window.pane.SelectObject(0);

  dialogs.Clear();
  dialogs.AnswerFile(File("object.txt"));
  dialogs.AnswerButton(vdlg::mrNo);
  window.Command(cmLoadObjectData);
  EXPECT_EQ(dialogs.Shown()[0].caption, "Load object data");
  EXPECT_EQ(ShownTexts()[1], kFitConfirm);
  EXPECT_EQ(ObjectListTexts(), (Texts{"A", "B | GSC 7"}));

  dialogs.AnswerFile(File("object.txt"));
  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmLoadObjectData);
  EXPECT_EQ(ObjectListTexts(), (Texts{"B | GSC 7", "B | GSC 7"}));
  EXPECT_EQ(window.variabilityTypes.Text(), "EW (W UMa)");
  EXPECT_TRUE(window.IsModified());
}

TEST_F(TextBlockTest, OffsetCommands) {
  // Without series not even a dialog opens.
  for (std::uint32_t c : {cmSaveOffsets, cmLoadOffsets, cmCopyOffsets, cmPasteOffsets}) window.Command(c);
  EXPECT_TRUE(dialogs.Shown().empty());

  auto* first = AddSeries(a, 2459001.2);
  auto* second = AddSeries(a, 2459001.6);  // the same integer day: one key
  auto* third = AddSeries(a, 2459003.0);
  window.pane.RefreshSeriesList();
  std::ofstream(File("offsets.txt")) << "OmbrixSeriesOffsets\r\n2459001 = 0.5\r\n2459003 = -0.25\r\n";

  dialogs.AnswerFile(File("offsets.txt"));
  dialogs.AnswerButton(vdlg::mrNo);
  window.Command(cmLoadOffsets);
  EXPECT_EQ(dialogs.Shown()[0].caption, "Load series offsets");
  EXPECT_EQ(ShownTexts()[1], kOffsetsConfirm);
  EXPECT_EQ(first->offset, 0.0);
  EXPECT_FALSE(window.IsModified());

  dialogs.AnswerFile(File("offsets.txt"));
  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmLoadOffsets);
  EXPECT_EQ(first->offset, 0.5);
  EXPECT_EQ(second->offset, 0.0);
  EXPECT_EQ(third->offset, -0.25);
  EXPECT_TRUE(window.IsModified());

  // Copy, change, paste back.
  window.Command(cmCopyOffsets);
  third->offset = 1.0;
  window.Command(cmPasteOffsets);
  EXPECT_EQ(third->offset, -0.25);
}

}  // namespace
