// A private config folder for a test: HOME and XDG_CONFIG_HOME point into a
// fresh temporary directory that is removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class CTempConfig {
 public:
  CTempConfig() {
    root = std::filesystem::temp_directory_path() /
           ("ombrix_app_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "home");
    setenv("HOME", (root / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  }
  ~CTempConfig() { std::filesystem::remove_all(root); }
  std::filesystem::path IniPath() const { return root / "config" / "OMBRIX" / "ombrix.ini"; }
  void WriteIni(const std::string& text) const {
    std::filesystem::create_directories(IniPath().parent_path());
    std::ofstream(IniPath()) << text;
  }
  std::string ReadIni() const {
    std::ifstream in(IniPath());
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  std::filesystem::path root;
};
