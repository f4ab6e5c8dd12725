// Event handlers, views, node views, scrollers and splitters.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

#include <cstring>

#include "painter.h"
#include "winkit/vimage.h"
#include "qtpeer.h"
#include "winkit/vwin.h"

namespace winkit_qt {
vcore::THandle RegisterPeer(view::CEventHandler* owner);
void UnregisterPeer(vcore::THandle handle);
void AddLive(view::CEventHandler* h);
void RemoveLive(view::CEventHandler* h);

uint32_t KeyFromQt(int k) {
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<uint32_t>(k);
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<uint32_t>(k);
  if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return vcore::vkF1 + static_cast<uint32_t>(k - Qt::Key_F1);
  switch (k) {
    case Qt::Key_Backspace: return vcore::vkBack;
    case Qt::Key_Tab: return vcore::vkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vcore::vkReturn;
    case Qt::Key_Escape: return vcore::vkEscape;
    case Qt::Key_Space: return vcore::vkSpace;
    case Qt::Key_PageUp: return vcore::vkPrior;
    case Qt::Key_PageDown: return vcore::vkNext;
    case Qt::Key_End: return vcore::vkEnd;
    case Qt::Key_Home: return vcore::vkHome;
    case Qt::Key_Left: return vcore::vkLeft;
    case Qt::Key_Up: return vcore::vkUp;
    case Qt::Key_Right: return vcore::vkRight;
    case Qt::Key_Down: return vcore::vkDown;
    case Qt::Key_Insert: return vcore::vkInsert;
    case Qt::Key_Delete: return vcore::vkDelete;
    default: return static_cast<uint32_t>(k & 0xFFFF);
  }
}

uint32_t ModifiersFromQt(Qt::KeyboardModifiers m) {
  uint32_t r = 0;
  if (m & Qt::ShiftModifier) r |= vcore::kmShift;
  if (m & Qt::ControlModifier) r |= vcore::kmCtrl;
  if (m & Qt::AltModifier) r |= vcore::kmAlt;
  return r;
}

uint32_t ButtonsFromQt(Qt::MouseButtons b) {
  uint32_t r = 0;
  if (b & Qt::LeftButton) r |= vcore::mbLeft;
  if (b & Qt::RightButton) r |= vcore::mbRight;
  if (b & Qt::MiddleButton) r |= vcore::mbMiddle;
  return r;
}

bool DeliverKey(view::CView* v, QKeyEvent* e, bool press) {
  if (!v) return false;
  vcore::TEvent ev;
  ev.kind = press ? vcore::evKeyDown : vcore::evKeyUp;
  ev.code = KeyFromQt(e->key());
  ev.modifiers = ModifiersFromQt(e->modifiers());
  // The typed character, apart from the key code: "!" and PgUp share a key
  // code, and only the character tells a text view what to insert.
  const QString text = e->text();
  if (press && !text.isEmpty() && text[0].unicode() >= 32 && text[0].unicode() != 127) ev.data = text[0].unicode();
  v->Dispatch(ev);
  return ev.stopped;
}

QWidget* ChildParent(view::CNodeView* node) {
  if (!node || !node->Impl()) return nullptr;
  return node->Impl()->inner;
}

PeerWidget::PeerWidget(view::CView* owner, QWidget* parent) : QWidget(parent), owner_(owner) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PeerWidget::paintEvent(QPaintEvent* e) {
  if (!owner_) return;
  QPainter p(this);
  vgr::CPainterContext dc(new vgr::CPainterContext::TImpl(&p));
  dc.SetGContext(*owner_->GetPGContext());
  dc.SetExposedRect(FromQ(e->rect()));
  if (opaque) p.fillRect(e->rect(), ToQColor(owner_->GetPGContext()->paper));
  owner_->PaintView(dc);
}

void PeerWidget::resizeEvent(QResizeEvent*) {
  if (owner_) owner_->NewRect(vcom::CRect(0, 0, width(), height()));
}

namespace {
void SendMouse(view::CView* owner, uint32_t kind, QMouseEvent* e) {
  if (!owner) return;
  vcore::TEvent ev;
  ev.kind = kind;
  ev.x = static_cast<int>(e->position().x());
  ev.y = static_cast<int>(e->position().y());
  ev.buttons = ButtonsFromQt(kind == vcore::evMouseUp ? e->button() : e->buttons() | e->button());
  ev.modifiers = ModifiersFromQt(e->modifiers());
  owner->Dispatch(ev);
}
}  // namespace

void PeerWidget::mousePressEvent(QMouseEvent* e) { SendMouse(owner_, vcore::evMouseDown, e); }
void PeerWidget::mouseReleaseEvent(QMouseEvent* e) { SendMouse(owner_, vcore::evMouseUp, e); }
void PeerWidget::mouseDoubleClickEvent(QMouseEvent* e) { SendMouse(owner_, vcore::evMouseDouble, e); }
void PeerWidget::mouseMoveEvent(QMouseEvent* e) { SendMouse(owner_, vcore::evMouseMove, e); }

void PeerWidget::wheelEvent(QWheelEvent* e) {
  if (!owner_) return;
  vcore::TEvent ev;
  ev.kind = vcore::evMouseWheel;
  ev.x = static_cast<int>(e->position().x());
  ev.y = static_cast<int>(e->position().y());
  int delta = e->angleDelta().y();
  ev.wheel = delta > 0 ? std::max(1, delta / 120) : delta < 0 ? std::min(-1, delta / 120) : 0;
  ev.buttons = ButtonsFromQt(e->buttons());
  ev.modifiers = ModifiersFromQt(e->modifiers());
  owner_->Dispatch(ev);
}

// Key events travel the view chain once; the widget accepts them so that
// the toolkit does not hand them to parent widgets a second time.
void PeerWidget::keyPressEvent(QKeyEvent* e) { DeliverKey(owner_, e, true); }
void PeerWidget::keyReleaseEvent(QKeyEvent* e) { DeliverKey(owner_, e, false); }

void PeerWidget::focusInEvent(QFocusEvent*) {
  if (owner_) owner_->Send(vcore::evFocus, 0, 1);
}
void PeerWidget::focusOutEvent(QFocusEvent*) {
  if (owner_) owner_->Send(vcore::evFocus, 0, 0);
}

}  // namespace winkit_qt

