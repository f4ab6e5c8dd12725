// The repository cache: series records, loading an object's repository
// series from the cache files, and the client's writing of those files.
#include <gtest/gtest.h>
#include <ombrix_field/object.h>
#include <ombrix_model/angles.h>
#include <ombrix_testsupport/temp_folder.h>
#include <runbase/diag.h>
#include <runbase/fio_fault.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ombrix_net/repository_cache.h"
#include "ombrix_net/web_interface.h"
#include "sjson_test_util.h"

namespace ombrix_web {
namespace {

namespace fs = std::filesystem;
using ombrix_data::CObjectListElem;
using ombrix_data::CSeriesTreeElem;
using ombrix_data::CWebSeriesLocalDataTreeElem;
using ombrix_data::CWebSeriesTreeElem;

constexpr const char* kToken = "0123456789ABCDEF";

bool ReadRecord(const std::string& text, CWebSeriesTreeElem& series) {
  sjson::CJSON doc;
  EXPECT_TRUE(sjson::test::ParseText(doc, text).ok) << text;
  return ReadSeriesRecord(doc, series);
}

std::vector<std::string> Messages(const ombrix_data::CScriptedUserIO& io) {
  std::vector<std::string> texts;
  for (const auto& record : io.shown) {
    std::string text = record.caption;
    for (const std::string& line : record.lines) text += "|" + line;
    texts.push_back(text);
  }
  return texts;
}

TEST(RepositorySeriesRecord, MembersPointsAndMinima) {
  CWebSeriesTreeElem s;
  ASSERT_TRUE(ReadRecord(R"({"file_time": "1DA0000000000AB", "var_aperture": 4.5, "chk_aperture": 6,
      "jd_type": "BJD", "brightness_unit": "flux", "filter": "SloanR-very-long-name",
      "minima": [{"jd": 2460000.1, "error": 0.001, "type": "primary"},
                 {"jd": 2460000.3, "error": 0.002, "type": "unknown"}, {"jd": 2460000.5, "type": "primary"}],
      "data": ["2460000.2 1.6 0.03", "2460000.0 1.5", "x 1 2", 5, "2460000.1  1.7 0.02", "1 2 3 4"]})",
                         s));
  EXPECT_EQ(s.fileTime, 0x1DA0000000000ABull);
  EXPECT_EQ(s.dataMetaData.varAperture, 4.5);
  EXPECT_EQ(s.dataMetaData.chkAperture, 6.0);
  EXPECT_EQ(s.dataMetaData.jdType, ombrix_data::jdHeliocentric);
  EXPECT_EQ(s.dataMetaData.valueUnit, ombrix_data::unitFlux);
  EXPECT_EQ(std::string(s.dataMetaData.filter, 16), "SloanR-very-long");
  ASSERT_EQ(s.minima.count, 2u);
  const auto* first = static_cast<ombrix_data::CMinimaListElem*>(s.minima.first);
  EXPECT_EQ(first->type, ombrix_data::minPrimary);
  EXPECT_EQ(static_cast<ombrix_data::CMinimaListElem*>(first->next)->type, ombrix_data::minUndefined);
  // Only complete "time value error" strings are points; four numbers give the first three.
  ASSERT_EQ(s.pointCount, 3u);
  EXPECT_EQ(s.time[0], 1.0);
  EXPECT_EQ(s.time[1], 2460000.1);
  EXPECT_EQ(s.value[2], 1.6);
  EXPECT_EQ(s.error[2], 0.03);

  CWebSeriesTreeElem g;
  ASSERT_TRUE(ReadRecord(R"({"file_time": "ff", "jd_type": "GJD", "brightness_unit": "mag", "data": []})", g));
  EXPECT_EQ(g.fileTime, 0xFFu);
  EXPECT_EQ(g.dataMetaData.jdType, ombrix_data::jdGeocentric);
  EXPECT_EQ(g.dataMetaData.valueUnit, ombrix_data::unitMagnitude);
  CWebSeriesTreeElem plain;
  ASSERT_TRUE(ReadRecord(R"({"file_time": "1", "data": ["1 2 3"]})", plain));
  EXPECT_EQ(plain.dataMetaData.jdType, ombrix_data::jdUnknown);
  EXPECT_EQ(plain.dataMetaData.valueUnit, ombrix_data::unitUnknown);

  for (const char* bad :
       {R"({"data": ["1 2 3"]})", R"({"file_time": 255, "data": []})", R"({"file_time": "xyz", "data": []})",
        R"({"file_time": "12345678901234567", "data": []})", R"({"file_time": "1F"})"}) {
    CWebSeriesTreeElem s2;
    EXPECT_FALSE(ReadRecord(bad, s2)) << bad;
  }
}

