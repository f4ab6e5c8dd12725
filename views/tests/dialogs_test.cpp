// The export option dialogs and the copy-info mask dialog, answered by the
// scripted dialog driver.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <winkit/winkit.h>

#include "ombrix_views/copy_mask_dialog.h"
#include "ombrix_views/export_dialogs.h"
#include "screenshots.h"

namespace {

using namespace ombrix_views;
using ombrix_views_test::SaveShot;

template <std::size_t N>
std::vector<std::string> Labels(const vcont::CCheckBox (&boxes)[N]) {
  std::vector<std::string> labels;
  for (const vcont::CCheckBox& b : boxes) labels.push_back(b.Label());
  return labels;
}

void Shoot(vwin::COKCancelDialog& dialog, const char* name) {
  vimage::CImage shot;
  if (dialog.Grab(shot)) SaveShot(shot, name);
}

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { view::EnsureApplication(); }
  vdlg::CScriptedDialogs dialogs;
};

TEST_F(DialogsTest, CsvOptionsTickTheirBits) {
  std::uint32_t options = 2 | 8;
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& csv = static_cast<CExportCSVDialog&>(d);
    EXPECT_EQ(Labels(csv.boxes), (std::vector<std::string>{"Include VAR meta-data", "Include CMP meta-data",
                                                           "Include CHK meta-data", "Include observing table"}));
    EXPECT_FALSE(csv.boxes[0].IsChecked());
    EXPECT_TRUE(csv.boxes[1].IsChecked());
    EXPECT_TRUE(csv.boxes[3].IsChecked());
    Shoot(d, "csv_dialog.png");
    csv.boxes[0].SetChecked(true);
    csv.boxes[3].SetChecked(false);
  });
  ASSERT_TRUE(EditCsvExportOptions(options));
  EXPECT_EQ(options, 1u | 2u);
  EXPECT_EQ(dialogs.Transcript(), "[dialog] Export Field into CSV Options\n");

  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    for (auto& b : static_cast<CExportCSVDialog&>(d).boxes) b.SetChecked(true);
  });
  dialogs.AnswerCancel();
  ASSERT_TRUE(EditCsvExportOptions(options));
  EXPECT_EQ(options, 15u);
  EXPECT_FALSE(EditCsvExportOptions(options));
  EXPECT_EQ(options, 15u);
}

TEST_F(DialogsTest, HtmlOptionsSizesAndPrefix) {
  ombrix_export::THtmlExportOptions options;
  options.options = 0x200 | 0x80;
  options.thumbWidth = 100;
  options.imageDepth = 5;  // below the smallest size: shown as 8
  options.pathPrefix = "img/";
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& html = static_cast<CExportHTMLDialog&>(d);
    EXPECT_EQ(Labels(html.boxes),
              (std::vector<std::string>{"Prefer Alternate Name", "Include Variability Type", "Include M0 and Period",
                                        "Include Max. and Min. Mag", "Include Coordinates", "Include Catalog",
                                        "Include Maginides", "Include Color Indexes", "Generate Light Curve Thumbs",
                                        "Generate Light Curves Images"}));
    EXPECT_TRUE(html.boxes[3].IsChecked());  // 0x200 sits fourth
    EXPECT_TRUE(html.boxes[8].IsChecked());
    EXPECT_FALSE(html.boxes[4].IsChecked());
    EXPECT_EQ(html.thumbWidth.Value(), 100);
    EXPECT_EQ(html.thumbDepth.Value(), 60);
    EXPECT_EQ(html.imageWidth.Value(), 1024);
    EXPECT_EQ(html.imageDepth.Value(), 8);
    EXPECT_EQ(html.prefix.Text(), "img/");
    Shoot(d, "html_dialog.png");
    html.boxes[3].SetChecked(false);
    html.boxes[4].SetChecked(true);  // coordinates, 0x8
    html.boxes[9].SetChecked(true);  // images, 0x100
    html.thumbWidth.SetValue(40000);
    html.imageWidth.SetValue(2);
    html.imageDepth.SetValue(600);
    html.prefix.SetText("http://example.org/charts");
  });
  ASSERT_TRUE(EditHtmlExportOptions(options));
  EXPECT_EQ(options.options, 0x80u | 0x8u | 0x100u);
  EXPECT_EQ(options.thumbWidth, 32767);
  EXPECT_EQ(options.thumbDepth, 60);
  EXPECT_EQ(options.imageWidth, 8);
  EXPECT_EQ(options.imageDepth, 600);
  EXPECT_EQ(options.pathPrefix, "http://example.org/charts/");
  EXPECT_EQ(dialogs.Transcript(),
            "[dialog] Export Field into HTML Options\n"
            "Thummb Width:\nThummb Depth:\nImage Width:\nImage Depth:\nPath Prefix of Images in HTML:\n");

  dialogs.AnswerOK([](vwin::COKCancelDialog& d) { static_cast<CExportHTMLDialog&>(d).prefix.SetText(""); });
  ASSERT_TRUE(EditHtmlExportOptions(options));
  EXPECT_EQ(options.pathPrefix, "");
  dialogs.AnswerCancel();
  EXPECT_FALSE(EditHtmlExportOptions(options));
}

