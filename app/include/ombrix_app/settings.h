// The user's settings: one record loaded at start-up and saved at exit, the
// recent-files list, and the key file that holds them together with the
// filter colour table. Nothing here touches the GUI.
#pragma once

#include <cstdint>
#include <string>

#include <ombrix_field/filters.h>
#include <ombrix_field/records.h>

namespace ombrix_app {

// Paths and user names are the field model's sizes.
inline constexpr std::uint32_t kPathHigh = ombrix_data::kPathHigh;
inline constexpr std::uint32_t kMaskHigh = 1023;
inline constexpr std::uint32_t kUserHigh = ombrix_data::kUserNameHigh;
inline constexpr std::uint32_t kPasswordHigh = 63;      // 63 characters kept
inline constexpr std::uint32_t kPasswordBlock = 64;     // enciphered block, bytes
inline constexpr std::uint32_t kPasswordHexHigh = 128;  // 128 hex digits

// Every value of the "OMBRIX" section.
struct TSettings {
  std::int32_t xPos, yPos, width, depth;
  bool maximized;
  std::int32_t splitter1, splitter2, splitter3;
  double minimalPeriod, maximalPeriod, periodSteps;
  char copyDataMask[kMaskHigh + 1];
  char rootPath[kPathHigh + 1];
  char webRepositoryServer[kPathHigh + 1];
  char webRepositoryPath[kPathHigh + 1];
  char webRepositoryUser[kUserHigh + 1];
  char webRepositoryPassword[kPasswordHigh + 1];  // plain text in memory
  char lastOpenPath[kPathHigh + 1];
  char lastFitAndOffsetPath[kPathHigh + 1];
  char lastExportPath[kPathHigh + 1];
  char lastChartImageExportPath[kPathHigh + 1];
  char lastChartSVGExportPath[kPathHigh + 1];
  std::int32_t exportImageWidth, exportImageDepth;
  char lastCSVExportPath[kPathHigh + 1];
  std::int32_t csvExportOptions;
  char lastHTMLExportPath[kPathHigh + 1];
  std::int32_t htmlExportOptions;
  std::int32_t lightCurveThumbWidth, lightCurveThumbDepth;
  std::int32_t lightCurveImageWidth, lightCurveImageDepth;
  char htmlPathPrefix[kPathHigh + 1];
  double predictionDays, longitude, latitude, starAlt, sunAlt;
  bool useEncryptedPassword, autoAcceptM0Period;
  bool showDev, showMinima, showNow, showTime, showStarAlt, showSunAlt;
  bool checkVersion;
  char vsxServer[kPathHigh + 1];   // scheme, host and port of the VSX; empty: AAVSO's
  char versionUrl[kPathHigh + 1];  // where the newest release's version is read; empty: no check
  char timeScale[16];              // "HJD" (default) or "BJD_TDB": what geocentric series become
};

// Every setting to its default; spacing is the DPI-scaled gap s of the
// splitter defaults (6 pixels at 96 dpi).
void SetDefaults(TSettings& s, std::int32_t spacing);

// The folder part of a file path ("/a/b.ofd" -> "/a"), as the "Last...Path"
// settings keep it.
std::string FolderOf(const char* path);
// Replaces a path setting by text, cut to kPathHigh characters.
void CopyPath(char (&to)[kPathHigh + 1], const std::string& from);

// The recent-files list: at most eight full paths, newest first.
inline constexpr std::uint32_t kRecentMax = 8;
inline constexpr std::uint32_t kRecentReadHigh = 127;  // characters read back per entry
inline constexpr std::uint32_t kRecentLabelHigh = 79;
inline constexpr std::int32_t kRecentLabelPathChars = 64;

class CRecentFiles {
 public:
  void Clear() { count = 0; }
  // Appends at the end (loading); false when the list is full or path empty.
  bool Append(const char* path);
  // After an attempt to load `path`: removes every equal entry and, when the
  // load succeeded, puts the path in front, keeping at most eight entries.
  void NoteLoad(const char* path, bool loaded);
  const char* Path(std::uint32_t i) const { return paths[i]; }
  std::uint32_t Count() const { return count; }

 private:
  void RemoveAt(std::uint32_t i);
  char paths[kRecentMax][kPathHigh + 1] = {};
  std::uint32_t count = 0;
};

// Menu label of a recent file: one-based position, a space, the compressed path.
void RecentLabel(std::uint32_t position, const char* compressedPath, char (&label)[kRecentLabelHigh + 1]);

// <config>/OMBRIX/ombrix.ini with config = $XDG_CONFIG_HOME, else
// $HOME/.config; false when neither is set.
bool SettingsFilePath(char (&path)[kPathHigh + 1]);

// Reads the key file; when there is no config folder or the file cannot be
// opened, reads the legacy registry key instead. Missing keys keep their
// current values. A missing "Filters" section gives the default filters.
void LoadSettings(TSettings& s, CRecentFiles& recent, ombrix_data::CFilterTable& filters);
// Loads the key file only; false when it cannot be opened.
bool LoadSettingsFile(const char* path, TSettings& s, CRecentFiles& recent, ombrix_data::CFilterTable& filters);
// Reads the legacy registry key; false when it is missing.
bool LoadSettingsRegistry(TSettings& s, CRecentFiles& recent);

// Writes the key file (creating its folder) only when some value differs
// from what the file holds; the file is replaced atomically. False when it
// cannot be written.
bool SaveSettings(const TSettings& s, const CRecentFiles& recent, const ombrix_data::CFilterTable& filters);
bool SaveSettingsFile(const char* path, const TSettings& s, const CRecentFiles& recent,
                      const ombrix_data::CFilterTable& filters);

// A filter colour as the key file holds it: up to 15 characters, trimmed,
// read as hexadecimal ARGB; anything else is opaque black.
std::uint32_t ParseFilterColour(const char* text);

// The stored password form: 128 upper-case hex digits of the enciphered
// 64-byte block. An empty hex text decodes to an empty password.
void EncodePassword(const char* password, char (&hex)[kPasswordHexHigh + 1]);
void DecodePassword(const char* hex, char (&password)[kPasswordHigh + 1]);

}  // namespace ombrix_app
