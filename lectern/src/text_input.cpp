// The text view on screen: start-up, painting, scrolling, keys, mouse and
// commands; the status line and the find window.
#include <winkit/vcore.h>
#include <winkit/vdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "lectern/text_view.h"

namespace lectern {

namespace {
int initCount = 0;
constexpr int kGutter = 14;  // mark column left of the text
constexpr vcolor::TColor kSelection = vcolor::RGBA(173, 214, 255);
constexpr vcolor::TColor kMarkColour = vcolor::RGBA(40, 90, 200);
constexpr vcolor::TColor kGutterPaper = vcolor::RGBA(240, 240, 240);

// UTF-8 bytes of a code point; 0 for values that are not characters.
std::size_t EncodeUtf8(uint32_t cp, char out[4]) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  if (cp > 0x10FFFF) return 0;
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

// The character a key stands for when the framework gives only its code.
// Codes that double as navigation keys (0x21-0x28, 0x2D, 0x2E) are read as
// navigation.
uint32_t CharFromKey(uint32_t key, uint32_t modifiers) {
  const bool shift = modifiers & vcore::kmShift;
  if (key >= 'A' && key <= 'Z') return shift ? key : key - 'A' + 'a';
  if (key >= '0' && key <= '9') return key;
  if (key == vcore::vkSpace) return ' ';
  if (key == 0x29 || key == 0x2A || key == 0x2B || key == 0x2C || key == 0x2F) return key;
  if ((key >= 0x3A && key <= 0x40) || (key >= 0x5B && key <= 0x60) || (key >= 0x7B && key <= 0x7E)) return key;
  if (key >= 0xA0 && key <= 0xFF) {
    // Latin-1 letters come as capitals.
    if (key >= 0xC0 && key <= 0xDE && key != 0xD7 && !shift) return key + 0x20;
    return key;
  }
  return 0;
}

bool IsBlank(uint32_t cp) { return cp == ' ' || cp == '\t'; }
}  // namespace

void Init_() {
  if (initCount++ > 0) return;
  vdata::Init_();
  vwin::Init_();
}

// ------------------------------------------------------------ life cycle

bool CTextView::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  Init_();
  SetContainer(&container_);
  if (!InitBuffer()) return false;
  vfont::TFontDesc desc;
  desc.face = "monospace";
  desc.height = -13;
  font_.Init(desc);
  GetPGContext()->font = &font_;
  if (!vdata::CDataView::Init(parent, rect)) return false;
  MeasureFont();
  SetCursor(vcore::crIBeam);
  UpdateScrollBars();
  RefreshStatus();
  return true;
}

void CTextView::Done() {
  if (findWindow_) {
    findWindow_->Done();
    delete findWindow_;
    findWindow_ = nullptr;
  }
  vdata::CDataView::Done();
  font_.Done();
}

void CTextView::MeasureFont() {
  vgr::CMemoryContext dc;
  if (!dc.Init(8, 8)) return;
  dc.SetGCFont(&font_);
  charWidth_ = std::max(1, dc.TextWidth(1, "M"));
  lineHeight_ = std::max(1, dc.TextHeight());
  dc.Done();
}

void CTextView::AfterEdit() {
  container_.SetModified();
  AfterChange();
}

void CTextView::AfterChange() {
  if (IsInitialized()) {
    ScrollToCursor();
    Invalidate();
  }
  RefreshStatus();
}

// ------------------------------------------------------------ status line

void CTextView::SetStatusBar(CStatusBar* bar) {
  statusBar_ = bar;
  RefreshStatus();
}

void CTextView::RefreshStatus() {
  if (!statusBar_) return;
  statusBar_->SetPosition(curLine_, DisplayColumn(curLine_, curColumn_));
  statusBar_->SetModified(IsModified());
}

void CStatusBar::SetPosition(int32_t line, int32_t column) {
  line_ = line;
  column_ = column;
  if (IsInitialized()) Invalidate();
}

