// The gap buffer: block rule, edits across block boundaries, CR LF, positions
// and marks, checked against a plain string kept in step.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lectern/text_view.h"

namespace {

using lectern::CTextView;
using lectern::CVMTextView;
using lectern::TTextPos;

std::string Block(CTextView& v) {
  const char* p = nullptr;
  std::size_t n = 0;
  v.GetTextBlock(p, n);
  return p ? std::string(p, n) : std::string();
}

void Insert(CTextView& v, const std::string& s) { ASSERT_TRUE(v.InsertText(s.data(), s.size())); }

TEST(TextStore, EmptyViewGivesNoBlock) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  const char* p = reinterpret_cast<const char*>(1);
  std::size_t n = 7;
  v.GetTextBlock(p, n);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(v.LineCount(), 1);
}

TEST(TextStore, BlockCountFollowsLengthAtTheBoundary) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  Insert(v, std::string(4095, 'a'));
  EXPECT_EQ(v.BlockCount(), 1u);
  Insert(v, "b");
  EXPECT_EQ(v.BlockCount(), 2u);
  EXPECT_EQ(v.Length(), 4096u);
  // Deleting back below the boundary gives the block back, text intact.
  EXPECT_EQ(v.DeleteText(1, false), 1u);
  EXPECT_EQ(v.BlockCount(), 1u);
  EXPECT_EQ(Block(v), std::string(4095, 'a'));
  v.Clear();
  EXPECT_EQ(v.Length(), 0u);
  EXPECT_EQ(v.BlockCount(), 1u);
}

// Random inserts and deletes at random places, many across block boundaries,
// must keep the text equal to a plain string and the store at L / B + 1
// blocks with the cursor's line and column right.
template <class View>
void RandomEditSweep(std::uint32_t seed) {
  View v;
  ASSERT_TRUE(v.InitBuffer());
  std::string model;
  std::mt19937 rng(seed);
  const std::size_t b = v.BlockSize();
  for (int step = 0; step < 600; ++step) {
    const std::size_t at = model.empty() ? 0 : rng() % (model.size() + 1);
    v.MoveLineIndex(v.CursorOffset(), false);
    v.MoveLineIndex(at, true);
    ASSERT_EQ(v.CursorOffset(), at);
    if (rng() % 3 != 0 || model.size() < 10) {
      const std::size_t n = 1 + rng() % (b + b / 2);
      std::string chunk(n, 'x');
      for (char& c : chunk) c = "ab\ncd\r\n"[rng() % 7];
      ASSERT_TRUE(v.InsertText(chunk.data(), chunk.size()));
      model.insert(at, chunk);
      ASSERT_EQ(v.CursorOffset(), at + n);
    } else {
      const bool forward = rng() % 2;
      const std::size_t n = 1 + rng() % b;
      const std::size_t got = v.DeleteText(n, forward);
      if (forward) {
        ASSERT_EQ(got, std::min(n, model.size() - at));
        model.erase(at, got);
      } else {
        ASSERT_EQ(got, std::min(n, at));
        model.erase(at - got, got);
      }
    }
    ASSERT_EQ(v.Length(), model.size());
    ASSERT_EQ(v.BlockCount(), model.size() / b + 1) << "step " << step;
    // Line and column of the cursor from the model.
    const std::size_t cur = v.CursorOffset();
    const std::size_t lastLF = cur ? model.rfind('\n', cur - 1) : std::string::npos;
    const auto lines = std::count(model.begin(), model.begin() + static_cast<std::ptrdiff_t>(cur), '\n');
    ASSERT_EQ(v.Cursor().line, lines);
    ASSERT_EQ(static_cast<std::size_t>(v.Cursor().column), lastLF == std::string::npos ? cur : cur - lastLF - 1);
    ASSERT_EQ(v.LineCount(), std::count(model.begin(), model.end(), '\n') + 1);
  }
  EXPECT_EQ(v.Text(), model);
  EXPECT_EQ(Block(v), model);
  EXPECT_EQ(v.Cursor(), (TTextPos{0, 0}));
}

TEST(TextStore, RandomEditsKeepTextBlocksAndCursor) { RandomEditSweep<CTextView>(7); }
TEST(TextStore, PageStoreKeepsTextBlocksAndCursor) { RandomEditSweep<CVMTextView>(11); }

