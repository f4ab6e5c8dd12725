// Writing field description text: lexical helpers and the section writers;
// which keywords a section holds comes from the keyword tables.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <ombrix_model/light_curve_model.h>
#include <runbase/fixed_text.h>

#include "ofd_keywords.h"
#include "ofd_sections.h"
#include "ombrix_field/ofd.h"

namespace ombrix_data {

namespace {

// Fixed-point text with `decimals` decimals and a decimal point whatever the
// user's locale; the number of characters written.
std::size_t FormatFixed(char* buffer, std::size_t size, double value, int decimals) {
  const auto result = std::to_chars(buffer, buffer + size, value, std::chars_format::fixed, decimals);
  return result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - buffer) : 0;
}

// "HH:MM:SS.sss" for hours (3 decimals) or "+DD:MM:SS.ss" for degrees (2).
// Rounding the whole value in units of the last decimal carries a rounded 60
// seconds into the minutes and 60 minutes into the units.
std::string SexagesimalText(double value, bool degrees) {
  const int decimals = degrees ? 2 : 3;
  const double scale = degrees ? 100.0 : 1000.0;
  const bool negative = value < 0;
  const double ticks = std::round(std::fabs(value) * 3600.0 * scale);
  const double perUnit = 3600.0 * scale;
  const double units = std::floor(ticks / perUnit);
  const double rest = ticks - units * perUnit;
  const int minutes = static_cast<int>(std::floor(rest / (60.0 * scale)));
  const double seconds = (rest - minutes * 60.0 * scale) / scale;
  char unitText[32];
  const long long whole = static_cast<long long>(units);
  if (negative && whole == 0) {
    std::snprintf(unitText, sizeof unitText, "-00");
  } else if (negative) {
    std::snprintf(unitText, sizeof unitText, "%02lld", -whole);
  } else if (degrees && whole > 0) {
    std::snprintf(unitText, sizeof unitText, "+%02lld", whole);
  } else {
    std::snprintf(unitText, sizeof unitText, "%02lld", whole);
  }
  char minuteText[16];
  std::snprintf(minuteText, sizeof minuteText, "%02d", minutes);
  // Seconds with two integer digits: "05.25", "07.125".
  char secondText[32];
  const std::size_t n = FormatFixed(secondText, sizeof secondText, seconds, decimals);
  std::string secondsPadded(secondText, n);
  const std::size_t width = static_cast<std::size_t>(decimals) + 3;
  if (secondsPadded.size() < width) secondsPadded.insert(0, width - secondsPadded.size(), '0');
  return std::string(unitText) + ":" + minuteText + ":" + secondsPadded;
}

// A sexagesimal coordinate is written when it is one the form carries exactly
// from writing to reading: a value from a damaged file far beyond any
// coordinate (a million hours or degrees) is left out like an unknown one.
bool IsWritableCoordinate(double units) { return std::fabs(units) < 1e6; }

}  // namespace

void WriteDString(COFDWriter& w, const char* keyword, const vdstr::TDStringA* s) {
  if (EmptyDStrA(s)) return;
  const char* address = nullptr;
  std::uint32_t length = 0;
  vdstr::GetDStrAddrLenA(s, address, length);
  w.Quoted(keyword, address, std::min<std::size_t>(length, kPathHigh + 1));
}

void WriteSexagesimal(COFDWriter& w, const char* keyword, double units, bool degrees) {
  if (!IsWritableCoordinate(units)) return;
  const std::string text = SexagesimalText(units, degrees);
  w.Quoted(keyword, text.c_str(), text.size());
}

void COFDWriter::LineStart(const char* keyword) {
  text.append(static_cast<std::size_t>(level_), '\t');
  text.append(keyword);
}

void COFDWriter::ValueStart(const char* keyword) {
  LineStart(keyword);
  text.append(" = ");
}

void COFDWriter::LineEnd() { text.append("\r\n"); }

void COFDWriter::BeginSection(const char* keyword) {
  Keyword(keyword);
  ++level_;
}

void COFDWriter::EndSection(const char* endKeyword) {
  if (level_ > 0) --level_;
  Keyword(endKeyword);
}

void COFDWriter::Keyword(const char* keyword) {
  LineStart(keyword);
  LineEnd();
}

void COFDWriter::Word(const char* keyword, const char* word, const char* trailer) {
  ValueStart(keyword);
  text.append(word);
  if (trailer) text.append(" ").append(trailer);
  LineEnd();
}

void COFDWriter::Integer(const char* keyword, std::int64_t value) {
  Word(keyword, std::to_string(value).c_str());
}

void COFDWriter::Real(const char* keyword, double value, int decimals, const char* trailer) {
  char buffer[400];
  const std::size_t n = value == 0 || !std::isfinite(value) ? 0 : FormatFixed(buffer, sizeof buffer, value, decimals);
  Word(keyword, n == 0 ? "0" : std::string(buffer, n).c_str(), trailer);
}

void COFDWriter::Boolean(const char* keyword, bool value) { Word(keyword, value ? "TRUE" : "FALSE"); }

void COFDWriter::Hex(const char* keyword, std::uint64_t value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(value));
  Word(keyword, buffer);
}

void COFDWriter::Quoted(const char* keyword, const char* value, std::size_t length) {
  ValueStart(keyword);
  text.push_back('"');
  for (std::size_t i = 0; i < length; ++i) {
    if (value[i] == '"') text.push_back('"');
    text.push_back(value[i]);
  }
  text.push_back('"');
  LineEnd();
}

