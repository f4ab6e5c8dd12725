// The controls above the tabs: M0, period and the selected series' offset,
// with their sliders and buttons.
#include <algorithm>
#include <cmath>
#include <string>

#include <ombrix_present/curve_data.h>
#include <runbase/str.h>

#include "ombrix_app/pane.h"

namespace ombrix_app {

namespace {

constexpr int kRowHeight = 24;
constexpr int kGap = 4;
constexpr std::uint32_t kNumberHigh = 31;

bool ReadNumber(const std::string& text, double& value) {
  bool ok = false;
  value = Str::StrToRealA(static_cast<std::uint32_t>(text.size()), text.c_str(), ok);
  return ok && !text.empty();
}

std::string NumberText(double value, std::uint32_t decimals) {
  char text[kNumberHigh + 1];
  bool ok = false;
  Str::FixRealToStrA(value, decimals, kNumberHigh, text, ok);
  return ok ? text : "";
}

// The slider position at which the multiplier equals the saved one.
int NeutralMultiplierPosition(double range) {
  const double span = range - 1.0 / range;
  if (span == 0.0 || !std::isfinite(span)) return 0;
  const double k = (1.0 - 1.0 / range) / span * 6001.0 - 3000.0;
  return static_cast<int>(std::clamp(std::lround(k), -3000L, 3000L));
}

}  // namespace

bool CObjectControls::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  if (!view::CNodeView::Init(parent, rect)) return false;
  const vcom::CRect r(0, 0, 10, vcore::ScaleV(kRowHeight));
  const int half = ombrix_lc::kSliderHalfRange;
  m0Label.Init(this, r, "M0:");
  m0Box.Init(this, r, kM0BoxId, true);
  periodLabel.Init(this, r, "P:");
  periodBox.Init(this, r, kPeriodBoxId, true);
  periodRangeLabel.Init(this, r, "-+");
  periodRange.Init(this, r, kPeriodRangeId, "0.1", kNumberHigh);
  doublePeriod.Init(this, r, kDoublePeriodId, "x2");
  doublePeriod.SetToolTip("Period := Period * 2");
  halvePeriod.Init(this, r, kHalvePeriodId, "/2");
  halvePeriod.SetToolTip("Period := Period / 2");
  acceptPeriod.Init(this, r, kAcceptPeriodId, "Accept M0 and Period");
  restorePeriod.Init(this, r, kRestorePeriodId, "Restore M0 and Period");
  periodSlider.Init(this, r, kPeriodSliderId, -half, half, 0);
  offsetLabel.Init(this, r, "Series offset [Mag]:");
  offsetBox.Init(this, r, kOffsetBoxId, "", kNumberHigh);
  offsetRangeLabel.Init(this, r, "-+");
  offsetRange.Init(this, r, kOffsetRangeId, "0.1", kNumberHigh);
  offsetSlider.Init(this, r, kOffsetSliderId, -half, half, 0);
  acceptOffset.Init(this, r, kAcceptOffsetId, "Accept Offset");
  restoreOffset.Init(this, r, kRestoreOffsetId, "Restore Offset");
  ShowObject(nullptr);
  return true;
}

void CObjectControls::Done() {
  if (IsInitialized()) {
    for (view::CView* v : std::initializer_list<view::CView*>{
             &m0Label, &m0Box, &periodLabel, &periodBox, &periodRangeLabel, &periodRange, &doublePeriod,
             &halvePeriod, &acceptPeriod, &restorePeriod, &periodSlider, &offsetLabel, &offsetBox,
             &offsetRangeLabel, &offsetRange, &offsetSlider, &acceptOffset, &restoreOffset})
      v->Done();
  }
  object = nullptr;
  series = nullptr;
  view::CNodeView::Done();
}

int CObjectControls::Height() const { return 3 * vcore::ScaleV(kRowHeight) + 4 * kGap; }

void CObjectControls::NewRect(const vcom::CRect& rect) { Layout(rect.width); }