using namespace winkit_qt;

namespace view {

// ---------------------------------------------------------- event handler

CEventHandler::CEventHandler() { AddLive(this); }
CEventHandler::~CEventHandler() {
  DestroyPeerWindow();
  RemoveLive(this);
}

void CEventHandler::ReceiveEvent(vcore::TEvent&) {}
int64_t CEventHandler::ReceiveMsg(uint32_t, uint64_t, int64_t) { return 0; }

bool CEventHandler::CreatePeerWindow() {
  if (handle_ == 0) {
    EnsureApp();
    handle_ = RegisterPeer(this);
  }
  return true;
}

void CEventHandler::DestroyPeerWindow() {
  if (handle_ == 0) return;
  UnregisterPeer(handle_);
  handle_ = 0;
}

void CEventHandler::Send(uint32_t kind, uint32_t code, intptr_t data) {
  vcore::TEvent e;
  e.kind = kind;
  e.code = code;
  e.data = data;
  e.source = this;
  Dispatch(e);
}

void CEventHandler::Dispatch(vcore::TEvent& event) {
  // A handler may end the life of its parents (closing a window), so each
  // step checks that the next handler is still alive.
  for (CEventHandler* h = this; h && !event.stopped; h = h->parentHandler_) {
    h->ReceiveEvent(event);
    if (!IsAlive(h)) break;
  }
}

// ------------------------------------------------------------------- view

CView::CView() = default;
CView::~CView() { CView::Done(); }

void CView::AttachImpl(std::unique_ptr<TImpl> impl, CNodeView* parent, const vcom::CRect& rect) {
  impl_ = std::move(impl);
  parent_ = parent;
  SetParentHandler(parent);
  if (parent) parent->RegisterLast(this);
  if (impl_->outer) {
    impl_->outer->setGeometry(ToQ(rect));
    if (parent && parent->Impl() && parent->Impl()->outer && parent->Impl()->outer->isVisible())
      impl_->outer->show();
  }
}

void CView::AttachPeer(QWidget* widget, CNodeView* parent, const vcom::CRect& rect) {
  auto impl = std::make_unique<TImpl>();
  impl->outer = widget;
  impl->inner = widget;
  AttachImpl(std::move(impl), parent, rect);
}

QWidget* CView::Peer() const { return impl_ ? impl_->inner.data() : nullptr; }

bool CView::Init(CNodeView* parent, const vcom::CRect& rect) {
  EnsureApp();
  if (impl_) Done();
  auto impl = std::make_unique<TImpl>();
  auto* w = new PeerWidget(this, ChildParent(parent));
  impl->outer = w;
  impl->inner = w;
  AttachImpl(std::move(impl), parent, rect);
  return true;
}

void CView::Done() {
  if (!impl_) return;
  if (auto* peer = dynamic_cast<PeerWidget*>(impl_->inner.data())) peer->Detach();
  if (impl_->ownsOuter && impl_->outer) delete impl_->outer.data();
  impl_.reset();
  if (parent_) parent_->Unregister(this);
  parent_ = nullptr;
  SetParentHandler(nullptr);
}

void CView::NewRect(const vcom::CRect&) {}
void CView::PaintView(vgr::CDeviceContext&) {}

void CView::SetRect(const vcom::CRect& rect) {
  if (impl_ && impl_->outer) impl_->outer->setGeometry(ToQ(rect));
}
vcom::CRect CView::GetRect() const {
  return impl_ && impl_->outer ? FromQ(impl_->outer->geometry()) : vcom::CRect();
}
vcom::CRect CView::ClientRect() const {
  if (!impl_ || !impl_->inner) return {};
  return vcom::CRect(0, 0, impl_->inner->width(), impl_->inner->height());
}
void CView::Show(bool shown) {
  if (impl_ && impl_->outer) impl_->outer->setVisible(shown);
}
bool CView::IsShown() const { return impl_ && impl_->outer && !impl_->outer->isHidden(); }
void CView::SetEnabled(bool enabled) {
  if (impl_ && impl_->outer) impl_->outer->setEnabled(enabled);
}
bool CView::IsEnabled() const { return impl_ && impl_->outer && impl_->outer->isEnabled(); }
void CView::SetFocus() {
  if (impl_ && impl_->inner) impl_->inner->setFocus(Qt::OtherFocusReason);
}
bool CView::HasFocus() const {
  if (!impl_ || !impl_->inner) return false;
  QWidget* f = QApplication::focusWidget();
  return f && (f == impl_->inner || impl_->inner->isAncestorOf(f));
}
void CView::Invalidate() {
  if (impl_ && impl_->inner) impl_->inner->update();
}
void CView::InvalidateRect(const vcom::CRect& rect) {
  if (impl_ && impl_->inner) impl_->inner->update(ToQ(rect));
}
void CView::Update() {
  if (impl_ && impl_->inner) impl_->inner->repaint();
}
bool CView::Grab(vimage::CImage& image) const {
  if (!impl_ || !impl_->outer) return false;
  QImage q = impl_->outer->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  if (q.isNull() || !image.Init(q.width(), q.height())) return false;
  for (int y = 0; y < q.height(); ++y) std::memcpy(image.Row(y), q.constScanLine(y), static_cast<size_t>(q.width()) * 4);
  image.MakeOpaque();
  return true;
}

void CView::SetRenderer(TRenderer renderer) { renderer_ = renderer; }
void CView::SetOpaque(bool opaque) {
  if (!impl_) return;
  if (auto* peer = dynamic_cast<PeerWidget*>(impl_->inner.data())) peer->opaque = opaque;
}
void CView::SetToolTip(const char* text) {
  if (impl_ && impl_->outer) impl_->outer->setToolTip(Q(text));
}
void CView::CaptureMouse() {
  if (impl_ && impl_->inner) impl_->inner->grabMouse();
}
void CView::ReleaseMouse() {
  if (impl_ && impl_->inner) impl_->inner->releaseMouse();
}
bool CView::HasCapture() const { return impl_ && impl_->inner && QWidget::mouseGrabber() == impl_->inner; }

void CView::SetCursor(vcore::TCursor cursor) {
  if (!impl_ || !impl_->inner) return;
  static const Qt::CursorShape shapes[] = {Qt::ArrowCursor, Qt::OpenHandCursor, Qt::WaitCursor,
                                           Qt::CrossCursor, Qt::SizeHorCursor,  Qt::IBeamCursor};
  int i = cursor >= 0 && cursor < 6 ? cursor : 0;
  impl_->inner->setCursor(shapes[i]);
}

vwin::CWindow* CView::Window() const {
  for (const CView* v = this; v; v = v->parent_)
    if (auto* w = dynamic_cast<vwin::CWindow*>(const_cast<CView*>(v))) return w;
  return nullptr;
}

// -------------------------------------------------------------- node view

CNodeView::CNodeView() = default;
CNodeView::~CNodeView() { CNodeView::Done(); }

void CNodeView::Done() {
  if (ownsChildren_) {
    auto children = children_;
    for (CView* c : children) c->Done();
  }
  // Children outlive their widgets when the parent's widget goes first; they
  // must not point at this node any more.
  for (CView* c : children_) {
    c->SetParentHandler(nullptr);
    c->parent_ = nullptr;
  }
  children_.clear();
  CView::Done();
}

void CNodeView::RegisterFirst(CView* child) {
  Unregister(child);
  children_.insert(children_.begin(), child);
}
void CNodeView::RegisterLast(CView* child) {
  if (std::find(children_.begin(), children_.end(), child) == children_.end()) children_.push_back(child);
}
void CNodeView::Unregister(CView* child) { children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end()); }

