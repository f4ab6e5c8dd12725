// The program's repository client against ombrix-repo on 127.0.0.1.
#include <cstdlib>
#include <filesystem>

#include "repo_test_util.h"

namespace ombrix_repo::test {
namespace {

using ombrix_web::kEventLoginState;
using ombrix_web::kEventRepository;

constexpr const char* kToken = "0123456789ABCDEF";
constexpr const char* kProcessed = "Web Repository command processed.";

class RepoIntegrationTest : public RepoServerTest {
 protected:
  void Login(TClient& c, const char* user, const char* password) {
    ASSERT_TRUE(c.web.Login(user, password));
    ASSERT_TRUE(c.web.IsLoggedIn()) << c.owner.LastMessage();
    EXPECT_EQ(c.owner.notifications.back(), std::make_pair(kEventLoginState, 5000));
  }
};

TEST_F(RepoIntegrationTest, TwoObserversShareAnObject) {
  TClient anna(HostPort(), CacheRoot("anna")), bob(HostPort(), CacheRoot("bob"));
  bob.web.config.useEncryptedPassword = false;  // both password forms are understood
  Login(anna, "anna", "anna-pw");
  EXPECT_STREQ(anna.web.userId, "anna");
  EXPECT_STREQ(anna.web.userName, "Anna K.");
  EXPECT_STREQ(anna.web.access, "read, write");
  EXPECT_EQ(std::strlen(anna.web.userToken), 64u);
  Login(bob, "bob", "bob-pw");

  // An empty repository lists nothing.
  ASSERT_TRUE(bob.web.ListObjects());
  EXPECT_EQ(bob.owner.LastMessage(), std::string(kProcessed) + "|Web Repository is empty.|");
  EXPECT_EQ(bob.owner.LastCode(), 5001);

  auto annas = MakeObject(kToken, "V1 Cyg", 11.0);
  annas->fitPresent = true;
  annas->fit[ombrix_model::fpASin3] = 0.125;
  ASSERT_TRUE(anna.web.PublishObject(*annas, false));
  EXPECT_EQ(anna.owner.LastMessage(), std::string(kProcessed) + "|Object published to repository.|");
  EXPECT_EQ(anna.owner.LastCode(), 5003);
  ASSERT_TRUE(anna.web.PublishObject(*annas, false));
  EXPECT_EQ(anna.owner.LastMessage(), "Web Repository Communication Error|Request failed:|Object already published");
  EXPECT_EQ(anna.owner.LastCode(), 5004);

  ASSERT_TRUE(bob.web.ListObjects());
  auto* listed = bob.web.FirstObject();
  ASSERT_NE(listed, nullptr);
  EXPECT_STREQ(listed->token, kToken);
  EXPECT_STREQ(listed->publisher, "anna");
  EXPECT_STREQ(listed->name, "V1 Cyg");
  EXPECT_EQ(listed->period, 1.5);
  EXPECT_TRUE(listed->fitPresent);
  EXPECT_EQ(listed->fit[ombrix_model::fpASin3], 0.125);
  EXPECT_EQ(listed->next, nullptr);

  auto bobs = MakeObject(kToken, "V1 Cyg", 22.0);
  ASSERT_TRUE(bob.web.PublishObject(*bobs, true));
  EXPECT_EQ(bob.owner.LastCode(), 5007);
  ASSERT_NE(bob.web.FirstObject(), nullptr);
  EXPECT_EQ(bob.web.FirstObject()->contributors, std::vector<std::string>{"bob"});

  // Anna synchronises: her contribute answer names bob, whose data she fetches.
  ASSERT_TRUE(anna.web.PublishObject(*annas, true));
  ASSERT_EQ(anna.owner.LastCode(), 5007);
  anna.web.contributorIndex = 0;
  anna.web.renameCache = true;
  ASSERT_TRUE(anna.web.GetObjectData("bob"));
  EXPECT_EQ(anna.owner.LastCode(), 5009) << anna.owner.LastMessage();
  const std::string cached =
      ombrix_test::ReadFile(CacheRoot("anna") + "OMBRIX Web Repository Cache/anna/" + kToken + "_bob.json");
  EXPECT_NE(cached.find("22.000000"), std::string::npos) << cached;
  EXPECT_EQ(cached.find("\"token\""), std::string::npos);  // not kept in the cache

  // Fetching again moves the earlier file aside.
  anna.web.renameCache = true;
  ASSERT_TRUE(anna.web.GetObjectData("bob"));
  EXPECT_TRUE(std::filesystem::exists(CacheRoot("anna") + "OMBRIX Web Repository Cache/anna/" + kToken + "_bob.bak"));

  ASSERT_TRUE(bob.web.UnpublishObject(*bobs));
  EXPECT_EQ(bob.owner.LastMessage(),
            "Web Repository Communication Error|Request failed:|Only the publisher can unpublish an object");
  EXPECT_EQ(bob.owner.LastCode(), 5006);
  ASSERT_TRUE(anna.web.UnpublishObject(*annas));
  EXPECT_EQ(anna.owner.LastMessage(), std::string(kProcessed) + "|Object removed from repository.|");
  EXPECT_EQ(anna.owner.LastCode(), 5005);
  ASSERT_TRUE(bob.web.GetObjectData("anna"));
  EXPECT_EQ(bob.owner.LastMessage(),
            "Web Repository Communication Error|Request failed:|No data of that user for the object");
  EXPECT_EQ(bob.owner.LastCode(), 5010);
}

TEST_F(RepoIntegrationTest, LoginPasswordAndLogout) {
  TClient c(HostPort(), CacheRoot("c"));
  ASSERT_TRUE(c.web.Login("anna", "wrong"));
  EXPECT_FALSE(c.web.IsLoggedIn());
  EXPECT_EQ(c.owner.LastMessage(), "Repository Login Failed|Wrong user name or password|");
  EXPECT_EQ(c.owner.notifications.back(), std::make_pair(kEventLoginState, 5000));

  // Requests without a login are refused by the server.
  ASSERT_TRUE(c.web.ListObjects());
  EXPECT_EQ(c.owner.LastMessage(), "Web Repository Communication Error|Request failed:|Not logged in");
  EXPECT_EQ(c.owner.LastCode(), 5002);

  Login(c, "anna", "anna-pw");
  ASSERT_TRUE(c.web.ChangePassword("new-pw"));
  EXPECT_TRUE(c.web.IsLoggedIn());
  EXPECT_EQ(c.owner.notifications.back(), std::make_pair(kEventLoginState, 5000));
  ASSERT_TRUE(c.web.Logout());
  EXPECT_FALSE(c.web.IsLoggedIn());
  EXPECT_EQ(c.owner.notifications.back(), std::make_pair(kEventLoginState, 5000));
  // The token is gone on the server too: a copy of it is refused.
  Login(c, "anna", "new-pw");
}

TEST_F(RepoIntegrationTest, FailedLoginsAreSlowedDown) {
  TClient c(HostPort(), CacheRoot("c"));
  for (int i = 0; i < kFreeLoginFailures; ++i) ASSERT_TRUE(c.web.Login("bob", "wrong"));
  ASSERT_TRUE(c.web.Login("bob", "bob-pw"));
  EXPECT_FALSE(c.web.IsLoggedIn());
  EXPECT_EQ(c.owner.LastMessage(), "Repository Login Failed|Too many failed logins; try again later|");
}

TEST_F(RepoIntegrationTest, StoppedServerCannotBeReached) {
  TClient c(HostPort(), CacheRoot("c"));
  Login(c, "anna", "anna-pw");
  server.Stop();
  c.owner.Clear();
  ASSERT_TRUE(c.web.ListObjects());
  EXPECT_EQ(c.owner.LastMessage(), "Cannot Reach Web Repository|Repository server not accessible.|Try again later.");
  EXPECT_TRUE(c.owner.notifications.empty());
  EXPECT_TRUE(c.web.IsReady());
}

TEST_F(RepoIntegrationTest, WrongPrefixIsNotFound) {
  TClient c(HostPort(), CacheRoot("c"));
  std::snprintf(c.web.config.serverPath, sizeof c.web.config.serverPath, "/other/");
  ASSERT_TRUE(c.web.Login("anna", "anna-pw"));
  EXPECT_EQ(c.owner.LastMessage(), "Cannot Reach Web Repository|Repository server not accessible.|Try again later.");
}

}  // namespace
}  // namespace ombrix_repo::test

