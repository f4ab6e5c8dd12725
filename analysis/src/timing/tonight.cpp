// The eclipses of one night at the observer's site.
#include "ombrix_analysis/tonight.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <cstdio>

#include <ombrix_field/series_file.h>
#include <ombrix_model/astro.h>
#include <ombrix_model/light_curve_model.h>
#include <runbase/os.h>

namespace ombrix_analysis {

namespace {

using ombrix_model::TTimeScale;

// The Sun's altitude is sampled this often (days) to find the night, and
// its limit crossings are then halved down to about a second.
constexpr double kSunSampleStep = 5.0 / 1440.0;
constexpr int kCrossingHalvings = 20;

bool IsDark(const TNightSite& site, double jd) {
  return ombrix_model::SunAltitude(jd, site.latitude, site.longitude) < site.sunAltitude;
}

// The time between `light` and `dark` where the Sun passes the limit.
double Crossing(const TNightSite& site, double light, double dark) {
  for (int i = 0; i < kCrossingHalvings; ++i) {
    const double middle = 0.5 * (light + dark);
    (IsDark(site, middle) ? dark : light) = middle;
  }
  return 0.5 * (light + dark);
}

// What the plan needs of an object, or why it cannot be planned.
struct TObjectEphemeris {
  double ra = 0, dec = 0;
  double secondaryPhase = 0.5;
  bool secondary = true;
  double halfWidth[2] = {0, 0};  // days: primary, secondary
  bool widthKnown = false;
};

const char* ReadEphemeris(const ombrix_data::CObjectListElem& object, TObjectEphemeris& e) {
  if (object.m0 == 0.0 || !(object.period > 0.0)) return "no M0 or period";
  double ra = ombrix_data::kUnknownRA, dec = ombrix_data::kUnknownDec;
  ombrix_data::GetConversionCoordinates(object, true, ra, dec);
  if (!ombrix_data::IsRAKnown(ra) || !ombrix_data::IsDecKnown(dec)) return "no coordinates";
  e.ra = ra;
  e.dec = dec;
  if (!ombrix_model::IsFitDefined(object.fit)) return nullptr;
  ombrix_model::TFitParameters fit = object.fit;
  ombrix_model::PrepareLightCurveModel(fit);
  e.secondaryPhase = fit[ombrix_model::fpSecPhase];
  e.secondary = fit[ombrix_model::fpASec] != 0.0;
  e.halfWidth[0] = ombrix_model::EclipseHalfWidth(fit, true) * object.period;
  e.halfWidth[1] = ombrix_model::EclipseHalfWidth(fit, false) * object.period;
  e.widthKnown = true;
  return nullptr;
}

// Adds the minima of one kind (primary, or secondary at `phase`) whose
// middle falls into the night.
void AddEclipses(const ombrix_data::CObjectListElem& object, const TObjectEphemeris& e, const TNightSite& site,
                 double nightStart, double nightEnd, ombrix_data::TMinimumType type, std::vector<TNightEclipse>& out) {
  const TTimeScale scale = object.m0Scale;
  const bool secondary = type == ombrix_data::minSecondary;
  const double offset = secondary ? e.secondaryPhase : 0.0;
  const double halfWidth = e.halfWidth[secondary ? 1 : 0];
  double first = 0, last = 0;
  // The night in the ephemeris' scale, widened by a minute for the light
  // time's change over it.
  if (!ombrix_model::TimeInScale(nightStart, scale, e.ra, e.dec, first) ||
      !ombrix_model::TimeInScale(nightEnd, scale, e.ra, e.dec, last))
    return;
  const double margin = 1.0 / 1440.0;
  const double lowCycle = std::ceil((first - margin - object.m0) / object.period - offset);
  const double highCycle = std::floor((last + margin - object.m0) / object.period - offset);
  for (double cycle = lowCycle; cycle <= highCycle; ++cycle) {
    TNightEclipse eclipse;
    eclipse.object = &object;
    eclipse.type = type;
    eclipse.cycle = cycle + offset;
    eclipse.scale = scale;
    eclipse.minimum = object.m0 + eclipse.cycle * object.period;
    double middle = 0;
    if (!ombrix_model::GeocentricJD(eclipse.minimum, scale, e.ra, e.dec, middle)) continue;
    if (middle < nightStart || middle > nightEnd) continue;
    eclipse.widthKnown = e.widthKnown && halfWidth > 0.0;
    const double h = eclipse.widthKnown ? halfWidth : 0.0;
    eclipse.utc[emStart] = middle - h;
    eclipse.utc[emMiddle] = middle;
    eclipse.utc[emEnd] = middle + h;
    for (int m = emStart; m <= emEnd; ++m) {
      eclipse.objectAltitude[m] = ombrix_model::StarAltitude(eclipse.utc[m], e.ra, e.dec, site.latitude, site.longitude);
      eclipse.sunAltitude[m] = ombrix_model::SunAltitude(eclipse.utc[m], site.latitude, site.longitude);
    }
    if (site.useStarAltitude && eclipse.objectAltitude[emMiddle] < site.starAltitude) continue;
    out.push_back(eclipse);
  }
}

}  // namespace

bool FindNight(const TNightSite& site, double dateJD, double& start, double& end, std::string& failure) {
  if (site.latitude == 0.0 || site.longitude == 0.0) {
    failure = "The observer's site is not set (latitude and longitude).";
    return false;
  }
  const double localNoon = dateJD + 0.5 - site.longitude / 360.0;
  const int samples = static_cast<int>(std::lround(1.0 / kSunSampleStep));
  int firstDark = -1, lastDark = -1;
  for (int i = 0; i <= samples; ++i) {
    if (!IsDark(site, localNoon + i * kSunSampleStep)) {
      if (firstDark >= 0) break;  // the night is over
      continue;
    }
    if (firstDark < 0) firstDark = i;
    lastDark = i;
  }
  if (firstDark < 0) {
    failure = "The Sun does not sink below the altitude limit that night.";
    return false;
  }
  start = firstDark == 0 ? localNoon
                         : Crossing(site, localNoon + (firstDark - 1) * kSunSampleStep, localNoon + firstDark * kSunSampleStep);
  end = lastDark == samples ? localNoon + samples * kSunSampleStep
                            : Crossing(site, localNoon + (lastDark + 1) * kSunSampleStep, localNoon + lastDark * kSunSampleStep);
  return true;
}

bool PlanNight(const ombrix_data::CField& field, const TNightSite& site, double dateJD, TNightPlan& plan,
               std::string& failure) {
  plan = TNightPlan{};
  if (!FindNight(site, dateJD, plan.nightStart, plan.nightEnd, failure)) return false;
  for (const ombrix_data::CObjectListElem* o = field.First(); o; o = ombrix_data::CField::Next(o)) {
    TObjectEphemeris e;
    if (const char* reason = ReadEphemeris(*o, e)) {
      plan.skipped.push_back({o, reason});
      continue;
    }
    AddEclipses(*o, e, site, plan.nightStart, plan.nightEnd, ombrix_data::minPrimary, plan.eclipses);
    if (e.secondary)
      AddEclipses(*o, e, site, plan.nightStart, plan.nightEnd, ombrix_data::minSecondary, plan.eclipses);
  }
  std::stable_sort(plan.eclipses.begin(), plan.eclipses.end(), [](const TNightEclipse& a, const TNightEclipse& b) {
    return a.utc[emMiddle] < b.utc[emMiddle];
  });
  return true;
}

double TodayDateJD() {
  constexpr double kUnixEpochJD = 2440587.5;
  const double now = kUnixEpochJD + static_cast<double>(std::time(nullptr)) / 86400.0;
  return std::floor(now - 0.5) + 0.5;
}

std::string UtcMinuteText(double jd, char separator) {
  std::int32_t y = 0, m = 0, d = 0;
  double fraction = 0;
  os::iJD(jd + 30.0 / 86400.0, y, m, d, fraction);
  const int minutes = static_cast<int>(fraction * 1440.0);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d", y, m, d, separator, minutes / 60, minutes % 60);
  return text;
}

}  // namespace ombrix_analysis
