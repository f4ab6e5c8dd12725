// The sheet view over a small in-memory source, with text measured at a
// fixed 7 pixels a byte and 14 pixels a line so that layouts are exact.
#include <gtest/gtest.h>

#include <corekit/clipboard.h>
#include <winkit/vcont.h>
#include <winkit/vdlg.h>
#include <winkit/view.h>
#include <winkit/vimage.h>

#include <cstring>
#include <string>
#include <vector>

#include "gridon/sheet_view.h"

namespace {

using namespace gridon;

constexpr int kCharWidth = 7, kLineHeight = 14, kMargin = 4;
constexpr int kRowHeight = kLineHeight + kMargin;         // 18
constexpr int kHeaderHeight = kLineHeight + kMargin + 2;  // 20

class CTestSheet : public CSheetDataView {
 public:
  std::vector<std::vector<std::string>> cells;  // rows of texts
  std::vector<std::vector<uint32_t>> notes;     // DS_Notify calls: code, table, row, column
  std::vector<uint32_t> insertAsked;            // rows DS_InsertRowNumber was asked for

  uint32_t DS_ReadRowsCount(uint32_t) override { return static_cast<uint32_t>(cells.size()); }
  bool DS_ReadDataString(uint32_t table, uint32_t row, uint32_t column, uint32_t high, char* text, TColor& colour,
                         uint32_t& flags) override {
    CSheetDataView::DS_ReadDataString(table, row, column, high, text, colour, flags);
    if (row == 0 || row > cells.size() || column == 0 || column > cells[row - 1].size()) return false;
    const std::string& s = cells[row - 1][column - 1];
    const std::size_t n = std::min<std::size_t>(s.size(), high);
    std::memcpy(text, s.data(), n);
    text[n] = 0;
    return true;
  }
  void DS_Notify(uint32_t code, uint32_t table, uint32_t row, uint32_t column) override {
    notes.push_back({code, table, row, column});
  }
  bool DS_InsertRowNumber(uint32_t, uint32_t row) override {
    insertAsked.push_back(row);
    return false;
  }
  int32_t MeasureText(const vfont::CFont*, int32_t length, const char*) override { return length * kCharWidth; }
  int32_t FontHeight(const vfont::CFont*) override { return kLineHeight; }
};

class SheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view::EnsureApplication();
    // 400 x 200: data area 384 x 184 beside the scroll bars.
    ASSERT_TRUE(sheet.Init(nullptr, vcom::CRect(0, 0, 400, 200), 12, 0, ""));
    // After the framework's start-up, which installs the desktop clipboard.
    vcom::SetClipboardProvider(&clipboard);
  }
  void TearDown() override {
    sheet.Done();
    vcom::SetClipboardProvider(nullptr);
  }
  // Table 1 with the given flags and three columns A, Bee, C.
  void MakeTable(uint32_t flags, int rows) {
    sheet.cells.clear();
    for (int r = 1; r <= rows; ++r)
      sheet.cells.push_back({"a" + std::to_string(r), "b" + std::to_string(r), "c" + std::to_string(r)});
    sheet.RemoveTable(1);
    ASSERT_TRUE(sheet.AddTable(1, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, flags, 0, 0));
    EXPECT_EQ(sheet.AddTableColumn(1, 1, "A", wmUser, 0, 10, 50, jsLeft, 0, 16, 0, 0, nullptr, nullptr), 1u);
    EXPECT_EQ(sheet.AddTableColumn(1, 3, "Bee", wmUser, 0, 10, 60, jsRight, 0, 16, 0, 0, nullptr, nullptr), 2u);
    EXPECT_EQ(sheet.AddTableColumn(1, 1, "C", wmUser, 0, 10, 70, jsCenter, 0, 16, 0, 0, nullptr, nullptr), 3u);
    ASSERT_TRUE(sheet.PrepareTable(1));
    ASSERT_TRUE(sheet.ShowTable(1));
  }
  void Key(uint32_t key, uint32_t modifiers = 0) {
    vcore::TEvent e;
    e.kind = vcore::evKeyDown;
    e.code = key;
    e.modifiers = modifiers;
    sheet.Dispatch(e);
  }
  void Click(int x, int y, uint32_t modifiers = 0) {
    vcore::TEvent e;
    e.kind = vcore::evMouseDown;
    e.buttons = vcore::mbLeft;
    e.modifiers = modifiers;
    e.x = x;
    e.y = y;
    sheet.Dispatch(e);
    e.kind = vcore::evMouseUp;
    e.stopped = false;
    sheet.Dispatch(e);
  }
  std::string Clipboard() {
    std::string s;
    EXPECT_TRUE(clipboard.GetText(s));
    return s;
  }
  vcom::CMemoryClipboard clipboard;
  CTestSheet sheet;
};

// ------------------------------------------------------------ widths

