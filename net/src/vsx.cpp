// The VSX look-up: box, query, answer, matching and messages.
#include "ombrix_net/vsx.h"

#include <ombrix_field/object.h>
#include <ombrix_model/angles.h>
#include <runbase/fixed_text.h>
#include <runbase/str.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "ombrix_net/sjson.h"
#include "ombrix_net/web_protocol.h"

namespace ombrix_web {

namespace {

using ombrix_data::CObjectListElem;

constexpr const char* kCannotLookup = "Cannot lookup stars in VSX";
constexpr const char* kCompleted = "VSX query completed";
constexpr const char* kVsxAccept = "application/json, text/html, text/*, */*";

bool HasCoordinates(const ombrix_data::TStarData& star) {
  return ombrix_data::IsRAKnown(star.ra) && ombrix_data::IsDecKnown(star.dec);
}

ombrix_data::TStarData EffectiveStar(const CObjectListElem& object) {
  ombrix_data::CMetaData effective;
  object.GetEffectiveMetaData(effective);
  return effective.var;
}

std::string Degrees7(double radians) {
  char text[64] = {};
  bool ok = false;
  Str::FixRealToStrA(radians / ombrix_model::kRadiansPerDegree, 7, sizeof text - 1, text, ok);
  return text;
}

// A member given as a JSON string, read as a number; false (value kept)
// when missing, empty or not a number.
bool ReadNumber(sjson::CJSON& doc, const char* name, double& value) {
  char text[sjson::kNameLength + 1] = {};
  if (!GetText(doc, name, text) || !text[0]) return false;
  bool ok = false;
  const double number = Str::StrToRealA(static_cast<std::uint32_t>(std::strlen(text) - 1), text, ok);
  if (ok) value = number;
  return ok;
}

CVSXStar* ReadStar(sjson::CJSON& doc) {
  auto* star = new CVSXStar;
  GetText(doc, "Name", star->name);
  GetText(doc, "VariabilityType", star->variabilityType);
  double degrees = 0.0;
  if (ReadNumber(doc, "RA2000", degrees)) star->ra = degrees * ombrix_model::kRadiansPerDegree;
  if (ReadNumber(doc, "Declination2000", degrees)) star->dec = degrees * ombrix_model::kRadiansPerDegree;
  ReadNumber(doc, "Period", star->period);
  ReadNumber(doc, "Epoch", star->epoch);
  return star;
}

bool IsNear(const CVSXStar& star, const ombrix_data::TStarData& object) {
  return std::fabs(star.ra - object.catalogRA) <= kVsxMatchLimit &&
         std::fabs(star.dec - object.catalogDec) <= kVsxMatchLimit;
}

// Sets an empty text to `addition`, or appends " [addition]" when the text
// does not contain it yet; cut to the array.
void AddName(std::uint32_t high, char* text, const char* addition) {
  const std::string_view current = FixedText::View(high, text);
  if (current.empty()) FixedText::Assign(high, text, addition);
  else if (current.find(addition) == std::string_view::npos)
    FixedText::Append(high, text, std::string(" [") + addition + "]");
}

void TakeStar(CObjectListElem& object, const CVSXStar& star) {
  AddName(ombrix_data::kObjectNameHigh, object.altName, star.name);
  if (object.period == 0) object.period = star.period;
  if (object.m0 == 0) object.m0 = star.epoch;
  AddName(ombrix_data::kVariabilityTypeHigh, object.variabilityType, star.variabilityType);
}

void RemoveStar(vlist::CList& stars, CVSXStar* star) {
  if (stars.Find(star)) stars.Remove();
  delete star;
}

TVsxMessage Message(const char* caption, const std::string& line1, const std::string& line2, TMessageIcon icon) {
  TVsxMessage message;
  message.caption = caption;
  message.lines[0] = line1;
  message.lines[1] = line2;
  message.icon = icon;
  return message;
}

}  // namespace

bool TVsxBox::IsKnown() const {
  return ombrix_data::IsRAKnown(minRA) && ombrix_data::IsRAKnown(maxRA) && ombrix_data::IsDecKnown(minDec) &&
         ombrix_data::IsDecKnown(maxDec);
}

TVsxStart VsxQueryOfObject(const CObjectListElem& object, TVsxBox& box) {
  const ombrix_data::TStarData star = EffectiveStar(object);
  if (!HasCoordinates(star)) return TVsxStart::unknownObject;
  box = {star.ra - kVsxObjectMargin, star.ra + kVsxObjectMargin, star.dec - kVsxObjectMargin,
         star.dec + kVsxObjectMargin};
  return TVsxStart::query;
}

TVsxStart VsxQueryOfField(const ombrix_data::CField& field, TVsxBox& box) {
  if (field.Count() == 1) return VsxQueryOfObject(*field.First(), box);
  bool any = false;
  for (const CObjectListElem* o = field.First(); o; o = ombrix_data::CField::Next(o)) {
    const ombrix_data::TStarData star = EffectiveStar(*o);
    if (!HasCoordinates(star)) continue;
    if (!any) box = {star.ra, star.ra, star.dec, star.dec};
    box.minRA = std::min(box.minRA, star.ra);
    box.maxRA = std::max(box.maxRA, star.ra);
    box.minDec = std::min(box.minDec, star.dec);
    box.maxDec = std::max(box.maxDec, star.dec);
    any = true;
  }
  return any ? TVsxStart::query : TVsxStart::unknownField;
}

std::string VsxQueryPath(const TVsxBox& box) {
  TVsxBox sent = box;
  if (sent.maxRA / ombrix_model::kRadiansPerDegree > 360.0) {
    const double fullCircle = 360.0 * ombrix_model::kRadiansPerDegree;
    sent.minRA -= fullCircle;
    sent.maxRA -= fullCircle;
  }
  const double quarter = 90.0 * ombrix_model::kRadiansPerDegree;
  std::string path = "/vsx/index.php?view=api.list&fromra=" + Degrees7(sent.minRA) + "&tora=" + Degrees7(sent.maxRA) +
                     "&fromdec=" + Degrees7(std::max(sent.minDec, -quarter)) +
                     "&todec=" + Degrees7(std::min(sent.maxDec, quarter)) + "&format=json";
  if (path.size() > kVsxPathLength) path.resize(kVsxPathLength);
  return path;
}

std::string VsxQueryUrl(const char* server, const TVsxBox& box) {
  std::string base(FixedText::Trim(std::string_view(server ? server : "")));
  if (base.empty()) base = kDefaultVsxServer;
  if (base.find("://") == std::string::npos) base = "https://" + base;
  while (base.back() == '/') base.pop_back();
  return base + VsxQueryPath(box);
}

THttpResult RunVsxQuery(const std::string& server, const TVsxBox& box, std::string& response) {
  response.clear();
  if (!box.IsKnown()) return hrNoQuery;
  THttpRequest request;
  request.url = VsxQueryUrl(server.c_str(), box);
  request.accept = kVsxAccept;
  request.expectedStatus = 200;
  return RunHttpRequest(request, response);
}

void ReadVsxAnswer(const std::string& body, vlist::CList& stars) {
  sjson::CJSON doc;
  sjson::TJSONSource source;
  sjson::InitSource(source, body.data(), static_cast<std::uint32_t>(body.size()));
  if (!doc.Parse(source) || !doc.EnterRecord("VSXObjects") || !doc.EnterArray("VSXObject")) return;
  std::uint32_t count = 0;
  doc.GetArrayCount(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!doc.EnterArrayRecord(i)) continue;
    stars.Append(ReadStar(doc));
    doc.Leave();
  }
}

