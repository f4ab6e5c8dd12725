// ombrix-cli chart <file.ofd> <object> --tab N (--png <out.png> | --svg <out.svg>)
// [--size WxH] [--series K] [--title T] [--from JD] [--days D] [--site LAT LON]:
// one chart tab of an object drawn off-screen through the panes the program
// shows, for batch plots of a field and for checking charts.
#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include <runbase/fio_replace.h>

#include <ombrix_present/chart_export.h>
#include <ombrix_present/curve_data.h>
#include <winkit/view.h>
#include <winkit/vimage.h>

#include "analysis_commands/fit_input.h"
#include "field_commands/html_pictures.h"
#include "field_commands/object_choice.h"
#include "ombrix_cli/arguments.h"
#include "options.h"
#include "program_commands.h"

namespace ombrix_cli {

namespace {

constexpr const char kName[] = "chart";
constexpr int kDefaultWidth = 1200, kDefaultHeight = 800;
// Large enough for print; a bigger picture would take gigabytes of memory.
constexpr int kMinSide = 100, kMaxSide = 10000;

// A whole number taking the whole text.
bool WholeNumber(std::string_view text, int& number) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// "WxH" with both sides in [kMinSide, kMaxSide].
bool ParseSize(std::string_view text, int& width, int& height, std::ostream& err) {
  const std::size_t x = text.find('x');
  if (x == std::string_view::npos || !WholeNumber(text.substr(0, x), width) ||
      !WholeNumber(text.substr(x + 1), height)) {
    err << "ombrix-cli chart: --size takes WxH in pixels, as 1200x800, not \"" << text << "\"\n";
    return false;
  }
  if (width < kMinSide || height < kMinSide || width > kMaxSide || height > kMaxSide) {
    err << "ombrix-cli chart: --size " << text << " is outside " << kMinSide << " to " << kMaxSide
        << " pixels a side\n";
    return false;
  }
  return true;
}

// The first series the charts show; the Minimum Mirror and Minimum Fit need one.
const ombrix_data::CSeriesTreeElem* FirstTakingPart(const ombrix_data::CObjectListElem& object) {
  for (ombrix_data::CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s))
    if (ombrix_lc::TakesPart(*s)) return s;
  return nullptr;
}

struct TChartArguments {
  int tab = 0;
  const char* png = nullptr;
  const char* svg = nullptr;
  const char* title = "";
  int width = kDefaultWidth, height = kDefaultHeight;
  double from = 0.0;  // Julian date; 0: now
  double days = 1.0;
  bool site = false;
  double latitude = 0.0, longitude = 0.0;
};

// Takes "--site LAT LON" out of the words (a negative number would read as
// a positional word); false after printing the fault.
bool TakeSite(TArguments arguments, std::vector<const char*>& rest, TChartArguments& chart, std::ostream& err) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (std::string_view(arguments[i]) != "--site") {
      rest.push_back(arguments[i]);
      continue;
    }
    if (i + 2 >= arguments.size() || !ParseNumber(arguments[i + 1], chart.latitude) ||
        !ParseNumber(arguments[i + 2], chart.longitude) || chart.latitude < -90 || chart.latitude > 90 ||
        chart.longitude < -180 || chart.longitude > 180) {
      err << "ombrix-cli chart: --site takes the latitude (-90 to 90) and the east longitude (-180 to 180) in "
             "degrees\n";
      return false;
    }
    chart.site = true;
    i += 2;
  }
  return true;
}

bool ReadChartOptions(const TParsedArguments& parsed, TChartArguments& chart, std::ostream& err) {
  const char* tab = parsed.Value("--tab");
  chart.png = parsed.Value("--png");
  chart.svg = parsed.Value("--svg");
  if (!tab || (!chart.png && !chart.svg)) {
    err << "ombrix-cli chart: " << (tab ? "--png <out.png> or --svg <out.svg>" : "--tab N") << " is required\n";
    return false;
  }
  if (chart.png && chart.svg) {
    err << "ombrix-cli chart: give either --png or --svg, not both\n";
    return false;
  }
  if (!WholeNumber(tab, chart.tab)) {
    err << "ombrix-cli chart: --tab takes the tab's number from 1, not \"" << tab << "\"\n";
    return false;
  }
  if (const char* title = parsed.Value("--title")) chart.title = title;
  if (!NumberOption(kName, parsed, "--from", chart.from, err) ||
      !NumberOption(kName, parsed, "--days", chart.days, err))
    return false;
  if (chart.days <= 0 || chart.days > 3650) {
    err << "ombrix-cli chart: --days takes a span of more than 0 and up to 3650 days\n";
    return false;
  }
  const char* size = parsed.Value("--size");
  return !size || ParseSize(size, chart.width, chart.height, err);
}

// Writes the picture or the document whole or not at all.
bool WriteChart(ombrix_lc::CLightCurvePane& pane, const TChartArguments& chart, std::ostream& err) {
  if (chart.svg) {
    std::string document;
    if (!pane.DrawSVG(chart.width, chart.height, chart.title, document)) {
      err << "ombrix-cli chart: cannot draw the chart\n";
      return false;
    }
    if (!FIO::ReplaceFileContentsA(static_cast<std::uint32_t>(std::string_view(chart.svg).size()), chart.svg,
                                   document.data(), static_cast<std::uint32_t>(document.size()), false)) {
      err << "ombrix-cli chart: Cannot create file: " << chart.svg << '\n';
      return false;
    }
    return true;
  }
  vimage::CImage image;
  if (!pane.DrawImage(chart.width, chart.height, chart.title, image)) {
    err << "ombrix-cli chart: cannot draw an image of " << chart.width << " x " << chart.height << " pixels\n";
    return false;
  }
  char error[256] = "";
  if (!image.Save(chart.png, vimage::ifPNG, 0, sizeof error - 1, error)) {
    err << "ombrix-cli chart: " << error << ": " << chart.png << '\n';
    return false;
  }
  return true;
}

