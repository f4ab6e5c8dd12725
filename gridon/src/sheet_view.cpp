// The sheet view: start-up, layout, scrolling, selection, clipboard copy,
// editing hooks, commands and the settings document.
#include <corekit/vcom.h>
#include <runbase/fixed_text.h>
#include <winkit/vdlg.h>

#include <algorithm>
#include <cstring>

#include "gridon/sheet_view.h"

namespace gridon {

namespace {
int initCount = 0;
}  // namespace

void Init_() {
  if (initCount++ > 0) return;
  vdata::Init_();
  vwin::Init_();
  vdlg::Init_();
}

CSheetDataView::CSheetDataView() : columnView_(this), numberView_(this), treeView_(this), statusView_(this) {
  SetContainer(&settings_);
}

CSheetDataView::~CSheetDataView() {
  tables_.DisposeList();
  for (view::CView* v : friends_) delete v;
  if (measure_) {
    measure_->Done();
    delete measure_;
  }
}

bool CSheetDataView::Init(view::CNodeView* parent, const vcom::CRect& rect, int fontHeight, uint32_t options,
                          const char* dataId) {
  Init_();
  options_ = options;
  dataId_ = dataId && *dataId ? dataId : ".SHT";
  vfont::TFontDesc desc;
  desc.height = -(fontHeight > 0 ? fontHeight : 12);
  font_.Init(desc);
  captionFont_.Init(vfont::CaptionFontDesc(fontHeight > 0 ? fontHeight : 12, true));
  GetPGContext()->font = &font_;
  if (!vdata::CDataView::Init(parent, rect)) return false;
  columnView_.Init(this, vcom::CRect());
  numberView_.Init(this, vcom::CRect());
  cornerView_.Init(this, vcom::CRect());
  if (HasTableTree()) treeView_.Init(this, vcom::CRect());
  if (options_ & voStatusBar) statusView_.Init(this, vcom::CRect());
  columnView_.SetFont(&font_);
  numberView_.SetFont(&font_);
  BuildMenu();
  NewRect(ClientRect());  // again, now that the strips exist
  return true;
}

void CSheetDataView::Done() {
  HideCellEditor(false);
  editor_.Done();
  columnView_.Done();
  numberView_.Done();
  cornerView_.Done();
  treeView_.Done();
  statusView_.Done();
  tree_.clear();
  menu_.Done();
  shown_ = nullptr;
  tables_.DisposeList();
  for (view::CView* v : friends_) {
    v->Done();
    delete v;
  }
  friends_.clear();
  vdata::CDataView::Done();
  font_.Done();
  captionFont_.Done();
}

void CSheetDataView::BuildMenu() {
  menu_.InitItems();
  auto* file = new view::CPopUpMenu;
  file->InitItems("File");
  file->AddItem("New", "Ctrl+N", 0, nullptr, nullptr, cmNew);
  file->AddItem("Open", "Ctrl+O", 0, nullptr, nullptr, cmOpen);
  file->AddItem("Save", "Ctrl+S", 0, nullptr, nullptr, cmSave);
  file->AddItem("Save As", "Ctrl+Shift+S", 5, nullptr, nullptr, cmSaveAs);
  file->AddLine();
  file->AddItem("Print", "Ctrl+P", 0, nullptr, nullptr, cmPrint);
  file->AddItem("Printer Setup", nullptr, 1, nullptr, nullptr, cmPrinterSetup);
  file->AddItem("Page Setup", nullptr, 2, nullptr, nullptr, cmPageSetup);
  // The framework offers no printer on this platform.
  file->Disable(cmPrint);
  file->Disable(cmPrinterSetup);
  file->Disable(cmPageSetup);
  auto* options = new view::CPopUpMenu;
  options->InitItems("Options");
  options->AddItem("Columns...", cmColumns);
  options->AddItem("Word wrap", cmWordWrap);
  auto* edit = new view::CPopUpMenu;
  edit->InitItems("Edit");
  edit->AddItem("Copy", "Ctrl+C", 0, nullptr, nullptr, cmCopy);
  edit->AddItem("Copy with headers", "Ctrl+Shift+C", 10, nullptr, nullptr, cmCopyHeaders);
  menu_.AddMenu("File", 0, file);
  menu_.AddMenu("Options", 0, options);
  menu_.AddMenu("Edit", 0, edit);
}

// ------------------------------------------------------------ showing tables

bool CSheetDataView::PrepareTable(uint32_t handle) {
  CTableListElem* t = GetPTable(handle);
  if (!t) return false;
  t->CalcColumnsWidth(*this, false);
  t->CalcRowDepth(*this);
  if (fitToWidth_ && t == shown_) t->FitToWidth(CellsRect().width);
  return true;
}

bool CSheetDataView::ShowTable(uint32_t handle) {
  CTableListElem* t = GetPTable(handle);
  if (!t) return false;
  HideCellEditor(false);
  shown_ = t;
  selRow_ = selColumn_ = anchorRow_ = anchorColumn_ = 0;
  topRow_ = 0;
  leftX_ = 0;
  if (fitToWidth_) t->FitToWidth(CellsRect().width);
  AfterLayoutChange();
  return true;
}

void CSheetDataView::HideTable() {
  HideCellEditor(false);
  shown_ = nullptr;
  selRow_ = selColumn_ = anchorRow_ = anchorColumn_ = 0;
  topRow_ = 0;
  leftX_ = 0;
  AfterLayoutChange();
}

void CSheetDataView::UpdateTable() {
  if (!shown_) return;
  // Rows may have gone: keep the cursor and the scroll inside them.
  const uint32_t rows = RowCount();
  if (selRow_ > rows) selRow_ = rows;
  if (anchorRow_ > rows) anchorRow_ = rows;
  if (selRow_ == 0) selColumn_ = anchorRow_ = 0;
  AfterLayoutChange();
}

void CSheetDataView::UpdateRow(uint32_t row) {
  if (!IsInitialized() || !shown_) return;
  const vcom::CRect r = CellRect(row, 0);
  InvalidateRect(vcom::CRect(0, r.y, SheetRect().width, r.height));
  numberView_.Invalidate();
}

void CSheetDataView::UpdateCell(uint32_t row, uint32_t column) {
  if (!IsInitialized() || !shown_) return;
  InvalidateRect(CellRect(row, column));
}

void CSheetDataView::AfterLayoutChange() {
  PlaceStrips();
  ScrollTo(topRow_, leftX_);
  UpdateScrollBars();
  if (IsInitialized()) {
    Invalidate();
    statusView_.Invalidate();
    columnView_.Invalidate();
    numberView_.Invalidate();
  }
}

// ------------------------------------------------------------ columns, rows, fonts

bool CSheetDataView::SetColumnMode(uint32_t column, uint32_t mode, int32_t width) {
  CColumnListElem* c = shown_ ? shown_->Column(column) : nullptr;
  if (!c) return false;
  c->widthMode = mode;
  if (mode == wmUser) c->userWidth = std::max(width, c->minWidth);
  shown_->CalcColumnsWidth(*this, false);
  if (fitToWidth_) shown_->FitToWidth(CellsRect().width);
  settings_.SetModified();
  AfterLayoutChange();
  return true;
}

bool CSheetDataView::SetColumnJustify(uint32_t column, uint32_t justify) {
  CColumnListElem* c = shown_ ? shown_->Column(column) : nullptr;
  if (!c || justify > jsRight) return false;
  c->justify = justify;
  settings_.SetModified();
  AfterLayoutChange();
  return true;
}

bool CSheetDataView::ShowColumn(uint32_t column, bool shown) {
  CColumnListElem* c = shown_ ? shown_->Column(column) : nullptr;
  if (!c) return false;
  if (shown) {
    c->flags &= ~cfHidden;
  } else {
    c->flags |= cfHidden;
  }
  shown_->CalcColumnsWidth(*this, false);
  if (fitToWidth_) shown_->FitToWidth(CellsRect().width);
  if (!shown && (selColumn_ == column || anchorColumn_ == column)) {
    selColumn_ = anchorColumn_ = FirstShownColumn();
  }
  settings_.SetModified();
  AfterLayoutChange();
  return true;
}

void CSheetDataView::SetRowMode(int32_t rowHeight) {
  rowMode_ = std::max(0, rowHeight);
  AfterLayoutChange();
}

void CSheetDataView::SetFont(const vfont::TFontDesc& desc) {
  font_.Init(desc);
  columnView_.SetFont(&font_);
  numberView_.SetFont(&font_);
  if (shown_) {
    shown_->CalcColumnsWidth(*this, false);
    shown_->CalcRowDepth(*this);
    if (fitToWidth_) shown_->FitToWidth(CellsRect().width);
  }
  settings_.SetModified();
  AfterLayoutChange();
}

void CSheetDataView::SetWordWrap(bool on) {
  wordWrap_ = on;
  if (menu_.HasItem(cmWordWrap)) {
    if (on) {
      menu_.Check(cmWordWrap);
    } else {
      menu_.Uncheck(cmWordWrap);
    }
  }
  if (shown_) shown_->CalcRowDepth(*this);
  settings_.SetModified();
  AfterLayoutChange();
}

void CSheetDataView::SetFitToWidth(bool on) {
  fitToWidth_ = on;
  if (shown_) {
    shown_->CalcColumnsWidth(*this, false);
    if (on) shown_->FitToWidth(CellsRect().width);
  }
  AfterLayoutChange();
}

void CSheetDataView::SetCellMargin(int32_t margin) {
  margin_ = std::max(0, margin);
  if (shown_) shown_->CalcColumnsWidth(*this, false);
  AfterLayoutChange();
}

void CSheetDataView::SelSortColumn(uint32_t column) {
  CColumnListElem* chosen = shown_ ? shown_->Column(column) : nullptr;
  if (!chosen) return;
  for (vlist::CListElem* e = shown_->columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    if (c != chosen) c->sortMark = skNone;
  }
  chosen->sortMark = chosen->sortMark == skFirst ? skSecond : skFirst;
  if (IsInitialized()) columnView_.Invalidate();
  DS_Notify(chosen->sortMark == skFirst ? ncSortFirst : ncSortSecond, shown_->handle, 0, column);
}

// ------------------------------------------------------------ layout

uint32_t CSheetDataView::RowCount() { return shown_ ? DS_ReadRowsCount(shown_->handle) : 0; }

int32_t CSheetDataView::RowHeight() {
  const int32_t depth = shown_ ? std::max(1, shown_->rowDepth) : 1;
  if (shown_ && shown_->rowHeight > 0) return shown_->rowHeight * depth;
  if (rowMode_ > 0) return rowMode_ * depth;
  return FontHeight(&font_) * depth + margin_;
}

int32_t CSheetDataView::HeaderHeight() {
  if (!shown_ || !(shown_->flags & tfHeaders)) return 0;
  if (shown_->headerHeight > 0) return shown_->headerHeight;
  return FontHeight(&font_) + margin_ + 2;
}

int32_t CSheetDataView::NumberWidth() {
  if (!shown_ || !(shown_->flags & tfRowNumbers)) return 0;
  const std::string digits(std::max<std::size_t>(3, std::to_string(RowCount()).size()), '0');
  return MeasureText(&font_, static_cast<int32_t>(digits.size()), digits.c_str()) + 2 * margin_;
}

vcom::CRect CSheetDataView::CellsRect() {
  const vcom::CRect data = SheetRect();
  const int32_t x = TreeWidth() + NumberWidth(), y = HeaderHeight();
  return vcom::CRect(x, y, std::max(0, data.width - x), std::max(0, data.height - y));
}

uint32_t CSheetDataView::PageRows() {
  const int32_t h = CellsRect().height, rh = std::max(1, RowHeight());
  return static_cast<uint32_t>(std::max(1, h / rh));
}

void CSheetDataView::ScrollTo(int64_t topRow, int64_t leftX) {
  const uint32_t rows = RowCount(), page = PageRows();
  const int64_t maxTop = rows > page ? rows - page : 0;
  topRow_ = static_cast<uint32_t>(std::clamp<int64_t>(topRow, 0, maxTop));
  const int32_t total = shown_ ? shown_->columnsWidth : 0;
  const int64_t maxLeft = std::max<int64_t>(0, total - CellsRect().width);
  leftX_ = static_cast<int32_t>(std::clamp<int64_t>(leftX, 0, maxLeft));
  UpdateScrollBars();
  if (IsInitialized()) {
    Invalidate();
    columnView_.Invalidate();
    numberView_.Invalidate();
  }
}

void CSheetDataView::EnsureVisible(uint32_t row, uint32_t column) {
  int64_t top = topRow_, left = leftX_;
  const uint32_t page = PageRows();
  if (row > 0) {
    if (row - 1 < topRow_) top = row - 1;
    if (row > topRow_ + page) top = int64_t{row} - page;
  }
  CColumnListElem* c = shown_ && column ? shown_->Column(column) : nullptr;
  if (c && c->width > 0) {
    const int32_t width = CellsRect().width;
    if (c->left < leftX_) left = c->left;
    if (c->left + c->width > left + width) left = c->left + std::min(c->width, width) - width;
  }
  if (top != topRow_ || left != leftX_) ScrollTo(top, left);
}

void CSheetDataView::UpdateScrollBars() {
  if (!IsInitialized()) return;
  const uint32_t rows = RowCount();
  SetVScroll(static_cast<int>(rows > 0 ? rows - 1 : 0), static_cast<int>(PageRows()), static_cast<int>(topRow_));
  const int32_t total = shown_ ? shown_->columnsWidth : 0;
  const int32_t width = std::max(1, CellsRect().width);
  SetHScroll(std::max(0, total - 1), width, leftX_);
}

void CSheetDataView::PlaceStrips() {
  if (!IsInitialized()) return;
  const vcom::CRect data = SheetRect();
  const int32_t tw = TreeWidth(), nw = NumberWidth(), hh = HeaderHeight();
  treeView_.SetRect(vcom::CRect(0, 0, tw, data.height));
  treeView_.Show(tw > 0);
  columnView_.SetRect(vcom::CRect(tw + nw, 0, std::max(0, data.width - tw - nw), hh));
  numberView_.SetRect(vcom::CRect(tw, hh, nw, std::max(0, data.height - hh)));
  cornerView_.SetRect(vcom::CRect(tw, 0, nw, hh));
  columnView_.Show(hh > 0);
  numberView_.Show(nw > 0);
  cornerView_.Show(nw > 0 && hh > 0);
}

vcom::CRect CSheetDataView::SheetRect() {
  if (!IsInitialized()) return vcom::CRect();
  vcom::CRect r = DataRect();
  r.height = std::max(0, r.height - StatusHeight());
  return r;
}

int32_t CSheetDataView::StatusHeight() {
  return (options_ & voStatusBar) && statusView_.IsInitialized() ? FontHeight(&font_) + 6 : 0;
}

void CSheetDataView::NewRect(const vcom::CRect& rect) {
  // The scroll bars sit above the status line.
  const int32_t sh = StatusHeight();
  vdata::CDataView::NewRect(vcom::CRect(rect.x, rect.y, rect.width, std::max(0, rect.height - sh)));
  if (sh > 0) statusView_.SetRect(vcom::CRect(0, std::max(0, rect.height - sh), rect.width, sh));
  if (shown_ && fitToWidth_) {
    shown_->CalcColumnsWidth(*this, false);
    shown_->FitToWidth(CellsRect().width);
  }
  AfterLayoutChange();
}

void CSheetDataView::ScrollChanged(int hPos, int vPos) { ScrollTo(vPos, hPos); }

bool CSheetDataView::CellAt(int x, int y, uint32_t& row, uint32_t& column) {
  row = column = 0;
  const vcom::CRect cells = CellsRect();
  if (!shown_ || x < cells.x || y < cells.y || x >= cells.x + cells.width || y >= cells.y + cells.height) return false;
  const uint64_t r = topRow_ + static_cast<uint64_t>((y - cells.y) / std::max(1, RowHeight())) + 1;
  if (r > RowCount()) return false;
  const int32_t tx = x - cells.x + leftX_;
  for (vlist::CListElem* e = shown_->columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    if (c->width > 0 && tx >= c->left && tx < c->left + c->width) {
      row = static_cast<uint32_t>(r);
      column = c->handle;
      return true;
    }
  }
  return false;
}

vcom::CRect CSheetDataView::CellRect(uint32_t row, uint32_t column) {
  const vcom::CRect cells = CellsRect();
  const int32_t rh = RowHeight();
  const int32_t y = cells.y + (static_cast<int32_t>(row) - 1 - static_cast<int32_t>(topRow_)) * rh;
  if (column == 0) return vcom::CRect(cells.x, y, cells.width, rh);
  CColumnListElem* c = shown_ ? shown_->Column(column) : nullptr;
  if (!c) return vcom::CRect();
  return vcom::CRect(cells.x + c->left - leftX_, y, c->width, rh);
}

uint32_t CSheetDataView::ColumnBorderAt(int x) {
  if (!shown_) return 0;
  const int32_t tx = x + leftX_;
  for (vlist::CListElem* e = shown_->columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    if (c->width > 0 && std::abs(tx - (c->left + c->width)) <= 3) return c->handle;
  }
  return 0;
}

// ------------------------------------------------------------ measurement

int32_t CSheetDataView::MeasureText(const vfont::CFont* font, int32_t length, const char* text) {
  if (length <= 0) return 0;
  if (!measure_) {
    measure_ = new vgr::CMemoryContext;
    measure_->Init(4, 4);
  }
  measure_->SetGCFont(font ? font : &font_);
  return measure_->TextWidth(length, text);
}

int32_t CSheetDataView::FontHeight(const vfont::CFont* font) {
  if (!measure_) {
    measure_ = new vgr::CMemoryContext;
    measure_->Init(4, 4);
  }
  measure_->SetGCFont(font ? font : &font_);
  return measure_->TextHeight();
}

// ------------------------------------------------------------ data source defaults

bool CSheetDataView::DS_ReadDataString(uint32_t, uint32_t, uint32_t, uint32_t high, char* text, TColor& colour,
                                       uint32_t& flags) {
  if (text) text[0] = 0;
  (void)high;
  colour = kNoColour;
  flags = 0;
  return false;
}

bool CSheetDataView::DS_ReadTitleRow(uint32_t, uint32_t, uint32_t, char* text) {
  if (text) text[0] = 0;
  return false;
}

bool CSheetDataView::DS_GetTableInfo(uint32_t, uint32_t, char* info) {
  if (info) info[0] = 0;
  return false;
}

bool CSheetDataView::DS_GetColumnInfo(uint32_t, uint32_t, uint32_t, char* info) {
  if (info) info[0] = 0;
  return false;
}

bool CSheetDataView::DS_GetTitle(uint32_t table, uint32_t high, char* title) {
  const CTableListElem* t = GetPTable(table);
  if (!title) return false;
  FixedText::Assign(high, title, t ? std::string(t->title) : std::string());
  return t != nullptr;
}

std::string CSheetDataView::CellText(uint32_t table, uint32_t row, uint32_t column) {
  char text[1024];
  TColor colour = kNoColour;
  uint32_t flags = 0;
  text[0] = 0;
  if (!DS_ReadDataString(table, row, column, sizeof text - 1, text, colour, flags)) return std::string();
  text[sizeof text - 1] = 0;
  return text;
}

// ------------------------------------------------------------ selection

uint32_t CSheetDataView::FirstShownColumn() const { return shown_ ? shown_->ColumnHandle(1) : 0; }

uint32_t CSheetDataView::LastShownColumn() const {
  uint32_t last = 0;
  if (shown_)
    for (vlist::CListElem* e = shown_->columns.first; e; e = e->next) {
      auto* c = static_cast<CColumnListElem*>(e);
      if (!(c->flags & cfHidden)) last = c->handle;
    }
  return last;
}

// The shown column `step` places from column (clamped to the first and last).
uint32_t CSheetDataView::NextShownColumn(uint32_t column, int step) const {
  if (!shown_) return 0;
  std::vector<uint32_t> shown;
  for (vlist::CListElem* e = shown_->columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    if (!(c->flags & cfHidden)) shown.push_back(c->handle);
  }
  if (shown.empty()) return 0;
  auto it = std::find(shown.begin(), shown.end(), column);
  const int64_t at = it == shown.end() ? 0 : it - shown.begin();
  const int64_t to = std::clamp<int64_t>(at + step, 0, static_cast<int64_t>(shown.size()) - 1);
  return shown[static_cast<std::size_t>(to)];
}

bool CSheetDataView::MoveSelection(int64_t row, int64_t column, bool extend) {
  if (!shown_) return false;
  const uint32_t rows = RowCount();
  if (rows == 0 && shown_->SelectionMode() != smColumn) return false;
  const TSelectionMode mode = shown_->SelectionMode();
  const uint32_t r = rows ? static_cast<uint32_t>(std::clamp<int64_t>(row, 1, rows)) : 0;
  uint32_t c = static_cast<uint32_t>(std::max<int64_t>(0, column));
  if (c == 0 || !shown_->Column(c) || (shown_->Column(c)->flags & cfHidden)) c = FirstShownColumn();
  if (mode == smCell) extend = false;  // a single cell
  const bool changed = r != selRow_ || c != selColumn_;
  selRow_ = r;
  selColumn_ = c;
  if (!extend || anchorRow_ == 0) {
    anchorRow_ = r;
    anchorColumn_ = c;
  }
  if (!extend && mode == smColumn) anchorColumn_ = c;
  EnsureVisible(mode == smColumn ? 0 : r, c);
  if (IsInitialized()) {
    Invalidate();
    numberView_.Invalidate();
    columnView_.Invalidate();
  }
  if (changed) DS_Notify(ncSelection, shown_->handle, selRow_, selColumn_);
  return true;
}

bool CSheetDataView::SelCellNumber(uint32_t row, uint32_t column, bool extend) {
  return MoveSelection(row, column, extend);
}
bool CSheetDataView::SelRowNumber(uint32_t row, bool extend) {
  return MoveSelection(row, selColumn_ ? selColumn_ : FirstShownColumn(), extend);
}
bool CSheetDataView::SelColumnNumber(uint32_t column, bool extend) {
  return MoveSelection(selRow_ ? selRow_ : 1, column, extend);
}
bool CSheetDataView::SelFirstRow(bool extend) { return SelRowNumber(1, extend); }
bool CSheetDataView::SelLastRow(bool extend) { return SelRowNumber(RowCount(), extend); }
bool CSheetDataView::SelPrevRow(bool extend) { return SelRowNumber(selRow_ > 1 ? selRow_ - 1 : 1, extend); }
bool CSheetDataView::SelNextRow(bool extend) { return MoveSelection(int64_t{selRow_} + 1, selColumn_, extend); }
bool CSheetDataView::SelFirstColumn(bool extend) { return SelColumnNumber(FirstShownColumn(), extend); }
bool CSheetDataView::SelLastColumn(bool extend) { return SelColumnNumber(LastShownColumn(), extend); }
bool CSheetDataView::SelPrevColumn(bool extend) { return SelColumnNumber(NextShownColumn(selColumn_, -1), extend); }
bool CSheetDataView::SelNextColumn(bool extend) {
  return SelColumnNumber(selColumn_ ? NextShownColumn(selColumn_, 1) : FirstShownColumn(), extend);
}
bool CSheetDataView::SelPrevPage(bool extend) {
  return MoveSelection(int64_t{selRow_} - PageRows(), selColumn_, extend);
}
bool CSheetDataView::SelNextPage(bool extend) {
  return MoveSelection(int64_t{selRow_} + PageRows(), selColumn_, extend);
}
bool CSheetDataView::SelFirstPage(bool extend) { return MoveSelection(1, selColumn_, extend); }
bool CSheetDataView::SelLastPage(bool extend) { return MoveSelection(RowCount(), selColumn_, extend); }

void CSheetDataView::ClearSelection() {
  selRow_ = selColumn_ = anchorRow_ = anchorColumn_ = 0;
  if (IsInitialized()) Invalidate();
}

bool CSheetDataView::SelectedBlock(uint32_t& firstRow, uint32_t& lastRow, uint32_t& firstColumn,
                                   uint32_t& lastColumn) const {
  firstRow = lastRow = firstColumn = lastColumn = 0;
  if (!shown_ || selColumn_ == 0) return false;
  switch (shown_->SelectionMode()) {
    case smRows:
      if (selRow_ == 0) return false;
      firstRow = std::min(anchorRow_, selRow_);
      lastRow = std::max(anchorRow_, selRow_);
      firstColumn = 1;
      lastColumn = shown_->columnCount;
      return true;
    case smColumn:
      firstRow = 1;
      lastRow = const_cast<CSheetDataView*>(this)->RowCount();
      firstColumn = std::min(anchorColumn_, selColumn_);
      lastColumn = std::max(anchorColumn_, selColumn_);
      return true;
    case smCell:
      if (selRow_ == 0) return false;
      firstRow = lastRow = selRow_;
      firstColumn = lastColumn = selColumn_;
      return true;
  }
  return false;
}

bool CSheetDataView::IsCellSelected(uint32_t row, uint32_t column) const {
  uint32_t r1, r2, c1, c2;
  if (!SelectedBlock(r1, r2, c1, c2)) return false;
  return row >= r1 && row <= r2 && IsColumnSelected(column);
}

bool CSheetDataView::IsColumnSelected(uint32_t column) const {
  const CColumnListElem* c = shown_ ? shown_->Column(column) : nullptr;
  if (!c || (c->flags & cfHidden) || selColumn_ == 0) return false;
  switch (shown_->SelectionMode()) {
    case smRows: return selRow_ != 0;
    case smCell: return selRow_ != 0 && column == selColumn_;
    case smColumn: {
      // Columns by position between the anchor and the cursor.
      const CColumnListElem* a = shown_->Column(anchorColumn_);
      const CColumnListElem* b = shown_->Column(selColumn_);
      if (!a || !b) return false;
      return c->left >= std::min(a->left, b->left) && c->left <= std::max(a->left, b->left) && c->width > 0;
    }
  }
  return false;
}

// ------------------------------------------------------------ clipboard

std::string CSheetDataView::CopyText(bool headers) {
  uint32_t r1, r2, c1, c2;
  if (!SelectedBlock(r1, r2, c1, c2)) return std::string();
  // The columns copied: the selected ones that are shown, in table order.
  std::vector<const CColumnListElem*> columns;
  for (vlist::CListElem* e = shown_->columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    if (IsColumnSelected(c->handle)) columns.push_back(c);
  }
  if (columns.empty()) return std::string();
  std::string out;
  auto line = [&](auto cellText) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i) out += '\t';
      out += cellText(columns[i]);
    }
  };
  if (headers) {
    line([](const CColumnListElem* c) { return std::string(c->header); });
    out += "\r\n";
  }
  const uint32_t table = shown_->handle;
  if (r1 > 0 && r1 <= r2 && DS_PrepareForRead(table)) {
    for (uint32_t row = r1; row <= r2; ++row) {
      if (row > r1) out += "\r\n";
      if (!DS_ReadRowData(table, row)) continue;
      line([&](const CColumnListElem* c) { return CellText(table, row, c->handle); });
    }
    DS_FinishRead(table);
  }
  return out;
}