void CDBNodeView::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl && (event.data == vcore::cnChanged || event.data == vcore::cnSelected))
    dataChanged_ = true;
}

// --------------------------------------------------------------- scroller

namespace {
QScrollArea* AreaOf(const CView* v) { return v->Impl() ? qobject_cast<QScrollArea*>(v->Impl()->outer.data()) : nullptr; }
QSplitter* SplitterOf(const CView* v) { return v->Impl() ? qobject_cast<QSplitter*>(v->Impl()->outer.data()) : nullptr; }
}  // namespace

bool CScrollerView::Init(CNodeView* parent, const vcom::CRect& rect) {
  EnsureApp();
  if (Impl()) Done();
  auto impl = std::make_unique<TImpl>();
  auto* area = new QScrollArea(ChildParent(parent));
  area->setWidgetResizable(false);
  impl->outer = area;
  impl->inner = area->viewport();
  AttachImpl(std::move(impl), parent, rect);
  return true;
}

void CScrollerView::SetContent(CView* content) {
  content_ = content;
  QScrollArea* area = AreaOf(this);
  if (!area || !content || !content->Impl()) return;
  content->Impl()->ownsOuter = false;  // the scroll area deletes it
  area->setWidget(content->Impl()->outer);
  content->Impl()->outer->show();
}

