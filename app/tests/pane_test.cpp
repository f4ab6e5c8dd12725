#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QWidget>

#include "ombrix_app/commands.h"
#include "pane_fixture.h"

using namespace ombrix_app;
using Texts = std::vector<std::string>;

namespace {

const std::string kOn = kOnMark;
const std::string kOff = kOffMark;

TEST_F(PaneTest, ColumnsTabsAndSplitters) {
  COmbrixPane& pane = window.pane;
  ASSERT_EQ(pane.tabs.PageCount(), 12);
  Texts labels;
  for (int i = 0; i < pane.tabs.PageCount(); ++i) labels.push_back(pane.tabs.PageLabel(i));
  EXPECT_EQ(labels, (Texts{"Time Series", "Compressed Series", "Phased Curve", "Phased Curve Fit", "Minimum Mirror",
                           "Minimum Fit", "ETV Diagram", "Image", "Meta-Data", "Notes", "Prediction", "Table"}));
  EXPECT_EQ(pane.objects.hint.Text(), "<F3>Prev <F4>Next");
  EXPECT_EQ(pane.series.hint.Text(), "<F5>Prev <F6>Next");

  // First start: the stored widths, the minima column hidden but keeping its width.
  TSettings stored = window.settings;
  pane.StoreSplitters(stored);
  const int s = vcore::ScaleH(6);
  EXPECT_EQ(stored.splitter1, 80 + s);
  EXPECT_EQ(stored.splitter2, 160 + s);
  EXPECT_EQ(stored.splitter3, 80 + s);
  EXPECT_FALSE(pane.IsMinimaListShown());

  // "List of minima" shows and hides the column.
  window.Command(cmMinimaList);
  EXPECT_TRUE(pane.IsMinimaListShown());
  EXPECT_GT(pane.ColumnWidth(2), 0);
  window.Command(cmMinimaList);
  EXPECT_FALSE(pane.IsMinimaListShown());
  pane.StoreSplitters(stored);
  EXPECT_GT(stored.splitter3, 0);
}

TEST_F(PaneTest, FieldReplacedShowsLabelsAndSelectsFirst) {
  auto* a = AddObject("V1234 Cyg");
  std::strcpy(a->altName, "GSC 1");
  AddSeries(a, 2459001.0, "V");      // has a colour: the filter is shown
  AddSeries(a, 2459101.0, "N");      // black: no filter name
  AddSeries(a, 2459201.0, "Weird");  // not in the table
  auto* b = AddObject("");
  std::strcpy(b->comment, "note");
  AddObject("");
  window.pane.FieldReplaced();

  EXPECT_EQ(ObjectListTexts(), (Texts{"V1234 Cyg | GSC 1", "| | note", "<unnamed>"}));
  EXPECT_EQ(window.pane.SelectedObject(), a);
  EXPECT_EQ(window.pane.objects.list.Selection(), 0);
  a->FirstSeries()->enabled = false;
  window.pane.RefreshSeriesList();
  Texts lines;
  for (int i = 0; i < window.pane.series.list.Count(); ++i) lines.push_back(Row(window.pane.series.list, i));
  EXPECT_EQ(lines, (Texts{kOff + "2020-05-31 V", kOn + "2020-09-08", kOn + "2020-12-17"}));
  EXPECT_EQ(window.pane.SeriesCount(), 3u);
  EXPECT_EQ(window.pane.EnabledSeriesCount(), 2u);
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(PaneTest, AddAndInsertObjects) {
  AddObject("A");
  AddObject("B");
  window.pane.FieldReplaced();
  window.pane.SelectObject(1);

  AnswerNames("C", "alt C");
  window.Command(cmAddObject);
  EXPECT_EQ(LastDialog(), (Texts{"Append new object", "New name:", "Alt. name:"}));
  EXPECT_EQ(Names(), (Texts{"A", "B", "C"}));
  EXPECT_STREQ(window.pane.SelectedObject()->name, "C");
  EXPECT_EQ(window.pane.objects.list.Selection(), 2);
  EXPECT_EQ(ObjectListTexts().back(), "C | alt C");
  EXPECT_TRUE(window.IsModified());

  AnswerNames("D", "");
  window.Command(cmInsertObject);
  EXPECT_EQ(LastDialog(), (Texts{"Insert new object before selected one", "New name:", "Alt. name:"}));
  EXPECT_EQ(Names(), (Texts{"A", "B", "D", "C"}));
  EXPECT_EQ(window.pane.objects.list.Selection(), 2);

  // Cancel adds nothing and keeps the selection.
  dialogs.AnswerCancel();
  window.Command(cmInsertObject);
  EXPECT_EQ(Names(), (Texts{"A", "B", "D", "C"}));
  EXPECT_STREQ(window.pane.SelectedObject()->name, "D");
}

TEST_F(PaneTest, AddToEmptyFieldMarksItModified) {
  dialogs.AnswerCancel();
  window.Command(cmAddObject);
  EXPECT_FALSE(window.IsModified());
  AnswerNames("First", "");
  window.Command(cmInsertObject);  // nothing selected: appended
  EXPECT_EQ(Names(), (Texts{"First"}));
  EXPECT_EQ(ObjectListTexts(), (Texts{"First"}));
  EXPECT_TRUE(window.IsModified());
}

TEST_F(PaneTest, RemoveObjectAsksAndRefusesPublished) {
  AddObject("A");
  auto* b = AddObject("B");
  AddObject("");
  window.pane.FieldReplaced();

  window.pane.SelectObject(1);
  dialogs.AnswerButton(vdlg::mrNo);
  window.Command(cmRemoveObject);
  EXPECT_EQ(LastDialog(),
            (Texts{"Confirm Remove Object", "Are you sure to remove object", "B", "from field description?"}));
  EXPECT_EQ(dialogs.Shown().back().buttons, vdlg::mbYesNo);
  EXPECT_EQ(Names().size(), 3u);
  EXPECT_FALSE(window.IsModified());

  std::strcpy(b->token, "0123456789ABCDEF");
  window.Command(cmRemoveObject);
  EXPECT_EQ(LastDialog(), (Texts{"Object published in Web Repository", "Cannot remove published object.",
                                 "Remove object from repository first."}));
  EXPECT_EQ(dialogs.Shown().back().icon, vstock::siStop);
  b->token[0] = '\0';

  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmRemoveObject);
  EXPECT_EQ(Names(), (Texts{"A", ""}));
  EXPECT_EQ(ObjectListTexts(), (Texts{"A", "<unnamed>"}));
  EXPECT_EQ(window.pane.objects.list.Selection(), 1);  // the follower takes the place
  EXPECT_TRUE(window.IsModified());

  // The unnamed object is named as such in the question.
  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmRemoveObject);
  EXPECT_EQ(dialogs.Shown().back().lines[1], "<unnamed>");
  EXPECT_EQ(window.pane.SelectedObject(), Field().First());
}