void CSheetDataView::ClipCopy(bool headers) {
  const std::string text = CopyText(headers);
  vcom::TextClipCopyA(text.data(), static_cast<uint32_t>(text.size()));
}

// ------------------------------------------------------------ editing hooks

bool CSheetDataView::ShowCellEditor() {
  if (!shown_ || editing_ || selRow_ == 0 || selColumn_ == 0) return false;
  std::string text = CellText(shown_->handle, selRow_, selColumn_);
  if (!DS_CreateCellEditor(shown_->handle, selRow_, selColumn_, text)) return false;
  editing_ = true;
  editRow_ = selRow_;
  editColumn_ = selColumn_;
  if (IsInitialized()) {
    EnsureVisible(selRow_, selColumn_);
    editor_.Init(this, CellRect(selRow_, selColumn_), kEditorId, text.c_str());
    editor_.Show();
    editor_.SetFocus();
  } else {
    editor_.SetText(text.c_str());
  }
  return true;
}

bool CSheetDataView::HideCellEditor(bool keep) {
  if (!editing_) return false;
  const std::string text = editor_.IsInitialized() ? editor_.Text() : std::string();
  if (keep && !DS_CheckCellEditorData(shown_->handle, editRow_, editColumn_, text)) return false;
  DS_DoneCellEditor(shown_->handle, editRow_, editColumn_, text, keep);
  editing_ = false;
  editor_.Done();
  if (IsInitialized()) {
    SetFocus();
    UpdateCell(editRow_, editColumn_);
  }
  return true;
}

