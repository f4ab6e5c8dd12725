// Key files: reading, typed keys, saving byte for byte; the registry stand-in.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "corekit/vscan.h"
#include "ombrix_testsupport/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using vscan::kAnyLength;

// Each test runs in a private folder of its own.
using KeyFile = ombrix_test::TempFolderTest;

std::string Value(vscan::CTextScanner& s, const char* key) {
  char text[256] = {};
  return s.GetKeyStr(kAnyLength, key, 255, text) ? std::string(text) : std::string("<missing>");
}

TEST_F(KeyFile, SectionsKeysAndTheFirstLineQuirk) {
  const std::string path = Path("a.ini");
  Put(path, "a=1\nc=5\n[S]\n  b  =  2  \r\nplain text\n[broken\n\n[T]\nb=3\n");
  vscan::CTextScanner s;
  ASSERT_TRUE(s.Init(kAnyLength, path.c_str()));
  EXPECT_EQ(Value(s, "a"), "<missing>");  // searches start after the first line
  ASSERT_TRUE(s.SetSection(kAnyLength, "S"));
  EXPECT_EQ(Value(s, "b"), "2");
  EXPECT_EQ(Value(s, "a"), "<missing>");
  EXPECT_FALSE(s.SetSection(kAnyLength, "s"));  // case-sensitive
  EXPECT_EQ(Value(s, "c"), "5");                // from the file's second line on...
  EXPECT_EQ(Value(s, "b"), "<missing>");        // ...up to the first header
  ASSERT_TRUE(s.SetSection(kAnyLength, "T"));
  EXPECT_EQ(Value(s, "b"), "3");

  std::int32_t n = 77;
  EXPECT_FALSE(s.GetKeyInt(kAnyLength, "missing", n));
  EXPECT_EQ(n, 77);
  EXPECT_TRUE(s.GetKeyInt(kAnyLength, "b", n));
  EXPECT_EQ(n, 3);
}

TEST_F(KeyFile, TypedValuesRoundTrip) {
  const std::string path = Path("typed.ini");
  vscan::CTextScanner s;
  ASSERT_TRUE(s.Create(kAnyLength, "OMBRIX", kAnyLength, path.c_str()));
  vcom::CRect r;
  r.Init(10, -20, 300, 400);
  s.SetKeyInt(kAnyLength, "int", -5);
  s.SetKeyCard64(kAnyLength, "big", 18446744073709551615ull);
  s.SetKeyReal(kAnyLength, "real", 0.1);
  s.SetKeyBool(kAnyLength, "flag", true);
  s.SetKeyRect(kAnyLength, "rect", r);
  ASSERT_TRUE(s.SaveModified());

  vscan::CTextScanner t;
  ASSERT_TRUE(t.Init(kAnyLength, path.c_str()));
  ASSERT_TRUE(t.SetSection(kAnyLength, "OMBRIX"));
  std::int32_t i = 0;
  std::uint64_t big = 0;
  double real = 0;
  bool flag = false;
  vcom::CRect back;
  EXPECT_TRUE(t.GetKeyInt(kAnyLength, "int", i));
  EXPECT_TRUE(t.GetKeyCard64(kAnyLength, "big", big));
  EXPECT_TRUE(t.GetKeyReal(kAnyLength, "real", real));
  EXPECT_TRUE(t.GetKeyBool(kAnyLength, "flag", flag));
  EXPECT_TRUE(t.GetKeyRect(kAnyLength, "rect", back));
  EXPECT_EQ(i, -5);
  EXPECT_EQ(big, 18446744073709551615ull);
  EXPECT_EQ(real, 0.1);  // 17 digits: exact
  EXPECT_TRUE(flag);
  EXPECT_TRUE(back.Equals(r));
  EXPECT_EQ(Value(t, "rect"), "10, -20, 300, 400");
}

TEST_F(KeyFile, BooleanWords) {
  const std::string path = Path("bool.ini");
  Put(path, "[B]\nt1=TRUE\nt2=true\nt3=1\nf1=False\nf2=0\nbad=yes\n");
  vscan::CTextScanner s;
  ASSERT_TRUE(s.Init(kAnyLength, path.c_str()));
  s.SetSection(kAnyLength, "B");
  const struct {
    const char* key;
    bool ok;
    bool value;
  } cases[] = {{"t1", true, true},  {"t2", true, true},  {"t3", true, true},
               {"f1", true, false}, {"f2", true, false}, {"bad", false, false}};
  for (const auto& c : cases) {
    bool v = !c.value;
    EXPECT_EQ(s.GetKeyBool(kAnyLength, c.key, v), c.ok) << c.key;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.key;
    }
  }
}

