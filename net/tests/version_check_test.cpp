// The version check: version numbers, the fetch and the notice.
#include <gtest/gtest.h>

#include <ombrix_testsupport/http_standin.h>
#include "ombrix_net/version_check.h"

namespace ombrix_web {
namespace {

TEST(VersionCheck, NumbersOfVersionTexts) {
  const struct {
    const char* text;
    std::uint64_t number;
  } cases[] = {
      {"2.1", 0x02010000},       {"2.1.0.0", 0x02010000},    {"unknown", 0},        {"", 0},
      {"1.2.3.4.5", 0x01020304}, {"1.2 beta 3", 0x01020003}, {"0.1.0", 0x00010000}, {"3..4", 0x03040000},
      {"1.x.2", 0x01000200},     {" 2.10 ", 0x020A0000},
  };
  for (const auto& c : cases) EXPECT_EQ(VersionNumber(c.text), c.number) << c.text;
  EXPECT_TRUE(IsNewerVersion("unknown", "2.1"));
  EXPECT_TRUE(IsNewerVersion("2.0.9", "2.1"));
  EXPECT_FALSE(IsNewerVersion("2.1", "2.1.0"));
  EXPECT_FALSE(IsNewerVersion("2.1", "unknown"));
  EXPECT_STREQ(ProgramVersion(), OMBRIX_VERSION);
}

TEST(VersionCheck, NoticeTexts) {
  TVersionNotice notice;
  EXPECT_FALSE(NewVersionNotice("2.1", "2.1", "https://example.org/ombrix/", notice));
  ASSERT_TRUE(NewVersionNotice("unknown", "2.1", "https://example.org/ombrix/", notice));
  EXPECT_EQ(notice.title, "New version of OMBRIX is available");
  EXPECT_EQ(notice.text,
            "Working OMBRIX version is unknown\r\nVersion 2.1 is available at\r\nhttps://example.org/ombrix/");
  EXPECT_EQ(DownloadAddressOf("https://example.org/ombrix/versions/ombrix.txt"),
            "https://example.org/ombrix/versions/");
  EXPECT_EQ(DownloadAddressOf("https://example.org"), "https://example.org/");
}

TEST(VersionCheck, FetchesOnlyFromAGivenAddress) {
  TVersionNotice notice;
  std::string text = "stale";
  EXPECT_FALSE(FetchNewestVersion("", text));  // no address: nothing fetched
  EXPECT_TRUE(text.empty());
  EXPECT_FALSE(CheckForNewVersion("  ", notice));

  ombrix_test::CHttpStandIn maker;
  maker.Set("/versions/ombrix.txt", {200, "255.1 \r\nnotes follow\r\n", ""});
  const std::string url = maker.Server() + "/versions/ombrix.txt";
  ASSERT_TRUE(FetchNewestVersion(url, text));
  EXPECT_EQ(text, "255.1");
  ASSERT_TRUE(CheckForNewVersion(url, notice));
  EXPECT_EQ(notice.text, std::string("Working OMBRIX version is ") + OMBRIX_VERSION +
                             "\r\nVersion 255.1 is available at\r\n" + maker.Server() + "/versions/");

  maker.Set("/versions/ombrix.txt", {200, "0.0.1", ""});
  EXPECT_FALSE(CheckForNewVersion(url, notice));                              // older: nothing shown
  EXPECT_FALSE(CheckForNewVersion(maker.Server() + "/missing.txt", notice));  // 404: never reported
  EXPECT_EQ(maker.Paths().size(), 4u);
}

}  // namespace
}  // namespace ombrix_web
