// The few dynamic-string, memory and number-format services the JSON code uses.
#pragma once

#include <cstdint>
#include <string_view>

#include "ombrix_net/sjson.h"

namespace sjson::support {

// The string becomes a copy of count bytes (released when count is 0).
void AssignString(vdstr::TDStringA*& string, const char* bytes, uint32_t count);
// The characters of a string; empty for a null string.
std::string_view StringView(const vdstr::TDStringA* string);
// Releases the string and sets the pointer to null.
void ReleaseString(vdstr::TDStringA*& string);

// Grows or allocates a heap block to bytes; the block keeps its contents.
void ResizeBlock(char*& block, uint64_t bytes);
void ReleaseBlock(char*& block);

// Longest text FormatReal produces (sign, 309 integer digits, point, decimals).
inline constexpr uint32_t kRealTextLength = 400;
// Fixed-point text with 8 decimals and always a decimal point; returns its length.
uint32_t FormatReal(double number, char (&text)[kRealTextLength]);

}  // namespace sjson::support
