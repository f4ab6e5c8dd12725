// Controls report user changes as events; the program's own setters stay
// silent unless asked. Plus the small helpers: path shortening, DPI, keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>

#include <string>
#include <vector>

#include "winkit/winkit.h"

namespace {

class Form : public view::CDBNodeView {
 public:
  void ReceiveEvent(vcore::TEvent& e) override {
    CDBNodeView::ReceiveEvent(e);
    if (e.kind == vcore::evControl) seen.push_back({e.code, static_cast<int>(e.data)});
  }
  struct Seen {
    uint32_t id;
    int notify;
    bool operator==(const Seen&) const = default;
  };
  std::vector<Seen> seen;
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vcont::Init_();
    form.Init(nullptr, vcom::CRect(0, 0, 400, 300));
  }
  Form form;
};

TEST_F(ControlsTest, SettersAreSilentUnlessAskedAndUserTypingNotifies) {
  vcont::CEditBox edit;
  edit.Init(&form, vcom::CRect(0, 0, 100, 20), 11, "V1234 Cyg", 31);
  vcont::CComboBox combo;
  combo.Init(&form, vcom::CRect(0, 30, 100, 20), 12);
  for (const char* t : {"EA", "EB", "EW"}) combo.AddItem(t);
  vcont::CRealCountBox real;
  real.Init(&form, vcom::CRect(0, 60, 100, 20), 13, 0, 10, 1.5, 0.1, 3);

  edit.SetText("other");
  combo.SetText("EB");
  real.SetValue(2.25);
  EXPECT_TRUE(form.seen.empty());
  EXPECT_FALSE(form.IsDataChanged());
  EXPECT_EQ(combo.Selection(), 1);
  EXPECT_DOUBLE_EQ(real.Value(), 2.25);

  // Typing into the edit box as the user would.
  static_cast<QLineEdit*>(edit.Peer())->insert("!");
  combo.SetSelection(2, true);
  EXPECT_EQ(form.seen, (std::vector<Form::Seen>{{11, vcore::cnChanged}, {12, vcore::cnSelected}}));
  EXPECT_TRUE(form.IsDataChanged());
  EXPECT_EQ(edit.Text(), "other!");
  EXPECT_EQ(combo.Text(), "EW");

  char cut[4];
  edit.GetText(3, cut);  // four characters fit, no terminator in a full array
  EXPECT_EQ(std::string(cut, 4), "othe");
}

TEST_F(ControlsTest, RadioButtonsExcludeWithinTheirGroupOnly) {
  vcont::CRadioButton und, pri, sec, other;
  und.Init(&form, vcom::CRect(0, 0, 60, 20), 21, "Und.", 1);
  pri.Init(&form, vcom::CRect(60, 0, 60, 20), 22, "Pri.", 1);
  sec.Init(&form, vcom::CRect(120, 0, 60, 20), 23, "Sec.", 1);
  other.Init(&form, vcom::CRect(0, 30, 60, 20), 24, "x", 2);
  other.SetChecked(true);
  und.SetChecked(true);
  pri.SetChecked(true, true);
  EXPECT_FALSE(und.IsChecked());
  EXPECT_TRUE(pri.IsChecked());
  EXPECT_FALSE(sec.IsChecked());
  EXPECT_TRUE(other.IsChecked());
  EXPECT_EQ(form.seen, (std::vector<Form::Seen>{{22, vcore::cnChanged}}));
}

TEST_F(ControlsTest, ListsSlidersAndPickers) {
  vcont::CListBox list;
  list.Init(&form, vcom::CRect(0, 0, 100, 100), 31);
  list.AddItem("a");
  list.AddItem("b");
  EXPECT_EQ(list.Selection(), -1);
  list.SetSelection(1, true);
  EXPECT_EQ(list.Selection(), 1);
  EXPECT_TRUE(list.IsSelected(1));
  list.SetSelection(5);
  EXPECT_EQ(list.Selection(), -1);

  vcont::CSlider slider;
  slider.Init(&form, vcom::CRect(0, 100, 200, 20), 32, -3000, 3000, 0);
  slider.SetPosition(4000);
  EXPECT_EQ(slider.Position(), 3000);

  vcont::CIntegerCountBox width;
  width.Init(&form, vcom::CRect(0, 130, 80, 20), 33, 8, 8192, 1024);
  width.SetValue(1);
  EXPECT_EQ(width.Value(), 8);

  vcalcon::CDateTimePicker picker;
  picker.Init(&form, vcom::CRect(0, 160, 150, 20), 34);
  vcalcon::TDateTime t{2024, 2, 29, 23, 59, 58};
  picker.SetValue(t);
  vcalcon::TDateTime back = picker.Value();
  EXPECT_EQ(back.year, 2024);
  EXPECT_EQ(back.day, 29);
  EXPECT_EQ(back.hour, 23);
  EXPECT_EQ(back.second, 58);
  EXPECT_EQ(form.seen.size(), 1u);  // the list's notified change only
}

