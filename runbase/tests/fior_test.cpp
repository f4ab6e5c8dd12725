#include "runbase/fior.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "ombrix_testsupport/temp_folder.h"

namespace {

using ombrix_test::TempFolderTest;

constexpr std::uint32_t kHigh = 299;

std::string Expand(const std::string& path) {
  char out[kHigh + 1];
  FIOR::ExpandPathA(std::uint32_t(path.size()), path.c_str(), kHigh, out);
  return out;
}

TEST(FiorSplit, SplitsAtTheLastSeparatorKeepingRoots) {
  struct {
    const char* path;
    const char* directory;
    const char* name;
  } cases[] = {
      {"C:\\data\\a.txt", "C:\\data", "a.txt"},
      {"C:\\a.txt", "C:\\", "a.txt"},
      {"C:a.txt", "C:", "a.txt"},
      {"a.txt", "", "a.txt"},
      {"\\\\server\\share", "\\\\server\\share", ""},
      {"\\\\server", "\\\\server", ""},
      {"\\\\server\\share\\f", "\\\\server\\share\\", "f"},
      {"/home/u/a.txt", "/home/u", "a.txt"},
      {"/a.txt", "/", "a.txt"},
      {"/", "/", ""},
      {"..\\data\\a.txt", "..\\data", "a.txt"},
      {"data/sub/", "data/sub", ""},
  };
  for (const auto& c : cases) {
    char dir[64], name[64];
    FIOR::SplitPathA(63, c.path, 63, dir, 63, name);
    EXPECT_STREQ(dir, c.directory) << c.path;
    EXPECT_STREQ(name, c.name) << c.path;
  }
}

TEST(FiorSplit, AllPartsAndCutsAtTheArrayEnd) {
  char dir[64], base[4], ext[64];
  FIOR::SplitAllPathA(63, "/srv/obs/series1.dat", 63, dir, 3, base, 63, ext);
  EXPECT_STREQ(dir, "/srv/obs");
  EXPECT_EQ(std::string(base, 4), "seri");   // cut, no terminator
  EXPECT_STREQ(ext, "dat");
}

TEST(FiorExtension, LastDotAfterTheLastSeparator) {
  struct {
    const char* name;
    const char* extension;
    const char* removed;
    const char* changed;   // ChangeExtensionA to "bak"
    const char* added;     // AddExtensionA of "ofd"
  } cases[] = {
      {"field.ofd", "ofd", "field", "field.bak", "field.ofd"},
      {"C:\\dir.v2\\file", "", "C:\\dir.v2\\file", "C:\\dir.v2\\file.bak", "C:\\dir.v2\\file.ofd"},
      {"a.b.c", "c", "a.b", "a.b.bak", "a.b.c"},
      {"name.", "", "name", "name.bak", "name."},
      {"dir/", "", "dir/", "dir.bak", "dir/.ofd"},
      {"x..", "", "x.", "x..", "x.."},
      {"C:", "", "C:", "C:", "C:.ofd"},
      {"", "", "", "", ".ofd"},
  };
  for (const auto& c : cases) {
    char text[64];
    FIOR::GetExtensionA(63, c.name, 63, text);
    EXPECT_STREQ(text, c.extension) << c.name;
    std::strcpy(text, c.name);
    FIOR::RemoveExtensionA(63, text);
    EXPECT_STREQ(text, c.removed) << c.name;
    std::strcpy(text, c.name);
    FIOR::ChangeExtensionA(63, text, 2, "bak");
    EXPECT_STREQ(text, c.changed) << c.name;
    std::strcpy(text, c.name);
    FIOR::AddExtensionA(63, text, 2, "ofd");
    EXPECT_STREQ(text, c.added) << c.name;
  }
}

TEST(FiorExtension, IsExtensionIgnoresCase) {
  EXPECT_TRUE(FIOR::IsExtensionA(63, "SERIES1.TXT", 2, "txt"));
  EXPECT_TRUE(FIOR::IsExtensionA(63, "a.Ofd", 2, "OFD"));
  EXPECT_FALSE(FIOR::IsExtensionA(63, "a.ofd.bak", 2, "ofd"));
  EXPECT_FALSE(FIOR::IsExtensionA(63, "ofd", 2, "ofd"));
}

TEST(FiorExpand, NormalisesAbsolutePaths) {
  struct {
    const char* path;
    const char* expanded;
  } cases[] = {
      {"C:\\a\\b\\..\\.\\c", "C:/a/c"},
      {"C:\\..", "C:/"},
      {"c:x", "C:/x"},
      {"  /home/u/./obs/../data/  ", "/home/u/data"},
      {"/../..", "/"},
      {"\\var\\\\log\\", "/var/log"},
      {"\\\\srv\\share\\a\\..\\b", "//srv/share/b"},
  };
  for (const auto& c : cases) EXPECT_EQ(Expand(c.path), c.expanded) << c.path;
}

class FiorFolderTest : public TempFolderTest {};

TEST_F(FiorFolderTest, RelativePathsJoinTheCurrentDirectory) {
  const std::string here = folder_.string();
  const std::string parent = folder_.parent_path().string();
  EXPECT_EQ(Expand("a.txt"), here + "/a.txt");
  EXPECT_EQ(Expand("..\\data\\a.txt"), parent + "/data/a.txt");
  EXPECT_EQ(Expand(""), here);
  EXPECT_EQ(Expand("."), here);
}

TEST_F(FiorFolderTest, MakePathExpandsRelativeNamesOnly) {
  char out[kHigh + 1];
  FIOR::MakePathA(kHigh, out, 8, "/obs/raw", 9, "..\\a.txt");
  EXPECT_STREQ(out, "/obs/a.txt");
  FIOR::MakePathA(kHigh, out, 8, "/obs/raw", 8, "/etc/x/.");
  EXPECT_STREQ(out, "/etc/x");
  FIOR::MakePathA(kHigh, out, 3, "data", 4, "b.txt");
  EXPECT_EQ(std::string(out), folder_.string() + "/data/b.txt");
  FIOR::MakeAllPathA(kHigh, out, 4, "/obs", 1, "s1", 2, "dat");
  EXPECT_STREQ(out, "/obs/s1.dat");
  FIOR::JoinPathA(kHigh, out, 4, "obs/", 4, "x.txt");
  EXPECT_STREQ(out, "obs/x.txt");
  FIOR::JoinPathA(kHigh, out, 0, "", 4, "x.txt");
  EXPECT_STREQ(out, "x.txt");
  std::strcpy(out, "obs");
  FIOR::WildcardTailA(kHigh, out);
  EXPECT_STREQ(out, "obs/*");
}

TEST_F(FiorFolderTest, ExpansionIsCutTo259Characters) {
  const std::string deep = "/" + std::string(300, 'd');
  EXPECT_EQ(Expand(deep).size(), 259u);
  char small[8];
  FIOR::ExpandPathA(8, "/abcdefghij", 7, small);
  EXPECT_EQ(std::string(small, 8), "/abcdefg");
}

TEST_F(FiorFolderTest, RedirectionListSendsNamesToTheirFolders) {
  std::filesystem::create_directories("old");
  std::filesystem::create_directories("new");
  Put("old/s1.dat", "old");
  Put("redirect.ini",
      "# series live in two places\r\n"
      "[folders]\r\n"
      "*.DAT = " + Path("new") + "\r\n"
      "*.dat=" + Path("old") + "\r\n"
      "no equals sign\r\n"
      "*.tmp =\r\n");
  ASSERT_TRUE(FIOR::InitA(11, "redirect.ini"));
  EXPECT_EQ(FIOR::Redirection().Count(), 3u);

  char path[kHigh + 1];
  EXPECT_TRUE(FIOR::FindPathA(5, "s1.dat", kHigh, path));   // exists only in the second folder
  EXPECT_EQ(std::string(path), Path("old/s1.dat"));
  EXPECT_TRUE(FIOR::FindNewPathA(5, "s2.dat", kHigh, path));   // new files go to the first
  EXPECT_EQ(std::string(path), Path("new/s2.dat"));
  EXPECT_FALSE(FIOR::FindNewPathA(4, "x.tmp", kHigh, path));   // no folder: left as it is
  EXPECT_STREQ(path, "x.tmp");
  EXPECT_FALSE(FIOR::FindNewPathA(9, "/abs/s.dat", kHigh, path));   // absolute names stay
  EXPECT_STREQ(path, "/abs/s.dat");

  FIO::File f = FIOR::CreateA(5, "s2.dat");
  ASSERT_NE(f, FIO::InvalidHandle);
  FIO::Close(f);
  EXPECT_TRUE(std::filesystem::exists("new/s2.dat"));
  f = FIOR::OpenReadA(5, "s1.dat");
  char text[8] = {};
  FIO::RdBin(f, 7, text, 3);
  FIO::Close(f);
  EXPECT_STREQ(text, "old");
  FIOR::DeleteA(5, "s1.dat");
  EXPECT_FALSE(std::filesystem::exists("old/s1.dat"));

  FIOR::Done();
  EXPECT_EQ(FIOR::Redirection().Count(), 0u);
  EXPECT_FALSE(FIOR::InitA(6, "absent"));
}

TEST_F(FiorFolderTest, RedirectionListIsReadOnlyFromABoundedRegularFile) {
  // A pipe would block the start-up and a huge file is no list of folders.
  ASSERT_EQ(mkfifo("pipe.ini", 0600), 0);
  EXPECT_FALSE(FIOR::InitA(8, "pipe.ini"));
  EXPECT_FALSE(FIOR::InitA(9, "/dev/zero"));
  Put("big.ini", "*.dat = /data\n" + std::string(1 << 20, '#'));
  EXPECT_FALSE(FIOR::InitA(7, "big.ini"));
  EXPECT_EQ(FIOR::Redirection().Count(), 0u);
  Put("small.ini", "*.dat = /data\n");
  EXPECT_TRUE(FIOR::InitA(9, "small.ini"));
  EXPECT_EQ(FIOR::Redirection().Count(), 1u);
  FIOR::Done();
}

}  // namespace
