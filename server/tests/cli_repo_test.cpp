// "ombrix-cli repo" against the server.
#include <ombrix_cli/command.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "repo_test_util.h"

namespace ombrix_repo::test {
namespace {

class CliRepoTest : public RepoServerTest {
 protected:
  int Run(std::vector<const char*> words, const char* user, const char* password) {
    const std::string server = HostPort() + "/repo/";
    std::vector<const char*> args = {"ombrix-cli", "repo"};
    args.insert(args.end(), words.begin(), words.end());
    for (const char* option : {"--server", server.c_str(), "--user", user, "--password", password})
      args.push_back(option);
    out.str("");
    err.str("");
    return ombrix_cli::RunCli(args, out, err);
  }
  std::ostringstream out, err;
};

TEST_F(CliRepoTest, PublishListGetUnpublish) {
  ASSERT_EQ(Run({"login"}, "anna", "anna-pw"), 0) << err.str();
  EXPECT_EQ(out.str(), "anna\tAnna K.\tread, write\n");

  ASSERT_EQ(Run({"publish", OMBRIX_SAMPLE_FIELD, "V0501 Lyr"}, "anna", "anna-pw"), 0) << out.str() << err.str();
  const std::string printed = out.str();
  // Series the field names may be missing here; the object is shared all the same.
  const std::size_t at = printed.find("token: ");
  ASSERT_NE(at, std::string::npos) << printed;
  const std::string token = printed.substr(at + 7, 16);
  EXPECT_NE(printed.find("message: Web Repository command processed. | Object published to repository."),
            std::string::npos);

  ASSERT_EQ(Run({"list"}, "bob", "bob-pw"), 0) << err.str();
  EXPECT_EQ(out.str(), token + "\tanna\tV0501 Lyr\t\n");

  EXPECT_EQ(Run({"unpublish", token.c_str()}, "bob", "bob-pw"), 1);
  EXPECT_EQ(
      out.str(),
      "message: Web Repository Communication Error | Request failed: | Only the publisher can unpublish an object\n");

  const std::string cache = folder.Path("cache");
  ASSERT_EQ(Run({"get", token.c_str(), "anna", "--cache", cache.c_str()}, "bob", "bob-pw"), 0) << out.str();
  const std::string file = cache + "/OMBRIX Web Repository Cache/bob/" + token + "_anna.json";
  EXPECT_EQ(out.str(), file + "\n");
  EXPECT_NE(ombrix_test::ReadFile(file).find("\"name\": \"V0501 Lyr\""), std::string::npos);

  EXPECT_EQ(Run({"unpublish", token.c_str()}, "anna", "anna-pw"), 0) << out.str();
  EXPECT_EQ(Run({"login"}, "anna", "nope"), 1);
  EXPECT_EQ(out.str(), "message: Repository Login Failed | Wrong user name or password\n");
}

}  // namespace
}  // namespace ombrix_repo::test
