// Chart pages: a chart above its scroll bar, and the Minimum Mirror page.
#include "ombrix_present/chart_page.h"

#include <algorithm>
#include <cmath>

#include <ombrix_analysis/find_minima.h>
#include <runbase/str.h>

namespace ombrix_lc {

namespace {

constexpr std::uint32_t kScrollBarId = 2600;
constexpr int kScrollBarHeight = 16;
constexpr int kRowHeight = 24;
constexpr int kGap = 4;
constexpr std::uint32_t kBoxHigh = 31;

std::unique_ptr<CLightCurvePane> MakeChart(TChartKind kind) {
  switch (kind) {
    case ckPhased: return std::make_unique<CLightCurveFitPane>();
    case ckMinimumFit: return std::make_unique<CMinimumFitPane>();
    case ckPrediction: return std::make_unique<CPredictionPane>();
    default: return std::make_unique<CLightCurvePane>();
  }
}

// A box's number; false when it holds none.
bool BoxNumber(const vcont::CEditBox& box, double& value) {
  const std::string text = box.Text();
  bool ok = false;
  value = Str::StrToRealA(static_cast<std::uint32_t>(text.size()), text.c_str(), ok);
  return ok && !text.empty();
}

void SetBoxNumber(vcont::CEditBox& box, double value, std::uint32_t decimals) {
  char text[kBoxHigh + 1];
  bool ok = false;
  Str::FixRealToStrA(value, decimals, kBoxHigh, text, ok);
  box.SetText(ok ? text : "");
}

}  // namespace

// ------------------------------------------------------------ chart page

CChartPage::CChartPage(TChartKind chartKind) : kind(chartKind), chart(MakeChart(chartKind)) {}

CChartPage::CChartPage(std::unique_ptr<CLightCurvePane> ownChart) : kind(ckPlain), chart(std::move(ownChart)) {}

CChartPage::~CChartPage() = default;

bool CChartPage::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  if (!view::CNodeView::Init(parent, rect)) return false;
  const int top = ControlsHeight();
  const int bar = vcore::ScaleV(kScrollBarHeight);
  chart->Init(this, vcom::CRect(0, top, rect.width, std::max(0, rect.height - top - bar)));
  scrollBar.Init(this, vcom::CRect(0, std::max(0, rect.height - bar), rect.width, bar), kScrollBarId);
  scrollBar.SetRange(0, kScrollUnits - 1, kScrollUnits, kScrollUnits / 100);
  chart->SetScrollBar(&scrollBar);
  return true;
}

void CChartPage::Done() {
  if (IsInitialized()) {
    chart->Done();
    scrollBar.Done();
  }
  view::CNodeView::Done();
}

void CChartPage::NewRect(const vcom::CRect& rect) {
  const int top = ControlsHeight();
  const int bar = vcore::ScaleV(kScrollBarHeight);
  LayoutControls(rect.width);
  chart->SetRect(vcom::CRect(0, top, rect.width, std::max(0, rect.height - top - bar)));
  scrollBar.SetRect(vcom::CRect(0, std::max(0, rect.height - bar), rect.width, bar));
}

void CChartPage::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl && event.code == kScrollBarId && event.data == vcore::cnScrolled) {
    chart->ScrollTo(scrollBar.Position());
    StopEvent(event);
  }
}

// ------------------------------------------------------------ mirror page

int CMirrorPage::ControlsHeight() const { return 2 * vcore::ScaleV(kRowHeight) + kGap; }

bool CMirrorPage::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  if (!CChartPage::Init(parent, rect)) return false;
  const vcom::CRect r(0, 0, 10, vcore::ScaleV(kRowHeight));
  slider.Init(this, r, kMirrorSliderId, -kSliderHalfRange, kSliderHalfRange, 0);
  freezeMinimum.Init(this, r, kFreezeMinimumId, "Freeze Minimum <F9>:");
  minimumBox.Init(this, r, kMinimumBoxId, "0", kBoxHigh);
  freezeError.Init(this, r, kFreezeErrorId, "Freeze Error <F10>:");
  errorBox.Init(this, r, kErrorBoxId, "0", kBoxHigh);
  addMinimum.Init(this, r, kAddMinimumId, "Add Minimum");
  minimumToM0.Init(this, r, kMinimumToM0Id, "Minimum to M0");
  undefinedType.Init(this, r, kUndefinedTypeId, "Und.", 1);
  primaryType.Init(this, r, kPrimaryTypeId, "Pri.", 1);
  secondaryType.Init(this, r, kSecondaryTypeId, "Sec.", 1);
  primaryType.SetChecked(true);
  LayoutControls(rect.width);
  return true;
}

