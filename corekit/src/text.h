// Small helpers on fixed character arrays given as (highest index, pointer).
#pragma once

#include <cstdint>

namespace corekit_text {

// Characters up to the first zero or high + 1 (high may be all bits set).
template <class Ch>
std::uint32_t Length(std::uint32_t high, const Ch* text) {
    if (!text) return 0;
    const std::uint64_t limit = std::uint64_t{high} + 1;
    std::uint64_t n = 0;
    while (n < limit && text[n] != Ch(0)) ++n;
    return static_cast<std::uint32_t>(n);
}

// Copies n characters into an array of highest index high, cut to fit; a
// zero follows when there is room.
template <class Ch>
void CopyOut(std::uint32_t high, Ch* dst, const Ch* src, std::uint32_t n) {
    if (!dst) return;
    const std::uint64_t room = std::uint64_t{high} + 1;
    if (n > room) n = static_cast<std::uint32_t>(room);
    for (std::uint32_t i = 0; i < n; ++i) dst[i] = src[i];
    if (n < room) dst[n] = Ch(0);
}

} // namespace corekit_text
