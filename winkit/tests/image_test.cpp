// Off-screen drawing and image files.
#include <gtest/gtest.h>
#include <ombrix_testsupport/temp_folder.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "winkit/vcore.h"
#include "winkit/vgr.h"
#include "winkit/vimage.h"

namespace {

namespace fs = std::filesystem;

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override { vcore::Init_(); }
  // A 37 x 23 picture: paper white, a red block and a blue line.
  static vimage::CImage Sample() {
    vgr::CMemoryContext dc;
    EXPECT_TRUE(dc.Init(37, 23));
    dc.SetGCPaperColor(vcolor::RGBA(255, 0, 0));
    dc.Rectangle(0, 0, 10, 10);
    dc.SetGCInkColor(vcolor::RGBA(0, 0, 255));
    dc.Line(0, 20, 36, 20);
    vimage::CImage img;
    EXPECT_TRUE(dc.CopyToImage(img));
    return img;
  }
  ombrix_test::CTempFolder folder{"winkit-image"};  // removed after the test
  const fs::path dir = folder.Root();
};

TEST_F(ImageTest, ColoursKeepRedInTheLowByteAndPixelsAreBlueGreenRedAlpha) {
  EXPECT_EQ(vcolor::RGBA(1, 2, 3), 0xFF030201u);
  vimage::CImage img = Sample();
  const auto* red = img.Row(5) + 4 * 5;
  EXPECT_EQ(red[0], 0);
  EXPECT_EQ(red[1], 0);
  EXPECT_EQ(red[2], 255);
  EXPECT_EQ(red[3], 255);
  const auto* blue = img.Row(20) + 4 * 30;
  EXPECT_EQ(blue[0], 255);
  EXPECT_EQ(blue[2], 0);
  const auto* white = img.Row(2) + 4 * 30;
  EXPECT_EQ(white[0] + white[1] + white[2], 3 * 255);
}

TEST_F(ImageTest, AllFiveFormatsWriteAndReadBackWithTheSameSize) {
  vimage::CImage img = Sample();
  for (const char* name : {"a.png", "a.jpg", "a.bmp", "a.tif", "a.gif"}) {
    SCOPED_TRACE(name);
    std::string path = (dir / name).string();
    vimage::TImageFormat format;
    ASSERT_TRUE(vimage::FormatFromFileName(path.c_str(), format));
    char err[80] = "";
    ASSERT_TRUE(img.Save(path.c_str(), format, 75, 79, err)) << err;
    vimage::CImage back;
    ASSERT_TRUE(back.Load(path.c_str(), 79, err)) << err;
    EXPECT_EQ(back.Width(), 37);
    EXPECT_EQ(back.Height(), 23);
    // The red block survives every format, lossy ones within a margin.
    const auto* p = back.Row(4) + 4 * 4;
    EXPECT_GT(p[2], 200);
    EXPECT_LT(p[0], 60);
  }
}

TEST_F(ImageTest, WritingToAnOpenFileDescriptor) {
  vimage::CImage img = Sample();
  std::string path = (dir / "fd.gif").string();
  int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  char err[80] = "";
  EXPECT_TRUE(img.SaveToHandle(fd, vimage::ifGIF, 75, 79, err)) << err;
  ::close(fd);
  vimage::CImage back;
  ASSERT_TRUE(back.Load(path.c_str(), 79, err));
  EXPECT_EQ(back.Width(), 37);
}

TEST_F(ImageTest, FailuresGiveAnErrorTextAndLeaveTheTargetAlone) {
  vimage::CImage img = Sample();
  char err[80] = "";
  std::string missing = (dir / "no" / "such" / "a.png").string();
  EXPECT_FALSE(img.Save(missing.c_str(), vimage::ifPNG, 75, 79, err));
  EXPECT_STRNE(err, "");

  vimage::CImage empty;
  err[0] = 0;
  EXPECT_FALSE(empty.Save((dir / "e.png").c_str(), vimage::ifPNG, 75, 79, err));
  EXPECT_STRNE(err, "");
  EXPECT_FALSE(fs::exists(dir / "e.png"));

  // Not a picture at all.
  std::string junk = (dir / "junk.png").string();
  FILE* f = std::fopen(junk.c_str(), "wb");
  std::fputs("not an image", f);
  std::fclose(f);
  vimage::CImage back;
  err[0] = 0;
  EXPECT_FALSE(back.Load(junk.c_str(), 79, err));
  EXPECT_FALSE(back.IsValid());
  EXPECT_STRNE(err, "");
}

