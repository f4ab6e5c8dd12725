// The repository protocol pieces that need no server: password cipher,
// tokens, URLs, answer status and the object document.
#include <corekit/vdstr.h>
#include <gtest/gtest.h>
#include <ombrix_field/object.h>
#include <ombrix_field/series.h>

#include <string>

#include "ombrix_net/web_protocol.h"
#include "sjson_test_util.h"

namespace ombrix_web {
namespace {

TEST(WebPassword, EncryptedPasswordDecryptsAndDiffersEachTime) {
  for (const char* password : {"secret", "", "P\xC3\xA4ss w\xC3\xB6rd \xF0\x9F\x94\x91"}) {
    char a[kEncryptedPasswordHigh + 1], b[kEncryptedPasswordHigh + 1];
    EncryptPassword(password, a);
    EncryptPassword(password, b);
    EXPECT_EQ(std::strlen(a) % 4, 0u);
    for (const char* c = a; *c; ++c) EXPECT_TRUE(std::isxdigit(*c) && !std::islower(*c)) << a;
    std::string back;
    ASSERT_TRUE(DecryptPassword(a, back)) << password;
    EXPECT_EQ(back, password);
    ASSERT_TRUE(DecryptPassword(b, back));
    EXPECT_EQ(back, password);
  }
  std::string out;
  EXPECT_FALSE(DecryptPassword("12G4ABCDABCD", out));
  EXPECT_FALSE(DecryptPassword("ABCD", out));
  EXPECT_FALSE(DecryptPassword("ABCDE", out));
}

TEST(WebPassword, LongPasswordIsCutTo321Digits) {
  char hex[kEncryptedPasswordHigh + 1];
  EncryptPassword(std::string(200, 'x').c_str(), hex);
  EXPECT_EQ(std::strlen(hex), 321u);
}

TEST(WebIds, TokensAndSafeIds) {
  char token[kObjectTokenLength + 1];
  NewObjectToken(token);
  ASSERT_EQ(std::strlen(token), 16u);
  for (char c : std::string(token)) EXPECT_TRUE(std::isdigit(c) || (c >= 'A' && c <= 'F')) << token;
  EXPECT_TRUE(IsSafeId(token));
  EXPECT_TRUE(IsSafeId("anna_k-2.x"));
  for (const char* bad : {"", ".", "..", "../../x", "a/b", "a\\b", "a b", "\xC3\xA4"}) EXPECT_FALSE(IsSafeId(bad));
}

TEST(WebUrl, SplitKeepsHttpsAndAppendsSlash) {
  struct {
    const char* url;
    const char* host;
    const char* path;
  } cases[] = {{"http://repo.example.org/repo", "repo.example.org", "/repo/"},
               {"repo.example.org", "repo.example.org", "/"},
               {"127.0.0.1:8080/a/b/", "127.0.0.1:8080", "/a/b/"},
               {"https://secure.example.org/r", "https://secure.example.org", "/r/"}};
  for (const auto& c : cases) {
    char host[kServerHigh + 1], path[kServerHigh + 1];
    SplitRepositoryUrl(c.url, host, path);
    EXPECT_STREQ(host, c.host) << c.url;
    EXPECT_STREQ(path, c.path) << c.url;
  }
  EXPECT_EQ(RequestUrl("h:1", "/p/", "api/v1/login"), "http://h:1/p/api/v1/login");
  EXPECT_EQ(RequestUrl("https://h", "/", "api/v1/login"), "https://h/api/v1/login");
}

TEST(WebAnswer, StatusChecks) {
  struct {
    const char* text;
    bool ok;
    const char* line1;
    const char* line2;
  } cases[] = {{R"({"status":"ok"})", true, "", ""},
               {R"({"x":1})", false, "Missing keyword:", "status"},
               {R"({"status":1})", false, "Missing keyword:", "status"},
               {R"({"status":"fail","error":"no"})", false, "Request failed:", "no"},
               {R"({"status":"fail"})", false, "Request failed:", "Reason not provided by the server."},
               {R"({"status":"maybe"})", false, "Unknown keyword: ", "maybe"}};
  for (const auto& c : cases) {
    sjson::CJSON doc;
    ASSERT_TRUE(sjson::test::ParseText(doc, c.text).ok);
    const TAnswerStatus s = CheckAnswerStatus(doc);
    EXPECT_EQ(s.ok, c.ok) << c.text;
    EXPECT_EQ(s.line1, c.line1) << c.text;
    EXPECT_EQ(s.line2, c.line2) << c.text;
  }
}

TEST(WebDocument, BareObjectHasOnlyTheAlwaysPresentMembers) {
  ombrix_data::CObjectListElem object;
  std::memcpy(object.token, "0123456789ABCDEF", 16);
  std::strcpy(object.name, "V1 Cyg");
  sjson::CJSON doc;
  BuildObjectDocument(object, doc);
  EXPECT_EQ(sjson::test::WriteText(doc),
            "{\r\n\t\"token\": \"0123456789ABCDEF\",\r\n\t\"name\": \"V1 Cyg\",\r\n\t\"alt_name\": \"\",\r\n"
            "\t\"comment\": \"\",\r\n\t\"var_type\": \"\",\r\n\t\"m0\": 0,\r\n\t\"period\": 0,\r\n"
            "\t\"catalog\": \"\",\r\n\t\"catalog_id\": \"\"\r\n}\r\n");
}

TEST(WebDocument, FitNotesAndSeries) {
  ombrix_data::CObjectListElem object;
  std::memcpy(object.token, "0123456789ABCDEF", 16);
  object.fitPresent = true;
  object.fit[ombrix_model::fpASin3] = 0.25;
  object.fit[ombrix_model::fpACos3] = -0.5;
  vdstr::CopyStrToDStrA(object.notes, 7, "a\r\nb\r\n");
  auto* local = new ombrix_data::CLocalSeriesTreeElem;
  local->fileTime = 0x1D9ABCDEF012345ull;
  local->dataMetaData.jdType = ombrix_data::jdHeliocentric;
  local->fieldMetaData.varAperture = 4.5;
  local->InsertPoint({2460000.5, 12.25, 0.01});
  local->minima.Add(ombrix_data::minPrimary, 2460000.6, 0.001);
  local->minima.Add(ombrix_data::minSecondary, 2460000.9, 0.002, false);
  ASSERT_TRUE(object.InsertSeries(local));
  auto* web = new ombrix_data::CWebSeriesTreeElem;  // repository series are not sent
  web->InsertPoint({2460001.5, 1, 1});
  ASSERT_TRUE(object.InsertSeries(web));

  sjson::CJSON doc;
  BuildObjectDocument(object, doc);
  ASSERT_TRUE(doc.EnterRecord("fit"));
  double sin3 = 0, cos3 = 0;
  EXPECT_TRUE(doc.GetReal("a_sin3", sin3) && doc.GetReal("a_cos3", cos3));
  EXPECT_EQ(sin3, 0.25);
  EXPECT_EQ(cos3, -0.5);
  doc.Rewind();
  ASSERT_TRUE(doc.EnterArray("notes"));
  uint32_t count = 0;
  doc.GetArrayCount(count);
  ASSERT_EQ(count, 2u);
  char line[8];
  doc.GetArrayStr(1, 7, line);
  EXPECT_STREQ(line, "b");
  doc.Rewind();
  ASSERT_TRUE(doc.EnterArray("series"));
  doc.GetArrayCount(count);
  ASSERT_EQ(count, 1u);
  ASSERT_TRUE(doc.EnterArrayRecord(0));
  char text[64] = {};
  doc.GetStr("file_time", 63, text);
  EXPECT_STREQ(text, "1D9ABCDEF012345");
  doc.GetStr("jd_type", 63, text);
  EXPECT_STREQ(text, "HJD");
  double aperture = 0;
  EXPECT_TRUE(doc.GetReal("var_aperture", aperture));
  EXPECT_FALSE(doc.GetReal("cmp_aperture", aperture));
  EXPECT_FALSE(doc.GetStr("brightness_unit", 63, text));
  ASSERT_TRUE(doc.EnterArray("minima"));
  doc.GetArrayCount(count);
  EXPECT_EQ(count, 1u);
  doc.Leave();
  ASSERT_TRUE(doc.EnterArray("data"));
  doc.GetArrayStr(0, 63, text);
  EXPECT_STREQ(text, "2460000.500000 12.250000 0.010000");
}

// Barycentric series go out as "BJD", never as "GJD" (a receiver would
// correct geocentric times a second time).
TEST(ObjectDocument, BarycentricSeriesAreSentAsBJD) {
  ombrix_data::CObjectListElem object;
  auto* local = new ombrix_data::CLocalSeriesTreeElem;
  local->dataMetaData.jdType = ombrix_data::jdBarycentric;
  local->InsertPoint({2460000.5, 12.25, 0.01});
  ASSERT_TRUE(object.InsertSeries(local));
  sjson::CJSON doc;
  BuildObjectDocument(object, doc);
  ASSERT_TRUE(doc.EnterArray("series"));
  ASSERT_TRUE(doc.EnterArrayRecord(0));
  char text[16] = {};
  ASSERT_TRUE(doc.GetStr("jd_type", 15, text));
  EXPECT_STREQ(text, "BJD");
}

TEST(WebDocument, SummaryRejectsUnsafeUsers) {
  sjson::CJSON doc;
  ASSERT_TRUE(sjson::test::ParseText(doc, R"({"publisher":"anna","contributors":["bob","../../x"],"m0":2450000,
      "fit":{"a_sin3":0.5}})")
                  .ok);
  CWebObjectListElem object;
  const char* bad = nullptr;
  EXPECT_FALSE(ReadObjectSummary(doc, object, bad));
  EXPECT_STREQ(bad, "contributors");
  EXPECT_EQ(object.m0, 2450000.0);
  EXPECT_TRUE(object.fitPresent);
  EXPECT_EQ(object.fit[ombrix_model::fpASin3], 0.5);
  EXPECT_EQ(object.dec, 91.0);
}

}  // namespace
}  // namespace ombrix_web
