// Module start-up and the parse-and-write service of the command line.
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include <runbase/fio.h>

#include "ombrix_net/sjson.h"

namespace sjson {
namespace {

int initCount = 0;

// Files larger than this are not read: no repository document comes near it.
constexpr std::uint64_t kMaxFileBytes = 64u << 20;

void SetError(char (&errorText)[kErrorTextLength], const char* text) {
  std::strncpy(errorText, text, kErrorTextLength - 1);
  errorText[kErrorTextLength - 1] = 0;
}

}  // namespace

void Init_() {
  if (initCount++ > 0) return;
}

bool ReformatText(const char* data, size_t length, TJSONText& output,
                  char (&errorText)[kErrorTextLength]) {
  output.length = 0;
  errorText[0] = 0;
  if (length > std::numeric_limits<uint32_t>::max()) {
    SetError(errorText, "JSON data too large");
    return false;
  }
  TJSONSource source;
  InitSource(source, data, static_cast<uint32_t>(length));
  CJSON document;
  bool ok = document.Parse(source) && document.Write(&output);
  std::memcpy(errorText, source.errorText, kErrorTextLength);
  return ok;
}

bool ReformatFile(const char* path, TJSONText& output, char (&errorText)[kErrorTextLength]) {
  output.length = 0;
  errorText[0] = 0;
  std::string bytes;
  const std::uint32_t high = path ? static_cast<std::uint32_t>(std::strlen(path)) : 0;
  const FIO::WholeFile read =
      path ? FIO::ReadWholeFileA(high, path, kMaxFileBytes, bytes) : FIO::WholeFile::cannotOpen;
  switch (read) {
    case FIO::WholeFile::ok:
      return ReformatText(bytes.data(), bytes.size(), output, errorText);
    case FIO::WholeFile::notRegularFile:
      SetError(errorText, "Not a regular file");
      return false;
    case FIO::WholeFile::tooLarge:
      SetError(errorText, "JSON data too large");
      return false;
    case FIO::WholeFile::cannotOpen:
    case FIO::WholeFile::cannotRead:
      break;
  }
  SetError(errorText, "Cannot read file");
  return false;
}

}  // namespace sjson