TEST_F(DialogsTest, SeriesMinusFitChoosesANameRule) {
  ombrix_export::TIndividualExportOptions options;
  options.useNewName = false;
  options.prefix = "res_";
  options.newName = "all.txt";
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& s = static_cast<CExportSeriesDialog&>(d);
    EXPECT_EQ(s.useNewName.Label(), "Use new file name");
    EXPECT_EQ(s.usePrefixPostfix.Label(), "Use original name + prefix/postfix");
    EXPECT_EQ(s.overwrite.Label(), "Overwrite existing files");
    EXPECT_TRUE(s.usePrefixPostfix.IsChecked());
    EXPECT_FALSE(s.useNewName.IsChecked());
    EXPECT_FALSE(s.newName.IsEnabled());
    EXPECT_TRUE(s.prefix.IsEnabled());
    EXPECT_EQ(s.prefix.Text(), "res_");
    EXPECT_EQ(s.newName.Text(), "all.txt");
    Shoot(d, "series_dialog.png");
    s.postfix.SetText("_minus_fit");
    s.overwrite.SetChecked(true);
  });
  ASSERT_TRUE(EditIndividualExportOptions(options));
  EXPECT_FALSE(options.useNewName);
  EXPECT_EQ(options.prefix, "res_");
  EXPECT_EQ(options.postfix, "_minus_fit");
  EXPECT_EQ(options.newName, "all.txt");
  EXPECT_TRUE(options.overwrite);
  EXPECT_EQ(dialogs.Transcript(),
            "[dialog] Save Series - Fit\n"
            "If original files are in different folders, common new file name can be used.\n"
            "New file name:\n"
            "Otherwise, use original file name with prefix and/or postfix.\n"
            "File name prefix:\nFile name postfix:\n");

  // Choosing the other way as the user does enables its box.
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& s = static_cast<CExportSeriesDialog&>(d);
    s.useNewName.SetChecked(true, true);
    EXPECT_FALSE(s.usePrefixPostfix.IsChecked());
    EXPECT_TRUE(s.newName.IsEnabled());
    EXPECT_FALSE(s.postfix.IsEnabled());
    s.newName.SetText("joined.dat");
  });
  ASSERT_TRUE(EditIndividualExportOptions(options));
  EXPECT_TRUE(options.useNewName);
  EXPECT_EQ(options.newName, "joined.dat");
}

TEST_F(DialogsTest, CopyInfoMaskListsTheKeywordsAndEditsTheMask) {
  std::string mask = "%RA% %DEC%";
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& m = static_cast<CCoordinateMaskDialog&>(d);
    EXPECT_EQ(m.mask.Text(), "%RA% %DEC%");
    Shoot(d, "mask_dialog.png");
    m.mask.SetText("%OBJ_NAME%;%RA_FITS%;%DEC_FITS%%CRLF%");
  });
  ASSERT_TRUE(EditCopyInfoMask(mask));
  EXPECT_EQ(mask, "%OBJ_NAME%;%RA_FITS%;%DEC_FITS%%CRLF%");
  EXPECT_EQ(dialogs.Transcript(),
            "[dialog] Define Copy Info Mask\n"
            "Mask keywords, substituted with values on [Ctrl+K] command:\n"
            "%RA%\nR.A. delimited with spaces (12 34 56.789)\n"
            "%RA_FITS%\nR.A. delimited with colons (12:34:56.789)\n"
            "%RA_HUMAN%\nR.A. human readable (12h 34m 56.789s)\n"
            "%RA_DEG%\nR.A. in fraction degrees (188.73662083)\n"
            "%DEC%\nDec. delimited with spaces (+12 34 56.78)\n"
            "%DEC_FITS%\nDec. delimited with colons (+12:34:56.78)\n"
            "%DEC_HUMAN%\nDec. human readable (+12\u00B0 34' 56.78\")\n"
            "%DEC_DEG%\nDec. in fraction degrees (12.582441389)\n"
            "%FIELD%\nField name\n"
            "%OBJ_NAME%\nObject name\n"
            "%ALT_OBJ_NAME%\nAlternate object name\n"
            "%VAR_TYPE%\nVariability type\n"
            "%M0%\nElements origin\n"
            "%PERIOD%\nElements period\n"
            "%MAX_MAG%\nMaximal magnitude\n"
            "%MIN_MAG%\nMinimal magnitude\n"
            "%CRLF%\nEnd of line\n");

  // The mask keeps at most 1023 characters; Cancel keeps the old one.
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    static_cast<CCoordinateMaskDialog&>(d).mask.SetText(std::string(1500, 'x').c_str());
  });
  ASSERT_TRUE(EditCopyInfoMask(mask));
  EXPECT_EQ(mask, std::string(1023, 'x'));
  dialogs.AnswerCancel();
  EXPECT_FALSE(EditCopyInfoMask(mask));
  EXPECT_EQ(mask, std::string(1023, 'x'));
}

}  // namespace
