// The "Field" menu of the main window: New, Load, Save, Save As and the
// recent files, with the unsaved-changes question and the loader's progress.
#include <cstring>
#include <string>

#include <corekit/vcom.h>
#include <runbase/fior.h>
#include <runbase/str.h>

#include "ombrix_app/ombrix.h"

namespace ombrix_app {

namespace {

constexpr std::uint32_t kAny = 0xFFFFFFFFu;

const vdlg::TFileFilter kFieldFilters[] = {{"*.ofd", "OFD Ombrix v2+ files"}, {"*.*", "All Files (*.*)"}};
constexpr int kFieldFilterCount = 2;
// Chosen paths keep a terminator in their arrays: at most 259 characters.
constexpr int kChosenHigh = static_cast<int>(kPathHigh) - 1;

// The loader's progress on the status bar's progress indicator.
class CStatusBarProgress : public ombrix_data::CFieldLoadProgress {
 public:
  explicit CStatusBarProgress(vwin::CStatusBar& bar) : bar_(bar) {}
  void Begin(std::uint32_t total) override { bar_.SetProgress(0, static_cast<int>(total)); }
  void Step(std::uint32_t done, std::uint32_t total) override {
    bar_.SetProgress(static_cast<int>(done), static_cast<int>(total));
  }
  void End() override { bar_.SetProgress(0, 0); }

 private:
  vwin::CStatusBar& bar_;  // the window's, not owned
};

}  // namespace

void COmbrix::FindProgramFolder() {
  char program[kPathHigh + 1] = {};
  vcom::GetModulePathA(0, "", kPathHigh, program);
  std::string folder = FolderOf(program);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  CopyPath(programFolder, folder);
}

ombrix_data::TFieldLoadContext COmbrix::LoadContext() {
  // The setting may fill its array without terminator; the loader wants one.
  std::memset(rootFolder, 0, sizeof rootFolder);
  std::memcpy(rootFolder, settings.rootPath, Str::LengthA(kPathHigh, settings.rootPath));
  ombrix_data::TFieldLoadContext context;
  context.io = &userIO;
  context.folders = {rootFolder, programFolder};
  // Repository series come from the logged-in user's cache.
  repository.UpdateCacheRoot();
  context.repositoryUser = repository.CacheUser();
  return context;
}

bool COmbrix::AskSaveChanges(const char* secondLine) {
  if (!IsModified()) return true;
  switch (vdlg::DoMessageBox("Field Description Modified", "Do you want to save current field description",
                             secondLine, "Choosing [No] will discard current all changes.", vdlg::mbYesNoCancel,
                             vstock::siQuestion)) {
    case vdlg::mrYes:
      // Going on after a failed or cancelled save would drop the changes.
      return SaveField();
    case vdlg::mrNo:
      return true;
    default:
      return false;
  }
}

void COmbrix::ClearField() {
  pane.ClearField();
  std::memset(fieldPath, 0, sizeof fieldPath);
  modified = false;
  UpdateTitle();
  UpdateStatusBar();
}

void COmbrix::NewField() {
  if (!AskSaveChanges("before starting a new one?")) return;
  ClearField();
}

void COmbrix::LoadField() {
  if (!AskSaveChanges("before opening a new one?")) return;
  ClearField();
  char path[kPathHigh + 1] = {};
  Str::CopyA(kPathHigh, path, kPathHigh, settings.lastOpenPath);
  if (!vdlg::GetInFileName("Load Field Description", kChosenHigh, path, kFieldFilters, kFieldFilterCount)) return;
  OpenField(path);
}

void COmbrix::LoadRecent(std::uint32_t index) {
  if (index >= recent.Count()) return;
  // The list changes while loading: keep the path.
  const std::string path = recent.Path(index);
  if (!AskSaveChanges("before opening a new one?")) return;
  ClearField();
  OpenField(path.c_str());
}

bool COmbrix::OpenField(const char* path) {
  const std::string tried(path, Str::LengthA(kPathHigh, path));
  ombrix_data::TFieldLoadContext context = LoadContext();
  CStatusBarProgress progress(statusBar);
  context.progress = &progress;
  bool changed = false;
  pane.ClearField();
  vcore::BeginBusy();
  const bool loaded = ombrix_data::LoadField(tried.c_str(), context, pane.field, changed);
  vcore::EndBusy();

  recent.NoteLoad(tried.c_str(), loaded);
  RebuildRecentMenu();
  if (loaded) {
    CopyPath(fieldPath, tried);
    CopyPath(settings.lastOpenPath, FolderOf(tried.c_str()));
  } else {
    std::memset(fieldPath, 0, sizeof fieldPath);
  }
  modified = loaded && changed;
  pane.FieldReplaced();
  UpdateTitle();
  UpdateStatusBar();
  return loaded;
}

bool COmbrix::SaveField() {
  if (fieldPath[0] == '\0') return SaveFieldAs();
  pane.StoreNotes();
  if (!ombrix_data::SaveField(pane.field, fieldPath, userIO)) return false;
  modified = false;
  UpdateTitle();
  UpdateStatusBar();
  return true;
}

bool COmbrix::SaveFieldAs() {
  char path[kPathHigh + 1] = {};
  if (fieldPath[0] != '\0') {
    Str::CopyA(kPathHigh, path, kPathHigh, fieldPath);
    if (FIOR::IsExtensionA(kPathHigh, path, kAny, "xml")) FIOR::ChangeExtensionA(kPathHigh, path, kAny, "ofd");
  } else {
    Str::CopyA(kPathHigh, path, kPathHigh, settings.lastOpenPath);
  }
  if (!vdlg::GetOutFileName("Save Field Description As", kChosenHigh, path, kFieldFilters, kFieldFilterCount))
    return false;
  // A name typed without extension gets the field file's.
  FIOR::AddExtensionA(kPathHigh, path, kAny, "ofd");
  pane.StoreNotes();
  if (!ombrix_data::SaveField(pane.field, path, userIO)) return false;
  modified = false;
  CopyPath(fieldPath, std::string(path, Str::LengthA(kPathHigh, path)));
  CopyPath(settings.lastOpenPath, FolderOf(fieldPath));
  UpdateTitle();
  UpdateStatusBar();
  return true;
}

}  // namespace ombrix_app
