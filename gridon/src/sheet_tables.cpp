// Tables and columns: description, widths by mode, fitting to a width.
#include <runbase/fixed_text.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "gridon/sheet_view.h"

namespace gridon {

namespace {
// Copies up to 127 characters of a (length, text) pair into a field.
void CopyField(char (&field)[128], uint32_t length, const char* text) {
  std::size_t n = text ? std::min<std::size_t>(length, 127) : 0;
  if (text) n = std::min(n, std::strlen(text));
  if (n) std::memcpy(field, text, n);
  field[n] = 0;
}

std::string Trimmed(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return std::string();
  const std::size_t b = s.find_last_not_of(" \t\r\n");
  return s.substr(a, b - a + 1);
}
}  // namespace

void CTreeItemAttr::Clear() {
  text[0] = 0;
  icon = openIcon = nullptr;
  user = nullptr;
}

CTableListElem::~CTableListElem() { columns.DisposeList(); }

CColumnListElem* CTableListElem::Column(uint32_t handle) const {
  for (vlist::CListElem* e = columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    if (c->handle == handle) return c;
  }
  return nullptr;
}

uint32_t CTableListElem::ColumnHandle(uint32_t position) const {
  uint32_t n = 0;
  for (vlist::CListElem* e = columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    if (c->flags & cfHidden) continue;
    if (++n == position) return c->handle;
  }
  return 0;
}

TSelectionMode CTableListElem::SelectionMode() const {
  if (flags & tfSelectCell) return smCell;
  if (flags & tfSelectColumn) return smColumn;
  return smRows;
}

void CTableListElem::PlaceColumns() {
  int32_t left = 0;
  for (vlist::CListElem* e = columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    c->left = left;
    left += c->width;
  }
  columnsWidth = left;
}

void CTableListElem::CalcColumnsWidth(CSheetDataView& view, bool reset) {
  const int32_t m = view.CellMargin();
  const vfont::CFont* viewFont = view.Font();
  const bool headers = flags & tfHeaders;
  for (vlist::CListElem* e = columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    if (reset && c->widthMode != wmUser && !(c->flags & cfFixed)) c->widthMode = wmOptimal;
    if (c->flags & cfHidden) {
      c->width = 0;
      continue;
    }
    const vfont::CFont* font = c->font ? c->font : viewFont;
    const bool icons = c->flags & cfIcon;
    const int32_t headerWidth =
        headers ? view.MeasureText(viewFont, static_cast<int32_t>(std::strlen(c->header)), c->header) + 2 * m : 0;
    switch (c->widthMode) {
      case wmOptimal: c->width = view.OptimalWidth(*this, *c); break;
      case wmDefault: c->width = c->minWidth; break;
      case wmMaximal:
        if (icons && c->maxChars == 0) {
          c->width = view.IconWidth() + 2 * m;
        } else {
          c->width = static_cast<int32_t>(c->maxChars) * view.MeasureText(font, 1, "A") + 2 * m;
          if (icons) c->width += m / 2 + view.IconWidth();
        }
        c->width = std::max(c->width, headerWidth);
        break;
      case wmUser: c->width = c->userWidth; break;
      default: c->width = std::max(20 * view.MeasureText(font, 1, "0"), c->minWidth); break;
    }
  }
  PlaceColumns();
}

int32_t CSheetDataView::OptimalWidth(CTableListElem& table, CColumnListElem& column) {
  const int32_t m = margin_;
  const vfont::CFont* font = column.font ? column.font : &font_;
  int32_t widest = 0;
  const uint32_t rows = DS_ReadRowsCount(table.handle);
  const uint32_t first = shown_ == &table ? topRow_ + 1 : 1;
  const uint64_t last = std::min<uint64_t>(rows, uint64_t{first} + PageRows() - 1);
  if (rows && DS_PrepareForRead(table.handle)) {
    for (uint64_t row = first; row <= last; ++row) {
      const uint32_t r = static_cast<uint32_t>(row);
      if (!DS_ReadRowData(table.handle, r) || DS_IsTitleRow(table.handle, r)) continue;
      const std::string text = Trimmed(CellText(table.handle, r, column.handle));
      widest = std::max(widest, MeasureText(font, static_cast<int32_t>(text.size()), text.c_str()));
    }
    DS_FinishRead(table.handle);
  }
  int32_t width = widest + 2 * m;
  if (column.flags & cfIcon) width += IconWidth() + m / 2;
  if (table.flags & tfHeaders)
    width =
        std::max(width, MeasureText(&font_, static_cast<int32_t>(std::strlen(column.header)), column.header) + 2 * m);
  return std::max(width, column.minWidth);
}

int32_t CTableListElem::CalcRowDepth(CSheetDataView& view) {
  rowDepth = 1;
  if (!view.WordWrap()) return rowDepth;
  // The most lines any cell of the rows in view needs at its column's width.
  const uint32_t rows = view.DS_ReadRowsCount(handle);
  const uint32_t first = view.ShownTable() == this ? view.TopRow() + 1 : 1;
  const uint64_t last = std::min<uint64_t>(rows, uint64_t{first} + 50);
  const int32_t m = view.CellMargin();
  for (uint64_t row = first; row <= last; ++row) {
    for (vlist::CListElem* e = columns.first; e; e = e->next) {
      auto* c = static_cast<CColumnListElem*>(e);
      if (c->width <= 2 * m) continue;
      const std::string text = view.CellText(handle, static_cast<uint32_t>(row), c->handle);
      const vfont::CFont* font = c->font ? c->font : view.Font();
      const int32_t lines = static_cast<int32_t>(view.WrapText(font, text, c->width - 2 * m).size());
      rowDepth = std::max(rowDepth, std::min(lines, 8));
    }
  }
  return rowDepth;
}

void CTableListElem::FitToWidth(int32_t width) {
  int32_t total = 0, minimum = 0;
  CColumnListElem* lastShown = nullptr;
  for (vlist::CListElem* e = columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    if (c->flags & cfHidden) continue;
    total += c->width;
    minimum += c->minWidth;
    lastShown = c;
  }
  if (!lastShown || total <= 0 || width <= 0) return;
  if (minimum >= width) {
    for (vlist::CListElem* e = columns.first; e; e = e->next) {
      auto* c = static_cast<CColumnListElem*>(e);
      if (!(c->flags & cfHidden)) c->width = c->minWidth;
    }
    PlaceColumns();
    return;
  }
  // Columns held at their minimum leave the rest of the width to the others,
  // so scale again until no column falls below its minimum.
  std::vector<CColumnListElem*> free;
  for (vlist::CListElem* e = columns.first; e; e = e->next) {
    auto* c = static_cast<CColumnListElem*>(e);
    if (!(c->flags & cfHidden)) free.push_back(c);
  }
  int32_t left = width;
  for (bool changed = true; changed && !free.empty();) {
    changed = false;
    int64_t freeTotal = 0;
    for (CColumnListElem* c : free) freeTotal += std::max(1, c->width);
    std::vector<CColumnListElem*> still;
    for (CColumnListElem* c : free) {
      const int64_t scaled = int64_t{std::max(1, c->width)} * left / std::max<int64_t>(1, freeTotal);
      if (scaled < c->minWidth) {
        c->width = c->minWidth;
        left -= c->minWidth;
        changed = true;
      } else {
        still.push_back(c);
      }
    }
    free.swap(still);
  }
  int64_t freeTotal = 0;
  for (CColumnListElem* c : free) freeTotal += std::max(1, c->width);
  int32_t given = 0;
  for (CColumnListElem* c : free) {
    c->width = static_cast<int32_t>(int64_t{std::max(1, c->width)} * left / std::max<int64_t>(1, freeTotal));
    given += c->width;
  }
  // Rounding leftovers go to the last free column.
  if (!free.empty()) free.back()->width += left - given;
  PlaceColumns();
}

// ------------------------------------------------------------ the view's tables

bool CSheetDataView::AddTable(uint32_t handle, uint32_t parent, uint32_t titleHigh, const char* title,
                              const vgr::CIcon* icon, const vgr::CIcon* openIcon, void* user, int32_t rowHeight,
                              int32_t headerHeight, uint32_t flags, uint32_t userNumber, int32_t initialSort) {
  return InsertTable(0, handle, parent, titleHigh, title, icon, openIcon, user, rowHeight, headerHeight, flags,
                     userNumber, initialSort);
}

bool CSheetDataView::InsertTable(uint32_t before, uint32_t handle, uint32_t parent, uint32_t titleHigh,
                                 const char* title, const vgr::CIcon* icon, const vgr::CIcon* openIcon, void* user,
                                 int32_t rowHeight, int32_t headerHeight, uint32_t flags, uint32_t userNumber,
                                 int32_t initialSort) {
  if (handle == 0 || GetPTable(handle)) return false;
  auto* t = new CTableListElem;
  t->handle = handle;
  t->parent = parent;
  CopyField(t->title, titleHigh, title);
  t->icon = icon;
  t->openIcon = openIcon;
  t->user = user;
  t->rowHeight = rowHeight;
  t->headerHeight = headerHeight;
  t->flags = flags;
  t->userNumber = userNumber;
  t->initialSort = initialSort;
  CTableListElem* at = before ? GetPTable(before) : nullptr;
  if (at && tables_.Find(at)) {
    tables_.InsertBefore(t);
  } else {
    tables_.Append(t);
  }
  if (HasTableTree()) {
    CTreeItemAttr attr;
    if (!DS_GetNodeTreeItemAttr(handle, attr) || !attr.text[0]) {
      std::memcpy(attr.text, t->title, sizeof attr.text);
      if (!attr.icon) attr.icon = icon;
      if (!attr.openIcon) attr.openIcon = openIcon;
      if (!attr.user) attr.user = user;
    }
    AddTreeNode(handle, parent, attr);
  }
  return true;
}

bool CSheetDataView::RemoveTable(uint32_t handle) {
  CTableListElem* t = GetPTable(handle);
  if (!t || !tables_.Find(t)) return false;
  if (shown_ == t) HideTable();
  tables_.Remove();
  delete t;
  RemoveTreeNode(handle);
  return true;
}

CTableListElem* CSheetDataView::GetPTable(uint32_t handle) const {
  for (vlist::CListElem* e = tables_.first; e; e = e->next) {
    auto* t = static_cast<CTableListElem*>(e);
    if (t->handle == handle) return t;
  }
  return nullptr;
}

uint32_t CSheetDataView::AddTableColumn(uint32_t table, uint32_t headerHigh, const char* header, uint32_t widthMode,
                                        uint32_t flags, int32_t minWidth, int32_t userWidth, uint32_t justify,
                                        uint32_t options, uint32_t maxChars, int32_t number1, int32_t number2,
                                        const vfont::CFont* font, void* extra) {
  CTableListElem* t = GetPTable(table);
  if (!t) return 0;
  auto* c = new CColumnListElem;
  c->handle = ++t->columnCount;
  CopyField(c->header, headerHigh, header);
  c->widthMode = widthMode;
  c->flags = flags;
  c->minWidth = std::max(minWidth, margin_);
  c->userWidth = std::max(userWidth, c->minWidth);
  c->justify = justify;
  c->options = options;
  c->maxChars = maxChars;
  c->number1 = number1;
  c->number2 = number2;
  c->font = font;
  c->extra = extra;
  if (t->initialSort != 0 && static_cast<uint32_t>(t->initialSort < 0 ? -t->initialSort : t->initialSort) == c->handle)
    c->sortMark = t->initialSort > 0 ? skFirst : skSecond;
  t->columns.Append(c);
  return c->handle;
}

}  // namespace gridon
