// The "Minimum Fit" tab page: window, fields, buttons and the minimum-timing
// commands behind them.
#include "ombrix_app/minimum_page.h"

#include <ombrix_analysis/kvw.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include <runbase/str.h>

namespace ombrix_app {

using namespace ombrix_analysis;

const char* const kMinimumFieldLabels[kMinimumParameterCount] = {"Mag0:", "Phase:", "Trend:", "A:", "D:", "G:", "C:"};

namespace {

constexpr int kRowHeight = 24;
constexpr int kGap = 4;
constexpr std::uint32_t kBoxHigh = 31;
constexpr std::uint32_t kFieldDecimals = 6;
constexpr std::uint32_t kTimeDecimals = 6;
constexpr std::uint32_t kErrorDecimals = 6;
// Application event the chart's view-range listener queues to the page.
constexpr std::uint32_t kViewRangeEvent = 2890;

bool BoxNumber(const vcont::CEditBox& box, double& value) {
  const std::string text = box.Text();
  bool ok = false;
  value = Str::StrToRealA(static_cast<std::uint32_t>(text.size()), text.c_str(), ok);
  return ok && !text.empty();
}

double BoxNumberOrZero(const vcont::CEditBox& box) {
  double value = 0;
  return BoxNumber(box, value) ? value : 0.0;
}

void SetBoxNumber(vcont::CEditBox& box, double value, std::uint32_t decimals) {
  char text[kBoxHigh + 1];
  bool ok = false;
  Str::FixRealToStrA(value, decimals, kBoxHigh, text, ok);
  box.SetText(ok ? text : "");
}

// A positive number in a box, empty otherwise (the dialog's "not set").
void SetPositiveOrEmpty(vcont::CEditBox& box, double value, std::uint32_t decimals) {
  if (value > 0) SetBoxNumber(box, value, decimals);
  else box.SetText("");
}

}  // namespace

// ------------------------------------------------------------ the dialog

namespace {
constexpr int kDialogLabelWidth = 190;
constexpr int kDialogBoxWidth = 140;
constexpr int kDialogRow = 28;
}  // namespace

bool CFindMinimaDialog::Init(const TFindMinimaDialog& v) {
  const int width = vcore::ScaleH(kDialogLabelWidth + kDialogBoxWidth + 3 * kGap);
  if (!COKCancelDialog::Init("Find all minima in series", width, vcore::ScaleV(8 * kDialogRow + kGap))) return false;
  const auto label = [](int row) {
    return vcom::CRect(vcore::ScaleH(kGap), vcore::ScaleV(kGap + row * kDialogRow), vcore::ScaleH(kDialogLabelWidth),
                       vcore::ScaleV(kDialogRow - 4));
  };
  const auto box = [](int row) {
    return vcom::CRect(vcore::ScaleH(2 * kGap + kDialogLabelWidth), vcore::ScaleV(kGap + row * kDialogRow),
                       vcore::ScaleH(kDialogBoxWidth), vcore::ScaleV(kDialogRow - 4));
  };
  labels[0].Init(this, label(0), "M0:");
  m0.Init(this, box(0), 1, "", kBoxHigh);
  labels[1].Init(this, label(1), "Period:");
  period.Init(this, box(1), 2, "", kBoxHigh);
  labels[2].Init(this, label(2), "Min. points on branches:");
  branchPoints.Init(this, box(2), 3, kMinBranchPointsLow, kMinBranchPointsHigh, v.minBranchPoints);
  fitPrimary.Init(this, label(3), 4, "Fit Primary minima");
  labels[3].Init(this, label(4), "Time around Primary:");
  primaryRange.Init(this, box(4), 5, "", kBoxHigh);
  fitSecondary.Init(this, label(5), 6, "Fit Secondary minima");
  labels[4].Init(this, label(6), "Secondary minimum phase:");
  secondaryPhase.Init(this, box(6), 7, "", kBoxHigh);
  labels[5].Init(this, label(7), "Time around Secondary:");
  secondaryRange.Init(this, box(7), 8, "", kBoxHigh);
  SetPositiveOrEmpty(m0, v.m0, kTimeDecimals);
  SetPositiveOrEmpty(period, v.period, 7);
  fitPrimary.SetChecked(v.fitPrimary);
  fitSecondary.SetChecked(v.fitSecondary);
  if (v.fitPrimary || v.fitSecondary) {
    SetPositiveOrEmpty(primaryRange, v.primaryRange, kFieldDecimals);
    SetBoxNumber(secondaryPhase, v.secondaryPhase, kFieldDecimals);
    SetPositiveOrEmpty(secondaryRange, v.secondaryRange, kFieldDecimals);
  }
  return true;
}

void CFindMinimaDialog::Done() {
  for (view::CView* v : std::initializer_list<view::CView*>{&m0, &period, &branchPoints, &fitPrimary, &primaryRange,
                                                            &fitSecondary, &secondaryPhase, &secondaryRange})
    v->Done();
  for (vcont::CStaticText& l : labels) l.Done();
  COKCancelDialog::Done();
}

void CFindMinimaDialog::Store(TFindMinimaDialog& v) const {
  v.m0 = BoxNumberOrZero(m0);
  v.period = BoxNumberOrZero(period);
  v.minBranchPoints = static_cast<int>(branchPoints.Value());
  v.fitPrimary = fitPrimary.IsChecked();
  v.primaryRange = BoxNumberOrZero(primaryRange);
  v.fitSecondary = fitSecondary.IsChecked();
  v.secondaryPhase = BoxNumberOrZero(secondaryPhase);
  v.secondaryRange = BoxNumberOrZero(secondaryRange);
}

// ------------------------------------------------------------ engine views

// The engine's view of the tab: redraws the page and keeps the window
// responsive while the bootstrap workers run.
class CMinimumFitPage::CTab : public TMinimumFitTab {
 public:
  explicit CTab(CMinimumFitPage& owner) : page(owner) {}
  void SetBusy(bool busy) override {
    if (busy) vcore::BeginBusy();
    else vcore::EndBusy();
  }
  void Redraw() override { page.ShowResults(); }
  void DispatchPendingInput() override {
    ++page.dispatches;
    bool once = false;
    vcore::WaitDispatching([&once] { return std::exchange(once, true); });
  }

