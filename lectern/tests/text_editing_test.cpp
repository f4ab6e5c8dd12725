// Undo ring, find and replace, and editing through keys, mouse and the
// clipboard on a view with a toolkit peer.
#include <gtest/gtest.h>

#include <corekit/clipboard.h>
#include <winkit/vdlg.h>
#include <winkit/view.h>
#include <winkit/vimage.h>

#include <random>
#include <string>
#include <vector>

#include "lectern/text_view.h"

namespace {

using lectern::CTextView;
using lectern::TFindOptions;
using lectern::TTextPos;

void Insert(CTextView& v, const std::string& s) { ASSERT_TRUE(v.InsertTextUndoable(s.data(), s.size())); }

// ------------------------------------------------------------ undo ring

TEST(TextUndo, MixedEditsUndoAndRedoStepByStep) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  std::vector<std::string> states{v.Text()};
  std::vector<TTextPos> cursors{v.Cursor()};
  auto keep = [&] {
    states.push_back(v.Text());
    cursors.push_back(v.Cursor());
  };
  Insert(v, "alpha\r\nbeta\r\ngamma");
  keep();
  v.SetLineIndex(1, 1);
  v.DeleteTextUndoable(3, true);  // "eta"
  keep();
  v.SetLineIndex(2, 0);
  v.DeleteChar(false);  // the CR LF before "gamma"
  keep();
  Insert(v, "x");  // one byte
  keep();
  v.SetLineIndex(0, 5);
  v.DeleteTextUndoable(1, false);  // one byte backwards
  keep();
  v.BeginAction();  // a replacement: two records, one group
  v.DeleteTextUndoable(2, false);
  Insert(v, "HA");
  v.EndAction();
  keep();
  for (std::size_t i = states.size() - 1; i > 0; --i) {
    ASSERT_TRUE(v.Undo());
    EXPECT_EQ(v.Text(), states[i - 1]) << i;
  }
  EXPECT_FALSE(v.Undo());
  EXPECT_FALSE(v.CanUndo());
  for (std::size_t i = 1; i < states.size(); ++i) {
    ASSERT_TRUE(v.Redo());
    EXPECT_EQ(v.Text(), states[i]) << i;
    EXPECT_EQ(v.Cursor(), cursors[i]) << i;
  }
  EXPECT_FALSE(v.Redo());
}

// Random undoable edits at random places, CR LF among them: undoing them one
// by one must pass back through every earlier text, and redoing through every
// later one.
TEST(TextUndo, RandomEditsUndoAndRedoThroughEveryState) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  std::mt19937 rng(3);
  std::vector<std::string> states{v.Text()};
  for (int i = 0; i < 95; ++i) {
    const std::size_t at = v.Length() ? rng() % (v.Length() + 1) : 0;
    v.MoveLineIndex(v.CursorOffset(), false);
    v.MoveLineIndex(at, true);
    if (rng() % 3 == 0 && v.Length() > 0) {
      v.DeleteTextUndoable(1 + rng() % 6000, rng() % 2);
    } else {
      std::string chunk(1 + rng() % (rng() % 4 ? 3 : 5000), 'x');
      for (char& c : chunk) c = "ab\r\n"[rng() % 4];
      ASSERT_TRUE(v.InsertTextUndoable(chunk.data(), chunk.size()));
    }
    states.push_back(v.Text());
  }
  for (std::size_t i = states.size() - 1; i > 0; --i) {
    ASSERT_TRUE(v.Undo());
    ASSERT_EQ(v.Text(), states[i - 1]) << i;
    ASSERT_EQ(v.BlockCount(), v.Length() / v.BlockSize() + 1);
  }
  for (std::size_t i = 1; i < states.size(); ++i) {
    ASSERT_TRUE(v.Redo());
    ASSERT_EQ(v.Text(), states[i]) << i;
  }
}

TEST(TextUndo, NewEditDiscardsWhatCouldBeRedone) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  Insert(v, "one");
  Insert(v, " two");
  ASSERT_TRUE(v.Undo());
  EXPECT_TRUE(v.CanRedo());
  Insert(v, " three");
  EXPECT_FALSE(v.CanRedo());
  EXPECT_EQ(v.UndoRecords(), 2u);
  ASSERT_TRUE(v.Undo());
  EXPECT_EQ(v.Text(), "one");
}

