// The Image tab: pictures found beside series files, zoom levels and their
// pixels, panning limits, wheel zoom around the cursor, and what is painted.
#include <gtest/gtest.h>
#include <ombrix_testsupport/temp_folder.h>

#include <string>

#include <winkit/vgr.h>
#include <winkit/view.h>

#include "ombrix_views/image_view.h"
#include "screenshots.h"

namespace {

using namespace ombrix_img;
using ombrix_views_test::SaveShot;

constexpr vcolor::TColor kRed = vcolor::RGBA(255, 0, 0);
constexpr vcolor::TColor kBlue = vcolor::RGBA(0, 0, 255);

vcolor::TColor PixelAt(const vimage::CImage& image, int x, int y) {
  const vimage::byte* p = image.Row(y) + 4 * x;
  return vcolor::RGBA(p[2], p[1], p[0], p[3]);
}

void SetPixel(vimage::CImage& image, int x, int y, unsigned r, unsigned g, unsigned b, unsigned a = 255) {
  vimage::byte* p = image.Row(y) + 4 * x;
  p[0] = static_cast<vimage::byte>(b), p[1] = static_cast<vimage::byte>(g);
  p[2] = static_cast<vimage::byte>(r), p[3] = static_cast<vimage::byte>(a);
}

// A width x height picture: white with a red top-left quarter and a blue
// bottom row.
vimage::CImage MakePicture(int width, int height) {
  vgr::CMemoryContext dc;
  EXPECT_TRUE(dc.Init(width, height));
  dc.SetGCPaperColor(kRed);
  dc.Rectangle(0, 0, width / 2, height / 2);
  dc.SetGCPaperColor(kBlue);
  dc.Rectangle(0, height - 1, width, 1);
  vimage::CImage image;
  EXPECT_TRUE(dc.CopyToImage(image));
  return image;
}

class ImageViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view::EnsureApplication();
    ASSERT_TRUE(page.Init(nullptr, vcom::CRect(0, 0, 200, 150)));
    page.Show();
    view::VPeekMessage();
  }
  void TearDown() override { page.Done(); }

  std::string SavePicture(const std::string& name, int width, int height) {
    const std::string path = folder.Path(name);
    vimage::TImageFormat format;
    EXPECT_TRUE(vimage::FormatFromFileName(path.c_str(), format));
    char error[128];
    EXPECT_TRUE(MakePicture(width, height).Save(path.c_str(), format, 95, 127, error)) << error;
    return path;
  }
  // Mouse input at a point of the visible area.
  void Mouse(uint32_t kind, int x, int y, int wheel = 0) {
    vcore::TEvent e;
    e.kind = kind;
    e.x = x + page.ScrollX();
    e.y = y + page.ScrollY();
    e.buttons = kind == vcore::evMouseWheel ? 0u : static_cast<uint32_t>(vcore::mbLeft);
    e.wheel = wheel;
    page.image.Dispatch(e);
    view::VPeekMessage();
  }
  void DragBy(int fromX, int fromY, int dx, int dy) {
    Mouse(vcore::evMouseDown, fromX, fromY);
    Mouse(vcore::evMouseMove, fromX + dx / 2, fromY + dy / 2);
    Mouse(vcore::evMouseUp, fromX + dx, fromY + dy);
  }

  ombrix_test::CTempFolder folder{"views-image"};
  CImagePage page;
};

TEST(ImageZoom, LevelsGiveTheirSizesAndPixels) {
  EXPECT_EQ(ZoomedLength(100, -7), 12);
  EXPECT_EQ(ZoomedLength(100, -1), 50);
  EXPECT_EQ(ZoomedLength(100, 0), 100);
  EXPECT_EQ(ZoomedLength(100, 1), 200);
  EXPECT_EQ(ZoomedLength(100, 7), 800);

  // Means per channel with integer division; the odd column and row go.
  vimage::CImage source;
  ASSERT_TRUE(source.Init(5, 3));
  SetPixel(source, 0, 0, 10, 0, 255, 0);
  SetPixel(source, 1, 0, 11, 0, 255, 0);
  SetPixel(source, 0, 1, 12, 3, 0, 0);
  SetPixel(source, 1, 1, 14, 0, 0, 0);
  SetPixel(source, 2, 0, 200, 200, 200);
  vimage::CImage reduced;
  ASSERT_TRUE(ReducePicture(source, 2, reduced));
  EXPECT_EQ(reduced.Width(), 2);
  EXPECT_EQ(reduced.Height(), 1);
  EXPECT_EQ(PixelAt(reduced, 0, 0), vcolor::RGBA(11, 0, 127, 255));  // (10+11+12+14)/4, 3/4, 510/4
  EXPECT_EQ(PixelAt(reduced, 1, 0), vcolor::RGBA(50, 50, 50, 255));
  EXPECT_FALSE(ReducePicture(source, 4, reduced));  // nothing left of a 5 x 3 picture
}

