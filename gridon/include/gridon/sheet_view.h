// gridon: a spreadsheet-like view of tables whose cells live in a data
// source. CSheetDataView asks the source for row counts, cell texts and
// column descriptions through the overridable DS_ operations and handles
// layout, column widths, selection, scrolling, painting and clipboard copy.
//
// A client derives from CSheetDataView, overrides the DS_ operations it
// needs, describes its tables and columns after Init, then shows a table.
// Rows and columns count from 1 in every call.
#pragma once

#include <corekit/vlist.h>
#include <winkit/vdata.h>
#include <winkit/vgr.h>
#include <winkit/view.h>
#include <winkit/vwin.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gridon {

// Module start-up; acts on the first call only.
void Init_();

using vcolor::TColor;

// "No colour" of a cell: the view's own colours are used.
constexpr TColor kNoColour = 0xFFFFFFFFu;

// Column width modes.
enum TWidthMode : uint32_t { wmOptimal = 1, wmDefault = 2, wmMaximal = 3, wmUser = 4 };

// Justification of a column's texts.
enum TJustify : uint32_t { jsLeft = 0, jsCenter = 1, jsRight = 2 };

// Column flags.
enum : uint32_t {
  cfHidden = 0x01,  // not shown, width 0
  cfFixed = 0x02,   // keeps its mode when widths are reset
  cfIcon = 0x04,    // shows an icon before the text
};

// Table option flags. Without tfSelectColumn or tfSelectCell whole rows are
// selected.
enum : uint32_t {
  tfHeaders = 0x01,       // the column-header strip is shown
  tfRowNumbers = 0x02,    // the row-number strip is shown
  tfGrid = 0x04,          // grid lines between cells
  tfSortable = 0x08,      // a click on a header asks the source to sort
  tfSelectColumn = 0x10,  // selection of a single column
  tfSelectCell = 0x20,    // selection of single cells
};

enum TSelectionMode { smRows = 0, smColumn = 1, smCell = 2 };

// Sort marks of a column.
enum TSortMark : uint32_t { skNone = 0, skFirst = 1, skSecond = 2 };

// Flags a data source gives with a cell (DS_ReadDataString).
enum : uint32_t {
  dfTextColour = 0x01,  // the colour is the text's, not the cell's paper
};

// Codes of DS_Notify.
enum : uint32_t {
  ncSelection = 1,       // the selection moved (row, column: the cursor cell)
  ncTreeChosen = 8,      // a table-tree item was chosen
  ncTreeExpanded = 9,    // a table-tree branch was opened
  ncTreeCollapsed = 10,  // a table-tree branch was closed
  ncSortFirst = 11,      // sort by the column, first mark
  ncSortSecond = 12,     // sort by the column, second mark
};

// Commands of the view (menus and keys).
enum : uint32_t {
  cmNew = 192,
  cmOpen = 193,
  cmSave = 195,
  cmSaveAs = 196,
  cmPrint = 197,
  cmPrinterSetup = 198,
  cmPageSetup = 199,
  cmCopy = 210,
  cmInsertRow = 1010,
  cmDeleteRow = 1011,
  cmColumns = 1022,
  cmWordWrap = 1023,
  cmEdit = 1030,
  cmEditPrev = 1031,
  cmEditNext = 1032,
  cmEditKeep = 1033,
  cmEditDrop = 1034,
  cmCopyHeaders = 1035,
  cmHideColumn = 1040,
  cmDefaultWidth = 1041,
  cmOptimalWidth = 1042,
  cmMaximalWidth = 1043,
  cmLeftJustify = 1044,
  cmCenterJustify = 1045,
  cmRightJustify = 1046,
  cmPrevCell = 1050,
  cmNextCell = 1051,
  cmFirstCell = 1052,
  cmLastCell = 1053,
  cmPrevRow = 1054,
  cmNextRow = 1055,
  cmPrevPage = 1056,
  cmNextPage = 1057,
  cmFirstPage = 1058,
  cmLastPage = 1059,
  cmPrevWrap = 1060,
  cmNextWrap = 1061,
  cmTreeChosen = 1070,
  cmTreeExpanded = 1071,
  cmTreeCollapsed = 1073,
};

class CSheetDataView;

