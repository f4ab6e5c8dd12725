// Time scales in the field: BJD_TDB series, the field's scale for converted
// series, and the scales of minima and M0 in field files.
#include <gtest/gtest.h>

#include <string>

#include <ombrix_model/angles.h>
#include <ombrix_model/time_scales.h>
#include <ombrix_testsupport/temp_folder.h>

#include "ombrix_field/ofd.h"
#include "ombrix_field/series_file.h"

namespace ombrix_data {
namespace {

using ombrix_model::tsBJDTDB;
using ombrix_model::tsGJD;
using ombrix_model::tsHJD;

constexpr double kRA = ombrix_model::HoursToRadians(12.5);
constexpr double kDec = ombrix_model::DegreesToRadians(20.0);

// Restores the default field scale after each test.
class TimeScaleFiles : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    Put("geo.txt", "JD: GEOCENTRIC UNIT: MAGNITUDE\r\n2458000.1 10.5 0.01\r\n2458000.2 10.6 0.01\r\n");
    Put("helio.txt", "JD: HELIOCENTRIC UNIT: MAGNITUDE\r\n2458001.1 10.5 0.01\r\n2458001.2 10.6 0.01\r\n");
    Put("tess.txt", "# TESS\r\nJD: BJD_TDB Unit: magnitude\r\n2458002.1 10.5\r\n2458002.2 10.6\r\n");
  }
  void TearDown() override {
    SetFieldTimeScale(tsHJD);
    TempFolderTest::TearDown();
  }
  bool Load(const std::string& text, CField& field) {
    TFieldLoadContext c;
    c.io = &io;
    const std::string root = folder_.string();
    c.folders = {root.c_str(), ""};
    bool changed = false;
    char error[kErrorTextHigh + 1];
    const bool ok = ReadFieldText(text.data(), text.size(), c, field, changed, error);
    EXPECT_TRUE(ok) << error;
    return ok;
  }
  static std::string Write(const CField& field) {
    std::string text;
    WriteFieldText(field, text);
    return text;
  }
  CScriptedUserIO io;
};

std::string Minimum(const std::string& time) {
  return "\t\tminimum\r\n\t\t\ttype = primary\r\n\t\t\ttime = " + time +
         "\r\n\t\t\terror = 0.000100\r\n\t\t\tenabled = TRUE\r\n\t\tend_minimum\r\n";
}

// A series section; `absolute` as the writer gives it back (the path found).
std::string Series(const std::string& file, const std::string& minima, const std::string& absolute = "") {
  return "\tseries\r\n\t\tabsolute_path = \"" + absolute + "\"\r\n\t\trelative_path = \"" + file +
         "\"\r\n\t\toffset = 0\r\n\t\tenabled = TRUE\r\n" + minima + "\tend_series\r\n";
}

// An object in the writer's own form with coordinates, so that written text
// can be compared byte for byte.
std::string Field(const std::string& m0Line, const std::string& series) {
  return "ombrix\r\nversion = 4\r\nobjects = 1\r\nobject\r\n\tname = \"x\"\r\n" + m0Line +
         "\tperiod = 1.0000000\r\n\tsaved_m0 = 2458000.1500000\r\n\tsaved_period = 1.0000000\r\n"
         "\tprimary_fit_time_range = 0\r\n\tsecondary_fit_time_range = 0\r\n\tperiod = 1.0000000\r\n"
         "\tabsolute_path = \"\"\r\n\trelative_path = \"\"\r\n\tdir_key = \"\"\r\n\tfile_names = \"\"\r\n"
         "\toffset_amplitude = 0.100000\r\n\tperiod_amplitude = 0.100000\r\n\tmeta_data_source = 0\r\n"
         "\tmeta_data\r\n\t\tvar\r\n\t\t\tstar_ra = \"12:30:00.000\"\r\n\t\t\tstar_dec = \"+20:00:00.00\"\r\n"
         "\t\tend_var\r\n\tend_meta_data\r\n\tuse_export_fit_name = TRUE\r\n" +
         series + "end_object\r\nend_ombrix\r\n";
}


// Series of each kind with one unmarked minimum, the last one missing.
std::string ThreeSeries(const std::string& folder = "") {
  const auto at = [&](const char* file) { return folder.empty() ? std::string() : folder + file; };
  return Series("geo.txt", Minimum("2458000.150000"), at("geo.txt")) +
         Series("helio.txt", Minimum("2458001.150000"), at("helio.txt")) +
         Series("tess.txt", Minimum("2458002.150000"), at("tess.txt")) +
         Series("gone.txt", Minimum("2458003.150000"));
}

// A field without scales reads and writes byte for byte as before, under
// either field scale, with a missing series among them.
TEST_F(TimeScaleFiles, FieldWithoutScalesWritesAsBefore) {
  const std::string text = Field("\tm0 = 2458000.1500000\r\n", ThreeSeries(Path("")));
  for (auto scale : {tsHJD, tsBJDTDB}) {
    SetFieldTimeScale(scale);
    CField field;
    ASSERT_TRUE(Load(text, field));
    EXPECT_EQ(Write(field), text) << ombrix_model::TimeScaleLabel(scale);
  }
}

