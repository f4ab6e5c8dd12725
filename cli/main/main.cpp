#include <iostream>

#include "ombrix_cli/command.h"
#include "program_commands.h"

int main(int argc, char** argv) {
  return ombrix_cli::RunCli({argv, static_cast<std::size_t>(argc)}, std::cout, std::cerr,
                            ombrix_cli::ProgramCommands());
}