 private:
  CMinimumFitPage& page;
};

// What "Fit all minima" works on: the dialog and the tab's zoom.
class CMinimumFitPage::CView : public CFindMinimaView {
 public:
  explicit CView(CMinimumFitPage& owner) : page(owner) {}
  bool EditFindMinimaDialog(TFindMinimaDialog& values) override {
    CFindMinimaDialog dialog;
    if (!dialog.Init(values)) return false;
    const bool ok = dialog.Exec();
    if (ok) dialog.Store(values);
    dialog.Done();
    return ok;
  }
  // The engine has set the window; the fields start from its points.
  void ZoomTab(double start, double end) override {
    page.StartFields();
    page.ClearResults();
    page.Rebuild(false);
    page.Chart().SetViewRange(start, end, false, true);
    page.PlaceSliders();
  }

 private:
  CMinimumFitPage& page;
};

// ------------------------------------------------------------ page

CMinimumFitPage::CMinimumFitPage()
    : CChartPage(ombrix_lc::ckMinimumFit), tabState(std::make_unique<CTab>(*this)), tab(*tabState) {
  std::fill(tab.free, tab.free + kMinimumParameterCount, true);
}

CMinimumFitPage::~CMinimumFitPage() = default;

int CMinimumFitPage::ControlsHeight() const { return 3 * (vcore::ScaleV(kRowHeight) + kGap); }

bool CMinimumFitPage::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  if (!CChartPage::Init(parent, rect)) return false;
  const vcom::CRect r(0, 0, 10, vcore::ScaleV(kRowHeight));
  for (int i = 0; i < kMinimumParameterCount; ++i) {
    free[i].Init(this, r, kMinFreeId + i, kMinimumFieldLabels[i]);
    free[i].SetChecked(true);
    fields[i].Init(this, r, kMinFieldId + i, "", kBoxHigh);
  }
  // The time of minimum is always fitted.
  free[mmPhase].SetEnabled(false);
  widthLabel.Init(this, r, "D[d]:");
  widthBox.Init(this, r, kMinWidthDaysId, "", kBoxHigh);
  widthBox.SetReadOnly(true);
  startSlider.Init(this, r, kWindowStartSliderId, 0, kWindowSliderLast, 0);
  endSlider.Init(this, r, kWindowEndSliderId, 0, kWindowSliderLast, kWindowSliderLast);
  windowToZoom.Init(this, r, kWindowToZoomId, "<>");
  windowToZoom.SetToolTip("Set JD limits to current zoom");
  freezeMinimum.Init(this, r, kMinFreezeMinimumId, "Freeze Minimum <F9>:");
  minimumBox.Init(this, r, kMinMinimumBoxId, "", kBoxHigh);
  freezeError.Init(this, r, kMinFreezeErrorId, "Freeze Error <F10>:");
  errorBox.Init(this, r, kMinErrorBoxId, "", kBoxHigh);
  fitMinimum.Init(this, r, kFitMinimumId, "Fit Min.");
  estimateError.Init(this, r, kEstimateErrorId, "Est. Err.");
  fitAllMinima.Init(this, r, kFitAllMinimaId, "Fit all minima");
  undefinedType.Init(this, r, kMinUndefinedTypeId, "Und.", 1);
  primaryType.Init(this, r, kMinPrimaryTypeId, "Pri.", 1);
  secondaryType.Init(this, r, kMinSecondaryTypeId, "Sec.", 1);
  addMinimum.Init(this, r, kAddMinId, "Add Min.");
  method.Init(this, r, kMinMethodId);
  method.AddItem("Model fit");
  method.AddItem("KvW");
  method.SetSelection(0);
  method.SetToolTip("Time minima by the model fit with a bootstrap error, or by Kwee-van Woerden with Deeg's error");
  primaryType.SetChecked(true);
  auto& chart = static_cast<ombrix_lc::CMinimumFitPane&>(Chart());
  chart.SetViewRangeListener([this] {
    if (viewRangePending) return;
    viewRangePending = true;
    vcore::CreateEventA(this, vcore::evApplication, kViewRangeEvent);
  });
  LayoutControls(rect.width);
  return true;
}

