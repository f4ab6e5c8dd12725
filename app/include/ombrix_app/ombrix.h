// The main window: menu bar, tool box, status bar, settings, recent files,
// title and the command dispatcher.
#pragma once

#include <cstdint>

#include <ombrix_field/filters.h>
#include <winkit/winkit.h>

#include "ombrix_app/settings.h"

namespace ombrix_app {

// Status bar fields, left to right.
enum TStatusField { sfObjects, sfSeries, sfModified, sfSeriesSource, sfTimeScale, sfCount };

class COmbrix : public vwin::CWindow {
 public:
  COmbrix();
  ~COmbrix() override;

  // Loads the settings and builds menu bar, tool box, status bar and the
  // window at the stored rectangle.
  bool Build();
  void Done() override;
  bool CanClose() override;
  void ReceiveEvent(vcore::TEvent& event) override;

  // Runs one command as the menu would.
  void Command(std::uint32_t command);

  // Title "OMBRIX - <path>" with "*" when modified.
  void UpdateTitle();
  void UpdateStatusBar();
  // Recent-file entries of the "Field" menu from the list.
  void RebuildRecentMenu();

  bool IsModified() const { return modified; }

  TSettings settings;
  CRecentFiles recent;
  ombrix_data::CFilterTable filters;
  char fieldPath[kPathHigh + 1] = {};
  bool modified = false;

  view::CMenuBar menuBar;
  vtool::CGravityBreakToolBox toolBox;
  vwin::CStatusBar statusBar;
  vcalcon::CDateTimePicker dateTimePicker;
  vcont::CComboBox variabilityTypes;
  view::CAccelerators accelerators;

 private:
  void BuildMenuBar();
  void BuildToolBox();
  void SetMenuChecks();
  void SetLoggedOutState();
  bool Toggle(std::uint32_t command);
  void ToggleMinimaList();
  void NotAvailable();
  void About();

  view::CPopUpMenu* fieldMenu = nullptr;  // owned by the menu bar
  vgr::CIcon toolIcons[32];
  bool built = false;
};

}  // namespace ombrix_app
