// The Prediction page: span pickers, site boxes and limits above the chart.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include <ombrix_model/astro.h>
#include <runbase/os.h>
#include <runbase/str.h>

#include "ombrix_present/chart_page.h"

namespace ombrix_lc {

namespace {

constexpr int kRowHeight = 24;
constexpr int kGap = 4;
constexpr double kHourDays = 1.0 / 24.0;  // shortest span
constexpr double kMaxDays = 3650.0;
constexpr int kDMSHigh = 15;

double PickerJD(const vcalcon::CDateTimePicker& picker) {
  const vcalcon::TDateTime t = picker.Value();
  return os::JD(t.year, t.month, t.day,
                os::HMS2fd(static_cast<std::uint32_t>(t.hour), static_cast<std::uint32_t>(t.minute),
                           static_cast<std::uint32_t>(t.second), 0));
}

vcalcon::TDateTime DateTimeOf(double jd) {
  std::int32_t year = 0, month = 0, day = 0;
  double fraction = 0;
  os::iJD(jd, year, month, day, fraction);
  std::uint32_t h = 0, m = 0, s = 0, ms = 0;
  if (os::fd2HMS(fraction, h, m, s, ms)) {
    os::iJD(std::floor(jd - 0.5) + 1.5, year, month, day, fraction);  // the next day at 0 h
    h = 0;
  }
  vcalcon::TDateTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = static_cast<int>(h);
  t.minute = static_cast<int>(m);
  t.second = static_cast<int>(s);
  return t;
}

// The box's number (0 when it holds none) and whether its text starts with
// a minus sign.
double BoxValue(const vcont::CEditBox& box, bool& negative) {
  std::string text = box.Text();
  text.erase(0, text.find_first_not_of(' '));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  negative = !text.empty() && text[0] == '-';
  bool ok = false;
  const double v = Str::StrToRealA(static_cast<std::uint32_t>(text.size()), text.c_str(), ok);
  return ok ? v : 0.0;
}

void SetDMS(vcont::CEditBox (&boxes)[3], double degrees) {
  int d = 0, m = 0;
  double s = 0;
  ombrix_model::SplitSexagesimal(degrees, d, m, s);
  char text[32];
  if (d == 0 && degrees < 0) {
    std::snprintf(text, sizeof text, "-0");
  } else {
    std::snprintf(text, sizeof text, "%d", d);
  }
  boxes[0].SetText(text);
  std::snprintf(text, sizeof text, "%d", m);
  boxes[1].SetText(text);
  bool ok = false;
  char secondsText[32];
  Str::FixRealToStrA(s, 2, sizeof secondsText - 1, secondsText, ok);
  boxes[2].SetText(ok ? secondsText : "0");
}

}  // namespace

CPredictionPage::CPredictionPage() : CChartPage(ckPrediction) {}

int CPredictionPage::ControlsHeight() const { return 3 * vcore::ScaleV(kRowHeight) + 2 * kGap; }

bool CPredictionPage::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  if (!CChartPage::Init(parent, rect)) return false;
  const vcom::CRect r(0, 0, 10, vcore::ScaleV(kRowHeight));
  fromLabel.Init(this, r, "From:");
  fromPicker.Init(this, r, kFromPickerId);
  endPicker.Init(this, r, kEndPickerId);
  fromNow.Init(this, r, kFromNowId, "From Now");
  rangeLabel.Init(this, r, "Range [d]:");
  rangeBox.Init(this, r, kRangeBoxId, kHourDays, kMaxDays, days, 1.0, 3);
  latitudeLabel.Init(this, r, "Obs. Latitude:");
  longitudeLabel.Init(this, r, "Obs. Longitude:");
  const std::uint32_t ids[2][3] = {{kLatitudeDegId, kLatitudeMinId, kLatitudeSecId},
                                   {kLongitudeDegId, kLongitudeMinId, kLongitudeSecId}};
  for (int i = 0; i < 3; ++i) {
    latitude[i].Init(this, r, ids[0][i], "0", kDMSHigh);
    longitude[i].Init(this, r, ids[1][i], "0", kDMSHigh);
  }
  starAltToggle.Init(this, r, kStarAltToggleId, "Star altitude >");
  starAltBox.Init(this, r, kStarAltBoxId, -90.0, 90.0, site.starAlt, 1.0, 1);
  sunAltToggle.Init(this, r, kSunAltToggleId, "Sun altitude <");
  sunAltBox.Init(this, r, kSunAltBoxId, -90.0, 90.0, site.sunAlt, 1.0, 1);
  hint.Init(this, r, "Hint: Pasting degrees including fraction part causes also filling of Minutes and Seconds");
  // The span starts now whenever the page is made.
  start = CurrentJulianDate();
  end = start + days;
  LayoutControls(rect.width);
  ShowSpan();
  ShowSite();
  return true;
}

void CPredictionPage::Done() {
  if (IsInitialized()) {
    for (view::CView* v : std::initializer_list<view::CView*>{
             &fromLabel, &fromPicker, &endPicker, &fromNow, &rangeLabel, &rangeBox, &latitudeLabel, &longitudeLabel,
             &latitude[0], &latitude[1], &latitude[2], &longitude[0], &longitude[1], &longitude[2], &starAltToggle,
             &starAltBox, &sunAltToggle, &sunAltBox, &hint})
      v->Done();
  }
  object = nullptr;
  CChartPage::Done();
}

