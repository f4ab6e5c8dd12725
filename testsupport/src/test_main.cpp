// The main of every test program: before any test runs, HOME, the XDG
// folders and TMPDIR point into a fresh tree of this process's own, so no
// test reads or writes the user's files, and parallel test processes never
// share a configuration. The tree goes when the process ends. The C locale
// comes from the environment, as Qt sets it in the program, so number
// conversions are tested under the user's locale.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <clocale>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

class CPrivateHome : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ombrix-home-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return;
    root_ = pattern;
    const struct {
      const char* variable;
      const char* folder;
    } kFolders[] = {{"HOME", "home"},         {"XDG_CONFIG_HOME", "config"}, {"XDG_DATA_HOME", "data"},
                    {"XDG_CACHE_HOME", "cache"}, {"XDG_STATE_HOME", "state"},   {"XDG_RUNTIME_DIR", "runtime"},
                    {"TMPDIR", "tmp"}};
    for (const auto& f : kFolders) {
      std::error_code ec;
      std::filesystem::create_directories(root_ / f.folder, ec);
      // Private to the user, as the toolkit expects of its runtime folder.
      std::filesystem::permissions(root_ / f.folder, std::filesystem::perms::owner_all, ec);
      ::setenv(f.variable, (root_ / f.folder).c_str(), 1);
    }
  }
  void TearDown() override {
    if (root_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

 private:
  std::filesystem::path root_;
};

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new CPrivateHome);
  return RUN_ALL_TESTS();
}
