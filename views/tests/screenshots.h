// Screenshots of the views for a person to look at: written as PNG files into
// the folder named by OMBRIX_SCREENSHOTS when it is set, else nowhere.
#pragma once

#include <cstdlib>
#include <string>

#include <winkit/vimage.h>

namespace ombrix_views_test {

inline void SaveShot(const vimage::CImage& image, const char* name) {
  const char* folder = std::getenv("OMBRIX_SCREENSHOTS");
  if (!folder || !*folder) return;
  char error[128];
  image.Save((std::string(folder) + "/" + name).c_str(), vimage::ifPNG, 0, 127, error);
}

}  // namespace ombrix_views_test