TEST_F(PaneTest, RenameObjectPrefillsAndRebuildsLabel) {
  auto* o = AddObject("Old");
  std::strcpy(o->altName, "Alt");
  std::strcpy(o->comment, "c");
  window.pane.FieldReplaced();

  std::string shownName, shownAlt;
  dialogs.AnswerOK([&](vwin::COKCancelDialog& d) {
    auto& fields = static_cast<CTextFieldsDialog&>(d);
    shownName = fields.Edit(0).Text();
    shownAlt = fields.Edit(1).Text();
    fields.Edit(0).SetText("New");
    fields.Edit(1).SetText("");
  });
  window.Command(cmRenameObject);
  EXPECT_EQ(LastDialog(), (Texts{"Rename object", "New name:", "Alt. name:"}));
  EXPECT_EQ(shownName, "Old");
  EXPECT_EQ(shownAlt, "Alt");
  EXPECT_EQ(ObjectListTexts(), (Texts{"New | | c"}));
  EXPECT_TRUE(window.IsModified());
}

TEST_F(PaneTest, SortEdgeCases) {
  struct TCase {
    std::uint32_t command;
    std::vector<std::pair<const char*, double>> objects;  // name, coordinate (unknown marker allowed)
    Texts sorted;
  };
  const double ra = ombrix_data::kUnknownRA;
  const double dec = ombrix_data::kUnknownDec;
  const TCase cases[] = {
      // Unknown coordinates go last in their previous order; equal ones keep theirs.
      {cmSortByRA, {{"u1", ra}, {"b", 2.0}, {"e1", 1.0}, {"u2", ra}, {"e2", 1.0}, {"a", 0.5}},
       {"a", "e1", "e2", "b", "u1", "u2"}},
      {cmSortByDec, {{"n", 0.3}, {"u", dec}, {"s", -0.3}, {"z", 0.0}}, {"s", "z", "n", "u"}},
      // Same prefix: trailing numbers by value; digits followed by a letter: plain text.
      {cmSortByName, {{"V2a", 0}, {"V10a", 0}, {"V10", 0}, {"V2", 0}, {"", 0}}, {"", "V2", "V10", "V10a", "V2a"}},
  };
  for (const TCase& c : cases) {
    window.pane.ClearField();
    for (const auto& [name, coordinate] : c.objects) {
      if (c.command == cmSortByDec)
        AddObject(name, 1.0, coordinate);
      else
        AddObject(name, coordinate, 0.0);
    }
    window.pane.FieldReplaced();
    window.pane.SelectObject(2);
    window.Command(c.command);
    EXPECT_EQ(Names(), c.sorted) << c.command;
    Texts labels = c.sorted;
    for (std::string& l : labels)
      if (l.empty()) l = "<unnamed>";
    EXPECT_EQ(ObjectListTexts(), labels) << c.command;
    EXPECT_EQ(window.pane.SelectedObject(), Field().First()) << c.command;
    EXPECT_EQ(window.pane.objects.list.Selection(), 0) << c.command;
  }
  EXPECT_TRUE(window.IsModified());
}

