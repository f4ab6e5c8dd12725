// Reading field description text: the cursor, the value readers and the
// section readers with the series rules applied while loading.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ofd_sections.h"
#include "ombrix_field/ofd.h"
#include "ombrix_field/series_file.h"
#include "text.h"

namespace ombrix_data {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kKeywordHigh = 63;
constexpr std::uint32_t kTokenDetailHigh = 63;
constexpr std::uint32_t kMaxFractionDigits = 11;
constexpr std::uint32_t kMaxStarIndex = 9;
constexpr std::uint32_t kReadUserIdHigh = 31;
constexpr std::uint32_t kReadFilterHigh = 63;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsControl(char c) { return static_cast<unsigned char>(c) < 32; }
bool IsTokenEnd(char c) { return IsControl(c) || c == ' ' || c == ',' || c == ';'; }

int HexDigit(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool EqualsNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (UpperAscii(*a) != UpperAscii(*b)) return false;
  return *a == *b;
}

// "cmp7" → 7 for prefix "cmp"; false when the keyword is not prefix + digits.
bool IndexedKeyword(const char* keyword, const char* prefix, std::uint32_t& index) {
  const std::size_t n = std::strlen(prefix);
  if (std::strncmp(keyword, prefix, n) != 0 || keyword[n] == 0) return false;
  std::uint64_t value = 0;
  for (const char* p = keyword + n; *p; ++p) {
    if (!IsDigit(*p)) return false;
    if (value < 1000000) value = value * 10 + static_cast<std::uint64_t>(*p - '0');
  }
  index = static_cast<std::uint32_t>(value);
  return true;
}

void ShowSeriesRemoved(CUserIO* io, const char* first, const char* second) {
  if (!io) return;
  io->ShowMessage({"Error", {first, second, "Series removed from the field"}, TMessageIcon::exclamation});
}

}  // namespace

COFDReader::COFDReader(const char* data, std::size_t length, const TFieldLoadContext& loadContext)
    : context(loadContext), data_(data), length_(length) {
  error[0] = 0;
}

