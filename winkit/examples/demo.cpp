// A small window built with the framework: menu bar, tool box with a date
// picker and a combo box, status bar, splitter columns, tabs and a
// custom-painted chart that zooms with the wheel.
//
//   winkit_demo                 runs until the window is closed
//   winkit_demo shot.png        saves a picture of the window and exits
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "winkit/winkit.h"

namespace {

enum : uint32_t { cmNew = 1001, cmShowDev = 1141, cmAbout = 1191, cmZoomIn = 4000, cmZoomOut = 4001, cmQuit = 9000 };

// A phased light curve of an eclipsing binary, drawn with error bars.
class ChartView : public view::CView {
 public:
  void PaintView(vgr::CDeviceContext& dc) override {
    vcom::CRect r = ClientRect();
    const int left = 60, top = 24, w = r.width - 76, h = r.height - 64;
    if (w <= 0 || h <= 0) return;
    dc.SetGCInkColor(vcolor::Black);
    dc.Line(left, top, left, top + h);
    dc.Line(left, top + h, left + w, top + h);
    dc.SetGCTextColor(vcolor::Black);
    dc.OutTextXY(10, top + h + 8, 5, "Phase");
    dc.OutTextXY(10, top - 18, 3, "Mag");
    for (int i = 0; i < 400; ++i) {
      double phase = i / 400.0 * span - span / 2;
      double depth = 0.8 * std::exp(-phase * phase * 400) + 0.3 * std::exp(-(phase - 0.5) * (phase - 0.5) * 400);
      int x = left + static_cast<int>((phase + span / 2) / span * w);
      int y = top + 10 + static_cast<int>(depth * (h - 20));
      int e = 2 + i % 4;
      vcolor::TColor c = i % 3 ? vcolor::RGBA(216, 0, 0) : vcolor::RGBA(0, 127, 0);
      if (showDev) {
        dc.SetGCInkColor(vcolor::RGBA(255, 170, 170));
        dc.Line(x, y - e, x, y + e);
      }
      dc.SetGCPaperColor(c);
      dc.CircleFill(x, y, 2, false);
    }
  }
  void ReceiveEvent(vcore::TEvent& e) override {
    if (e.kind == vcore::evMouseWheel) {
      Zoom(e.wheel > 0 ? 0.8 : 1.25);
      StopEvent(e);
    }
  }
  void Zoom(double f) {
    span = std::clamp(span * f, 0.1, 2.0);
    Invalidate();
  }
  double span = 1.2;  // visible phase range
  bool showDev = true;
};

class DemoWindow : public vwin::CWindow {
 public:
  void CreateInterior() override {
    vcom::CRect r = ClientRect();
    columns.Init(this, r);
    objects.Init(&columns, vcom::CRect(), 1, false);
    for (const char* name : {"V1234 Cyg", "AB And", "TX UMa", "RZ Cas"}) objects.AddItem(name);
    objects.SetSelection(0);
    tabs.Init(&columns, vcom::CRect(), 2);
    chart.Init(&tabs, vcom::CRect());
    notes.Init(&tabs, vcom::CRect());
    notesText.Init(&notes, vcom::CRect(10, 10, 400, 60),
                   "Notes of the selected object appear here. Use the wheel over the chart to zoom.");
    tabs.AddPage("Phased Curve", &chart);
    tabs.AddPage("Notes", &notes);
    columns.AddColumn(&objects, 120);
    columns.AddColumn(&tabs, 0);
  }
  void NewRect(const vcom::CRect& r) override {
    if (columns.IsInitialized()) columns.SetRect(r);
  }
  void ReceiveEvent(vcore::TEvent& e) override {
    uint32_t cmd = 0;
    if (accel.Translate(e, cmd) || e.kind == vcore::evCommand) {
      Command(cmd ? cmd : e.code);
      StopEvent(e);
    } else if (e.kind == vcore::evControl && e.code == 1 && StatusBar()) {
      StatusBar()->SetText(1, objects.ItemText(objects.Selection()).c_str());
    }
  }
  void Command(uint32_t cmd) {
    switch (cmd) {
      case cmShowDev:
        chart.showDev = !chart.showDev;
        CheckCommand(cmShowDev, chart.showDev);
        chart.Invalidate();
        break;
      case cmZoomIn: chart.Zoom(0.8); break;
      case cmZoomOut: chart.Zoom(1.25); break;
      case cmAbout:
        vdlg::DoParagraphMessageBox("About", "winkit demonstration window", vdlg::mbOK, vstock::siInformation);
        break;
      case cmQuit: Close(); break;
      default: break;
    }
  }
  view::CSplitterView columns;
  vcont::CListBox objects;
  vtab::CTab tabs;
  ChartView chart;
  view::CNodeView notes;
  vcont::CParagraphText notesText;
  view::CAccelerators accel;
};

}  // namespace

