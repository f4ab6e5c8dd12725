// ombrix-cli json <file>: parses a JSON document and prints it as the
// program's writer writes it, or the parser's error text.
#include "ombrix_cli/command.h"
#include "ombrix_net/sjson.h"

namespace ombrix_cli {

namespace {

int RunJson(TArguments arguments, std::ostream& out, std::ostream& err) {
  if (arguments.size() != 1) {
    err << "ombrix-cli json: expected <file>; see \"ombrix-cli json --help\"\n";
    return kExitUsage;
  }
  sjson::Init_();
  sjson::TJSONText text;
  char errorText[sjson::kErrorTextLength] = {};
  const bool parsed = sjson::ReformatFile(arguments[0], text, errorText);
  if (parsed) out.write(text.data, static_cast<std::streamsize>(text.length));
  sjson::DoneText(text);
  if (!parsed) {
    out << "error: " << errorText << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

extern const TCliCommand JsonCommand = {
    "json", "parse a JSON document and print it as the program writes it",
    "Usage: ombrix-cli json <file>\n"
    "\n"
    "Parses the file and prints the document in the program's own layout\n"
    "(tabs, CR LF line ends). A document that does not parse prints\n"
    "\"error: <reason>\" and exits with status 1.\n",
    RunJson};

}  // namespace ombrix_cli
