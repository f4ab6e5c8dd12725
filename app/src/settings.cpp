#include "ombrix_app/settings.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <corekit/vcrypt.h>
#include <corekit/vscan.h>
#include <runbase/fixed_text.h>
#include <runbase/machine.h>
#include <runbase/fio.h>
#include <runbase/fior.h>
#include <runbase/str.h>

namespace ombrix_app {

namespace {

constexpr const char* kSection = "OMBRIX";
constexpr const char* kRecentSection = "MRUfiles";
constexpr const char* kFiltersSection = "Filters";
constexpr const char* kPasswordKey = "WebRepositoryPassword";
constexpr const char* kRegistryKey = "Software\\Quenta\\Ombrix";
constexpr const char* kRegistryWindow = "Window";
constexpr std::uint32_t kFilterValueHigh = 15;
constexpr std::uint32_t kAny = vscan::kAnyLength;

enum TKind { kInt, kReal, kBool, kString };
// Where a key is found in the legacy registry.
enum TRegistry { regNone, regWindow, regRoot };

struct TKey {
  const char* name;
  TKind kind;
  std::size_t offset;  // of the member in TSettings
  std::uint32_t high;  // strings: highest index
  TRegistry registry;
};

#define OMBRIX_KEY(name, kind, member, high, reg) {name, kind, offsetof(TSettings, member), high, reg}

const TKey kKeys[] = {
    OMBRIX_KEY("XPos", kInt, xPos, 0, regWindow),
    OMBRIX_KEY("YPos", kInt, yPos, 0, regWindow),
    OMBRIX_KEY("Width", kInt, width, 0, regWindow),
    OMBRIX_KEY("Depth", kInt, depth, 0, regWindow),
    OMBRIX_KEY("Maximized", kBool, maximized, 0, regWindow),
    OMBRIX_KEY("Splitter1", kInt, splitter1, 0, regRoot),
    OMBRIX_KEY("Splitter2", kInt, splitter2, 0, regRoot),
    OMBRIX_KEY("Splitter3", kInt, splitter3, 0, regRoot),
    OMBRIX_KEY("MinimalPeriod", kReal, minimalPeriod, 0, regRoot),
    OMBRIX_KEY("MaximalPeriod", kReal, maximalPeriod, 0, regRoot),
    OMBRIX_KEY("PeriodSteps", kReal, periodSteps, 0, regRoot),
    OMBRIX_KEY("CopyDataMask", kString, copyDataMask, kMaskHigh, regRoot),
    OMBRIX_KEY("RootPath", kString, rootPath, kPathHigh, regRoot),
    OMBRIX_KEY("WebRepositoryServer", kString, webRepositoryServer, kPathHigh, regNone),
    OMBRIX_KEY("WebRepositoryPath", kString, webRepositoryPath, kPathHigh, regNone),
    OMBRIX_KEY("WebRepositoryUser", kString, webRepositoryUser, kUserHigh, regNone),
    OMBRIX_KEY("LastOpenPath", kString, lastOpenPath, kPathHigh, regRoot),
    OMBRIX_KEY("LastFitAndOffsetPath", kString, lastFitAndOffsetPath, kPathHigh, regRoot),
    OMBRIX_KEY("LastExportPath", kString, lastExportPath, kPathHigh, regRoot),
    OMBRIX_KEY("LastChartImageExportPath", kString, lastChartImageExportPath, kPathHigh, regRoot),
    OMBRIX_KEY("LastChartSVGExportPath", kString, lastChartSVGExportPath, kPathHigh, regRoot),
    OMBRIX_KEY("ExportImageWidth", kInt, exportImageWidth, 0, regRoot),
    OMBRIX_KEY("ExportImageDepth", kInt, exportImageDepth, 0, regRoot),
    OMBRIX_KEY("LastCSVExportPath", kString, lastCSVExportPath, kPathHigh, regRoot),
    OMBRIX_KEY("CSVExportOptions", kInt, csvExportOptions, 0, regRoot),
    OMBRIX_KEY("LastHTMLExportPath", kString, lastHTMLExportPath, kPathHigh, regRoot),
    OMBRIX_KEY("HTMLExportOptions", kInt, htmlExportOptions, 0, regRoot),
    OMBRIX_KEY("LightCurveThumbWidth", kInt, lightCurveThumbWidth, 0, regRoot),
    OMBRIX_KEY("LightCurveThumbDepth", kInt, lightCurveThumbDepth, 0, regRoot),
    OMBRIX_KEY("LightCurveImageWidth", kInt, lightCurveImageWidth, 0, regRoot),
    OMBRIX_KEY("LightCurveImageDepth", kInt, lightCurveImageDepth, 0, regRoot),
    OMBRIX_KEY("HTMLPathPrefix", kString, htmlPathPrefix, kPathHigh, regRoot),
    OMBRIX_KEY("PredictionDays", kReal, predictionDays, 0, regNone),
    OMBRIX_KEY("Longitude", kReal, longitude, 0, regNone),
    OMBRIX_KEY("Latitude", kReal, latitude, 0, regNone),
    OMBRIX_KEY("StarAlt", kReal, starAlt, 0, regNone),
    OMBRIX_KEY("SunAlt", kReal, sunAlt, 0, regNone),
    OMBRIX_KEY("UseEncryptedPassword", kBool, useEncryptedPassword, 0, regNone),
    OMBRIX_KEY("AutoAcceptM0Period", kBool, autoAcceptM0Period, 0, regNone),
    OMBRIX_KEY("ShowDev", kBool, showDev, 0, regNone),
    OMBRIX_KEY("ShowMinima", kBool, showMinima, 0, regNone),
    OMBRIX_KEY("ShowNow", kBool, showNow, 0, regNone),
    OMBRIX_KEY("ShowTime", kBool, showTime, 0, regNone),
    OMBRIX_KEY("ShowStarAlt", kBool, showStarAlt, 0, regNone),
    OMBRIX_KEY("ShowSunAlt", kBool, showSunAlt, 0, regNone),
    OMBRIX_KEY("CheckVersion", kBool, checkVersion, 0, regNone),
    OMBRIX_KEY("VSXServer", kString, vsxServer, kPathHigh, regNone),
    OMBRIX_KEY("VersionURL", kString, versionUrl, kPathHigh, regNone),
    OMBRIX_KEY("TimeScale", kString, timeScale, 15, regNone),
};

#undef OMBRIX_KEY

template <class T>
T& Field(TSettings& s, const TKey& k) {
  return *reinterpret_cast<T*>(reinterpret_cast<char*>(&s) + k.offset);
}
template <class T>
const T& Field(const TSettings& s, const TKey& k) {
  return *reinterpret_cast<const T*>(reinterpret_cast<const char*>(&s) + k.offset);
}


// Reads one typed key through a key-file or registry scanner; a missing or
// unreadable key keeps the current value.
template <class Scanner>
void ReadKey(Scanner& in, const TKey& k, TSettings& s) {
  switch (k.kind) {
    case kInt: {
      std::int32_t v;
      if (in.GetKeyInt(kAny, k.name, v)) Field<std::int32_t>(s, k) = v;
      break;
    }
    case kReal: {
      double v;
      if (in.GetKeyReal(kAny, k.name, v)) Field<double>(s, k) = v;
      break;
    }
    case kBool: {
      bool v;
      if (in.GetKeyBool(kAny, k.name, v)) Field<bool>(s, k) = v;
      break;
    }
    case kString: {
      std::vector<char> v(k.high + 1, '\0');
      if (in.GetKeyStr(kAny, k.name, k.high, v.data())) Str::CopyA(k.high, &Field<char>(s, k), k.high, v.data());
      break;
    }
  }
}

// The scanner marks itself modified on every write, so each key is written
// only when the file does not already hold that value.
void WriteStr(vscan::CTextScanner& out, const char* key, std::uint32_t high, const char* text) {
  std::vector<char> old(high + 1, '\0');
  if (out.GetKeyStr(kAny, key, high, old.data()) && FixedText::View(high, old.data()) == FixedText::View(high, text)) return;
  out.SetKeyStr(kAny, key, high, text);
}

void WriteKey(vscan::CTextScanner& out, const TKey& k, const TSettings& s) {
  switch (k.kind) {
    case kInt: {
      std::int32_t old, v = Field<std::int32_t>(s, k);
      if (!out.GetKeyInt(kAny, k.name, old) || old != v) out.SetKeyInt(kAny, k.name, v);
      break;
    }
    case kReal: {
      double old, v = Field<double>(s, k);
      if (!out.GetKeyReal(kAny, k.name, old) || old != v) out.SetKeyReal(kAny, k.name, v);
      break;
    }
    case kBool: {
      bool old, v = Field<bool>(s, k);
      if (!out.GetKeyBool(kAny, k.name, old) || old != v) out.SetKeyBool(kAny, k.name, v);
      break;
    }
    case kString:
      WriteStr(out, k.name, k.high, &Field<char>(s, k));
      break;
  }
}

using TLines = std::vector<std::pair<std::string, std::string>>;

// Key and value of every line of a section, or false when it is missing.
bool ReadSection(vscan::CTextScanner& in, const char* name, std::uint32_t keyHigh, std::uint32_t valueHigh,
                 TLines& lines) {
  lines.clear();
  if (!in.SetSection(kAny, name)) return false;
  std::vector<char> key(keyHigh + 1), value(valueHigh + 1);
  for (bool more = in.GetFirstLine(keyHigh, key.data(), valueHigh, value.data()); more;
       more = in.GetNextLine(keyHigh, key.data(), valueHigh, value.data())) {
    lines.emplace_back(std::string(FixedText::View(keyHigh, key.data())), std::string(FixedText::View(valueHigh, value.data())));
  }
  return true;
}

// Replaces a whole section when its lines differ from `wanted`. An empty
// list creates no section but empties one that is there, so entries removed
// by the user do not come back.
void WriteSection(vscan::CTextScanner& out, const char* name, const TLines& wanted) {
  TLines present;
  const bool exists = ReadSection(out, name, vscan::kKeyChars - 1, vscan::kValueChars - 1, present);
  if (present == wanted && (exists || wanted.empty())) return;
  if (exists)
    out.ClearSection(kAny, name);
  else
    out.CreateSection(kAny, name);
  out.SetSection(kAny, name);
  for (const auto& [key, value] : wanted) out.SetKeyStr(kAny, key.c_str(), kAny, value.c_str());
}

// Key of the i-th recent file: "0" … "9", then "A", "B", …
std::string RecentKey(std::uint32_t i) { return std::string(1, static_cast<char>(i < 10 ? '0' + i : 'A' + (i - 10))); }

// A filter colour: up to eight hex digits; anything else is opaque black.
std::uint32_t ParseColour(const std::string& text) {
  if (text.empty() || text.size() > 8) return ombrix_data::kNoFilterColour;
  std::uint32_t v = 0;
  for (char c : text) {
    const int d = FixedText::HexDigit(c);
    if (d < 0) return ombrix_data::kNoFilterColour;
    v = v << 4 | static_cast<std::uint32_t>(d);
  }
  return v;
}

std::string Trimmed(std::string_view s, std::size_t maxChars) { return std::string(FixedText::Trim(s).substr(0, maxChars)); }

void ReadFilters(vscan::CTextScanner& in, ombrix_data::CFilterTable& filters) {
  TLines lines;
  if (!ReadSection(in, kFiltersSection, vscan::kKeyChars - 1, vscan::kValueChars - 1, lines)) {
    filters.LoadDefaults();
    return;
  }
  for (const auto& [key, value] : lines)
    filters.Add(Trimmed(key, ombrix_data::kFilterTableNameHigh + 1).c_str(), ParseFilterColour(value.c_str()));
}

TLines FilterLines(const ombrix_data::CFilterTable& filters) {
  TLines lines;
  vtree::CAVLTreeElem* e = nullptr;
  for (bool more = filters.tree.GetFirst(e); more; more = filters.tree.GetNextElem(e, e)) {
    const auto* f = static_cast<const ombrix_data::CFilterTreeElem*>(e);
    char colour[16];
    std::snprintf(colour, sizeof colour, "%X", f->colour);
    lines.emplace_back(std::string(FixedText::View(ombrix_data::kFilterTableNameHigh, f->name)), colour);
  }
  return lines;
}

void ReadRecent(vscan::CTextScanner& in, CRecentFiles& recent) {
  if (!in.SetSection(kAny, kRecentSection)) return;
  char path[kRecentReadHigh + 1];
  for (std::uint32_t i = 0; i < kRecentMax; ++i) {
    std::memset(path, 0, sizeof path);
    if (in.GetKeyStr(kAny, RecentKey(i).c_str(), kRecentReadHigh, path))
      recent.Append(std::string(FixedText::View(kRecentReadHigh, path)).c_str());
  }
}

void ReadPassword(vscan::CTextScanner& in, TSettings& s) {
  char hex[kPasswordHexHigh + 1] = {};
  if (in.GetKeyStr(kAny, kPasswordKey, kPasswordHexHigh, hex))
    DecodePassword(std::string(FixedText::View(kPasswordHexHigh, hex)).c_str(), s.webRepositoryPassword);
}

// Writes the password when one is set; a password cleared by the user
// empties a stored value instead of leaving the old one behind.
void WritePassword(vscan::CTextScanner& out, const TSettings& s) {
  char hex[kPasswordHexHigh + 1] = {};
  if (s.webRepositoryPassword[0] != '\0') {
    EncodePassword(std::string(FixedText::View(kPasswordHigh, s.webRepositoryPassword)).c_str(), hex);
  } else {
    char old[kPasswordHexHigh + 1] = {};
    if (!out.GetKeyStr(kAny, kPasswordKey, kPasswordHexHigh, old)) return;
  }
  WriteStr(out, kPasswordKey, kPasswordHexHigh, hex);
}

// The password key is picked out of a fixed text at run time.
void PasswordKey(std::uint8_t (&key)[8]) {
  static const char kText[] = "Minima of eclipsing binaries, timed night after night.";
  static const std::uint8_t kPick[8] = {3, 11, 17, 22, 29, 35, 42, 50};
  for (int i = 0; i < 8; ++i) key[i] = static_cast<std::uint8_t>(kText[kPick[i]]);
}

// A digit of the stored password; what is not a digit counts as 0.
int PasswordDigit(char c) { return std::max(0, FixedText::HexDigit(c)); }

}  // namespace

std::uint32_t ParseFilterColour(const char* text) {
  return ParseColour(Trimmed(std::string(text).substr(0, kFilterValueHigh), kFilterValueHigh));
}

void SetDefaults(TSettings& s, std::int32_t spacing) {
  std::memset(&s, 0, sizeof s);
  s.xPos = 100;
  s.yPos = 100;
  s.width = 560;
  s.depth = 280;
  s.splitter1 = 80 + spacing;
  s.splitter2 = 160 + spacing;
  s.splitter3 = 80 + spacing;
  s.minimalPeriod = 0.1;
  s.maximalPeriod = 2.0;
  s.periodSteps = 0.00001;
  Str::CopyA(kMaskHigh, s.copyDataMask, kAny, "%RA% %DEC%");
  s.exportImageWidth = 1024;
  s.exportImageDepth = 768;
  s.lightCurveThumbWidth = 80;
  s.lightCurveThumbDepth = 60;
  s.lightCurveImageWidth = 1024;
  s.lightCurveImageDepth = 768;
  s.predictionDays = 1;
  s.starAlt = 25;
  s.sunAlt = -12;
  s.useEncryptedPassword = true;
  s.autoAcceptM0Period = true;
  s.showDev = s.showMinima = s.showNow = s.showTime = true;
  s.checkVersion = true;
  Str::CopyA(15, s.timeScale, kAny, "HJD");
}

bool CRecentFiles::Append(const char* path) {
  if (count >= kRecentMax || path == nullptr || path[0] == '\0') return false;
  Str::CopyA(kPathHigh, paths[count++], kAny, path);
  return true;
}

void CRecentFiles::RemoveAt(std::uint32_t i) {
  for (; i + 1 < count; ++i) std::memcpy(paths[i], paths[i + 1], sizeof paths[i]);
  --count;
}

void CRecentFiles::NoteLoad(const char* path, bool loaded) {
  const std::string tried(FixedText::View(kPathHigh, path));
  for (std::uint32_t i = count; i-- > 0;)
    if (FixedText::View(kPathHigh, paths[i]) == tried) RemoveAt(i);
  if (!loaded || tried.empty()) return;
  if (count > kRecentMax - 1) count = kRecentMax - 1;
  for (std::uint32_t i = count; i > 0; --i) std::memcpy(paths[i], paths[i - 1], sizeof paths[i]);
  std::memset(paths[0], 0, sizeof paths[0]);
  Str::CopyA(kPathHigh, paths[0], kAny, tried.c_str());
  ++count;
}

void RecentLabel(std::uint32_t position, const char* compressedPath, char (&label)[kRecentLabelHigh + 1]) {
  std::snprintf(label, sizeof label, "%u %s", position, compressedPath);
}

bool SettingsFilePath(char (&path)[kPathHigh + 1]) {
  const std::string config = machine::ConfigFolder();
  if (config.empty()) return false;
  const std::string file = config + "/OMBRIX/ombrix.ini";
  if (file.size() > kPathHigh) return false;
  std::memset(path, 0, sizeof path);
  Str::CopyA(kPathHigh, path, kAny, file.c_str());
  return true;
}

bool LoadSettingsFile(const char* path, TSettings& s, CRecentFiles& recent, ombrix_data::CFilterTable& filters) {
  vscan::CTextScanner in;
  if (!in.Init(kAny, path)) return false;
  if (in.SetSection(kAny, kSection)) {
    for (const TKey& k : kKeys) ReadKey(in, k, s);
    ReadPassword(in, s);
  }
  ReadRecent(in, recent);
  ReadFilters(in, filters);
  return true;
}

bool LoadSettingsRegistry(TSettings& s, CRecentFiles& recent) {
  vscan::CRegScannerA reg;
  if (!reg.Init(kAny, "", kAny, kRegistryKey, vscan::kHKeyCurrentUser)) return false;
  for (const TKey& k : kKeys)
    if (k.registry == regRoot) ReadKey(reg, k, s);
  if (reg.SetSection(kAny, kRegistryWindow))
    for (const TKey& k : kKeys)
      if (k.registry == regWindow) ReadKey(reg, k, s);
  reg.SetRootSection();
  if (reg.SetSection(kAny, kRecentSection)) {
    char path[kRecentReadHigh + 1];
    for (std::uint32_t i = 0; i < kRecentMax; ++i) {
      std::memset(path, 0, sizeof path);
      if (reg.GetKeyStr(kAny, RecentKey(i).c_str(), kRecentReadHigh, path))
        recent.Append(std::string(FixedText::View(kRecentReadHigh, path)).c_str());
    }
  }
  return true;
}

void LoadSettings(TSettings& s, CRecentFiles& recent, ombrix_data::CFilterTable& filters) {
  char path[kPathHigh + 1];
  if (SettingsFilePath(path) && LoadSettingsFile(path, s, recent, filters)) return;
  LoadSettingsRegistry(s, recent);
  // Without a key file there is no filter section: the defaults apply.
  filters.LoadDefaults();
}

bool SaveSettingsFile(const char* path, const TSettings& s, const CRecentFiles& recent,
                      const ombrix_data::CFilterTable& filters) {
  vscan::CTextScanner out;
  if (!out.Init(kAny, path) || !out.SetSection(kAny, kSection)) {
    // No readable file, or a file without our section: start from the
    // lines it holds (if any) and add the section.
    if (out.lines.count == 0) out.Create(kAny, kSection, kAny, path);
    else out.CreateSection(kAny, kSection);
    out.SetSection(kAny, kSection);
  }
  for (const TKey& k : kKeys) WriteKey(out, k, s);
  WritePassword(out, s);

  TLines recentLines;
  for (std::uint32_t i = 0; i < recent.Count(); ++i) recentLines.emplace_back(RecentKey(i), recent.Path(i));
  WriteSection(out, kRecentSection, recentLines);
  WriteSection(out, kFiltersSection, FilterLines(filters));
  return out.SaveModified();
}

bool SaveSettings(const TSettings& s, const CRecentFiles& recent, const ombrix_data::CFilterTable& filters) {
  char path[kPathHigh + 1];
  if (!SettingsFilePath(path)) return false;
  std::string folder(FixedText::View(kPathHigh, path));
  folder.erase(folder.rfind('/'));
  const std::string config = folder.substr(0, folder.rfind('/'));
  if (!FIO::ExistsDirA(kAny, config.c_str())) FIO::MkDirA(kAny, config.c_str());
  if (!FIO::ExistsDirA(kAny, folder.c_str())) FIO::MkDirA(kAny, folder.c_str());
  return SaveSettingsFile(path, s, recent, filters);
}

void EncodePassword(const char* password, char (&hex)[kPasswordHexHigh + 1]) {
  std::uint8_t block[kPasswordBlock];
  for (std::uint32_t i = 0; i < kPasswordBlock; ++i) block[i] = static_cast<std::uint8_t>(i);
  const std::uint32_t n = Str::LengthA(kPasswordHigh - 1, password);
  std::memcpy(block, password, n);
  block[n] = 0;
  std::uint8_t key[8];
  PasswordKey(key);
  vcrypt::CBuffer(4, block, kPasswordBlock, 8, key, 0, nullptr);
  static const char kDigits[] = "0123456789ABCDEF";
  for (std::uint32_t i = 0; i < kPasswordBlock; ++i) {
    hex[2 * i] = kDigits[block[i] & 0x0F];
    hex[2 * i + 1] = kDigits[block[i] >> 4];
  }
  hex[kPasswordHexHigh] = '\0';
}

void DecodePassword(const char* hex, char (&password)[kPasswordHigh + 1]) {
  std::memset(password, 0, sizeof password);
  const std::uint32_t digits = Str::LengthA(kPasswordHexHigh, hex);
  if (digits == 0) return;
  std::uint8_t block[kPasswordBlock] = {};
  for (std::uint32_t i = 0; i < kPasswordBlock && 2 * i < digits; ++i) {
    const int high = 2 * i + 1 < digits ? PasswordDigit(hex[2 * i + 1]) : 0;
    block[i] = static_cast<std::uint8_t>(PasswordDigit(hex[2 * i]) | high << 4);
  }
  std::uint8_t key[8];
  PasswordKey(key);
  vcrypt::DBuffer(4, block, kPasswordBlock, 8, key, 0, nullptr);
  block[kPasswordBlock - 1] = 0;
  Str::CopyA(kPasswordHigh, password, kPasswordBlock - 1, reinterpret_cast<const char*>(block));
}

std::string FolderOf(const char* path) {
  char folder[kPathHigh + 1] = {};
  char name[kPathHigh + 1] = {};
  FIOR::SplitPathA(kPathHigh, path, kPathHigh, folder, kPathHigh, name);
  return std::string(folder, Str::LengthA(kPathHigh, folder));
}

void CopyPath(char (&to)[kPathHigh + 1], const std::string& from) {
  std::memset(to, 0, sizeof to);
  Str::CopyA(kPathHigh, to, kAny, from.c_str());
}

}  // namespace ombrix_app
