// Series text: data lines, header keys, star keys, sexagesimal values.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include <ombrix_model/angles.h>

#include "ombrix_field/series_file.h"

namespace ombrix_data {
namespace {

constexpr double kHour = ombrix_model::kRadiansPerHour;
constexpr double kDegree = ombrix_model::kRadiansPerDegree;

std::size_t Read(CSeriesTreeElem& s, const std::string& text) {
  return ReadSeriesText(s, text.data(), text.size());
}

struct TDataLineCase {
  const char* line;
  bool taken;
  double time, value, error;
};

TEST(SeriesReader, DataLines) {
  const TDataLineCase cases[] = {
      {"2459000.5 12.345 0.012", true, 2459000.5, 12.345, 0.012},
      {"  \t2459000.5\t12.345", true, 2459000.5, 12.345, 0.0},     // error missing
      {"2459000.5 -0.25 +0.01 5 0.4", true, 2459000.5, -0.25, 0.01},  // extra columns
      {"2459000.5 - 0.01", true, 2459000.5, 0.0, 0.01},            // a sign alone reads 0
      {"2459000.5 12.3 x", true, 2459000.5, 12.3, 0.0},            // unreadable error
      {"2459000.5 12.", true, 2459000.5, 12.0, 0.0},
      {".5 1", true, 0.5, 1.0, 0.0},
      {"2459000.123456789012345 1", true, 2459000.12345678901, 1.0, 0.0},  // 11 digits count
      {"2459000.5,12.3", false, 0, 0, 0},                          // comma separator
      {"2459000.5", false, 0, 0, 0},                               // one number
      {"2459000.5 abc", false, 0, 0, 0},
      {"2459000.5x 12", false, 0, 0, 0},
      {"2459000.5 99.999 0.1", false, 0, 0, 0},                    // missing-value marker
      {"2459000.5 99 0.1", false, 0, 0, 0},
      {"2459000.5 98.999 0.1", true, 2459000.5, 98.999, 0.1},
      {"2459000.5 1e3", true, 2459000.5, 1.0, 0.0},                // no exponent
  };
  for (const TDataLineCase& c : cases) {
    SCOPED_TRACE(c.line);
    CSeriesTreeElem s;
    EXPECT_EQ(Read(s, std::string(c.line) + "\n"), c.taken ? 1u : 0u);
    if (!c.taken || s.pointCount != 1) continue;
    EXPECT_DOUBLE_EQ(s.time[0], c.time);
    EXPECT_DOUBLE_EQ(s.value[0], c.value);
    EXPECT_DOUBLE_EQ(s.error[0], c.error);
  }
}

// A number too long for a double reads as infinity; such a line would spoil
// every fit of the object, so it is malformed like any other.
TEST(SeriesReader, NumbersBeyondDoubleRangeMakeTheLineMalformed) {
  const std::string huge(400, '9');
  for (const std::string& bad : {huge + " 12.3 0.01", "2459000.5 " + huge + " 0.01",
                                 "-" + huge + " 12.3", "2459000.5 -" + huge,
                                 "2459000.5 12.3 " + huge, huge + ".5 12.3"}) {
    SCOPED_TRACE(bad.substr(0, 20));
    CSeriesTreeElem s;
    EXPECT_EQ(Read(s, "2459000.1 12.1\n" + bad + "\n2459000.9 12.9\n"), 2u);
    ASSERT_EQ(s.pointCount, 2u);
    EXPECT_DOUBLE_EQ(s.value[0], 12.1);
    EXPECT_DOUBLE_EQ(s.value[1], 12.9);
  }
  // Long but finite numbers still read.
  CSeriesTreeElem s;
  EXPECT_EQ(Read(s, "2459000.5 -" + std::string(300, '9') + "\n"), 1u);
  EXPECT_TRUE(std::isfinite(s.value[0]));
  // Header values that overflow are not taken either.
  Read(s, "Aperture: " + huge + "\nVAR RA: " + huge + ":00:00 Dec: 1:00:00 CatalogMag: " + huge + "\n");
  EXPECT_EQ(s.dataMetaData.varAperture, 0.0);
  EXPECT_EQ(s.dataMetaData.var.ra, kUnknownRA);
  EXPECT_DOUBLE_EQ(s.dataMetaData.var.dec, kDegree);
  EXPECT_EQ(s.dataMetaData.var.catalogMag, kUnknownMagnitude);
}

// 99 and more marks a missing magnitude; fluxes are raw counts and keep
// their points whatever their size. The unit stated in the field file wins
// over the file's own header, which may come anywhere in the file.
TEST(SeriesReader, MissingValueMarkerAppliesToMagnitudesOnly) {
  const std::string data = "2459000.1 1523.5 4.1\n2459000.2 99 0.1\n2459000.3 12.5\n";
  struct TCase {
    TValueUnit stated;
    std::string text;
    std::uint32_t points;
  } const cases[] = {
      {unitUnknown, data, 1},
      {unitUnknown, "Unit: magnitude\n" + data, 1},
      {unitUnknown, "Unit: flux\n" + data, 3},
      {unitUnknown, data + "Unit: Flux\n", 3},
      {unitFlux, data, 3},
      {unitFlux, "Unit: magnitude\n" + data, 3},
      {unitMagnitude, "Unit: flux\n" + data, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    CSeriesTreeElem s;
    s.fieldMetaData.valueUnit = c.stated;
    EXPECT_EQ(Read(s, c.text), c.points);
    EXPECT_EQ(s.pointCount, c.points);
    EXPECT_DOUBLE_EQ(s.value[s.pointCount - 1], 12.5);
  }
}

// Numbers in files never follow the user's locale.
TEST(SeriesReader, DecimalCommaLocaleReadsDecimalPoints) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 not available";
  CSeriesTreeElem s;
  std::size_t read = Read(s,
                          "Aperture: 5.5 CmpAperture: 6.25\n"
                          "VAR RA: 12:30:36.5 Dec: -5:30:0.5 CatalogMag: 11.25\n"
                          "2459000.12345 12.345 0.012\n");
  double sexagesimal = 0;
  bool sexagesimalRead = ParseSexagesimal("1:2:3.5", 7, sexagesimal);
  std::setlocale(LC_ALL, "C");
  ASSERT_EQ(read, 1u);
  EXPECT_DOUBLE_EQ(s.time[0], 2459000.12345);
  EXPECT_DOUBLE_EQ(s.value[0], 12.345);
  EXPECT_DOUBLE_EQ(s.error[0], 0.012);
  EXPECT_EQ(s.dataMetaData.varAperture, 5.5);
  EXPECT_EQ(s.dataMetaData.cmpAperture, 6.25);
  EXPECT_DOUBLE_EQ(s.dataMetaData.var.ra, (12.5 + 36.5 / 3600) * kHour);
  EXPECT_DOUBLE_EQ(s.dataMetaData.var.dec, -(5.5 + 0.5 / 3600) * kDegree);
  EXPECT_EQ(s.dataMetaData.var.catalogMag, 11.25);
  EXPECT_TRUE(sexagesimalRead);
  EXPECT_DOUBLE_EQ(sexagesimal, 1 + 2 / 60.0 + 3.5 / 3600);
}

TEST(SeriesReader, PointsComeOutSortedAndEqualTimesKeepFileOrder) {
  CSeriesTreeElem s;
  Read(s, "3 1\n1 2\n2 3\n1 4\n3 5\n");
  ASSERT_EQ(s.pointCount, 5u);
  const double times[] = {1, 1, 2, 3, 3};
  const double values[] = {2, 4, 3, 1, 5};
  for (std::uint32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(s.time[i], times[i]);
    EXPECT_EQ(s.value[i], values[i]);
  }
  // A second batch merges behind equal times already present.
  Read(s, "1 6\n0 7\n");
  EXPECT_EQ(s.Point(0).value, 7);
  EXPECT_EQ(s.Point(3).value, 6);
}

TEST(SeriesReader, BatchInsertionEqualsPointByPointInsertion) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> time(0, 50);
  CSeriesTreeElem batch, single;
  std::vector<TSeriesPoint> points;
  for (int i = 0; i < 500; ++i) points.push_back({double(time(random)), double(i), 0});
  batch.InsertPoints(points.data(), 250);
  batch.InsertPoints(points.data() + 250, 250);
  for (const TSeriesPoint& p : points) single.InsertPoint(p);
  ASSERT_EQ(batch.pointCount, 500u);
  for (std::uint32_t i = 0; i < 500; ++i) {
    EXPECT_EQ(batch.time[i], single.time[i]);
    EXPECT_EQ(batch.value[i], single.value[i]);
  }
  EXPECT_EQ(batch.pointCapacity % kPointGrowStep, 0u);
}

TEST(SeriesReader, SeriesKeys) {
  CSeriesTreeElem s;
  Read(s,
       "# Aperture: 5.5px, CmpAperture: 6; ChkAperture:7.25 x\n"
       "JD: Geocentric Unit: FLUX Filter: SloanR-long-name-cut\n"
       "Unknown: key JD: heliocentric\n");
  const CMetaData& m = s.dataMetaData;
  EXPECT_EQ(m.varAperture, 5.5);
  EXPECT_EQ(m.cmpAperture, 6.0);
  EXPECT_EQ(m.chkAperture, 0.0);  // "ChkAperture:7.25" is one token without value
  EXPECT_EQ(m.jdType, jdHeliocentric);
  EXPECT_EQ(m.valueUnit, unitFlux);
  EXPECT_EQ(std::string(m.filter, sizeof(m.filter)), "SloanR-long-name");  // the array, full

  CSeriesTreeElem t;
  Read(t, "JD: barycentric Unit: counts VarAperture: -3\n");
  EXPECT_EQ(t.dataMetaData.jdType, jdUnknown);
  EXPECT_EQ(t.dataMetaData.valueUnit, unitUnknown);
  EXPECT_EQ(t.dataMetaData.varAperture, 0.0);
  EXPECT_FALSE(t.dataMetaData.IsSet());
}

TEST(SeriesReader, HeaderKeywordStartsAtLettersAToX) {
  CSeriesTreeElem s;
  // "Y" and "Z" do not start a keyword, so the "JD:" after them is the first.
  Read(s, "yz JD: geocentric\n");
  EXPECT_EQ(s.dataMetaData.jdType, jdGeocentric);
}

TEST(SeriesReader, ComparisonStarWithIndexAndMultiWordName) {
  CSeriesTreeElem s;
  Read(s, "CMP3 Name: Alpha Beta RA: 12:30:00 Dec: -05 30 00 CatalogB-V: -0.25 Bogus: x y\n");
  const CMetaData& m = s.dataMetaData;
  ASSERT_EQ(m.cmpCount, 4u);
  for (std::uint32_t i = 0; i < 3; ++i) EXPECT_FALSE(m.cmp[i].IsSet()) << i;
  EXPECT_STREQ(m.cmp[3].name, "Alpha Beta");
  EXPECT_DOUBLE_EQ(m.cmp[3].ra, 12.5 * kHour);
  EXPECT_DOUBLE_EQ(m.cmp[3].dec, -5.5 * kDegree);
  EXPECT_DOUBLE_EQ(m.cmp[3].catalogBV, -0.25);
  EXPECT_FALSE(m.var.IsSet());
}

TEST(SeriesReader, StarKeysOfVariableAndCheckStars) {
  CSeriesTreeElem s;
  Read(s,
       "VAR name: V1 Cyg ra: 20h 30m 15.5 dec: +40d 10m 5 catalog: GSC catalogid: 1234-567 "
       "catalogra: 20:30:15 catalogdec: 40:10:05 catalogmag: 11.2 catalogj-k: 0.5\n"
       "CHK Name: Only RA: 12.5 DEC: 10:20\n"
       "CMP100 Name: Too far\n");
  const TStarData& v = s.dataMetaData.var;
  EXPECT_STREQ(v.name, "V1 Cyg");
  EXPECT_NEAR(v.ra, (20 + 30 / 60.0 + 15.5 / 3600) * kHour, 1e-12);
  EXPECT_NEAR(v.dec, (40 + 10 / 60.0 + 5 / 3600.0) * kDegree, 1e-12);
  EXPECT_STREQ(v.catalog, "GSC");
  EXPECT_STREQ(v.catalogId, "1234-567");
  EXPECT_NEAR(v.catalogRA, (20 + 30 / 60.0 + 15 / 3600.0) * kHour, 1e-12);
  EXPECT_EQ(v.catalogMag, 11.2);
  EXPECT_EQ(v.catalogJK, 0.5);
  EXPECT_EQ(v.catalogBV, kUnknownMagnitude);
  ASSERT_EQ(s.dataMetaData.chkCount, 1u);
  // Decimal hours and a two-part value are not sexagesimal: left unknown.
  EXPECT_EQ(s.dataMetaData.chk[0].ra, kUnknownRA);
  EXPECT_EQ(s.dataMetaData.chk[0].dec, kUnknownDec);
  EXPECT_EQ(s.dataMetaData.cmpCount, 0u);
}

TEST(SeriesReader, Sexagesimal) {
  struct TCase {
    const char* text;
    bool ok;
    double value;
  } const cases[] = {
      {"12:30:00", true, 12.5},
      {"12 30 00.0", true, 12.5},
      {"12h30m36", true, 12.51},
      {"-00:30:00", true, -0.5},
      {"+5::30:: 36", true, 5.51},
      {"12:30", false, 0},
      {"12.5", false, 0},
      {"12:30:", false, 0},
      {"-", false, 0},
      {"", false, 0},
      {"a:b:c", false, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    double value = 42;
    EXPECT_EQ(ParseSexagesimal(c.text, std::strlen(c.text), value), c.ok);
    EXPECT_NEAR(value, c.ok ? c.value : 42, 1e-12);
  }
}

TEST(SeriesReader, LinesEndAtCrOrLfAndEndOfData) {
  for (const char* text : {"1 2\r\n2 3\r\n", "1 2\n2 3\n", "1 2\r2 3", "\r\n\r\n1 2\n\n\n2 3"}) {
    CSeriesTreeElem s;
    EXPECT_EQ(Read(s, text), 2u) << text;
  }
}

TEST(SeriesReader, GarbageAndCutInputNeverFail) {
  std::mt19937 random(11);
  std::string garbage(100000, 0);
  for (char& c : garbage) c = static_cast<char>(random());
  CSeriesTreeElem s;
  ReadSeriesText(s, garbage.data(), garbage.size());
  EXPECT_TRUE(std::is_sorted(s.time, s.time + s.pointCount));

  // A line cut anywhere still reads what is complete.
  const std::string line = "CMP2 Name: X RA: 1:2:3 Dec: 4:5:6\n2459000.5 12.5 0.01";
  for (std::size_t n = 0; n <= line.size(); ++n) {
    CSeriesTreeElem cut;
    ReadSeriesText(cut, line.data(), n);
    EXPECT_LE(cut.pointCount, 1u);
  }
}

}  // namespace
}  // namespace ombrix_data
