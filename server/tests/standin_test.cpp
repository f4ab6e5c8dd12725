// The client against a stand-in server that answers malformed bodies: each
// gives its exact message, and nothing is written outside the cache folder.
#include <httplib.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "repo_test_util.h"

namespace ombrix_repo::test {
namespace {

constexpr const char* kToken = "00000000AAAAAAAA";
constexpr const char* kError = "Web Repository Communication Error";
constexpr const char* kGoodLogin =
    R"({"status":"ok","user_token":"t0k","user_id":"me","user_name":"Me","access":"all"})";

// Answers each path with the body set for it, status 200.
class CStandIn {
 public:
  CStandIn() {
    server_.Get(".*", [this](const httplib::Request& q, httplib::Response& r) { Answer(q, r); });
    server_.Post(".*", [this](const httplib::Request& q, httplib::Response& r) { Answer(q, r); });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~CStandIn() {
    server_.stop();
    thread_.join();
  }
  void Set(const std::string& endpoint, std::string body) {
    std::lock_guard lock(mutex_);
    bodies_["/repo/api/v1/" + endpoint] = std::move(body);
  }
  int Port() const { return port_; }

 private:
  void Answer(const httplib::Request& q, httplib::Response& r) {
    std::lock_guard lock(mutex_);
    r.set_content(bodies_[q.path], "application/json");
  }

  httplib::Server server_;
  std::thread thread_;
  std::mutex mutex_;
  std::map<std::string, std::string> bodies_;
  int port_ = 0;
};

class StandInTest : public ::testing::Test {
 protected:
  StandInTest() : client("127.0.0.1:" + std::to_string(standIn.Port()), folder.Path("root") + "/") {}

  void LogIn() {
    standIn.Set("login", kGoodLogin);
    ASSERT_TRUE(client.web.Login("me", "pw"));
    ASSERT_TRUE(client.web.IsLoggedIn());
    client.owner.Clear();
  }

  ombrix_test::CTempFolder folder{"ombrix-standin"};
  CStandIn standIn;
  TClient client;
};

TEST_F(StandInTest, MalformedLoginAnswers) {
  const struct {
    const char* body;
    std::string message;
  } cases[] = {
      {R"({"user_token":"x"})", std::string(kError) + "|Missing keyword:|status"},
      {R"({"status":"perhaps"})", std::string(kError) + "|Unknown keyword: |perhaps"},
      {R"({"status":"fail"})", "Repository Login Failed|Reason not provided by the server.|"},
      {R"({"status":"ok","user_id":"me","user_name":"","access":""})",
       std::string(kError) + "|Missing keyword:|user_token"},
      {R"({"status":"ok","user_token":"","user_id":"me","user_name":"","access":""})",
       std::string(kError) + "|Missing keyword:|user_token"},
      {R"({"status":"ok","user_token":"t","user_id":"me","access":""})",
       std::string(kError) + "|Missing keyword:|user_name"},
      {R"({"status":"ok","user_token":"t","user_id":"../../x","user_name":"","access":""})",
       std::string(kError) + "|Invalid keyword:|user_id"},
      {R"({"status":"ok","user_token":"t\r\nX-Evil: 1","user_id":"me","user_name":"","access":""})",
       std::string(kError) + "|Invalid keyword:|user_token"},
      {R"({"status":"ok","user_token":"abc)", std::string(kError) + "|Expected , or }|"},
      {"", std::string(kError) + "|No JSON data|"},
  };
  for (const auto& c : cases) {
    standIn.Set("login", c.body);
    client.owner.Clear();
    ASSERT_TRUE(client.web.Login("me", "pw"));
    EXPECT_EQ(client.owner.LastMessage(), c.message) << c.body;
    EXPECT_FALSE(client.web.IsLoggedIn()) << c.body;
  }
}

TEST_F(StandInTest, MalformedAddressNeedsAConnection) {
  std::snprintf(client.web.config.serverHost, sizeof client.web.config.serverHost, "bad host");
  ASSERT_TRUE(client.web.Login("me", "pw"));
  EXPECT_EQ(client.owner.LastMessage(), "Cannot Reach Web Repository|Repository access requires Internet connection.|");
}

TEST_F(StandInTest, HugeBodyIsRefusedNotHeld) {
  standIn.Set("login", "{\"status\":\"ok\",\"pad\":\"" + std::string(100u << 20, 'x') + "\"}");
  ASSERT_TRUE(client.web.Login("me", "pw"));
  EXPECT_EQ(client.owner.LastMessage(),
            "Cannot Reach Web Repository|Repository server not accessible.|Try again later.");
  EXPECT_TRUE(client.web.response.empty());
  EXPECT_FALSE(client.web.IsLoggedIn());
}

TEST_F(StandInTest, ListAndContributeAnswers) {
  LogIn();
  standIn.Set("list_objects", R"({"status":"ok","bad/../token":{},"00000000BBBBBBBB":{"publisher":"../../x"},
      "00000000CCCCCCCC":{"publisher":"ann","contributors":["bo"],"name":"ok"}})");
  ASSERT_TRUE(client.web.ListObjects());
  ASSERT_NE(client.web.FirstObject(), nullptr);
  EXPECT_STREQ(client.web.FirstObject()->token, "00000000CCCCCCCC");
  EXPECT_EQ(client.web.FirstObject()->next, nullptr);
  EXPECT_EQ(client.owner.LastCode(), 5001);