TEST_F(SheetTest, ColumnWidthsFollowTheirModes) {
  MakeTable(tfHeaders, 3);
  sheet.cells[1][0] = "  widest text  ";  // trimmed: 11 bytes
  CTableListElem* t = sheet.GetPTable(1);
  CColumnListElem* a = t->Column(1);
  CColumnListElem* b = t->Column(2);
  CColumnListElem* c = t->Column(3);
  a->widthMode = wmOptimal;
  b->widthMode = wmMaximal;
  b->maxChars = 2;  // 2 x 7 + 8 = 22, below the header "Bee": 3 x 7 + 8 = 29
  c->widthMode = wmDefault;
  t->CalcColumnsWidth(sheet, false);
  EXPECT_EQ(a->width, 11 * kCharWidth + 2 * kMargin);
  EXPECT_EQ(b->width, 3 * kCharWidth + 2 * kMargin);
  EXPECT_EQ(c->width, 10);
  EXPECT_EQ(t->columnsWidth, a->width + b->width + c->width);
  EXPECT_EQ(b->left, a->width);
  b->maxChars = 20;
  c->widthMode = 7;  // unknown mode: 20 times "0", at least the minimum
  c->flags |= cfIcon;
  t->CalcColumnsWidth(sheet, false);
  EXPECT_EQ(b->width, 20 * kCharWidth + 2 * kMargin);
  EXPECT_EQ(c->width, 20 * kCharWidth);
  // Hidden: 0; reset makes every column not in user mode and not fixed optimal.
  a->flags |= cfHidden;
  c->flags |= cfFixed;
  t->CalcColumnsWidth(sheet, true);
  EXPECT_EQ(a->width, 0);
  EXPECT_EQ(a->widthMode, static_cast<uint32_t>(wmOptimal));
  EXPECT_EQ(b->widthMode, static_cast<uint32_t>(wmOptimal));
  EXPECT_EQ(c->widthMode, 7u);
  EXPECT_EQ(t->ColumnHandle(1), 2u);  // the first shown column
}

TEST_F(SheetTest, OptimalWidthLooksAtTheRowsInViewAndTheHeader) {
  MakeTable(0, 40);
  CTableListElem* t = sheet.GetPTable(1);
  // 184 - 0 header = 184 / 18: 10 rows a page.
  EXPECT_EQ(sheet.PageRows(), 10u);
  sheet.cells[30][0] = std::string(30, 'x');  // row 31, out of view
  ASSERT_TRUE(sheet.SetColumnMode(1, wmOptimal, 0));
  EXPECT_EQ(t->Column(1)->width, 3 * kCharWidth + 2 * kMargin);  // "a10"
  sheet.ScrollTo(25, 0);
  ASSERT_TRUE(sheet.SetColumnMode(1, wmOptimal, 0));
  EXPECT_EQ(t->Column(1)->width, 30 * kCharWidth + 2 * kMargin);
  // With headers shown a long header counts; without, it does not.
  std::strcpy(t->Column(2)->header, "A much longer header");
  ASSERT_TRUE(sheet.SetColumnMode(2, wmOptimal, 0));
  EXPECT_EQ(t->Column(2)->width, 3 * kCharWidth + 2 * kMargin);
  t->flags |= tfHeaders;
  ASSERT_TRUE(sheet.SetColumnMode(2, wmOptimal, 0));
  EXPECT_EQ(t->Column(2)->width, 20 * kCharWidth + 2 * kMargin);
}

TEST_F(SheetTest, UserWidthAndMinimumWidth) {
  MakeTable(tfHeaders, 2);
  ASSERT_TRUE(sheet.SetColumnWidth(2, 3));  // below the minimum of 10
  EXPECT_EQ(sheet.GetPTable(1)->Column(2)->width, 10);
  ASSERT_TRUE(sheet.SetColumnWidth(2, 90));
  EXPECT_EQ(sheet.GetPTable(1)->Column(2)->width, 90);
  // A minimum below the cell margin is raised to it.
  EXPECT_EQ(sheet.AddTableColumn(1, 1, "D", wmDefault, 0, 1, 0, jsLeft, 0, 0, 0, 0, nullptr, nullptr), 4u);
  EXPECT_EQ(sheet.GetPTable(1)->Column(4)->minWidth, kMargin);
  EXPECT_FALSE(sheet.SetColumnWidth(9, 50));
}

TEST_F(SheetTest, FitToWidthSpreadsTheWidthAndKeepsMinimums) {
  MakeTable(0, 2);
  CTableListElem* t = sheet.GetPTable(1);
  t->Column(1)->width = 100;
  t->Column(2)->width = 50;
  t->Column(3)->width = 50;
  t->FitToWidth(400);
  EXPECT_EQ(t->Column(1)->width, 200);
  EXPECT_EQ(t->Column(2)->width, 100);
  EXPECT_EQ(t->Column(3)->width, 100);
  EXPECT_EQ(t->columnsWidth, 400);
  // A narrow column held at its minimum leaves the rest to the others.
  t->Column(3)->minWidth = 150;
  t->FitToWidth(301);
  EXPECT_EQ(t->Column(3)->width, 150);
  EXPECT_EQ(t->Column(1)->width + t->Column(2)->width, 151);
  EXPECT_EQ(t->Column(3)->left, 151);
  // The view's option fits the shown table to the cells' width.
  sheet.SetFitToWidth(true);
  EXPECT_EQ(t->columnsWidth, sheet.CellsRect().width);
}

