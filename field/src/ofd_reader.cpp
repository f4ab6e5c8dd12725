// Reading field description text: the cursor, the value readers and the
// section readers with the series rules applied while loading; which
// keywords a section holds comes from the keyword tables.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include <runbase/fixed_text.h>

#include "ascii.h"
#include "ofd_keywords.h"
#include "ofd_sections.h"
#include "ombrix_field/ofd.h"
#include "ombrix_field/series_file.h"

namespace ombrix_data {

namespace {

constexpr std::uint32_t kTokenDetailHigh = 63;
constexpr std::uint32_t kMaxFractionDigits = 11;
constexpr std::uint32_t kMaxIntegerDigits = 400;
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsControl(char c) { return static_cast<unsigned char>(c) < 32; }
bool IsTokenEnd(char c) { return IsControl(c) || c == ' ' || c == ',' || c == ';'; }

// Text of a real as the file has it: sign, integer digits (at most
// kMaxIntegerDigits count) and at most kMaxFractionDigits fraction digits;
// converted without the user's locale. Too large a value reads as infinite.
double RealFromDigits(const std::string& digits) {
  double value = 0;
  const char* first = digits.data();
  const char* last = first + digits.size();
  const bool negative = *first == '-';
  const auto result = std::from_chars(first, last, value);
  if (result.ec == std::errc::result_out_of_range) return negative ? -HUGE_VAL : HUGE_VAL;
  return value;
}

constexpr const char* kSeriesRemovedLine = "Series removed from the field";
constexpr const char* kSeriesKeptLine = "Series kept in the field as missing";

}  // namespace

COFDReader::COFDReader(const char* data, std::size_t length, const TFieldLoadContext& loadContext)
    : context(loadContext), data_(data), length_(length) {
  error[0] = 0;
  // Some editors put a byte-order mark before UTF-8 text.
  if (std::string_view(data, length).starts_with(kUtf8ByteOrderMark)) pos_ = kUtf8ByteOrderMark.size();
}

bool COFDReader::Fail(const char* text, const char* detail) {
  if (error[0] == 0) {
    FixedText::Assign(kErrorTextHigh, error, text);
    if (detail) FixedText::Append(kErrorTextHigh, error, detail);
    error[kErrorTextHigh] = 0;
  }
  return false;
}

void COFDReader::SkipBlanks() {
  while (pos_ < length_ && (data_[pos_] == ' ' || data_[pos_] == '\t')) ++pos_;
}

void COFDReader::SkipSeparators() {
  while (pos_ < length_ && (data_[pos_] == ' ' || data_[pos_] == '\t' || data_[pos_] == ',' || data_[pos_] == ';'))
    ++pos_;
}

void COFDReader::NextLine() {
  const auto ends = [&](std::size_t p) {
    return p >= length_ || data_[p] == '\r' || data_[p] == '\n' || data_[p] == ' ' || data_[p] == '\t';
  };
  std::size_t start = pos_;
  while (start < length_ && (data_[start] == ' ' || data_[start] == '\t')) ++start;
  std::size_t end = start;
  while (!ends(end)) ++end;
  trailer_ = std::string_view(data_ + start, end - start);
  while (pos_ < length_ && data_[pos_] != '\r' && data_[pos_] != '\n') ++pos_;
  while (pos_ < length_ && (data_[pos_] == '\r' || data_[pos_] == '\n')) ++pos_;
}

// The offending token at the cursor: up to a control character or space.
bool COFDReader::FailToken(const char* text) {
  if (pos_ >= length_) return FailEnd();
  char token[kTokenDetailHigh + 1];
  std::size_t n = 0;
  while (pos_ + n < length_ && n < kTokenDetailHigh && !IsControl(data_[pos_ + n]) && data_[pos_ + n] != ' ') ++n;
  FixedText::Assign(kTokenDetailHigh, token, {data_ + pos_, n});
  token[n] = 0;
  return Fail(text, token);
}

bool COFDReader::NextKeyword(std::uint32_t high, char* keyword) {
  SkipBlanks();
  if (pos_ >= length_) return FailEnd();
  if (!IsLetter(data_[pos_])) return FailToken("Expected identifier: ");
  std::size_t start = pos_;
  while (pos_ < length_ && (IsLetter(data_[pos_]) || IsDigit(data_[pos_]))) ++pos_;
  std::size_t n = std::min<std::size_t>(pos_ - start, high);
  FixedText::Assign(high, keyword, {data_ + start, n});
  keyword[n] = 0;
  // A keyword alone on its line moves on to the next line; otherwise the
  // cursor stays for the value reader, which reports what stands there.
  std::size_t look = pos_;
  while (look < length_ && (data_[look] == ' ' || data_[look] == '\t')) ++look;
  if (look >= length_ || data_[look] == '\r' || data_[look] == '\n') NextLine();
  return true;
}

void COFDReader::EndLine() {
  if (pos_ > 0 && pos_ <= length_ && data_[pos_ - 1] != '\r' && data_[pos_ - 1] != '\n') NextLine();
}

bool COFDReader::LeadingInteger(std::int64_t& value) {
  std::size_t p = pos_;
  while (p < length_ && (data_[p] == ' ' || data_[p] == '\t')) ++p;
  bool negative = false;
  if (p < length_ && (data_[p] == '+' || data_[p] == '-')) negative = data_[p++] == '-';
  if (p >= length_ || !IsDigit(data_[p])) return false;
  std::int64_t v = 0;
  for (; p < length_ && IsDigit(data_[p]); ++p)
    if (v < 100000000000000000LL) v = v * 10 + (data_[p] - '0');
  value = negative ? -v : v;
  pos_ = p;
  return true;
}

bool COFDReader::ReadEquals() {
  SkipBlanks();
  if (pos_ < length_ && data_[pos_] == '=') {
    ++pos_;
    return true;
  }
  return FailToken("Expected '=' instead of: ");
}

bool COFDReader::ReadInteger(std::int64_t& value) {
  if (!ReadEquals()) return false;
  SkipBlanks();
  if (!LeadingInteger(value)) return FailToken("Expected number: ");
  NextLine();
  return true;
}

bool COFDReader::ReadInt32(std::int32_t& value) {
  std::int64_t v = 0;
  if (!ReadInteger(v)) return false;
  value = static_cast<std::int32_t>(std::max<std::int64_t>(INT32_MIN, std::min<std::int64_t>(INT32_MAX, v)));
  return true;
}

bool COFDReader::ReadReal(double& value) {
  if (!ReadEquals()) return false;
  SkipBlanks();
  std::size_t p = pos_;
  std::string text;
  if (p < length_ && (data_[p] == '+' || data_[p] == '-')) {
    if (data_[p] == '-') text.push_back('-');
    ++p;
  }
  if (p >= length_ || !IsDigit(data_[p])) return FailToken("Expected number: ");
  for (std::uint32_t digits = 0; p < length_ && IsDigit(data_[p]); ++p)
    if (digits++ < kMaxIntegerDigits) text.push_back(data_[p]);
  if (p + 1 < length_ && data_[p] == '.' && IsDigit(data_[p + 1])) {
    text.push_back('.');
    std::uint32_t digits = 0;
    for (++p; p < length_ && IsDigit(data_[p]); ++p)
      if (digits++ < kMaxFractionDigits) text.push_back(data_[p]);
  }
  value = RealFromDigits(text);
  pos_ = p;
  NextLine();
  return true;
}

void COFDReader::ScanBareToken(std::uint32_t high, char* token) {
  SkipSeparators();
  std::size_t start = pos_;
  while (pos_ < length_ && !IsTokenEnd(data_[pos_])) ++pos_;
  std::size_t n = std::min<std::size_t>(pos_ - start, high);
  FixedText::Assign(high, token, {data_ + start, n});
  token[n] = 0;
}

bool COFDReader::ReadBareToken(std::uint32_t high, char* token) {
  if (!ReadEquals()) return false;
  ScanBareToken(high, token);
  NextLine();
  return true;
}

bool COFDReader::ReadBoolean(bool& value) {
  if (!ReadEquals()) return false;
  SkipSeparators();
  std::size_t start = pos_;
  char word[8];
  ScanBareToken(7, word);
  if (SameAsciiIgnoringCase(word, "TRUE") || SameAsciiIgnoringCase(word, "FALSE")) {
    value = SameAsciiIgnoringCase(word, "TRUE");
    NextLine();
    return true;
  }
  pos_ = start;
  return FailToken("Expected TRUE or FALSE: ");
}

bool COFDReader::ReadHex(std::uint64_t& value) {
  if (!ReadEquals()) return false;
  SkipSeparators();
  std::size_t start = pos_;
  std::uint64_t v = 0;
  std::size_t digits = 0;
  for (; pos_ < length_ && !IsTokenEnd(data_[pos_]); ++pos_, ++digits) {
    const int d = FixedText::HexDigit(data_[pos_]);
    if (d < 0 || digits >= 16) {
      pos_ = start;
      return FailToken("Expected hexadecimal number: ");
    }
    v = (v << 4) | static_cast<std::uint64_t>(d);
  }
  if (digits == 0) {
    pos_ = start;
    return FailToken("Expected hexadecimal number: ");
  }
  value = v;
  NextLine();
  return true;
}

bool COFDReader::ReadIdentifier(std::uint32_t high, char* word) {
  if (!ReadEquals()) return false;
  SkipBlanks();
  if (pos_ >= length_ || !IsLetter(data_[pos_])) return FailToken("Expected identifier: ");
  std::size_t start = pos_;
  while (pos_ < length_ && (IsLetter(data_[pos_]) || IsDigit(data_[pos_]))) ++pos_;
  std::size_t n = std::min<std::size_t>(pos_ - start, high);
  FixedText::Assign(high, word, {data_ + start, n});
  word[n] = 0;
  NextLine();
  return true;
}

bool COFDReader::ReadQuoted(std::uint32_t high, char* text, std::size_t& kept) {
  if (!ReadEquals()) return false;
  SkipSeparators();
  if (pos_ >= length_ || data_[pos_] != '"') return FailToken("Expected quoted string: ");
  ++pos_;
  kept = 0;
  for (;;) {
    if (pos_ >= length_) return FailEnd();
    char c = data_[pos_++];
    if (c == '"') {
      if (pos_ < length_ && data_[pos_] == '"') {
        ++pos_;
      } else {
        break;
      }
    }
    if (kept <= high) text[kept++] = c;
  }
  if (kept <= high) text[kept] = 0;
  NextLine();
  return true;
}

bool COFDReader::ReadQuotedField(std::uint32_t high, char* text) {
  std::size_t kept = 0;
  return ReadQuoted(high, text, kept);
}

bool COFDReader::ReadQuotedDString(std::uint32_t high, vdstr::TDStringA*& text) {
  std::string buffer(std::size_t{high} + 1, '\0');
  std::size_t kept = 0;
  if (!ReadQuoted(high, buffer.data(), kept)) return false;
  vdstr::CopyBufferToDStrA(text, buffer.data(), static_cast<std::uint32_t>(kept));
  return true;
}

// ---- sections ----

namespace {

// Reads the keywords of a section up to its end keyword into the record.
template <class Record>
bool ReadSectionBody(COFDReader& r, std::span<const TKeyword<Record>> table, const char* endKeyword,
                     Record& record) {
  char keyword[kKeywordHigh + 1];
  for (;;) {
    if (!r.NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, endKeyword) == 0) return true;
    const TKeyword<Record>* row = FindKeyword(table, keyword);
    if (!row) return r.FailUnknown(keyword);
    if (!row->read(r, record)) return false;
  }
}

// "cmp7" -> the comparison stars and 7; false when the keyword is no prefix
// followed by digits.
bool FindIndexedStar(const char* keyword, const TIndexedStars*& kind, std::uint32_t& index) {
  for (const TIndexedStars& k : kIndexedStars) {
    const std::size_t n = std::strlen(k.prefix);
    if (std::strncmp(keyword, k.prefix, n) != 0 || keyword[n] == 0) continue;
    std::uint64_t value = 0;
    for (const char* p = keyword + n; *p; ++p) {
      if (!IsDigit(*p)) return false;
      if (value < 1000000) value = value * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    kind = &k;
    index = static_cast<std::uint32_t>(value);
    return true;
  }
  return false;
}

// The path a message names for a series: the stored absolute path, else the
// path its relative path was looked for at.
std::string SeriesPathForMessage(const CLocalSeriesTreeElem& series, const TSeriesFolders& folders) {
  const std::string_view absolute = FixedText::View(kPathHigh, series.absolutePath);
  if (!absolute.empty()) return std::string(absolute);
  const std::string relative(FixedText::View(kPathHigh, series.relativePath));
  if (relative.empty()) return {};
  char tried[kPathHigh + 1] = {};
  SeriesCandidatePath(relative.c_str(), folders, kPathHigh, tried);
  return std::string(FixedText::View(kPathHigh, tried));
}

// What a series section stated before its file was looked for: a series
// that stays missing is written back exactly so.
struct TSeriesAsRead {
  char absolutePath[kPathHigh + 1];
  char relativePath[kPathHigh + 1];
  double offset;

  explicit TSeriesAsRead(const CLocalSeriesTreeElem& s) : offset(s.offset) {
    std::memcpy(absolutePath, s.absolutePath, sizeof absolutePath);
    std::memcpy(relativePath, s.relativePath, sizeof relativePath);
  }
  void RestoreInto(CLocalSeriesTreeElem& s) const {
    std::memcpy(s.absolutePath, absolutePath, sizeof absolutePath);
    std::memcpy(s.relativePath, relativePath, sizeof relativePath);
    s.offset = offset;
    s.ClearPoints();
    s.dataMetaData.Done();
    s.fileTime = 0;
    s.converted = false;
  }
};

}  // namespace

bool COFDReader::ReadStar(TStarData& star, const char* endKeyword) {
  return ReadSectionBody(*this, kStarKeywords, endKeyword, star);
}

bool COFDReader::ReadMetaData(CMetaData& m) {
  char keyword[kKeywordHigh + 1];
  for (;;) {
    if (!NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, kMetaDataSection.end) == 0) return true;
    if (const TKeyword<CMetaData>* row = FindKeyword(kMetaDataKeywords, keyword)) {
      if (!row->read(*this, m)) return false;
      continue;
    }
    const TIndexedStars* kind = nullptr;
    std::uint32_t index = 0;
    if (!FindIndexedStar(keyword, kind, index)) return FailUnknown(keyword);
    if (index >= kMaxIndexedStars) return Fail(kind->tooManyText, keyword);
    const std::string end = std::string("end_") + keyword;
    if (!ReadStar((m.*kind->grow)(index), end.c_str())) return false;
  }
}

