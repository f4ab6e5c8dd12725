// Module start-up and the parse-and-write service of the command line.
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "ombrix_net/sjson.h"

namespace sjson {
namespace {

int initCount = 0;

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
  std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
  if (!file) {
    SetError(errorText, "Cannot read file");
    return false;
  }
  std::vector<char> bytes;
  char block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, file)) > 0) bytes.insert(bytes.end(), block, block + n);
  bool readOk = !std::ferror(file);
  std::fclose(file);
  if (!readOk) {
    SetError(errorText, "Cannot read file");
    return false;
  }
  return ReformatText(bytes.data(), bytes.size(), output, errorText);
}

}  // namespace sjson
