#include "ombrix_app/ombrix.h"

#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include <ombrix_field/field.h>
#include <ombrix_field/object.h>
#include <ombrix_icons/icon_table.h>
#include <ombrix_model/time_scales.h>
#include <runbase/fixed_text.h>
#include <runbase/fio.h>
#include <runbase/str.h>

#include "chart_export_commands.h"
#include "ombrix_app/bulk_commands.h"
#include "ombrix_app/export_commands.h"
#include "ombrix_app/lookups.h"
#include "ombrix_app/period_commands.h"
#include "ombrix_app/commands.h"
#include "ombrix_app/shell_dialogs.h"
#include "ombrix_app/tonight_dialog.h"

namespace ombrix_app {

namespace {

constexpr std::int32_t kTitlePathChars = 64;
constexpr std::uint32_t kPickerId = 3001;
constexpr std::uint32_t kVariabilityId = 3002;
constexpr int kControlWidth = 150;
constexpr int kToolGap = 8;

// The display toggles and the setting each one flips.
struct TToggle {
  std::uint32_t command;
  bool TSettings::*setting;
};
const TToggle kToggles[] = {
    {cmAutoAcceptM0Period, &TSettings::autoAcceptM0Period},
    {cmShowDev, &TSettings::showDev},
    {cmShowNow, &TSettings::showNow},
    {cmShowTime, &TSettings::showTime},
    {cmShowMinima, &TSettings::showMinima},
    {cmCheckVersion, &TSettings::checkVersion},
};

// Commands that work only on the minima list while it is shown.
const std::uint32_t kMinimaListCommands[] = {cmSelectAllMinima, cmDeselectAllMinima, cmMinimumParameters,
                                             cmRemoveMinimum};

struct TAccelerator {
  std::uint32_t key, modifiers, command;
};
const TAccelerator kAccelerators[] = {
    {'N', vcore::kmCtrl, cmNewField},       {'O', vcore::kmCtrl, cmLoadField},
    {'S', vcore::kmCtrl, cmSaveField},      {'A', vcore::kmCtrl, cmAddObject},
    {'I', vcore::kmCtrl, cmInsertObject},   {'E', vcore::kmCtrl, cmExportTimeSeries},
    {'F', vcore::kmCtrl, cmExportIndividualMinusFit}, {'K', vcore::kmCtrl, cmCopyObjectInfo},
    {'Q', vcore::kmCtrl, cmVsxSelected},    {'R', vcore::kmCtrl, cmScanSeries},
    {vcore::vkF2, 0, cmRenameObject},
};

// The icons of a menu item, when it has one: normal and greyed.
using TIconOf = std::function<std::pair<const vgr::CIcon*, const vgr::CIcon*>(std::uint32_t command)>;

// Adds the entries from `i` up to the matching meEnd to `menu`.
std::uint32_t AddEntries(view::CAbstractMenu& menu, const TMenuEntry* entries, std::uint32_t count, std::uint32_t i,
                         view::CPopUpMenu** firstSub, const TIconOf& iconOf) {
  while (i < count && entries[i].kind != meEnd) {
    const TMenuEntry& e = entries[i++];
    switch (e.kind) {
      case meItem: {
        const auto [icon, gray] = iconOf(e.command);
        menu.AddItem(e.label ? e.label : vstock::Text(vstock::stAbout), e.shortcut, -1, icon, gray, e.command);
        break;
      }
      case meLine:
        menu.AddLine();
        break;
      case meSubmenu: {
        auto* sub = new view::CPopUpMenu;
        const char* label = e.label ? e.label : vstock::Text(vstock::stHelpMenu);
        sub->InitItems(label);
        i = AddEntries(*sub, entries, count, i, nullptr, iconOf) + 1;
        menu.AddMenu(label, -1, sub);
        if (firstSub && !*firstSub) *firstSub = sub;
        break;
      }
      case meEnd:
        break;
    }
  }
  return i;
}

}  // namespace

COmbrix::COmbrix() { filters.Init(); }

COmbrix::~COmbrix() {
  if (built) Done();
  filters.Done();
}

bool COmbrix::Build() {
  const std::int32_t spacing = vcore::ScaleH(6);
  SetDefaults(settings, spacing);
  FindProgramFolder();
  vwin::SetApplicationIcon(IconPath(ombrix_icons::kApplicationIcon).c_str());
  LoadSettings(settings, recent, filters);

  BuildMenuBar();
  BuildToolBox();
  BuildStatusBar();
  for (const TAccelerator& a : kAccelerators) accelerators.Add(a.key, a.modifiers, a.command);

  const vcom::CRect rect(settings.xPos, settings.yPos, settings.width, settings.depth);
  if (!Init(rect, vwin::wsStandard, "OMBRIX", &menuBar, &toolBox, &statusBar)) return false;
  built = true;
  // The tool box's controls were made before the window: their events come here.
  dateTimePicker.SetParentHandler(this);
  variabilityTypes.SetParentHandler(this);
  SetMenuChecks();
  ApplyTimeScaleSetting();
  SetLoggedOutState();
  UpdateStatusBar();
  if (settings.maximized) Maximize();
  versionCheck.Start();
  return true;
}

void COmbrix::BuildMenuBar() {
  menuBar.Init();
  std::uint32_t count = 0;
  const TMenuEntry* entries = MenuLayout(count);
  fieldMenu = nullptr;
  menuIcons.clear();
  const int size = vcore::ScaleV(16);
  auto iconOf = [this, size](std::uint32_t command) -> std::pair<const vgr::CIcon*, const vgr::CIcon*> {
    const char* file = ombrix_icons::CommandIconFile(command);
    if (!file) return {nullptr, nullptr};
    auto icon = std::make_unique<vgr::CIcon>(), gray = std::make_unique<vgr::CIcon>();
    if (!vgr::InitSvgIconWD(*icon, IconPath(file).c_str(), size, false) ||
        !vgr::InitSvgIconWD(*gray, IconPath(file).c_str(), size, true))
      return {nullptr, nullptr};
    menuIcons.push_back(std::move(icon));
    menuIcons.push_back(std::move(gray));
    return {menuIcons[menuIcons.size() - 2].get(), menuIcons.back().get()};
  };
  AddEntries(menuBar, entries, count, 0, &fieldMenu, iconOf);
  if (fieldMenu) fieldMenu->AddLine();
  RebuildRecentMenu();
}

void COmbrix::RebuildRecentMenu() {
  if (!fieldMenu) return;
  menuBar.RemoveItems(cmRecentFirst, cmRecentLast);
  for (std::uint32_t i = 0; i < recent.Count(); ++i) {
    char compressed[kPathHigh + 1] = {};
    vwin::CompressPathToLength(recent.Path(i), kRecentLabelPathChars, kPathHigh, compressed);
    char label[kRecentLabelHigh + 1];
    RecentLabel(i + 1, compressed, label);
    fieldMenu->AddItem(label, cmRecentFirst + i);
  }
}

void COmbrix::BuildToolBox() {
  const int iconSize = vcore::ScaleH(24);
  toolBox.Init(iconSize);
  std::uint32_t count = 0;
  const TToolEntry* tools = ToolLayout(count);
  std::uint32_t icon = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const TToolEntry& t = tools[i];
    if (t.command == 0) {
      toolBox.AddGap(vcore::ScaleH(kToolGap));
    } else if (t.command == kToolControls) {
      dateTimePicker.Init(nullptr, vcom::CRect(0, 0, vcore::ScaleH(kControlWidth), iconSize), kPickerId);
      toolBox.AddControl(&dateTimePicker, vcore::ScaleH(kControlWidth));
      variabilityTypes.Init(nullptr, vcom::CRect(0, 0, vcore::ScaleH(kControlWidth), iconSize), kVariabilityId,
                            true);
      for (const char* type : ombrix_data::kVariabilityTypes) variabilityTypes.AddItem(type);
      toolBox.AddControl(&variabilityTypes, vcore::ScaleH(kControlWidth));
    } else if (t.command == kToolRight) {
      toolBox.GravityBreak();
    } else {
      const bool room = icon < sizeof toolIcons / sizeof toolIcons[0];
      vgr::CIcon* ic = room ? &toolIcons[icon] : nullptr;
      vgr::CIcon* gray = room ? &toolGrayIcons[icon] : nullptr;
      icon += room ? 1 : 0;
      const char* file = ombrix_icons::CommandIconFile(t.command);
      if (ic && !(file && vgr::InitSvgIconWD(*ic, IconPath(file).c_str(), iconSize, false) &&
                  vgr::InitSvgIconWD(*gray, IconPath(file).c_str(), iconSize, true)))
        vgr::InitResIconNumWD(*ic, static_cast<int>(t.command), iconSize);
      toolBox.AddButton(t.command, ic, gray && gray->IsValid() ? gray : nullptr, CommandLabel(t.command), t.toggle);
    }
  }
}