TEST_F(ImageViewTest, PictureBesideTheSeriesFileIsFoundInOrder) {
  const std::string series = folder.Put("a.txt", "2459000.5 10.0 0.01\n");
  SavePicture("a.png", 20, 10);
  const std::string jpg = SavePicture("a.jpg", 30, 16);
  std::string found;
  ASSERT_TRUE(FindSeriesPicture(series.c_str(), found));
  EXPECT_EQ(found, jpg);

  // Capitals are found as a case-blind file system would.
  const std::string other = folder.Put("b.dat", "");
  const std::string tif = SavePicture("b.TIF", 8, 8);
  ASSERT_TRUE(FindSeriesPicture(other.c_str(), found));
  EXPECT_EQ(found, tif);

  EXPECT_FALSE(FindSeriesPicture(folder.Put("c.txt", "").c_str(), found));
  EXPECT_FALSE(FindSeriesPicture(nullptr, found));
  EXPECT_FALSE(FindSeriesPicture(std::string(300, 'x').c_str(), found));

  page.ShowSeriesPicture(series.c_str());
  EXPECT_EQ(page.image.Path(), jpg);
  EXPECT_EQ(page.image.ZoomedWidth(), 30);
  EXPECT_EQ(page.image.ZoomedHeight(), 16);
}

TEST_F(ImageViewTest, HintsTellWhatIsMissing) {
  EXPECT_STREQ(page.image.Hint(), "Select series to show corresponding image.");
  const std::string series = folder.Put("a.txt", "");
  page.ShowSeriesPicture(series.c_str());  // no picture beside it
  EXPECT_FALSE(page.image.HasPicture());
  EXPECT_STREQ(page.image.Hint(),
               "Corresponding image file not found. Supported formats are JPG (JPEG), PNG, GIF, BMP, TIF (TIFF).");

  folder.Put("a.png", "not a picture");
  page.ShowSeriesPicture(series.c_str());
  EXPECT_TRUE(page.image.LoadFailed());
  EXPECT_FALSE(page.image.HasPicture());
  EXPECT_EQ(page.image.Path(), "");
  EXPECT_EQ(page.image.Hint(), std::string(kNotFoundHint));

  page.ShowSeriesPicture(nullptr);  // a series without a file of its own
  EXPECT_FALSE(page.image.LoadFailed());
  EXPECT_EQ(page.image.Hint(), std::string(kSelectSeriesHint));
}

TEST_F(ImageViewTest, SameSeriesAgainDoesNotReload) {
  const std::string series = folder.Put("a.txt", "");
  const std::string png = SavePicture("a.png", 40, 20);
  page.ShowSeriesPicture(series.c_str());
  ASSERT_TRUE(page.image.HasPicture());
  SavePicture("a.png", 60, 30);  // changed on disk meanwhile
  page.ShowSeriesPicture(series.c_str());
  EXPECT_EQ(page.image.Picture().Width(), 40);
  page.image.Clear();
  EXPECT_EQ(page.image.Path(), "");
  page.ShowSeriesPicture(series.c_str());
  EXPECT_EQ(page.image.Picture().Width(), 60);
}

TEST_F(ImageViewTest, WheelZoomsByStepsWithinLimitsAroundTheCursor) {
  const std::string series = folder.Put("a.txt", "");
  SavePicture("a.png", 300, 200);
  page.ShowSeriesPicture(series.c_str());
  for (int i = 0; i < 8; ++i) Mouse(vcore::evMouseWheel, 10, 10, 1);
  EXPECT_EQ(page.image.Zoom(), 7);
  EXPECT_EQ(page.image.ZoomedWidth(), 2400);
  EXPECT_EQ(page.image.ZoomedHeight(), 1600);
  for (int i = 0; i < 16; ++i) Mouse(vcore::evMouseWheel, 10, 10, -3);
  EXPECT_EQ(page.image.Zoom(), -7);
  EXPECT_EQ(page.image.ZoomedWidth(), 37);
  EXPECT_EQ(page.image.ZoomedHeight(), 25);
  page.image.SetZoom(99);
  EXPECT_EQ(page.image.Zoom(), 7);
  page.image.SetZoom(0);

  // The picture point under the cursor stays there: (60, 40) of the area is
  // picture point (60, 40) at level 0 and (120, 80) of the zoomed picture
  // at level 1.
  Mouse(vcore::evMouseWheel, 60, 40, 1);
  EXPECT_EQ(page.image.Zoom(), 1);
  EXPECT_EQ(page.ScrollX(), 60);
  EXPECT_EQ(page.ScrollY(), 40);
  Mouse(vcore::evMouseWheel, 60, 40, -1);
  EXPECT_EQ(page.ScrollX(), 0);
  EXPECT_EQ(page.ScrollY(), 0);

  // The zoom of the commands keeps the centre of the area.
  const vcom::CRect area = page.ClientRect();
  page.image.ZoomCentred(1);
  EXPECT_EQ(page.ScrollX(), area.width / 2);
  EXPECT_EQ(page.ScrollY(), area.height / 2);

  // A new picture keeps the level.
  SavePicture("b.png", 10, 10);
  page.ShowSeriesPicture(folder.Put("b.txt", "").c_str());
  EXPECT_EQ(page.image.Zoom(), 1);
  EXPECT_EQ(page.image.ZoomedWidth(), 20);
}