void COFDWriter::QuotedField(const char* keyword, std::uint32_t high, const char* value) {
  Quoted(keyword, value, FixedText::Length(high, value));
}

void COFDWriter::WriteStar(const char* section, const char* endSection, const TStarData& star) {
  BeginSection(section);
  WriteKeywords(*this, kStarKeywords, star);
  EndSection(endSection);
}

void COFDWriter::WriteMetaData(const CMetaData& m) {
  BeginSection(kMetaDataSection.begin);
  WriteKeywords(*this, kMetaDataKeywords, m);
  for (const TIndexedStars& kind : kIndexedStars) {
    const std::uint32_t count = std::min(m.*kind.count, kMaxIndexedStars);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::string section = kind.prefix + std::to_string(i);
      WriteStar(section.c_str(), ("end_" + section).c_str(), (m.*kind.stars)[i]);
    }
  }
  EndSection(kMetaDataSection.end);
}

void COFDWriter::WriteMinima(const CMinimaList& minima, const CSeriesTreeElem* series) {
  for (auto* e = static_cast<CMinimaListElem*>(minima.first); e; e = static_cast<CMinimaListElem*>(e->next)) {
    // The scale is written only where it is not the series' legacy one, so
    // fields without other scales are written as they always were.
    CMinimaListElem written;
    written.type = e->type;
    written.time = e->time;
    written.error = e->error;
    written.enabled = e->enabled;
    written.timeScale = series ? MinimumTimeScale(*e, *series) : e->timeScale;
    written.scaleStated = series ? written.timeScale != series->LegacyTimeScale() : e->scaleStated;
    BeginSection(kMinimumSection.begin);
    WriteKeywords(*this, kMinimumKeywords, written);
    EndSection(kMinimumSection.end);
  }
}

void COFDWriter::WriteFit(const ombrix_model::TFitParameters& fit) {
  BeginSection(kFitSection.begin);
  for (auto index : ombrix_model::FitParameterWriteOrder) Real(ombrix_model::FitParameterKeywords[index], fit[index]);
  EndSection(kFitSection.end);
}

// One "line" per text line: split at CR LF, a last line without CR LF too.
void COFDWriter::WriteNotes(const vdstr::TDStringA* notes) {
  if (EmptyDStrA(notes)) return;
  const char* address = nullptr;
  std::uint32_t length = 0;
  vdstr::GetDStrAddrLenA(notes, address, length);
  BeginSection(kNotesSection.begin);
  std::size_t start = 0;
  while (start < length) {
    std::size_t end = start;
    while (end < length && !(address[end] == '\r' && end + 1 < length && address[end + 1] == '\n')) ++end;
    Quoted(kNotesLineKeyword, address + start, std::min<std::size_t>(end - start, kNotesLineHigh + 1));
    start = end + 2;
  }
  EndSection(kNotesSection.end);
}

void COFDWriter::WriteWebSeries(const CWebSeriesLocalDataTreeElem& settings) {
  BeginSection(kWebSeriesSection.begin);
  WriteKeywords(*this, kWebSeriesKeywords, settings);
  EndSection(kWebSeriesSection.end);
}

void COFDWriter::WriteObject(const CObjectListElem& o) {
  BeginSection(kObjectSection.begin);
  WriteKeywords(*this, kObjectKeywords, o);
  EndSection(kObjectSection.end);
}

bool CSeriesTreeElem::WriteFieldSection(COFDWriter&) const { return false; }

bool CLocalSeriesTreeElem::WriteFieldSection(COFDWriter& w) const {
  w.BeginSection(kSeriesSection.begin);
  WriteKeywords(w, kLocalSeriesKeywords, *this);
  w.EndSection(kSeriesSection.end);
  return true;
}

// A loaded repository series keeps its local settings in a "web_series"
// section, as stored settings are written.
bool CWebSeriesTreeElem::WriteFieldSection(COFDWriter& w) const {
  CWebSeriesLocalDataTreeElem settings;
  FixedText::Assign(kUserNameHigh, settings.userId, FixedText::View(kUserNameHigh, userName));
  settings.fileTime = fileTime;
  settings.offset = offset;
  settings.enabled = enabled;
  settings.metaData.Assign(fieldMetaData);
  settings.minima.Assign(minima);
  // Stored settings keep the scales as stated; state them against this
  // series' legacy scale, as a local series writes them.
  auto* copy = static_cast<CMinimaListElem*>(settings.minima.first);
  for (auto* e = static_cast<CMinimaListElem*>(minima.first); e && copy;
       e = static_cast<CMinimaListElem*>(e->next), copy = static_cast<CMinimaListElem*>(copy->next)) {
    copy->timeScale = MinimumTimeScale(*e, *this);
    copy->scaleStated = copy->timeScale != LegacyTimeScale();
  }
  w.WriteWebSeries(settings);
  return true;
}

void WriteFieldText(const CField& field, std::string& text) {
  COFDWriter w;
  w.text.reserve(4096);
  w.Keyword(kFieldSection.begin);
  w.Integer(kVersionKeyword, kOFDVersion);
  w.Integer(kObjectCountKeyword, field.Count());
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) w.WriteObject(*o);
  w.Keyword(kFieldSection.end);
  text.swap(w.text);
}

}  // namespace ombrix_data
