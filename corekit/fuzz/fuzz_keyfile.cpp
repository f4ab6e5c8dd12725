// Feeds arbitrary bytes to the key-file reader (8-bit and UTF-16 scanners)
// and exercises lookups and saving the image.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "corekit/vscan.h"

namespace {

std::string TempName(const char* what) { return "/tmp/corekit_fuzz_" + std::to_string(::getpid()) + "_" + what; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string input = TempName("in.ini");
  static const std::string output = TempName("out.ini");
  if (FILE* f = std::fopen(input.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }

  vscan::CTextScanner s;
  if (s.Init(vscan::kAnyLength, input.c_str())) {
    char key[80], value[256];
    for (bool ok = s.GetFirstLine(79, key, 255, value); ok; ok = s.GetNextLine(79, key, 255, value)) {
    }
    s.SetSection(vscan::kAnyLength, "OMBRIX");
    std::int32_t n = 0;
    double r = 0;
    bool b = false;
    vcom::CRect rect;
    s.GetKeyInt(vscan::kAnyLength, "a", n);
    s.GetKeyReal(vscan::kAnyLength, "a", r);
    s.GetKeyBool(vscan::kAnyLength, "a", b);
    s.GetKeyRect(vscan::kAnyLength, "a", rect);
    s.SetKeyStr(vscan::kAnyLength, "a", 255, value);
    s.SaveAs(vscan::kAnyLength, output.c_str());
  }
  vscan::CTextScannerW w;
  const std::u16string wide(input.begin(), input.end());
  if (w.Init(vscan::kAnyLength, wide.c_str())) {
    char16_t value[256];
    w.GetKeyStr(vscan::kAnyLength, u"a", 255, value);
  }
  return 0;
}
