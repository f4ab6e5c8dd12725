// A main window built as the program builds its own: menu bar, tool box,
// status bar, tabs and a custom-painted view, driven by synthetic input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWheelEvent>

#include <atomic>
#include <thread>
#include <vector>

#include "winkit/winkit.h"

namespace {

// Records what reaches it.
class ChartView : public view::CView {
 public:
  void PaintView(vgr::CDeviceContext& dc) override {
    ++paints;
    dc.SetGCPaperColor(vcolor::RGBA(31, 63, 255));
    dc.CircleFill(10, 10, 2, false);
  }
  void NewRect(const vcom::CRect& r) override { lastSize = r; }
  void ReceiveEvent(vcore::TEvent& e) override {
    events.push_back(e);
    if (e.kind & vcore::evMouse) StopEvent(e);
  }
  int64_t ReceiveMsg(uint32_t msg, uint64_t w, int64_t l) override {
    messages.push_back({msg, w, l, std::this_thread::get_id()});
    return 0;
  }
  struct Msg {
    uint32_t msg;
    uint64_t w;
    int64_t l;
    std::thread::id thread;
  };
  int paints = 0;
  vcom::CRect lastSize;
  std::vector<vcore::TEvent> events;
  std::vector<Msg> messages;
};

class MainWindow : public vwin::CWindow {
 public:
  void CreateInterior() override {
    vcom::CRect r = ClientRect();
    tab.Init(this, vcom::CRect(0, 0, r.width, r.height), 77);
    chart.Init(&tab, vcom::CRect(0, 0, 100, 100));
    notes.Init(&tab, vcom::CRect(0, 0, 100, 100));
    tab.AddPage("Time Series", &chart);
    tab.AddPage("Notes", &notes);
  }
  void NewRect(const vcom::CRect& r) override {
    if (tab.IsInitialized()) tab.SetRect(r);
  }
  void ReceiveEvent(vcore::TEvent& e) override {
    uint32_t cmd = 0;
    if (accel.Translate(e, cmd)) {
      commands.push_back(cmd);
      StopEvent(e);
    } else if (e.kind == vcore::evCommand) {
      commands.push_back(e.code);
    } else if (e.kind == vcore::evControl && e.data == vcore::cnTabChanged) {
      tabChanges.push_back(e.x);
    } else if (e.kind == vcore::evControl) {
      controls.push_back(e.code);
    }
  }
  vtab::CTab tab;
  ChartView chart;
  view::CView notes;
  view::CAccelerators accel;
  std::vector<uint32_t> commands;
  std::vector<int> tabChanges;
  std::vector<uint32_t> controls;  // ids of controls that reported a change
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vcore::Init_();
    view::Init_();
    vwin::Init_();
    bg.Init();
    menu.Init();
    auto* field = new view::CPopUpMenu;
    field->InitItems();
    field->AddItem("New Field", "Ctrl+N", 0, nullptr, nullptr, 1001);
    field->AddLine();
    auto* stats = new view::CPopUpMenu;
    stats->InitItems();
    stats->AddItem("Include All Series...", 1010);
    field->AddMenu("Statistics", 0, stats);
    menu.AddMenu("Field", 0, field);
    auto* series = new view::CPopUpMenu;
    series->InitItems();
    series->AddItem("Show standard deviation", 1141);
    series->AddItem("List of minima", 1100);
    menu.AddMenu("Series", 0, series);

    vgr::InitResIconNumWD(icon, 1002, 24);
    tools.Init(24);
    tools.AddButton(1001, &icon, nullptr, "New Field");
    tools.AddGap(8);
    tools.AddButton(1141, &icon, nullptr, "Show standard deviation", true);
    tools.AddButton(1100, &icon, nullptr, "List of minima", true);
    combo.Init(nullptr, vcom::CRect(0, 0, 150, 24), 3001);
    tools.AddControl(&combo, 150);
    tools.GravityBreak();
    tools.AddButton(4000, &icon, nullptr, "Zoom in");

    const int widths[] = {100, 100, 0};
    status.Init(3, widths);
    win.accel.Add('N', vcore::kmCtrl, 1001);
    win.accel.Add(vcore::vkF2, 0, 1015);
    win.accel.Add('A', vcore::kmCtrl, 1012);
    ASSERT_TRUE(win.Init(vcom::CRect(100, 100, 560, 280), vwin::wsStandard, "OMBRIX", &menu, &tools, &status));
    bg.RegisterWindow(&win);
    Pump();
  }
  void TearDown() override {
    win.Done();
    Pump();
    bg.Done();
  }
  static void Pump() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  view::CBackground bg;
  view::CMenuBar menu;
  vtool::CGravityBreakToolBox tools;
  vcont::CComboBox combo;
  vwin::CStatusBar status;
  vgr::CIcon icon;
  MainWindow win;
};

