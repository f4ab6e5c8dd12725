// The root-folder and filter-table dialogs and the model's dialog user IO,
// answered by the scripted dialog driver.
#include "ombrix_app/shell_dialogs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ombrix_app/dialog_user_io.h"

using namespace ombrix_app;

namespace {

class ShellDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view::EnsureApplication();
    filters.Init();
  }
  void TearDown() override { filters.Done(); }

  std::vector<std::string> Items(vwin::COKCancelDialog& d) {
    auto& list = static_cast<CFilterEditDialog&>(d).list;
    std::vector<std::string> items;
    for (int i = 0; i < list.Count(); ++i) items.push_back(list.ItemText(i));
    return items;
  }

  vdlg::CScriptedDialogs dialogs;
  ombrix_data::CFilterTable filters;
};

TEST_F(ShellDialogsTest, RootFolderDialogExplainsAndBrowses) {
  char root[kPathHigh + 1] = "/old/root";
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) { static_cast<CRootPathDialog&>(d).browse.Press(); });
  dialogs.AnswerFile("/data/light curves");
  ASSERT_TRUE(EditRootPath(root));
  EXPECT_STREQ(root, "/data/light curves");
  EXPECT_EQ(dialogs.Transcript(),
            "[dialog] Root directory for Relative Paths\n"
            "Choose a directory, from which series files will be searched using Relative Paths.\n"
            "Relative Path is used if the series file is not found on stored Absolute Path.\n"
            "If the Root directory path remains empty, path relative to \"Ombrix.exe\" is be used.\n"
            "[folder] Choose root directory\nChoose the root directory of light curve data.\n");
  EXPECT_EQ(dialogs.Shown()[1].path, "/old/root");  // the chooser starts at the current folder

  // Cancel keeps the folder; an emptied box clears it.
  dialogs.AnswerCancel();
  EXPECT_FALSE(EditRootPath(root));
  EXPECT_STREQ(root, "/data/light curves");
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) { static_cast<CRootPathDialog&>(d).path.SetText(""); });
  EXPECT_TRUE(EditRootPath(root));
  EXPECT_STREQ(root, "");
}

TEST_F(ShellDialogsTest, FiltersAreAddedEditedAndDeleted) {
  filters.Add("V", 0xFF00C000u);
  filters.Add("B", 0xFFFF0000u);
  auto define = [](const char* name, const char* colour) {
    return [=](vwin::COKCancelDialog& d) {
      auto& f = static_cast<CFilterDefineDialog&>(d);
      f.name.SetText(name);
      f.colour.SetText(colour);
    };
  };
  dialogs.AnswerOK([&](vwin::COKCancelDialog& d) {
    auto& edit = static_cast<CFilterEditDialog&>(d);
    EXPECT_EQ(Items(d), (std::vector<std::string>{"B = FFFF0000", "V = FF00C000"}));
    edit.addButton.Press();   // adds " Rc " as "Rc"
    edit.list.SetSelection(2);  // "V"
    edit.editButton.Press();  // renames V to v (its own name differs only in case)
    edit.list.SetSelection(0);
    edit.deleteButton.Press();  // removes "B"
  });
  dialogs.AnswerOK(define(" Rc ", "ff0050ff"));
  dialogs.AnswerOK(define("v", "zz"));
  ASSERT_TRUE(EditFilterTable(filters));
  EXPECT_EQ(filters.Count(), 2u);
  EXPECT_EQ(filters.ColourOf("RC"), 0xFF0050FFu);
  ASSERT_NE(filters.Find("V"), nullptr);
  EXPECT_STREQ(filters.Find("V")->name, "v");
  EXPECT_EQ(filters.ColourOf("v"), 0xFF000000u);  // a colour that does not parse is black
  EXPECT_EQ(filters.Find("B"), nullptr);
  EXPECT_EQ(dialogs.Transcript(),
            "[dialog] Edit filter name and color assignments\n"
            "[dialog] Define filter name and color\nFilter name:\nFilter color:\n"
            "[dialog] Define filter name and color\nFilter name:\nFilter color:\n");
}

TEST_F(ShellDialogsTest, ExistingFilterNameIsRefused) {
  filters.Add("V", 0xFF00C000u);
  filters.Add("Red", 0xFF0050FFu);
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) { static_cast<CFilterEditDialog&>(d).addButton.Press(); });
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) { static_cast<CFilterDefineDialog&>(d).name.SetText("RED"); });
  dialogs.AnswerButton(vdlg::mrOK);  // "Filter exists"
  dialogs.AnswerCancel();            // gives up on the new filter
  EXPECT_TRUE(EditFilterTable(filters));
  ASSERT_EQ(dialogs.Shown().size(), 4u);
  const vdlg::TShownDialog& refused = dialogs.Shown()[2];
  EXPECT_EQ(refused.caption, "Filter exists");
  EXPECT_EQ(refused.lines, (std::vector<std::string>{"Found filter of the name:", "RED", "Choose another unique name."}));
  EXPECT_EQ(filters.Count(), 2u);
  EXPECT_STREQ(filters.Find("red")->name, "Red");

  dialogs.AnswerCancel();
  EXPECT_FALSE(EditFilterTable(filters));
}

TEST_F(ShellDialogsTest, DialogUserIOMapsButtonsIconsAndTextFields) {
  CDialogUserIO io;
  dialogs.AnswerButton(vdlg::mrNo);
  EXPECT_EQ(io.Ask({"Confirm Remove Object", {"Are you sure to remove object", "V1", "from field description?"},
                    ombrix_data::TMessageIcon::question},
                   ombrix_data::TButtons::yesNo),
            ombrix_data::TAnswer::no);
  io.ShowMessage({"Error", {"Cannot load series photometry data:", "/x", nullptr}, ombrix_data::TMessageIcon::exclamation});
  ASSERT_EQ(dialogs.Shown().size(), 2u);
  EXPECT_EQ(dialogs.Shown()[0].buttons, vdlg::mbYesNo);
  EXPECT_EQ(dialogs.Shown()[0].icon, vstock::siQuestion);
  EXPECT_EQ(dialogs.Shown()[1].icon, vstock::siRedExclamation);
  EXPECT_EQ(dialogs.Shown()[1].lines.size(), 2u);

  char name[ombrix_data::kObjectNameHigh + 1] = "V1";
  char alt[ombrix_data::kObjectNameHigh + 1] = "";
  ombrix_data::TTextField fields[2] = {{"New name:", ombrix_data::kObjectNameHigh, name},
                                       {"Alt. name:", ombrix_data::kObjectNameHigh, alt}};
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& f = static_cast<CTextFieldsDialog&>(d);
    EXPECT_EQ(f.Edit(0).Text(), "V1");
    f.Edit(1).SetText(std::string(70, 'a').c_str());  // longer than the field
  });
  ASSERT_TRUE(io.EditTexts("Rename object", fields, 2));
  EXPECT_EQ(std::string(alt, sizeof alt), std::string(64, 'a'));  // full array, no terminator
  EXPECT_STREQ(name, "V1");
  EXPECT_EQ(dialogs.Shown()[2].lines, (std::vector<std::string>{"New name:", "Alt. name:"}));
  dialogs.AnswerCancel();
  EXPECT_FALSE(io.EditTexts("Rename object", fields, 2));
}

}  // namespace