TVsxMatch MatchVsxStars(ombrix_data::CField& field, vlist::CList& stars) {
  TVsxMatch match;
  match.found = stars.count;
  for (CObjectListElem* o = field.First(); o && stars.count > 0; o = ombrix_data::CField::Next(o)) {
    const ombrix_data::TStarData star = EffectiveStar(*o);
    if (!ombrix_data::IsRAKnown(star.catalogRA) || !ombrix_data::IsDecKnown(star.catalogDec)) continue;
    for (vlist::CListElem* e = stars.first; e; e = e->next) {
      auto* candidate = static_cast<CVSXStar*>(e);
      if (!IsNear(*candidate, star)) continue;
      TakeStar(*o, *candidate);
      RemoveStar(stars, candidate);
      ++match.matched;
      match.changed.push_back(o);
      break;
    }
  }
  return match;
}

TVsxMessage VsxResultMessage(THttpResult result, const TVsxMatch& match) {
  switch (result) {
    case hrOk:
      if (match.found == 0) return Message(kCompleted, "There is no star in VSX within this field.", "", miInformation);
      return Message(kCompleted, std::to_string(match.found) + " stars from this field found in VSX.",
                     std::to_string(match.matched) + " stars from VSX matched and marked.", miInformation);
    case hrNoQuery: return VsxUnknownCoordinatesMessage();
    case hrOffline:
    case hrOpen:
    case hrConnect: return Message(kCannotLookup, "VSX lookup requires Internet connection.", "", miStop);
    default: return Message(kCannotLookup, "VSX server not accessible.", "Try again later.", miStop);
  }
}

TVsxMessage VsxUnknownCoordinatesMessage() {
  return Message(kCannotLookup, "Unknown coordinates of object within the field.", "", miStop);
}

}  // namespace ombrix_web
