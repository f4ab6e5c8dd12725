#include "str_unicode.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace Str::uni {

size_t DecodeUtf8(const unsigned char* s, size_t n, char32_t& cp) {
  if (n == 0) return 0;
  const unsigned char b0 = s[0];
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t len;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, min = 0x80, cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, min = 0x800, cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, min = 0x10000, cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (n < len) return 0;
  for (size_t i = 1; i < len; ++i) {
    if ((s[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (s[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

size_t Utf8Length(char32_t cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

size_t EncodeUtf8(char32_t cp, char* out) {
  const size_t len = Utf8Length(cp);
  static constexpr unsigned char lead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (size_t i = len - 1; i > 0; --i) {
    out[i] = char(0x80 | (cp & 0x3F));
    cp >>= 6;
  }
  out[0] = char(len == 1 ? cp : (lead[len] | cp));
  return len;
}

char32_t FromCp1252(unsigned char b) {
  // 0x80..0x9F; the five unassigned codes map to the C1 controls, as Windows does.
  static constexpr char16_t high[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return (b >= 0x80 && b < 0xA0) ? char32_t(high[b - 0x80]) : char32_t(b);
}

std::u32string DecodeA(const char* s, size_t n) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(s);
  std::u32string out;
  out.reserve(n);
  for (size_t i = 0; i < n;) {
    char32_t cp;
    const size_t len = DecodeUtf8(bytes + i, n - i, cp);
    if (len == 0) {
      out.clear();
      for (size_t j = 0; j < n; ++j) out.push_back(FromCp1252(bytes[j]));
      return out;
    }
    out.push_back(cp);
    i += len;
  }
  return out;
}

std::u32string DecodeW(const char16_t* s, size_t n) {
  std::u32string out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const char32_t u = s[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      out.push_back(0x10000 + ((u - 0xD800) << 10) + (s[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out.push_back(Replacement);
    } else {
      out.push_back(u);
    }
  }
  return out;
}

namespace {

// The C.UTF-8 locale carries the full Unicode case tables, whatever locale
// the process runs in.
locale_t UnicodeLocale() {
  static const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
  return loc;
}

// Fallback when the locale is missing: ASCII and Latin-1 letters.
char32_t Latin1Upper(char32_t cp) {
  if ((cp >= 'a' && cp <= 'z') || (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) return cp - 0x20;
  return cp == 0xFF ? char32_t(0x178) : cp;
}

char32_t Latin1Lower(char32_t cp) {
  if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) return cp + 0x20;
  return cp == 0x178 ? char32_t(0xFF) : cp;
}

}  // namespace

char32_t Upper(char32_t cp) {
  const locale_t loc = UnicodeLocale();
  return loc ? char32_t(towupper_l(wint_t(cp), loc)) : Latin1Upper(cp);
}

char32_t Lower(char32_t cp) {
  const locale_t loc = UnicodeLocale();
  return loc ? char32_t(towlower_l(wint_t(cp), loc)) : Latin1Lower(cp);
}

}  // namespace Str::uni
