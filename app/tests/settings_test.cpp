#include "ombrix_app/settings.h"

#include <ombrix_testsupport/fault_sweep.h>
#include <ombrix_testsupport/temp_folder.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using namespace ombrix_app;

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDefaults(s, 6);
    filters.Init();
  }
  void TearDown() override { filters.Done(); }
  fs::path IniPath() const { return config.IniPath(); }
  void WriteIni(const std::string& text) { config.WriteIni(text); }
  std::string ReadIni() const { return config.ReadIni(); }
  void Load() { LoadSettings(s, recent, filters); }
  bool Save() { return SaveSettings(s, recent, filters); }

  ombrix_test::CTempConfig config;
  TSettings s;
  CRecentFiles recent;
  ombrix_data::CFilterTable filters;
};

TEST_F(SettingsTest, FirstStartKeepsDefaultsAndDefaultFilters) {
  Load();
  EXPECT_EQ(s.xPos, 100);
  EXPECT_EQ(s.yPos, 100);
  EXPECT_EQ(s.width, 560);
  EXPECT_EQ(s.depth, 280);
  EXPECT_EQ(s.splitter1, 86);
  EXPECT_EQ(s.splitter2, 166);
  EXPECT_EQ(s.splitter3, 86);
  EXPECT_STREQ(s.copyDataMask, "%RA% %DEC%");
  EXPECT_DOUBLE_EQ(s.sunAlt, -12);
  EXPECT_TRUE(s.checkVersion);
  EXPECT_FALSE(s.showStarAlt);
  EXPECT_EQ(recent.Count(), 0u);
  EXPECT_GT(filters.Count(), 0u);
}

TEST_F(SettingsTest, EveryValueSurvivesSaveAndLoad) {
  s.xPos = 7;
  s.maximized = true;
  s.periodSteps = 0.25;
  s.showDev = false;
  s.csvExportOptions = 13;
  std::strcpy(s.rootPath, "/data/curves");
  std::strcpy(s.webRepositoryUser, "observer");
  const std::string password = "secret-" + std::string(56, 'p');  // 63 characters, the most kept
  std::strcpy(s.webRepositoryPassword, password.c_str());
  recent.Append("/f/a.ofd");
  recent.Append("/f/b.ofd");
  filters.Add("V", 0xFF00FF00u);
  ASSERT_TRUE(Save());

  TSettings back;
  SetDefaults(back, 6);
  CRecentFiles backRecent;
  ombrix_data::CFilterTable backFilters;
  backFilters.Init();
  LoadSettings(back, backRecent, backFilters);
  EXPECT_EQ(std::memcmp(&back, &s, sizeof s), 0);
  ASSERT_EQ(backRecent.Count(), 2u);
  EXPECT_STREQ(backRecent.Path(0), "/f/a.ofd");
  EXPECT_STREQ(backRecent.Path(1), "/f/b.ofd");
  EXPECT_EQ(backFilters.Count(), 1u);
  EXPECT_EQ(backFilters.ColourOf("v"), 0xFF00FF00u);
  backFilters.Done();

  const std::string ini = ReadIni();
  EXPECT_NE(ini.find("V = FF00FF00"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("secret"), std::string::npos);
}

TEST_F(SettingsTest, UnchangedSettingsAreNotRewritten) {
  ASSERT_TRUE(Save());
  Load();
  std::ofstream(IniPath(), std::ios::app) << "; kept\n";  // a mark a rewrite would lose
  ASSERT_TRUE(Save());
  EXPECT_NE(ReadIni().find("; kept"), std::string::npos);
  s.xPos = 321;
  ASSERT_TRUE(Save());
  EXPECT_NE(ReadIni().find("XPos = 321"), std::string::npos);
}

// Real settings go to the key file with a decimal point whatever the user's
// locale, and come back whole.
TEST_F(SettingsTest, RealsKeepThePointUnderADecimalCommaLocale) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  s.periodSteps = 0.25;
  s.longitude = 14.4378;
  const bool saved = Save();
  TSettings back;
  SetDefaults(back, 6);
  LoadSettings(back, recent, filters);
  std::setlocale(LC_ALL, "C");
  ASSERT_TRUE(saved);
  EXPECT_EQ(back.periodSteps, 0.25);
  EXPECT_EQ(back.longitude, 14.4378);
  EXPECT_EQ(ReadIni().find("0,25"), std::string::npos) << ReadIni();
}

// Whatever file operation fails while the settings are saved, the previous
// key file stays as it was and the save reports the failure.
TEST_F(SettingsTest, FailedSaveLeavesThePreviousKeyFile) {
  s.xPos = 5;
  ASSERT_TRUE(Save());
  const std::string previous = ReadIni();
  ombrix_test::SweepFileFaults(
      [&] {
        s.xPos = 321;
        return Save();
      },
      [&](const ombrix_test::TFaultRun& run) {
        const std::string now = ReadIni();
        if (run.succeeded)
          EXPECT_NE(now.find("XPos = 321"), std::string::npos);
        else
          EXPECT_EQ(now, previous);
      },
      {.prepare = [&] {
         config.WriteIni(previous);
         s.xPos = 5;
       }});
}

