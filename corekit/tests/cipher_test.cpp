// Ciphers against published known answers; modes and key handling.
#include <gtest/gtest.h>

#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "ciphers.h"
#include "corekit/vcrypt.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Hex(const std::string& s) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < s.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoul(s.substr(i, 2), nullptr, 16)));
  return out;
}

struct Vector {
  Bytes key, plain, cipher;
};

std::vector<Vector> Load(const char* name) {
  std::ifstream in(std::string(OMBRIX_TEST_DATA) + "/" + name);
  std::vector<Vector> out;
  std::string k, p, c;
  while (in >> k >> p >> c) out.push_back({Hex(k), Hex(p), Hex(c)});
  return out;
}

std::uint32_t BE32(const std::uint8_t* b) {
  return (static_cast<std::uint32_t>(b[0]) << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
}

TEST(KnownAnswers, DesOneBlockUnderMethod2) {
  const auto vectors = Load("des-ecb-kat.txt");
  ASSERT_GT(vectors.size(), 100u);
  for (const auto& v : vectors) {
    Bytes block = v.plain;  // one CBC block with a zero chain is plain DES
    ASSERT_EQ(vcrypt::CBuffer(2, block.data(), 8, 8, v.key.data(), 0, nullptr), vcrypt::kCryptOk);
    EXPECT_EQ(block, v.cipher);
    ASSERT_EQ(vcrypt::DBuffer(2, block.data(), 8, 8, v.key.data(), 0, nullptr), vcrypt::kCryptOk);
    EXPECT_EQ(block, v.plain);
  }
}

TEST(KnownAnswers, BlowfishBlockFunctionAndPublishedKeySchedule) {
  const auto vectors = Load("blowfish-ecb.txt");
  ASSERT_GT(vectors.size(), 50u);
  for (const auto& v : vectors) {
    corekit_cipher::CBlowfish bf(v.key.data(), v.key.size(), 0, 0);
    std::uint32_t l = BE32(v.plain.data()), r = BE32(v.plain.data() + 4);
    bf.Encrypt(l, r);
    EXPECT_EQ(l, BE32(v.cipher.data()));
    EXPECT_EQ(r, BE32(v.cipher.data() + 4));
    bf.Decrypt(l, r);
    EXPECT_EQ(l, BE32(v.plain.data()));
    EXPECT_EQ(r, BE32(v.plain.data() + 4));
  }
}

TEST(KnownAnswers, Rc5OneBlockUnderMethod7) {
  const auto vectors = Load("rc5-32-12-16.txt");
  ASSERT_EQ(vectors.size(), 5u);
  for (const auto& v : vectors) {
    Bytes block = v.plain;
    ASSERT_EQ(vcrypt::CBuffer(7, block.data(), 8, 16, v.key.data(), 0, nullptr), vcrypt::kCryptOk);
    EXPECT_EQ(block, v.cipher);
    vcrypt::DBuffer(7, block.data(), 8, 16, v.key.data(), 0, nullptr);
    EXPECT_EQ(block, v.plain);
  }
}

class PartialBlocks : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(PartialBlocks, RoundTripForEveryLengthUpTo64) {
  const std::uint32_t method = GetParam();
  const std::string key1 = "repository-login-k";  // 18 bytes: shrunk
  const std::string key2 = "short";               // stretched by the generator
  for (std::uint32_t length = 0; length <= 64; ++length) {
    Bytes plain(length + 1);  // one spare byte: never touched, and a real pointer at length 0
    std::iota(plain.begin(), plain.end(), static_cast<std::uint8_t>(length * 3));
    Bytes data = plain;
    ASSERT_EQ(vcrypt::CBuffer(method, data.data(), length, 18, key1.data(), 5, key2.data()), vcrypt::kCryptOk);
    EXPECT_EQ(data.back(), plain.back());
    if (length >= 4) {
      EXPECT_NE(data, plain) << "length " << length;
    }
    ASSERT_EQ(vcrypt::DBuffer(method, data.data(), length, 18, key1.data(), 5, key2.data()), vcrypt::kCryptOk);
    EXPECT_EQ(data, plain) << "method " << method << " length " << length;
  }
}

INSTANTIATE_TEST_SUITE_P(Methods, PartialBlocks, ::testing::Values(2u, 3u, 4u, 7u));

TEST(BufferCipher, TailDependsOnTheLastCipherBlock) {
  // Two buffers equal in their tails but not in their whole blocks must
  // encipher the tails differently.
  const std::uint8_t key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  Bytes a(20, 0x11), b(20, 0x11);
  b[0] = 0x12;
  vcrypt::CBuffer(2, a.data(), 20, 8, key, 0, nullptr);
  vcrypt::CBuffer(2, b.data(), 20, 8, key, 0, nullptr);
  EXPECT_NE(Bytes(a.begin() + 16, a.end()), Bytes(b.begin() + 16, b.end()));
}

TEST(BufferCipher, ResultCodesAndStreamCipher) {
  std::uint8_t byte = 7;
  const char key[] = "k";
  EXPECT_EQ(vcrypt::CBuffer(2, nullptr, 8, 1, key, 0, nullptr), vcrypt::kCryptNullBuffer);
  for (std::uint32_t method : {0u, 1u, 5u, 6u, 9u, 10u, 14u, 15u}) {
    EXPECT_EQ(vcrypt::CBuffer(method, &byte, 1, 1, key, 0, nullptr), vcrypt::kCryptUnknownMethod) << method;
    EXPECT_EQ(byte, 7);
  }
  Bytes text(37, 'x'), copy = text;
  vcrypt::CBuffer(8, text.data(), 37, 1, key, 0, nullptr);
  EXPECT_NE(text, copy);
  vcrypt::CBuffer(8, text.data(), 37, 1, key, 0, nullptr);  // RC4 is its own inverse
  EXPECT_EQ(text, copy);
}

TEST(BufferCipher, ShrunkKeyTakesEvenlySpacedBytes) {
  // An 18-byte key shrunk to 8 uses bytes 0, 2, 4, 6, 9, 11, 13, 15.
  std::uint8_t longKey[18];
  std::iota(longKey, longKey + 18, 100);
  const std::uint8_t picked[8] = {100, 102, 104, 106, 109, 111, 113, 115};
  Bytes a(16, 0x5A), b = a;
  vcrypt::CBuffer(2, a.data(), 16, 18, longKey, 0, nullptr);
  vcrypt::CBuffer(2, b.data(), 16, 8, picked, 0, nullptr);
  EXPECT_EQ(a, b);
}

TEST(Generator, SetRndMakesTheSequenceRepeatable) {
  vcrypt::SetRND(0xDEADBEEF, 0x1234);
  const std::uint32_t a1 = vcrypt::RND32(), a2 = vcrypt::RND32();
  vcrypt::SetRND(0xDEADBEEF, 0x1234);
  EXPECT_EQ(vcrypt::RND32(), a1);
  EXPECT_EQ(vcrypt::RND16(), static_cast<std::uint16_t>(a2));
  // T = 0x1234 has low bits 00: one shift, bit 0 of T (0) enters at the bottom.
  EXPECT_EQ(a1, 0xDEADBEEFu << 1);
}

}  // namespace