TEST_F(WindowTest, MenuItemsAndToolButtonsDeliverTheirCommandsToTheWindow) {
  EXPECT_NE(win.Handle(), 0u);  // the window takes posted messages at once
  EXPECT_TRUE(menu.Choose(1001));
  EXPECT_TRUE(menu.Choose(1010));  // from a submenu
  EXPECT_TRUE(tools.Press(4000));
  EXPECT_EQ(win.commands, (std::vector<uint32_t>{1001, 1010, 4000}));

  menu.Disable(1001);
  EXPECT_FALSE(menu.Choose(1001));
  EXPECT_FALSE(tools.IsEnabled(1001));  // the button follows its item
  EXPECT_EQ(win.commands.size(), 3u);
}

TEST_F(WindowTest, ToggleButtonsMirrorCheckMarks) {
  menu.Check(1141);
  EXPECT_TRUE(menu.IsChecked(1141));
  EXPECT_TRUE(tools.IsChecked(1141));
  EXPECT_FALSE(tools.IsChecked(1100));
  menu.Uncheck(1141);
  EXPECT_FALSE(tools.IsChecked(1141));
  win.CheckCommand(1100, true);
  EXPECT_TRUE(menu.IsChecked(1100));
  EXPECT_TRUE(tools.IsChecked(1100));
}

TEST_F(WindowTest, RecentFileItemsCanBeReplaced) {
  auto* field = new view::CPopUpMenu;
  field->InitItems();
  menu.AddMenu("More", 0, field);
  field->AddItem("1 /a.ofd", 60000);
  field->AddItem("2 /b.ofd", 60001);
  menu.RemoveItems(60000, 60007);
  EXPECT_FALSE(menu.HasItem(60000));
  EXPECT_FALSE(menu.HasItem(60001));
  EXPECT_TRUE(menu.HasItem(1001));
}

TEST_F(WindowTest, ViewReceivesPaintResizeMouseWheelAndKeys) {
  ChartView& chart = win.chart;
  ASSERT_TRUE(chart.IsShown());
  EXPECT_GT(chart.lastSize.width, 0);  // laid out by the tab
  chart.Update();
  EXPECT_GT(chart.paints, 0);

  QWidget* w = chart.Peer();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 30), w->mapToGlobal(QPointF(20, 30)), Qt::LeftButton,
                    Qt::LeftButton, Qt::ShiftModifier);
  QApplication::sendEvent(w, &press);
  QWheelEvent wheel(QPointF(5, 6), w->mapToGlobal(QPointF(5, 6)), QPoint(), QPoint(0, -240), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &wheel);
  QKeyEvent key(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier);
  QApplication::sendEvent(w, &key);
  QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
  QApplication::sendEvent(w, &f2);

  ASSERT_EQ(chart.events.size(), 4u);
  EXPECT_EQ(chart.events[0].kind, vcore::evMouseDown);
  EXPECT_EQ(chart.events[0].x, 20);
  EXPECT_EQ(chart.events[0].y, 30);
  EXPECT_EQ(chart.events[0].buttons, vcore::mbLeft);
  EXPECT_EQ(chart.events[0].modifiers, vcore::kmShift);
  EXPECT_EQ(chart.events[1].kind, vcore::evMouseWheel);
  EXPECT_EQ(chart.events[1].wheel, -2);
  EXPECT_EQ(chart.events[2].kind, vcore::evKeyDown);
  EXPECT_EQ(chart.events[2].code, static_cast<uint32_t>('N'));
  // Keys the view leaves alone travel on to the window's accelerators.
  EXPECT_EQ(win.commands, (std::vector<uint32_t>{1001, 1015}));

  chart.SetRect(vcom::CRect(0, 0, 300, 120));
  Pump();
  EXPECT_EQ(chart.lastSize.width, 300);
  EXPECT_EQ(chart.lastSize.height, 120);
}

TEST_F(WindowTest, KeyDownCarriesTheTypedCharacterApartFromTheKeyCode) {
  ChartView& chart = win.chart;
  QWidget* w = chart.Peer();
  QKeyEvent exclamation(QEvent::KeyPress, Qt::Key_Exclam, Qt::ShiftModifier, "!");
  QApplication::sendEvent(w, &exclamation);
  QKeyEvent pageUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
  QApplication::sendEvent(w, &pageUp);
  QKeyEvent ctrlC(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QString(QChar(3)));
  QApplication::sendEvent(w, &ctrlC);
  QKeyEvent eAcute(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)));
  QApplication::sendEvent(w, &eAcute);
  ASSERT_EQ(chart.events.size(), 4u);
  // Both arrive with one key code; only the character tells them apart.
  EXPECT_EQ(chart.events[0].code, chart.events[1].code);
  EXPECT_EQ(chart.events[0].data, '!');
  EXPECT_EQ(chart.events[1].data, 0);
  EXPECT_EQ(chart.events[2].data, 0);  // control characters are no text
  EXPECT_EQ(chart.events[3].data, 0xE9);
}