void COmbrix::BuildStatusBar() {
  // Every field asks for a fixed width, wide enough for "9999 objects" and
  // "999/999 series": a field sized by its text would widen the whole window
  // to fit a long series path. In a narrow window the fields shrink side by
  // side.
  const int widths[sfCount] = {vcore::ScaleH(100), vcore::ScaleH(110), vcore::ScaleH(70), vcore::ScaleH(110),
                               vcore::ScaleH(180)};
  statusBar.Init(sfCount, widths);
}

void COmbrix::SetMenuChecks() {
  for (const TToggle& t : kToggles) CheckCommand(t.command, settings.*t.setting);
  for (std::uint32_t c : kMinimaListCommands) EnableCommand(c, false);
  dateTimePicker.SetEnabled(false);
}

void COmbrix::SetLoggedOutState() { repository.UpdateMenus(); }

void COmbrix::UpdateTitle() {
  std::string title = "OMBRIX - ";
  if (fieldPath[0] != '\0') {
    char compressed[kPathHigh + 1] = {};
    vwin::CompressPathToLength(fieldPath, kTitlePathChars, kPathHigh, compressed);
    title += compressed;
  }
  if (IsModified()) title += "*";
  SetTitle(title.c_str());
}

void COmbrix::UpdateStatusBar() {
  const std::string objects = std::to_string(pane.field.Count()) + " objects";
  const std::string series =
      std::to_string(pane.EnabledSeriesCount()) + "/" + std::to_string(pane.SeriesCount()) + " series";
  statusBar.SetText(sfObjects, objects.c_str());
  statusBar.SetText(sfSeries, series.c_str());
  statusBar.SetText(sfModified, IsModified() ? "Modified" : "");
  std::string source, timeScale;
  if (const ombrix_data::CSeriesTreeElem* s = pane.SelectedSeries()) {
    if (s->IsLocalSeries()) {
      const auto* local = static_cast<const ombrix_data::CLocalSeriesTreeElem*>(s);
      source.assign(local->absolutePath, Str::LengthA(kPathHigh, local->absolutePath));
    } else {
      const auto* web = static_cast<const ombrix_data::CWebSeriesTreeElem*>(s);
      source = "Web Repository user: " + std::string(web->userName, Str::LengthA(kUserHigh, web->userName));
    }
    timeScale = s->TimeScaleText();
  }
  statusBar.SetText(sfSeriesSource, source.c_str());
  statusBar.SetText(sfTimeScale, timeScale.c_str());
}

