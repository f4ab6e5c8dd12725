#include "runbase/fio_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "ombrix_testsupport/fault_sweep.h"
#include "ombrix_testsupport/temp_folder.h"
#include "runbase/fio_fault.h"

namespace {

using ombrix_test::TempFolderTest;

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
  // Entries in the folder: no temporary file may stay behind.
  std::size_t FileCount() const {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder_)) n += !e.is_directory();
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
      {"new file not moved in", FIO::Fault::Op::Rename, EACCES, 1, "older version"},
      {"final rename fails", FIO::Fault::Op::Rename, EACCES, 2, "older version"},
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

// Every file operation of a save failed in turn, once and from then on: a
// failed save leaves both versions and nothing else, and says why.
TEST_F(ReplaceTest, NoFileOperationFailureDamagesEitherVersion) {
  for (const bool keepBackup : {true, false}) {
    SCOPED_TRACE(keepBackup ? "keeping a backup" : "without backup");
    ombrix_test::SweepFileFaults(
        [&] { return Replace("new version", keepBackup); },
        [&](const ombrix_test::TFaultRun& run) {
          if (run.succeeded) {
            EXPECT_EQ(Get("field.ofd"), "new version\r\n");
          } else {
            EXPECT_EQ(FIO::IOresult(), run.error);
            EXPECT_EQ(Get("field.ofd"), "old version");
          }
          EXPECT_EQ(Get("field.bak"), run.succeeded && keepBackup ? "old version" : "older version");
          EXPECT_EQ(FileCount(), 2u);
        },
        {.prepare = [] {
          std::filesystem::remove("field.bak");   // a save may leave it linked to field.ofd
          Put("field.ofd", "old version");
          Put("field.bak", "older version");
        }});
  }
}

// The same where the file system refuses hard links and the backup is made
// by renames.
TEST_F(ReplaceTest, WithoutHardLinksNoFailureDamagesEitherVersion) {
  ombrix_test::SweepFileFaults(
      [&] {
        FIO::Fault::FailNext(FIO::Fault::Op::Rename, EPERM);   // the link()
        return Replace("new version", true);
      },
      [&](const ombrix_test::TFaultRun& run) {
        EXPECT_EQ(Get("field.ofd"), run.succeeded ? "new version\r\n" : "old version");
        EXPECT_EQ(Get("field.bak"), run.succeeded ? "old version" : "older version");
        EXPECT_EQ(FileCount(), 2u);
      },
      {.prepare = [] {
        Put("field.ofd", "old version");
        Put("field.bak", "older version");
      }});
  Put("field.ofd", "old version");
  FIO::Fault::FailNext(FIO::Fault::Op::Rename, EPERM);
  ASSERT_TRUE(Replace("new version", true));
  EXPECT_EQ(Get("field.bak"), "old version");
  EXPECT_EQ(FileCount(), 2u);
}

TEST_F(ReplaceTest, NoFileOperationFailureLeavesAHalfNewFile) {
  ombrix_test::SweepFileFaults(
      [] { return FIO::ReplaceFileContentsA(6, "new.ofd", "abc", 3, true); },
      [&](const ombrix_test::TFaultRun& run) {
        EXPECT_EQ(Get("new.ofd"), run.succeeded ? "abc" : "");
        EXPECT_EQ(FileCount(), run.succeeded ? 3u : 2u);
      },
      {.prepare = [] { std::filesystem::remove("new.ofd"); }});
}

// Without the device flush a replacement is still all or nothing: a sync
// that would fail is not even asked for, and a failed write keeps the old file.
TEST_F(ReplaceTest, SkippingTheDeviceFlushKeepsTheReplacementWhole) {
  auto replace = [](const std::string& text) {
    FIO::CReplaceFile out;
    out.SkipDeviceFlush();
    if (!out.Begin(9, "field.ofd", false)) return false;
    FIO::WrStrA(out.Handle(), std::uint32_t(text.size()), text.c_str());
    return out.Commit();
  };
  FIO::Fault::FailNext(FIO::Fault::Op::Sync, EIO);
  ASSERT_TRUE(replace("new"));
  EXPECT_EQ(Get("field.ofd"), "new");
  EXPECT_TRUE(FIO::Fault::Armed());  // the sync was never asked for
  FIO::Fault::Reset();
  FIO::Fault::FailNext(FIO::Fault::Op::Write, ENOSPC);
  EXPECT_FALSE(replace("newer"));
  EXPECT_EQ(Get("field.ofd"), "new");
  EXPECT_EQ(FileCount(), 2u);
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

TEST_F(ReplaceTest, AFolderIsNotReplaced) {
  std::filesystem::create_directory("data.ofd");
  Put("data.ofd/s1.dat", "series");
  std::filesystem::create_directory_symlink("data.ofd", "link.ofd");
  for (const char* name : {"data.ofd", "link.ofd"}) {
    EXPECT_FALSE(FIO::ReplaceFileContentsA(8, name, "abc", 3, true)) << name;
    EXPECT_EQ(FIO::IOresult(), EISDIR) << name;
  }
  EXPECT_EQ(Get("data.ofd/s1.dat"), "series");
  EXPECT_FALSE(std::filesystem::exists("data.bak"));
  EXPECT_FALSE(std::filesystem::exists("link.bak"));
  EXPECT_EQ(FileCount(), 2u);   // field.ofd and field.bak
}

TEST_F(ReplaceTest, ASymbolicLinkIsWrittenWhereItPoints) {
  std::filesystem::create_directory("real");
  Put("real/star.ofd", "old version");
  std::filesystem::create_symlink("real/star.ofd", "star.ofd");
  ASSERT_TRUE(FIO::ReplaceFileContentsA(8, "star.ofd", "new", 3, true));
  EXPECT_TRUE(std::filesystem::is_symlink("star.ofd"));
  EXPECT_EQ(Get("star.ofd"), "new");
  EXPECT_EQ(Get("real/star.bak"), "old version");
  EXPECT_FALSE(std::filesystem::exists("star.bak"));
  // A link to a file not yet there creates it there.
  std::filesystem::create_symlink("real/later.ofd", "later.ofd");
  ASSERT_TRUE(FIO::ReplaceFileContentsA(9, "later.ofd", "first", 5, true));
  EXPECT_TRUE(std::filesystem::is_symlink("later.ofd"));
  EXPECT_EQ(Get("real/later.ofd"), "first");
  // A loop of links is refused.
  std::filesystem::create_symlink("loop.ofd", "loop.ofd");
  EXPECT_FALSE(FIO::ReplaceFileContentsA(7, "loop.ofd", "x", 1, true));
  EXPECT_EQ(FIO::IOresult(), ELOOP);
}

TEST_F(ReplaceTest, ABackupLinkedToTheTargetLeavesNoStrayFile) {
  std::filesystem::remove("field.bak");
  std::filesystem::create_hard_link("field.ofd", "field.bak");
  ASSERT_TRUE(Replace("new version", true));
  EXPECT_EQ(Get("field.ofd"), "new version\r\n");
  EXPECT_EQ(Get("field.bak"), "old version");
  EXPECT_EQ(FileCount(), 2u);
  EXPECT_EQ(std::filesystem::hard_link_count("field.ofd"), 1u);
}

TEST_F(ReplaceTest, ReplacingTheBackupNameItselfKeepsNoSecondCopy) {
  ASSERT_TRUE(FIO::ReplaceFileContentsA(9, "field.bak", "b", 1, true));
  EXPECT_EQ(Get("field.bak"), "b");
  EXPECT_EQ(FileCount(), 2u);
}

}  // namespace
