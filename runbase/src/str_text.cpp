// Str text functions: the A and W entry points over the templates of
// str_core.h, case mapping, wildcard matching, locale comparison and
// code-page conversion.
#include <atomic>
#include <cwchar>
#include <string>

#include "runbase/str.h"
#include "str_core.h"
#include "str_unicode.h"

namespace Str {

using core::Len;

namespace {

struct CaseTables {
  uint8_t upper[256];
  uint8_t lower[256];
};

constexpr CaseTables DefaultTables() {
  CaseTables t{};
  for (int i = 0; i < 256; ++i) {
    t.upper[i] = uint8_t(i >= 'a' && i <= 'z' ? i - 32 : i);
    t.lower[i] = uint8_t(i >= 'A' && i <= 'Z' ? i + 32 : i);
  }
  return t;
}

// The 8-bit case tables: set at start-up or by SetTabs, then only read.
CaseTables tables = DefaultTables();
std::atomic<int> initCalls{0};

char32_t FoldA(char32_t cp) { return cp < 0x80 ? tables.upper[cp] : uni::Upper(cp); }
char32_t FoldW(char32_t cp) { return uni::Upper(cp); }

template <class Map>
void MapCaseA(uint32_t h, char* s, const uint8_t* table, Map map) {
  const size_t n = Len(h, s);
  auto* bytes = reinterpret_cast<unsigned char*>(s);
  for (size_t i = 0; i < n;) {
    char32_t cp;
    const size_t len = bytes[i] >= 0x80 ? uni::DecodeUtf8(bytes + i, n - i, cp) : 0;
    if (len > 1) {
      const char32_t mapped = map(cp);
      if (uni::Utf8Length(mapped) == len) uni::EncodeUtf8(mapped, s + i);
      i += len;
    } else {
      bytes[i] = table[bytes[i]];
      ++i;
    }
  }
}

template <class Map>
void MapCaseW(uint32_t h, char16_t* s, Map map) {
  const size_t n = Len(h, s);
  for (size_t i = 0; i < n; ++i) {
    if (s[i] < 0xD800 || s[i] > 0xDFFF) s[i] = char16_t(map(s[i]));
  }
}

template <class Fold>
bool MatchCodes(const std::u32string& s, const std::u32string& p, Fold fold) {
  return core::Match(s.data(), s.size(), p.data(), p.size(),
                     [&](char32_t a, char32_t b) { return fold(a) == fold(b); });
}

std::u32string CodesA(uint32_t h, const char* s) { return uni::DecodeA(s, Len(h, s)); }
std::u32string CodesW(uint32_t h, const char16_t* s) { return uni::DecodeW(s, Len(h, s)); }

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

int Collate(const std::u32string& a, const std::u32string& b, bool ignoreCase) {
  std::wstring wa(a.begin(), a.end());
  std::wstring wb(b.begin(), b.end());
  if (ignoreCase) {
    for (auto& c : wa) c = wchar_t(uni::Upper(char32_t(c)));
    for (auto& c : wb) c = wchar_t(uni::Upper(char32_t(c)));
  }
  // Embedded code 0 cannot occur: the content ends at the first NUL.
  return Sign(std::wcscoll(wa.c_str(), wb.c_str()));
}

// UTF-16 units of the code points, as many whole characters as fit.
uint32_t PutUtf16(const std::u32string& codes, char16_t* d, uint32_t capacity) {
  uint32_t k = 0;
  for (char32_t cp : codes) {
    if (cp >= 0x10000) {
      if (capacity - k < 2) break;
      d[k++] = char16_t(0xD800 + ((cp - 0x10000) >> 10));
      d[k++] = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      if (k == capacity) break;
      d[k++] = char16_t(cp);
    }
  }
  return k;
}

uint32_t PutUtf8(const std::u32string& codes, char* d, uint32_t capacity) {
  uint32_t k = 0;
  for (char32_t cp : codes) {
    char buf[4];
    const size_t len = uni::EncodeUtf8(cp, buf);
    if (capacity - k < len) break;
    for (size_t i = 0; i < len; ++i) d[k++] = buf[i];
  }
  return k;
}

template <class C>
void Terminate(uint32_t dh, C* d, uint32_t written) {
  if (size_t(written) < core::Cap(dh)) d[written] = 0;
}

uint32_t CapacityOf(uint32_t dh) { return dh == 0xFFFFFFFFu ? dh : dh + 1; }

}  // namespace

// ---- Module ------------------------------------------------------------------

void InitModule() {
  if (initCalls.fetch_add(1) == 0) tables = DefaultTables();
}

void SetTabs(const uint8_t upper[256], const uint8_t lower[256]) {
  std::copy(upper, upper + 256, tables.upper);
  std::copy(lower, lower + 256, tables.lower);
}

TCharSet BlankSet() {
  TCharSet set;
  for (unsigned c : {' ', '\t', '\r', '\n'}) set.Include(c);
  return set;
}

template <class C>
static TCharSet MakeSet(uint32_t h, const C* chars) {
  TCharSet set;
  const size_t n = Len(h, chars);
  for (size_t i = 0; i < n; ++i) set.Include(std::make_unsigned_t<C>(chars[i]));
  return set;
}

TCharSet MakeSetA(uint32_t h, const char* chars) { return MakeSet(h, chars); }
TCharSet MakeSetW(uint32_t h, const char16_t* chars) { return MakeSet(h, chars); }

// ---- Length, copying, editing -------------------------------------------------

uint32_t LengthA(uint32_t h, const char* s) { return uint32_t(Len(h, s)); }
uint32_t LengthW(uint32_t h, const char16_t* s) { return uint32_t(Len(h, s)); }

void CopyA(uint32_t dh, char* d, uint32_t sh, const char* s) { core::Copy(dh, d, sh, s); }
void CopyW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s) { core::Copy(dh, d, sh, s); }
void AppendA(uint32_t dh, char* d, uint32_t sh, const char* s) { core::Append(dh, d, sh, s); }
void AppendW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s) {
  core::Append(dh, d, sh, s);
}
void PrependA(uint32_t dh, char* d, uint32_t sh, const char* s) { core::Insert(dh, d, sh, s, 0); }
void PrependW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s) {
  core::Insert(dh, d, sh, s, 0);
}
void ConcatA(uint32_t dh, char* d, uint32_t h1, const char* s1, uint32_t h2, const char* s2) {
  core::Concat(dh, d, h1, s1, h2, s2);
}
void ConcatW(uint32_t dh, char16_t* d, uint32_t h1, const char16_t* s1, uint32_t h2,
             const char16_t* s2) {
  core::Concat(dh, d, h1, s1, h2, s2);
}
void InsertA(uint32_t dh, char* d, uint32_t sh, const char* s, uint32_t pos) {
  core::Insert(dh, d, sh, s, pos);
}
void InsertW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s, uint32_t pos) {
  core::Insert(dh, d, sh, s, pos);
}
void DeleteA(uint32_t h, char* s, uint32_t pos, uint32_t n) { core::Delete(h, s, pos, n); }
void DeleteW(uint32_t h, char16_t* s, uint32_t pos, uint32_t n) { core::Delete(h, s, pos, n); }
void SliceA(uint32_t dh, char* d, uint32_t sh, const char* s, uint32_t pos, uint32_t n) {
  core::Slice(dh, d, sh, s, pos, n);
}
void SliceW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s, uint32_t pos, uint32_t n) {
  core::Slice(dh, d, sh, s, pos, n);
}
bool SubstA(uint32_t h, char* s, uint32_t h1, const char* oldText, uint32_t h2,
            const char* newText) {
  return core::Subst(h, s, h1, oldText, h2, newText);
}
bool SubstW(uint32_t h, char16_t* s, uint32_t h1, const char16_t* oldText, uint32_t h2,
            const char16_t* newText) {
  return core::Subst(h, s, h1, oldText, h2, newText);
}

