// Text blocks: exact block texts, round trips through the clipboard and files,
// the rules of the object-data and offset readers, and every failure message.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <corekit/clipboard.h>
#include <ombrix_testsupport/fault_sweep.h>
#include <ombrix_testsupport/temp_folder.h>
#include <runbase/fio_fault.h>

#include "decimal_comma_locale.h"
#include "ombrix_field/text_blocks.h"

using namespace ombrix_data;
using ombrix_test::ReadFile;
using ombrix_test::WriteFile;

namespace {

const std::string kData = OMBRIX_TEST_DATA;

std::string Notes(const CObjectListElem& o) {
  const char* address = nullptr;
  std::uint32_t length = 0;
  vdstr::GetDStrAddrLenA(o.notes, address, length);
  return std::string(address ? address : "", length);
}

// A series held in memory with one point per given time.
CSeriesTreeElem* MemorySeries(std::initializer_list<double> times, double offset) {
  auto* s = new CLocalSeriesTreeElem;
  for (double t : times) s->InsertPoint({t, 10.0, 0.01});
  s->offset = offset;
  return s;
}

std::vector<double> Offsets(const CObjectListElem& o) {
  std::vector<double> offsets;
  for (CSeriesTreeElem* s = o.FirstSeries(); s; s = o.NextSeries(s)) offsets.push_back(s->offset);
  return offsets;
}

TFieldLoadContext Context() {
  TFieldLoadContext c;
  c.folders = {"", OMBRIX_TEST_DATA};
  return c;
}

std::string SeriesSection(const std::string& file) {
  return "\tseries\r\n\t\tabsolute_path = \"" + kData + "/ofd/" + file + "\"\r\n\t\trelative_path = \"ofd/" +
         file + "\"\r\n\tend_series\r\n";
}

std::string ObjectBlock(const std::string& body) {
  return "OmbrixObjectData\r\nobject\r\n" + body + "end_object\r\n";
}

// Reads an object-data block into the object; the messages shown are returned.
std::vector<CScriptedUserIO::TRecord> ReadObjectInto(CObjectListElem& o, const std::string& block) {
  CScriptedUserIO io;
  EXPECT_TRUE(ReadObjectDataBlock(block.data(), block.size(), TBlockSource::clipboard, Context(), o, io));
  return io.shown;
}

class TextBlocks : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    vcom::SetClipboardProvider(&clipboard);
    dir = folder_;
    path = Path("block.txt");
  }
  void TearDown() override {
    vcom::SetClipboardProvider(nullptr);
    TempFolderTest::TearDown();
  }
  std::string Clipboard() {
    std::string text;
    EXPECT_TRUE(clipboard.GetText(text));
    return text;
  }
  void SetClipboard(const std::string& text) { clipboard.SetText(text.data(), text.size()); }

  vcom::CMemoryClipboard clipboard;
  std::filesystem::path dir;
  std::string path;
};

}  // namespace

TEST_F(TextBlocks, CopiedFitPastesIdenticallyIntoAnotherObject) {
  CObjectListElem source;
  for (int i = 0; i < ombrix_model::FitParameterCount; ++i) source.fit.value[i] = std::stod(std::to_string(i - 8) + ".123456");
  source.fitPresent = true;
  ASSERT_TRUE(CopyFitParameters(&source));
  const std::string text = Clipboard();
  EXPECT_EQ(text.rfind("OmbrixFitParameters\r\nfit\r\n\tmag0 = ", 0), 0u) << text;
  EXPECT_EQ(text.substr(text.size() - 9), "end_fit\r\n");

  CObjectListElem target;
  CScriptedUserIO io;
  ASSERT_TRUE(PasteFitParameters(&target, io));
  EXPECT_TRUE(io.shown.empty());
  EXPECT_TRUE(target.fitPresent);
  for (int i = 0; i < ombrix_model::FitParameterCount; ++i) EXPECT_EQ(target.fit.value[i], source.fit.value[i]) << i;
}

TEST_F(TextBlocks, FitSectionFailureKeepsEarlierValuesAndMarksFitPresent) {
  CObjectListElem o;
  const double dPri = o.fit[ombrix_model::fpDPri];
  WriteFile(path, "OmbrixFitParameters\r\nfit\r\n\tmag0 = 3.5\r\n\ta_pri = bad\r\n\td_pri = 7\r\n");
  CScriptedUserIO io;
  EXPECT_TRUE(LoadFitParameters(&o, path.c_str(), io));
  EXPECT_TRUE(o.fitPresent);
  EXPECT_EQ(o.fit[ombrix_model::fpMag0], 3.5);
  EXPECT_EQ(o.fit[ombrix_model::fpDPri], dPri);
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(io.shown[0].caption, "Failed loading fit parameters");
  EXPECT_EQ(io.shown[0].lines, std::vector<std::string>{"Expected number: bad"});
}