TEST(TextUndo, The101stOperationDropsTheOldestGroup) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  for (int i = 0; i < 101; ++i) Insert(v, std::string(1, static_cast<char>('!' + i % 90)));
  EXPECT_EQ(v.UndoRecords(), 100u);
  int undone = 0;
  while (v.Undo()) ++undone;
  EXPECT_EQ(undone, 100);
  EXPECT_EQ(v.Text(), "!");  // the first operation can no longer be undone
}

TEST(TextUndo, OverflowDropsAWholeGroupNotHalfOfIt) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  v.BeginAction();  // one user action of three records
  Insert(v, "a");
  Insert(v, "b");
  Insert(v, "c");
  v.EndAction();
  for (int i = 0; i < 98; ++i) Insert(v, "d");  // 101 records in all
  EXPECT_EQ(v.UndoRecords(), 98u);              // the group of three went whole
  while (v.Undo()) {
  }
  EXPECT_EQ(v.Text(), "abc");
}

// ------------------------------------------------------------ find and replace

TEST(TextFind, ForwardBackwardAndWrap) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  Insert(v, "Star one\nstar two\nSTAR three");
  v.SetLineIndex(0, 0);
  TFindOptions o;
  o.matchCase = false;
  ASSERT_TRUE(v.Find("star", o));
  EXPECT_EQ(v.SelectedText(), "Star");
  EXPECT_EQ(v.Cursor(), (TTextPos{0, 4}));
  ASSERT_TRUE(v.Find("star", o));
  EXPECT_EQ(v.Cursor(), (TTextPos{1, 4}));
  ASSERT_TRUE(v.Find("star", o));
  EXPECT_EQ(v.Cursor(), (TTextPos{2, 4}));
  ASSERT_TRUE(v.Find("star", o));  // wraps to the first
  EXPECT_EQ(v.Cursor(), (TTextPos{0, 4}));
  o.backward = true;
  ASSERT_TRUE(v.Find("star", o));  // wraps to the last, cursor before it
  EXPECT_EQ(v.Cursor(), (TTextPos{2, 0}));
  ASSERT_TRUE(v.Find("star", o));
  EXPECT_EQ(v.Cursor(), (TTextPos{1, 0}));
  o.matchCase = true;
  o.wrap = false;
  EXPECT_FALSE(v.Find("STAR", o));  // before the cursor there is none
  o.backward = false;
  ASSERT_TRUE(v.Find("STAR", o));
  EXPECT_EQ(v.Cursor(), (TTextPos{2, 4}));
  EXPECT_FALSE(v.Find("STAR", o));
  EXPECT_FALSE(v.Find("", o));
}

TEST(TextFind, ReplaceAllIsOneUndoStep) {
  CTextView v;
  ASSERT_TRUE(v.InitBuffer());
  Insert(v, "a-b-c\r\n-d");
  EXPECT_EQ(v.ReplaceAll("-", "::", true), 3);
  EXPECT_EQ(v.Text(), "a::b::c\r\n::d");
  ASSERT_TRUE(v.Undo());
  EXPECT_EQ(v.Text(), "a-b-c\r\n-d");
  v.SetLineIndex(0, 0);
  TFindOptions o;
  ASSERT_TRUE(v.Find("b", o));
  EXPECT_FALSE(v.Replace("b", "BB", o));  // replaced; no further "b" to find
  EXPECT_EQ(v.Text(), "a-BB-c\r\n-d");
}

// ------------------------------------------------------------ the view on screen

class TextViewOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    view::EnsureApplication();
    ASSERT_TRUE(v.Init(nullptr, vcom::CRect(0, 0, 400, 300)));
    // After the framework's start-up, which installs the desktop clipboard.
    vcom::SetClipboardProvider(&clipboard);
    v.SetStatusBar(&status);
  }
  void TearDown() override {
    v.Done();
    vcom::SetClipboardProvider(nullptr);
  }
  void Key(uint32_t key, uint32_t modifiers = 0) {
    vcore::TEvent e;
    e.kind = vcore::evKeyDown;
    e.code = key;
    e.modifiers = modifiers;
    v.Dispatch(e);
  }
  void Type(const std::string& s) {
    for (char c : s) v.TypeChar(static_cast<unsigned char>(c));
  }
  vcom::CMemoryClipboard clipboard;
  lectern::CStatusBar status;
  CTextView v;
};

