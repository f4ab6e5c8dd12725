// ombrix-cli resave <in.ofd> <out.ofd>: loads a field and saves it again.
#include "field_loading.h"
#include "ombrix_cli/command.h"

namespace ombrix_cli {

namespace {

int RunResave(TArguments arguments, std::ostream& out, std::ostream& err) {
  if (arguments.size() != 2) {
    err << "ombrix-cli resave: expected <in.ofd> <out.ofd>\n";
    return kExitUsage;
  }
  ombrix_data::CField field;
  if (!LoadFieldForCli(arguments[0], field, out, err)) return kExitFailure;
  CPrintingUserIO io(out);
  if (ombrix_data::SaveField(field, arguments[1], io)) return kExitOk;
  err << io.lastText << '\n';
  return kExitFailure;
}

}  // namespace

extern const TCliCommand ResaveCommand = {
    "resave", "load a field description file and save it again",
    "Usage: ombrix-cli resave <in.ofd> <out.ofd>\n"
    "\n"
    "Loads the field as \"ombrix-cli field\" does and saves it to <out.ofd>,\n"
    "keeping an existing <out.ofd> as <out.bak>. Exits with status 1 when\n"
    "loading or saving fails.\n",
    RunResave};

}  // namespace ombrix_cli