// One column of a table.
class CColumnListElem : public vlist::CListElem {
 public:
  uint32_t handle = 0;                 // 1-based, in order of addition
  char header[128] = {};               // header text
  uint32_t widthMode = wmOptimal;      // TWidthMode
  uint32_t flags = 0;                  // cfHidden, cfFixed, cfIcon
  int32_t minWidth = 0;                // never narrower (at least the cell margin)
  int32_t userWidth = 0;               // width in user mode
  uint32_t justify = jsLeft;           // TJustify
  uint32_t options = 0;                // the client's options, kept
  uint32_t maxChars = 0;               // longest text, for the maximal width
  int32_t number1 = 0, number2 = 0;    // the client's numbers, kept
  const vfont::CFont* font = nullptr;  // null: the view's font (not owned)
  void* extra = nullptr;               // the client's pointer, kept
  int32_t width = 0;                   // current width in pixels
  int32_t left = 0;                    // left edge within the table
  uint32_t sortMark = skNone;          // TSortMark
};

// One table: its description and columns.
class CTableListElem : public vlist::CListElem {
 public:
  ~CTableListElem() override;
  uint32_t handle = 0;               // the client's number
  uint32_t parent = 0;               // parent handle in the table tree
  char title[128] = {};              // title (tree node, status)
  const vgr::CIcon* icon = nullptr;  // tree icons, not owned
  const vgr::CIcon* openIcon = nullptr;
  void* user = nullptr;      // the client's pointer
  int32_t rowHeight = 0;     // pixels per row; 0: from the font
  int32_t headerHeight = 0;  // pixels of the header strip; 0: from the font
  uint32_t flags = 0;        // tf... flags
  uint32_t userNumber = 0;   // the client's number, kept
  int32_t initialSort = 0;   // column sorted first (negative: second mark)
  vlist::CList columns;      // CColumnListElem in order (owned)
  uint32_t columnCount = 0;  // columns added
  int32_t columnsWidth = 0;  // sum of the column widths
  int32_t rowDepth = 1;      // text lines per row

  // Computes every column's width by its mode (reset: columns neither in
  // user mode nor fixed become optimal) and the table's total width.
  void CalcColumnsWidth(CSheetDataView& view, bool reset);
  // Text lines a row needs (more than one only with word wrap).
  int32_t CalcRowDepth(CSheetDataView& view);
  // Spreads width over the shown columns in proportion to their widths,
  // none below its minimum.
  void FitToWidth(int32_t width);
  // Handle of the position-th shown column (1-based), 0 if none.
  uint32_t ColumnHandle(uint32_t position) const;
  CColumnListElem* Column(uint32_t handle) const;
  TSelectionMode SelectionMode() const;
  // Lays the columns' left edges after a width change.
  void PlaceColumns();
};

// Attributes of a node of the table tree.
class CTreeItemAttr {
 public:
  char text[128] = {};
  const vgr::CIcon* icon = nullptr;
  const vgr::CIcon* openIcon = nullptr;
  void* user = nullptr;
  void Clear();
};

// The column-header strip.
class CColumnView : public view::CView {
 public:
  explicit CColumnView(CSheetDataView* sheet) : sheet_(sheet) {}
  void PaintView(vgr::CDeviceContext& dc) override;
  void ReceiveEvent(vcore::TEvent& event) override;
  void SetFont(const vfont::CFont* font) { GetPGContext()->font = font; }

 private:
  CSheetDataView* sheet_;  // owner
};

// The row-number strip.
class CNumberView : public view::CView {
 public:
  explicit CNumberView(CSheetDataView* sheet) : sheet_(sheet) {}
  void PaintView(vgr::CDeviceContext& dc) override;
  void ReceiveEvent(vcore::TEvent& event) override;
  void SetFont(const vfont::CFont* font) { GetPGContext()->font = font; }

 private:
  CSheetDataView* sheet_;  // owner
};

// The table tree beside the cells: one node per table (and per node the
// client adds), indented under its parent.
class CTableTreeView : public view::CView {
 public:
  explicit CTableTreeView(CSheetDataView* sheet) : sheet_(sheet) {}
  void PaintView(vgr::CDeviceContext& dc) override;
  void ReceiveEvent(vcore::TEvent& event) override;

 private:
  CSheetDataView* sheet_;  // owner
};

