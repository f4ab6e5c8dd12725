#include "corekit/vdstr.h"

#include <cstring>
#include <string>

#include "runbase/fixed_text.h"
#include "runbase/storage.h"
#include "runbase/str.h"

namespace vdstr {

namespace {

using FixedText::Length;

// The operations once, for both character widths.
template <class S, class Ch>
struct DStr {
  using Text = std::basic_string<Ch>;

  static std::size_t Bytes(std::uint32_t capacity) { return std::size_t{capacity} * sizeof(Ch) + sizeof(S); }
  static std::uint32_t Len(const S* s) { return s ? s->length : 0; }
  static const Ch* Chars(const S* s) { return s ? s->chars() : nullptr; }

  static void Free(S*& s) { Storage::Free(s); }

  static void Alloc(S*& s, std::uint32_t capacity) {
    s = nullptr;
    Storage::Allocate(s, Bytes(capacity));
    s->capacity = capacity;
    s->length = 0;
  }

  static void ReAlloc(S*& s, std::uint32_t capacity) {
    if (!s) {
      Alloc(s, capacity);
      return;
    }
    Storage::Reallocate(s, Bytes(capacity));
    s->capacity = capacity;
    if (s->length > capacity) s->length = capacity;
  }

  // Grows to exactly the needed capacity; never shrinks.
  static void Reserve(S*& s, std::uint32_t needed) {
    if (!s) Alloc(s, needed);
    else if (s->capacity < needed) ReAlloc(s, needed);
  }

  static void Assign(S*& s, const Ch* text, std::uint32_t n) {
    if (n == 0) {
      if (s) s->length = 0;
      return;
    }
    const Text copy(text, n);  // the text may lie inside s
    Reserve(s, n);
    std::memcpy(s->chars(), copy.data(), n * sizeof(Ch));
    s->length = n;
  }

  static void Insert(S*& s, const Ch* text, std::uint32_t n, std::uint32_t pos) {
    const std::uint32_t len = Len(s);
    if (n == 0 || pos > len) return;
    const Text copy(text, n);
    Reserve(s, len + n);
    Ch* c = s->chars();
    std::memmove(c + pos + n, c + pos, (len - pos) * sizeof(Ch));
    std::memcpy(c + pos, copy.data(), n * sizeof(Ch));
    s->length = len + n;
  }

  static void Delete(S* s, std::uint32_t pos, std::uint32_t count) {
    const std::uint32_t len = Len(s);
    if (pos >= len) return;
    if (count > len - pos) count = len - pos;
    Ch* c = s->chars();
    std::memmove(c + pos, c + pos + count, (len - pos - count) * sizeof(Ch));
    s->length = len - count;
  }

  static void Replace(S*& s, const Ch* text, std::uint32_t n, std::uint32_t pos, std::uint32_t count) {
    if (pos > Len(s)) return;
    const Text copy = text ? Text(text, n) : Text();
    Delete(s, pos, count);
    Insert(s, copy.data(), static_cast<std::uint32_t>(copy.size()), pos);
  }

  static void CopyToArray(std::uint32_t high, Ch* dst, const S* s) {
    FixedText::Assign<Ch>(high, dst, {Chars(s), Len(s)});
  }

  static void SliceToArray(const S* s, std::uint32_t high, Ch* dst, std::uint32_t pos, std::uint32_t count) {
    const std::uint32_t len = Len(s);
    if (pos >= len) {
      FixedText::Assign<Ch>(high, dst, {});
      return;
    }
    if (count > len - pos) count = len - pos;
    FixedText::Assign(high, dst, {s->chars() + pos, count});
  }

  static void SliceToDStr(const S* s, S*& dst, std::uint32_t pos, std::uint32_t count) {
    const std::uint32_t len = Len(s);
    if (pos >= len) {
      if (dst) dst->length = 0;
      return;
    }
    if (count > len - pos) count = len - pos;
    Assign(dst, s->chars() + pos, count);
  }

