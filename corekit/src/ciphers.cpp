#include "ciphers.h"

#include <cstring>
#include <utility>

#include "pi_tables.h"

namespace corekit_cipher {

namespace {

// ---- DES tables (bit numbers 1-based from the most significant bit) ------
constexpr std::uint8_t kIP[64] = {58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
                                  62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
                                  57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
                                  61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};
constexpr std::uint8_t kFP[64] = {40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31,
                                  38, 6, 46, 14, 54, 22, 62, 30, 37, 5, 45, 13, 53, 21, 61, 29,
                                  36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43, 11, 51, 19, 59, 27,
                                  34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9,  49, 17, 57, 25};
constexpr std::uint8_t kE[48] = {32, 1,  2,  3,  4,  5,  4,  5,  6,  7,  8,  9,  8,  9,  10, 11,
                                 12, 13, 12, 13, 14, 15, 16, 17, 16, 17, 18, 19, 20, 21, 20, 21,
                                 22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1};
constexpr std::uint8_t kP[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
                                 2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};
constexpr std::uint8_t kPC1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18, 10, 2,  59, 51, 43,
                                   35, 27, 19, 11, 3,  60, 52, 44, 36, 63, 55, 47, 39, 31, 23, 15, 7,  62, 54,
                                   46, 38, 30, 22, 14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};
constexpr std::uint8_t kPC2[48] = {14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
                                   26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
                                   51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};
constexpr std::uint8_t kShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};
constexpr std::uint8_t kSBox[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8, 3, 10, 6, 12, 5,  9,  0,  7,  0,  15, 7,  4,  14, 2,
     13, 1,  10, 6, 12, 11, 9,  5, 3, 8,  4, 1,  14, 8,  13, 6,  2,  11, 15, 12, 9,  7,
     3,  10, 5,  0, 15, 12, 8,  2, 4, 9,  1, 7,  5,  11, 3,  14, 10, 0,  6,  13},
    {15, 1,  8, 14, 6,  11, 3,  4, 9, 7, 2,  13, 12, 0, 5, 10, 3,  13, 4,  7, 15, 2,  8, 14, 12, 0, 1, 10, 6, 9, 11, 5,
     0,  14, 7, 11, 10, 4,  13, 1, 5, 8, 12, 6,  9,  3, 2, 15, 13, 8,  10, 1, 3,  15, 4, 2,  11, 6, 7, 12, 0, 5, 14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7, 11, 4,  2,  8,  13, 7, 0,  9, 3, 4,
     6,  10, 2,  8,  5, 14, 12, 11, 15, 1,  13, 6, 4,  9,  8,  15, 3,  0, 11, 1, 2, 12,
     5,  10, 14, 7,  1, 10, 13, 0,  6,  9,  8,  7, 4,  15, 14, 3,  11, 5, 2,  12},
    {7, 13, 14, 3, 0, 6,  9, 10, 1,  2, 8,  5, 11, 12, 4,  15, 13, 8,  11, 5, 6, 15,
     0, 3,  4,  7, 2, 12, 1, 10, 14, 9, 10, 6, 9,  0,  12, 11, 7,  13, 15, 1, 3, 14,
     5, 2,  8,  4, 3, 15, 0, 6,  10, 1, 13, 8, 9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4, 1,  7,  10, 11, 6, 8, 5,  3, 15, 13, 0,  14, 9,  14, 11, 2,  12, 4,  7,
     13, 1,  5, 0,  15, 10, 3,  9, 8, 6,  4, 2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,
     6,  3,  0, 14, 11, 8,  12, 7, 1, 14, 2, 13, 6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9,  2,  6, 8,  0, 13, 3,  4,  14, 7,  5, 11, 10, 15, 4, 2, 7, 12,
     9,  5,  6,  1,  13, 14, 0, 11, 3, 8,  9,  14, 15, 5,  2, 8,  12, 3,  7, 0, 4, 10,
     1,  13, 11, 6,  4,  3,  2, 12, 9, 5,  15, 10, 11, 14, 1, 7,  6,  0,  8, 13},
    {4, 11, 2,  14, 15, 0, 8, 13, 3,  12, 9, 7, 5, 10, 6, 1, 13, 0,  11, 7, 4, 9, 1,  10, 14, 3, 5, 12, 2,  15, 8, 6,
     1, 4,  11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5,  9, 2, 6,  11, 13, 8, 1, 4, 10, 7,  9,  5, 0, 15, 14, 2,  3, 12},
    {13, 2, 8, 4, 6,  15, 11, 1, 10, 9,  3,  14, 5, 0, 12, 7, 1, 15, 13, 8, 10, 3, 7,  4,  12, 5, 6, 11, 0, 14, 9, 2, 7,
     11, 4, 1, 9, 12, 14, 2,  0, 6,  10, 13, 15, 3, 5, 8,  2, 1, 14, 7,  4, 10, 8, 13, 15, 12, 9, 0, 3,  5, 6,  11}};