// A list with one selection leaves Ctrl+A to the window's accelerators; a
// list with many selections keeps it to select every item.
TEST_F(WindowTest, SelectAllKeyReachesTheWindowFromSingleSelectionLists) {
  vcont::CListBox single, multiple;
  single.Init(&win, vcom::CRect(0, 0, 100, 100), 91);
  multiple.Init(&win, vcom::CRect(100, 0, 100, 100), 92, true);
  for (auto* list : {&single, &multiple}) {
    list->AddItem("a");
    list->AddItem("b");
  }
  auto pressCtrlA = [](vcont::CListBox& list) {
    // The toolkit asks the focused widget first whether it keeps the key.
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_A, Qt::ControlModifier);
    override.setAccepted(false);
    QApplication::sendEvent(list.Peer(), &override);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QApplication::sendEvent(list.Peer(), &key);
  };
  pressCtrlA(single);
  EXPECT_EQ(win.commands, std::vector<uint32_t>{1012});
  EXPECT_FALSE(single.IsSelected(0));
  pressCtrlA(multiple);
  EXPECT_EQ(win.commands, std::vector<uint32_t>{1012});
  EXPECT_TRUE(multiple.IsSelected(0));
  EXPECT_TRUE(multiple.IsSelected(1));
  single.Done();
  multiple.Done();
}

// The tool box is filled before the window exists; its controls still report
// to the window, and a long status text does not widen the window.
TEST_F(WindowTest, ToolBoxControlsReportAndStatusTextsKeepTheWidth) {
  combo.AddItem("EA");
  combo.AddItem("EW");
  combo.SetText("EW", true);
  EXPECT_EQ(win.controls, std::vector<uint32_t>{3001});

  const int width = win.RestoredRect().width;
  status.SetText(2, std::string(400, 'x').c_str());
  Pump();
  EXPECT_EQ(win.RestoredRect().width, width);
}

TEST_F(WindowTest, TabChangesAreReportedAndStatusFieldsKept) {
  EXPECT_EQ(win.tab.PageCount(), 2);
  EXPECT_EQ(win.tab.PageLabel(1), "Notes");
  EXPECT_EQ(win.tab.Page(1), &win.notes);
  win.tab.SetActivePage(1, true);
  win.tab.SetActivePage(0);  // silent
  EXPECT_EQ(win.tabChanges, std::vector<int>{1});

  status.SetText(0, "3 objects");
  status.SetText(7, "ignored");
  EXPECT_STREQ(status.GetText(0), "3 objects");
  EXPECT_STREQ(status.GetText(7), "");
  status.SetProgress(5, 10);
  EXPECT_TRUE(status.IsProgressShown());
  status.SetProgress(0, 0);
  EXPECT_FALSE(status.IsProgressShown());
}

TEST_F(WindowTest, TitleStateAndRestoredRectangle) {
  win.SetTitle("OMBRIX - /a.ofd*");
  EXPECT_EQ(win.Title(), "OMBRIX - /a.ofd*");
  vcom::CRect normal = win.RestoredRect();
  win.Maximize();
  Pump();
  EXPECT_TRUE(win.IsMaximized());
  vcom::CRect restored = win.RestoredRect();
  EXPECT_EQ(restored.width, normal.width);
  EXPECT_EQ(restored.height, normal.height);
}

TEST_F(WindowTest, MessagesPostedFromWorkersArriveOnTheGuiThread) {
  ChartView& chart = win.chart;
  ASSERT_TRUE(chart.CreatePeerWindow());
  const vcore::THandle h = chart.Handle();
  std::thread workers[3];
  for (int i = 0; i < 3; ++i)
    workers[i] = std::thread([h, i] { vcore::PostMessageA(h, 4926 + i, i, -i); });
  vcore::WaitThreadsDispatching(workers, 3);
  Pump();
  ASSERT_EQ(chart.messages.size(), 3u);
  for (const auto& m : chart.messages) {
    EXPECT_EQ(m.thread, std::this_thread::get_id());
    EXPECT_EQ(static_cast<int64_t>(m.w), -m.l);
  }
  chart.DestroyPeerWindow();
  EXPECT_FALSE(vcore::PostMessageA(h, 1, 0, 0));  // a gone peer is not posted to
}

TEST_F(WindowTest, QueuedEventsArriveLaterAndNeverAtDeadHandlers) {
  vcore::CreateEventA(&win, vcore::evCommand, 1400);
  EXPECT_TRUE(win.commands.empty());
  Pump();
  EXPECT_EQ(win.commands, std::vector<uint32_t>{1400});

  auto* gone = new ChartView;
  vcore::CreateEventA(gone, vcore::evApplication, 1161, 1);
  delete gone;
  Pump();  // must not touch the deleted view
}

TEST_F(WindowTest, ClosingTheMainWindowEndsTheLoop) {
  vcore::CreateEventA(&win, vcore::evCommand, 0);
  QMetaObject::invokeMethod(qApp, [this] { win.Close(); }, Qt::QueuedConnection);
  EXPECT_EQ(bg.Run(), 0);
  EXPECT_FALSE(win.IsInitialized());
}

}  // namespace
