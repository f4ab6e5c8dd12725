#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "ombrix_testsupport/fault_sweep.h"
#include "ombrix_testsupport/temp_folder.h"
#include "runbase/fio.h"

namespace {

using FIO::WholeFile;

class WholeFileTest : public ombrix_test::TempFolderTest {
 protected:
  // Reads name with the limit; the text read, or the result when not ok.
  static WholeFile Read(const std::string& name, std::uint64_t limit, std::string& bytes) {
    bytes = "stale";
    return FIO::ReadWholeFileA(std::uint32_t(name.size()), name.c_str(), limit, bytes);
  }
};

TEST_F(WholeFileTest, ReadsUpToTheLimitExactly) {
  const std::string text(200000, 'x');   // several blocks
  Put("series.dat", text);
  std::string bytes;
  FIO::FileTime lastWrite = 0;
  ASSERT_EQ(FIO::ReadWholeFileA(9, "series.dat", text.size(), bytes, &lastWrite), WholeFile::ok);
  EXPECT_EQ(bytes, text);
  EXPECT_NE(lastWrite, 0u);
  EXPECT_EQ(Read("series.dat", text.size() - 1, bytes), WholeFile::tooLarge);
  EXPECT_EQ(FIO::IOresult(), EFBIG);
  EXPECT_EQ(bytes, "");
  Put("empty", "");
  EXPECT_EQ(Read("empty", 0, bytes), WholeFile::ok);
  EXPECT_EQ(bytes, "");
}

TEST_F(WholeFileTest, TellsMissingFromNotAFile) {
  std::string bytes;
  EXPECT_EQ(Read("absent", 100, bytes), WholeFile::cannotOpen);
  EXPECT_EQ(FIO::IOresult(), ENOENT);
  std::filesystem::create_directory("folder");
  EXPECT_EQ(Read("folder", 100, bytes), WholeFile::notRegularFile);
  EXPECT_EQ(FIO::IOresult(), EISDIR);
  Put("secret", "x");
  ::chmod("secret", 0);
  if (::geteuid() != 0) {
    EXPECT_EQ(Read("secret", 100, bytes), WholeFile::cannotOpen);
    EXPECT_EQ(FIO::IOresult(), EACCES);
  }
}

// Names that would never end or would wait for a writer are refused at
// once; a hang here shows as a test timeout.
TEST_F(WholeFileTest, RefusesPipesAndDevicesWithoutWaiting) {
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  std::filesystem::create_symlink("pipe", "link-to-pipe");
  std::string bytes;
  for (const char* name : {"pipe", "link-to-pipe", "/dev/zero", "/dev/null", "/dev/tty"}) {
    if (!std::filesystem::exists(name)) continue;
    EXPECT_EQ(Read(name, UINT64_MAX, bytes), WholeFile::notRegularFile) << name;
    EXPECT_EQ(FIO::IOresult(), ENODEV) << name;
    EXPECT_EQ(bytes, "") << name;
  }
}

// Files of /proc report size 0 and are read to their end all the same,
// within the limit.
TEST_F(WholeFileTest, SizeOfTheSystemIsNotTrusted) {
  std::string bytes;
  ASSERT_EQ(Read("/proc/self/status", 1 << 20, bytes), WholeFile::ok);
  EXPECT_NE(bytes.find("Name:"), std::string::npos);
  EXPECT_EQ(Read("/proc/self/status", 10, bytes), WholeFile::tooLarge);
  EXPECT_EQ(bytes, "");
}

TEST_F(WholeFileTest, FailedOpenOrReadLeavesNothing) {
  Put("series.dat", std::string(150000, 'y'));
  std::string bytes;
  WholeFile result = WholeFile::ok;
  ombrix_test::SweepFileFaults(
      [&] { return (result = Read("series.dat", 1 << 20, bytes)) == WholeFile::ok; },
      [&](const ombrix_test::TFaultRun& run) {
        EXPECT_FALSE(run.succeeded);
        EXPECT_EQ(result, run.point == 1 ? WholeFile::cannotOpen : WholeFile::cannotRead);
        EXPECT_EQ(FIO::IOresult(), run.error);
        EXPECT_EQ(bytes, "");
      });
}

}  // namespace