// ---- Searching ----------------------------------------------------------------

uint32_t PosA(uint32_t h, const char* s, uint32_t ph, const char* p) {
  return core::NextPos(h, s, ph, p, 0);
}
uint32_t PosW(uint32_t h, const char16_t* s, uint32_t ph, const char16_t* p) {
  return core::NextPos(h, s, ph, p, 0);
}
uint32_t NextPosA(uint32_t h, const char* s, uint32_t ph, const char* p, uint32_t from) {
  return core::NextPos(h, s, ph, p, from);
}
uint32_t NextPosW(uint32_t h, const char16_t* s, uint32_t ph, const char16_t* p, uint32_t from) {
  return core::NextPos(h, s, ph, p, from);
}

template <class C>
static bool FindSubStr(uint32_t h, const C* s, uint32_t ph, const C* p, uint32_t from,
                       PosLen& match) {
  match.pos = core::NextPos(h, s, ph, p, from);
  match.len = match.pos == NotFound ? 0 : uint32_t(Len(ph, p));
  return match.pos != NotFound;
}

bool FindSubStrA(uint32_t h, const char* s, uint32_t ph, const char* p, uint32_t from,
                 PosLen& match) {
  return FindSubStr(h, s, ph, p, from, match);
}
bool FindSubStrW(uint32_t h, const char16_t* s, uint32_t ph, const char16_t* p, uint32_t from,
                 PosLen& match) {
  return FindSubStr(h, s, ph, p, from, match);
}

