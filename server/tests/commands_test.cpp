// The administration commands of ombrix-repo.
#include "ombrix_repo/commands.h"

#include <sstream>
#include <vector>

#include "repo_test_util.h"

namespace ombrix_repo::test {
namespace {

class RepoCommandsTest : public ::testing::Test {
 protected:
  int Run(std::vector<const char*> words, const std::string& input = "") {
    std::vector<const char*> args = {"ombrix-repo"};
    args.insert(args.end(), words.begin(), words.end());
    std::istringstream in(input);
    out.str("");
    err.str("");
    return RunRepoCommand(args, in, out, err);
  }
  bool CanLogIn(const std::string& db, const char* user, const char* password) {
    CRepository repository;
    std::string error;
    if (!repository.Open(db, FastHashCost(), error)) return false;
    const std::string body = std::string(R"({"user":")") + user + R"(","password":")" + password + "\"}";
    return repository.Handle("api/v1/login", true, "", body).body.find("user_token") != std::string::npos;
  }

  ombrix_test::CTempFolder folder{"ombrix-commands"};
  std::ostringstream out, err;
};

TEST_F(RepoCommandsTest, UsersAndBackup) {
  const std::string db = folder.Path("group.db"), copy = folder.Path("copy.db");
  ASSERT_EQ(Run({"user", "add", "--db", db.c_str(), "anna", "--name", "Anna K."}, "secret\n"), 0) << err.str();
  ASSERT_EQ(Run({"user", "add", "--db", db.c_str(), "bob", "--password", "pw"}), 0) << err.str();
  EXPECT_EQ(Run({"user", "add", "--db", db.c_str(), "bob", "--password", "pw"}), 1);
  EXPECT_EQ(err.str(), "ombrix-repo: the user exists already\n");
  EXPECT_EQ(Run({"user", "add", "--db", db.c_str(), "../x", "--password", "pw"}), 1);
  EXPECT_EQ(Run({"user", "add", "--db", db.c_str(), "carl"}, ""), 1);  // no password given
  ASSERT_EQ(Run({"user", "list", "--db", db.c_str()}), 0);
  EXPECT_EQ(out.str(), "anna\tAnna K.\tread, write\nbob\tbob\tread, write\n");
  EXPECT_TRUE(CanLogIn(db, "anna", "secret"));

  ASSERT_EQ(Run({"user", "passwd", "--db", db.c_str(), "anna"}, "better\n"), 0) << err.str();
  EXPECT_FALSE(CanLogIn(db, "anna", "secret"));
  EXPECT_TRUE(CanLogIn(db, "anna", "better"));
  ASSERT_EQ(Run({"user", "remove", "--db", db.c_str(), "bob"}), 0);
  EXPECT_EQ(Run({"user", "remove", "--db", db.c_str(), "bob"}), 1);

  ASSERT_EQ(Run({"backup", "--db", db.c_str(), copy.c_str()}), 0) << err.str();
  EXPECT_TRUE(CanLogIn(copy, "anna", "better"));
  EXPECT_EQ(Run({"serve"}), 1);  // no database
  EXPECT_EQ(Run({"frobnicate"}), 2);
  EXPECT_EQ(Run({"--help"}), 0);  // the usage on standard output, no complaint
  EXPECT_EQ(out.str().rfind("Usage: ombrix-repo serve", 0), 0u);
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace ombrix_repo::test
