// The VSX look-up: box, path, answers as VSX gives them, matching, messages,
// and the request against a stand-in server.
#include <gtest/gtest.h>
#include <ombrix_field/object.h>
#include <ombrix_model/angles.h>

#include <cstring>
#include <string>

#include <ombrix_testsupport/http_standin.h>
#include "ombrix_net/vsx.h"

namespace ombrix_web {
namespace {

using ombrix_data::CField;
using ombrix_data::CObjectListElem;
using ombrix_model::kRadiansPerDegree;

constexpr double kArcsecond = kRadiansPerDegree / 3600.0;

// Two stars as the VSX API lists them: every value a string, an uncertain
// period, members missing.
constexpr const char* kRecordedAnswer = R"({"VSXObjects":{"VSXObject":[
{"Name":"V0404 Lyr","AUID":"000-BJS-744","RA2000":"283.94263","Declination2000":"37.68297","ProperMotionRA":"-3.55",
 "VariabilityType":"EA+DSCT","Period":"0.7309659","Epoch":"2454731.63700","MaxMag":"11.38 V","MinMag":"11.98 V",
 "Category":"Variable","OID":"1053","Constellation":"Lyr"},
{"Name":"ASASSN-V J185547.30+373953.3","AUID":"000-BPH-021","RA2000":"283.94708","Declination2000":"37.66481",
 "VariabilityType":"SR","Period":"95:","MaxMag":"13.5 V","MinMag":"13.8 V","Category":"Variable","Constellation":"Lyr"},
"not a record",
{"Name":"NSVS 5634021","RA2000":"283.93100","Declination2000":"37.70000","VariabilityType":"EW","Period":1.5}
]}})";

CObjectListElem* AddObject(CField& field, const char* name, double raDegrees, double decDegrees) {
  auto* object = new CObjectListElem;
  std::snprintf(object->name, sizeof object->name, "%s", name);
  object->metaDataSource = ombrix_data::mdsManualEntry;
  object->metaData.var.ra = raDegrees * kRadiansPerDegree;
  object->metaData.var.dec = decDegrees * kRadiansPerDegree;
  object->metaData.var.catalogRA = raDegrees * kRadiansPerDegree;
  object->metaData.var.catalogDec = decDegrees * kRadiansPerDegree;
  field.Append(object);
  return object;
}

std::string Shown(const TVsxMessage& m) {
  std::string text = m.caption;
  for (const std::string& line : m.lines)
    if (!line.empty()) text += "|" + line;
  return text + (m.icon == miStop ? " (stop)" : " (information)");
}

TEST(VsxQuery, PathReducesBeyond360AndClampsDeclination) {
  CField field;
  CObjectListElem* north = AddObject(field, "near 0h", 359.999, 89.999);
  TVsxBox box;
  ASSERT_EQ(VsxQueryOfObject(*north, box), TVsxStart::query);
  EXPECT_EQ(VsxQueryPath(box),
            "/vsx/index.php?view=api.list&fromra=-0.0037778&tora=0.0017778&fromdec=89.9962222&todec=90.0000000"
            "&format=json");
  CObjectListElem* south = AddObject(field, "south", 10.0, -89.999);
  ASSERT_EQ(VsxQueryOfObject(*south, box), TVsxStart::query);
  EXPECT_EQ(VsxQueryPath(box),
            "/vsx/index.php?view=api.list&fromra=9.9972222&tora=10.0027778&fromdec=-90.0000000&todec=-89.9962222"
            "&format=json");

  EXPECT_EQ(VsxQueryUrl("", box).rfind("https://www.aavso.org/vsx/index.php?view=api.list&fromra=9.9972222", 0), 0u);
  EXPECT_EQ(VsxQueryUrl(" http://127.0.0.1:8080/ ", box).rfind("http://127.0.0.1:8080/vsx/index.php?", 0), 0u);
  EXPECT_EQ(VsxQueryUrl("vsx.example.org", box).rfind("https://vsx.example.org/vsx/", 0), 0u);
}

