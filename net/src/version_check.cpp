// The version check: numbers of version texts, the fetch and the notice.
#include "ombrix_net/version_check.h"

#include <runbase/fixed_text.h>
#include <runbase/str.h>

#include <string_view>

namespace ombrix_web {

namespace {

constexpr int kVersionItems = 4;

bool IsItemSeparator(char c) { return c == ' ' || c == '.'; }

// The item's decimal value; 0 when it is not a number.
std::uint64_t ItemValue(std::string_view item) {
  const std::string text(item);
  bool ok = false;
  const std::uint32_t value = Str::StrToCardA(static_cast<std::uint32_t>(text.size() - 1), text.c_str(), 10, ok);
  return ok ? value : 0;
}

}  // namespace

const char* ProgramVersion() {
#ifdef OMBRIX_VERSION
  return OMBRIX_VERSION;
#else
  return "unknown";
#endif
}

std::uint64_t VersionNumber(const char* text) {
  std::string_view rest(text ? text : "");
  std::uint64_t number = 0;
  for (int i = 0; i < kVersionItems; ++i) {
    while (!rest.empty() && IsItemSeparator(rest.front())) rest.remove_prefix(1);
    std::size_t length = 0;
    while (length < rest.size() && !IsItemSeparator(rest[length])) ++length;
    number = number * 256 + (length > 0 ? ItemValue(rest.substr(0, length)) : 0);
    rest.remove_prefix(length);
  }
  return number;
}

bool IsNewerVersion(const char* own, const char* received) { return VersionNumber(own) < VersionNumber(received); }

std::string VersionTextOf(const std::string& body) {
  std::string_view text(body);
  text = text.substr(0, text.find_first_of("\r\n"));
  std::string result(FixedText::Trim(text));
  if (result.size() > kVersionTextLength) result.resize(kVersionTextLength);
  return result;
}

bool FetchNewestVersion(const std::string& url, std::string& text) {
  text.clear();
  if (FixedText::Trim(std::string_view(url)).empty()) return false;
  THttpRequest request;
  request.url = std::string(FixedText::Trim(std::string_view(url)));
  request.accept = "text/plain, text/*, */*";
  request.expectedStatus = 200;
  std::string body;
  if (RunHttpRequest(request, body) != hrOk) return false;
  text = VersionTextOf(body);
  return !text.empty();
}

std::string DownloadAddressOf(const std::string& url) {
  const std::size_t scheme = url.find("://");
  const std::size_t slash = url.rfind('/');
  if (slash == std::string::npos || (scheme != std::string::npos && slash < scheme + 3)) return url + "/";
  return url.substr(0, slash + 1);
}

bool NewVersionNotice(const char* own, const char* received, const std::string& downloadAddress,
                      TVersionNotice& notice) {
  if (!IsNewerVersion(own, received)) return false;
  notice.title = "New version of OMBRIX is available";
  notice.text = std::string("Working OMBRIX version is ") + own + "\r\nVersion " + received + " is available at\r\n" +
                downloadAddress;
  return true;
}

bool CheckForNewVersion(const std::string& url, TVersionNotice& notice) {
  std::string received;
  if (!FetchNewestVersion(url, received)) return false;
  return NewVersionNotice(ProgramVersion(), received.c_str(), DownloadAddressOf(url), notice);
}

}  // namespace ombrix_web
