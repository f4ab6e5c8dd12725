// Undo ring, selection, clipboard and find/replace of the text view.
#include <corekit/vcom.h>
#include <runbase/storage.h>

#include <algorithm>
#include <cstring>

#include "lectern/text_view.h"

namespace lectern {

// ------------------------------------------------------------ undoable edits

void CTextView::BeginAction() {
  if (actionDepth_++ == 0) actionOpened_ = false;
}

void CTextView::EndAction() {
  if (actionDepth_ > 0) --actionDepth_;
}

bool CTextView::InsertTextUndoable(const char* bytes, std::size_t count) {
  if (count == 0) return true;
  const TTextPos before = Cursor();
  if (!InsertTextInternal(bytes, count)) return false;
  RecordUndo(count == 1 ? ukInsertChar : ukInsertBlock, bytes, count, before, Cursor());
  AfterEdit();
  return true;
}

std::size_t CTextView::DeleteTextUndoable(std::size_t count, bool forward) {
  const std::size_t k = forward ? std::min(count, length_ - gapStart_) : std::min(count, gapStart_);
  if (k == 0) return 0;
  const std::size_t from = forward ? gapStart_ : gapStart_ - k;
  std::string bytes(k, '\0');
  for (std::size_t i = 0; i < k; ++i) bytes[i] = ByteAt(from + i);
  const TTextPos before = Cursor();
  DeleteTextInternal(k, forward);
  const uint32_t kind = k == 1 ? (forward ? ukDeleteChar : ukBackChar) : (forward ? ukDeleteBlock : ukBackBlock);
  RecordUndo(kind, bytes.data(), k, before, Cursor());
  AfterEdit();
  return k;
}

bool CTextView::DeleteChar(bool forward) {
  const std::size_t n = forward ? CharAfter(gapStart_) : CharBefore(gapStart_);
  return n && DeleteTextUndoable(n, forward) == n;
}

bool CTextView::DeleteSelection() {
  std::size_t start, end;
  if (!SelectionRange(start, end)) return false;
  selecting_ = false;
  MoveGapTo(start);
  BeginAction();
  DeleteTextUndoable(end - start, true);
  EndAction();
  return true;
}

// ------------------------------------------------------------ the ring

void CTextView::FreeRecord(TUndoRecord& r) {
  if (r.block) Storage::Free(r.block);
  r = TUndoRecord();
}

// Drops the oldest group whole, so that no half of a user action is left to
// replay.
void CTextView::DropOldestGroup() {
  do {
    FreeRecord(ring_[tail_]);
    tail_ = (tail_ + 1) % kUndoRing;
    --recorded_;
    if (applied_ > 0) --applied_;
  } while (recorded_ > 0 && !ring_[tail_].group);
}

void CTextView::RecordUndo(uint32_t kind, const char* bytes, std::size_t count, TTextPos before, TTextPos after) {
  if (undoSuspended_) return;
  // A new edit ends what could be redone.
  for (uint32_t i = applied_; i < recorded_; ++i) FreeRecord(ring_[(tail_ + i) % kUndoRing]);
  recorded_ = applied_;
  if (recorded_ == kUndoRing) DropOldestGroup();
  bool group = true;
  if (actionDepth_ > 0) {
    group = !actionOpened_;
    actionOpened_ = true;
  }
  if (joinNext_) {
    group = false;
    joinNext_ = false;
  }
  if (recorded_ == 0) group = true;
  TUndoRecord& r = ring_[(tail_ + recorded_) % kUndoRing];
  r.kind = kind;
  if (kind >= ukInsertBlock) {
    Storage::Allocate(r.block, count);
    std::memcpy(r.block, bytes, count);
    r.length = static_cast<uint32_t>(count);
  } else {
    r.ch = bytes[0];
    r.length = 1;
  }
  r.before = before;
  r.after = after;
  r.group = group;
  ++recorded_;
  applied_ = recorded_;
  UpdateUndoCommands();
}

void CTextView::ClearUndoBuffer() {
  for (TUndoRecord& r : ring_) FreeRecord(r);
  tail_ = recorded_ = applied_ = 0;
  typingRun_ = joinNext_ = false;
  UpdateUndoCommands();
}

void CTextView::ReplayUndo(const TUndoRecord& r) {
  const char* bytes = r.kind >= ukInsertBlock ? r.block : &r.ch;
  switch (r.kind) {
    case ukInsertChar:
    case ukInsertBlock:
      MoveGapTo(OffsetOf(r.after, false));
      DeleteTextInternal(r.length, false);
      break;
    case ukDeleteChar:
    case ukDeleteBlock:
      MoveGapTo(OffsetOf(r.before, false));
      InsertTextInternal(bytes, r.length);
      MoveGapTo(OffsetOf(r.before, false));
      break;
    case ukBackChar:
    case ukBackBlock:
      MoveGapTo(OffsetOf(r.after, false));
      InsertTextInternal(bytes, r.length);
      break;
    default: break;
  }
}

void CTextView::ReplayRedo(const TUndoRecord& r) {
  const char* bytes = r.kind >= ukInsertBlock ? r.block : &r.ch;
  MoveGapTo(OffsetOf(r.before, false));
  switch (r.kind) {
    case ukInsertChar:
    case ukInsertBlock: InsertTextInternal(bytes, r.length); break;
    case ukDeleteChar:
    case ukDeleteBlock: DeleteTextInternal(r.length, true); break;
    case ukBackChar:
    case ukBackBlock: DeleteTextInternal(r.length, false); break;
    default: break;
  }
}

bool CTextView::Undo() {
  if (applied_ == 0) return false;
  selecting_ = false;
  undoSuspended_ = true;
  bool groupStart;
  do {
    const TUndoRecord& r = ring_[(tail_ + applied_ - 1) % kUndoRing];
    groupStart = r.group;
    ReplayUndo(r);
    --applied_;
  } while (applied_ > 0 && !groupStart);
  undoSuspended_ = false;
  typingRun_ = false;
  UpdateUndoCommands();
  AfterEdit();
  return true;
}

bool CTextView::Redo() {
  if (applied_ >= recorded_) return false;
  selecting_ = false;
  undoSuspended_ = true;
  do {
    ReplayRedo(ring_[(tail_ + applied_) % kUndoRing]);
    ++applied_;
  } while (applied_ < recorded_ && !ring_[(tail_ + applied_) % kUndoRing].group);
  undoSuspended_ = false;
  typingRun_ = false;
  UpdateUndoCommands();
  AfterEdit();
  return true;
}

void CTextView::UpdateUndoCommands() {
  if (!IsInitialized()) return;
  if (vwin::CWindow* w = Window()) {
    w->EnableCommand(cmUndo, CanUndo());
    w->EnableCommand(cmRedo, CanRedo());
  }
}

// ------------------------------------------------------------ selection

void CTextView::SetSelection(TTextPos anchor, TTextPos cursor) {
  anchor_ = PosOfOffset(OffsetOf(anchor, false));
  MoveGapTo(OffsetOf(cursor, false));
  selecting_ = true;
  if (IsInitialized()) Invalidate();
  RefreshStatus();
}

bool CTextView::SelectionRange(std::size_t& start, std::size_t& end) const {
  start = end = gapStart_;
  if (!HasSelection()) return false;
  const std::size_t a = OffsetOf(anchor_, false);
  start = std::min(a, gapStart_);
  end = std::max(a, gapStart_);
  return start < end;
}

std::string CTextView::SelectedText() const {
  std::size_t start, end;
  if (!SelectionRange(start, end)) return std::string();
  std::string s(end - start, '\0');
  for (std::size_t i = start; i < end; ++i) s[i - start] = ByteAt(i);
  return s;
}

void CTextView::SelectAll() {
  anchor_ = TTextPos{0, 0};
  MoveGapTo(length_);
  selecting_ = true;
  if (IsInitialized()) Invalidate();
  RefreshStatus();
}

// ------------------------------------------------------------ clipboard

bool CTextView::Copy() {
  const std::string s = SelectedText();
  if (s.empty()) return false;
  vcom::TextClipCopyA(s.data(), static_cast<uint32_t>(s.size()));
  return true;
}

bool CTextView::Cut() {
  if (!Copy()) return false;
  return DeleteSelection();
}

bool CTextView::Paste() {
  char* block = nullptr;
  uint32_t length = 0;
  vcom::TextClipPasteA(block, length);
  if (!block) return false;
  BeginAction();
  DeleteSelection();
  const bool ok = InsertTextUndoable(block, length);
  EndAction();
  Storage::Free(block);
  return ok;
}

// ------------------------------------------------------------ find and replace

namespace {
char Fold(char c, bool matchCase) { return !matchCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string Folded(std::string s, bool matchCase) {
  if (!matchCase)
    for (char& c : s) c = Fold(c, false);
  return s;
}
}  // namespace

bool CTextView::Find(const std::string& pattern, const TFindOptions& options) {
  lastPattern_ = pattern;
  lastOptions_ = options;
  if (pattern.empty() || length_ == 0) return false;
  const std::string text = Folded(Text(), options.matchCase);
  const std::string what = Folded(pattern, options.matchCase);
  std::size_t start, end;
  SelectionRange(start, end);  // the cursor when nothing is selected
  std::size_t hit = std::string::npos;
  if (!options.backward) {
    hit = text.find(what, end);
    if (hit == std::string::npos && options.wrap) hit = text.find(what);
  } else {
    if (start >= what.size()) hit = text.rfind(what, start - what.size());
    if (hit == std::string::npos && options.wrap) hit = text.rfind(what);
  }
  if (hit == std::string::npos) {
    if (statusBar_) statusBar_->SetMessage(("Cannot find \"" + pattern + "\"").c_str());
    return false;
  }
  const TTextPos from = PosOfOffset(hit), to = PosOfOffset(hit + what.size());
  if (options.backward) {
    SetSelection(to, from);
  } else {
    SetSelection(from, to);
  }
  if (statusBar_) statusBar_->SetMessage("");
  if (IsInitialized()) ScrollToCursor();
  return true;
}

bool CTextView::Replace(const std::string& pattern, const std::string& replacement, const TFindOptions& options) {
  if (pattern.empty()) return false;
  if (HasSelection() && Folded(SelectedText(), options.matchCase) == Folded(pattern, options.matchCase)) {
    BeginAction();
    DeleteSelection();
    InsertTextUndoable(replacement.data(), replacement.size());
    EndAction();
    if (options.backward) MoveGapTo(gapStart_ - replacement.size());
  }
  return Find(pattern, options);
}

int CTextView::ReplaceAll(const std::string& pattern, const std::string& replacement, bool matchCase) {
  if (pattern.empty() || length_ == 0) return 0;
  const std::string text = Folded(Text(), matchCase);
  const std::string what = Folded(pattern, matchCase);
  std::vector<std::size_t> hits;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) hits.push_back(p);
  if (hits.empty()) return 0;
  selecting_ = false;
  BeginAction();
  // From the last hit back, so the earlier offsets stay valid.
  for (auto it = hits.rbegin(); it != hits.rend(); ++it) {
    MoveGapTo(*it);
    DeleteTextUndoable(what.size(), true);
    InsertTextUndoable(replacement.data(), replacement.size());
  }
  EndAction();
  return static_cast<int>(hits.size());
}

}  // namespace lectern
