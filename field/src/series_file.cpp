// Locating and loading series files, and the heliocentric conversion of
// series times.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <ombrix_model/astro.h>
#include <runbase/fio.h>
#include <runbase/fior.h>
#include <runbase/fixed_text.h>

#include "ombrix_field/series_file.h"

namespace ombrix_data {
namespace {

constexpr std::uint32_t kScratchHigh = 2 * kPathHigh + 1;

inline bool IsSeparator(char c) { return c == '/' || c == '\\'; }
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool HasDriveLetter(const char* path) { return path[0] != 0 && path[1] == ':'; }

// Paths that stand on their own: rooted, or with a drive letter.
bool IsAbsolutePath(const char* path) { return IsSeparator(path[0]) || HasDriveLetter(path); }

// folder + exactly one separator + name.
void JoinWithOneSeparator(const char* folder, const char* name, std::uint32_t high, char* out) {
  FixedText::Assign(high, out, folder);
  std::size_t used = FixedText::Length(high, out);
  bool folderEnds = used > 0 && IsSeparator(out[used - 1]);
  while (IsSeparator(*name) && (folderEnds || used == 0)) ++name;
  if (used > 0 && !folderEnds && !IsSeparator(*name)) FixedText::Append(high, out, "/");
  FixedText::Append(high, out, name);
}

// The folder against which relative paths are kept, expanded and ending in a
// separator.
void BaseFolder(const TSeriesFolders& folders, std::uint32_t high, char* base) {
  const char* folder = (folders.rootFolder && folders.rootFolder[0]) ? folders.rootFolder
                                                                     : folders.programFolder;
  base[0] = 0;
  if (!folder || !folder[0]) return;
  FIOR::ExpandPathA(kPathHigh, folder, high, base);
  std::size_t n = FixedText::Length(high, base);
  if (n > 0 && !IsSeparator(base[n - 1])) FixedText::Append(high, base, "/");
}

// The whole content of a series file, read with the size limit. FIFOs and
// devices are refused unread: they may block or never end.
struct TSeriesBytes {
  FIO::WholeFile result = FIO::WholeFile::cannotOpen;
  bool device = false;  // a FIFO, device or socket (not a folder)
  std::string bytes;
  FIO::FileTime lastWrite = 0;
};

void ReadSeriesBytes(const char* path, TSeriesBytes& read) {
  read.result = FIO::ReadWholeFileA(kPathHigh, path, kMaxSeriesFileSize, read.bytes, &read.lastWrite);
  read.device = read.result == FIO::WholeFile::notRegularFile && FIO::IOresult() != EISDIR;
}

// A found file may still be unusable: too big or unreadable.
bool IsFound(const TSeriesBytes& read) {
  return read.result == FIO::WholeFile::ok || read.result == FIO::WholeFile::tooLarge ||
         read.result == FIO::WholeFile::cannotRead;
}

void SetError(std::uint32_t high, char* errorText, const char* text, const char* detail = "") {
  FixedText::Assign(high, errorText, text);
  // Paths may fill their arrays without a terminator.
  FixedText::Append(high, errorText, FixedText::View(kPathHigh, detail));
}

// Reads the bytes of a found file into the series.
bool ReadSeriesBytesInto(const TSeriesBytes& read, CLocalSeriesTreeElem& series,
                         std::uint32_t errorHigh, char* errorText) {
  if (read.result == FIO::WholeFile::tooLarge) {
    SetError(errorHigh, errorText, "File too big (> 16 MB)");
    return false;
  }
  if (read.result != FIO::WholeFile::ok) {
    SetError(errorHigh, errorText, "Cannot read file: ", series.absolutePath);
    return false;
  }
  series.fileTime = read.lastWrite;
  series.ClearPoints();
  series.dataMetaData.Done();
  return ReadSeriesText(series, read.bytes.data(), read.bytes.size()) > 0;
}

}  // namespace

void SeriesCandidatePath(const char* relativePath, const TSeriesFolders& folders,
                         std::uint32_t high, char* candidate) {
  char joined[kScratchHigh + 1];
  if (folders.rootFolder && folders.rootFolder[0])
    JoinWithOneSeparator(folders.rootFolder, relativePath, kScratchHigh, joined);
  else if (IsAbsolutePath(relativePath) || !folders.programFolder)
    FixedText::Assign(kScratchHigh, joined, relativePath);
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
    if (IsSeparator(*p)) FixedText::Append(high, relative, "../");
  std::size_t used = FixedText::Length(high, relative);
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
  TSeriesBytes read;
  if (candidate[0]) ReadSeriesBytes(candidate, read);
  if (IsFound(read)) {
    FixedText::Assign(kPathHigh, series.absolutePath, candidate);
    return ReadSeriesBytesInto(read, series, errorHigh, errorText);
  }
  const bool candidateIsDevice = read.device;
  ReadSeriesBytes(absolute, read);
  if (IsFound(read)) {
    RelativeSeriesPath(absolute, folders, kPathHigh, series.relativePath);
    return ReadSeriesBytesInto(read, series, errorHigh, errorText);
  }
  if (candidateIsDevice)
    SetError(errorHigh, errorText, "Not a regular file: ", candidate);
  else if (read.device)
    SetError(errorHigh, errorText, "Not a regular file: ", absolute);
  else
    SetError(errorHigh, errorText, "Cannot open file: ", candidate[0] ? candidate : absolute);
  return false;
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

namespace {

// Points a few seconds apart can swap order in a conversion; restores it
// stably.
void RestoreTimeOrder(CSeriesTreeElem& series) {
  if (std::is_sorted(series.time, series.time + series.pointCount)) return;
  // Points a few seconds apart can swap order; restore it stably.
  std::vector<TSeriesPoint> points(series.pointCount);
  for (std::uint32_t i = 0; i < series.pointCount; ++i) points[i] = series.Point(i);
  series.ClearPoints();
  series.InsertPoints(points.data(), points.size());
}

}  // namespace

void ConvertTimesToHeliocentric(CSeriesTreeElem& series, double ra, double dec) {
  const ombrix_model::TStarTrig star = ombrix_model::StarTrig(ra, dec);
  for (std::uint32_t i = 0; i < series.pointCount; ++i)
    series.time[i] = ombrix_model::HeliocentricJD(series.time[i], star);
  RestoreTimeOrder(series);
}

bool ConvertTimesToScale(CSeriesTreeElem& series, double ra, double dec, ombrix_model::TTimeScale scale) {
  if (scale == ombrix_model::tsHJD) {
    ConvertTimesToHeliocentric(series, ra, dec);
    return true;
  }
  std::vector<double> converted(series.pointCount);
  for (std::uint32_t i = 0; i < series.pointCount; ++i)
    if (!ombrix_model::TimeInScale(series.time[i], scale, ra, dec, converted[i])) return false;
  std::copy(converted.begin(), converted.end(), series.time);
  RestoreTimeOrder(series);
  return true;
}

void ApplyHeliocentricConversion(CSeriesTreeElem& series, double ra, double dec) {
  series.converted = false;
  if (series.dataMetaData.jdType == jdHeliocentric || series.dataMetaData.jdType == jdBarycentric) return;
  if (series.dataMetaData.jdType == jdGeocentric && series.pointCount == 0) return;
  if (!IsRAKnown(ra) || !IsDecKnown(dec)) return;
  const ombrix_model::TTimeScale scale = FieldTimeScale();
  if (!ConvertTimesToScale(series, ra, dec, scale)) return;
  series.converted = true;
  series.convertedScale = scale;
}

void ApplyHeliocentricConversion(CSeriesTreeElem& series, const CObjectListElem& object) {
  double ra = kUnknownRA;
  double dec = kUnknownDec;
  GetConversionCoordinates(object, series.IsLocalSeries(), ra, dec);
  ApplyHeliocentricConversion(series, ra, dec);
}

TSeriesAdmission AdmitLoadedSeries(CObjectListElem& object, CSeriesTreeElem& series) {
  const bool flux = series.EffectiveUnit() == unitFlux;
  if (!object.HasLoadedSeries())
    object.fluxFlag = flux;
  else if (object.fluxFlag != flux)
    return TSeriesAdmission::otherUnit;
  if (flux && series.offset <= 0) series.offset = 1;
  // Series are told apart by their first point time after the conversion.
  ApplyHeliocentricConversion(series, object);
  if (object.FindSeriesStartingAt(series.FirstTime())) return TSeriesAdmission::duplicate;
  return TSeriesAdmission::admitted;
}

}  // namespace ombrix_data
