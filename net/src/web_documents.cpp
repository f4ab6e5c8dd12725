// The object document of publish and contribute, the object summaries of
// list and contribute answers, and the members the cache keeps.
#include <ombrix_field/object.h>
#include <ombrix_field/series.h>
#include <runbase/str.h>

#include <cstring>
#include <string>

#include "ombrix_net/web_protocol.h"
#include "sjson_support.h"

namespace ombrix_web {

namespace {

constexpr std::uint32_t kNoteLineHigh = 1023;  // characters of one sent note line

bool AddText(sjson::CJSON& doc, const char* name, const std::string& text) {
  return doc.AddStr(name, text.empty() ? 0 : static_cast<std::uint32_t>(text.size() - 1), text.c_str());
}

std::string Fixed6(double value) {
  char text[64] = {};
  bool ok = false;
  Str::FixRealToStrA(value, 6, sizeof text - 1, text, ok);
  return text;
}

void ReadFit(sjson::CJSON& doc, CWebObjectListElem& object) {
  if (!doc.EnterRecord("fit")) return;
  ombrix_model::ResetFitParameters(object.fit);
  for (int i = 0; i < ombrix_model::FitParameterCount; ++i)
    doc.GetReal(ombrix_model::FitParameterKeywords[i], object.fit.value[i]);
  ombrix_model::PrepareLightCurveModel(object.fit);
  object.fitPresent = true;
  doc.Leave();
}

// The contributors array; false when an id is not safe as a file-name part.
bool ReadContributors(sjson::CJSON& doc, CWebObjectListElem& object) {
  if (!doc.EnterArray("contributors")) return true;
  std::uint32_t count = 0;
  doc.GetArrayCount(count);
  bool safe = true;
  for (std::uint32_t i = 0; i < count; ++i) {
    char id[kUserIdHigh + 1] = {};
    if (!GetArrayText(doc, i, id)) continue;
    if (!IsSafeId(id)) safe = false;
    object.contributors.emplace_back(id);
  }
  doc.Leave();
  return safe;
}

// Field-file meta-data when it states the member, else the data's.
const ombrix_data::CMetaData& Pick(const ombrix_data::CSeriesTreeElem& s, bool statedHasIt) {
  return statedHasIt ? s.fieldMetaData : s.dataMetaData;
}

void AddSeriesMetaData(sjson::CJSON& doc, const ombrix_data::CSeriesTreeElem& s) {
  const struct {
    const char* name;
    double ombrix_data::CMetaData::*member;
  } apertures[] = {{"var_aperture", &ombrix_data::CMetaData::varAperture},
                   {"cmp_aperture", &ombrix_data::CMetaData::cmpAperture},
                   {"chk_aperture", &ombrix_data::CMetaData::chkAperture}};
  for (const auto& a : apertures) {
    const double value = Pick(s, s.fieldMetaData.*a.member != 0.0).*a.member;
    if (value != 0.0) doc.AddReal(a.name, value);
  }
  const ombrix_data::TJDType jd = Pick(s, s.fieldMetaData.jdType != ombrix_data::jdUnknown).jdType;
  // Barycentric times go out as "BJD", which every reader takes for times
  // already corrected (never "GJD", which would be corrected twice).
  if (jd != ombrix_data::jdUnknown)
    AddText(doc, "jd_type", jd == ombrix_data::jdHeliocentric   ? "HJD"
                            : jd == ombrix_data::jdBarycentric ? "BJD"
                                                               : "GJD");
  const ombrix_data::TValueUnit unit = Pick(s, s.fieldMetaData.valueUnit != ombrix_data::unitUnknown).valueUnit;
  if (unit != ombrix_data::unitUnknown) AddText(doc, "brightness_unit", unit == ombrix_data::unitFlux ? "flux" : "mag");
  const char* filter = Pick(s, s.fieldMetaData.filter[0] != '\0').filter;
  if (filter[0] != '\0') doc.AddStr("filter", ombrix_data::kFilterNameHigh, filter);
}

void AddMinima(sjson::CJSON& doc, const ombrix_data::CSeriesTreeElem& s) {
  bool any = false;
  for (auto* e = s.minima.first; e; e = e->next) any = any || static_cast<ombrix_data::CMinimaListElem*>(e)->enabled;
  if (!any) return;
  doc.AddArray("minima");
  for (auto* e = s.minima.first; e; e = e->next) {
    const auto* m = static_cast<const ombrix_data::CMinimaListElem*>(e);
    if (!m->enabled) continue;
    doc.AddRecord(nullptr);
    doc.AddReal("jd", m->time);
    doc.AddReal("error", m->error);
    AddText(doc, "type",
            m->type == ombrix_data::minPrimary     ? "primary"
            : m->type == ombrix_data::minSecondary ? "secondary"
                                                   : "unknown");
    doc.Leave();
  }
  doc.Leave();
}

void AddSeries(sjson::CJSON& doc, const ombrix_data::CSeriesTreeElem& s) {
  doc.AddRecord(nullptr);
  char fileTime[17] = {};
  std::snprintf(fileTime, sizeof fileTime, "%llX", static_cast<unsigned long long>(s.fileTime));
  AddText(doc, "file_time", fileTime);
  AddSeriesMetaData(doc, s);
  AddMinima(doc, s);
  doc.AddArray("data");
  for (std::uint32_t i = 0; i < s.pointCount; ++i)
    AddText(doc, nullptr, Fixed6(s.time[i]) + " " + Fixed6(s.value[i]) + " " + Fixed6(s.error[i]));
  doc.Leave();
  doc.Leave();
}

void AddNotes(sjson::CJSON& doc, const vdstr::TDStringA* notes) {
  const std::string_view text = sjson::support::StringView(notes);
  if (text.empty()) return;
  doc.AddArray("notes");
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string line(text.substr(start, end - start));
    if (line.size() > kNoteLineHigh + 1) line.resize(kNoteLineHigh + 1);
    AddText(doc, nullptr, line);
    start = last ? text.size() : end + 2;
  }
  doc.Leave();
}

void AddCoordinate(sjson::CJSON& doc, const char* name, double value, double unset) {
  if (value != unset) doc.AddReal(name, value);
}

// Deep copy of one node's value into a new member or element of `to`.
void CopyNode(const sjson::CJSONNode& node, const char* name, sjson::CJSON& to) {
  switch (node.kind) {
    case sjson::jkString: to.AddDStr(name, node.value.string); break;
    case sjson::jkInteger: to.AddReal(name, static_cast<double>(node.value.integer)); break;
    case sjson::jkReal: to.AddReal(name, node.value.real); break;
    case sjson::jkBoolean: to.AddBool(name, node.value.boolean != 0); break;
    case sjson::jkRecord:
    case sjson::jkArray:
      node.kind == sjson::jkRecord ? to.AddRecord(name) : to.AddArray(name);
      for (auto* e = node.children.first; e; e = e->next) {
        const auto* child = static_cast<const sjson::CJSONNode*>(e);
        const char* childName = nullptr;
        char buffer[sjson::kNameLength + 1] = {};
        if (child->HasName()) {
          std::memcpy(buffer, static_cast<const sjson::CJSONNamedNode*>(child)->name, sjson::kNameLength);
          childName = buffer;
        }
        CopyNode(*child, childName, to);
      }
      to.Leave();
      break;
    default: to.AddNull(name);
  }
}

const sjson::CJSONNode* FindChild(const sjson::CJSONNode* record, const char* name) {
  if (!record || record->kind != sjson::jkRecord) return nullptr;
  for (auto* e = record->children.first; e; e = e->next) {
    const auto* child = static_cast<const sjson::CJSONNamedNode*>(e);
    if (std::strncmp(child->name, name, sjson::kNameLength) == 0) return child;
  }
  return nullptr;
}

}  // namespace

