// Fuzz target for the Str text and number functions: arbitrary bytes as
// fixed arrays of every size, with and without terminator.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "runbase/str.h"

namespace {

// Runs the parsers and editors over one source array of highest index h.
void Exercise(uint32_t h, const char* s, uint32_t ph, const char* pattern) {
  bool ok;
  for (uint32_t base : {0u, 2u, 10u, 16u}) {
    Str::StrToIntA(h, s, base, ok);
    Str::StrToCard64A(h, s, base, ok);
    Str::StrToInt64A(h, s, base, ok);
  }
  const double v = Str::StrToRealA(h, s, ok);

  char small[7];
  for (uint32_t dh : {0u, 3u, 5u}) {
    Str::FixRealToStrA(v, dh, dh, small, ok);
    Str::CorrFixRealToStrA(v, dh * 3, dh, small, ok);
    Str::RealToStrA(v, dh * 4, dh == 3, dh, small, ok);
    Str::CorrectedRealToStrA(v, dh * 3, dh == 5, dh, small, ok);
  }

  Str::MatchA(h, s, ph, pattern);
  Str::MatchCSA(h, s, ph, pattern);
  Str::PosA(h, s, ph, pattern);
  Str::ItemSA(5, small, h, s, ph, pattern, 1);

  std::vector<char16_t> wide(size_t(h) + 1);
  Str::A2U(h, s, h, wide.data());
  Str::StrToRealW(h, wide.data(), ok);
  std::vector<char> back(size_t(h) * 3 + 1);
  Str::U2A(h, wide.data(), uint32_t(back.size() - 1), back.data());

  std::vector<char> edit(s, s + h + 1);
  Str::SubstA(h, edit.data(), ph, pattern, h, s);
  Str::CapsA(h, edit.data());
  Str::TrimA(h, edit.data());
  Str::InsertA(h, edit.data(), ph, pattern, 2);
  Str::DeleteA(h, edit.data(), 1, 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 4096) return 0;
  // First byte: where the pattern starts; the rest: text then pattern.
  const size_t split = 1 + data[0] % (size - 1);
  std::vector<char> text(data + 1, data + split);
  std::vector<char> pattern(data + split, data + size);
  if (text.empty()) text.push_back(0);
  if (pattern.empty()) pattern.push_back(0);
  Str::IsUTF8(data, size);
  Exercise(uint32_t(text.size() - 1), text.data(), uint32_t(pattern.size() - 1), pattern.data());
  return 0;
}