// ------------------------------------------------------------ selection

TEST_F(SheetTest, RowSelectionByClickShiftAndKeys) {
  MakeTable(tfHeaders | tfRowNumbers, 30);
  const vcom::CRect cells = sheet.CellsRect();
  EXPECT_EQ(cells.x, 3 * kCharWidth + 2 * kMargin);  // "000" wide row numbers
  EXPECT_EQ(cells.y, kHeaderHeight);
  Click(cells.x + 55, cells.y + 2 * kRowHeight + 3);  // row 3, column 2
  EXPECT_EQ(sheet.SelRow(), 3u);
  EXPECT_EQ(sheet.SelColumn(), 2u);
  Click(cells.x + 5, cells.y + 5 * kRowHeight + 3, vcore::kmShift);  // row 6
  uint32_t r1, r2, c1, c2;
  ASSERT_TRUE(sheet.SelectedBlock(r1, r2, c1, c2));
  EXPECT_EQ(r1, 3u);
  EXPECT_EQ(r2, 6u);
  EXPECT_EQ(c1, 1u);
  EXPECT_EQ(c2, 3u);
  Key(vcore::vkUp);  // without Shift: a single row again
  ASSERT_TRUE(sheet.SelectedBlock(r1, r2, c1, c2));
  EXPECT_EQ(r1, 5u);
  EXPECT_EQ(r2, 5u);
  Key(vcore::vkDown, vcore::kmShift);
  Key(vcore::vkDown, vcore::kmShift);
  ASSERT_TRUE(sheet.SelectedBlock(r1, r2, c1, c2));
  EXPECT_EQ(r1, 5u);
  EXPECT_EQ(r2, 7u);
  Key(vcore::vkNext);  // a page further, scrolled into view
  EXPECT_EQ(sheet.SelRow(), 7u + sheet.PageRows());
  EXPECT_GE(sheet.TopRow() + sheet.PageRows(), sheet.SelRow());
  Key(vcore::vkEnd, vcore::kmCtrl);
  EXPECT_EQ(sheet.SelRow(), 30u);
  Key(vcore::vkDown);  // stays on the last row
  EXPECT_EQ(sheet.SelRow(), 30u);
  Key(vcore::vkHome, vcore::kmCtrl);
  EXPECT_EQ(sheet.SelRow(), 1u);
  EXPECT_EQ(sheet.TopRow(), 0u);
  Key(vcore::vkUp);
  EXPECT_EQ(sheet.SelRow(), 1u);
  // The row-number strip selects rows as well.
  vcore::TEvent e;
  e.kind = vcore::evMouseDown;
  e.buttons = vcore::mbLeft;
  e.y = kHeaderHeight + kRowHeight + 2;
  sheet.NumberMouse(e);
  EXPECT_EQ(sheet.SelRow(), 2u);
  // A selection change is reported to the source.
  ASSERT_FALSE(sheet.notes.empty());
  EXPECT_EQ(sheet.notes.back(), (std::vector<uint32_t>{ncSelection, 1, 2, 1}));  // row 2, cursor column 1
}

TEST_F(SheetTest, CellSelectionMovesAndWrapsByCells) {
  MakeTable(tfSelectCell, 3);
  ASSERT_TRUE(sheet.SelCellNumber(1, 3));
  Key(vcore::vkTab);  // past the last cell: the first cell of the next row
  EXPECT_EQ(sheet.SelRow(), 2u);
  EXPECT_EQ(sheet.SelColumn(), 1u);
  Key(vcore::vkTab, vcore::kmShift);  // back to the last cell of the row above
  EXPECT_EQ(sheet.SelRow(), 1u);
  EXPECT_EQ(sheet.SelColumn(), 3u);
  Key(vcore::vkLeft, vcore::kmShift);  // Shift does not extend a single cell
  uint32_t r1, r2, c1, c2;
  ASSERT_TRUE(sheet.SelectedBlock(r1, r2, c1, c2));
  EXPECT_EQ(c1, 2u);
  EXPECT_EQ(c2, 2u);
  Key(vcore::vkEnd);
  EXPECT_EQ(sheet.SelColumn(), 3u);
  sheet.ShowColumn(2, false);
  Key(vcore::vkLeft);  // hidden columns are skipped
  EXPECT_EQ(sheet.SelColumn(), 1u);
}

// ------------------------------------------------------------ clipboard

