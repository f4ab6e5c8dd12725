// ombrix-cli chart <file.ofd> <object> --tab N --png <out.png> [--size WxH]
// [--series K]: one chart tab of an object drawn off-screen through the panes
// the program shows, for batch plots of a field and for checking charts.
#include <charconv>
#include <string>
#include <string_view>

#include <ombrix_present/curve_data.h>
#include <winkit/view.h>
#include <winkit/vimage.h>

#include "analysis_commands/fit_input.h"
#include "field_commands/object_choice.h"
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

// The first series the charts show; the Minimum Mirror needs one.
const ombrix_data::CSeriesTreeElem* FirstTakingPart(const ombrix_data::CObjectListElem& object) {
  for (ombrix_data::CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s))
    if (ombrix_lc::TakesPart(*s)) return s;
  return nullptr;
}

struct TChartArguments {
  int tab = 0;
  const char* png = nullptr;
  int width = kDefaultWidth, height = kDefaultHeight;
};

bool ReadChartOptions(const TParsedArguments& parsed, TChartArguments& chart, std::ostream& err) {
  const char* tab = parsed.Value("--tab");
  chart.png = parsed.Value("--png");
  if (!tab || !chart.png) {
    err << "ombrix-cli chart: " << (tab ? "--png <out.png>" : "--tab N") << " is required\n";
    return false;
  }
  if (!WholeNumber(tab, chart.tab)) {
    err << "ombrix-cli chart: --tab takes the tab's number from 1, not \"" << tab << "\"\n";
    return false;
  }
  const char* size = parsed.Value("--size");
  return !size || ParseSize(size, chart.width, chart.height, err);
}

int RunChart(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  TChartArguments chart;
  if (!ParseArguments(kName, arguments, {{"--tab", true}, {"--png", true}, {"--size", true}, {"--series", true}}, 2, 2,
                      parsed, err) ||
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

  view::EnsureOffScreenApplication();
  vimage::CImage image;
  std::string why;
  if (!ombrix_lc::DrawChartTab(chart.tab, request, chart.width, chart.height, image, why)) {
    err << "ombrix-cli chart: " << why << '\n';
    return kExitFailure;
  }
  char error[256] = "";
  if (!image.Save(chart.png, vimage::ifPNG, 0, sizeof error - 1, error)) {
    err << "ombrix-cli chart: " << error << ": " << chart.png << '\n';
    return kExitFailure;
  }
  out << "chart " << chart.png << ' ' << chart.width << 'x' << chart.height << " tab " << chart.tab << " points "
      << ombrix_lc::TakingPartPoints(*object) << '\n';
  return kExitOk;
}

}  // namespace

extern const TCliCommand ChartCommand = {kName, "draw a chart tab of an object into a PNG picture",
                                         "Usage: ombrix-cli chart <file.ofd> <object> --tab N --png <out.png>\n"
                                         "                        [--size WxH] [--series K]\n"
                                         "\n"
                                         "Loads the field and draws chart tab N of the object as the program's\n"
                                         "object pane shows it, into a PNG picture of W x H pixels (default\n"
                                         "1200x800, 100 to 10000 a side): 1 Time Series, 2 Compressed Series,\n"
                                         "3 Phased Curve, 4 Phased Curve Fit (one cycle with the stored fit),\n"
                                         "5 Minimum Mirror (series K over its whole span). Series are coloured by\n"
                                         "the built-in filter table. --series K (from 1, in the object's series\n"
                                         "order) chooses the series of tab 5; without it the first enabled series\n"
                                         "with points is used. An existing <out.png> is replaced only when the new\n"
                                         "picture is written whole.\n"
                                         "\n" OMBRIX_CLI_OBJECT_HELP
                                         "\n"
                                         "Prints \"chart <out.png> WxH tab N points P\" (P: points of the object's\n"
                                         "enabled series). A tab without a chart here exits with status 1.\n",
                                         RunChart};

TCommandList ProgramCommands() {
  static const TCliCommand* const commands[] = {&ChartCommand};
  return commands;
}

}  // namespace ombrix_cli
