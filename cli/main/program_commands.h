// Subcommands the ombrix-cli program adds to its library's: the chart
// drawing when the program is built with the GUI libraries, none otherwise.
#pragma once

#include "ombrix_cli/command.h"

namespace ombrix_cli {

TCommandList ProgramCommands();

}  // namespace ombrix_cli
