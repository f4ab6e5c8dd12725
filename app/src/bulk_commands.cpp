// The bulk-edit commands of the main window: their dialogs and questions
// around the field library's scans, alternate names, series selection,
// levelling and statistics.
#include "ombrix_app/bulk_commands.h"

#include <cstring>
#include <string>

#include <runbase/fixed_text.h>

#include "dialog_layout.h"
#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"

namespace ombrix_app {

namespace {

using namespace layout;

constexpr std::uint32_t kBrowseId = 200;
constexpr std::uint32_t kSelectAllId = 201;
constexpr std::uint32_t kDeselectAllId = 202;
constexpr int kLabelWidth = 120;
constexpr int kButtonWidth = 90;
constexpr int kListWidth = 640;
constexpr int kListHeight = 320;

const vdlg::TFileFilter kTextFilters[] = {{"*.txt", "TXT Files (*.txt)"}, {"*.*", "All Files (*.*)"}};

template <std::size_t N>
std::string Text(const char (&array)[N]) {
  return std::string(FixedText::View(N - 1, array));
}

bool Pressed(const vcore::TEvent& event, std::uint32_t id) {
  return event.kind == vcore::evControl && event.code == id && event.data == vcore::cnPressed;
}

// ------------------------------------------------------------ folder scans

// Keeps the status bar's progress and the window's paint up to date while
// the whole field is scanned.
class CScanProgress : public ombrix_data::CFieldScanProgress {
 public:
  explicit CScanProgress(COmbrix& window) : window_(window) {}
  void Scanning(ombrix_data::CObjectListElem& object, std::uint32_t index, std::uint32_t total) override {
    window_.pane.SelectObject(window_.pane.field.IndexOf(&object));
    window_.pane.ForgetShownData();  // the scan may free the shown series
    window_.statusBar.SetProgress(static_cast<int>(index - 1), static_cast<int>(total));
    total_ = total;
    index_ = index;
  }
  void Scanned(ombrix_data::CObjectListElem&, bool changed) override {
    window_.pane.RefreshSeriesList();
    changed_ = changed_ || changed;
    window_.statusBar.SetProgress(static_cast<int>(index_), static_cast<int>(total_));
    vcore::ProcessOutputEvents();
  }
  bool Changed() const { return changed_; }

