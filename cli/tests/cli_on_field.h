// Running ombrix-cli subcommands inside the test data folder, where the
// small field's relative series paths lead, and reading their output lines.
#pragma once

#include <gtest/gtest.h>
#include <ombrix_testsupport/c_numbers.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "ombrix_cli/command.h"

namespace ombrix_cli {

struct TRun {
  int status;
  std::string out, err;
};

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The value after `word ` on the line that starts with it; NaN when absent.
inline double ValueAfter(const std::string& text, const std::string& word) {
  const ombrix_test::CCNumbers cNumbers;
  for (const std::string& line : Lines(text))
    if (line.rfind(word + ' ', 0) == 0) return std::strtod(line.c_str() + word.size() + 1, nullptr);
  return std::nan("");
}

class CliOnField : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
    ASSERT_EQ(chdir(OMBRIX_TEST_DATA), 0);
  }
  void TearDown() override { ASSERT_EQ(chdir(previous_), 0); }

  static TRun Run(std::vector<const char*> words) {
    words.insert(words.begin(), "ombrix-cli");
    std::ostringstream out, err;
    const int status = RunCli(words, out, err);
    return {status, out.str(), err.str()};
  }

 private:
  char previous_[4096] = "";
};

}  // namespace ombrix_cli