bool COFDReader::ReadMinimum(CMinimaList& minima) {
  return ReadSectionBody(*this, kMinimumKeywords, kMinimumSection.end, *minima.Add(minUndefined, 0, 0, true));
}

bool CSeriesTreeElem::ReadFieldSection(COFDReader&) { return false; }

// The body of a "series" section up to "end_series".
bool CLocalSeriesTreeElem::ReadFieldSection(COFDReader& r) {
  return ReadSectionBody(r, kLocalSeriesKeywords, kSeriesSection.end, *this);
}

void COFDReader::ShowSeriesMessage(const char* first, const char* second, const char* third) const {
  if (context.io) context.io->ShowMessage({"Error", {first, second, third}, TMessageIcon::exclamation});
}

void COFDReader::DropSeries(TOwned<CLocalSeriesTreeElem> series, const char* reason) {
  ShowSeriesMessage(reason, SeriesPathForMessage(*series, context.folders).c_str(), kSeriesRemovedLine);
  changed = true;
}

// Reads a "series" section, then loads its file and applies the rules that
// may keep it out: a file that cannot be read (the series then stays,
// marked missing), the other value type, a duplicate first point time.
bool COFDReader::ReadSeries(CObjectListElem& object) {
  TOwned<CLocalSeriesTreeElem> series(new CLocalSeriesTreeElem);
  if (!series->ReadFieldSection(*this)) return false;
  const TSeriesAsRead asRead(*series);
  if (series->fieldMetaData.valueUnit == unitFlux && series->offset <= 0) series->offset = 1;
  char loadError[kErrorTextHigh + 1] = {};
  if (!LoadSeriesFile(*series, context.folders, kErrorTextHigh, loadError)) {
    if (!context.keepMissingSeries) {
      DropSeries(std::move(series), "Cannot load series photometry data:");
      return true;
    }
    asRead.RestoreInto(*series);
    ShowSeriesMessage("Cannot load series photometry data:",
                      SeriesPathForMessage(*series, context.folders).c_str(), kSeriesKeptLine);
    object.InsertMissingSeries(series.release());
    return true;
  }
  switch (AdmitLoadedSeries(object, *series)) {
    case TSeriesAdmission::otherUnit:
      DropSeries(std::move(series), "Series with different value type (Mag x Flux) than previous series:");
      return true;
    case TSeriesAdmission::duplicate:
      DropSeries(std::move(series), "Duplicate series data file (same first point time):");
      return true;
    case TSeriesAdmission::admitted:
      break;
  }
  object.InsertSeries(series.release());
  return true;
}