bool COFDReader::Fail(const char* text, const char* detail) {
  if (error[0] == 0) {
    CopyText(kErrorTextHigh, error, text);
    if (detail) AppendText(kErrorTextHigh, error, detail);
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
  while (pos_ < length_ && data_[pos_] != '\r' && data_[pos_] != '\n') ++pos_;
  while (pos_ < length_ && (data_[pos_] == '\r' || data_[pos_] == '\n')) ++pos_;
}

// The offending token at the cursor: up to a control character or space.
bool COFDReader::FailToken(const char* text) {
  if (pos_ >= length_) return FailEnd();
  char token[kTokenDetailHigh + 1];
  std::size_t n = 0;
  while (pos_ + n < length_ && n < kTokenDetailHigh && !IsControl(data_[pos_ + n]) && data_[pos_ + n] != ' ') ++n;
  CopyText(kTokenDetailHigh, token, data_ + pos_, n);
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
  CopyText(high, keyword, data_ + start, n);
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

bool COFDReader::Equals() {
  SkipBlanks();
  if (pos_ < length_ && data_[pos_] == '=') {
    ++pos_;
    return true;
  }
  return FailToken("Expected '=' instead of: ");
}

bool COFDReader::Integer(std::int64_t& value) {
  if (!Equals()) return false;
  SkipBlanks();
  if (!LeadingInteger(value)) return FailToken("Expected number: ");
  NextLine();
  return true;
}

bool COFDReader::Int32(std::int32_t& value) {
  std::int64_t v = 0;
  if (!Integer(v)) return false;
  value = static_cast<std::int32_t>(std::max<std::int64_t>(INT32_MIN, std::min<std::int64_t>(INT32_MAX, v)));
  return true;
}

bool COFDReader::Real(double& value) {
  if (!Equals()) return false;
  SkipBlanks();
  std::size_t p = pos_;
  std::string text;
  if (p < length_ && (data_[p] == '+' || data_[p] == '-')) text.push_back(data_[p++]);
  if (p >= length_ || !IsDigit(data_[p])) return FailToken("Expected number: ");
  for (; p < length_ && IsDigit(data_[p]); ++p)
    if (text.size() < 400) text.push_back(data_[p]);
  if (p + 1 < length_ && data_[p] == '.' && IsDigit(data_[p + 1])) {
    text.push_back('.');
    std::uint32_t digits = 0;
    for (++p; p < length_ && IsDigit(data_[p]); ++p)
      if (digits++ < kMaxFractionDigits) text.push_back(data_[p]);
  }
  value = std::strtod(text.c_str(), nullptr);
  pos_ = p;
  NextLine();
  return true;
}

bool COFDReader::BareToken(std::uint32_t high, char* token) {
  SkipSeparators();
  std::size_t start = pos_;
  while (pos_ < length_ && !IsTokenEnd(data_[pos_])) ++pos_;
  std::size_t n = std::min<std::size_t>(pos_ - start, high);
  CopyText(high, token, data_ + start, n);
  token[n] = 0;
  return true;
}

bool COFDReader::Boolean(bool& value) {
  if (!Equals()) return false;
  SkipSeparators();
  std::size_t start = pos_;
  char word[8];
  BareToken(7, word);
  if (EqualsNoCase(word, "TRUE") || EqualsNoCase(word, "FALSE")) {
    value = EqualsNoCase(word, "TRUE");
    NextLine();
    return true;
  }
  pos_ = start;
  return FailToken("Expected TRUE or FALSE: ");
}

bool COFDReader::Hex(std::uint64_t& value) {
  if (!Equals()) return false;
  SkipSeparators();
  std::size_t start = pos_;
  std::uint64_t v = 0;
  std::size_t digits = 0;
  for (; pos_ < length_ && !IsTokenEnd(data_[pos_]); ++pos_, ++digits) {
    const int d = HexDigit(data_[pos_]);
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

bool COFDReader::Identifier(std::uint32_t high, char* word) {
  if (!Equals()) return false;
  SkipBlanks();
  if (pos_ >= length_ || !IsLetter(data_[pos_])) return FailToken("Expected identifier: ");
  std::size_t start = pos_;
  while (pos_ < length_ && (IsLetter(data_[pos_]) || IsDigit(data_[pos_]))) ++pos_;
  std::size_t n = std::min<std::size_t>(pos_ - start, high);
  CopyText(high, word, data_ + start, n);
  word[n] = 0;
  NextLine();
  return true;
}

bool COFDReader::Quoted(std::uint32_t high, char* text, std::size_t& kept) {
  if (!Equals()) return false;
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

bool COFDReader::QuotedField(std::uint32_t high, char* text) {
  std::size_t kept = 0;
  return Quoted(high, text, kept);
}

bool COFDReader::QuotedDString(std::uint32_t high, vdstr::TDStringA*& text) {
  std::string buffer(std::size_t{high} + 1, '\0');
  std::size_t kept = 0;
  if (!Quoted(high, buffer.data(), kept)) return false;
  vdstr::CopyBufferToDStrA(text, buffer.data(), static_cast<std::uint32_t>(kept));
  return true;
}

// ---- sections ----

bool COFDReader::Star(TStarData& star, const char* endKeyword) {
  char keyword[kKeywordHigh + 1];
  for (;;) {
    if (!NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, endKeyword) == 0) return true;
    bool ok = true;
    if (std::strcmp(keyword, "star_name") == 0) {
      ok = QuotedField(kStarNameHigh, star.name);
    } else if (std::strcmp(keyword, "star_ra") == 0 || std::strcmp(keyword, "star_dec") == 0) {
      const bool ra = keyword[5] == 'r';
      char text[64];
      std::size_t kept = 0;
      ok = Quoted(63, text, kept);
      double v = 0;
      if (ok && ParseSexagesimal(text, std::min<std::size_t>(kept, 64), v))
        (ra ? star.ra : star.dec) = v * (ra ? kPi / 12.0 : kPi / 180.0);
    } else if (std::strcmp(keyword, "catalog") == 0) {
      ok = QuotedField(kCatalogNameHigh, star.catalog);
    } else if (std::strcmp(keyword, "catalog_id") == 0) {
      ok = QuotedField(kCatalogIdHigh, star.catalogId);
    } else if (std::strcmp(keyword, "catalog_ra") == 0) {
      ok = Real(star.catalogRA);
    } else if (std::strcmp(keyword, "catalog_dec") == 0) {
      ok = Real(star.catalogDec);
    } else if (std::strcmp(keyword, "catalog_mag") == 0) {
      ok = Real(star.catalogMag);
    } else if (std::strcmp(keyword, "catalog_bv") == 0) {
      ok = Real(star.catalogBV);
    } else if (std::strcmp(keyword, "catalog_jk") == 0) {
      ok = Real(star.catalogJK);
    } else {
      return FailUnknown(keyword);
    }
    if (!ok) return false;
  }
}

bool COFDReader::MetaData(CMetaData& m) {
  char keyword[kKeywordHigh + 1];
  char word[kKeywordHigh + 1];
  for (;;) {
    if (!NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, "end_meta_data") == 0) return true;
    bool ok = true;
    std::uint32_t index = 0;
    if (std::strcmp(keyword, "var_aperture") == 0) {
      ok = Real(m.varAperture);
    } else if (std::strcmp(keyword, "cmp_aperture") == 0) {
      ok = Real(m.cmpAperture);
    } else if (std::strcmp(keyword, "chk_aperture") == 0) {
      ok = Real(m.chkAperture);
    } else if (std::strcmp(keyword, "jd_type") == 0) {
      if (!Identifier(kKeywordHigh, word)) return false;
      if (std::strcmp(word, "geocentric") == 0) m.jdType = jdGeocentric;
      else if (std::strcmp(word, "heliocentric") == 0) m.jdType = jdHeliocentric;
      else return FailUnknown(word);
    } else if (std::strcmp(keyword, "value_unit") == 0) {
      if (!Identifier(kKeywordHigh, word)) return false;
      if (std::strcmp(word, "magnitude") == 0) m.valueUnit = unitMagnitude;
      else if (std::strcmp(word, "flux") == 0) m.valueUnit = unitFlux;
      else return FailUnknown(word);
    } else if (std::strcmp(keyword, "filter") == 0) {
      char filter[kReadFilterHigh + 1];
      ok = QuotedField(kReadFilterHigh, filter);
      if (ok) CopyText(kFilterNameHigh, m.filter, filter, TextLength(kReadFilterHigh, filter));
    } else if (std::strcmp(keyword, "var") == 0) {
      ok = Star(m.var, "end_var");
    } else if (IndexedKeyword(keyword, "cmp", index) || IndexedKeyword(keyword, "chk", index)) {
      const bool cmp = keyword[1] == 'm';
      if (index > kMaxStarIndex)
        return Fail(cmp ? "Too many comparison stars (> 10)" : "Too many check stars (> 10)", keyword);
      char end[kKeywordHigh + 8];
      std::snprintf(end, sizeof end, "end_%s", keyword);
      ok = Star(cmp ? m.ComparisonStar(index) : m.CheckStar(index), end);
    } else {
      return FailUnknown(keyword);
    }
    if (!ok) return false;
  }
}

bool COFDReader::Minimum(CMinimaList& minima) {
  CMinimaListElem* m = minima.Add(minUndefined, 0, 0, true);
  char keyword[kKeywordHigh + 1];
  char word[kKeywordHigh + 1];
  for (;;) {
    if (!NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, "end_minimum") == 0) return true;
    bool ok = true;
    if (std::strcmp(keyword, "type") == 0) {
      if (!Identifier(kKeywordHigh, word)) return false;
      if (std::strcmp(word, "any") == 0) m->type = minUndefined;
      else if (std::strcmp(word, "primary") == 0) m->type = minPrimary;
      else if (std::strcmp(word, "secondary") == 0) m->type = minSecondary;
      else return FailUnknown(word);
    } else if (std::strcmp(keyword, "time") == 0) {
      ok = Real(m->time);
    } else if (std::strcmp(keyword, "error") == 0) {
      ok = Real(m->error);
    } else if (std::strcmp(keyword, "enabled") == 0) {
      ok = Boolean(m->enabled);
    } else {
      return FailUnknown(keyword);
    }
    if (!ok) return false;
  }
}

bool CSeriesTreeElem::ReadFieldSection(COFDReader&) { return false; }

// The body of a "series" section up to "end_series".
bool CLocalSeriesTreeElem::ReadFieldSection(COFDReader& r) {
  char keyword[kKeywordHigh + 1];
  for (;;) {
    if (!r.NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, "end_series") == 0) return true;
    bool ok = true;
    if (std::strcmp(keyword, "absolute_path") == 0) ok = r.QuotedField(kPathHigh, absolutePath);
    else if (std::strcmp(keyword, "relative_path") == 0) ok = r.QuotedField(kPathHigh, relativePath);
    else if (std::strcmp(keyword, "offset") == 0) ok = r.Real(offset);
    else if (std::strcmp(keyword, "enabled") == 0) ok = r.Boolean(enabled);
    else if (std::strcmp(keyword, "meta_data") == 0) ok = r.MetaData(fieldMetaData);
    else if (std::strcmp(keyword, "minimum") == 0) ok = r.Minimum(minima);
    else return r.FailUnknown(keyword);
    if (!ok) return false;
  }
}

// Reads a "series" section, then loads its file and applies the rules that
// may drop it: unreadable file, duplicate first point time, other value type.
bool COFDReader::Series(CObjectListElem& object) {
  auto* series = new CLocalSeriesTreeElem;
  if (!series->ReadFieldSection(*this)) {
    series->Done();
    delete series;
    return false;
  }
  auto drop = [&](const char* first, const char* path) {
    const std::string shownPath(path, TextLength(kPathHigh, path));
    ShowSeriesRemoved(context.io, first, shownPath.c_str());
    series->Done();
    delete series;
    changed = true;
    return true;
  };
  const bool statedFlux = series->fieldMetaData.valueUnit == unitFlux;
  if (statedFlux && series->offset <= 0) series->offset = 1;
  char loadError[kErrorTextHigh + 1] = {};
  if (!LoadSeriesFile(*series, context.folders, kErrorTextHigh, loadError))
    return drop("Cannot load series photometry data:", series->absolutePath);
  if (object.FindSeriesStartingAt(series->FirstTime()))
    return drop("Duplicate series data file (same first point time):", series->absolutePath);
  const bool flux = series->EffectiveUnit() == unitFlux;
  if (object.FirstSeries() == nullptr) {
    object.fluxFlag = flux;
  } else if (object.fluxFlag != flux) {
    return drop("Series with different value type (Mag x Flux) than previous series:", series->absolutePath);
  }
  if (flux && series->offset <= 0) series->offset = 1;
  ApplyHeliocentricConversion(*series, object);
  object.InsertSeries(series);
  return true;
}

bool COFDReader::WebSeries(CObjectListElem& object) {
  auto* s = new CWebSeriesLocalDataTreeElem;
  char keyword[kKeywordHigh + 1];
  bool ok = true;
  for (;;) {
    if (!NextKeyword(kKeywordHigh, keyword)) {
      ok = false;
      break;
    }
    if (std::strcmp(keyword, "end_web_series") == 0) break;
    if (std::strcmp(keyword, "user_id") == 0) {
      ok = Equals() && BareToken(kReadUserIdHigh, s->userId);
      if (ok) NextLine();
    } else if (std::strcmp(keyword, "file_time") == 0) ok = Hex(s->fileTime);
    else if (std::strcmp(keyword, "offset") == 0) ok = Real(s->offset);
    else if (std::strcmp(keyword, "enabled") == 0) ok = Boolean(s->enabled);
    else if (std::strcmp(keyword, "meta_data") == 0) ok = MetaData(s->metaData);
    else if (std::strcmp(keyword, "minimum") == 0) ok = Minimum(s->minima);
    else ok = FailUnknown(keyword);
    if (!ok) break;
  }
  if (!ok) {
    s->Done();
    delete s;
    return false;
  }
  vtree::CAVLTreeElem* found = nullptr;
  if (object.webSettings.Search(s, found)) {
    char second[kUserNameHigh + 32];
    std::snprintf(second, sizeof second, "%s %llX", s->userId, static_cast<unsigned long long>(s->fileTime));
    ShowSeriesRemoved(context.io, "Duplicate web series (same user and file time):", second);
    s->Done();
    delete s;
    return true;
  }
  object.webSettings.Insert(s);
  return true;
}

bool COFDReader::Notes(CObjectListElem& object) {
  char keyword[kKeywordHigh + 1];
  std::string line(kNotesLineHigh + 1, '\0');
  for (;;) {
    if (!NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, "end_notes") == 0) return true;
    if (std::strcmp(keyword, "line") != 0) return FailUnknown(keyword);
    std::size_t kept = 0;
    if (!Quoted(kNotesLineHigh, line.data(), kept)) return false;
    if (kept > 0) vdstr::AppendStrToDStrA(object.notes, static_cast<std::uint32_t>(kept - 1), line.data());
    vdstr::AppendStrToDStrA(object.notes, 1, "\r\n");
  }
}

