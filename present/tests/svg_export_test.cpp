// SVG context and chart export: exact elements, golden documents, XML
// validity, image formats and the export command's refusals.
#include <gtest/gtest.h>
#include <ombrix_testsupport/temp_folder.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <cerrno>

#include <runbase/fio_fault.h>
#include <winkit/vdlg.h>
#include <winkit/view.h>

#include "ombrix_present/chart_export.h"
#include "ombrix_present/curve_data.h"
#include "ombrix_present/svg_context.h"

namespace {

using namespace ombrix_lc;

constexpr double kJD = 2460000.0;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

// Non-white pixels of a picture.
int Inked(const vimage::CImage& image) {
  int n = 0;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) n += (image.Row(y)[4 * x] & image.Row(y)[4 * x + 1]) != 255;
  return n;
}

// The document parses as XML and Qt's SVG renderer draws something.
// OMBRIX_SVG_DUMP=<folder> keeps the rendered pictures for looking at.
void ExpectRenders(const std::string& document, const char* name = "chart") {
  std::string error;
  vimage::CImage image;
  ASSERT_TRUE(vimage::RenderSVG(document, image, error)) << error;
  EXPECT_GT(Inked(image), 50);
  if (const char* folder = std::getenv("OMBRIX_SVG_DUMP")) {
    char text[80];
    image.Save((std::string(folder) + "/" + name + ".png").c_str(), vimage::ifPNG, 0, 79, text);
  }
}

// Compares with tests/data/<name>; OMBRIX_WRITE_GOLDEN=1 writes it instead.
void ExpectGolden(const std::string& document, const char* name) {
  const std::string path = std::string(OMBRIX_TEST_DATA) + "/" + name;
  if (std::getenv("OMBRIX_WRITE_GOLDEN")) std::ofstream(path, std::ios::binary) << document;
  EXPECT_EQ(document, ReadFile(path)) << name;
}

TEST(SVGContextTest, WritesEachOperationAsOneElement) {
  std::string out;
  CSVGContext dc;
  dc.BeginDocument(out, 300, 200);
  const std::size_t header = out.size();
  dc.Line(10, 20, 30, 40);
  EXPECT_EQ(out.substr(header),
            "<line x1=\"10\" y1=\"20\" x2=\"30\" y2=\"40\" style=\"stroke:rgb(0,0,0);stroke-width:1px\" />\r\n");
  out.resize(header);
  const int xs[] = {1, 3, 5}, ys[] = {2, 4, -6};
  dc.SetGCInkColor(vcolor::RGBA(31, 63, 255, 0));
  dc.SetGCInkWidth(2);
  dc.PolyLine(3, xs, ys);
  dc.PolyLine(0, xs, ys);
  EXPECT_EQ(out.substr(header),
            "<polyline points=\"1,2 3,4 5,-6 \" style=\"fill:none;stroke:rgb(31,63,255);stroke-width:2px\" />\r\n");
  out.resize(header);
  dc.SetGCPaperColor(vcolor::RGBA(216, 0, 0));
  dc.Circle(5, 6, 4);
  dc.CircleFill(5, 6, 2, true);
  dc.CircleFill(5, 6, 2, false);
  dc.Rectangle(0, 0, 8, 9);
  dc.Pixel(1, 1, vcolor::Black);  // no SVG form
  EXPECT_EQ(
      out.substr(header),
      "<circle cx=\"5\" cy=\"6\" r=\"4\" style=\"stroke:rgb(31,63,255);stroke-width:2px;fill:none\" />\r\n"
      "<circle cx=\"5\" cy=\"6\" r=\"2\" style=\"stroke:rgb(31,63,255);stroke-width:2px;fill:rgb(216,0,0)\" />\r\n"
      "<circle cx=\"5\" cy=\"6\" r=\"2\" style=\"stroke:rgb(216,0,0);stroke-width:1px;fill:rgb(216,0,0)\" />\r\n"
      "<rect x=\"0\" y=\"0\" width=\"8\" height=\"9\" style=\"fill:rgb(216,0,0)\" />\r\n");
  dc.EndDocument();
  EXPECT_EQ(out.substr(out.size() - 10), "/>\r\n</svg>");
}

