#include "sjson_support.h"

#include <corekit/vdstr.h>
#include <runbase/storage.h>
#include <runbase/str.h>

#include <cstring>

namespace sjson::support {

void AssignString(vdstr::TDStringA*& string, const char* bytes, uint32_t count) {
  if (count == 0) ReleaseString(string);
  else vdstr::CopyBufferToDStrA(string, bytes, count);
}

std::string_view StringView(const vdstr::TDStringA* string) {
  if (!string) return {};
  return {string->chars(), string->length};
}

void ReleaseString(vdstr::TDStringA*& string) { vdstr::FreeDStrA(string); }

void ResizeBlock(char*& block, uint64_t bytes) { Storage::Reallocate(block, bytes); }

void ReleaseBlock(char*& block) { Storage::Free(block); }

uint32_t FormatReal(double number, char (&text)[kRealTextLength]) {
  bool ok = false;
  Str::FixRealToStrA(number, 8, kRealTextLength - 1, text, ok);
  return ok ? static_cast<uint32_t>(strnlen(text, kRealTextLength)) : 0;
}

}  // namespace sjson::support
