#include "sjson_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

// Stand-in layout of the dynamic string until the container library is linked.
namespace vdstr {
struct TDStringA {
  uint32_t capacity;
  uint32_t length;
  char chars[1];
};
}  // namespace vdstr

namespace sjson::support {

void AssignString(vdstr::TDStringA*& string, const char* bytes, uint32_t count) {
  ReleaseString(string);
  if (count == 0) return;
  void* block = std::malloc(sizeof(vdstr::TDStringA) + count);
  if (!block) throw std::bad_alloc();
  string = static_cast<vdstr::TDStringA*>(block);
  string->capacity = count;
  string->length = count;
  std::memcpy(string->chars, bytes, count);
}

std::string_view StringView(const vdstr::TDStringA* string) {
  if (!string) return {};
  return {string->chars, string->length};
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
  int n = std::snprintf(text, sizeof text, "%#.8f", number);
  return n < 0 ? 0 : static_cast<uint32_t>(n);
}

}  // namespace sjson::support