TEST_F(TextBlocks, OffsetFileTextAndSharedDayKey) {
  CObjectListElem o;
  o.InsertSeries(MemorySeries({2457000.1, 2457000.2}, 0.5));
  o.InsertSeries(MemorySeries({2457000.7}, -0.25));  // same integer day as the first
  o.InsertSeries(MemorySeries({2457005.3}, 0));
  CScriptedUserIO io;
  ASSERT_TRUE(SaveSeriesOffsets(&o, path.c_str(), io));
  EXPECT_EQ(ReadFile(path), "OmbrixSeriesOffsets\r\n2457000 = 0.500000\r\n2457000 = -0.250000\r\n2457005 = 0\r\n");

  WriteFile(path, "OmbrixSeriesOffsets\r\n2457000 = 1.5\r\n2457005 = 2\r\n");
  EXPECT_TRUE(LoadSeriesOffsets(&o, path.c_str(), io));
  EXPECT_EQ(Offsets(o), (std::vector<double>{1.5, -0.25, 2.0}));
  EXPECT_TRUE(io.shown.empty());
}

TEST_F(TextBlocks, OffsetReadingStopsQuietlyAtTheFirstMalformedLine) {
  for (const char* third : {"x = 3", "2457000 3", "2457000 = x", "2457000.5 = 3", "= 3"}) {
    CObjectListElem o;
    o.InsertSeries(MemorySeries({2457000.1}, 0));
    o.InsertSeries(MemorySeries({2457005.3}, 0));
    o.InsertSeries(MemorySeries({2457009.3}, 0));
    const std::string block = "OmbrixSeriesOffsets\r\n2457000 = 1\n  2457005=2.25  trailing\r\n" +
                              std::string(third) + "\r\n2457009 = 9\r\n";
    SetClipboard(block);
    CScriptedUserIO io;
    EXPECT_TRUE(PasteSeriesOffsets(&o, io)) << third;
    EXPECT_EQ(Offsets(o), (std::vector<double>{1.0, 2.25, 0.0})) << third;
    EXPECT_TRUE(io.shown.empty()) << third;
  }
}

TEST_F(TextBlocks, NothingHappensWithoutObjectOrWithoutSeries) {
  CScriptedUserIO io;
  CObjectListElem noSeries;
  SetClipboard("unchanged");
  WriteFile(path, "OmbrixSeriesOffsets\r\n1 = 1\r\n");
  EXPECT_FALSE(SaveFitParameters(nullptr, path.c_str(), io));
  EXPECT_FALSE(LoadFitParameters(nullptr, path.c_str(), io));
  EXPECT_FALSE(CopyFitParameters(nullptr));
  EXPECT_FALSE(PasteFitParameters(nullptr, io));
  EXPECT_FALSE(SaveObjectData(nullptr, path.c_str(), io));
  EXPECT_FALSE(LoadObjectData(nullptr, path.c_str(), Context(), io));
  EXPECT_FALSE(CopyObjectData(nullptr));
  EXPECT_FALSE(PasteObjectData(nullptr, Context(), io));
  for (CObjectListElem* o : {static_cast<CObjectListElem*>(nullptr), &noSeries}) {
    EXPECT_FALSE(SaveSeriesOffsets(o, path.c_str(), io));
    EXPECT_FALSE(LoadSeriesOffsets(o, path.c_str(), io));
    EXPECT_FALSE(CopySeriesOffsets(o));
    EXPECT_FALSE(PasteSeriesOffsets(o, io));
  }
  EXPECT_TRUE(io.shown.empty());
  EXPECT_EQ(Clipboard(), "unchanged");
  EXPECT_EQ(ReadFile(path), "OmbrixSeriesOffsets\r\n1 = 1\r\n");
}

