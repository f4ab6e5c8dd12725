// Writing field description text: lexical helpers and the section writers.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "ofd_sections.h"
#include "ombrix_field/ofd.h"
#include "text.h"

namespace ombrix_data {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kMaxIndexedStars = 10;  // cmp0..cmp9, chk0..chk9

// "HH:MM:SS.sss" for hours (3 decimals) or "+DD:MM:SS.ss" for degrees (2).
// Rounding the whole value in units of the last decimal carries a rounded 60
// seconds into the minutes and 60 minutes into the units.
std::string Sexagesimal(double value, bool degrees) {
  const double scale = degrees ? 100.0 : 1000.0;
  const bool negative = value < 0;
  const double ticks = std::round(std::fabs(value) * 3600.0 * scale);
  const double perUnit = 3600.0 * scale;
  const double units = std::floor(ticks / perUnit);
  const double rest = ticks - units * perUnit;
  const int minutes = static_cast<int>(std::floor(rest / (60.0 * scale)));
  const double seconds = (rest - minutes * 60.0 * scale) / scale;
  char buffer[64];
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
  std::snprintf(buffer, sizeof buffer, degrees ? "%s:%02d:%05.2f" : "%s:%02d:%06.3f", unitText,
                minutes, seconds);
  return buffer;
}

const char* JDTypeWord(TJDType type) { return type == jdGeocentric ? "geocentric" : "heliocentric"; }
const char* UnitWord(TValueUnit unit) { return unit == unitMagnitude ? "magnitude" : "flux"; }

const char* MinimumTypeWord(TMinimumType type) {
  switch (type) {
    case minPrimary: return "primary";
    case minSecondary: return "secondary";
    default: return "any";
  }
}

// A sexagesimal coordinate is written when it is one the form carries exactly
// from writing to reading: a value from a damaged file far beyond any
// coordinate (a million hours or degrees) is left out like an unknown one.
bool IsWritableCoordinate(double units) { return std::fabs(units) < 1e6; }

void WriteStar(COFDWriter& w, const char* section, const char* endSection, const TStarData& star) {
  w.BeginSection(section);
  if (!IsTextEmpty(star.name)) w.QuotedField("star_name", kStarNameHigh, star.name);
  if (IsRAKnown(star.ra) && IsWritableCoordinate(star.ra * 12.0 / kPi)) {
    const std::string ra = Sexagesimal(star.ra * 12.0 / kPi, false);
    w.Quoted("star_ra", ra.c_str(), ra.size());
  }
  if (IsDecKnown(star.dec) && IsWritableCoordinate(star.dec * 180.0 / kPi)) {
    const std::string dec = Sexagesimal(star.dec * 180.0 / kPi, true);
    w.Quoted("star_dec", dec.c_str(), dec.size());
  }
  if (!IsTextEmpty(star.catalog)) w.QuotedField("catalog", kCatalogNameHigh, star.catalog);
  if (!IsTextEmpty(star.catalogId)) w.QuotedField("catalog_id", kCatalogIdHigh, star.catalogId);
  if (IsRAKnown(star.catalogRA)) w.Real("catalog_ra", star.catalogRA);
  if (IsDecKnown(star.catalogDec)) w.Real("catalog_dec", star.catalogDec);
  if (star.catalogMag != kUnknownMagnitude) w.Real("catalog_mag", star.catalogMag);
  if (star.catalogBV != kUnknownMagnitude) w.Real("catalog_bv", star.catalogBV);
  if (star.catalogJK != kUnknownMagnitude) w.Real("catalog_jk", star.catalogJK);
  w.EndSection(endSection);
}

void WriteIndexedStars(COFDWriter& w, const char* prefix, std::uint32_t count, const TStarData* stars) {
  if (count > kMaxIndexedStars) count = kMaxIndexedStars;
  for (std::uint32_t i = 0; i < count; ++i) {
    char section[16];
    char endSection[24];
    std::snprintf(section, sizeof section, "%s%u", prefix, i);
    std::snprintf(endSection, sizeof endSection, "end_%s%u", prefix, i);
    WriteStar(w, section, endSection, stars[i]);
  }
}

void WriteDString(COFDWriter& w, const char* keyword, const vdstr::TDStringA* s) {
  if (EmptyDStrA(s)) return;
  const char* address = nullptr;
  std::uint32_t length = 0;
  vdstr::GetDStrAddrLenA(s, address, length);
  w.Quoted(keyword, address, std::min<std::size_t>(length, kPathHigh + 1));
}

// One "line" per text line: split at CR LF, a last line without CR LF too.
void WriteNotes(COFDWriter& w, const vdstr::TDStringA* notes) {
  if (EmptyDStrA(notes)) return;
  const char* address = nullptr;
  std::uint32_t length = 0;
  vdstr::GetDStrAddrLenA(notes, address, length);
  w.BeginSection("notes");
  std::size_t start = 0;
  while (start < length) {
    std::size_t end = start;
    while (end < length && !(address[end] == '\r' && end + 1 < length && address[end + 1] == '\n')) ++end;
    w.Quoted("line", address + start, std::min<std::size_t>(end - start, kNotesLineHigh + 1));
    start = end + 2;
  }
  w.EndSection("end_notes");
}

// The fit parameters in file order (which differs from the model's order).
const ombrix_model::TFitParameterIndex kFitFileOrder[ombrix_model::FitParameterCount] = {
    ombrix_model::fpMag0,  ombrix_model::fpSecPhase, ombrix_model::fpAPri,  ombrix_model::fpDPri,
    ombrix_model::fpGPri,  ombrix_model::fpCPri,     ombrix_model::fpASec,  ombrix_model::fpDSec,
    ombrix_model::fpGSec,  ombrix_model::fpCSec,     ombrix_model::fpASin1, ombrix_model::fpASin2,
    ombrix_model::fpASin3, ombrix_model::fpACos1,    ombrix_model::fpACos2, ombrix_model::fpACos3};

bool IsLoadedRepositorySeries(const CObjectListElem& object, const CWebSeriesLocalDataTreeElem& setting) {
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    if (s->IsLocalSeries()) continue;
    const auto* web = static_cast<const CWebSeriesTreeElem*>(s);
    if (web->fileTime == setting.fileTime &&
        std::strncmp(web->userName, setting.userId, kUserNameHigh + 1) == 0)
      return true;
  }
  return false;
}

}  // namespace

