// Tonight's eclipses: every primary and secondary minimum of the field's
// objects whose middle falls into the night at the observer's site, with
// the eclipse's start and end from the fitted light-curve model, and the
// altitudes of the object and the Sun at each, sorted by time.
#pragma once

#include <string>
#include <vector>

#include <ombrix_field/field.h>
#include <ombrix_model/time_scales.h>

namespace ombrix_analysis {

// The observer's site and limits, as the prediction settings hold them
// (degrees, east longitude positive; a latitude or longitude of 0 means the
// site is not set).
struct TNightSite {
  double latitude = 0.0;
  double longitude = 0.0;
  double sunAltitude = -12.0;   // the night is where the Sun is below this
  double starAltitude = 25.0;   // lowest altitude of the object at mid-eclipse ...
  bool useStarAltitude = false;  // ... when this is set
};

// The three moments of an eclipse.
enum TEclipseMoment { emStart = 0, emMiddle = 1, emEnd = 2 };

struct TNightEclipse {
  const ombrix_data::CObjectListElem* object = nullptr;
  ombrix_data::TMinimumType type = ombrix_data::minPrimary;
  double cycle = 0;                 // E; secondary minima at E + secondary phase
  double utc[3] = {};               // start, middle, end: geocentric UTC Julian dates
  bool widthKnown = false;          // start and end come from a fit (else all equal the middle)
  double minimum = 0;               // the predicted time of minimum in `scale`
  ombrix_model::TTimeScale scale = ombrix_model::tsHJD;  // the object's M0 scale
  double objectAltitude[3] = {};    // degrees
  double sunAltitude[3] = {};       // degrees
};

// An object that could not be planned, and why ("no M0 or period", "no
// coordinates").
struct TSkippedObject {
  const ombrix_data::CObjectListElem* object;
  const char* reason;
};

struct TNightPlan {
  double nightStart = 0, nightEnd = 0;  // UTC JD of the Sun passing the limit
  std::vector<TNightEclipse> eclipses;  // by middle time
  std::vector<TSkippedObject> skipped;
};

// The night that begins on the evening of the civil date whose 0 h UT is
// `dateJD` (a Julian date ending in .5): the Sun's time below the limit
// between local noon of that date and local noon of the next, local noon
// taken from the site's longitude. False with `failure` when the site is
// not set or the Sun stays above the limit.
bool FindNight(const TNightSite& site, double dateJD, double& start, double& end, std::string& failure);

// The plan of that night for every object of the field with M0, period and
// coordinates; the secondary minimum sits at the fit's secondary phase (0.5
// without a fit, none when the fit has no secondary eclipse). With the star
// limit on, eclipses whose object stands lower at mid-eclipse are left out.
bool PlanNight(const ombrix_data::CField& field, const TNightSite& site, double dateJD, TNightPlan& plan,
               std::string& failure);

// The Julian date of 0 h UT of today's date in UTC (the default night).
double TodayDateJD();
// "YYYY-MM-DD" + separator + "HH:MM" of a UTC Julian date, to the nearest
// minute.
std::string UtcMinuteText(double jd, char separator = ' ');

}  // namespace ombrix_analysis
