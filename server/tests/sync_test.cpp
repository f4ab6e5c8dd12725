// The synchronization flows of the program against the server: two users,
// three shared objects, the cache they fill and the field that loads from it.
#include <ombrix_cli/command.h>
#include <ombrix_field/ofd.h>
#include <ombrix_net/repository_cache.h>
#include <ombrix_net/repository_sync.h>
#include <runbase/diag.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include "repo_test_util.h"

namespace ombrix_repo::test {
namespace {

namespace fs = std::filesystem;
using ombrix_data::CObjectListElem;

constexpr const char* kT1 = "1111111111111111";  // anna's, bob contributes
constexpr const char* kT2 = "2222222222222222";  // bob's, anna contributes
constexpr const char* kT3 = "3333333333333333";  // anna's alone
constexpr const char* kUploaded = "Local data were uploaded to repository.";
constexpr const char* kDownloaded = "Data from other contributors were downloaded to local cache.";

// A field object with a token and one local series starting at a time of its
// own, whose values carry `marker`.
CObjectListElem* NewShared(const char* token, const char* name, const char* publisher, double marker) {
  auto* object = new CObjectListElem;
  std::memcpy(object->token, token, std::strlen(token));  // 16 characters fill the array
  std::snprintf(object->name, sizeof object->name, "%s", name);
  std::snprintf(object->publisher, sizeof object->publisher, "%s", publisher);
  auto* series = new ombrix_data::CLocalSeriesTreeElem;
  series->fileTime = 0x1DA000000000000ull + static_cast<unsigned long long>(marker);
  for (int i = 0; i < 4; ++i) series->InsertPoint({2460000.0 + marker + i * 0.01, marker, 0.01});
  object->InsertSeries(series);
  return object;
}

std::vector<double> RepositoryValues(const CObjectListElem& object) {
  std::vector<double> values;
  for (ombrix_data::CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s))
    if (!s->IsLocalSeries()) values.push_back(s->value[0]);
  return values;
}

std::string gTrace;
void CaptureTrace(const char* text) { gTrace += text; }

// One observer's program: the client, the field and the flows, with every
// message, notification and request of the window recorded.
class CObserver : public ombrix_web::IWebOwner, public ombrix_web::IRepositorySyncListener {
 public:
  CObserver(const std::string& hostPort, const std::string& cacheRoot) {
    std::snprintf(web.config.serverHost, sizeof web.config.serverHost, "%s", hostPort.c_str());
    std::snprintf(web.config.serverPath, sizeof web.config.serverPath, "/repo/");
    web.config.cacheRoot = cacheRoot;
  }

  ombrix_web::CInlineRequestRunner runner;
  ombrix_web::CWebInterface web{*this, runner};
  ombrix_data::CField field;
  ombrix_data::CScriptedUserIO io;
  ombrix_web::CRepositorySync sync{web, field, *this, io};

  std::vector<std::string> messages;  // the client's and the flows' messages, "caption|line|..."
  std::vector<int> codes;             // repository notifications
  std::vector<std::string> synchronized, listLines;
  int fieldChanges = 0;
  bool ended = false, completed = false;
  CObjectListElem* selected = nullptr;

  void ShowMessage(const char* caption, const char* line1, const char* line2, ombrix_web::TMessageIcon) override {
    messages.push_back(std::string(caption) + "|" + line1 + (*line2 ? std::string("|") + line2 : ""));
  }
  void Notify(int kind, int code) override {
    if (kind != ombrix_web::kEventRepository) return;
    codes.push_back(code);
    sync.OnNotification(code);
  }
  void ObjectSynchronized(CObjectListElem& object) override { synchronized.emplace_back(object.name); }
  void FieldChanged() override { ++fieldChanges; }
  void ObjectListChanged() override {}
  void RepositoryStatusChanged() override {}
  bool ChooseRepositoryObjects(vlist::CList& listed) override {
    for (vlist::CListElem* e = listed.first; e; e = e->next) {
      auto& object = *static_cast<ombrix_web::CWebObjectListElem*>(e);
      listLines.push_back(ombrix_web::RepositoryListLine(object));
      object.selected = ombrix_web::IsChoosable(object);
    }
    return true;
  }
  CObjectListElem* SelectedObject() override { return selected; }
  void FlowEnded(bool done) override {
    ended = true;
    completed = done;
  }