TEST_F(SheetTest, CopyGivesTheSeparatorsAndLineEndsOfEachMode) {
  MakeTable(tfHeaders, 3);
  sheet.ClipCopy(false);
  EXPECT_EQ(Clipboard(), "");  // nothing selected: an empty text
  ASSERT_TRUE(sheet.SelRowNumber(2));
  Key('C', vcore::kmCtrl | vcore::kmShift);
  EXPECT_EQ(Clipboard(), "A\tBee\tC\r\na2\tb2\tc2");
  Key('C', vcore::kmCtrl);
  EXPECT_EQ(Clipboard(), "a2\tb2\tc2");
  ASSERT_TRUE(sheet.SelRowNumber(3, true));
  sheet.ShowColumn(2, false);  // hidden columns are not copied
  EXPECT_EQ(sheet.CopyText(true), "A\tC\r\na2\tc2\r\na3\tc3");

  MakeTable(tfHeaders | tfSelectColumn, 3);
  ASSERT_TRUE(sheet.SelColumnNumber(2));
  EXPECT_EQ(sheet.CopyText(false), "b1\r\nb2\r\nb3");
  EXPECT_TRUE(sheet.HandleCommand(cmCopyHeaders));
  EXPECT_EQ(Clipboard(), "Bee\r\nb1\r\nb2\r\nb3");

  MakeTable(tfHeaders | tfSelectCell, 3);
  ASSERT_TRUE(sheet.SelCellNumber(3, 2));
  EXPECT_TRUE(sheet.HandleCommand(cmCopy));
  EXPECT_EQ(Clipboard(), "b3");
  EXPECT_EQ(sheet.CopyText(true), "Bee\r\nb3");
}

TEST_F(SheetTest, EmptySourceShowsHeadersOnlyAndCopiesNothing) {
  MakeTable(tfHeaders | tfRowNumbers, 0);
  EXPECT_FALSE(sheet.SelFirstRow());
  EXPECT_EQ(sheet.CopyText(true), "");
  uint32_t row, column;
  EXPECT_FALSE(sheet.CellAt(sheet.CellsRect().x + 2, sheet.CellsRect().y + 2, row, column));
  vimage::CImage image;
  ASSERT_TRUE(sheet.RenderImage(image));
  auto pixel = [&](int x, int y) {
    const unsigned char* p = image.Row(y) + x * 4;
    return vcolor::RGBA(p[2], p[1], p[0]);
  };
  EXPECT_EQ(pixel(sheet.CellsRect().x + 200, kHeaderHeight / 2), vcolor::RGBA(240, 240, 240));  // header strip
  EXPECT_EQ(pixel(sheet.CellsRect().x + 30, kHeaderHeight + 30), vcolor::White);                // no rows
}

// ------------------------------------------------------------ sorting, scrolling, commands

TEST_F(SheetTest, SortColumnTogglesMarksAndReportsThem) {
  MakeTable(tfHeaders | tfSortable, 3);
  sheet.notes.clear();
  sheet.SelSortColumn(2);
  sheet.SelSortColumn(2);
  sheet.SelSortColumn(2);
  sheet.SelSortColumn(3);
  ASSERT_EQ(sheet.notes.size(), 4u);
  EXPECT_EQ(sheet.notes[0], (std::vector<uint32_t>{11, 1, 0, 2}));
  EXPECT_EQ(sheet.notes[1], (std::vector<uint32_t>{12, 1, 0, 2}));
  EXPECT_EQ(sheet.notes[2], (std::vector<uint32_t>{11, 1, 0, 2}));
  EXPECT_EQ(sheet.notes[3], (std::vector<uint32_t>{11, 1, 0, 3}));
  EXPECT_EQ(sheet.GetPTable(1)->Column(2)->sortMark, static_cast<uint32_t>(skNone));
  // A click on a header of a sortable table asks for the sort as well.
  vcore::TEvent e;
  e.kind = vcore::evMouseDown;
  e.buttons = vcore::mbLeft;
  e.x = 5;
  sheet.HeaderMouse(e);
  EXPECT_EQ(sheet.notes.back(), (std::vector<uint32_t>{11, 1, 0, 1}));
}

TEST_F(SheetTest, ScrollingStaysWithinTheRowsAndTheTableWidth) {
  MakeTable(tfHeaders, 50);
  sheet.SetColumnWidth(3, 600);  // 50 + 60 + 600 = 710 pixels
  const uint32_t page = sheet.PageRows();
  EXPECT_EQ(page, static_cast<uint32_t>((184 - kHeaderHeight) / kRowHeight));
  sheet.ScrollTo(1000, 5000);
  EXPECT_EQ(sheet.TopRow(), 50u - page);
  EXPECT_EQ(sheet.LeftX(), 710 - sheet.CellsRect().width);
  sheet.ScrollTo(-4, -4);
  EXPECT_EQ(sheet.TopRow(), 0u);
  EXPECT_EQ(sheet.LeftX(), 0);
  // Selecting a row below the page scrolls it into view at the bottom.
  ASSERT_TRUE(sheet.SelRowNumber(20));
  EXPECT_EQ(sheet.TopRow(), 20u - page);
  uint32_t row, column;
  ASSERT_TRUE(sheet.CellAt(2, sheet.CellsRect().y + static_cast<int>(page - 1) * kRowHeight + 2, row, column));
  EXPECT_EQ(row, 20u);
  // Fewer rows than a page: nothing to scroll.
  MakeTable(tfHeaders, 3);
  sheet.ScrollTo(10, 0);
  EXPECT_EQ(sheet.TopRow(), 0u);
}

