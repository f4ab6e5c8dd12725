// Field description files: exact text of a full field, round trip through the
// reader, reader errors, series rules while loading, and safe saving.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <runbase/fio_fault.h>

#include "file_text.h"
#include "ombrix_field/ofd.h"

using namespace ombrix_data;

namespace {

const std::string kData = OMBRIX_TEST_DATA;
constexpr double kPi = 3.14159265358979323846;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
    text.replace(p, from.size(), to);
  return text;
}

template <std::size_t N>
void Set(char (&field)[N], const std::string& text) {
  const std::size_t n = std::min(text.size(), N);
  std::memcpy(field, text.data(), n);
  if (n < N) field[n] = 0;
}

CLocalSeriesTreeElem* LocalSeries(const std::string& file, double firstTime) {
  auto* s = new CLocalSeriesTreeElem;
  Set(s->absolutePath, kData + "/ofd/" + file);
  Set(s->relativePath, "ofd/" + file);
  s->InsertPoint({firstTime, 10.0, 0.01});
  return s;
}

// A field with every kind of section.
void BuildFullField(CField& field) {
  auto* o = new CObjectListElem;
  Set(o->token, "0123456789ABCDEF");
  Set(o->publisher, "observer");
  Set(o->name, "V1 \"Her\"");
  Set(o->altName, "GSC 1234");
  Set(o->variabilityType, "EA (Algol)");
  Set(o->comment, std::string(300, 'c'));
  o->m0 = 2457000.1234567;
  o->period = 1.2345678;
  o->primaryFitTimeRange = 0.05;
  o->maxMagnitude = 10.5;
  Set(o->absolutePath, "/data/v1");
  Set(o->relativePath, "v1");
  o->metaDataSource = mdsManualEntry;
  o->metaData.varAperture = 3.5;
  o->metaData.jdType = jdHeliocentric;
  o->metaData.valueUnit = unitMagnitude;
  Set(o->metaData.filter, "V");
  Set(o->metaData.var.name, "V1");
  o->metaData.var.ra = 12.5 * kPi / 12.0;
  o->metaData.var.dec = -0.5 * kPi / 180.0;
  o->metaData.var.catalogMag = 11.25;
  o->metaData.ComparisonStar(1).dec = (45.0 + 59.0 / 60 + 59.999 / 3600) * kPi / 180.0;
  Set(o->metaData.CheckStar(0).catalog, "UCAC4");
  o->fitPresent = true;
  o->fit[ombrix_model::fpASin2] = 0.25;
  vdstr::CopyStrToDStrA(o->exportFitName, 99, "fit name");
  vdstr::CopyStrToDStrA(o->notes, 99, "first \"line\"\r\n\r\nlast");
  auto* a = LocalSeries("mag_a.txt", 2457000.1);
  a->offset = -0.25;
  a->fieldMetaData.valueUnit = unitMagnitude;
  a->minima.Add(minPrimary, 2457000.15, 0.0005);
  a->minima.Add(minUndefined, 2457000.18, 0, false);
  o->InsertSeries(a);
  auto* b = LocalSeries("mag_b.txt", 2457100.1);
  b->enabled = false;
  o->InsertSeries(b);
  auto* w = new CWebSeriesLocalDataTreeElem;
  Set(w->userId, "alice");
  w->fileTime = 0x01D9ABCDEF012345ull;
  w->offset = 0.5;
  w->minima.Add(minSecondary, 2457300.5, 0.001);
  o->webSettings.Insert(w);
  field.Append(o);
  auto* empty = new CObjectListElem;
  field.Append(empty);
}

TFieldLoadContext Context(CUserIO* io) {
  TFieldLoadContext c;
  c.io = io;
  c.folders = {"", OMBRIX_TEST_DATA};
  return c;
}

bool Load(const std::string& text, CField& field, CUserIO* io, bool& changed, std::string& error) {
  char e[kErrorTextHigh + 1];
  const bool ok = ReadFieldText(text.data(), text.size(), Context(io), field, changed, e);
  error = e;
  return ok;
}

