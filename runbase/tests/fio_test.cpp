#include "runbase/fio.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>

#include "ombrix_testsupport/temp_folder.h"
#include "runbase/fio_fault.h"

namespace {

using ombrix_test::TempFolderTest;

class FioTest : public TempFolderTest {
 protected:
  static std::uint32_t High(const std::string& s) { return std::uint32_t(s.size()); }
  // Opens a file holding bytes for reading.
  FIO::File ReadOnly(const std::string& bytes) {
    Put("in.txt", bytes);
    return FIO::OpenReadA(6, "in.txt");
  }
};

TEST_F(FioTest, LongLineComesInPiecesOfTheArraySize) {
  const FIO::File f = ReadOnly(std::string(300, 'x') + "\r\nnext\r\n");
  ASSERT_NE(f, FIO::InvalidHandle);
  char line[256];
  FIO::RdStrA(f, 255, line);
  EXPECT_EQ(std::string(line, 256), std::string(256, 'x'));   // full array, no terminator
  FIO::RdStrA(f, 255, line);
  EXPECT_EQ(std::string(line), std::string(44, 'x'));
  FIO::RdStrA(f, 255, line);
  EXPECT_STREQ(line, "next");
  EXPECT_TRUE(FIO::EndOfFile(f));
  FIO::Close(f);
}

TEST_F(FioTest, LineEndsAtCtrlZAndEndOfFileFillsWithNul) {
  const FIO::File f = ReadOnly("a\rb\x1A" "c");
  char line[8];
  FIO::RdStrA(f, 7, line);
  EXPECT_STREQ(line, "ab");   // CR is never stored, Ctrl-Z ends the line
  EXPECT_FALSE(FIO::EndOfFile(f));
  FIO::RdStrA(f, 7, line);
  EXPECT_EQ(std::string(line, 8), std::string("c") + std::string(7, '\0'));
  EXPECT_TRUE(FIO::EndOfFile(f));
  FIO::Close(f);
}

TEST_F(FioTest, WideLinesReadSixteenBitUnits) {
  const FIO::File f = ReadOnly(std::string("h\0i\0\r\0\n\0z\0", 10));
  char16_t line[8];
  FIO::RdStrW(f, 7, line);
  EXPECT_EQ(std::u16string(line), u"hi");
  FIO::RdStrW(f, 7, line);
  EXPECT_EQ(std::u16string(line), u"z");
  FIO::Close(f);
}

TEST_F(FioTest, UnicodeDetectionPositionsAfterTheMarkOnly) {
  struct {
    std::string bytes;
    bool unicode;
    std::uint64_t position;
  } cases[] = {
      {"\xFF\xFE" "A", true, 2},
      {std::string("A\0B\0", 4), true, 0},
      {"AB", false, 0},
      {"A", false, 0},
      {"", false, 0},
  };
  for (const auto& c : cases) {
    const FIO::File f = ReadOnly(c.bytes);
    EXPECT_EQ(FIO::IsUnicodeFile(f), c.unicode) << c.bytes;
    EXPECT_EQ(FIO::GetPos(f), c.position) << c.bytes;
    FIO::Close(f);
  }
}

TEST_F(FioTest, NamesLongerThanTheLimitFailWithoutTouchingTheDisk) {
  const std::string longName(260, 'n');
  EXPECT_EQ(FIO::CreateA(High(longName), longName.c_str()), FIO::InvalidHandle);
  EXPECT_EQ(FIO::IOresult(), ENAMETOOLONG);
  FIO::MkDirA(High(longName), longName.c_str());
  EXPECT_EQ(FIO::IOresult(), ENAMETOOLONG);
  // The array end cuts the name first: high 2 of "abcdef" is "abc".
  const FIO::File f = FIO::CreateA(2, "abcdef");
  ASSERT_NE(f, FIO::InvalidHandle);
  FIO::Close(f);
  EXPECT_TRUE(FIO::ExistsA(2, "abc"));
}

TEST_F(FioTest, BackslashNamesResolveAsSeparators) {
  FIO::MkDirA(3, "data");
  const FIO::File f = FIO::CreateA(9, "data\\a.txt");
  ASSERT_NE(f, FIO::InvalidHandle);
  FIO::WrStrA(f, 1, "hi");
  FIO::Close(f);
  EXPECT_EQ(Get("data/a.txt"), "hi");
  const std::string up = "..\\" + folder_.filename().string() + "\\data\\a.txt";
  EXPECT_TRUE(FIO::ExistsA(High(up), up.c_str()));
  EXPECT_TRUE(FIO::ExistsDirA(3, "data"));
  EXPECT_FALSE(FIO::ExistsA(3, "data"));   // a directory is not a file
  const FIO::File w = FIO::OpenW(9, u"data\\a.txt");
  EXPECT_NE(w, FIO::InvalidHandle);
  FIO::Close(w);
}

TEST_F(FioTest, MissingFilesAndBadHandlesReportTheSystemError) {
  EXPECT_EQ(FIO::OpenA(6, "absent"), FIO::InvalidHandle);
  EXPECT_EQ(FIO::IOresult(), ENOENT);
  EXPECT_EQ(FIO::AppendA(6, "absent"), FIO::InvalidHandle);
  EXPECT_EQ(FIO::OpenReadA(0, "."), FIO::InvalidHandle);   // a directory is not a file
  EXPECT_EQ(FIO::IOresult(), EISDIR);
  EXPECT_EQ(FIO::Size(FIO::InvalidHandle), ~std::uint64_t(0));
  EXPECT_EQ(FIO::IOresult(), EBADF);
  EXPECT_FALSE(FIO::EndOfFile(FIO::InvalidHandle));
}

TEST_F(FioTest, PositionSizeTruncateAndAppend) {
  FIO::File f = FIO::CreateA(5, "f.bin");
  FIO::WrStrA(f, 9, "0123456789");
  EXPECT_EQ(FIO::Size(f), 10u);
  FIO::Seek(f, 4);
  EXPECT_EQ(FIO::GetPos(f), 4u);
  FIO::Truncate(f);
  EXPECT_EQ(FIO::Size(f), 4u);
  EXPECT_TRUE(FIO::EndOfFile(f));
  FIO::Close(f);
  f = FIO::AppendA(5, "f.bin");
  FIO::WrCharA(f, 'X');
  FIO::WrLnA(f);
  FIO::Close(f);
  EXPECT_EQ(Get("f.bin"), "0123X\r\n");
}

TEST_F(FioTest, WriteFaultsAreContinuedOrReported) {
  const std::string data(1000, 'd');
  FIO::File f = FIO::CreateA(5, "w.bin");
  FIO::Fault::ShortNextWrite(10);   // a partial write is continued
  EXPECT_EQ(FIO::WrBin(f, 999, data.data(), 1000), 1000u);
  EXPECT_EQ(FIO::IOresult(), 0);
  FIO::Fault::FailNext(FIO::Fault::Op::Write, EINTR);   // an interrupted write is retried
  EXPECT_EQ(FIO::WrBin(f, 999, data.data(), 1000), 1000u);
  FIO::Fault::ShortNextWrite(300);   // the disk fills up after 300 bytes
  FIO::Fault::FailNext(FIO::Fault::Op::Write, ENOSPC, 1);
  EXPECT_EQ(FIO::WrBin(f, 999, data.data(), 1000), 300u);
  EXPECT_EQ(FIO::IOresult(), ENOSPC);
  EXPECT_FALSE(FIO::Fault::Armed());
  FIO::Close(f);
  EXPECT_EQ(Get("w.bin").size(), 2300u);
}

TEST_F(FioTest, OpenFaultFailsLikeTheSystem) {
  Put("x", "1");
  FIO::Fault::FailNext(FIO::Fault::Op::Open, EACCES, 1);
  FIO::File first = FIO::OpenReadA(0, "x");
  EXPECT_NE(first, FIO::InvalidHandle);
  EXPECT_EQ(FIO::OpenReadA(0, "x"), FIO::InvalidHandle);
  EXPECT_EQ(FIO::IOresult(), EACCES);
  FIO::Close(first);
}

TEST_F(FioTest, AdjustedTextPadsAndCuts) {
  FIO::File f = FIO::CreateA(5, "t.txt");
  FIO::WrStrAdjA(f, 2, "abc", 5);
  FIO::WrStrAdjA(f, 2, "abc", -5);
  FIO::WrStrAdjA(f, 2, "abc", 2);
  FIO::ChopOff = 1;
  FIO::WrStrAdjA(f, 2, "abc", 2);
  FIO::ChopOff = 0;
  FIO::WrBoolA(f, true, 0);
  FIO::WrBoolA(f, false, -6);
  FIO::WrCharRepA(f, '-', 3);
  FIO::Close(f);
  EXPECT_EQ(Get("t.txt"), "  abcabc  abcabTRUEFALSE ---");
}

TEST_F(FioTest, NumbersWrittenAndReadAsItems) {
  FIO::File f = FIO::CreateA(5, "n.txt");
  FIO::WrInt32A(f, -42, 0);
  FIO::WrCharA(f, ' ');
  FIO::WrHex16A(f, 0xBEEF, 6);
  FIO::WrCharA(f, '\t');
  FIO::WrFixLngRealA(f, 2.5, 2, 0);
  FIO::WrStrA(f, 21, "\r\n300 TRUE maybe 70000");
  FIO::Close(f);
  EXPECT_EQ(Get("n.txt"), "-42   BEEF\t2.50\r\n300 TRUE maybe 70000");

  f = FIO::OpenReadA(5, "n.txt");
  bool ok = false;
  EXPECT_EQ(FIO::RdInt32A(f, ok), -42);
  EXPECT_TRUE(ok);
  EXPECT_EQ(FIO::RdHex16A(f, ok), 0xBEEF);
  EXPECT_TRUE(ok);
  EXPECT_DOUBLE_EQ(FIO::RdLngRealA(f, ok), 2.5);
  EXPECT_TRUE(ok);
  FIO::RdInt8A(f, ok);   // 300 does not fit
  EXPECT_FALSE(ok);
  EXPECT_TRUE(FIO::RdBoolA(f, ok));
  EXPECT_TRUE(ok);
  FIO::RdBoolA(f, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(FIO::RdCard16A(f, ok), std::uint16_t(70000));
  EXPECT_FALSE(ok);
  FIO::RdCard32A(f, ok);   // nothing left
  EXPECT_FALSE(ok);
  FIO::Close(f);
}

TEST_F(FioTest, FileTimesUseWindowsUnitsAndRoundTrip) {
  FIO::File f = FIO::CreateA(5, "t.bin");
  ASSERT_TRUE(FIO::SetFileTime(f, 116444736000000000ULL));   // 1970-01-01 00:00 UTC
  FIO::FileTime t = 0;
  ASSERT_TRUE(FIO::GetFileTime(f, t));
  EXPECT_EQ(t, 116444736000000000ULL);
  ASSERT_TRUE(FIO::SetFileTime2(f, 2024, 2, 29, 23, 59, 58, 125));
  std::uint16_t y, mo, d, h, mi, s, ms;
  ASSERT_TRUE(FIO::GetFileTime2(f, y, mo, d, h, mi, s, ms));
  EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s, ms}), (std::vector<int>{2024, 2, 29, 23, 59, 58, 125}));
  EXPECT_FALSE(FIO::SetFileTime2(f, 2024, 13, 1, 0, 0, 0, 0));
  EXPECT_FALSE(FIO::SetFileTime2(f, 2023, 2, 29, 0, 0, 0, 0));   // not a leap year
  EXPECT_EQ(FIO::IOresult(), EINVAL);
  FIO::Close(f);
  EXPECT_GT(FIO::GetCurrentFileTime(), 133000000000000000ULL);   // after 2022
}

