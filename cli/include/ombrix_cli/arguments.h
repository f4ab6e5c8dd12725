// Number and angle arguments of the subcommands.
#pragma once

#include <string_view>

namespace ombrix_cli {

// A finite decimal number taking the whole text.
bool ParseNumber(std::string_view text, double& value);

// Hours or degrees, decimal ("12.5", "-5.25") or sexagesimal with three parts
// ("12:30:05.1", "-05:30:00", "12h30m05s", "-5d30m0"): a leading sign, whole
// units, whole minutes below 60 and seconds below 60. A "-" makes the whole
// value negative, also with 0 units.
bool ParseAngle(std::string_view text, double& value);

// Right ascension in hours within [0, 24) and declination in degrees within
// [-90, 90], as radians. False, with `what` naming the fault, otherwise.
bool ParseRightAscension(std::string_view text, double& radians, const char*& what);
bool ParseDeclination(std::string_view text, double& radians, const char*& what);

// True for "--help" and "-h".
bool IsHelpOption(std::string_view text);

}  // namespace ombrix_cli
