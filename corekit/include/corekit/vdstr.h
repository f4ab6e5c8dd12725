// Growable strings in one heap block: capacity, length, then the characters.
//
// A string is handled as a pointer to its block; a null pointer and a block
// of length 0 are both the empty string. Operations that may grow a string
// take the pointer by reference. Blocks come from Storage; a block grows to
// exactly the length needed and never shrinks except when freed. Text is not
// zero-terminated unless EnsureDStrZeroEnd made it so.
//
// Fixed arrays follow the runbase convention: (highest index, pointer); the
// text ends at the first zero or at the end of the array. "Not found" is
// kNotFound (all 32 bits set); a count of kToEnd means "to the end".
#pragma once

#include <cstdint>

namespace vdstr {

struct TDStringA {
  std::uint32_t capacity;  // characters the block can hold
  std::uint32_t length;    // characters in use
  char* chars() { return reinterpret_cast<char*>(this + 1); }
  const char* chars() const { return reinterpret_cast<const char*>(this + 1); }
};

struct TDStringW {
  std::uint32_t capacity;
  std::uint32_t length;
  char16_t* chars() { return reinterpret_cast<char16_t*>(this + 1); }
  const char16_t* chars() const { return reinterpret_cast<const char16_t*>(this + 1); }
};

static_assert(sizeof(TDStringA) == 8 && sizeof(TDStringW) == 8);

inline constexpr std::uint32_t kNotFound = 0xFFFFFFFFu;
inline constexpr std::uint32_t kToEnd = 0xFFFFFFFFu;

// ---- 8-bit strings --------------------------------------------------------
void FreeDStrA(TDStringA*& s);
void AllocDStrA(TDStringA*& s, std::uint32_t capacity);    // old pointer overwritten
void ReAllocDStrA(TDStringA*& s, std::uint32_t capacity);  // exactly that capacity, length kept
void AllocDStrCopyA(TDStringA*& s, const TDStringA* src);  // null source: null
void CopyStrToDStrA(TDStringA*& s, std::uint32_t high, const char* text);
void CopyDStrToDStrA(TDStringA*& s, const TDStringA* src);  // null source frees s
void CopyBufferToDStrA(TDStringA*& s, const void* bytes, std::uint32_t count);
void CopyDStrToStrA(std::uint32_t high, char* dst, const TDStringA* s);
void AppendStrToDStrA(TDStringA*& s, std::uint32_t high, const char* text);
void AppendDStrToDStrA(TDStringA*& s, const TDStringA* src);
void PrependStrToDStrA(TDStringA*& s, std::uint32_t high, const char* text);
void PrependDStrToDStrA(TDStringA*& s, const TDStringA* src);
void InsertStrToDStrA(TDStringA*& s, std::uint32_t high, const char* text, std::uint32_t pos);
void InsertDStrToDStrA(TDStringA*& s, const TDStringA* src, std::uint32_t pos);
void DeleteDStrRangeA(TDStringA* s, std::uint32_t pos, std::uint32_t count);
void ReplaceStrInDStrA(TDStringA*& s, std::uint32_t high, const char* text, std::uint32_t pos, std::uint32_t count);
void ReplaceDStrInDStrA(TDStringA*& s, const TDStringA* src, std::uint32_t pos, std::uint32_t count);
void SliceDStrToStrA(const TDStringA* s, std::uint32_t high, char* dst, std::uint32_t pos, std::uint32_t count);
void SliceDStrToDStrA(const TDStringA* s, TDStringA*& dst, std::uint32_t pos, std::uint32_t count);
std::uint32_t PosStrInDStrA(const TDStringA* s, std::uint32_t high, const char* text);
std::uint32_t NextPosStrInDStrA(const TDStringA* s, std::uint32_t high, const char* text, std::uint32_t start);
std::uint32_t PosDStrInDStrA(const TDStringA* s, const TDStringA* pattern);
std::uint32_t NextPosDStrInDStrA(const TDStringA* s, const TDStringA* pattern, std::uint32_t start);
std::uint32_t CountA(const TDStringA* s, char c);
int CompareDStrToStrA(const TDStringA* s, std::uint32_t high, const char* text);  // -1, 0, 1 by unsigned bytes
int CompareDStrToDStrA(const TDStringA* a, const TDStringA* b);
int LocaleCompareA(const TDStringA* a, const TDStringA* b);  // collation of the user's locale
int LocaleCompareCaseInsensitiveA(const TDStringA* a, const TDStringA* b);
bool EmptyDStrA(const TDStringA* s);
void EnsureDStrLenA(TDStringA*& s, std::uint32_t capacity, char*& address, std::uint32_t& length);
void EnsureDStrZeroEndA(TDStringA*& s, char*& address, std::uint32_t& length);
void GetDStrAddrLenA(TDStringA* s, char*& address, std::uint32_t& length);
void GetDStrAddrLenA(const TDStringA* s, const char*& address, std::uint32_t& length);
void ItemSDStrToStrA(const TDStringA* s, std::uint32_t high, char* dst, std::uint32_t sepHigh, const char* seps,
                     std::uint32_t item);
void ItemSDStrToDStrA(const TDStringA* s, TDStringA*& dst, const TDStringA* seps, std::uint32_t item);
double DStrToLongRealA(const TDStringA* s);         // 0 when not a number
void LongRealToDStrA(double value, TDStringA*& s);  // 15 significant digits

// ---- 16-bit (UTF-16) strings ---------------------------------------------
void FreeDStrW(TDStringW*& s);
void AllocDStrW(TDStringW*& s, std::uint32_t capacity);
void ReAllocDStrW(TDStringW*& s, std::uint32_t capacity);
void AllocDStrCopyW(TDStringW*& s, const TDStringW* src);
void CopyStrToDStrW(TDStringW*& s, std::uint32_t high, const char16_t* text);
void CopyDStrToDStrW(TDStringW*& s, const TDStringW* src);
void CopyBufferToDStrW(TDStringW*& s, const char16_t* units, std::uint32_t count);
void CopyDStrToStrW(std::uint32_t high, char16_t* dst, const TDStringW* s);
void AppendStrToDStrW(TDStringW*& s, std::uint32_t high, const char16_t* text);
void AppendDStrToDStrW(TDStringW*& s, const TDStringW* src);
void PrependStrToDStrW(TDStringW*& s, std::uint32_t high, const char16_t* text);
void PrependDStrToDStrW(TDStringW*& s, const TDStringW* src);
void InsertStrToDStrW(TDStringW*& s, std::uint32_t high, const char16_t* text, std::uint32_t pos);
void InsertDStrToDStrW(TDStringW*& s, const TDStringW* src, std::uint32_t pos);
void DeleteDStrRangeW(TDStringW* s, std::uint32_t pos, std::uint32_t count);
void ReplaceStrInDStrW(TDStringW*& s, std::uint32_t high, const char16_t* text, std::uint32_t pos, std::uint32_t count);
void ReplaceDStrInDStrW(TDStringW*& s, const TDStringW* src, std::uint32_t pos, std::uint32_t count);
void SliceDStrToStrW(const TDStringW* s, std::uint32_t high, char16_t* dst, std::uint32_t pos, std::uint32_t count);
void SliceDStrToDStrW(const TDStringW* s, TDStringW*& dst, std::uint32_t pos, std::uint32_t count);
std::uint32_t PosStrInDStrW(const TDStringW* s, std::uint32_t high, const char16_t* text);
std::uint32_t NextPosStrInDStrW(const TDStringW* s, std::uint32_t high, const char16_t* text, std::uint32_t start);
std::uint32_t PosDStrInDStrW(const TDStringW* s, const TDStringW* pattern);
std::uint32_t NextPosDStrInDStrW(const TDStringW* s, const TDStringW* pattern, std::uint32_t start);
std::uint32_t CountW(const TDStringW* s, char16_t c);
int CompareDStrToStrW(const TDStringW* s, std::uint32_t high, const char16_t* text);
int CompareDStrToDStrW(const TDStringW* a, const TDStringW* b);
int LocaleCompareW(const TDStringW* a, const TDStringW* b);
int LocaleCompareCaseInsensitiveW(const TDStringW* a, const TDStringW* b);
bool EmptyDStrW(const TDStringW* s);
void EnsureDStrLenW(TDStringW*& s, std::uint32_t capacity, char16_t*& address, std::uint32_t& length);
void EnsureDStrZeroEndW(TDStringW*& s, char16_t*& address, std::uint32_t& length);
void GetDStrAddrLenW(TDStringW* s, char16_t*& address, std::uint32_t& length);
void GetDStrAddrLenW(const TDStringW* s, const char16_t*& address, std::uint32_t& length);
void ItemSDStrToStrW(const TDStringW* s, std::uint32_t high, char16_t* dst, std::uint32_t sepHigh, const char16_t* seps,
                     std::uint32_t item);
void ItemSDStrToDStrW(const TDStringW* s, TDStringW*& dst, const TDStringW* seps, std::uint32_t item);
double DStrToLongRealW(const TDStringW* s);
void LongRealToDStrW(double value, TDStringW*& s);

// ---- conversions between the forms ----------------------------------------
// The 8-bit form is the system code page (UTF-8). An empty source frees the
// destination.
void A2U(const TDStringA* src, TDStringW*& dst);
void U2A(const TDStringW* src, TDStringA*& dst);
bool CreateUFromTA(const TDStringA* src, TDStringW*& dst);  // true when a string resulted
bool CreateTFromUA(const TDStringW* src, TDStringA*& dst);
bool CreateAFromTA(TDStringA* src, TDStringA*& dst);  // hands the pointer on, false
bool CreateTFromAA(TDStringA* src, TDStringA*& dst);  // hands the pointer on, false

}  // namespace vdstr