void CMirrorPage::Done() {
  if (IsInitialized()) {
    for (view::CView* v : std::initializer_list<view::CView*>{&slider, &freezeMinimum, &minimumBox, &freezeError,
                                                               &errorBox, &addMinimum, &minimumToM0, &undefinedType,
                                                               &primaryType, &secondaryType})
      v->Done();
  }
  CChartPage::Done();
}

void CMirrorPage::LayoutControls(int width) {
  if (!slider.IsInitialized()) return;
  const int h = vcore::ScaleV(kRowHeight);
  slider.SetRect(vcom::CRect(kGap, 0, std::max(10, width - 2 * kGap), h));
  // Second row, left to right.
  struct {
    view::CView* view;
    int width;
  } row[] = {{&freezeMinimum, 150}, {&minimumBox, 110}, {&freezeError, 130}, {&errorBox, 80},
             {&undefinedType, 50},  {&primaryType, 50}, {&secondaryType, 50}, {&addMinimum, 100},
             {&minimumToM0, 110}};
  int x = kGap;
  for (const auto& c : row) {
    const int w = vcore::ScaleH(c.width);
    c.view->SetRect(vcom::CRect(x, h + kGap, w, h));
    x += w + kGap;
  }
}

void CMirrorPage::Show(const TBuildRequest& shown) {
  request = shown;
  request.keepZoom = false;
  const CSeriesTreeElem* s = request.selected;
  t1 = s ? s->FirstTime() : 0.0;
  t2 = s ? s->LastTime() : 0.0;
  if (slider.IsInitialized()) slider.SetPosition(0);
  Rebuild();
  UpdateBoxes();
}

void CMirrorPage::MoveWindow(int position) {
  const CSeriesTreeElem* s = request.selected;
  if (!s || s->pointCount == 0) return;
  MirrorWindow(s->FirstTime(), s->LastTime(), position, t1, t2);
  Rebuild();
  UpdateBoxes();
}

void CMirrorPage::Rebuild() { ShowMinimumMirror(Chart(), request, t1, t2); }

void CMirrorPage::UpdateBoxes() {
  if (!minimumBox.IsInitialized()) return;
  const double middle = (t1 + t2) / 2;
  if (!freezeMinimum.IsChecked()) {
    SetBoxNumber(minimumBox, middle, 5);
    SetBoxNumber(errorBox, 0.0, 5);
  } else if (!freezeError.IsChecked()) {
    double frozen = 0;
    if (BoxNumber(minimumBox, frozen)) SetBoxNumber(errorBox, std::fabs(frozen - middle), 5);
  }
}

bool CMirrorPage::AddMinimum() {
  auto* s = const_cast<CSeriesTreeElem*>(request.selected);
  double time = 0, error = 0;
  if (!s || !BoxNumber(minimumBox, time) || !BoxNumber(errorBox, error)) return false;
  const ombrix_data::TMinimumType type = undefinedType.IsChecked() ? ombrix_data::minUndefined
                                         : secondaryType.IsChecked() ? ombrix_data::minSecondary
                                                                     : ombrix_data::minPrimary;
  ombrix_analysis::AddMinimum(*s, time, error, type);
  Rebuild();
  ReportEdit();
  return true;
}

bool CMirrorPage::MinimumToM0() {
  auto* object = const_cast<ombrix_data::CObjectListElem*>(request.object);
  double time = 0;
  if (!object || !BoxNumber(minimumBox, time)) return false;
  object->m0 = time;
  // The boxes hold times of the shown series: M0 takes its scale.
  if (request.selected) object->m0Scale = request.selected->TimeScale();
  ReportEdit();
  return true;
}

void CMirrorPage::ReportEdit() { Send(vcore::evControl, kMirrorEditedId, vcore::cnChanged); }

void CMirrorPage::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl && event.source != this) {
    switch (event.code) {
      case kMirrorSliderId:
        MoveWindow(slider.Position());
        break;
      case kAddMinimumId:
        AddMinimum();
        break;
      case kMinimumToM0Id:
        MinimumToM0();
        break;
      case kFreezeMinimumId:
      case kFreezeErrorId:
        UpdateBoxes();
        break;
      default:
        CChartPage::ReceiveEvent(event);
        return;
    }
    StopEvent(event);
    return;
  }
  CChartPage::ReceiveEvent(event);
}

}  // namespace ombrix_lc