TEST(TextStore, PageStoreGrowsItsReservationBeyond32MB) {
  CVMTextView v;
  ASSERT_TRUE(v.InitBuffer());
  EXPECT_EQ(v.Reserved(), 0x2000000u);
  const std::string mb(1 << 20, 'z');
  Insert(v, "head\n");
  v.MoveLineIndex(5, false);
  for (int i = 0; i < 33; ++i) Insert(v, mb);  // before "head": the tail moves each time
  EXPECT_EQ(v.Reserved(), 0x3000000u);         // 32 MB + 16 MB
  EXPECT_EQ(v.Length(), 33u * mb.size() + 5);
  EXPECT_EQ(v.BlockCount(), v.Length() / v.BlockSize() + 1);
  const std::string all = v.Text();
  EXPECT_EQ(all.substr(all.size() - 5), "head\n");
  EXPECT_EQ(all.find_first_not_of('z'), 33u * mb.size());
}

TEST(TextStore, CrLfIsHeldAndGivenBackUnchanged) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  const std::string notes = "first\r\nsecond line\r\n\r\nlast";
  Insert(v, notes);
  EXPECT_EQ(v.Cursor(), (TTextPos{3, 4}));
  EXPECT_EQ(v.LineCount(), 4);
  EXPECT_EQ(v.LineLength(0), 5);  // the CR belongs to the line end
  EXPECT_EQ(v.LineLength(2), 0);
  EXPECT_TRUE(v.UsesCRLF());
  v.SetLineIndex(1, 99);  // clamped before the CR
  EXPECT_EQ(v.Cursor(), (TTextPos{1, 11}));
  EXPECT_EQ(Block(v), notes);
  EXPECT_EQ(v.Cursor(), (TTextPos{0, 0}));
  vdstr::TDStringA* line = nullptr;
  ASSERT_TRUE(v.GetLine(1, line));
  EXPECT_EQ(std::string(line->chars(), line->length), "second line");
  vdstr::FreeDStrA(line);
  // Deleting the line end before a line takes CR and LF together.
  v.SetLineIndex(1, 0);
  EXPECT_TRUE(v.DeleteChar(false));
  EXPECT_EQ(v.Text(), "firstsecond line\r\n\r\nlast");
  EXPECT_EQ(v.Cursor(), (TTextPos{0, 5}));
}

TEST(TextStore, LineEditsKeepTheTextsLineEnds) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  Insert(v, "a\r\nb\r\nc");
  ASSERT_TRUE(v.SetLine(1, "BBB", 3));
  ASSERT_TRUE(v.InsertLine(0, "top", 3));
  ASSERT_TRUE(v.InsertLine(v.LineCount(), "end", 3));
  EXPECT_EQ(v.Text(), "top\r\na\r\nBBB\r\nc\r\nend");
  EXPECT_FALSE(v.SetLine(9, "x", 1));
}

TEST(TextStore, ByteMovesCountLinesAndColumns) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  Insert(v, "abc\ndefgh\nij");
  v.SetLineIndex(0, 1);
  v.MoveLineIndex(5, true);  // over "bc\nde"
  EXPECT_EQ(v.Cursor(), (TTextPos{1, 2}));
  v.MoveLineIndex(100, true);
  EXPECT_EQ(v.Cursor(), (TTextPos{2, 2}));
  v.MoveLineIndex(4, false);  // back over "j", "i", LF, "h"
  EXPECT_EQ(v.Cursor(), (TTextPos{1, 4}));
  v.MoveLineIndex(100, false);
  EXPECT_EQ(v.Cursor(), (TTextPos{0, 0}));
  EXPECT_EQ(v.LineOffset(2), 10u);
  EXPECT_EQ(v.LineOffset(7), v.Length());
}

TEST(TextStore, LineUtilities) {
  const char text[] = "ab\ncd\n";
  EXPECT_EQ(CTextView::CountLines(text, 0), 0u);
  EXPECT_EQ(CTextView::CountLines(text, 2), 1u);
  EXPECT_EQ(CTextView::CountLines(text, 6), 3u);
  EXPECT_EQ(CTextView::LineBegin(text + 4, 4), 1u);  // back to 'c'
  EXPECT_EQ(CTextView::LineBegin(text + 4, 0), 0u);
  EXPECT_EQ(CTextView::LineEnd(text + 3, 3), 3u);  // "cd" and the LF
  EXPECT_EQ(CTextView::LineEnd(text, 1), 1u);      // bounded by count
}

// A store that cannot grow: the insertion is refused and nothing changes.
class CFullView : public CTextView {
 public:
  bool EnlargeBuffer(std::size_t, std::size_t) override { return false; }
};