// Output bit i (from the top of an n-bit result) = input bit table[i] of an
// inBits-wide input.
template <std::size_t N>
std::uint64_t Permute(std::uint64_t in, unsigned inBits, const std::uint8_t (&table)[N]) {
  std::uint64_t out = 0;
  for (std::size_t i = 0; i < N; ++i) out = (out << 1) | ((in >> (inBits - table[i])) & 1);
  return out;
}

std::uint64_t LoadBE(const std::uint8_t* b) {
  std::uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | b[i];
  return v;
}

void StoreBE(std::uint64_t v, std::uint8_t* b) {
  for (int i = 7; i >= 0; --i, v >>= 8) b[i] = static_cast<std::uint8_t>(v);
}

std::uint32_t Load32LE(const std::uint8_t* b) {
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

void Store32LE(std::uint32_t v, std::uint8_t* b) {
  for (int i = 0; i < 4; ++i, v >>= 8) b[i] = static_cast<std::uint8_t>(v);
}

std::uint32_t Rotl(std::uint32_t v, std::uint32_t n) {
  n &= 31;
  return n ? (v << n) | (v >> (32 - n)) : v;
}

std::uint32_t Rotr(std::uint32_t v, std::uint32_t n) {
  n &= 31;
  return n ? (v >> n) | (v << (32 - n)) : v;
}

}  // namespace

// ---- DES -------------------------------------------------------------------

CDes::CDes(const std::uint8_t key[8]) {
  const std::uint64_t cd = Permute(LoadBE(key), 64, kPC1);
  std::uint32_t c = static_cast<std::uint32_t>(cd >> 28) & 0x0FFFFFFF;
  std::uint32_t d = static_cast<std::uint32_t>(cd) & 0x0FFFFFFF;
  for (int round = 0; round < 16; ++round) {
    for (int s = 0; s < kShifts[round]; ++s) {
      c = ((c << 1) | (c >> 27)) & 0x0FFFFFFF;
      d = ((d << 1) | (d >> 27)) & 0x0FFFFFFF;
    }
    subkeys_[round] = Permute((static_cast<std::uint64_t>(c) << 28) | d, 56, kPC2);
  }
}

std::uint64_t CDes::Crypt(std::uint64_t block, bool decrypt) const {
  const std::uint64_t ip = Permute(block, 64, kIP);
  std::uint32_t l = static_cast<std::uint32_t>(ip >> 32);
  std::uint32_t r = static_cast<std::uint32_t>(ip);
  for (int round = 0; round < 16; ++round) {
    const std::uint64_t x = Permute(r, 32, kE) ^ subkeys_[decrypt ? 15 - round : round];
    std::uint32_t sOut = 0;
    for (int s = 0; s < 8; ++s) {
      const unsigned six = static_cast<unsigned>(x >> (42 - 6 * s)) & 0x3F;
      const unsigned row = ((six >> 4) & 2) | (six & 1);
      const unsigned col = (six >> 1) & 0xF;
      sOut = (sOut << 4) | kSBox[s][row * 16 + col];
    }
    const std::uint32_t f = static_cast<std::uint32_t>(Permute(sOut, 32, kP));
    l ^= f;
    std::swap(l, r);
  }
  return Permute((static_cast<std::uint64_t>(r) << 32) | l, 64, kFP);
}

void CDes::Encrypt(std::uint8_t block[8]) const { StoreBE(Crypt(LoadBE(block), false), block); }
void CDes::Decrypt(std::uint8_t block[8]) const { StoreBE(Crypt(LoadBE(block), true), block); }