TEST_F(SheetTest, CommandsReachTheSourceAndTheDocument) {
  MakeTable(tfHeaders, 3);
  ASSERT_TRUE(sheet.SelRowNumber(2));
  EXPECT_TRUE(sheet.HandleCommand(cmInsertRow));
  EXPECT_EQ(sheet.insertAsked, std::vector<uint32_t>{2});  // refused: nothing changes
  EXPECT_EQ(sheet.RowCount(), 3u);
  EXPECT_TRUE(sheet.HandleCommand(cmNew));  // not embedded: consumed
  EXPECT_EQ(sheet.ShownTable(), nullptr);   // New clears the view
  EXPECT_STREQ(sheet.DataId(), ".SHT");
  EXPECT_TRUE(sheet.HandleCommand(cmWordWrap));
  EXPECT_TRUE(sheet.WordWrap());
  EXPECT_TRUE(sheet.ContextMenu().IsChecked(cmWordWrap));
  EXPECT_EQ(sheet.StatusText(), "Modified");
  ASSERT_TRUE(sheet.SaveSettings("/tmp/x.sht"));
  EXPECT_EQ(sheet.StatusText(), "");
  // Choosing a terminal tree item reports 8 and shows its table.
  sheet.notes.clear();
  EXPECT_TRUE(sheet.HandleCommand(cmTreeChosen, false, 1));
  EXPECT_EQ(sheet.notes.front(), (std::vector<uint32_t>{ncTreeChosen, 1, 0, 0}));
  EXPECT_EQ(sheet.ShownTable(), sheet.GetPTable(1));

  CTestSheet embedded;
  ASSERT_TRUE(embedded.Init(nullptr, vcom::CRect(0, 0, 200, 100), 12, CSheetDataView::voEmbedded, ".OBS"));
  EXPECT_FALSE(embedded.HandleCommand(cmSave));  // left to the embedding document
  EXPECT_STREQ(embedded.DataId(), ".OBS");
  embedded.Done();
}

TEST_F(SheetTest, ColumnListDialogAppliesShowWidthAndJustify) {
  MakeTable(tfHeaders, 3);
  vdlg::CScriptedDialogs script;
  script.AnswerOK([](vwin::COKCancelDialog& d) {
    for (int i = 0; i < d.ChildCount(); ++i) {
      if (auto* box = dynamic_cast<vcont::CCheckBox*>(d.Child(i))) box->SetChecked(false);  // first column hidden
      if (auto* width = dynamic_cast<vcont::CIntegerCountBox*>(d.Child(i))) width->SetValue(77);
      if (auto* justify = dynamic_cast<vcont::CComboBox*>(d.Child(i))) justify->SetSelection(2);
    }
  });
  EXPECT_TRUE(sheet.HandleCommand(cmColumns));
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Shown()[0].caption, "Column list");
  CColumnListElem* a = sheet.GetPTable(1)->Column(1);
  EXPECT_TRUE(a->flags & cfHidden);
  EXPECT_EQ(a->width, 0);
  EXPECT_EQ(a->userWidth, 77);
  EXPECT_EQ(a->justify, static_cast<uint32_t>(jsRight));
  EXPECT_EQ(sheet.GetPTable(1)->Column(2)->width, 60);  // untouched
}

TEST_F(SheetTest, PaintsHeadersNumbersSelectionAndText) {
  MakeTable(tfHeaders | tfRowNumbers | tfGrid, 4);
  sheet.cells[0][0] = "MMMM";
  ASSERT_TRUE(sheet.SelRowNumber(2));
  vimage::CImage image;
  ASSERT_TRUE(sheet.RenderImage(image));
  EXPECT_EQ(image.Width(), 384);
  EXPECT_EQ(image.Height(), 184);
  auto pixel = [&](int x, int y) {
    const unsigned char* p = image.Row(y) + x * 4;
    return vcolor::RGBA(p[2], p[1], p[0]);
  };
  const vcom::CRect cells = sheet.CellsRect();
  const vcom::CRect selected = sheet.CellRect(2, 3);
  EXPECT_EQ(pixel(selected.x + 2, selected.y + 1), vcolor::RGBA(204, 228, 247));  // selected row
  EXPECT_EQ(pixel(cells.x + 2, cells.y + 1), vcolor::White);                      // row 1
  EXPECT_EQ(pixel(2, cells.y + 1), vcolor::RGBA(240, 240, 240));                  // number strip, row 1
  EXPECT_EQ(pixel(2, selected.y + 1), vcolor::RGBA(214, 224, 236));               // number strip, row 2
  bool ink = false;
  for (int y = cells.y; y < cells.y + kRowHeight; ++y)
    for (int x = cells.x + kMargin; x < cells.x + 48; ++x) ink |= vcolor::Red(pixel(x, y)) < 90;
  EXPECT_TRUE(ink);  // "MMMM" drawn in the first cell
  // Grid line at the right edge of column 1, below the header.
  EXPECT_EQ(pixel(cells.x + 49, cells.y + 3 * kRowHeight + 5), vcolor::RGBA(218, 218, 218));
  // Beyond the table's columns: white.
  EXPECT_EQ(pixel(cells.x + 200, cells.y + 5), vcolor::White);
}

