#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "runbase/lib.h"
#include "runbase/mathlib.h"

namespace {

TEST(Memory, MoveHandlesOverlapBothWays) {
  char up[] = "abcdefgh";
  Lib::Move(up, up + 2, 5);
  EXPECT_STREQ(up, "ababcdeh");
  char down[] = "abcdefgh";
  Lib::Move(down + 2, down, 5);
  EXPECT_STREQ(down, "cdefgfgh");
}

TEST(Memory, FillsAndComparesUnits) {
  uint16_t words[5] = {};
  Lib::WordFill(words, 4, 0xBEEF);
  EXPECT_EQ(words[3], 0xBEEF);
  EXPECT_EQ(words[4], 0);
  uint32_t longs[3] = {};
  Lib::LongWordFill(longs, 2, 0xDEADBEEF);
  EXPECT_EQ(longs[1], 0xDEADBEEFu);
  EXPECT_EQ(longs[2], 0u);

  const char a[] = "abcdef", b[] = "abcxef";
  EXPECT_EQ(Lib::Compare(a, b, 6), 3u);
  EXPECT_EQ(Lib::Compare(a, a, 6), 6u);
  const uint16_t wa[] = {1, 2, 3}, wb[] = {1, 2, 4};
  EXPECT_EQ(Lib::WordCompare(wa, wb, 3), 2u);
  EXPECT_EQ(Lib::WordCompare(wa, wb, 2), 2u);
}

TEST(Memory, ScansInBothDirections) {
  const uint8_t bytes[] = {0, 0, 7, 0, 9};
  EXPECT_EQ(Lib::ScanR(bytes, 5, 7), 2u);
  EXPECT_EQ(Lib::ScanR(bytes, 5, 8), 5u);
  EXPECT_EQ(Lib::ScanNeR(bytes, 5, 0), 2u);
  // Leftwards from the last byte: 9, 0, 7, ...
  EXPECT_EQ(Lib::ScanL(bytes + 4, 5, 7), 2u);
  EXPECT_EQ(Lib::ScanNeL(bytes + 4, 5, 9), 1u);
  EXPECT_EQ(Lib::ScanL(bytes + 4, 2, 7), 2u);

  const uint16_t words[] = {5, 5, 6, 5};
  EXPECT_EQ(Lib::WordScanR(words, 4, 6), 2u);
  EXPECT_EQ(Lib::WordScanNeR(words, 4, 5), 2u);
  EXPECT_EQ(Lib::WordScanL(words + 3, 4, 6), 1u);
  EXPECT_EQ(Lib::WordScanNeL(words + 3, 4, 5), 1u);
}

TEST(Random, FixedSeedGivesAFixedSequence) {
  Lib::SeedRandom(12345);
  const uint32_t expected[] = {32068, 70994, 49645, 95759, 22801};
  for (uint32_t e : expected) EXPECT_EQ(Lib::RANDOM(0), e);

  // Past one full turn of the 55-word table.
  Lib::SeedRandom(1);
  std::vector<uint32_t> draws;
  for (int i = 0; i < 58; ++i) draws.push_back(Lib::RANDOM(0));
  EXPECT_EQ(draws[0], 75853u);
  EXPECT_EQ(draws[1], 112665u);
  EXPECT_EQ(draws[55], 176320u);
  EXPECT_EQ(draws[57], 85235u);
}

TEST(Random, RangesOfTheDraws) {
  Lib::SeedRandom(7);
  for (int i = 0; i < 1000; ++i) {
    EXPECT_EQ(Lib::RANDOM(1), 0u);
    EXPECT_LT(Lib::RANDOM(10), 10u);
    const double r = Lib::RAND();
    EXPECT_GE(r, 0.0);
    EXPECT_LE(r, 1.0);
  }
}

// Draws from several threads at once are exactly the draws of one thread,
// in some order: the lock loses or repeats no state update.
TEST(Random, ConcurrentDrawsShareOneSequence) {
  constexpr int Threads = 4, PerThread = 20000;
  Lib::SeedRandom(99);
  std::vector<uint32_t> sequential;
  for (int i = 0; i < Threads * PerThread; ++i) sequential.push_back(Lib::RANDOM(0));

  Lib::SeedRandom(99);
  std::vector<std::vector<uint32_t>> perThread(Threads);
  std::vector<std::thread> workers;
  for (int t = 0; t < Threads; ++t) {
    workers.emplace_back([&perThread, t] {
      for (int i = 0; i < PerThread; ++i) perThread[t].push_back(Lib::RANDOM(0));
    });
  }
  for (auto& w : workers) w.join();
  std::vector<uint32_t> concurrent;
  for (const auto& v : perThread) concurrent.insert(concurrent.end(), v.begin(), v.end());
  std::sort(sequential.begin(), sequential.end());
  std::sort(concurrent.begin(), concurrent.end());
  EXPECT_EQ(concurrent, sequential);
}

using SortFn = void (*)(uint32_t, const Lib::GreaterFn&, const Lib::SwapFn&);

class Sorting : public testing::TestWithParam<SortFn> {};

TEST_P(Sorting, SortsEveryShapeWithIndicesInRange) {
  const SortFn sort = GetParam();
  Lib::SeedRandom(3);
  std::vector<std::vector<int>> inputs = {{}, {1}, {2, 1}, {1, 2}, {5, 5, 5, 5, 5, 5, 5}};
  std::vector<int> ascending(300), descending(300), random(1000), fewKeys(500);
  for (int i = 0; i < 300; ++i) ascending[i] = i, descending[i] = 300 - i;
  for (int& v : random) v = int(Lib::RANDOM(100000));
  for (int& v : fewKeys) v = int(Lib::RANDOM(3));
  inputs.insert(inputs.end(), {ascending, descending, random, fewKeys});

  for (std::vector<int> items : inputs) {
    const uint32_t n = uint32_t(items.size());
    bool outOfRange = false;
    auto at = [&](uint32_t i) -> int& {
      if (i < 1 || i > n) outOfRange = true;
      return items[std::clamp<uint32_t>(i, 1, std::max(n, 1u)) - 1];
    };
    std::vector<int> expected = items;
    std::sort(expected.begin(), expected.end());
    sort(n, [&](uint32_t i, uint32_t j) { return at(i) > at(j); },
         [&](uint32_t i, uint32_t j) { std::swap(at(i), at(j)); });
    EXPECT_FALSE(outOfRange) << "size " << n;
    EXPECT_EQ(items, expected) << "size " << n;
  }
}

// Named by hand: the default names would be the functions' addresses, which
// change from run to run.
INSTANTIATE_TEST_SUITE_P(Lib, Sorting, testing::Values(&Lib::QSort, &Lib::HSort),
                         [](const testing::TestParamInfo<SortFn>& info) {
                           return std::string(info.param == &Lib::QSort ? "QSort" : "HSort");
                         });

TEST(LocalClock, FieldsAreInRange) {
  uint32_t y, mo, d, dow, h, mi, s, ms;
  Lib::GetDate(y, mo, d, dow);
  Lib::GetTime(h, mi, s, ms);
  EXPECT_GE(y, 2000u);
  EXPECT_TRUE(mo >= 1 && mo <= 12 && d >= 1 && d <= 31 && dow <= 6);
  EXPECT_TRUE(h < 24 && mi < 60 && s < 60 && ms < 1000);
}

TEST(MathLib, PowersAndArgumentOrder) {
  EXPECT_EQ(MATHLIB::IntPow(2, -3), 0.125);
  EXPECT_EQ(MATHLIB::IntPow(3, 0), 1.0);
  EXPECT_EQ(MATHLIB::IntPow(-2, 5), -32.0);
  EXPECT_EQ(MATHLIB::IntPow(1, INT32_MIN), 1.0);
  EXPECT_EQ(MATHLIB::ATan2(1, 0), 0.0);
  EXPECT_DOUBLE_EQ(MATHLIB::ATan2(0, 1), std::numbers::pi / 2);
  EXPECT_EQ(MATHLIB::Mod(7.5, 2), 1.5);
}

TEST(MathLib, DomainErrorsReachTheHookAndStillGiveNaN) {
  static const char* reported = nullptr;
  static double argument = 0;
  MATHLIB::MathError = [](const char* name, double x) { reported = name, argument = x; };
  EXPECT_TRUE(std::isnan(MATHLIB::Sqrt(-4)));
  EXPECT_STREQ(reported, "Sqrt");
  EXPECT_EQ(argument, -4.0);
  reported = nullptr;
  EXPECT_EQ(MATHLIB::Sqrt(9), 3.0);
  EXPECT_EQ(reported, nullptr);
  MATHLIB::MathError = nullptr;
  EXPECT_TRUE(std::isnan(MATHLIB::Log(-1)));
}

TEST(MathLib, PackedBcd) {
  MATHLIB::PackedBcd b = MATHLIB::LongToBcd(-12.7);
  EXPECT_EQ(b.digits[0], 0x12);
  EXPECT_EQ(b.digits[1], 0);
  EXPECT_EQ(b.sign, 0x80);
  EXPECT_EQ(MATHLIB::BcdToLong(b), -12);

  b = MATHLIB::LongToBcd(0.99);
  for (uint8_t d : b.digits) EXPECT_EQ(d, 0);
  for (double big : {1.15e18, -2e30, std::nan("")}) {
    b = MATHLIB::LongToBcd(big);
    for (uint8_t d : b.digits) EXPECT_EQ(d, 0x99);
  }
  EXPECT_EQ(MATHLIB::BcdToLong(MATHLIB::LongToBcd(1.15e18)), 999999999999999999);

  b = MATHLIB::LongToBcd(9007199254740991.0);  // 2^53 - 1, exact in a double
  EXPECT_EQ(b.digits[0], 0x91);
  EXPECT_EQ(b.digits[7], 0x90);
  EXPECT_EQ(MATHLIB::BcdToLong(b), 9007199254740991);
}

}  // namespace