// A cache with the publisher's, a contributor's and the user's own version,
// a broken file, a file of another object and a folder named like a file.
class RepositoryCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = UserCacheFolderOf(root_, "me");
    Put("_anna.json", R"({"name": "V1 Cyg", "alt_name": "Alt", "comment": "theirs", "var_type": "EA",
        "m0": 2460000.5, "period": 1.25, "ra": 1.0, "dec": 0.5, "catalog": "GSC", "catalog_id": "123",
        "catalog_ra": 1.0, "catalog_dec": 0.5, "catalog_mag": 11.5,
        "fit": {"mag0": 10.5, "a_sin3": 0.25},
        "series": [{"file_time": "A1", "jd_type": "GJD", "data": ["2460000.0 10 0.01", "2460000.5 10.2 0.01"]},
                   {"file_time": "A2", "jd_type": "HJD", "data": ["2460001.0 10 0.01"]}]})");
    Put("_bob.json", R"({"name": "ignored", "series": [
        {"file_time": "B1", "jd_type": "HJD", "brightness_unit": "flux",
         "minima": [{"jd": 2460002.1, "error": 0.01, "type": "secondary"}], "data": ["2460002.0 1.0 0.01"]},
        {"file_time": "B2", "jd_type": "HJD", "data": ["2460001.0 9 0.01"]},
        {"file_time": "B3", "jd_type": "HJD"}]})");
    Put("_me.json", R"({"series": [{"file_time": "C1", "jd_type": "HJD", "data": ["2460003.0 8 0.01"]}]})");
    Put("_broken.json", R"({"series": [ {"file_time": "D1")");
    ombrix_test::WriteFile(folder_ + "FEDCBA9876543210_bob.json",
                           R"({"series": [{"file_time": "E1", "jd_type": "HJD", "data": ["2460004.0 8 0.01"]}]})");
    ombrix_test::WriteFile(folder_ + kToken + "_bob.bak", "{}");
    fs::create_directories(folder_ + kToken + "_dir.json");

    std::memcpy(object_.token, kToken, 16);
    std::strcpy(object_.publisher, "anna");
    std::strcpy(object_.comment, "mine");
    object_.m0 = 2459999.0;
    AddSetting("bob", 0xB1, 2.0, false, 2460002.2);
    AddSetting("anna", 0x99, 5.0, true, 0);  // of a series not in the cache: stays
  }

  void Put(const std::string& suffix, const std::string& text) {
    ombrix_test::WriteFile(folder_ + kToken + suffix, text);
  }
  void AddSetting(const char* user, std::uint64_t fileTime, double offset, bool enabled, double minimum) {
    auto* s = new CWebSeriesLocalDataTreeElem;
    std::strcpy(s->userId, user);
    s->fileTime = fileTime;
    s->offset = offset;
    s->enabled = enabled;
    if (minimum != 0) s->minima.Add(ombrix_data::minPrimary, minimum, 0.002);
    object_.webSettings.Insert(s);
  }
  CWebSeriesTreeElem* Series(std::uint64_t fileTime) const {
    for (CSeriesTreeElem* s = object_.FirstSeries(); s; s = object_.NextSeries(s))
      if (!s->IsLocalSeries() && s->fileTime == fileTime) return static_cast<CWebSeriesTreeElem*>(s);
    return nullptr;
  }

  ombrix_test::CTempFolder temp_{"ombrix-cache"};
  std::string root_ = temp_.Path("root") + "/";
  std::string folder_;
  CObjectListElem object_;
  ombrix_data::CScriptedUserIO io_;
};