TEST_F(ImageTest, FormatFromTheFileNameExtension) {
  struct Case {
    const char* name;
    bool known;
    vimage::TImageFormat format;
  } cases[] = {{"x.PNG", true, vimage::ifPNG},   {"x.Jpeg", true, vimage::ifJPEG}, {"x.jpg", true, vimage::ifJPEG},
               {"x.bmp", true, vimage::ifBMP},   {"x.TIFF", true, vimage::ifTIFF}, {"x.tif", true, vimage::ifTIFF},
               {"x.gif", true, vimage::ifGIF},   {"x.svg", false, vimage::ifPNG},  {"noext", false, vimage::ifPNG},
               {"dir.png/x", false, vimage::ifPNG}};
  for (const Case& c : cases) {
    vimage::TImageFormat f = vimage::ifPNG;
    EXPECT_EQ(vimage::FormatFromFileName(c.name, f), c.known) << c.name;
    if (c.known) {
      EXPECT_EQ(f, c.format) << c.name;
    }
  }
}

TEST_F(ImageTest, MemoryContextRefusesImpossibleSizesAndMeasuresText) {
  vgr::CMemoryContext dc;
  EXPECT_FALSE(dc.Init(0, 10));
  EXPECT_FALSE(dc.Init(10, 40000));
  dc.Line(0, 0, 5, 5);  // drawing without a surface is harmless
  ASSERT_TRUE(dc.Init(200, 50));
  EXPECT_GT(dc.TextWidth(4, "JD  "), 0);
  EXPECT_LT(dc.TextWidth(2, "JD"), dc.TextWidth(4, "JDJD"));
  EXPECT_EQ(dc.TextWidth(10, "JD"), dc.TextWidth(2, "JD"));  // stops at the terminator
  vfont::CFont title;
  title.Init(vfont::CaptionFontDesc(16, true));
  EXPECT_EQ(title.AbsHeight(), 16);
  EXPECT_EQ(title.Desc().weight, 700);
  dc.SetGCFont(&title);
  EXPECT_GE(dc.TextHeight(), 16);
}

}  // namespace

namespace {

int CountColour(const vimage::CImage& img, unsigned r, unsigned g, unsigned b) {
  int n = 0;
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) {
      const auto* p = img.Row(y) + 4 * x;
      n += p[2] == r && p[1] == g && p[0] == b;
    }
  return n;
}

TEST(MemoryContext, DirectPixelPathsAgreeWithClipAndEdges) {
  vcore::Init_();
  vgr::CMemoryContext dc;
  ASSERT_TRUE(dc.Init(40, 20));
  dc.SetGCInkColor(vcolor::RGBA(0, 0, 255));
  dc.Line(-10, 5, 100, 5);  // cut at both edges, not outside the pixels
  dc.Line(3, 30, 3, -30);
  dc.SetGCPaperColor(vcolor::RGBA(255, 0, 0));
  dc.CircleFill(20, 12, 2, false);  // a point of radius 2: 5 pixels across
  dc.CircleFill(-1, -1, 2, false);  // partly outside
  dc.SetClip(0, 0, 10, 10);
  dc.SetGCInkColor(vcolor::RGBA(0, 255, 0));
  dc.Line(0, 15, 39, 15);  // outside the clip: nothing
  dc.ClearClip();
  vimage::CImage img;
  ASSERT_TRUE(dc.CopyToImage(img));
  EXPECT_EQ(CountColour(img, 0, 0, 255), 40 + 20 - 1);
  EXPECT_EQ(CountColour(img, 0, 255, 0), 0);
  const int red = CountColour(img, 255, 0, 0);
  EXPECT_GE(red, 13 + 4);  // the whole disc and the corner of the clipped one
  const auto* centre = img.Row(12) + 4 * 20;
  const auto* rim = img.Row(12) + 4 * 22;
  const auto* outside = img.Row(12) + 4 * 23;
  EXPECT_EQ(centre[2], 255);
  EXPECT_EQ(rim[2], 255);
  EXPECT_EQ(outside[2], 255);  // white paper has red 255 too...
  EXPECT_EQ(outside[1], 255);  // ...but also green: not part of the disc
}

}  // namespace
