// Command numbers of the main window and the layout of its menu bar and
// tool box.
#pragma once

#include <cstdint>

namespace ombrix_app {

enum TCommand : std::uint32_t {
  cmNewField = 1001, cmLoadField = 1002, cmSaveField = 1003, cmSaveFieldAs = 1004,
  cmRootPath = 1005, cmFilterTable = 1006, cmStatisticsAll = 1010, cmStatisticsShort = 1011,
  cmAddObject = 1012, cmInsertObject = 1013, cmRemoveObject = 1014, cmRenameObject = 1015,
  cmLoadAlternateNames = 1016,
  cmSortByName = 1017, cmSortByRA = 1018, cmSortByDec = 1019,
  cmLogin = 1020, cmChangePassword = 1021, cmLogout = 1022, cmSyncField = 1023, cmDefineRepository = 1024,
  cmRepoAddObjects = 1025, cmRepoInsertObjects = 1026, cmPublish = 1027, cmUnpublish = 1028, cmSyncObject = 1029,
  cmExportTimeSeries = 1040, cmExportIndividualMinusFit = 1044, cmExportChartImage = 1047, cmExportChartSVG = 1048,
  cmLevelByMedian = 1055, cmLevelByRange = 1056, cmLevelByAverage = 1057,
  cmScanSeries = 1070, cmScanField = 1071, cmCopyObjectInfo = 1080, cmCopyInfoMask = 1081,
  cmAutoAcceptM0Period = 1085, cmVsxSelected = 1091,
  cmMinimaList = 1100, cmMinimumParameters = 1101, cmRemoveMinimum = 1102,
  cmFindPeriodsMinima = 1110, cmFindPeriodsFrequency = 1111,
  cmSelectAllSeries = 1130, cmDeselectAllSeries = 1131, cmSelectSeriesByFilter = 1132,
  cmSelectSeriesByContributor = 1133,
  cmShowMinima = 1140, cmShowDev = 1141, cmShowNow = 1142, cmShowTime = 1143,
  cmSelectAllMinima = 1150, cmDeselectAllMinima = 1151,
  cmUsersGuide = 1190, cmAbout = 1191, cmCheckVersion = 1192,
  cmTimeScaleHJD = 1196, cmTimeScaleBJD = 1197, cmTonightEclipses = 1112,
  cmFieldChanged = 1400, cmFieldUnchanged = 1401, cmUpdateStatus = 1402,
  cmZoomIn = 4000, cmZoomOut = 4001, cmClearZoom = 4002,
  cmRecentFirst = 60000, cmRecentLast = 60007,
};

// One line of the menu layout: items, separator lines and submenus.
enum TMenuEntryKind { meItem, meLine, meSubmenu, meEnd };

struct TMenuEntry {
  TMenuEntryKind kind;
  std::uint32_t command;   // items
  const char* label;       // items and submenus (null: the framework's text)
  const char* shortcut;    // shown beside the label, or null
};

// The menu bar, top-level menus first: each is a meSubmenu ... meEnd group.
const TMenuEntry* MenuLayout(std::uint32_t& count);

// The tool box buttons in order; 0 marks a gap, kToolControls the place of
// the date/time picker and the variability-type combo box, kToolRight the
// start of the right-aligned group.
inline constexpr std::uint32_t kToolControls = 1;
inline constexpr std::uint32_t kToolRight = 2;
struct TToolEntry {
  std::uint32_t command;
  bool toggle;
};
const TToolEntry* ToolLayout(std::uint32_t& count);

// Label of a command in the menu layout (tooltips of tool buttons), or "".
const char* CommandLabel(std::uint32_t command);

}  // namespace ombrix_app
