#include "ombrix_model/time_scales.h"

#include <cmath>

#include <erfa.h>
#include <erfam.h>

#include "ombrix_model/astro.h"

namespace ombrix_model {

namespace {

struct TScaleLabel {
  TTimeScale scale;
  const char* label;
};

constexpr TScaleLabel kScaleLabels[] = {
    {tsHJD, "HJD"},
    {tsBJDTDB, "BJD_TDB"},
    {tsGJD, "GJD"},
};

bool SameIgnoringCase(std::string_view a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return i == a.size() && b[i] == 0;
}

// Iterations of the inverse conversions: the light time changes by less
// than 1e-4 d per day, so each step gains four digits.
constexpr int kInverseIterations = 4;

}  // namespace

const char* TimeScaleLabel(TTimeScale scale) {
  for (const TScaleLabel& row : kScaleLabels)
    if (row.scale == scale) return row.label;
  return kScaleLabels[0].label;
}

bool TimeScaleFromLabel(std::string_view label, TTimeScale& scale) {
  for (const TScaleLabel& row : kScaleLabels) {
    if (SameIgnoringCase(label, row.label)) {
      scale = row.scale;
      return true;
    }
  }
  return false;
}

bool BarycentricJD(double utcJd, double ra, double dec, double& bjdTdb) {
  if (!std::isfinite(utcJd)) return false;
  // Two-part dates keep the fraction exact through ERFA.
  const double utc1 = std::floor(utcJd);
  const double utc2 = utcJd - utc1;
  double tai1 = 0, tai2 = 0, tt1 = 0, tt2 = 0, tdb1 = 0, tdb2 = 0;
  if (eraUtctai(utc1, utc2, &tai1, &tai2) < 0) return false;
  eraTaitt(tai1, tai2, &tt1, &tt2);
  // At the geocentre the topocentric terms of TDB - TT vanish; the UT
  // fraction then does not matter.
  const double tdbMinusTT = eraDtdb(tt1, tt2, 0.0, 0.0, 0.0, 0.0);
  eraTttdb(tt1, tt2, tdbMinusTT, &tdb1, &tdb2);
  double heliocentric[2][3];
  double barycentric[2][3];
  eraEpv00(tdb1, tdb2, heliocentric, barycentric);
  const double cosDec = std::cos(dec);
  double direction[3] = {cosDec * std::cos(ra), cosDec * std::sin(ra), std::sin(dec)};
  const double projectedAu = eraPdp(barycentric[0], direction);
  bjdTdb = tdb1 + (tdb2 + projectedAu * ERFA_AULT / ERFA_DAYSEC);
  return true;
}

bool GeocentricFromBarycentricJD(double bjdTdb, double ra, double dec, double& utcJd) {
  double utc = bjdTdb;
  for (int i = 0; i < kInverseIterations; ++i) {
    double bjd = 0;
    if (!BarycentricJD(utc, ra, dec, bjd)) return false;
    utc -= bjd - bjdTdb;
  }
  utcJd = utc;
  return true;
}

double GeocentricFromHeliocentricJD(double hjd, double ra, double dec) {
  const TStarTrig star = StarTrig(ra, dec);
  double jd = hjd;
  for (int i = 0; i < kInverseIterations; ++i) jd -= HeliocentricJD(jd, star) - hjd;
  return jd;
}

bool GeocentricJD(double time, TTimeScale scale, double ra, double dec, double& utcJd) {
  switch (scale) {
    case tsHJD:
      utcJd = GeocentricFromHeliocentricJD(time, ra, dec);
      return true;
    case tsBJDTDB:
      return GeocentricFromBarycentricJD(time, ra, dec, utcJd);
    case tsGJD:
      break;
  }
  utcJd = time;
  return true;
}

bool TimeInScale(double utcJd, TTimeScale scale, double ra, double dec, double& time) {
  switch (scale) {
    case tsHJD:
      time = HeliocentricJD(utcJd, ra, dec);
      return true;
    case tsBJDTDB:
      return BarycentricJD(utcJd, ra, dec, time);
    case tsGJD:
      break;
  }
  time = utcJd;
  return true;
}

bool ConvertTimeScale(double time, TTimeScale from, TTimeScale to, double ra, double dec,
                      double& converted) {
  if (from == to) {
    converted = time;
    return true;
  }
  double utc = 0;
  return GeocentricJD(time, from, ra, dec, utc) && TimeInScale(utc, to, ra, dec, converted);
}

}  // namespace ombrix_model
