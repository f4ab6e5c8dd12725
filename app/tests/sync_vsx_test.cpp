// Synchronization, adding objects from the repository and the VSX look-up
// through the window against stand-in servers: the dialogs and messages the
// user sees, and what lands in the field and the cache.
#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <ombrix_testsupport/http_standin.h>

#include "ombrix_app/commands.h"
#include "ombrix_app/lookups.h"
#include "ombrix_app/repository.h"
#include "pane_fixture.h"

using namespace ombrix_app;
namespace fs = std::filesystem;

namespace {

constexpr const char* kToken = "ABCDEF0123456789";
constexpr const char* kLogin =
    R"({"status":"ok","user_token":"T","user_id":"me","user_name":"Me","access":"all"})";

class SyncVsxTest : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    std::snprintf(window.settings.rootPath, sizeof window.settings.rootPath, "%s/", config.root.c_str());
  }
  void Configure() {
    const std::string host = server.Server().substr(std::string("http://").size());
    std::snprintf(window.settings.webRepositoryServer, sizeof window.settings.webRepositoryServer, "%s",
                  host.c_str());
    std::strcpy(window.settings.webRepositoryPath, "/r/");
    std::strcpy(window.settings.webRepositoryUser, "me");
    std::strcpy(window.settings.webRepositoryPassword, "pw");
    Answer("login", kLogin);
    window.Command(cmLogin);
    WaitWhile([this] { return window.repository.IsBusy(); });
    ASSERT_TRUE(window.repository.IsLoggedIn());
  }
  void Answer(const std::string& request, const std::string& body) {
    server.Set("/r/api/v1/" + request, {200, body, ""});
  }
  // Processes events until the condition ends (a request or a flow).
  template <class F>
  void WaitWhile(F busy) {
    for (int i = 0; i < 3000 && busy(); ++i) {
      QApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(busy());
  }

  ombrix_test::CHttpStandIn server;
};

// anna published the object, "me" contributes: synchronizing uploads my
// version, downloads anna's into my cache and shows her series.
TEST_F(SyncVsxTest, SynchronizeObjectDownloadsThePublishersSeries) {
  Configure();
  ombrix_data::CObjectListElem* object = AddObject("V1 Cyg");
  std::strcpy(object->token, kToken);
  std::strcpy(object->publisher, "anna");
  window.pane.FieldReplaced();
  dialogs.Clear();
  Answer("contribute_object", std::string(R"({"status":"ok",")") + kToken +
                                  R"(":{"publisher":"anna","contributors":["me"],"name":"V1 Cyg"}})");
  Answer("get_object_data", std::string(R"({"status":"ok",")") + kToken +
                                R"(":{"name":"V1 Cyg","series":[{"file_time":"01D2A3B4C5D6E7F8","jd_type":"HJD",)"
                                R"("data":["2459000.100000 12.000000 0.010000","2459000.200000 12.400000 0.010000"]}]}})");
  window.Command(cmSyncObject);
  WaitWhile([this] { return window.repository.IsBusy(); });
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Object was synchronized with repository\nLocal data were uploaded to repository.\n"
            "Data from other contributors were downloaded to local cache.\n");
  const fs::path cache = config.root / "OMBRIX Web Repository Cache" / "me" / (std::string(kToken) + "_anna.json");
  EXPECT_TRUE(fs::exists(cache));
  ASSERT_NE(object->FirstSeries(), nullptr);
  EXPECT_EQ(object->FirstSeries()->pointCount, 2u);
  EXPECT_EQ(window.pane.series.list.Count(), 1);
  EXPECT_EQ(window.pane.SelectedObject(), object);

  // A field loaded while logged in rebuilds the repository series from the cache.
  const std::string path = (config.root / "shared.ofd").string();
  dialogs.AnswerFile(path);
  window.Command(cmSaveFieldAs);
  ASSERT_TRUE(window.OpenField(path.c_str()));
  ASSERT_NE(window.pane.field.First()->FirstSeries(), nullptr);
  EXPECT_EQ(window.pane.field.First()->FirstSeries()->pointCount, 2u);
}