void CMinimumFitPage::Done() {
  if (IsInitialized()) {
    static_cast<ombrix_lc::CMinimumFitPane&>(Chart()).SetViewRangeListener(nullptr);
    for (int i = 0; i < kMinimumParameterCount; ++i) {
      free[i].Done();
      fields[i].Done();
    }
    for (view::CView* v : std::initializer_list<view::CView*>{
             &widthLabel, &widthBox, &startSlider, &endSlider, &windowToZoom, &freezeMinimum, &minimumBox, &freezeError,
             &errorBox, &fitMinimum, &estimateError, &fitAllMinima, &undefinedType, &primaryType, &secondaryType,
             &addMinimum, &method})
      v->Done();
  }
  CChartPage::Done();
}

void CMinimumFitPage::LayoutControls(int width) {
  if (!addMinimum.IsInitialized()) return;
  const int h = vcore::ScaleV(kRowHeight);
  struct TPlace {
    view::CView* view;
    int width;
  };
  const auto placeRow = [&](std::initializer_list<TPlace> row, int y) {
    int x = kGap;
    for (const TPlace& c : row) {
      const int w = vcore::ScaleH(c.width);
      c.view->SetRect(vcom::CRect(x, y, w, h));
      x += w + kGap;
    }
  };
  placeRow({{&free[0], 60},
            {&fields[0], 80},
            {&free[1], 64},
            {&fields[1], 80},
            {&free[2], 62},
            {&fields[2], 80},
            {&free[3], 40},
            {&fields[3], 80},
            {&free[4], 40},
            {&fields[4], 80},
            {&free[5], 40},
            {&fields[5], 80},
            {&free[6], 40},
            {&fields[6], 80},
            {&widthLabel, 40},
            {&widthBox, 80}},
           0);
  const int buttonWidth = vcore::ScaleH(36);
  const int half = std::max(10, (width - 4 * kGap - buttonWidth) / 2);
  startSlider.SetRect(vcom::CRect(kGap, h + kGap, half, h));
  endSlider.SetRect(vcom::CRect(2 * kGap + half, h + kGap, half, h));
  windowToZoom.SetRect(vcom::CRect(3 * kGap + 2 * half, h + kGap, buttonWidth, h));
  placeRow({{&freezeMinimum, 150},
            {&minimumBox, 120},
            {&freezeError, 130},
            {&errorBox, 90},
            {&fitMinimum, 70},
            {&estimateError, 70},
            {&fitAllMinima, 100},
            {&undefinedType, 50},
            {&primaryType, 50},
            {&secondaryType, 50},
            {&addMinimum, 80},
            {&method, 90}},
           2 * (h + kGap));
}

void CMinimumFitPage::Show(const ombrix_lc::TBuildRequest& shown) {
  if (running) return;  // a command is using the tab; it redraws when done
  const bool sameSeries = shown.selected && shown.selected == request.selected && shown.object == request.object;
  request = shown;
  const ombrix_data::CSeriesTreeElem* s = request.selected;
  points.clear();
  if (s) {
    points.reserve(s->pointCount);
    for (std::uint32_t i = 0; i < s->pointCount; ++i)
      points.push_back({s->time[i], s->value[i], s->error[i], s->offset, 0, s});
  }
  tab.points = points.data();
  tab.pointCount = points.size();
  if (!sameSeries) {
    tab.start = s && s->pointCount ? s->FirstTime() : 0.0;
    tab.end = s && s->pointCount ? s->LastTime() : 0.0;
    ClearResults();
    StartFields();
  }
  Rebuild(sameSeries && request.keepZoom);
  PlaceSliders();
}