TEST_F(TextBlocks, SavedObjectDataLoadsBackEqual) {
  CObjectListElem source;
  ReadObjectInto(source, ObjectBlock("\tname = \"V2 \"\"Cyg\"\"\"\r\n\tcomment = \"c\"\r\n\tm0 = 2457000.5\r\n"
                                     "\tperiod = 0.75\r\n\tmeta_data\r\n\t\tfilter = \"V\"\r\n\tend_meta_data\r\n"
                                     "\tfit\r\n\t\ta_pri = 0.4\r\n\tend_fit\r\n\tnotes\r\n\t\tline = \"one\"\r\n"
                                     "\tend_notes\r\n" +
                                     SeriesSection("mag_a.txt") + SeriesSection("mag_b.txt") +
                                     "\tweb_series\r\n\t\tuser_id = bob\r\n\t\tfile_time = 1A\r\n"
                                     "\tend_web_series\r\n"));
  ASSERT_EQ(source.series.count, 2u);
  CScriptedUserIO io;
  ASSERT_TRUE(SaveObjectData(&source, path.c_str(), io));
  EXPECT_EQ(ReadFile(path).rfind("OmbrixObjectData\r\nobject\r\n\tname = \"V2 \"\"Cyg\"\"\"\r\n", 0), 0u);

  CObjectListElem target;
  ASSERT_TRUE(LoadObjectData(&target, path.c_str(), Context(), io));
  EXPECT_TRUE(io.shown.empty());
  std::string expected, loaded;
  WriteObjectDataBlock(source, expected);
  WriteObjectDataBlock(target, loaded);
  EXPECT_EQ(loaded, expected);
  EXPECT_TRUE(target.fitPresent);
}

TEST_F(TextBlocks, PastedObjectDataAppendsNotesAndClearsTheFit) {
  CObjectListElem o;
  vdstr::CopyStrToDStrA(o.notes, 99, "mine\r\n");
  o.fitPresent = true;
  o.fluxFlag = true;
  std::string block = ObjectBlock("\tname = \"n\"\r\n\tnotes\r\n\t\tline = \"a\"\r\n\t\tline = \"b\"\r\n\tend_notes\r\n");
  SetClipboard(block);
  CScriptedUserIO io;
  ASSERT_TRUE(PasteObjectData(&o, Context(), io));
  EXPECT_TRUE(io.shown.empty());
  EXPECT_EQ(Notes(o), "mine\r\na\r\nb\r\n");
  EXPECT_STREQ(o.name, "n");
  EXPECT_FALSE(o.fitPresent);
  EXPECT_FALSE(o.fluxFlag);
}

TEST_F(TextBlocks, PastedSeriesThatCannotJoinAreDroppedSilently) {
  CObjectListElem o;
  EXPECT_TRUE(ReadObjectInto(o, ObjectBlock(SeriesSection("flux_c.txt"))).empty());
  ASSERT_TRUE(o.fluxFlag);
  // A duplicate, a missing file and a magnitude series: none joins the flux
  // object, and the object keeps its value type.
  EXPECT_TRUE(ReadObjectInto(o, ObjectBlock(SeriesSection("flux_c.txt") + SeriesSection("missing.txt") +
                                            SeriesSection("mag_a.txt")))
                  .empty());
  EXPECT_EQ(o.series.count, 1u);
  EXPECT_TRUE(o.fluxFlag);

  CObjectListElem magnitudes;
  ReadObjectInto(magnitudes, ObjectBlock(SeriesSection("mag_a.txt")));
  ReadObjectInto(magnitudes, ObjectBlock(SeriesSection("mag_b.txt") + SeriesSection("flux_c.txt")));
  EXPECT_EQ(magnitudes.series.count, 2u);
  EXPECT_FALSE(magnitudes.fluxFlag);
}

TEST_F(TextBlocks, ObjectSectionFailureKeepsFieldsReadBefore) {
  CObjectListElem o;
  const auto shown = ReadObjectInto(o, ObjectBlock("\tname = \"kept\"\r\n\tm0 = x\r\n\tcomment = \"lost\"\r\n"));
  EXPECT_STREQ(o.name, "kept");
  EXPECT_STREQ(o.comment, "");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Failed pasting fit paremeters");
  EXPECT_EQ(shown[0].lines, std::vector<std::string>{"Expected number: x"});
  EXPECT_EQ(shown[0].icon, TMessageIcon::stop);
}

