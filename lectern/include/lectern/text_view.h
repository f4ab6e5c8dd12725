// lectern: an editable, scrolling text view on a gap buffer, with line marks,
// an undo ring, a find window and a status line.
//
// The text is bytes (UTF-8 by convention). Lines are separated by LF; a CR
// directly before an LF belongs to the line end and is not shown, so text
// with CR LF line ends is held and given back unchanged.
#pragma once

#include <corekit/vdstr.h>
#include <corekit/vlist.h>
#include <winkit/vdata.h>
#include <winkit/vgr.h>
#include <winkit/vwin.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace lectern {

// Module start-up; acts on the first call only.
void Init_();

// Commands the view answers (menu items or keys of its owner window).
enum : uint32_t {
  cmCut = 209,
  cmCopy = 210,
  cmPaste = 211,
  cmSelectAll = 212,
  cmUndo = 1010,
  cmRedo = 1011,
  cmFind = 1020,
  cmFindNext = 1021,
  cmFindPrevious = 1027,
  cmNextMark = 1024,
  cmPrevMark = 1025,
  cmToggleMark = 1026,
};

// A cursor position: 0-based line and byte offset within the line.
struct TTextPos {
  int32_t line = 0;
  int32_t column = 0;
};
inline bool operator==(const TTextPos& a, const TTextPos& b) { return a.line == b.line && a.column == b.column; }
inline bool operator<(const TTextPos& a, const TTextPos& b) {
  return a.line < b.line || (a.line == b.line && a.column < b.column);
}

// A marked line.
class CMarkListElem : public vlist::CBListElem {
 public:
  int32_t line = 0;    // marked line
  uint32_t value = 0;  // the client's value for the mark
};

// Kinds of undo records. Kinds 4-6 carry a text block, the others one byte.
enum TUndoKind : uint32_t {
  ukNone = 0,
  ukInsertChar = 1,   // one byte typed at the cursor
  ukDeleteChar = 2,   // one byte deleted after the cursor
  ukBackChar = 3,     // one byte deleted before the cursor
  ukInsertBlock = 4,  // bytes inserted at the cursor
  ukDeleteBlock = 5,  // bytes deleted after the cursor
  ukBackBlock = 6,    // bytes deleted before the cursor
};

// One recorded edit.
struct TUndoRecord {
  uint32_t kind = ukNone;  // TUndoKind
  char* block = nullptr;   // text of kinds 4-6 (Storage block, owned by the ring)
  uint32_t length = 0;     // bytes in block
  char ch = 0;             // the byte of kinds 1-3
  TTextPos before, after;  // cursor before and after the edit
  bool group = false;      // first record of one user action
};

// Search options of Find.
struct TFindOptions {
  bool matchCase = true;
  bool backward = false;
  bool wrap = true;  // continue at the other end of the text
};

class CStatusBar;
class CFindWindow;

// The text view. A client calls Init, fills it with InsertText and takes the
// text back with GetTextBlock; the container's modified state tells whether
// the user edited it.
class CTextView : public vdata::CDataView {
 public:
  static constexpr uint32_t kUndoRing = 100;  // records kept for undo

  CTextView();
  ~CTextView() override;

  // Creates the view (null parent: a free view) and allocates the text.
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override;
  void Done() override;
  // Allocates the text store alone (a view without a peer, as tests and
  // batch users need); Init calls it.
  bool InitBuffer();

  // ---- text store
  // Block size of the text store.
  virtual std::size_t BlockSize() const { return 4096; }
  virtual bool AllocBuffer();
  // Grows the store from oldBlocks to newBlocks; false leaves it unchanged.
  virtual bool EnlargeBuffer(std::size_t oldBlocks, std::size_t newBlocks);
  virtual void ShrinkBuffer(std::size_t oldBlocks, std::size_t newBlocks);
  virtual void FreeBuffer();
  // Called after each change of the text when notification is on.
  virtual void NotifyBufferUpdate(std::size_t position, std::size_t count, bool inserted);
  void SetUpdateNotification(bool on) { notify_ = on; }

