// Painting of cells, headers and row numbers; the strips' mouse handling;
// the column header's menu and the column-list dialog.
#include <winkit/vcont.h>
#include <winkit/vimage.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gridon/sheet_view.h"

namespace gridon {

namespace {
constexpr TColor kWindowPaper = vcolor::RGBA(240, 240, 240);  // strips and title rows
constexpr TColor kStripLine = vcolor::RGBA(160, 160, 160);
constexpr TColor kGridLine = vcolor::RGBA(218, 218, 218);
constexpr TColor kSelectionPaper = vcolor::RGBA(204, 228, 247);
constexpr TColor kCursorFrame = vcolor::RGBA(0, 120, 215);
constexpr TColor kSelectedStrip = vcolor::RGBA(214, 224, 236);

}  // namespace

// ------------------------------------------------------------ cells

std::vector<std::string> CSheetDataView::WrapText(const vfont::CFont* font, const std::string& text, int32_t width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t i = 0;
  while (i <= text.size()) {
    std::size_t j = text.find(' ', i);
    if (j == std::string::npos) j = text.size();
    const std::string word = text.substr(i, j - i);
    const std::string tried = line.empty() ? word : line + " " + word;
    if (!line.empty() && MeasureText(font, static_cast<int32_t>(tried.size()), tried.c_str()) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = tried;
    }
    i = j + 1;
  }
  lines.push_back(line);
  return lines;
}

void CSheetDataView::PaintView(vgr::CDeviceContext& dc) {
  PaintCells(dc, 0, 0);
  // Without peers for the strips (an image of the view) they are drawn here.
  const int32_t tw = TreeWidth();
  if (!columnView_.IsInitialized() && HeaderHeight() > 0) PaintHeaders(dc, tw + NumberWidth(), 0);
  if (!numberView_.IsInitialized() && NumberWidth() > 0) PaintNumbers(dc, tw, HeaderHeight());
  if (!treeView_.IsInitialized() && tw > 0) PaintTree(dc, 0, 0);
}

void CSheetDataView::PaintCell(vgr::CDeviceContext& dc, CColumnListElem& column, uint32_t row, const vcom::CRect& rect,
                               const vcom::CRect& area, bool selected) {
  const uint32_t table = shown_->handle;
  char text[1024];
  text[0] = 0;
  TColor colour = kNoColour;
  uint32_t flags = 0;
  const bool has = DS_ReadDataString(table, row, column.handle, sizeof text - 1, text, colour, flags);
  text[sizeof text - 1] = 0;
  const bool textColour = flags & dfTextColour;
  TColor paper = vcolor::White;
  if (selected) {
    paper = kSelectionPaper;
  } else if (has && colour != kNoColour && !textColour) {
    paper = colour;
  }
  dc.SetGCPaperColor(paper);
  dc.Rectangle(rect.x, rect.y, rect.width, rect.height);
  if (DS_PaintDataCell(table, row, column.handle, dc, rect)) return;
  // The text stays inside both the cell and the cells' area.
  const int32_t cx = std::max(rect.x, area.x), cy = std::max(rect.y, area.y);
  const int32_t cr = std::min(rect.x + rect.width, area.x + area.width);
  const int32_t cb = std::min(rect.y + rect.height, area.y + area.height);
  dc.SetClip(cx, cy, std::max(0, cr - cx), std::max(0, cb - cy));
  int32_t x = rect.x + margin_;
  if (column.flags & cfIcon) {
    const vgr::CIcon* icon = nullptr;
    if (DS_ReadDataPIcon(table, row, column.handle, icon) && icon)
      dc.DrawIcon(rect.x + margin_ / 2, rect.y + (rect.height - icon->Height()) / 2, *icon);
    x += IconWidth() + margin_ / 2;
  }
  if (has && text[0]) {
    const vfont::CFont* font = column.font ? column.font : &font_;
    dc.SetGCFont(font);
    dc.SetGCTextColor(textColour && colour != kNoColour ? colour : vcolor::Black);
    const int32_t room = rect.x + rect.width - margin_ - x;
    const int32_t lineHeight = FontHeight(font);
    std::vector<std::string> lines;
    if (wordWrap_) {
      lines = WrapText(font, text, room);
    } else {
      lines.push_back(text);
    }
    int32_t y = rect.y + (rect.height - lineHeight * static_cast<int32_t>(lines.size())) / 2;
    for (const std::string& line : lines) {
      const int32_t w = MeasureText(font, static_cast<int32_t>(line.size()), line.c_str());
      int32_t lx = x;
      if (column.justify == jsRight) lx = std::max(x, x + room - w);
      if (column.justify == jsCenter) lx = std::max(x, x + (room - w) / 2);
      dc.OutTextXY(lx, y, static_cast<int>(line.size()), line.c_str());
      y += lineHeight;
    }
  }
  dc.SetClip(area.x, area.y, area.width, area.height);
}

void CSheetDataView::PaintTitleRow(vgr::CDeviceContext& dc, uint32_t row, const vcom::CRect& rect) {
  char text[1024];
  text[0] = 0;
  DS_ReadTitleRow(shown_->handle, row, sizeof text - 1, text);
  text[sizeof text - 1] = 0;
  dc.SetGCPaperColor(kWindowPaper);
  dc.Rectangle(rect.x, rect.y, rect.width, rect.height);
  dc.SetGCFont(&captionFont_);
  dc.SetGCTextColor(vcolor::Black);
  dc.OutTextXY(rect.x + margin_, rect.y + (rect.height - FontHeight(&captionFont_)) / 2,
               static_cast<int>(std::strlen(text)), text);
}

void CSheetDataView::PaintCells(vgr::CDeviceContext& dc, int x0, int y0) {
  vcom::CRect cells = CellsRect();
  cells.x += x0;
  cells.y += y0;
  dc.SetGCPaperColor(vcolor::White);
  dc.Rectangle(cells.x, cells.y, cells.width, cells.height);
  if (!shown_) return;
  const uint32_t table = shown_->handle, rows = RowCount();
  const int32_t rh = RowHeight();
  if (rows == 0 || !DS_PrepareForRead(table)) return;
  dc.SetClip(cells.x, cells.y, cells.width, cells.height);
  const bool grid = shown_->flags & tfGrid;
  for (uint32_t row = topRow_ + 1, i = 0; row <= rows && static_cast<int32_t>(i) * rh < cells.height; ++row, ++i) {
    const int32_t y = cells.y + static_cast<int32_t>(i) * rh;
    if (!DS_ReadRowData(table, row)) continue;
    if (DS_IsTitleRow(table, row)) {
      PaintTitleRow(dc, row, vcom::CRect(cells.x, y, std::min(cells.width, shown_->columnsWidth - leftX_), rh));
      continue;
    }
    for (vlist::CListElem* e = shown_->columns.first; e; e = e->next) {
      auto* c = static_cast<CColumnListElem*>(e);
      if (c->width <= 0) continue;
      const int32_t x = cells.x + c->left - leftX_;
      if (x >= cells.x + cells.width || x + c->width <= cells.x) continue;
      const vcom::CRect r(x, y, c->width, rh);
      PaintCell(dc, *c, row, r, cells, IsCellSelected(row, c->handle));
      if (grid) {
        dc.SetGCInkColor(kGridLine);
        dc.Line(r.x + r.width - 1, r.y, r.x + r.width - 1, r.y + r.height - 1);
        dc.Line(r.x, r.y + r.height - 1, r.x + r.width - 1, r.y + r.height - 1);
      }
      if (row == selRow_ && c->handle == selColumn_ && shown_->SelectionMode() == smCell) {
        dc.SetGCInkColor(kCursorFrame);
        dc.Box(r.x, r.y, r.width - 1, r.height - 1);
      }
    }
  }
  dc.ClearClip();
  DS_FinishRead(table);
}

// ------------------------------------------------------------ strips

void CSheetDataView::PaintHeaders(vgr::CDeviceContext& dc, int x0, int y0) {
  const int32_t hh = HeaderHeight();
  const int32_t width = CellsRect().width;
  dc.SetGCPaperColor(kWindowPaper);
  dc.Rectangle(x0, y0, width, hh);
  if (!shown_ || hh <= 0) return;
  dc.SetGCFont(&font_);
  dc.SetGCTextColor(vcolor::Black);
  for (vlist::CListElem* e = shown_->columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    if (c->width <= 0) continue;
    const int32_t x = x0 + c->left - leftX_;
    if (x >= x0 + width || x + c->width <= x0) continue;
    if (IsColumnSelected(c->handle) && shown_->SelectionMode() == smColumn) {
      dc.SetGCPaperColor(kSelectedStrip);
      dc.Rectangle(x, y0, c->width, hh);
    }
    dc.SetClip(x, y0, c->width, hh);
    const int32_t len = static_cast<int32_t>(std::strlen(c->header));
    const int32_t w = MeasureText(&font_, len, c->header);
    const int32_t room = c->width - 2 * margin_;
    int32_t tx = x + margin_;
    if (c->justify == jsRight) tx = x + margin_ + std::max(0, room - w);
    if (c->justify == jsCenter) tx = x + margin_ + std::max(0, (room - w) / 2);
    dc.OutTextXY(tx, y0 + (hh - FontHeight(&font_)) / 2, len, c->header);
    if (c->sortMark != skNone) {
      // A small triangle: up for the first mark, down for the second.
      const int32_t cx = x + c->width - margin_ - 4, cy = y0 + hh / 2;
      const int s = c->sortMark == skFirst ? -1 : 1;
      const int xs[] = {cx - 4, cx + 4, cx, cx - 4};
      const int ys[] = {cy - 2 * s, cy - 2 * s, cy + 2 * s, cy - 2 * s};
      dc.SetGCInkColor(kStripLine);
      dc.PolyLine(4, xs, ys);
    }
    dc.ClearClip();
    dc.SetGCInkColor(kStripLine);
    dc.Line(x + c->width - 1, y0 + 2, x + c->width - 1, y0 + hh - 3);
  }
  dc.SetGCInkColor(kStripLine);
  dc.Line(x0, y0 + hh - 1, x0 + width - 1, y0 + hh - 1);
}

void CSheetDataView::PaintNumbers(vgr::CDeviceContext& dc, int x0, int y0) {
  const int32_t nw = NumberWidth();
  const int32_t height = CellsRect().height;
  dc.SetGCPaperColor(kWindowPaper);
  dc.Rectangle(x0, y0, nw, height);
  if (!shown_ || nw <= 0) return;
  const uint32_t rows = RowCount();
  const int32_t rh = RowHeight();
  dc.SetGCFont(&font_);
  dc.SetGCTextColor(vcolor::Black);
  uint32_t r1 = 0, r2 = 0, c1, c2;
  const bool rowsSelected = SelectedBlock(r1, r2, c1, c2) && shown_->SelectionMode() != smColumn;
  for (uint32_t row = topRow_ + 1, i = 0; row <= rows && static_cast<int32_t>(i) * rh < height; ++row, ++i) {
    const int32_t y = y0 + static_cast<int32_t>(i) * rh;
    if (rowsSelected && row >= r1 && row <= r2) {
      dc.SetGCPaperColor(kSelectedStrip);
      dc.Rectangle(x0, y, nw, rh);
    }
    const std::string n = std::to_string(row);
    const int32_t w = MeasureText(&font_, static_cast<int32_t>(n.size()), n.c_str());
    dc.OutTextXY(x0 + nw - margin_ - w, y + (rh - FontHeight(&font_)) / 2, static_cast<int>(n.size()), n.c_str());
    dc.SetGCInkColor(kStripLine);
    dc.Line(x0 + 2, y + rh - 1, x0 + nw - 3, y + rh - 1);
  }
  dc.SetGCInkColor(kStripLine);
  dc.Line(x0 + nw - 1, y0, x0 + nw - 1, y0 + height - 1);
}

bool CSheetDataView::RenderImage(vimage::CImage& image) {
  const vcom::CRect data = SheetRect();
  if (data.width <= 0 || data.height <= 0) return false;
  vgr::CMemoryContext dc;
  if (!dc.Init(data.width, data.height, vcolor::White)) return false;
  const int32_t tw = TreeWidth(), nw = NumberWidth(), hh = HeaderHeight();
  PaintCells(dc, 0, 0);
  if (hh > 0) PaintHeaders(dc, tw + nw, 0);
  if (nw > 0) PaintNumbers(dc, tw, hh);
  if (nw > 0 && hh > 0) {
    dc.SetGCPaperColor(kWindowPaper);
    dc.Rectangle(tw, 0, nw, hh);
  }
  if (tw > 0) PaintTree(dc, 0, 0);
  const bool ok = dc.CopyToImage(image);
  dc.Done();
  return ok;
}

void CSheetStatusView::PaintView(vgr::CDeviceContext& dc) {
  const vcom::CRect r = ClientRect();
  dc.SetGCPaperColor(kWindowPaper);
  dc.Rectangle(0, 0, r.width, r.height);
  dc.SetGCInkColor(kStripLine);
  dc.Line(0, 0, r.width - 1, 0);
  const std::string line = sheet_->StatusLine();
  dc.SetGCFont(sheet_->Font());
  dc.SetGCTextColor(vcolor::Black);
  dc.OutTextXY(sheet_->CellMargin(), 3, static_cast<int>(line.size()), line.c_str());
}

void CColumnView::PaintView(vgr::CDeviceContext& dc) { sheet_->PaintHeaders(dc, 0, 0); }
void CNumberView::PaintView(vgr::CDeviceContext& dc) { sheet_->PaintNumbers(dc, 0, 0); }

// Events of the strips reach the sheet in the sheet's own coordinates.
void CColumnView::ReceiveEvent(vcore::TEvent& event) {
  if (!(event.kind & vcore::evMouse) || event.kind == vcore::evMouseWheel) return;
  event.x += GetRect().x;
  event.y += GetRect().y;
  sheet_->HeaderMouse(event);
  StopEvent(event);
}

void CNumberView::ReceiveEvent(vcore::TEvent& event) {
  if (!(event.kind & vcore::evMouse) || event.kind == vcore::evMouseWheel) return;
  event.x += GetRect().x;
  event.y += GetRect().y;
  sheet_->NumberMouse(event);
  StopEvent(event);
}

// ------------------------------------------------------------ strip mouse

void CSheetDataView::HeaderMouse(vcore::TEvent& event) {
  if (!shown_) return;
  const int32_t x = event.x - TreeWidth() - NumberWidth();  // within the header strip
  switch (event.kind) {
    case vcore::evMouseDown: {
      if (const uint32_t border = ColumnBorderAt(x); border && (event.buttons & vcore::mbLeft)) {
        dragColumn_ = static_cast<int>(border);
        dragStartX_ = event.x;
        dragStartWidth_ = shown_->Column(border)->width;
        if (IsInitialized()) columnView_.CaptureMouse();
        return;
      }
      uint32_t handle = 0;
      for (vlist::CListElem* e = shown_->columns.first; e; e = e->next) {
        auto* c = static_cast<CColumnListElem*>(e);
        if (c->width > 0 && x + leftX_ >= c->left && x + leftX_ < c->left + c->width) handle = c->handle;
      }
      if (!handle) return;
      if (event.buttons & vcore::mbRight) {
        HeaderMenu(handle, event.x, event.y);
        return;
      }
      if (shown_->SelectionMode() == smColumn) SelColumnNumber(handle, event.modifiers & vcore::kmShift);
      if (shown_->flags & tfSortable) SelSortColumn(handle);
      return;
    }
    case vcore::evMouseMove:
      if (dragColumn_) {
        SetColumnMode(static_cast<uint32_t>(dragColumn_), wmUser, dragStartWidth_ + event.x - dragStartX_);
      } else if (columnView_.IsInitialized()) {
        columnView_.SetCursor(ColumnBorderAt(x) ? vcore::crSizeWE : vcore::crArrow);
      }
      return;
    case vcore::evMouseUp:
      if (dragColumn_) {
        dragColumn_ = 0;
        if (columnView_.IsInitialized()) columnView_.ReleaseMouse();
      }
      return;
    case vcore::evMouseDouble:
      // A double click on a border fits the column to its texts.
      if (const uint32_t border = ColumnBorderAt(x)) SetColumnMode(border, wmOptimal, 0);
      return;
    default: return;
  }
}

void CSheetDataView::NumberMouse(vcore::TEvent& event) {
  if (!shown_ || event.kind != vcore::evMouseDown || !(event.buttons & vcore::mbLeft)) return;
  const int32_t y = event.y - HeaderHeight();
  if (y < 0) return;
  const uint64_t row = topRow_ + static_cast<uint64_t>(y / std::max(1, RowHeight())) + 1;
  if (row > RowCount()) return;
  if (IsInitialized()) SetFocus();
  SelRowNumber(static_cast<uint32_t>(row), event.modifiers & vcore::kmShift);
}

void CSheetDataView::HeaderMenu(uint32_t column, int x, int y) {
  view::CPopUpMenu menu;
  menu.InitItems();
  menu.AddItem("Columns...", cmColumns);
  menu.AddLine();
  menu.AddItem("Hide column", cmHideColumn);
  menu.AddItem("Default width", cmDefaultWidth);
  menu.AddItem("Optimal width", cmOptimalWidth);
  menu.AddItem("Maximal width", cmMaximalWidth);
  menu.AddLine();
  menu.AddItem("Left justify", cmLeftJustify);
  menu.AddItem("Center justify", cmCenterJustify);
  menu.AddItem("Right justify", cmRightJustify);
  const CColumnListElem* c = shown_->Column(column);
  if (c) menu.Check(cmLeftJustify + c->justify);
  DS_GetColumnUserMenu(shown_->handle, column, menu);
  // The menu delivers the chosen command to the view; the header-menu
  // commands need the column, so they are run here instead.
  const uint32_t chosen = menu.Track(this, x, y);
  if (chosen >= cmHideColumn && chosen <= cmRightJustify) HandleCommand(chosen, false, column);
  menu.Done();
}

// ------------------------------------------------------------ column list

namespace {
enum : uint32_t { idList = 1, idShow, idWidth, idJustify };

// "Column list": each column's visibility, width and justification.
class CColumnListDialog : public vwin::COKCancelDialog {
 public:
  struct TEntry {
    std::string header;
    bool shown;
    int32_t width;
    uint32_t justify;
  };
  std::vector<TEntry> entries;