  void Login(const char* user, const char* password) {
    ASSERT_TRUE(web.Login(user, password));
    ASSERT_TRUE(web.IsLoggedIn());
  }
  // Everything shown: the client's messages, then the flows' (CUserIO).
  std::string LastFlowMessage() const {
    if (io.shown.empty()) return "";
    std::string text = io.shown.back().caption;
    for (const std::string& line : io.shown.back().lines) text += "|" + line;
    return text;
  }
  void Clear() {
    messages.clear();
    codes.clear();
    synchronized.clear();
    io.shown.clear();
    ended = completed = false;
  }
  std::set<std::string> CacheFiles() const {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(web.UserCacheFolder(), ec))
      names.insert(entry.path().filename().string());
    return names;
  }
};

// The repository holds three objects: anna published T1 and T3, bob T2; bob
// contributed to T1 and anna to T2.
class RepoSyncTest : public RepoServerTest {
 protected:
  void SetUp() override {
    RepoServerTest::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    TClient anna(HostPort(), CacheRoot("setup")), bob(HostPort(), CacheRoot("setup"));
    ASSERT_TRUE(anna.web.Login("anna", "anna-pw") && bob.web.Login("bob", "bob-pw"));
    Send(anna, NewShared(kT1, "V1 Cyg", "anna", 11), false);
    Send(anna, NewShared(kT3, "V3 Cyg", "anna", 13), false);
    Send(bob, NewShared(kT2, "V2 Cyg", "bob", 22), false);
    Send(bob, NewShared(kT1, "V1 Cyg", "anna", 21), true);
    Send(anna, NewShared(kT2, "V2 Cyg", "bob", 12), true);
    gTrace.clear();
    previousChannel_ = Diag::SetChannel(CaptureTrace);
  }
  void TearDown() override { Diag::SetChannel(previousChannel_); }

  static void Send(TClient& client, CObjectListElem* object, bool contribute) {
    std::unique_ptr<CObjectListElem> owned(object);
    ASSERT_TRUE(client.web.PublishObject(*object, contribute));
    ASSERT_EQ(client.owner.LastCode(), contribute ? 5007 : 5003) << client.owner.LastMessage();
  }
  static std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }

  Diag::Channel previousChannel_ = nullptr;
};

TEST_F(RepoSyncTest, FieldPassDownloadsEveryOtherVersionAndNoOwn) {
  CObserver anna(HostPort(), CacheRoot("anna"));
  anna.field.Append(NewShared(kT1, "V1 Cyg", "anna", 11));
  anna.field.Append(new CObjectListElem);  // not shared: left alone
  anna.field.Append(NewShared(kT2, "V2 Cyg", "bob", 12));
  anna.field.Append(NewShared(kT3, "V3 Cyg", "anna", 13));
  anna.Login("anna", "anna-pw");
  ASSERT_FALSE(fs::exists(CacheRoot("anna")));

  ASSERT_TRUE(anna.sync.SynchronizeField());
  EXPECT_TRUE(anna.completed) << ::testing::PrintToString(anna.messages);
  EXPECT_FALSE(anna.sync.Running());
  // T1: bob's contribution; T2: bob's publication, not anna's own
  // contribution; T3: nothing to fetch.
  EXPECT_EQ(anna.codes, (std::vector<int>{5001, 5007, 5009, 5007, 5009, 5007}));
  EXPECT_EQ(anna.synchronized, (std::vector<std::string>{"V1 Cyg", "V2 Cyg", "V3 Cyg"}));
  EXPECT_EQ(anna.CacheFiles(), (std::set<std::string>{std::string(kT1) + "_bob.json", std::string(kT2) + "_bob.json"}));
  EXPECT_EQ(anna.LastFlowMessage(),
            std::string("All shared objects were synchronized with repository|") + kUploaded + "|" + kDownloaded);
  EXPECT_TRUE(anna.messages.empty()) << anna.messages[0];
  EXPECT_EQ(RepositoryValues(*anna.field.At(0)), std::vector<double>{21});
  EXPECT_EQ(RepositoryValues(*anna.field.At(2)), std::vector<double>{22});
  EXPECT_TRUE(RepositoryValues(*anna.field.At(3)).empty());
  for (CObjectListElem* o = anna.field.First(); o; o = ombrix_data::CField::Next(o)) EXPECT_FALSE(o->toSynchronize);
  // The cache root is made by the first stored answer only; nothing was moved aside.
  EXPECT_EQ(Count(gTrace, "  Creating global directory = "), 1u) << gTrace;
  EXPECT_EQ(Count(gTrace, "  Copying: "), 0u) << gTrace;

  // Synchronizing one object again keeps the previous version beside the new one.
  anna.Clear();
  ASSERT_TRUE(anna.sync.SynchronizeObject(anna.field.At(0)));
  EXPECT_EQ(anna.codes, (std::vector<int>{5007, 5009}));
  EXPECT_EQ(anna.LastFlowMessage(),
            std::string("Object was synchronized with repository|") + kUploaded + "|" + kDownloaded);
  EXPECT_EQ(anna.CacheFiles().count(std::string(kT1) + "_bob.bak"), 1u);
  EXPECT_EQ(anna.CacheFiles().count(std::string(kT1) + "_bob.json"), 1u);
  EXPECT_EQ(RepositoryValues(*anna.field.At(0)), std::vector<double>{21});
}

