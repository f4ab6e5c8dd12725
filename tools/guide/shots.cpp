// ombrix-guide-shots: pictures of the main window for the user's guide. It
// builds the program's window as the program does, opens the sample field
// and saves the window as PNG files after each step, as a user would see it.
// Run by docs/make_pictures.sh under a virtual X display; not installed.
//
//   ombrix-guide-shots <repository folder> <picture folder>
#include <cstdio>
#include <string>

#include <ombrix_app/commands.h>
#include <ombrix_app/ombrix.h>
#include <winkit/winkit.h>

namespace {

using ombrix_app::COmbrix;

void Pump() {
  for (int i = 0; i < 10; ++i) view::VPeekMessage();
}

bool Save(const view::CView& view, const std::string& folder, const char* name) {
  Pump();
  vimage::CImage image;
  char why[128] = "";
  if (!view.Grab(image) || !image.Save((folder + "/" + name).c_str(), vimage::ifPNG, 0, sizeof why - 1, why)) {
    std::fprintf(stderr, "ombrix-guide-shots: %s not saved %s\n", name, why);
    return false;
  }
  std::printf("%s/%s\n", folder.c_str(), name);
  return true;
}

void ShowTab(COmbrix& window, int tab) {
  window.pane.tabs.SetActivePage(tab - 1, true);
  Pump();
}

// Grabs the next dialog the window shows as it comes up, then confirms it;
// whatever follows gets the driver's safe default (Cancel, No).
void GrabNextDialog(vdlg::CScriptedDialogs& dialogs, const std::string& folder, const char* name) {
  dialogs.AnswerOK([folder, name](vwin::COKCancelDialog& dialog) { Save(dialog, folder, name); });
}

bool TakePictures(COmbrix& window, vdlg::CScriptedDialogs& dialogs, const std::string& repository,
                  const std::string& folder) {
  window.SetRect(vcom::CRect(0, 0, 1400, 800));
  Pump();
  if (!window.OpenField((repository + "/samples/field/sample.ofd").c_str())) return false;
  if (!window.pane.SelectObject(0)) return false;
  bool ok = true;
  ShowTab(window, 1);
  ok &= Save(window, folder, "main-window.png");
  ShowTab(window, 3);
  ok &= Save(window, folder, "phased-curve.png");
  ShowTab(window, 4);
  ok &= Save(window, folder, "phased-curve-fit.png");
  // The minimum tabs work on the selected series, with its minima listed.
  window.pane.SelectSeries(0);
  window.Command(ombrix_app::cmMinimaList);
  ShowTab(window, 6);
  // The first night of V0501 Lyr holds a primary eclipse at JD 2459402.70.
  window.pane.minimumPage.SetWindow(2459402.62, 2459402.78);
  ok &= window.pane.minimumPage.FitMin() && window.pane.minimumPage.EstimateError();
  ok &= Save(window, folder, "minimum-fit.png");
  window.Command(ombrix_app::cmMinimaList);
  ShowTab(window, 7);
  ok &= Save(window, folder, "etv-diagram.png");
  ShowTab(window, 11);
  ok &= Save(window, folder, "prediction.png");
  ShowTab(window, 9);
  ok &= Save(window, folder, "meta-data.png");
  GrabNextDialog(dialogs, folder, "frequency-dialog.png");
  window.Command(ombrix_app::cmFindPeriodsFrequency);
  GrabNextDialog(dialogs, folder, "repository-dialog.png");
  window.Command(ombrix_app::cmDefineRepository);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "Usage: ombrix-guide-shots <repository folder> <picture folder>\n");
    return 2;
  }
  ombrix_app::InitModules();

  vdlg::CScriptedDialogs dialogs;  // no dialog waits for a hand
  view::CBackground background;
  if (!background.Init("OMBRIX")) return 1;
  bool ok = false;
  {
    COmbrix window;
    if (window.Build()) {
      background.RegisterWindow(&window);
      Pump();
      ok = TakePictures(window, dialogs, argv[1], argv[2]);
      if (!ok) std::fprintf(stderr, "%s", dialogs.Transcript().c_str());
      window.modified = false;
      if (window.IsInitialized()) window.Done();
    }
  }
  background.Done();
  return ok ? 0 : 1;
}