bool CSheetDataView::EditNextCell(bool forward) {
  if (editing_ && !HideCellEditor(true)) return false;
  if (!HandleCommand(forward ? cmNextWrap : cmPrevWrap)) return false;
  return ShowCellEditor();
}

bool CSheetDataView::AppendRow() {
  if (!shown_ || !DS_AppendRow(shown_->handle)) return false;
  UpdateTable();
  return SelLastRow();
}

bool CSheetDataView::InsertRowNumber(uint32_t row) {
  if (!shown_ || row == 0 || !DS_InsertRowNumber(shown_->handle, row)) return false;
  UpdateTable();
  return true;
}

bool CSheetDataView::DeleteRowNumber(uint32_t row) {
  if (!shown_ || row == 0 || !DS_DeleteRowNumber(shown_->handle, row)) return false;
  UpdateTable();
  return true;
}

// ------------------------------------------------------------ settings document

bool CSheetDataView::OpenSettings(const char* path) {
  // Opening clears the view; the document only remembers where it lives.
  HideTable();
  settingsPath_ = path ? path : "";
  settings_.MarkSaved();
  return true;
}

bool CSheetDataView::SaveSettings(const char* path) {
  if (path) settingsPath_ = path;
  settings_.MarkSaved();
  if (statusView_.IsInitialized()) statusView_.Invalidate();
  return true;
}

