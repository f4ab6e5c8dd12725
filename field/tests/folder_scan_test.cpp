// Folder scans on real folder trees: collecting files, the confirmation
// entries and what accepting or unticking them does to the object.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <ombrix_testsupport/temp_folder.h>

#include "ombrix_field/bulk_edits.h"

namespace ombrix_data {
namespace {

namespace fs = std::filesystem;

// Two points starting at `first`; magnitudes unless a unit line is given.
std::string SeriesText(const std::string& first, const std::string& header = "") {
  return header + first + " 12.5 0.01\n" + first + "1 12.7 0.01\n";
}

class FolderScanTest : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    fs::create_directories(folder_ / "prog");
    root = (folder_ / "root").string();
    program = (folder_ / "prog").string();
    star = root + "/star";
    fs::create_directories(star);
  }

  std::string Write(const std::string& name, const std::string& text) {
    const fs::path p = fs::path(star) / name;
    ombrix_test::WriteFile(p, text);
    return p.string();
  }

  TSeriesFolders Folders() const { return {root.c_str(), program.c_str()}; }

  CObjectListElem* NewObject(const char* fileNames, const char* dirKey = "") {
    auto* o = new CObjectListElem;
    SetScanSettings(*o, star.c_str(), fileNames, dirKey, Folders());
    field.Append(o);
    return o;
  }

  std::vector<TScanEntry> Entries(const CObjectListElem& o) {
    std::vector<TScanEntry> entries;
    CollectScanEntries(o, entries);
    return entries;
  }

  // Scans with every entry accepted.
  TScanResult Scan(CObjectListElem& o) {
    TScanResult result;
    ApplyScanEntries(o, Entries(o), Folders(), result);
    return result;
  }

  static std::vector<std::string> SeriesPaths(const CObjectListElem& o) {
    std::vector<std::string> paths;
    for (CSeriesTreeElem* s = o.FirstSeries(); s; s = o.NextSeries(s))
      paths.push_back(static_cast<CLocalSeriesTreeElem*>(s)->absolutePath);
    return paths;
  }

  std::vector<std::string> Lines(std::vector<TScanEntry> entries) {
    OrderScanEntriesForList(entries);
    std::vector<std::string> lines;
    for (const TScanEntry& e : entries) {
      std::string text;
      std::uint32_t colour = 0;
      GetScanEntryLine(e, text, colour);
      lines.push_back(text);
    }
    return lines;
  }

  std::string root, program, star;
  CField field;
};

TEST_F(FolderScanTest, CollectsMatchingFilesRecursivelySkippingHiddenFolders) {
  const std::string a = Write("n1/a_V.TXT", SeriesText("2459000.5"));
  const std::string b = Write("n2/deep/b_R.txt", SeriesText("2459001.5"));
  const std::string c = Write("c.dat", SeriesText("2459002.5"));
  Write(".hidden/h.txt", SeriesText("2459003.5"));
  Write("n1/notes.doc", "x");

  std::vector<TScanEntry> entries;
  // Patterns are trimmed, match without regard to case, and a file matched
  // by two patterns is listed once.
  CollectScanFiles(star.c_str(), " *.txt | *.dat|*_V*", "", entries);
  std::vector<std::string> paths;
  for (const TScanEntry& e : entries) {
    paths.push_back(e.path);
    EXPECT_TRUE(e.onDisk && !e.inObject && e.accepted);
  }
  EXPECT_EQ(paths, (std::vector<std::string>{a, b, c}));

  // An empty pattern ends the list.
  entries.clear();
  CollectScanFiles(star.c_str(), "*.dat||*.txt", "", entries);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(std::string(entries[0].path), c);

  // The key restricts to folders whose path contains it.
  entries.clear();
  CollectScanFiles(star.c_str(), "*.txt", "deep", entries);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(std::string(entries[0].path), b);

  // No folder, no scan (never the current folder).
  entries.clear();
  CollectScanFiles("", "*", "", entries);
  EXPECT_TRUE(entries.empty());
}

TEST_F(FolderScanTest, LinkToEnclosingFolderDoesNotMakeTheWalkEndless) {
  const std::string a = Write("sub/a.txt", SeriesText("2459000.5"));
  fs::create_directory_symlink(star, fs::path(star) / "sub" / "loop");
  std::vector<TScanEntry> entries;
  CollectScanFiles(star.c_str(), "*.txt", "", entries);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(std::string(entries[0].path), a);
}