// ---- Blowfish --------------------------------------------------------------

CBlowfish::CBlowfish(const std::uint8_t* key, std::size_t length, std::uint32_t startL, std::uint32_t startR) {
  std::memcpy(p_, kPiP, sizeof p_);
  std::memcpy(s_, kPiS, sizeof s_);
  std::size_t k = 0;
  for (auto& word : p_) {
    std::uint32_t w = 0;
    for (int i = 0; i < 4; ++i) {
      w = (w << 8) | (length ? key[k] : 0);
      if (length) k = (k + 1) % length;
    }
    word ^= w;
  }
  std::uint32_t l = startL, r = startR;
  for (int i = 0; i < 18; i += 2) {
    Encrypt(l, r);
    p_[i] = l;
    p_[i + 1] = r;
  }
  for (auto& box : s_) {
    for (int i = 0; i < 256; i += 2) {
      Encrypt(l, r);
      box[i] = l;
      box[i + 1] = r;
    }
  }
}

std::uint32_t CBlowfish::F(std::uint32_t x) const {
  return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
}

void CBlowfish::Encrypt(std::uint32_t& l, std::uint32_t& r) const {
  for (int i = 0; i < 16; ++i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[16];
  l ^= p_[17];
}

void CBlowfish::Decrypt(std::uint32_t& l, std::uint32_t& r) const {
  for (int i = 17; i > 1; --i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[1];
  l ^= p_[0];
}

void CBlowfishLE::Encrypt(std::uint8_t block[8]) const {
  std::uint32_t l = Load32LE(block), r = Load32LE(block + 4);
  cipher_.Encrypt(l, r);
  Store32LE(l, block);
  Store32LE(r, block + 4);
}

void CBlowfishLE::Decrypt(std::uint8_t block[8]) const {
  std::uint32_t l = Load32LE(block), r = Load32LE(block + 4);
  cipher_.Decrypt(l, r);
  Store32LE(l, block);
  Store32LE(r, block + 4);
}

// ---- RC5-32/12/16 ----------------------------------------------------------

CRc5::CRc5(const std::uint8_t key[16]) {
  std::uint32_t words[4];
  for (int i = 0; i < 4; ++i) words[i] = Load32LE(key + 4 * i);
  s_[0] = 0xB7E15163u;
  for (int i = 1; i < 26; ++i) s_[i] = s_[i - 1] + 0x9E3779B9u;
  std::uint32_t a = 0, b = 0;
  for (int k = 0, i = 0, j = 0; k < 3 * 26; ++k, i = (i + 1) % 26, j = (j + 1) % 4) {
    a = s_[i] = Rotl(s_[i] + a + b, 3);
    b = words[j] = Rotl(words[j] + a + b, a + b);
  }
}

void CRc5::Encrypt(std::uint8_t block[8]) const {
  std::uint32_t a = Load32LE(block) + s_[0];
  std::uint32_t b = Load32LE(block + 4) + s_[1];
  for (int i = 1; i <= 12; ++i) {
    a = Rotl(a ^ b, b) + s_[2 * i];
    b = Rotl(b ^ a, a) + s_[2 * i + 1];
  }
  Store32LE(a, block);
  Store32LE(b, block + 4);
}

void CRc5::Decrypt(std::uint8_t block[8]) const {
  std::uint32_t a = Load32LE(block);
  std::uint32_t b = Load32LE(block + 4);
  for (int i = 12; i >= 1; --i) {
    b = Rotr(b - s_[2 * i + 1], a) ^ a;
    a = Rotr(a - s_[2 * i], b) ^ b;
  }
  Store32LE(a - s_[0], block);
  Store32LE(b - s_[1], block + 4);
}

// ---- RC4 -------------------------------------------------------------------

void Rc4(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length) {
  std::uint8_t s[256];
  for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
  for (unsigned i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + key[i % keyLength]) & 0xFF;
    std::swap(s[i], s[j]);
  }
  for (std::size_t n = 0, i = 0, j = 0; n < length; ++n) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    data[n] ^= s[(s[i] + s[j]) & 0xFF];
  }
}

}  // namespace corekit_cipher
