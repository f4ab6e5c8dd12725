// view: event handlers, views and their containers, menus, accelerators, the
// application object and the event loop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "winkit/vcore.h"
#include "winkit/vgr.h"
#include "winkit/vrect.h"

class QWidget;

namespace vwin {
class CWindow;
}

namespace view {

void Init_();

// ------------------------------------------------------------ event handler

// Anything that receives events and window messages. A handler gets a peer
// window (CreatePeerWindow) before messages can be posted to it.
class CEventHandler {
 public:
  CEventHandler();
  virtual ~CEventHandler();
  CEventHandler(const CEventHandler&) = delete;
  CEventHandler& operator=(const CEventHandler&) = delete;

  // Handles an event; an event not stopped goes on to the parent handler.
  virtual void ReceiveEvent(vcore::TEvent& event);
  // Handles a posted window message; the base answers 0.
  virtual int64_t ReceiveMsg(uint32_t msg, uint64_t wParam, int64_t lParam);
  // Creates the peer that posted messages are delivered through.
  virtual bool CreatePeerWindow();
  void DestroyPeerWindow();
  // The handle worker threads post to; 0 before CreatePeerWindow.
  vcore::THandle Handle() const { return handle_; }

  // Delivers an event at once (this handler, then its parents).
  void Send(uint32_t kind, uint32_t code, intptr_t data = 0);
  void Dispatch(vcore::TEvent& event);
  static void StopEvent(vcore::TEvent& event) { event.stopped = true; }

  CEventHandler* ParentHandler() const { return parentHandler_; }
  void SetParentHandler(CEventHandler* parent) { parentHandler_ = parent; }

 private:
  CEventHandler* parentHandler_ = nullptr;  // where unstopped events go next
  vcore::THandle handle_ = 0;               // peer window for posted messages
};

class CNodeView;

// Renderers a view can paint with.
enum TRenderer { rnPainter = 0, rnDefault = rnPainter };

// ------------------------------------------------------------------ view

// A rectangle of a window with its own painting and input. It owns a toolkit
// widget (its peer); paint, resize, mouse, wheel and key input of the peer
// arrive as PaintView, NewRect and ReceiveEvent.
class CView : public CEventHandler {
 public:
  CView();
  ~CView() override;

  // Creates the view inside parent (null: a free view, used by dialogs and
  // tests) at rect, relative to the parent's interior.
  virtual bool Init(CNodeView* parent, const vcom::CRect& rect);
  virtual void Done();
  bool IsInitialized() const { return impl_ != nullptr; }

  // Called with the view's new size (x, y = 0) after every resize.
  virtual void NewRect(const vcom::CRect& rect);
  // Paints the view; dc is clipped to the exposed part.
  virtual void PaintView(vgr::CDeviceContext& dc);

  void SetRect(const vcom::CRect& rect);
  vcom::CRect GetRect() const;      // position in the parent and size
  vcom::CRect ClientRect() const;   // 0, 0, width, height
  void Show(bool shown = true);
  bool IsShown() const;
  void SetEnabled(bool enabled);
  bool IsEnabled() const;
  void SetFocus();
  bool HasFocus() const;
  // Schedules a repaint of the whole view or of a part of it.
  void Invalidate();
  void InvalidateRect(const vcom::CRect& rect);
  // Repaints at once (tests and the export path use it).
  void Update();
  // Renders the view (a window: with its frame's menu, tool and status
  // bars) into image.
  bool Grab(vimage::CImage& image) const;

  void SetRenderer(TRenderer renderer);
  TRenderer Renderer() const { return renderer_; }
  // The graphic context the view's painting starts from.
  vgr::TGContext* GetPGContext() { return &gc_; }
  // Draws without the paper fill when transparent.
  void SetOpaque(bool opaque);
  void SetToolTip(const char* text);

  void CaptureMouse();
  void ReleaseMouse();
  bool HasCapture() const;
  void SetCursor(vcore::TCursor cursor);

  CNodeView* Parent() const { return parent_; }
  // The top-level window holding the view, or null.
  vwin::CWindow* Window() const;

