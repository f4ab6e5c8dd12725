// Str: fixed-size strings, character sets, code-page conversion and the
// conversion of numbers to and from text.
//
// A string argument is a pair (high, pointer): high is the highest valid
// index of the array (its capacity minus one), never the current length.
// The content runs to the first NUL; an array filled to its last element
// carries no NUL and then holds high + 1 characters. Every function stops at
// the first NUL or at high + 1 characters and never writes beyond index high;
// a result that does not fit is cut, and a NUL follows it only when there is
// room. A null pointer reads as the empty string.
//
// Each operation exists for 8-bit text (suffix A, UTF-8 as the system code
// page) and for 16-bit text (suffix W, UTF-16 on char16_t) with the same rules.
// Positions are 0-based; a search that finds nothing returns NotFound.
// Nothing throws; number conversions report through an ok flag and still
// return or write what they produced.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Str {

// Result of a search that found nothing.
inline constexpr uint32_t NotFound = 0xFFFFFFFFu;

// A set of character codes 0..255, one bit per code (32 bytes).
struct TCharSet {
  uint8_t bits[32] = {};

  void Include(unsigned code) { if (code < 256) bits[code >> 3] |= uint8_t(1u << (code & 7)); }
  void Exclude(unsigned code) { if (code < 256) bits[code >> 3] &= uint8_t(~(1u << (code & 7))); }
  bool Contains(unsigned code) const { return code < 256 && (bits[code >> 3] >> (code & 7)) & 1u; }
};

// Position and length of a match found by FindSubStrA/W.
struct PosLen {
  uint32_t pos = NotFound;
  uint32_t len = 0;
};

// Module start-up: installs the default case tables. Counts its calls and
// acts on the first only.
void InitModule();

// Replaces the two 256-byte translation tables of the 8-bit case mapping:
// upper maps a byte to its upper case, lower to its lower case.
void SetTabs(const uint8_t upper[256], const uint8_t lower[256]);

// The set {space, tab, CR, LF}: the characters the trim functions remove.
TCharSet BlankSet();
// The set of the characters of a string (codes above 255 are ignored).
TCharSet MakeSetA(uint32_t h, const char* chars);
TCharSet MakeSetW(uint32_t h, const char16_t* chars);

// ---- Length, copying, editing -------------------------------------------

// Number of characters: up to the first NUL, or high + 1.
uint32_t LengthA(uint32_t h, const char* s);
uint32_t LengthW(uint32_t h, const char16_t* s);

// d <- s, cut to dh + 1 characters. Overlapping arrays are allowed.
void CopyA(uint32_t dh, char* d, uint32_t sh, const char* s);
void CopyW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s);

// Appends s to the content of d as far as it fits.
void AppendA(uint32_t dh, char* d, uint32_t sh, const char* s);
void AppendW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s);

// Inserts s before the content of d; when s alone fills d, d becomes s cut.
void PrependA(uint32_t dh, char* d, uint32_t sh, const char* s);
void PrependW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s);

// d <- s1 followed by s2, cut to fit. Either source may be d itself.
void ConcatA(uint32_t dh, char* d, uint32_t h1, const char* s1, uint32_t h2, const char* s2);
void ConcatW(uint32_t dh, char16_t* d, uint32_t h1, const char16_t* s1, uint32_t h2,
             const char16_t* s2);

// Inserts s at pos (beyond the end: at the end); characters pushed past dh
// are lost.
void InsertA(uint32_t dh, char* d, uint32_t sh, const char* s, uint32_t pos);
void InsertW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s, uint32_t pos);

// Removes n characters from pos; n = 0 or pos >= length change nothing, an n
// reaching the end truncates.
void DeleteA(uint32_t h, char* s, uint32_t pos, uint32_t n);
void DeleteW(uint32_t h, char16_t* s, uint32_t pos, uint32_t n);

// d <- the n characters of s from pos (pos >= length: empty), cut to fit.
void SliceA(uint32_t dh, char* d, uint32_t sh, const char* s, uint32_t pos, uint32_t n);
void SliceW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s, uint32_t pos, uint32_t n);

// Replaces the first occurrence of oldText in s by newText (cut to fit);
// false when oldText does not occur.
bool SubstA(uint32_t h, char* s, uint32_t h1, const char* oldText, uint32_t h2,
            const char* newText);