TEST_F(ControlsTest, SplitterColumnsAndScroller) {
  view::CSplitterView split;
  split.Init(&form, vcom::CRect(0, 0, 400, 300));
  view::CView a, b, c;
  a.Init(&split, vcom::CRect());
  b.Init(&split, vcom::CRect());
  c.Init(&split, vcom::CRect());
  split.AddColumn(&a, 86);
  split.AddColumn(&b, 166);
  split.AddColumn(&c, 0);
  form.Show();
  QApplication::processEvents();
  EXPECT_EQ(split.ColumnCount(), 3);
  EXPECT_EQ(split.ColumnWidth(0), 86);
  EXPECT_EQ(split.ColumnWidth(1), 166);
  split.SetColumnWidth(0, 120);
  EXPECT_EQ(split.ColumnWidth(0), 120);
  split.ShowColumn(1, false);
  EXPECT_FALSE(split.IsColumnShown(1));
  EXPECT_TRUE(split.IsColumnShown(2));

  view::CScrollerView scroller;
  scroller.Init(&form, vcom::CRect(0, 0, 100, 100));
  view::CView picture;
  picture.Init(&scroller, vcom::CRect(0, 0, 1000, 800));
  scroller.SetContent(&picture);
  scroller.ScrollTo(50, 60);
  EXPECT_EQ(scroller.ScrollX(), 50);
  EXPECT_EQ(scroller.ScrollY(), 60);
  scroller.ResetScroll();
  EXPECT_EQ(scroller.ScrollX(), 0);
}

TEST(PathCompression, KeepsTheFileNameAndTheStart) {
  struct Case {
    const char* path;
    int max;
    const char* expect;
  } cases[] = {
      {"/home/obs/field.ofd", 64, "/home/obs/field.ofd"},
      {"/home/observer/variable/stars/2024/field.ofd", 30, "/home/observer/va.../field.ofd"},
      {"C:\\Data\\Stars\\Cygnus\\V1234\\field.ofd", 24, "C:\\Data\\Sta...\\field.ofd"},
      {"/a/averyveryverylongfilename.ofd", 12, "...ename.ofd"},
      {"", 10, ""},
  };
  for (const Case& c : cases) {
    char out[80];
    vwin::CompressPathToLength(c.path, c.max, 79, out);
    EXPECT_STREQ(out, c.expect) << c.path;
    EXPECT_LE(static_cast<int>(std::string(out).size()), c.max);
  }
}

TEST(Helpers, DpiScalingAndAccelerators) {
  EXPECT_EQ(vcore::ScreenHDPI(), 96);
  EXPECT_EQ(vcore::ScaleH(6), 6);
  EXPECT_EQ(vcore::ScaleV(24), 24);

  view::CAccelerators acc;
  acc.Add('N', vcore::kmCtrl, 1001);
  acc.Add(vcore::vkDelete, 0, 1014);
  vcore::TEvent e;
  e.kind = vcore::evKeyDown;
  e.code = 'N';
  uint32_t cmd = 0;
  EXPECT_FALSE(acc.Translate(e, cmd));  // plain N is typing, not a command
  e.modifiers = vcore::kmCtrl;
  ASSERT_TRUE(acc.Translate(e, cmd));
  EXPECT_EQ(cmd, 1001u);
  e.kind = vcore::evKeyUp;
  EXPECT_FALSE(acc.Translate(e, cmd));
}

}  // namespace

namespace {

class Sheet : public vdata::CDataView {
 public:
  void ScrollChanged(int h, int v) override {
    lastH = h;
    lastV = v;
    ++moves;
  }
  int lastH = -1, lastV = -1, moves = 0;
};

TEST(DataView, WheelScrollsTheVerticalBarWithinItsRange) {
  vdata::Init_();
  Sheet sheet;
  sheet.Init(nullptr, vcom::CRect(0, 0, 300, 200));
  vdata::CDataContainer data;
  sheet.SetContainer(&data);
  EXPECT_FALSE(sheet.IsModified());
  data.SetModified();
  EXPECT_TRUE(sheet.IsModified());
  data.MarkSaved();
  EXPECT_FALSE(sheet.IsModified());

  sheet.SetVScroll(100, 10, 0);
  EXPECT_EQ(sheet.DataRect().width, 300 - 16);
  vcore::TEvent wheel;
  wheel.kind = vcore::evMouseWheel;
  wheel.wheel = -2;  // backward: down the rows
  sheet.Dispatch(wheel);
  EXPECT_TRUE(wheel.stopped);
  EXPECT_EQ(sheet.lastV, 6);
  wheel.stopped = false;
  wheel.wheel = 100;
  sheet.Dispatch(wheel);
  EXPECT_EQ(sheet.VScrollPos(), 0);  // clamped at the top
  sheet.ShowScrollBars(false, false);
  EXPECT_EQ(sheet.DataRect().width, 300);
}

}  // namespace
