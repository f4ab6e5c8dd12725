// The buffer cipher's two fixed constants. Anything that must read or
// write the same ciphertext (the web repository server included) takes
// them from here and nowhere else.
#pragma once

#include <cstdint>

namespace vcrypt {

// Starts the keystream of a final partial block (methods 2, 3 and 4).
inline constexpr std::uint8_t kTailBlock[8] = {0x4F, 0x4D, 0x42, 0x52, 0x49, 0x58, 0x2D, 0x54};  // "OMBRIX-T"

// Initial chaining value of method 4, joined at run time from two words.
inline constexpr std::uint32_t kChainWord1 = 0x7B3E91C5u;
inline constexpr std::uint32_t kChainWord2 = 0xA4D2086Fu;

}  // namespace vcrypt
