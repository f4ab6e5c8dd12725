#include "corekit/vscan.h"

#include <string>
#include <string_view>

#include "runbase/fio.h"
#include "runbase/fio_replace.h"
#include "runbase/fixed_text.h"
#include "runbase/str.h"

namespace vscan {

namespace {

using FixedText::Length;

// Largest key file read: settings and hives are a few kilobytes; a bound
// keeps a mistaken path from filling memory.
constexpr std::uint64_t kMaxKeyFileBytes = 16u << 20;
constexpr std::uint32_t kLineUnits = 256;  // longest line read at once
constexpr std::uint32_t kNumberChars = 32;
constexpr char kLineBreak[] = "\r\n";

template <class Ch>
using Text = std::basic_string<Ch>;

// Stores text into a fixed field, cut to fit.
template <class Ch, std::size_t N>
void SetField(Ch (&field)[N], std::basic_string_view<Ch> text) {
  FixedText::Assign<Ch>(N - 1, field, text);
}

template <class Ch, std::size_t N>
Text<Ch> Field(const Ch (&field)[N]) {
  return Text<Ch>(FixedText::View<Ch>(N - 1, field));
}

template <class Ch>
Text<Ch> Arg(std::uint32_t high, const Ch* text) {
  return Text<Ch>(FixedText::View<Ch>(high, text));
}

// ASCII text of a value (numbers and words); other characters become '?'.
template <class Ch>
std::string Narrow(const Text<Ch>& s) {
  std::string out;
  for (Ch c : s) {
    const auto u = static_cast<std::make_unsigned_t<Ch>>(c);
    out += u < 128 ? static_cast<char>(u) : '?';
  }
  return out;
}

template <class Ch>
Text<Ch> Widen(const std::string& s) {
  Text<Ch> out;
  for (char c : s) out += static_cast<Ch>(static_cast<unsigned char>(c));
  return out;
}

std::u16string Utf8ToUnits(const std::string& bytes) {
  std::u16string units(bytes.size(), u'\0');
  units.resize(Str::A2UP(bytes.data(), static_cast<std::uint32_t>(bytes.size()), units.data(),
                         static_cast<std::uint32_t>(units.size())));
  return units;
}

std::string UnitsToUtf8(const std::u16string& units) {
  std::string bytes(units.size() * 3, '\0');
  bytes.resize(Str::U2AP(units.data(), static_cast<std::uint32_t>(units.size()), bytes.data(),
                         static_cast<std::uint32_t>(bytes.size())));
  return bytes;
}

// Text between UTF-8 bytes or UTF-16 units and the scanner's character width.
template <class Ch>
Text<Ch> FromBytes(const std::string& bytes) {
  if constexpr (sizeof(Ch) == 1) return bytes;
  else return Utf8ToUnits(bytes);
}

template <class Ch>
Text<Ch> FromUnits(const std::u16string& units) {
  if constexpr (sizeof(Ch) == 1) return UnitsToUtf8(units);
  else return units;
}

template <class Ch>
std::string ToUtf8(const Text<Ch>& s) {
  if constexpr (sizeof(Ch) == 1) return s;
  else return UnitsToUtf8(s);
}

// Splits raw text into lines the way the line readers do: a line ends at LF
// or Ctrl-Z, CR is dropped, a zero ends the line's text, and a line longer
// than kLineUnits continues as the next line.
template <class Unit, class Emit>
void SplitLines(const Unit* units, std::size_t count, Emit emit) {
  std::basic_string<Unit> line;
  bool cut = false;  // a zero was seen: the rest of the line is ignored
  bool pending = false;
  for (std::size_t i = 0; i < count; ++i) {
    const Unit c = units[i];
    if (c == Unit('\n') || c == Unit(26)) {
      emit(line);
      line.clear();
      cut = pending = false;
      continue;
    }
    if (c == Unit('\r')) continue;
    pending = true;
    if (c == Unit(0)) cut = true;
    if (!cut) line += c;
    if (line.size() == kLineUnits) {
      emit(line);
      line.clear();
      pending = false;
    }
  }
  if (pending || !line.empty()) emit(line);
}

// As FIO::IsUnicodeFile: a byte-order mark, or a character below 256 in
// its first 16-bit unit. Returns the offset where the text begins.
bool StartsAsUtf16(const std::string& bytes, std::size_t& offset) {
  offset = 0;
  if (bytes.size() < 2) return false;
  const auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
  if (b0 == 0xFF && b1 == 0xFE) {
    offset = 2;
    return true;
  }
  return b1 == 0;
}

// The file's name as the file layer takes it.
template <class Ch>
std::string FileName(const Ch (&path)[kPathChars]) {
  return ToUtf8<Ch>(Field(path));
}

}  // namespace

// ---- reading and writing ----------------------------------------------------

template <class Ch>
CTextScannerT<Ch>::~CTextScannerT() {
  Done();
}

template <class Ch>
void CTextScannerT<Ch>::Clear() {
  vlist::CListElem* e = nullptr;
  while (lines.GetFirst(e)) {
    lines.Remove();
    delete static_cast<TLine*>(e);
  }
  lines.ClearList();
  section = nullptr;
  nextLine = nullptr;
}

template <class Ch>
bool CTextScannerT<Ch>::ReadFile() {
  // Only a regular file is read, and only up to the limit: a FIFO or a
  // device would block or never end.
  const std::string name = FileName(path);
  std::string bytes;
  readResult = FIO::ReadWholeFileA(static_cast<std::uint32_t>(name.size()), name.c_str(), kMaxKeyFileBytes, bytes);
  if (readResult != FIO::WholeFile::ok) return false;

  auto addLine = [this](const Text<Ch>& raw) {
    const std::basic_string_view<Ch> line = FixedText::Trim<Ch>(raw);
    if (line.empty()) return;
    auto* e = new TLine;
    if (line[0] == Ch('[')) {
      const auto close = line.find(Ch(']'));
      if (close == line.npos) {
        delete e;
        return;
      }
      e->isSection = true;
      SetField(e->key, line.substr(1, close - 1));
    } else if (const auto eq = line.find(Ch('=')); eq != line.npos) {
      SetField(e->key, FixedText::Trim(line.substr(0, eq)));
      SetField(e->value, FixedText::Trim(line.substr(eq + 1)));
    } else {
      e->isPlain = true;
      SetField(e->key, line);
      SetField(e->value, line);
    }
    lines.Append(e);
  };

  std::size_t offset = 0;
  if (StartsAsUtf16(bytes, offset)) {
    std::u16string units((bytes.size() - offset) / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[offset + 2 * i]) |
                                       (static_cast<unsigned char>(bytes[offset + 2 * i + 1]) << 8));
    }
    SplitLines(units.data(), units.size(), [&](const std::u16string& l) { addLine(FromUnits<Ch>(l)); });
  } else {
    SplitLines(bytes.data(), bytes.size(), [&](const std::string& l) { addLine(FromBytes<Ch>(l)); });
  }
  return true;
}