TEST_F(TextViewOnScreen, KeysEditAsInAPlainEditor) {
  Key('H', vcore::kmShift);
  Key('I');
  Key(vcore::vkSpace);
  Key('7');
  EXPECT_EQ(v.Text(), "Hi 7");
  Key(vcore::vkBack);
  Key(vcore::vkHome);
  Key(vcore::vkDelete);
  EXPECT_EQ(v.Text(), "i ");
  Key(vcore::vkEnd);
  Key(vcore::vkReturn);
  Type("line two");
  EXPECT_EQ(v.Text(), "i \nline two");
  Key(vcore::vkUp);
  EXPECT_EQ(v.Cursor(), (TTextPos{0, 2}));  // shorter line: at its end
  Key(vcore::vkDown);
  EXPECT_EQ(v.Cursor(), (TTextPos{1, 8}));  // the column is kept
  EXPECT_TRUE(v.IsModified());
  EXPECT_EQ(status.StatusText(), "Ln 2, Col 9   Modified");
}

TEST_F(TextViewOnScreen, EnterKeepsCrLfTexts) {
  v.InsertText("a\r\nb", 4);
  EXPECT_FALSE(v.IsModified());  // the program's fill is not an edit
  Key(vcore::vkReturn);
  Type("c");
  EXPECT_EQ(v.Text(), "a\r\nb\r\nc");
  Key(vcore::vkHome);
  Key(vcore::vkBack);  // CR LF goes as one
  EXPECT_EQ(v.Text(), "a\r\nbc");
}

TEST_F(TextViewOnScreen, TypingUndoesWordByWord) {
  Type("hello world");
  Key('Z', vcore::kmCtrl);
  EXPECT_EQ(v.Text(), "hello ");
  Key('Y', vcore::kmCtrl);
  EXPECT_EQ(v.Text(), "hello world");
  Key('Z', vcore::kmCtrl);
  Key('Z', vcore::kmCtrl);
  EXPECT_EQ(v.Text(), "");
}

TEST_F(TextViewOnScreen, ShiftSelectsAndClipboardKeysCopyCutPaste) {
  v.InsertText("one two\nthree", 13);
  v.SetLineIndex(0, 4);
  Key(vcore::vkRight, vcore::kmShift);
  Key(vcore::vkRight, vcore::kmShift);
  Key(vcore::vkRight, vcore::kmShift);
  EXPECT_EQ(v.SelectedText(), "two");
  Key('C', vcore::kmCtrl);
  std::string clip;
  ASSERT_TRUE(clipboard.GetText(clip));
  EXPECT_EQ(clip, "two");
  Key(vcore::vkDown, vcore::kmShift);
  EXPECT_EQ(v.SelectedText(), "two\nthree");
  Key('X', vcore::kmCtrl);
  EXPECT_EQ(v.Text(), "one ");
  Key(vcore::vkHome);
  Key('V', vcore::kmCtrl);
  EXPECT_EQ(v.Text(), "two\nthreeone ");
  // Typing over a selection replaces it, and one undo brings it back.
  v.SetSelection({0, 0}, {0, 3});
  Type("2");
  EXPECT_EQ(v.Text(), "2\nthreeone ");
  Key('Z', vcore::kmCtrl);
  EXPECT_EQ(v.Text(), "two\nthreeone ");
}

