// Repository series from the cache: the series record, the publisher's
// data, and the load of one object with its local settings.
#include "ombrix_net/repository_cache.h"

#include <ombrix_field/object.h>
#include <ombrix_field/series_file.h>
#include <runbase/fio.h>
#include <runbase/fixed_text.h>
#include <runbase/str.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "ombrix_net/web_interface.h"

namespace ombrix_web {

namespace {

using ombrix_data::CObjectListElem;
using ombrix_data::CSeriesTreeElem;
using ombrix_data::CWebSeriesLocalDataTreeElem;
using ombrix_data::CWebSeriesTreeElem;

constexpr const char* kJsonExtension = ".json";
constexpr std::size_t kJsonExtensionLength = 5;

template <std::size_t N>
std::string_view ViewOf(const char (&text)[N]) {
  return FixedText::View(N - 1, text);
}

template <std::size_t N>
bool IsEmpty(const char (&text)[N]) {
  return text[0] == '\0';
}

void DisposeElement(vtree::CAVLTreeElem* element) {
  element->Done();
  delete element;
}

// ---------------------------------------------------------------- series record

bool ReadFileTime(sjson::CJSON& doc, std::uint64_t& fileTime) {
  char text[sjson::kNameLength + 1] = {};
  if (!GetText(doc, "file_time", text)) return false;
  const std::size_t length = std::strlen(text);
  if (length == 0 || length > 16) return false;
  bool ok = false;
  const std::uint64_t value = Str::StrToCard64A(static_cast<std::uint32_t>(length - 1), text, 16, ok);
  if (!ok || text[0] == '+') return false;
  fileTime = value;
  return true;
}

void ReadSeriesMetaData(sjson::CJSON& doc, ombrix_data::CMetaData& data) {
  doc.GetReal("var_aperture", data.varAperture);
  doc.GetReal("cmp_aperture", data.cmpAperture);
  doc.GetReal("chk_aperture", data.chkAperture);
  char word[sjson::kNameLength + 1] = {};
  if (GetText(doc, "jd_type", word))
    data.jdType = std::strcmp(word, "HJD") == 0 || std::strcmp(word, "BJD") == 0 ? ombrix_data::jdHeliocentric
                                                                                 : ombrix_data::jdGeocentric;
  if (GetText(doc, "brightness_unit", word))
    data.valueUnit = std::strcmp(word, "flux") == 0 ? ombrix_data::unitFlux : ombrix_data::unitMagnitude;
  doc.GetStr("filter", ombrix_data::kFilterNameHigh, data.filter);
}

ombrix_data::TMinimumType MinimumTypeOf(const char* word) {
  if (std::strcmp(word, "primary") == 0) return ombrix_data::minPrimary;
  if (std::strcmp(word, "secondary") == 0) return ombrix_data::minSecondary;
  return ombrix_data::minUndefined;
}

void ReadMinima(sjson::CJSON& doc, ombrix_data::CMinimaList& minima) {
  if (!doc.EnterArray("minima")) return;
  std::uint32_t count = 0;
  doc.GetArrayCount(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!doc.EnterArrayRecord(i)) continue;
    double time = 0.0, error = 0.0;
    char type[sjson::kNameLength + 1] = {};
    if (doc.GetReal("jd", time) && doc.GetReal("error", error) && GetText(doc, "type", type))
      minima.Add(MinimumTypeOf(type), time, error, true);
    doc.Leave();
  }
  doc.Leave();
}

// "time value error", separated by spaces; false unless all three are numbers.
bool ParsePoint(const char* text, ombrix_data::TSeriesPoint& point) {
  double numbers[3];
  const char* p = text;
  for (double& number : numbers) {
    while (*p == ' ') ++p;
    const char* start = p;
    while (*p && *p != ' ') ++p;
    if (p == start) return false;
    const std::string item(start, p);
    bool ok = false;
    number = Str::StrToRealA(static_cast<std::uint32_t>(item.size() - 1), item.c_str(), ok);
    if (!ok) return false;
  }
  point = {numbers[0], numbers[1], numbers[2]};
  return true;
}

bool ReadPoints(sjson::CJSON& doc, CSeriesTreeElem& series) {
  if (!doc.EnterArray("data")) return false;
  std::uint32_t count = 0;
  doc.GetArrayCount(count);
  std::vector<ombrix_data::TSeriesPoint> points;
  points.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    char text[kSeriesDataItemHigh + 2] = {};
    ombrix_data::TSeriesPoint point{};
    if (GetArrayText(doc, i, text) && ParsePoint(text, point)) points.push_back(point);
  }
  doc.Leave();
  series.InsertPoints(points.data(), points.size());
  return true;
}

// ---------------------------------------------------------------- cache files

// "<token>_*.json" files (not folders) of the folder, in name order.
std::vector<std::string> CacheFilesOf(const std::string& folder, const std::string& token) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  const std::string prefix = token + "_";
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    std::string name = entry.path().filename().string();
    if (!entry.is_regular_file(ec) || name.size() < prefix.size() + kJsonExtensionLength ||
        name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - kJsonExtensionLength, kJsonExtensionLength, kJsonExtension) != 0)
      continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The user whose version a file holds: the name without extension after its first "_".
