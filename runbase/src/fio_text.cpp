// FIO: reading and writing text on a handle.
#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "fio_sys.h"
#include "runbase/fixed_text.h"
#include "runbase/fio.h"
#include "runbase/str.h"

namespace FIO {

constexpr std::uint8_t kCtrlZ = 26;

// The separator set {tab, LF, CR, Ctrl-Z, space} as 32 bytes of bits.
#define FIO_DEFAULT_SEPARATORS {0x00, 0x26, 0x00, 0x04, 0x01}

char EOLA = '\n';
char16_t EOLW = u'\n';
char PrefixCharA = ' ';
char16_t PrefixCharW = u' ';
char SuffixCharA = ' ';
char16_t SuffixCharW = u' ';
std::uint8_t ChopOff = 0;
std::uint8_t Eng = 0;
std::uint8_t SeparatorsA[32] = FIO_DEFAULT_SEPARATORS;
std::uint8_t SeparatorsW[32] = FIO_DEFAULT_SEPARATORS;
#undef FIO_DEFAULT_SEPARATORS

namespace {

// Reads one character unit; false at the end of the file or on an error.
template <class C>
bool ReadUnit(File f, C& c) {
  const int fd = sys::Fd(f);
  if (fd < 0) {
    errno = EBADF;
    return false;
  }
  c = 0;
  return sys::ReadAll(fd, &c, sizeof c) == sizeof c;
}

template <class C>
void WriteUnits(File f, const C* units, std::size_t count) {
  const int fd = sys::Fd(f);
  if (fd < 0) {
    errno = EBADF;
    return;
  }
  sys::WriteAll(fd, units, count * sizeof(C));
}

// One line into (high, buffer); see RdStrA.
template <class C>
void ReadLine(File f, std::uint32_t high, C* buffer, C eol) {
  ClearIOresult();
  if (buffer == nullptr) return;
  const std::uint64_t capacity = std::uint64_t(high) + 1;
  std::uint64_t stored = 0;
  C c = 0;
  while (stored < capacity) {
    if (!ReadUnit(f, c)) {
      // Past the end every character reads as 0: the rest of the array is NUL.
      std::fill(buffer + stored, buffer + capacity, C(0));
      return;
    }
    if (c == C(kCtrlZ) || c == eol) {
      buffer[stored] = 0;
      return;
    }
    if (c == C('\r') || c == C('\n')) continue;
    buffer[stored++] = c;
  }
}

bool IsSeparator(char c) {
  const auto code = static_cast<unsigned char>(c);
  return (SeparatorsA[code >> 3] >> (code & 7)) & 1u;
}

// Writes text padded or cut to the field described by width.
void WriteAdjusted(File f, std::string_view text, std::int32_t width) {
  const std::size_t field = width < 0 ? std::size_t(-std::int64_t(width)) : std::size_t(width);
  if (ChopOff != 0 && text.size() > field) text = text.substr(0, field);
  const std::size_t pad = field > text.size() ? field - text.size() : 0;
  std::string out;
  out.reserve(text.size() + pad);
  if (width > 0) out.append(pad, PrefixCharA);
  out.append(text);
  if (width < 0) out.append(pad, SuffixCharA);
  WriteUnits(f, out.data(), out.size());
}

constexpr std::uint32_t kNumberHigh = 95;   // room for any number rendering

template <class Convert>
void WriteNumber(File f, std::int32_t width, Convert convert) {
  ClearIOresult();
  char text[kNumberHigh + 1] = {};
  bool ok = false;
  convert(text, ok);
  WriteAdjusted(f, FixedText::View(kNumberHigh, text), width);
}

// Reads an item into a number buffer; false when there is none.
bool ReadNumberItem(File f, char (&item)[kNumberHigh + 1]) {
  RdItemA(f, kNumberHigh, item);
  return item[0] != 0;
}

template <class T>
T ReadInteger(File f, bool& ok, std::uint32_t base) {
  char item[kNumberHigh + 1];
  ok = ReadNumberItem(f, item);
  if (!ok) return 0;
  if constexpr (std::numeric_limits<T>::is_signed) {
    const std::int32_t v = Str::StrToIntA(kNumberHigh, item, base, ok);
    if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) ok = false;
    return T(v);
  } else {
    const std::uint32_t v = Str::StrToCardA(kNumberHigh, item, base, ok);
    if (v > std::numeric_limits<T>::max()) ok = false;
    return T(v);
  }
}

double ReadReal(File f, bool& ok) {
  char item[kNumberHigh + 1];
  ok = ReadNumberItem(f, item);
  return ok ? Str::StrToRealA(kNumberHigh, item, ok) : 0.0;
}

}  // namespace

void RdStrA(File f, std::uint32_t high, char* buffer) { ReadLine(f, high, buffer, EOLA); }
void RdStrW(File f, std::uint32_t high, char16_t* buffer) { ReadLine(f, high, buffer, EOLW); }

char RdCharA(File f) {
  ClearIOresult();
  char c = 0;
  return ReadUnit(f, c) ? c : 0;
}

char16_t RdCharW(File f) {
  ClearIOresult();
  char16_t c = 0;
  return ReadUnit(f, c) ? c : 0;
}

void RdItemA(File f, std::uint32_t high, char* buffer) {
  ClearIOresult();
  if (buffer == nullptr) return;
  char c = 0;
  bool more = ReadUnit(f, c);
  while (more && IsSeparator(c)) more = ReadUnit(f, c);
  std::uint64_t stored = 0;
  while (more && !IsSeparator(c)) {
    if (stored <= high) buffer[stored] = c;   // characters past the array are dropped
    ++stored;
    more = ReadUnit(f, c);
  }
  if (stored <= high) buffer[stored] = 0;
}