namespace {

enum class TKind { fit, object, offsets };
enum class TOperation { load, paste, save };

struct TMessageCase {
  TKind kind;
  TOperation operation;
  std::optional<std::string> input;  // file or clipboard text; none: no file / no clipboard text
  std::string caption;
  std::vector<std::string> lines;    // "@PATH@" stands for the file's path
};

std::vector<TMessageCase> MessageCases() {
  using K = TKind;
  using O = TOperation;
  const std::string fileStart = "File does not start with required keyword:";
  const std::string textStart = "Text does not start with required keyword:";
  const char* loadFit = "Failed loading fit parameters";
  const char* pasteFit = "Failed pasting fit paremeters";
  const char* loadOffsets = "Failed loading series offsets";
  return {
      // file cannot be opened / created
      {K::fit, O::load, std::nullopt, loadFit, {"Cannot open file: @PATH@"}},
      {K::object, O::load, std::nullopt, loadFit, {"Cannot open file: @PATH@"}},
      {K::offsets, O::load, std::nullopt, loadOffsets, {"Cannot open file: @PATH@"}},
      {K::fit, O::save, std::nullopt, "Failed saving fit parameters", {"Cannot create file", "@PATH@"}},
      {K::object, O::save, std::nullopt, "Failed saving fit parameters", {"Cannot create file", "@PATH@"}},
      {K::offsets, O::save, std::nullopt, "Failed save series offsets", {"Cannot create file", "@PATH@"}},
      // wrong first keyword
      {K::fit, O::load, "OmbrixObjectData\r\nfit\r\n", loadFit, {fileStart, "OmbrixFitParameters"}},
      {K::object, O::load, "", loadFit, {fileStart, "OmbrixObjectData"}},
      {K::offsets, O::load, "2457000 = 1\r\n", loadOffsets, {fileStart, "OmbrixSeriesOffsets"}},
      {K::fit, O::paste, "OmbrixFitParametersX\r\nfit\r\n", pasteFit, {textStart, "OmbrixFitParameters"}},
      {K::object, O::paste, "ombrixobjectdata\r\nobject\r\n", pasteFit, {textStart, "OmbrixObjectData"}},
      {K::offsets, O::paste, "OmbrixSeriesOffset\r\n1 = 1\r\n", "Failed pasting series offsets",
       {"Offset list does not start with required keyword:", "OmbrixSeriesOffsets"}},
      // wrong second keyword
      {K::fit, O::load, "OmbrixFitParameters\r\nobject\r\n", loadFit, {fileStart, "fit"}},
      {K::object, O::load, "OmbrixObjectData\r\n42\r\n", loadFit, {fileStart, "object"}},
      {K::fit, O::paste, "OmbrixFitParameters\r\nfits\r\n", pasteFit, {textStart, "fit"}},
      {K::object, O::paste, "OmbrixObjectData junk\r\nfit\r\n", pasteFit, {textStart, "object"}},
      // text ends after the first keyword
      {K::fit, O::load, "OmbrixFitParameters\r\n", "Error in file format", {"(file is probably damaged)"}},
      {K::object, O::load, "OmbrixObjectData", "Error in file format", {"(file is probably damaged)"}},
      {K::offsets, O::load, "OmbrixSeriesOffsets\r\n\r\n", "Error in file format", {"(file is probably damaged)"}},
      {K::fit, O::paste, "OmbrixFitParameters\n", "Error in fit description format",
       {"(fit description is probably damaged)"}},
      {K::object, O::paste, "OmbrixObjectData  \r\n", "Error in fit description format",
       {"(fit description is probably damaged)"}},
      {K::offsets, O::paste, "OmbrixSeriesOffsets\r\n", "Error in list of offsets", {"(text is probably damaged)"}},
      // no text on the clipboard
      {K::fit, O::paste, std::nullopt, pasteFit, {"No text in clipboard"}},
      {K::object, O::paste, std::nullopt, pasteFit, {"No text in clipboard"}},
      {K::offsets, O::paste, std::nullopt, pasteFit, {"No text in clipboard"}},
      // the section reader fails
      {K::fit, O::load, "OmbrixFitParameters\r\nfit\r\n\tmag0 = q\r\n", loadFit, {"Expected number: q"}},
      {K::fit, O::paste, "OmbrixFitParameters\r\nfit\r\n\tmag1 = 1\r\n", pasteFit, {"Unknown keyword: mag1"}},
      {K::object, O::load, "OmbrixObjectData\r\nobject\r\n\tname = \"x\"\r\n", loadFit,
       {"Unexpected end off OFD file"}},
  };
}

}  // namespace