bool COFDReader::ReadWebSeries(CObjectListElem& object) {
  TOwned<CWebSeriesLocalDataTreeElem> settings(new CWebSeriesLocalDataTreeElem);
  if (!ReadSectionBody(*this, kWebSeriesKeywords, kWebSeriesSection.end, *settings)) return false;
  vtree::CAVLTreeElem* found = nullptr;
  if (object.webSettings.Search(settings.get(), found)) {
    char second[kUserNameHigh + 32];
    std::snprintf(second, sizeof second, "%.*s %llX", static_cast<int>(FixedText::Length(kUserNameHigh, settings->userId)),
                  settings->userId, static_cast<unsigned long long>(settings->fileTime));
    ShowSeriesMessage("Duplicate web series (same user and file time):", second, kSeriesRemovedLine);
    return true;
  }
  object.webSettings.Insert(settings.release());
  return true;
}

bool COFDReader::ReadNotes(CObjectListElem& object) {
  char keyword[kKeywordHigh + 1];
  std::string line(kNotesLineHigh + 1, '\0');
  for (;;) {
    if (!NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, kNotesSection.end) == 0) return true;
    if (std::strcmp(keyword, kNotesLineKeyword) != 0) return FailUnknown(keyword);
    std::size_t kept = 0;
    if (!ReadQuoted(kNotesLineHigh, line.data(), kept)) return false;
    if (kept > 0) vdstr::AppendStrToDStrA(object.notes, static_cast<std::uint32_t>(kept - 1), line.data());
    vdstr::AppendStrToDStrA(object.notes, 1, "\r\n");
  }
}

