// Scanning an object's folder tree for series files and bringing its local
// series in step with what was found.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <runbase/fio.h>
#include <runbase/fior.h>
#include <runbase/fixed_text.h>
#include <runbase/str.h>

#include "ofd_sections.h"
#include "ombrix_field/bulk_edits.h"

namespace ombrix_data {
namespace {

inline bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string_view PathView(const char* path) { return FixedText::View(kPathHigh, path); }

bool HasScanSettings(const CObjectListElem& o) {
  return o.absolutePath[0] || o.relativePath[0] || o.fileNames[0] || o.dirKey[0];
}

// The scan inputs an object holds.
struct TScanSettings {
  char absolutePath[kPathHigh + 1];
  char relativePath[kPathHigh + 1];
  char fileNames[kPathHigh + 1];
  char dirKey[kPathHigh + 1];
};

template <class From, class To>
void CopyScanSettings(const From& from, To& to) {
  std::memcpy(to.absolutePath, from.absolutePath, sizeof to.absolutePath);
  std::memcpy(to.relativePath, from.relativePath, sizeof to.relativePath);
  std::memcpy(to.fileNames, from.fileNames, sizeof to.fileNames);
  std::memcpy(to.dirKey, from.dirKey, sizeof to.dirKey);
}

bool FolderExists(const char* path) { return path[0] && FIO::ExistsDirA(kPathHigh, path); }

// The patterns of "a|b|c", trimmed; the list ends at the first empty one.
std::vector<std::string> SplitPatterns(const char* fileNames) {
  std::vector<std::string> patterns;
  std::string_view rest = FixedText::View(kPathHigh, fileNames);
  for (;;) {
    const std::size_t bar = rest.find('|');
    const std::string_view pattern = FixedText::Trim(rest.substr(0, bar));
    if (pattern.empty()) break;
    patterns.emplace_back(pattern);
    if (bar == std::string_view::npos) break;
    rest.remove_prefix(bar + 1);
  }
  return patterns;
}

// A path with every doubled backslash reduced to one.
std::string ReduceDoubledBackslashes(std::string path) {
  std::size_t at = 0;
  while ((at = path.find("\\\\", at)) != std::string::npos) path.erase(at, 1);
  return path;
}

struct TFolderEntry {
  std::string name;
  bool folder;
};

// The entries of a folder in name order, without "." and "..".
std::vector<TFolderEntry> ListFolder(const std::string& folder) {
  std::vector<TFolderEntry> list;
  char pattern[FIO::MaxPathLength + 1];
  FixedText::Assign(FIO::MaxPathLength, pattern, folder);
  FIOR::WildcardTailA(FIO::MaxPathLength, pattern);
  FIO::DirEntryA entry{};
  for (bool more = FIO::ReadFirstEntryA(FIO::MaxPathLength, pattern, FIO::AttrAnyFile, entry); more;
       more = FIO::ReadNextEntryA(entry)) {
    const std::string_view name(entry.name);
    if (name == "." || name == "..") continue;
    list.push_back({std::string(name), (entry.attributes & FIO::AttrDirectory) != 0});
  }
  FIO::CloseEntryA(entry);
  std::sort(list.begin(), list.end(), [](const TFolderEntry& a, const TFolderEntry& b) { return a.name < b.name; });
  return list;
}

// One pass of a pattern over a folder tree. Folders reached again through
// links are passed over, so that a link to an enclosing folder cannot make
// the walk endless.
class CFileCollector {
 public:
  CFileCollector(const std::string& pattern, const char* dirKey, std::vector<TScanEntry>& entries)
      : pattern_(pattern), dirKey_(FixedText::View(kPathHigh, dirKey)), entries_(entries) {}

  void Walk(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(folder, error);
    if (error || !visited_.insert(real.string()).second) return;
    const bool keyMatches = dirKey_.empty() || folder.find(dirKey_) != std::string::npos;
    for (const TFolderEntry& e : ListFolder(folder)) {
      std::string path = ReduceDoubledBackslashes(Join(folder, e.name));
      if (e.folder) {
        if (e.name[0] != '.') Walk(path);
      } else if (keyMatches && Matches(e.name)) {
        Add(path);
      }
    }
  }