CWebObjectListElem::CWebObjectListElem() { ombrix_model::ResetFitParameters(fit); }

bool ReadObjectSummary(sjson::CJSON& doc, CWebObjectListElem& object, const char*& badKey) {
  badKey = nullptr;
  GetText(doc, "publisher", object.publisher);
  if (object.publisher[0] != '\0' && !IsSafeId(object.publisher)) badKey = "publisher";
  if (!ReadContributors(doc, object) && !badKey) badKey = "contributors";
  GetText(doc, "name", object.name);
  GetText(doc, "alt_name", object.altName);
  GetText(doc, "comment", object.comment);
  GetText(doc, "var_type", object.varType);
  doc.GetReal("m0", object.m0);
  doc.GetReal("period", object.period);
  doc.GetReal("ra", object.ra);
  doc.GetReal("dec", object.dec);
  GetText(doc, "catalog", object.catalog);
  GetText(doc, "catalog_id", object.catalogId);
  doc.GetReal("catalog_ra", object.catalogRA);
  doc.GetReal("catalog_dec", object.catalogDec);
  doc.GetReal("catalog_mag", object.catalogMag);
  ReadFit(doc, object);
  return badKey == nullptr;
}

void BuildObjectDocument(const ombrix_data::CObjectListElem& object, sjson::CJSON& doc) {
  doc.InitRoot(false);
  doc.AddStr("token", ombrix_data::kTokenHigh, object.token);
  doc.AddStr("name", ombrix_data::kObjectNameHigh, object.name);
  doc.AddStr("alt_name", ombrix_data::kObjectNameHigh, object.altName);
  doc.AddStr("comment", ombrix_data::kCommentHigh, object.comment);
  doc.AddStr("var_type", ombrix_data::kVariabilityTypeHigh, object.variabilityType);
  doc.AddReal("m0", object.m0);
  doc.AddReal("period", object.period);
  ombrix_data::CMetaData effective;
  object.GetEffectiveMetaData(effective);
  const ombrix_data::TStarData& star = effective.var;
  AddCoordinate(doc, "ra", star.ra, -1.0);
  AddCoordinate(doc, "dec", star.dec, 91.0);
  doc.AddStr("catalog", ombrix_data::kCatalogNameHigh, star.catalog);
  doc.AddStr("catalog_id", ombrix_data::kCatalogIdHigh, star.catalogId);
  AddCoordinate(doc, "catalog_ra", star.catalogRA, -1.0);
  AddCoordinate(doc, "catalog_dec", star.catalogDec, 91.0);
  if (star.catalogMag != 100.0) doc.AddReal("catalog_mag", star.catalogMag);
  if (object.fitPresent) {
    // All sixteen parameters: the third harmonic travels too, or a shared
    // fit would lose it.
    doc.AddRecord("fit");
    for (ombrix_model::TFitParameterIndex i : ombrix_model::FitParameterWriteOrder)
      doc.AddReal(ombrix_model::FitParameterKeywords[i], object.fit.value[i]);
    doc.Leave();
  }
  AddNotes(doc, object.notes);
  if (object.FirstSeries()) {
    doc.AddArray("series");
    for (ombrix_data::CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
      if (s->IsLocalSeries() && s->enabled && !s->missing) AddSeries(doc, *s);
    }
    doc.Leave();
  }
  doc.Rewind();
}

void CopyCacheMembers(sjson::CJSON& from, sjson::CJSON& to) {
  static const char* const kMembers[] = {
      "name",    "alt_name",   "comment",    "var_type",    "m0",          "period", "ra",    "dec",
      "catalog", "catalog_id", "catalog_ra", "catalog_dec", "catalog_mag", "fit",    "notes", "series"};
  for (const char* name : kMembers) {
    if (const sjson::CJSONNode* node = FindChild(from.current, name)) CopyNode(*node, name, to);
  }
}

void CopySummaryMembers(sjson::CJSON& from, sjson::CJSON& to) {
  static const char* const kMembers[] = {"name",       "alt_name",    "comment",     "var_type", "m0",
                                         "period",     "ra",          "dec",         "catalog",  "catalog_id",
                                         "catalog_ra", "catalog_dec", "catalog_mag", "fit"};
  for (const char* name : kMembers) {
    if (const sjson::CJSONNode* node = FindChild(from.current, name)) CopyNode(*node, name, to);
  }
}

}  // namespace ombrix_web