// Tabs drawn for the pictures of the HTML export.
constexpr int kCompressedSeriesTab = 2;
constexpr int kPhasedCurveTab = 3;

// The picture and the thumbnail of one object of the HTML export, drawn
// without title through the panes the program shows.
bool WriteHtmlPictures(const ombrix_export::THtmlPictureRequest& request) {
  ombrix_data::CFilterTable filters;
  filters.Init();
  filters.LoadDefaults();
  ombrix_lc::TBuildRequest build;
  build.object = request.object;
  build.filters = &filters;
  const int tab = request.phasedCurve ? kPhasedCurveTab : kCompressedSeriesTab;
  const bool written = ombrix_lc::WriteChartPictures(
      tab, build,
      {{request.picturePath, request.pictureWidth, request.pictureDepth},
       {request.thumbPath, request.thumbWidth, request.thumbDepth}});
  return written;
}

int RunChart(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  TChartArguments chart;
  std::vector<const char*> words;
  if (!TakeSite(arguments, words, chart, err) ||
      !ParseArguments(kName, words,
                      {{"--tab", true},
                       {"--png", true},
                       {"--svg", true},
                       {"--size", true},
                       {"--series", true},
                       {"--title", true},
                       {"--from", true},
                       {"--days", true}},
                      2, 2, parsed, err) ||
      !ReadChartOptions(parsed, chart, err))
    return kExitUsage;

  ombrix_data::CField field;
  ombrix_data::CObjectListElem* object = nullptr;
  if (!LoadFieldObject(kName, parsed.positional[0], parsed.positional[1], field, object, out, err)) return kExitFailure;
  ombrix_data::CFilterTable filters;
  filters.Init();
  filters.LoadDefaults();
  ombrix_lc::TBuildRequest request;
  request.object = object;
  request.filters = &filters;
  request.selected = FirstTakingPart(*object);
  if (const char* series = parsed.Value("--series")) {
    request.selected = ChooseSeries(kName, *object, series, err);
    if (!request.selected) return kExitFailure;
  }

  request.predictionStart = chart.from;
  request.predictionDays = chart.days;
  request.site.latitude = chart.site ? chart.latitude : 0.0;
  request.site.longitude = chart.site ? chart.longitude : 0.0;

  view::EnsureOffScreenApplication();
  std::string why;
  const std::unique_ptr<ombrix_lc::CLightCurvePane> pane = ombrix_lc::BuildChartTab(chart.tab, request, why);
  if (!pane) {
    err << "ombrix-cli chart: " << why << '\n';
    return kExitFailure;
  }
  if (!WriteChart(*pane, chart, err)) return kExitFailure;
  out << "chart " << (chart.svg ? chart.svg : chart.png) << ' ' << chart.width << 'x' << chart.height << " tab "
      << chart.tab << " points " << ombrix_lc::TakingPartPoints(*object) << '\n';
  return kExitOk;
}

}  // namespace

extern const TCliCommand ChartCommand = {
    kName, "draw a chart tab of an object into a PNG picture",
    "Usage: ombrix-cli chart <file.ofd> <object> --tab N (--png <out.png> | --svg <out.svg>)\n"
    "                        [--size WxH] [--series K] [--title T]\n"
    "                        [--from JD] [--days D] [--site LAT LON]\n"
    "\n"
    "Loads the field and draws chart tab N of the object as the program's\n"
    "object pane shows it, into a PNG picture or an SVG document of W x H\n"
    "pixels (default 1200x800, 100 to 10000 a side): 1 Time Series, 2 Compressed\n"
    "Series, 3 Phased Curve, 4 Phased Curve Fit (one cycle with the stored fit),\n"
    "5 Minimum Mirror (series K over its whole span), 6 Minimum Fit (series K,\n"
    "the fit window over its whole span), 7 ETV Diagram (O-C of the\n"
    "enabled minima), 11 Prediction (the model over D days from the Julian date\n"
    "JD, default 1 day from now, with the altitudes of the object and the Sun\n"
    "and the twilight seen from latitude LAT and east longitude LON in degrees;\n"
    "without --site no altitudes). Series are coloured by the built-in filter\n"
    "table. --series K (from 1, in the object's series order) chooses the series\n"
    "of tabs 5 and 6; without it the first enabled series with points is used. --title\n"
    "T draws T above the chart. An existing output file is replaced only when\n"
    "the new one is written whole.\n"
    "\n" OMBRIX_CLI_OBJECT_HELP
    "\n"
    "Prints \"chart <out> WxH tab N points P\" (P: points of the object's\n"
    "enabled series). A tab without a chart here exits with status 1.\n",
    RunChart};

TCommandList ProgramCommands() {
  static const TCliCommand* const commands[] = {&ChartCommand};
  if (!HtmlPictureWriter()) SetHtmlPictureWriter(WriteHtmlPictures);
  return commands;
}

}  // namespace ombrix_cli