 private:
  static std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && IsSeparator(folder.back())) return folder + name;
    return folder + "/" + name;
  }

  bool Matches(const std::string& name) const {
    return Str::MatchA(static_cast<std::uint32_t>(name.size()), name.c_str(),
                       static_cast<std::uint32_t>(pattern_.size()), pattern_.c_str());
  }

  // A path too long for an entry is left out rather than cut to another name.
  void Add(const std::string& path) {
    if (path.size() > kPathHigh) return;
    for (const TScanEntry& e : entries_)
      if (path == e.path) return;
    TScanEntry entry;
    FixedText::Assign(kPathHigh, entry.path, path);
    entry.onDisk = true;
    entries_.push_back(entry);
  }

  std::string pattern_;
  std::string_view dirKey_;
  std::vector<TScanEntry>& entries_;
  std::set<std::string> visited_;
};

CLocalSeriesTreeElem* AsLocal(CSeriesTreeElem* s) {
  return s->IsLocalSeries() ? static_cast<CLocalSeriesTreeElem*>(s) : nullptr;
}

const TScanEntry* FindEntry(const std::vector<TScanEntry>& entries, std::string_view path) {
  for (const TScanEntry& e : entries)
    if (path == e.path) return &e;
  return nullptr;
}

// The local series of the object whose file the entry names, or null.
CLocalSeriesTreeElem* FindLocalSeries(const CObjectListElem& object, const char* path) {
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    CLocalSeriesTreeElem* local = AsLocal(s);
    if (local && PathView(local->absolutePath) == path) return local;
  }
  return nullptr;
}

bool RemovedByEntry(const TScanEntry& e) { return e.inObject && (e.accepted ? !e.onDisk : e.onDisk); }

void RemoveSeries(CObjectListElem& object, CSeriesTreeElem* series) {
  vtree::CAVLTreeElem* removed = nullptr;
  if (object.series.Remove(series, removed)) TDoneDeleter()(removed);
}

void RemoveSeriesOfEntries(CObjectListElem& object, const std::vector<TScanEntry>& entries, TScanResult& result) {
  std::vector<CSeriesTreeElem*> doomed;
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    CLocalSeriesTreeElem* local = AsLocal(s);
    const TScanEntry* e = local ? FindEntry(entries, PathView(local->absolutePath)) : nullptr;
    if (e && RemovedByEntry(*e)) doomed.push_back(s);
  }
  for (CSeriesTreeElem* s : doomed) RemoveSeries(object, s);
  result.removed += static_cast<std::uint32_t>(doomed.size());
}

bool LoadFile(CLocalSeriesTreeElem& series, const TSeriesFolders& folders) {
  // The relative path is made to name the same file, which is read first.
  RelativeSeriesPath(series.absolutePath, folders, kPathHigh, series.relativePath);
  char error[kErrorTextHigh + 1];
  return LoadSeriesFile(series, folders, kErrorTextHigh, error);
}

bool AddSeries(CObjectListElem& object, const char* path, const TSeriesFolders& folders) {
  TOwned<CLocalSeriesTreeElem> series(new CLocalSeriesTreeElem);
  FixedText::Assign(kPathHigh, series->absolutePath, PathView(path));
  if (!LoadFile(*series, folders)) return false;
  if (AdmitLoadedSeries(object, *series) != TSeriesAdmission::admitted) return false;
  return object.InsertSeries(series.release());
}

// Reads the series' file again; false when the series had to go.
bool ReloadSeries(CObjectListElem& object, CLocalSeriesTreeElem* series, const TSeriesFolders& folders) {
  // Out of the tree while its first point time (the tree's order) changes.
  vtree::CAVLTreeElem* unlinked = nullptr;
  if (!object.series.Remove(series, unlinked)) return false;
  TOwned<CLocalSeriesTreeElem> owned(series);
  owned->missing = false;
  owned->missingOrder = 0;
  if (!LoadFile(*owned, folders)) return false;
  if ((owned->EffectiveUnit() == unitFlux) != object.fluxFlag) return false;
  if (AdmitLoadedSeries(object, *owned) != TSeriesAdmission::admitted) return false;
  return object.InsertSeries(owned.release());
}