template <class Ch>
bool CTextScannerT<Ch>::WriteFile() const {
  Text<Ch> image;
  const Text<Ch> lineBreak = Widen<Ch>(kLineBreak);
  for (const vlist::CListElem* e = lines.first; e; e = e->next) {
    const auto* line = static_cast<const TLine*>(e);
    if (line->isSection) {
      if (e != lines.first) image += lineBreak;
      image += Ch('[') + Field(line->key) + Ch(']');
    } else if (line->isPlain) {
      image += Field(line->value);  // the key field holds only the first 80 characters
    } else {
      image += Field(line->key) + Widen<Ch>(" = ") + Field(line->value);
    }
    image += lineBreak;
  }
  std::string bytes;
  if constexpr (sizeof(Ch) == 2) {
    if (saveUnicode) {
      bytes = "\xFF\xFE";
      for (char16_t u : image) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
      }
    } else {
      bytes = ToUtf8<Ch>(image);
    }
  } else {
    bytes = image;
  }
  const std::string name = FileName(path);
  return FIO::ReplaceFileContentsA(static_cast<std::uint32_t>(name.size() - (name.empty() ? 0 : 1)), name.c_str(),
                                   bytes.data(), static_cast<std::uint32_t>(bytes.size()), false);
}

// ---- lifecycle -------------------------------------------------------------

template <class Ch>
bool CTextScannerT<Ch>::Init(std::uint32_t pathHigh, const Ch* newPath) {
  Done();
  const Text<Ch> p = Arg(pathHigh, newPath);
  SetField<Ch>(path, p);
  const bool ok = ReadFile();
  section = static_cast<TLine*>(lines.first);
  modified = false;
  return ok;
}

template <class Ch>
bool CTextScannerT<Ch>::Create(std::uint32_t sectionHigh, const Ch* first, std::uint32_t pathHigh, const Ch* newPath) {
  Done();
  readResult = FIO::WholeFile::ok;
  const Text<Ch> p = Arg(pathHigh, newPath);
  SetField<Ch>(path, p);
  const Text<Ch> name = Arg(sectionHigh, first);
  if (!name.empty()) {
    auto* header = new TLine;
    header->isSection = true;
    SetField<Ch>(header->key, name);
    lines.Append(header);
    section = header;
  }
  modified = true;
  return true;
}