  standIn.Set("list_objects", R"({"status":"ok"})");
  ASSERT_TRUE(client.web.ListObjects());
  EXPECT_EQ(client.owner.LastMessage(), "Web Repository command processed.|Web Repository is empty.|");
  EXPECT_EQ(client.owner.LastCode(), 5001);

  auto object = MakeObject(kToken, "X", 1.0);
  standIn.Set("contribute_object", R"({"status":"ok"})");
  ASSERT_TRUE(client.web.PublishObject(*object, true));
  EXPECT_EQ(client.owner.LastMessage(), "Web Repository command processed.|Web Repository is empty.|");
  EXPECT_EQ(client.owner.LastCode(), 5008);

  standIn.Set("contribute_object",
              std::string(R"({"status":"ok",")") + kToken + R"(":{"publisher":"ann","contributors":["..\\..\\x"]}})");
  ASSERT_TRUE(client.web.PublishObject(*object, true));
  EXPECT_EQ(client.owner.LastMessage(), std::string(kError) + "|Invalid keyword:|contributors");
  EXPECT_EQ(client.owner.LastCode(), 5008);
  EXPECT_EQ(client.web.FirstObject(), nullptr);

  standIn.Set("publish_object", R"({"status":"fail","error":"disk full"})");
  ASSERT_TRUE(client.web.PublishObject(*object, false));
  EXPECT_EQ(client.owner.LastMessage(), std::string(kError) + "|Request failed:|disk full");
  EXPECT_EQ(client.owner.LastCode(), 5004);

  standIn.Set("change_password", R"({"status":"fail","error":"too short"})");
  ASSERT_TRUE(client.web.ChangePassword("x"));
  EXPECT_EQ(client.owner.LastMessage(), "Change Repository Password Failed|too short|");
  EXPECT_FALSE(client.web.IsLoggedIn());
}

TEST_F(StandInTest, ObjectDataStaysInsideTheCache) {
  LogIn();
  auto object = MakeObject(kToken, "X", 1.0);
  standIn.Set("contribute_object",
              std::string(R"({"status":"ok",")") + kToken + R"(":{"publisher":"ann","contributors":["bo"]}})");
  ASSERT_TRUE(client.web.PublishObject(*object, true));
  ASSERT_EQ(client.owner.LastCode(), 5007);

  standIn.Set("get_object_data", R"({"status":"ok","0000000000000000":{}})");
  client.web.contributorIndex = -1;
  ASSERT_TRUE(client.web.GetObjectData("ann"));
  EXPECT_EQ(client.owner.LastMessage(),
            std::string(kError) + "|Internal Error: ReceiveGetObjectData|Reposnes does not contain ObjectToken record");
  EXPECT_EQ(client.owner.LastCode(), 5010);

  standIn.Set("get_object_data", std::string(R"({"status":"ok",")") + kToken +
                                     R"(":{"name":"X","m0":2460000,"series":[{"file_time":"1A","data":["1 2 3"]}],
                                     "token":"ignored","publisher":"ignored"}})");
  client.web.contributorIndex = 1;  // beyond the one contributor
  ASSERT_TRUE(client.web.GetObjectData("ann"));
  EXPECT_EQ(client.owner.LastMessage(),
            std::string(kError) + "|Internal Error: ReceiveGetObjectData|ContributorIndex overflow");

  client.web.contributorIndex = 0;
  ASSERT_TRUE(client.web.GetObjectData("bo"));
  EXPECT_EQ(client.owner.LastCode(), 5009);
  // The only file written anywhere in the tree is the cache file.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Root()))
    if (entry.is_regular_file()) files.push_back(std::filesystem::relative(entry.path(), folder.Root()).string());
  EXPECT_EQ(files, std::vector<std::string>{std::string("root/OMBRIX Web Repository Cache/me/") + kToken + "_bo.json"});
  const std::string cached = ombrix_test::ReadFile(folder.Root() / files[0]);
  EXPECT_EQ(
      cached,
      "{\r\n\t\"name\": \"X\",\r\n\t\"m0\": 2460000.00000000,\r\n\t\"series\": [\r\n\t\t{\r\n"
      "\t\t\t\"file_time\": \"1A\",\r\n\t\t\t\"data\": [\r\n\t\t\t\t\"1 2 3\"\r\n\t\t\t]\r\n\t\t}\r\n\t]\r\n}\r\n");
}

}  // namespace
}  // namespace ombrix_repo::test
