// vcore: the framework core — module start-up, application events, posted
// messages, screen resolution, cursors and the thread wait with dispatch.
#pragma once

#include <cstdint>
#include <functional>
#include <thread>

#include "winkit/vrect.h"

namespace view {
class CEventHandler;
}

namespace vcore {

using byte = unsigned char;

// Module start-up; keeps a call counter and acts on the first call only.
void Init_();
// Stores the instance handle of the program (kept for the design's sake; on
// this platform it carries no meaning beyond being returned again).
void SetAppHandle(void* handle);
void* GetAppHandle();

// Screen resolution used to scale sizes given at 96 dpi. Qt scales logical
// pixels itself, so both answer 96.
int ScreenHDPI();
int ScreenVDPI();
// size * dpi / 96 rounded as a multiply-divide.
int ScaleH(int size96);
int ScaleV(int size96);

// ---------------------------------------------------------------- events

// Event kinds are bits so that a handler can test several at once.
enum TEventKind : uint32_t {
  evNothing = 0,
  evMouseDown = 0x0001,
  evMouseUp = 0x0002,
  evMouseMove = 0x0004,
  evMouseWheel = 0x0008,
  evMouseDouble = 0x0010,
  evKeyDown = 0x0020,
  evKeyUp = 0x0040,
  evCommand = 0x0100,   // menu item, tool button or accelerator; code = command
  evControl = 0x0200,   // a control changed; code = control id, data = TNotify
  evFocus = 0x0400,     // focus gained (data 1) or lost (data 0)
  evNotify = 0x1000,    // application notifications (4096)
  evNotify2 = 0x2000,   // application notifications (8192)
  evApplication = 0x4000,
  evMouse = evMouseDown | evMouseUp | evMouseMove | evMouseWheel | evMouseDouble,
  evKeyboard = evKeyDown | evKeyUp,
};

// What a control reports with evControl.
enum TNotify : int {
  cnChanged = 1,    // value or text changed
  cnPressed = 2,    // button pressed
  cnSelected = 3,   // list/combo selection changed
  cnTabChanged = 4, // active tab page changed
  cnScrolled = 5,   // scroll bar or slider moved
  cnActivated = 6,  // double click or Enter on a list item
};

// Mouse buttons and key modifiers.
enum : uint32_t {
  mbLeft = 1,
  mbRight = 2,
  mbMiddle = 4,
  kmShift = 0x100,
  kmCtrl = 0x200,
  kmAlt = 0x400,
};

// Key codes follow the common virtual-key numbering: letters and digits are
// their upper-case ASCII codes.
enum TKey : uint32_t {
  vkBack = 0x08, vkTab = 0x09, vkReturn = 0x0D, vkEscape = 0x1B, vkSpace = 0x20,
  vkPrior = 0x21, vkNext = 0x22, vkEnd = 0x23, vkHome = 0x24,
  vkLeft = 0x25, vkUp = 0x26, vkRight = 0x27, vkDown = 0x28,
  vkInsert = 0x2D, vkDelete = 0x2E,
  vkF1 = 0x70, vkF2, vkF3, vkF4, vkF5, vkF6, vkF7, vkF8, vkF9, vkF10, vkF11, vkF12,
};

// An application or input event. Delivered to view::CEventHandler::ReceiveEvent;
// events a view does not stop travel on to its parent.
struct TEvent {
  uint32_t kind = evNothing;   // TEventKind
  uint32_t code = 0;           // command, control id, key code or app number
  intptr_t data = 0;           // extra value (TNotify, application data)
  int x = 0, y = 0;            // mouse position in the receiving view
  int wheel = 0;               // wheel steps, positive forward
  uint32_t buttons = 0;        // mbLeft..mbMiddle
  uint32_t modifiers = 0;      // kmShift, kmCtrl, kmAlt
  view::CEventHandler* source = nullptr;  // originator (control, menu owner)
  bool stopped = false;        // set by StopEvent: consumed
};

// Queues an application event for target; it reaches target->ReceiveEvent
// from the event loop, later, on the GUI thread.
void CreateEventA(view::CEventHandler* target, uint32_t kind, uint32_t code, intptr_t data = 0);

// ---------------------------------------------------------------- messages

// The handle of an event handler's peer window, used by worker threads.
// 0 is no window.
using THandle = uint64_t;

// Posts a window message; may be called from any thread. The message reaches
// the handler's ReceiveMsg on the GUI thread. Returns false when the handle
// no longer names a live peer (the message is dropped).
bool PostMessageA(THandle window, uint32_t msg, uint64_t wParam = 0, int64_t lParam = 0);

// Processes GUI events until every given thread has ended, then joins them.
void WaitThreadsDispatching(std::thread* threads, int count);
// Processes GUI events until done() answers true (checked every few ms).
void WaitDispatching(const std::function<bool()>& done);
// Processes pending paint, timer and posted events but no user input: keeps
// a window drawn during a long operation without letting the user start
// another command in the middle of it.
void ProcessOutputEvents();

// ---------------------------------------------------------------- documents

// Opens a file with the desktop's application for its type (the shell's
// "open" verb); false when nothing could be started.
bool OpenDocument(const char* path);
// Tests replace the desktop by a function of their own (null restores it).
void SetDocumentOpener(std::function<bool(const char* path)> opener);

// ---------------------------------------------------------------- cursors

enum TCursor { crArrow = 0, crHand = 1, crBusy = 2, crCross = 3, crSizeWE = 4, crIBeam = 5 };
// The busy cursor over the whole program; calls nest.
void BeginBusy();
void EndBusy();

}  // namespace vcore