bool COmbrix::Toggle(std::uint32_t command) {
  for (const TToggle& t : kToggles) {
    if (t.command != command) continue;
    bool& on = settings.*t.setting;
    on = !on;
    CheckCommand(command, on);
    if (command == cmShowTime) ShowDateTimePicker();
    return true;
  }
  return false;
}

void COmbrix::ShowDateTimePicker() {
  const int tab = pane.ActiveTab();
  const bool phased = tab == ombrix_lc::ctPhasedCurve || tab == ombrix_lc::ctPhasedCurveFit;
  dateTimePicker.SetEnabled(settings.showTime && phased);
}

void COmbrix::ToggleMinimaList() {
  const bool shown = !menuBar.IsChecked(cmMinimaList);
  CheckCommand(cmMinimaList, shown);
  pane.ShowMinimaList(shown);
  for (std::uint32_t c : kMinimaListCommands) EnableCommand(c, shown);
}

void COmbrix::NotAvailable() {
  vdlg::DoMessageBox("OMBRIX", "This function is not available", "in this version.", nullptr, vdlg::mbOK,
                     vstock::siInformation);
}

void COmbrix::ApplyTimeScaleSetting() {
  ombrix_model::TTimeScale scale = ombrix_model::tsHJD;
  ombrix_model::TimeScaleFromLabel(FixedText::View(sizeof settings.timeScale - 1, settings.timeScale), scale);
  ombrix_data::SetFieldTimeScale(scale);
  CheckCommand(cmTimeScaleHJD, scale == ombrix_model::tsHJD);
  CheckCommand(cmTimeScaleBJD, scale == ombrix_model::tsBJDTDB);
}

