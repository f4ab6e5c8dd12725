// ombrix-cli plan <file.ofd> [--date D] [--lat X] [--lon Y] [--sun-alt A]
// [--star-alt B]: every minimum of the field's objects in one night at the
// observer's site.
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include <corekit/vscan.h>
#include <runbase/machine.h>
#include <runbase/os.h>

#include "field_commands/field_loading.h"
#include "ombrix_analysis/tonight.h"
#include "ombrix_cli/arguments.h"
#include "ombrix_model/time_scales.h"
#include "options.h"
#include "output.h"

namespace ombrix_cli {

namespace {

using namespace ombrix_analysis;

constexpr const char kName[] = "plan";

// The site and limits of the program's prediction settings, where the
// settings file has them.
void ReadSettingsSite(TNightSite& site) {
  const std::string path = machine::ConfigFolder() + "/OMBRIX/ombrix.ini";
  vscan::CTextScanner settings;
  if (machine::ConfigFolder().empty() || !settings.Init(static_cast<std::uint32_t>(path.size()), path.c_str()) ||
      !settings.SetSection(6, "OMBRIX"))
    return;
  const auto key = [](const char* name) { return static_cast<std::uint32_t>(std::char_traits<char>::length(name)); };
  settings.GetKeyReal(key("Latitude"), "Latitude", site.latitude);
  settings.GetKeyReal(key("Longitude"), "Longitude", site.longitude);
  settings.GetKeyReal(key("SunAlt"), "SunAlt", site.sunAltitude);
  settings.GetKeyReal(key("StarAlt"), "StarAlt", site.starAltitude);
  settings.GetKeyBool(key("ShowStarAlt"), "ShowStarAlt", site.useStarAltitude);
}

// "YYYY-MM-DD" as the Julian date of its 0 h UT.
bool ParseDate(const char* text, double& jd) {
  int year = 0, month = 0, day = 0;
  char rest = 0;
  if (std::sscanf(text, "%4d-%2d-%2d%c", &year, &month, &day, &rest) != 3) return false;
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  jd = os::JD(year, month, day, 0.0);
  std::int32_t y = 0, m = 0, d = 0;
  double fraction = 0;
  os::iJD(jd, y, m, d, fraction);
  return y == year && m == month && d == day;  // no 31 April
}

std::string Degrees(double x) { return Fixed(x, 1); }

bool ReadSite(const TParsedArguments& parsed, TNightSite& site, std::ostream& err) {
  ReadSettingsSite(site);
  const bool starLimitGiven = parsed.Has("--star-alt");
  if (!NumberOption(kName, parsed, "--lat", site.latitude, err) ||
      !NumberOption(kName, parsed, "--lon", site.longitude, err) ||
      !NumberOption(kName, parsed, "--sun-alt", site.sunAltitude, err) ||
      !NumberOption(kName, parsed, "--star-alt", site.starAltitude, err))
    return false;
  if (starLimitGiven) site.useStarAltitude = true;
  if (std::fabs(site.latitude) > 90 || std::fabs(site.longitude) > 180) {
    err << "ombrix-cli plan: --lat lies within -90 to 90 and --lon within -180 to 180 degrees\n";
    return false;
  }
  return true;
}

void PrintEclipse(const TNightEclipse& e, std::ostream& out) {
  char name[ombrix_data::kObjectNameHigh + 2];
  e.object->GetDisplayName(ombrix_data::kObjectNameHigh + 1, name);
  const auto moment = [&](int m) { return e.widthKnown || m == emMiddle ? UtcMinuteText(e.utc[m], 'T') : std::string("-"); };
  const auto altitudes = [&](const double* a) {
    std::string text;
    for (int m = emStart; m <= emEnd; ++m)
      text += ' ' + (e.widthKnown || m == emMiddle ? Degrees(a[m]) : std::string("-"));
    return text;
  };
  out << "eclipse \"" << name << "\" " << (e.type == ombrix_data::minSecondary ? "secondary" : "primary")
      << " start " << moment(emStart) << " middle " << moment(emMiddle) << " end " << moment(emEnd)
      << " altitude" << altitudes(e.objectAltitude) << " sun" << altitudes(e.sunAltitude) << " minimum "
      << Fixed(e.minimum, 5) << ' ' << ombrix_model::TimeScaleLabel(e.scale) << " cycle " << Fixed(e.cycle, 1)
      << '\n';
}

int RunPlan(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  if (!ParseArguments(kName, arguments,
                      {{"--date", true}, {"--lat", true}, {"--lon", true}, {"--sun-alt", true}, {"--star-alt", true}},
                      1, 1, parsed, err))
    return kExitUsage;
  double date = TodayDateJD();
  if (const char* text = parsed.Value("--date"); text && !ParseDate(text, date)) {
    err << "ombrix-cli plan: --date needs a date YYYY-MM-DD, not \"" << text << "\"\n";
    return kExitUsage;
  }
  TNightSite site;
  if (!ReadSite(parsed, site, err)) return kExitUsage;

  ombrix_data::CField field;
  if (!LoadFieldForCli(parsed.positional[0], field, out, err)) return kExitFailure;
  TNightPlan plan;
  std::string failure;
  if (!PlanNight(field, site, date, plan, failure)) {
    err << failure << '\n';
    return kExitFailure;
  }
  out << "night " << UtcMinuteText(plan.nightStart, 'T') << " to " << UtcMinuteText(plan.nightEnd, 'T') << " UTC, Sun below "
      << Degrees(site.sunAltitude) << " degrees\n";
  for (const TNightEclipse& e : plan.eclipses) PrintEclipse(e, out);
  for (const TSkippedObject& s : plan.skipped) {
    char name[ombrix_data::kObjectNameHigh + 2];
    s.object->GetDisplayName(ombrix_data::kObjectNameHigh + 1, name);
    out << "skipped \"" << name << "\": " << s.reason << '\n';
  }
  return kExitOk;
}

}  // namespace

extern const TCliCommand PlanCommand = {
    kName, "the minima of the field's objects in one night at the observer's site",
    "Usage: ombrix-cli plan <file.ofd> [--date YYYY-MM-DD] [--lat X] [--lon Y]\n"
    "                       [--sun-alt A] [--star-alt B]\n"
    "\n"
    "Loads the field and lists every primary and secondary minimum of its\n"
    "objects whose middle falls into the night that begins on the evening of\n"
    "--date (default: today, UTC) at the observer's site: latitude X and east\n"
    "longitude Y in degrees, the night being where the Sun stands below A\n"
    "degrees (default -12). With --star-alt, minima whose object stands below\n"
    "B degrees at mid-eclipse are left out. Values not given come from the\n"
    "program's prediction settings (Latitude, Longitude, SunAlt, StarAlt with\n"
    "ShowStarAlt) when its settings file has them. Objects need M0, period and\n"
    "coordinates; the secondary minimum sits at the fit's secondary phase (0.5\n"
    "without a fit), and start and end come from the fitted eclipse widths.\n"
    "\n"
    "It prints \"night START to END UTC, Sun below A degrees\", then one line per\n"
    "minimum in time order: \"eclipse \\\"NAME\\\" primary|secondary start T middle T\n"
    "end T altitude A A A sun S S S minimum M SCALE cycle E\", times in UTC as\n"
    "YYYY-MM-DDTHH:MM, altitudes in degrees at start, middle and end (start and\n"
    "end \"-\" without a fit), M the predicted minimum in the time scale of M0;\n"
    "then \"skipped \\\"NAME\\\": REASON\" for objects without elements or\n"
    "coordinates. Without a site, or when the Sun stays above A, the reason\n"
    "goes to the error output with status 1.\n",
    RunPlan};

}  // namespace ombrix_cli