// A source that lets cells be edited and keeps what the editor gives back.
class CEditableSheet : public CTestSheet {
 public:
  bool accept = true;  // DS_CheckCellEditorData's answer
  std::vector<std::string> done;
  bool DS_CreateCellEditor(uint32_t, uint32_t, uint32_t, std::string& text) override {
    text += "!";
    return true;
  }
  bool DS_CheckCellEditorData(uint32_t, uint32_t, uint32_t, const std::string&) override { return accept; }
  bool DS_DoneCellEditor(uint32_t, uint32_t row, uint32_t column, const std::string& text, bool keep) override {
    done.push_back(std::to_string(row) + "," + std::to_string(column) + ":" + text + (keep ? " kept" : " dropped"));
    if (keep) cells[row - 1][column - 1] = text;
    return true;
  }
};

TEST(SheetEditing, CellEditorKeepsOrDropsThroughTheSource) {
  view::EnsureApplication();
  CEditableSheet sheet;
  ASSERT_TRUE(sheet.Init(nullptr, vcom::CRect(0, 0, 300, 200), 12, 0, ""));
  sheet.cells = {{"x", "y"}, {"z", "w"}};
  ASSERT_TRUE(sheet.AddTable(1, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, tfSelectCell, 0, 0));
  sheet.AddTableColumn(1, 1, "P", wmUser, 0, 10, 60, jsLeft, 0, 8, 0, 0, nullptr, nullptr);
  sheet.AddTableColumn(1, 1, "Q", wmUser, 0, 10, 60, jsLeft, 0, 8, 0, 0, nullptr, nullptr);
  sheet.PrepareTable(1);
  sheet.ShowTable(1);
  ASSERT_TRUE(sheet.SelCellNumber(1, 2));
  EXPECT_TRUE(sheet.HandleCommand(cmEdit));
  EXPECT_TRUE(sheet.IsEditing());
  sheet.accept = false;
  EXPECT_TRUE(sheet.HandleCommand(cmEditKeep));  // refused data: the editor stays
  EXPECT_TRUE(sheet.IsEditing());
  sheet.accept = true;
  EXPECT_TRUE(sheet.HandleCommand(cmEditNext));  // keeps, then edits the next cell, wrapping
  EXPECT_EQ(sheet.cells[0][1], "y!");
  EXPECT_EQ(sheet.SelRow(), 2u);
  EXPECT_EQ(sheet.SelColumn(), 1u);
  EXPECT_TRUE(sheet.IsEditing());
  EXPECT_TRUE(sheet.HandleCommand(cmEditDrop));
  EXPECT_FALSE(sheet.IsEditing());
  EXPECT_EQ(sheet.cells[1][0], "z");
  EXPECT_EQ(sheet.done, (std::vector<std::string>{"1,2:y! kept", "2,1:z! dropped"}));
  sheet.Done();
}

TEST(SheetEditing, WordWrapMakesRowsAsDeepAsTheLongestWrappedCell) {
  view::EnsureApplication();
  CTestSheet sheet;
  ASSERT_TRUE(sheet.Init(nullptr, vcom::CRect(0, 0, 300, 200), 12, 0, ""));
  sheet.cells = {{"one two three four"}, {"short"}};
  ASSERT_TRUE(sheet.AddTable(1, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0));
  // 8 + 6 words of 7 pixels: "one two " fits 56 pixels, "three " does not follow it.
  sheet.AddTableColumn(1, 1, "P", wmUser, 0, 10, 2 * kMargin + 56, jsLeft, 0, 8, 0, 0, nullptr, nullptr);
  sheet.PrepareTable(1);
  sheet.ShowTable(1);
  EXPECT_EQ(sheet.RowHeight(), kRowHeight);
  sheet.SetWordWrap(true);
  EXPECT_EQ(sheet.GetPTable(1)->rowDepth, 3);  // "one two", "three", "four"
  EXPECT_EQ(sheet.RowHeight(), 3 * kLineHeight + kMargin);
  sheet.SetWordWrap(false);
  EXPECT_EQ(sheet.RowHeight(), kRowHeight);
  sheet.Done();
}

// A source whose table 10 is a folder of the tree, not a table to show.
class CTreeSheet : public CTestSheet {
 public:
  bool DS_TerminalTreeItem(uint32_t table) override { return table != 10; }
  bool DS_GetNodeTreeItemAttr(uint32_t table, CTreeItemAttr& attr) override {
    attr.Clear();
    if (table != 2) return false;
    std::strcpy(attr.text, "Second (from the source)");
    return true;
  }
};

