// The gap buffer: allocation, insertion, deletion, cursor positions, lines
// and marks.
#include <cstdlib>
#include <cstring>

#include "lectern/text_view.h"

namespace lectern {

namespace {
// Largest store: columns and offsets stay within 31 bits.
constexpr std::size_t kMaxStore = 0x7FFF0000u;

std::size_t CountLF(const char* p, std::size_t n) {
  std::size_t lfs = 0;
  const char* end = p + n;
  while (p < end) {
    const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    if (!hit) break;
    ++lfs;
    p = static_cast<const char*>(hit) + 1;
  }
  return lfs;
}

// Index of the last LF in p[0, n), or -1.
std::ptrdiff_t LastLF(const char* p, std::size_t n) {
  const void* hit = n ? memrchr(p, '\n', n) : nullptr;
  return hit ? static_cast<const char*>(hit) - p : -1;
}
}  // namespace

CTextView::CTextView() = default;

CTextView::~CTextView() {
  marks_.DisposeList();
  for (TUndoRecord& r : ring_) FreeRecord(r);
  if (buffer_) CTextView::FreeBuffer();
}

bool CTextView::InitBuffer() {
  if (buffer_) return true;
  return AllocBuffer();
}

bool CTextView::AllocBuffer() {
  const std::size_t b = BlockSize();
  buffer_ = static_cast<char*>(std::malloc(b));
  if (!buffer_) return false;
  size_ = b;
  gapStart_ = 0;
  gapEnd_ = size_ - 1;
  length_ = 0;
  return true;
}

bool CTextView::EnlargeBuffer(std::size_t oldBlocks, std::size_t newBlocks) {
  const std::size_t b = BlockSize();
  if (newBlocks <= oldBlocks) return true;
  if (newBlocks > kMaxStore / b) return false;
  const std::size_t delta = (newBlocks - oldBlocks) * b;
  void* grown = std::realloc(buffer_, newBlocks * b);
  if (!grown) return false;
  buffer_ = static_cast<char*>(grown);
  const std::size_t tail = size_ - gapEnd_ - 1;
  std::memmove(buffer_ + gapEnd_ + 1 + delta, buffer_ + gapEnd_ + 1, tail);
  gapEnd_ += delta;
  size_ += delta;
  return true;
}

void CTextView::ShrinkBuffer(std::size_t oldBlocks, std::size_t newBlocks) {
  if (newBlocks >= oldBlocks || newBlocks == 0) return;
  const std::size_t delta = (oldBlocks - newBlocks) * BlockSize();
  const std::size_t tail = size_ - gapEnd_ - 1;
  std::memmove(buffer_ + gapEnd_ + 1 - delta, buffer_ + gapEnd_ + 1, tail);
  gapEnd_ -= delta;
  size_ -= delta;
  // A failed shrink keeps the larger block, which stays valid.
  if (void* smaller = std::realloc(buffer_, size_)) buffer_ = static_cast<char*>(smaller);
}

void CTextView::FreeBuffer() {
  std::free(buffer_);
  buffer_ = nullptr;
  size_ = gapStart_ = gapEnd_ = length_ = 0;
}

void CTextView::NotifyBufferUpdate(std::size_t, std::size_t, bool) {}

void CTextView::Clear() {
  if (!buffer_ && !InitBuffer()) return;
  const std::size_t b = BlockSize();
  gapStart_ = 0;
  gapEnd_ = size_ - 1;
  if (size_ > b) ShrinkBuffer(size_ / b, 1);
  length_ = 0;
  lineCount_ = 1;
  curLine_ = curColumn_ = 0;
  topLine_ = leftX_ = 0;
  selecting_ = false;
  marks_.DisposeList();
  ClearUndoBuffer();
  container_.MarkSaved();
  if (IsInitialized()) {
    UpdateScrollBars();
    Invalidate();
  }
  RefreshStatus();
}

char CTextView::ByteAt(std::size_t offset) const {
  if (offset >= length_) return 0;
  return offset < gapStart_ ? buffer_[offset] : buffer_[gapEnd_ + 1 + (offset - gapStart_)];
}

// ------------------------------------------------------------ editing

bool CTextView::InsertTextInternal(const char* bytes, std::size_t count) {
  if (count == 0) return true;
  if (!bytes || (!buffer_ && !InitBuffer())) return false;
  const std::size_t b = BlockSize();
  const std::size_t before = (b + length_) / b, needed = (b + length_ + count) / b;
  if (before < needed && !EnlargeBuffer(before, needed)) return false;
  std::memcpy(buffer_ + gapStart_, bytes, count);
  const std::size_t lfs = CountLF(bytes, count);
  const int32_t startLine = curLine_, startColumn = curColumn_;
  if (lfs) {
    curLine_ += static_cast<int32_t>(lfs);
    curColumn_ = static_cast<int32_t>(count - 1 - static_cast<std::size_t>(LastLF(bytes, count)));
  } else {
    curColumn_ += static_cast<int32_t>(count);
  }
  gapStart_ += count;
  length_ += count;
  lineCount_ += static_cast<int32_t>(lfs);
  // Text typed inside a line pushes the lines after it down; text put at a
  // line's start pushes that line down as well.
  if (lfs) UpdateMarksInsert(startColumn == 0 ? startLine : startLine + 1, static_cast<int32_t>(lfs));
  if (notify_) NotifyBufferUpdate(gapStart_, count, true);
  return true;
}

std::size_t CTextView::DeleteTextInternal(std::size_t count, bool forward) {
  if (!buffer_) return 0;
  const std::size_t k = forward ? std::min(count, length_ - gapStart_) : std::min(count, gapStart_);
  if (k == 0) return 0;
  const char* gone = forward ? buffer_ + gapEnd_ + 1 : buffer_ + gapStart_ - k;
  const std::size_t lfs = CountLF(gone, k);
  const bool endsWithLF = gone[k - 1] == '\n';
  if (forward) {
    gapEnd_ += k;
  } else {
    gapStart_ -= k;
    if (lfs) {
      curLine_ -= static_cast<int32_t>(lfs);
      curColumn_ = static_cast<int32_t>(gapStart_ - 1 - static_cast<std::size_t>(LastLF(buffer_, gapStart_)));
    } else {
      curColumn_ -= static_cast<int32_t>(k);
    }
  }
  const std::size_t b = BlockSize();
  const std::size_t before = (b + length_) / b, after = (b + length_ - k) / b;
  if (after < before) ShrinkBuffer(before, after);
  lineCount_ -= static_cast<int32_t>(lfs);
  // Whole lines taken from a line's start lose their marks; otherwise the
  // lines joined to the cursor line do.
  if (lfs) {
    const bool wholeLines = curColumn_ == 0 && endsWithLF;
    UpdateMarksDelete(wholeLines ? curLine_ : curLine_ + 1, static_cast<int32_t>(lfs));
  }
  if (notify_) NotifyBufferUpdate(gapStart_, k, false);
  length_ -= k;
  return k;
}

bool CTextView::InsertText(const char* bytes, std::size_t count) {
  if (!InsertTextInternal(bytes, count)) return false;
  if (IsInitialized()) AfterChange();
  return true;
}

std::size_t CTextView::DeleteText(std::size_t count, bool forward) {
  const std::size_t k = DeleteTextInternal(count, forward);
  if (k && IsInitialized()) AfterChange();
  return k;
}

bool CTextView::DeleteLines(int32_t line, int32_t count) {
  if (line < 0 || count <= 0 || line >= lineCount_) return false;
  const std::size_t start = LineOffset(line);
  const std::size_t end = LineOffset(line + count);
  selecting_ = false;
  if (line + count >= lineCount_ && line > 0) {
    // The last lines: take the line end before them as well.
    MoveGapTo(end);
    const std::size_t from = LineOffset(line);
    std::size_t lineEnd = 1;
    if (from >= 2 && ByteAt(from - 2) == '\r') lineEnd = 2;
    BeginAction();
    DeleteTextUndoable(end - from + lineEnd, false);
    EndAction();
    return true;
  }
  MoveGapTo(start);
  BeginAction();
  DeleteTextUndoable(end - start, true);
  EndAction();
  return true;
}

// ------------------------------------------------------------ positions

void CTextView::MoveGapTo(std::size_t offset) {
  if (!buffer_) return;
  if (offset > length_) offset = length_;
  if (offset == gapStart_) return;
  const TTextPos pos = PosOfOffset(offset);
  if (offset < gapStart_) {
    const std::size_t k = gapStart_ - offset;
    std::memmove(buffer_ + gapEnd_ + 1 - k, buffer_ + offset, k);
    gapEnd_ -= k;
    gapStart_ = offset;
  } else {
    const std::size_t k = offset - gapStart_;
    std::memmove(buffer_ + gapStart_, buffer_ + gapEnd_ + 1, k);
    gapStart_ += k;
    gapEnd_ += k;
  }
  curLine_ = pos.line;
  curColumn_ = pos.column;
}

TTextPos CTextView::PosOfOffset(std::size_t offset) const {
  if (offset > length_) offset = length_;
  TTextPos pos{curLine_, curColumn_};
  if (offset >= gapStart_) {
    const char* after = buffer_ + gapEnd_ + 1;
    const std::size_t k = offset - gapStart_;
    const std::size_t lfs = CountLF(after, k);
    if (lfs == 0) return {curLine_, curColumn_ + static_cast<int32_t>(k)};
    pos.line += static_cast<int32_t>(lfs);
    pos.column = static_cast<int32_t>(k - 1 - static_cast<std::size_t>(LastLF(after, k)));
    return pos;
  }
  const std::size_t lfs = CountLF(buffer_ + offset, gapStart_ - offset);
  pos.line -= static_cast<int32_t>(lfs);
  pos.column = static_cast<int32_t>(offset - 1 - LastLF(buffer_, offset));
  return pos;
}

std::size_t CTextView::LineOffset(int32_t line) const {
  if (line <= 0 || !buffer_) return 0;
  if (line >= lineCount_) return length_;
  const std::size_t cursorLineStart = gapStart_ - static_cast<std::size_t>(curColumn_);
  if (line == curLine_) return cursorLineStart;
  if (line > curLine_) {
    // Walk forward over the text after the gap.
    int32_t toGo = line - curLine_;
    const char* after = buffer_ + gapEnd_ + 1;
    const std::size_t n = length_ - gapStart_;
    const char* p = after;
    while (toGo > 0) {
      const void* hit = std::memchr(p, '\n', n - static_cast<std::size_t>(p - after));
      if (!hit) return length_;
      p = static_cast<const char*>(hit) + 1;
      --toGo;
    }
    return gapStart_ + static_cast<std::size_t>(p - after);
  }
  // Walk back over the text before the gap: the line starts after the
  // (curLine_ - line)-th LF before the cursor line's start.
  int32_t toGo = curLine_ - line;
  std::size_t end = cursorLineStart;  // scan buffer_[0, end - 1)
  while (toGo > 0) {
    const std::ptrdiff_t lf = end >= 2 ? LastLF(buffer_, end - 1) : -1;
    if (lf < 0) return 0;
    end = static_cast<std::size_t>(lf) + 1;
    --toGo;
  }
  return end;
}

int32_t CTextView::LineLength(int32_t line) const {
  if (line < 0 || line >= lineCount_) return 0;
  const std::size_t start = LineOffset(line);
  const std::size_t next = LineOffset(line + 1);
  std::size_t n = next - start;
  if (line + 1 < lineCount_) {
    --n;  // the LF
    if (n > 0 && ByteAt(start + n - 1) == '\r') --n;
  }
  return static_cast<int32_t>(n);
}

std::size_t CTextView::OffsetOf(TTextPos pos, bool clampToShown) const {
  if (pos.line < 0) return 0;
  if (pos.line >= lineCount_) return length_;
  const std::size_t start = LineOffset(pos.line);
  std::size_t limit;
  if (clampToShown) {
    limit = static_cast<std::size_t>(LineLength(pos.line));
  } else {
    const std::size_t next = LineOffset(pos.line + 1);
    limit = next - start - (pos.line + 1 < lineCount_ ? 1 : 0);
  }
  const std::size_t column = pos.column < 0 ? 0 : static_cast<std::size_t>(pos.column);
  return start + std::min(column, limit);
}

void CTextView::SetLineIndex(int32_t line, int32_t column) {
  if (!buffer_) return;
  line = std::max(0, std::min(line, lineCount_ - 1));
  MoveGapTo(OffsetOf({line, column}, true));
  if (IsInitialized()) {
    ScrollToCursor();
    Invalidate();
  }
  RefreshStatus();
}

void CTextView::MoveLineIndex(std::size_t count, bool forward) {
  const std::size_t k = forward ? std::min(count, length_ - gapStart_) : std::min(count, gapStart_);
  MoveGapTo(forward ? gapStart_ + k : gapStart_ - k);
  RefreshStatus();
}

bool CTextView::UsesCRLF() const {
  const std::size_t first = LineOffset(1);
  return lineCount_ > 1 && first >= 2 && ByteAt(first - 2) == '\r';
}

std::size_t CTextView::CharBefore(std::size_t offset) const {
  if (offset == 0) return 0;
  if (ByteAt(offset - 1) == '\n') return offset >= 2 && ByteAt(offset - 2) == '\r' ? 2 : 1;
  std::size_t n = 1;
  while (n < 4 && n < offset && (static_cast<unsigned char>(ByteAt(offset - n)) & 0xC0) == 0x80) ++n;
  return n;
}

std::size_t CTextView::CharAfter(std::size_t offset) const {
  if (offset >= length_) return 0;
  const unsigned char c = static_cast<unsigned char>(ByteAt(offset));
  if (c == '\r' && ByteAt(offset + 1) == '\n') return 2;
  std::size_t n = 1;
  while (n < 4 && offset + n < length_ && (static_cast<unsigned char>(ByteAt(offset + n)) & 0xC0) == 0x80) ++n;
  return n;
}

// ------------------------------------------------------------ whole text and lines

void CTextView::GetTextBlock(const char*& text, std::size_t& length) {
  text = nullptr;
  length = 0;
  if (length_ == 0 || !buffer_) return;
  caretShown_ = false;
  selecting_ = false;
  MoveGapTo(0);
  caretShown_ = true;
  text = buffer_ + gapEnd_ + 1;
  length = length_;
  RefreshStatus();
}

std::string CTextView::Text() const {
  std::string s;
  if (!buffer_) return s;
  s.reserve(length_);
  s.append(buffer_, gapStart_);
  s.append(buffer_ + gapEnd_ + 1, length_ - gapStart_);
  return s;
}

bool CTextView::GetLine(int32_t line, vdstr::TDStringA*& text) const {
  if (line < 0 || line >= lineCount_) return false;
  const std::size_t start = LineOffset(line);
  const int32_t n = LineLength(line);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  for (int32_t i = 0; i < n; ++i) bytes[i] = ByteAt(start + i);
  vdstr::CopyBufferToDStrA(text, bytes.data(), static_cast<uint32_t>(n));
  return true;
}

bool CTextView::SetLine(int32_t line, const char* text, std::size_t count) {
  if (line < 0 || line >= lineCount_) return false;
  selecting_ = false;
  MoveGapTo(LineOffset(line));
  const std::size_t old = static_cast<std::size_t>(LineLength(line));
  DeleteTextInternal(old, true);
  const bool ok = InsertTextInternal(text, count);
  if (IsInitialized()) AfterChange();
  return ok;
}

bool CTextView::InsertLine(int32_t line, const char* text, std::size_t count) {
  if (line < 0 || line > lineCount_) return false;
  selecting_ = false;
  const char* eol = UsesCRLF() ? "\r\n" : "\n";
  const std::size_t eolLength = std::strlen(eol);
  bool ok;
  if (line == lineCount_) {
    MoveGapTo(length_);
    ok = InsertTextInternal(eol, eolLength) && InsertTextInternal(text, count);
  } else {
    MoveGapTo(LineOffset(line));
    ok = InsertTextInternal(text, count) && InsertTextInternal(eol, eolLength);
  }
  if (IsInitialized()) AfterChange();
  return ok;
}

// ------------------------------------------------------------ byte-range utilities

uint32_t CTextView::CountLines(const char* bytes, std::size_t count) {
  if (!bytes || count == 0) return 0;
  return static_cast<uint32_t>(CountLF(bytes, count) + 1);
}

std::size_t CTextView::LineBegin(const char* p, std::size_t count) {
  std::size_t n = 0;
  while (n < count && p[-static_cast<std::ptrdiff_t>(n) - 1] != '\n') ++n;
  return n;
}

std::size_t CTextView::LineEnd(const char* p, std::size_t count) {
  std::size_t n = 0;
  while (n < count && p[n] != '\n') ++n;
  return n < count ? n + 1 : n;
}

// ------------------------------------------------------------ marks

void CTextView::SetMark(int32_t line, uint32_t value) {
  vlist::CBListElem* e = nullptr;
  for (bool more = marks_.GetFirst(e); more; more = marks_.GetNext(e)) {
    auto* m = static_cast<CMarkListElem*>(e);
    if (m->line == line) return;
    if (m->line > line) break;
  }
  auto* mark = new CMarkListElem;
  mark->line = line;
  mark->value = value;
  if (e) {
    marks_.Find(e);
    marks_.InsertBefore(mark);
  } else {
    marks_.Append(mark);
  }
  if (IsInitialized()) Invalidate();
}

void CTextView::ToggleMark(int32_t line, uint32_t value) {
  vlist::CBListElem* e = nullptr;
  for (bool more = marks_.GetFirst(e); more; more = marks_.GetNext(e)) {
    auto* m = static_cast<CMarkListElem*>(e);
    if (m->line == line) {
      marks_.Remove();
      delete m;
      if (IsInitialized()) Invalidate();
      return;
    }
    if (m->line > line) break;
  }
  SetMark(line, value);
}

bool CTextView::IsMarked(int32_t line) const {
  for (const vlist::CBListElem* e = marks_.first; e; e = e->next)
    if (static_cast<const CMarkListElem*>(e)->line == line) return true;
  return false;
}

bool CTextView::NextMark() {
  const vlist::CBListElem* first = marks_.first;
  if (!first) return false;
  const CMarkListElem* target = static_cast<const CMarkListElem*>(first);
  for (const vlist::CBListElem* e = first; e; e = e->next) {
    const auto* m = static_cast<const CMarkListElem*>(e);
    if (m->line > curLine_) {
      target = m;
      break;
    }
  }
  selecting_ = false;
  SetLineIndex(target->line, 0);
  return true;
}

bool CTextView::PrevMark() {
  const vlist::CBListElem* last = marks_.last;
  if (!last) return false;
  const CMarkListElem* target = static_cast<const CMarkListElem*>(last);
  for (const vlist::CBListElem* e = last; e; e = e->prev) {
    const auto* m = static_cast<const CMarkListElem*>(e);
    if (m->line < curLine_) {
      target = m;
      break;
    }
  }
  selecting_ = false;
  SetLineIndex(target->line, 0);
  return true;
}

void CTextView::UpdateMarksInsert(int32_t line, int32_t count) {
  for (vlist::CBListElem* e = marks_.first; e; e = e->next) {
    auto* m = static_cast<CMarkListElem*>(e);
    if (m->line >= line) m->line += count;
  }
}

void CTextView::UpdateMarksDelete(int32_t line, int32_t count) {
  vlist::CBListElem* e = nullptr;
  bool more = marks_.GetFirst(e);
  while (more) {
    auto* m = static_cast<CMarkListElem*>(e);
    if (m->line >= line && m->line < line + count) {
      marks_.Remove();  // the successor becomes active
      delete m;
      more = marks_.GetActive(e);
      continue;
    }
    if (m->line >= line + count) m->line -= count;
    more = marks_.GetNext(e);
  }
}

}  // namespace lectern