void CPredictionPage::LayoutControls(int width) {
  (void)width;
  if (!fromPicker.IsInitialized()) return;
  const int h = vcore::ScaleV(kRowHeight);
  struct TPlace {
    view::CView* view;
    int width;
  };
  const auto row = [&](int y, std::initializer_list<TPlace> places) {
    int x = kGap;
    for (const TPlace& p : places) {
      const int w = vcore::ScaleH(p.width);
      p.view->SetRect(vcom::CRect(x, y, w, h));
      x += w + kGap;
    }
  };
  row(0, {{&fromLabel, 40},
          {&fromPicker, 170},
          {&endPicker, 170},
          {&fromNow, 80},
          {&rangeLabel, 70},
          {&rangeBox, 90},
          {&starAltToggle, 110},
          {&starAltBox, 70},
          {&sunAltToggle, 110},
          {&sunAltBox, 70}});
  row(h + kGap, {{&latitudeLabel, 100},
                 {&latitude[0], 50},
                 {&latitude[1], 40},
                 {&latitude[2], 60},
                 {&longitudeLabel, 110},
                 {&longitude[0], 50},
                 {&longitude[1], 40},
                 {&longitude[2], 60}});
  row(2 * (h + kGap), {{&hint, 600}});
}

void CPredictionPage::SetSettings(const TPredictionSite& kept, double keptDays) {
  site = kept;
  days = std::clamp(keptDays, kHourDays, kMaxDays);
  end = start + days;
  ShowSpan();
  ShowSite();
}

void CPredictionPage::ShowSpan() {
  if (!fromPicker.IsInitialized()) return;
  filling = true;
  fromPicker.SetValue(DateTimeOf(start));
  endPicker.SetValue(DateTimeOf(end));
  rangeBox.SetValue(days);
  filling = false;
}

void CPredictionPage::ShowSite() {
  if (!fromPicker.IsInitialized()) return;
  filling = true;
  SetDMS(latitude, site.latitude);
  SetDMS(longitude, site.longitude);
  starAltToggle.SetChecked(site.useStarAlt);
  starAltBox.SetValue(site.starAlt);
  sunAltToggle.SetChecked(site.useSunAlt);
  sunAltBox.SetValue(site.sunAlt);
  filling = false;
}

void CPredictionPage::Show(const ombrix_data::CObjectListElem* shown) {
  object = shown;
  Rebuild();
}

void CPredictionPage::Rebuild() {
  if (CPredictionPane* chart = PredictionChart()) ShowPrediction(*chart, object, site, start, end);
}

void CPredictionPage::ReportSettings() {
  if (IsInitialized()) Send(vcore::evControl, kPredictionSettingsId, vcore::cnChanged);
}

void CPredictionPage::SetStart(double jd) {
  start = jd;
  end = start + days;
  ShowSpan();
  Rebuild();
}

void CPredictionPage::SetEnd(double jd) {
  end = jd;
  if (end <= start + kHourDays) start = end - kHourDays;
  days = end - start;
  ShowSpan();
  Rebuild();
  ReportSettings();
}

void CPredictionPage::SetDays(double d) {
  days = std::clamp(d, kHourDays, kMaxDays);
  end = start + days;
  ShowSpan();
  Rebuild();
  ReportSettings();
}

void CPredictionPage::FromNow() {
  start = CurrentJulianDate();
  end = start + days;
  ShowSpan();
  Rebuild();
}

void CPredictionPage::SplitDegrees(vcont::CEditBox (&boxes)[3]) {
  const std::string text = boxes[0].Text();
  if (text.find('.') == std::string::npos) return;
  bool negative = false;
  const double degrees = BoxValue(boxes[0], negative);
  filling = true;
  SetDMS(boxes, degrees);
  filling = false;
}

void CPredictionPage::ReadSite() {
  const auto read = [](vcont::CEditBox(&boxes)[3]) {
    bool negative = false, unused = false;
    const double d = BoxValue(boxes[0], negative);
    return DegreesFromDMS(d, std::fabs(BoxValue(boxes[1], unused)), std::fabs(BoxValue(boxes[2], unused)), negative);
  };
  site.latitude = std::clamp(read(latitude), -90.0, 90.0);
  site.longitude = std::clamp(read(longitude), -180.0, 180.0);
  site.useStarAlt = starAltToggle.IsChecked();
  site.starAlt = starAltBox.Value();
  site.useSunAlt = sunAltToggle.IsChecked();
  site.sunAlt = sunAltBox.Value();
}

void CPredictionPage::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind != vcore::evControl || event.source == this || filling) {
    CChartPage::ReceiveEvent(event);
    return;
  }
  switch (event.code) {
    case kFromPickerId: SetStart(PickerJD(fromPicker)); break;
    case kEndPickerId: SetEnd(PickerJD(endPicker)); break;
    case kFromNowId: FromNow(); break;
    case kRangeBoxId: SetDays(rangeBox.Value()); break;
    case kLatitudeDegId:
    case kLatitudeMinId:
    case kLatitudeSecId:
    case kLongitudeDegId:
    case kLongitudeMinId:
    case kLongitudeSecId:
    case kStarAltToggleId:
    case kStarAltBoxId:
    case kSunAltToggleId:
    case kSunAltBoxId:
      if (event.code == kLatitudeDegId) SplitDegrees(latitude);
      if (event.code == kLongitudeDegId) SplitDegrees(longitude);
      ReadSite();
      Rebuild();
      ReportSettings();
      break;
    default: CChartPage::ReceiveEvent(event); return;
  }
  StopEvent(event);
}

}  // namespace ombrix_lc
