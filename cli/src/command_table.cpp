// The one table of subcommands. A new subcommand adds its source file and
// one line here.
#include "ombrix_cli/command.h"

#include <cstring>
#include <initializer_list>
#include <iterator>

namespace ombrix_cli {

extern const TCliCommand HjdCommand;
extern const TCliCommand JsonCommand;
extern const TCliCommand SeriesCommand;
extern const TCliCommand FieldCommand;
extern const TCliCommand ResaveCommand;
extern const TCliCommand ExportCommand;
extern const TCliCommand FitCommand;
extern const TCliCommand MinimumCommand;
extern const TCliCommand FrequencyCommand;
extern const TCliCommand PeriodMinimaCommand;
extern const TCliCommand OCCommand;
extern const TCliCommand PlanCommand;
extern const TCliCommand RepoCommand;
extern const TCliCommand VsxCommand;

namespace {

const TCliCommand* const kCommands[] = {
    &HjdCommand,
    &JsonCommand,
    &SeriesCommand,
    &FieldCommand,
    &ResaveCommand,
    &ExportCommand,
    &FitCommand,
    &MinimumCommand,
    &FrequencyCommand,
    &PeriodMinimaCommand,
    &OCCommand,
    &PlanCommand,
    &RepoCommand,
    &VsxCommand,
};

}  // namespace

std::span<const TCliCommand* const> Commands() { return kCommands; }

const TCliCommand* FindCommand(const char* name, TCommandList more) {
  for (TCommandList list : {TCommandList(kCommands), more}) {
    for (const TCliCommand* command : list) {
      if (std::strcmp(command->name, name) == 0) return command;
    }
  }
  return nullptr;
}

}  // namespace ombrix_cli