TEST(SheetTree, TablesFormATreeThatOpensClosesAndChooses) {
  view::EnsureApplication();
  CTreeSheet sheet;
  ASSERT_TRUE(sheet.Init(nullptr, vcom::CRect(0, 0, 500, 200), 12, CSheetDataView::voTableTree, ""));
  sheet.cells = {{"x"}};
  auto add = [&](uint32_t handle, uint32_t parent, const char* title) {
    ASSERT_TRUE(sheet.AddTable(handle, parent, 127, title, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0));
    sheet.AddTableColumn(handle, 1, "P", wmUser, 0, 10, 60, jsLeft, 0, 8, 0, 0, nullptr, nullptr);
  };
  add(10, 0, "Folder");
  add(1, 10, "First");
  add(2, 10, "Second");
  add(3, 1, "Third");
  auto texts = [&] {
    std::vector<std::string> v;
    for (const auto& [node, depth] : sheet.VisibleTreeNodes()) v.push_back(std::string(depth, '-') + node->attr.text);
    return v;
  };
  EXPECT_EQ(texts(), std::vector<std::string>{"Folder"});
  ASSERT_TRUE(sheet.ExpandBranch(10));
  EXPECT_EQ(texts(), (std::vector<std::string>{"Folder", "-First", "-Second (from the source)"}));
  sheet.ExpandTree();
  EXPECT_EQ(texts(), (std::vector<std::string>{"Folder", "-First", "--Third", "-Second (from the source)"}));
  // The cells begin right of the tree.
  EXPECT_EQ(sheet.CellsRect().x, sheet.TreeWidth());
  // A click on a text chooses the node: 8 is reported and a terminal table shown.
  sheet.notes.clear();
  const int rh = kLineHeight + kMargin;
  vcore::TEvent e;
  e.kind = vcore::evMouseDown;
  e.buttons = vcore::mbLeft;
  e.x = 60;
  e.y = 2 * rh + 2;  // "Third"
  sheet.TreeMouse(e);
  EXPECT_EQ(sheet.notes.front(), (std::vector<uint32_t>{ncTreeChosen, 3, 0, 0}));
  EXPECT_EQ(sheet.ShownTable(), sheet.GetPTable(3));
  ASSERT_TRUE(sheet.ChooseTreeNode(10));  // a folder is not shown
  EXPECT_EQ(sheet.ShownTable(), sheet.GetPTable(3));
  // A click on the box closes the branch and reports 10.
  sheet.notes.clear();
  e.x = kMargin + 2;
  e.y = 2;
  sheet.TreeMouse(e);
  EXPECT_EQ(texts(), std::vector<std::string>{"Folder"});
  EXPECT_EQ(sheet.notes.front(), (std::vector<uint32_t>{ncTreeCollapsed, 10, 0, 0}));
  // Removing a table moves its children up.
  ASSERT_TRUE(sheet.RemoveTable(1));
  sheet.ExpandTree();
  EXPECT_EQ(texts(), (std::vector<std::string>{"Folder", "-Second (from the source)", "-Third"}));
  vimage::CImage image;
  EXPECT_TRUE(sheet.RenderImage(image));
  sheet.Done();
}

TEST_F(SheetTest, DraggingAHeaderBorderSetsAUserWidth) {
  MakeTable(tfHeaders | tfSortable, 3);
  CColumnListElem* b = sheet.GetPTable(1)->Column(2);
  ASSERT_EQ(b->left + b->width, 110);
  sheet.notes.clear();
  vcore::TEvent e;
  e.kind = vcore::evMouseDown;
  e.buttons = vcore::mbLeft;
  e.x = 111;  // on the border between "Bee" and "C"
  sheet.HeaderMouse(e);
  e.kind = vcore::evMouseMove;
  e.x = 131;
  sheet.HeaderMouse(e);
  e.kind = vcore::evMouseUp;
  sheet.HeaderMouse(e);
  EXPECT_EQ(b->width, 80);
  EXPECT_EQ(b->widthMode, static_cast<uint32_t>(wmUser));
  EXPECT_EQ(sheet.GetPTable(1)->Column(3)->left, 130);
  EXPECT_TRUE(sheet.notes.empty());  // a resize is no sort request
  e.kind = vcore::evMouseMove;       // after the button is up nothing follows the pointer
  e.x = 300;
  sheet.HeaderMouse(e);
  EXPECT_EQ(b->width, 80);
}

TEST_F(SheetTest, WheelScrollsRowsWithinLimits) {
  MakeTable(tfHeaders, 40);
  vcore::TEvent e;
  e.kind = vcore::evMouseWheel;
  e.wheel = -2;  // towards the end: 3 rows a step
  sheet.Dispatch(e);
  EXPECT_EQ(sheet.TopRow(), 6u);
  e.stopped = false;
  e.wheel = -100;
  sheet.Dispatch(e);
  EXPECT_EQ(sheet.TopRow(), 40u - sheet.PageRows());
  e.stopped = false;
  e.wheel = 100;
  sheet.Dispatch(e);
  EXPECT_EQ(sheet.TopRow(), 0u);
}

// A source with a title row between groups of rows.
class CTitledSheet : public CTestSheet {
 public:
  bool DS_IsTitleRow(uint32_t, uint32_t row) override { return row == 2; }
  bool DS_ReadTitleRow(uint32_t, uint32_t, uint32_t, char* text) override {
    std::strcpy(text, "A title row much wider than any cell");
    return true;
  }
};