TEST_F(KeyFile, ChangeSaveAndReadBackByteForByte) {
  const std::string path = Path("settings.ini");
  Put(path, "; comment line\n[OMBRIX]\nWidth=800\nName   =  Field One\n[MRUfiles]\nfile=a.ofd\nfile=b.ofd\n");
  vscan::CTextScanner s;
  ASSERT_TRUE(s.Init(kAnyLength, path.c_str()));
  ASSERT_TRUE(s.SetSection(kAnyLength, "OMBRIX"));
  s.SetKeyInt(kAnyLength, "Width", 1024);
  s.SetKeyStr(kAnyLength, "New", kAnyLength, "value");  // inserted before the next header
  s.CreateSection(kAnyLength, "Filters");
  s.AddLine(kAnyLength, "V", kAnyLength, "1");
  ASSERT_TRUE(s.SaveModified());
  const std::string expected =
      "; comment line\r\n"
      "\r\n[OMBRIX]\r\nWidth = 1024\r\nName = Field One\r\nNew = value\r\n"
      "\r\n[MRUfiles]\r\nfile = a.ofd\r\nfile = b.ofd\r\n"
      "\r\n[Filters]\r\nV = 1\r\n";
  EXPECT_EQ(Get(path), expected);

  // Reading the written file and saving it under another name gives the same bytes.
  vscan::CTextScanner t;
  ASSERT_TRUE(t.Init(kAnyLength, path.c_str()));
  ASSERT_TRUE(t.SetSection(kAnyLength, "MRUfiles"));
  char text[256];
  std::string files;
  for (bool ok = t.GetFirstKeyStr(kAnyLength, "file", 255, text); ok;
       ok = t.GetNextKeyStr(kAnyLength, "file", 255, text)) {
    files += std::string(text) + ";";
  }
  EXPECT_EQ(files, "a.ofd;b.ofd;");
  const std::string copy = Path("copy.ini");
  t.SetKeyStr(kAnyLength, "file", kAnyLength, "a.ofd");  // same value: the image counts as changed
  ASSERT_TRUE(t.SaveAs(kAnyLength, copy.c_str()));
  EXPECT_EQ(Get(copy), expected);
}

TEST_F(KeyFile, UnchangedImageWritesNothing) {
  const std::string path = Path("same.ini");
  Put(path, "[A]\nk   =v\n");
  vscan::CTextScanner s;
  ASSERT_TRUE(s.Init(kAnyLength, path.c_str()));
  const std::string other = Path("other.ini");
  EXPECT_TRUE(s.SaveAs(kAnyLength, other.c_str()));
  EXPECT_FALSE(fs::exists(other));
  EXPECT_TRUE(s.SaveModified());
  EXPECT_EQ(Get(path), "[A]\nk   =v\n");
  EXPECT_FALSE(s.Init(kAnyLength, Path("absent.ini").c_str()));
}

TEST_F(KeyFile, FailedSaveKeepsTheOldFile) {
  vscan::CTextScanner s;
  const std::string path = Path("nofolder/x.ini");
  ASSERT_TRUE(s.Create(kAnyLength, "S", kAnyLength, path.c_str()));
  EXPECT_FALSE(s.SaveModified());
  EXPECT_TRUE(s.modified);
}

TEST_F(KeyFile, SectionsClearedAndDeleted) {
  const std::string path = Path("del.ini");
  Put(path, "[A]\nx=1\n[B]\ny=2\nz=3\n[C]\nw=4\n");
  vscan::CTextScanner s;
  ASSERT_TRUE(s.Init(kAnyLength, path.c_str()));
  s.ClearSection(kAnyLength, "B");
  EXPECT_TRUE(s.SetSection(kAnyLength, "B"));
  EXPECT_EQ(Value(s, "y"), "<missing>");
  s.DeleteSection(kAnyLength, "A");
  EXPECT_FALSE(s.SetSection(kAnyLength, "A"));
  ASSERT_TRUE(s.SaveModified());
  EXPECT_EQ(Get(path), "[B]\r\n\r\n[C]\r\nw = 4\r\n");
}

