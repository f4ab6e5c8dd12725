// ombrix-cli minimum <file.ofd> <object> <series> <start JD> <end JD>
// [--free <mask>] [--bootstrap] [--method model|kvw] [--reflections N]
// [--noise R]: the time of minimum of one eclipse, as "Fit Min." and "Est.
// Err." find it, or by the Kwee-van Woerden method.
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "field_commands/object_choice.h"
#include "options.h"
#include "output.h"
#include "fit_input.h"
#include "ombrix_analysis/kvw.h"
#include "ombrix_analysis/minimum_fit.h"
#include "ombrix_cli/arguments.h"
#include "ombrix_model/time_scales.h"

namespace ombrix_cli {

namespace {

using namespace ombrix_analysis;

constexpr const char kName[] = "minimum";

struct TWindowRequest {
  double start = 0.0;
  double end = 0.0;
  bool free[kMinimumParameterCount] = {true, true, true, true, true, true, true};
  bool bootstrap = false;
  TMinimumMethod method = TMinimumMethod::model;
  TKvWOptions kvw;
};

bool ParseMethod(const TParsedArguments& parsed, TWindowRequest& request, std::ostream& err) {
  const char* method = parsed.Value("--method");
  if (method && std::string_view(method) == "kvw") {
    request.method = TMinimumMethod::kvw;
  } else if (method && std::string_view(method) != "model") {
    err << "ombrix-cli minimum: --method is \"model\" or \"kvw\", not \"" << method << "\"\n";
    return false;
  }
  double reflections = kDefaultKvWReflections;
  if (!NumberOption(kName, parsed, "--reflections", reflections, err) ||
      !NumberOption(kName, parsed, "--noise", request.kvw.noise, err))
    return false;
  request.kvw.reflections = reflections == std::trunc(reflections) && std::fabs(reflections) < 1000
                                ? static_cast<int>(reflections)
                                : 0;
  if (request.kvw.noise < 0) {
    err << "ombrix-cli minimum: --noise must not be negative\n";
    return false;
  }
  return true;
}

bool ParseWindowRequest(const TParsedArguments& parsed, TWindowRequest& request, std::ostream& err) {
  if (!ParseNumber(parsed.positional[3], request.start) ||
      !ParseNumber(parsed.positional[4], request.end)) {
    err << "ombrix-cli minimum: <start JD> and <end JD> must be numbers\n";
    return false;
  }
  if (!(request.start < request.end)) {
    err << "ombrix-cli minimum: <start JD> must lie before <end JD>\n";
    return false;
  }
  request.bootstrap = parsed.Has("--bootstrap");
  if (!ParseMethod(parsed, request, err)) return false;
  const char* mask = parsed.Value("--free");
  return !mask || ParseFreeMask(kName, mask, kMinimumParameterCount, request.free, err);
}

// The window's points timed by Kwee-van Woerden; the noise is --noise, else
// the points' stated errors, else estimated.
int TimeByKvW(const std::vector<TFitPoint>& points, const TWindowRequest& request, const char* scale,
              std::ostream& out, std::ostream& err) {
  std::vector<TFitPoint> window;
  for (const TFitPoint& p : points)
    if (request.start <= p.phase && p.phase <= request.end) window.push_back(p);
  std::vector<double> times, values;
  for (const TFitPoint& p : window) times.push_back(p.phase), values.push_back(p.value);
  TKvWOptions options = request.kvw;
  if (options.noise == 0) options.noise = NoiseFromErrors(window.data(), window.size());
  TKvWResult result;
  std::string failure;
  if (!KweeVanWoerden(times.data(), values.data(), times.size(), options, result, failure)) {
    err << failure << '\n';
    return kExitFailure;
  }
  out << "time " << Fixed(result.time, 8) << '\n'
      << "error " << Fixed(result.error, 8) << '\n'
      << "points " << result.points << '\n'
      << "pairs " << result.pairs << '\n'
      << "noise " << Fixed(result.noise, 6) << '\n'
      << "scale " << scale << '\n';
  return kExitOk;
}

int RunMinimum(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  if (!ParseArguments(kName, arguments,
                      {{"--free", true}, {"--bootstrap", false}, {"--method", true}, {"--reflections", true},
                       {"--noise", true}},
                      5, 5, parsed, err))
    return kExitUsage;
  TWindowRequest request;
  if (!ParseWindowRequest(parsed, request, err)) return kExitUsage;

  ombrix_data::CField field;
  ombrix_data::CObjectListElem* object = nullptr;
  if (!LoadFieldObject(kName, parsed.positional[0], parsed.positional[1], field, object, out, err))
    return kExitFailure;
  const ombrix_data::CSeriesTreeElem* series = ChooseSeries(kName, *object, parsed.positional[2], err);
  if (!series) return kExitFailure;

  const std::vector<TFitPoint> points = SeriesFitPoints(*series);
  const char* scale = ombrix_model::TimeScaleLabel(series->TimeScale());
  if (request.method == TMinimumMethod::kvw) return TimeByKvW(points, request, scale, out, err);
  TMinimumFitTab tab;
  tab.points = points.data();
  tab.pointCount = points.size();
  tab.start = request.start;
  tab.end = request.end;
  std::copy(request.free, request.free + kMinimumParameterCount, tab.free);
  StartMinimumFromWindow(tab);

  CPrintingUserIO io(out);
  if (!FitMinimum(tab, io)) return ReportFailure(io, err);
  if (request.bootstrap) EstimateMinimumError(tab, io);
  out << "time " << Fixed(tab.minimumTime, 8) << '\n'
      << "points " << tab.fitPointCount << '\n'
      << "chi2 " << Fixed(tab.chi2, 6) << '\n'
      << "scale " << scale << '\n';
  if (request.bootstrap && tab.errorShown) out << "error " << Fixed(tab.minimumError, 8) << '\n';
  return kExitOk;
}

}  // namespace

extern const TCliCommand MinimumCommand = {
    kName, "time one minimum of a series by fitting the eclipse model",
    "Usage: ombrix-cli minimum <file.ofd> <object> <series> <start JD> <end JD>\n"
    "                          [--free <mask>] [--bootstrap]\n"
    "                          [--method model|kvw] [--reflections N] [--noise R]\n"
    "\n"
    "Loads the field and fits the minimum model to the points of the object's\n"
    "series <series> (numbered from 1 in the series list order) with\n"
    "<start JD> <= time <= <end JD>. The fit starts from Mag0 = the smallest\n"
    "value in the window, Phase = the normalised time of the largest value\n"
    "(in magnitudes the eclipse is the largest value), Trend = 0, A = largest\n"
    "minus smallest value, D = 0.1, G = 1, C = 0. --free gives seven\n"
    "characters, 1 for free and 0 for fixed, in the order Mag0 Phase Trend A\n"
    "D G C (Phase is always free); without it all are free. --bootstrap also\n"
    "estimates the error of the time by refitting resampled points.\n"
    "\n" OMBRIX_CLI_OBJECT_HELP
    "\n" OMBRIX_CLI_MESSAGES_HELP
    "A good fit then prints \"time T\" (JD), \"points N\", \"chi2 X\", \"scale S\"\n"
    "and, with --bootstrap, \"error E\" in days (left out when the resampled\n"
    "times spread by a day or more, as the program then leaves the error\n"
    "empty). A failed fit prints its failure text on the error output and\n"
    "exits with status 1.\n"
    "\n"
    "--method kvw times the minimum by the Kwee-van Woerden method instead,\n"
    "with the error after Deeg (2021): N reflections (odd, 3 to 21, default 5)\n"
    "and the noise R of one value (default: the points' errors when every point\n"
    "has one, else estimated from the best reflection). It prints \"time T\",\n"
    "\"error E\", \"points N\" (after interpolating uneven points onto even\n"
    "steps), \"pairs Z\", \"noise R\" and \"scale S\". S is the series' time\n"
    "scale (HJD, BJD_TDB or GJD), the scale of T.\n",
    RunMinimum};

}  // namespace ombrix_cli