TEST(SVGContextTest, FontsChooseTheTextClassAndTextIsEscaped) {
  view::EnsureApplication();
  vfont::CFont title, bold, normal;
  ASSERT_TRUE(title.Init(vfont::CaptionFontDesc(16, true)));
  ASSERT_TRUE(bold.Init(vfont::CaptionFontDesc(12, true)));
  ASSERT_TRUE(normal.Init(vfont::CaptionFontDesc()));
  EXPECT_STREQ(SVGFontClass(&title), "title");
  EXPECT_STREQ(SVGFontClass(&bold), "bold");
  EXPECT_STREQ(SVGFontClass(&normal), "normal");
  EXPECT_STREQ(SVGFontClass(nullptr), "normal");
  std::string out;
  CSVGContext dc;
  dc.BeginDocument(out, 10, 10);
  const std::size_t header = out.size();
  dc.SetGCFont(&title);
  dc.OutTextXY(3, -4, 7, "A&B <test>");
  dc.OutTextXY(3, 4, 2, "JD and more");
  EXPECT_EQ(out.substr(header),
            "<text x=\"3\" y=\"-4\" class=\"title\">A&amp;B &lt;te</text>\r\n"
            "<text x=\"3\" y=\"4\" class=\"title\">JD</text>\r\n");
  dc.EndDocument();
  std::string error;
  EXPECT_TRUE(vimage::IsWellFormedXML(out, error)) << error;
  // Unescaped text would not be.
  EXPECT_FALSE(vimage::IsWellFormedXML("<svg><text>A&B <test></text></svg>", error));
  EXPECT_FALSE(error.empty());
}

class ChartExportTest : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    view::EnsureApplication();
    // Marker dates are local times; the golden files are written in UTC.
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void FillTimeSeries(CLightCurvePane& chart) {
    chart.SetXLabel("JD");
    chart.SetYLabel("Mag");
    chart.ReservePoints(5);
    const double values[] = {12.1, 12.3, 12.2, 12.6, 12.4};
    for (int i = 0; i < 5; ++i)
      chart.AppendPoint(kJD + 0.01 * i, values[i], 0.02, 0.0, vcolor::RGBA(0, 0, 216), nullptr);
    chart.ReserveMarkers(1);
    chart.AppendMarker(kJD + 0.025, kPrimaryColour, mkMinimum, 0.0, nullptr);
    chart.AutoScale(0, 0, false, false, false);
  }
};

TEST_F(ChartExportTest, GoldenDocumentsOfAnEmptyATimeSeriesAndAPredictionChart) {
  CLightCurvePane empty;
  std::string document;
  ASSERT_TRUE(empty.DrawSVG(240, 160, "", document));
  ExpectGolden(document, "empty_chart.svg");
  ExpectRenders(document, "empty_chart");

  CLightCurvePane series;
  FillTimeSeries(series);
  ASSERT_TRUE(series.DrawSVG(400, 300, "V1234 Cyg", document));
  ExpectGolden(document, "time_series_chart.svg");
  EXPECT_NE(document.find("class=\"title\">V1234 Cyg</text>"), std::string::npos);
  ExpectRenders(document, "time_series_chart");

  CPredictionPane prediction;
  ombrix_model::TFitParameters model;
  ombrix_model::ResetFitParameters(model);
  TPredictionSite site;
  site.latitude = 49.2;
  site.longitude = 16.6;
  site.useSunAlt = true;
  prediction.SetObject(kJD - 0.1, 0.4, &model, 1.0, 0.6);
  prediction.SetSite(site);
  prediction.SetSpan(kJD, kJD + 1);
  prediction.Layout();
  ASSERT_TRUE(prediction.DrawSVG(400, 300, "", document));
  ExpectGolden(document, "prediction_chart.svg");
  ExpectRenders(document, "prediction_chart");
}

