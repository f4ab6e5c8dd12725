// Dynamic strings, rectangles and clipboard text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "corekit/clipboard.h"
#include "corekit/vcom.h"
#include "corekit/vdstr.h"
#include "runbase/storage.h"

namespace {

using namespace vdstr;

std::string Text(const TDStringA* s) { return s ? std::string(s->chars(), s->length) : std::string(); }

TDStringA* Make(const char* text) {
  TDStringA* s = nullptr;
  CopyStrToDStrA(s, kToEnd, text);
  return s;
}

TEST(DString, EmptyTextsKeepNullStrings) {
  TDStringA* s = nullptr;
  AppendStrToDStrA(s, kToEnd, "");
  EXPECT_EQ(s, nullptr);
  EXPECT_TRUE(EmptyDStrA(s));
  EXPECT_EQ(CompareDStrToStrA(s, kToEnd, ""), 0);
  AppendStrToDStrA(s, 2, "abcdef");  // highest index 2: three characters
  EXPECT_EQ(Text(s), "abc");
  EXPECT_EQ(s->capacity, 3u);   // no over-allocation
  CopyDStrToDStrA(s, nullptr);  // a null source frees
  EXPECT_EQ(s, nullptr);
}

TEST(DString, CopyToArrayCutsWithoutTerminator) {
  TDStringA* s = Make("abcdef");
  char out[4] = {'x', 'x', 'x', 'x'};
  CopyDStrToStrA(3, out, s);
  EXPECT_EQ(std::string(out, 4), "abcd");
  CopyStrToDStrA(s, kToEnd, "ab");
  char small[4] = {'x', 'x', 'x', 'x'};
  CopyDStrToStrA(3, small, s);
  EXPECT_EQ(std::string(small, 4), std::string("ab\0x", 4));
  FreeDStrA(s);
}

TEST(DString, EditingOperations) {
  struct Case {
    const char* start;
    void (*edit)(TDStringA*&);
    const char* result;
  };
  const Case cases[] = {
      {"abcdef", [](TDStringA*& s) { DeleteDStrRangeA(s, 2, kToEnd); }, "ab"},
      {"abcdef", [](TDStringA*& s) { DeleteDStrRangeA(s, 6, 1); }, "abcdef"},
      {"abcdef", [](TDStringA*& s) { DeleteDStrRangeA(s, 1, 2); }, "adef"},
      {"abc", [](TDStringA*& s) { InsertStrToDStrA(s, kToEnd, "XY", 1); }, "aXYbc"},
      {"abc", [](TDStringA*& s) { InsertStrToDStrA(s, kToEnd, "XY", 4); }, "abc"},
      {"abc", [](TDStringA*& s) { PrependStrToDStrA(s, kToEnd, ">"); }, ">abc"},
      {"abcdef", [](TDStringA*& s) { ReplaceStrInDStrA(s, kToEnd, "XYZ", 1, 2); }, "aXYZdef"},
      {"abcdef", [](TDStringA*& s) { ReplaceStrInDStrA(s, kToEnd, "Z", 4, 99); }, "abcdZ"},
      {"abcdef", [](TDStringA*& s) { ReplaceStrInDStrA(s, kToEnd, "", 0, 3); }, "def"},
      {"abc", [](TDStringA*& s) { AppendDStrToDStrA(s, s); }, "abcabc"},  // appending itself
  };
  for (const auto& c : cases) {
    TDStringA* s = Make(c.start);
    c.edit(s);
    EXPECT_EQ(Text(s), c.result) << c.start << " -> " << c.result;
    FreeDStrA(s);
  }
}

TEST(DString, SearchingAndComparing) {
  TDStringA* s = Make("xxab");
  EXPECT_EQ(NextPosStrInDStrA(s, kToEnd, "ab", 0), 2u);
  EXPECT_EQ(NextPosStrInDStrA(s, kToEnd, "ab", 3), kNotFound);
  EXPECT_EQ(PosStrInDStrA(s, kToEnd, "abc"), kNotFound);
  TDStringA* empty = nullptr;
  AllocDStrA(empty, 4);
  EXPECT_EQ(PosDStrInDStrA(s, empty), kNotFound);  // an empty pattern never matches
  EXPECT_EQ(CountA(s, 'x'), 2u);
  TDStringA* ab = Make("ab");
  EXPECT_EQ(CompareDStrToStrA(ab, kToEnd, "abc"), -1);
  EXPECT_EQ(CompareDStrToStrA(ab, kToEnd, "\xE0"), -1);  // unsigned bytes
  EXPECT_EQ(CompareDStrToDStrA(empty, ab), -1);
  EXPECT_EQ(CompareDStrToDStrA(nullptr, empty), 0);
  EXPECT_EQ(LocaleCompareA(ab, ab), 0);
  EXPECT_EQ(LocaleCompareA(nullptr, ab), -1);
  FreeDStrA(s);
  FreeDStrA(empty);
  FreeDStrA(ab);
}

TEST(DString, ItemsSlicesAndZeroEnd) {
  TDStringA* s = Make("  a, b,,c");
  const char* expected[] = {"a", "b", "c", ""};
  for (std::uint32_t i = 0; i < 4; ++i) {
    char item[8] = {'?'};
    ItemSDStrToStrA(s, 7, item, kToEnd, " ,", i);
    EXPECT_STREQ(item, expected[i]) << i;
  }
  TDStringA* seps = Make(" ,");
  TDStringA* item = nullptr;
  ItemSDStrToDStrA(s, item, seps, 2);
  EXPECT_EQ(Text(item), "c");
  EXPECT_EQ(item->capacity, 64u);
  char slice[3];
  SliceDStrToStrA(s, 2, slice, 2, kToEnd);
  EXPECT_EQ(std::string(slice, 3), "a, ");
  SliceDStrToDStrA(s, item, 20, 1);
  EXPECT_TRUE(EmptyDStrA(item));

  TDStringA* z = nullptr;
  char* address = nullptr;
  std::uint32_t length = 9;
  EnsureDStrZeroEndA(z, address, length);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(z->capacity, 1u);
  EXPECT_EQ(address[0], 0);
  CopyStrToDStrA(z, kToEnd, "abc");
  EnsureDStrZeroEndA(z, address, length);
  EXPECT_STREQ(address, "abc");
  EXPECT_EQ(length, 3u);
  for (TDStringA** p : {&s, &seps, &item, &z}) FreeDStrA(*p);
}

TEST(DString, NumbersAndWideForms) {
  TDStringA* s = nullptr;
  LongRealToDStrA(1234.5, s);
  EXPECT_EQ(Text(s), "1234.5");
  EXPECT_EQ(DStrToLongRealA(s), 1234.5);
  CopyStrToDStrA(s, kToEnd, "12 ");
  EXPECT_EQ(DStrToLongRealA(s), 0.0);

  CopyStrToDStrA(s, kToEnd, "\xc5\xbelu\xc5\xa5");
  TDStringW* w = nullptr;
  ASSERT_TRUE(CreateUFromTA(s, w));
  EXPECT_EQ(std::u16string(w->chars(), w->length), u"\u017elu\u0165");
  TDStringA* back = nullptr;
  ASSERT_TRUE(CreateTFromUA(w, back));
  EXPECT_EQ(Text(back), Text(s));
  TDStringA* none = nullptr;
  A2U(none, w);
  EXPECT_EQ(w, nullptr);
  FreeDStrA(s);
  FreeDStrA(back);
}

TEST(Rect, IntersectionsAndZooms) {
  vcom::CRect a, b;
  a.Init(0, 0, 10, 10);
  b.Init(20, 20, 5, 5);
  EXPECT_FALSE(a.Intersect(b));
  vcom::CRect c = a;
  c.AndRect(b);
  EXPECT_EQ(c.width, 0);
  EXPECT_EQ(c.height, 0);
  b.Init(10, 0, 5, 5);  // touching edges do not overlap
  EXPECT_FALSE(a.Intersect(b));
  b.Init(5, 5, 10, 10);
  EXPECT_TRUE(a.Intersect(b));
  c = a;
  c.OrRect(b);
  EXPECT_TRUE(c.Equals([] {
    vcom::CRect r;
    r.Init(0, 0, 15, 15);
    return r;
  }()));
  EXPECT_TRUE(c.Contains(a));
  EXPECT_FALSE(a.InRect({10, 5}));
  EXPECT_TRUE(a.InRect({9, 0}));
  c = a;
  c.ZoomCenter(3, -3);  // 3 / -2 truncates to -1
  EXPECT_TRUE(c.Equals([] {
    vcom::CRect r;
    r.Init(-1, 1, 13, 7);
    return r;
  }()));

  vcom::CRectF f;
  EXPECT_TRUE(f.SizeChanged());
  EXPECT_FALSE(f.SizeChanged());
  f.LoadRect(a);
  EXPECT_TRUE(f.SizeChanged());
  f.LoadRect(a);
  EXPECT_FALSE(f.SizeChanged());
}

TEST(Clipboard, InProcessProviderAndInstalledProvider) {
  vcom::StringClipCopyA(vdstr::kToEnd, "copied text");
  char* block = nullptr;
  std::uint32_t length = 0;
  vcom::TextClipPasteA(block, length);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::string(block, length), "copied text");
  Storage::Free(block);
  char small[4];
  vcom::StringClipPasteA(3, small);
  EXPECT_EQ(std::string(small, 4), "copi");

  struct Refusing : vcom::CClipboardProvider {
    bool SetText(const char*, std::size_t) override { return false; }
    bool GetText(std::string&) override { return false; }
  } refusing;
  vcom::SetClipboardProvider(&refusing);
  vcom::TextClipPasteA(block, length);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(length, 0u);
  vcom::SetClipboardProvider(nullptr);
  char16_t wide[16] = {};
  vcom::StringClipPasteW(15, wide);
  EXPECT_EQ(std::u16string(wide), u"copied text");
}

}  // namespace
