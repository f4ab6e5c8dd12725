#include "runbase/fio_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "fio_testing.h"
#include "runbase/fio_fault.h"

namespace {

class ReplaceTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    Put("field.ofd", "old version");
    Put("field.bak", "older version");
  }
  // Replaces field.ofd with text; false when the replacement failed.
  static bool Replace(const std::string& text, bool keepBackup) {
    FIO::CReplaceFile out;
    if (!out.Begin(9, "field.ofd", keepBackup)) return false;
    FIO::WrStrA(out.Handle(), std::uint32_t(text.size()), text.c_str());
    FIO::WrLnA(out.Handle());
    return out.Commit();
  }
  // Names in the folder: no temporary file may stay behind.
  std::size_t FileCount() const {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder_)) n += e.is_regular_file();
    return n;
  }
};

TEST_F(ReplaceTest, CommitReplacesAndKeepsTheBackup) {
  ASSERT_TRUE(Replace("new version", true));
  EXPECT_EQ(Get("field.ofd"), "new version\r\n");
  EXPECT_EQ(Get("field.bak"), "old version");
  EXPECT_EQ(FileCount(), 2u);
  ASSERT_TRUE(Replace("third", false));
  EXPECT_EQ(Get("field.ofd"), "third\r\n");
  EXPECT_EQ(Get("field.bak"), "old version");
}

TEST_F(ReplaceTest, NewTargetIsCreatedWithTheUsualMode) {
  ASSERT_TRUE(FIO::ReplaceFileContentsA(6, "new.ofd", "abc", 3, true));
  EXPECT_EQ(Get("new.ofd"), "abc");
  EXPECT_FALSE(std::filesystem::exists("new.bak"));
  struct stat st {};
  ASSERT_EQ(::stat("new.ofd", &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST_F(ReplaceTest, ExistingModeIsKept) {
  ::chmod("field.ofd", 0600);
  ASSERT_TRUE(Replace("x", false));
  struct stat st {};
  ::stat("field.ofd", &st);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ReplaceTest, EveryFailureLeavesThePreviousFileAlone) {
  struct {
    const char* what;
    FIO::Fault::Op op;
    int error;
    std::uint32_t skip;
    const char* backup;   // the backup afterwards
  } cases[] = {
      {"temporary file not created", FIO::Fault::Op::Create, EACCES, 0, "older version"},
      {"disk full on the first write", FIO::Fault::Op::Write, ENOSPC, 0, "older version"},
      {"disk full on the line end", FIO::Fault::Op::Write, ENOSPC, 1, "older version"},
      {"flush fails", FIO::Fault::Op::Sync, EIO, 0, "older version"},
      {"backup link fails", FIO::Fault::Op::Rename, EACCES, 0, "older version"},
      {"backup move fails", FIO::Fault::Op::Rename, EACCES, 1, "older version"},
      {"final rename fails", FIO::Fault::Op::Rename, EACCES, 2, "old version"},
  };
  for (const auto& c : cases) {
    Put("field.bak", "older version");
    FIO::Fault::FailNext(c.op, c.error, c.skip);
    EXPECT_FALSE(Replace("new version", true)) << c.what;
    EXPECT_EQ(FIO::IOresult(), c.error) << c.what;
    FIO::Fault::Reset();
    EXPECT_EQ(Get("field.ofd"), "old version") << c.what;
    EXPECT_EQ(Get("field.bak"), c.backup) << c.what;
    EXPECT_EQ(FileCount(), 2u) << c.what;
  }
}

TEST_F(ReplaceTest, ShortWriteThenFullDiskFailsTheCommit) {
  FIO::Fault::ShortNextWrite(4);
  FIO::Fault::FailNext(FIO::Fault::Op::Write, ENOSPC, 1);
  EXPECT_FALSE(Replace("new version", true));
  EXPECT_EQ(Get("field.ofd"), "old version");
}

TEST_F(ReplaceTest, AbortAndDestructionDropTheTemporaryFile) {
  {
    FIO::CReplaceFile out;
    ASSERT_TRUE(out.Begin(9, "field.ofd", true));
    FIO::WrStrA(out.Handle(), 3, "lost");
    EXPECT_EQ(FileCount(), 3u);
  }
  EXPECT_EQ(FileCount(), 2u);
  FIO::CReplaceFile out;
  ASSERT_TRUE(out.Begin(9, "field.ofd", true));
  out.Abort();
  EXPECT_FALSE(out.Active());
  EXPECT_FALSE(out.Commit());
  EXPECT_EQ(Get("field.ofd"), "old version");
  EXPECT_EQ(FileCount(), 2u);
}

TEST_F(ReplaceTest, ReplacingTheBackupNameItselfKeepsNoSecondCopy) {
  ASSERT_TRUE(FIO::ReplaceFileContentsA(9, "field.bak", "b", 1, true));
  EXPECT_EQ(Get("field.bak"), "b");
  EXPECT_EQ(FileCount(), 2u);
}

}  // namespace
