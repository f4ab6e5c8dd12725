// Character-type independent core of the Str module: the A and W functions
// are thin wrappers around these templates.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "runbase/str.h"

namespace Str::core {

// Capacity of an array whose highest index is h.
inline size_t Cap(uint32_t h) { return size_t(h) + 1; }

template <class C>
size_t Len(uint32_t h, const C* s) {
  if (s == nullptr) return 0;
  const size_t cap = Cap(h);
  size_t n = 0;
  while (n < cap && s[n] != 0) ++n;
  return n;
}

// Writes n characters of src into (dh, d) as far as they fit, followed by a
// NUL when there is room. src may overlap d. Returns the characters written.
template <class C>
size_t Put(uint32_t dh, C* d, const C* src, size_t n) {
  if (d == nullptr) return 0;
  const size_t cap = Cap(dh);
  const size_t k = std::min(n, cap);
  if (k > 0 && src != d) std::memmove(d, src, k * sizeof(C));
  if (k < cap) d[k] = 0;
  return k;
}

template <class C>
bool Overlaps(const C* a, size_t an, const C* b, size_t bn) {
  return a != nullptr && b != nullptr && a < b + bn && b < a + an;
}

// Inserts n characters at pos of the content (length len) of (dh, d);
// characters pushed past dh are lost.
template <class C>
void InsertRaw(uint32_t dh, C* d, size_t len, const C* src, size_t n, size_t pos) {
  const size_t cap = Cap(dh);
  pos = std::min(pos, len);
  std::basic_string<C> copy;
  if (Overlaps(src, n, static_cast<const C*>(d), cap)) {
    copy.assign(src, n);
    src = copy.data();
  }
  const size_t tailTo = pos + n;
  if (tailTo < cap) std::memmove(d + tailTo, d + pos, std::min(len - pos, cap - tailTo) * sizeof(C));
  std::memmove(d + pos, src, std::min(n, cap - pos) * sizeof(C));
  const size_t end = std::min(len + n, cap);
  if (end < cap) d[end] = 0;
}

template <class C>
void Copy(uint32_t dh, C* d, uint32_t sh, const C* s) {
  Put(dh, d, s, Len(sh, s));
}

template <class C>
void Append(uint32_t dh, C* d, uint32_t sh, const C* s) {
  const size_t dl = Len(dh, d);
  const size_t sl = Len(sh, s);
  if (dl >= Cap(dh)) return;
  Put(uint32_t(dh - dl), d + dl, s, sl);
}

template <class C>
void Insert(uint32_t dh, C* d, uint32_t sh, const C* s, uint32_t pos) {
  if (d == nullptr) return;
  InsertRaw(dh, d, Len(dh, d), s, Len(sh, s), pos);
}

template <class C>
void Concat(uint32_t dh, C* d, uint32_t h1, const C* s1, uint32_t h2, const C* s2) {
  if (d == nullptr) return;
  const size_t l1 = Len(h1, s1);
  const size_t l2 = Len(h2, s2);
  std::basic_string<C> joined;
  joined.reserve(l1 + l2);
  if (l1) joined.append(s1, l1);
  if (l2) joined.append(s2, l2);
  Put(dh, d, joined.data(), joined.size());
}

template <class C>
void Delete(uint32_t h, C* s, uint32_t pos, uint32_t n) {
  const size_t len = Len(h, s);
  if (n == 0 || pos >= len) return;
  if (n >= len - pos) {
    s[pos] = 0;
    return;
  }
  std::memmove(s + pos, s + pos + n, (len - pos - n) * sizeof(C));
  s[len - n] = 0;
}

template <class C>
void Slice(uint32_t dh, C* d, uint32_t sh, const C* s, uint32_t pos, uint32_t n) {
  const size_t sl = Len(sh, s);
  if (pos >= sl) {
    Put<C>(dh, d, nullptr, 0);
    return;
  }
  Put(dh, d, s + pos, std::min<size_t>(n, sl - pos));
}

template <class C>
uint32_t NextPos(uint32_t h, const C* s, uint32_t ph, const C* p, uint32_t from) {
  const size_t sl = Len(h, s);
  const size_t pl = Len(ph, p);
  if (from >= sl) return NotFound;
  if (pl == 0) return from;
  for (size_t i = from; i + pl <= sl; ++i) {
    if (std::memcmp(s + i, p, pl * sizeof(C)) == 0) return uint32_t(i);
  }
  return NotFound;
}

template <class C>
bool Subst(uint32_t h, C* s, uint32_t h1, const C* oldText, uint32_t h2, const C* newText) {
  const uint32_t pos = NextPos(h, s, h1, oldText, 0);
  if (pos == NotFound) return false;
  Delete(h, s, pos, uint32_t(Len(h1, oldText)));
  Insert(h, s, h2, newText, pos);
  return true;
}

template <class C>
uint32_t NextCharPos(uint32_t h, const C* s, C c, uint32_t from) {
  const size_t sl = Len(h, s);
  for (size_t i = from; i < sl; ++i) {
    if (s[i] == c) return uint32_t(i);
  }
  return NotFound;
}

template <class C>
uint32_t RCharPos(uint32_t h, const C* s, C c) {
  for (size_t i = Len(h, s); i > 0; --i) {
    if (s[i - 1] == c) return uint32_t(i - 1);
  }
  return NotFound;
}

template <class C>
uint32_t Count(uint32_t h, const C* s, C c) {
  const size_t sl = Len(h, s);
  return c == 0 ? 0 : uint32_t(std::count(s, s + sl, c));
}

template <class C>
int Compare(uint32_t h1, const C* a, uint32_t h2, const C* b) {
  using U = std::make_unsigned_t<C>;
  const size_t la = Len(h1, a);
  const size_t lb = Len(h2, b);
  for (size_t i = 0; i < std::min(la, lb); ++i) {
    const U x = U(a[i]);
    const U y = U(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return la == lb ? 0 : (la < lb ? -1 : 1);
}

template <class C>
bool IsBlank(C c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

template <class C>
void RTrim(uint32_t h, C* s) {
  const size_t len = Len(h, s);
  size_t end = len;
  while (end > 0 && IsBlank(s[end - 1])) --end;
  if (end < len) s[end] = 0;
}

template <class C>
void LTrim(uint32_t h, C* s) {
  const size_t len = Len(h, s);
  size_t start = 0;
  while (start < len && IsBlank(s[start])) ++start;
  if (start > 0) Put(h, s, s + start, len - start);
}

template <class C>
void Pad(uint32_t h, C* s, uint32_t n, C c, bool left) {
  const size_t len = Len(h, s);
  const size_t target = std::min<size_t>(n, Cap(h));
  if (len >= target) return;
  const size_t fill = target - len;
  if (left) {
    std::memmove(s + fill, s, len * sizeof(C));
    std::fill(s, s + fill, c);
  } else {
    std::fill(s + len, s + target, c);
  }
  if (target < Cap(h)) s[target] = 0;
}

// Fields of s separated by runs of separator characters; leading separators
// are skipped.
template <class C, class IsSep>
bool Item(uint32_t dh, C* d, uint32_t sh, const C* s, uint32_t n, IsSep isSep) {
  const size_t sl = Len(sh, s);
  size_t i = 0;
  for (uint32_t field = 0;; ++field) {
    while (i < sl && isSep(s[i])) ++i;
    if (i >= sl) break;
    const size_t start = i;
    while (i < sl && !isSep(s[i])) ++i;
    if (field == n) {
      Put(dh, d, s + start, i - start);
      return true;
    }
  }
  Put<C>(dh, d, nullptr, 0);
  return false;
}

template <class C>
bool StrToC(uint32_t h, const C* s, uint32_t dh, C* d) {
  const size_t sl = Len(h, s);
  if (d == nullptr) return false;
  const size_t k = std::min<size_t>(sl, dh);
  if (s != d) std::memmove(d, s, k * sizeof(C));
  d[k] = 0;
  return k == sl;
}

template <class C>
bool StrToPas(uint32_t h, const C* s, uint32_t dh, C* d) {
  using U = std::make_unsigned_t<C>;
  const size_t sl = Len(h, s);
  if (d == nullptr) return false;
  const bool fits = sl <= size_t(U(~U(0))) && sl < Cap(dh);
  if (!fits) {
    d[0] = 0;
    return false;
  }
  std::memmove(d + 1, s, sl * sizeof(C));
  d[0] = C(sl);
  return true;
}

// Wildcard match over code sequences. Same answers as the recursive
// definition ("*" tries every suffix in turn), but backtracks only to the
// latest "*", so hostile patterns cannot make it exponential.
template <class T, class Eq>
bool Match(const T* s, size_t sl, const T* p, size_t pl, Eq eq) {
  if (pl == 0) return true;
  size_t si = 0, pi = 0;
  size_t starP = size_t(-1), starS = 0;
  while (si < sl) {
    if (pi < pl && p[pi] == T('*')) {
      starP = pi++;
      starS = si;
    } else if (pi < pl && (p[pi] == T('?') || eq(p[pi], s[si]))) {
      ++pi;
      ++si;
    } else if (starP != size_t(-1)) {
      pi = starP + 1;
      si = ++starS;
    } else {
      return false;
    }
  }
  while (pi < pl && p[pi] == T('*')) ++pi;
  return pi == pl;
}

}  // namespace Str::core
