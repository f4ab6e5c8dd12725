// Locating and loading series files; the heliocentric conversion on load.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include <ombrix_model/angles.h>
#include <ombrix_model/astro.h>
#include <ombrix_testsupport/temp_folder.h>

#include "ombrix_field/series_file.h"

namespace ombrix_data {
namespace {

namespace fs = std::filesystem;

// A scratch tree in the test's private folder: prog/, root/, data/.
class SeriesFileTest : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    base = folder_;
    for (const char* d : {"prog", "root", "data"}) fs::create_directories(base / d);
    program = (base / "prog").string() + "/";
    root = (base / "root").string() + "/";
  }

  std::string Write(const std::string& name, const std::string& text) {
    fs::path p = base / name;
    ombrix_test::WriteFile(p, text);
    return p.string();
  }

  bool Load(CLocalSeriesTreeElem& s, const char* rootFolder) {
    return LoadSeriesFile(s, {rootFolder, program.c_str()}, kErrorTextHigh, error);
  }

  fs::path base;
  std::string program;
  std::string root;
  char error[kErrorTextHigh + 2] = {};  // one spare byte keeps a full text terminated
};

void SetPaths(CLocalSeriesTreeElem& s, const std::string& absolute, const std::string& relative) {
  std::snprintf(s.absolutePath, sizeof(s.absolutePath), "%s", absolute.c_str());
  std::snprintf(s.relativePath, sizeof(s.relativePath), "%s", relative.c_str());
}

TEST_F(SeriesFileTest, RelativePathAgainstRootOrProgramFolder) {
  std::string file = Write("data/x.txt", "2459000.5 12 0.1\n");
  struct TCase {
    const char* root;
    const char* relative;
  } const cases[] = {
      {root.c_str(), "../data/x.txt"},
      {root.c_str(), "..\\data\\x.txt"},    // written on Windows
      {root.c_str(), "\\..\\data\\x.txt"},  // doubled separator after the root
      {"", "..\\data\\x.txt"},              // program folder
      {"", file.c_str()},                   // absolute relative path used alone
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.relative);
    CLocalSeriesTreeElem s;
    SetPaths(s, "/nowhere/x.txt", c.relative);
    ASSERT_TRUE(Load(s, c.root)) << error;
    EXPECT_STREQ(s.absolutePath, file.c_str());
    EXPECT_EQ(s.pointCount, 1u);
  }
}

TEST_F(SeriesFileTest, AbsolutePathFallbackRecomputesRelativePath) {
  std::string file = Write("data/x.txt", "2459000.5 12 0.1\n");
  CLocalSeriesTreeElem s;
  SetPaths(s, file, "moved/x.txt");
  ASSERT_TRUE(Load(s, root.c_str()));
  EXPECT_STREQ(s.relativePath, "../data/x.txt");
  SetPaths(s, file, "");
  ASSERT_TRUE(Load(s, ""));
  EXPECT_STREQ(s.relativePath, "../data/x.txt");
  EXPECT_NE(s.fileTime, 0u);
}

TEST_F(SeriesFileTest, CannotOpenNamesTheCandidate) {
  CLocalSeriesTreeElem s;
  SetPaths(s, (base / "data").string(), "nothing.txt");  // a folder is no file
  EXPECT_FALSE(Load(s, root.c_str()));
  EXPECT_EQ(std::string(error), ("Cannot open file: " + root + "nothing.txt").substr(0, kErrorTextHigh + 1));
}

TEST(RelativeSeriesPath, KeepsWholeFolderNames) {
  struct TCase {
    const char* absolute;
    const char* base;
    const char* relative;
  } const cases[] = {
      {"/a/b/c/x.txt", "/a/b/", "c/x.txt"},
      {"/a/b/data2/x.txt", "/a/b/data/", "../data2/x.txt"},
      {"/a/b/data/x.txt", "/a/b/data2/", "../data/x.txt"},
      {"/x/y.txt", "/a/b/", "../../x/y.txt"},
      {"/a/b/x.txt", "/a/b", "x.txt"},  // root without trailing separator
  };
  for (const TCase& c : cases) {
    char relative[kPathHigh + 1];
    RelativeSeriesPath(c.absolute, {c.base, "/prog/"}, kPathHigh, relative);
    EXPECT_STREQ(relative, c.relative) << c.absolute << " against " << c.base;
  }
}