template <class Ch>
void CTextScannerT<Ch>::Done() {
  Clear();
  modified = false;
}

// ---- sections --------------------------------------------------------------

template <class Ch>
typename CTextScannerT<Ch>::TLine* CTextScannerT<Ch>::FindSection(std::uint32_t high, const Ch* name) const {
  const Text<Ch> wanted = Arg(high, name);
  for (vlist::CListElem* e = lines.first; e; e = e->next) {
    auto* line = static_cast<TLine*>(e);
    if (line->isSection && Field(line->key) == wanted.substr(0, kKeyChars)) return line;
  }
  return nullptr;
}

template <class Ch>
bool CTextScannerT<Ch>::SetSection(std::uint32_t high, const Ch* name) {
  TLine* found = FindSection(high, name);
  section = found ? found : static_cast<TLine*>(lines.first);
  return found != nullptr;
}

template <class Ch>
void CTextScannerT<Ch>::CreateSection(std::uint32_t high, const Ch* name) {
  if (SetSection(high, name)) return;
  const Text<Ch> n = Arg(high, name);
  auto* header = new TLine;
  header->isSection = true;
  SetField<Ch>(header->key, n);
  lines.Append(header);
  section = header;
  modified = true;
}

template <class Ch>
void CTextScannerT<Ch>::ClearSection(std::uint32_t high, const Ch* name) {
  TLine* header = FindSection(high, name);
  if (!header || !lines.Find(header)) return;
  nextLine = nullptr;
  vlist::CListElem* e = nullptr;
  lines.GetNext(e);
  while (lines.GetActive(e) && !static_cast<TLine*>(e)->isSection) {
    lines.Remove();
    delete static_cast<TLine*>(e);
  }
  modified = true;
}

template <class Ch>
void CTextScannerT<Ch>::DeleteSection(std::uint32_t high, const Ch* name) {
  TLine* header = FindSection(high, name);
  if (!header) return;
  ClearSection(high, name);
  if (lines.Find(header)) {
    lines.Remove();
    delete header;
  }
  section = static_cast<TLine*>(lines.first);
  modified = true;
}

// ---- keys ------------------------------------------------------------------

// The first line of the current section's body (null for an empty image or
// a section without lines); stops at the next header.
template <class Ch>
typename CTextScannerT<Ch>::TLine* CTextScannerT<Ch>::FindKey(TLine* from, std::uint32_t keyHigh, const Ch* key) const {
  const Text<Ch> wanted = Arg(keyHigh, key);
  for (vlist::CListElem* e = from; e; e = e->next) {
    auto* line = static_cast<TLine*>(e);
    if (line->isSection) return nullptr;
    if (!line->isPlain && Field(line->key) == wanted) return line;
  }
  return nullptr;
}

namespace {
template <class TLine>
TLine* BodyStart(TLine* section, vlist::CListElem* first) {
  return static_cast<TLine*>(section ? section->next : first);
}
}  // namespace

template <class Ch>
bool CTextScannerT<Ch>::GetKeyStr(std::uint32_t keyHigh, const Ch* key, std::uint32_t high, Ch* text) {
  FixedText::Assign<Ch>(high, text, {});
  const TLine* line = FindKey(BodyStart(section, lines.first), keyHigh, key);
  if (!line) return false;
  FixedText::Assign(high, text, FixedText::View(kValueChars - 1, line->value));
  return true;
}

template <class Ch>
bool CTextScannerT<Ch>::GetNumberText(std::uint32_t keyHigh, const Ch* key, std::uint32_t high, char* text) {
  Ch value[kKeyChars] = {};
  if (high > kKeyChars - 1) high = kKeyChars - 1;
  if (!GetKeyStr(keyHigh, key, high, value)) return false;
  const std::string narrow = Narrow<Ch>(Text<Ch>(value, Length(high, value)));
  FixedText::Assign(high, text, narrow);
  return true;
}

#define CK_GET_NUMBER(Name, Type, Convert)                                          \
  template <class Ch>                                                               \
  bool CTextScannerT<Ch>::Name(std::uint32_t keyHigh, const Ch* key, Type& value) { \
    char text[kNumberChars] = {};                                                   \
    if (!GetNumberText(keyHigh, key, kNumberChars - 1, text)) return false;         \
    bool ok = false;                                                                \
    const Type v = static_cast<Type>(Str::Convert(kNumberChars - 1, text, 10, ok)); \
    if (ok) value = v;                                                              \
    return ok;                                                                      \
  }