TEST_F(ChartExportTest, ANameWithMarkupCharactersStillMakesAValidDocument) {
  CLightCurvePane chart;
  FillTimeSeries(chart);
  const std::string path = Path("chart.svg");
  ASSERT_TRUE(chart.ExportSVG(path.c_str(), 320, 240, "A&B <test>"));
  const std::string document = ReadFile(path);
  EXPECT_NE(document.find("A&amp;B &lt;test&gt;"), std::string::npos);
  ExpectRenders(document);
  // The title is gone again after the export.
  EXPECT_TRUE(chart.Title().empty());
}

TEST_F(ChartExportTest, EightByEightPixelsCollapseTheMargins) {
  CLightCurvePane chart;
  FillTimeSeries(chart);
  chart.NewRect(vcom::CRect(0, 0, 8, 8));
  EXPECT_EQ(chart.PlotRect().x, 0);
  EXPECT_EQ(chart.PlotRect().width, 8);
  EXPECT_EQ(chart.PlotRect().height, 8);
  const std::string path = Path("tiny.png");
  ASSERT_TRUE(chart.ExportImage(path.c_str(), 8, 8, "", vimage::ifPNG));
  vimage::CImage image;
  char error[80];
  ASSERT_TRUE(image.Load(path.c_str(), 79, error)) << error;
  EXPECT_EQ(image.Width(), 8);
}

TEST_F(ChartExportTest, TheCommandTakesTheFormatFromTheExtensionOrRefusesTheName) {
  CLightCurvePane chart;
  FillTimeSeries(chart);
  TChartExportSettings settings;
  vdlg::CScriptedDialogs dialogs;
  // chart.Jpeg: JPEG whatever the case.
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& size = static_cast<CGetWDDialog&>(d);
    size.width.SetValue(320);
    size.depth.SetValue(200);
  });
  dialogs.AnswerFile(Path("chart.Jpeg"));
  ASSERT_TRUE(RunChartExport(&chart, false, "V1 Cyg", settings)) << dialogs.Transcript();
  EXPECT_EQ(settings.width, 320);
  EXPECT_EQ(settings.depth, 200);
  EXPECT_EQ(settings.lastImagePath, Path("chart.Jpeg"));
  const std::string jpeg = ReadFile(Path("chart.Jpeg"));
  ASSERT_GT(jpeg.size(), 3u);
  EXPECT_EQ(static_cast<unsigned char>(jpeg[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(jpeg[1]), 0xD8);
  EXPECT_EQ(dialogs.Shown()[0].caption, "Choose dimensions of exported image");
  EXPECT_EQ(dialogs.Shown()[1].filters.size(), 5u);

  // No extension: the three-line error and nothing written.
  dialogs.Clear();
  dialogs.AnswerOK();
  dialogs.AnswerFile(Path("chart"));
  dialogs.AnswerButton(vdlg::mrOK);
  EXPECT_FALSE(RunChartExport(&chart, false, "V1 Cyg", settings));
  ASSERT_EQ(dialogs.Shown().size(), 3u);
  EXPECT_EQ(dialogs.Shown()[2].caption, "Error");
  EXPECT_EQ(dialogs.Shown()[2].lines,
            (std::vector<std::string>{"Wrong or missing file name extension,", "cannot determine target image format.",
                                      "Image not saved."}));
  EXPECT_FALSE(Exists(Path("chart")));

  // A tab without a chart, also for SVG.
  dialogs.Clear();
  dialogs.AnswerButton(vdlg::mrOK);
  EXPECT_FALSE(RunChartExport(nullptr, true, "", settings));
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].caption, "Cannot export chart as image");
  EXPECT_EQ(dialogs.Shown()[0].icon, vstock::siInformation);
}