void CMinimumFitPage::Rebuild(bool keepZoom) {
  request.keepZoom = keepZoom;
  auto& chart = static_cast<ombrix_lc::CMinimumFitPane&>(Chart());
  ombrix_lc::ShowMinimumFit(chart, request, tab.start, tab.end, FittedMinimum());
  if (tab.fitted) {
    const TMinimumParameters parameters = tab.parameters;
    chart.SetMinimumModel(tab.start, tab.end, [parameters](double x) { return EvaluateMinimumModel(parameters, x); });
  }
}

double CMinimumFitPage::FittedMinimum() const {
  double t = 0;
  return BoxNumber(minimumBox, t) ? t : 0.0;
}

void CMinimumFitPage::ReadFields() {
  for (int i = 0; i < kMinimumParameterCount; ++i) {
    double value = 0;
    if (BoxNumber(fields[i], value)) tab.fields[i] = value;
    tab.free[i] = i == mmPhase || free[i].IsChecked();
  }
}

void CMinimumFitPage::ShowFields() {
  if (!fields[0].IsInitialized()) return;
  filling = true;
  for (int i = 0; i < kMinimumParameterCount; ++i) SetBoxNumber(fields[i], tab.fields[i], kFieldDecimals);
  filling = false;
}

void CMinimumFitPage::StartFields() {
  if (tab.pointCount == 0 || !(tab.end > tab.start)) return;
  StartMinimumFromWindow(tab);
  ShowFields();
}

// The engine's results into the boxes; frozen boxes keep what they hold.
void CMinimumFitPage::ShowResults() {
  if (!minimumBox.IsInitialized()) return;
  filling = true;
  if (tab.fitted) {
    std::copy(tab.parameters.value, tab.parameters.value + kMinimumParameterCount, tab.fields);
    ShowFields();
    SetBoxNumber(widthBox, tab.widthDays, kFieldDecimals);
    if (!freezeMinimum.IsChecked()) SetBoxNumber(minimumBox, tab.minimumTime, kTimeDecimals);
  } else {
    widthBox.SetText("");
    // A KvW timing has a time and an error but no model curve.
    if (!freezeMinimum.IsChecked()) {
      if (tab.errorShown) SetBoxNumber(minimumBox, tab.minimumTime, kTimeDecimals);
      else minimumBox.SetText("");
    }
  }
  if (!freezeError.IsChecked()) {
    if (tab.errorShown) SetBoxNumber(errorBox, tab.minimumError, kErrorDecimals);
    else errorBox.SetText("");
  }
  filling = false;
  Rebuild(true);
}

void CMinimumFitPage::ClearResults() {
  tab.fitted = false;
  tab.errorShown = false;
  tab.minimumTime = tab.minimumError = 0;
  if (!minimumBox.IsInitialized()) return;
  widthBox.SetText("");
  if (!freezeMinimum.IsChecked()) minimumBox.SetText("");
  if (!freezeError.IsChecked()) errorBox.SetText("");
}

double CMinimumFitPage::SliderTime(int position) const {
  const ombrix_lc::CLightCurvePane& chart = const_cast<CMinimumFitPage*>(this)->Chart();
  const double span = chart.VisibleMax() - chart.VisibleMin();
  return chart.VisibleMin() + position * span / (kWindowSliderLast + 1);
}

void CMinimumFitPage::PlaceSliders() {
  if (!startSlider.IsInitialized()) return;
  const ombrix_lc::CLightCurvePane& chart = Chart();
  const double span = chart.VisibleMax() - chart.VisibleMin();
  const auto position = [&](double t) {
    if (!(span > 0)) return 0;
    const long p = std::lround((t - chart.VisibleMin()) * (kWindowSliderLast + 1) / span);
    return static_cast<int>(std::clamp<long>(p, 0, kWindowSliderLast));
  };
  startSlider.SetPosition(position(tab.start));
  endSlider.SetPosition(position(tab.end));
}

void CMinimumFitPage::SetWindow(double start, double end) {
  tab.start = start;
  tab.end = end;
  ClearResults();
  StartFields();
  Rebuild(true);
}

// Moving one slider past the other pushes the other one position beyond it.
void CMinimumFitPage::MoveStartSlider(int position) {
  position = std::min(position, kWindowSliderLast - 1);
  if (endSlider.Position() <= position) endSlider.SetPosition(position + 1);
  startSlider.SetPosition(position);
  SetWindow(SliderTime(position), SliderTime(endSlider.Position()));
}

