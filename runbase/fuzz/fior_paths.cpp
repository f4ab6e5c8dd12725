// Path functions on arbitrary text and array sizes: they must stay inside
// their arrays (exact-size heap arrays, so AddressSanitizer sees any overrun)
// and never crash or hang.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "runbase/fior.h"

namespace {

// An array of exactly high + 1 characters.
struct TArray {
  explicit TArray(std::uint32_t h) : high(h), text(new char[std::size_t(h) + 1]()) {}
  std::uint32_t high;
  std::unique_ptr<char[]> text;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint32_t outHigh = data[0] % 64;   // small outputs force cutting
  const std::uint32_t extHigh = data[1] % 8;
  const std::string input(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::uint32_t inHigh = input.empty() ? 0 : std::uint32_t(input.size() - 1);
  const char* in = input.data();   // no terminator needed: the high bounds it

  TArray dir(outHigh), name(outHigh), ext(extHigh), out(outHigh);
  FIOR::SplitPathA(inHigh, in, dir.high, dir.text.get(), name.high, name.text.get());
  FIOR::SplitAllPathA(inHigh, in, dir.high, dir.text.get(), name.high, name.text.get(), ext.high,
                      ext.text.get());
  FIOR::GetExtensionA(inHigh, in, ext.high, ext.text.get());
  FIOR::ExpandPathA(inHigh, in, out.high, out.text.get());
  FIOR::MakePathA(out.high, out.text.get(), inHigh, in, name.high, name.text.get());
  FIOR::JoinPathA(out.high, out.text.get(), dir.high, dir.text.get(), inHigh, in);
  // Wildcard matching backtracks over every "*"; extensions are the program's
  // own words, so the fuzzer's stars become "?".
  std::replace(ext.text.get(), ext.text.get() + ext.high + 1, '*', '?');
  FIOR::IsExtensionA(inHigh, in, ext.high, ext.text.get());

  TArray edit(inHigh);
  std::copy(input.begin(), input.end(), edit.text.get());
  FIOR::ChangeExtensionA(edit.high, edit.text.get(), ext.high, ext.text.get());
  FIOR::AddExtensionA(edit.high, edit.text.get(), ext.high, ext.text.get());
  FIOR::RemoveExtensionA(edit.high, edit.text.get());
  FIOR::WildcardTailA(edit.high, edit.text.get());
  return 0;
}