TEST(SheetTitleRows, TitleRowsSpanTheRowInWindowColoursAndDoNotWidenColumns) {
  view::EnsureApplication();
  CTitledSheet sheet;
  ASSERT_TRUE(sheet.Init(nullptr, vcom::CRect(0, 0, 400, 200), 12, 0, ""));
  sheet.cells = {{"a", "b"}, {"", ""}, {"c", "d"}};
  ASSERT_TRUE(sheet.AddTable(1, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0));
  sheet.AddTableColumn(1, 1, "P", wmOptimal, 0, 10, 0, jsLeft, 0, 8, 0, 0, nullptr, nullptr);
  sheet.AddTableColumn(1, 1, "Q", wmOptimal, 0, 10, 0, jsLeft, 0, 8, 0, 0, nullptr, nullptr);
  sheet.PrepareTable(1);
  sheet.ShowTable(1);
  EXPECT_EQ(sheet.GetPTable(1)->Column(1)->width, kCharWidth + 2 * kMargin);
  vimage::CImage image;
  ASSERT_TRUE(sheet.RenderImage(image));
  const unsigned char* p = image.Row(kRowHeight + 1) + (sheet.GetPTable(1)->columnsWidth - 2) * 4;
  EXPECT_EQ(vcolor::RGBA(p[2], p[1], p[0]), vcolor::RGBA(240, 240, 240));
  sheet.Done();
}

TEST(SheetStatus, StatusLineShowsModifiedAndTheDocument) {
  view::EnsureApplication();
  CTestSheet sheet;
  ASSERT_TRUE(sheet.Init(nullptr, vcom::CRect(0, 0, 400, 200), 12, CSheetDataView::voStatusBar, ""));
  EXPECT_EQ(sheet.StatusHeight(), kLineHeight + 6);
  EXPECT_EQ(sheet.SheetRect().height, 200 - 16 - (kLineHeight + 6));  // less the bar and the status line
  sheet.cells = {{"x"}};
  ASSERT_TRUE(sheet.AddTable(1, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, tfHeaders, 0, 0));
  sheet.AddTableColumn(1, 1, "P", wmUser, 0, 10, 60, jsLeft, 0, 8, 0, 0, nullptr, nullptr);
  sheet.PrepareTable(1);
  sheet.ShowTable(1);
  EXPECT_EQ(sheet.StatusLine(), "");
  sheet.SetColumnWidth(1, 80);
  EXPECT_EQ(sheet.StatusLine(), "Modified");
  ASSERT_TRUE(sheet.SaveSettings("/data/view.sht"));
  EXPECT_EQ(sheet.StatusLine(), "/data/view.sht");
  sheet.SetWordWrap(true);
  EXPECT_EQ(sheet.StatusLine(), "Modified   /data/view.sht");
  ASSERT_TRUE(sheet.OpenSettings("/data/other.sht"));  // clears the view
  EXPECT_EQ(sheet.StatusLine(), "/data/other.sht");
  EXPECT_EQ(sheet.ShownTable(), nullptr);
  sheet.Done();
}

TEST(SheetOnScreen, StripsTreeAndStatusLineTakeTheirPlaces) {
  view::EnsureApplication();
  CTestSheet sheet;
  const uint32_t options = CSheetDataView::voTableTree | CSheetDataView::voStatusBar;
  ASSERT_TRUE(sheet.Init(nullptr, vcom::CRect(0, 0, 500, 220), 12, options, ""));
  sheet.cells = {{"x", "y"}, {"z", "w"}};
  ASSERT_TRUE(sheet.AddTable(1, 0, 127, "Table", nullptr, nullptr, nullptr, 0, 0, 15, 0, 0));
  sheet.AddTableColumn(1, 1, "P", wmUser, 0, 10, 60, jsLeft, 0, 8, 0, 0, nullptr, nullptr);
  sheet.AddTableColumn(1, 1, "Q", wmUser, 0, 10, 60, jsLeft, 0, 8, 0, 0, nullptr, nullptr);
  sheet.PrepareTable(1);
  sheet.ShowTable(1);
  sheet.Show();
  vimage::CImage image;
  ASSERT_TRUE(sheet.Grab(image));
  auto pixel = [&](int x, int y) {
    const unsigned char* p = image.Row(y) + x * 4;
    return vcolor::RGBA(p[2], p[1], p[0]);
  };
  const vcom::CRect cells = sheet.CellsRect();
  EXPECT_EQ(cells.x, sheet.TreeWidth() + sheet.NumberWidth());
  EXPECT_EQ(pixel(sheet.TreeWidth() / 2, 150), vcolor::RGBA(250, 250, 250));  // tree
  EXPECT_EQ(pixel(cells.x + 200, 3), vcolor::RGBA(240, 240, 240));            // header strip
  EXPECT_EQ(pixel(cells.x + 200, cells.y + 5), vcolor::White);                // beyond the columns
  EXPECT_EQ(pixel(300, 220 - 4), vcolor::RGBA(240, 240, 240));                // status line
  sheet.Done();
}

}  // namespace
