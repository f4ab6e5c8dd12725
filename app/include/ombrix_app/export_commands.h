// The export commands of the main window: series, minima and O-C text of the
// shown object, the minima of all objects, the field as CSV and as HTML with
// light-curve pictures, and "Copy Object Info" with its mask. The formats are
// the exports library's; here are the dialogs, settings and messages.
#pragma once

#include <cstdint>

namespace ombrix_app {

class COmbrix;

enum TExportCommand : std::uint32_t {
  cmExportFieldCSV = 1007, cmExportFieldHTML = 1008, cmExportAllMinima = 1009,
  cmExportPhasedSeries = 1041, cmExportPhasedTimeSeries = 1042, cmExportTimeSeriesMinusFit = 1043,
  cmExportMinimaList = 1045, cmExportETVData = 1046,
};

// True for the commands RunExportCommand handles (with 1040, 1044, 1080
// and 1081 of commands.h).
bool IsExportCommand(std::uint32_t command);
void RunExportCommand(COmbrix& window, std::uint32_t command);

}  // namespace ombrix_app