TEST_F(TextBlocks, EveryFailureShowsItsMessageWithTheStopIcon) {
  for (const TMessageCase& c : MessageCases()) {
    const std::string file = c.operation == TOperation::save ? (dir / "missing" / "out.txt").string() : path;
    std::filesystem::remove(path);
    clipboard.Clear();
    if (c.input && c.operation == TOperation::load) WriteFile(path, *c.input);
    if (c.input && c.operation == TOperation::paste) SetClipboard(*c.input);
    CObjectListElem o;
    o.InsertSeries(MemorySeries({2457000.1}, 0));
    CScriptedUserIO io;
    const char* p = file.c_str();
    switch (c.kind) {
      case TKind::fit:
        if (c.operation == TOperation::load) LoadFitParameters(&o, p, io);
        if (c.operation == TOperation::paste) PasteFitParameters(&o, io);
        if (c.operation == TOperation::save) SaveFitParameters(&o, p, io);
        break;
      case TKind::object:
        if (c.operation == TOperation::load) LoadObjectData(&o, p, Context(), io);
        if (c.operation == TOperation::paste) PasteObjectData(&o, Context(), io);
        if (c.operation == TOperation::save) SaveObjectData(&o, p, io);
        break;
      case TKind::offsets:
        if (c.operation == TOperation::load) LoadSeriesOffsets(&o, p, io);
        if (c.operation == TOperation::paste) PasteSeriesOffsets(&o, io);
        if (c.operation == TOperation::save) SaveSeriesOffsets(&o, p, io);
        break;
    }
    std::vector<std::string> lines = c.lines;
    for (std::string& line : lines)
      if (auto at = line.find("@PATH@"); at != std::string::npos) line.replace(at, 6, file);
    const std::string where = c.caption + " / " + (c.input ? *c.input : "<none>");
    ASSERT_EQ(io.shown.size(), 1u) << where;
    EXPECT_EQ(io.shown[0].caption, c.caption) << where;
    EXPECT_EQ(io.shown[0].lines, lines) << where;
    EXPECT_EQ(io.shown[0].icon, TMessageIcon::stop) << where;
  }
}