TEST_F(KeyFile, Utf16FilesAndLongLines) {
  const std::string path = Path("wide.ini");
  const std::u16string text = u"[Sekce]\r\nn\u00e1zev = \u017elu\u0165ou\u010dk\u00fd\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  Put(path, bytes);
  vscan::CTextScanner a;
  ASSERT_TRUE(a.Init(kAnyLength, path.c_str()));
  ASSERT_TRUE(a.SetSection(kAnyLength, "Sekce"));
  EXPECT_EQ(Value(a, "n\xc3\xa1zev"), "\xc5\xbelu\xc5\xa5ou\xc4\x8dk\xc3\xbd");

  vscan::CTextScannerW w;
  ASSERT_TRUE(w.Init(kAnyLength, (u"" + std::u16string(path.begin(), path.end())).c_str()));
  ASSERT_TRUE(w.SetSection(kAnyLength, u"Sekce"));
  char16_t value[256] = {};
  ASSERT_TRUE(w.GetKeyStr(kAnyLength, u"n\u00e1zev", 255, value));
  EXPECT_EQ(std::u16string(value), u"\u017elu\u0165ou\u010dk\u00fd");
  w.SetSaveUnicode(true);
  w.SetKeyStr(kAnyLength, u"k", kAnyLength, u"v");
  ASSERT_TRUE(w.SaveModified());
  const std::string saved = Get(path);
  ASSERT_GE(saved.size(), 4u);
  EXPECT_EQ(saved.substr(0, 4), std::string("\xFF\xFE[\0", 4));

  // A 300-character line continues as a second line.
  const std::string longPath = Path("long.ini");
  Put(longPath, "[L]\nk=" + std::string(298, 'x') + "\n");
  vscan::CTextScanner l;
  ASSERT_TRUE(l.Init(kAnyLength, longPath.c_str()));
  ASSERT_TRUE(l.SetSection(kAnyLength, "L"));
  char key[80], val[256];
  ASSERT_TRUE(l.GetFirstLine(79, key, 255, val));
  EXPECT_EQ(std::string(val, 254), std::string(254, 'x'));
  ASSERT_TRUE(l.GetNextLine(79, key, 255, val));
  EXPECT_EQ(std::string(val), std::string(44, 'x'));
  EXPECT_FALSE(l.GetNextLine(79, key, 255, val));
}

TEST_F(KeyFile, LongPlainLinesAreSavedWhole) {
  // A plain line keeps all its characters, not only the 80 of a key.
  const std::string comment = "; " + std::string(198, 'c');
  Put("long.ini", comment + "\n[S]\nk=1\n");
  vscan::CTextScanner s;
  ASSERT_TRUE(s.Init(kAnyLength, "long.ini"));
  ASSERT_TRUE(s.SetSection(kAnyLength, "S"));
  s.SetKeyInt(kAnyLength, "k", 2);
  ASSERT_TRUE(s.SaveModified());
  EXPECT_EQ(Get("long.ini"), comment + "\r\n\r\n[S]\r\nk = 2\r\n");
}

// What is not a regular file is refused at once: a FIFO would wait for a
// writer and /dev/zero never ends. Too large a file is refused unread.
TEST_F(KeyFile, ReadsOnlyRegularFilesOfBoundedSize) {
  ASSERT_EQ(::mkfifo("pipe.ini", 0600), 0);
  Put("huge.ini", "");
  fs::resize_file(Path("huge.ini"), (std::uint64_t{16} << 20) + 1);
  const struct {
    std::string name;
    FIO::WholeFile result;
  } cases[] = {{Path("pipe.ini"), FIO::WholeFile::notRegularFile},
               {"/dev/zero", FIO::WholeFile::notRegularFile},
               {Path("huge.ini"), FIO::WholeFile::tooLarge}};
  for (const auto& c : cases) {
    vscan::CTextScanner s;
    EXPECT_FALSE(s.Init(kAnyLength, c.name.c_str())) << c.name;
    EXPECT_EQ(s.readResult, c.result) << c.name;
    EXPECT_EQ(s.lines.count, 0u) << c.name;
    vscan::CTextScannerW w;
    EXPECT_FALSE(w.Init(kAnyLength, std::u16string(c.name.begin(), c.name.end()).c_str())) << c.name;
    EXPECT_EQ(w.readResult, c.result) << c.name;
  }
  vscan::CTextScanner s;
  ASSERT_TRUE(s.Create(kAnyLength, "S", kAnyLength, "pipe.ini"));
  EXPECT_EQ(s.readResult, FIO::WholeFile::ok);
}