TEST_F(SyncVsxTest, AddObjectsShowsTheListAndAddsTheChosenOnes) {
  Configure();
  ombrix_data::CObjectListElem* mine = AddObject("V0 Cyg");
  std::strcpy(mine->token, "0000000000000000");
  std::strcpy(mine->publisher, "me");
  window.pane.FieldReplaced();
  dialogs.Clear();
  Answer("list_objects", R"({"status":"ok",)"
                         R"("0000000000000000":{"publisher":"me","name":"V0 Cyg"},)"
                         R"("ABCDEF0123456789":{"publisher":"anna","contributors":["bob"],"name":"V1 Cyg",)"
                         R"("alt_name":"HD 1","m0":2459000.5,"period":0.75}})");
  // The chosen object is synchronized at once: its data come from anna.
  Answer("contribute_object", std::string(R"({"status":"ok",")") + kToken +
                                  R"(":{"publisher":"anna","contributors":[],"name":"V1 Cyg"}})");
  Answer("get_object_data", std::string(R"({"status":"ok",")") + kToken + R"(":{"name":"V1 Cyg"}})");
  std::vector<std::string> lines;
  std::vector<std::uint32_t> colours;
  dialogs.AnswerOK([&](vwin::COKCancelDialog& d) {
    auto& add = static_cast<CAddRepositoryObjectsDialog&>(d);
    for (int i = 0; i < add.list.Count(); ++i) {
      lines.push_back(add.list.ItemText(i));
      colours.push_back(add.list.ItemColor(i));
    }
    add.list.SetItemChecked(1, true);
  });
  window.Command(cmRepoAddObjects);
  WaitWhile([this] { return window.repository.IsBusy(); });
  EXPECT_EQ(dialogs.Shown().at(0).caption, "Add Object(s) from Web Repository");
  EXPECT_EQ(lines, (std::vector<std::string>{"Published: V0 Cyg (Publisher: me)",
                                             "Available: V1 Cyg | HD 1 (Publisher: anna; Contributors: bob)"}));
  EXPECT_EQ(colours.at(0), 0xffbfbfbfu);
  ASSERT_EQ(window.pane.field.Count(), 2u);
  ombrix_data::CObjectListElem* added = ombrix_data::CField::Next(window.pane.field.First());
  EXPECT_EQ(std::string(added->token, 16), kToken);  // a full token has no terminator
  EXPECT_TRUE(window.pane.objects.list.HasItemIcon(0));  // shared objects carry their icon
  EXPECT_TRUE(window.pane.objects.list.HasItemIcon(1));
  EXPECT_DOUBLE_EQ(added->period, 0.75);
  EXPECT_TRUE(window.modified);
  EXPECT_EQ(dialogs.Shown().back().caption, "All shared objects were synchronized with repository");
}

TEST_F(SyncVsxTest, VsxMatchesTheObjectAndReports) {
  ombrix_test::CHttpStandIn vsx;
  vsx.SetDefault({200,
                  R"({"VSXObjects":{"VSXObject":[)"
                  R"({"Name":"V1 Cyg","VariabilityType":"EA","RA2000":"300.00000","Declination2000":"40.00000",)"
                  R"("Period":"0.75","Epoch":"2459000.5"},)"
                  R"({"Name":"far","RA2000":"301.0","Declination2000":"40.0"}]}})",
                  ""});
  std::snprintf(window.settings.vsxServer, sizeof window.settings.vsxServer, "%s", vsx.Server().c_str());
  ombrix_data::CObjectListElem* object = AddObject("GSC 1", 300.0 * M_PI / 180, 40.0 * M_PI / 180);
  object->metaData.var.catalogRA = 300.0 * M_PI / 180;
  object->metaData.var.catalogDec = 40.0 * M_PI / 180;
  window.pane.FieldReplaced();
  window.Command(cmVsxAll);
  WaitWhile([this] { return window.vsx.Running(); });
  EXPECT_EQ(dialogs.Transcript(), "[message] VSX query completed\n2 stars from this field found in VSX.\n"
                                  "1 stars from VSX matched and marked.\n");
  EXPECT_STREQ(object->altName, "V1 Cyg");
  EXPECT_STREQ(object->variabilityType, "EA");
  EXPECT_DOUBLE_EQ(object->period, 0.75);
  EXPECT_TRUE(window.modified);
  EXPECT_NE(vsx.Paths().at(0).find("fromra=299.9972222&tora=300.0027778"), std::string::npos) << vsx.Paths().at(0);

  // No coordinates anywhere: told at once; an unreachable server: told after.
  dialogs.Clear();
  object->metaData.var.ra = ombrix_data::kUnknownRA;
  window.Command(cmVsxAll);
  object->metaData.var.ra = 1.0;
  std::strcpy(window.settings.vsxServer, "http://127.0.0.1:1");
  window.Command(cmVsxSelected);
  WaitWhile([this] { return window.vsx.Running(); });
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Cannot lookup stars in VSX\nUnknown coordinates of object within the field.\n"
            "[message] Cannot lookup stars in VSX\nVSX server not accessible.\nTry again later.\n");
}

}  // namespace
