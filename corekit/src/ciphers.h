// The block and stream ciphers behind vcrypt's methods, on 8-byte blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corekit_cipher {

class CBlockCipher {
 public:
  virtual ~CBlockCipher() = default;
  virtual void Encrypt(std::uint8_t block[8]) const = 0;
  virtual void Decrypt(std::uint8_t block[8]) const = 0;
};

// DES (FIPS 46-3); the parity bits of the key are ignored.
class CDes : public CBlockCipher {
 public:
  explicit CDes(const std::uint8_t key[8]);
  void Encrypt(std::uint8_t block[8]) const override;
  void Decrypt(std::uint8_t block[8]) const override;

 private:
  std::uint64_t Crypt(std::uint64_t block, bool decrypt) const;
  std::uint64_t subkeys_[16];  // 48-bit round keys
};

// Blowfish with a chosen starting block for the key schedule (0, 0 is the
// published schedule).
class CBlowfish {
 public:
  CBlowfish(const std::uint8_t* key, std::size_t length, std::uint32_t startL, std::uint32_t startR);
  void Encrypt(std::uint32_t& l, std::uint32_t& r) const;
  void Decrypt(std::uint32_t& l, std::uint32_t& r) const;

 private:
  std::uint32_t F(std::uint32_t x) const;
  std::uint32_t p_[18];
  std::uint32_t s_[4][256];
};

// Blowfish on blocks of two little-endian halves (bytes 0-3 the first).
class CBlowfishLE : public CBlockCipher {
 public:
  CBlowfishLE(const std::uint8_t* key, std::size_t length, std::uint32_t startL, std::uint32_t startR)
      : cipher_(key, length, startL, startR) {}
  void Encrypt(std::uint8_t block[8]) const override;
  void Decrypt(std::uint8_t block[8]) const override;

 private:
  CBlowfish cipher_;
};

// RC5 with 32-bit words, 12 rounds, 16-byte key; words little-endian.
class CRc5 : public CBlockCipher {
 public:
  explicit CRc5(const std::uint8_t key[16]);
  void Encrypt(std::uint8_t block[8]) const override;
  void Decrypt(std::uint8_t block[8]) const override;

 private:
  std::uint32_t s_[26];
};

// RC4 keystream XORed over a buffer.
void Rc4(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length);

}  // namespace corekit_cipher
