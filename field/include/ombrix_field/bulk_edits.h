// Bulk edits of the field: scanning object folders for series files, loading
// alternate names from a text list, selecting series by filter or
// contributor, levelling series offsets and the field statistics.
//
// The dialogs of these commands belong to the GUI shell; the functions here
// take what the dialogs would give as inputs, so that a command is the shell's
// dialogs around these calls. Functions that change the model return true;
// the caller then refreshes its lists and reports the field as changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ombrix_field/field.h"
#include "ombrix_field/series_file.h"
#include "ombrix_field/user_io.h"

namespace ombrix_data {

// ---- folder scan ----

// One file seen by a scan of an object's folder.
struct TScanEntry {
  char path[kPathHigh + 1] = {};  // absolute path, zero-terminated
  bool onDisk = false;            // found by the scan
  bool inObject = false;          // a local series of the object has this path
  bool accepted = true;           // ticked in the confirmation list
};

// What accepting an entry does to the object.
enum class TScanAction : std::uint8_t {
  add,     // on disk, not in the object
  remove,  // in the object, not on disk
  keep,    // in both: the series is reloaded
};
TScanAction ScanEntryAction(const TScanEntry& entry);

// Colours (0xAABBGGRR) of the lines of the confirmation list.
inline constexpr std::uint32_t kScanAddColour = 0xFF007F00;
inline constexpr std::uint32_t kScanRemoveColour = 0xFF00007F;
inline constexpr std::uint32_t kScanKeepColour = 0xFF000000;

// A line of the confirmation list: "Add ", "Remove " or "Keep " and the path,
// with its colour.
void GetScanEntryLine(const TScanEntry& entry, std::string& text, std::uint32_t& colour);
// Orders entries for the confirmation list: additions, removals, then the
// kept files, each group in scan order.
void OrderScanEntriesForList(std::vector<TScanEntry>& entries);
// "Select all series" / "Deselect all series".
void SetAllScanEntriesAccepted(std::vector<TScanEntry>& entries, bool accepted);

// When the object's folder, relative path, file-name patterns and
// folder-name key are all empty, copies each of them from the previous
// object of the field, or for the first object from the next one. True when
// they were copied.
bool InheritScanSettings(const CField& field, CObjectListElem& object);

// The folder a scan of the object starts from (what the scan dialog shows):
// the object folder when it exists, else its relative path against the root
// (or program) folder when that exists, else empty.
void GetScanFolder(const CObjectListElem& object, const TSeriesFolders& folders, std::uint32_t high, char* folder);

// Stores the scan folder, file-name patterns ("a|b") and folder-name key
// into the object and recomputes its relative path.
void SetScanSettings(CObjectListElem& object, const char* folder, const char* fileNames, const char* dirKey,
                     const TSeriesFolders& folders);

// Files under `folder` and all its subfolders (except those whose name begins
// with ".") that match one of the patterns (wildcards, case ignored; patterns
// separated by "|", trimmed, the list ends at an empty one) and, with a
// non-empty key, lie in a folder whose path contains the key. Each file
// becomes an on-disk entry, once, in name order within each folder.
void CollectScanFiles(const char* folder, const char* fileNames, const char* dirKey, std::vector<TScanEntry>& entries);

// Marks the entries that are local series of the object and adds an entry
// for every local series whose file the scan did not find.
void MatchObjectSeries(const CObjectListElem& object, std::vector<TScanEntry>& entries);

// The entries of a scan with the object's stored settings: CollectScanFiles
// of its folder, then MatchObjectSeries. Shown for confirmation.
void CollectScanEntries(const CObjectListElem& object, std::vector<TScanEntry>& entries);

// What applying the entries did.
struct TScanResult {
  std::uint32_t added = 0;
  std::uint32_t reloaded = 0;
  std::uint32_t removed = 0;  // removed on purpose or because a reload failed
  std::uint32_t dropped = 0;  // new files that could not join the object
};

// Applies the confirmed entries: removes the series of accepted "Remove"
// entries and of unticked "Keep" entries; loads the files of accepted "Add"
// entries as new series (dropped silently when unreadable, empty, of the
// other unit or starting at the time of another series); reloads the series
// of accepted "Keep" entries (removed when they come back empty or of the
// other unit). Added and reloaded series pass the rules of series loaded with
// the field, heliocentric conversion included.
void ApplyScanEntries(CObjectListElem& object, const std::vector<TScanEntry>& entries, const TSeriesFolders& folders,
                      TScanResult& result);

// Scans an object without dialogs, every entry accepted. An object with no
// folder to scan, or no file-name pattern, is left unchanged: nothing would be
// looked for, and its series would all be taken for missing. True when the
// object was scanned.
bool ScanObjectUnattended(const CField& field, CObjectListElem& object, const TSeriesFolders& folders,
                          TScanResult& result);

// Progress of a whole-field scan, object `index` (from 1) of `total`.
class CFieldScanProgress {
 public:
  virtual ~CFieldScanProgress() = default;
  // Before the object is scanned (the shell selects it).
  virtual void Scanning(CObjectListElem& object, std::uint32_t index, std::uint32_t total) = 0;
  // After it was scanned (the shell repaints its lists and pages).
  virtual void Scanned(CObjectListElem& object, bool changed) = 0;
};

// "(Re)Scan Entire Field" after its confirmation: every object in field order
// through ScanObjectUnattended. False for an empty field or when no object
// was scanned.
bool ScanField(CField& field, const TSeriesFolders& folders, CFieldScanProgress* progress);

// The confirmation of the whole-field scan; true on OK.
bool ConfirmFieldScan(CUserIO& io);

// ---- alternate names ----

// Largest alternate-names file that is read.
inline constexpr std::uint64_t kMaxAlternateNamesFileSize = 16777216;
// Longest line taken from the file; the rest of a longer line is ignored.
inline constexpr std::uint32_t kAlternateNamesLineLength = 127;

// Applies an alternate-names list held in memory: lines up to the first empty
// one; for each, the first object in field order whose name followed by a
// space (else by a tab) occurs in the line takes the rest of the line after
// that occurrence, trimmed, as its alternate name. Objects without a name
// take no part. Returns the number of lines that named an object.
std::uint32_t ApplyAlternateNames(CField& field, const char* text, std::size_t length);

// "Load Alternate Names..." after its confirmation: reads the file (a regular
// file of at most kMaxAlternateNamesFileSize bytes) and applies it. When the
// file cannot be read, shows "Failed loading alternate names" with the cause
// and the path ("Cannot open file: " and the path) and returns false.
bool LoadAlternateNames(CField& field, const char* path, CUserIO& io);

// The question asked before the file is read; true on Yes.
bool ConfirmLoadAlternateNames(CUserIO& io);

// ---- series selection by filter or contributor ----

enum class TSeriesKeyKind : std::uint8_t {
  filter,       // stated filter, else the data's filter, else empty
  contributor,  // "local series", or the repository user's name
};

// The key of a series.
std::string SeriesKey(const CSeriesTreeElem& series, TSeriesKeyKind kind);

// A distinct key with its number of series.
struct TSeriesKeyCount {
  std::string key;
  std::uint32_t count = 0;
};

// Title of the selection dialog: "Select Series by Filters" or
// "Select Series by Contributors".
const char* SeriesSelectionTitle(TSeriesKeyKind kind);
// The distinct keys of the object's series in order of first appearance.
void CollectSeriesKeys(const CObjectListElem& object, TSeriesKeyKind kind, std::vector<TSeriesKeyCount>& keys);
// A line of the dialog: key, " (", count, " series)".
std::string SeriesKeyLine(const TSeriesKeyCount& key);
// Enables every series whose key is among `keys` when its tick is set and
// disables it otherwise (ticked[i] belongs to keys[i]); series whose key is
// not listed keep their state. Returns the number of enabled series.
std::uint32_t ApplySeriesKeySelection(CObjectListElem& object, TSeriesKeyKind kind,
                                      const std::vector<TSeriesKeyCount>& keys, const std::vector<bool>& ticked);

// ---- levelling of series offsets ----

enum class TLevelStatistic : std::uint8_t { median, range, average };

// Stated for a series without points (the statistic is then unavailable).
inline constexpr double kStatisticUnavailable = 100.0;

// The statistic of the series' raw values (offset not applied): the value at
// position n/2 of the sorted values, the midpoint of the extremes, or the
// mean. False with kStatisticUnavailable when the series has no points.
bool SeriesStatistic(const CSeriesTreeElem& series, TLevelStatistic statistic, double& value);

// Levels the offsets of the object's series to the reference series (the
// selected one, else the first): the reference gets offset 1 (flux) or 0
// (magnitude); every other series with a statistic e gets d - e (magnitude)
// or d / e (flux, unless e is 0) where d is the reference's statistic.
// False, nothing changed, when the reference has no statistic.
bool LevelSeriesOffsets(CObjectListElem& object, CSeriesTreeElem* selected, TLevelStatistic statistic);

// ---- field statistics ----

struct TFieldStatistics {
  std::uint32_t objects = 0;
  std::uint32_t series = 0;  // considered series (with points)
  std::uint32_t minima = 0;  // over all series of all objects
  std::uint64_t points = 0;  // of the considered series
  std::uint32_t nights = 0;  // distinct integer parts of first point times
  std::int64_t observingHours = 0;
};

// Counts the field; with `shortSeriesOnly` only series spanning less than a
// day are considered. Each considered series falls into the night of the
// integer part of its first point time, which spans from the earliest first
// to the latest last point time of its series.
void GetFieldStatistics(const CField& field, bool shortSeriesOnly, TFieldStatistics& statistics);

// Caption of the statistics message box.
inline constexpr const char* kFieldStatisticsCaption = "Statistics of Field";
// Its text: "Field contains:" and a line for each count, CR LF between lines.
std::string FieldStatisticsText(const TFieldStatistics& statistics);

}  // namespace ombrix_data