TEST_F(TextBlocks, FailedWriteIsReportedAndLeavesThePreviousFile) {
  WriteFile(path, "previous");
  CObjectListElem o;
  CScriptedUserIO io;
  FIO::Fault::FailNext(FIO::Fault::Op::Write, ENOSPC);
  EXPECT_FALSE(SaveFitParameters(&o, path.c_str(), io));
  FIO::Fault::Reset();
  EXPECT_EQ(ReadFile(path), "previous");
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(io.shown[0].caption, "Failed saving fit parameters");
  EXPECT_EQ(io.shown[0].lines, (std::vector<std::string>{"Cannot write file", path}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
}

// A damaged file may give a star coordinate far beyond any sky position (here
// seconds with fifty digits); writing it must neither overflow nor produce a
// text that reads back as another value, so it is left out like an unknown one.
TEST_F(TextBlocks, CoordinatesBeyondAnySkyPositionAreLeftOutWhenWritten) {
  const std::string huge = std::string("-00:30:") + std::string(50, '5') + ".00";
  CObjectListElem source;
  ReadObjectInto(source, ObjectBlock("\tname = \"V1 Her\"\r\n\tmeta_data\r\n\t\tcmp1\r\n\t\t\tstar_dec = \"" +
                                     huge + "\"\r\n\t\t\tstar_ra = \"01:02:03.5\"\r\n\t\tend_cmp1\r\n"
                                     "\tend_meta_data\r\n"));
  std::string first, second;
  WriteObjectDataBlock(source, first);
  EXPECT_EQ(first.find("star_dec"), std::string::npos) << first;
  EXPECT_NE(first.find("star_ra = \"01:02:03.500\""), std::string::npos) << first;
  CObjectListElem target;
  ReadObjectInto(target, first);
  WriteObjectDataBlock(target, second);
  EXPECT_EQ(second, first);
}

// At every file operation that fails, once or from then on, a block file
// written before stays as it was and the user is told; no stray file is left.
TEST_F(TextBlocks, EveryFailedFileOperationKeepsThePreviousBlockFile) {
  CObjectListElem o;
  o.InsertSeries(MemorySeries({2457000.1}, 0.5));
  struct Case {
    bool (*save)(const CObjectListElem*, const char*, CUserIO&);
    void (*write)(const CObjectListElem&, std::string&);
    const char* caption;
  } cases[] = {
      {SaveFitParameters, WriteFitBlock, "Failed saving fit parameters"},
      {SaveObjectData, WriteObjectDataBlock, "Failed saving fit parameters"},
      {SaveSeriesOffsets, WriteSeriesOffsetsBlock, "Failed save series offsets"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    std::string expected;
    c.write(o, expected);
    CScriptedUserIO io;
    ombrix_test::SweepFileFaults(
        [&] { return c.save(&o, path.c_str(), io); },
        [&](const ombrix_test::TFaultRun& run) {
          EXPECT_EQ(ReadFile(path), run.succeeded ? expected : "previous");
          EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
          if (run.succeeded) return;
          ASSERT_EQ(io.shown.size(), 1u);
          EXPECT_EQ(io.shown[0].caption, c.caption);
          EXPECT_EQ(io.shown[0].lines.at(1), path);
        },
        {.prepare = [&] {
          io.shown.clear();
          WriteFile(path, "previous");
        }});
  }
}

// Series of one night share the key of their offset lines; each gets its own
// offset back, also from blocks whose lines name the night once.
TEST_F(TextBlocks, SeriesOfOneNightKeepTheirOwnOffsets) {
  CObjectListElem o;
  o.InsertSeries(MemorySeries({2457000.1}, 0.5));
  o.InsertSeries(MemorySeries({2457000.6}, -0.25));
  o.InsertSeries(MemorySeries({2457000.8}, 0.125));
  o.InsertSeries(MemorySeries({2457003.2}, 1));
  CScriptedUserIO io;
  ASSERT_TRUE(CopySeriesOffsets(&o));
  for (CSeriesTreeElem* s = o.FirstSeries(); s; s = o.NextSeries(s)) s->offset = 9;
  ASSERT_TRUE(PasteSeriesOffsets(&o, io));
  EXPECT_EQ(Offsets(o), (std::vector<double>{0.5, -0.25, 0.125, 1.0}));

  SetClipboard("OmbrixSeriesOffsets\r\n2457003 = 2\r\n2457000 = 3\r\n2457000 = 4\r\n");
  ASSERT_TRUE(PasteSeriesOffsets(&o, io));
  EXPECT_EQ(Offsets(o), (std::vector<double>{3.0, 4.0, 0.125, 2.0}));
  EXPECT_TRUE(io.shown.empty());
}

// Numbers in blocks never follow the user's locale.
TEST_F(TextBlocks, DecimalCommaLocaleWritesAndReadsDecimalPoints) {
  CDecimalCommaLocale locale;
  if (!locale.Active()) GTEST_SKIP() << "de_DE.UTF-8 not available";
  CObjectListElem source;
  source.m0 = 2459000.1234567;
  source.fit[ombrix_model::fpAPri] = 0.4375;
  source.fitPresent = true;
  source.InsertSeries(MemorySeries({2457000.1}, -0.25));
  std::string text;
  WriteObjectDataBlock(source, text);
  EXPECT_NE(text.find("\tm0 = 2459000.1234567\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\t\ta_pri = 0.437500\r\n"), std::string::npos) << text;
  ASSERT_TRUE(CopySeriesOffsets(&source));
  EXPECT_EQ(Clipboard(), "OmbrixSeriesOffsets\r\n2457000 = -0.250000\r\n");

  CObjectListElem target;
  EXPECT_TRUE(ReadObjectInto(target, text).empty());
  EXPECT_EQ(target.m0, 2459000.1234567);
  EXPECT_EQ(target.fit[ombrix_model::fpAPri], 0.4375);
  CObjectListElem fitTarget;
  ASSERT_TRUE(CopyFitParameters(&source));
  CScriptedUserIO io;
  ASSERT_TRUE(PasteFitParameters(&fitTarget, io));
  EXPECT_EQ(fitTarget.fit[ombrix_model::fpAPri], 0.4375);
  source.FirstSeries()->offset = 0;
  SetClipboard("OmbrixSeriesOffsets\r\n2457000 = -0.250000\r\n");
  ASSERT_TRUE(PasteSeriesOffsets(&source, io));
  EXPECT_EQ(source.FirstSeries()->offset, -0.25);
}

// A block file name that is a pipe or device is refused at once.
TEST_F(TextBlocks, OnlyRegularFilesAreLoaded) {
  ASSERT_EQ(::mkfifo("fifo.txt", 0600), 0);
  for (const std::string& name : {Path("fifo.txt"), std::string("/dev/zero")}) {
    CObjectListElem o;
    CScriptedUserIO io;
    EXPECT_FALSE(LoadFitParameters(&o, name.c_str(), io));
    ASSERT_EQ(io.shown.size(), 1u);
    EXPECT_EQ(io.shown[0].lines, std::vector<std::string>{"Not a regular file: " + name});
  }
}