  // Empties the text, the marks and the undo ring.
  void Clear();
  std::size_t Length() const { return length_; }
  std::size_t BufferSize() const { return size_; }
  std::size_t BlockCount() const { return size_ / BlockSize(); }
  int32_t LineCount() const { return lineCount_; }
  // Byte at a text offset (0 beyond the end).
  char ByteAt(std::size_t offset) const;
  // Offset of the cursor in the text (the gap start).
  std::size_t CursorOffset() const { return gapStart_; }

  // ---- editing at the cursor
  bool InsertText(const char* bytes, std::size_t count);
  bool InsertTextUndoable(const char* bytes, std::size_t count);
  // Deletes up to count bytes after (forward) or before the cursor; returns
  // the number deleted.
  std::size_t DeleteText(std::size_t count, bool forward);
  std::size_t DeleteTextUndoable(std::size_t count, bool forward);
  // One character (a whole UTF-8 sequence, or CR LF as one line end).
  bool DeleteChar(bool forward);
  // Removes count whole lines from line on (their marks go with them).
  bool DeleteLines(int32_t line, int32_t count);
  // Deletes the selection (undoable); false when there is none.
  bool DeleteSelection();

  // ---- positions
  // Puts the cursor at (line, column), clamped to the text and the line's
  // shown length (its line end excluded).
  void SetLineIndex(int32_t line, int32_t column);
  // Moves the cursor by count bytes.
  void MoveLineIndex(std::size_t count, bool forward);
  TTextPos Cursor() const { return {curLine_, curColumn_}; }
  // Offset of the first byte of a line (Length() beyond the last line).
  std::size_t LineOffset(int32_t line) const;
  // Shown length of a line in bytes (line end excluded).
  int32_t LineLength(int32_t line) const;
  // The line end the view types: CR LF when the text's first line end is one.
  bool UsesCRLF() const;

  // The whole text as one block, valid until the next edit; null and 0 for
  // an empty text. Puts the cursor at the start and ends the selection.
  void GetTextBlock(const char*& text, std::size_t& length);
  // Copies the text out (the cursor stays).
  std::string Text() const;
  // Line access (the line end is not part of the text).
  bool GetLine(int32_t line, vdstr::TDStringA*& text) const;
  bool SetLine(int32_t line, const char* text, std::size_t count);
  // Inserts a line before line (LineCount(): after the last one).
  bool InsertLine(int32_t line, const char* text, std::size_t count);

  // ---- selection
  void SetSelection(TTextPos anchor, TTextPos cursor);
  void ClearSelection() { selecting_ = false; }
  bool HasSelection() const { return selecting_ && !(anchor_ == Cursor()); }
  // The selected range, start before end.
  bool SelectionRange(std::size_t& start, std::size_t& end) const;
  std::string SelectedText() const;
  void SelectAll();

  // ---- clipboard (through corekit's clipboard provider)
  bool Copy();
  bool Cut();
  bool Paste();

  // ---- marks
  void SetMark(int32_t line, uint32_t value);
  void ToggleMark(int32_t line, uint32_t value);
  bool NextMark();
  bool PrevMark();
  void UpdateMarksInsert(int32_t line, int32_t count);
  void UpdateMarksDelete(int32_t line, int32_t count);
  bool IsMarked(int32_t line) const;
  uint32_t MarkCount() const { return marks_.count; }
  vlist::CBList& Marks() { return marks_; }

  // ---- undo ring
  bool Undo();
  bool Redo();
  void ClearUndoBuffer();
  bool CanUndo() const { return applied_ > 0; }
  bool CanRedo() const { return applied_ < recorded_; }
  // Number of records held (tests and the status line).
  uint32_t UndoRecords() const { return recorded_; }
  // Brackets one user action: the records made in between form one group
  // (undone and redone together). Edits outside a bracket are groups of their
  // own. Brackets nest.
  void BeginAction();
  void EndAction();
  void SuspendUndo(bool suspended) { undoSuspended_ = suspended; }

  // ---- find and replace
  // Searches from the cursor (or the selection); a hit is selected with the
  // cursor after it (forward) or before it (backward).
  bool Find(const std::string& pattern, const TFindOptions& options);
  // Replaces the selection when it matches pattern, then finds the next.
  bool Replace(const std::string& pattern, const std::string& replacement, const TFindOptions& options);
  // Replaces every match (one undo group); returns the number replaced.
  int ReplaceAll(const std::string& pattern, const std::string& replacement, bool matchCase);
  void ShowFindWindow();
  CFindWindow* FindWindow() const { return findWindow_; }

