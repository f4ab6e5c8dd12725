// ombrix-cli minimum <file.ofd> <object> <series> <start JD> <end JD>
// [--free <mask>] [--bootstrap]: the time of minimum of one eclipse, as "Fit
// Min." and "Est. Err." find it.
#include <algorithm>

#include "field_commands/object_choice.h"
#include "options.h"
#include "output.h"
#include "fit_input.h"
#include "ombrix_analysis/minimum_fit.h"
#include "ombrix_cli/arguments.h"

namespace ombrix_cli {

namespace {

using namespace ombrix_analysis;

constexpr const char kName[] = "minimum";

struct TWindowRequest {
  double start = 0.0;
  double end = 0.0;
  bool free[kMinimumParameterCount] = {true, true, true, true, true, true, true};
  bool bootstrap = false;
};

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
  const char* mask = parsed.Value("--free");
  return !mask || ParseFreeMask(kName, mask, kMinimumParameterCount, request.free, err);
}

int RunMinimum(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  if (!ParseArguments(kName, arguments, {{"--free", true}, {"--bootstrap", false}}, 5, 5, parsed,
                      err))
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
      << "chi2 " << Fixed(tab.chi2, 6) << '\n';
  if (request.bootstrap && tab.errorShown) out << "error " << Fixed(tab.minimumError, 8) << '\n';
  return kExitOk;
}

}  // namespace

extern const TCliCommand MinimumCommand = {
    kName, "time one minimum of a series by fitting the eclipse model",
    "Usage: ombrix-cli minimum <file.ofd> <object> <series> <start JD> <end JD>\n"
    "                          [--free <mask>] [--bootstrap]\n"
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
    "A good fit then prints \"time T\" (JD), \"points N\", \"chi2 X\" and, with\n"
    "--bootstrap, \"error E\" in days (left out when the resampled times spread\n"
    "by a day or more, as the program then leaves the error empty). A failed\n"
    "fit prints its failure text on the error output and exits with status 1.\n",
    RunMinimum};

}  // namespace ombrix_cli