void CObjectControls::Layout(int width) {
  if (!m0Box.IsInitialized()) return;
  const int h = vcore::ScaleV(kRowHeight);
  struct TCell {
    view::CView* view;
    int width;  // at 96 dpi; 0 stretches to the row's end
  };
  auto row = [&](int y, std::initializer_list<TCell> cells) {
    int x = kGap;
    for (const TCell& c : cells) {
      const int w = c.width > 0 ? vcore::ScaleH(c.width) : std::max(20, width - x - kGap);
      c.view->SetRect(vcom::CRect(x, y, w, h));
      x += w + kGap;
    }
  };
  row(kGap, {{&m0Label, 28}, {&m0Box, 130}, {&periodLabel, 18}, {&periodBox, 110}, {&periodRangeLabel, 18},
             {&periodRange, 60}, {&doublePeriod, 30}, {&halvePeriod, 30}, {&acceptPeriod, 150},
             {&restorePeriod, 150}});
  row(2 * kGap + h, {{&periodSlider, 0}});
  row(3 * kGap + 2 * h, {{&offsetLabel, 130}, {&offsetBox, 80}, {&offsetRangeLabel, 18}, {&offsetRange, 60},
                         {&acceptOffset, 100}, {&restoreOffset, 100}, {&offsetSlider, 0}});
}

// ------------------------------------------------------------ showing

void CObjectControls::ShowObject(ombrix_data::CObjectListElem* shown) {
  object = shown;
  series = nullptr;  // a series of the previous object
  showing = true;
  ShowPeriods();
  if (object) {
    periodRange.SetText(NumberText(object->periodAmplitude, 4).c_str());
    offsetRange.SetText(NumberText(object->offsetAmplitude, 4).c_str());
    offsetLabel.SetText(object->fluxFlag ? "Series multiply [Flux]:" : "Series offset [Mag]:");
  }
  ShowNumbers();
  periodSlider.SetPosition(0);
  showing = false;
  for (view::CView* v : std::initializer_list<view::CView*>{&m0Box, &periodBox, &periodRange, &periodSlider,
                                                             &doublePeriod, &halvePeriod, &acceptPeriod,
                                                             &restorePeriod})
    v->SetEnabled(object != nullptr);
  ShowSeries(nullptr);
}

void CObjectControls::ShowPeriods() {
  const bool was = showing;
  showing = true;
  periodBox.Clear();
  if (object)
    for (const vlist::CListElem* e = object->periods.first; e; e = e->next)
      periodBox.AddItem(NumberText(static_cast<const ombrix_data::CPeriodListElem*>(e)->period, 7).c_str());
  // Clearing the list empties the box: the period shows again.
  periodBox.SetText(object ? NumberText(object->period, 7).c_str() : "");
  showing = was;
}

void CObjectControls::ShowNumbers() {
  const bool was = showing;
  showing = true;
  m0Box.SetText(object ? NumberText(object->m0, 6).c_str() : "");
  periodBox.SetText(object ? NumberText(object->period, 7).c_str() : "");
  showing = was;
}

void CObjectControls::ShowSeries(ombrix_data::CSeriesTreeElem* shown) {
  series = object ? shown : nullptr;
  savedOffset = series ? series->offset : 0.0;
  showing = true;
  ShowOffset();
  const double range = object ? object->offsetAmplitude : 0.1;
  offsetSlider.SetPosition(object && object->fluxFlag ? NeutralMultiplierPosition(range) : 0);
  showing = false;
  for (view::CView* v : std::initializer_list<view::CView*>{&offsetBox, &offsetRange, &offsetSlider,
                                                             &acceptOffset, &restoreOffset})
    v->SetEnabled(series != nullptr);
}

void CObjectControls::ShowOffset() {
  const bool was = showing;
  showing = true;
  offsetBox.SetText(series ? NumberText(series->offset, 4).c_str() : "");
  showing = was;
}

// ------------------------------------------------------------ changes

