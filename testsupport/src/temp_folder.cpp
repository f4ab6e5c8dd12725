#include "ombrix_testsupport/temp_folder.h"

#include <runbase/fio_fault.h>
#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace ombrix_test {
namespace fs = std::filesystem;

namespace {

fs::path MakeUniqueFolder(const std::string& prefix) {
  std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot create a temporary folder from " << pattern;
    return {};
  }
  return pattern;
}

// Gives the owner every permission on the tree, so that removal succeeds
// after a test made parts of it read-only.
void MakeRemovable(const fs::path& root) {
  std::error_code ec;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_symlink(ec)) continue;
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
}

void SetOrUnset(const char* name, bool had, const std::string& value) {
  if (had)
    ::setenv(name, value.c_str(), 1);
  else
    ::unsetenv(name);
}

}  // namespace

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::error_code ec;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  std::ofstream(path, std::ios::binary) << bytes;
}

CTempFolder::CTempFolder(const std::string& prefix) : root_(MakeUniqueFolder(prefix)) {}

CTempFolder::~CTempFolder() {
  if (root_.empty()) return;
  MakeRemovable(root_);
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::string CTempFolder::Put(const std::string& name, const std::string& bytes) const {
  const fs::path path = root_ / name;
  WriteFile(path, bytes);
  return path.string();
}

void TempFolderTest::SetUp() {
  folder_ = MakeUniqueFolder("ombrix-test");
  ASSERT_FALSE(folder_.empty());
  previous_ = fs::current_path();
  fs::current_path(folder_);
}

void TempFolderTest::TearDown() {
  FIO::Fault::Reset();
  std::error_code ec;
  fs::current_path(previous_, ec);
  if (folder_.empty()) return;
  MakeRemovable(folder_);
  fs::remove_all(folder_, ec);
}

CTempConfig::CTempConfig() : folder("ombrix-config"), root(folder.Root()) {
  if (const char* h = std::getenv("HOME")) hadHome_ = true, previousHome_ = h;
  if (const char* c = std::getenv("XDG_CONFIG_HOME")) hadConfig_ = true, previousConfig_ = c;
  std::error_code ec;
  fs::create_directories(root / "home", ec);
  ::setenv("HOME", (root / "home").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
}

CTempConfig::~CTempConfig() {
  SetOrUnset("HOME", hadHome_, previousHome_);
  SetOrUnset("XDG_CONFIG_HOME", hadConfig_, previousConfig_);
}

fs::path CTempConfig::IniPath() const { return root / "config" / "OMBRIX" / "ombrix.ini"; }

}  // namespace ombrix_test
