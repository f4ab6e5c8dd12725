// Small helpers for the model's fixed text arrays (highest index convention).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ombrix_data {

// Length of the text in an array of highest index `high`.
inline std::size_t TextLength(std::uint32_t high, const char* text) {
  const void* nul = std::memchr(text, 0, std::size_t{high} + 1);
  return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : std::size_t{high} + 1;
}

// Copies `count` characters into the array, cut to fit; a NUL follows when
// there is room.
inline void CopyText(std::uint32_t high, char* dest, const char* source, std::size_t count) {
  if (count > std::size_t{high} + 1) count = std::size_t{high} + 1;
  std::memmove(dest, source, count);
  if (count <= high) dest[count] = 0;
}

// Copies a zero-terminated string into the array, cut to fit.
inline void CopyText(std::uint32_t high, char* dest, const char* source) {
  CopyText(high, dest, source, source ? std::strlen(source) : 0);
}

// Appends a zero-terminated string to the text already in the array.
inline void AppendText(std::uint32_t high, char* dest, const char* source) {
  std::size_t used = TextLength(high, dest);
  if (used > high) return;
  CopyText(high - static_cast<std::uint32_t>(used), dest + used, source);
}

inline bool IsTextEmpty(const char* text) { return text[0] == 0; }

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

}  // namespace ombrix_data