int main(int argc, char** argv) {
  vcore::Init_();
  vgr::Init_();
  view::Init_();
  vwin::Init_();
  view::CBackground background;
  background.Init("winkit demo");

  vgr::CIcon icons[4];
  for (int i = 0; i < 4; ++i) vgr::InitResIconNumWD(icons[i], 1010 + i, vcore::ScaleH(24));

  view::CMenuBar menu;
  menu.Init();
  auto* field = new view::CPopUpMenu;
  field->InitItems();
  field->AddItem("New Field", "Ctrl+N", 0, &icons[0], nullptr, cmNew);
  field->AddLine();
  field->AddItem("Quit", "Ctrl+Q", 0, nullptr, nullptr, cmQuit);
  menu.AddMenu("Field", 0, field);
  auto* series = new view::CPopUpMenu;
  series->InitItems();
  series->AddItem("Show standard deviation", nullptr, 5, &icons[1], nullptr, cmShowDev);
  menu.AddMenu("Series", 0, series);
  auto* help = new view::CPopUpMenu;
  help->InitItems();
  help->AddItem(vstock::Text(vstock::stAbout), cmAbout);
  menu.AddMenu(vstock::Text(vstock::stHelpMenu), 0, help);

  vtool::CGravityBreakToolBox tools;
  tools.Init(vcore::ScaleH(24));
  tools.AddButton(cmNew, &icons[0], nullptr, "New Field");
  tools.AddGap(8);
  tools.AddButton(cmShowDev, &icons[1], nullptr, "Show standard deviation", true);
  tools.AddGap(8);
  vcalcon::CDateTimePicker picker;
  picker.Init(nullptr, vcom::CRect(0, 0, 150, 24), 3001);
  tools.AddControl(&picker, vcore::ScaleH(150));
  vcont::CComboBox types;
  types.Init(nullptr, vcom::CRect(0, 0, 150, 24), 3002);
  for (const char* t : {"EA", "EB", "EW", "RRAB"}) types.AddItem(t);
  tools.AddControl(&types, vcore::ScaleH(150));
  tools.GravityBreak();
  tools.AddButton(cmZoomIn, &icons[2], nullptr, "Zoom in");
  tools.AddButton(cmZoomOut, &icons[3], nullptr, "Zoom out");

  vwin::CStatusBar status;
  const int widths[] = {100, 160, 0};
  status.Init(3, widths);
  status.SetText(0, "4 objects");
  status.SetText(1, "V1234 Cyg");
  status.SetText(2, "Series in HJD");

  DemoWindow win;
  win.accel.Add('N', vcore::kmCtrl, cmNew);
  win.accel.Add('Q', vcore::kmCtrl, cmQuit);
  win.Init(vcom::CRect(100, 100, 900, 560), vwin::wsStandard, "OMBRIX - winkit demo", &menu, &tools, &status);
  menu.Check(cmShowDev);
  background.RegisterWindow(&win);

  if (argc > 1) {
    // Let the window lay itself out and paint, then save its picture.
    vcore::WaitDispatching([start = 0]() mutable { return ++start > 50; });
    vimage::CImage shot;
    char err[80] = "";
    bool ok = win.Grab(shot) && shot.Save(argv[1], vimage::ifPNG, 75, 79, err);
    if (!ok) std::fprintf(stderr, "screenshot failed: %s\n", err);
    win.Done();
    return ok ? 0 : 1;
  }
  background.Run();
  return 0;
}