void CStatusBar::SetModified(bool modified) {
  modified_ = modified;
  if (IsInitialized()) Invalidate();
}

void CStatusBar::SetMessage(const char* text) {
  message_ = text ? text : "";
  if (IsInitialized()) Invalidate();
}

std::string CStatusBar::StatusText() const {
  char pos[64];
  std::snprintf(pos, sizeof pos, "Ln %d, Col %d", line_ + 1, column_ + 1);
  std::string s = pos;
  if (modified_) s += "   Modified";
  if (!message_.empty()) s += "   " + message_;
  return s;
}

void CStatusBar::PaintView(vgr::CDeviceContext& dc) {
  const vcom::CRect r = ClientRect();
  dc.SetGCPaperColor(kGutterPaper);
  dc.Rectangle(0, 0, r.width, r.height);
  const std::string s = StatusText();
  dc.SetGCTextColor(vcolor::Black);
  dc.OutTextXY(4, std::max(0, (r.height - dc.TextHeight()) / 2), static_cast<int>(s.size()), s.c_str());
}

// ------------------------------------------------------------ geometry

int CTextView::VisibleLines() const {
  const int h = IsInitialized() ? DataRect().height : 0;
  return std::max(1, h / lineHeight_);
}

int32_t CTextView::DisplayColumn(int32_t line, int32_t column) const {
  if (line < 0 || line >= lineCount_) return 0;
  const std::size_t start = LineOffset(line);
  int32_t shown = 0;
  for (int32_t i = 0; i < column; ++i) {
    const unsigned char c = static_cast<unsigned char>(ByteAt(start + i));
    if (c == '\t') {
      shown = (shown / tabWidth_ + 1) * tabWidth_;
    } else if ((c & 0xC0) != 0x80 && c != '\r') {
      ++shown;
    }
  }
  return shown;
}

TTextPos CTextView::PositionAt(int x, int y) const {
  const int32_t line = std::max(0, std::min(lineCount_ - 1, topLine_ + std::max(0, y) / lineHeight_));
  const int target = std::max(0, (x - kGutter + leftX_ + charWidth_ / 2) / charWidth_);
  const std::size_t start = LineOffset(line);
  const int32_t length = LineLength(line);
  int32_t shown = 0, column = 0;
  while (column < length) {
    const unsigned char c = static_cast<unsigned char>(ByteAt(start + column));
    int next = shown;
    if (c == '\t') {
      next = (shown / tabWidth_ + 1) * tabWidth_;
    } else if ((c & 0xC0) != 0x80) {
      next = shown + 1;
    }
    if (next > target) break;
    shown = next;
    ++column;
    while (column < length && (static_cast<unsigned char>(ByteAt(start + column)) & 0xC0) == 0x80) ++column;
  }
  return {line, column};
}

void CTextView::UpdateScrollBars() {
  if (!IsInitialized()) return;
  const vcom::CRect r = DataRect();
  topLine_ = std::max(0, std::min(topLine_, lineCount_ - 1));
  SetVScroll(lineCount_ - 1, VisibleLines(), topLine_);
  const int textWidth = std::max(1, r.width - kGutter);
  const int extent = std::max(widest_ + 4 * charWidth_, textWidth);
  SetHScroll(extent - 1, textWidth, leftX_);
}

void CTextView::ScrollToCursor() {
  const int visible = VisibleLines();
  if (curLine_ < topLine_) topLine_ = curLine_;
  if (curLine_ >= topLine_ + visible) topLine_ = curLine_ - visible + 1;
  const int x = DisplayColumn(curLine_, curColumn_) * charWidth_;
  widest_ = std::max(widest_, x);
  const int textWidth = IsInitialized() ? std::max(charWidth_, DataRect().width - kGutter) : 1 << 20;
  if (x < leftX_) leftX_ = std::max(0, x - 4 * charWidth_);
  if (x > leftX_ + textWidth - charWidth_) leftX_ = x - textWidth + 4 * charWidth_;
  UpdateScrollBars();
}