// Each series' times and their minima: the scale of the data, of the
// conversion, or the legacy scale for unmarked minima.
TEST_F(TimeScaleFiles, SeriesAndMinimaKnowTheirScales) {
  SetFieldTimeScale(tsBJDTDB);
  CField field;
  ASSERT_TRUE(Load(Field("\tm0 = 2458000.1500000\r\n", ThreeSeries()), field));
  const CObjectListElem& o = *field.First();
  CSeriesTreeElem* geo = o.FirstSeries();
  CSeriesTreeElem* helio = o.NextSeries(geo);
  const CSeriesTreeElem* tess = o.NextSeries(helio);
  ASSERT_NE(tess, nullptr);
  double bjd = 0;
  ASSERT_TRUE(ombrix_model::BarycentricJD(2458000.1, kRA, kDec, bjd));
  EXPECT_DOUBLE_EQ(geo->time[0], bjd);
  EXPECT_EQ(geo->TimeScale(), tsBJDTDB);
  EXPECT_EQ(geo->LegacyTimeScale(), tsHJD);
  EXPECT_STREQ(geo->TimeScaleText(), "Series in BJD_TDB (converted from GJD by OMBRIX)");
  EXPECT_EQ(helio->TimeScale(), tsHJD);
  EXPECT_EQ(tess->dataMetaData.jdType, jdBarycentric);
  EXPECT_FALSE(tess->converted);
  EXPECT_EQ(tess->time[0], 2458002.1);
  EXPECT_EQ(tess->TimeScale(), tsBJDTDB);
  EXPECT_STREQ(tess->TimeScaleText(), "Series in BJD_TDB");
  const auto minimumOf = [](const CSeriesTreeElem* s) { return static_cast<const CMinimaListElem*>(s->minima.first); };
  EXPECT_EQ(MinimumTimeScale(*minimumOf(geo), *geo), tsHJD);  // measured before: legacy HJD
  EXPECT_EQ(MinimumTimeScale(*minimumOf(tess), *tess), tsBJDTDB);

  SetFieldTimeScale(tsHJD);
  CField plain;
  ASSERT_TRUE(Load(Field("\tm0 = 2458000.1500000\r\n", Series("geo.txt", "")), plain));
  EXPECT_EQ(plain.First()->FirstSeries()->TimeScale(), tsHJD);
  EXPECT_STREQ(plain.First()->FirstSeries()->TimeScaleText(), "Series in HJD (converted from GJD by OMBRIX)");
}

// Scales other than the legacy ones ride after the values and read back;
// older readers skip them with the rest of the line.
TEST_F(TimeScaleFiles, ScalesRideAfterTheValuesAndReadBack) {
  CField field;
  ASSERT_TRUE(Load(Field("\tm0 = 2458000.1500000\r\n", Series("geo.txt", "") + Series("tess.txt", "")), field));
  CObjectListElem& o = *field.First();
  o.m0Scale = tsBJDTDB;
  CSeriesTreeElem* geo = o.FirstSeries();
  CSeriesTreeElem* tess = o.NextSeries(geo);
  geo->minima.Add(minPrimary, 2458000.15, 0.0001)->SetTimeScale(tsBJDTDB);  // not the series' scale
  geo->minima.Add(minPrimary, 2458000.16, 0.0001)->SetTimeScale(tsHJD);     // the series' own
  tess->minima.Add(minPrimary, 2458002.15, 0.0001)->SetTimeScale(tsHJD);
  o.metaData.jdType = jdBarycentric;
  const std::string text = Write(field);
  EXPECT_NE(text.find("\tm0 = 2458000.1500000 BJD_TDB\r\n"), std::string::npos);
  EXPECT_NE(text.find("\ttime = 2458000.150000 BJD_TDB\r\n"), std::string::npos);
  EXPECT_NE(text.find("\ttime = 2458000.160000\r\n"), std::string::npos);
  EXPECT_NE(text.find("\ttime = 2458002.150000 HJD\r\n"), std::string::npos);
  EXPECT_NE(text.find("\tjd_type = heliocentric BJD_TDB\r\n"), std::string::npos);

  CField again;
  ASSERT_TRUE(Load(text, again));
  const CObjectListElem& a = *again.First();
  EXPECT_EQ(a.m0Scale, tsBJDTDB);
  EXPECT_EQ(a.savedM0Scale, tsHJD);  // the saved epoch keeps its own scale
  EXPECT_EQ(a.metaData.jdType, jdBarycentric);
  CSeriesTreeElem* g = a.FirstSeries();
  const auto* first = static_cast<const CMinimaListElem*>(g->minima.first);
  const auto* second = static_cast<const CMinimaListElem*>(first->next);
  EXPECT_EQ(MinimumTimeScale(*first, *g), tsBJDTDB);
  EXPECT_EQ(MinimumTimeScale(*second, *g), tsHJD);
  const CSeriesTreeElem* t = a.NextSeries(g);
  EXPECT_EQ(MinimumTimeScale(*static_cast<const CMinimaListElem*>(t->minima.first), *t), tsHJD);
  EXPECT_EQ(Write(again), text);

  // A word no scale is named by (a newer file's) is passed over.
  std::string newer = text;
  newer.replace(newer.find(" BJD_TDB\r\n\tperiod"), 8, " TCB_XYZ");
  CField read;
  ASSERT_TRUE(Load(newer, read));
  EXPECT_EQ(read.First()->m0Scale, tsHJD);
}

// Series copies (text blocks, repository settings) keep the minima's scales.
TEST(MinimaList, CopiesKeepStatedScales) {
  CMinimaList list;
  list.Add(minSecondary, 1.0, 0.1)->SetTimeScale(tsGJD);
  list.Add(minPrimary, 2.0, 0.1);
  CMinimaList copy(list);
  const auto* a = static_cast<const CMinimaListElem*>(copy.first);
  const auto* b = static_cast<const CMinimaListElem*>(a->next);
  EXPECT_TRUE(a->scaleStated);
  EXPECT_EQ(a->timeScale, tsGJD);
  EXPECT_FALSE(b->scaleStated);
}

}  // namespace
}  // namespace ombrix_data