TEST(TextStore, RefusedGrowthLeavesTheTextAsItWas) {
  CFullView v;
  ASSERT_TRUE(v.InitBuffer());
  Insert(v, std::string(4000, 'q'));
  EXPECT_FALSE(v.InsertText(std::string(200, 'r').data(), 200));
  EXPECT_EQ(v.Text(), std::string(4000, 'q'));
  EXPECT_EQ(v.Cursor(), (TTextPos{0, 4000}));
  EXPECT_FALSE(v.InsertTextUndoable(std::string(200, 'r').data(), 200));
  EXPECT_FALSE(v.CanUndo());
}

// ------------------------------------------------------------ marks

TEST(TextMarks, SetAndToggleKeepOneMarkPerLine) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  v.SetMark(2, 20);
  v.SetMark(5, 50);
  v.SetMark(2, 99);  // already marked: nothing added
  EXPECT_EQ(v.MarkCount(), 2u);
  v.ToggleMark(5, 0);
  EXPECT_FALSE(v.IsMarked(5));
  v.ToggleMark(3, 30);
  v.SetMark(1, 10);
  // Ascending order whatever the order of setting.
  std::vector<int> lines;
  vlist::CBListElem* e = nullptr;
  for (bool more = v.Marks().GetFirst(e); more; more = v.Marks().GetNext(e))
    lines.push_back(static_cast<lectern::CMarkListElem*>(e)->line);
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 3}));
}

TEST(TextMarks, MarksFollowLineDeletionsAndInsertions) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  for (int i = 0; i < 10; ++i) Insert(v, "line " + std::to_string(i) + "\n");
  for (int line : {2, 3, 4, 7}) v.SetMark(line, 0);
  ASSERT_TRUE(v.DeleteLines(3, 2));
  EXPECT_TRUE(v.IsMarked(2));
  EXPECT_FALSE(v.IsMarked(3));
  EXPECT_TRUE(v.IsMarked(5));  // was line 7
  EXPECT_EQ(v.MarkCount(), 2u);
  EXPECT_EQ(v.Text().substr(0, 21), "line 0\nline 1\nline 2\n");
  // Two lines typed in the middle of line 1 push the marks after it down.
  v.SetLineIndex(1, 2);
  Insert(v, "x\ny\n");
  EXPECT_TRUE(v.IsMarked(4));
  EXPECT_TRUE(v.IsMarked(7));
  // A line put at the start of a marked line pushes that line down.
  v.SetLineIndex(4, 0);
  Insert(v, "new\n");
  EXPECT_TRUE(v.IsMarked(5));
  // Joining a marked line to the one above removes its mark.
  v.SetLineIndex(5, 0);
  EXPECT_TRUE(v.DeleteChar(false));
  EXPECT_FALSE(v.IsMarked(5));
  EXPECT_TRUE(v.IsMarked(7));
}

TEST(TextMarks, NextAndPrevWrapAround) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  for (int i = 0; i < 10; ++i) Insert(v, "text\n");
  v.SetMark(2, 0);
  v.SetMark(6, 0);
  v.SetLineIndex(3, 2);
  ASSERT_TRUE(v.NextMark());
  EXPECT_EQ(v.Cursor(), (TTextPos{6, 0}));
  ASSERT_TRUE(v.NextMark());
  EXPECT_EQ(v.Cursor(), (TTextPos{2, 0}));  // wrapped
  ASSERT_TRUE(v.PrevMark());
  EXPECT_EQ(v.Cursor(), (TTextPos{6, 0}));  // wrapped backwards
  ASSERT_TRUE(v.PrevMark());
  EXPECT_EQ(v.Cursor(), (TTextPos{2, 0}));
  CTextView empty;
  ASSERT_TRUE(empty.InitBuffer());
  EXPECT_FALSE(empty.NextMark());
}

// Records the store's change notifications.
class CNotifiedView : public CTextView {
 public:
  std::vector<std::string> seen;
  void NotifyBufferUpdate(std::size_t position, std::size_t count, bool inserted) override {
    seen.push_back(std::to_string(position) + (inserted ? "+" : "-") + std::to_string(count));
  }
};

TEST(TextStore, ChangesAreNotifiedOnlyWhenAskedFor) {
  CNotifiedView v;
  ASSERT_TRUE(v.InitBuffer());
  Insert(v, "abc");
  EXPECT_TRUE(v.seen.empty());
  v.SetUpdateNotification(true);
  Insert(v, "de");  // cursor ends at 5
  v.SetLineIndex(0, 1);
  v.DeleteText(2, true);   // "bc"
  v.DeleteText(1, false);  // "a"
  EXPECT_EQ(v.seen, (std::vector<std::string>{"5+2", "1-2", "0-1"}));
  EXPECT_EQ(v.Text(), "de");
}

}  // namespace