TEST(VsxQuery, BoxOfFieldOfOneObjectAndOfObjectsWithoutCoordinates) {
  CField field;
  TVsxBox box;
  EXPECT_EQ(VsxQueryOfField(field, box), TVsxStart::unknownField);
  CObjectListElem* lonely = AddObject(field, "a", 100.0, 20.0);
  ASSERT_EQ(VsxQueryOfField(field, box), TVsxStart::query);  // one object: with its margin
  EXPECT_DOUBLE_EQ(box.minRA, 100.0 * kRadiansPerDegree - kVsxObjectMargin);
  EXPECT_DOUBLE_EQ(box.maxDec, 20.0 * kRadiansPerDegree + kVsxObjectMargin);
  AddObject(field, "b", 98.0, 25.0);
  AddObject(field, "c", 101.0, 21.0);
  auto* unknown = new CObjectListElem;
  field.Append(unknown);
  ASSERT_EQ(VsxQueryOfField(field, box), TVsxStart::query);  // no margin, unknown ones left out
  EXPECT_DOUBLE_EQ(box.minRA, 98.0 * kRadiansPerDegree);
  EXPECT_DOUBLE_EQ(box.maxRA, 101.0 * kRadiansPerDegree);
  EXPECT_DOUBLE_EQ(box.minDec, 20.0 * kRadiansPerDegree);
  EXPECT_DOUBLE_EQ(box.maxDec, 25.0 * kRadiansPerDegree);
  EXPECT_EQ(VsxQueryOfObject(*unknown, box), TVsxStart::unknownObject);

  lonely->metaData.var.dec = ombrix_data::kUnknownDec;
  CField onlyUnknown;
  onlyUnknown.Append(new CObjectListElem);
  onlyUnknown.Append(new CObjectListElem);
  EXPECT_EQ(VsxQueryOfField(onlyUnknown, box), TVsxStart::unknownField);
  EXPECT_EQ(Shown(VsxUnknownCoordinatesMessage()),
            "Cannot lookup stars in VSX|Unknown coordinates of object within the field. (stop)");

  std::string response = "stale";
  EXPECT_EQ(RunVsxQuery("http://127.0.0.1:1", TVsxBox{}, response), hrNoQuery);  // nothing sent
  EXPECT_TRUE(response.empty());
}

TEST(VsxAnswer, ValuesAreStringsAndMissingOrUncertainOnesKeepDefaults) {
  vlist::CList stars;
  ReadVsxAnswer(kRecordedAnswer, stars);
  ASSERT_EQ(stars.count, 3u);
  const auto* first = static_cast<CVSXStar*>(stars.first);
  EXPECT_STREQ(first->name, "V0404 Lyr");
  EXPECT_STREQ(first->variabilityType, "EA+DSCT");
  EXPECT_DOUBLE_EQ(first->ra, 283.94263 * kRadiansPerDegree);
  EXPECT_DOUBLE_EQ(first->dec, 37.68297 * kRadiansPerDegree);
  EXPECT_DOUBLE_EQ(first->period, 0.7309659);
  EXPECT_DOUBLE_EQ(first->epoch, 2454731.637);
  const auto* second = static_cast<CVSXStar*>(first->next);
  EXPECT_STREQ(second->name, "ASASSN-V J185547.30+373953.3");
  EXPECT_EQ(second->period, 0.0);  // "95:" is not a number
  EXPECT_EQ(second->epoch, 0.0);   // no "Epoch"
  const auto* third = static_cast<CVSXStar*>(second->next);
  EXPECT_EQ(third->period, 0.0);  // a JSON number is not read
  stars.DisposeList();

  for (const char* none : {R"({"VSXObjects":[]})", "<html>Service unavailable</html>", "", R"({"VSXObjects":{}})"}) {
    ReadVsxAnswer(none, stars);
    EXPECT_EQ(stars.count, 0u) << none;
  }
}

