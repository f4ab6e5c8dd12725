// vtool: the tool box (a row of tool buttons, gaps, embedded controls and a
// group aligned to the right edge).
#pragma once

#include <cstdint>
#include <memory>

#include "winkit/view.h"

namespace vtool {

void Init_();

class CGravityBreakToolBox;

// One button of a tool box; carries the command of the menu item it stands
// for, with the menu label as tooltip. Toggle buttons show a check state.
class CToolButton {
 public:
  uint32_t Command() const { return command_; }
  bool IsToggle() const { return toggle_; }
  bool IsChecked() const;
  bool IsEnabled() const;
  const char* ToolTip() const;

 private:
  friend class CGravityBreakToolBox;
  uint32_t command_ = 0;       // delivered when pressed
  bool toggle_ = false;        // keeps a checked state
  void* action_ = nullptr;     // the toolkit action, owned by the tool box
};

// The tool box: items are laid out left to right; after GravityBreak the
// remaining items gravitate to the right edge.
class CGravityBreakToolBox {
 public:
  CGravityBreakToolBox();
  ~CGravityBreakToolBox();
  CGravityBreakToolBox(const CGravityBreakToolBox&) = delete;
  CGravityBreakToolBox& operator=(const CGravityBreakToolBox&) = delete;
  bool Init(int iconSize);
  void Done();
  CToolButton* AddButton(uint32_t command, const vgr::CIcon* icon, const vgr::CIcon* grayIcon, const char* toolTip,
                         bool toggle = false);
  void AddGap(int pixels);
  // Embeds a control; control must have been Init'ed with parent null.
  void AddControl(view::CView* control, int width);
  // Items added after this call are aligned to the right edge.
  void GravityBreak();
  CToolButton* Button(uint32_t command);
  void Check(uint32_t command, bool checked);
  void Enable(uint32_t command, bool enabled);
  bool IsChecked(uint32_t command);
  bool IsEnabled(uint32_t command);
  // Presses a button as the user would.
  bool Press(uint32_t command);
  // The window the buttons' commands and the controls' events go to (set by
  // CWindow::Init).
  void SetOwner(view::CEventHandler* owner);

  struct TImpl;
  TImpl* Impl() const { return impl_.get(); }

 private:
  std::unique_ptr<TImpl> impl_;             // toolkit tool bar and buttons
  view::CEventHandler* owner_ = nullptr;    // receives the commands
};

}  // namespace vtool
