// The timing additions of the window: the field's time scale chosen in the
// "Field" menu, and tonight's eclipses for the observer's site.
#include <gtest/gtest.h>

#include <string>

#include <ombrix_field/series.h>

#include "ombrix_app/commands.h"
#include "ombrix_app/tonight_dialog.h"
#include "sample_field_window.h"

namespace ombrix_app {
namespace {

TEST_F(SampleFieldWindowTest, TimeScaleIsChosenInTheMenuAndKept) {
  EXPECT_STREQ(window.settings.timeScale, "HJD");
  EXPECT_TRUE(window.menuBar.IsChecked(cmTimeScaleHJD));
  window.Command(cmTimeScaleBJD);
  EXPECT_STREQ(window.settings.timeScale, "BJD_TDB");
  EXPECT_EQ(ombrix_data::FieldTimeScale(), ombrix_model::tsBJDTDB);
  EXPECT_TRUE(window.menuBar.IsChecked(cmTimeScaleBJD));
  EXPECT_FALSE(window.menuBar.IsChecked(cmTimeScaleHJD));
  EXPECT_NE(std::string(window.statusBar.LastMessage()).find("BJD_TDB"), std::string::npos);
  window.Command(cmTimeScaleHJD);
  EXPECT_EQ(ombrix_data::FieldTimeScale(), ombrix_model::tsHJD);
}

TEST_F(SampleFieldWindowTest, TonightListsTheEclipsesOfTheFieldOrSaysWhyNot) {
  window.settings.latitude = 0;
  window.settings.longitude = 0;
  window.Command(cmTonightEclipses);
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].caption, "Tonight's Eclipses");
  EXPECT_EQ(dialogs.Shown()[0].kind, vdlg::dkMessageBox);

  dialogs.Clear();
  window.settings.latitude = 50;
  window.settings.longitude = 15;
  window.settings.sunAlt = -12;
  int lines = -1;
  std::string heading;
  dialogs.AnswerOK([&](vwin::COKCancelDialog& d) {
    auto& tonight = static_cast<CTonightDialog&>(d);
    lines = tonight.list.Count();
    heading = tonight.heading.Text();
  });
  window.Command(cmTonightEclipses);
  ASSERT_EQ(dialogs.Shown().size(), 1u) << dialogs.Transcript();
  EXPECT_EQ(dialogs.Shown()[0].caption, "Tonight's Eclipses");
  EXPECT_EQ(heading.rfind("Night from ", 0), 0u) << heading;
  EXPECT_NE(heading.find(std::to_string(lines) + " eclipses"), std::string::npos) << heading;
}

TEST(TonightLine, TimesObjectTypeCycleAndAltitudes) {
  ombrix_data::CObjectListElem object;
  std::snprintf(object.name, sizeof object.name, "V0501 Lyr");
  ombrix_analysis::TNightEclipse e;
  e.object = &object;
  e.type = ombrix_data::minSecondary;
  e.cycle = 1234.5;
  e.widthKnown = true;
  e.utc[0] = 2459000.5 + 21.0 / 24;
  e.utc[1] = 2459000.5 + 22.5 / 24;
  e.utc[2] = 2459001.5;
  e.objectAltitude[0] = 40.2;
  e.objectAltitude[1] = 45.0;
  e.objectAltitude[2] = 50.6;
  e.sunAltitude[0] = -14;
  e.sunAltitude[1] = -18;
  e.sunAltitude[2] = -20;
  EXPECT_EQ(TonightLine(e),
            "21:00  22:30  00:00   V0501 Lyr            Sec.  E 1234.5   alt   40   45   51   Sun  -14  -18  -20");
  e.widthKnown = false;
  EXPECT_EQ(TonightLine(e).substr(0, 20), "  -    22:30    -   ");
}

}  // namespace
}  // namespace ombrix_app