uint32_t CharPosA(uint32_t h, const char* s, char c) { return core::NextCharPos(h, s, c, 0); }
uint32_t CharPosW(uint32_t h, const char16_t* s, char16_t c) {
  return core::NextCharPos(h, s, c, 0);
}
uint32_t RCharPosA(uint32_t h, const char* s, char c) { return core::RCharPos(h, s, c); }
uint32_t RCharPosW(uint32_t h, const char16_t* s, char16_t c) { return core::RCharPos(h, s, c); }
uint32_t NextCharPosA(uint32_t h, const char* s, char c, uint32_t from) {
  return core::NextCharPos(h, s, c, from);
}
uint32_t NextCharPosW(uint32_t h, const char16_t* s, char16_t c, uint32_t from) {
  return core::NextCharPos(h, s, c, from);
}
uint32_t CountA(uint32_t h, const char* s, char c) { return core::Count(h, s, c); }
uint32_t CountW(uint32_t h, const char16_t* s, char16_t c) { return core::Count(h, s, c); }

// ---- Comparison ---------------------------------------------------------------

int CompareA(uint32_t h1, const char* a, uint32_t h2, const char* b) {
  return core::Compare(h1, a, h2, b);
}
int CompareW(uint32_t h1, const char16_t* a, uint32_t h2, const char16_t* b) {
  return core::Compare(h1, a, h2, b);
}
bool SameA(uint32_t h1, const char* a, uint32_t h2, const char* b) {
  return core::Compare(h1, a, h2, b) == 0;
}
bool SameW(uint32_t h1, const char16_t* a, uint32_t h2, const char16_t* b) {
  return core::Compare(h1, a, h2, b) == 0;
}
int LocaleCompareA(uint32_t h1, const char* a, uint32_t h2, const char* b) {
  return Collate(CodesA(h1, a), CodesA(h2, b), false);
}
int LocaleCompareW(uint32_t h1, const char16_t* a, uint32_t h2, const char16_t* b) {
  return Collate(CodesW(h1, a), CodesW(h2, b), false);
}
int LocaleCompareCaseInsensitiveA(uint32_t h1, const char* a, uint32_t h2, const char* b) {
  return Collate(CodesA(h1, a), CodesA(h2, b), true);
}
int LocaleCompareCaseInsensitiveW(uint32_t h1, const char16_t* a, uint32_t h2,
                                  const char16_t* b) {
  return Collate(CodesW(h1, a), CodesW(h2, b), true);
}

// ---- Case, trimming, padding --------------------------------------------------

char CapA(char c) { return char(tables.upper[uint8_t(c)]); }
char LowA(char c) { return char(tables.lower[uint8_t(c)]); }
char16_t CapW(char16_t c) {
  const char32_t m = uni::Upper(c);
  return m < 0x10000 ? char16_t(m) : c;
}
char16_t LowW(char16_t c) {
  const char32_t m = uni::Lower(c);
  return m < 0x10000 ? char16_t(m) : c;
}
void CapsA(uint32_t h, char* s) { MapCaseA(h, s, tables.upper, uni::Upper); }
void LowsA(uint32_t h, char* s) { MapCaseA(h, s, tables.lower, uni::Lower); }
void CapsW(uint32_t h, char16_t* s) { MapCaseW(h, s, CapW); }
void LowsW(uint32_t h, char16_t* s) { MapCaseW(h, s, LowW); }

void LTrimA(uint32_t h, char* s) { core::LTrim(h, s); }
void LTrimW(uint32_t h, char16_t* s) { core::LTrim(h, s); }
void RTrimA(uint32_t h, char* s) { core::RTrim(h, s); }
void RTrimW(uint32_t h, char16_t* s) { core::RTrim(h, s); }
void TrimA(uint32_t h, char* s) {
  core::RTrim(h, s);
  core::LTrim(h, s);
}
void TrimW(uint32_t h, char16_t* s) {
  core::RTrim(h, s);
  core::LTrim(h, s);
}