  struct TImpl;
  TImpl* Impl() const { return impl_.get(); }
  // The toolkit widget of the view (for the framework's own sources).
  QWidget* Peer() const;

 protected:
  // Lets a derived class supply a toolkit widget of its own (controls do).
  void AttachImpl(std::unique_ptr<TImpl> impl, CNodeView* parent, const vcom::CRect& rect);
  // The same for a widget that is both placed and painted (owned by the view).
  void AttachPeer(QWidget* widget, CNodeView* parent, const vcom::CRect& rect);

 private:
  friend class CNodeView;
  std::unique_ptr<TImpl> impl_;   // the peer widget and its bridge
  CNodeView* parent_ = nullptr;   // container, not owned
  vgr::TGContext gc_;             // painting starts from this context
  TRenderer renderer_ = rnDefault;
};

// ------------------------------------------------------------- node views

// A view holding child views. Children register with it; the first
// registered child is the one focus goes to.
class CNodeView : public CView {
 public:
  CNodeView();
  ~CNodeView() override;
  void Done() override;
  // Puts child in front of the registration list.
  virtual void RegisterFirst(CView* child);
  virtual void RegisterLast(CView* child);
  void Unregister(CView* child);
  int ChildCount() const { return static_cast<int>(children_.size()); }
  CView* Child(int index) const { return children_[index]; }
  // Whether Done also ends the children's life (Done of each).
  void SetOwnsChildren(bool owns) { ownsChildren_ = owns; }

 private:
  std::vector<CView*> children_;  // registered children, not owned
  bool ownsChildren_ = false;     // Done calls Done of the children
};

// A node view bound to a record: derived classes move data between the
// record and their controls in LoadData and StoreData.
class CDBNodeView : public CNodeView {
 public:
  virtual void LoadData() {}
  virtual bool StoreData() { return true; }
  bool IsDataChanged() const { return dataChanged_; }
  void SetDataChanged(bool changed) { dataChanged_ = changed; }
  void ReceiveEvent(vcore::TEvent& event) override;

 private:
  bool dataChanged_ = false;  // a control changed since LoadData
};

// A view that scrolls a larger content view.
class CScrollerView : public CNodeView {
 public:
  bool Init(CNodeView* parent, const vcom::CRect& rect) override;
  // Places content inside; the content keeps its own size.
  void SetContent(CView* content);
  CView* Content() const { return content_; }
  // Resizes the content (and with it the scroll range).
  void SetContentSize(int width, int height);
  void ScrollTo(int x, int y);
  void ScrollBy(int dx, int dy);
  int ScrollX() const;
  int ScrollY() const;
  // Back to the top-left.
  void ResetScroll() { ScrollTo(0, 0); }
  // From now on the content fills the visible area and is never smaller
  // than width x height: scroll bars appear only where the area is smaller.
  // Replaces SetContentSize for this scroller.
  void SetContentMinimumSize(int width, int height);

 private:
  CView* content_ = nullptr;  // scrolled view, not owned
};

// Columns side by side with draggable splitters between them.
class CSplitterView : public CNodeView {
 public:
  bool Init(CNodeView* parent, const vcom::CRect& rect) override;
  // Adds a column; its view must have been created with this as parent.
  // width <= 0: the column stretches to take the space left.
  void AddColumn(CView* column, int width);
  int ColumnCount() const;
  int ColumnWidth(int index) const;
  void SetColumnWidth(int index, int width);
  void ShowColumn(int index, bool shown);
  bool IsColumnShown(int index) const;
};

// ------------------------------------------------------------------- menus

class CPopUpMenu;

// Items with command numbers; choosing one delivers an evCommand event with
// the number to the owner window (or to the view a pop-up was shown for).
class CAbstractMenu {
 public:
  CAbstractMenu();
  virtual ~CAbstractMenu();
  CAbstractMenu(const CAbstractMenu&) = delete;
  CAbstractMenu& operator=(const CAbstractMenu&) = delete;