void CMinimumFitPage::MoveEndSlider(int position) {
  position = std::max(position, 1);
  if (startSlider.Position() >= position) startSlider.SetPosition(position - 1);
  endSlider.SetPosition(position);
  SetWindow(SliderTime(startSlider.Position()), SliderTime(position));
}

void CMinimumFitPage::WindowToZoom() {
  startSlider.SetPosition(0);
  endSlider.SetPosition(kWindowSliderLast);
  SetWindow(SliderTime(0), SliderTime(kWindowSliderLast));
}

// After a zoom or pan the window is kept inside the visible range; a limit
// outside moves onto the edge and clears the result.
void CMinimumFitPage::ViewRangeChanged() {
  viewRangePending = false;
  if (running || !request.selected || tab.pointCount == 0) return;
  const ombrix_lc::CLightCurvePane& chart = Chart();
  const double from = chart.VisibleMin(), to = chart.VisibleMax();
  if (!(to > from)) return;
  const double start = std::clamp(tab.start, from, to), end = std::clamp(tab.end, from, to);
  if (start != tab.start || end != tab.end) SetWindow(start, end);
  PlaceSliders();
}

// The commands are modal: while one runs (the bootstrap keeps dispatching
// window events) the tab's buttons, sliders and zoom leave the tab alone.
bool CMinimumFitPage::FitMin() {
  if (!request.selected || running) return false;
  ReadFields();
  running = true;
  const bool ok = tab.method == ombrix_analysis::TMinimumMethod::kvw
                      ? ombrix_analysis::FitMinimumKvW(tab, io, tab.kvwReflections)
                      : FitMinimum(tab, io);
  running = false;
  ShowResults();
  return ok;
}

bool CMinimumFitPage::EstimateError() {
  if (!request.selected || running) return false;
  running = true;
  const bool ok = EstimateMinimumError(tab, io);
  running = false;
  ShowResults();
  return ok;
}

int CMinimumFitPage::FitAllMinima() {
  if (running) return 0;
  CView view(*this);
  view.object = const_cast<ombrix_data::CObjectListElem*>(request.object);
  view.series = const_cast<ombrix_data::CSeriesTreeElem*>(request.selected);
  view.tab = &tab;
  ReadFields();
  running = true;
  const int added = FindAllMinima(view, io);
  running = false;
  PlaceSliders();
  // The dialog stores the time ranges into the object whatever was added.
  ReportEdit();
  return added;
}

bool CMinimumFitPage::AddMin() {
  auto* s = const_cast<ombrix_data::CSeriesTreeElem*>(request.selected);
  double time = 0;
  if (!s || !BoxNumber(minimumBox, time)) return false;
  const double error = BoxNumberOrZero(errorBox);
  const ombrix_data::TMinimumType type = undefinedType.IsChecked()   ? ombrix_data::minUndefined
                                         : secondaryType.IsChecked() ? ombrix_data::minSecondary
                                                                     : ombrix_data::minPrimary;
  AddMinimum(*s, time, error, type);
  Rebuild(true);
  ReportEdit();
  return true;
}

void CMinimumFitPage::ReportEdit() { Send(vcore::evControl, kMinimumEditedId, vcore::cnChanged); }

void CMinimumFitPage::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evApplication && event.code == kViewRangeEvent) {
    ViewRangeChanged();
    StopEvent(event);
    return;
  }
  if (event.kind != vcore::evControl || event.source == this) {
    CChartPage::ReceiveEvent(event);
    return;
  }
  if (running) {
    StopEvent(event);
    return;
  }
  switch (event.code) {
    case kWindowStartSliderId: MoveStartSlider(startSlider.Position()); break;
    case kWindowEndSliderId: MoveEndSlider(endSlider.Position()); break;
    case kWindowToZoomId: WindowToZoom(); break;
    case kFitMinimumId: FitMin(); break;
    case kEstimateErrorId: EstimateError(); break;
    case kFitAllMinimaId: FitAllMinima(); break;
    case kAddMinId: AddMin(); break;
    case kMinMethodId:
      tab.method = method.Selection() == 1 ? ombrix_analysis::TMinimumMethod::kvw : ombrix_analysis::TMinimumMethod::model;
      break;
    default:
      if (event.code >= kMinFieldId && event.code < kMinSecondaryTypeId + 1) break;  // read when used
      CChartPage::ReceiveEvent(event);
      return;
  }
  StopEvent(event);
}

}  // namespace ombrix_app
