// Alternate names, series selection by key, levelling of offsets and the
// field statistics.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <ombrix_testsupport/temp_folder.h>

#include "ombrix_field/bulk_edits.h"

namespace ombrix_data {
namespace {

CObjectListElem* AddObject(CField& field, const char* name) {
  auto* o = new CObjectListElem;
  std::snprintf(o->name, sizeof o->name, "%s", name);
  field.Append(o);
  return o;
}

// A local series with the given values at times first, first + step, ...
CSeriesTreeElem* AddSeries(CObjectListElem& o, double first, const std::vector<double>& values, const char* filter = "",
                           double step = 0.01) {
  auto* s = new CLocalSeriesTreeElem;
  for (std::size_t i = 0; i < values.size(); ++i) s->InsertPoint({first + step * i, values[i], 0});
  std::snprintf(s->dataMetaData.filter, sizeof s->dataMetaData.filter, "%s", filter);
  EXPECT_TRUE(o.InsertSeries(s));
  return s;
}

// ---- alternate names ----

std::string Apply(CField& field, const std::string& text) {
  ApplyAlternateNames(field, text.data(), text.size());
  std::string names;
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) names += std::string(o->altName) + ";";
  return names;
}

TEST(AlternateNames, NameFollowedBySpaceOrTabFirstObjectWins) {
  CField field;
  AddObject(field, "V1");
  AddObject(field, "V12");
  AddObject(field, "");  // an unnamed object takes no line
  // "V1" is not in "V12 ..."; the tab form counts; with both named, V1 (first
  // in field order) wins although V12 comes first in the line.
  EXPECT_EQ(Apply(field, "V12  NSV 1\r\n"), ";NSV 1;;");
  EXPECT_EQ(Apply(field, "cat: V1\tGSC 22 \n"), "GSC 22;NSV 1;;");
  EXPECT_EQ(Apply(field, "V12 A V1 B\n"), "B;NSV 1;;");
}

TEST(AlternateNames, StopsAtFirstEmptyLineAndCutsLongLines) {
  CField field;
  AddObject(field, "AB Cyg");
  AddObject(field, "CD Lyr");
  AddObject(field, "EF Her");
  const std::string longTail(200, 'x');
  EXPECT_EQ(Apply(field, "AB Cyg one\r\n\r\nCD Lyr two\n"), "one;;;");
  EXPECT_EQ(Apply(field, "EF Her " + longTail + "\nCD Lyr two"), "one;two;" + std::string(63, 'x') + ";");
  // The name beyond 127 characters of its line is not seen.
  EXPECT_EQ(Apply(field, std::string(125, '-') + "AB Cyg three\n"), "one;two;" + std::string(63, 'x') + ";");
}

class AlternateNamesFile : public ombrix_test::TempFolderTest {};

TEST_F(AlternateNamesFile, LoadsOrReportsTheFileThatCannotBeRead) {
  CField field;
  AddObject(field, "V1");
  CScriptedUserIO io;
  Put("names.txt", "V1 other\n");
  EXPECT_TRUE(LoadAlternateNames(field, Path("names.txt").c_str(), io));
  EXPECT_STREQ(field.First()->altName, "other");
  EXPECT_TRUE(io.shown.empty());

  const std::string missing = Path("none.txt");
  EXPECT_FALSE(LoadAlternateNames(field, missing.c_str(), io));
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(io.shown[0].caption, "Failed loading alternate names");
  EXPECT_EQ(io.shown[0].lines, (std::vector<std::string>{"Cannot open file: " + missing}));
  // A folder is refused, not read.
  EXPECT_FALSE(LoadAlternateNames(field, folder_.string().c_str(), io));
  EXPECT_EQ(io.shown.back().lines[0], "Not a regular file: " + folder_.string());
}

// ---- series selection ----

TEST(SeriesSelection, KeysInOrderOfFirstAppearanceAndTicksApplied) {
  CObjectListElem o;
  AddSeries(o, 1, {1}, "V");
  CSeriesTreeElem* stated = AddSeries(o, 2, {1}, "B");
  std::snprintf(stated->fieldMetaData.filter, sizeof stated->fieldMetaData.filter, "R");  // stated wins
  AddSeries(o, 3, {1}, "V");
  AddSeries(o, 4, {1}, "");
  auto* web = new CWebSeriesTreeElem;
  web->InsertPoint({5, 1, 0});
  std::snprintf(web->userName, sizeof web->userName, "alice");
  std::snprintf(web->dataMetaData.filter, sizeof web->dataMetaData.filter, "R");
  o.InsertSeries(web);

  std::vector<TSeriesKeyCount> keys;
  CollectSeriesKeys(o, TSeriesKeyKind::filter, keys);
  std::vector<std::string> lines;
  for (const TSeriesKeyCount& k : keys) lines.push_back(SeriesKeyLine(k));
  EXPECT_EQ(lines, (std::vector<std::string>{"V (2 series)", "R (2 series)", " (1 series)"}));
  EXPECT_EQ(ApplySeriesKeySelection(o, TSeriesKeyKind::filter, keys, {false, true, true}), 3u);
  std::string enabled;
  for (CSeriesTreeElem* s = o.FirstSeries(); s; s = o.NextSeries(s)) enabled += s->enabled ? '1' : '0';
  EXPECT_EQ(enabled, "01011");

  CollectSeriesKeys(o, TSeriesKeyKind::contributor, keys);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(SeriesKeyLine(keys[0]), "local series (4 series)");
  EXPECT_EQ(SeriesKeyLine(keys[1]), "alice (1 series)");
  EXPECT_EQ(ApplySeriesKeySelection(o, TSeriesKeyKind::contributor, keys, {true, false}), 4u);
  EXPECT_FALSE(web->enabled);
}

// ---- levelling ----

TEST(Levelling, StatisticsOfRawValues) {
  CObjectListElem o;
  CSeriesTreeElem* four = AddSeries(o, 1, {4, 1, 3, 2});
  four->offset = 7;  // not applied
  double v = 0;
  ASSERT_TRUE(SeriesStatistic(*four, TLevelStatistic::median, v));
  EXPECT_EQ(v, 3);  // the third smallest of four
  ASSERT_TRUE(SeriesStatistic(*four, TLevelStatistic::range, v));
  EXPECT_EQ(v, 2.5);
  ASSERT_TRUE(SeriesStatistic(*four, TLevelStatistic::average, v));
  EXPECT_EQ(v, 2.5);
  CSeriesTreeElem* one = AddSeries(o, 2, {8.25});
  for (TLevelStatistic s : {TLevelStatistic::median, TLevelStatistic::range, TLevelStatistic::average}) {
    ASSERT_TRUE(SeriesStatistic(*one, s, v));
    EXPECT_EQ(v, 8.25);
  }
  CLocalSeriesTreeElem empty;
  EXPECT_FALSE(SeriesStatistic(empty, TLevelStatistic::median, v));
  EXPECT_EQ(v, kStatisticUnavailable);
}

TEST(Levelling, MagnitudeAndFluxOffsets) {
  CObjectListElem mag;
  CSeriesTreeElem* first = AddSeries(mag, 1, {10, 10});
  CSeriesTreeElem* second = AddSeries(mag, 2, {12, 13, 12});
  CSeriesTreeElem* selected = AddSeries(mag, 3, {11});
  first->offset = 5;
  ASSERT_TRUE(LevelSeriesOffsets(mag, selected, TLevelStatistic::median));
  EXPECT_EQ(selected->offset, 0);
  EXPECT_EQ(first->offset, 1);
  EXPECT_EQ(second->offset, -1);
  ASSERT_TRUE(LevelSeriesOffsets(mag, nullptr, TLevelStatistic::average));  // first is the reference
  EXPECT_EQ(first->offset, 0);
  EXPECT_EQ(selected->offset, -1);

  CObjectListElem flux;
  flux.fluxFlag = true;
  CSeriesTreeElem* reference = AddSeries(flux, 1, {10});
  CSeriesTreeElem* half = AddSeries(flux, 2, {5});
  CSeriesTreeElem* zero = AddSeries(flux, 3, {0});
  CSeriesTreeElem* hundred = AddSeries(flux, 4, {100});
  zero->offset = 3;
  ASSERT_TRUE(LevelSeriesOffsets(flux, nullptr, TLevelStatistic::median));
  EXPECT_EQ(reference->offset, 1);
  EXPECT_EQ(half->offset, 2);
  EXPECT_EQ(zero->offset, 3);       // no ratio to a zero statistic
  EXPECT_EQ(hundred->offset, 0.1);  // a flux of 100 is a value like any other
}

TEST(Levelling, NothingChangesWithoutReferenceStatistic) {
  CObjectListElem o;
  auto* missing = new CLocalSeriesTreeElem;
  missing->offset = 2;
  o.InsertMissingSeries(missing);
  CSeriesTreeElem* s = AddSeries(o, 1, {12});
  s->offset = 4;
  EXPECT_FALSE(LevelSeriesOffsets(o, missing, TLevelStatistic::range));
  EXPECT_EQ(s->offset, 4);
  // As the reference's companion a series without points keeps its offset.
  ASSERT_TRUE(LevelSeriesOffsets(o, s, TLevelStatistic::range));
  EXPECT_EQ(missing->offset, 2);
  CObjectListElem none;
  EXPECT_FALSE(LevelSeriesOffsets(none, nullptr, TLevelStatistic::median));
}

// ---- statistics ----

TEST(FieldStatistics, CountsNightsHoursAndTheExactText) {
  CField field;
  CObjectListElem* a = AddObject(field, "A");
  AddObject(field, "B");
  // Night 2459000: 0.20 .. 0.45 over two series -> 6 h.
  CSeriesTreeElem* s1 = AddSeries(*a, 2459000.20, {1, 2, 3}, "", 0.05);
  AddSeries(*a, 2459000.30, {1, 2, 3, 4}, "", 0.05);
  // Night 2459003: a long series, 2 days -> 48 h when counted.
  AddSeries(*a, 2459003.5, {1, 2}, "", 2.0);
  s1->minima.Add(minPrimary, 2459000.25, 0.001, true);
  auto* missing = new CLocalSeriesTreeElem;
  missing->minima.Add(minSecondary, 2459001.0, 0.001, true);
  a->InsertMissingSeries(missing);

  TFieldStatistics all;
  GetFieldStatistics(field, false, all);
  EXPECT_EQ(FieldStatisticsText(all),
            "Field contains:\r\n   2 objects\r\n   3 series\r\n   2 minima\r\n   9 points\r\n"
            "   2 nights\r\n   54 obs. hours");
  TFieldStatistics shortOnly;
  GetFieldStatistics(field, true, shortOnly);
  EXPECT_EQ(shortOnly.series, 2u);
  EXPECT_EQ(shortOnly.points, 7u);
  EXPECT_EQ(shortOnly.minima, 2u);  // minima over every series
  EXPECT_EQ(shortOnly.nights, 1u);
  EXPECT_EQ(shortOnly.observingHours, 6);
}

}  // namespace
}  // namespace ombrix_data