void CObjectControls::SetPeriod(double period, bool moveSlider) {
  if (!object) return;
  object->period = period;
  ShowNumbers();
  if (moveSlider) {
    const bool was = showing;
    showing = true;
    periodSlider.SetPosition(ombrix_lc::SliderFromPeriod(period, object->savedPeriod, object->periodAmplitude));
    showing = was;
  }
}

void CObjectControls::MovePeriodSlider(int position) {
  if (!object) return;
  SetPeriod(ombrix_lc::PeriodFromSlider(object->savedPeriod, object->periodAmplitude, position), false);
  Changed(kPeriodSliderId);
}

void CObjectControls::MoveOffsetSlider(int position) {
  if (!object || !series) return;
  const double range = object->offsetAmplitude;
  series->offset = object->fluxFlag ? ombrix_lc::MultiplierFromSlider(savedOffset, range, position)
                                    : ombrix_lc::OffsetFromSlider(savedOffset, range, position);
  ShowOffset();
  Changed(kOffsetSliderId);
}

void CObjectControls::Changed(std::uint32_t id) { Send(vcore::evControl, kControlsChangedId, id); }

// A typed M0, period, range or offset: taken when it reads as a number from
// 0 upward.
void CObjectControls::TypedNumber(std::uint32_t id) {
  double v = 0.0;
  switch (id) {
    case kM0BoxId:
      if (!object || !ReadNumber(m0Box.Text(), v) || v < 0) return;
      object->m0 = v;
      break;
    case kPeriodBoxId:
      if (!object || !ReadNumber(periodBox.Text(), v) || v < 0) return;
      object->period = v;
      showing = true;
      periodSlider.SetPosition(ombrix_lc::SliderFromPeriod(v, object->savedPeriod, object->periodAmplitude));
      showing = false;
      break;
    case kPeriodRangeId:
      if (!object || !ReadNumber(periodRange.Text(), v) || v <= 0) return;
      object->periodAmplitude = v;
      break;
    case kOffsetRangeId:
      if (!object || !ReadNumber(offsetRange.Text(), v) || v <= 0) return;
      object->offsetAmplitude = v;
      break;
    case kOffsetBoxId:
      if (!series || !ReadNumber(offsetBox.Text(), v)) return;
      series->offset = v;
      break;
    default:
      return;
  }
  Changed(id);
}

void CObjectControls::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind != vcore::evControl || event.code == kControlsChangedId) return;
  if (showing) {
    StopEvent(event);
    return;
  }
  switch (event.code) {
    case kM0BoxId: case kPeriodBoxId: case kPeriodRangeId: case kOffsetRangeId: case kOffsetBoxId:
      TypedNumber(event.code);
      break;
    case kPeriodSliderId:
      MovePeriodSlider(periodSlider.Position());
      break;
    case kOffsetSliderId:
      MoveOffsetSlider(offsetSlider.Position());
      break;
    case kDoublePeriodId:
    case kHalvePeriodId:
      if (!object) break;
      SetPeriod(event.code == kDoublePeriodId ? object->period * 2 : object->period / 2, true);
      Changed(event.code);
      break;
    case kAcceptPeriodId:
      if (!object) break;
      object->savedM0 = object->m0;
      object->savedPeriod = object->period;
      showing = true;
      periodSlider.SetPosition(0);
      showing = false;
      Changed(event.code);
      break;
    case kRestorePeriodId:
      if (!object) break;
      object->m0 = object->savedM0;
      SetPeriod(object->savedPeriod, true);
      Changed(event.code);
      break;
    case kAcceptOffsetId:
    case kRestoreOffsetId:
      if (!series) break;
      if (event.code == kAcceptOffsetId) {
        savedOffset = series->offset;
      } else {
        series->offset = savedOffset;
      }
      ShowSeries(series);
      Changed(event.code);
      break;
    default:
      return;
  }
  StopEvent(event);
}

}  // namespace ombrix_app