// Clicks an object in the list as the user would.
void Click(COmbrixPane& pane, int index) { pane.objects.list.SetSelection(index, true); }

TEST_F(PaneTest, ChangingSelectionAsksAboutChangedM0AndPeriod) {
  auto* a = AddObject("A");
  AddObject("B");
  window.pane.FieldReplaced();
  window.settings.autoAcceptM0Period = false;
  const Texts question{"M0, Period of object changed", "Accept M0 and Period updates?",
                       "(Check menu Object->Automatically accept M0, P", "to accept updates without questions)"};

  struct TCase {
    int answer;
    double m0, period;  // of A after the answer
    const char* selected;
  };
  const TCase cases[] = {
      {vdlg::mrYes, 2459000.5, 1.25, "B"},
      {vdlg::mrNo, 0.0, 0.0, "B"},
      {vdlg::mrCancel, 2459000.5, 1.25, "A"},
  };
  for (const TCase& c : cases) {
    a->m0 = 0.0;
    a->period = 0.0;
    window.pane.FieldReplaced();  // A selected with M0 and P unset
    a->m0 = 2459000.5;
    a->period = 1.25;
    dialogs.Clear();
    dialogs.AnswerButton(c.answer);
    Click(window.pane, 1);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(LastDialog(), question);
    EXPECT_EQ(dialogs.Shown().back().buttons, vdlg::mbYesNoCancel);
    EXPECT_EQ(a->m0, c.m0);
    EXPECT_EQ(a->period, c.period);
    EXPECT_STREQ(window.pane.SelectedObject()->name, c.selected);
    EXPECT_EQ(window.pane.objects.list.ItemText(window.pane.objects.list.Selection()), c.selected);
  }

  // Unchanged values, or auto-accept on: no question.
  a->m0 = 0.0;
  a->period = 0.0;
  window.pane.FieldReplaced();
  dialogs.Clear();
  Click(window.pane, 1);
  Click(window.pane, 0);
  a->m0 = 5.0;
  window.settings.autoAcceptM0Period = true;
  Click(window.pane, 1);
  Click(window.pane, -1);  // a click that takes the selection away keeps B
  EXPECT_TRUE(dialogs.Shown().empty());
  EXPECT_STREQ(window.pane.SelectedObject()->name, "B");
  EXPECT_EQ(window.pane.objects.list.Selection(), 1);
}

// Sends a key press to a list as the keyboard would, with the focus in it.
void PressKey(vcont::CListBox& list, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  list.Peer()->window()->activateWindow();
  list.SetFocus();
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(list.Peer(), &press);
}

