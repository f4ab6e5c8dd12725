// vwin: top-level windows, the status bar, modal OK/Cancel dialogs and path
// shortening for labels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "winkit/view.h"

namespace vtool {
class CGravityBreakToolBox;
}

namespace vwin {

void Init_();

// Window style flags.
enum : uint32_t {
  wsResizable = 1,
  wsMinimizeBox = 2,
  wsMaximizeBox = 4,
  wsStandard = wsResizable | wsMinimizeBox | wsMaximizeBox,
  wsDialog = 8,
};

// The program's icon for its windows (and the tray): an SVG or PNG file.
// False when the file cannot be read.
bool SetApplicationIcon(const char* path);

// A message in the desktop's notification area (information kind), when the
// desktop has one; false when it has none and nothing was shown.
bool ShowTrayMessage(const char* title, const char* text, int milliseconds);

// A line of text fields along the bottom of a window, with a progress bar
// that stands in for the taskbar's progress indicator.
class CStatusBar {
 public:
  CStatusBar();
  ~CStatusBar();
  CStatusBar(const CStatusBar&) = delete;
  CStatusBar& operator=(const CStatusBar&) = delete;
  // widths of the fields in pixels; a width <= 0 stretches.
  bool Init(int count, const int* widths);
  void Done();
  int FieldCount() const { return static_cast<int>(texts_.size()); }
  void SetText(int field, const char* text);
  const char* GetText(int field) const;
  // A transient message (the notification stand-in when no tray exists).
  void ShowMessage(const char* text, int milliseconds = 5000);
  const char* LastMessage() const { return message_.c_str(); }
  // Shows (max > 0) or hides the progress bar.
  void SetProgress(int value, int max);
  bool IsProgressShown() const { return progressMax_ > 0; }
  // Where a field lies in the bar (after layout), and whether its whole text
  // fits into it.
  vcom::CRect FieldRect(int field) const;
  bool FieldTextFits(int field) const;

  struct TImpl;
  TImpl* Impl() const { return impl_.get(); }

 private:
  std::vector<std::string> texts_;  // field texts as set
  std::string message_;             // last transient message
  int progressMax_ = 0;             // 0: progress hidden
  std::unique_ptr<TImpl> impl_;     // the toolkit status bar
};

// A top-level window with an optional menu bar, tool box and status bar. The
// interior is a node view; CreateInterior places its children.
class CWindow : public view::CNodeView {
 public:
  CWindow();
  ~CWindow() override;
  // The window keeps menu, toolBox and statusBar but does not own them.
  // Init runs CreateInterior, then CreatePeerWindow.
  virtual bool Init(const vcom::CRect& rect, uint32_t style, const char* title, view::CMenuBar* menu,
                    vtool::CGravityBreakToolBox* toolBox, CStatusBar* statusBar);
  void Done() override;
  // Hook run once by Init after the window is built, to create the views of
  // the interior (with ClientRect()).
  virtual void CreateInterior() {}
  // Asked before the user's close takes effect; false keeps the window.
  virtual bool CanClose() { return true; }
  // Closes the window as the user would: CanClose, then Done.
  bool Close();

  void SetTitle(const char* title);
  std::string Title() const;
  void SetWinIcon(const vgr::CIcon* small, const vgr::CIcon* large);
  void ShowWindow();
  void Maximize();
  void Minimize();
  void Restore();
  bool IsMaximized() const;
  bool IsMinimized() const;
  // Outer rectangle in normal (not maximised, not minimised) state.
  vcom::CRect RestoredRect() const;
  vcom::CRect WindowRect() const;

  view::CMenuBar* MenuBar() const { return menu_; }
  vtool::CGravityBreakToolBox* ToolBox() const { return toolBox_; }
  CStatusBar* StatusBar() const { return statusBar_; }
  // Delivers a command as a menu choice would.
  void PostCommand(uint32_t command);
  // Check and enable state for both the menu item and the tool button.
  void CheckCommand(uint32_t command, bool checked);
  void EnableCommand(uint32_t command, bool enabled);

 private:
  view::CMenuBar* menu_ = nullptr;                 // not owned
  vtool::CGravityBreakToolBox* toolBox_ = nullptr; // not owned
  CStatusBar* statusBar_ = nullptr;                // not owned
};

// A modal dialog: an interior of controls (created by CreateInterior or
// added after Init) above OK and Cancel buttons.
class COKCancelDialog : public view::CNodeView {
 public:
  COKCancelDialog();
  ~COKCancelDialog() override;
  // interior size is the size of the controls' area.
  virtual bool Init(const char* title, int width, int height);
  void Done() override;
  virtual void CreateInterior() {}
  // Called when OK is chosen; false keeps the dialog open.
  virtual bool CanOK() { return true; }
  // Shows the dialog and waits; true when OK was chosen. A scripted dialog
  // driver answers instead when installed.
  bool Exec();
  // Ends a running Exec as the OK or Cancel button would.
  void EndDialog(bool ok);
  const std::string& Title() const { return title_; }
  void SetOKLabel(const char* label);
  // Hides the OK button of a dialog that ends with OK by itself (a progress
  // dialog); Cancel, Escape and closing still cancel it.
  void ShowOKButton(bool shown);
  bool IsOKButtonShown() const;
  // The static texts of the interior, in creation order (recorded by the
  // scripted dialog driver).
  std::vector<std::string> Texts() const;

 private:
  std::string title_;  // caption
};

// Shortens path to at most maxLength characters for labels and titles: the
// start of the path, "...", the separator and the file name; the file name is
// kept whole when it fits. The result (at most high characters) goes to out.
void CompressPathToLength(const char* path, int maxLength, int high, char* out);

}  // namespace vwin
