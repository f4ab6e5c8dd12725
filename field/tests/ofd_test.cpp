// Field description files: exact text of a full field, round trip through the
// reader, reader errors, series rules while loading, and safe saving.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include <sys/stat.h>

#include <ombrix_model/angles.h>
#include <ombrix_testsupport/fault_sweep.h>
#include <ombrix_testsupport/temp_folder.h>

#include "decimal_comma_locale.h"
#include "ombrix_field/ofd.h"

using namespace ombrix_data;
using ombrix_model::DegreesToRadians;
using ombrix_model::HoursToRadians;
using ombrix_test::ReadFile;
using ombrix_test::WriteFile;

namespace {

const std::string kData = OMBRIX_TEST_DATA;

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
  o->metaData.var.ra = HoursToRadians(12.5);
  o->metaData.var.dec = DegreesToRadians(-0.5);
  o->metaData.var.catalogMag = 11.25;
  o->metaData.ComparisonStar(1).dec = DegreesToRadians(45.0 + 59.0 / 60 + 59.999 / 3600);
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
  EXPECT_NEAR(o.metaData.var.dec, DegreesToRadians(-0.5), 1e-9);
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
    m.var.dec = DegreesToRadians(c.decDegrees);
    COFDWriter w;
    w.WriteMetaData(m);
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
                                     SeriesSection("flux_c.txt") +
                                     "\tweb_series\r\n\t\tuser_id = bob\r\n\t\tfile_time = 1A\r\n\tend_web_series\r\n"
                                     "\tweb_series\r\n\t\tuser_id = bob\r\n\t\tfile_time = 1A\r\n\tend_web_series\r\n");
  CField field;
  CScriptedUserIO io;
  bool changed = false;
  std::string error;
  ASSERT_TRUE(Load(text, field, &io, changed, error)) << error;
  EXPECT_TRUE(changed);
  ASSERT_EQ(io.shown.size(), 3u);
  EXPECT_EQ(io.shown[0].lines[0], "Duplicate series data file (same first point time):");
  EXPECT_EQ(io.shown[1].lines[0], "Series with different value type (Mag x Flux) than previous series:");
  EXPECT_EQ(io.shown[2].lines[0], "Duplicate web series (same user and file time):");
  EXPECT_EQ(io.shown[2].lines[1], "bob 1A");
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

struct TRecordingSource : CRepositorySeriesSource {
  int calls = 0;
  void LoadObjectSeries(CObjectListElem&, const char*) override { ++calls; }
};

struct TRecordingProgress : CFieldLoadProgress {
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

// Loads and saves in a private folder that is also the root of series paths.
class OFDFiles : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    root = folder_.string();
    path = Path("field.ofd");
    bak = Path("field.bak");
  }
  TFieldLoadContext FolderContext(CUserIO* io) const {
    TFieldLoadContext c;
    c.io = io;
    c.folders = {root.c_str(), OMBRIX_TEST_DATA};
    return c;
  }
  bool LoadText(const std::string& text, CField& field, CUserIO* io, bool& changed) const {
    char e[kErrorTextHigh + 1];
    const bool ok = ReadFieldText(text.data(), text.size(), FolderContext(io), field, changed, e);
    EXPECT_TRUE(ok) << e;
    return ok;
  }
  std::string root, path, bak;
};

using OFDSave = OFDFiles;

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

