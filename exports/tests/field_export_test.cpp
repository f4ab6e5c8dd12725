// The CSV table and the HTML page of the field: against expected files, the
// star blocks, night columns, quoting, escaping, the picture requests and
// failed writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <ombrix_testsupport/fault_sweep.h>
#include <ombrix_testsupport/temp_folder.h>
#include <ombrix_field/bulk_edits.h>
#include <ombrix_field/nights.h>

#include "export_test_field.h"
#include "ombrix_exports/field_export.h"

namespace ombrix_export {
namespace {

using namespace ombrix_export_test;
using ombrix_test::ReadFile;

// The line of the text starting with `start`.
std::string LineStarting(const std::string& text, const std::string& start) {
  const std::size_t at = text.find("\r\n" + start);
  if (at == std::string::npos) return "<none>";
  const std::size_t end = text.find("\r\n", at + 2);
  return text.substr(at + 2, end - at - 2);
}

class FieldExport : public ::testing::Test {
 protected:
  void SetUp() override {
    UseUtc();
    BuildTestField(field);
  }
  CField field;
};

TEST_F(FieldExport, CsvWithEveryOptionMatchesExpectedFile) {
  ExpectSameAsFile(CsvTableText(field, kCsvAllOptions), "field_15.csv");
}

TEST_F(FieldExport, CsvStarBlocksFillUpToTheLargestCount) {
  const std::string csv = CsvTableText(field, kCsvComparison);
  // NC = 2: AB Cyg's one comparison star, then one empty block.
  EXPECT_EQ(LineStarting(csv, "AB Cyg;"),
            "AB Cyg;BD+30 1234;EA (Algol);2459000.2500000;0.5000000;10.500;11.250"
            ";C1;12 34 00.000;-00 30 00.00;;;;;;;"
            "; ; ; ; ; ; ; ; ; ;");
  EXPECT_EQ(LineStarting(csv, "EF Her;"), "EF Her;;;;;;; ; ; ; ; ; ; ; ; ;; ; ; ; ; ; ; ; ; ;");
  EXPECT_EQ(LineStarting("\r\n" + csv, "sep=;"), "sep=;");
  EXPECT_EQ(LineStarting(csv, "name;"),
            "name;alt_name;var_type;M0;period;max_mag;min_mag"
            ";cmp0_name;cmp0_ra;cmp0_dec;cmp0_catalog;cmp0_catalog_id;cmp0_catalog_ra;cmp0_catalog_dec;"
            "cmp0_catalog_mag;cmp0_catalog_bv;cmp0_catalog_jk"
            ";cmp1_name;cmp1_ra;cmp1_dec;cmp1_catalog;cmp1_catalog_id;cmp1_catalog_ra;cmp1_catalog_dec;"
            "cmp1_catalog_mag;cmp1_catalog_bv;cmp1_catalog_jk");
}

TEST_F(FieldExport, NightsAreIntegerJulianDatesOfFirstPoints) {
  // AB Cyg's series start at 2459000.125, 2459001.2 and (disabled) 2459002.5;
  // CD Lyr's at 2459000.9, the same night as AB Cyg's first.
  ombrix_data::CNightSet nights;
  ombrix_data::CollectFieldNights(field, nights);
  ASSERT_EQ(nights.Count(), 3u);
  EXPECT_EQ(ombrix_data::NightDateText(nights.First()->key), "2020-05-30");  // JD 2459000.0 is noon UT
  const std::string csv = CsvTableText(field, kCsvNights);
  EXPECT_EQ(LineStarting(csv, "name;"),
            "name;alt_name;var_type;M0;period;max_mag;min_mag;2020-05-30;2020-05-31;2020-06-01");
  EXPECT_EQ(LineStarting(csv, "AB Cyg;"), "AB Cyg;BD+30 1234;EA (Algol);2459000.2500000;0.5000000;10.500;11.250;x;x;x");
  EXPECT_EQ(LineStarting(csv, "CD Lyr;"), "CD Lyr;;EW (W UMa);;;;;x; ; ");
  EXPECT_EQ(LineStarting(csv, "EF Her;"), "EF Her;;;;;;; ; ; ");
}

TEST(NightSet, SeriesFallIntoTheNightOfTheirFirstPoint) {
  CField field;
  CObjectListElem* o = AddObject(field, "V1");
  AddSeries(*o, {{2459000.7, 1, 0}, {2459000.8, 1, 0}});
  AddSeries(*o, {{2459001.2, 1, 0}, {2459001.3, 1, 0}});
  AddSeries(*o, {{2459001.6, 1, 0}, {2459002.4, 1, 0}});  // runs into the next night
  ombrix_data::CNightSet nights;
  ombrix_data::CollectFieldNights(field, nights);
  ASSERT_EQ(nights.Count(), 2u);
  const ombrix_data::CNightTreeElem* second = nights.Next(nights.First());
  EXPECT_EQ(second->key, 2459001);
  EXPECT_EQ(second->earliestStart, 2459001.2);
  EXPECT_EQ(second->latestEnd, 2459002.4);
  EXPECT_FALSE(nights.Contains(2459002));
  EXPECT_NEAR(nights.ObservingHours(), (0.1 + 1.2) * 24, 1e-6);
  // The field statistics count the same nights.
  ombrix_data::TFieldStatistics statistics;
  ombrix_data::GetFieldStatistics(field, false, statistics);
  EXPECT_EQ(statistics.nights, 2u);
  EXPECT_EQ(statistics.observingHours, 31);
}

TEST_F(FieldExport, CsvCellsWithSeparatorsOrQuotesAreQuoted) {
  EXPECT_EQ(CsvCell("V1"), "V1");
  EXPECT_EQ(CsvCell("a;b"), "\"a;b\"");
  EXPECT_EQ(CsvCell("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvCell("two\r\nlines"), "\"two\r\nlines\"");
  CObjectListElem& ef = *field.At(2);
  std::snprintf(ef.name, sizeof ef.name, "EF;Her");
  std::snprintf(ef.comment, sizeof ef.comment, "not exported");
  std::snprintf(ef.variabilityType, sizeof ef.variabilityType, "E\"A");
  EXPECT_EQ(LineStarting(CsvTableText(field, 0), "\"EF"), "\"EF;Her\";;\"E\"\"A\";;;;");
}

TEST(CsvPath, FieldNameInTheLastFolder) {
  EXPECT_EQ(InitialCsvPath("/out/old.csv", "/fields/cyg.ofd"), "/out/cyg.csv");
  EXPECT_EQ(InitialCsvPath("/out/old.csv", ""), "/out/old.csv");
  EXPECT_EQ(InitialCsvPath("", "/fields/cyg.ofd"), "cyg.csv");
}

// A picture writer that records the requests and writes small files.
struct TFakePictures {
  std::vector<THtmlPictureRequest> requests;
  bool succeed = true;
  THtmlPictureWriter Writer() {
    return [this](const THtmlPictureRequest& r) {
      requests.push_back(r);
      ombrix_test::WriteFile(r.picturePath, "picture");
      ombrix_test::WriteFile(r.thumbPath, "thumb");
      return succeed;
    };
  }
};

class HtmlExport : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    BuildTestField(field);
    options.options = kHtmlAllOptions & ~kHtmlImages;
    options.pathPrefix = NormalizedPathPrefix("img");
  }
  std::string Page() { return HtmlPageText(field, "night", options); }
  CField field;
  THtmlExportOptions options;
  TFakePictures pictures;
  THtmlExportReport report;
};

TEST_F(HtmlExport, PageWithThumbsMatchesExpectedFile) { ExpectSameAsFile(Page(), "field_thumbs.html"); }

TEST_F(HtmlExport, ThumbsAloneStillAskForTheFullPicture) {
  options.options = kHtmlThumbs;
  const std::string folder = std::filesystem::current_path().string() + "/out";
  std::filesystem::create_directory(folder);
  ASSERT_EQ(ExportFieldHtml(field, "/fields/night.ofd", options, folder + "/page.html", pictures.Writer(), report),
            TExportResult::ok);
  ASSERT_EQ(pictures.requests.size(), 3u);
  const THtmlPictureRequest& ab = pictures.requests[0];
  EXPECT_EQ(ab.picturePath, folder + "/night_AB Cyg_BD+30 1234.png");
  EXPECT_EQ(ab.thumbPath, folder + "/night_AB Cyg_BD+30 1234_thumb.png");
  EXPECT_EQ(ab.pictureWidth, kDefaultImageWidth);
  EXPECT_EQ(ab.pictureDepth, kDefaultImageDepth);
  EXPECT_EQ(ab.thumbWidth, kDefaultThumbWidth);
  EXPECT_EQ(ab.thumbDepth, kDefaultThumbDepth);
  EXPECT_TRUE(ab.phasedCurve);
  EXPECT_FALSE(pictures.requests[1].phasedCurve);  // CD Lyr has no elements
  EXPECT_EQ(ReadFile(folder + "/page.html"), HtmlPageText(field, "night", options));
  EXPECT_EQ(LineStarting(Page(), "<tr><td>CD Lyr"),
            "<tr><td>CD Lyr</td><td><a href=\"img/night_CD Lyr.png\"><img src=\"img/night_CD Lyr_thumb.png\">"
            "</a></td></tr>");
}

TEST_F(HtmlExport, ImagesOnlyGiveATextLink) {
  options.options = kHtmlImages;
  options.pathPrefix.clear();
  EXPECT_EQ(LineStarting(Page(), "<tr><td>EF"), "<tr><td>EF Her</td><td><a href = \"night_EF Her.png\">Light Curve</a></td></tr>");
  EXPECT_EQ(LineStarting(Page(), "<tr><td><b>"), "<tr><td><b>Object</b></td><td><b>Light Curve</b></td></tr>");
}

TEST_F(HtmlExport, TextIsEscapedAndPictureNamesStayInTheFolder) {
  CObjectListElem& ef = *field.At(2);
  std::snprintf(ef.name, sizeof ef.name, "<script>alert(1)</script>");
  std::snprintf(ef.altName, sizeof ef.altName, "a/b #1");
  std::snprintf(ef.variabilityType, sizeof ef.variabilityType, "E&A");
  options.options = kHtmlType | kHtmlImages;
  const std::string page = HtmlPageText(field, "f<1>", options);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_NE(page.find("<title>Field of f&lt;1&gt;</title>"), std::string::npos);
  EXPECT_EQ(LineStarting(page, "<tr><td>&lt;"),
            "<tr><td>&lt;script&gt;alert(1)&lt;/script&gt;</td><td>E&amp;A</td>"
            "<td><a href = \"img/f&lt;1&gt;_&lt;script&gt;alert(1)&lt;_script&gt;_a_b %231.png\">Light Curve</a></td></tr>");
  EXPECT_EQ(PictureFileName("f", ef), "f_<script>alert(1)<_script>_a_b #1.png");
}

TEST_F(HtmlExport, PagePreferringAlternateNames) {
  options.options = kHtmlAlternateName | kHtmlCoordinates | kHtmlCatalog;
  // The catalog declination replaces the object's; the right ascension has
  // no catalog value.
  EXPECT_EQ(LineStarting(Page(), "<tr><td>BD"),
            "<tr><td>BD+30 1234</td><td>12 34 56.789</td><td>+12 30 00.00</td><td>GSC 1234-5678</td></tr>");
  EXPECT_EQ(LineStarting(Page(), "<tr><td>CD"), "<tr><td>CD Lyr</td><td></td><td></td><td> </td></tr>");
}

TEST_F(HtmlExport, RefusalsAndFailedPictures) {
  CField empty;
  EXPECT_EQ(ExportFieldHtml(empty, "", options, "page.html", pictures.Writer(), report),
            TExportResult::nothingToExport);
  EXPECT_EQ(ExportFieldHtml(field, "", options, "page.html", nullptr, report), TExportResult::noPictureWriter);
  EXPECT_EQ(ExportFieldHtml(field, "", options, "missing/page.html", pictures.Writer(), report),
            TExportResult::cannotCreateFile);
  EXPECT_TRUE(pictures.requests.empty());
  pictures.succeed = false;
  EXPECT_EQ(ExportFieldHtml(field, "/f/night.ofd", options, "page.html", pictures.Writer(), report),
            TExportResult::ok);
  EXPECT_EQ(report.failedPictures.size(), 3u);
  EXPECT_EQ(report.objects, 3u);
}

TEST_F(HtmlExport, FailedWriteKeepsEarlierPage) {
  options.options = kHtmlType;
  ombrix_test::WriteFile("page.html", "earlier");
  ombrix_test::SweepFileFaults(
      [&] { return ExportFieldHtml(field, "/f/night.ofd", options, "page.html", nullptr, report) == TExportResult::ok; },
      [&](const ombrix_test::TFaultRun& run) {
        EXPECT_EQ(ReadFile("page.html"), run.succeeded ? HtmlPageText(field, "night", options) : "earlier");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
      },
      {.prepare = [] { ombrix_test::WriteFile("page.html", "earlier"); }});
}

TEST_F(HtmlExport, CsvRefusesAnEmptyFieldAndWritesWhole) {
  CField empty;
  EXPECT_EQ(ExportFieldCsv(empty, 0, "t.csv"), TExportResult::nothingToExport);
  EXPECT_FALSE(std::filesystem::exists("t.csv"));
  ASSERT_EQ(ExportFieldCsv(field, kCsvVariable, "t.csv"), TExportResult::ok);
  EXPECT_EQ(ReadFile("t.csv"), CsvTableText(field, kCsvVariable));
}

TEST(HtmlOptions, PrefixAndSizes) {
  EXPECT_EQ(NormalizedPathPrefix(""), "");
  EXPECT_EQ(NormalizedPathPrefix("pics"), "pics/");
  EXPECT_EQ(NormalizedPathPrefix("pics/"), "pics/");
  EXPECT_FALSE(IsPictureSideValid(7));
  EXPECT_TRUE(IsPictureSideValid(8));
  EXPECT_TRUE(IsPictureSideValid(32767));
  EXPECT_FALSE(IsPictureSideValid(32768));
}

}  // namespace
}  // namespace ombrix_export