const ombrix_model::TFitParameterIndex* FitParametersInFileOrder() { return kFitFileOrder; }

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

void COFDWriter::Word(const char* keyword, const char* word) {
  ValueStart(keyword);
  text.append(word);
  LineEnd();
}

void COFDWriter::Integer(const char* keyword, std::int64_t value) {
  Word(keyword, std::to_string(value).c_str());
}

void COFDWriter::Real(const char* keyword, double value, int decimals) {
  if (value == 0 || !std::isfinite(value)) {
    Word(keyword, "0");
    return;
  }
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  Word(keyword, buffer);
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
  Quoted(keyword, value, TextLength(high, value));
}

void COFDWriter::MetaData(const CMetaData& m) {
  BeginSection("meta_data");
  if (m.varAperture != 0) Real("var_aperture", m.varAperture);
  if (m.cmpAperture != 0) Real("cmp_aperture", m.cmpAperture);
  if (m.chkAperture != 0) Real("chk_aperture", m.chkAperture);
  if (m.jdType != jdUnknown) Word("jd_type", JDTypeWord(m.jdType));
  if (m.valueUnit != unitUnknown) Word("value_unit", UnitWord(m.valueUnit));
  if (!IsTextEmpty(m.filter)) QuotedField("filter", kFilterNameHigh, m.filter);
  if (m.var.IsSet()) WriteStar(*this, "var", "end_var", m.var);
  WriteIndexedStars(*this, "cmp", m.cmpCount, m.cmp);
  WriteIndexedStars(*this, "chk", m.chkCount, m.chk);
  EndSection("end_meta_data");
}

void COFDWriter::Minima(const CMinimaList& minima) {
  for (auto* e = static_cast<CMinimaListElem*>(minima.first); e;
       e = static_cast<CMinimaListElem*>(e->next)) {
    BeginSection("minimum");
    Word("type", MinimumTypeWord(e->type));
    Real("time", e->time);
    Real("error", e->error);
    Boolean("enabled", e->enabled);
    EndSection("end_minimum");
  }
}

void COFDWriter::Fit(const ombrix_model::TFitParameters& fit) {
  BeginSection("fit");
  for (auto index : kFitFileOrder) Real(ombrix_model::FitParameterKeywords[index], fit[index]);
  EndSection("end_fit");
}

void COFDWriter::WebSeries(const char* userId, std::uint64_t fileTime, double offset, bool enabled,
                           const CMetaData& metaData, const CMinimaList& minima) {
  BeginSection("web_series");
  Word("user_id", std::string(userId, TextLength(kUserNameHigh, userId)).c_str());
  Hex("file_time", fileTime);
  Real("offset", offset);
  Boolean("enabled", enabled);
  if (metaData.IsSet()) MetaData(metaData);
  Minima(minima);
  EndSection("end_web_series");
}

