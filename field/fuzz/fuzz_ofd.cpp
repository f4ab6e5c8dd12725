// Fuzz target of the field description reader: any input must read without
// crash, hang or leak; a failed read leaves the field empty with an error
// text, and a successful one writes text that reads back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ombrix_field/ofd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ombrix_data;
  TFieldLoadContext context;
  context.folders = {"/nonexistent/", "/nonexistent"};
  CField field;
  bool changed = false;
  char error[kErrorTextHigh + 1];
  const bool ok = ReadFieldText(reinterpret_cast<const char*>(data), size, context, field, changed, error);
  if (!ok) {
    if (field.Count() != 0 || error[0] == 0) std::abort();
    return 0;
  }
  std::string first;
  WriteFieldText(field, first);
  CField again;
  if (!ReadFieldText(first.data(), first.size(), context, again, changed, error)) std::abort();
  std::string second;
  WriteFieldText(again, second);
  if (first != second) std::abort();
  return 0;
}
