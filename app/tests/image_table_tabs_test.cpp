// The Image and Table tabs in the window: the picture beside the selected
// series file with the zoom buttons, and the sheet following the field.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ombrix_app/commands.h"
#include "pane_fixture.h"

using namespace ombrix_app;

namespace {

class ImageTableTabsTest : public PaneTest {
 protected:
  void ShowTab(int tab) {
    window.pane.tabs.SetActivePage(tab - 1, true);
    Pump();
  }
};

TEST_F(ImageTableTabsTest, PictureOfTheSelectedSeriesZoomsByWholeSteps) {
  ombrix_data::CObjectListElem* object = AddObject("V1 Cyg");
  auto* s = static_cast<ombrix_data::CLocalSeriesTreeElem*>(AddSeries(object, 2459000.1));
  const std::string series = (config.root / "night.txt").string();
  std::snprintf(s->absolutePath, sizeof s->absolutePath, "%s", series.c_str());
  vimage::CImage frame;
  ASSERT_TRUE(frame.Init(40, 30));
  char why[128] = "";
  ASSERT_TRUE(frame.Save((config.root / "night.png").c_str(), vimage::ifPNG, 0, sizeof why - 1, why)) << why;
  AddSeries(object, 2459001.1);  // no file of its own
  window.pane.FieldReplaced();

  ShowTab(COmbrixPane::kImageTab);
  const ombrix_img::CImageView& image = window.pane.imagePage.image;
  EXPECT_FALSE(image.HasPicture());
  EXPECT_STREQ(image.Hint(), ombrix_img::kSelectSeriesHint);
  window.pane.SelectSeries(0);
  EXPECT_TRUE(image.HasPicture());
  EXPECT_EQ(image.Path(), (config.root / "night.png").string());

  window.Command(cmZoomIn);
  window.Command(cmZoomIn);
  EXPECT_EQ(image.Zoom(), 2);
  EXPECT_EQ(image.ZoomedWidth(), 120);
  window.Command(cmClearZoom);
  EXPECT_EQ(image.Zoom(), 0);
  window.Command(cmZoomOut);
  EXPECT_EQ(image.Zoom(), -1);

  window.pane.SelectSeries(1);
  EXPECT_FALSE(image.HasPicture());
}

TEST_F(ImageTableTabsTest, TableFollowsTheFieldWhileShown) {
  AddSeries(AddObject("V1 Cyg"), 2459000.1);
  window.pane.FieldReplaced();
  ShowTab(COmbrixPane::kTableTab);
  EXPECT_EQ(window.pane.tablePage.Rows(), 1u);
  EXPECT_EQ(window.pane.tablePage.Nights(), 1u);

  AddSeries(AddObject("V2 Cyg"), 2459003.6);
  window.pane.RefreshObjectList();
  window.Command(cmSortByName);  // any edit of the field reports it changed
  EXPECT_EQ(window.pane.tablePage.Rows(), 2u);
  EXPECT_EQ(window.pane.tablePage.Nights(), 2u);
  std::string name;
  ASSERT_TRUE(window.pane.tablePage.CachedText(2, 1, name));  // rows and columns from 1
  EXPECT_EQ(name, "V2 Cyg");
}

}  // namespace