void CTextView::NewRect(const vcom::CRect& rect) {
  vdata::CDataView::NewRect(rect);
  UpdateScrollBars();
}

void CTextView::ScrollChanged(int hPos, int vPos) {
  topLine_ = std::max(0, std::min(vPos, lineCount_ - 1));
  leftX_ = std::max(0, hPos);
  Invalidate();
}

// ------------------------------------------------------------ painting

std::size_t CTextView::NextLineStart(std::size_t offset) const {
  if (offset >= length_) return length_;
  if (offset < gapStart_) {
    const void* hit = std::memchr(buffer_ + offset, '\n', gapStart_ - offset);
    if (hit) return static_cast<std::size_t>(static_cast<const char*>(hit) - buffer_) + 1;
    offset = gapStart_;
  }
  const char* after = buffer_ + gapEnd_ + 1;
  const std::size_t from = offset - gapStart_;
  const void* hit = std::memchr(after + from, '\n', length_ - offset);
  return hit ? gapStart_ + static_cast<std::size_t>(static_cast<const char*>(hit) - after) + 1 : length_;
}

void CTextView::PaintLine(vgr::CDeviceContext& dc, int32_t line, std::size_t start, int32_t length, int y) {
  // Shown text: tabs expanded; columns[i] is the shown column of byte i.
  std::string shown;
  std::vector<int32_t> columns(static_cast<std::size_t>(length) + 1);
  int32_t col = 0;
  for (int32_t i = 0; i < length; ++i) {
    columns[i] = col;
    const char c = ByteAt(start + i);
    if (c == '\t') {
      const int32_t next = (col / tabWidth_ + 1) * tabWidth_;
      shown.append(static_cast<std::size_t>(next - col), ' ');
      col = next;
    } else {
      shown.push_back(c);
      col += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
  }
  columns[length] = col;
  const int x0 = kGutter - leftX_;
  std::size_t selStart, selEnd;
  if (SelectionRange(selStart, selEnd) && selStart <= start + length && selEnd >= start) {
    const std::size_t a = std::max(selStart, start) - start;
    const std::size_t b = std::min(selEnd, start + length) - start;
    const int xa = x0 + columns[a] * charWidth_;
    int xb = x0 + columns[b] * charWidth_;
    if (selEnd > start + length) xb += charWidth_;  // the line end is selected too
    dc.SetGCPaperColor(kSelection);
    dc.Rectangle(xa, y, std::max(0, xb - xa), lineHeight_);
  }
  if (!shown.empty()) {
    dc.SetGCTextColor(vcolor::Black);
    dc.OutTextXY(x0, y, static_cast<int>(shown.size()), shown.data());
  }
  widest_ = std::max(widest_, col * charWidth_);
  if (IsMarked(line)) {
    dc.SetGCPaperColor(kMarkColour);
    dc.SetGCInkColor(kMarkColour);
    dc.CircleFill(kGutter / 2, y + lineHeight_ / 2, 4, false);
  }
  if (line == curLine_ && caretShown_) {
    const int x = x0 + columns[std::min(curColumn_, length)] * charWidth_;
    dc.SetGCInkColor(vcolor::Black);
    dc.SetGCInkWidth(1);
    dc.Line(x, y, x, y + lineHeight_ - 1);
  }
}

void CTextView::PaintView(vgr::CDeviceContext& dc) {
  const vcom::CRect r = IsInitialized() ? DataRect() : dc.ExposedRect();
  dc.SetClip(0, 0, r.width, r.height);
  dc.SetGCPaperColor(vcolor::White);
  dc.Rectangle(0, 0, r.width, r.height);
  dc.SetGCPaperColor(kGutterPaper);
  dc.Rectangle(0, 0, kGutter - 2, r.height);
  dc.SetGCFont(&font_);
  // One walk from the first line shown, rather than a search per line.
  std::size_t start = LineOffset(topLine_);
  for (int32_t line = topLine_, y = 0; line < lineCount_ && y < r.height; ++line, y += lineHeight_) {
    const std::size_t next = NextLineStart(start);
    std::size_t length = next - start;
    if (next > start && ByteAt(next - 1) == '\n') {
      --length;
      if (length > 0 && ByteAt(start + length - 1) == '\r') --length;
    }
    dc.SetClip(0, y, r.width, lineHeight_);
    PaintLine(dc, line, start, static_cast<int32_t>(length), y);
    start = next;
  }
  dc.ClearClip();
}

// ------------------------------------------------------------ keyboard

bool CTextView::InsertTyped(const char* bytes, std::size_t count) {
  if (HasSelection()) {
    BeginAction();
    DeleteSelection();
    const bool ok = InsertTextUndoable(bytes, count);
    EndAction();
    typingRun_ = false;
    return ok;
  }
  selecting_ = false;
  const bool blank = count == 1 && IsBlank(static_cast<unsigned char>(bytes[0]));
  // A run of typing undoes word by word: a character continues the group
  // unless it starts a word after blanks.
  if (typingRun_ && lastTyped_ == Cursor() && !(lastTypedSpace_ && !blank)) joinNext_ = true;
  const bool ok = InsertTextUndoable(bytes, count);
  joinNext_ = false;
  typingRun_ = ok;
  lastTyped_ = Cursor();
  lastTypedSpace_ = blank;
  return ok;
}

bool CTextView::TypeChar(uint32_t codePoint) {
  char bytes[4];
  const std::size_t n = EncodeUtf8(codePoint, bytes);
  if (n == 0) return false;
  return InsertTyped(bytes, n);
}

void CTextView::MoveCursorKey(uint32_t key, uint32_t modifiers) {
  const bool extend = modifiers & vcore::kmShift;
  const bool ctrl = modifiers & vcore::kmCtrl;
  const TTextPos old = Cursor();
  if (extend && !HasSelection()) {
    anchor_ = old;
  }
  std::size_t selStart, selEnd;
  const bool hadSelection = SelectionRange(selStart, selEnd);
  TTextPos to = old;
  bool vertical = false;
  switch (key) {
    case vcore::vkLeft:
      if (hadSelection && !extend) {
        MoveGapTo(selStart);
        to = Cursor();
      } else {
        to = PosOfOffset(gapStart_ - CharBefore(gapStart_));
      }
      break;
    case vcore::vkRight:
      if (hadSelection && !extend) {
        MoveGapTo(selEnd);
        to = Cursor();
      } else {
        to = PosOfOffset(gapStart_ + CharAfter(gapStart_));
      }
      break;
    case vcore::vkUp:
      to.line -= 1;
      vertical = true;
      break;
    case vcore::vkDown:
      to.line += 1;
      vertical = true;
      break;
    case vcore::vkPrior:
      to.line -= VisibleLines();
      vertical = true;
      break;
    case vcore::vkNext:
      to.line += VisibleLines();
      vertical = true;
      break;
    case vcore::vkHome: to = ctrl ? TTextPos{0, 0} : TTextPos{old.line, 0}; break;
    case vcore::vkEnd: to = ctrl ? PosOfOffset(length_) : TTextPos{old.line, LineLength(old.line)}; break;
    default: return;
  }
  if (vertical) {
    if (preferredColumn_ < 0) preferredColumn_ = DisplayColumn(old.line, old.column);
    to.line = std::max(0, std::min(lineCount_ - 1, to.line));
    // Keep the shown column over lines of different lengths.
    const int x = kGutter - leftX_ + preferredColumn_ * charWidth_;
    const int savedTop = topLine_;
    topLine_ = 0;
    to.column = PositionAt(x, to.line * lineHeight_).column;
    topLine_ = savedTop;
    if (key == vcore::vkPrior) topLine_ = std::max(0, topLine_ - VisibleLines());
    if (key == vcore::vkNext) topLine_ = std::max(0, std::min(lineCount_ - 1, topLine_ + VisibleLines()));
  } else {
    preferredColumn_ = -1;
  }
  MoveGapTo(OffsetOf(to, !(key == vcore::vkLeft || key == vcore::vkRight)));
  selecting_ = extend;
  AfterChange();
}

bool CTextView::HandleKey(uint32_t key, uint32_t modifiers) {
  const bool ctrl = modifiers & vcore::kmCtrl;
  const bool shift = modifiers & vcore::kmShift;
  if (ctrl && !(modifiers & vcore::kmAlt)) {
    switch (key) {
      case 'Z': return HandleCommand(shift ? cmRedo : cmUndo);
      case 'Y': return HandleCommand(cmRedo);
      case 'C': return HandleCommand(cmCopy);
      case 'X': return HandleCommand(cmCut);
      case 'V': return HandleCommand(cmPaste);
      case 'A': return HandleCommand(cmSelectAll);
      case 'F': return HandleCommand(cmFind);
      case vcore::vkInsert: return HandleCommand(cmCopy);
      case vcore::vkF2: return HandleCommand(cmToggleMark);
      case vcore::vkHome:
      case vcore::vkEnd:
        typingRun_ = false;
        MoveCursorKey(key, modifiers);
        return true;
      default: return false;
    }
  }
  if (shift && key == vcore::vkInsert) return HandleCommand(cmPaste);
  if (shift && key == vcore::vkDelete) return HandleCommand(cmCut);
  switch (key) {
    case vcore::vkLeft:
    case vcore::vkRight:
    case vcore::vkUp:
    case vcore::vkDown:
    case vcore::vkPrior:
    case vcore::vkNext:
    case vcore::vkHome:
    case vcore::vkEnd:
      typingRun_ = false;
      MoveCursorKey(key, modifiers);
      return true;
    case vcore::vkBack:
    case vcore::vkDelete:
      typingRun_ = false;
      preferredColumn_ = -1;
      if (!DeleteSelection()) DeleteChar(key == vcore::vkDelete);
      return true;
    case vcore::vkReturn: {
      typingRun_ = false;
      preferredColumn_ = -1;
      const bool crlf = UsesCRLF();
      InsertTyped(crlf ? "\r\n" : "\n", crlf ? 2 : 1);
      typingRun_ = false;
      return true;
    }
    case vcore::vkTab: preferredColumn_ = -1; return InsertTyped("\t", 1), true;
    case vcore::vkEscape:
      if (!HasSelection()) return false;
      selecting_ = false;
      Invalidate();
      return true;
    case vcore::vkF3: return HandleCommand(shift ? cmFindPrevious : cmFindNext);
    case vcore::vkF2: return HandleCommand(shift ? cmPrevMark : cmNextMark);
    default: break;
  }
  if (modifiers & vcore::kmAlt) return false;
  const uint32_t cp = CharFromKey(key, modifiers);
  if (cp == 0) return false;
  preferredColumn_ = -1;
  TypeChar(cp);
  return true;
}

bool CTextView::HandleCommand(uint32_t command) {
  switch (command) {
    case cmUndo: Undo(); return true;
    case cmRedo: Redo(); return true;
    case cmCopy: Copy(); return true;
    case cmCut:
      typingRun_ = false;
      Cut();
      return true;
    case cmPaste:
      typingRun_ = false;
      Paste();
      return true;
    case cmSelectAll: SelectAll(); return true;
    case cmFind: ShowFindWindow(); return true;
    case cmFindNext:
    case cmFindPrevious: {
      if (lastPattern_.empty()) {
        ShowFindWindow();
        return true;
      }
      TFindOptions options = lastOptions_;
      options.backward = command != cmFindNext;
      Find(lastPattern_, options);
      return true;
    }
    case cmNextMark: NextMark(); return true;
    case cmPrevMark: PrevMark(); return true;
    case cmToggleMark: ToggleMark(curLine_, 0); return true;
    default: return false;
  }
}

void CTextView::ReceiveEvent(vcore::TEvent& event) {
  switch (event.kind) {
    case vcore::evKeyDown: {
      const bool plain = !(event.modifiers & (vcore::kmCtrl | vcore::kmAlt));
      // A framework that passes the typed character gives it in data.
      if (plain && event.data >= 0x20 && event.data != 0x7F) {
        if (TypeChar(static_cast<uint32_t>(event.data))) StopEvent(event);
        return;
      }
      if (HandleKey(event.code, event.modifiers)) StopEvent(event);
      return;
    }
    case vcore::evCommand:
      if (HandleCommand(event.code)) StopEvent(event);
      return;
    case vcore::evMouseDown:
      if (event.buttons & vcore::mbRight) {
        ContextMenu(event.x, event.y);
        StopEvent(event);
        return;
      }
      if (event.buttons & vcore::mbLeft) {
        SetFocus();
        typingRun_ = false;
        preferredColumn_ = -1;
        const TTextPos at = PositionAt(event.x, event.y);
        if (event.modifiers & vcore::kmShift) {
          if (!HasSelection()) anchor_ = Cursor();
        } else {
          anchor_ = at;
        }
        MoveGapTo(OffsetOf(at, true));
        selecting_ = true;
        dragging_ = true;
        CaptureMouse();
        AfterChange();
        StopEvent(event);
      }
      return;
    case vcore::evMouseMove:
      if (dragging_) {
        MoveGapTo(OffsetOf(PositionAt(event.x, event.y), true));
        AfterChange();
        StopEvent(event);
      }
      return;
    case vcore::evMouseUp:
      if (dragging_) {
        dragging_ = false;
        ReleaseMouse();
        StopEvent(event);
      }
      return;
    case vcore::evMouseDouble: {
      // Selects the word under the pointer.
      const TTextPos at = PositionAt(event.x, event.y);
      const std::size_t lineStart = LineOffset(at.line);
      const std::size_t lineEnd = lineStart + static_cast<std::size_t>(LineLength(at.line));
      auto isWord = [&](std::size_t o) {
        const unsigned char c = static_cast<unsigned char>(ByteAt(o));
        return c >= 0x80 || c == '_' || (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
      };
      std::size_t a = OffsetOf(at, true), b = a;
      while (a > lineStart && isWord(a - 1)) --a;
      while (b < lineEnd && isWord(b)) ++b;
      SetSelection(PosOfOffset(a), PosOfOffset(b));
      StopEvent(event);
      return;
    }
    default: vdata::CDataView::ReceiveEvent(event); return;
  }
}

void CTextView::ContextMenu(int x, int y) {
  view::CPopUpMenu menu;
  menu.InitItems();
  menu.AddItem("Undo", "Ctrl+Z", 0, nullptr, nullptr, cmUndo);
  menu.AddItem("Redo", "Ctrl+Y", 0, nullptr, nullptr, cmRedo);
  menu.AddLine();
  menu.AddItem("Cut", "Ctrl+X", 2, nullptr, nullptr, cmCut);
  menu.AddItem("Copy", "Ctrl+C", 0, nullptr, nullptr, cmCopy);
  menu.AddItem("Paste", "Ctrl+V", 0, nullptr, nullptr, cmPaste);
  menu.AddLine();
  menu.AddItem("Select All", "Ctrl+A", 7, nullptr, nullptr, cmSelectAll);
  menu.AddItem("Find...", "Ctrl+F", 0, nullptr, nullptr, cmFind);
  menu.AddItem("Toggle Mark", "Ctrl+F2", 0, nullptr, nullptr, cmToggleMark);
  menu.SetEnabled(cmUndo, CanUndo());
  menu.SetEnabled(cmRedo, CanRedo());
  menu.SetEnabled(cmCut, HasSelection());
  menu.SetEnabled(cmCopy, HasSelection());
  // The chosen command comes back to the view as a command event.
  menu.Track(this, x, y);
  menu.Done();
}

// ------------------------------------------------------------ find window

void CTextView::ShowFindWindow() {
  if (!findWindow_) findWindow_ = new CFindWindow(this);
  findWindow_->Open();
  const std::string selected = SelectedText();
  if (!selected.empty() && selected.find('\n') == std::string::npos) findWindow_->SetFindText(selected.c_str());
}

bool CFindWindow::Open() {
  if (!IsInitialized() && !Init(vcom::CRect(200, 200, 420, 136), vwin::wsDialog, "Find", nullptr, nullptr, nullptr))
    return false;
  ShowWindow();
  return true;
}

void CFindWindow::CreateInterior() {
  findLabel_.Init(this, vcom::CRect(10, 10, 90, 22), "Find what:");
  find_.Init(this, vcom::CRect(100, 10, 200, 22), idFind, "");
  replaceLabel_.Init(this, vcom::CRect(10, 40, 90, 22), "Replace with:");
  replace_.Init(this, vcom::CRect(100, 40, 200, 22), idReplace, "");
  matchCase_.Init(this, vcom::CRect(10, 72, 100, 22), idMatchCase, "Match case");
  backward_.Init(this, vcom::CRect(110, 72, 90, 22), idBackward, "Backward");
  wrap_.Init(this, vcom::CRect(200, 72, 110, 22), idWrap, "Wrap around");
  wrap_.SetChecked(true);
  findNext_.Init(this, vcom::CRect(312, 8, 100, 26), idFindNext, "Find Next");
  replaceOne_.Init(this, vcom::CRect(312, 38, 100, 26), idReplaceOne, "Replace");
  replaceAll_.Init(this, vcom::CRect(312, 68, 100, 26), idReplaceAll, "Replace All");
  close_.Init(this, vcom::CRect(312, 100, 100, 26), idClose, "Close");
}

TFindOptions CFindWindow::Options() const {
  TFindOptions o;
  o.matchCase = matchCase_.IsChecked();
  o.backward = backward_.IsChecked();
  o.wrap = wrap_.IsChecked();
  return o;
}

bool CFindWindow::FindNext() { return target_ && target_->Find(find_.Text(), Options()); }

bool CFindWindow::ReplaceOne() { return target_ && target_->Replace(find_.Text(), replace_.Text(), Options()); }

int CFindWindow::ReplaceAllMatches() {
  if (!target_) return 0;
  const int n = target_->ReplaceAll(find_.Text(), replace_.Text(), Options().matchCase);
  if (CStatusBar* bar = target_->StatusBar()) {
    const std::string text = std::to_string(n) + (n == 1 ? " occurrence replaced" : " occurrences replaced");
    bar->SetMessage(text.c_str());
  }
  return n;
}

void CFindWindow::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl && event.data == vcore::cnPressed) {
    switch (event.code) {
      case idFindNext: FindNext(); break;
      case idReplaceOne: ReplaceOne(); break;
      case idReplaceAll: ReplaceAllMatches(); break;
      case idClose: Close(); return;
      default: return;
    }
    StopEvent(event);
    return;
  }
  if (event.kind == vcore::evKeyDown && event.code == vcore::vkReturn) {
    FindNext();
    StopEvent(event);
    return;
  }
  if (event.kind == vcore::evKeyDown && event.code == vcore::vkEscape) {
    Close();
    return;
  }
  vwin::CWindow::ReceiveEvent(event);
}

}  // namespace lectern
