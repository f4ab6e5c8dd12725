// UTF-8 <-> UTF-16 for the password cipher, which works on UTF-16 text.
#pragma once

#include <string>

namespace ombrix_web {

// A byte that does not start valid UTF-8 is taken as the character of the
// same code (Latin-1), so any text converts.
inline std::u16string Utf8ToUtf16(const char* text) {
  std::u16string out;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    unsigned c = *p;
    int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
    if (c >= 0xF8) extra = 0;
    bool valid = c >= 0x80 ? extra > 0 : true;
    unsigned code = extra == 3 ? c & 7 : extra == 2 ? c & 15 : extra == 1 ? c & 31 : c;
    for (int k = 1; valid && k <= extra; ++k) {
      if ((p[k] & 0xC0) != 0x80) valid = false;
      else code = code << 6 | (p[k] & 0x3F);
    }
    if (!valid) {
      out += static_cast<char16_t>(c);
      ++p;
      continue;
    }
    p += extra + 1;
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

// False on an unpaired surrogate or a zero unit.
inline bool Utf16ToUtf8(const std::u16string& units, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < units.size(); ++i) {
    unsigned code = units[i];
    if (code == 0) return false;
    if (code >= 0xD800 && code < 0xDC00) {
      if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] >= 0xE000) return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (code >= 0xDC00 && code < 0xE000) {
      return false;
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return true;
}

}  // namespace ombrix_web
