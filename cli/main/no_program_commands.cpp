// A build without the GUI libraries draws no charts: the program has only
// its library's subcommands.
#include "program_commands.h"

namespace ombrix_cli {

TCommandList ProgramCommands() { return {}; }

}  // namespace ombrix_cli
