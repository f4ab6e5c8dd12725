// A private temporary folder per test, entered as the current directory,
// and small file helpers for the FIO tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "runbase/fio.h"
#include "runbase/fio_fault.h"

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ombrix-fio-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    FIO::Fault::Reset();
    std::filesystem::current_path(previous_);
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(folder_);
  }

  // Absolute name of a file in the folder.
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  static void Put(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static std::string Get(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static std::uint32_t High(const std::string& s) { return std::uint32_t(s.size()); }

  std::filesystem::path folder_;     // the test's own folder, removed afterwards
  std::filesystem::path previous_;   // current directory before the test
};