bool SubstW(uint32_t h, char16_t* s, uint32_t h1, const char16_t* oldText, uint32_t h2,
            const char16_t* newText);

// ---- Searching ------------------------------------------------------------

// First position of p in s; an empty p is found at 0 in a non-empty s.
uint32_t PosA(uint32_t h, const char* s, uint32_t ph, const char* p);
uint32_t PosW(uint32_t h, const char16_t* s, uint32_t ph, const char16_t* p);

// First position of p in s that is >= from.
uint32_t NextPosA(uint32_t h, const char* s, uint32_t ph, const char* p, uint32_t from);
uint32_t NextPosW(uint32_t h, const char16_t* s, uint32_t ph, const char16_t* p, uint32_t from);

// Position and length of the first match of p at or after from; false when
// there is none (match is then {NotFound, 0}).
bool FindSubStrA(uint32_t h, const char* s, uint32_t ph, const char* p, uint32_t from,
                 PosLen& match);
bool FindSubStrW(uint32_t h, const char16_t* s, uint32_t ph, const char16_t* p, uint32_t from,
                 PosLen& match);

// First, last and next (>= from) position of a character.
uint32_t CharPosA(uint32_t h, const char* s, char c);
uint32_t CharPosW(uint32_t h, const char16_t* s, char16_t c);
uint32_t RCharPosA(uint32_t h, const char* s, char c);
uint32_t RCharPosW(uint32_t h, const char16_t* s, char16_t c);
uint32_t NextCharPosA(uint32_t h, const char* s, char c, uint32_t from);
uint32_t NextCharPosW(uint32_t h, const char16_t* s, char16_t c, uint32_t from);

// Number of occurrences of a character.
uint32_t CountA(uint32_t h, const char* s, char c);
uint32_t CountW(uint32_t h, const char16_t* s, char16_t c);

// ---- Comparison -----------------------------------------------------------

// -1, 0 or 1 by unsigned character values; a proper prefix is smaller.
int CompareA(uint32_t h1, const char* a, uint32_t h2, const char* b);
int CompareW(uint32_t h1, const char16_t* a, uint32_t h2, const char16_t* b);
bool SameA(uint32_t h1, const char* a, uint32_t h2, const char* b);
bool SameW(uint32_t h1, const char16_t* a, uint32_t h2, const char16_t* b);

// -1, 0 or 1 by the collation of the user's locale (LC_COLLATE of the
// process); the second form ignores case.
int LocaleCompareA(uint32_t h1, const char* a, uint32_t h2, const char* b);
int LocaleCompareW(uint32_t h1, const char16_t* a, uint32_t h2, const char16_t* b);
int LocaleCompareCaseInsensitiveA(uint32_t h1, const char* a, uint32_t h2, const char* b);
int LocaleCompareCaseInsensitiveW(uint32_t h1, const char16_t* a, uint32_t h2,
                                  const char16_t* b);

// ---- Case, trimming, padding ---------------------------------------------

// Upper/lower case of one character. The A forms use the 8-bit tables
// (ASCII letters by default); the W forms map Unicode letters, diacritics
// included.
char CapA(char c);
char LowA(char c);
char16_t CapW(char16_t c);
char16_t LowW(char16_t c);

// Upper/lower case of a whole string in place. The A forms map single bytes
// through the tables and letters written as UTF-8 sequences as Unicode
// letters (when the case partner has the same encoded length).
void CapsA(uint32_t h, char* s);
void CapsW(uint32_t h, char16_t* s);
void LowsA(uint32_t h, char* s);
void LowsW(uint32_t h, char16_t* s);

// Remove leading/trailing/both space, tab, CR and LF (exactly these four).
void LTrimA(uint32_t h, char* s);
void LTrimW(uint32_t h, char16_t* s);
void RTrimA(uint32_t h, char* s);
void RTrimW(uint32_t h, char16_t* s);
void TrimA(uint32_t h, char* s);
void TrimW(uint32_t h, char16_t* s);

// Pad with c on the left/right to length n (at most high + 1).
void LPadChA(uint32_t h, char* s, uint32_t n, char c);
void LPadChW(uint32_t h, char16_t* s, uint32_t n, char16_t c);
void RPadChA(uint32_t h, char* s, uint32_t n, char c);
void RPadChW(uint32_t h, char16_t* s, uint32_t n, char16_t c);

// ---- Wildcards and fields -------------------------------------------------

