// Fixed-size character arrays given as (highest index, pointer), the way the
// records and the file layer hold names and paths: the array has high + 1
// characters and holds its text up to the first zero, or all of it when no
// zero follows. These are the one set of helpers every library uses on them.
#pragma once

#include <cstdint>
#include <string_view>

namespace FixedText {

// Characters up to the first zero or high + 1 (high may be all bits set).
template <class Ch>
std::uint32_t Length(std::uint32_t high, const Ch* text) {
  if (!text) return 0;
  const std::uint64_t limit = std::uint64_t{high} + 1;
  std::uint64_t n = 0;
  while (n < limit && text[n] != Ch(0)) ++n;
  return static_cast<std::uint32_t>(n);
}

// The text of the array as a view (empty for a null pointer).
template <class Ch>
std::basic_string_view<Ch> View(std::uint32_t high, const Ch* text) {
  return text ? std::basic_string_view<Ch>(text, Length(high, text)) : std::basic_string_view<Ch>();
}
inline std::string_view View(std::uint32_t high, const char* text) { return View<char>(high, text); }

// Copies text into the array, cut to high + 1 characters; a zero follows
// when there is room. Source and array may overlap.
template <class Ch>
void Assign(std::uint32_t high, Ch* destination, std::basic_string_view<Ch> text) {
  if (!destination) return;
  const std::uint64_t room = std::uint64_t{high} + 1;
  const std::size_t n = text.size() > room ? static_cast<std::size_t>(room) : text.size();
  if (destination + n <= text.data() || text.data() + n <= destination) {
    for (std::size_t i = 0; i < n; ++i) destination[i] = text[i];
  } else if (destination < text.data()) {
    for (std::size_t i = 0; i < n; ++i) destination[i] = text[i];
  } else {
    for (std::size_t i = n; i-- > 0;) destination[i] = text[i];
  }
  if (n < room) destination[n] = Ch(0);
}
inline void Assign(std::uint32_t high, char* destination, std::string_view text) {
  Assign<char>(high, destination, text);
}
inline void Assign(std::uint32_t high, char16_t* destination, std::u16string_view text) {
  Assign<char16_t>(high, destination, text);
}

// Appends text after the text already in the array, cut to fit.
template <class Ch>
void Append(std::uint32_t high, Ch* destination, std::basic_string_view<Ch> text) {
  if (!destination) return;
  const std::uint32_t used = Length(high, destination);
  if (std::uint64_t{used} > high) return;
  Assign<Ch>(high - used, destination + used, text);
}
inline void Append(std::uint32_t high, char* destination, std::string_view text) {
  Append<char>(high, destination, text);
}
inline void Append(std::uint32_t high, char16_t* destination, std::u16string_view text) {
  Append<char16_t>(high, destination, text);
}

// True for the characters trimmed from the ends of values and lines.
template <class Ch>
constexpr bool IsBlank(Ch c) {
  return c == Ch(' ') || c == Ch('\t') || c == Ch('\r') || c == Ch('\n');
}

// The text without leading and trailing space, tab, CR and LF.
template <class Ch>
constexpr std::basic_string_view<Ch> Trim(std::basic_string_view<Ch> text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}
constexpr std::string_view Trim(std::string_view text) { return Trim<char>(text); }
constexpr std::u16string_view Trim(std::u16string_view text) { return Trim<char16_t>(text); }

// The value of a hexadecimal digit (either case), or -1 when c is none.
constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace FixedText