bool COFDReader::Fit(CObjectListElem& object) {
  char keyword[kKeywordHigh + 1];
  object.fitPresent = true;
  for (;;) {
    if (!NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, "end_fit") == 0) return true;
    ombrix_model::TFitParameterIndex index{};
    if (!ombrix_model::FindFitParameterKeyword(keyword, index)) return FailUnknown(keyword);
    if (!Real(object.fit[index])) return false;
  }
}

bool COFDReader::Object(CObjectListElem& o) {
  char keyword[kKeywordHigh + 1];
  for (;;) {
    if (!NextKeyword(kKeywordHigh, keyword)) return false;
    const auto is = [&](const char* k) { return std::strcmp(keyword, k) == 0; };
    bool ok = true;
    if (is("end_object")) break;
    if (is("token")) ok = QuotedField(kTokenHigh, o.token);
    else if (is("publisher")) ok = QuotedField(kUserNameHigh, o.publisher);
    else if (is("name") || is("caption")) ok = QuotedField(kObjectNameHigh, o.name);
    else if (is("alternate_name") || is("alternate_caption")) ok = QuotedField(kObjectNameHigh, o.altName);
    else if (is("variability_type")) ok = QuotedField(kVariabilityTypeHigh, o.variabilityType);
    else if (is("comment")) ok = QuotedField(kCommentHigh, o.comment);
    else if (is("m0")) ok = Real(o.m0);
    else if (is("period")) ok = Real(o.period);
    else if (is("saved_m0")) ok = Real(o.savedM0);
    else if (is("saved_period")) ok = Real(o.savedPeriod);
    else if (is("primary_fit_time_range")) ok = Real(o.primaryFitTimeRange);
    else if (is("secondary_fit_time_range")) ok = Real(o.secondaryFitTimeRange);
    else if (is("max_magnitude")) ok = Real(o.maxMagnitude);
    else if (is("min_magnitude")) ok = Real(o.minMagnitude);
    else if (is("absolute_path")) ok = QuotedField(kPathHigh, o.absolutePath);
    else if (is("relative_path")) ok = QuotedField(kPathHigh, o.relativePath);
    else if (is("dir_key")) ok = QuotedField(kPathHigh, o.dirKey);
    else if (is("file_names")) ok = QuotedField(kPathHigh, o.fileNames);
    else if (is("offset_amplitude")) ok = Real(o.offsetAmplitude);
    else if (is("period_amplitude")) ok = Real(o.periodAmplitude);
    else if (is("meta_data_source")) {
      std::int32_t source = 0;
      ok = Int32(source);
      o.metaDataSource = static_cast<TMetaDataSource>(source);
    } else if (is("meta_data")) ok = MetaData(o.metaData);
    else if (is("fit")) ok = Fit(o);
    else if (is("use_export_fit_name")) ok = Boolean(o.useExportFitName);
    else if (is("export_fit_name")) ok = QuotedDString(kPathHigh, o.exportFitName);
    else if (is("export_fit_prefix")) ok = QuotedDString(kPathHigh, o.exportFitPrefix);
    else if (is("export_fit_postfix")) ok = QuotedDString(kPathHigh, o.exportFitPostfix);
    else if (is("notes")) ok = Notes(o);
    else if (is("series")) ok = Series(o);
    else if (is("web_series")) ok = WebSeries(o);
    else return FailUnknown(keyword);
    if (!ok) return false;
  }
  IRepositorySeriesSource* source = RepositorySeriesSource();
  if (source && !IsTextEmpty(o.token) && context.repositoryUser && context.repositoryUser[0])
    source->LoadObjectSeries(o, context.repositoryUser);
  if (o.m0 != 0 && o.savedM0 == 0) o.savedM0 = o.m0;
  if (o.period != 0 && o.savedPeriod == 0) o.savedPeriod = o.period;
  return true;
}

