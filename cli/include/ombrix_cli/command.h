// Subcommands of ombrix-cli and the dispatcher that runs them.
#pragma once

#include <ostream>
#include <span>

namespace ombrix_cli {

// Exit codes of the program.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the work itself failed (unreadable file)
inline constexpr int kExitUsage = 2;    // wrong arguments

// Arguments after the subcommand's name.
using TArguments = std::span<const char* const>;

// One subcommand. Each lives in its own source file and is listed once in the
// command table.
struct TCliCommand {
  const char* name;     // the word after the program name
  const char* summary;  // one line for the program's help
  const char* help;     // the subcommand's help: usage line and description
  int (*run)(TArguments arguments, std::ostream& out, std::ostream& err);
};

// Every subcommand, in the order the program's help lists them.
std::span<const TCliCommand* const> Commands();

// Subcommands the program adds to those of this library (the chart drawing of
// a build with the GUI libraries), listed after them.
using TCommandList = std::span<const TCliCommand* const>;

// The subcommand of that name among Commands() and `more`, or null.
const TCliCommand* FindCommand(const char* name, TCommandList more = {});

// Runs the program with its arguments (arguments[0] is the program name):
// "--help", "help [command]", "<command> --help" or "<command> args...".
int RunCli(TArguments arguments, std::ostream& out, std::ostream& err, TCommandList more = {});

}  // namespace ombrix_cli