// Wildcard match of s against pattern: "*" any sequence (also empty), "?" any
// one character; an empty pattern matches everything. MatchA/W ignore case,
// MatchCSA/W do not. The A forms treat a UTF-8 sequence as one character.
bool MatchA(uint32_t h, const char* s, uint32_t ph, const char* pattern);
bool MatchW(uint32_t h, const char16_t* s, uint32_t ph, const char16_t* pattern);
bool MatchCSA(uint32_t h, const char* s, uint32_t ph, const char* pattern);
bool MatchCSW(uint32_t h, const char16_t* s, uint32_t ph, const char16_t* pattern);

// d <- the n-th (0-based) field of s; fields are separated by runs of
// characters of the set, separators at the start are skipped. A missing
// field gives the empty string and false.
bool ItemA(uint32_t dh, char* d, uint32_t sh, const char* s, const TCharSet& set, uint32_t n);
bool ItemW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s, const TCharSet& set,
           uint32_t n);
// The same with the separators given as a string of characters.
bool ItemSA(uint32_t dh, char* d, uint32_t sh, const char* s, uint32_t seph, const char* seps,
            uint32_t n);
bool ItemSW(uint32_t dh, char16_t* d, uint32_t sh, const char16_t* s, uint32_t seph,
            const char16_t* seps, uint32_t n);

// ---- Other string forms ---------------------------------------------------

// Copies s into a NUL-terminated string. False when d cannot hold the text
// and its terminator; d then holds the text cut to dh characters, terminated.
bool StrToCA(uint32_t h, const char* s, uint32_t dh, char* d);
bool StrToCW(uint32_t h, const char16_t* s, uint32_t dh, char16_t* d);

// Copies s into a length-prefixed string (first element = length, at most
// 255 for A, 65535 for W). False when it does not fit; the length is then 0.
bool StrToPasA(uint32_t h, const char* s, uint32_t dh, char* d);
bool StrToPasW(uint32_t h, const char16_t* s, uint32_t dh, char16_t* d);

// ---- Code-page conversion ---------------------------------------------------
// 8-bit text is UTF-8; text that is not valid UTF-8 (older files) is read as
// Windows-1252. 16-bit text is UTF-16; an unpaired surrogate is written to
// UTF-8 as U+FFFD. Results are cut at a character boundary.

// (high, pointer) pairs on both sides; a NUL follows when there is room.
void A2U(uint32_t sh, const char* s, uint32_t dh, char16_t* d);
void U2A(uint32_t sh, const char16_t* s, uint32_t dh, char* d);
// Counted forms: convert exactly `count` source units (NULs included) into
// at most `capacity` destination units, add no NUL, return the units written.
uint32_t A2UP(const char* s, uint32_t count, char16_t* d, uint32_t capacity);
uint32_t U2AP(const char16_t* s, uint32_t count, char* d, uint32_t capacity);
// NUL-terminated source, (high, pointer) destination.
void C_A2U(const char* s, uint32_t dh, char16_t* d);
void C_U2A(const char16_t* s, uint32_t dh, char* d);

// Whether a byte buffer is valid UTF-8 (shortest forms only, no surrogates,
// nothing above U+10FFFF). The empty buffer is valid.
bool IsUTF8(const void* buffer, size_t size);

// ---- Numbers to text --------------------------------------------------------
// Digits are "0123456789ABCDEF"; a base outside 2..16 is clamped. ok is 0 when
// the text did not fit (what fitted is written).

void IntToStrA(int32_t value, uint32_t h, char* d, uint32_t base, bool& ok);
void IntToStrW(int32_t value, uint32_t h, char16_t* d, uint32_t base, bool& ok);
void CardToStrA(uint32_t value, uint32_t h, char* d, uint32_t base, bool& ok);
void CardToStrW(uint32_t value, uint32_t h, char16_t* d, uint32_t base, bool& ok);
void Int64ToStrA(int64_t value, uint32_t h, char* d, uint32_t base, bool& ok);
void Int64ToStrW(int64_t value, uint32_t h, char16_t* d, uint32_t base, bool& ok);
void Card64ToStrA(uint64_t value, uint32_t h, char* d, uint32_t base, bool& ok);
void Card64ToStrW(uint64_t value, uint32_t h, char16_t* d, uint32_t base, bool& ok);
void IntPtrToStrA(intptr_t value, uint32_t h, char* d, uint32_t base, bool& ok);
void IntPtrToStrW(intptr_t value, uint32_t h, char16_t* d, uint32_t base, bool& ok);
void CardPtrToStrA(uintptr_t value, uint32_t h, char* d, uint32_t base, bool& ok);
void CardPtrToStrW(uintptr_t value, uint32_t h, char16_t* d, uint32_t base, bool& ok);