TEST_F(FioTest, RenameDoesNotReplaceAnExistingFile) {
  Put("a", "A");
  Put("b", "B");
  FIO::RenameA(0, "a", 0, "b");
  EXPECT_EQ(FIO::IOresult(), EEXIST);
  EXPECT_EQ(Get("b"), "B");
  FIO::RenameA(0, "a", 0, "c");
  EXPECT_EQ(FIO::IOresult(), 0);
  EXPECT_EQ(Get("c"), "A");
  FIO::DeleteA(0, "c");
  EXPECT_FALSE(FIO::ExistsA(0, "c"));
}

TEST_F(FioTest, EnumerationFiltersByPatternAndAttributes) {
  Put("a.txt", "1");
  Put("b.txt", "22");
  Put("c.dat", "3");
  Put(".hidden.txt", "4");
  FIO::MkDirA(2, "sub");
  FIO::MkDirA(8, "dir.txt");
  const auto list = [](const char* pattern, std::uint32_t mask) {
    std::set<std::string> names;
    FIO::DirEntryA e;
    for (bool more = FIO::ReadFirstEntryA(63, pattern, mask, e); more; more = FIO::ReadNextEntryA(e))
      names.insert(e.name);
    EXPECT_EQ(e.search, nullptr);   // an exhausted search closes itself
    return names;
  };
  EXPECT_EQ(list("*.txt", 0), (std::set<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(list("*.txt", FIO::AttrHidden | FIO::AttrDirectory),
            (std::set<std::string>{"a.txt", "b.txt", ".hidden.txt", "dir.txt"}));
  EXPECT_EQ(list("sub\\*", FIO::AttrDirectory), (std::set<std::string>{".", ".."}));
  EXPECT_EQ(list("*.*", 0), (std::set<std::string>{"a.txt", "b.txt", "c.dat"}));
  EXPECT_TRUE(list("*.none", FIO::AttrAnyFile).empty());

  FIO::DirEntryA e;
  ASSERT_TRUE(FIO::ReadFirstEntryA(4, "b.txt", 0, e));
  EXPECT_EQ(e.size, 2u);
  EXPECT_EQ(e.attributes, 0u);
  FIO::CloseEntryA(e);
  EXPECT_EQ(e.search, nullptr);
}

TEST_F(FioTest, AttributesMapReadOnlyAndDirectories) {
  Put("r", "x");
  EXPECT_EQ(FIO::GetFileAttrA(0, "r"), 0u);
  FIO::SetFileAttrA(0, "r", FIO::AttrReadOnly);
  EXPECT_EQ(FIO::GetFileAttrA(0, "r"), FIO::AttrReadOnly);
  FIO::SetFileAttrA(0, "r", 0);
  EXPECT_EQ(FIO::GetFileAttrA(0, "r"), 0u);
  EXPECT_EQ(FIO::GetFileAttrA(0, "."), FIO::AttrDirectory);
  EXPECT_EQ(FIO::GetFileAttrA(5, "absent"), FIO::InvalidAttributes);
}

TEST_F(FioTest, CurrentDirectoryHasNoDriveLetters) {
  char dir[512];
  FIO::GetDirA(0, 511, dir);
  EXPECT_EQ(std::string(dir), folder_.string());
  FIO::GetDirA(3, 511, dir);
  EXPECT_EQ(FIO::IOresult(), ENODEV);
  EXPECT_STREQ(dir, "");
  FIO::MkDirA(2, "sub");
  FIO::ChDirA(2, "sub");
  FIO::GetDirA(0, 511, dir);
  EXPECT_EQ(std::string(dir), folder_.string() + "/sub");
  FIO::ChDirA(1, "..");
  FIO::RmDirA(2, "sub");
  EXPECT_FALSE(FIO::ExistsDirA(2, "sub"));
}

}  // namespace