bool COFDReader::ReadFit(CObjectListElem& object) {
  char keyword[kKeywordHigh + 1];
  object.fitPresent = true;
  for (;;) {
    if (!NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, kFitSection.end) == 0) return true;
    ombrix_model::TFitParameterIndex index{};
    if (!ombrix_model::FindFitParameterKeyword(keyword, index)) return FailUnknown(keyword);
    if (!ReadReal(object.fit[index])) return false;
  }
}

bool COFDReader::ReadObject(CObjectListElem& o) {
  if (!ReadSectionBody(*this, kObjectKeywords, kObjectSection.end, o)) return false;
  CRepositorySeriesSource* source = RepositorySeriesSource();
  if (source && !FixedText::View(kTokenHigh, o.token).empty() && context.repositoryUser && context.repositoryUser[0])
    source->LoadObjectSeries(o, context.repositoryUser);
  if (o.m0 != 0 && o.savedM0 == 0) {
    o.savedM0 = o.m0;
    o.savedM0Scale = o.m0Scale;
  }
  if (o.period != 0 && o.savedPeriod == 0) o.savedPeriod = o.period;
  return true;
}

namespace {

CRepositorySeriesSource* gRepositorySource = nullptr;

bool ReadTopLevel(COFDReader& r, CField& field) {
  char keyword[kKeywordHigh + 1];
  if (!r.NextKeyword(kKeywordHigh, keyword) || std::strcmp(keyword, kFieldSection.begin) != 0) {
    r.error[0] = 0;
    return r.Fail("Missing \"ombrix\" keyword");
  }
  std::int32_t version = 0;
  std::int32_t total = 0;
  for (;;) {
    if (!r.NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, kFieldSection.end) == 0) {
      field.Clear();
      return true;
    }
    if (std::strcmp(keyword, kObjectSection.begin) == 0) break;
    bool ok = true;
    if (std::strcmp(keyword, kVersionKeyword) == 0) ok = r.ReadInt32(version);
    else if (std::strcmp(keyword, kObjectCountKeyword) == 0) ok = r.ReadInt32(total);
    else return r.FailUnknown(keyword);
    if (!ok) return false;
  }
  if (version == 0) return r.Fail("Missing file version information");
  if (version > kOFDVersion) return r.Fail("File version higher than supported (update OMBRIX)");
  field.Clear();
  CFieldLoadProgress* progress = total > 0 ? r.context.progress : nullptr;
  const auto totalCount = static_cast<std::uint32_t>(total > 0 ? total : 0);
  if (progress) progress->Begin(totalCount);
  bool ok = true;
  for (std::uint32_t done = 0;;) {
    auto* object = new CObjectListElem;
    field.Append(object);
    if (!r.ReadObject(*object)) {
      ok = false;
      break;
    }
    if (progress) progress->Step(++done, totalCount);
    if (!r.NextKeyword(kKeywordHigh, keyword)) {
      ok = false;
      break;
    }
    if (std::strcmp(keyword, kFieldSection.end) == 0) break;
    if (std::strcmp(keyword, kObjectSection.begin) != 0) {
      ok = r.FailUnknown(keyword);
      break;
    }
  }
  if (progress) progress->End();
  return ok;
}

}  // namespace

void SetRepositorySeriesSource(CRepositorySeriesSource* source) { gRepositorySource = source; }
CRepositorySeriesSource* RepositorySeriesSource() { return gRepositorySource; }

bool ReadFieldText(const char* data, std::size_t length, const TFieldLoadContext& context, CField& field,
                   bool& changed, char* errorText) {
  COFDReader reader(data, length, context);
  const bool ok = ReadTopLevel(reader, field);
  changed = reader.changed;
  FixedText::Assign(kErrorTextHigh, errorText, FixedText::View(kErrorTextHigh, reader.error));
  errorText[kErrorTextHigh] = 0;
  if (!ok) field.Clear();
  return ok;
}

}  // namespace ombrix_data