TEST(VsxMatch, FirstObjectTakesAStarAndNamesAreAddedOnce) {
  CField field;
  CObjectListElem* a = AddObject(field, "A", 283.94263 + 2.0 / 3600, 37.68297 - 2.9 / 3600);
  CObjectListElem* b = AddObject(field, "B", 283.94263, 37.68297);  // as near, but after A
  CObjectListElem* c = AddObject(field, "C", 283.94708, 37.66481);
  std::strcpy(c->altName, "ASASSN-V J185547.30+373953.3");
  std::strcpy(c->variabilityType, "L");
  c->m0 = 2450000.5;
  CObjectListElem* d = AddObject(field, "D", 283.93100, 37.70000 + 3.1 / 3600);  // just too far
  auto* noCatalogue = new CObjectListElem;
  noCatalogue->metaData.var.ra = 283.931 * kRadiansPerDegree;
  noCatalogue->metaData.var.dec = 37.70 * kRadiansPerDegree;
  field.Append(noCatalogue);
  CObjectListElem* e = AddObject(field, "E", 283.93100, 37.70000);
  std::memset(e->altName, 'x', 60);  // 60 characters; the bracketed name is cut at 64

  vlist::CList stars;
  ReadVsxAnswer(kRecordedAnswer, stars);
  const TVsxMatch match = MatchVsxStars(field, stars);
  EXPECT_EQ(match.found, 3u);
  EXPECT_EQ(match.matched, 3u);
  EXPECT_EQ(match.changed, (std::vector<CObjectListElem*>{a, c, e}));
  EXPECT_EQ(stars.count, 0u);

  EXPECT_STREQ(a->altName, "V0404 Lyr");
  EXPECT_STREQ(a->variabilityType, "EA+DSCT");
  EXPECT_DOUBLE_EQ(a->period, 0.7309659);
  EXPECT_DOUBLE_EQ(a->m0, 2454731.637);
  EXPECT_STREQ(b->altName, "");
  EXPECT_EQ(b->period, 0.0);
  EXPECT_STREQ(c->altName, "ASASSN-V J185547.30+373953.3");  // contained already
  EXPECT_STREQ(c->variabilityType, "L [SR]");
  EXPECT_EQ(c->m0, 2450000.5);
  EXPECT_EQ(c->period, 0.0);
  EXPECT_STREQ(d->altName, "");
  EXPECT_EQ(std::string(e->altName, 64), std::string(60, 'x') + " [NS");
  EXPECT_STREQ(e->variabilityType, "EW");

  EXPECT_EQ(Shown(VsxResultMessage(hrOk, match)),
            "VSX query completed|3 stars from this field found in VSX.|3 stars from VSX matched and marked. "
            "(information)");
}

TEST(VsxMessages, EveryResult) {
  EXPECT_EQ(Shown(VsxResultMessage(hrOk, TVsxMatch{})),
            "VSX query completed|There is no star in VSX within this field. (information)");
  EXPECT_EQ(Shown(VsxResultMessage(hrNoQuery, {})),
            "Cannot lookup stars in VSX|Unknown coordinates of object within the field. (stop)");
  for (THttpResult r : {hrOffline, hrOpen, hrConnect})
    EXPECT_EQ(Shown(VsxResultMessage(r, {})),
              "Cannot lookup stars in VSX|VSX lookup requires Internet connection. (stop)");
  for (THttpResult r : {hrOpenRequest, hrSend, hrStatus, hrQueryData, hrRead})
    EXPECT_EQ(Shown(VsxResultMessage(r, {})),
              "Cannot lookup stars in VSX|VSX server not accessible.|Try again later. (stop)");
}

TEST(VsxServer, QueryFollowsRedirectsAndReportsAnUnreachableServer) {
  CField field;
  CObjectListElem* star = AddObject(field, "V0404 Lyr", 283.94263, 37.68297);
  TVsxBox box;
  ASSERT_EQ(VsxQueryOfField(field, box), TVsxStart::query);
  const std::string path = VsxQueryPath(box);

  ombrix_test::CHttpStandIn vsx;
  vsx.Set(path, {301, "", "Location: /moved" + path + "\r\n"});
  vsx.Set("/moved" + path, {200, kRecordedAnswer, ""});
  std::string response;
  ASSERT_EQ(RunVsxQuery(vsx.Server(), box, response), hrOk);
  EXPECT_EQ(vsx.Paths(), (std::vector<std::string>{path, "/moved" + path}));
  EXPECT_NE(vsx.LastHeaders().find("Accept: application/json, text/html, text/*, */*"), std::string::npos);
  vlist::CList stars;
  ReadVsxAnswer(response, stars);
  EXPECT_EQ(MatchVsxStars(field, stars).matched, 1u);
  EXPECT_STREQ(star->altName, "V0404 Lyr");
  stars.DisposeList();

  vsx.Set(path, {200, R"({"VSXObjects":[]})", ""});
  ASSERT_EQ(RunVsxQuery(vsx.Server(), box, response), hrOk);
  ReadVsxAnswer(response, stars);
  EXPECT_EQ(Shown(VsxResultMessage(hrOk, MatchVsxStars(field, stars))),
            "VSX query completed|There is no star in VSX within this field. (information)");

  vsx.Set(path, {500, "", ""});
  EXPECT_EQ(RunVsxQuery(vsx.Server(), box, response), hrStatus);

  std::string gone;
  {
    ombrix_test::CHttpStandIn closed;
    gone = closed.Server();
  }
  const THttpResult unreachable = RunVsxQuery(gone, box, response);
  EXPECT_EQ(Shown(VsxResultMessage(unreachable, {})),
            "Cannot lookup stars in VSX|VSX server not accessible.|Try again later. (stop)");
}

}  // namespace
}  // namespace ombrix_web