// At every file operation that fails, once or from then on, the field file
// and its backup stay as they were (or no backup appears where there was
// none) and the user is told; a save that still succeeds leaves the new text
// and the previous file as backup.
TEST_F(OFDSave, EveryFailedFileOperationKeepsFileAndBakAndTellsTheUser) {
  CField field;
  BuildFullField(field);
  CScriptedUserIO io;
  for (const bool withBak : {true, false}) {
    SCOPED_TRACE(withBak ? "with an earlier backup" : "without a backup");
    ombrix_test::SweepFileFaults(
        [&] { return SaveField(field, path.c_str(), io); },
        [&](const ombrix_test::TFaultRun& run) {
          if (run.succeeded) {
            EXPECT_EQ(ReadFile(path), Golden());
            EXPECT_EQ(ReadFile(bak), "current");
            return;
          }
          EXPECT_EQ(ReadFile(path), "current");
          EXPECT_EQ(std::filesystem::exists(bak), withBak);
          EXPECT_EQ(ReadFile(bak), withBak ? "older" : "");
          ASSERT_EQ(io.shown.size(), 1u);
          EXPECT_EQ(io.shown[0].caption, "Failed save field description");
          EXPECT_EQ(io.shown[0].lines[1], path);
          EXPECT_EQ(io.shown[0].icon, TMessageIcon::stop);
          EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), withBak ? 2 : 1);
        },
        {.prepare = [&] {
          io.shown.clear();
          WriteFile(path, "current");
          std::filesystem::remove(bak);
          if (withBak) WriteFile(bak, "older");
        }});
  }
}