TEST_F(ChartExportTest, AFileThatCannotBeCreatedIsReportedAndNothingIsWritten) {
  CLightCurvePane chart;
  FillTimeSeries(chart);
  vdlg::CScriptedDialogs dialogs;
  const std::string svg = Path("missing/chart.svg");
  dialogs.AnswerButton(vdlg::mrOK);
  EXPECT_FALSE(chart.ExportSVG(svg.c_str(), 200, 100, ""));
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].caption, "Error");
  EXPECT_EQ(dialogs.Shown()[0].lines, (std::vector<std::string>{"Cannot create file", svg}));
  const std::string png = Path("missing/chart.png");
  dialogs.Clear();
  dialogs.AnswerButton(vdlg::mrOK);
  EXPECT_FALSE(chart.ExportImage(png.c_str(), 200, 100, "", vimage::ifPNG));
  EXPECT_EQ(dialogs.Shown()[0].lines, (std::vector<std::string>{"Cannot create file", png}));
  // Sizes not above 0 fail at once.
  EXPECT_FALSE(chart.ExportImage(Path("zero.png").c_str(), 0, 100, "", vimage::ifPNG));
  EXPECT_FALSE(Exists(Path("zero.png")));
}

TEST_F(ChartExportTest, AFailedWriteLeavesNoPartialFileAndKeepsThePreviousOne) {
  CLightCurvePane chart;
  FillTimeSeries(chart);
  vdlg::CScriptedDialogs dialogs;
  const std::string svg = Path("new.svg");
  FIO::Fault::FailNext(FIO::Fault::Op::Write, ENOSPC);
  dialogs.AnswerButton(vdlg::mrOK);
  EXPECT_FALSE(chart.ExportSVG(svg.c_str(), 200, 100, ""));
  FIO::Fault::Reset();
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].lines,
            (std::vector<std::string>{"Error while exporting file", svg, "Cannot write file"}));
  EXPECT_FALSE(Exists(svg));
  EXPECT_EQ(std::filesystem::directory_iterator(folder_), std::filesystem::directory_iterator());

  const std::string gif = Path("kept.gif");
  ASSERT_TRUE(chart.ExportImage(gif.c_str(), 120, 90, "", vimage::ifGIF));
  const std::string before = ReadFile(gif);
  FIO::Fault::FailNext(FIO::Fault::Op::Rename, EIO);
  dialogs.Clear();
  dialogs.AnswerButton(vdlg::mrOK);
  EXPECT_FALSE(chart.ExportImage(gif.c_str(), 300, 200, "", vimage::ifGIF));
  FIO::Fault::Reset();
  EXPECT_EQ(dialogs.Shown().at(0).lines.at(0), "Error while exporting file");
  EXPECT_EQ(ReadFile(gif), before);
}

TEST_F(ChartExportTest, EveryImageFormatIsWrittenInItsOwnEncoding) {
  CLightCurvePane chart;
  FillTimeSeries(chart);
  const struct {
    const char* name;
    vimage::TImageFormat format;
    const char* magic;
  } formats[] = {{"c.png", vimage::ifPNG, "\x89PNG"},
                 {"c.jpg", vimage::ifJPEG, "\xFF\xD8\xFF"},
                 {"c.bmp", vimage::ifBMP, "BM"},
                 {"c.tif", vimage::ifTIFF, "II*"},
                 {"c.gif", vimage::ifGIF, "GIF8"}};
  for (const auto& f : formats) {
    ASSERT_TRUE(chart.ExportImage(Path(f.name).c_str(), 160, 120, "Title", f.format)) << f.name;
    EXPECT_EQ(ReadFile(Path(f.name)).rfind(f.magic, 0), 0u) << f.name;
    vimage::CImage image;
    char error[80];
    ASSERT_TRUE(image.Load(Path(f.name).c_str(), 79, error)) << f.name << error;
    EXPECT_EQ(image.Width(), 160);
    EXPECT_EQ(image.Height(), 120);
  }
}

}  // namespace
