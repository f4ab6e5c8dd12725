// In-place buffer cipher chosen by a method number, under keys of any
// length that are first stretched or shrunk to the cipher's key size; and
// the small generator that stretches short keys.
//
// Methods: 2 DES-CBC (8-byte key), 3 two-key triple DES (8 + 8), 4 Blowfish
// variant CBC (16), 7 RC5-32/12/16 CBC (16), 8 RC4 (16). Other numbers are
// unknown methods. The length need not be a multiple of the block size.
#pragma once

#include <cstdint>

#include "corekit/vcrypt_constants.h"

namespace vcrypt {

inline constexpr std::uint32_t kCryptOk = 0;
inline constexpr std::uint32_t kCryptNullBuffer = 1;
inline constexpr std::uint32_t kCryptUnknownMethod = 8;

std::uint32_t CBuffer(std::uint32_t method, void* buffer, std::uint32_t length, std::uint32_t keyLength,
                      const void* key, std::uint32_t key2Length, const void* key2);
std::uint32_t DBuffer(std::uint32_t method, void* buffer, std::uint32_t length, std::uint32_t keyLength,
                      const void* key, std::uint32_t key2Length, const void* key2);

// The generator is global to the library and not synchronised.
std::uint32_t RND32();
std::uint16_t RND16();  // low half of RND32
std::uint8_t RND8();    // low byte of RND32
void SetRND(std::uint32_t s, std::uint16_t t);
void InitRND();  // seeds from the current date and time

}  // namespace vcrypt