CK_GET_NUMBER(GetKeyInt, std::int32_t, StrToIntA)
CK_GET_NUMBER(GetKeyCard, std::uint32_t, StrToCardA)
CK_GET_NUMBER(GetKeyInt64, std::int64_t, StrToInt64A)
CK_GET_NUMBER(GetKeyCard64, std::uint64_t, StrToCard64A)
CK_GET_NUMBER(GetKeyCardPtr, std::uintptr_t, StrToCardPtrA)
#undef CK_GET_NUMBER

template <class Ch>
bool CTextScannerT<Ch>::GetKeyReal(std::uint32_t keyHigh, const Ch* key, double& value) {
  char text[kNumberChars] = {};
  if (!GetNumberText(keyHigh, key, kNumberChars - 1, text)) return false;
  bool ok = false;
  const double v = Str::StrToRealA(kNumberChars - 1, text, ok);
  if (ok) value = v;
  return ok;
}

template <class Ch>
bool CTextScannerT<Ch>::GetKeyBool(std::uint32_t keyHigh, const Ch* key, bool& value) {
  char text[kNumberChars] = {};
  if (!GetNumberText(keyHigh, key, kNumberChars - 1, text)) return false;
  std::string word(text, Length(kNumberChars - 1, text));
  for (char& c : word) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  if (word == "0" || word == "FALSE") value = false;
  else if (word == "1" || word == "TRUE") value = true;
  else return false;
  return true;
}

template <class Ch>
bool CTextScannerT<Ch>::GetKeyRect(std::uint32_t keyHigh, const Ch* key, vcom::CRect& value) {
  char text[kKeyChars] = {};
  if (!GetNumberText(keyHigh, key, kKeyChars - 1, text)) return false;
  static const char separators[] = " ,;\t";
  std::int32_t parts[4];
  for (std::uint32_t i = 0; i < 4; ++i) {
    char item[kNumberChars] = {};
    Str::ItemSA(kNumberChars - 1, item, kKeyChars - 1, text, sizeof separators - 2, separators, i);
    bool ok = false;
    parts[i] = Str::StrToIntA(kNumberChars - 1, item, 10, ok);
    if (!ok || item[0] == 0) return false;
  }
  value.Init(parts[0], parts[1], parts[2], parts[3]);
  return true;
}

template <class Ch>
void CTextScannerT<Ch>::InsertAtSectionEnd(TLine* line) {
  vlist::CListElem* e = BodyStart(section, lines.first);
  while (e && !static_cast<TLine*>(e)->isSection) e = e->next;
  if (e && lines.Find(e)) lines.InsertBefore(line);
  else lines.Append(line);
  modified = true;
}

template <class Ch>
bool CTextScannerT<Ch>::SetKeyStr(std::uint32_t keyHigh, const Ch* key, std::uint32_t high, const Ch* text) {
  if (section && !lines.Find(section)) return false;
  const Text<Ch> value = Arg(high, text);
  if (TLine* line = FindKey(BodyStart(section, lines.first), keyHigh, key)) {
    SetField<Ch>(line->value, value);
    modified = true;
    return true;
  }
  const Text<Ch> name = Arg(keyHigh, key);
  auto* line = new TLine;
  SetField<Ch>(line->key, name);
  SetField<Ch>(line->value, value);
  InsertAtSectionEnd(line);
  return true;
}

template <class Ch>
bool CTextScannerT<Ch>::SetNumberText(std::uint32_t keyHigh, const Ch* key, const char* text) {
  const Text<Ch> wide = Widen<Ch>(std::string(text, Length(kKeyChars - 1, text)));
  return SetKeyStr(keyHigh, key, static_cast<std::uint32_t>(wide.size()), wide.c_str());
}

#define CK_SET_NUMBER(Name, Type, Convert)                                         \
  template <class Ch>                                                              \
  bool CTextScannerT<Ch>::Name(std::uint32_t keyHigh, const Ch* key, Type value) { \
    char text[kNumberChars] = {};                                                  \
    bool ok = false;                                                               \
    Str::Convert(value, kNumberChars - 1, text, 10, ok);                           \
    return SetNumberText(keyHigh, key, text);                                      \
  }
