// The scripted dialog driver: every dialog kind is answered from the queue
// and recorded word for word; unexpected dialogs get the harmless answer.
#include <gtest/gtest.h>

#include <cstring>

#include "winkit/vcont.h"
#include "winkit/vdlg.h"
#include "winkit/view.h"
#include "winkit/vwin.h"

namespace {

using vdlg::CScriptedDialogs;

TEST(ScriptedDialogs, MessageBoxesAreAnsweredAndRecordedWordForWord) {
  CScriptedDialogs script;
  script.AnswerButton(vdlg::mrYes);
  script.AnswerButton(vdlg::mrCancel);
  EXPECT_EQ(vdlg::DoMessageBox("Field Description Modified", "Do you want to save current field description",
                               "before opening a new one?", "Choosing [No] will discard current all changes.",
                               vdlg::mbYesNoCancel, vstock::siQuestion),
            vdlg::mrYes);
  EXPECT_EQ(vdlg::DoMessageBox("Error", "Cannot create file", nullptr, "", vdlg::mbOKCancel, vstock::siStop),
            vdlg::mrCancel);
  EXPECT_EQ(vdlg::DoParagraphMessageBox("About", "OMBRIX version 0.1", vdlg::mbOK, vstock::siInformation), vdlg::mrOK);

  const auto& shown = script.Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].caption, "Field Description Modified");
  EXPECT_EQ(shown[0].lines, (std::vector<std::string>{"Do you want to save current field description",
                                                      "before opening a new one?",
                                                      "Choosing [No] will discard current all changes."}));
  EXPECT_EQ(shown[0].buttons, vdlg::mbYesNoCancel);
  EXPECT_EQ(shown[0].icon, vstock::siQuestion);
  EXPECT_TRUE(shown[0].scripted);
  // Absent and empty lines are not shown.
  EXPECT_EQ(shown[1].lines, std::vector<std::string>{"Cannot create file"});
  EXPECT_EQ(shown[2].kind, vdlg::dkParagraphBox);
  EXPECT_FALSE(shown[2].scripted);
  EXPECT_EQ(script.Transcript(),
            "[message] Field Description Modified\nDo you want to save current field description\n"
            "before opening a new one?\nChoosing [No] will discard current all changes.\n"
            "[message] Error\nCannot create file\n[paragraph] About\nOMBRIX version 0.1\n");
}

TEST(ScriptedDialogs, UnexpectedMessageBoxesGetTheButtonThatChangesNothing) {
  struct Case {
    vdlg::TButtons buttons;
    int answer;
  } cases[] = {{vdlg::mbOK, vdlg::mrOK},
               {vdlg::mbOKCancel, vdlg::mrCancel},
               {vdlg::mbYesNo, vdlg::mrNo},
               {vdlg::mbYesNoCancel, vdlg::mrCancel}};
  for (const Case& c : cases) {
    CScriptedDialogs script;
    EXPECT_EQ(vdlg::DoMessageBox("c", "l", nullptr, nullptr, c.buttons, vstock::siRedExclamation), c.answer);
    EXPECT_FALSE(script.Shown().at(0).scripted);
  }
}

