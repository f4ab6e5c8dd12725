// The ETV Diagram and Prediction tabs on the sample field, the prediction's
// settings, and the chart export commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <ombrix_present/chart_export.h>

#include <ombrix_testsupport/temp_folder.h>
#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"
#include "sample_field_window.h"

using namespace ombrix_app;

namespace {

class EtvPredictionTabsTest : public SampleFieldWindowTest {
 protected:
  void SetUp() override {
    OpenSampleField("Latitude = 49.5\nLongitude = -16.25\nPredictionDays = 2\nShowSunAlt = 1\nSunAlt = -6\n");
  }

  ombrix_test::CTempFolder folder;
};

TEST_F(EtvPredictionTabsTest, TheETVFollowsThePeriodAndThePredictionTheObject) {
  ASSERT_TRUE(Pane().SelectObject(0));
  ombrix_data::CObjectListElem& o = *Pane().SelectedObject();
  ShowTab(7);
  ombrix_lc::CLightCurvePane& etv = Pane().etvPage.Chart();
  ASSERT_FALSE(etv.Points().empty());
  EXPECT_EQ(etv.YLabel(), "Days");
  const double oc = etv.Points()[0].value;
  Pane().controls.periodBox.SetText(std::to_string(o.period + 0.001).c_str(), true);
  EXPECT_NE(etv.Points()[0].value, oc);

  ShowTab(11);
  ombrix_lc::CPredictionPane& prediction = *Pane().predictionPage.PredictionChart();
  prediction.SetRect(vcom::CRect(0, 0, 800, 500));  // the test window is too small for two charts
  Pump();
  EXPECT_EQ(prediction.SpanEnd() - prediction.SpanStart(), 2.0);
  EXPECT_FALSE(prediction.ModelValues().empty());  // the sample's fit
  EXPECT_FALSE(prediction.SunAltitudes().empty());
  EXPECT_FALSE(prediction.Events().empty());  // dusk and dawn at -6 degrees
  EXPECT_EQ(Pane().predictionPage.longitude[0].Text(), "-16");
  EXPECT_EQ(Pane().predictionPage.longitude[1].Text(), "15");
  // Another object is shown at once.
  const std::vector<double> first = prediction.ModelValues();
  ASSERT_TRUE(Pane().SelectObject(1));
  Pump();
  EXPECT_FALSE(prediction.ModelValues().empty());
  EXPECT_NE(prediction.ModelValues(), first);
}

TEST_F(EtvPredictionTabsTest, ThePagesEditsGoIntoTheSettings) {
  ASSERT_TRUE(Pane().SelectObject(0));
  ShowTab(11);
  ombrix_lc::CPredictionPage& page = Pane().predictionPage;
  page.rangeBox.SetValue(3.5, true);
  EXPECT_DOUBLE_EQ(window.settings.predictionDays, 3.5);
  page.latitude[0].SetText("-33.25", true);
  EXPECT_DOUBLE_EQ(window.settings.latitude, -33.25);
  EXPECT_EQ(page.latitude[1].Text(), "15");
  page.starAltToggle.SetChecked(true, true);
  EXPECT_TRUE(window.settings.showStarAlt);
  page.FromNow();
  EXPECT_NEAR(page.End() - page.Start(), 3.5, 1e-9);
}

TEST_F(EtvPredictionTabsTest, ExportCommandsSaveTheActiveChartOrExplainWhyNot) {
  ASSERT_TRUE(Pane().SelectObject(0));
  ShowTab(9);
  dialogs.AnswerButton(vdlg::mrOK);
  window.Command(cmExportChartImage);
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Transcript(), "[message] Cannot export chart as image\nThe selected Tab does not contain chart\n");

  ShowTab(7);
  dialogs.Clear();
  const std::string svg = folder.Path("etv.svg");
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) { static_cast<ombrix_lc::CGetWDDialog&>(d).width.SetValue(500); });
  dialogs.AnswerFile(svg);
  window.Command(cmExportChartSVG);
  ASSERT_EQ(dialogs.Shown().size(), 2u) << dialogs.Transcript();
  EXPECT_EQ(dialogs.Shown()[0].caption, "Choose dimensions of exported SVG");
  std::ifstream in(svg, std::ios::binary);
  std::string document((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(document.find("width=\"500\" height=\"768\""), std::string::npos);
  EXPECT_NE(document.find(std::string("class=\"title\">") + Pane().SelectedObject()->name + "</text>"),
            std::string::npos);
  std::string error;
  EXPECT_TRUE(vimage::IsWellFormedXML(document, error)) << error;
  EXPECT_EQ(window.settings.exportImageWidth, 500);
  EXPECT_EQ(std::string(window.settings.lastChartSVGExportPath), svg);
}

}  // namespace
