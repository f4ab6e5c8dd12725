#include "corekit/vcrypt.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>

#include "ciphers.h"

namespace vcrypt {

namespace {

using corekit_cipher::CBlockCipher;

// The generator state. Key stretching seeds and draws in one step under the
// lock, so that two threads enciphering at once cannot mix their keys.
std::recursive_mutex generatorLock;
std::uint32_t genS = 0x12345678u;
std::uint16_t genT = 0x9ABC;

std::uint32_t NextRandom() {
  const std::uint32_t f = ((genS >> 31) ^ (genS >> 29) ^ (genS >> 17)) & 1;
  std::uint32_t carry = genT & 1;
  for (unsigned n = (genT & 3u) + 1; n > 0; --n) {
    const std::uint32_t out = genS >> 31;
    genS = (genS << 1) | carry;
    carry = out;
  }
  genT = static_cast<std::uint16_t>((genT >> 1) | (f << 15));
  return genS;
}

struct TCrcTable {
  std::uint32_t entry[256];
  TCrcTable() {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entry[i] = c;
    }
  }
};

std::uint32_t KeyCrc(const std::uint8_t* key, std::uint32_t length) {
  static const TCrcTable table;
  std::uint32_t s = 0x6B2D4F18u;
  for (std::uint32_t i = 0; i < length; ++i) s = (s >> 8) ^ table.entry[(key[i] ^ s) & 0xFF];
  return s;
}

// Stretches or shrinks a key of any length to m bytes.
void StretchKey(const void* keyBytes, std::uint32_t n, std::uint8_t* out, std::uint32_t m) {
  const auto* key = static_cast<const std::uint8_t*>(keyBytes);
  if (!key) n = 0;
  if (n > m) {
    const float step = static_cast<float>(n) / static_cast<float>(m);
    for (std::uint32_t i = 0; i < m; ++i) {
      auto at = static_cast<std::uint32_t>(std::floor(step * static_cast<float>(i)));
      out[i] = key[at < n - 1 ? at : n - 1];
    }
    return;
  }
  if (n) std::memcpy(out, key, n);
  if (n == m) return;
  std::lock_guard<std::recursive_mutex> hold(generatorLock);
  genS = KeyCrc(key, n);
  genT = static_cast<std::uint16_t>(n);
  for (std::uint32_t i = n; i < m; ++i) out[i] = static_cast<std::uint8_t>(NextRandom());
}

// The keystream block of a final partial block of k bytes.
void TailMask(const CBlockCipher& cipher, const std::uint8_t chain[8], std::uint32_t k, std::uint8_t mask[8]) {
  std::memcpy(mask, kTailBlock, 8);
  for (std::uint32_t i = 0; i + k <= 7; ++i) mask[i] = mask[i + k];
  std::memcpy(mask + k, chain + k, 8 - k);
  cipher.Encrypt(mask);
}

void XorBlock(std::uint8_t* a, const std::uint8_t* b, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i) a[i] ^= b[i];
}

// CBC over whole blocks; a final partial block is XORed with a keystream
// block made from the fixed tail block and the last ciphertext block.
void CbcPass(const CBlockCipher& cipher, bool encrypt, std::uint8_t* data, std::uint32_t length,
             const std::uint8_t iv[8]) {
  std::uint8_t chain[8];
  std::memcpy(chain, iv, 8);
  const std::uint32_t whole = length / 8 * 8;
  for (std::uint32_t at = 0; at < whole; at += 8) {
    std::uint8_t* block = data + at;
    if (encrypt) {
      XorBlock(block, chain, 8);
      cipher.Encrypt(block);
      std::memcpy(chain, block, 8);
    } else {
      std::uint8_t cipherText[8];
      std::memcpy(cipherText, block, 8);
      cipher.Decrypt(block);
      XorBlock(block, chain, 8);
      std::memcpy(chain, cipherText, 8);
    }
  }
  if (const std::uint32_t k = length - whole) {
    std::uint8_t mask[8];
    TailMask(cipher, chain, k, mask);
    XorBlock(data + whole, mask, k);
  }
}

constexpr std::uint8_t kZeroChain[8] = {};

void ChainOfMethod4(std::uint8_t iv[8]) {
  for (int i = 0; i < 4; ++i) {
    iv[i] = static_cast<std::uint8_t>(kChainWord1 >> (8 * i));
    iv[4 + i] = static_cast<std::uint8_t>(kChainWord2 >> (8 * i));
  }
}

std::uint32_t Run(bool encrypt, std::uint32_t method, void* buffer, std::uint32_t length, std::uint32_t keyLength,
                  const void* key, std::uint32_t key2Length, const void* key2) {
  if (!buffer) return kCryptNullBuffer;
  auto* data = static_cast<std::uint8_t*>(buffer);
  switch (method) {
    case 2: {
      std::uint8_t k[8];
      StretchKey(key, keyLength, k, 8);
      CbcPass(corekit_cipher::CDes(k), encrypt, data, length, kZeroChain);
      return kCryptOk;
    }
    case 3: {
      std::uint8_t k1[8], k2[8];
      StretchKey(key, keyLength, k1, 8);
      StretchKey(key2, key2Length, k2, 8);
      const corekit_cipher::CDes first(k1), second(k2);
      CbcPass(first, encrypt, data, length, kZeroChain);
      CbcPass(second, !encrypt, data, length, kZeroChain);
      CbcPass(first, encrypt, data, length, kZeroChain);
      return kCryptOk;
    }
    case 4: {
      std::uint8_t k[16], iv[8];
      StretchKey(key, keyLength, k, 16);
      ChainOfMethod4(iv);
      CbcPass(corekit_cipher::CBlowfishLE(k, 16, 0x5C3A5C3Au, 0x5C3A5C3Au), encrypt, data, length, iv);
      return kCryptOk;
    }
    case 7: {
      std::uint8_t k[16];
      StretchKey(key, keyLength, k, 16);
      CbcPass(corekit_cipher::CRc5(k), encrypt, data, length, kZeroChain);
      return kCryptOk;
    }
    case 8: {
      std::uint8_t k[16];
      StretchKey(key, keyLength, k, 16);
      corekit_cipher::Rc4(k, 16, data, length);
      return kCryptOk;
    }
    default: return kCryptUnknownMethod;
  }
}

}  // namespace

std::uint32_t CBuffer(std::uint32_t method, void* buffer, std::uint32_t length, std::uint32_t keyLength,
                      const void* key, std::uint32_t key2Length, const void* key2) {
  return Run(true, method, buffer, length, keyLength, key, key2Length, key2);
}

std::uint32_t DBuffer(std::uint32_t method, void* buffer, std::uint32_t length, std::uint32_t keyLength,
                      const void* key, std::uint32_t key2Length, const void* key2) {
  return Run(false, method, buffer, length, keyLength, key, key2Length, key2);
}

std::uint32_t RND32() {
  std::lock_guard<std::recursive_mutex> hold(generatorLock);
  return NextRandom();
}

std::uint16_t RND16() { return static_cast<std::uint16_t>(RND32()); }
std::uint8_t RND8() { return static_cast<std::uint8_t>(RND32()); }

void SetRND(std::uint32_t s, std::uint16_t t) {
  std::lock_guard<std::recursive_mutex> hold(generatorLock);
  genS = s;
  genT = t;
}

void InitRND() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  const auto seconds = ms / 1000;
  SetRND(static_cast<std::uint32_t>(seconds) ^ static_cast<std::uint32_t>(seconds >> 32) * 0x9E3779B9u,
         static_cast<std::uint16_t>(ms % 1000 + 1));
}

}  // namespace vcrypt
