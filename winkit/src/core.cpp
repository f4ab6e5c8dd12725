// Module start-up, the application object, event loops, posted messages and
// queued application events.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QEventLoop>
#include <QThread>
#include <QUrl>

#include <clocale>
#include <cstdlib>
#include <atomic>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "qtpeer.h"
#include "winkit/vwin.h"

namespace winkit_qt {
namespace {

int g_argc = 1;
char g_arg0[] = "ombrix";
char* g_argv[] = {g_arg0, nullptr};
QApplication* g_app = nullptr;  // created by the framework when none existed

std::unordered_set<view::CEventHandler*>& LiveHandlers() {
  static std::unordered_set<view::CEventHandler*> live;
  return live;
}

// A posted window message.
class MessageEvent : public QEvent {
 public:
  MessageEvent(uint32_t m, uint64_t w, int64_t l) : QEvent(QEvent::Type(kMessageEvent)), msg(m), wParam(w), lParam(l) {}
  uint32_t msg;
  uint64_t wParam;
  int64_t lParam;
};

// The receiver of an event handler's posted messages (its peer window).
class MessagePeer : public QObject {
 public:
  explicit MessagePeer(view::CEventHandler* owner) : owner_(owner) {}
  bool event(QEvent* e) override {
    if (static_cast<int>(e->type()) != kMessageEvent) return QObject::event(e);
    auto* m = static_cast<MessageEvent*>(e);
    if (owner_) owner_->ReceiveMsg(m->msg, m->wParam, m->lParam);
    return true;
  }

 private:
  view::CEventHandler* owner_;  // receives the messages
};

// Handles of live peers. Worker threads look handles up here, under the lock,
// so a peer destroyed meanwhile is never posted to.
struct PeerTable {
  std::mutex lock;
  std::unordered_map<vcore::THandle, MessagePeer*> peers;
  vcore::THandle next = 1;
};
PeerTable& Peers() {
  static PeerTable table;
  return table;
}

// A queued application event.
class AppEvent : public QEvent {
 public:
  AppEvent(view::CEventHandler* t, const vcore::TEvent& e) : QEvent(QEvent::Type(kAppEvent)), target(t), ev(e) {}
  view::CEventHandler* target;
  vcore::TEvent ev;
};

class AppEventSink : public QObject {
 public:
  bool event(QEvent* e) override {
    if (static_cast<int>(e->type()) != kAppEvent) return QObject::event(e);
    auto* a = static_cast<AppEvent*>(e);
    if (IsAlive(a->target)) a->target->Dispatch(a->ev);
    return true;
  }
};
AppEventSink& Sink() {
  static AppEventSink* sink = new AppEventSink;  // lives as long as the program
  return *sink;
}

std::vector<QEventLoop*>& Loops() {
  static std::vector<QEventLoop*> loops;
  return loops;
}
int g_busy = 0;         // nesting of BeginBusy
void* g_appHandle = nullptr;

}  // namespace

void InstallPlatformHooks();

bool IsAlive(view::CEventHandler* handler) { return LiveHandlers().count(handler) != 0; }

void EnsureApp() {
  if (QCoreApplication::instance()) return;
  g_app = new QApplication(g_argc, g_argv);
  QApplication::setApplicationName("OMBRIX");
  // Qt sets the process locale from the environment; numbers written to
  // files, the clipboard and the network must keep the point as decimal
  // separator, so the C library's numeric conversions stay in the C locale.
  std::setlocale(LC_NUMERIC, "C");
}

vcore::THandle RegisterPeer(view::CEventHandler* owner) {
  auto* peer = new MessagePeer(owner);
  auto& t = Peers();
  std::lock_guard<std::mutex> guard(t.lock);
  vcore::THandle h = t.next++;
  t.peers[h] = peer;
  return h;
}

void UnregisterPeer(vcore::THandle handle) {
  MessagePeer* peer = nullptr;
  {
    auto& t = Peers();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.peers.find(handle);
    if (it == t.peers.end()) return;
    peer = it->second;
    t.peers.erase(it);
  }
  delete peer;  // drops its pending messages
}

void AddLive(view::CEventHandler* h) { LiveHandlers().insert(h); }
void RemoveLive(view::CEventHandler* h) { LiveHandlers().erase(h); }

}  // namespace winkit_qt

using namespace winkit_qt;

// ------------------------------------------------------------------ vcore

