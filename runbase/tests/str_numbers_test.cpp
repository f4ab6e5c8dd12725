#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "runbase/str.h"

namespace {

struct Rendered {
  std::string text;
  bool ok;
};

template <class F>
Rendered Render(uint32_t high, F f) {
  std::string buf(size_t(high) + 2, '#');  // the last byte is a guard
  bool ok = false;
  f(high, buf.data(), ok);
  EXPECT_EQ(buf.back(), '#') << "wrote past the array";
  return {std::string(buf.data(), Str::LengthA(high, buf.data())), ok};
}

Rendered Int(int32_t v, uint32_t base, uint32_t high = 40) {
  return Render(high, [&](uint32_t h, char* d, bool& ok) { Str::IntToStrA(v, h, d, base, ok); });
}

TEST(IntegerText, SignsBasesAndCuts) {
  struct Case {
    Rendered got;
    const char* text;
    bool ok;
  } cases[] = {
      {Int(-255, 16), "-FF", true},
      {Int(0, 10), "0", true},
      {Int(INT32_MIN, 10), "-2147483648", true},
      {Int(INT32_MIN, 2), "-10000000000000000000000000000000", true},
      {Int(12345, 10, 2), "345", false},   // full: the low digits remain
      {Int(-5, 10, 0), "-", false},        // room for the sign only
      {Int(-5, 10, 1), "-5", true},
      {Int(35, 99), "23", true},           // base clamped to 16
      {Render(40, [](uint32_t h, char* d, bool& ok) { Str::CardToStrA(7, h, d, 1, ok); }), "111", true},
      {Render(40, [](uint32_t h, char* d, bool& ok) { Str::Card64ToStrA(UINT64_MAX, h, d, 16, ok); }),
       "FFFFFFFFFFFFFFFF", true},
      {Render(40, [](uint32_t h, char* d, bool& ok) { Str::Int64ToStrA(INT64_MIN, h, d, 10, ok); }),
       "-9223372036854775808", true},
      {Render(40, [](uint32_t h, char* d, bool& ok) { Str::IntPtrToStrA(-1, h, d, 10, ok); }), "-1", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.got.text, c.text);
    EXPECT_EQ(c.got.ok, c.ok) << c.text;
  }
  char16_t w[8];
  bool ok;
  Str::IntToStrW(-42, 7, w, 10, ok);
  EXPECT_EQ(std::u16string(w), u"-42");
}

TEST(IntegerText, ParsingFlagsAndLimits) {
  struct Case {
    const char* text;
    uint32_t base;
    int64_t card;  // StrToCardA
    bool cardOk;
    int64_t integer;  // StrToIntA
    bool intOk;
  } cases[] = {
      {"1a", 16, 26, true, 26, true},
      {"19", 8, 17, false, 17, false},
      {"-5", 10, 5, false, -5, true},
      {"+7", 10, 7, true, 7, true},
      {"", 10, 0, true, 0, true},
      {"-", 10, 0, false, 0, false},
      {"12x4", 10, 12, false, 12, false},
      {"2147483647", 10, 2147483647, true, 2147483647, true},
      {"2147483648", 10, 2147483648, true, INT32_MIN, false},
      {"-2147483648", 10, 2147483648, false, INT32_MIN, true},
      {"4294967295", 10, 4294967295, true, -1, false},
      {"4294967296", 10, 0, false, 0, false},  // wrapped
      {"ffffffff", 16, 4294967295, true, -1, false},
      {"101", 1, 5, true, 5, true},  // base clamped to 2
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    bool ok;
    EXPECT_EQ(Str::StrToCardA(99, c.text, c.base, ok), uint32_t(c.card));
    EXPECT_EQ(ok, c.cardOk);
    EXPECT_EQ(Str::StrToIntA(99, c.text, c.base, ok), int32_t(c.integer));
    EXPECT_EQ(ok, c.intOk);
  }
  bool ok;
  const char digits[3] = {'1', '2', '3'};  // full array, no terminator
  EXPECT_EQ(Str::StrToCardA(1, digits, 10, ok), 12u);
  EXPECT_TRUE(ok);
  EXPECT_EQ(Str::StrToInt64A(99, "-9223372036854775808", 10, ok), INT64_MIN);
  EXPECT_TRUE(ok);
  Str::StrToInt64A(99, "9223372036854775808", 10, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(Str::StrToCard64A(99, "18446744073709551615", 10, ok), UINT64_MAX);
  EXPECT_TRUE(ok);
  Str::StrToCard64A(99, "18446744073709551616", 10, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(Str::StrToIntW(99, u"-1F", 16, ok), -31);
  EXPECT_TRUE(ok);
}

// Every 32-bit pattern class survives text and back in every base.
TEST(IntegerText, RoundTripsInEveryBase) {
  const int32_t values[] = {0, 1, -1, 7, -128, 65535, 123456789, INT32_MAX, INT32_MIN};
  for (uint32_t base = 2; base <= 16; ++base) {
    for (int32_t v : values) {
      char text[40];
      bool ok1, ok2;
      Str::IntToStrA(v, 39, text, base, ok1);
      EXPECT_EQ(Str::StrToIntA(39, text, base, ok2), v) << text << " base " << base;
      EXPECT_TRUE(ok1 && ok2) << text;
    }
  }
}

Rendered Fix(double v, uint32_t decimals, uint32_t high = 60) {
  return Render(high, [&](uint32_t h, char* d, bool& ok) { Str::FixRealToStrA(v, decimals, h, d, ok); });
}
Rendered CorrFix(double v, uint32_t decimals, uint32_t high = 60) {
  return Render(high, [&](uint32_t h, char* d, bool& ok) { Str::CorrFixRealToStrA(v, decimals, h, d, ok); });
}
Rendered Sci(double v, uint32_t digits, bool eng) {
  return Render(60, [&](uint32_t h, char* d, bool& ok) { Str::RealToStrA(v, digits, eng, h, d, ok); });
}
Rendered Corrected(double v, uint32_t digits, bool eng = false, uint32_t high = 60) {
  return Render(high, [&](uint32_t h, char* d, bool& ok) {
    Str::CorrectedRealToStrA(v, digits, eng, h, d, ok);
  });
}

TEST(RealText, Renderings) {
  char expected25[8];
  std::snprintf(expected25, sizeof expected25, "%.0f", 2.5);
  struct Case {
    Rendered got;
    std::string text;
  } cases[] = {
      {Fix(2.5, 0), expected25},
      {Fix(1, 3), "1.000"},
      {Fix(-0.5, 1), "-0.5"},
      {Fix(123.456, 2, 3), "123."},  // cut, no terminator room
      {CorrFix(0.125, 2), "0.13"},
      {CorrFix(9.96, 1), "10.0"},
      {CorrFix(-9.96, 1), "-10.0"},
      {CorrFix(2.5, 0), "3"},
      {CorrFix(0.994, 2), "0.99"},
      {CorrFix(99.999, 2), "100.00"},
      {Sci(1234.5, 17, false), "1.2345E+3"},
      {Sci(0.1, 17, false), "1.0000000000000001E-1"},
      {Sci(-2.5e-12, 5, false), "-2.5E-12"},
      {Sci(1, 5, false), "1E+0"},
      {Sci(1.234e-4, 4, true), "123.4E-6"},
      {Sci(1.234e4, 4, true), "12.34E+3"},
      {Sci(1.2e-4, 2, true), "120E-6"},
      {Sci(5e5, 3, true), "500E+3"},
      {Sci(1e3, 0, false), "1E+03"},  // one digit: no point, exponent kept as rendered
      {Corrected(0.1, 15), "0.1"},
      {Corrected(0.001234, 15), "0.001234"},
      {Corrected(1234.5, 15), "1234.5"},
      {Corrected(100, 15), "100"},
      {Corrected(1.5e20, 15), "1.5E+20"},
      {Corrected(-1.5e-20, 15), "-1.5E-20"},
      {Corrected(2.0 / 3.0, 4), "0.6667"},
      {Corrected(1.234e-4, 4, true), "123.4E-6"},
      {Corrected(3.14159, 15, false, 4), "3"},  // digits shrink to the array
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.got.text, c.text);
    EXPECT_TRUE(c.got.ok) << c.text;
  }
}

TEST(RealText, HugeDecimalCountsStayExact) {
  // A count beyond int range must not turn into printf's default of six.
  const Rendered r = Fix(0.5, 4000000000u, 10);
  EXPECT_EQ(r.text, "0.500000000");  // high 10: eleven characters
  EXPECT_TRUE(r.ok);
}

TEST(RealText, NaNReportsFailureAndLeavesTheText) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  using Fn = void (*)(double, uint32_t, char*, bool&);
  const Fn fns[] = {
      [](double v, uint32_t h, char* d, bool& ok) { Str::FixRealToStrA(v, 2, h, d, ok); },
      [](double v, uint32_t h, char* d, bool& ok) { Str::CorrFixRealToStrA(v, 2, h, d, ok); },
      [](double v, uint32_t h, char* d, bool& ok) { Str::RealToStrA(v, 5, false, h, d, ok); },
      [](double v, uint32_t h, char* d, bool& ok) { Str::CorrectedRealToStrA(v, 5, true, h, d, ok); },
      [](double v, uint32_t h, char* d, bool& ok) { Str::LocaleFixRealToStrA(v, 2, h, d, ok); },
  };
  for (Fn f : fns) {
    char d[8] = "keep";
    bool ok = true;
    f(nan, 7, d, ok);
    EXPECT_FALSE(ok);
    EXPECT_STREQ(d, "keep");
  }
}

// Sets the process locale for one test and restores the previous one.
class CScopedLocale {
 public:
  explicit CScopedLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~CScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  bool Active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};

TEST(RealText, LocaleFixUsesTheLocalePoint) {
  bool ok;
  char d[32];
  {
    CScopedLocale c("C");   // a point and no grouping
    Str::LocaleFixRealToStrA(1234567.891, 2, 31, d, ok);
    EXPECT_TRUE(ok);
    EXPECT_STREQ(d, "1234567.89");
    Str::LocaleFixRealToStrA(-3, -1, 31, d, ok);
    EXPECT_STREQ(d, "-3.00");
  }
  CScopedLocale german("de_DE.UTF-8");
  if (!german.Active()) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed";
  Str::LocaleFixRealToStrA(1234567.891, 2, 31, d, ok);
  EXPECT_STREQ(d, "1.234.567,89");
  char16_t w[32];
  Str::LocaleFixRealToStrW(-0.5, 1, 31, w, ok);
  EXPECT_EQ(std::u16string(w), u"-0,5");
}

// Numbers meant for files are written and read with a point whatever the
// user's locale says.
TEST(RealText, FileRenderingsIgnoreADecimalCommaLocale) {
  CScopedLocale german("de_DE.UTF-8");
  if (!german.Active()) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed";
  bool ok;
  char d[64];
  Str::FixRealToStrA(2459000.1234567, 7, 63, d, ok);
  EXPECT_STREQ(d, "2459000.1234567");
  Str::FixRealToStrA(12.0, 0, 63, d, ok);
  EXPECT_STREQ(d, "12");
  Str::CorrFixRealToStrA(0.125, 2, 63, d, ok);
  EXPECT_STREQ(d, "0.13");
  Str::RealToStrA(-1234.5, 6, false, 63, d, ok);
  EXPECT_STREQ(d, "-1.2345E+3");
  Str::CorrectedRealToStrA(0.0123, 15, false, 63, d, ok);
  EXPECT_STREQ(d, "0.0123");
  Str::CorrectedRealToStrA(123456.5, 15, false, 63, d, ok);
  EXPECT_STREQ(d, "123456.5");
  char16_t w[64];
  Str::FixRealToStrW(-0.5, 3, 63, w, ok);
  EXPECT_EQ(std::u16string(w), u"-0.500");
  EXPECT_EQ(Str::StrToRealA(9, "2459000.5", ok), 2459000.5);
  EXPECT_TRUE(ok);
  Str::StrToRealA(9, "2459000,5", ok);
  EXPECT_FALSE(ok);
}

TEST(RealText, Parsing) {
  struct Case {
    const char* text;
    double value;
    bool ok;
  } cases[] = {
      {"12.5", 12.5, true},      {"1e3", 1000, true},     {"-1.5E-2", -0.015, true},
      {"+.5", 0.5, true},        {"5.", 5, true},         {"", 0, true},
      {"12 ", 0, false},         {" 12", 0, false},       {"1E", 0, false},
      {"1e+", 0, false},         {"e5", 0, false},        {"1.2.3", 0, false},
      {"2451545.12345", 2451545.12345, true},
      {"0e999", 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    bool ok;
    const double v = Str::StrToRealA(99, c.text, ok);
    EXPECT_EQ(ok, c.ok);
    EXPECT_NEAR(v, c.value, std::fabs(c.value) * 1e-15);
  }
  bool ok;
  const char cut[4] = {'1', '.', '5', 'x'};
  EXPECT_EQ(Str::StrToRealA(2, cut, ok), 1.5);  // the array ends before the x
  EXPECT_TRUE(ok);
  EXPECT_EQ(Str::StrToRealW(99, u"-2.25e1", ok), -22.5);
}

TEST(RealText, LongMantissasStayFinite) {
  // 400 fraction digits: the mantissa must not overflow into inf/inf = NaN.
  const std::string longFraction = "0." + std::string(400, '3');
  bool ok;
  EXPECT_NEAR(Str::StrToRealA(999, longFraction.c_str(), ok), 1.0 / 3.0, 1e-15);
  EXPECT_TRUE(ok);
  const std::string longInteger = std::string(400, '1') + "e-399";
  EXPECT_NEAR(Str::StrToRealA(999, longInteger.c_str(), ok), 1.1111111111111111, 1e-14);
  EXPECT_TRUE(std::isinf(Str::StrToRealA(99, "1e400", ok)));
  EXPECT_EQ(Str::StrToRealA(99, "1e-400", ok), 0.0);
}

// Seventeen significant digits identify a double; the text form written by
// RealToStr parses back to a value within the parser's last-bit error.
TEST(RealText, ScientificTextRoundTrips) {
  const double values[] = {1.0 / 3, 2451545.123456789, 6.02214076e23, 1.602176634e-19, -0.1, 1e-300};
  for (double v : values) {
    char text[40];
    bool ok;
    Str::RealToStrA(v, 17, false, 39, text, ok);
    const double back = Str::StrToRealA(39, text, ok);
    EXPECT_TRUE(ok) << text;
    EXPECT_NEAR(back, v, std::fabs(v) * 4e-16) << text;
  }
}

}  // namespace