void GetBaseFolder(const TSeriesFolders& folders, std::string& base) {
  const char* folder = (folders.rootFolder && folders.rootFolder[0]) ? folders.rootFolder : folders.programFolder;
  base = folder ? folder : "";
}

}  // namespace

TScanAction ScanEntryAction(const TScanEntry& entry) {
  if (entry.onDisk && entry.inObject) return TScanAction::keep;
  return entry.onDisk ? TScanAction::add : TScanAction::remove;
}

void GetScanEntryLine(const TScanEntry& entry, std::string& text, std::uint32_t& colour) {
  switch (ScanEntryAction(entry)) {
    case TScanAction::add:
      text = "Add ";
      colour = kScanAddColour;
      break;
    case TScanAction::remove:
      text = "Remove ";
      colour = kScanRemoveColour;
      break;
    case TScanAction::keep:
      text = "Keep ";
      colour = kScanKeepColour;
      break;
  }
  text += PathView(entry.path);
}

void OrderScanEntriesForList(std::vector<TScanEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const TScanEntry& a, const TScanEntry& b) {
    return static_cast<int>(ScanEntryAction(a)) < static_cast<int>(ScanEntryAction(b));
  });
}

void SetAllScanEntriesAccepted(std::vector<TScanEntry>& entries, bool accepted) {
  for (TScanEntry& e : entries) e.accepted = accepted;
}

bool InheritScanSettings(const CField& field, CObjectListElem& object) {
  if (HasScanSettings(object)) return false;
  const std::int32_t index = field.IndexOf(&object);
  if (index < 0) return false;
  const CObjectListElem* neighbour =
      index > 0 ? field.At(static_cast<std::uint32_t>(index - 1)) : CField::Next(&object);
  if (!neighbour) return false;
  CopyScanSettings(*neighbour, object);
  return true;
}

void GetScanFolder(const CObjectListElem& object, const TSeriesFolders& folders, std::uint32_t high, char* folder) {
  folder[0] = 0;
  char own[kPathHigh + 2] = {};
  std::memcpy(own, object.absolutePath, kPathHigh + 1);
  if (FolderExists(own)) {
    FixedText::Assign(high, folder, own);
    return;
  }
  char relative[kPathHigh + 2] = {};
  std::memcpy(relative, object.relativePath, kPathHigh + 1);
  std::string joined;
  const bool standsAlone = IsSeparator(relative[0]) || (relative[0] && relative[1] == ':');
  if (standsAlone) {
    joined = relative;
  } else {
    GetBaseFolder(folders, joined);
    if (!joined.empty() && relative[0] && !IsSeparator(joined.back())) joined += '/';
    joined += relative;
  }
  if (joined.empty()) return;
  char expanded[kPathHigh + 1];
  FIOR::ExpandPathA(static_cast<std::uint32_t>(joined.size()), joined.c_str(), kPathHigh, expanded);
  if (FolderExists(expanded)) FixedText::Assign(high, folder, expanded);
}

void SetScanSettings(CObjectListElem& object, const char* folder, const char* fileNames, const char* dirKey,
                     const TSeriesFolders& folders) {
  FixedText::Assign(kPathHigh, object.absolutePath, PathView(folder));
  FixedText::Assign(kPathHigh, object.fileNames, PathView(fileNames));
  FixedText::Assign(kPathHigh, object.dirKey, PathView(dirKey));
  object.relativePath[0] = 0;
  // An empty folder has no relative path (not one that climbs to the root).
  if (folder[0]) RelativeSeriesPath(folder, folders, kPathHigh, object.relativePath);
}

void CollectScanFiles(const char* folder, const char* fileNames, const char* dirKey, std::vector<TScanEntry>& entries) {
  if (!folder[0]) return;
  // Paths built from the expanded folder compare equal to the paths that
  // loading stores in the series.
  char start[kPathHigh + 1];
  FIOR::ExpandPathA(kPathHigh, folder, kPathHigh, start);
  for (const std::string& pattern : SplitPatterns(fileNames)) CFileCollector(pattern, dirKey, entries).Walk(start);
}