std::string Golden() { return Replace(ReadFile(kData + "/ofd/field.ofd"), "@DATA@", kData); }

// Header of a file with one object around `body`.
std::string OneObject(const std::string& body) {
  return "ombrix\r\nversion = 4\r\nobjects = 1\r\nobject\r\n\tname = \"x\"\r\n" + body + "end_object\r\nend_ombrix\r\n";
}

std::string SeriesSection(const std::string& file, const std::string& extra = "") {
  return "\tseries\r\n\t\tabsolute_path = \"" + kData + "/ofd/" + file + "\"\r\n\t\trelative_path = \"ofd/" + file +
         "\"\r\n" + extra + "\tend_series\r\n";
}

}  // namespace

TEST(OFDWriter, FullFieldMatchesGoldenText) {
  CField field;
  BuildFullField(field);
  std::string text;
  WriteFieldText(field, text);
  if (std::getenv("OMBRIX_WRITE_GOLDEN")) WriteFile(kData + "/ofd/field.ofd", Replace(text, kData, "@DATA@"));
  EXPECT_EQ(text, Golden());
}

TEST(OFDReader, GoldenTextReadsBackEqual) {
  CField field;
  CScriptedUserIO io;
  bool changed = true;
  std::string error;
  ASSERT_TRUE(Load(Golden(), field, &io, changed, error)) << error;
  EXPECT_FALSE(changed);
  EXPECT_TRUE(io.shown.empty());
  ASSERT_EQ(field.Count(), 2u);
  const CObjectListElem& o = *field.First();
  EXPECT_STREQ(o.name, "V1 \"Her\"");
  EXPECT_EQ(std::string(o.comment, kCommentHigh + 1), std::string(256, 'c'));
  EXPECT_LT(o.metaData.var.dec, 0);
  EXPECT_NEAR(o.metaData.var.dec, -0.5 * kPi / 180.0, 1e-9);
  EXPECT_EQ(o.metaData.cmpCount, 2u);
  EXPECT_EQ(o.savedM0, o.m0);  // saved values default to the current ones
  std::string again;
  WriteFieldText(field, again);
  // The saved elements now carry the values taken over at end_object.
  std::string expected = Golden();
  expected.replace(expected.find("saved_m0 = 0\r\n"), 14, "saved_m0 = 2457000.1234567\r\n");
  expected.replace(expected.find("saved_period = 0\r\n"), 18, "saved_period = 1.2345678\r\n");
  EXPECT_EQ(again, expected);
}

TEST(OFDWriter, SexagesimalCarriesAndSigns) {
  struct Case {
    double decDegrees;
    const char* text;
  } cases[] = {
      {-0.5, "\"-00:30:00.00\""},
      {-5.5, "\"-5:30:00.00\""},
      {12.999999, "\"+13:00:00.00\""},
      {0.25, "\"00:15:00.00\""},
  };
  for (const Case& c : cases) {
    CMetaData m;
    m.var.dec = c.decDegrees * kPi / 180.0;
    COFDWriter w;
    w.MetaData(m);
    EXPECT_NE(w.text.find(std::string("star_dec = ") + c.text), std::string::npos) << w.text;
  }
}