// The sheet's status line: the settings document's state and path.
class CSheetStatusView : public view::CView {
 public:
  explicit CSheetStatusView(CSheetDataView* sheet) : sheet_(sheet) {}
  void PaintView(vgr::CDeviceContext& dc) override;

 private:
  CSheetDataView* sheet_;  // owner
};

// A node of the table tree.
struct TTreeNode {
  uint32_t handle = 0;    // table handle (or the client's node number)
  uint32_t parent = 0;    // 0: a root
  CTreeItemAttr attr;     // text, icons, user pointer
  bool expanded = false;  // children shown
};

// The sheet view.
class CSheetDataView : public vdata::CDataView {
 public:
  // Option bits of Init.
  enum : uint32_t {
    voEmbedded = 1,   // New, Open, Save and Save As go to the embedding document
    voTableTree = 2,  // a table tree is shown beside the cells
    voStatusBar = 4,  // a status line under the cells
  };

  CSheetDataView();
  ~CSheetDataView() override;

  // Creates the view (null parent: a free view) with its context menu.
  // fontHeight: pixel height of the view's font (0: 12); options: vo... bits;
  // dataId: the settings document's identifier (empty: ".SHT").
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, int fontHeight, uint32_t options, const char* dataId);
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override { return Init(parent, rect, 12, 0, ""); }
  void Done() override;

  // ---- tables and columns
  bool AddTable(uint32_t handle, uint32_t parent, uint32_t titleHigh, const char* title, const vgr::CIcon* icon,
                const vgr::CIcon* openIcon, void* user, int32_t rowHeight, int32_t headerHeight, uint32_t flags,
                uint32_t userNumber, int32_t initialSort);
  // The same, placed before the table `before` (at the end when not found).
  bool InsertTable(uint32_t before, uint32_t handle, uint32_t parent, uint32_t titleHigh, const char* title,
                   const vgr::CIcon* icon, const vgr::CIcon* openIcon, void* user, int32_t rowHeight,
                   int32_t headerHeight, uint32_t flags, uint32_t userNumber, int32_t initialSort);
  bool RemoveTable(uint32_t handle);
  CTableListElem* GetPTable(uint32_t handle) const;
  // Appends a column with the next handle; returns that handle (0: no table).
  uint32_t AddTableColumn(uint32_t table, uint32_t headerHigh, const char* header, uint32_t widthMode, uint32_t flags,
                          int32_t minWidth, int32_t userWidth, uint32_t justify, uint32_t options, uint32_t maxChars,
                          int32_t number1, int32_t number2, const vfont::CFont* font, void* extra);
  bool PrepareTable(uint32_t handle);
  bool ShowTable(uint32_t handle);
  void HideTable();
  CTableListElem* ShownTable() const { return shown_; }
  // Repaint after the data changed (the row count may have changed too).
  void UpdateTable();
  void UpdateRow(uint32_t row);
  void UpdateCell(uint32_t row, uint32_t column);

  // ---- columns, rows, fonts
  // Sets a column's width mode; user mode stores max(width, minimum width).
  bool SetColumnMode(uint32_t column, uint32_t mode, int32_t width);
  bool SetColumnWidth(uint32_t column, int32_t width) { return SetColumnMode(column, wmUser, width); }
  bool SetColumnJustify(uint32_t column, uint32_t justify);
  bool ShowColumn(uint32_t column, bool shown);
  // Row height: 0 from the font, else pixels.
  void SetRowMode(int32_t rowHeight);
  void SetFont(const vfont::TFontDesc& desc);
  const vfont::CFont* Font() const { return &font_; }
  void SetWordWrap(bool on);
  bool WordWrap() const { return wordWrap_; }
  // Whether the shown table's columns are spread over the view's width.
  void SetFitToWidth(bool on);
  void SetCellMargin(int32_t margin);
  int32_t CellMargin() const { return margin_; }
  // Toggles the column's sort mark and reports 11 or 12 to DS_Notify.
  void SelSortColumn(uint32_t column);

  // ---- selection (extend: keep the anchor, as Shift does)
  bool SelFirstRow(bool extend = false);
  bool SelLastRow(bool extend = false);
  bool SelPrevRow(bool extend = false);
  bool SelNextRow(bool extend = false);
  bool SelFirstColumn(bool extend = false);
  bool SelLastColumn(bool extend = false);
  bool SelPrevColumn(bool extend = false);
  bool SelNextColumn(bool extend = false);
  bool SelPrevPage(bool extend = false);
  bool SelNextPage(bool extend = false);
  bool SelFirstPage(bool extend = false);
  bool SelLastPage(bool extend = false);
  bool SelCellNumber(uint32_t row, uint32_t column, bool extend = false);
  bool SelRowNumber(uint32_t row, bool extend = false);
  bool SelColumnNumber(uint32_t column, bool extend = false);
  void ClearSelection();
  // The cursor cell (0 when none) and the selected block.
  uint32_t SelRow() const { return selRow_; }
  uint32_t SelColumn() const { return selColumn_; }
  bool SelectedBlock(uint32_t& firstRow, uint32_t& lastRow, uint32_t& firstColumn, uint32_t& lastColumn) const;
  bool IsCellSelected(uint32_t row, uint32_t column) const;
  bool IsColumnSelected(uint32_t column) const;

  // ---- clipboard
  // The text ClipCopy puts on the clipboard.
  std::string CopyText(bool headers);
  void ClipCopy(bool headers);

  // ---- editing
  bool ShowCellEditor();
  bool HideCellEditor(bool keep);
  bool EditNextCell(bool forward);
  bool IsEditing() const { return editing_; }
  bool AppendRow();
  bool InsertRow() { return InsertRowNumber(selRow_); }
  bool DeleteRow() { return DeleteRowNumber(selRow_); }
  bool InsertRowNumber(uint32_t row);
  bool DeleteRowNumber(uint32_t row);

  // ---- settings document
  const char* DataId() const { return dataId_.c_str(); }
  const std::string& SettingsPath() const { return settingsPath_; }
  bool OpenSettings(const char* path);
  bool SaveSettings(const char* path);
  // "Modified" while the settings changed since saved, else empty.
  std::string StatusText() const;
  // The status line: StatusText and the settings document's path.
  std::string StatusLine() const;
  int32_t StatusHeight();

  // ---- table tree (with the voTableTree option)
  bool HasTableTree() const { return options_ & voTableTree; }
  bool AddTreeNode(uint32_t handle, uint32_t parent, const CTreeItemAttr& attr);
  bool ChangeTreeNode(uint32_t handle, const CTreeItemAttr& attr);
  // Removes a node; its children move up to its parent.
  bool RemoveTreeNode(uint32_t handle);
  bool ExpandBranch(uint32_t handle);
  bool CollapseBranch(uint32_t handle);
  void CollapseTree();
  void ExpandTree();
  // Chooses a node as a click does: reports 8 and shows a terminal table.
  bool ChooseTreeNode(uint32_t handle);
  // The nodes shown, in order, with their depth.
  std::vector<std::pair<const TTreeNode*, int>> VisibleTreeNodes() const;
  const TTreeNode* TreeNode(uint32_t handle) const;
  int32_t TreeWidth() const;
  void SetTreeWidth(int32_t width);
  void PaintTree(vgr::CDeviceContext& dc, int x0, int y0);
  void TreeMouse(vcore::TEvent& event);

  // ---- friend views (owned, freed by Done)
  void AddFriendView(view::CView* friendView);

  // ---- layout
  uint32_t RowCount();
  int32_t RowHeight();
  int32_t HeaderHeight();
  int32_t NumberWidth();
  // The view less its scroll bars and status line.
  vcom::CRect SheetRect();
  // The cells' area in view coordinates.
  vcom::CRect CellsRect();
  uint32_t PageRows();
  uint32_t TopRow() const { return topRow_; }  // 0-based index of the first row shown
  int32_t LeftX() const { return leftX_; }     // pixels scrolled to the left
  // Scrolls, clamped to the rows and the table's width.
  void ScrollTo(int64_t topRow, int64_t leftX);
  void EnsureVisible(uint32_t row, uint32_t column);
  // The cell under a point of the view; false outside the cells.
  bool CellAt(int x, int y, uint32_t& row, uint32_t& column);
  vcom::CRect CellRect(uint32_t row, uint32_t column);
  // Handle of the column whose right border is near x of the header strip.
  uint32_t ColumnBorderAt(int x);

  // ---- painting
  void PaintView(vgr::CDeviceContext& dc) override;
  // The parts, drawn at the given origin.
  void PaintCells(vgr::CDeviceContext& dc, int x0, int y0);
  void PaintHeaders(vgr::CDeviceContext& dc, int x0, int y0);
  void PaintNumbers(vgr::CDeviceContext& dc, int x0, int y0);
  // The whole view (headers, numbers, cells) into an image of its size.
  bool RenderImage(vimage::CImage& image);

  // ---- input
  void ReceiveEvent(vcore::TEvent& event) override;
  void NewRect(const vcom::CRect& rect) override;
  void ScrollChanged(int hPos, int vPos) override;
  bool HandleCommand(uint32_t command, bool extend = false, intptr_t data = 0);
  bool HandleKey(uint32_t key, uint32_t modifiers);
  void HeaderMouse(vcore::TEvent& event);
  void NumberMouse(vcore::TEvent& event);
  // Opens the column-list dialog; true when OK was chosen.
  bool ColumnListDialog();
  view::CPopUpMenu& ContextMenu() { return menu_; }

  // ---- measurement (overridable so layouts can be fixed in tests)
  virtual int32_t MeasureText(const vfont::CFont* font, int32_t length, const char* text);
  virtual int32_t FontHeight(const vfont::CFont* font);
  int32_t IconWidth() const { return 16; }
  // Optimal width of a column of the table (the rule of CalcColumnsWidth).
  int32_t OptimalWidth(CTableListElem& table, CColumnListElem& column);
  // A text broken into lines of at most width pixels, words kept whole.
  std::vector<std::string> WrapText(const vfont::CFont* font, const std::string& text, int32_t width);
  // A cell's text as the source gives it (empty when it has none).
  std::string CellText(uint32_t table, uint32_t row, uint32_t column);

  // ---- data source (overridden by the client)
  virtual uint32_t DS_ReadRowsCount(uint32_t table) { return (void)table, 0; }
  virtual bool DS_PrepareForRead(uint32_t table) { return (void)table, true; }
  virtual bool DS_ReadRowData(uint32_t table, uint32_t row) { return (void)table, (void)row, true; }
  virtual void DS_FinishRead(uint32_t table) { (void)table; }
  // The cell's text into (high, text); colour kNoColour and flags 0 unless
  // the cell has its own.
  virtual bool DS_ReadDataString(uint32_t table, uint32_t row, uint32_t column, uint32_t high, char* text,
                                 TColor& colour, uint32_t& flags);
  virtual bool DS_ReadDataPIcon(uint32_t table, uint32_t row, uint32_t column, const vgr::CIcon*& icon) {
    return (void)table, (void)row, (void)column, icon = nullptr, false;
  }
  // True when the client painted the cell itself.
  virtual bool DS_PaintDataCell(uint32_t table, uint32_t row, uint32_t column, vgr::CDeviceContext& dc,
                                const vcom::CRect& rect) {
    return (void)table, (void)row, (void)column, (void)dc, (void)rect, false;
  }
  // Title rows span all columns in the caption font and window colours.
  virtual bool DS_IsTitleRow(uint32_t table, uint32_t row) { return (void)table, (void)row, false; }
  virtual bool DS_ReadTitleRow(uint32_t table, uint32_t row, uint32_t high, char* text);
  virtual bool DS_GetTableInfo(uint32_t table, uint32_t high, char* info);
  virtual bool DS_GetColumnInfo(uint32_t table, uint32_t column, uint32_t high, char* info);
  virtual bool DS_GetTitle(uint32_t table, uint32_t high, char* title);
  virtual bool DS_GetNodeTreeItemAttr(uint32_t table, CTreeItemAttr& attr) { return (void)table, attr.Clear(), false; }
  // Adds the client's items to a column header's menu.
  virtual bool DS_GetColumnUserMenu(uint32_t table, uint32_t column, view::CPopUpMenu& menu) {
    return (void)table, (void)column, (void)menu, false;
  }
  virtual bool DS_TerminalTreeItem(uint32_t table) { return (void)table, true; }
  virtual bool DS_AppendRow(uint32_t table) { return (void)table, false; }
  virtual bool DS_InsertRowNumber(uint32_t table, uint32_t row) { return (void)table, (void)row, false; }
  virtual bool DS_DeleteRowNumber(uint32_t table, uint32_t row) { return (void)table, (void)row, false; }
  virtual bool DS_EditRowNumber(uint32_t table, uint32_t row) { return (void)table, (void)row, false; }
  virtual bool DS_EditColumnNumber(uint32_t table, uint32_t column) { return (void)table, (void)column, false; }
  // Offers the text to edit; false refuses editing the cell.
  virtual bool DS_CreateCellEditor(uint32_t table, uint32_t row, uint32_t column, std::string& text) {
    return (void)table, (void)row, (void)column, (void)text, false;
  }
  virtual bool DS_CheckCellEditorData(uint32_t table, uint32_t row, uint32_t column, const std::string& text) {
    return (void)table, (void)row, (void)column, (void)text, false;
  }
  virtual bool DS_DoneCellEditor(uint32_t table, uint32_t row, uint32_t column, const std::string& text, bool keep) {
    return (void)table, (void)row, (void)column, (void)text, (void)keep, false;
  }
  virtual void DS_Notify(uint32_t code, uint32_t table, uint32_t row, uint32_t column) {
    (void)code, (void)table, (void)row, (void)column;
  }

 private:
  static constexpr uint32_t kEditorId = 0x5E7;  // control id of the cell editor

  bool MoveSelection(int64_t row, int64_t column, bool extend);
  void AfterLayoutChange();
  void UpdateScrollBars();
  void PlaceStrips();
  void BuildMenu();
  void HeaderMenu(uint32_t column, int x, int y);
  // rect: the cell; area: the cells' area that painting stays in.
  void PaintCell(vgr::CDeviceContext& dc, CColumnListElem& column, uint32_t row, const vcom::CRect& rect,
                 const vcom::CRect& area, bool selected);
  void PaintTitleRow(vgr::CDeviceContext& dc, uint32_t row, const vcom::CRect& rect);
  bool SettingsCommand(uint32_t command);
  uint32_t FirstShownColumn() const;
  uint32_t LastShownColumn() const;
  uint32_t NextShownColumn(uint32_t column, int step) const;

  vlist::CList tables_;                        // CTableListElem (owned)
  CTableListElem* shown_ = nullptr;            // the displayed table, in tables_
  vfont::CFont font_;                          // the cells' font
  vfont::CFont captionFont_;                   // title rows and headers
  int32_t margin_ = 4;                         // cell margin in pixels
  int32_t rowMode_ = 0;                        // 0: row height from the font
  uint32_t options_ = 0;                       // vo... bits of Init
  std::string dataId_ = ".SHT";                // settings document identifier
  std::string settingsPath_;                   // the settings document's path
  uint32_t selRow_ = 0, selColumn_ = 0;        // cursor cell, 0: none
  uint32_t anchorRow_ = 0, anchorColumn_ = 0;  // other corner of the selected block
  uint32_t topRow_ = 0;                        // first row shown, 0-based
  int32_t leftX_ = 0;                          // pixels scrolled
  bool wordWrap_ = false;                      // cell texts wrap to their column
  bool fitToWidth_ = false;                    // columns spread over the width
  bool editing_ = false;                       // the cell editor is open
  uint32_t editRow_ = 0, editColumn_ = 0;      // cell being edited
  vcont::CEditBox editor_;                     // the cell editor
  CColumnView columnView_;                     // header strip
  CNumberView numberView_;                     // row-number strip
  CTableTreeView treeView_;                    // table tree
  CSheetStatusView statusView_;                // status line (voStatusBar)
  std::vector<TTreeNode> tree_;                // nodes in order of addition
  int32_t treeWidth_ = 160;                    // pixels of the tree beside the cells
  view::CView cornerView_;                     // the corner over the row numbers
  view::CPopUpMenu menu_;                      // context menu
  vdata::CDataContainer settings_;             // the settings document's saved state
  std::vector<view::CView*> friends_;          // friend views (owned)
  vgr::CMemoryContext* measure_ = nullptr;     // surface for text measurement (owned)
  int dragColumn_ = 0;                         // column whose border is dragged
  int dragStartX_ = 0, dragStartWidth_ = 0;
  bool selecting_ = false;  // the left button is down over the cells
};

}  // namespace gridon