  // label is UTF-8; shortcut the text shown beside it (not a binding: keys
  // are turned into commands by the window's accelerators); mnemonic is the
  // position of the underlined letter or -1.
  bool AddItem(const char* label, const char* shortcut, int mnemonic, const vgr::CIcon* icon,
               const vgr::CIcon* grayIcon, uint32_t command);
  bool AddItem(const char* label, uint32_t command) { return AddItem(label, nullptr, -1, nullptr, nullptr, command); }
  bool AddLine();
  // Adds a submenu; the menu keeps sub (owned from now on).
  bool AddMenu(const char* label, int mnemonic, CPopUpMenu* sub);
  // State by command number, searched through submenus; tool buttons of the
  // window with the same number follow.
  void Enable(uint32_t command);
  void Disable(uint32_t command);
  void SetEnabled(uint32_t command, bool enabled);
  void Check(uint32_t command);
  void Uncheck(uint32_t command);
  bool IsChecked(uint32_t command) const;
  bool IsEnabled(uint32_t command) const;
  bool HasItem(uint32_t command) const;
  // Replaces an item's label.
  void SetLabel(uint32_t command, const char* label);
  // Removes the items with command numbers in [first, last].
  void RemoveItems(uint32_t first, uint32_t last);
  void SetIconSize(int size);
  // Chooses an item as the user would (tests, tool buttons).
  bool Choose(uint32_t command);

  struct TImpl;
  TImpl* Impl() const { return impl_.get(); }

 protected:
  std::unique_ptr<TImpl> impl_;  // the toolkit menu and its items
};

class CMenuBar : public CAbstractMenu {
 public:
  CMenuBar();
  ~CMenuBar() override;
  bool Init();
  void Done();
};

class CPopUpMenu : public CAbstractMenu {
 public:
  CPopUpMenu();
  ~CPopUpMenu() override;
  // Starts an empty menu with a title (shown for submenus).
  bool InitItems(const char* title = nullptr);
  void Done();
  // Shows the menu at (x, y) of view and waits; delivers the chosen command
  // to view and returns it (0 when dismissed). A scripted dialog driver
  // answers instead when installed.
  uint32_t Track(CView* view, int x, int y);
};

// Keys that become commands before dispatch.
class CAccelerators {
 public:
  void Add(uint32_t key, uint32_t modifiers, uint32_t command);
  // For an evKeyDown event: the command bound to its key and modifiers.
  bool Translate(const vcore::TEvent& event, uint32_t& command) const;
  void Clear() { table_.clear(); }

 private:
  struct TEntry {
    uint32_t key, modifiers, command;
  };
  std::vector<TEntry> table_;  // bindings in the order added
};

// ------------------------------------------------------- application object

// The application: creates the toolkit application, holds the main window
// and runs the event loop.
class CBackground {
 public:
  CBackground();
  ~CBackground();
  CBackground(const CBackground&) = delete;
  CBackground& operator=(const CBackground&) = delete;
  bool Init(const char* applicationName = "OMBRIX");
  void Done();
  // Hands the main window over: it is shown, and closing it ends the loop.
  void RegisterWindow(vwin::CWindow* window);
  vwin::CWindow* MainWindow() const { return main_; }
  // Runs the event loop until LeaveDispatchLoop or the main window closes.
  int Run();

 private:
  vwin::CWindow* main_ = nullptr;  // not owned
  bool ownsApplication_ = false;   // we created the toolkit application
};

// The application object, set by CBackground::Init.
extern CBackground* PBackground;

// Creates the toolkit application when none exists yet (tests, tools).
void EnsureApplication();
// The same for programs that only draw into images: the application is
// created without a display (on machines without one as well).
void EnsureOffScreenApplication();
// Runs nested event loops: each Enter runs until the matching Leave.
int EnterDispatchLoop();
void LeaveDispatchLoop(int result = 0);
// A message pump for modal waits: VPeekMessage processes the events that
// are ready and says whether there were any; VDispatchMessage delivers any
// posted events left over.
bool VPeekMessage();
void VDispatchMessage();

}  // namespace view