// Fixed point with the C library's rounding ("%.0f", or "%#.<n>f" which keeps
// the point). NaN leaves d unchanged with ok = 0; a cut rendering may lack
// its NUL.
void FixRealToStrA(double value, uint32_t decimals, uint32_t h, char* d, bool& ok);
void FixRealToStrW(double value, uint32_t decimals, uint32_t h, char16_t* d, bool& ok);

// Fixed point rounded in decimal (half up on the 17-decimal rendering), so
// 0.125 with 2 decimals gives 0.13; decimals are limited to 17.
void CorrFixRealToStrA(double value, uint32_t decimals, uint32_t h, char* d, bool& ok);
void CorrFixRealToStrW(double value, uint32_t decimals, uint32_t h, char16_t* d, bool& ok);

// Scientific notation with up to 17 significant digits, trailing zeros
// removed and a short exponent (1234.5 -> 1.2345E+3); with engineering set
// the exponent is a multiple of three (1.234E-4 -> 123.4E-6).
void RealToStrA(double value, uint32_t digits, bool engineering, uint32_t h, char* d, bool& ok);
void RealToStrW(double value, uint32_t digits, bool engineering, uint32_t h, char16_t* d,
                bool& ok);

// The shortest readable form with up to 15 significant digits: fixed point
// for small fractions (0.001234), "%G" otherwise (1234.5, 100, 1.5E+20).
void CorrectedRealToStrA(double value, uint32_t digits, bool engineering, uint32_t h, char* d,
                         bool& ok);
void CorrectedRealToStrW(double value, uint32_t digits, bool engineering, uint32_t h,
                         char16_t* d, bool& ok);

// Fixed point with the decimal point and digit grouping of the user's locale
// (LC_NUMERIC of the process). A negative count of decimals uses 2.
void LocaleFixRealToStrA(double value, int32_t decimals, uint32_t h, char* d, bool& ok);
void LocaleFixRealToStrW(double value, int32_t decimals, uint32_t h, char16_t* d, bool& ok);

// ---- Text to numbers ----------------------------------------------------------
// An optional sign, then digits up to the first NUL or the array's end
// ("a".."f" count as "A".."F"). ok is 0 for a character that is no digit (the
// scan stops), a digit not below the base, an overflow (the wrapped value is
// kept), a sign without digits, "-" in the Card forms, or a magnitude that
// does not fit the signed type. The empty text gives 0 with ok = 1.

int32_t StrToIntA(uint32_t h, const char* s, uint32_t base, bool& ok);
int32_t StrToIntW(uint32_t h, const char16_t* s, uint32_t base, bool& ok);
uint32_t StrToCardA(uint32_t h, const char* s, uint32_t base, bool& ok);
uint32_t StrToCardW(uint32_t h, const char16_t* s, uint32_t base, bool& ok);
int64_t StrToInt64A(uint32_t h, const char* s, uint32_t base, bool& ok);
int64_t StrToInt64W(uint32_t h, const char16_t* s, uint32_t base, bool& ok);
uint64_t StrToCard64A(uint32_t h, const char* s, uint32_t base, bool& ok);
uint64_t StrToCard64W(uint32_t h, const char16_t* s, uint32_t base, bool& ok);
intptr_t StrToIntPtrA(uint32_t h, const char* s, uint32_t base, bool& ok);
intptr_t StrToIntPtrW(uint32_t h, const char16_t* s, uint32_t base, bool& ok);
uintptr_t StrToCardPtrA(uint32_t h, const char* s, uint32_t base, bool& ok);
uintptr_t StrToCardPtrW(uint32_t h, const char16_t* s, uint32_t base, bool& ok);

// [+|-] digits [. digits] [(E|e) [+|-] digits], no spaces; either digit run may
// be empty and the empty text gives 0. Anything else gives 0 with ok = 0.
double StrToRealA(uint32_t h, const char* s, bool& ok);
double StrToRealW(uint32_t h, const char16_t* s, bool& ok);

}  // namespace Str