TEST_F(SettingsTest, NineRecentEntriesLoadEight) {
  WriteIni("[MRUfiles]\n0=/a0\n1=/a1\n2=/a2\n3=/a3\n5=/a5\n6=/a6\n7=/a7\n8=/a8\n9=/a9\n");
  Load();
  ASSERT_EQ(recent.Count(), 7u);  // "4" is missing and skipped, "8" and "9" never read
  EXPECT_STREQ(recent.Path(3), "/a3");
  EXPECT_STREQ(recent.Path(6), "/a7");
}

TEST_F(SettingsTest, FilterColoursParseOrBecomeBlack) {
  WriteIni("[Filters]\n  R  =  FF0000FF \nB=zz\nI=\nV=ff00ff00\n");
  Load();
  EXPECT_EQ(filters.Count(), 4u);
  EXPECT_EQ(filters.ColourOf("R"), 0xFF0000FFu);
  EXPECT_EQ(filters.ColourOf("B"), 0xFF000000u);
  EXPECT_EQ(filters.ColourOf("I"), 0xFF000000u);
  EXPECT_EQ(filters.ColourOf("V"), 0xFF00FF00u);
}

TEST_F(SettingsTest, EmptiedListsDoNotComeBack) {
  recent.Append("/f/a.ofd");
  filters.Add("V", 1);
  ASSERT_TRUE(Save());
  recent.Clear();
  filters.Done();
  filters.Init();
  ASSERT_TRUE(Save());
  Load();
  EXPECT_EQ(recent.Count(), 0u);
  EXPECT_EQ(filters.Count(), 0u);
}

TEST_F(SettingsTest, RegistryStandInIsReadWithoutKeyFile) {
  fs::create_directories(config.root / "config" / "OMBRIX");
  std::ofstream(config.root / "config" / "OMBRIX" / "registry.ini")
      << "[HKCU\\Software\\Quenta\\Ombrix]\nSplitter2=dword:00000063\nRootPath=sz:/r\nShowDev=dword:00000000\n"
      << "[HKCU\\Software\\Quenta\\Ombrix\\Window]\nXPos=dword:0000000a\n"
      << "[HKCU\\Software\\Quenta\\Ombrix\\MRUfiles]\n0=sz:/x.ofd\n";
  Load();
  EXPECT_EQ(s.splitter2, 99);
  EXPECT_EQ(s.xPos, 10);
  EXPECT_STREQ(s.rootPath, "/r");
  EXPECT_TRUE(s.showDev);  // display keys are not taken from the registry
  ASSERT_EQ(recent.Count(), 1u);
  EXPECT_STREQ(recent.Path(0), "/x.ofd");
}

TEST(Password, RoundTripsUpToSixtyThreeCharacters) {
  const struct {
    std::string plain, expected;
  } cases[] = {
      {"a", "a"},
      {std::string(63, 'x'), std::string(63, 'x')},
      {std::string(63, 'y') + "z", std::string(63, 'y')},
      {"p@ss word!", "p@ss word!"},
  };
  for (const auto& c : cases) {
    char hex[kPasswordHexHigh + 1];
    EncodePassword(c.plain.c_str(), hex);
    EXPECT_EQ(std::strlen(hex), 128u);
    EXPECT_EQ(std::string(hex).find_first_not_of("0123456789ABCDEF"), std::string::npos);
    char back[kPasswordHigh + 1];
    DecodePassword(hex, back);
    EXPECT_EQ(std::string(back), c.expected);
  }
  char back[kPasswordHigh + 1] = "old";
  DecodePassword("", back);
  EXPECT_STREQ(back, "");
}

TEST(RecentFiles, ReorderRemoveAndLimit) {
  CRecentFiles r;
  for (int i = 0; i < 8; ++i) r.NoteLoad(("/p" + std::to_string(i)).c_str(), true);
  ASSERT_EQ(r.Count(), 8u);
  EXPECT_STREQ(r.Path(0), "/p7");

  r.NoteLoad("/p3", true);  // already listed: moves to the front, no duplicate
  ASSERT_EQ(r.Count(), 8u);
  EXPECT_STREQ(r.Path(0), "/p3");
  EXPECT_STREQ(r.Path(4), "/p4");
  EXPECT_STREQ(r.Path(7), "/p0");

  r.NoteLoad("/new", true);  // a ninth path pushes the oldest out
  ASSERT_EQ(r.Count(), 8u);
  EXPECT_STREQ(r.Path(0), "/new");
  EXPECT_STREQ(r.Path(7), "/p1");

  r.NoteLoad("/p5", false);  // a failed load removes the entry
  ASSERT_EQ(r.Count(), 7u);
  for (std::uint32_t i = 0; i < r.Count(); ++i) EXPECT_STRNE(r.Path(i), "/p5");

  r.NoteLoad("/P3", false);  // comparison is case-sensitive
  EXPECT_EQ(r.Count(), 7u);

  char label[kRecentLabelHigh + 1];
  RecentLabel(2, "/a/b.ofd", label);
  EXPECT_STREQ(label, "2 /a/b.ofd");
}

}  // namespace
