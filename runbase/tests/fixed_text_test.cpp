#include "runbase/fixed_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(FixedText, AFullArrayCarriesNoTerminator) {
  char a[4];
  std::memset(a, '#', sizeof a);
  FixedText::Assign(3, a, "abcdef");
  EXPECT_EQ(std::string(a, 4), "abcd");
  EXPECT_EQ(FixedText::Length(3, a), 4u);
  EXPECT_EQ(FixedText::View(3, a), "abcd");
  FixedText::Assign(3, a, "ab");
  EXPECT_EQ(std::string(a, 3), std::string("ab\0", 3));
  EXPECT_EQ(FixedText::View(3, a), "ab");
  // Appending cuts at the end and never writes past it.
  char b[6] = {'x', 0, '#', '#', '#', '!'};
  FixedText::Append(4, b, "12345");
  EXPECT_EQ(std::string(b, 6), "x1234!");
  FixedText::Append(4, b, "more");
  EXPECT_EQ(std::string(b, 6), "x1234!");
}

TEST(FixedText, NullArraysAndOverlappingText) {
  EXPECT_EQ(FixedText::Length(9, static_cast<const char*>(nullptr)), 0u);
  EXPECT_TRUE(FixedText::View(9, static_cast<const char*>(nullptr)).empty());
  FixedText::Assign(9, static_cast<char*>(nullptr), "x");   // no crash
  char t[16] = "path/name.ofd";
  FixedText::Assign(15, t, FixedText::View(15, t + 5));   // its own tail
  EXPECT_STREQ(t, "name.ofd");
  FixedText::Assign(15, t + 2, FixedText::View(13, t));   // its own head, moved right
  EXPECT_STREQ(t, "naname.ofd");
  // The highest possible index means "up to the zero".
  EXPECT_EQ(FixedText::Length(0xFFFFFFFFu, "abc"), 3u);
}

TEST(FixedText, WideTextTrimAndHexDigits) {
  char16_t w[5];
  FixedText::Assign(4, w, std::u16string(u"  ab\t"));
  EXPECT_EQ(FixedText::View(4, w), u"  ab\t");
  EXPECT_EQ(FixedText::Trim(FixedText::View(4, w)), u"ab");
  EXPECT_EQ(FixedText::Trim(std::string_view(" \r\n x y \t")), "x y");
  EXPECT_EQ(FixedText::Trim(std::string_view(" \t ")), "");
  EXPECT_EQ(FixedText::HexDigit('0'), 0);
  EXPECT_EQ(FixedText::HexDigit('f'), 15);
  EXPECT_EQ(FixedText::HexDigit('A'), 10);
  EXPECT_EQ(FixedText::HexDigit('g'), -1);
  EXPECT_EQ(FixedText::HexDigit(' '), -1);
}

}  // namespace
