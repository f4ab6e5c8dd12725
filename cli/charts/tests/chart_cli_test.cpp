// The chart subcommand: every chart tab of an object drawn into a PNG through
// the program's panes, and its refusals.

#include <gtest/gtest.h>
#include <ombrix_testsupport/temp_folder.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <winkit/vimage.h>
#include <fstream>

#include "ombrix_cli/command.h"
#include "program_commands.h"

namespace ombrix_cli {
namespace {

struct TRun {
  int status;
  std::string out, err;
};

// Pixels that are not white.
int InkedPixels(const vimage::CImage& image) {
  int n = 0;
  for (int y = 0; y < image.Height(); ++y) {
    const unsigned char* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x) n += (row[4 * x] & row[4 * x + 1] & row[4 * x + 2]) != 255;
  }
  return n;
}

// Pixels in which two pictures of one size differ.
int DifferentPixels(const vimage::CImage& a, const vimage::CImage& b) {
  int n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) n += std::memcmp(a.Row(y) + 4 * x, b.Row(y) + 4 * x, 3) != 0;
  return n;
}

// Runs in the test data folder, where the field's relative series paths lead
// (the fixture goes back afterwards); pictures go to a temporary folder.
class ChartCli : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(chdir(OMBRIX_TEST_DATA), 0);
  }

  static TRun Run(std::vector<const char*> words) {
    words.insert(words.begin(), "ombrix-cli");
    std::ostringstream out, err;
    const int status = RunCli(words, out, err, ProgramCommands());
    return {status, out.str(), err.str()};
  }

  static vimage::CImage Load(const std::string& path) {
    vimage::CImage image;
    char error[256] = "";
    EXPECT_TRUE(image.Load(path.c_str(), sizeof error - 1, error)) << path << ": " << error;
    return image;
  }
};

constexpr const char* kField = "cli_field.ofd";