void COmbrix::ChooseTimeScale(ombrix_model::TTimeScale scale) {
  FixedText::Assign(sizeof settings.timeScale - 1, settings.timeScale, ombrix_model::TimeScaleLabel(scale));
  ApplyTimeScaleSetting();
  // Series already loaded keep their times until the field is loaded again.
  const std::string note = std::string("Geocentric series are converted to ") + ombrix_model::TimeScaleLabel(scale) +
                           " when they are loaded; load the field again to convert the loaded ones.";
  statusBar.ShowMessage(note.c_str(), 10000);
}

void InitModules() {
  vgr::Init_();
  vfont::Init_();
  vcolor::Init_();
  vcore::Init_();
  view::Init_();
  vtool::Init_();
  vcont::Init_();
  vtab::Init_();
  vdlg::Init_();
  vwin::Init_();
  vdata::Init_();
  vstock::Init_();
  vimage::Init_();
  ombrix_data::Init_();
}

std::string COmbrix::IconPath(const char* file) const {
  return std::string(programFolder) + ombrix_icons::kIconFolderFromProgram + file;
}

std::string COmbrix::UsersGuidePath() const {
  // The program's path with the extension "pdf" (the build tree and a
  // copied program), else where an installation keeps its documents.
  char program[kPathHigh + 1] = {};
  vcom::GetModulePathA(0, "", kPathHigh, program);
  std::string beside(program);
  const std::size_t slash = beside.rfind('/');
  const std::size_t dot = beside.rfind('.');
  beside = (dot != std::string::npos && (slash == std::string::npos || dot > slash) ? beside.substr(0, dot) : beside) +
           ".pdf";
  const std::string folder(programFolder);
  for (const std::string& candidate : {beside, folder + "../share/doc/ombrix/ombrix.pdf",
                                       folder + "../share/ombrix/ombrix.pdf"})
    if (FIO::ExistsA(static_cast<std::uint32_t>(candidate.size()), candidate.c_str())) return candidate;
  return beside;
}

void COmbrix::UsersGuide() {
  const std::string path = UsersGuidePath();
  if (!FIO::ExistsA(static_cast<std::uint32_t>(path.size()), path.c_str())) {
    vdlg::DoMessageBox("User's Guide", "The user's guide was not found:", path.c_str(), nullptr, vdlg::mbOK,
                       vstock::siRedExclamation);
    return;
  }
  if (!vcore::OpenDocument(path.c_str()))
    vdlg::DoMessageBox("User's Guide", "No program could open the user's guide:", path.c_str(), nullptr, vdlg::mbOK,
                       vstock::siRedExclamation);
}

void COmbrix::About() {
  const std::string text = std::string("OMBRIX version ") + OMBRIX_VERSION +
                           " - 64bit (x64)\n\nA program for the light curves of variable stars, above all "
                           "eclipsing binaries: phased curves and their fit, times of minima, period searches "
                           "and predictions.";
  vdlg::DoParagraphMessageBox(vstock::Text(vstock::stAbout), text.c_str(), vdlg::mbOK, vstock::siInformation);
}

void COmbrix::CreateInterior() {
  pane.Init(*this, ClientRect());
  RegisterFirst(&pane);
}

void COmbrix::NewRect(const vcom::CRect& rect) {
  if (pane.IsInitialized()) pane.SetRect(rect);
}

