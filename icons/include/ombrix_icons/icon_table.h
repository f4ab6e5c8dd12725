// The program's icon set: which SVG file draws each command, mark and the
// program itself. Files are named relative to the icon folder, which is
// "../share/ombrix/icons/" from the folder of the program file, both in the
// build tree (bin/ -> share/ombrix/icons/) and once installed
// (<prefix>/bin/ -> <prefix>/share/ombrix/icons/).
//
// Every file is drawn on a 24-unit grid (width="24" height="24"), so it scales
// to any icon size. Greyed (disabled) forms are not separate files: they are
// made from the normal form when it is rendered.
#pragma once

#include <cstdint>

namespace ombrix_icons {

// The icon folder relative to the folder of the program file.
inline constexpr const char* kIconFolderFromProgram = "../share/ombrix/icons/";

struct TCommandIcon {
  std::uint32_t command;  // menu or tool-box command number
  const char* file;       // relative to the icon folder
};

inline constexpr TCommandIcon kCommandIcons[] = {
    // Tool box, left to right; the menu items of the same commands share them.
    {1001, "tool/new-field.svg"},
    {1002, "tool/load-field.svg"},
    {1003, "tool/save-field.svg"},
    {1012, "tool/add-object.svg"},
    {1013, "tool/insert-object.svg"},
    {1014, "tool/remove-object.svg"},
    {1070, "tool/rescan-series.svg"},
    {1130, "tool/select-all-series.svg"},
    {1131, "tool/deselect-all-series.svg"},
    {1100, "tool/minima-list.svg"},
    {1150, "tool/select-all-minima.svg"},
    {1151, "tool/deselect-all-minima.svg"},
    {1101, "tool/minimum-parameters.svg"},
    {1141, "tool/show-deviation.svg"},
    {1140, "tool/show-minima.svg"},
    {4000, "tool/zoom-in.svg"},
    {4001, "tool/zoom-out.svg"},
    {4002, "tool/clear-zoom.svg"},
    // Menu items only.
    {1020, "menu/login.svg"},
    {1022, "menu/logout.svg"},
    {1040, "menu/export-time-series.svg"},
    {1046, "menu/etv.svg"},
    {1047, "menu/save-graph-bitmap.svg"},
    {1048, "menu/save-graph-svg.svg"},
    {1110, "menu/period-from-minima.svg"},
    {1111, "menu/frequency-analysis.svg"},
};

// Marks of the object list and the series list.
inline constexpr const char* kPublishedMark = "mark/published.svg";
inline constexpr const char* kImportedMark = "mark/imported.svg";
inline constexpr const char* kSeriesEnabledMark = "mark/series-enabled.svg";
inline constexpr const char* kSeriesDisabledMark = "mark/series-disabled.svg";

// The program's own icon (window, desktop entry).
inline constexpr const char* kApplicationIcon = "app/ombrix.svg";

// The file of a command's icon, or null when the command has none.
inline const char* CommandIconFile(std::uint32_t command) {
  for (const TCommandIcon& icon : kCommandIcons)
    if (icon.command == command) return icon.file;
  return nullptr;
}

}  // namespace ombrix_icons
