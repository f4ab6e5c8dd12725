// The check for a newer program version: at start-up (setting
// "CheckVersion") a worker fetches a short text naming the newest release
// from the address in the settings and the window shows a notification when
// it is newer than the running program. No address is set by default: then
// nothing is fetched and nothing is shown. The check never reports failure.
#pragma once

#include <cstdint>
#include <string>

#include "ombrix_net/http_worker.h"

namespace ombrix_web {

// Key of the "OMBRIX" settings section holding the address of the text with
// the newest version ("https://host/path/ombrix.txt"); empty by default.
inline constexpr const char* kVersionUrlKey = "VersionURL";
// Characters of a received version text at most.
inline constexpr std::size_t kVersionTextLength = 255;
// Time-out of the notification, milliseconds.
inline constexpr int kVersionNoticeTimeout = 25000;

// The running program's version (the build's project version), or
// "unknown" when the build did not state one.
const char* ProgramVersion();

// A version text as a number: split at spaces and "." into items, the first
// four read as decimal numbers a, b, c, d (missing or not a number: 0),
// ((a * 256 + b) * 256 + c) * 256 + d. "2.1" is 2.1.0.0; "unknown" is 0.
std::uint64_t VersionNumber(const char* text);
// True when `received` names a newer version than `own`.
bool IsNewerVersion(const char* own, const char* received);

// The text of a fetched body that names the version: its first line,
// trimmed, at most kVersionTextLength characters.
std::string VersionTextOf(const std::string& body);

// Fetches the newest version's text from `url` into `text`; false (nothing
// fetched) when the URL is empty or the request fails. A worker thread may
// run it.
bool FetchNewestVersion(const std::string& url, std::string& text);

// The notification of a newer version.
struct TVersionNotice {
  std::string title;  // "New version of OMBRIX is available"
  std::string text;   // own version, received version, download address, lines ended by CR LF
};

// The address shown for downloading: the version text's address without
// its file name ("https://host/path/ombrix.txt" gives "https://host/path/").
std::string DownloadAddressOf(const std::string& url);

// True, with the notice filled, when `received` is newer than `own`.
bool NewVersionNotice(const char* own, const char* received, const std::string& downloadAddress,
                      TVersionNotice& notice);

// The whole check for a worker: fetch from `url`, compare with the running
// program's version; true when a notice is to be shown.
bool CheckForNewVersion(const std::string& url, TVersionNotice& notice);

}  // namespace ombrix_web