void CScrollerView::SetContentSize(int width, int height) {
  if (content_ && content_->Impl() && content_->Impl()->outer) content_->Impl()->outer->resize(width, height);
}
void CScrollerView::SetContentMinimumSize(int width, int height) {
  QScrollArea* area = AreaOf(this);
  if (!area || !content_ || !content_->Impl() || !content_->Impl()->outer) return;
  content_->Impl()->outer->setMinimumSize(std::max(0, width), std::max(0, height));
  area->setWidgetResizable(true);  // lays the content out again at once
}
void CScrollerView::ScrollTo(int x, int y) {
  if (QScrollArea* a = AreaOf(this)) {
    a->horizontalScrollBar()->setValue(x);
    a->verticalScrollBar()->setValue(y);
  }
}
void CScrollerView::ScrollBy(int dx, int dy) { ScrollTo(ScrollX() + dx, ScrollY() + dy); }
int CScrollerView::ScrollX() const {
  QScrollArea* a = AreaOf(this);
  return a ? a->horizontalScrollBar()->value() : 0;
}
int CScrollerView::ScrollY() const {
  QScrollArea* a = AreaOf(this);
  return a ? a->verticalScrollBar()->value() : 0;
}

// --------------------------------------------------------------- splitter

namespace {
const char* const kWantedWidth = "winkit_width";  // column property: width asked for

// Applies the widths asked for when the splitter is first laid out; the
// toolkit spreads space evenly before that.
class SplitterSizer : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Show || (e->type() == QEvent::Resize && !applied_)) {
      auto* s = static_cast<QSplitter*>(o);
      QList<int> sizes = s->sizes();
      int fixed = 0, stretch = -1;
      for (int i = 0; i < s->count(); ++i) {
        int want = s->widget(i)->property(kWantedWidth).toInt();
        if (want > 0 && !s->widget(i)->isHidden()) {
          sizes[i] = want;
          fixed += want + s->handleWidth();
        } else if (want <= 0 && !s->widget(i)->isHidden()) {
          stretch = i;
        }
      }
      if (stretch >= 0) sizes[stretch] = std::max(1, s->width() - fixed);
      s->setSizes(sizes);
      applied_ = s->isVisible();
    }
    return false;
  }

 private:
  bool applied_ = false;  // laid out once while visible
};
}  // namespace