TEST_F(RepositoryCacheTest, LoadsEveryVersionAndSkipsWhatCannotBeRead) {
  const TCacheLoadReport report = LoadRepositorySeries(object_, root_, "me", &io_);
  EXPECT_EQ(report.files, 3u);
  EXPECT_EQ(report.skipped, 1u);
  EXPECT_EQ(report.series, 4u);
  EXPECT_EQ(report.dropped, 2u);  // a duplicate first time and a record without data
  EXPECT_EQ(Messages(io_),
            (std::vector<std::string>{
                "Error|Duplicate series data file (same first point time):|Series removed from the field",
                "Error|Cannot load repository cache file:|" + folder_ + kToken +
                    "_broken.json|Not valid JSON: Expected , or }"}));

  // The publisher's version fills what the object lacks, and only that.
  EXPECT_STREQ(object_.name, "V1 Cyg");
  EXPECT_STREQ(object_.comment, "mine");
  EXPECT_STREQ(object_.variabilityType, "EA");
  EXPECT_EQ(object_.m0, 2459999.0);
  EXPECT_EQ(object_.period, 1.25);
  EXPECT_EQ(object_.metaData.var.ra, 1.0);
  EXPECT_EQ(object_.metaDataSource, ombrix_data::mdsManualEntry);
  EXPECT_EQ(object_.metaData.var.catalogMag, 11.5);
  EXPECT_TRUE(object_.fitPresent);
  EXPECT_EQ(object_.fit[ombrix_model::fpASin3], 0.25);

  // Geocentric times are converted with the object's coordinates.
  CWebSeriesTreeElem* geocentric = Series(0xA1);
  ASSERT_NE(geocentric, nullptr);
  EXPECT_TRUE(geocentric->converted);
  EXPECT_NE(geocentric->time[0], 2460000.0);
  EXPECT_STREQ(geocentric->userName, "anna");
  EXPECT_FALSE(Series(0xA2)->converted);
  ASSERT_NE(Series(0xC1), nullptr);  // the user's own version is loaded too
  EXPECT_EQ(Series(0xE1), nullptr);  // another object's file

  // Stored settings are applied and leave the settings tree.
  CWebSeriesTreeElem* flux = Series(0xB1);
  ASSERT_NE(flux, nullptr);
  EXPECT_TRUE(object_.fluxFlag);
  EXPECT_EQ(flux->offset, 2.0);
  EXPECT_FALSE(flux->enabled);
  ASSERT_EQ(flux->minima.count, 1u);
  EXPECT_EQ(static_cast<ombrix_data::CMinimaListElem*>(flux->minima.first)->time, 2460002.2);
  EXPECT_EQ(object_.webSettings.count, 1u);
  EXPECT_EQ(Series(0xA2)->offset, 0.0);
}

TEST_F(RepositoryCacheTest, ReloadKeepsTheUsersSettingsOfRepositorySeries) {
  LoadRepositorySeries(object_, root_, "me", nullptr);
  Series(0xB1)->offset = 3.0;
  Series(0xA2)->enabled = false;
  Series(0xA2)->fieldMetaData.filter[0] = 'V';
  const TCacheLoadReport again = LoadRepositorySeries(object_, root_, "me", nullptr);
  EXPECT_EQ(again.series, 4u);
  EXPECT_EQ(Series(0xB1)->offset, 3.0);
  EXPECT_FALSE(Series(0xA2)->enabled);
  EXPECT_STREQ(Series(0xA2)->fieldMetaData.filter, "V");
  EXPECT_EQ(object_.webSettings.count, 1u);

  // Without a user, or with an id that is no plain file name, nothing is read.
  for (const char* user : {"", "..", "../me"}) {
    EXPECT_EQ(LoadRepositorySeries(object_, root_, user, nullptr).files, 0u) << user;
    EXPECT_EQ(object_.FirstSeries(), nullptr);
  }
}

// Answers every request at once with the body set for its endpoint.
class CScriptedRunner : public IRequestRunner {
 public:
  std::map<std::string, std::string> bodies;  // endpoint -> answer body

  void Start(CWebInterface& client) override {
    const std::string url = client.request.url;
    client.response = bodies[url.substr(url.find("api/v1/"))];
    client.Complete(hrOk);
  }
};

class CRecordingOwner : public IWebOwner {
 public:
  std::vector<std::string> messages;
  std::vector<int> codes;
  void ShowMessage(const char* caption, const char* line1, const char* line2, TMessageIcon) override {
    messages.push_back(std::string(caption) + "|" + line1 + "|" + line2);
  }
  void Notify(int, int code) override { codes.push_back(code); }
};

std::string gTrace;
void CaptureTrace(const char* text) { gTrace += text; }

class CacheWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::strcpy(web_.userToken, "T");
    std::strcpy(web_.userId, "me");
    web_.config.cacheRoot = temp_.Path("root") + "/";
    std::strcpy(web_.objectToken, kToken);
    auto* summary = new CWebObjectListElem;
    std::strcpy(summary->publisher, "anna");
    summary->contributors = {"bob"};
    web_.objectList.Append(summary);
    Answer("V1 Cyg");
    gTrace.clear();
    previous_ = Diag::SetChannel(CaptureTrace);
  }
  void TearDown() override {
    Diag::SetChannel(previous_);
    FIO::Fault::Reset();
  }
  void Answer(const std::string& name) {
    runner_.bodies["api/v1/get_object_data"] = std::string(R"({"status": "ok", ")") + kToken +
                                               R"(": {"token": "x", "name": ")" + name + R"(", "m0": 2})" + "}";
  }
  // One stored version: the publisher's (-1) or a contributor's.
  void Store(int index, bool firstOfCycle) {
    web_.contributorIndex = index;
    web_.renameCache = firstOfCycle;
    ASSERT_TRUE(web_.GetObjectData(index < 0 ? "anna" : "bob"));
  }
  std::string Cached(const char* user) const {
    return ombrix_test::ReadFile(web_.UserCacheFolder() + kToken + "_" + user + ".json");
  }

  ombrix_test::CTempFolder temp_{"ombrix-cache-write"};
  CRecordingOwner owner_;
  CScriptedRunner runner_;
  CWebInterface web_{owner_, runner_};
  Diag::Channel previous_ = nullptr;
};

