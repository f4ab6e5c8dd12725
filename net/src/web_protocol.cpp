// Request kinds, tokens, URLs, the enciphered password and answer checks.
#include "ombrix_net/web_protocol.h"

#include <corekit/vcrypt.h>
#include <corekit/vdstr.h>

#include <cstring>
#include <random>

#include "utf16.h"

namespace ombrix_web {

namespace {

constexpr const char* kEndpoints[] = {
    nullptr,
    "api/v1/login",
    "api/v1/logout",
    "api/v1/change_password",
    "api/v1/list_objects",
    "api/v1/publish_object",
    "api/v1/contribute_object",
    "api/v1/unpublish_object",
    "api/v1/get_object_data",
};

// Key of the password cipher: the UTF-16 text "TebLorQin".
constexpr char16_t kPasswordKey[9] = {u'T', u'e', u'b', u'L', u'o', u'r', u'Q', u'i', u'n'};
constexpr std::uint32_t kPasswordUnits = 131;  // UTF-16 units of a password at most

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::mt19937& Generator() {
  thread_local std::mt19937 generator{std::random_device{}()};
  return generator;
}

std::uint32_t RandomBelow(std::uint32_t bound) {
  return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(Generator());
}

void CopyText(std::uint32_t high, char* out, const char* text) {
  std::size_t n = std::strlen(text);
  if (n > high) n = high;
  std::memcpy(out, text, n);
  out[n] = '\0';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

const char* EndpointOf(TRequestKind kind) { return kind <= rkGetObjectData ? kEndpoints[kind] : nullptr; }

void NewObjectToken(char (&token)[kObjectTokenLength + 1]) {
  // Each half is two random 16-bit halves (0 ... 65534), in hexadecimal,
  // padded on the right with "0" to 8 digits.
  std::string text;
  for (int part = 0; part < 2; ++part) {
    const std::uint32_t number = RandomBelow(65535) << 16 | RandomBelow(65535);
    std::string digits;
    for (std::uint32_t v = number; v != 0; v >>= 4) digits.insert(digits.begin(), kHexDigits[v & 15]);
    if (digits.empty()) digits = "0";
    digits.resize(8, '0');
    text += digits;
  }
  CopyText(kObjectTokenLength, token, text.c_str());
}

bool IsSafeId(const char* text) {
  if (!text || !*text || std::strcmp(text, ".") == 0 || std::strcmp(text, "..") == 0) return false;
  for (const char* p = text; *p; ++p) {
    const char c = *p;
    const bool ok =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
    if (!ok) return false;
  }
  return true;
}

void SplitRepositoryUrl(const char* url, char (&host)[kServerHigh + 1], char (&path)[kServerHigh + 1]) {
  std::string text = url ? url : "";
  std::string scheme;
  if (text.rfind("https://", 0) == 0) scheme = "https://";
  const std::size_t slashes = text.find("//");
  if (slashes != std::string::npos) text.erase(0, slashes + 2);
  const std::size_t slash = text.find('/');
  std::string hostPart = scheme + text.substr(0, slash);
  std::string pathPart = slash == std::string::npos ? "/" : text.substr(slash);
  if (pathPart.back() != '/') pathPart += '/';
  CopyText(kServerHigh, host, hostPart.c_str());
  CopyText(kServerHigh, path, pathPart.c_str());
}

std::string RequestUrl(const char* host, const char* path, const char* endpoint) {
  std::string url = host;
  if (url.rfind("https://", 0) != 0) url = "http://" + url;
  return url + path + endpoint;
}

void EncryptPassword(const char* password, char (&hex)[kEncryptedPasswordHigh + 1]) {
  std::u16string units = Utf8ToUtf16(password);
  if (units.size() > kPasswordUnits) units.resize(kPasswordUnits);
  units.insert(units.begin(), static_cast<char16_t>(32 + RandomBelow(65534 - 32 + 1)));
  units.push_back(static_cast<char16_t>(32 + RandomBelow(65534 - 32 + 1)));
  vcrypt::CBuffer(2, units.data(), static_cast<std::uint32_t>(units.size() * 2), sizeof kPasswordKey, kPasswordKey, 0,
                  nullptr);
  std::string text;
  for (char16_t unit : units) {
    for (int shift = 12; shift >= 0; shift -= 4) text += kHexDigits[(unit >> shift) & 15];
  }
  CopyText(kEncryptedPasswordHigh, hex, text.c_str());
}

bool DecryptPassword(const char* hex, std::string& password) {
  const std::size_t digits = std::strlen(hex);
  if (digits % 4 != 0 || digits < 8) return false;
  std::u16string units(digits / 4, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    unsigned value = 0;
    for (int k = 0; k < 4; ++k) {
      const int d = HexValue(hex[4 * i + k]);
      if (d < 0) return false;
      value = value << 4 | static_cast<unsigned>(d);
    }
    units[i] = static_cast<char16_t>(value);
  }
  vcrypt::DBuffer(2, units.data(), static_cast<std::uint32_t>(units.size() * 2), sizeof kPasswordKey, kPasswordKey, 0,
                  nullptr);
  return Utf16ToUtf8(units.substr(1, units.size() - 2), password);
}

bool GetLongText(sjson::CJSON& doc, const char* name, std::string& out) {
  vdstr::TDStringA* text = nullptr;
  if (!doc.GetDStr(name, &text)) return false;
  const char* address = nullptr;
  std::uint32_t length = 0;
  vdstr::GetDStrAddrLenA(static_cast<const vdstr::TDStringA*>(text), address, length);
  out.assign(address ? address : "", length);
  vdstr::FreeDStrA(text);
  return true;
}

TAnswerStatus CheckAnswerStatus(sjson::CJSON& answer) {
  TAnswerStatus result;
  char status[65] = {};
  if (!GetText(answer, "status", status)) {
    result.line1 = "Missing keyword:";
    result.line2 = "status";
  } else if (std::strcmp(status, "ok") == 0) {
    result.ok = true;
  } else if (std::strcmp(status, "fail") == 0) {
    char error[65] = {};
    result.failStatus = true;
    result.line1 = "Request failed:";
    result.line2 = GetText(answer, "error", error) ? error : "Reason not provided by the server.";
  } else {
    result.line1 = "Unknown keyword: ";
    result.line2 = status;
  }
  return result;
}

}  // namespace ombrix_web