TEST_F(RepoSyncTest, SavedFieldRebuildsItsRepositorySeriesFromTheCache) {
  CObserver anna(HostPort(), CacheRoot("anna"));
  anna.field.Append(NewShared(kT1, "V1 Cyg", "anna", 11));
  anna.field.Append(NewShared(kT2, "V2 Cyg", "bob", 12));
  anna.Login("anna", "anna-pw");
  ASSERT_TRUE(anna.sync.SynchronizeField());
  ASSERT_TRUE(anna.completed);
  for (ombrix_data::CSeriesTreeElem* s = anna.field.At(0)->FirstSeries(); s; s = anna.field.At(0)->NextSeries(s))
    if (!s->IsLocalSeries()) s->offset = 0.5;
  const std::string path = folder.Path("anna.ofd");
  ASSERT_TRUE(ombrix_data::SaveField(anna.field, path.c_str(), anna.io));

  // A file of another object and a broken one lie beside the good ones.
  const std::string user = anna.web.UserCacheFolder();
  ombrix_test::WriteFile(user + "4444444444444444_bob.json",
                         R"({"series": [{"file_time": "1", "data": ["2460099.0 1 0.1"]}]})");
  ombrix_test::WriteFile(user + kT1 + "X_bob.json", "{}");
  ombrix_test::WriteFile(user + kT1 + "_carol.json", "{\"series\": [");

  ombrix_web::CRepositoryCache cache;
  cache.cacheRoot = CacheRoot("anna");
  ombrix_data::CScriptedUserIO io;
  cache.io = &io;
  ombrix_data::SetRepositorySeriesSource(&cache);
  ombrix_data::TFieldLoadContext context;
  context.repositoryUser = "anna";
  ombrix_data::CField loaded;
  bool changed = false;
  const bool ok = ombrix_data::LoadField(path.c_str(), context, loaded, changed);
  ombrix_data::SetRepositorySeriesSource(nullptr);
  ASSERT_TRUE(ok);
  ASSERT_EQ(loaded.Count(), 2u);
  EXPECT_EQ(RepositoryValues(*loaded.At(0)), std::vector<double>{21});
  EXPECT_EQ(RepositoryValues(*loaded.At(1)), std::vector<double>{22});
  for (ombrix_data::CSeriesTreeElem* s = loaded.At(0)->FirstSeries(); s; s = loaded.At(0)->NextSeries(s)) {
    if (!s->IsLocalSeries()) {
      EXPECT_EQ(s->offset, 0.5);
    }
  }
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(
      io.shown[0].lines,
      (std::vector<std::string>{"Cannot load repository cache file:", user + kT1 + "_carol.json", "Not valid JSON"}));
}

TEST_F(RepoSyncTest, InsertedObjectsFromTheRepositoryAreSynchronized) {
  CObserver bob(HostPort(), CacheRoot("bob"));
  bob.field.Append(NewShared(kT2, "V2 Cyg", "bob", 22));
  CObjectListElem* own = new CObjectListElem;
  std::strcpy(own->name, "unshared");
  bob.field.Append(own);
  bob.selected = own;
  bob.Login("bob", "bob-pw");

  ASSERT_TRUE(bob.sync.AddObjects(true));
  EXPECT_EQ(bob.listLines, (std::vector<std::string>{"Available: V1 Cyg (Publisher: anna; Contributors: bob)",
                                                     "Available: V3 Cyg (Publisher: anna)",
                                                     "Published: V2 Cyg (Publisher: bob; Contributors: anna)"}));
  EXPECT_TRUE(bob.completed);
  ASSERT_EQ(bob.field.Count(), 4u);
  EXPECT_STREQ(bob.field.At(1)->name, "V1 Cyg");
  EXPECT_STREQ(bob.field.At(2)->name, "V3 Cyg");
  EXPECT_EQ(bob.field.At(3), own);
  EXPECT_STREQ(bob.field.At(1)->publisher, "anna");
  EXPECT_EQ(bob.fieldChanges, 1);
  // Each new object took the publisher's series; the own T2 was not touched.
  EXPECT_EQ(RepositoryValues(*bob.field.At(1)), std::vector<double>{11});
  EXPECT_EQ(RepositoryValues(*bob.field.At(2)), std::vector<double>{13});
  EXPECT_EQ(bob.synchronized, (std::vector<std::string>{"V1 Cyg", "V3 Cyg"}));
}

