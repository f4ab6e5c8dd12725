// ombrix-cli oc <file.ofd> <object> [--quadratic]: the O-C of an object's
// minima and the ephemeris fitted to them, as the "ETV Diagram" tab shows.
#include <cmath>
#include <cstdio>
#include <string>

#include "field_commands/object_choice.h"
#include "fit_input.h"
#include "ombrix_analysis/ephemeris_fit.h"
#include "ombrix_model/time_scales.h"
#include "options.h"
#include "output.h"

namespace ombrix_cli {

namespace {

using namespace ombrix_analysis;

constexpr const char kName[] = "oc";

const char* TypeWord(ombrix_data::TMinimumType type) {
  switch (type) {
    case ombrix_data::minPrimary: return "primary";
    case ombrix_data::minSecondary: return "secondary";
    default: return "any";
  }
}

std::string Scientific(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6e", x);
  return text;
}

void PrintSolution(const char* name, const TEphemerisSolution& s, std::ostream& out) {
  out << name << " m0 " << Fixed(s.m0, 8) << " error " << Fixed(s.m0Error, 8) << '\n'
      << name << " period " << Fixed(s.period, 9) << " error " << Fixed(s.periodError, 9) << '\n';
  if (s.terms == 3) out << name << " dpde " << Scientific(s.dPdE) << " error " << Scientific(s.dPdEError) << '\n';
  out << name << " rms " << Fixed(s.rms, 8) << '\n'
      << name << " chi2 " << (std::isnan(s.reducedChi2) ? std::string("n/a") : Fixed(s.reducedChi2, 4)) << '\n';
}

int RunOC(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  if (!ParseArguments(kName, arguments, {{"--quadratic", false}}, 2, 2, parsed, err)) return kExitUsage;
  ombrix_data::CField field;
  ombrix_data::CObjectListElem* object = nullptr;
  if (!LoadFieldObject(kName, parsed.positional[0], parsed.positional[1], field, object, out, err))
    return kExitFailure;
  TOCAnalysis analysis;
  std::string failure;
  if (!AnalyseOC(*object, analysis, failure)) {
    err << failure << '\n';
    return kExitFailure;
  }
  const bool quadratic = parsed.Has("--quadratic");
  if (quadratic && !analysis.quadratic.valid) {
    err << "At least 4 enabled minima on 3 cycles are needed for a quadratic ephemeris.\n";
    return kExitFailure;
  }
  out << "scale " << ombrix_model::TimeScaleLabel(analysis.scale) << '\n';
  for (const TOCPoint& p : analysis.points) {
    const double residual = quadratic ? p.quadraticResidual : p.linearResidual;
    out << "minimum " << Fixed(p.minimum.time, 8) << ' ' << TypeWord(p.minimum.type) << " cycle "
        << Fixed(p.cycle, 1) << " oc " << Fixed(p.oc, 8) << " residual " << Fixed(residual, 8) << '\n';
  }
  PrintSolution("linear", analysis.linear, out);
  if (quadratic) PrintSolution("quadratic", analysis.quadratic, out);
  return kExitOk;
}

}  // namespace

extern const TCliCommand OCCommand = {
    kName, "O-C of an object's minima and the ephemeris fitted to them",
    "Usage: ombrix-cli oc <file.ofd> <object> [--quadratic]\n"
    "\n"
    "Loads the field and counts the cycles of the object's enabled minima (of\n"
    "its enabled series) against its M0 and period: primary minima at whole\n"
    "cycles, secondary ones at half cycles. Minima of other time scales are\n"
    "converted to the scale of M0 through the object's coordinates. Then it\n"
    "fits a linear ephemeris T = M0 + P E by weighted least squares (weights\n"
    "1/error^2; errors of 0 take the median of the others), and with\n"
    "--quadratic also T = M0 + P E + Q E^2.\n"
    "\n" OMBRIX_CLI_OBJECT_HELP
    "\n"
    "It prints \"scale S\" (HJD, BJD_TDB or GJD), one line \"minimum T type\n"
    "cycle E oc O-C residual R\" per minimum (R against the linear fit, or the\n"
    "quadratic one with --quadratic), then \"linear m0 T error E\", \"linear\n"
    "period P error E\", \"linear rms R\" and \"linear chi2 X\" (the reduced\n"
    "chi-square, n/a without timing errors); with --quadratic the same lines\n"
    "for \"quadratic\" and \"quadratic dpde D error E\" (dP/dE = 2 Q, days per\n"
    "cycle). Errors are scaled up by the square root of the reduced chi-square\n"
    "when it exceeds 1. Failures (M0 or period not set, fewer than 3 minima,\n"
    "scales that cannot be combined) go to the error output with status 1.\n",
    RunOC};

}  // namespace ombrix_cli
