#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runbase/str.h"

namespace {

// Content of a fixed array as the Str functions see it.
std::string Text(const char* s, size_t cap) { return std::string(s, Str::LengthA(uint32_t(cap - 1), s)); }

// A 4-character array with a guard byte behind it that must never change.
struct Small {
  char a[5];
  Small() { std::memset(a, '#', sizeof a); a[0] = 0; }
  uint32_t h() const { return 3; }
  std::string text() const { return Text(a, 4); }
  bool guardIntact() const { return a[4] == '#'; }
};

TEST(StrArrays, FullArrayCarriesNoTerminator) {
  const char abcd[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(Str::LengthA(3, abcd), 4u);
  Small d;
  Str::CopyA(d.h(), d.a, 5, "abcdef");
  EXPECT_EQ(std::string(d.a, 4), "abcd");
  EXPECT_TRUE(d.guardIntact());
  // A full array is still a valid source.
  char out[8];
  Str::CopyA(7, out, 3, d.a);
  EXPECT_STREQ(out, "abcd");
}

// Every editing function, on a 4-character array with a guard byte: results
// are cut at the array's end and nothing is written past it.
TEST(StrArrays, EditingCutsAtTheEnd) {
  struct Case {
    const char* name;
    const char* start;
    void (*edit)(char* d);
    const char* expected;
  } cases[] = {
      {"append", "ab", [](char* d) { Str::AppendA(3, d, 9, "xyz"); }, "abxy"},
      {"append to full", "abcd", [](char* d) { Str::AppendA(3, d, 9, "x"); }, "abcd"},
      {"prepend", "ab", [](char* d) { Str::PrependA(3, d, 9, "xyz"); }, "xyza"},
      {"prepend filling", "ab", [](char* d) { Str::PrependA(3, d, 9, "vwxyz"); }, "vwxy"},
      {"concat", "", [](char* d) { Str::ConcatA(3, d, 9, "ab", 9, "cde"); }, "abcd"},
      {"insert middle", "abcd", [](char* d) { Str::InsertA(3, d, 9, "X", 1); }, "aXbc"},
      {"insert beyond end", "ab", [](char* d) { Str::InsertA(3, d, 9, "XY", 99); }, "abXY"},
      {"delete", "abcd", [](char* d) { Str::DeleteA(3, d, 1, 2); }, "ad"},
      {"delete to end", "abcd", [](char* d) { Str::DeleteA(3, d, 2, 99); }, "ab"},
      {"delete nothing", "abcd", [](char* d) { Str::DeleteA(3, d, 4, 1); }, "abcd"},
      {"slice", "", [](char* d) { Str::SliceA(3, d, 9, "0123456789", 2, 9); }, "2345"},
      {"slice past end", "xx", [](char* d) { Str::SliceA(3, d, 9, "012", 3, 1); }, ""},
      {"subst growing", "abc", [](char* d) { Str::SubstA(3, d, 9, "b", 9, "XYZ"); }, "aXYZ"},
      {"subst shrinking", "abcd", [](char* d) { Str::SubstA(3, d, 9, "bc", 9, ""); }, "ad"},
      {"pad left", "ab", [](char* d) { Str::LPadChA(3, d, 9, '0'); }, "00ab"},
      {"pad right", "ab", [](char* d) { Str::RPadChA(3, d, 3, '.'); }, "ab."},
      {"trim", " a\t", [](char* d) { Str::TrimA(3, d); }, "a"},
      {"trim keeps form feed", "\fa ", [](char* d) { Str::TrimA(3, d); }, "\fa"},
      {"trim full array", "\n\r a", [](char* d) { Str::LTrimA(3, d); }, "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Small d;
    std::memcpy(d.a, c.start, std::min<size_t>(std::strlen(c.start) + 1, 4));
    c.edit(d.a);
    EXPECT_EQ(d.text(), c.expected);
    EXPECT_TRUE(d.guardIntact());
  }
}

TEST(StrArrays, SelfReferencingEdits) {
  char s[20] = "abc";
  Str::InsertA(19, s, 19, s, 1);
  EXPECT_STREQ(s, "aabcbc");
  Str::ConcatA(19, s, 1, s, 19, s);
  EXPECT_STREQ(s, "aaaabcbc");
  Str::AppendA(19, s, 19, s);
  EXPECT_STREQ(s, "aaaabcbcaaaabcbc");
}

TEST(StrSearch, PositionsAndCounts) {
  const char* s = "abcabc";
  EXPECT_EQ(Str::PosA(9, s, 9, "ca"), 2u);
  EXPECT_EQ(Str::PosA(9, s, 9, "x"), Str::NotFound);
  EXPECT_EQ(Str::PosA(9, s, 0, ""), 0u);
  EXPECT_EQ(Str::PosA(9, "", 0, ""), Str::NotFound);
  EXPECT_EQ(Str::NextPosA(9, s, 9, "bc", 2), 4u);
  // The array ends before the second match.
  EXPECT_EQ(Str::NextPosA(4, s, 9, "bc", 2), Str::NotFound);
  Str::PosLen match;
  EXPECT_TRUE(Str::FindSubStrA(9, s, 9, "cab", 0, match));
  EXPECT_EQ(match.pos, 2u);
  EXPECT_EQ(match.len, 3u);
  EXPECT_EQ(Str::CharPosA(9, s, 'c'), 2u);
  EXPECT_EQ(Str::RCharPosA(9, s, 'a'), 3u);
  EXPECT_EQ(Str::NextCharPosA(9, s, 'a', 1), 3u);
  EXPECT_EQ(Str::NextCharPosA(9, s, 'a', 4), Str::NotFound);
  EXPECT_EQ(Str::CountA(9, s, 'b'), 2u);
  EXPECT_EQ(Str::CountA(2, s, 'b'), 1u);
}

TEST(StrCompare, UnsignedOrderAndPrefixes) {
  EXPECT_EQ(Str::CompareA(9, "abc", 9, "abd"), -1);
  EXPECT_EQ(Str::CompareA(9, "ab", 9, "abc"), -1);
  EXPECT_EQ(Str::CompareA(9, "b", 9, "abc"), 1);
  EXPECT_EQ(Str::CompareA(9, "\xE9", 9, "z"), 1);  // bytes compare unsigned
  EXPECT_EQ(Str::CompareA(1, "abc", 9, "ab"), 0);  // the array ends after "ab"
  EXPECT_TRUE(Str::SameA(9, "x", 9, "x"));
  EXPECT_FALSE(Str::SameA(9, "x", 9, "X"));
  EXPECT_EQ(Str::CompareW(9, u"\xFFFF", 9, u"a"), 1);
  EXPECT_EQ(Str::LocaleCompareCaseInsensitiveA(9, "ABC", 9, "abc"), 0);
  EXPECT_NE(Str::LocaleCompareA(9, "ABC", 9, "abc"), 0);
}

TEST(StrCase, AsciiTablesAndUnicodeLetters) {
  EXPECT_EQ(Str::CapA('q'), 'Q');
  EXPECT_EQ(Str::LowA('Q'), 'q');
  char s[] = "abc \xC3\xA9t\xC3\xA9 \xC5\x93";  // "abc été œ"
  Str::CapsA(sizeof s - 1, s);
  EXPECT_STREQ(s, "ABC \xC3\x89T\xC3\x89 \xC5\x92");
  Str::LowsA(sizeof s - 1, s);
  EXPECT_STREQ(s, "abc \xC3\xA9t\xC3\xA9 \xC5\x93");
  char16_t w[] = u"straße ÄÖÜ";
  Str::CapsW(20, w);
  EXPECT_EQ(std::u16string(w), u"STRAßE ÄÖÜ");
  Str::LowsW(20, w);
  EXPECT_EQ(std::u16string(w), u"straße äöü");

  uint8_t up[256], low[256];
  for (int i = 0; i < 256; ++i) up[i] = low[i] = uint8_t(i);
  up['x'] = 'Y';
  Str::SetTabs(up, low);
  EXPECT_EQ(Str::CapA('x'), 'Y');
  EXPECT_EQ(Str::CapA('a'), 'a');
  for (int i = 0; i < 256; ++i) {
    up[i] = uint8_t(i >= 'a' && i <= 'z' ? i - 32 : i);
    low[i] = uint8_t(i >= 'A' && i <= 'Z' ? i + 32 : i);
  }
  Str::SetTabs(up, low);
}

TEST(StrMatch, Wildcards) {
  struct Case {
    const char* s;
    const char* pattern;
    bool insensitive, sensitive;
  } cases[] = {
      {"SERIES1.TXT", "*.txt", true, false},
      {"series1.txt", "*.txt", true, true},
      {"abc", "", true, true},
      {"", "", true, true},
      {"", "*", true, true},
      {"", "?", false, false},
      {"abc", "a?c", true, true},
      {"ac", "a?c", false, false},
      {"abc", "a*", true, true},
      {"abc", "*c*", true, true},
      {"abcbd", "a*b?", true, true},
      {"abcbd", "a*bc", false, false},
      {"abc", "abcd", false, false},
      {"abcd", "abc", false, false},
      {"\xC3\xA9t\xC3\xA9.ofd", "?t?.OFD", true, false},  // UTF-8 letters count once
      {"\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.s << " ~ " << c.pattern);
    EXPECT_EQ(Str::MatchA(99, c.s, 99, c.pattern), c.insensitive);
    EXPECT_EQ(Str::MatchCSA(99, c.s, 99, c.pattern), c.sensitive);
  }
  EXPECT_TRUE(Str::MatchW(99, u"Daten.TXT", 99, u"*.txt"));
  EXPECT_FALSE(Str::MatchCSW(99, u"Daten.TXT", 99, u"*.txt"));
}

TEST(StrMatch, ManyStarsStayFast) {
  // A recursive matcher that retries every suffix for every star would not
  // finish this in any reasonable time.
  const std::string s(2000, 'a');
  const std::string pattern = "*a*a*a*a*a*a*a*a*a*a*a*a*b";
  EXPECT_FALSE(Str::MatchA(uint32_t(s.size()), s.c_str(), 99, pattern.c_str()));
}

TEST(StrItems, FieldsSeparatedByRuns) {
  char d[8];
  EXPECT_TRUE(Str::ItemSA(7, d, 99, ",,a,,b", 0, ",", 1));
  EXPECT_STREQ(d, "b");
  EXPECT_TRUE(Str::ItemSA(7, d, 99, ",,a,,b", 0, ",", 0));
  EXPECT_STREQ(d, "a");
  EXPECT_FALSE(Str::ItemSA(7, d, 99, ",,a,,b", 0, ",", 2));
  EXPECT_STREQ(d, "");
  EXPECT_TRUE(Str::ItemA(7, d, 99, " \t2451545.5  12.34\r\n", Str::BlankSet(), 1));
  EXPECT_STREQ(d, "12.34");
  EXPECT_TRUE(Str::ItemA(3, d, 99, "x abcdefgh", Str::BlankSet(), 1));
  EXPECT_EQ(std::string(d, 4), "abcd");
  char16_t w[8];
  EXPECT_TRUE(Str::ItemSW(7, w, 99, u"a\u2014b\u2014c", 0, u"\u2014", 2));
  EXPECT_EQ(std::u16string(w), u"c");
}

TEST(StrForms, CAndLengthPrefixedCopies) {
  char c[4];
  EXPECT_TRUE(Str::StrToCA(9, "abc", 3, c));
  EXPECT_STREQ(c, "abc");
  EXPECT_FALSE(Str::StrToCA(9, "abcd", 3, c));
  EXPECT_STREQ(c, "abc");  // still terminated
  char p[5];
  EXPECT_TRUE(Str::StrToPasA(9, "abcd", 4, p));
  EXPECT_EQ(p[0], 4);
  EXPECT_EQ(std::string(p + 1, 4), "abcd");
  EXPECT_FALSE(Str::StrToPasA(9, "abcde", 4, p));
  EXPECT_EQ(p[0], 0);
  const std::string longText(300, 'x');
  char big[400];
  EXPECT_FALSE(Str::StrToPasA(399, longText.c_str(), 399, big));
}

TEST(StrUnicode, Utf8Detection) {
  struct Case {
    const char* bytes;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain ASCII", true},
      {"\xC3\xA9", true},
      {"\xE2\x82\xAC", true},
      {"\xF0\x9F\x98\x80", true},
      {"\xE9t\xE9", false},          // Windows-1252
      {"\xC3", false},               // cut sequence
      {"\xC0\xAF", false},           // overlong
      {"\xE0\x80\xAF", false},       // overlong
      {"\xED\xA0\x80", false},       // surrogate
      {"\xF4\x90\x80\x80", false},   // above U+10FFFF
      {"\x80", false},               // lone continuation
      {"\xFF", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Str::IsUTF8(c.bytes, std::strlen(c.bytes)), c.valid);
  }
}

TEST(StrUnicode, ConversionsBothWays) {
  char16_t w[16];
  Str::A2U(99, "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC", 15, w);
  EXPECT_EQ(std::u16string(w), u"été €");
  // Not UTF-8: read as Windows-1252.
  Str::A2U(99, "\xE9t\xE9 \x80", 15, w);
  EXPECT_EQ(std::u16string(w), u"été €");

  char a[16];
  Str::U2A(99, u"été €", 15, a);
  EXPECT_STREQ(a, "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC");
  const char16_t lone[] = {u'a', 0xD800, u'b', 0};
  Str::U2A(99, lone, 15, a);
  EXPECT_STREQ(a, "a\xEF\xBF\xBD" "b");

  // Cuts fall on character boundaries.
  char cut[4];
  std::memset(cut, '#', sizeof cut);
  Str::U2A(99, u"aé€", 2, cut);
  EXPECT_EQ(std::string(cut, 3), std::string("a\xC3\xA9"));
  char16_t pair[2];
  EXPECT_EQ(Str::A2UP("a\xF0\x9F\x98\x80", 5, pair, 2), 1u);
  EXPECT_EQ(Str::A2UP("\xF0\x9F\x98\x80", 4, pair, 2), 2u);
  EXPECT_EQ(pair[0], 0xD83D);
  EXPECT_EQ(pair[1], 0xDE00);
  char bytes[8];
  EXPECT_EQ(Str::U2AP(pair, 2, bytes, 8), 4u);
  EXPECT_EQ(std::string(bytes, 4), "\xF0\x9F\x98\x80");

  Str::C_A2U("abc", 15, w);
  EXPECT_EQ(std::u16string(w), u"abc");
  Str::C_U2A(u"xyz", 15, a);
  EXPECT_STREQ(a, "xyz");
}

TEST(StrUnicode, LongLinesConvertWhole) {
  std::string line;
  for (int i = 0; i < 5000; ++i) line += "\xC3\xA9";
  std::u16string wide(6000, u'#');
  Str::A2U(uint32_t(line.size() - 1), line.data(), uint32_t(wide.size() - 1), wide.data());
  EXPECT_EQ(Str::LengthW(uint32_t(wide.size() - 1), wide.data()), 5000u);
  std::string back(12000, '#');
  Str::U2A(uint32_t(wide.size() - 1), wide.data(), uint32_t(back.size() - 1), back.data());
  EXPECT_EQ(back.substr(0, line.size()), line);
  EXPECT_EQ(back[line.size()], '\0');
}

}  // namespace

namespace {

// The W forms share the A forms' rules; a few of them on 16-bit arrays with
// a guard unit behind a 4-unit array.
TEST(StrWide, EditingCutsAtTheEnd) {
  char16_t d[5] = {u'a', u'b', 0, u'#', u'#'};
  Str::AppendW(3, d, 9, u"xyz");
  EXPECT_EQ(std::u16string(d, 4), u"abxy");
  EXPECT_EQ(d[4], u'#');
  Str::DeleteW(3, d, 0, 1);
  EXPECT_EQ(std::u16string(d), u"bxy");
  Str::InsertW(3, d, 9, u"\u00E9\u00E9", 1);
  EXPECT_EQ(std::u16string(d, 4), u"b\u00E9\u00E9x");
  EXPECT_EQ(d[4], u'#');
  EXPECT_EQ(Str::LengthW(3, d), 4u);
  EXPECT_EQ(Str::RCharPosW(3, d, u'\u00E9'), 2u);

  char16_t t[8] = u" \t a \r\n";
  Str::TrimW(7, t);
  EXPECT_EQ(std::u16string(t), u"a");
  Str::RPadChW(7, t, 3, u'-');
  EXPECT_EQ(std::u16string(t), u"a--");
  EXPECT_TRUE(Str::SubstW(7, t, 9, u"--", 9, u"\u00DF"));
  EXPECT_EQ(std::u16string(t), u"a\u00DF");

  char16_t pas[4];
  EXPECT_TRUE(Str::StrToPasW(9, u"abc", 3, pas));
  EXPECT_EQ(pas[0], 3);
  EXPECT_FALSE(Str::StrToCW(9, u"abcd", 3, pas));
  EXPECT_EQ(std::u16string(pas), u"abc");
}

}  // namespace