TEST_F(SeriesFileTest, SizeLimitIsSixteenMegabytes) {
  std::string line = "2459000.5 12 0.1\n";
  std::string exact = line + std::string(kMaxSeriesFileSize - line.size(), ' ');
  CLocalSeriesTreeElem s;
  SetPaths(s, Write("data/exact.txt", exact), "");
  EXPECT_TRUE(Load(s, ""));
  EXPECT_EQ(s.pointCount, 1u);

  CLocalSeriesTreeElem big;
  SetPaths(big, Write("data/big.txt", exact + " "), "");
  EXPECT_FALSE(Load(big, ""));
  EXPECT_STREQ(error, "File too big (> 16 MB)");
}

// A FIFO or a device never ends (or blocks on open): such paths are refused
// at once, naming the file, and the fallback path is tried as for folders.
TEST_F(SeriesFileTest, FilesThatAreNotRegularAreRefused) {
  const std::string fifo = (base / "data/pipe.txt").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero")}) {
    SCOPED_TRACE(path);
    CLocalSeriesTreeElem s;
    SetPaths(s, path, "");
    auto load = std::async(std::launch::async, [&] { return Load(s, ""); });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      ADD_FAILURE() << "reading blocks";
      // A writer that comes and goes lets a reader blocked on the FIFO go on.
      int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) ::close(writer);
    }
    EXPECT_FALSE(load.get());
    EXPECT_EQ(std::string(error), ("Not a regular file: " + path).substr(0, kErrorTextHigh + 1));
  }
  // The stored absolute path is tried when the relative one is no file.
  CLocalSeriesTreeElem s;
  SetPaths(s, Write("data/x.txt", "2459000.5 12 0.1\n"), "../data/pipe.txt");
  EXPECT_TRUE(Load(s, root.c_str())) << error;
  EXPECT_EQ(s.pointCount, 1u);
}

TEST_F(SeriesFileTest, FileWithoutDataFailsWithoutText) {
  for (const char* text : {"", "JD: geocentric\n", "\x01\x02\xff\x00garbage"}) {
    CLocalSeriesTreeElem s;
    SetPaths(s, Write("data/empty.txt", text), "");
    EXPECT_FALSE(Load(s, ""));
    EXPECT_STREQ(error, "");
  }
}

TEST_F(SeriesFileTest, RealFileWithLfAndCrLf) {
  for (const char* name : {"hd23642_k2_lf.txt", "hd23642_k2_crlf.txt"}) {
    SCOPED_TRACE(name);
    CLocalSeriesTreeElem s;
    SetPaths(s, std::string(OMBRIX_TEST_DATA) + "/" + name, "");
    ASSERT_TRUE(Load(s, ""));
    ASSERT_EQ(s.pointCount, 300u);
    EXPECT_DOUBLE_EQ(s.time[0], 2457064.068193);
    EXPECT_DOUBLE_EQ(s.value[0], -0.0019);
    EXPECT_DOUBLE_EQ(s.error[0], 0.00097);
    EXPECT_DOUBLE_EQ(s.time[299], 2457071.178585);
    const CMetaData& m = s.dataMetaData;
    EXPECT_STREQ(m.var.name, "HD 23642");
    EXPECT_NEAR(m.var.ra, ombrix_model::HoursToRadians(3 + 47 / 60.0 + 29.45 / 3600), 1e-12);
    EXPECT_EQ(m.var.catalogMag, 6.83);
    ASSERT_EQ(m.cmpCount, 2u);
    EXPECT_STREQ(m.cmp[1].name, "HD 23753");
    EXPECT_EQ(m.jdType, jdHeliocentric);
    EXPECT_EQ(m.valueUnit, unitMagnitude);
    EXPECT_STREQ(m.filter, "Kp");
    EXPECT_EQ(m.varAperture, 6.5);
  }
}