bool CSplitterView::Init(CNodeView* parent, const vcom::CRect& rect) {
  EnsureApp();
  if (Impl()) Done();
  auto impl = std::make_unique<TImpl>();
  auto* s = new QSplitter(Qt::Horizontal, ChildParent(parent));
  s->setChildrenCollapsible(false);
  s->installEventFilter(new SplitterSizer(s));
  impl->outer = s;
  impl->inner = s;
  AttachImpl(std::move(impl), parent, rect);
  return true;
}

void CSplitterView::AddColumn(CView* column, int width) {
  QSplitter* s = SplitterOf(this);
  if (!s || !column || !column->Impl()) return;
  s->addWidget(column->Impl()->outer);
  column->Impl()->outer->show();
  // Columns of a given width keep it when the splitter grows; a column
  // without one takes what is left.
  s->setStretchFactor(s->count() - 1, width > 0 ? 0 : 1);
  column->Impl()->outer->setProperty(kWantedWidth, width);
  if (width > 0) SetColumnWidth(s->count() - 1, width);
}

int CSplitterView::ColumnCount() const {
  QSplitter* s = SplitterOf(this);
  return s ? s->count() : 0;
}

int CSplitterView::ColumnWidth(int index) const {
  QSplitter* s = SplitterOf(this);
  if (!s || index < 0 || index >= s->count()) return 0;
  return s->sizes()[index];
}

void CSplitterView::SetColumnWidth(int index, int width) {
  QSplitter* s = SplitterOf(this);
  if (!s || index < 0 || index >= s->count()) return;
  QList<int> sizes = s->sizes();
  // Kept in the widget too, so that the first layout honours it.
  s->widget(index)->setProperty(kWantedWidth, width);
  sizes[index] = width;
  s->setSizes(sizes);
}

void CSplitterView::ShowColumn(int index, bool shown) {
  QSplitter* s = SplitterOf(this);
  if (s && index >= 0 && index < s->count()) s->widget(index)->setVisible(shown);
}

bool CSplitterView::IsColumnShown(int index) const {
  QSplitter* s = SplitterOf(this);
  return s && index >= 0 && index < s->count() && !s->widget(index)->isHidden();
}

}  // namespace view