void COFDWriter::Object(const CObjectListElem& o) {
  BeginSection("object");
  if (!IsTextEmpty(o.token)) QuotedField("token", kTokenHigh, o.token);
  if (!IsTextEmpty(o.publisher)) QuotedField("publisher", kUserNameHigh, o.publisher);
  QuotedField("name", kObjectNameHigh, o.name);
  if (!IsTextEmpty(o.altName)) QuotedField("alternate_name", kObjectNameHigh, o.altName);
  if (!IsTextEmpty(o.variabilityType)) QuotedField("variability_type", kVariabilityTypeHigh, o.variabilityType);
  if (!IsTextEmpty(o.comment)) QuotedField("comment", kCommentHigh, o.comment);
  Real("m0", o.m0, 7);
  Real("period", o.period, 7);
  Real("saved_m0", o.savedM0, 7);
  Real("saved_period", o.savedPeriod, 7);
  Real("primary_fit_time_range", o.primaryFitTimeRange, 7);
  Real("secondary_fit_time_range", o.secondaryFitTimeRange, 7);
  if (o.maxMagnitude != kUnknownMagnitude) Real("max_magnitude", o.maxMagnitude, 3);
  if (o.minMagnitude != kUnknownMagnitude) Real("min_magnitude", o.minMagnitude, 3);
  Real("period", o.period, 7);  // written a second time here; readers take the last
  QuotedField("absolute_path", kPathHigh, o.absolutePath);
  QuotedField("relative_path", kPathHigh, o.relativePath);
  QuotedField("dir_key", kPathHigh, o.dirKey);
  QuotedField("file_names", kPathHigh, o.fileNames);
  Real("offset_amplitude", o.offsetAmplitude);
  Real("period_amplitude", o.periodAmplitude);
  Integer("meta_data_source", o.metaDataSource);
  if (o.metaData.IsSet()) MetaData(o.metaData);
  if (o.fitPresent) Fit(o.fit);
  Boolean("use_export_fit_name", o.useExportFitName);
  WriteDString(*this, "export_fit_name", o.exportFitName);
  WriteDString(*this, "export_fit_prefix", o.exportFitPrefix);
  WriteDString(*this, "export_fit_postfix", o.exportFitPostfix);
  WriteNotes(*this, o.notes);
  for (CSeriesTreeElem* s = o.FirstSeries(); s; s = o.NextSeries(s))
    if (s->IsLocalSeries()) s->WriteFieldSection(*this);
  for (CSeriesTreeElem* s = o.FirstSeries(); s; s = o.NextSeries(s))
    if (!s->IsLocalSeries()) s->WriteFieldSection(*this);
  // Settings of repository series that are not loaded (offline, or no cache)
  // are kept as they were.
  vtree::CAVLTreeElem* e = nullptr;
  for (bool more = o.webSettings.GetFirst(e); more; more = o.webSettings.GetNextElem(e, e)) {
    const auto& setting = *static_cast<const CWebSeriesLocalDataTreeElem*>(e);
    if (!IsLoadedRepositorySeries(o, setting))
      WebSeries(setting.userId, setting.fileTime, setting.offset, setting.enabled, setting.metaData,
                setting.minima);
  }
  EndSection("end_object");
}

bool CSeriesTreeElem::WriteFieldSection(COFDWriter&) const { return false; }

bool CLocalSeriesTreeElem::WriteFieldSection(COFDWriter& w) const {
  w.BeginSection("series");
  w.QuotedField("absolute_path", kPathHigh, absolutePath);
  w.QuotedField("relative_path", kPathHigh, relativePath);
  w.Real("offset", offset);
  w.Boolean("enabled", enabled);
  if (fieldMetaData.IsSet()) w.MetaData(fieldMetaData);
  w.Minima(minima);
  w.EndSection("end_series");
  return true;
}

// A loaded repository series keeps its local settings in a "web_series" section.
bool CWebSeriesTreeElem::WriteFieldSection(COFDWriter& w) const {
  w.WebSeries(userName, fileTime, offset, enabled, fieldMetaData, minima);
  return true;
}

void WriteFieldText(const CField& field, std::string& text) {
  COFDWriter w;
  w.text.reserve(4096);
  w.Keyword("ombrix");
  w.Integer("version", kOFDVersion);
  w.Integer("objects", field.Count());
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) w.Object(*o);
  w.Keyword("end_ombrix");
  text.swap(w.text);
}

}  // namespace ombrix_data