// An object with its own coordinates and one source series.
struct TConversionCase {
  TJDType jdType;
  double objectRA, objectDec;    // the object's own
  double statedRA, dataRA;       // of the source series
  bool withSourceSeries;
  bool converted;
  double usedRA;
};

TEST(HeliocentricConversion, CoordinateRuleAndTimeScale) {
  const double dec = 0.4;
  const TConversionCase cases[] = {
      {jdGeocentric, 1.0, dec, kUnknownRA, kUnknownRA, false, true, 1.0},
      {jdUnknown, 1.0, dec, kUnknownRA, kUnknownRA, false, true, 1.0},
      {jdHeliocentric, 1.0, dec, kUnknownRA, kUnknownRA, false, false, 0},
      {jdGeocentric, kUnknownRA, dec, kUnknownRA, kUnknownRA, false, false, 0},
      {jdGeocentric, 1.0, dec, 2.0, 3.0, true, true, 2.0},        // stated first
      {jdGeocentric, 1.0, dec, kUnknownRA, 3.0, true, true, 3.0}, // then from its data
      {jdGeocentric, 1.0, dec, kUnknownRA, kUnknownRA, true, false, 0},
  };
  for (const TConversionCase& c : cases) {
    CObjectListElem object;
    object.metaData.var.ra = c.objectRA;
    object.metaData.var.dec = c.objectDec;
    object.metaDataSource = c.withSourceSeries ? mdsNewestSeries : mdsManualEntry;
    auto* source = new CLocalSeriesTreeElem;
    source->InsertPoint({2450000.0, 1, 0});
    source->fieldMetaData.var.ra = c.statedRA;
    source->fieldMetaData.var.dec = c.statedRA == kUnknownRA ? kUnknownDec : dec;
    source->dataMetaData.var.ra = c.dataRA;
    source->dataMetaData.var.dec = dec;
    object.InsertSeries(source);

    CLocalSeriesTreeElem s;
    s.dataMetaData.jdType = c.jdType;
    s.InsertPoints(std::vector<TSeriesPoint>{{2459000.5, 1, 0}, {2459100.25, 2, 0}}.data(), 2);
    s.converted = true;
    ApplyHeliocentricConversion(s, object);
    EXPECT_EQ(s.converted, c.converted);
    double expected = c.converted ? ombrix_model::HeliocentricJD(2459100.25, c.usedRA, dec) : 2459100.25;
    EXPECT_DOUBLE_EQ(s.time[1], expected);
    if (c.jdType == jdGeocentric) {
      EXPECT_STREQ(s.TimeScaleText(), c.converted ? "Series in HJD (converted from GJD by OMBRIX)"
                                                  : "Series in GJD, cannot covert to HJD (unknown RA, Dec)");
    }
  }
}

TEST(HeliocentricConversion, RepositorySeriesTakeTheObjectsCoordinates) {
  CObjectListElem object;
  object.metaData.var.ra = 1.0;
  object.metaData.var.dec = 0.2;
  object.metaDataSource = mdsNewestSeries;
  auto* source = new CLocalSeriesTreeElem;
  source->InsertPoint({2450000.0, 1, 0});
  source->fieldMetaData.var.ra = 2.0;
  source->fieldMetaData.var.dec = 0.3;
  object.InsertSeries(source);
  CWebSeriesTreeElem web;
  web.InsertPoint({2459000.5, 1, 0});
  ApplyHeliocentricConversion(web, object);
  EXPECT_TRUE(web.converted);
  EXPECT_DOUBLE_EQ(web.time[0], ombrix_model::HeliocentricJD(2459000.5, 1.0, 0.2));
}

}  // namespace
}  // namespace ombrix_data
