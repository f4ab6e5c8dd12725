// ombrix-cli fit <file.ofd> <object> [--free <mask>]: the phase-curve fit of
// an object, as "Fit checked parameters" runs it.
#include "fit_input.h"
#include "field_commands/object_choice.h"
#include "options.h"
#include "output.h"

namespace ombrix_cli {

namespace {

using namespace ombrix_analysis;
using ombrix_model::FitParameterCount;

constexpr const char kName[] = "fit";

void PrintFit(const TPhaseFitOutcome& outcome, const ombrix_model::TFitParameters& fit,
              std::ostream& out) {
  out << "status " << outcome.status << '\n'
      << "points " << outcome.pointCount << '\n'
      << "chi2 " << Fixed(outcome.initialChi2, 6) << ' ' << Fixed(outcome.finalChi2, 6) << '\n';
  for (int i = 0; i < FitParameterCount; ++i)
    out << ombrix_model::FitParameterKeywords[i] << ' ' << Fixed(fit.value[i], 6) << '\n';
}

int RunFit(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  if (!ParseArguments(kName, arguments, {{"--free", true}}, 2, 2, parsed, err)) return kExitUsage;
  TPhaseFitPane pane;
  std::fill(pane.free, pane.free + FitParameterCount, true);
  if (const char* mask = parsed.Value("--free");
      mask && !ParseFreeMask(kName, mask, FitParameterCount, pane.free, err))
    return kExitUsage;

  ombrix_data::CField field;
  ombrix_data::CObjectListElem* object = nullptr;
  if (!LoadFieldObject(kName, parsed.positional[0], parsed.positional[1], field, object, out, err))
    return kExitFailure;
  const std::vector<TFitPoint> points = PhasedFitPoints(*object);
  pane.points = points.data();
  pane.pointCount = points.size();
  std::copy(object->fit.value, object->fit.value + FitParameterCount, pane.fields);

  CPrintingUserIO io(out);
  TPhaseFitOutcome outcome;
  if (!FitPhaseCurve(pane, *object, io, &outcome)) return ReportFailure(io, err);
  PrintFit(outcome, object->fit, out);
  return kExitOk;
}

}  // namespace

extern const TCliCommand FitCommand = {
    kName, "fit the light-curve model to an object's phased curve",
    "Usage: ombrix-cli fit <file.ofd> <object> [--free <mask>]\n"
    "\n"
    "Loads the field and fits the light-curve model to the object's phased\n"
    "curve (every point of its enabled series, phased by its M0 and period\n"
    "into [-0.25, 0.75], with the series offsets), starting from the object's\n"
    "stored fit parameters (the defaults when it has none). --free gives\n"
    "sixteen characters, 1 for a free and 0 for a fixed parameter, in the\n"
    "order mag0 sec_phase a_pri d_pri g_pri c_pri a_sec d_sec g_sec c_sec\n"
    "a_sin1 a_cos1 a_sin2 a_cos2 a_sin3 a_cos3; without it every parameter is\n"
    "free.\n"
    "\n" OMBRIX_CLI_OBJECT_HELP
    "\n" OMBRIX_CLI_MESSAGES_HELP
    "A good fit then prints \"status S\", \"points N\", \"chi2 <initial> <final>\" and one\n"
    "line \"<keyword> <value>\" per parameter in that order. A failed fit\n"
    "prints its failure text on the error output and exits with status 1.\n"
    "The field file is not changed.\n",
    RunFit};

}  // namespace ombrix_cli