TEST(ScriptedDialogs, FileAndFolderChoosers) {
  CScriptedDialogs script;
  const vdlg::TFileFilter filters[] = {{"*.ofd", "OFD Ombrix v2+ files"}, {"*.*", "All Files (*.*)"}};
  char path[260] = "/home/obs/fields";
  script.AnswerFile("/home/obs/fields/a.ofd", 0);
  int filter = -1;
  ASSERT_TRUE(vdlg::GetInFileName("Load Field", 259, path, filters, 2, &filter));
  EXPECT_STREQ(path, "/home/obs/fields/a.ofd");
  EXPECT_EQ(filter, 0);

  script.AnswerCancel();
  EXPECT_FALSE(vdlg::GetOutFileName("Save", 259, path, filters, 2));
  EXPECT_STREQ(path, "/home/obs/fields/a.ofd");  // untouched on cancel

  script.AnswerFile("/data/lc");
  char dir[260] = "";
  ASSERT_TRUE(vdlg::GetDirName("Choose root directory", "Choose the root directory of light curve data.", 259, dir));
  EXPECT_STREQ(dir, "/data/lc");

  // A chosen path longer than the buffer is refused, not cut.
  char small[8] = "x";
  script.AnswerFile("/a/much/longer/path.txt");
  EXPECT_FALSE(vdlg::GetInFileName("t", 7, small, filters, 1));
  EXPECT_STREQ(small, "x");

  const auto& shown = script.Shown();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].kind, vdlg::dkInFile);
  EXPECT_EQ(shown[0].path, "/home/obs/fields");
  EXPECT_EQ(shown[0].filters, (std::vector<std::string>{"*.ofd|OFD Ombrix v2+ files", "*.*|All Files (*.*)"}));
  EXPECT_EQ(shown[1].kind, vdlg::dkOutFile);
  EXPECT_EQ(shown[1].answer, vdlg::mrCancel);
  EXPECT_EQ(shown[2].lines, std::vector<std::string>{"Choose the root directory of light curve data."});
}

// A dialog that refuses OK while its box is empty, as a name dialog would.
class NameDialog : public vwin::COKCancelDialog {
 public:
  void CreateInterior() override {
    label.Init(this, vcom::CRect(8, 8, 200, 20), "Filter name:");
    name.Init(this, vcom::CRect(8, 32, 200, 24), 1, "");
  }
  bool CanOK() override {
    ++okAsked;
    return !name.Text().empty();
  }
  vcont::CStaticText label;
  vcont::CEditBox name;
  int okAsked = 0;
};

TEST(ScriptedDialogs, OKCancelDialogsAreFilledAndMayRefuseOK) {
  view::EnsureApplication();
  CScriptedDialogs script;
  NameDialog dlg;
  ASSERT_TRUE(dlg.Init("Define filter name and color", 220, 64));

  script.AnswerOK();  // empty name: refused, the dialog stays for the next answer
  script.AnswerOK([](vwin::COKCancelDialog& d) { static_cast<NameDialog&>(d).name.SetText("V"); });
  EXPECT_TRUE(dlg.Exec());
  EXPECT_EQ(dlg.name.Text(), "V");
  EXPECT_EQ(dlg.okAsked, 2);

  EXPECT_FALSE(dlg.Exec());  // nothing queued: Cancel
  const auto& shown = script.Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].kind, vdlg::dkOKCancel);
  EXPECT_EQ(shown[0].caption, "Define filter name and color");
  EXPECT_EQ(shown[0].lines, std::vector<std::string>{"Filter name:"});
  EXPECT_FALSE(shown[2].scripted);
}

TEST(ScriptedDialogs, PopUpMenusAnswerEnabledItemsOnly) {
  view::EnsureApplication();
  CScriptedDialogs script;
  view::CPopUpMenu menu;
  menu.InitItems("Chart");
  menu.AddItem("Zoom in", 4000);
  menu.AddLine();
  menu.AddItem("Clear zoom", 4002);
  menu.Disable(4002);
  script.AnswerMenu(4000);
  script.AnswerMenu(4002);
  EXPECT_EQ(menu.Track(nullptr, 0, 0), 4000u);
  EXPECT_EQ(menu.Track(nullptr, 0, 0), 0u);
  EXPECT_EQ(script.Shown().at(0).lines, (std::vector<std::string>{"Zoom in", "Clear zoom"}));
}

TEST(ScriptedDialogs, DriversNestAndRestoreTheOuterOne) {
  CScriptedDialogs outer;
  {
    CScriptedDialogs inner;
    EXPECT_EQ(CScriptedDialogs::Active(), &inner);
    vdlg::DoMessageBox("inner", nullptr, nullptr, nullptr, vdlg::mbOK, vstock::siNone);
  }
  EXPECT_EQ(CScriptedDialogs::Active(), &outer);
  EXPECT_TRUE(outer.Shown().empty());
}

}  // namespace
