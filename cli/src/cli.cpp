#include <cstring>
#include <string_view>

#include "ombrix_cli/arguments.h"
#include "ombrix_cli/command.h"

namespace ombrix_cli {

namespace {

void PrintCommandLines(TCommandList commands, std::ostream& out) {
  for (const TCliCommand* command : commands) {
    out << "  " << command->name;
    for (std::size_t n = std::strlen(command->name); n < 15; ++n) out << ' ';
    out << command->summary << '\n';
  }
}

void PrintProgramHelp(TCommandList more, std::ostream& out) {
  out << "Usage: ombrix-cli <command> [arguments]\n"
         "       ombrix-cli <command> --help\n"
         "\n"
         "Commands:\n";
  PrintCommandLines(Commands(), out);
  PrintCommandLines(more, out);
}

int UnknownCommand(const char* name, std::ostream& err) {
  err << "ombrix-cli: unknown command \"" << name
      << "\"; \"ombrix-cli --help\" lists the commands\n";
  return kExitUsage;
}

}  // namespace

int RunCli(TArguments arguments, std::ostream& out, std::ostream& err, TCommandList more) {
  if (arguments.size() < 2) {
    PrintProgramHelp(more, err);
    return kExitUsage;
  }
  const std::string_view first = arguments[1];
  if (IsHelpOption(first) || first == "help") {
    if (first == "help" && arguments.size() > 2) {
      const TCliCommand* command = FindCommand(arguments[2], more);
      if (command == nullptr) return UnknownCommand(arguments[2], err);
      out << command->help;
      return kExitOk;
    }
    PrintProgramHelp(more, out);
    return kExitOk;
  }
  const TCliCommand* command = FindCommand(arguments[1], more);
  if (command == nullptr) return UnknownCommand(arguments[1], err);
  const TArguments rest = arguments.subspan(2);
  for (const char* argument : rest) {
    if (IsHelpOption(argument)) {
      out << command->help;
      return kExitOk;
    }
  }
  return command->run(rest, out, err);
}

}  // namespace ombrix_cli
