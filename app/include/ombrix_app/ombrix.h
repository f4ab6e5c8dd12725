// The main window: menu bar, tool box, status bar, settings, recent files,
// title and the command dispatcher.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <ombrix_field/filters.h>
#include <ombrix_model/time_scales.h>
#include <ombrix_field/ofd.h>
#include <winkit/winkit.h>

#include "ombrix_app/dialog_user_io.h"
#include "ombrix_app/lookups.h"
#include "ombrix_app/pane.h"
#include "ombrix_app/repository.h"
#include "ombrix_app/settings.h"

namespace ombrix_app {

// Status bar fields, left to right.
enum TStatusField { sfObjects, sfSeries, sfModified, sfSeriesSource, sfTimeScale, sfCount };

// Starts the GUI framework's modules and the field model's, in the order the
// program needs them (before any window is built).
void InitModules();

class COmbrix : public vwin::CWindow {
 public:
  COmbrix();
  ~COmbrix() override;

  // Loads the settings and builds menu bar, tool box, status bar and the
  // window at the stored rectangle.
  bool Build();
  void Done() override;
  bool CanClose() override;
  // Creates the main pane in the client area and keeps it fitted to it.
  void CreateInterior() override;
  void NewRect(const vcom::CRect& rect) override;
  void ReceiveEvent(vcore::TEvent& event) override;

  // Runs one command as the menu would.
  void Command(std::uint32_t command);

  // Title "OMBRIX - <path>" with "*" when modified.
  void UpdateTitle();
  void UpdateStatusBar();
  // Recent-file entries of the "Field" menu from the list.
  void RebuildRecentMenu();

  // The "Field" menu on the pane's field: each asks about unsaved changes
  // first where the field is replaced.
  void NewField();
  void LoadField();
  void LoadRecent(std::uint32_t index);
  // false when nothing was saved (cancelled or failed).
  bool SaveField();
  bool SaveFieldAs();
  // Loads path into the field with progress and messages, then updates the
  // recent files, title and status bar. false when the load failed (the
  // field is then empty).
  bool OpenField(const char* path);
  // Where loads find series files and send their messages.
  ombrix_data::TFieldLoadContext LoadContext();

  // The flag, or notes edited in the pane and not stored yet.
  bool IsModified() const { return modified || pane.NotesModified(); }

  TSettings settings;
  CRecentFiles recent;
  ombrix_data::CFilterTable filters;
  char fieldPath[kPathHigh + 1] = {};
  bool modified = false;
  char programFolder[kPathHigh + 1] = {};  // folder of the program file, with '/'
  CDialogUserIO userIO;                    // messages and questions of the model

  view::CMenuBar menuBar;
  vtool::CGravityBreakToolBox toolBox;
  vwin::CStatusBar statusBar;
  vcalcon::CDateTimePicker dateTimePicker;
  vcont::CComboBox variabilityTypes;
  view::CAccelerators accelerators;
  COmbrixPane pane;  // object, series and minima lists and the tabs; owns the field
  CRepositoryLink repository{*this};  // repository commands and client; goes before the field
  CVsxLookup vsx{*this};              // "Query VSX ..." on a worker thread
  CVersionCheck versionCheck{*this};  // the newest release, checked at start

 private:
  void BuildMenuBar();
  void BuildToolBox();
  void BuildStatusBar();
  // The variability-type combo box changed: the selected object takes its text.
  void VariabilityTypeChanged();
  void SetMenuChecks();
  void SetLoggedOutState();
  bool Toggle(std::uint32_t command);
  void ToggleMinimaList();
  // The date/time picker works while its line is on and a phased chart shows.
  void ShowDateTimePicker();
  void NotAvailable();
  void About();
  // "User's Guide...": the guide's PDF opened with the desktop's viewer.
  void UsersGuide();
  // The time scale of the settings into the field loader and the menu checks.
  void ApplyTimeScaleSetting();
  void ChooseTimeScale(ombrix_model::TTimeScale scale);

 public:
  // Where the guide is: beside the program, else in the installation's
  // documents; the first place when none has it.
  std::string UsersGuidePath() const;
  // The path of an icon file of the program's icon set (a name of
  // ombrix_icons/icon_table.h): "../share/ombrix/icons/" from the program's
  // folder, in the build tree as once installed.
  std::string IconPath(const char* file) const;

 private:
  // Asks whether to save a modified field before it is replaced; false when
  // the user cancelled or the save failed.
  bool AskSaveChanges(const char* secondLine);
  // An empty, unnamed, unmodified field.
  void ClearField();
  // The folder of the program file, where relative series paths start
  // without a root folder.
  void FindProgramFolder();

  char rootFolder[kPathHigh + 2] = {};     // RootPath with a terminator, for loads
  view::CPopUpMenu* fieldMenu = nullptr;  // owned by the menu bar
  vgr::CIcon toolIcons[32];
  vgr::CIcon toolGrayIcons[32];
  std::vector<std::unique_ptr<vgr::CIcon>> menuIcons;  // normal and greyed forms of the menu items' icons
  bool built = false;
};

}  // namespace ombrix_app