void LPadChA(uint32_t h, char* s, uint32_t n, char c) { core::Pad(h, s, n, c, true); }
void LPadChW(uint32_t h, char16_t* s, uint32_t n, char16_t c) { core::Pad(h, s, n, c, true); }
void RPadChA(uint32_t h, char* s, uint32_t n, char c) { core::Pad(h, s, n, c, false); }
void RPadChW(uint32_t h, char16_t* s, uint32_t n, char16_t c) { core::Pad(h, s, n, c, false); }

// ---- Wildcards and fields -------------------------------------------------------

static char32_t Same(char32_t c) { return c; }

bool MatchA(uint32_t h, const char* s, uint32_t ph, const char* pattern) {
  return MatchCodes(CodesA(h, s), CodesA(ph, pattern), FoldA);
}
bool MatchW(uint32_t h, const char16_t* s, uint32_t ph, const char16_t* pattern) {
  return MatchCodes(CodesW(h, s), CodesW(ph, pattern), FoldW);
}
bool MatchCSA(uint32_t h, const char* s, uint32_t ph, const char* pattern) {
  return MatchCodes(CodesA(h, s), CodesA(ph, pattern), Same);
}
bool MatchCSW(uint32_t h, const char16_t* s, uint32_t ph, const char16_t* pattern) {
  return MatchCodes(CodesW(h, s), CodesW(ph, pattern), Same);
}

template <class C>
static bool ItemInSet(uint32_t dh, C* d, uint32_t sh, const C* s, const TCharSet& set,
                      uint32_t n) {
  return core::Item(dh, d, sh, s, n,
                    [&](C c) { return set.Contains(std::make_unsigned_t<C>(c)); });
}

bool ItemA(uint32_t dh, char* d, uint32_t sh, const char* s, const TCharSet& set, uint32_t n) {
  return ItemInSet(dh, d, sh, s, set, n);
}
bool ItemW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s, const TCharSet& set,
           uint32_t n) {
  return ItemInSet(dh, d, sh, s, set, n);
}
bool ItemSA(uint32_t dh, char* d, uint32_t sh, const char* s, uint32_t seph, const char* seps,
            uint32_t n) {
  return ItemInSet(dh, d, sh, s, MakeSetA(seph, seps), n);
}
bool ItemSW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s, uint32_t seph,
            const char16_t* seps, uint32_t n) {
  // Separators above 255 do not fit the set, so they are tested directly.
  const size_t nseps = Len(seph, seps);
  return core::Item(dh, d, sh, s, n, [&](char16_t c) {
    return std::find(seps, seps + nseps, c) != seps + nseps;
  });
}

// ---- Other string forms -------------------------------------------------------------

bool StrToCA(uint32_t h, const char* s, uint32_t dh, char* d) { return core::StrToC(h, s, dh, d); }
bool StrToCW(uint32_t h, const char16_t* s, uint32_t dh, char16_t* d) {
  return core::StrToC(h, s, dh, d);
}
bool StrToPasA(uint32_t h, const char* s, uint32_t dh, char* d) {
  return core::StrToPas(h, s, dh, d);
}
bool StrToPasW(uint32_t h, const char16_t* s, uint32_t dh, char16_t* d) {
  return core::StrToPas(h, s, dh, d);
}

// ---- Code-page conversion -------------------------------------------------------------

uint32_t A2UP(const char* s, uint32_t count, char16_t* d, uint32_t capacity) {
  if (s == nullptr || d == nullptr) return 0;
  return PutUtf16(uni::DecodeA(s, count), d, capacity);
}

uint32_t U2AP(const char16_t* s, uint32_t count, char* d, uint32_t capacity) {
  if (s == nullptr || d == nullptr) return 0;
  return PutUtf8(uni::DecodeW(s, count), d, capacity);
}

void A2U(uint32_t sh, const char* s, uint32_t dh, char16_t* d) {
  if (d == nullptr) return;
  Terminate(dh, d, PutUtf16(CodesA(sh, s), d, CapacityOf(dh)));
}

void U2A(uint32_t sh, const char16_t* s, uint32_t dh, char* d) {
  if (d == nullptr) return;
  Terminate(dh, d, PutUtf8(CodesW(sh, s), d, CapacityOf(dh)));
}

void C_A2U(const char* s, uint32_t dh, char16_t* d) {
  A2U(0xFFFFFFFFu, s, dh, d);
}

void C_U2A(const char16_t* s, uint32_t dh, char* d) {
  U2A(0xFFFFFFFFu, s, dh, d);
}

bool IsUTF8(const void* buffer, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  for (size_t i = 0; i < size;) {
    char32_t cp;
    const size_t len = uni::DecodeUtf8(bytes + i, size - i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

}  // namespace Str
