// The sheet view's commands, keys and mouse over the cells.
#include <algorithm>
#include <climits>

#include "gridon/sheet_view.h"

namespace gridon {

// ------------------------------------------------------------ commands and keys

bool CSheetDataView::HandleCommand(uint32_t command, bool extend, intptr_t data) {
  const TSelectionMode mode = shown_ ? shown_->SelectionMode() : smRows;
  switch (command) {
    case cmNew:
    case cmOpen:
    case cmSave:
    case cmSaveAs: return SettingsCommand(command);
    case cmCopy: ClipCopy(false); return true;
    case cmCopyHeaders: ClipCopy(true); return true;
    case cmInsertRow: InsertRow(); return true;
    case cmDeleteRow: DeleteRow(); return true;
    case cmColumns: ColumnListDialog(); return true;
    case cmWordWrap: SetWordWrap(!wordWrap_); return true;
    case cmEdit:
      if (!shown_) return true;
      if (mode == smCell) {
        ShowCellEditor();
      } else if (mode == smRows) {
        if (selRow_ && DS_EditRowNumber(shown_->handle, selRow_)) UpdateRow(selRow_);
      } else if (selColumn_ && DS_EditColumnNumber(shown_->handle, selColumn_)) {
        UpdateTable();
      }
      return true;
    case cmEditPrev: EditNextCell(false); return true;
    case cmEditNext: EditNextCell(true); return true;
    case cmEditKeep: HideCellEditor(true); return true;
    case cmEditDrop:
      if (editing_ && mode == smCell) HideCellEditor(false);
      return true;
    case cmPrevCell:
    case cmNextCell:
    case cmFirstCell:
    case cmLastCell: {
      if (mode == smRows) {
        // Rows are selected whole: the keys scroll sideways.
        const int32_t step = std::max(16, CellsRect().width / 8);
        const int64_t to = command == cmPrevCell    ? leftX_ - step
                           : command == cmNextCell  ? leftX_ + step
                           : command == cmFirstCell ? 0
                                                    : INT32_MAX;
        ScrollTo(topRow_, to);
        return true;
      }
      if (command == cmPrevCell) return SelPrevColumn(extend), true;
      if (command == cmNextCell) return SelNextColumn(extend), true;
      if (command == cmFirstCell) return SelFirstColumn(extend), true;
      return SelLastColumn(extend), true;
    }
    case cmPrevRow:
    case cmNextRow:
      if (mode == smColumn) {
        ScrollTo(int64_t{topRow_} + (command == cmPrevRow ? -1 : 1), leftX_);
        return true;
      }
      if (command == cmPrevRow) return SelPrevRow(extend), true;
      return SelNextRow(extend), true;
    case cmPrevPage:
    case cmNextPage:
    case cmFirstPage:
    case cmLastPage: {
      if (mode == smColumn) {
        const int64_t page = PageRows();
        const int64_t to = command == cmPrevPage    ? int64_t{topRow_} - page
                           : command == cmNextPage  ? int64_t{topRow_} + page
                           : command == cmFirstPage ? 0
                                                    : INT32_MAX;
        ScrollTo(to, leftX_);
        return true;
      }
      if (command == cmPrevPage) return SelPrevPage(extend), true;
      if (command == cmNextPage) return SelNextPage(extend), true;
      if (command == cmFirstPage) return SelFirstPage(extend), true;
      return SelLastPage(extend), true;
    }
    case cmPrevWrap:
    case cmNextWrap: {
      if (mode != smCell) {
        if (command == cmPrevWrap) return SelPrevRow(false), true;
        return SelNextRow(false), true;
      }
      if (selRow_ == 0) return SelCellNumber(1, FirstShownColumn()), true;
      const uint32_t rows = RowCount();
      if (command == cmNextWrap) {
        if (selColumn_ != LastShownColumn()) return SelNextColumn(false), true;
        if (selRow_ < rows) return SelCellNumber(selRow_ + 1, FirstShownColumn()), true;
        return true;
      }
      if (selColumn_ != FirstShownColumn()) return SelPrevColumn(false), true;
      if (selRow_ > 1) return SelCellNumber(selRow_ - 1, LastShownColumn()), true;
      return true;
    }
    case cmHideColumn:
      if (data) ShowColumn(static_cast<uint32_t>(data), false);
      return true;
    case cmDefaultWidth:
    case cmOptimalWidth:
    case cmMaximalWidth:
      if (data)
        SetColumnMode(static_cast<uint32_t>(data),
                      command == cmDefaultWidth   ? wmDefault
                      : command == cmOptimalWidth ? wmOptimal
                                                  : wmMaximal,
                      0);
      return true;
    case cmLeftJustify:
    case cmCenterJustify:
    case cmRightJustify:
      if (data) SetColumnJustify(static_cast<uint32_t>(data), command - cmLeftJustify);
      return true;
    case cmTreeChosen:
    case cmTreeExpanded:
    case cmTreeCollapsed: {
      const uint32_t table = static_cast<uint32_t>(data);
      const uint32_t code = command == cmTreeChosen     ? ncTreeChosen
                            : command == cmTreeExpanded ? ncTreeExpanded
                                                        : ncTreeCollapsed;
      DS_Notify(code, table, 0, 0);
      if (command == cmTreeChosen && GetPTable(table) && DS_TerminalTreeItem(table)) ShowTable(table);
      return true;
    }
    default: return false;
  }
}

bool CSheetDataView::HandleKey(uint32_t key, uint32_t modifiers) {
  const bool ctrl = modifiers & vcore::kmCtrl, shift = modifiers & vcore::kmShift;
  if (editing_) {
    if (key == vcore::vkReturn) return HandleCommand(cmEditKeep);
    if (key == vcore::vkEscape) return HandleCommand(cmEditDrop);
    if (key == vcore::vkTab) return HandleCommand(shift ? cmEditPrev : cmEditNext);
    return false;
  }
  if (ctrl) {
    switch (key) {
      case 'C': return HandleCommand(shift ? cmCopyHeaders : cmCopy);
      case vcore::vkInsert: return HandleCommand(cmCopy);
      case vcore::vkHome: return HandleCommand(cmFirstPage, shift);
      case vcore::vkEnd: return HandleCommand(cmLastPage, shift);
      case 'N': return HandleCommand(cmNew);
      case 'O': return HandleCommand(cmOpen);
      case 'S': return HandleCommand(shift ? cmSaveAs : cmSave);
      default: return false;
    }
  }
  switch (key) {
    case vcore::vkLeft: return HandleCommand(cmPrevCell, shift);
    case vcore::vkRight: return HandleCommand(cmNextCell, shift);
    case vcore::vkHome: return HandleCommand(cmFirstCell, shift);
    case vcore::vkEnd: return HandleCommand(cmLastCell, shift);
    case vcore::vkUp: return HandleCommand(cmPrevRow, shift);
    case vcore::vkDown: return HandleCommand(cmNextRow, shift);
    case vcore::vkPrior: return HandleCommand(cmPrevPage, shift);
    case vcore::vkNext: return HandleCommand(cmNextPage, shift);
    case vcore::vkTab: return HandleCommand(shift ? cmPrevWrap : cmNextWrap);
    case vcore::vkReturn:
    case vcore::vkF2: return HandleCommand(cmEdit);
    default: return false;
  }
}

void CSheetDataView::ReceiveEvent(vcore::TEvent& event) {
  switch (event.kind) {
    case vcore::evKeyDown:
      if (HandleKey(event.code, event.modifiers)) StopEvent(event);
      return;
    case vcore::evCommand:
      if (HandleCommand(event.code, false, event.data)) StopEvent(event);
      return;
    case vcore::evMouseDown: {
      uint32_t row, column;
      if (IsInitialized()) SetFocus();
      if (event.buttons & vcore::mbRight) {
        StopEvent(event);
        if (IsInitialized()) menu_.Track(this, event.x, event.y);
        return;
      }
      if (!(event.buttons & vcore::mbLeft)) return;
      if (editing_) HideCellEditor(true);
      if (CellAt(event.x, event.y, row, column)) {
        MoveSelection(row, column, event.modifiers & vcore::kmShift);
        selecting_ = true;
        if (IsInitialized()) CaptureMouse();
      }
      StopEvent(event);
      return;
    }
    case vcore::evMouseMove: {
      uint32_t row, column;
      if (selecting_ && CellAt(event.x, event.y, row, column)) MoveSelection(row, column, true);
      if (selecting_) StopEvent(event);
      return;
    }
    case vcore::evMouseUp:
      if (selecting_) {
        selecting_ = false;
        if (IsInitialized()) ReleaseMouse();
        StopEvent(event);
      }
      return;
    case vcore::evMouseDouble: {
      uint32_t row, column;
      if (CellAt(event.x, event.y, row, column)) {
        MoveSelection(row, column, false);
        HandleCommand(cmEdit);
        StopEvent(event);
      }
      return;
    }
    case vcore::evControl:
      if (event.code == kEditorId) return;
      break;
    default: break;
  }
  vdata::CDataView::ReceiveEvent(event);
}

}  // namespace gridon