// A field path that names a folder is refused and the folder keeps its
// files; a path that is a symbolic link is saved where the link points.
TEST_F(OFDSave, FoldersAreRefusedAndLinksWrittenThrough) {
  CField field;
  BuildFullField(field);
  CScriptedUserIO io;
  std::filesystem::create_directory(Path("folder.ofd"));
  WriteFile(Path("folder.ofd/series.txt"), "kept");
  EXPECT_FALSE(SaveField(field, Path("folder.ofd").c_str(), io));
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(io.shown[0].caption, "Failed save field description");
  EXPECT_EQ(ReadFile(Path("folder.ofd/series.txt")), "kept");
  EXPECT_FALSE(std::filesystem::exists(Path("folder.bak")));

  std::filesystem::create_directory(Path("real"));
  WriteFile(Path("real/field.ofd"), "current");
  std::filesystem::create_symlink("real/field.ofd", Path("link.ofd"));
  ASSERT_TRUE(SaveField(field, Path("link.ofd").c_str(), io));
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link.ofd")));
  EXPECT_EQ(ReadFile(Path("real/field.ofd")), Golden());
  EXPECT_EQ(ReadFile(Path("real/field.bak")), "current");
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

// Names that are no regular file are refused without waiting or reading
// without end, and so is a file beyond the size any field reaches.
TEST_F(OFDFiles, OnlyRegularFilesOfBoundedSizeAreLoaded) {
  ASSERT_EQ(::mkfifo("fifo.ofd", 0600), 0);
  Put("huge.ofd", "");
  std::filesystem::resize_file(Path("huge.ofd"), kMaxFieldFileSize + 1);
  struct Case {
    std::string path;
    std::string problem;
  } cases[] = {
      {Path("fifo.ofd"), "Not a regular file"},
      {"/dev/zero", "Not a regular file"},
      {Path("huge.ofd"), "File too big (> 64 MB)"},
  };
  for (const Case& c : cases) {
    CField field;
    CScriptedUserIO io;
    bool changed = false;
    EXPECT_FALSE(LoadField(c.path.c_str(), Context(&io), field, changed));
    ASSERT_EQ(io.shown.size(), 1u) << c.path;
    EXPECT_EQ(io.shown[0].caption, "Failed load field description");
    EXPECT_EQ(io.shown[0].lines, (std::vector<std::string>{c.problem, c.path}));
  }
}

// Some editors start UTF-8 text with a byte-order mark.
TEST_F(OFDFiles, FieldFileStartingWithByteOrderMarkLoads) {
  WriteFile(path, "\xEF\xBB\xBF" + Golden());
  CField field;
  CScriptedUserIO io;
  bool changed = false;
  ASSERT_TRUE(LoadField(path.c_str(), Context(&io), field, changed));
  EXPECT_TRUE(io.shown.empty());
  EXPECT_EQ(field.Count(), 2u);
}

// Numbers in field files never follow the user's locale.
TEST_F(OFDFiles, DecimalCommaLocaleWritesAndReadsDecimalPoints) {
  CDecimalCommaLocale locale;
  if (!locale.Active()) GTEST_SKIP() << "de_DE.UTF-8 not available";
  CField field;
  BuildFullField(field);
  field.First()->m0 = 2459000.1234567;
  std::string text;
  WriteFieldText(field, text);
  EXPECT_NE(text.find("\tm0 = 2459000.1234567\r\n"), std::string::npos);
  std::string golden = Golden();
  golden.replace(golden.find("m0 = 2457000.1234567"), 20, "m0 = 2459000.1234567");
  EXPECT_EQ(text, golden);

  CField read;
  bool changed = false;
  ASSERT_TRUE(LoadText(text, read, nullptr, changed));
  const CObjectListElem& o = *read.First();
  EXPECT_EQ(o.m0, 2459000.1234567);
  EXPECT_EQ(o.period, 1.2345678);
  EXPECT_EQ(o.metaData.varAperture, 3.5);
  EXPECT_NEAR(o.metaData.var.dec, DegreesToRadians(-0.5), 1e-9);
  EXPECT_EQ(o.FirstSeries()->offset, -0.25);
}

namespace {

// A series section naming a file in the test's folder.
std::string FolderSeries(const std::string& file, const std::string& body = "") {
  return "\tseries\r\n\t\tabsolute_path = \"/nonexistent/" + file + "\"\r\n\t\trelative_path = \"" + file +
         "\"\r\n\t\toffset = 0.250000\r\n\t\tenabled = FALSE\r\n" + body + "\tend_series\r\n";
}

const std::string kStatedAndMinimum =
    "\t\tmeta_data\r\n\t\t\tvalue_unit = flux\r\n\t\t\tfilter = \"R\"\r\n\t\tend_meta_data\r\n"
    "\t\tminimum\r\n\t\t\ttype = primary\r\n\t\t\ttime = 2457000.150000\r\n\t\t\terror = 0.000500\r\n"
    "\t\t\tenabled = TRUE\r\n\t\tend_minimum\r\n";

}  // namespace

// A series whose file is away (an unmounted disk, a renamed folder) stays in
// the field marked missing, is saved exactly as it was read, takes no part in
// the object's meta-data, and loads again once its file is back.
TEST_F(OFDFiles, MissingSeriesIsKeptSavedAsReadAndReloadedWhenBack) {
  const std::string series = FolderSeries("lost.txt") + FolderSeries("away.txt", kStatedAndMinimum);
  const std::string text = "ombrix\r\nversion = 4\r\nobjects = 1\r\nobject\r\n\tname = \"x\"\r\n" +
                           SeriesSection("mag_a.txt") + series + "end_object\r\nend_ombrix\r\n";
  CField field;
  CScriptedUserIO io;
  bool changed = true;
  ASSERT_TRUE(LoadText(text, field, &io, changed));
  EXPECT_FALSE(changed);
  ASSERT_EQ(io.shown.size(), 2u);
  EXPECT_EQ(io.shown[1].caption, "Error");
  EXPECT_EQ(io.shown[1].lines, (std::vector<std::string>{"Cannot load series photometry data:",
                                                         "/nonexistent/away.txt",
                                                         "Series kept in the field as missing"}));
  CObjectListElem& o = *field.First();
  ASSERT_EQ(o.series.count, 3u);
  CSeriesTreeElem* loaded = o.FirstSeries();
  EXPECT_FALSE(loaded->missing);
  EXPECT_FALSE(o.fluxFlag);  // the missing flux series does not decide
  EXPECT_EQ(o.MetaDataSourceSeries(), loaded);
  for (CSeriesTreeElem* s = o.NextSeries(loaded); s; s = o.NextSeries(s)) {
    EXPECT_TRUE(s->missing);
    EXPECT_EQ(s->pointCount, 0u);
  }
  // Written back exactly as read, after the loaded series.
  std::string written;
  WriteFieldText(field, written);
  EXPECT_NE(written.find(series + "end_object"), std::string::npos) << written;

  // The files are back.
  Put("lost.txt", ReadFile(kData + "/ofd/mag_b.txt"));
  Put("away.txt", ReadFile(kData + "/ofd/flux_c.txt"));
  CField again;
  io.shown.clear();
  ASSERT_TRUE(LoadText(written, again, &io, changed));
  ASSERT_EQ(io.shown.size(), 1u);  // the flux series cannot join magnitudes
  EXPECT_EQ(io.shown[0].lines[0], "Series with different value type (Mag x Flux) than previous series:");
  ASSERT_EQ(again.First()->series.count, 2u);
  const CSeriesTreeElem* back = again.First()->LastSeries();
  EXPECT_FALSE(back->missing);
  EXPECT_EQ(back->pointCount, 2u);
  EXPECT_EQ(back->offset, 0.25);
  EXPECT_FALSE(back->enabled);
}

// Without a stored absolute path the message names where the relative path
// was looked for: a missing file, a folder, a path longer than a path field
// (looked for as the path functions cut it, to 259 characters).
TEST_F(OFDFiles, MissingSeriesMessageNamesThePathTried) {
  std::filesystem::create_directory("folder");
  const std::string longName = std::string(250, 'n') + ".txt";
  struct Case {
    std::string relative;
    std::string named;
  } cases[] = {
      {"lost.txt", root + "/lost.txt"},
      {"folder", root + "/folder"},
      {longName, (root + "/" + longName).substr(0, kPathHigh)},
  };
  for (const Case& c : cases) {
    const std::string text = OneObject("\tseries\r\n\t\trelative_path = \"" + c.relative + "\"\r\n\tend_series\r\n");
    CField field;
    CScriptedUserIO io;
    bool changed = false;
    ASSERT_TRUE(LoadText(text, field, &io, changed));
    ASSERT_EQ(io.shown.size(), 1u) << c.relative;
    EXPECT_EQ(io.shown[0].lines[1], c.named) << c.relative;
  }
}

// Two series sections naming one geocentric file: the second is recognised
// as a duplicate by its converted first point time and reported.
TEST_F(OFDFiles, DuplicateIsFoundAfterHeliocentricConversion) {
  Put("geo.txt", "JD: GEOCENTRIC UNIT: MAGNITUDE\r\n2457000.1 10.5 0.01\r\n2457000.2 10.6 0.01\r\n");
  const std::string coordinates =
      "\tmeta_data_source = 0\r\n\tmeta_data\r\n\t\tvar\r\n\t\t\tstar_ra = \"12:30:00.000\"\r\n"
      "\t\t\tstar_dec = \"+20:00:00.00\"\r\n\t\tend_var\r\n\tend_meta_data\r\n";
  const std::string section = "\tseries\r\n\t\trelative_path = \"geo.txt\"\r\n\tend_series\r\n";
  CField field;
  CScriptedUserIO io;
  bool changed = false;
  ASSERT_TRUE(LoadText(OneObject(coordinates + section + section), field, &io, changed));
  EXPECT_TRUE(changed);
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(io.shown[0].lines[0], "Duplicate series data file (same first point time):");
  EXPECT_EQ(io.shown[0].lines[1], root + "/geo.txt");
  ASSERT_EQ(field.First()->series.count, 1u);
  EXPECT_TRUE(field.First()->FirstSeries()->converted);
}

// Repository user identifiers hold 63 characters; settings of two users
// whose identifiers share their first 31 characters stay apart.
TEST_F(OFDFiles, LongRepositoryUserIdsKeepTheirSettings) {
  const std::string shared(40, 'u');
  auto section = [](const std::string& user, const char* offset) {
    return "\tweb_series\r\n\t\tuser_id = " + user + "\r\n\t\tfile_time = 1A\r\n\t\toffset = " + offset +
           "\r\n\t\tenabled = TRUE\r\n\tend_web_series\r\n";
  };
  const std::string text = OneObject(section(shared + "a", "0.500000") + section(shared + "b", "0.750000"));
  CField field;
  CScriptedUserIO io;
  bool changed = false;
  ASSERT_TRUE(LoadText(text, field, &io, changed));
  EXPECT_TRUE(io.shown.empty());
  EXPECT_EQ(field.First()->webSettings.count, 2u);
  std::string written;
  WriteFieldText(field, written);
  EXPECT_NE(written.find(section(shared + "a", "0.500000") + section(shared + "b", "0.750000")), std::string::npos)
      << written;
}