CK_SET_NUMBER(SetKeyInt, std::int32_t, IntToStrA)
CK_SET_NUMBER(SetKeyCard, std::uint32_t, CardToStrA)
CK_SET_NUMBER(SetKeyInt64, std::int64_t, Int64ToStrA)
CK_SET_NUMBER(SetKeyCard64, std::uint64_t, Card64ToStrA)
CK_SET_NUMBER(SetKeyCardPtr, std::uintptr_t, CardPtrToStrA)
#undef CK_SET_NUMBER

template <class Ch>
bool CTextScannerT<Ch>::SetKeyReal(std::uint32_t keyHigh, const Ch* key, double value) {
  char text[kNumberChars] = {};
  bool ok = false;
  Str::RealToStrA(value, 17, false, kNumberChars - 1, text, ok);
  Str::TrimA(kNumberChars - 1, text);
  return SetNumberText(keyHigh, key, text);
}

template <class Ch>
bool CTextScannerT<Ch>::SetKeyBool(std::uint32_t keyHigh, const Ch* key, bool value) {
  return SetNumberText(keyHigh, key, value ? "TRUE" : "FALSE");
}

template <class Ch>
bool CTextScannerT<Ch>::SetKeyRect(std::uint32_t keyHigh, const Ch* key, const vcom::CRect& r) {
  const std::string text = std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width) + ", " +
                           std::to_string(r.height);
  return SetNumberText(keyHigh, key, text.c_str());
}

// ---- line-wise reading -----------------------------------------------------

template <class Ch>
bool CTextScannerT<Ch>::ScanKeyFrom(TLine* from, std::uint32_t keyHigh, const Ch* key, std::uint32_t high, Ch* text) {
  FixedText::Assign<Ch>(high, text, {});
  TLine* line = FindKey(from, keyHigh, key);
  nextLine = line ? static_cast<TLine*>(line->next) : nullptr;
  if (!line) return false;
  FixedText::Assign(high, text, FixedText::View(kValueChars - 1, line->value));
  return true;
}

template <class Ch>
bool CTextScannerT<Ch>::GetFirstKeyStr(std::uint32_t keyHigh, const Ch* key, std::uint32_t high, Ch* text) {
  return ScanKeyFrom(BodyStart(section, lines.first), keyHigh, key, high, text);
}

template <class Ch>
bool CTextScannerT<Ch>::GetNextKeyStr(std::uint32_t keyHigh, const Ch* key, std::uint32_t high, Ch* text) {
  return ScanKeyFrom(nextLine, keyHigh, key, high, text);
}

template <class Ch>
bool CTextScannerT<Ch>::LineAt(TLine* line, std::uint32_t keyHigh, Ch* key, std::uint32_t valueHigh, Ch* value) {
  if (!line || line->isSection) {
    nextLine = nullptr;
    FixedText::Assign<Ch>(keyHigh, key, {});
    FixedText::Assign<Ch>(valueHigh, value, {});
    return false;
  }
  nextLine = static_cast<TLine*>(line->next);
  FixedText::Assign(keyHigh, key, FixedText::View(kKeyChars - 1, line->key));
  FixedText::Assign(valueHigh, value, FixedText::View(kValueChars - 1, line->value));
  return true;
}

template <class Ch>
bool CTextScannerT<Ch>::GetFirstLine(std::uint32_t keyHigh, Ch* key, std::uint32_t valueHigh, Ch* value) {
  return LineAt(BodyStart(section, lines.first), keyHigh, key, valueHigh, value);
}

template <class Ch>
bool CTextScannerT<Ch>::GetNextLine(std::uint32_t keyHigh, Ch* key, std::uint32_t valueHigh, Ch* value) {
  return LineAt(nextLine, keyHigh, key, valueHigh, value);
}

template <class Ch>
void CTextScannerT<Ch>::AddLine(std::uint32_t keyHigh, const Ch* key, std::uint32_t valueHigh, const Ch* value) {
  const Text<Ch> k = Arg(keyHigh, key), v = Arg(valueHigh, value);
  auto* line = new TLine;
  SetField<Ch>(line->key, k);
  SetField<Ch>(line->value, v);
  InsertAtSectionEnd(line);
}

// ---- saving ----------------------------------------------------------------

template <class Ch>
bool CTextScannerT<Ch>::SaveModified() {
  if (!modified) return true;
  if (!WriteFile()) return false;
  modified = false;
  return true;
}

template <class Ch>
bool CTextScannerT<Ch>::SaveAs(std::uint32_t pathHigh, const Ch* newPath) {
  const Text<Ch> p = Arg(pathHigh, newPath);
  SetField<Ch>(path, p);
  return SaveModified();
}

template class CTextScannerT<char>;
template class CTextScannerT<char16_t>;

}  // namespace vscan