TEST_F(TextViewOnScreen, MouseClickPlacesTheCursorAndDragSelects) {
  v.InsertText("abcdef\nghijkl", 13);
  const int cw = v.CharWidth(), lh = v.LineHeight();
  vcore::TEvent down;
  down.kind = vcore::evMouseDown;
  down.buttons = vcore::mbLeft;
  down.x = 14 + 2 * cw + 1;  // between "b" and "c", past the mark gutter
  down.y = lh / 2;
  v.Dispatch(down);
  EXPECT_EQ(v.Cursor(), (TTextPos{0, 2}));
  vcore::TEvent move = down;
  move.kind = vcore::evMouseMove;
  move.stopped = false;
  move.x = 14 + 4 * cw + 1;
  move.y = lh + lh / 2;
  v.Dispatch(move);
  EXPECT_EQ(v.Cursor(), (TTextPos{1, 4}));
  vcore::TEvent up = move;
  up.kind = vcore::evMouseUp;
  up.stopped = false;
  v.Dispatch(up);
  EXPECT_EQ(v.SelectedText(), "cdef\nghij");
}

TEST_F(TextViewOnScreen, FindWindowFindsAndReplaces) {
  v.InsertText("red green red", 13);
  v.SetLineIndex(0, 0);
  Key('F', vcore::kmCtrl);
  lectern::CFindWindow* w = v.FindWindow();
  ASSERT_NE(w, nullptr);
  w->SetFindText("red");
  w->SetReplaceText("blue");
  EXPECT_TRUE(w->FindNext());
  EXPECT_EQ(v.Cursor(), (TTextPos{0, 3}));
  EXPECT_EQ(w->ReplaceAllMatches(), 2);
  EXPECT_EQ(v.Text(), "blue green blue");
  EXPECT_EQ(status.StatusText().find("2 occurrences replaced") != std::string::npos, true);
  w->SetFindText("violet");
  EXPECT_FALSE(w->FindNext());
  EXPECT_NE(status.StatusText().find("Cannot find \"violet\""), std::string::npos);
}

TEST_F(TextViewOnScreen, PaintsTextSelectionAndMarks) {
  v.InsertText("WWWW\nWWWW", 9);
  v.SetMark(1, 0);
  v.SetSelection({0, 0}, {0, 2});
  v.Show();
  vimage::CImage image;
  ASSERT_TRUE(v.Grab(image));
  auto pixel = [&](int x, int y) {
    const unsigned char* p = image.Row(y) + x * 4;
    return vcolor::RGBA(p[2], p[1], p[0]);
  };
  const int lh = v.LineHeight(), cw = v.CharWidth();
  // Selection colour behind the first two characters, white after the text.
  bool selectionSeen = false, inkSeen = false, markSeen = false;
  for (int y = 0; y < lh; ++y) {
    for (int x = 14; x < 14 + 2 * cw; ++x) selectionSeen |= pixel(x, y) == vcolor::RGBA(173, 214, 255);
    for (int x = 14 + 2 * cw; x < 14 + 4 * cw; ++x) inkSeen |= vcolor::Red(pixel(x, y)) < 100;
  }
  for (int y = lh; y < 2 * lh; ++y)
    for (int x = 0; x < 12; ++x) markSeen |= pixel(x, y) == vcolor::RGBA(40, 90, 200);
  EXPECT_TRUE(selectionSeen);
  EXPECT_TRUE(inkSeen);
  EXPECT_TRUE(markSeen);
  EXPECT_EQ(pixel(300, 3 * lh), vcolor::White);
}

TEST_F(TextViewOnScreen, ScrollingFollowsTheCursorWithinLimits) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\n";
  v.InsertText(text.data(), text.size());
  EXPECT_GE(v.TopLine(), 200 - v.VisibleLines() + 1 - 1);
  Key(vcore::vkHome, vcore::kmCtrl);
  EXPECT_EQ(v.TopLine(), 0);
  Key(vcore::vkNext);
  EXPECT_EQ(v.Cursor().line, v.VisibleLines());
  v.ScrollChanged(0, 100000);  // beyond the end: the last line is the limit
  EXPECT_EQ(v.TopLine(), 200);
}

TEST_F(TextViewOnScreen, RightButtonMenuRunsTheChosenCommand) {
  v.InsertText("abc\ndef", 7);
  vdlg::CScriptedDialogs script;
  script.AnswerMenu(lectern::cmSelectAll);
  vcore::TEvent e;
  e.kind = vcore::evMouseDown;
  e.buttons = vcore::mbRight;
  v.Dispatch(e);
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(v.SelectedText(), "abc\ndef");
}

}  // namespace