std::string CSheetDataView::StatusText() const { return settings_.IsModified() ? "Modified" : ""; }

std::string CSheetDataView::StatusLine() const {
  std::string line = StatusText();
  if (!settingsPath_.empty()) line += (line.empty() ? "" : "   ") + settingsPath_;
  return line;
}

bool CSheetDataView::SettingsCommand(uint32_t command) {
  if (options_ & voEmbedded) return false;  // the embedding document handles them
  static const vdlg::TFileFilter kFilter[] = {{"*.sht", "Sheet DataView settings (*.sht)"}};
  char path[4096];
  FixedText::Assign(sizeof path - 1, path, settingsPath_);
  switch (command) {
    case cmNew: OpenSettings(""); break;
    case cmOpen:
      if (vdlg::GetInFileName("Open", sizeof path - 1, path, kFilter, 1)) OpenSettings(path);
      break;
    case cmSave:
      if (!settingsPath_.empty()) {
        SaveSettings(nullptr);
        break;
      }
      [[fallthrough]];
    case cmSaveAs:
      if (vdlg::GetOutFileName("Save As", sizeof path - 1, path, kFilter, 1)) SaveSettings(path);
      break;
    default: return false;
  }
  return true;
}

void CSheetDataView::AddFriendView(view::CView* friendView) {
  if (friendView) friends_.push_back(friendView);
}

}  // namespace gridon
