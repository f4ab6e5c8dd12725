// "Tonight's Eclipses..." of the main window.
#include "ombrix_app/tonight_dialog.h"

#include <charconv>
#include <cstdio>

#include <runbase/fixed_text.h>

#include "dialog_layout.h"
#include "ombrix_app/ombrix.h"

namespace ombrix_app {

namespace {

using namespace layout;
using ombrix_analysis::TNightEclipse;

constexpr int kWidth = 760;
constexpr int kListHeight = 360;

// "HH:MM" of a UTC Julian date.
std::string Clock(double jd) { return ombrix_analysis::UtcMinuteText(jd).substr(11); }

const char* TypeText(ombrix_data::TMinimumType type) { return type == ombrix_data::minSecondary ? "Sec." : "Pri."; }

// The cycle with one decimal, with a decimal point in every locale.
std::string CycleText(double cycle) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text - 1, cycle, std::chars_format::fixed, 1).ptr;
  return std::string(text, end);
}

}  // namespace

std::string TonightLine(const TNightEclipse& e) {
  using ombrix_analysis::emEnd;
  using ombrix_analysis::emMiddle;
  using ombrix_analysis::emStart;
  const std::string start = e.widthKnown ? Clock(e.utc[emStart]) : "  -  ";
  const std::string end = e.widthKnown ? Clock(e.utc[emEnd]) : "  -  ";
  char text[256];
  std::snprintf(text, sizeof text, "%s  %s  %s   %-20.20s %s  E %s   alt %4.0f %4.0f %4.0f   Sun %4.0f %4.0f %4.0f",
                start.c_str(), Clock(e.utc[emMiddle]).c_str(), end.c_str(),
                std::string(FixedText::View(ombrix_data::kObjectNameHigh, e.object->name)).c_str(), TypeText(e.type),
                CycleText(e.cycle).c_str(), e.objectAltitude[emStart], e.objectAltitude[emMiddle], e.objectAltitude[emEnd],
                e.sunAltitude[emStart], e.sunAltitude[emMiddle], e.sunAltitude[emEnd]);
  return text;
}

std::string TonightHeading(const ombrix_analysis::TNightPlan& plan, double sunAltitude) {
  char text[160];
  std::snprintf(text, sizeof text, "Night from %s to %s UTC (Sun below %.0f degrees): %zu eclipses",
                ombrix_analysis::UtcMinuteText(plan.nightStart).c_str(),
                ombrix_analysis::UtcMinuteText(plan.nightEnd).c_str(), sunAltitude, plan.eclipses.size());
  return text;
}

bool CTonightDialog::Init(const ombrix_analysis::TNightPlan& plan, double sunAltitude) {
  const int listY = kGap + 2 * (kRowHeight + 2);
  if (!InitDialog(*this, "Tonight's Eclipses", kWidth, listY + kListHeight + kGap)) return false;
  ShowOKButton(true);
  heading.Init(this, Box(kGap, kGap, kWidth - 2 * kGap, kRowHeight), TonightHeading(plan, sunAltitude).c_str());
  columns.Init(this, Box(kGap, kGap + kRowHeight + 2, kWidth - 2 * kGap, kRowHeight),
               "Start, middle and end in UTC; object and Sun altitudes in degrees at start, middle and end.");
  list.Init(this, Box(kGap, listY, kWidth - 2 * kGap, kListHeight), 0);
  list.UseFixedPitchFont();  // the lines are columns
  for (const TNightEclipse& e : plan.eclipses) list.AddItem(TonightLine(e).c_str());
  return true;
}

void ShowTonightEclipses(COmbrix& window) {
  const TSettings& s = window.settings;
  ombrix_analysis::TNightSite site;
  site.latitude = s.latitude;
  site.longitude = s.longitude;
  site.sunAltitude = s.sunAlt;
  site.starAltitude = s.starAlt;
  site.useStarAltitude = s.showStarAlt;
  ombrix_analysis::TNightPlan plan;
  std::string failure;
  if (!ombrix_analysis::PlanNight(window.pane.field, site, ombrix_analysis::TodayDateJD(), plan, failure)) {
    vdlg::DoMessageBox("Tonight's Eclipses", failure.c_str(), nullptr, nullptr, vdlg::mbOK,
                       vstock::siInformation);
    return;
  }
  CTonightDialog dialog;
  if (dialog.Init(plan, site.sunAltitude)) dialog.Exec();
  dialog.Done();
}

}  // namespace ombrix_app