  // ---- status line
  void SetStatusBar(CStatusBar* bar);
  CStatusBar* StatusBar() const { return statusBar_; }

  // ---- input and painting
  // Keys edit as in a plain editor; a key event whose data holds a character
  // (code point >= 32) types that character. Without it the character is
  // read from the key code, which cannot tell "!"-"(", "-" and "." from the
  // navigation keys that share their codes.
  void ReceiveEvent(vcore::TEvent& event) override;
  void PaintView(vgr::CDeviceContext& dc) override;
  void NewRect(const vcom::CRect& rect) override;
  void ScrollChanged(int hPos, int vPos) override;
  // Types one character (Unicode code point) as the keyboard does.
  bool TypeChar(uint32_t codePoint);
  bool HandleKey(uint32_t key, uint32_t modifiers);
  bool HandleCommand(uint32_t command);
  // The right button's menu of editing commands.
  void ContextMenu(int x, int y);
  // Line and pixel metrics of the font in use.
  int LineHeight() const { return lineHeight_; }
  int CharWidth() const { return charWidth_; }
  int TopLine() const { return topLine_; }
  int VisibleLines() const;
  // Text position under a point of the view.
  TTextPos PositionAt(int x, int y) const;
  // Scrolls so that the cursor is in view.
  void ScrollToCursor();
  void SetTabWidth(int columns) { tabWidth_ = columns > 0 ? columns : 8; }
  // Shown column of a byte column (tabs expanded, UTF-8 counted once).
  int32_t DisplayColumn(int32_t line, int32_t column) const;

  // ---- utilities on byte ranges
  static uint32_t CountLines(const char* bytes, std::size_t count);
  // Distance from p back to the start of its line (at most count bytes).
  static std::size_t LineBegin(const char* p, std::size_t count);
  // Distance from p forward past the end of its line (at most count bytes).
  static std::size_t LineEnd(const char* p, std::size_t count);

 protected:
  // Low-level edits that keep the cursor, lines and marks in step.
  bool InsertTextInternal(const char* bytes, std::size_t count);
  std::size_t DeleteTextInternal(std::size_t count, bool forward);
  // Moves the gap to a text offset and recomputes the cursor.
  void MoveGapTo(std::size_t offset);
  // Records an edit for undo.
  void RecordUndo(uint32_t kind, const char* bytes, std::size_t count, TTextPos before, TTextPos after);
  // Tells the owner window's menu which of undo and redo are available.
  virtual void UpdateUndoCommands();
  void RefreshStatus();
  void UpdateScrollBars();
  void MeasureFont();
  std::size_t OffsetOf(TTextPos pos, bool clampToShown) const;
  TTextPos PosOfOffset(std::size_t offset) const;
  // Byte length of the character before / after the cursor.
  std::size_t CharBefore(std::size_t offset) const;
  std::size_t CharAfter(std::size_t offset) const;

  char* buffer_ = nullptr;    // the store: text, gap, text (owned)
  std::size_t size_ = 0;      // S: bytes in the store, a multiple of the block size
  std::size_t gapStart_ = 0;  // g: text bytes before the cursor
  std::size_t gapEnd_ = 0;    // e: index of the gap's last byte
  std::size_t length_ = 0;    // L: text bytes
  int32_t lineCount_ = 1;     // LF bytes + 1
  int32_t curLine_ = 0;       // cursor line
  int32_t curColumn_ = 0;     // cursor byte column
  bool notify_ = false;       // NotifyBufferUpdate is called

 private:
  void ReplayUndo(const TUndoRecord& r);
  void ReplayRedo(const TUndoRecord& r);
  void FreeRecord(TUndoRecord& r);
  void DropOldestGroup();
  void MoveCursorKey(uint32_t key, uint32_t modifiers);
  // After an edit by the user (marks the text modified) or by the program.
  void AfterEdit();
  void AfterChange();
  void PaintLine(vgr::CDeviceContext& dc, int32_t line, std::size_t start, int32_t length, int y);
  // Offset after the next LF from offset (Length() when there is none).
  std::size_t NextLineStart(std::size_t offset) const;
  bool InsertTyped(const char* bytes, std::size_t count);