TEST_F(PaneTest, KeysWithTheFocusInTheLists) {
  auto* a = AddObject("A");
  AddSeries(a, 2459001.0);
  AddObject("B");
  window.pane.FieldReplaced();
  window.pane.SelectSeries(0);

  // Delete in the series list does nothing.
  PressKey(window.pane.series.list, Qt::Key_Delete);
  EXPECT_TRUE(dialogs.Shown().empty());
  EXPECT_EQ(Names(), (Texts{"A", "B"}));
  EXPECT_EQ(window.pane.SeriesCount(), 1u);
  EXPECT_FALSE(window.IsModified());

  // Delete in the object list is "Remove Object".
  dialogs.AnswerButton(vdlg::mrYes);
  PressKey(window.pane.objects.list, Qt::Key_Delete);
  EXPECT_EQ(LastDialog(),
            (Texts{"Confirm Remove Object", "Are you sure to remove object", "A", "from field description?"}));
  EXPECT_EQ(Names(), (Texts{"B"}));

  // The list leaves Ctrl+A to the window: "Add Object...".
  dialogs.AnswerCancel();
  PressKey(window.pane.objects.list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(LastDialog(), (Texts{"Append new object", "New name:", "Alt. name:"}));
}

TEST_F(PaneTest, SelectAndDeselectAllSeries) {
  auto* empty = AddObject("empty");
  auto* full = AddObject("full");
  AddSeries(full, 2459001.0);
  AddSeries(full, 2459002.0);
  window.pane.FieldReplaced();

  ASSERT_EQ(window.pane.SelectedObject(), empty);
  window.Command(cmSelectAllSeries);
  window.Command(cmDeselectAllSeries);
  EXPECT_FALSE(window.IsModified());

  window.pane.SelectObject(1);
  window.Command(cmSelectAllSeries);  // already all enabled
  EXPECT_FALSE(window.IsModified());
  window.Command(cmDeselectAllSeries);
  EXPECT_EQ(window.pane.EnabledSeriesCount(), 0u);
  EXPECT_EQ(Row(window.pane.series.list, 1), kOff + "2020-06-01");
  EXPECT_TRUE(window.IsModified());
}

TEST_F(PaneTest, ClearOffsetsAsksFirst) {
  auto* mag = AddObject("mag");
  auto* s = AddSeries(mag, 2459001.0);
  auto* flux = AddObject("flux");
  flux->fluxFlag = true;
  auto* f = AddSeries(flux, 2459001.0);
  window.pane.FieldReplaced();
  s->offset = 0.25;
  f->offset = 3.0;

  dialogs.AnswerButton(vdlg::mrNo);
  window.Command(cmClearOffsets);
  EXPECT_EQ(LastDialog(), (Texts{"Clear series offsets", "Offsets of selected object series", "will be cleared.",
                                 "Do you want to continue?"}));
  EXPECT_EQ(s->offset, 0.25);

  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmClearOffsets);
  EXPECT_EQ(s->offset, 0.0);
  window.pane.SelectObject(1);
  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmClearOffsets);
  EXPECT_EQ(f->offset, 1.0);
  EXPECT_TRUE(window.IsModified());
}

TEST_F(PaneTest, MinimaOfTheSelectedSeries) {
  auto* o = AddObject("A");
  auto* s = AddSeries(o, 2459001.0);
  s->minima.Add(ombrix_data::minPrimary, 2459001.05, 0.001);
  s->minima.Add(ombrix_data::minSecondary, 2459001.5, 0.001, false);
  window.pane.FieldReplaced();
  window.Command(cmMinimaList);
  EXPECT_EQ(window.pane.minima.list.Count(), 0);
  window.pane.SelectSeries(0);
  ASSERT_EQ(window.pane.minima.list.Count(), 2);
  EXPECT_EQ(Row(window.pane.minima.list, 0), kOn + "2459001.05000 Pri.");
  EXPECT_EQ(Row(window.pane.minima.list, 1), kOff + "2459001.50000 Sec.");

  window.pane.minima.list.SetSelection(1);
  double shownTime = 0.0;
  dialogs.AnswerOK([&](vwin::COKCancelDialog& d) {
    auto& dialog = static_cast<CMinimumParametersDialog&>(d);
    shownTime = dialog.time.Value();
    dialog.time.SetValue(2459001.625);
    dialog.type.SetSelection(1);
  });
  window.Command(cmMinimumParameters);
  EXPECT_EQ(LastDialog(), (Texts{"Minimum parameters", "Minimum:", "Error:", "Minimum type:"}));
  EXPECT_DOUBLE_EQ(shownTime, 2459001.5);
  EXPECT_EQ(Row(window.pane.minima.list, 1), kOff + "2459001.62500 Pri.");

  window.pane.minima.list.SetSelection(0);
  dialogs.AnswerButton(vdlg::mrYes);
  window.Command(cmRemoveMinimum);
  EXPECT_EQ(LastDialog(), (Texts{"Remove Minimum", "Are you sure to remove selected minumum?"}));
  EXPECT_EQ(s->minima.count, 1u);
  EXPECT_EQ(Row(window.pane.minima.list, 0), kOff + "2459001.62500 Pri.");
  EXPECT_TRUE(window.IsModified());
}

}  // namespace
