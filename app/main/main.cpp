// The program: initialises the framework and the program's modules, builds
// the main window from the stored settings and runs the event loop.
#include <runbase/lib.h>
#include <winkit/winkit.h>

#include "ombrix_app/ombrix.h"

int main() {
  ombrix_app::InitModules();
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