TEST_F(CacheWriteTest, FirstAnswerMakesTheFoldersAndLaterOnesKeepTheFiles) {
  Store(-1, true);
  Store(0, false);
  EXPECT_EQ(owner_.codes, (std::vector<int>{ncDataStored, ncDataStored}));
  const std::string root = web_.config.cacheRoot + kCacheFolderName + "/";
  const std::string user = web_.UserCacheFolder();
  EXPECT_EQ(gTrace,
            "ReceiveGetObjectData ENTER\n"
            "  Creating global directory = " +
                root +
                "\n"
                "  Creating directory for the user = " +
                user +
                "\n"
                "  Data File Path = " +
                user + kToken +
                "_anna.json\n"
                "ReceiveGetObjectData EXIT OK\n"
                "ReceiveGetObjectData ENTER\n"
                "  Directory exists Path = " +
                user +
                "\n"
                "  Data File Path = " +
                user + kToken +
                "_bob.json\n"
                "ReceiveGetObjectData EXIT OK\n");
  // Members the cache keeps, integers as reals; the token is not kept.
  EXPECT_EQ(Cached("anna"), "{\r\n\t\"name\": \"V1 Cyg\",\r\n\t\"m0\": 2.00000000\r\n}\r\n");
  EXPECT_FALSE(fs::exists(user + kToken + "_anna.bak"));

  // The next cycle keeps the previous versions as ".bak" and replaces them.
  Answer("V2 Cyg");
  gTrace.clear();
  Store(-1, true);
  EXPECT_NE(gTrace.find("  Copying: " + user + kToken + "_bob.json\n        To: " + user + kToken + "_bob.bak\n"),
            std::string::npos)
      << gTrace;
  EXPECT_NE(Cached("anna").find("V2 Cyg"), std::string::npos);
  EXPECT_NE(ombrix_test::ReadFile(user + kToken + "_anna.bak").find("V1 Cyg"), std::string::npos);
  EXPECT_NE(Cached("bob").find("V1 Cyg"), std::string::npos);  // still loadable until replaced
  EXPECT_TRUE(fs::exists(user + kToken + "_bob.bak"));
}

TEST_F(CacheWriteTest, FailedWriteLeavesThePreviousVersion) {
  Store(0, true);
  Answer("V2 Cyg");
  FIO::Fault::FailNext(FIO::Fault::Op::Write, ENOSPC);
  Store(0, false);
  EXPECT_EQ(owner_.codes.back(), ncDataFailed);
  EXPECT_EQ(owner_.messages.back(),
            "Web Repository Communication Error|Internal Error: ReceiveGetObjectData|"
            "Cannot create file");
  EXPECT_NE(gTrace.find("  FIO.Create failed\nReceiveGetObjectData EXIT FAIL\n"), std::string::npos) << gTrace;
  EXPECT_NE(Cached("bob").find("V1 Cyg"), std::string::npos);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(web_.UserCacheFolder())) ++files;
  EXPECT_EQ(files, 1u);  // no temporary file left behind
}

TEST_F(CacheWriteTest, UnsafeIdsAreRefusedBeforeAnyPathIsMade) {
  for (const char* evil : {"../../outside", "a/b", ".."}) {
    web_.FirstObject()->contributors = {evil};
    Store(0, true);
    EXPECT_EQ(owner_.messages.back(),
              "Web Repository Communication Error|Internal Error: ReceiveGetObjectData|"
              "Invalid user id or object token");
  }
  web_.contributorIndex = 1;  // beyond the one contributor
  ASSERT_TRUE(web_.GetObjectData("bob"));
  EXPECT_EQ(owner_.messages.back(),
            "Web Repository Communication Error|Internal Error: ReceiveGetObjectData|ContributorIndex overflow");
  EXPECT_FALSE(fs::exists(web_.config.cacheRoot));  // nothing was made, inside or outside
  EXPECT_FALSE(fs::exists(temp_.Path("outside.json")));
  EXPECT_EQ(owner_.codes, (std::vector<int>(4, ncDataFailed)));
}

}  // namespace
}  // namespace ombrix_web