void MatchObjectSeries(const CObjectListElem& object, std::vector<TScanEntry>& entries) {
  std::vector<TScanEntry> unseen;
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    const CLocalSeriesTreeElem* local = AsLocal(s);
    if (!local) continue;
    const std::string_view path = PathView(local->absolutePath);
    bool seen = false;
    for (TScanEntry& e : entries) {
      if (path != e.path) continue;
      e.inObject = true;
      seen = true;
    }
    if (seen || FindEntry(unseen, path)) continue;
    TScanEntry entry;
    FixedText::Assign(kPathHigh, entry.path, path);
    entry.inObject = true;
    unseen.push_back(entry);
  }
  entries.insert(entries.end(), unseen.begin(), unseen.end());
}

void CollectScanEntries(const CObjectListElem& object, std::vector<TScanEntry>& entries) {
  entries.clear();
  char folder[kPathHigh + 2] = {};
  std::memcpy(folder, object.absolutePath, kPathHigh + 1);
  CollectScanFiles(folder, object.fileNames, object.dirKey, entries);
  MatchObjectSeries(object, entries);
}

void ApplyScanEntries(CObjectListElem& object, const std::vector<TScanEntry>& entries, const TSeriesFolders& folders,
                      TScanResult& result) {
  result = {};
  RemoveSeriesOfEntries(object, entries, result);
  for (const TScanEntry& e : entries) {
    if (!e.accepted || ScanEntryAction(e) != TScanAction::add) continue;
    if (AddSeries(object, e.path, folders)) ++result.added;
    else ++result.dropped;
  }
  for (const TScanEntry& e : entries) {
    if (!e.accepted || ScanEntryAction(e) != TScanAction::keep) continue;
    CLocalSeriesTreeElem* series = FindLocalSeries(object, e.path);
    if (!series) continue;
    if (ReloadSeries(object, series, folders)) ++result.reloaded;
    else ++result.removed;
  }
}

bool ScanObjectUnattended(const CField& field, CObjectListElem& object, const TSeriesFolders& folders,
                          TScanResult& result) {
  result = {};
  // Settings inherited for an object that is then left alone are not kept.
  TScanSettings before;
  CopyScanSettings(object, before);
  InheritScanSettings(field, object);
  char folder[kPathHigh + 1];
  GetScanFolder(object, folders, kPathHigh, folder);
  if (!folder[0] || SplitPatterns(object.fileNames).empty()) {
    CopyScanSettings(before, object);
    return false;
  }
  char fileNames[kPathHigh + 2] = {};
  char dirKey[kPathHigh + 2] = {};
  std::memcpy(fileNames, object.fileNames, kPathHigh + 1);
  std::memcpy(dirKey, object.dirKey, kPathHigh + 1);
  SetScanSettings(object, folder, fileNames, dirKey, folders);
  std::vector<TScanEntry> entries;
  CollectScanEntries(object, entries);
  ApplyScanEntries(object, entries, folders, result);
  return true;
}

bool ScanField(CField& field, const TSeriesFolders& folders, CFieldScanProgress* progress) {
  const std::uint32_t total = field.Count();
  std::uint32_t index = 0;
  bool changed = false;
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) {
    if (progress) progress->Scanning(*o, ++index, total);
    TScanResult result;
    const bool scanned = ScanObjectUnattended(field, *o, folders, result);
    changed = changed || scanned;
    if (progress) progress->Scanned(*o, scanned);
  }
  return changed;
}

bool ConfirmFieldScan(CUserIO& io) {
  const TUserMessage question{"(Re)Scan Entire Field",
                              {"Series lists will be updated for all objects within the field.",
                               "+ All newly found series will be automatically added.",
                               "- All series not found on disk will be automatically removed."},
                              TMessageIcon::question};
  return io.Ask(question, TButtons::okCancel) == TAnswer::ok;
}

}  // namespace ombrix_data
