#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ombrix_cli/command.h"

namespace ombrix_cli {
namespace {

struct TJsonRun {
  int status;
  std::string out;
};

TJsonRun RunJsonOn(const std::string& text, const char* name) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  std::ofstream(path, std::ios::binary) << text;
  std::vector<const char*> words = {"ombrix-cli", "json", path.c_str()};
  std::ostringstream out, err;
  const int status = RunCli(words, out, err);
  return {status, out.str()};
}

TEST(CliJson, PrintsTheWritersLayoutWhichReadsBackUnchanged) {
  const TJsonRun first =
      RunJsonOn("{\"name\": \"V1229 Tau\", \"period\": 2.4611357, \"data\": [\"a\", \"b\"]}",
                "cli_json_first.json");
  ASSERT_EQ(first.status, kExitOk) << first.out;
  EXPECT_NE(first.out.find("\r\n"), std::string::npos);
  EXPECT_NE(first.out.find('\t'), std::string::npos);
  EXPECT_NE(first.out.find("V1229 Tau"), std::string::npos);
  EXPECT_NE(first.out.find("2.46113570"), std::string::npos);

  const TJsonRun second = RunJsonOn(first.out, "cli_json_second.json");
  ASSERT_EQ(second.status, kExitOk);
  EXPECT_EQ(second.out, first.out);
}

TEST(CliJson, BrokenDocumentsAndMissingFilesExitWithOne) {
  const TJsonRun broken = RunJsonOn("[1 2]", "cli_json_broken.json");
  EXPECT_EQ(broken.status, kExitFailure);
  EXPECT_EQ(broken.out, "error: Expected , or ]\n");

  // A truncated document has no reason text of its own; it still fails.
  const TJsonRun truncated = RunJsonOn("{\"name\": ", "cli_json_truncated.json");
  EXPECT_EQ(truncated.status, kExitFailure);
  EXPECT_EQ(truncated.out.rfind("error: ", 0), 0u) << truncated.out;

  std::vector<const char*> words = {"ombrix-cli", "json", "/nonexistent/x.json"};
  std::ostringstream out, err;
  EXPECT_EQ(RunCli(words, out, err), kExitFailure);
  EXPECT_EQ(out.str().rfind("error: ", 0), 0u);
}

}  // namespace
}  // namespace ombrix_cli