std::string OwnerOf(const std::string& name) {
  const std::size_t start = name.find('_') + 1;
  return name.substr(start, name.size() - kJsonExtensionLength - start);
}

std::string WithoutDoubledSlashes(std::string path) {
  for (std::size_t at = path.find("//"); at != std::string::npos; at = path.find("//", at)) path.erase(at, 1);
  return path;
}

void ReportSkippedFile(ombrix_data::CUserIO* io, const std::string& path, const std::string& why) {
  if (io)
    io->ShowMessage({"Error",
                     {"Cannot load repository cache file:", path.c_str(), why.c_str()},
                     ombrix_data::TMessageIcon::exclamation});
}

// Reads and parses a cache file; false (after the message) when it is skipped.
bool ReadCacheFile(const std::string& path, sjson::CJSON& doc, ombrix_data::CUserIO* io) {
  std::string bytes;
  switch (FIO::ReadWholeFileA(static_cast<std::uint32_t>(path.size() - 1), path.c_str(), kMaxCacheFileBytes, bytes)) {
    case FIO::WholeFile::ok: break;
    case FIO::WholeFile::tooLarge: ReportSkippedFile(io, path, "File too big (> 16 MB)"); return false;
    default: ReportSkippedFile(io, path, "Cannot read file"); return false;
  }
  sjson::TJSONSource source;
  sjson::InitSource(source, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  if (!doc.Parse(source)) {
    ReportSkippedFile(
        io, path,
        source.errorText[0] ? std::string("Not valid JSON: ") + source.errorText : std::string("Not valid JSON"));
    return false;
  }
  if (doc.root->kind != sjson::jkRecord) {
    ReportSkippedFile(io, path, "Not valid JSON: Top level JSON structure must be Record {}");
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- series of an object

void RemoveSettingFor(CObjectListElem& object, const CWebSeriesLocalDataTreeElem& key) {
  vtree::CAVLTreeElem* removed = nullptr;
  if (object.webSettings.Remove(&key, removed)) DisposeElement(removed);
}

// The local settings of a loaded repository series, as the field file keeps them.
CWebSeriesLocalDataTreeElem* SettingsOf(const CWebSeriesTreeElem& series) {
  auto* settings = new CWebSeriesLocalDataTreeElem;
  std::memcpy(settings->userId, series.userName, sizeof settings->userId);
  settings->fileTime = series.fileTime;
  settings->offset = series.offset;
  settings->enabled = series.enabled;
  settings->metaData.Assign(series.fieldMetaData);
  settings->minima.Assign(series.minima);
  return settings;
}

// Takes the object's repository series out and destroys them, keeping
// their local settings in the settings tree for the series that come back.
void RemoveRepositorySeries(CObjectListElem& object) {
  std::vector<CSeriesTreeElem*> repository;
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s))
    if (!s->IsLocalSeries()) repository.push_back(s);
  for (CSeriesTreeElem* s : repository) {
    CWebSeriesLocalDataTreeElem* settings = SettingsOf(*static_cast<CWebSeriesTreeElem*>(s));
    RemoveSettingFor(object, *settings);
    object.webSettings.Insert(settings);
    vtree::CAVLTreeElem* removed = nullptr;
    if (object.series.Remove(s, removed)) DisposeElement(removed);
  }
}

void KeepFluxOffsetPositive(CSeriesTreeElem& series) {
  if (series.EffectiveUnit() == ombrix_data::unitFlux && series.offset <= 0) series.offset = 1;
}

// A series read from a cache file joins the object, or is dropped as a duplicate.
void AdmitSeries(CObjectListElem& object, CWebSeriesTreeElem* series, ombrix_data::CUserIO* io,
                 TCacheLoadReport& report) {
  // Series are told apart by their first point time after the conversion,
  // as local series are.
  ombrix_data::ApplyHeliocentricConversion(*series, object);
  if (object.FindSeriesStartingAt(series->FirstTime())) {
    if (io)
      io->ShowMessage(
          {"Error",
           {"Duplicate series data file (same first point time):", "Series removed from the field", nullptr},
           ombrix_data::TMessageIcon::exclamation});
    DisposeElement(series);
    ++report.dropped;
    return;
  }
  if (series->dataMetaData.valueUnit == ombrix_data::unitFlux) object.fluxFlag = true;
  KeepFluxOffsetPositive(*series);
  if (object.InsertSeries(series)) ++report.series;
  else ++report.dropped;
}

void LoadSeriesOfFile(sjson::CJSON& doc, CObjectListElem& object, const std::string& owner, ombrix_data::CUserIO* io,
                      TCacheLoadReport& report) {
  if (!doc.EnterArray("series")) return;
  std::uint32_t count = 0;
  doc.GetArrayCount(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!doc.EnterArrayRecord(i)) continue;
    auto* series = new CWebSeriesTreeElem;
    FixedText::Assign(ombrix_data::kUserNameHigh, series->userName, owner);
    const bool read = ReadSeriesRecord(doc, *series);
    doc.Leave();
    if (read) {
      AdmitSeries(object, series, io, report);
    } else {
      DisposeElement(series);
      ++report.dropped;
    }
  }
  doc.Leave();
}

