// Number formatting of the subcommands' output.
#pragma once

#include <string>

namespace ombrix_cli {

// x in fixed notation with the given number of decimals ("%.*f").
std::string Fixed(double x, int decimals);

}  // namespace ombrix_cli
