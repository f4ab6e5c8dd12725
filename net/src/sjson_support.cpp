#include "sjson_support.h"

#include <corekit/vdstr.hpp>
#include <runbase/str.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace sjson::support {

// String and text blocks come from the C heap that Storage also uses, so the
// dynamic-string functions and Storage may grow and free them.
void AssignString(vdstr::TDStringA*& string, const char* bytes, uint32_t count) {
  if (count == 0) {
    ReleaseString(string);
    return;
  }
  if (!string || string->capacity < count) {
    void* block = std::realloc(string, sizeof(vdstr::TDStringA) + count);
    if (!block) throw std::bad_alloc();
    string = static_cast<vdstr::TDStringA*>(block);
    string->capacity = count;
  }
  string->length = count;
  std::memcpy(string->chars(), bytes, count);
}

std::string_view StringView(const vdstr::TDStringA* string) {
  if (!string) return {};
  return {string->chars(), string->length};
}

void ReleaseString(vdstr::TDStringA*& string) {
  std::free(string);
  string = nullptr;
}

void ResizeBlock(char*& block, uint64_t bytes) {
  void* grown = std::realloc(block, bytes);
  if (!grown) throw std::bad_alloc();
  block = static_cast<char*>(grown);
}

void ReleaseBlock(char*& block) {
  std::free(block);
  block = nullptr;
}

uint32_t FormatReal(double number, char (&text)[kRealTextLength]) {
  bool ok = false;
  Str::FixRealToStrA(number, 8, kRealTextLength - 1, text, ok);
  return ok ? static_cast<uint32_t>(strnlen(text, kRealTextLength)) : 0;
}

}  // namespace sjson::support
