// The rectangle type of the framework: vcom::CRect of corekit (top-left
// corner and size, y growing downwards).
#pragma once

#if __has_include(<corekit/vcom.h>)
#include <corekit/vcom.h>
#else
#include <cstdint>
namespace vcom {
struct CRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
  CRect() = default;
  CRect(int32_t ax, int32_t ay, int32_t w, int32_t h) : x(ax), y(ay), width(w), height(h) {}
};
}  // namespace vcom
#endif