  static std::uint32_t Find(const S* s, const Ch* pattern, std::uint32_t n, std::uint32_t start) {
    const std::uint32_t len = Len(s);
    if (n == 0 || start >= len || n > len - start) return kNotFound;
    const Ch* c = s->chars();
    for (std::uint32_t at = start; at + n <= len; ++at) {
      if (std::memcmp(c + at, pattern, n * sizeof(Ch)) == 0) return at;
    }
    return kNotFound;
  }

  static std::uint32_t Count(const S* s, Ch ch) {
    std::uint32_t hits = 0;
    for (std::uint32_t i = 0; i < Len(s); ++i) hits += s->chars()[i] == ch;
    return hits;
  }

  // Unsigned comparison by code unit; a proper prefix is smaller.
  static int Compare(const Ch* a, std::uint32_t an, const Ch* b, std::uint32_t bn) {
    using U = std::make_unsigned_t<Ch>;
    const std::uint32_t n = an < bn ? an : bn;
    for (std::uint32_t i = 0; i < n; ++i) {
      const U x = static_cast<U>(a[i]), y = static_cast<U>(b[i]);
      if (x != y) return x < y ? -1 : 1;
    }
    return an == bn ? 0 : an < bn ? -1 : 1;
  }

  static void EnsureLen(S*& s, std::uint32_t capacity, Ch*& address, std::uint32_t& length) {
    Reserve(s, capacity);
    address = s->chars();
    length = s->length;
  }

  static void EnsureZeroEnd(S*& s, Ch*& address, std::uint32_t& length) {
    Reserve(s, Len(s) + 1);
    s->chars()[s->length] = Ch(0);
    address = s->chars();
    length = s->length;
  }

  static bool IsSeparator(Ch c, const Ch* seps, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i)
      if (seps[i] == c) return true;
    return false;
  }

  // The item-th run of non-separators (0-based) as (first, count); false when missing.
  static bool Item(const S* s, const Ch* seps, std::uint32_t nseps, std::uint32_t item, std::uint32_t& first,
                   std::uint32_t& count) {
    const std::uint32_t len = Len(s);
    const Ch* c = Chars(s);
    std::uint32_t i = 0;
    for (std::uint32_t k = 0;; ++k) {
      while (i < len && IsSeparator(c[i], seps, nseps)) ++i;
      if (i >= len) return false;
      std::uint32_t end = i;
      while (end < len && !IsSeparator(c[end], seps, nseps)) ++end;
      if (k == item) {
        first = i;
        count = end - i;
        return true;
      }
      i = end;
    }
  }

  static void ItemToArray(const S* s, std::uint32_t high, Ch* dst, std::uint32_t sepHigh, const Ch* seps,
                          std::uint32_t item) {
    std::uint32_t first = 0, count = 0;
    if (Item(s, seps, Length(sepHigh, seps), item, first, count))
      FixedText::Assign(high, dst, {s->chars() + first, count});
    else FixedText::Assign<Ch>(high, dst, {});
  }

