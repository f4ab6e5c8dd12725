// A built main window with a private config folder and the scripted dialog
// driver, and helpers that put objects and series into the pane's field.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>
#include <string>
#include <vector>

#include "ombrix_app/ombrix.h"
#include <ombrix_testsupport/temp_folder.h>

// A row of a list as the user sees it: the enabled mark of series and
// minima ("[x] " or "[ ] ") in front of the text.
inline const std::string kOnMark = "[x] ";
inline const std::string kOffMark = "[ ] ";
inline std::string Row(const vcont::CListBox& list, int i) {
  const int tag = list.ItemIconTag(i);
  return (tag == ombrix_app::riEnabled ? kOnMark : tag == ombrix_app::riDisabled ? kOffMark : "") + list.ItemText(i);
}

class PaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    background.Init("OMBRIX");
    ASSERT_TRUE(window.Build());
    background.RegisterWindow(&window);
    Pump();
  }
  void TearDown() override {
    if (window.IsInitialized()) window.Done();
    Pump();
    background.Done();
  }
  static void Pump() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }

  ombrix_data::CField& Field() { return window.pane.field; }

  // Appends an object with a name and manually entered coordinates.
  ombrix_data::CObjectListElem* AddObject(const char* name, double ra = ombrix_data::kUnknownRA,
                                          double dec = ombrix_data::kUnknownDec) {
    auto* o = new ombrix_data::CObjectListElem;
    std::strncpy(o->name, name, sizeof o->name - 1);
    o->metaDataSource = ombrix_data::mdsManualEntry;
    o->metaData.var.ra = ra;
    o->metaData.var.dec = dec;
    Field().Append(o);
    return o;
  }
  // Gives an object a local series of two points starting at `jd`.
  static ombrix_data::CSeriesTreeElem* AddSeries(ombrix_data::CObjectListElem* o, double jd,
                                                 const char* filter = "") {
    auto* s = new ombrix_data::CLocalSeriesTreeElem;
    s->InsertPoint({jd, 12.0, 0.01});
    s->InsertPoint({jd + 0.1, 12.5, 0.01});
    std::strncpy(s->fieldMetaData.filter, filter, sizeof s->fieldMetaData.filter - 1);
    EXPECT_TRUE(o->InsertSeries(s));
    return s;
  }

  std::vector<std::string> ObjectListTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < window.pane.objects.list.Count(); ++i) texts.push_back(window.pane.objects.list.ItemText(i));
    return texts;
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (auto* o = Field().First(); o; o = ombrix_data::CField::Next(o)) names.emplace_back(o->name);
    return names;
  }
  // The last dialog shown, as caption followed by its lines.
  std::vector<std::string> LastDialog() const {
    if (dialogs.Shown().empty()) return {};
    const vdlg::TShownDialog& d = dialogs.Shown().back();
    std::vector<std::string> texts{d.caption};
    texts.insert(texts.end(), d.lines.begin(), d.lines.end());
    return texts;
  }
  // Answers the next name dialog with OK and these texts.
  void AnswerNames(const char* name, const char* altName) {
    dialogs.AnswerOK([=](vwin::COKCancelDialog& d) {
      auto& fields = static_cast<ombrix_app::CTextFieldsDialog&>(d);
      fields.Edit(0).SetText(name);
      fields.Edit(1).SetText(altName);
    });
  }

  ombrix_test::CTempConfig config;
  vdlg::CScriptedDialogs dialogs;
  view::CBackground background;
  ombrix_app::COmbrix window;
};
