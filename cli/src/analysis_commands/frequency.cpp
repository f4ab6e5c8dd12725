// ombrix-cli frequency <file.ofd> <object> [--min P] [--max P] [--step S]:
// "Find periods by Frequency analysis" on an object.
#include <chrono>
#include <charconv>
#include <cstdio>

#include "field_commands/object_choice.h"
#include "options.h"
#include "output.h"
#include "fit_input.h"
#include "ombrix_analysis/frequency_analysis.h"
#include "ombrix_analysis/frequency_headless_dialog.h"
#include "ombrix_analysis/minimum_fit.h"

namespace ombrix_cli {

namespace {

using namespace ombrix_analysis;
using ombrix_data::CObjectListElem;
using ombrix_data::CPeriodListElem;

constexpr const char kName[] = "frequency";

// Ten significant digits with the decimal point whatever the locale.
std::string General(double x) {
  char text[40];
  const auto result = std::to_chars(text, text + sizeof text, x, std::chars_format::general, 10);
  return std::string(text, result.ptr);
}

// The entries the command appended: the last `count` of the list.
void PrintAdded(const CObjectListElem& object, std::uint32_t count, std::ostream& out) {
  TFrequencyInput input;
  BuildFrequencyInput(object, input);
  const CTrialScorer scorer(static_cast<std::uint32_t>(input.values.size()), input.values.data(),
                            input.times.data(), input.weights.data());
  const bool doubled = IsEclipsingType(object.variabilityType);
  std::uint32_t skip = object.periods.count - count;
  for (auto* e = object.periods.first; e; e = e->next) {
    if (skip > 0) {
      --skip;
      continue;
    }
    const double period = static_cast<const CPeriodListElem*>(e)->period;
    const double trial = doubled ? period / 2.0 : period;
    out << "period " << Fixed(period, 7) << " value " << General(scorer.ValueAt(trial)) << '\n';
  }
}

int RunFrequency(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  if (!ParseArguments(kName, arguments, {{"--min", true}, {"--max", true}, {"--step", true}}, 2, 2,
                      parsed, err))
    return kExitUsage;
  TFrequencySettings settings;
  if (!NumberOption(kName, parsed, "--min", settings.minPeriod, err) ||
      !NumberOption(kName, parsed, "--max", settings.maxPeriod, err) ||
      !NumberOption(kName, parsed, "--step", settings.resolution, err))
    return kExitUsage;

  ombrix_data::CField field;
  CObjectListElem* object = nullptr;
  if (!LoadFieldObject(kName, parsed.positional[0], parsed.positional[1], field, object, out, err))
    return kExitFailure;

  CPrintingUserIO io(out);
  CHeadlessFrequencyDialog dialog;
  TPeriodComboPane pane;
  const std::uint32_t before = object->periods.count;
  const auto started = std::chrono::steady_clock::now();
  const bool found =
      FindPeriodsByFrequencyAnalysis(*object, settings, ProcessorCount(), io, dialog, pane);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
  if (!found) {
    if (!io.lastText.empty()) return ReportFailure(io, err);
    err << "ombrix-cli frequency: the enabled series hold " << CountEnabledPoints(*object)
        << " points; the analysis needs at least " << kMinFrequencyPoints + 1 << "\n";
    return kExitFailure;
  }
  const std::uint32_t prepended = object->period != 0.0 ? 1 : 0;
  PrintAdded(*object, object->periods.count - before - prepended, out);
  out << "trials " << FrequencyTrialCount(settings) << " seconds " << Fixed(elapsed.count(), 3)
      << '\n';
  return kExitOk;
}

}  // namespace

extern const TCliCommand FrequencyCommand = {
    kName, "search periods by frequency analysis of an object's series",
    "Usage: ombrix-cli frequency <file.ofd> <object> [--min P] [--max P] [--step S]\n"
    "\n"
    "Loads the field and scans trial periods from --min to --max days in steps\n"
    "of about --step days (defaults 0.1, 2 and 0.00001, the program's settings\n"
    "defaults) over every point of the object's enabled series, on one worker\n"
    "per processor. The three periods with the highest response are those the\n"
    "program adds to the object's period list, doubled for types beginning\n"
    "\"EA\", \"EB\" or \"EW\".\n"
    "\n" OMBRIX_CLI_OBJECT_HELP
    "\n" OMBRIX_CLI_MESSAGES_HELP
    "Then one line \"period P value V\" per added period, best first (V is the\n"
    "periodogram value of the trial), and \"trials K seconds S\". When nothing\n"
    "is found, or the series hold 3 points or fewer, the reason goes to the\n"
    "error output and the exit status is 1.\n",
    RunFrequency};

}  // namespace ombrix_cli