TEST_F(ChartCli, DrawsEveryChartTabOfAnObject) {
  std::vector<vimage::CImage> pictures;
  const std::string points = " points 938\n";  // the K2 curve in the object's one enabled series
  for (const char* tab : {"1", "2", "3", "4", "5", "6"}) {
    SCOPED_TRACE(tab);
    const std::string png = Path(std::string("tab") + tab + ".png");
    const TRun r = Run({"chart", kField, "HD 23642", "--tab", tab, "--png", png.c_str(), "--size", "640x400"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out, "chart " + png + " 640x400 tab " + tab + points);
    pictures.push_back(Load(png));
    ASSERT_EQ(pictures.back().Width(), 640);
    ASSERT_EQ(pictures.back().Height(), 400);
    EXPECT_GT(InkedPixels(pictures.back()), 4000);  // axes, labels and hundreds of points
  }
  // Each tab draws its own chart, not one picture six times.
  for (std::size_t i = 1; i < pictures.size(); ++i)
    EXPECT_GT(DifferentPixels(pictures[i - 1], pictures[i]), 1000) << "tabs " << i << " and " << i + 1;
}

TEST_F(ChartCli, DefaultSizeAndProgramHelpListTheChart) {
  const std::string png = Path("default.png");
  ASSERT_EQ(Run({"chart", kField, "1", "--tab", "3", "--png", png.c_str()}).status, kExitOk);
  const vimage::CImage image = Load(png);
  EXPECT_EQ(image.Width(), 1200);
  EXPECT_EQ(image.Height(), 800);
  EXPECT_NE(Run({"--help"}).out.find("  chart          draw a chart tab of an object into a PNG picture\n"),
            std::string::npos);
  // Without the program's commands (the library alone) there is no chart.
  std::ostringstream out, err;
  const char* words[] = {"ombrix-cli", "chart"};
  EXPECT_EQ(RunCli(words, out, err), kExitUsage);
}

TEST_F(ChartCli, RefusalsNameTheFaultAndLeaveAnExistingPictureAlone) {
  const std::string png = Path("kept.png");
  ASSERT_EQ(Run({"chart", kField, "1", "--tab", "1", "--png", png.c_str(), "--size", "300x200"}).status, kExitOk);
  const std::string missingFolder = Path("no such folder/out.png");
  const struct {
    std::vector<const char*> words;
    int status;
    const char* err;
  } cases[] = {
      {{"--tab", "8"}, kExitFailure, "ombrix-cli chart: tab 8 is not a chart\n"},
      {{"--tab", "x"}, kExitUsage, "ombrix-cli chart: --tab takes the tab's number from 1, not \"x\"\n"},
      {{"--tab", "1", "--size", "300"},
       kExitUsage,
       "ombrix-cli chart: --size takes WxH in pixels, as 1200x800, not \"300\"\n"},
      {{"--tab", "1", "--size", "99x100"},
       kExitUsage,
       "ombrix-cli chart: --size 99x100 is outside 100 to 10000 pixels a side\n"},
      {{"--tab", "1", "--size", "100x20000"},
       kExitUsage,
       "ombrix-cli chart: --size 100x20000 is outside 100 to 10000 pixels a side\n"},
      {{"--tab", "5", "--series", "2"},
       kExitFailure,
       "ombrix-cli chart: no series \"2\"; the object has 1 series, numbered from 1\n"},
      {{"--series", "1"}, kExitUsage, "ombrix-cli chart: --tab N is required\n"},
  };
  for (const auto& c : cases) {
    std::vector<const char*> words = {"chart", kField, "HD 23642", "--png", png.c_str()};
    words.insert(words.end(), c.words.begin(), c.words.end());
    const TRun r = Run(words);
    SCOPED_TRACE(c.err);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
  }
  EXPECT_EQ(Run({"chart", kField, "1", "--tab", "1"}).err,
            "ombrix-cli chart: --png <out.png> or --svg <out.svg> is required\n");
  const TRun unwritable = Run({"chart", kField, "1", "--tab", "1", "--png", missingFolder.c_str()});
  EXPECT_EQ(unwritable.status, kExitFailure);
  EXPECT_EQ(unwritable.err, "ombrix-cli chart: Cannot create file: " + missingFolder + "\n");
  EXPECT_EQ(Load(png).Width(), 300);  // the first picture is still there
}

TEST_F(ChartCli, DrawsTheETVDiagramAndTonightsPredictionAsSVGWithATitle) {
  const std::string etv = Path("etv.svg");
  TRun r = Run({"chart", kField, "HD 23642", "--tab", "7", "--svg", etv.c_str(), "--size", "640x400", "--title",
                "HD 23642 & <O-C>"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "chart " + etv + " 640x400 tab 7 points 938\n");
  std::ifstream in(etv, std::ios::binary);
  const std::string document((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(document.rfind("<?xml version=\"1.0\"?>\r\n", 0), 0u);
  EXPECT_NE(document.find(">HD 23642 &amp; &lt;O-C&gt;</text>"), std::string::npos);
  EXPECT_NE(document.find(">Days</text>"), std::string::npos);
  vimage::CImage rendered;
  std::string error;
  EXPECT_TRUE(vimage::RenderSVG(document, rendered, error)) << error;
  EXPECT_EQ(rendered.Width(), 640);

  // A night from a site with a negative longitude: altitudes drawn below.
  const std::string with = Path("site.png"), without = Path("nosite.png");
  r = Run({"chart", kField, "1", "--tab", "11", "--png", with.c_str(), "--from", "2460000.2", "--days", "1.5", "--site",
           "40.5", "-105.1", "--size", "640x400"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  ASSERT_EQ(Run({"chart", kField, "1", "--tab", "11", "--png", without.c_str(), "--from", "2460000.2", "--days", "1.5",
                 "--size", "640x400"})
                .status,
            kExitOk);
  EXPECT_GT(DifferentPixels(Load(with), Load(without)), 3000);

  const struct {
    std::vector<const char*> words;
    const char* err;
  } refusals[] = {
      {{"--site", "40"},
       "ombrix-cli chart: --site takes the latitude (-90 to 90) and the east longitude (-180 to 180) "
       "in degrees\n"},
      {{"--site", "95", "10"},
       "ombrix-cli chart: --site takes the latitude (-90 to 90) and the east longitude "
       "(-180 to 180) in degrees\n"},
      {{"--days", "0"}, "ombrix-cli chart: --days takes a span of more than 0 and up to 3650 days\n"},
      {{"--from", "soon"}, "ombrix-cli chart: --from needs a number, not \"soon\"\n"},
      {{"--svg", "x.svg"}, "ombrix-cli chart: give either --png or --svg, not both\n"},
  };
  for (const auto& c : refusals) {
    std::vector<const char*> words = {"chart", kField, "1", "--tab", "11", "--png", with.c_str()};
    words.insert(words.end(), c.words.begin(), c.words.end());
    r = Run(words);
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.err, c.err);
  }
}

}  // namespace
}  // namespace ombrix_cli
