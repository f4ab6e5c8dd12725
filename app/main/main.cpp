// The program: initialises the framework and the program's modules, builds
// the main window from the stored settings and runs the event loop.
#include <ombrix_field/field.h>
#include <runbase/lib.h>
#include <winkit/winkit.h>

#include "ombrix_app/ombrix.h"

int main() {
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
  Lib::RANDOMIZE();

  view::CBackground background;
  if (!background.Init("OMBRIX")) return 1;
  int result = 0;
  {
    ombrix_app::COmbrix window;
    if (window.Build()) {
      background.RegisterWindow(&window);
      result = background.Run();
    }
  }
  background.Done();
  return result;
}