std::int8_t RdInt8A(File f, bool& ok) { return ReadInteger<std::int8_t>(f, ok, 10); }
std::int16_t RdInt16A(File f, bool& ok) { return ReadInteger<std::int16_t>(f, ok, 10); }
std::int32_t RdInt32A(File f, bool& ok) { return ReadInteger<std::int32_t>(f, ok, 10); }
std::uint8_t RdCard8A(File f, bool& ok) { return ReadInteger<std::uint8_t>(f, ok, 10); }
std::uint16_t RdCard16A(File f, bool& ok) { return ReadInteger<std::uint16_t>(f, ok, 10); }
std::uint32_t RdCard32A(File f, bool& ok) { return ReadInteger<std::uint32_t>(f, ok, 10); }
std::uint8_t RdHex8A(File f, bool& ok) { return ReadInteger<std::uint8_t>(f, ok, 16); }
std::uint16_t RdHex16A(File f, bool& ok) { return ReadInteger<std::uint16_t>(f, ok, 16); }
std::uint32_t RdHex32A(File f, bool& ok) { return ReadInteger<std::uint32_t>(f, ok, 16); }

float RdRealA(File f, bool& ok) {
  const double v = ReadReal(f, ok);
  if (std::isfinite(v) && std::fabs(v) > FLT_MAX) ok = false;
  return float(v);
}

double RdLngRealA(File f, bool& ok) { return ReadReal(f, ok); }

bool RdBoolA(File f, bool& ok) {
  char item[kNumberHigh + 1];
  ok = ReadNumberItem(f, item);
  if (!ok) return false;
  Str::CapsA(kNumberHigh, item);
  const std::string_view word = FixedText::View(kNumberHigh, item);
  ok = word == "TRUE" || word == "FALSE";
  return word == "TRUE";
}

void WrStrA(File f, std::uint32_t high, const char* text) {
  ClearIOresult();
  const std::string_view s = FixedText::View(high, text);
  WriteUnits(f, s.data(), s.size());
}

void WrStrW(File f, std::uint32_t high, const char16_t* text) {
  ClearIOresult();
  if (text == nullptr) return;
  std::size_t n = 0;
  while (n <= high && text[n] != 0) ++n;
  WriteUnits(f, text, n);
}

void WrLnA(File f) {
  ClearIOresult();
  WriteUnits(f, "\r\n", 2);
}

void WrLnW(File f) {
  ClearIOresult();
  const char16_t crlf[2] = {u'\r', u'\n'};
  WriteUnits(f, crlf, 2);
}

void WrCharA(File f, char c) {
  ClearIOresult();
  WriteUnits(f, &c, 1);
}

void WrCharW(File f, char16_t c) {
  ClearIOresult();
  WriteUnits(f, &c, 1);
}

void WrCharRepA(File f, char c, std::uint32_t count) {
  ClearIOresult();
  const std::string block(std::min<std::uint32_t>(count, 4096), c);
  while (count > 0 && errno == 0) {
    const std::uint32_t n = std::min<std::uint32_t>(count, std::uint32_t(block.size()));
    WriteUnits(f, block.data(), n);
    count -= n;
  }
}

void WrStrAdjA(File f, std::uint32_t high, const char* text, std::int32_t width) {
  ClearIOresult();
  WriteAdjusted(f, FixedText::View(high, text), width);
}

void WrInt8A(File f, std::int8_t value, std::int32_t width) { WrInt32A(f, value, width); }
void WrInt16A(File f, std::int16_t value, std::int32_t width) { WrInt32A(f, value, width); }
void WrInt32A(File f, std::int32_t value, std::int32_t width) {
  WriteNumber(f, width, [&](char* t, bool& ok) { Str::IntToStrA(value, kNumberHigh, t, 10, ok); });
}
void WrCard8A(File f, std::uint8_t value, std::int32_t width) { WrCard32A(f, value, width); }
void WrCard16A(File f, std::uint16_t value, std::int32_t width) { WrCard32A(f, value, width); }
void WrCard32A(File f, std::uint32_t value, std::int32_t width) {
  WriteNumber(f, width, [&](char* t, bool& ok) { Str::CardToStrA(value, kNumberHigh, t, 10, ok); });
}
void WrHex8A(File f, std::uint8_t value, std::int32_t width) { WrHex32A(f, value, width); }
void WrHex16A(File f, std::uint16_t value, std::int32_t width) { WrHex32A(f, value, width); }
void WrHex32A(File f, std::uint32_t value, std::int32_t width) {
  WriteNumber(f, width, [&](char* t, bool& ok) { Str::CardToStrA(value, kNumberHigh, t, 16, ok); });
}
void WrRealA(File f, float value, std::uint32_t digits, std::int32_t width) {
  WrLngRealA(f, value, digits, width);
}
void WrLngRealA(File f, double value, std::uint32_t digits, std::int32_t width) {
  WriteNumber(f, width, [&](char* t, bool& ok) {
    Str::RealToStrA(value, digits, Eng != 0, kNumberHigh, t, ok);
  });
}
void WrFixRealA(File f, float value, std::uint32_t decimals, std::int32_t width) {
  WrFixLngRealA(f, value, decimals, width);
}
void WrFixLngRealA(File f, double value, std::uint32_t decimals, std::int32_t width) {
  WriteNumber(f, width, [&](char* t, bool& ok) {
    Str::FixRealToStrA(value, decimals > 60 ? 60 : decimals, kNumberHigh, t, ok);
  });
}
void WrBoolA(File f, bool value, std::int32_t width) {
  ClearIOresult();
  WriteAdjusted(f, value ? "TRUE" : "FALSE", width);
}

}  // namespace FIO
