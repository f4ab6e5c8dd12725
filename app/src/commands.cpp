#include "ombrix_app/commands.h"

#include <cstring>

#include <winkit/vstock.h>

namespace ombrix_app {

namespace {

constexpr TMenuEntry Sub(const char* label) { return {meSubmenu, 0, label, nullptr}; }
constexpr TMenuEntry End() { return {meEnd, 0, nullptr, nullptr}; }
constexpr TMenuEntry Item(std::uint32_t command, const char* label, const char* shortcut = nullptr) {
  return {meItem, command, label, shortcut};
}

// A null label stands for the framework's own texts of the Help menu.
const TMenuEntry kMenu[] = {
    Sub("Field"),
      Item(1001, "New Field", "Ctrl+N"),
      Item(1002, "Load Field...", "Ctrl+O"),
      Item(1003, "Save Field", "Ctrl+S"),
      Item(1004, "Save Field As..."),
      Item(1071, "(Re)Scan Entire Field..."),
      Item(1016, "Load Alternate Names..."),
      Item(1007, "Export Field into CSV..."),
      Item(1008, "Export Field into HTML..."),
      Item(1009, "Export Minima of All Objects"),
      Sub("Statistics"),
        Item(1010, "Include All Series..."),
        Item(1011, "Only Series <1d (Exclude Surveys)..."),
      End(),
      Sub("Web Repository..."),
        Item(1020, "Login to Repository"),
        Item(1021, "Change Password..."),
        Item(1022, "Logout from Repository"),
        Item(1023, "Synchronize Field with Repository"),
        Item(1024, "Define Web Repository..."),
      End(),
      Item(1090, "Query VSX for all objects..."),
      Item(1006, "Define Filter Color Assignment..."),
      Item(1005, "Define Root Directory..."),
      Sub("Time Scale"),
        Item(1196, "HJD (heliocentric, UTC)"),
        Item(1197, "BJD_TDB (barycentric, TDB)"),
      End(),
    End(),
    Sub("Objects"),
      Item(1012, "Add Object...", "Ctrl+A"),
      Item(1013, "Insert Object...", "Ctrl+I"),
      Item(1014, "Remove Object"),
      Item(1015, "Rename Object...", "F2"),
      Sub("Sort Objects"),
        Item(1017, "By Name"),
        Item(1018, "By R.A."),
        Item(1019, "By Dec."),
      End(),
      Sub("Web Rrepository"),
        Item(1025, "Add Objects from Repository..."),
        Item(1026, "Insert Objects from Repository..."),
        Item(1029, "Synchronize Object with Repository"),
        Item(1027, "Publish Object in Repository"),
        Item(1028, "Unpublish Object in Repository"),
      End(),
      Item(1091, "Query VSX for selected object...", "Ctrl+Q"),
      Sub("Fit Parameters"),
        Item(1061, "Save Fit Parameters..."),
        Item(1060, "Load Fit Parameters..."),
        Item(1063, "Copy Fit Parameters..."),
        Item(1062, "Paste Fit Parameters..."),
      End(),
      Sub("Object Data"),
        Item(1066, "Save Object Data..."),
        Item(1065, "Load Object Data..."),
        Item(1068, "Copy Object Data..."),
        Item(1067, "Paste Object Data..."),
      End(),
      Sub("Export"),
        Item(1040, "Time Series...", "Ctrl+E"),
        Item(1041, "Phased Series..."),
        Item(1042, "Phased Time Series..."),
        Item(1043, "Time Series minus Fit..."),
        Item(1044, "Individual Series minus Fit...", "Ctrl+F"),
        Item(1045, "Minima List"),
        Item(1046, "ETV Data"),
      End(),
      Sub("Save Graph"),
        Item(1047, "As Bitmap..."),
        Item(1048, "As SVG..."),
      End(),
      Item(1080, "Copy Object Info", "Ctrl+K"),
      Item(1081, "Define Copy Info Mask..."),
      Item(1085, "Automatically accept M0, P changes"),
    End(),
    Sub("Series"),
      Item(1130, "Select all series"),
      Item(1131, "Deselect all series"),
      Item(1132, "Select series by filter..."),
      Item(1133, "Select series by contributor..."),
      Item(1070, "(Re)Scan File Series...", "Ctrl+R"),
      Sub("Series Offsets"),
        Item(1055, "Level series by Median"),
        Item(1056, "Level series by Range"),
        Item(1057, "Level series by Average"),
        Item(1051, "Save series offsets..."),
        Item(1050, "Load series offsets..."),
        Item(1053, "Copy series offsets..."),
        Item(1052, "Paste series offsets..."),
        Item(1054, "Clear all series offsets..."),
      End(),
      Item(1141, "Show standard deviation"),
      Item(1142, "Show \"now\" line in phased curve"),
      Item(1143, "Show date/time line in phased curve"),
    End(),
    Sub("Minima"),
      Item(1100, "List of minima"),
      Item(1150, "Select all minima"),
      Item(1151, "Deselect all minima"),
      Item(1101, "Minimum parameters..."),
      Item(1102, "Remove minimum..."),
      Item(1140, "Show minima instances"),
    End(),
    Sub("Periods"),
      Item(1110, "Find Periods from Minima instances..."),
      Item(1111, "Find Periods by Frequency Analysis..."),
      Item(1112, "Tonight's Eclipses..."),
    End(),
    Sub(nullptr),
      Item(1190, "User's Guide..."),
      Item(1191, nullptr),
      Item(1192, "Check Version on Start"),
    End(),
};

const TToolEntry kTools[] = {
    {1001, false}, {1002, false}, {1003, false}, {0, false},
    {1012, false}, {1013, false}, {1014, false}, {0, false},
    {1070, false}, {1130, false}, {1131, false}, {0, false},
    {1100, true},  {1150, false}, {1151, false}, {1101, false}, {0, false},
    {1141, true},  {1140, true},  {0, false},
    {kToolControls, false},
    {kToolRight, false},
    {4000, false}, {4001, false}, {4002, false},
};

}  // namespace

const TMenuEntry* MenuLayout(std::uint32_t& count) {
  count = sizeof kMenu / sizeof kMenu[0];
  return kMenu;
}

const TToolEntry* ToolLayout(std::uint32_t& count) {
  count = sizeof kTools / sizeof kTools[0];
  return kTools;
}

const char* CommandLabel(std::uint32_t command) {
  switch (command) {
    case cmZoomIn: return "Zoom in";
    case cmZoomOut: return "Zoom out";
    case cmClearZoom: return "Clear zoom";
    case cmAbout: return vstock::Text(vstock::stAbout);
    default: break;
  }
  for (const TMenuEntry& e : kMenu)
    if (e.kind == meItem && e.command == command) return e.label;
  return "";
}

}  // namespace ombrix_app