 private:
  COmbrix& window_;
  std::uint32_t index_ = 0, total_ = 0;
  bool changed_ = false;
};

// The scan settings an object shows in the dialog, to tell whether OK
// changed them.
struct TScanSettings {
  std::string folder, relative, names, key;
  explicit TScanSettings(const ombrix_data::CObjectListElem& o)
      : folder(Text(o.absolutePath)), relative(Text(o.relativePath)), names(Text(o.fileNames)), key(Text(o.dirKey)) {}
  bool operator==(const TScanSettings&) const = default;
};

void ScanSelectedObject(COmbrix& window) {
  COmbrixPane& pane = window.pane;
  ombrix_data::CObjectListElem* object = pane.SelectedObject();
  if (!object) return;
  const ombrix_data::TSeriesFolders folders = window.LoadContext().folders;
  const TScanSettings before(*object);
  ombrix_data::InheritScanSettings(pane.field, *object);

  char folder[kPathHigh + 1] = {};
  ombrix_data::GetScanFolder(*object, folders, kPathHigh, folder);
  CScanFilesDialog dialog;
  const bool confirmed = dialog.Init(folder, Text(object->fileNames).c_str(), Text(object->dirKey).c_str()) &&
                         dialog.Exec();
  if (confirmed)
    ombrix_data::SetScanSettings(*object, dialog.folder.Text().c_str(), dialog.names.Text().c_str(),
                                 dialog.key.Text().c_str(), folders);
  dialog.Done();
  // Inherited or entered settings are kept even when the list is cancelled.
  if (!(TScanSettings(*object) == before)) window.Command(cmFieldChanged);
  if (!confirmed) return;

  std::vector<ombrix_data::TScanEntry> entries;
  ombrix_data::CollectScanEntries(*object, entries);
  ombrix_data::OrderScanEntriesForList(entries);
  CShowFilesDialog confirm;
  const bool accepted = confirm.Init(entries) && confirm.Exec();
  if (accepted) confirm.Store(entries);
  confirm.Done();
  if (!accepted) return;

  ombrix_data::TScanResult result;
  pane.ForgetShownData();  // the scan may free the shown series
  vcore::BeginBusy();
  ombrix_data::ApplyScanEntries(*object, entries, folders, result);
  vcore::EndBusy();
  pane.RefreshSeriesList();
  window.Command(cmFieldChanged);
}

void ScanWholeField(COmbrix& window) {
  COmbrixPane& pane = window.pane;
  if (pane.field.Count() == 0 || !ombrix_data::ConfirmFieldScan(window.userIO)) return;
  CScanProgress progress(window);
  vcore::BeginBusy();
  ombrix_data::ScanField(pane.field, window.LoadContext().folders, &progress);
  window.statusBar.SetProgress(0, 0);
  vcore::EndBusy();
  if (progress.Changed()) window.Command(cmFieldChanged);
}

// ------------------------------------------------------------ the others

void LoadAlternateNames(COmbrix& window) {
  char path[kPathHigh + 1] = {};
  std::memcpy(path, window.settings.lastOpenPath, sizeof path);
  if (!vdlg::GetInFileName("Load Alternate Names", static_cast<int>(kPathHigh), path, kTextFilters, 2)) return;
  CopyPath(window.settings.lastOpenPath, FolderOf(path));
  if (!ombrix_data::ConfirmLoadAlternateNames(window.userIO)) return;
  if (!ombrix_data::LoadAlternateNames(window.pane.field, path, window.userIO)) return;
  window.pane.RefreshObjectList();
  window.Command(cmFieldChanged);
}

void SelectSeriesByKey(COmbrix& window, ombrix_data::TSeriesKeyKind kind) {
  ombrix_data::CObjectListElem* object = window.pane.SelectedObject();
  if (!object || !object->FirstSeries()) return;
  std::vector<ombrix_data::TSeriesKeyCount> keys;
  ombrix_data::CollectSeriesKeys(*object, kind, keys);
  CSelectSeriesByDialog dialog;
  const bool accepted = dialog.Init(kind, keys) && dialog.Exec();
  const std::vector<bool> ticks = dialog.Ticks();
  dialog.Done();
  if (!accepted) return;
  ombrix_data::ApplySeriesKeySelection(*object, kind, keys, ticks);
  window.pane.RefreshSeriesList();
  window.pane.ShowActiveChart(true);
  window.Command(cmFieldChanged);
}

void LevelSeries(COmbrix& window, ombrix_data::TLevelStatistic statistic) {
  ombrix_data::CObjectListElem* object = window.pane.SelectedObject();
  if (!object || !object->FirstSeries()) return;
  if (vdlg::DoMessageBox("Level series offsets", "Offsets of selected object series", "will be leveled.",
                         "Do you want to continue?", vdlg::mbYesNo, vstock::siQuestion) != vdlg::mrYes)
    return;
  if (!ombrix_data::LevelSeriesOffsets(*object, window.pane.SelectedSeries(), statistic)) return;
  window.pane.controls.ShowSeries(window.pane.SelectedSeries());
  window.pane.RefreshSeriesList();
  window.pane.ShowActiveChart(true);
  window.Command(cmFieldChanged);
}

void ShowFieldStatistics(COmbrix& window, bool shortSeriesOnly) {
  ombrix_data::TFieldStatistics statistics;
  ombrix_data::GetFieldStatistics(window.pane.field, shortSeriesOnly, statistics);
  const std::string text = ombrix_data::FieldStatisticsText(statistics);
  vdlg::DoParagraphMessageBox(ombrix_data::kFieldStatisticsCaption, text.c_str(), vdlg::mbOK,
                              vstock::siInformation);
}

}  // namespace

// ------------------------------------------------------------ dialogs

bool CScanFilesDialog::Init(const char* scanFolder, const char* fileNames, const char* dirKey) {
  const int width = 560;
  const int editX = kGap + kLabelWidth;
  const int editWidth = width - editX - kGap;
  if (!InitDialog(*this, "(Re)scan folders for light curve files", width, kGap + 3 * (kRowHeight + kGap))) return false;
  int y = kGap;
  folderLabel.Init(this, Box(kGap, y + 4, kLabelWidth, kRowHeight), "Root folder:");
  folder.Init(this, Box(editX, y, editWidth - kButtonWidth - kGap, kRowHeight), 0, scanFolder,
              static_cast<int>(kPathHigh));
  browse.Init(this, Box(width - kGap - kButtonWidth, y, kButtonWidth, kRowHeight), kBrowseId, "Browse...");
  y += kRowHeight + kGap;
  namesLabel.Init(this, Box(kGap, y + 4, kLabelWidth, kRowHeight), "File name(s):");
  names.Init(this, Box(editX, y, editWidth, kRowHeight), 0, fileNames, static_cast<int>(kPathHigh));
  y += kRowHeight + kGap;
  keyLabel.Init(this, Box(kGap, y + 4, kLabelWidth, kRowHeight), "Folder name key:");
  key.Init(this, Box(editX, y, editWidth, kRowHeight), 0, dirKey, static_cast<int>(kPathHigh));
  folder.SetFocus();
  return true;
}

void CScanFilesDialog::ReceiveEvent(vcore::TEvent& event) {
  if (Pressed(event, kBrowseId)) {
    StopEvent(event);
    Browse();
    return;
  }
  COKCancelDialog::ReceiveEvent(event);
}

void CScanFilesDialog::Browse() {
  char chosen[kPathHigh + 1] = {};
  folder.GetText(kPathHigh, chosen);
  chosen[kPathHigh] = '\0';
  if (vdlg::GetDirName("Choose folder", "Choose the folder of the object's light curve files.", kPathHigh - 1,
                       chosen))
    folder.SetText(chosen);
}

bool CShowFilesDialog::Init(const std::vector<ombrix_data::TScanEntry>& entries) {
  const int buttonsY = kGap + kListHeight + kGap;
  if (!InitDialog(*this, "Confirm series file update", kListWidth + 2 * kGap, buttonsY + kRowHeight + kGap))
    return false;
  list.Init(this, Box(kGap, kGap, kListWidth, kListHeight), 0);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::string text;
    std::uint32_t colour = 0;
    ombrix_data::GetScanEntryLine(entries[i], text, colour);
    list.AddItem(text.c_str());
    list.SetItemColor(static_cast<int>(i), colour);
    list.SetItemChecked(static_cast<int>(i), true);
  }
  selectAll.Init(this, Box(kGap, buttonsY, 150, kRowHeight), kSelectAllId, "Select all series");
  deselectAll.Init(this, Box(2 * kGap + 150, buttonsY, 150, kRowHeight), kDeselectAllId, "Deselect all series");
  return true;
}