TEST_F(KeyFile, RegistryStandInKeepsTypedValues) {
  const std::string hive = Path("registry.ini");
  vscan::SetRegistryFileA(kAnyLength, hive.c_str());
  vscan::CRegScannerA r;
  EXPECT_FALSE(r.Init(0, "", kAnyLength, "Software\\Legacy", vscan::kHKeyCurrentUser));
  EXPECT_FALSE(r.Init(kAnyLength, "othermachine", kAnyLength, "Software\\Legacy", vscan::kHKeyCurrentUser));
  ASSERT_TRUE(r.Create(0, "", kAnyLength, "Software\\Legacy", vscan::kHKeyCurrentUser));
  EXPECT_TRUE(r.SetKeyStr(kAnyLength, "Name", kAnyLength, "observer"));
  EXPECT_TRUE(r.SetKeyInt(kAnyLength, "Width", -3));
  EXPECT_TRUE(r.SetKeyReal(kAnyLength, "Lat", 49.5));
  ASSERT_TRUE(r.CreateSection(kAnyLength, "Filters"));
  EXPECT_TRUE(r.SetKeyBool(kAnyLength, "On", true));
  r.Done();

  vscan::CRegScannerA q;
  ASSERT_TRUE(q.Init(0, "", kAnyLength, "Software\\Legacy", vscan::kHKeyCurrentUser));
  char text[64];
  std::int32_t width = 0;
  std::uint32_t card = 0;
  double lat = 0;
  EXPECT_TRUE(q.GetKeyStr(kAnyLength, "Name", 63, text));
  EXPECT_STREQ(text, "observer");
  EXPECT_TRUE(q.GetKeyInt(kAnyLength, "Width", width));
  EXPECT_EQ(width, -3);
  EXPECT_FALSE(q.GetKeyReal(kAnyLength, "Width", lat));  // wrong type
  EXPECT_TRUE(q.GetKeyReal(kAnyLength, "Lat", lat));
  EXPECT_EQ(lat, 49.5);
  EXPECT_FALSE(q.GetKeyCard(kAnyLength, "Name", card));
  char sub[80];
  ASSERT_TRUE(q.EnumKey(0, 79, sub));
  EXPECT_STREQ(sub, "Filters");
  EXPECT_FALSE(q.EnumKey(1, 79, sub));

  q.SetBackupOption(true);
  EXPECT_TRUE(q.SetKeyInt(kAnyLength, "Width", 7));
  EXPECT_TRUE(q.TryRecoverKey(kAnyLength, "Width"));
  EXPECT_TRUE(q.GetKeyInt(kAnyLength, "Width", width));
  EXPECT_EQ(width, -3);
  EXPECT_FALSE(q.GetKeyStr(kAnyLength, "BAK_Width", 63, text));
  EXPECT_TRUE(q.DeleteKey(kAnyLength, "Name"));
  EXPECT_FALSE(q.GetKeyStr(kAnyLength, "Name", 63, text));
  EXPECT_TRUE(q.DeleteSection(kAnyLength, "Filters"));
  EXPECT_FALSE(q.SetSection(kAnyLength, "Filters"));
  EXPECT_NE(Get(hive).find("[HKCU\\Software\\Legacy]"), std::string::npos);
  vscan::SetRegistryFileA(0, "");
}

// A hive that cannot be read is left as it is, and the calls fail.
TEST_F(KeyFile, RegistryRefusesAHiveThatIsNoRegularFile) {
  ASSERT_EQ(::mkfifo("registry.ini", 0600), 0);
  vscan::SetRegistryFileA(kAnyLength, Path("registry.ini").c_str());
  vscan::CRegScannerA r;
  EXPECT_FALSE(r.Create(0, "", kAnyLength, "Software\\Legacy", vscan::kHKeyCurrentUser));
  EXPECT_FALSE(r.Init(0, "", kAnyLength, "Software\\Legacy", vscan::kHKeyCurrentUser));
  EXPECT_FALSE(r.SetKeyInt(kAnyLength, "Width", 1));
  EXPECT_TRUE(fs::is_fifo(Path("registry.ini")));
  vscan::SetRegistryFileA(0, "");
}

// Without HOME and XDG_CONFIG_HOME the hive has no place: nothing is written.
TEST_F(KeyFile, RegistryWithoutConfigurationFolderFails) {
  ombrix_test::CTempConfig config;  // restores both variables afterwards
  ::unsetenv("HOME");
  ::unsetenv("XDG_CONFIG_HOME");
  ASSERT_EQ(vscan::RegistryFileA(), "");
  vscan::CRegScannerA r;
  EXPECT_FALSE(r.Create(0, "", kAnyLength, "Software\\Legacy", vscan::kHKeyCurrentUser));
  EXPECT_FALSE(r.Init(0, "", kAnyLength, "Software\\Legacy", vscan::kHKeyCurrentUser));
}

}  // namespace
