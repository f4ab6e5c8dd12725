// ombrix-cli hjd <JD> <RA> <Dec>: the heliocentric Julian date of one time.
#include <cmath>

#include "ombrix_cli/arguments.h"
#include "ombrix_cli/command.h"
#include "ombrix_model/astro.h"
#include "output.h"

namespace ombrix_cli {

namespace {

constexpr double kLargestJulianDate = 1e8;

int RunHjd(TArguments arguments, std::ostream& out, std::ostream& err) {
  if (arguments.size() != 3) {
    err << "ombrix-cli hjd: expected <JD> <RA> <Dec>; see \"ombrix-cli hjd --help\"\n";
    return kExitUsage;
  }
  double jd, ra, dec;
  const char* what = nullptr;
  // The solar theory means nothing for dates beyond some 270 000 years; such a
  // number is a typing error, not a date.
  if (!ParseNumber(arguments[0], jd) || std::fabs(jd) >= kLargestJulianDate) {
    err << "ombrix-cli hjd: \"" << arguments[0] << "\" is not a Julian date\n";
    return kExitUsage;
  }
  if (!ParseRightAscension(arguments[1], ra, what) || !ParseDeclination(arguments[2], dec, what)) {
    err << "ombrix-cli hjd: " << what << '\n';
    return kExitUsage;
  }
  out << Fixed(ombrix_model::HeliocentricJD(jd, ra, dec), 8) << '\n';
  return kExitOk;
}

}  // namespace

extern const TCliCommand HjdCommand = {
    "hjd", "heliocentric Julian date of a geocentric one",
    "Usage: ombrix-cli hjd <JD> <RA> <Dec>\n"
    "\n"
    "Prints the heliocentric Julian date, with 8 decimals, of the geocentric\n"
    "Julian date JD for a star at right ascension RA (hours) and declination\n"
    "Dec (degrees), J2000. RA and Dec are decimal (12.5, -5.5) or sexagesimal\n"
    "(12:30:05.1, -05:30:00, 12h30m05.1s).\n",
    RunHjd};

}  // namespace ombrix_cli