TEST_F(ImageViewTest, DraggingPansWithinThePicture) {
  const std::string series = folder.Put("a.txt", "");
  SavePicture("a.png", 100, 100);
  page.ShowSeriesPicture(series.c_str());
  page.image.SetZoom(2);  // 300 x 300
  view::VPeekMessage();
  const vcom::CRect area = page.ClientRect();
  const int maxX = 300 - area.width, maxY = 300 - area.height;
  ASSERT_GT(maxX, 0);
  ASSERT_GT(maxY, 0);

  DragBy(100, 100, -30, -20);  // the picture follows the mouse
  EXPECT_EQ(page.ScrollX(), 30);
  EXPECT_EQ(page.ScrollY(), 20);
  EXPECT_FALSE(page.image.IsDragging());
  DragBy(150, 120, -1000, -1000);
  EXPECT_EQ(page.ScrollX(), maxX);
  EXPECT_EQ(page.ScrollY(), maxY);
  DragBy(10, 10, 1000, 1000);
  EXPECT_EQ(page.ScrollX(), 0);
  EXPECT_EQ(page.ScrollY(), 0);

  // Moving without the button pressed pans nothing.
  Mouse(vcore::evMouseMove, 10, 10);
  Mouse(vcore::evMouseMove, 0, 0);
  EXPECT_EQ(page.ScrollX(), 0);

  // A new picture keeps the scroll position; a change of zoom resets it.
  DragBy(100, 100, -40, -10);
  SavePicture("b.png", 100, 100);
  page.image.Load(folder.Path("b.png").c_str());
  EXPECT_EQ(page.ScrollX(), 40);
  EXPECT_EQ(page.ScrollY(), 10);
  page.image.SetZoom(3);
  EXPECT_EQ(page.ScrollX(), 0);
}

TEST_F(ImageViewTest, PaintsTheZoomedPictureOnPaper) {
  vimage::CImage shot;
  ASSERT_TRUE(page.image.Grab(shot));
  SaveShot(shot, "image_view_empty.png");
  EXPECT_EQ(PixelAt(shot, 150, 100), vcolor::White);
  int inked = 0;  // the hint's letters
  for (int x = 10; x < 190; ++x)
    for (int y = 10; y < 24; ++y) inked += PixelAt(shot, x, y) != vcolor::White;
  EXPECT_GT(inked, 50);

  const std::string series = folder.Put("a.txt", "");
  SavePicture("a.png", 60, 40);
  page.ShowSeriesPicture(series.c_str());
  page.image.SetZoom(1);  // 120 x 80: red 60 x 40 at the top left, blue rows 78 and 79
  view::VPeekMessage();
  ASSERT_TRUE(page.Grab(shot));
  SaveShot(shot, "image_view.png");
  ASSERT_TRUE(page.image.Grab(shot));  // the view alone, without the scroller's frame
  EXPECT_EQ(PixelAt(shot, 0, 0), kRed);
  EXPECT_EQ(PixelAt(shot, 59, 39), kRed);
  EXPECT_EQ(PixelAt(shot, 60, 39), vcolor::White);
  EXPECT_EQ(PixelAt(shot, 100, 78), kBlue);
  EXPECT_EQ(PixelAt(shot, 100, 77), vcolor::White);
  EXPECT_EQ(PixelAt(shot, 150, 40), vcolor::White);  // paper right of the picture
  EXPECT_EQ(PixelAt(shot, 50, 100), vcolor::White);  // and below it

  vimage::CImage part;
  ASSERT_TRUE(page.image.CopyZoomed(vcom::CRect(58, 38, 4, 4), part));
  EXPECT_EQ(PixelAt(part, 1, 1), kRed);
  EXPECT_EQ(PixelAt(part, 2, 1), vcolor::White);
  EXPECT_EQ(PixelAt(part, 1, 2), vcolor::White);
  ASSERT_TRUE(page.image.CopyZoomed(vcom::CRect(100, 76, 20, 4), part));
  EXPECT_EQ(PixelAt(part, 19, 1), vcolor::White);
  EXPECT_EQ(PixelAt(part, 19, 2), kBlue);
  EXPECT_EQ(PixelAt(part, 0, 3), kBlue);
  EXPECT_FALSE(page.image.CopyZoomed(vcom::CRect(100, 0, 21, 1), part));
}

}  // namespace