  // Grows its destination 64 characters at a time.
  static void ItemToDStr(const S* s, S*& dst, const S* seps, std::uint32_t item) {
    std::uint32_t first = 0, count = 0;
    const bool found = Item(s, Chars(seps), Len(seps), item, first, count);
    const Text copy = found ? Text(s->chars() + first, count) : Text();
    const std::uint32_t capacity = (static_cast<std::uint32_t>(copy.size()) / 64 + 1) * 64;
    if (!dst) Alloc(dst, 64);
    if (dst->capacity < copy.size()) ReAlloc(dst, capacity);
    std::memcpy(dst->chars(), copy.data(), copy.size() * sizeof(Ch));
    dst->length = static_cast<std::uint32_t>(copy.size());
  }
};

using DA = DStr<TDStringA, char>;
using DW = DStr<TDStringW, char16_t>;

// Locale comparisons work on the (highest index, pointer) form.
template <class S, class Ch, class F>
int LocaleCompare(const S* a, const S* b, F compare) {
  static const Ch empty[1] = {Ch(0)};
  const std::uint32_t an = a ? a->length : 0, bn = b ? b->length : 0;
  if (an == 0 || bn == 0) return an == bn ? 0 : an == 0 ? -1 : 1;
  const int r = compare(an - 1, an ? a->chars() : empty, bn - 1, bn ? b->chars() : empty);
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

constexpr std::uint32_t kNumberChars = 32;

}  // namespace

// ---- 8-bit -----------------------------------------------------------------

void FreeDStrA(TDStringA*& s) { DA::Free(s); }
void AllocDStrA(TDStringA*& s, std::uint32_t capacity) { DA::Alloc(s, capacity); }
void ReAllocDStrA(TDStringA*& s, std::uint32_t capacity) { DA::ReAlloc(s, capacity); }
void AllocDStrCopyA(TDStringA*& s, const TDStringA* src) {
  s = nullptr;
  if (!src) return;
  DA::Alloc(s, src->capacity);
  std::memcpy(s->chars(), src->chars(), src->length);
  s->length = src->length;
}
void CopyStrToDStrA(TDStringA*& s, std::uint32_t high, const char* text) { DA::Assign(s, text, Length(high, text)); }
void CopyDStrToDStrA(TDStringA*& s, const TDStringA* src) {
  if (!src) DA::Free(s);
  else DA::Assign(s, src->chars(), src->length);
}
void CopyBufferToDStrA(TDStringA*& s, const void* bytes, std::uint32_t count) {
  DA::Assign(s, static_cast<const char*>(bytes), bytes ? count : 0);
}
void CopyDStrToStrA(std::uint32_t high, char* dst, const TDStringA* s) { DA::CopyToArray(high, dst, s); }
void AppendStrToDStrA(TDStringA*& s, std::uint32_t high, const char* text) {
  DA::Insert(s, text, Length(high, text), DA::Len(s));
}
void AppendDStrToDStrA(TDStringA*& s, const TDStringA* src) { DA::Insert(s, DA::Chars(src), DA::Len(src), DA::Len(s)); }
void PrependStrToDStrA(TDStringA*& s, std::uint32_t high, const char* text) {
  DA::Insert(s, text, Length(high, text), 0);
}
void PrependDStrToDStrA(TDStringA*& s, const TDStringA* src) { DA::Insert(s, DA::Chars(src), DA::Len(src), 0); }
void InsertStrToDStrA(TDStringA*& s, std::uint32_t high, const char* text, std::uint32_t pos) {
  DA::Insert(s, text, Length(high, text), pos);
}
void InsertDStrToDStrA(TDStringA*& s, const TDStringA* src, std::uint32_t pos) {
  DA::Insert(s, DA::Chars(src), DA::Len(src), pos);
}
void DeleteDStrRangeA(TDStringA* s, std::uint32_t pos, std::uint32_t count) { DA::Delete(s, pos, count); }
void ReplaceStrInDStrA(TDStringA*& s, std::uint32_t high, const char* text, std::uint32_t pos, std::uint32_t count) {
  DA::Replace(s, text, Length(high, text), pos, count);
}
void ReplaceDStrInDStrA(TDStringA*& s, const TDStringA* src, std::uint32_t pos, std::uint32_t count) {
  DA::Replace(s, DA::Chars(src), DA::Len(src), pos, count);
}
void SliceDStrToStrA(const TDStringA* s, std::uint32_t high, char* dst, std::uint32_t pos, std::uint32_t count) {
  DA::SliceToArray(s, high, dst, pos, count);
}
void SliceDStrToDStrA(const TDStringA* s, TDStringA*& dst, std::uint32_t pos, std::uint32_t count) {
  DA::SliceToDStr(s, dst, pos, count);
}
std::uint32_t PosStrInDStrA(const TDStringA* s, std::uint32_t high, const char* text) {
  return DA::Find(s, text, Length(high, text), 0);
}
std::uint32_t NextPosStrInDStrA(const TDStringA* s, std::uint32_t high, const char* text, std::uint32_t start) {
  return DA::Find(s, text, Length(high, text), start);
}
std::uint32_t PosDStrInDStrA(const TDStringA* s, const TDStringA* pattern) {
  return DA::Find(s, DA::Chars(pattern), DA::Len(pattern), 0);
}
std::uint32_t NextPosDStrInDStrA(const TDStringA* s, const TDStringA* pattern, std::uint32_t start) {
  return DA::Find(s, DA::Chars(pattern), DA::Len(pattern), start);
}
std::uint32_t CountA(const TDStringA* s, char c) { return DA::Count(s, c); }
int CompareDStrToStrA(const TDStringA* s, std::uint32_t high, const char* text) {
  return DA::Compare(DA::Chars(s), DA::Len(s), text, Length(high, text));
}
int CompareDStrToDStrA(const TDStringA* a, const TDStringA* b) {
  return DA::Compare(DA::Chars(a), DA::Len(a), DA::Chars(b), DA::Len(b));
}
int LocaleCompareA(const TDStringA* a, const TDStringA* b) {
  return LocaleCompare<TDStringA, char>(a, b, Str::LocaleCompareA);
}
int LocaleCompareCaseInsensitiveA(const TDStringA* a, const TDStringA* b) {
  return LocaleCompare<TDStringA, char>(a, b, Str::LocaleCompareCaseInsensitiveA);
}
bool EmptyDStrA(const TDStringA* s) { return DA::Len(s) == 0; }
void EnsureDStrLenA(TDStringA*& s, std::uint32_t capacity, char*& address, std::uint32_t& length) {
  DA::EnsureLen(s, capacity, address, length);
}
void EnsureDStrZeroEndA(TDStringA*& s, char*& address, std::uint32_t& length) { DA::EnsureZeroEnd(s, address, length); }
void GetDStrAddrLenA(TDStringA* s, char*& address, std::uint32_t& length) {
  address = s ? s->chars() : nullptr;
  length = DA::Len(s);
}
void GetDStrAddrLenA(const TDStringA* s, const char*& address, std::uint32_t& length) {
  address = DA::Chars(s);
  length = DA::Len(s);
}
void ItemSDStrToStrA(const TDStringA* s, std::uint32_t high, char* dst, std::uint32_t sepHigh, const char* seps,
                     std::uint32_t item) {
  DA::ItemToArray(s, high, dst, sepHigh, seps, item);
}
void ItemSDStrToDStrA(const TDStringA* s, TDStringA*& dst, const TDStringA* seps, std::uint32_t item) {
  DA::ItemToDStr(s, dst, seps, item);
}

double DStrToLongRealA(const TDStringA* s) {
  char text[kNumberChars] = {};
  DA::CopyToArray(kNumberChars - 1, text, s);
  bool ok = false;
  const double v = Str::StrToRealA(kNumberChars - 1, text, ok);
  return ok ? v : 0.0;
}

void LongRealToDStrA(double value, TDStringA*& s) {
  char text[kNumberChars] = {};
  bool ok = false;
  Str::CorrectedRealToStrA(value, 15, false, kNumberChars - 1, text, ok);
  if (ok) CopyStrToDStrA(s, kNumberChars - 1, text);
  else DA::Free(s);
}

// ---- 16-bit ----------------------------------------------------------------

void FreeDStrW(TDStringW*& s) { DW::Free(s); }
void AllocDStrW(TDStringW*& s, std::uint32_t capacity) { DW::Alloc(s, capacity); }
void ReAllocDStrW(TDStringW*& s, std::uint32_t capacity) { DW::ReAlloc(s, capacity); }
void AllocDStrCopyW(TDStringW*& s, const TDStringW* src) {
  s = nullptr;
  if (!src) return;
  DW::Alloc(s, src->capacity);
  std::memcpy(s->chars(), src->chars(), src->length * sizeof(char16_t));
  s->length = src->length;
}
void CopyStrToDStrW(TDStringW*& s, std::uint32_t high, const char16_t* text) {
  DW::Assign(s, text, Length(high, text));
}
void CopyDStrToDStrW(TDStringW*& s, const TDStringW* src) {
  if (!src) DW::Free(s);
  else DW::Assign(s, src->chars(), src->length);
}
void CopyBufferToDStrW(TDStringW*& s, const char16_t* units, std::uint32_t count) {
  DW::Assign(s, units, units ? count : 0);
}
void CopyDStrToStrW(std::uint32_t high, char16_t* dst, const TDStringW* s) { DW::CopyToArray(high, dst, s); }
void AppendStrToDStrW(TDStringW*& s, std::uint32_t high, const char16_t* text) {
  DW::Insert(s, text, Length(high, text), DW::Len(s));
}
void AppendDStrToDStrW(TDStringW*& s, const TDStringW* src) { DW::Insert(s, DW::Chars(src), DW::Len(src), DW::Len(s)); }
void PrependStrToDStrW(TDStringW*& s, std::uint32_t high, const char16_t* text) {
  DW::Insert(s, text, Length(high, text), 0);
}
void PrependDStrToDStrW(TDStringW*& s, const TDStringW* src) { DW::Insert(s, DW::Chars(src), DW::Len(src), 0); }
void InsertStrToDStrW(TDStringW*& s, std::uint32_t high, const char16_t* text, std::uint32_t pos) {
  DW::Insert(s, text, Length(high, text), pos);
}
void InsertDStrToDStrW(TDStringW*& s, const TDStringW* src, std::uint32_t pos) {
  DW::Insert(s, DW::Chars(src), DW::Len(src), pos);
}
void DeleteDStrRangeW(TDStringW* s, std::uint32_t pos, std::uint32_t count) { DW::Delete(s, pos, count); }
void ReplaceStrInDStrW(TDStringW*& s, std::uint32_t high, const char16_t* text, std::uint32_t pos,
                       std::uint32_t count) {
  DW::Replace(s, text, Length(high, text), pos, count);
}
void ReplaceDStrInDStrW(TDStringW*& s, const TDStringW* src, std::uint32_t pos, std::uint32_t count) {
  DW::Replace(s, DW::Chars(src), DW::Len(src), pos, count);
}
void SliceDStrToStrW(const TDStringW* s, std::uint32_t high, char16_t* dst, std::uint32_t pos, std::uint32_t count) {
  DW::SliceToArray(s, high, dst, pos, count);
}
void SliceDStrToDStrW(const TDStringW* s, TDStringW*& dst, std::uint32_t pos, std::uint32_t count) {
  DW::SliceToDStr(s, dst, pos, count);
}
std::uint32_t PosStrInDStrW(const TDStringW* s, std::uint32_t high, const char16_t* text) {
  return DW::Find(s, text, Length(high, text), 0);
}
std::uint32_t NextPosStrInDStrW(const TDStringW* s, std::uint32_t high, const char16_t* text, std::uint32_t start) {
  return DW::Find(s, text, Length(high, text), start);
}
std::uint32_t PosDStrInDStrW(const TDStringW* s, const TDStringW* pattern) {
  return DW::Find(s, DW::Chars(pattern), DW::Len(pattern), 0);
}
std::uint32_t NextPosDStrInDStrW(const TDStringW* s, const TDStringW* pattern, std::uint32_t start) {
  return DW::Find(s, DW::Chars(pattern), DW::Len(pattern), start);
}
std::uint32_t CountW(const TDStringW* s, char16_t c) { return DW::Count(s, c); }
int CompareDStrToStrW(const TDStringW* s, std::uint32_t high, const char16_t* text) {
  return DW::Compare(DW::Chars(s), DW::Len(s), text, Length(high, text));
}
int CompareDStrToDStrW(const TDStringW* a, const TDStringW* b) {
  return DW::Compare(DW::Chars(a), DW::Len(a), DW::Chars(b), DW::Len(b));
}
int LocaleCompareW(const TDStringW* a, const TDStringW* b) {
  return LocaleCompare<TDStringW, char16_t>(a, b, Str::LocaleCompareW);
}
int LocaleCompareCaseInsensitiveW(const TDStringW* a, const TDStringW* b) {
  return LocaleCompare<TDStringW, char16_t>(a, b, Str::LocaleCompareCaseInsensitiveW);
}
bool EmptyDStrW(const TDStringW* s) { return DW::Len(s) == 0; }
void EnsureDStrLenW(TDStringW*& s, std::uint32_t capacity, char16_t*& address, std::uint32_t& length) {
  DW::EnsureLen(s, capacity, address, length);
}
void EnsureDStrZeroEndW(TDStringW*& s, char16_t*& address, std::uint32_t& length) {
  DW::EnsureZeroEnd(s, address, length);
}
void GetDStrAddrLenW(TDStringW* s, char16_t*& address, std::uint32_t& length) {
  address = s ? s->chars() : nullptr;
  length = DW::Len(s);
}
void GetDStrAddrLenW(const TDStringW* s, const char16_t*& address, std::uint32_t& length) {
  address = DW::Chars(s);
  length = DW::Len(s);
}
void ItemSDStrToStrW(const TDStringW* s, std::uint32_t high, char16_t* dst, std::uint32_t sepHigh, const char16_t* seps,
                     std::uint32_t item) {
  DW::ItemToArray(s, high, dst, sepHigh, seps, item);
}
void ItemSDStrToDStrW(const TDStringW* s, TDStringW*& dst, const TDStringW* seps, std::uint32_t item) {
  DW::ItemToDStr(s, dst, seps, item);
}

double DStrToLongRealW(const TDStringW* s) {
  char16_t text[kNumberChars] = {};
  DW::CopyToArray(kNumberChars - 1, text, s);
  bool ok = false;
  const double v = Str::StrToRealW(kNumberChars - 1, text, ok);
  return ok ? v : 0.0;
}

void LongRealToDStrW(double value, TDStringW*& s) {
  char16_t text[kNumberChars] = {};
  bool ok = false;
  Str::CorrectedRealToStrW(value, 15, false, kNumberChars - 1, text, ok);
  if (ok) CopyStrToDStrW(s, kNumberChars - 1, text);
  else DW::Free(s);
}

// ---- conversions -----------------------------------------------------------

void A2U(const TDStringA* src, TDStringW*& dst) {
  const std::uint32_t n = DA::Len(src);
  if (n == 0) {
    DW::Free(dst);
    return;
  }
  DW::Reserve(dst, n);  // UTF-16 never needs more units than UTF-8 bytes
  dst->length = Str::A2UP(src->chars(), n, dst->chars(), dst->capacity);
}

void U2A(const TDStringW* src, TDStringA*& dst) {
  const std::uint32_t n = DW::Len(src);
  if (n == 0) {
    DA::Free(dst);
    return;
  }
  DA::Reserve(dst, 3 * n);  // at most three UTF-8 bytes per unit
  dst->length = Str::U2AP(src->chars(), n, dst->chars(), dst->capacity);
}

bool CreateUFromTA(const TDStringA* src, TDStringW*& dst) {
  A2U(src, dst);
  return dst != nullptr;
}

bool CreateTFromUA(const TDStringW* src, TDStringA*& dst) {
  U2A(src, dst);
  return dst != nullptr;
}

bool CreateAFromTA(TDStringA* src, TDStringA*& dst) {
  dst = src;
  return false;
}

bool CreateTFromAA(TDStringA* src, TDStringA*& dst) {
  dst = src;
  return false;
}

}  // namespace vdstr
