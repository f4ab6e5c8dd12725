#include "options.h"

#include <algorithm>

#include "ombrix_cli/arguments.h"

namespace ombrix_cli {

bool TParsedArguments::Has(std::string_view name) const {
  return std::any_of(options.begin(), options.end(), [&](const auto& o) { return o.first == name; });
}

const char* TParsedArguments::Value(std::string_view name) const {
  const char* value = nullptr;
  for (const auto& [option, text] : options)
    if (option == name) value = text;
  return value;
}

bool ParseArguments(const char* command, TArguments arguments,
                    std::initializer_list<TOptionRule> rules, std::size_t minPositional,
                    std::size_t maxPositional, TParsedArguments& parsed, std::ostream& err) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view word = arguments[i];
    if (!word.starts_with("--")) {
      parsed.positional.push_back(arguments[i]);
      continue;
    }
    const auto rule = std::find_if(rules.begin(), rules.end(),
                                   [&](const TOptionRule& s) { return word == s.name; });
    if (rule == rules.end()) {
      err << "ombrix-cli " << command << ": unknown option \"" << word << "\"\n";
      return false;
    }
    if (!rule->takesValue) {
      parsed.options.emplace_back(rule->name, nullptr);
      continue;
    }
    if (i + 1 >= arguments.size()) {
      err << "ombrix-cli " << command << ": " << word << " needs a value\n";
      return false;
    }
    parsed.options.emplace_back(rule->name, arguments[++i]);
  }
  const std::size_t count = parsed.positional.size();
  if (count < minPositional || count > maxPositional) {
    err << "ombrix-cli " << command << ": wrong number of arguments; see \"ombrix-cli " << command
        << " --help\"\n";
    return false;
  }
  return true;
}

bool NumberOption(const char* command, const TParsedArguments& parsed, std::string_view name,
                  double& value, std::ostream& err) {
  const char* text = parsed.Value(name);
  if (text == nullptr) return true;
  if (ParseNumber(text, value)) return true;
  err << "ombrix-cli " << command << ": " << name << " needs a number, not \"" << text << "\"\n";
  return false;
}

}  // namespace ombrix_cli
