// Layout of the views' dialogs: sizes at 96 dpi, scaled to the screen.
#pragma once

#include <winkit/winkit.h>

namespace ombrix_views::layout {

inline constexpr int kGap = 8;          // between controls and at the edges
inline constexpr int kRowHeight = 24;   // edit boxes, number boxes and buttons
inline constexpr int kLineHeight = 20;  // check boxes, choices and text lines

// A control's rectangle given at 96 dpi.
inline vcom::CRect Box(int x, int y, int width, int height) {
  return vcom::CRect(vcore::ScaleH(x), vcore::ScaleV(y), vcore::ScaleH(width), vcore::ScaleV(height));
}

// Starts a dialog whose interior is width x height at 96 dpi.
inline bool InitDialog(vwin::COKCancelDialog& dialog, const char* title, int width, int height) {
  return dialog.vwin::COKCancelDialog::Init(title, vcore::ScaleH(width), vcore::ScaleV(height));
}

}  // namespace ombrix_views::layout