TEST_F(RepoSyncTest, FailuresEndTheFlow) {
  CObserver bob(HostPort(), CacheRoot("bob"));
  bob.field.Append(NewShared("5555555555555555", "never published", "bob", 5));
  bob.Login("bob", "bob-pw");
  ASSERT_TRUE(bob.sync.SynchronizeObject(bob.field.At(0)));
  EXPECT_EQ(bob.codes, std::vector<int>{5008});
  EXPECT_EQ(bob.messages,
            std::vector<std::string>{"Web Repository Communication Error|Request failed:|Object not published"});
  EXPECT_TRUE(bob.ended);
  EXPECT_FALSE(bob.completed);

  bob.Clear();
  bob.io.answers.push_back(ombrix_data::TAnswer::yes);
  CObjectListElem* fresh = new CObjectListElem;
  bob.field.Append(fresh);
  ASSERT_TRUE(bob.sync.Publish(fresh));
  EXPECT_EQ(bob.codes, std::vector<int>{5003});
  ASSERT_TRUE(bob.sync.Unpublish(fresh));
  EXPECT_EQ(bob.codes, (std::vector<int>{5003, 5005}));
  EXPECT_EQ(fresh->token[0], '\0');
  EXPECT_EQ(bob.fieldChanges, 2);

  server.Stop();
  bob.Clear();
  ASSERT_TRUE(bob.sync.SynchronizeField());
  EXPECT_EQ(bob.messages, std::vector<std::string>{"Cannot Reach Web Repository|Repository server not accessible.|"
                                                   "Try again later."});
  EXPECT_TRUE(bob.sync.Running());  // no notification comes: the window ends the flow
  bob.sync.EndFlow();
  EXPECT_FALSE(bob.sync.Running());
  EXPECT_FALSE(bob.completed);
}

class CliSyncTest : public RepoSyncTest {
 protected:
  int Run(std::vector<const char*> words) {
    const std::string server = HostPort() + "/repo/";
    const std::string cache = folder.Path("cli-cache");
    std::vector<const char*> args = {"ombrix-cli", "repo", "sync"};
    args.insert(args.end(), words.begin(), words.end());
    for (const char* option :
         {"--server", server.c_str(), "--user", "bob", "--password", "bob-pw", "--cache", cache.c_str()})
      args.push_back(option);
    out.str("");
    err.str("");
    return ombrix_cli::RunCli(args, out, err);
  }
  std::ostringstream out, err;
};

TEST_F(CliSyncTest, SynchronizesAndSavesTheField) {
  ombrix_data::CField field;
  auto* v1 = new CObjectListElem;
  std::memcpy(v1->token, kT1, 16);
  std::strcpy(v1->name, "V1 Cyg");
  std::strcpy(v1->publisher, "anna");
  field.Append(v1);
  auto* v3 = new CObjectListElem;
  std::memcpy(v3->token, kT3, 16);
  std::strcpy(v3->name, "V3 Cyg");
  std::strcpy(v3->publisher, "anna");
  field.Append(v3);
  const std::string path = folder.Path("bob.ofd");
  ombrix_data::CScriptedUserIO io;
  ASSERT_TRUE(ombrix_data::SaveField(field, path.c_str(), io));

  ASSERT_EQ(Run({path.c_str()}), 0) << out.str() << err.str();
  EXPECT_EQ(out.str(), std::string("synchronized: V1 Cyg (1 repository series)\n"
                                   "synchronized: V3 Cyg (1 repository series)\n"
                                   "message: All shared objects were synchronized with repository | ") +
                           kUploaded + " | " + kDownloaded + "\n");
  const std::string saved = ombrix_test::ReadFile(path);
  EXPECT_EQ(Count(saved, "web_series"), 4u) << saved;  // two sections, each with its end
  EXPECT_NE(saved.find("user_id = anna"), std::string::npos);

  // The saved field loads its repository series from the cache again.
  ASSERT_EQ(Run({path.c_str(), "V3 Cyg"}), 0) << out.str() << err.str();
  EXPECT_EQ(out.str(), std::string("synchronized: V3 Cyg (1 repository series)\n"
                                   "message: Object was synchronized with repository | ") +
                           kUploaded + " | " + kDownloaded + "\n");
  EXPECT_EQ(Run({path.c_str(), "V9"}), 1);
  EXPECT_NE(err.str().find("V9"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace ombrix_repo::test
