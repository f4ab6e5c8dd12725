// Locating and loading series files, and the heliocentric conversion of
// series times.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <ombrix_model/astro.h>
#include <runbase/fio.h>
#include <runbase/fior.h>

#include "ombrix_field/series_file.h"
#include "text.h"

namespace ombrix_data {
namespace {

constexpr std::uint32_t kScratchHigh = 2 * kPathHigh + 1;

inline bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool HasDriveLetter(const char* path) { return path[0] != 0 && path[1] == ':'; }

// Paths that stand on their own: rooted, or with a drive letter.
bool IsAbsolutePath(const char* path) { return IsSeparator(path[0]) || HasDriveLetter(path); }

// folder + exactly one separator + name.
void JoinWithOneSeparator(const char* folder, const char* name, std::uint32_t high, char* out) {
  CopyText(high, out, folder);
  std::size_t used = TextLength(high, out);
  bool folderEnds = used > 0 && IsSeparator(out[used - 1]);
  while (IsSeparator(*name) && (folderEnds || used == 0)) ++name;
  if (used > 0 && !folderEnds && !IsSeparator(*name)) AppendText(high, out, "/");
  AppendText(high, out, name);
}

// The folder against which relative paths are kept, expanded and ending in a
// separator.
void BaseFolder(const TSeriesFolders& folders, std::uint32_t high, char* base) {
  const char* folder = (folders.rootFolder && folders.rootFolder[0]) ? folders.rootFolder
                                                                     : folders.programFolder;
  base[0] = 0;
  if (!folder || !folder[0]) return;
  FIOR::ExpandPathA(kPathHigh, folder, high, base);
  std::size_t n = TextLength(high, base);
  if (n > 0 && !IsSeparator(base[n - 1])) AppendText(high, base, "/");
}

// Opens a file for reading; directories and missing files give the invalid handle.
FIO::File OpenSeriesFile(const char* path) {
  if (!path[0] || !FIO::ExistsA(kPathHigh, path)) return FIO::InvalidHandle;
  return FIO::OpenReadA(kPathHigh, path);
}

void SetError(std::uint32_t high, char* errorText, const char* text, const char* detail = "") {
  CopyText(high, errorText, text);
  // Paths may fill their arrays without a terminator.
  AppendText(high, errorText, std::string(detail, strnlen(detail, kPathHigh + 1)).c_str());
}

// Reads the open file into the series; closes it.
bool ReadSeriesFile(FIO::File file, CLocalSeriesTreeElem& series, std::uint32_t errorHigh,
                    char* errorText) {
  FIO::FileTime lastWrite = 0;
  if (FIO::GetFileTime(file, lastWrite)) series.fileTime = lastWrite;
  std::uint64_t size = FIO::Size(file);
  if (size == ~std::uint64_t{0}) {
    FIO::Close(file);
    SetError(errorHigh, errorText, "Cannot open file: ", series.absolutePath);
    return false;
  }
  if (size > kMaxSeriesFileSize) {
    FIO::Close(file);
    SetError(errorHigh, errorText, "File too big (> 16 MB)");
    return false;
  }
  std::vector<char> data(static_cast<std::size_t>(size));
  std::uint32_t got = 0;
  if (size > 0) {
    auto count = static_cast<std::uint32_t>(size);
    got = FIO::RdBin(file, count - 1, data.data(), count);
  }
  FIO::Close(file);
  series.ClearPoints();
  series.dataMetaData.Done();
  return ReadSeriesText(series, data.data(), got) > 0;
}

}  // namespace

void SeriesCandidatePath(const char* relativePath, const TSeriesFolders& folders,
                         std::uint32_t high, char* candidate) {
  char joined[kScratchHigh + 1];
  if (folders.rootFolder && folders.rootFolder[0])
    JoinWithOneSeparator(folders.rootFolder, relativePath, kScratchHigh, joined);
  else if (IsAbsolutePath(relativePath) || !folders.programFolder)
    CopyText(kScratchHigh, joined, relativePath);
  else
    JoinWithOneSeparator(folders.programFolder, relativePath, kScratchHigh, joined);
  FIOR::ExpandPathA(kScratchHigh, joined, high, candidate);
}

void RelativeSeriesPath(const char* absolutePath, const TSeriesFolders& folders,
                        std::uint32_t high, char* relative) {
  relative[0] = 0;
  char base[kPathHigh + 2];
  BaseFolder(folders, kPathHigh + 1, base);
  if (HasDriveLetter(absolutePath) && HasDriveLetter(base) &&
      UpperAscii(absolutePath[0]) != UpperAscii(base[0]))
    return;
  // The common part ends after a separator, so that a folder name sharing a
  // prefix with the base ("data2" beside "data") is not split.
  std::size_t common = 0;
  std::size_t afterSeparator = 0;
  while (absolutePath[common] && base[common] &&
         (absolutePath[common] == base[common] ||
          (IsSeparator(absolutePath[common]) && IsSeparator(base[common])))) {
    if (IsSeparator(base[common])) afterSeparator = common + 1;
    ++common;
  }
  if (base[common] != 0) common = afterSeparator;
  for (const char* p = base + common; *p; ++p)
    if (IsSeparator(*p)) AppendText(high, relative, "../");
  std::size_t used = TextLength(high, relative);
  for (const char* p = absolutePath + common; *p && used <= high; ++p, ++used)
    relative[used] = *p == '\\' ? '/' : *p;
  if (used <= high) relative[used] = 0;
}

bool LoadSeriesFile(CLocalSeriesTreeElem& series, const TSeriesFolders& folders,
                    std::uint32_t errorHigh, char* errorText) {
  errorText[0] = 0;
  // A full path array carries no terminator: work on terminated copies.
  char relative[kPathHigh + 2] = {};
  char absolute[kPathHigh + 2] = {};
  std::memcpy(relative, series.relativePath, kPathHigh + 1);
  std::memcpy(absolute, series.absolutePath, kPathHigh + 1);
  char candidate[kPathHigh + 1] = {};
  if (relative[0]) SeriesCandidatePath(relative, folders, kPathHigh, candidate);
  FIO::File file = OpenSeriesFile(candidate);
  if (file != FIO::InvalidHandle) {
    CopyText(kPathHigh, series.absolutePath, candidate);
  } else {
    file = OpenSeriesFile(absolute);
    if (file == FIO::InvalidHandle) {
      SetError(errorHigh, errorText, "Cannot open file: ", candidate[0] ? candidate : absolute);
      return false;
    }
    RelativeSeriesPath(absolute, folders, kPathHigh, series.relativePath);
  }
  return ReadSeriesFile(file, series, errorHigh, errorText);
}

void GetConversionCoordinates(const CObjectListElem& object, bool localSeries, double& ra,
                              double& dec) {
  const CSeriesTreeElem* source = localSeries ? object.MetaDataSourceSeries() : nullptr;
  const TStarData* star = &object.metaData.var;
  if (source) {
    star = &source->fieldMetaData.var;
    if (!IsRAKnown(star->ra) || !IsDecKnown(star->dec)) star = &source->dataMetaData.var;
  }
  ra = star->ra;
  dec = star->dec;
}

void ConvertTimesToHeliocentric(CSeriesTreeElem& series, double ra, double dec) {
  const ombrix_model::TStarTrig star = ombrix_model::StarTrig(ra, dec);
  for (std::uint32_t i = 0; i < series.pointCount; ++i)
    series.time[i] = ombrix_model::HeliocentricJD(series.time[i], star);
  if (std::is_sorted(series.time, series.time + series.pointCount)) return;
  // Points a few seconds apart can swap order; restore it stably.
  std::vector<TSeriesPoint> points(series.pointCount);
  for (std::uint32_t i = 0; i < series.pointCount; ++i) points[i] = series.Point(i);
  series.ClearPoints();
  series.InsertPoints(points.data(), points.size());
}

void ApplyHeliocentricConversion(CSeriesTreeElem& series, double ra, double dec) {
  series.converted = false;
  if (series.dataMetaData.jdType == jdHeliocentric) return;
  if (series.dataMetaData.jdType == jdGeocentric && series.pointCount == 0) return;
  if (!IsRAKnown(ra) || !IsDecKnown(dec)) return;
  ConvertTimesToHeliocentric(series, ra, dec);
  series.converted = true;
}

void ApplyHeliocentricConversion(CSeriesTreeElem& series, const CObjectListElem& object) {
  double ra = kUnknownRA;
  double dec = kUnknownDec;
  GetConversionCoordinates(object, series.IsLocalSeries(), ra, dec);
  ApplyHeliocentricConversion(series, ra, dec);
}

}  // namespace ombrix_data
