#include <string>

#include <runbase/str.h>

#include "ombrix_app/shell_dialogs.h"
#include "dialog_layout.h"

namespace ombrix_app {

namespace {

using namespace layout;

constexpr std::uint32_t kBrowseId = 200;
constexpr int kWidth = 520;
constexpr int kLineHeight = 20;
constexpr int kButtonWidth = 90;

const char* const kLines[3] = {
    "Choose a directory, from which series files will be searched using Relative Paths.",
    "Relative Path is used if the series file is not found on stored Absolute Path.",
    "If the Root directory path remains empty, path relative to \"Ombrix.exe\" is be used.",
};

}  // namespace

bool CRootPathDialog::Init(const char* rootPath) {
  const int pathY = kGap + 3 * kLineHeight + kGap;
  if (!InitDialog(*this, "Root directory for Relative Paths", kWidth, pathY + kRowHeight + kGap)) return false;
  for (int i = 0; i < 3; ++i) lines[i].Init(this, Box(kGap, kGap + i * kLineHeight, kWidth - 2 * kGap, kLineHeight), kLines[i]);
  path.Init(this, Box(kGap, pathY, kWidth - 3 * kGap - kButtonWidth, kRowHeight), 0, rootPath,
            static_cast<int>(kPathHigh));
  browse.Init(this, Box(kWidth - kGap - kButtonWidth, pathY, kButtonWidth, kRowHeight), kBrowseId, "Browse...");
  path.SetFocus();
  return true;
}

void CRootPathDialog::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl && event.code == kBrowseId && event.data == vcore::cnPressed) {
    StopEvent(event);
    Browse();
    return;
  }
  COKCancelDialog::ReceiveEvent(event);
}

void CRootPathDialog::Browse() {
  char folder[kPathHigh + 1] = {};
  path.GetText(kPathHigh, folder);
  folder[kPathHigh] = '\0';
  if (vdlg::GetDirName("Choose root directory", "Choose the root directory of light curve data.", kPathHigh - 1,
                       folder))
    path.SetText(folder);
}

bool EditRootPath(char (&rootPath)[kPathHigh + 1]) {
  CRootPathDialog dialog;
  const std::string current(rootPath, Str::LengthA(kPathHigh, rootPath));
  if (!dialog.Init(current.c_str()) || !dialog.Exec()) return false;
  dialog.path.GetText(kPathHigh, rootPath);
  return true;
}

}  // namespace ombrix_app
