// ombrix-repo: the web repository server observers run for their group.
#include <iostream>
#include <span>

#include "ombrix_repo/commands.h"

int main(int argc, char** argv) {
  return ombrix_repo::RunRepoCommand(std::span<const char* const>(argv, static_cast<std::size_t>(argc)), std::cin,
                                     std::cout, std::cerr);
}
