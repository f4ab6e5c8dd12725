// Unicode helpers shared by the Str sources: UTF-8 and UTF-16 coding, the
// Windows-1252 fallback for text that is not UTF-8, and case mapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Str::uni {

inline constexpr char32_t Replacement = 0xFFFD;

// Decodes one UTF-8 sequence at s[0..n); returns its length, 0 when the
// bytes there are not a valid shortest-form sequence.
size_t DecodeUtf8(const unsigned char* s, size_t n, char32_t& cp);
// Bytes of the UTF-8 form of cp (1..4).
size_t Utf8Length(char32_t cp);
// Writes the UTF-8 form of cp to out (room for 4 bytes); returns its length.
size_t EncodeUtf8(char32_t cp, char* out);

// The code point of a Windows-1252 byte.
char32_t FromCp1252(unsigned char b);

// Decodes 8-bit text to code points: UTF-8 when the whole text is valid
// UTF-8, else one Windows-1252 character per byte.
std::u32string DecodeA(const char* s, size_t n);
// Decodes UTF-16 to code points; an unpaired surrogate becomes U+FFFD.
std::u32string DecodeW(const char16_t* s, size_t n);

// Case mapping of code points (Unicode simple mapping, identity when the
// mapping is not known).
char32_t Upper(char32_t cp);
char32_t Lower(char32_t cp);

}  // namespace Str::uni