TEST_F(FolderScanTest, AddRemoveKeepAndWhatUntickingDoes) {
  const std::string a = Write("a.txt", SeriesText("2459000.5"));
  const std::string b = Write("b.txt", SeriesText("2459001.5"));
  CObjectListElem* o = NewObject("*.txt");
  TScanResult first = Scan(*o);
  EXPECT_EQ(first.added, 2u);
  ASSERT_EQ(SeriesPaths(*o), (std::vector<std::string>{a, b}));

  fs::remove(a);
  const std::string c = Write("c.txt", SeriesText("2459002.5"));
  std::vector<TScanEntry> entries = Entries(*o);
  EXPECT_EQ(Lines(entries), (std::vector<std::string>{"Add " + c, "Remove " + a, "Keep " + b}));
  // Unticking "Remove" keeps the series although its file is gone; unticking
  // "Keep" removes a series whose file is there.
  for (TScanEntry& e : entries) e.accepted = ScanEntryAction(e) == TScanAction::add;
  TScanResult result;
  ApplyScanEntries(*o, entries, Folders(), result);
  EXPECT_EQ(SeriesPaths(*o), (std::vector<std::string>{a, c}));
  EXPECT_EQ(result.added, 1u);
  EXPECT_EQ(result.removed, 1u);

  // Everything accepted: the missing file's series goes, b comes back.
  result = Scan(*o);
  EXPECT_EQ(SeriesPaths(*o), (std::vector<std::string>{b, c}));
  EXPECT_EQ(result.removed, 1u);
  EXPECT_EQ(result.reloaded, 1u);

  // Nothing accepted: nothing added, every present series removed.
  Write("d.txt", SeriesText("2459003.5"));
  entries = Entries(*o);
  SetAllScanEntriesAccepted(entries, false);
  ApplyScanEntries(*o, entries, Folders(), result);
  EXPECT_TRUE(SeriesPaths(*o).empty());
}

TEST_F(FolderScanTest, OtherUnitAndDuplicateFirstTimeAreDroppedSilently) {
  const std::string flux = Write("1.txt", SeriesText("2459000.5", "Unit: flux\n"));
  Write("2.txt", SeriesText("2459000.5", "Unit: flux\n"));  // same first time as 1.txt
  Write("3.txt", SeriesText("2459001.5"));                  // magnitudes
  Write("4.txt", "no data here\n");
  CObjectListElem* o = NewObject("*.txt");
  TScanResult result = Scan(*o);
  EXPECT_EQ(result.added, 1u);
  EXPECT_EQ(result.dropped, 3u);
  ASSERT_EQ(SeriesPaths(*o), (std::vector<std::string>{flux}));
  // The first series sets the unit; a flux series gets offset 1.
  EXPECT_TRUE(o->fluxFlag);
  EXPECT_EQ(o->FirstSeries()->offset, 1.0);
}

TEST_F(FolderScanTest, ReloadReadsChangedFilesAndRemovesThoseGoneBad) {
  const std::string a = Write("a.txt", SeriesText("2459000.5"));
  const std::string b = Write("b.txt", SeriesText("2459001.5"));
  const std::string c = Write("c.txt", SeriesText("2459002.5"));
  CObjectListElem* o = NewObject("*.txt");
  Scan(*o);
  o->FirstSeries()->offset = 0.25;
  Write("a.txt", SeriesText("2459000.5") + "2459000.7 13 0.1\n");
  Write("b.txt", "");                                       // no points any more
  Write("c.txt", SeriesText("2459002.5", "Unit: flux\n"));  // the other unit
  TScanResult result = Scan(*o);
  EXPECT_EQ(result.reloaded, 1u);
  EXPECT_EQ(result.removed, 2u);
  ASSERT_EQ(SeriesPaths(*o), (std::vector<std::string>{a}));
  EXPECT_EQ(o->FirstSeries()->pointCount, 3u);
  EXPECT_EQ(o->FirstSeries()->offset, 0.25);  // settings survive a reload
}

TEST_F(FolderScanTest, AddedAndReloadedSeriesAreConvertedToHeliocentric) {
  Write("a.txt", SeriesText("2459000.5", "JD: geocentric\n"));
  CObjectListElem* o = NewObject("*.txt");
  o->metaData.var.ra = 1.0;
  o->metaData.var.dec = 0.5;
  Scan(*o);
  ASSERT_NE(o->FirstSeries(), nullptr);
  const double converted = o->FirstSeries()->FirstTime();
  EXPECT_TRUE(o->FirstSeries()->converted);
  EXPECT_NE(converted, 2459000.5);
  EXPECT_NEAR(converted, 2459000.5, 0.01);
  Scan(*o);  // converted from the file's times again, not twice
  ASSERT_NE(o->FirstSeries(), nullptr);
  EXPECT_TRUE(o->FirstSeries()->converted);
  EXPECT_EQ(o->FirstSeries()->FirstTime(), converted);
}

TEST_F(FolderScanTest, SeriesMissingAtLoadIsReloadedWhenItsFileIsBack) {
  const std::string a = Write("a.txt", SeriesText("2459000.5"));
  CObjectListElem* o = NewObject("*.txt");
  auto* missing = new CLocalSeriesTreeElem;
  std::snprintf(missing->absolutePath, sizeof missing->absolutePath, "%s", a.c_str());
  missing->offset = 0.5;
  o->InsertMissingSeries(missing);
  const std::vector<TScanEntry> entries = Entries(*o);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(ScanEntryAction(entries[0]), TScanAction::keep);
  TScanResult result;
  ApplyScanEntries(*o, entries, Folders(), result);
  ASSERT_NE(o->FirstSeries(), nullptr);
  EXPECT_FALSE(o->FirstSeries()->missing);
  EXPECT_EQ(o->FirstSeries()->pointCount, 2u);
  EXPECT_EQ(o->FirstSeries()->offset, 0.5);
}

