// UTF-16 text to UTF-8, for names and diagnostics given as W strings.
#pragma once

#include <cstddef>
#include <string>

#include "str_unicode.h"

namespace FIO::sys {

inline std::string Utf16ToUtf8(const char16_t* text, std::size_t count) {
  std::string utf8;
  for (char32_t cp : Str::uni::DecodeW(text, count)) {
    char bytes[4];
    utf8.append(bytes, Str::uni::EncodeUtf8(cp, bytes));
  }
  return utf8;
}

}  // namespace FIO::sys