  vlist::CBList marks_;                // CMarkListElem in ascending line order (owned)
  TUndoRecord ring_[kUndoRing];        // the undo ring
  uint32_t tail_ = 0;                  // index of the oldest record kept
  uint32_t recorded_ = 0;              // records held from the tail
  uint32_t applied_ = 0;               // records applied (the rest can be redone)
  int actionDepth_ = 0;                // open BeginAction brackets
  bool actionOpened_ = false;          // the open action has its first record
  bool joinNext_ = false;              // the next record continues the last group
  bool undoSuspended_ = false;         // replaying: nothing is recorded
  bool typingRun_ = false;             // consecutive typing shares one group
  TTextPos anchor_;                    // selection anchor
  bool selecting_ = false;             // a selection is active
  bool caretShown_ = true;             // the caret is painted
  int topLine_ = 0;                    // first line shown
  int leftX_ = 0;                      // pixels scrolled to the left
  int lineHeight_ = 16;                // pixels per line
  int charWidth_ = 8;                  // pixels per shown column
  int tabWidth_ = 8;                   // columns per tab stop
  int32_t preferredColumn_ = -1;       // shown column kept over Up/Down
  int widest_ = 0;                     // widest line painted so far, in pixels
  bool dragging_ = false;              // the left button selects
  TTextPos lastTyped_;                 // cursor after the last typed character
  bool lastTypedSpace_ = false;        // that character was a blank
  vfont::CFont font_;                  // the monospaced font
  CStatusBar* statusBar_ = nullptr;    // not owned
  CFindWindow* findWindow_ = nullptr;  // owned, made on first use
  vdata::CDataContainer container_;    // the modified state
  std::string lastPattern_;            // for cmFindNext
  TFindOptions lastOptions_;           // for cmFindNext
};

// The text store in reserved address space: blocks are pages, the first 32 MB
// are reserved at construction and pages are committed as the text grows.
class CVMTextView : public CTextView {
 public:
  CVMTextView();
  ~CVMTextView() override;
  std::size_t BlockSize() const override { return pageSize_; }
  bool AllocBuffer() override;
  bool EnlargeBuffer(std::size_t oldBlocks, std::size_t newBlocks) override;
  void ShrinkBuffer(std::size_t oldBlocks, std::size_t newBlocks) override;
  void FreeBuffer() override;
  std::size_t Reserved() const { return reserved_; }

 private:
  std::size_t pageSize_;      // the system's page size
  std::size_t reserved_ = 0;  // bytes of address space held
};

// The status line under a text view: cursor position, modified state, a
// message.
class CStatusBar : public view::CView {
 public:
  void SetPosition(int32_t line, int32_t column);
  void SetModified(bool modified);
  void SetMessage(const char* text);
  // The text shown, e.g. "Ln 3, Col 7   Modified".
  std::string StatusText() const;
  void PaintView(vgr::CDeviceContext& dc) override;

 private:
  int32_t line_ = 0, column_ = 0;  // 0-based cursor position
  bool modified_ = false;          // the text changed since saved
  std::string message_;            // last message (a failed search)
};

// A small window to find and replace in a text view.
class CFindWindow : public vwin::CWindow {
 public:
  enum : uint32_t {
    idFind = 1,
    idReplace,
    idMatchCase,
    idBackward,
    idWrap,
    idFindNext,
    idReplaceOne,
    idReplaceAll,
    idClose
  };
  explicit CFindWindow(CTextView* target) : target_(target) {}
  bool Open();
  void CreateInterior() override;
  void ReceiveEvent(vcore::TEvent& event) override;
  bool FindNext();
  bool ReplaceOne();
  int ReplaceAllMatches();
  void SetFindText(const char* text) { find_.SetText(text); }
  void SetReplaceText(const char* text) { replace_.SetText(text); }
  TFindOptions Options() const;
  std::string Pattern() const { return find_.Text(); }

 private:
  CTextView* target_;  // the view searched, not owned
  vcont::CEditBox find_, replace_;
  vcont::CCheckBox matchCase_, backward_, wrap_;
  vcont::CButton findNext_, replaceOne_, replaceAll_, close_;
  vcont::CStaticText findLabel_, replaceLabel_;
};

}  // namespace lectern
