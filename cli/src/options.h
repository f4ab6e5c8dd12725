// Splitting a subcommand's arguments into positional words and options.
#pragma once

#include <initializer_list>
#include <utility>
#include <ostream>
#include <string_view>
#include <vector>

#include "ombrix_cli/command.h"

namespace ombrix_cli {

// An option a subcommand accepts: "--name value" or the flag "--name".
struct TOptionRule {
  const char* name;  // with the leading "--"
  bool takesValue;
};

struct TParsedArguments {
  std::vector<const char*> positional;
  // Options given, in order; a flag's value is null. A repeated option
  // counts once more, and Value returns its last value.
  std::vector<std::pair<std::string_view, const char*>> options;

  bool Has(std::string_view name) const;
  // The option's last value, or null when it was not given.
  const char* Value(std::string_view name) const;
};

// Splits the arguments; false after printing "ombrix-cli <command>: ..." to
// `err` for an unknown option, an option without its value or a positional
// count outside [minPositional, maxPositional]. A word that starts with "--"
// is an option; anything else (also "-1.5") is positional.
bool ParseArguments(const char* command, TArguments arguments,
                    std::initializer_list<TOptionRule> rules, std::size_t minPositional,
                    std::size_t maxPositional, TParsedArguments& parsed, std::ostream& err);

// Reads a finite number option; false after printing the fault to `err`.
// `value` keeps its default when the option was not given.
bool NumberOption(const char* command, const TParsedArguments& parsed, std::string_view name,
                  double& value, std::ostream& err);

}  // namespace ombrix_cli
