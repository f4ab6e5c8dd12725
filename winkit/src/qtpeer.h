// Toolkit side of the framework: the widgets that stand behind views and the
// helpers shared by the framework's sources. Only winkit's sources see it.
#pragma once

#include <QColor>
#include <QEvent>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <string>

#include "winkit/view.h"

namespace winkit_qt {

inline QString Q(const char* text) { return text ? QString::fromUtf8(text) : QString(); }
inline QString Q(const char* text, int length) {
  if (!text) return {};
  int n = 0;
  while (n < length && text[n]) ++n;
  return QString::fromUtf8(text, n);
}
inline std::string S(const QString& text) { return text.toStdString(); }
inline QRect ToQ(const vcom::CRect& r) { return QRect(r.x, r.y, r.width, r.height); }
inline vcom::CRect FromQ(const QRect& r) { return vcom::CRect(r.x(), r.y(), r.width(), r.height()); }
// Drawing ignores the alpha byte.
inline QColor ToQColor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
inline uint32_t FromQColor(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | c.green() << 8 | c.blue() << 16 | 0xFFu << 24;
}

// Event types of posted messages and queued application events.
enum : int { kMessageEvent = QEvent::User + 101, kAppEvent = QEvent::User + 102 };

// The widget behind a custom view: forwards paint, resize and input.
class PeerWidget : public QWidget {
 public:
  PeerWidget(view::CView* owner, QWidget* parent);
  view::CView* Owner() const { return owner_; }
  void Detach() { owner_ = nullptr; }
  bool opaque = true;  // fill with paper before PaintView

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  view::CView* owner_;  // the view this widget stands for
};

// Key and modifier translation between Qt and the framework's codes.
uint32_t KeyFromQt(int qtKey);
uint32_t ModifiersFromQt(Qt::KeyboardModifiers m);
uint32_t ButtonsFromQt(Qt::MouseButtons b);
// Delivers a key press to a view chain; true when some view stopped it.
bool DeliverKey(view::CView* view, QKeyEvent* e, bool press);

// The parent widget for children of node (its interior), or null.
QWidget* ChildParent(view::CNodeView* node);

// Whether a handler is still alive (queued events check this).
bool IsAlive(view::CEventHandler* handler);

// Makes sure a toolkit application exists.
void EnsureApp();

}  // namespace winkit_qt

// The peer behind every view: outer is what is placed and sized in the
// parent, inner what paints and holds the children (often the same widget).
struct view::CView::TImpl {
  QPointer<QWidget> outer;  // geometry; deleted by Done
  QPointer<QWidget> inner;  // painting and children
  bool ownsOuter = true;    // Done deletes outer
};