// Each repository series takes its stored local settings, which leave the settings tree.
void ApplyLocalSettings(CObjectListElem& object) {
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    if (s->IsLocalSeries()) continue;
    const auto& series = *static_cast<CWebSeriesTreeElem*>(s);
    CWebSeriesLocalDataTreeElem key;
    std::memcpy(key.userId, series.userName, sizeof key.userId);
    key.fileTime = series.fileTime;
    vtree::CAVLTreeElem* found = nullptr;
    if (!object.webSettings.Search(&key, found)) continue;
    const auto& settings = *static_cast<CWebSeriesLocalDataTreeElem*>(found);
    s->offset = settings.offset;
    s->enabled = settings.enabled;
    if (settings.metaData.IsSet()) s->fieldMetaData.Assign(settings.metaData);
    if (settings.minima.count > 0) s->minima.Assign(settings.minima);
    KeepFluxOffsetPositive(*s);
    RemoveSettingFor(object, key);
  }
}

}  // namespace

bool ReadSeriesRecord(sjson::CJSON& doc, CWebSeriesTreeElem& series) {
  if (!ReadFileTime(doc, series.fileTime)) return false;
  ReadSeriesMetaData(doc, series.dataMetaData);
  ReadMinima(doc, series.minima);
  return ReadPoints(doc, series);
}

void FillObjectFromPublisher(CObjectListElem& object, const CWebObjectListElem& version) {
  using namespace ombrix_data;
  if (IsEmpty(object.name)) FixedText::Assign(kObjectNameHigh, object.name, ViewOf(version.name));
  if (IsEmpty(object.altName)) FixedText::Assign(kObjectNameHigh, object.altName, ViewOf(version.altName));
  if (IsEmpty(object.comment)) FixedText::Assign(kCommentHigh, object.comment, ViewOf(version.comment));
  if (IsEmpty(object.variabilityType))
    FixedText::Assign(kVariabilityTypeHigh, object.variabilityType, ViewOf(version.varType));
  if (object.m0 == 0) object.m0 = version.m0;
  if (object.period == 0) object.period = version.period;
  TStarData& star = object.metaData.var;
  if (!IsRAKnown(star.ra) && IsRAKnown(version.ra)) {
    star.ra = version.ra;
    object.metaDataSource = mdsManualEntry;
  }
  if (!IsDecKnown(star.dec)) star.dec = version.dec;
  if (IsEmpty(star.catalog)) FixedText::Assign(kCatalogNameHigh, star.catalog, ViewOf(version.catalog));
  if (IsEmpty(star.catalogId)) FixedText::Assign(kCatalogIdHigh, star.catalogId, ViewOf(version.catalogId));
  if (!IsRAKnown(star.catalogRA)) star.catalogRA = version.catalogRA;
  if (!IsDecKnown(star.catalogDec)) star.catalogDec = version.catalogDec;
  if (star.catalogMag == kUnknownMagnitude) star.catalogMag = version.catalogMag;
  if (!object.fitPresent && version.fitPresent) {
    object.fit = version.fit;
    object.fitPresent = true;
  }
}

TCacheLoadReport LoadRepositorySeries(CObjectListElem& object, const std::string& cacheRoot, const char* userId,
                                      ombrix_data::CUserIO* io) {
  TCacheLoadReport report;
  RemoveRepositorySeries(object);
  const std::string token(FixedText::View(ombrix_data::kTokenHigh, object.token));
  // Ids become parts of the path: only plain file-name characters.
  if (!userId || !IsSafeId(userId) || !IsSafeId(token.c_str())) return report;
  const std::string folder = WithoutDoubledSlashes(UserCacheFolderOf(cacheRoot, userId));
  const std::string_view publisher = FixedText::View(ombrix_data::kUserNameHigh, object.publisher);
  for (const std::string& name : CacheFilesOf(folder, token)) {
    sjson::CJSON doc;
    if (!ReadCacheFile(folder + name, doc, io)) {
      ++report.skipped;
      continue;
    }
    ++report.files;
    const std::string owner = OwnerOf(name);
    if (owner != userId && owner == publisher) {
      CWebObjectListElem version;
      const char* badKey = nullptr;
      ReadObjectSummary(doc, version, badKey);
      FillObjectFromPublisher(object, version);
    }
    LoadSeriesOfFile(doc, object, owner, io, report);
  }
  ApplyLocalSettings(object);
  return report;
}

void CRepositoryCache::LoadObjectSeries(CObjectListElem& object, const char* repositoryUser) {
  LoadRepositorySeries(object, cacheRoot, repositoryUser, io);
}

}  // namespace ombrix_web