TEST(OFDReader, ErrorsStopTheLoadAndLeaveTheFieldEmpty) {
  struct Case {
    std::string text;
    std::string error;
  } cases[] = {
      {"version = 4\r\n", "Missing \"ombrix\" keyword"},
      {"ombrix\r\nversion = 4\r\n", "Unexpected end off OFD file"},
      {"ombrix\r\nversion = 5\r\nobject\r\nend_object\r\nend_ombrix\r\n",
       "File version higher than supported (update OMBRIX)"},
      {"ombrix\r\nobject\r\nend_object\r\nend_ombrix\r\n", "Missing file version information"},
      {"ombrix\r\nversion 4\r\n", "Expected '=' instead of: 4"},
      {"ombrix\r\nstray\r\n", "Unknown keyword: stray"},
      {OneObject("\tm0 = x1\r\n"), "Expected number: x1"},
      {OneObject("\tname = bare\r\n"), "Expected quoted string: bare"},
      {OneObject("\tuse_export_fit_name = yes\r\n"), "Expected TRUE or FALSE: yes"},
      {OneObject("\tmeta_data\r\n\t\tjd_type = barycentric\r\n"), "Unknown keyword: barycentric"},
      {OneObject("\tmeta_data\r\n\t\tcmp10\r\n"), "Too many comparison stars (> 10)cmp10"},
      {OneObject("\tmeta_data\r\n\t\tchk12\r\n"), "Too many check stars (> 10)chk12"},
      {OneObject("\tweb_series\r\n\t\tfile_time = 12G\r\n"), "Expected hexadecimal number: 12G"},
      {OneObject("\tfit\r\n\t\ta_sin9 = 1\r\n"), "Unknown keyword: a_sin9"},
      {OneObject("\tcomment = \"open"), "Unexpected end off OFD file"},
      {OneObject("").substr(0, OneObject("").size() - 12) + "object\r\n", "Unexpected end off OFD file"},
      {OneObject("").substr(0, OneObject("").size() - 12) + "junk\r\n", "Unknown keyword: junk"},
  };
  for (const Case& c : cases) {
    CField field;
    field.Append(new CObjectListElem);
    bool changed = false;
    std::string error;
    EXPECT_FALSE(Load(c.text, field, nullptr, changed, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_EQ(field.Count(), 0u) << c.text;
  }
}

TEST(OFDReader, EmptyFieldAndSynonyms) {
  CField field;
  std::string text;
  WriteFieldText(field, text);
  bool changed = false;
  std::string error;
  EXPECT_TRUE(Load(text, field, nullptr, changed, error)) << error;
  EXPECT_EQ(field.Count(), 0u);
  ASSERT_TRUE(Load("ombrix\nversion=4\n  object\n caption = \"a\"\n alternate_caption = \"b\"\n end_object\nend_ombrix",
                   field, nullptr, changed, error))
      << error;
  EXPECT_STREQ(field.First()->name, "a");
  EXPECT_STREQ(field.First()->altName, "b");
}

TEST(OFDReader, UnusableSeriesAreRemovedWithMessages) {
  const std::string text = OneObject(SeriesSection("mag_a.txt") + SeriesSection("mag_a.txt") +
                                     SeriesSection("missing.txt") + SeriesSection("flux_c.txt") +
                                     "\tweb_series\r\n\t\tuser_id = bob\r\n\t\tfile_time = 1A\r\n\tend_web_series\r\n"
                                     "\tweb_series\r\n\t\tuser_id = bob\r\n\t\tfile_time = 1A\r\n\tend_web_series\r\n");
  CField field;
  CScriptedUserIO io;
  bool changed = false;
  std::string error;
  ASSERT_TRUE(Load(text, field, &io, changed, error)) << error;
  EXPECT_TRUE(changed);
  ASSERT_EQ(io.shown.size(), 4u);
  EXPECT_EQ(io.shown[0].lines[0], "Duplicate series data file (same first point time):");
  EXPECT_EQ(io.shown[1].lines[0], "Cannot load series photometry data:");
  EXPECT_EQ(io.shown[2].lines[0], "Series with different value type (Mag x Flux) than previous series:");
  EXPECT_EQ(io.shown[3].lines[0], "Duplicate web series (same user and file time):");
  EXPECT_EQ(io.shown[3].lines[1], "bob 1A");
  for (const auto& r : io.shown) {
    EXPECT_EQ(r.caption, "Error");
    EXPECT_EQ(r.lines[2], "Series removed from the field");
    EXPECT_EQ(r.icon, TMessageIcon::exclamation);
  }
  EXPECT_EQ(field.First()->series.count, 1u);
  EXPECT_FALSE(field.First()->fluxFlag);
}

TEST(OFDReader, FluxSeriesGetsOffsetOne) {
  CField field;
  bool changed = false;
  std::string error;
  ASSERT_TRUE(Load(OneObject(SeriesSection("flux_c.txt", "\t\toffset = 0\r\n")), field, nullptr, changed, error));
  ASSERT_NE(field.First()->FirstSeries(), nullptr);
  EXPECT_EQ(field.First()->FirstSeries()->offset, 1.0);
  EXPECT_TRUE(field.First()->fluxFlag);
}

namespace {

struct TRecordingSource : IRepositorySeriesSource {
  int calls = 0;
  void LoadObjectSeries(CObjectListElem&, const char*) override { ++calls; }
};

struct TRecordingProgress : IFieldLoadProgress {
  std::string log;
  void Begin(std::uint32_t total) override { log += "b" + std::to_string(total); }
  void Step(std::uint32_t done, std::uint32_t) override { log += " " + std::to_string(done); }
  void End() override { log += " e"; }
};

}  // namespace

TEST(OFDReader, RepositorySourceOnlyForPublishedObjectsWhenLoggedIn) {
  const std::string text = "ombrix\r\nversion = 4\r\nobjects = 2\r\nobject\r\ntoken = \"AB\"\r\nend_object\r\n"
                           "object\r\nend_object\r\nend_ombrix\r\n";
  TRecordingSource source;
  TRecordingProgress progress;
  SetRepositorySeriesSource(&source);
  CField field;
  bool changed = false;
  char error[kErrorTextHigh + 1];
  TFieldLoadContext offline = Context(nullptr);
  EXPECT_TRUE(ReadFieldText(text.data(), text.size(), offline, field, changed, error));
  EXPECT_EQ(source.calls, 0);
  TFieldLoadContext online = offline;
  online.repositoryUser = "alice";
  online.progress = &progress;
  EXPECT_TRUE(ReadFieldText(text.data(), text.size(), online, field, changed, error));
  EXPECT_EQ(source.calls, 1);
  EXPECT_EQ(progress.log, "b2 1 2 e");
  SetRepositorySeriesSource(nullptr);
}

class OFDSave : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("ombrix_ofd_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    path = (dir / "field.ofd").string();
    bak = (dir / "field.bak").string();
  }
  void TearDown() override {
    FIO::Fault::Reset();
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path dir;
  std::string path, bak;
};

TEST_F(OFDSave, KeepsPreviousVersionAsBak) {
  CField field;
  CScriptedUserIO io;
  ASSERT_TRUE(SaveField(field, path.c_str(), io));
  const std::string first = ReadFile(path);
  BuildFullField(field);
  ASSERT_TRUE(SaveField(field, path.c_str(), io));
  EXPECT_EQ(ReadFile(bak), first);
  EXPECT_EQ(ReadFile(path), Golden());
  EXPECT_TRUE(io.shown.empty());
}

TEST_F(OFDSave, FailedWriteLeavesFileAndBakUntouched) {
  WriteFile(path, "current");
  WriteFile(bak, "older");
  CField field;
  BuildFullField(field);
  for (auto op : {FIO::Fault::Op::Write, FIO::Fault::Op::Sync, FIO::Fault::Op::Rename, FIO::Fault::Op::Create}) {
    CScriptedUserIO io;
    FIO::Fault::FailNext(op, ENOSPC);
    EXPECT_FALSE(SaveField(field, path.c_str(), io));
    FIO::Fault::Reset();
    EXPECT_EQ(ReadFile(path), "current");
    EXPECT_EQ(ReadFile(bak), "older");
    ASSERT_EQ(io.shown.size(), 1u);
    EXPECT_EQ(io.shown[0].caption, "Failed save field description");
    EXPECT_EQ(io.shown[0].lines[1], path);
    EXPECT_EQ(io.shown[0].icon, TMessageIcon::stop);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2);
}

TEST_F(OFDSave, LoadOfMissingFileShowsCannotOpen) {
  CField field;
  CScriptedUserIO io;
  bool changed = false;
  TFieldLoadContext c = Context(&io);
  EXPECT_FALSE(LoadField(path.c_str(), c, field, changed));
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(io.shown[0].caption, "Failed load field description");
  EXPECT_EQ(io.shown[0].lines[0], "Cannot open file");
}