namespace ombrix_repo::test {
namespace {

// An "https://" repository URL really uses TLS and checks the certificate:
// a self-signed one is refused until OMBRIX_CA_FILE names it as trusted,
// and then the login succeeds over TLS.
TEST(RepoTls, HttpsIsKeptAndCertificatesAreChecked) {
  ombrix_test::CTempFolder folder("ombrix-tls");
  const std::string key = folder.Path("key.pem"), cert = folder.Path("cert.pem");
  const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 "
                           "-days 1 -keyout '" + key +
                           "' -out '" + cert + "' >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "no openssl program to make a certificate";
  CRepository repository;
  std::string error;
  ASSERT_TRUE(repository.Open(folder.Path("repo.db"), FastHashCost(), error)) << error;
  ASSERT_TRUE(repository.AddUser("anna", "pw", "", "", error));
  TServeOptions options;
  options.certFile = cert;
  options.keyFile = key;
  CRepoServer server;
  ASSERT_TRUE(server.Start(repository, options, error)) << error;
  EXPECT_EQ(server.Address().rfind("https://127.0.0.1:", 0), 0u);

  TClient c("https://127.0.0.1:" + std::to_string(server.Port()), folder.Path("cache") + "/");
  std::snprintf(c.web.config.serverPath, sizeof c.web.config.serverPath, "/");
  ASSERT_TRUE(c.web.Login("anna", "pw"));
  EXPECT_EQ(c.web.request.url.rfind("https://", 0), 0u);
  EXPECT_FALSE(c.web.IsLoggedIn());
  EXPECT_EQ(c.owner.LastMessage(), "Cannot Reach Web Repository|Repository server not accessible.|Try again later.");

  ::setenv("OMBRIX_CA_FILE", cert.c_str(), 1);
  const bool loggedIn = c.web.Login("anna", "pw") && c.web.IsLoggedIn();
  ::unsetenv("OMBRIX_CA_FILE");
  EXPECT_TRUE(loggedIn) << c.owner.LastMessage();
  EXPECT_STREQ(c.web.userId, "anna");
}

}  // namespace
}  // namespace ombrix_repo::test
