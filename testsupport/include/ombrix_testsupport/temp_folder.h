// Temporary folders and configuration for tests: every test process runs
// with HOME and the XDG folders in a fresh tree of its own (set up by the
// test main of this library), and fixtures get private folders on request.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace ombrix_test {

// A fresh folder under the system's temporary folder, removed (with all it
// holds) when the object goes. Permissions are restored before removal, so
// tests may make files read-only.
class CTempFolder {
 public:
  explicit CTempFolder(const std::string& prefix = "ombrix");
  ~CTempFolder();
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  // Absolute name of an entry in the folder.
  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  // Writes bytes to the named entry (creating parent folders); returns its path.
  std::string Put(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path root_;  // the folder itself, owned
};

// The whole content of a file, or "" when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
// Writes bytes to a file, creating its parent folders.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// A test fixture whose test runs inside a private folder (the current
// directory while it runs); armed file faults are reset afterwards.
class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  static void Put(const std::string& name, const std::string& bytes) { WriteFile(name, bytes); }
  static std::string Get(const std::string& name) { return ReadFile(name); }

  std::filesystem::path folder_;    // the test's own folder, removed afterwards
  std::filesystem::path previous_;  // current directory before the test
};

// A private configuration for one test: HOME and XDG_CONFIG_HOME point into
// a fresh folder while the object lives, and are restored afterwards.
class CTempConfig {
 public:
  CTempConfig();
  ~CTempConfig();
  CTempConfig(const CTempConfig&) = delete;
  CTempConfig& operator=(const CTempConfig&) = delete;

  // The program's key file in this configuration.
  std::filesystem::path IniPath() const;
  void WriteIni(const std::string& text) const { WriteFile(IniPath(), text); }
  std::string ReadIni() const { return ReadFile(IniPath()); }

  CTempFolder folder;  // holds "home" and "config"
  std::filesystem::path root;  // folder.Root(), kept for callers' convenience

 private:
  std::string previousHome_, previousConfig_;
  bool hadHome_ = false, hadConfig_ = false;
};

}  // namespace ombrix_test