namespace vcore {

void Init_() {
  static int calls = 0;
  if (calls++ == 0) {
    EnsureApp();
    InstallPlatformHooks();
  }
}
void SetAppHandle(void* handle) { g_appHandle = handle; }
void* GetAppHandle() { return g_appHandle; }
int ScreenHDPI() { return 96; }
int ScreenVDPI() { return 96; }
int ScaleH(int size96) { return static_cast<int>((static_cast<int64_t>(size96) * ScreenHDPI() + 48) / 96); }
int ScaleV(int size96) { return static_cast<int>((static_cast<int64_t>(size96) * ScreenVDPI() + 48) / 96); }

void CreateEventA(view::CEventHandler* target, uint32_t kind, uint32_t code, intptr_t data) {
  if (!target) return;
  EnsureApp();
  TEvent e;
  e.kind = kind;
  e.code = code;
  e.data = data;
  QCoreApplication::postEvent(&Sink(), new AppEvent(target, e));
}

bool PostMessageA(THandle window, uint32_t msg, uint64_t wParam, int64_t lParam) {
  auto& t = Peers();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.peers.find(window);
  if (it == t.peers.end()) return false;
  QCoreApplication::postEvent(it->second, new MessageEvent(msg, wParam, lParam));
  return true;
}

void WaitDispatching(const std::function<bool()>& done) {
  EnsureApp();
  while (!done()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(2);
  }
  QCoreApplication::sendPostedEvents();
}

namespace {
std::function<bool(const char*)>& DocumentOpener() {
  static std::function<bool(const char*)> opener;
  return opener;
}
}  // namespace

bool OpenDocument(const char* path) {
  if (!path || !*path) return false;
  if (DocumentOpener()) return DocumentOpener()(path);
  EnsureApp();
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromUtf8(path)));
}

void SetDocumentOpener(std::function<bool(const char* path)> opener) { DocumentOpener() = std::move(opener); }

void ProcessOutputEvents() {
  EnsureApp();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WaitThreadsDispatching(std::thread* threads, int count) {
  // A helper joins the threads in turn and raises a flag; the GUI thread
  // keeps dispatching until it sees the flag.
  std::atomic<bool> ended{false};
  std::thread joiner([threads, count, &ended] {
    for (int i = 0; i < count; ++i)
      if (threads[i].joinable()) threads[i].join();
    ended.store(true, std::memory_order_release);
  });
  WaitDispatching([&ended] { return ended.load(std::memory_order_acquire); });
  joiner.join();
}

void BeginBusy() {
  EnsureApp();
  if (g_busy++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}
void EndBusy() {
  if (g_busy == 0) return;
  if (--g_busy == 0) QApplication::restoreOverrideCursor();
}

}  // namespace vcore

// ------------------------------------------------------------- event loop

namespace view {

CBackground* PBackground = nullptr;

void Init_() {
  static int calls = 0;
  if (calls++ == 0) vcore::Init_();
}
void EnsureApplication() { EnsureApp(); }

void EnsureOffScreenApplication() {
  if (!QCoreApplication::instance()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  EnsureApp();
}

int EnterDispatchLoop() {
  EnsureApp();
  QEventLoop loop;
  Loops().push_back(&loop);
  int result = loop.exec();
  Loops().pop_back();
  return result;
}

void LeaveDispatchLoop(int result) {
  if (!Loops().empty()) Loops().back()->exit(result);
}

bool VPeekMessage() {
  EnsureApp();
  QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance();
  QCoreApplication::sendPostedEvents();
  return d && d->processEvents(QEventLoop::AllEvents);
}

void VDispatchMessage() { QCoreApplication::sendPostedEvents(); }

CBackground::CBackground() = default;
CBackground::~CBackground() { Done(); }

bool CBackground::Init(const char* applicationName) {
  ownsApplication_ = QCoreApplication::instance() == nullptr;
  EnsureApp();
  if (applicationName) QApplication::setApplicationName(Q(applicationName));
  PBackground = this;
  return true;
}

void CBackground::Done() {
  if (PBackground == this) PBackground = nullptr;
  main_ = nullptr;
}

void CBackground::RegisterWindow(vwin::CWindow* window) {
  main_ = window;
  if (window) window->ShowWindow();
}

int CBackground::Run() {
  if (main_ && !main_->IsInitialized()) return 0;
  return EnterDispatchLoop();
}

}  // namespace view