  void CreateInterior() override {
    list_.Init(this, vcom::CRect(8, 8, 200, 180), idList);
    for (const TEntry& e : entries) list_.AddItem(e.header.c_str());
    show_.Init(this, vcom::CRect(220, 8, 150, 22), idShow, "Show");
    widthLabel_.Init(this, vcom::CRect(220, 40, 150, 20), "Column width");
    width_.Init(this, vcom::CRect(220, 62, 100, 24), idWidth, 0, 4000, 0);
    justifyLabel_.Init(this, vcom::CRect(220, 96, 150, 20), "Justify");
    justify_.Init(this, vcom::CRect(220, 118, 150, 24), idJustify);
    justify_.AddItem("Left justify");
    justify_.AddItem("Center justify");
    justify_.AddItem("Right justify");
    if (!entries.empty()) {
      list_.SetSelection(0);
      Load(0);
    }
  }
  void ReceiveEvent(vcore::TEvent& event) override {
    if (event.kind == vcore::evControl && event.code == idList && event.data == vcore::cnSelected) {
      Store();
      Load(list_.Selection());
      StopEvent(event);
      return;
    }
    vwin::COKCancelDialog::ReceiveEvent(event);
  }
  bool CanOK() override {
    Store();
    return true;
  }

 private:
  void Load(int index) {
    current_ = index;
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    show_.SetChecked(entries[index].shown);
    width_.SetValue(entries[index].width);
    justify_.SetSelection(static_cast<int>(entries[index].justify));
  }
  void Store() {
    if (current_ < 0 || current_ >= static_cast<int>(entries.size())) return;
    entries[current_].shown = show_.IsChecked();
    entries[current_].width = static_cast<int32_t>(width_.Value());
    if (justify_.Selection() >= 0) entries[current_].justify = static_cast<uint32_t>(justify_.Selection());
  }
  vcont::CListBox list_;
  vcont::CCheckBox show_;
  vcont::CStaticText widthLabel_, justifyLabel_;
  vcont::CIntegerCountBox width_;
  vcont::CComboBox justify_;
  int current_ = -1;  // entry shown in the controls
};
}  // namespace

bool CSheetDataView::ColumnListDialog() {
  if (!shown_) return false;
  CColumnListDialog dialog;
  for (vlist::CListElem* e = shown_->columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    dialog.entries.push_back({c->header, !(c->flags & cfHidden), c->width, c->justify});
  }
  const std::vector<CColumnListDialog::TEntry> before = dialog.entries;
  if (!dialog.Init("Column list", 380, 196)) return false;
  const bool ok = dialog.Exec();
  dialog.Done();
  if (!ok) return false;
  std::size_t i = 0;
  for (vlist::CListElem* e = shown_->columns.first; e; e = e->next, ++i) {
    auto* c = static_cast<CColumnListElem*>(e);
    const CColumnListDialog::TEntry& now = dialog.entries[i];
    if (now.shown) {
      c->flags &= ~cfHidden;
    } else {
      c->flags |= cfHidden;
    }
    if (now.width != before[i].width) {
      c->widthMode = wmUser;
      c->userWidth = std::max(now.width, c->minWidth);
    }
    c->justify = now.justify;
  }
  shown_->CalcColumnsWidth(*this, false);
  if (fitToWidth_) shown_->FitToWidth(CellsRect().width);
  settings_.SetModified();
  AfterLayoutChange();
  return true;
}

}  // namespace gridon
