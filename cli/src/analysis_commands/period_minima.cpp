// ombrix-cli period-minima <file.ofd> <object> [--min P] [--limit R]
// [--secondary S]: "Find periods from minima instances" on an object.
#include "field_commands/object_choice.h"
#include "options.h"
#include "output.h"
#include "fit_input.h"
#include "ombrix_analysis/periods_minima.h"

namespace ombrix_cli {

namespace {

using namespace ombrix_analysis;
using ombrix_data::CPeriodListElem;

constexpr const char kName[] = "period-minima";

// Each option answers one field of the command's dialog.
constexpr struct {
  const char* option;
  const char* label;
} kDialogOptions[] = {
    {"--min", "Minimal period [d]:"},
    {"--limit", "Phase difference limit:"},
    {"--secondary", "Secondary minimum phase:"},
};

int RunPeriodMinima(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  if (!ParseArguments(kName, arguments, {{"--min", true}, {"--limit", true}, {"--secondary", true}},
                      2, 2, parsed, err))
    return kExitUsage;
  CPrintingUserIO io(out);
  for (const auto& [option, label] : kDialogOptions) {
    double number = 0.0;
    if (!NumberOption(kName, parsed, option, number, err)) return kExitUsage;
    if (const char* text = parsed.Value(option)) io.dialogAnswers.emplace_back(label, text);
  }

  ombrix_data::CField field;
  ombrix_data::CObjectListElem* object = nullptr;
  if (!LoadFieldObject(kName, parsed.positional[0], parsed.positional[1], field, object, out, err))
    return kExitFailure;
  TPeriodComboPane pane;
  const std::uint32_t ownPeriod = object->period != 0.0 ? 1 : 0;  // put first by the command
  if (!FindPeriodsFromMinima(*object, io, pane) || object->periods.count == ownPeriod)
    return ReportFailure(io, err);
  for (auto* e = object->periods.first; e; e = e->next) {
    const auto* entry = static_cast<const CPeriodListElem*>(e);
    out << "period " << Fixed(entry->period, 7) << " score " << Fixed(entry->score, 6) << '\n';
  }
  return kExitOk;
}

}  // namespace

extern const TCliCommand PeriodMinimaCommand = {
    kName, "search periods that fit an object's times of minima",
    "Usage: ombrix-cli period-minima <file.ofd> <object> [--min P] [--limit R]\n"
    "                                [--secondary S]\n"
    "\n"
    "Loads the field and searches the periods of at least --min days (default\n"
    "0.1) at which the object's enabled minima (at most the first 8) fall at\n"
    "consistent phases, primary minima at phase 0 and secondary ones at phase\n"
    "--secondary (default 0.5), with a score (length of the mean phase vector,\n"
    "1 at best) of at least --limit (default 0.999). Minima of undefined type\n"
    "are tried as both.\n"
    "\n" OMBRIX_CLI_OBJECT_HELP
    "\n" OMBRIX_CLI_MESSAGES_HELP
    "Then the object's period list as the program leaves it, one line\n"
    "\"period P score R\" each: the object's own period first (score 0) when it\n"
    "is set, then the periods found, best first. When no period is found the\n"
    "program's message text goes to the error output and the exit status is 1.\n",
    RunPeriodMinima};

}  // namespace ombrix_cli