void COmbrix::Command(std::uint32_t command) {
  if (repository.Command(command)) return;
  if (IsBulkCommand(command)) {
    RunBulkCommand(*this, command);
    return;
  }
  if (IsExportCommand(command)) {
    RunExportCommand(*this, command);
    return;
  }
  if (pane.Command(command)) return;
  if (Toggle(command)) {
    pane.ShowActiveChart(false);
    return;
  }
  switch (command) {
    case cmZoomIn:
    case cmZoomOut:
    case cmClearZoom:
      pane.ZoomCommand(command);
      break;
    case cmMinimaList:
      ToggleMinimaList();
      break;
    case cmFieldChanged:
      modified = true;
      UpdateTitle();
      UpdateStatusBar();
      break;
    case cmFieldUnchanged:
      modified = false;
      UpdateTitle();
      UpdateStatusBar();
      break;
    case cmUpdateStatus:
      UpdateStatusBar();
      break;
    case cmAbout:
      About();
      break;
    case cmUsersGuide:
      UsersGuide();
      break;
    case cmTimeScaleHJD:
    case cmTimeScaleBJD:
      ChooseTimeScale(command == cmTimeScaleBJD ? ombrix_model::tsBJDTDB : ombrix_model::tsHJD);
      break;
    case cmTonightEclipses:
      ShowTonightEclipses(*this);
      break;
    case cmNewField:
      NewField();
      break;
    case cmLoadField:
      LoadField();
      break;
    case cmSaveField:
      SaveField();
      break;
    case cmSaveFieldAs:
      SaveFieldAs();
      break;
    case cmRootPath:
      EditRootPath(settings.rootPath);
      break;
    case cmExportChartImage:
    case cmExportChartSVG:
      ExportActiveChart(*this, command == cmExportChartSVG);
      break;
    case cmVsxAll:
    case cmVsxSelected:
      vsx.Start(command);
      break;
    case cmFindPeriodsMinima:
    case cmFindPeriodsFrequency:
      RunPeriodCommand(*this, command);
      break;
    case cmFilterTable:
      // Series lines show filter names only for filters with a colour.
      if (EditFilterTable(filters)) pane.RefreshSeriesList();
      break;
    default:
      if (command >= cmRecentFirst && command <= cmRecentLast)
        LoadRecent(command - cmRecentFirst);
      else
        NotAvailable();
      break;
  }
}

void COmbrix::ReceiveEvent(vcore::TEvent& event) {
  std::uint32_t command = 0;
  if (accelerators.Translate(event, command)) {
    StopEvent(event);
    Command(command);
  } else if (event.kind == vcore::evCommand) {
    StopEvent(event);
    Command(event.code);
  } else if (event.kind == vcore::evControl && event.code == kVariabilityId) {
    StopEvent(event);
    VariabilityTypeChanged();
  } else if (event.kind == vcore::evControl && event.code == kPickerId) {
    // The chosen time moves its line on the phased charts.
    StopEvent(event);
    const int tab = pane.ActiveTab();
    if (tab == ombrix_lc::ctPhasedCurve || tab == ombrix_lc::ctPhasedCurveFit) pane.ShowActiveChart(true);
  } else if (event.kind == vcore::evApplication && event.code == kTabChangedEvent) {
    StopEvent(event);
    ShowDateTimePicker();
  }
}

void COmbrix::VariabilityTypeChanged() {
  ombrix_data::CObjectListElem* object = pane.SelectedObject();
  if (!object) return;
  const std::string text = variabilityTypes.Text().substr(0, ombrix_data::kVariabilityTypeHigh);
  if (text == std::string(object->variabilityType, Str::LengthA(ombrix_data::kVariabilityTypeHigh,
                                                                 object->variabilityType)))
    return;
  std::memset(object->variabilityType, 0, sizeof object->variabilityType);
  std::memcpy(object->variabilityType, text.data(), text.size());
  pane.metaDataPage.RefreshFixedFields();
  Command(cmFieldChanged);
}

bool COmbrix::CanClose() {
  if (!IsModified()) return true;
  return vdlg::DoMessageBox("Field Description Modified", "Closing of the OMBRIX window",
                            "will discard changes of the Field Description.",
                            "Do you want to close the OMBRIX window?", vdlg::mbYesNo,
                            vstock::siQuestion) == vdlg::mrYes;
}

void COmbrix::Done() {
  if (built) {
    built = false;
    settings.maximized = IsMaximized();
    const vcom::CRect r = settings.maximized || IsMinimized() ? RestoredRect() : WindowRect();
    settings.xPos = r.x;
    settings.yPos = r.y;
    settings.width = r.width;
    settings.depth = r.height;
    pane.StoreSplitters(settings);
    SaveSettings(settings, recent, filters);
    ClearField();
    recent.Clear();
    filters.Done();
    filters.Init();
  }
  vwin::CWindow::Done();
}

}  // namespace ombrix_app