void CShowFilesDialog::ReceiveEvent(vcore::TEvent& event) {
  if (Pressed(event, kSelectAllId) || Pressed(event, kDeselectAllId)) {
    StopEvent(event);
    SetAll(event.code == kSelectAllId);
    return;
  }
  COKCancelDialog::ReceiveEvent(event);
}

void CShowFilesDialog::SetAll(bool ticked) {
  for (int i = 0; i < list.Count(); ++i) list.SetItemChecked(i, ticked);
}

void CShowFilesDialog::Store(std::vector<ombrix_data::TScanEntry>& entries) const {
  for (std::size_t i = 0; i < entries.size() && static_cast<int>(i) < list.Count(); ++i)
    entries[i].accepted = list.IsItemChecked(static_cast<int>(i));
}

bool CSelectSeriesByDialog::Init(ombrix_data::TSeriesKeyKind kind,
                                 const std::vector<ombrix_data::TSeriesKeyCount>& keys) {
  const int width = 360, height = 240;
  if (!InitDialog(*this, ombrix_data::SeriesSelectionTitle(kind), width + 2 * kGap, height + 2 * kGap)) return false;
  list.Init(this, Box(kGap, kGap, width, height), 0);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    list.AddItem(ombrix_data::SeriesKeyLine(keys[i]).c_str());
    list.SetItemChecked(static_cast<int>(i), true);
  }
  return true;
}

std::vector<bool> CSelectSeriesByDialog::Ticks() const {
  std::vector<bool> ticks;
  for (int i = 0; i < list.Count(); ++i) ticks.push_back(list.IsItemChecked(i));
  return ticks;
}

// ------------------------------------------------------------ dispatch

bool IsBulkCommand(std::uint32_t command) {
  switch (command) {
    case cmScanSeries: case cmScanField: case cmLoadAlternateNames:
    case cmSelectSeriesByFilter: case cmSelectSeriesByContributor:
    case cmLevelByMedian: case cmLevelByRange: case cmLevelByAverage:
    case cmStatisticsAll: case cmStatisticsShort:
      return true;
    default:
      return false;
  }
}

void RunBulkCommand(COmbrix& window, std::uint32_t command) {
  using ombrix_data::TLevelStatistic;
  using ombrix_data::TSeriesKeyKind;
  switch (command) {
    case cmScanSeries: ScanSelectedObject(window); break;
    case cmScanField: ScanWholeField(window); break;
    case cmLoadAlternateNames: LoadAlternateNames(window); break;
    case cmSelectSeriesByFilter: SelectSeriesByKey(window, TSeriesKeyKind::filter); break;
    case cmSelectSeriesByContributor: SelectSeriesByKey(window, TSeriesKeyKind::contributor); break;
    case cmLevelByMedian: LevelSeries(window, TLevelStatistic::median); break;
    case cmLevelByRange: LevelSeries(window, TLevelStatistic::range); break;
    case cmLevelByAverage: LevelSeries(window, TLevelStatistic::average); break;
    case cmStatisticsAll: ShowFieldStatistics(window, false); break;
    case cmStatisticsShort: ShowFieldStatistics(window, true); break;
    default: return;
  }
  window.UpdateStatusBar();
}

}  // namespace ombrix_app