TEST_F(FolderScanTest, EmptyScanSettingsAreInheritedFromTheNeighbour) {
  CObjectListElem* first = NewObject("*.txt", "key");
  auto* second = new CObjectListElem;
  field.Append(second);
  EXPECT_TRUE(InheritScanSettings(field, *second));
  EXPECT_STREQ(second->absolutePath, first->absolutePath);
  EXPECT_STREQ(second->relativePath, first->relativePath);
  EXPECT_STREQ(second->fileNames, "*.txt");
  EXPECT_STREQ(second->dirKey, "key");

  // The first object takes the next one's; settings of its own are kept.
  auto* top = new CObjectListElem;
  field.InsertBefore(first, top);
  EXPECT_TRUE(InheritScanSettings(field, *top));
  EXPECT_STREQ(top->fileNames, "*.txt");
  std::snprintf(second->fileNames, sizeof second->fileNames, "*.dat");
  second->absolutePath[0] = 0;
  EXPECT_FALSE(InheritScanSettings(field, *second));
  EXPECT_STREQ(second->fileNames, "*.dat");
}

TEST_F(FolderScanTest, ScanFolderAndRelativePath) {
  CObjectListElem o;
  char folder[kPathHigh + 1];
  SetScanSettings(o, star.c_str(), "*", "", Folders());
  EXPECT_STREQ(o.relativePath, "star");
  GetScanFolder(o, Folders(), kPathHigh, folder);
  EXPECT_EQ(folder, star);

  // The object folder is gone: its relative path against the root or the
  // program folder, or used alone when it is absolute.
  std::snprintf(o.absolutePath, sizeof o.absolutePath, "/nowhere/star");
  GetScanFolder(o, Folders(), kPathHigh, folder);
  EXPECT_EQ(folder, star);
  fs::create_directories(fs::path(program) / "star");
  GetScanFolder(o, {"", program.c_str()}, kPathHigh, folder);
  EXPECT_EQ(folder, program + "/star");
  std::snprintf(o.relativePath, sizeof o.relativePath, "%s", star.c_str());
  GetScanFolder(o, {program.c_str(), program.c_str()}, kPathHigh, folder);
  EXPECT_EQ(folder, star);
  std::snprintf(o.relativePath, sizeof o.relativePath, "missing");
  GetScanFolder(o, Folders(), kPathHigh, folder);
  EXPECT_STREQ(folder, "");

  SetScanSettings(o, "", "*", "", Folders());
  EXPECT_STREQ(o.relativePath, "");
}

// Records the calls of a whole-field scan.
class CRecordedProgress : public CFieldScanProgress {
 public:
  std::vector<std::string> calls;
  void Scanning(CObjectListElem& object, std::uint32_t index, std::uint32_t total) override {
    calls.push_back(std::string(object.name) + " " + std::to_string(index) + "/" + std::to_string(total));
  }
  void Scanned(CObjectListElem& object, bool changed) override {
    calls.push_back(std::string(object.name) + (changed ? " scanned" : " left"));
  }
};

TEST_F(FolderScanTest, WholeFieldScanLeavesObjectsWithNothingToLookFor) {
  const std::string a = Write("a.txt", SeriesText("2459000.5"));
  CObjectListElem* scanned = NewObject("*.txt");
  std::snprintf(scanned->name, sizeof scanned->name, "A");
  // An object whose series were loaded with the field but which has no
  // file-name pattern: a scan would take every series for missing.
  CObjectListElem* unscanned = NewObject("");
  std::snprintf(unscanned->name, sizeof unscanned->name, "B");
  auto* kept = new CLocalSeriesTreeElem;
  std::snprintf(kept->absolutePath, sizeof kept->absolutePath, "%s", a.c_str());
  kept->InsertPoint({2459000.5, 12, 0});
  unscanned->InsertSeries(kept);

  CRecordedProgress progress;
  EXPECT_TRUE(ScanField(field, Folders(), &progress));
  EXPECT_EQ(progress.calls, (std::vector<std::string>{"A 1/2", "A scanned", "B 2/2", "B left"}));
  EXPECT_EQ(SeriesPaths(*scanned), (std::vector<std::string>{a}));
  EXPECT_EQ(SeriesPaths(*unscanned), (std::vector<std::string>{a}));
  EXPECT_STREQ(unscanned->fileNames, "");

  CField empty;
  EXPECT_FALSE(ScanField(empty, Folders(), &progress));
}

}  // namespace
}  // namespace ombrix_data
