// ombrix-cli series <file> [--ra <RA> --dec <Dec>]: reads a photometry series
// file as the program does and prints what it holds.
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string_view>

#include "ombrix_cli/arguments.h"
#include "ombrix_cli/command.h"
#include "ombrix_field/series_file.h"
#include "output.h"

namespace ombrix_cli {

namespace {

using namespace ombrix_data;

struct TSeriesRequest {
  const char* path = nullptr;
  const char* raText = nullptr;
  const char* decText = nullptr;
};

bool ParseSeriesArguments(TArguments arguments, TSeriesRequest& request, std::ostream& err) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    const bool isRa = argument == "--ra";
    if (isRa || argument == "--dec") {
      if (i + 1 >= arguments.size()) {
        err << "ombrix-cli series: " << argument << " needs a value\n";
        return false;
      }
      (isRa ? request.raText : request.decText) = arguments[++i];
    } else if (request.path == nullptr) {
      request.path = arguments[i];
    } else {
      err << "ombrix-cli series: unexpected argument \"" << argument << "\"\n";
      return false;
    }
  }
  if (request.path == nullptr) {
    err << "ombrix-cli series: expected <file>; see \"ombrix-cli series --help\"\n";
    return false;
  }
  if ((request.raText == nullptr) != (request.decText == nullptr)) {
    err << "ombrix-cli series: give both --ra and --dec, or neither\n";
    return false;
  }
  return true;
}

const char* JDTypeName(TJDType type) {
  switch (type) {
    case jdGeocentric: return "geocentric";
    case jdHeliocentric: return "heliocentric";
    case jdBarycentric: return "barycentric (BJD_TDB)";
    default: return "unknown";
  }
}

const char* UnitName(TValueUnit unit) {
  switch (unit) {
    case unitMagnitude: return "magnitude";
    case unitFlux: return "flux";
    default: return "unknown";
  }
}

// A fixed text field that may fill its array without a terminator.
std::string_view FixedText(const char* text, std::size_t size) {
  return {text, strnlen(text, size)};
}

void PrintSeries(const CSeriesTreeElem& series, std::ostream& out) {
  const CMetaData& data = series.dataMetaData;
  out << "# points " << series.pointCount << '\n'
      << "# jd_type " << JDTypeName(data.jdType) << '\n'
      << "# unit " << UnitName(data.valueUnit) << '\n'
      << "# filter " << FixedText(data.filter, sizeof data.filter) << '\n'
      << "# converted " << (series.converted ? "yes" : "no") << '\n';
  for (std::uint32_t i = 0; i < series.pointCount; ++i) {
    out << Fixed(series.time[i], 8) << ' ' << Fixed(series.value[i], 6) << ' '
        << Fixed(series.error[i], 6) << '\n';
  }
}

int RunSeries(TArguments arguments, std::ostream& out, std::ostream& err) {
  TSeriesRequest request;
  if (!ParseSeriesArguments(arguments, request, err)) return kExitUsage;
  double ra = kUnknownRA, dec = kUnknownDec;
  const char* what = nullptr;
  if (request.raText != nullptr && (!ParseRightAscension(request.raText, ra, what) ||
                                    !ParseDeclination(request.decText, dec, what))) {
    err << "ombrix-cli series: " << what << '\n';
    return kExitUsage;
  }

  auto series = std::make_unique<CLocalSeriesTreeElem>();
  if (std::strlen(request.path) > kPathHigh) {
    err << "ombrix-cli series: path longer than " << kPathHigh << " characters\n";
    return kExitUsage;
  }
  std::strcpy(series->relativePath, request.path);
  std::strcpy(series->absolutePath, request.path);
  char workingFolder[kPathHigh + 1] = "";
  if (getcwd(workingFolder, sizeof workingFolder) == nullptr) workingFolder[0] = 0;
  const TSeriesFolders folders{"", workingFolder};

  char errorText[kErrorTextHigh + 1] = "";
  const bool loaded = LoadSeriesFile(*series, folders, kErrorTextHigh, errorText);
  if (!loaded) {
    const std::string_view text = FixedText(errorText, sizeof errorText);
    if (text.empty())
      err << "No data points in file: " << request.path << '\n';
    else
      err << text << '\n';
    return kExitFailure;
  }
  if (request.raText == nullptr) {
    ra = series->dataMetaData.var.ra;
    dec = series->dataMetaData.var.dec;
  }
  ApplyHeliocentricConversion(*series, ra, dec);
  PrintSeries(*series, out);
  return kExitOk;
}

}  // namespace

extern const TCliCommand SeriesCommand = {
    "series", "read a photometry series file as the program does",
    "Usage: ombrix-cli series <file> [--ra <RA> --dec <Dec>]\n"
    "\n"
    "Reads the series file and converts geocentric or unknown times to\n"
    "heliocentric ones with the given coordinates (RA in hours, Dec in\n"
    "degrees, decimal or sexagesimal), else with the variable star's\n"
    "coordinates from the file. Prints \"# points N\", \"# jd_type\",\n"
    "\"# unit\", \"# filter\" and \"# converted\" lines, then one line per point:\n"
    "time with 8 decimals, value and error with 6. A file that cannot be read\n"
    "prints the reason and exits with status 1.\n",
    RunSeries};

}  // namespace ombrix_cli
