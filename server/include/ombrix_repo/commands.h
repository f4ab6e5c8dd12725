// The commands of the ombrix-repo program.
//
//   ombrix-repo serve --db FILE [--listen HOST:PORT] [--prefix /path/] [--cert F --key F]
//   ombrix-repo user add|passwd|remove|list --db FILE [NAME] [--password P] [--name TEXT] [--access TEXT]
//   ombrix-repo backup --db FILE OUT
#pragma once

#include <istream>
#include <ostream>
#include <span>

namespace ombrix_repo {

// Runs the program with its arguments (arguments[0] is the program name).
// "serve" runs until SIGTERM or SIGINT. Passwords not given with --password
// are read as one line from `in`. Returns the exit code.
int RunRepoCommand(std::span<const char* const> arguments, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace ombrix_repo