namespace {

IRepositorySeriesSource* gRepositorySource = nullptr;

bool ReadTopLevel(COFDReader& r, CField& field) {
  char keyword[kKeywordHigh + 1];
  if (!r.NextKeyword(kKeywordHigh, keyword) || std::strcmp(keyword, "ombrix") != 0) {
    r.error[0] = 0;
    return r.Fail("Missing \"ombrix\" keyword");
  }
  std::int32_t version = 0;
  std::int32_t total = 0;
  for (;;) {
    if (!r.NextKeyword(kKeywordHigh, keyword)) return false;
    if (std::strcmp(keyword, "end_ombrix") == 0) {
      field.Clear();
      return true;
    }
    if (std::strcmp(keyword, "object") == 0) break;
    bool ok = true;
    if (std::strcmp(keyword, "version") == 0) ok = r.Int32(version);
    else if (std::strcmp(keyword, "objects") == 0) ok = r.Int32(total);
    else return r.FailUnknown(keyword);
    if (!ok) return false;
  }
  if (version == 0) return r.Fail("Missing file version information");
  if (version > kOFDVersion) return r.Fail("File version higher than supported (update OMBRIX)");
  field.Clear();
  IFieldLoadProgress* progress = total > 0 ? r.context.progress : nullptr;
  const auto totalCount = static_cast<std::uint32_t>(total > 0 ? total : 0);
  if (progress) progress->Begin(totalCount);
  bool ok = true;
  for (std::uint32_t done = 0;;) {
    auto* object = new CObjectListElem;
    field.Append(object);
    if (!r.Object(*object)) {
      ok = false;
      break;
    }
    if (progress) progress->Step(++done, totalCount);
    if (!r.NextKeyword(kKeywordHigh, keyword)) {
      ok = false;
      break;
    }
    if (std::strcmp(keyword, "end_ombrix") == 0) break;
    if (std::strcmp(keyword, "object") != 0) {
      ok = r.FailUnknown(keyword);
      break;
    }
  }
  if (progress) progress->End();
  return ok;
}

}  // namespace

void SetRepositorySeriesSource(IRepositorySeriesSource* source) { gRepositorySource = source; }
IRepositorySeriesSource* RepositorySeriesSource() { return gRepositorySource; }

bool ReadFieldText(const char* data, std::size_t length, const TFieldLoadContext& context, CField& field,
                   bool& changed, char* errorText) {
  COFDReader reader(data, length, context);
  const bool ok = ReadTopLevel(reader, field);
  changed = reader.changed;
  CopyText(kErrorTextHigh, errorText, reader.error);
  errorText[kErrorTextHigh] = 0;
  if (!ok) field.Clear();
  return ok;
}

}  // namespace ombrix_data
