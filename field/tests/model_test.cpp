// The field model: merging, the meta-data source rule, labels, name order,
// sorting, filters, and the object operations with scripted dialogs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ombrix_field/field.h"

namespace ombrix_data {
namespace {

void SetText(char* field, std::size_t size, const char* text) {
  std::memset(field, 0, size);
  std::memcpy(field, text, std::min(size, std::strlen(text)));
}
#define SET(field, text) SetText(field, sizeof(field), text)

TEST(MetaData, MergeRules) {
  struct TUnitCase {
    TValueUnit target, source, merged;
  } const units[] = {
      {unitFlux, unitMagnitude, unitFlux},  // magnitude never overrides
      {unitFlux, unitUnknown, unitUnknown},
      {unitMagnitude, unitFlux, unitFlux},
  };
  for (const TUnitCase& c : units) {
    CMetaData target, source;
    target.valueUnit = c.target;
    source.valueUnit = c.source;
    target.Merge(source);
    EXPECT_EQ(target.valueUnit, c.merged);
  }

  CMetaData target, source;
  target.varAperture = 3;
  target.jdType = jdGeocentric;
  SET(target.filter, "V");
  target.var.ra = 1.0;
  SET(target.var.name, "keep");
  for (int i = 0; i < 4; ++i) target.ComparisonStar(i).catalogMag = 10 + i;
  source.cmpAperture = 5;
  source.var.dec = 0.5;
  source.ComparisonStar(1).catalogBV = 0.3;
  target.Merge(source);
  EXPECT_EQ(target.varAperture, 3);
  EXPECT_EQ(target.cmpAperture, 5);
  EXPECT_EQ(target.jdType, jdGeocentric);
  EXPECT_STREQ(target.filter, "V");
  EXPECT_STREQ(target.var.name, "keep");
  EXPECT_EQ(target.var.ra, 1.0);
  EXPECT_EQ(target.var.dec, 0.5);
  ASSERT_EQ(target.cmpCount, 2u);  // the source's count replaces the target's
  EXPECT_EQ(target.cmp[1].catalogMag, 11);
  EXPECT_EQ(target.cmp[1].catalogBV, 0.3);

  CMetaData copy(target);
  target.Done();
  EXPECT_FALSE(target.IsSet());
  EXPECT_TRUE(copy.IsSet());
  EXPECT_EQ(copy.cmp[1].catalogBV, 0.3);
}

TEST(Object, Defaults) {
  CObjectListElem o;
  EXPECT_EQ(o.metaDataSource, mdsNewestSeriesFileDate);
  EXPECT_EQ(o.minMagnitude, kUnknownMagnitude);
  EXPECT_EQ(o.metaData.var.ra, kUnknownRA);
  EXPECT_EQ(o.metaData.var.dec, kUnknownDec);
  EXPECT_EQ(o.periodAmplitude, 0.1);
  EXPECT_TRUE(o.useExportFitName);
  EXPECT_FALSE(ombrix_model::IsFitDefined(o.fit));
  EXPECT_EQ(o.fit[ombrix_model::fpSecPhase], 0.5);
  EXPECT_EQ(o.fit[ombrix_model::fpGSec], 1.0);
}

TEST(Object, Label) {
  struct TCase {
    const char *name, *alt, *comment, *label;
  } const cases[] = {
      {"V1", "GSC 1", "EA", "V1 | GSC 1 | EA"}, {"V1", "GSC 1", "", "V1 | GSC 1"},
      {"V1", "", "EA", "V1 | | EA"},            {"V1", "", "", "V1"},
      {"", "GSC 1", "EA", "| GSC 1 | EA"},      {"", "GSC 1", "", "| GSC 1"},
      {"", "", "EA", "| | EA"},                 {"", "", "", "<unnamed>"},
  };
  for (const TCase& c : cases) {
    CObjectListElem o;
    SET(o.name, c.name);
    SET(o.altName, c.alt);
    SET(o.comment, c.comment);
    char label[400];
    o.GetLabel(sizeof(label) - 1, label);
    EXPECT_STREQ(label, c.label);
  }
  CObjectListElem full;
  std::memset(full.name, 'N', sizeof(full.name));  // full array, no terminator
  char label[400];
  full.GetLabel(sizeof(label) - 1, label);
  EXPECT_EQ(std::string(label), std::string(64, 'N'));
}

TEST(Object, NameOrder) {
  struct TCase {
    const char *a, *b;
    int order;
  } const cases[] = {
      {"V2", "V10", -1},  {"V10", "V2", 1},    {"V010", "V10", 0},  {"", "A", -1},
      {"", "", 0},        {"V2a", "V10a", 1},  {"1", "10", -1},     {"9", "10", 1},  // one character: text
      {"AB2", "A10", 1},  {"V 2", "V 10", -1}, {"X", "X1", -1},
  };
  for (const TCase& c : cases) EXPECT_EQ(CompareObjectNames(c.a, c.b), c.order) << c.a << " " << c.b;
}

CLocalSeriesTreeElem* LocalSeries(double first, double last, std::uint64_t fileTime) {
  auto* s = new CLocalSeriesTreeElem;
  s->InsertPoint({first, 1, 0});
  s->InsertPoint({last, 1, 0});
  s->fileTime = fileTime;
  return s;
}

CWebSeriesTreeElem* WebSeries(double first, double last) {
  auto* s = new CWebSeriesTreeElem;
  s->InsertPoint({first, 1, 0});
  s->InsertPoint({last, 1, 0});
  return s;
}

TEST(Object, SeriesTreeRejectsEqualFirstTimes) {
  CObjectListElem o;
  EXPECT_TRUE(o.InsertSeries(LocalSeries(10, 11, 0)));
  EXPECT_FALSE(o.InsertSeries(WebSeries(10, 12)));
  EXPECT_TRUE(o.InsertSeries(LocalSeries(5, 6, 0)));
  EXPECT_EQ(o.series.count, 2u);
  EXPECT_EQ(o.FirstSeries()->FirstTime(), 5);
  EXPECT_EQ(o.FindSeriesStartingAt(10), o.LastSeries());
  // Missing series (no points) are never duplicates and follow the others.
  auto* first = new CLocalSeriesTreeElem;
  auto* second = new CLocalSeriesTreeElem;
  o.InsertMissingSeries(first);
  o.InsertMissingSeries(second);
  EXPECT_EQ(o.series.count, 4u);
  EXPECT_EQ(o.NextSeries(o.NextSeries(o.FirstSeries())), first);
  EXPECT_EQ(o.LastSeries(), second);
  EXPECT_EQ(o.FindSeriesStartingAt(0), nullptr);
  EXPECT_TRUE(o.InsertSeries(LocalSeries(20, 21, 0)));
  EXPECT_EQ(o.NextSeries(o.NextSeries(o.FirstSeries()))->FirstTime(), 20);
}

// Series in tree order: L = local short, G = local long, W = web short,
// X = web long; numbers are file times. The expected source is an index.
struct TSourceCase {
  TMetaDataSource source;
  const char* kinds;
  std::vector<std::uint64_t> fileTimes;
  int expected;
};

TEST(Object, MetaDataSourceRule) {
  const TSourceCase cases[] = {
      {mdsManualEntry, "LL", {1, 2}, -1},
      {mdsOldestSeries, "WL", {0, 0}, 0},
      {mdsOldestSeries, "GL", {0, 0}, 0},
      {mdsOldestSeries, "LLWX", {0, 0, 0, 0}, 2},
      {mdsOldestSeries, "LLX", {0, 0, 0}, 0},
      {mdsNewestSeries, "WLL", {0, 0, 0}, 0},
      {mdsNewestSeries, "LW", {0, 0}, 1},
      {mdsOldestSeriesFileDate, "LLL", {5, 3, 4}, 1},
      {mdsNewestSeriesFileDate, "LLL", {5, 3, 4}, 0},
      {mdsNewestSeriesFileDate, "LLG", {1, 2, 9}, 1},  // a long one gives way
      {mdsNewestSeriesFileDate, "LWW", {1, 0, 0}, 0},  // a local one is preferred
      {mdsOldestSeriesFileDate, "WXL", {0, 0, 7}, 2},
  };
  for (const TSourceCase& c : cases) {
    SCOPED_TRACE(c.kinds);
    CObjectListElem o;
    o.metaDataSource = c.source;
    std::vector<CSeriesTreeElem*> inserted;
    for (std::size_t i = 0; c.kinds[i]; ++i) {
      double first = 100.0 * i;
      char k = c.kinds[i];
      double last = first + ((k == 'G' || k == 'X') ? 2.0 : 0.5);
      CSeriesTreeElem* s = (k == 'L' || k == 'G') ? static_cast<CSeriesTreeElem*>(LocalSeries(first, last, c.fileTimes[i]))
                                                  : WebSeries(first, last);
      inserted.push_back(s);
      o.InsertSeries(s);
    }
    EXPECT_EQ(o.MetaDataSourceSeries(), c.expected < 0 ? nullptr : inserted[c.expected]);
  }
}

TEST(Object, EffectiveMetaData) {
  CObjectListElem o;
  o.metaData.var.ra = 1.0;
  o.metaDataSource = mdsManualEntry;
  CMetaData effective;
  o.GetEffectiveMetaData(effective);
  EXPECT_EQ(effective.var.ra, 1.0);

  auto* local = LocalSeries(1, 2, 0);
  local->dataMetaData.var.ra = 2.0;
  local->dataMetaData.var.dec = 0.5;
  local->fieldMetaData.var.ra = 3.0;
  o.InsertSeries(local);
  o.metaDataSource = mdsNewestSeries;
  o.GetEffectiveMetaData(effective);
  EXPECT_EQ(effective.var.ra, 3.0);   // stated wins over the file
  EXPECT_EQ(effective.var.dec, 0.5);  // the file fills the rest

  auto* web = WebSeries(10, 11);
  web->dataMetaData.var.dec = 0.7;  // repository data is not merged
  web->fieldMetaData.var.ra = 4.0;
  o.InsertSeries(web);
  o.GetEffectiveMetaData(effective);
  EXPECT_EQ(effective.var.ra, 4.0);
  EXPECT_EQ(effective.var.dec, kUnknownDec);
}

TEST(Filters, DefaultsLookupAndSeriesColour) {
  CFilterTable table;
  table.LoadDefaults();
  EXPECT_EQ(table.Count(), 38u);
  EXPECT_EQ(table.ColourOf("v"), 0xFF00C000u);
  EXPECT_EQ(table.ColourOf("LUMINANCE"), 0xFF7F7F7Fu);
  EXPECT_EQ(table.ColourOf("SloanR"), 0xFF0064FFu);
  EXPECT_EQ(table.ColourOf("Kp"), kNoFilterColour);
  EXPECT_EQ(table.ColourOf(""), kNoFilterColour);
  EXPECT_FALSE(table.Add("blue", 1));

  CLocalSeriesTreeElem s;
  s.InsertPoint({2451545.0, 1, 0});
  SET(s.dataMetaData.filter, "R");
  char line[64];
  GetSeriesListLine(s, table, sizeof(line) - 1, line);
  EXPECT_STREQ(line, "2000-01-01 R");
  EXPECT_EQ(s.EffectiveUnit(), unitMagnitude);
  SET(s.fieldMetaData.filter, "N/A");  // stated filter wins; its colour is black
  GetSeriesListLine(s, table, sizeof(line) - 1, line);
  EXPECT_STREQ(line, "2000-01-01");

  CObjectListElem o;
  auto* missing = new CLocalSeriesTreeElem;
  SET(missing->relativePath, "night/lost.txt");
  o.InsertMissingSeries(missing);
  GetSeriesListLine(*missing, table, sizeof(line) - 1, line);
  EXPECT_STREQ(line, "missing: lost.txt");
}

std::vector<std::string> Names(const CField& field) {
  std::vector<std::string> names;
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) names.emplace_back(o->name);
  return names;
}

CObjectListElem* Append(CField& field, const char* name, double ra = kUnknownRA, double dec = kUnknownDec) {
  auto* o = new CObjectListElem;
  SET(o->name, name);
  o->metaDataSource = mdsManualEntry;
  o->metaData.var.ra = ra;
  o->metaData.var.dec = dec;
  field.Append(o);
  return o;
}

TEST(Field, SortIsStableAndPutsUnknownCoordinatesLast) {
  CField field;
  Append(field, "V10", 2.0, 0.1);
  Append(field, "u1");
  Append(field, "V2", 1.0, kUnknownDec);
  Append(field, "b", 2.0, -0.1);
  Append(field, "u2");
  Append(field, "V2", 0.5, 0.1);

  field.Sort(TObjectSortKey::rightAscension);
  EXPECT_EQ(Names(field), (std::vector<std::string>{"V2", "V2", "V10", "b", "u1", "u2"}));
  field.Sort(TObjectSortKey::declination);
  EXPECT_EQ(Names(field), (std::vector<std::string>{"b", "V2", "V10", "V2", "u1", "u2"}));
  CObjectListElem* secondV2 = field.At(3);
  field.Sort(TObjectSortKey::name);
  EXPECT_EQ(Names(field), (std::vector<std::string>{"V2", "V2", "V10", "b", "u1", "u2"}));
  EXPECT_EQ(field.At(1), secondV2);  // equal names keep their order
  EXPECT_EQ(field.Count(), 6u);
  EXPECT_EQ(field.objects.last, field.At(5));
}

TEST(Field, AddInsertRenameWithDialogs) {
  CField field;
  CScriptedUserIO io;
  CObjectListElem* o = nullptr;
  EXPECT_FALSE(field.AddObject(io, o));  // cancelled
  EXPECT_EQ(field.Count(), 0u);
  io.dialogTexts = {{"V1", "A1"}, {"V0", ""}, {"V9", "alt"}};
  ASSERT_TRUE(field.AddObject(io, o));
  CObjectListElem* first = o;
  ASSERT_TRUE(field.InsertObject(io, first, o));
  EXPECT_EQ(Names(field), (std::vector<std::string>{"V0", "V1"}));
  EXPECT_STREQ(first->altName, "A1");
  ASSERT_TRUE(field.RenameObject(io, first));
  EXPECT_STREQ(first->name, "V9");
  EXPECT_STREQ(first->altName, "alt");
  ASSERT_EQ(io.shown.size(), 4u);
  EXPECT_EQ(io.shown[0].caption, "Append new object");
  EXPECT_EQ(io.shown[2].caption, "Insert new object before selected one");
  EXPECT_EQ(io.shown[3].caption, "Rename object");
  EXPECT_EQ(io.shown[3].lines, (std::vector<std::string>{"New name:", "Alt. name:"}));
}

TEST(Field, RemoveAsksAndRefusesPublishedObjects) {
  CField field;
  CObjectListElem* published = Append(field, "P");
  SET(published->token, "0123456789ABCDEF");
  CObjectListElem* unnamed = Append(field, "");
  CScriptedUserIO io;
  EXPECT_FALSE(field.RemoveObject(io, nullptr));
  EXPECT_FALSE(field.RemoveObject(io, published));
  io.answers = {TAnswer::no, TAnswer::yes};
  EXPECT_FALSE(field.RemoveObject(io, unnamed));
  EXPECT_TRUE(field.RemoveObject(io, unnamed));
  EXPECT_EQ(Names(field), (std::vector<std::string>{"P"}));
  ASSERT_EQ(io.shown.size(), 3u);
  EXPECT_EQ(io.shown[0].caption, "Object published in Web Repository");
  EXPECT_EQ(io.shown[0].lines,
            (std::vector<std::string>{"Cannot remove published object.", "Remove object from repository first."}));
  EXPECT_EQ(io.shown[0].icon, TMessageIcon::stop);
  EXPECT_EQ(io.shown[1].caption, "Confirm Remove Object");
  EXPECT_EQ(io.shown[1].lines, (std::vector<std::string>{"Are you sure to remove object", "<unnamed>",
                                                        "from field description?"}));
  EXPECT_EQ(io.shown[1].buttons, TButtons::yesNo);
}

TEST(Field, M0PeriodChangeOnSelection) {
  CScriptedUserIO io;
  CObjectListElem o;
  o.m0 = 2.0;
  o.period = 3.0;
  EXPECT_TRUE(ConfirmM0PeriodChange(io, o, 2.0, 3.0, false));  // unchanged: no question
  EXPECT_TRUE(ConfirmM0PeriodChange(io, o, 1.0, 1.0, true));   // auto-accept
  EXPECT_TRUE(io.shown.empty());
  io.answers = {TAnswer::yes, TAnswer::cancel, TAnswer::no};
  EXPECT_TRUE(ConfirmM0PeriodChange(io, o, 1.0, 1.0, false));
  EXPECT_EQ(o.m0, 2.0);
  EXPECT_FALSE(ConfirmM0PeriodChange(io, o, 1.0, 1.0, false));
  EXPECT_TRUE(ConfirmM0PeriodChange(io, o, 1.0, 1.5, false));
  EXPECT_EQ(o.m0, 1.0);
  EXPECT_EQ(o.period, 1.5);
  EXPECT_EQ(io.shown[0].caption, "M0, Period of object changed");
  EXPECT_EQ(io.shown[0].buttons, TButtons::yesNoCancel);
}

}  // namespace
}  // namespace ombrix_data
