// The field the export tests write out, built through the field API, and the
// comparison with the expected files of tests/data.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <ombrix_model/angles.h>
#include <ombrix_testsupport/temp_folder.h>
#include <ombrix_field/field.h>

namespace ombrix_export_test {

using namespace ombrix_data;

inline double Degrees(double degrees) { return ombrix_model::DegreesToRadians(degrees); }

inline CObjectListElem* AddObject(CField& field, const char* name, const char* alternate = "") {
  auto* o = new CObjectListElem;
  std::snprintf(o->name, sizeof o->name, "%s", name);
  std::snprintf(o->altName, sizeof o->altName, "%s", alternate);
  o->metaDataSource = mdsManualEntry;
  field.Append(o);
  return o;
}

inline CLocalSeriesTreeElem* AddSeries(CObjectListElem& o, const std::vector<TSeriesPoint>& points,
                                       const char* path = "") {
  auto* s = new CLocalSeriesTreeElem;
  for (const TSeriesPoint& p : points) s->InsertPoint(p);
  std::snprintf(s->absolutePath, sizeof s->absolutePath, "%s", path);
  EXPECT_TRUE(o.InsertSeries(s));
  return s;
}

inline void AddMinimum(CSeriesTreeElem& s, TMinimumType type, double time, double error, bool enabled = true) {
  auto* m = new CMinimaListElem;
  m->type = type;
  m->time = time;
  m->error = error;
  m->enabled = enabled;
  s.minima.Append(m);
}

inline void SetStar(TStarData& star, const char* name, double raDegrees, double decDegrees) {
  std::snprintf(star.name, sizeof star.name, "%s", name);
  star.ra = Degrees(raDegrees);
  star.dec = Degrees(decDegrees);
}

// Three objects:
// - "AB Cyg" / "BD+30 1234": M0 2459000.25, P 0.5, magnitudes, a fit with
//   level 10; its own meta-data with the variable, one comparison star;
//   series A (heliocentric, filter from the object "V") with points at
//   M0 - P/4, M0 (value 0) and M0 + P and an undefined minimum; series B
//   (geocentric converted, stated filter "R", offset 0.25) from 2459001.2
//   with a primary, a secondary and a disabled minimum; a disabled series C
//   from 2459002.5.
// - "CD Lyr": flux series with multiplier 2 from 2459000.9 (the night of
//   series A), no elements, two comparison and one check star, one primary
//   minimum; no alternate name.
// - "EF Her": nothing but its name.
inline void BuildTestField(CField& field) {
  CObjectListElem* ab = AddObject(field, "AB Cyg", "BD+30 1234");
  std::snprintf(ab->variabilityType, sizeof ab->variabilityType, "EA (Algol)");
  ab->m0 = 2459000.25;
  ab->period = 0.5;
  ab->maxMagnitude = 10.5;
  ab->minMagnitude = 11.25;
  ab->fit.value[ombrix_model::fpMag0] = 10;
  ab->fitPresent = true;
  std::snprintf(ab->metaData.filter, sizeof ab->metaData.filter, "V");
  SetStar(ab->metaData.var, "AB Cyg", 188.73662083, 12.582441389);
  std::snprintf(ab->metaData.var.catalog, sizeof ab->metaData.var.catalog, "GSC");
  std::snprintf(ab->metaData.var.catalogId, sizeof ab->metaData.var.catalogId, "1234-5678");
  ab->metaData.var.catalogDec = Degrees(12.5);
  ab->metaData.var.catalogMag = 10.52;
  ab->metaData.var.catalogBV = 0.45;
  SetStar(ab->metaData.ComparisonStar(0), "C1", 188.5, -0.5);

  CLocalSeriesTreeElem* a = AddSeries(*ab, {{2459000.125, 10.5, 0.01}, {2459000.25, 0, 0.02}, {2459000.75, 10.7, 0}},
                                      "/data/ab/ab_a.txt");
  a->dataMetaData.jdType = jdHeliocentric;
  AddMinimum(*a, minUndefined, 2459000.2501, 0.0002);
  CLocalSeriesTreeElem* b = AddSeries(*ab, {{2459001.2, 10.6, 0.01}, {2459001.25, 10.9, 0.01}}, "/data/ab/ab_b.dat");
  b->offset = 0.25;
  b->dataMetaData.jdType = jdGeocentric;
  b->converted = true;
  std::snprintf(b->fieldMetaData.filter, sizeof b->fieldMetaData.filter, "R");
  std::snprintf(b->dataMetaData.filter, sizeof b->dataMetaData.filter, "I");
  AddMinimum(*b, minPrimary, 2459001.2302, 0.0004);
  AddMinimum(*b, minSecondary, 2459001.48, 0.001);
  AddMinimum(*b, minPrimary, 2459001.7, 0.001, false);
  CLocalSeriesTreeElem* c = AddSeries(*ab, {{2459002.5, 11, 0.01}}, "/data/ab/ab_c.txt");
  c->enabled = false;

  CObjectListElem* cd = AddObject(field, "CD Lyr");
  std::snprintf(cd->variabilityType, sizeof cd->variabilityType, "EW (W UMa)");
  cd->fluxFlag = true;
  SetStar(cd->metaData.ComparisonStar(0), "C1", 280.25, 35.75);
  SetStar(cd->metaData.ComparisonStar(1), "C2", 280.5, 36);
  cd->metaData.cmp[1].catalogMag = 9.125;
  SetStar(cd->metaData.CheckStar(0), "K1", 280.75, 36.25);
  CLocalSeriesTreeElem* f = AddSeries(*cd, {{2459000.9, 1.5, 0.001}, {2459000.95, 0.75, 0.001}});
  f->offset = 2;
  AddMinimum(*f, minPrimary, 2459000.93, 0.0003);

  AddObject(field, "EF Her");
}

// Night dates are local dates: the tests fix the time zone.
inline void UseUtc() {
  setenv("TZ", "UTC", 1);
  tzset();
}

// Compares `actual` byte for byte with tests/data/<name>. With
// OMBRIX_UPDATE_EXPECTED set in the environment the file is rewritten instead.
inline void ExpectSameAsFile(const std::string& actual, const std::string& name) {
  const std::string path = std::string(OMBRIX_TEST_DATA) + "/" + name;
  if (std::getenv("OMBRIX_UPDATE_EXPECTED")) ombrix_test::WriteFile(path, actual);
  EXPECT_EQ(actual, ombrix_test::ReadFile(path)) << "differs from " << path;
}

}  // namespace ombrix_export_test
