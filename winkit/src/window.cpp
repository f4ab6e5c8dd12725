// Top-level windows, status bars, tool boxes, OK/Cancel dialogs and path
// shortening.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstring>

#include "painter.h"
#include "qtpeer.h"
#include <runbase/fixed_text.h>

#include "winkit/vcont.h"
#include "winkit/vdlg.h"
#include "winkit/vtool.h"
#include "winkit/vwin.h"

namespace winkit_qt {
QMenuBar* AttachMenuBar(view::CMenuBar* menu, vwin::CWindow* window);
void DetachMenuBar(view::CMenuBar* menu);

namespace {
// The frame of a CWindow: closing it asks the window first.
class WindowFrame : public QMainWindow {
 public:
  explicit WindowFrame(vwin::CWindow* owner) : owner_(owner) {}
  void Detach() { owner_ = nullptr; }

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    if (owner_) owner_->Close();
  }

 private:
  vwin::CWindow* owner_;  // the window this frame shows
};
}  // namespace
}  // namespace winkit_qt

using namespace winkit_qt;

namespace {

// A status-bar field: it asks for its given width whatever its text, so a
// long text is cut and never widens the window, and it may shrink down to
// nothing when the window is narrow, so fields never lie over each other.
// A field without a width takes what is left.
class FieldLabel : public QLabel {
 public:
  explicit FieldLabel(int width) : width_(width) {
    setSizePolicy(width > 0 ? QSizePolicy::Preferred : QSizePolicy::Ignored, QSizePolicy::Preferred);
  }
  QSize sizeHint() const override { return {width_ > 0 ? width_ : 0, QLabel::sizeHint().height()}; }
  QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

 private:
  int width_;
};

}  // namespace

struct vwin::CStatusBar::TImpl {
  QPointer<QStatusBar> bar;        // the toolkit bar; the window owns it once attached
  std::vector<QLabel*> fields;     // one label per field
  QProgressBar* progress = nullptr;
};

struct vtool::CGravityBreakToolBox::TImpl {
  QPointer<QToolBar> bar;                       // the toolkit tool bar
  std::vector<std::unique_ptr<CToolButton>> buttons;  // in order added
  std::vector<view::CView*> controls;           // controls placed in the bar
  int iconSize = 24;
};

namespace vtool {

void Init_() { view::Init_(); }

bool CToolButton::IsChecked() const { return static_cast<QAction*>(action_)->isChecked(); }
bool CToolButton::IsEnabled() const { return static_cast<QAction*>(action_)->isEnabled(); }
const char* CToolButton::ToolTip() const {
  static thread_local std::string tip;
  tip = S(static_cast<QAction*>(action_)->toolTip());
  return tip.c_str();
}

CGravityBreakToolBox::CGravityBreakToolBox() : impl_(std::make_unique<TImpl>()) {}
CGravityBreakToolBox::~CGravityBreakToolBox() { Done(); }

bool CGravityBreakToolBox::Init(int iconSize) {
  EnsureApp();
  Done();
  impl_->bar = new QToolBar;
  impl_->bar->setMovable(false);
  impl_->bar->setFloatable(false);
  impl_->bar->setIconSize(QSize(iconSize, iconSize));
  impl_->iconSize = iconSize;
  return true;
}

void CGravityBreakToolBox::Done() {
  impl_->buttons.clear();
  if (impl_->bar && !impl_->bar->parent()) delete impl_->bar.data();
  impl_->bar = nullptr;
}

CToolButton* CGravityBreakToolBox::AddButton(uint32_t command, const vgr::CIcon* icon, const vgr::CIcon* grayIcon,
                                              const char* toolTip, bool toggle) {
  if (!impl_->bar) return nullptr;
  auto* a = new QAction(impl_->bar);
  QIcon qi;
  if (icon && icon->IsValid()) qi.addPixmap(icon->Impl()->pixmap);
  if (grayIcon && grayIcon->IsValid()) qi.addPixmap(grayIcon->Impl()->pixmap, QIcon::Disabled);
  a->setIcon(qi);
  a->setToolTip(Q(toolTip));
  a->setText(Q(toolTip));
  a->setCheckable(toggle);
  QObject::connect(a, &QAction::triggered, [this, command] {
    if (owner_) owner_->Send(vcore::evCommand, command);
  });
  impl_->bar->addAction(a);
  auto b = std::make_unique<CToolButton>();
  b->command_ = command;
  b->toggle_ = toggle;
  b->action_ = a;
  impl_->buttons.push_back(std::move(b));
  return impl_->buttons.back().get();
}

void CGravityBreakToolBox::AddGap(int pixels) {
  if (!impl_->bar) return;
  auto* gap = new QWidget;
  gap->setFixedWidth(pixels);
  impl_->bar->addWidget(gap);
}

void CGravityBreakToolBox::AddControl(view::CView* control, int width) {
  if (!impl_->bar || !control || !control->Impl() || !control->Impl()->outer) return;
  QWidget* w = control->Impl()->outer;
  w->setFixedWidth(width);
  control->Impl()->ownsOuter = false;  // the tool bar deletes it
  impl_->bar->addWidget(w);
  impl_->controls.push_back(control);
  control->SetParentHandler(owner_);
}

// Controls are usually added before the window exists; they report to the
// owner from the moment it is known.
void CGravityBreakToolBox::SetOwner(view::CEventHandler* owner) {
  owner_ = owner;
  for (view::CView* control : impl_->controls) control->SetParentHandler(owner);
}

void CGravityBreakToolBox::GravityBreak() {
  if (!impl_->bar) return;
  auto* spring = new QWidget;
  spring->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  impl_->bar->addWidget(spring);
}

CToolButton* CGravityBreakToolBox::Button(uint32_t command) {
  for (auto& b : impl_->buttons)
    if (b->command_ == command) return b.get();
  return nullptr;
}

void CGravityBreakToolBox::Check(uint32_t command, bool checked) {
  if (CToolButton* b = Button(command); b && b->toggle_) static_cast<QAction*>(b->action_)->setChecked(checked);
}
void CGravityBreakToolBox::Enable(uint32_t command, bool enabled) {
  if (CToolButton* b = Button(command)) static_cast<QAction*>(b->action_)->setEnabled(enabled);
}
bool CGravityBreakToolBox::IsChecked(uint32_t command) {
  CToolButton* b = Button(command);
  return b && b->IsChecked();
}
bool CGravityBreakToolBox::IsEnabled(uint32_t command) {
  CToolButton* b = Button(command);
  return b && b->IsEnabled();
}
bool CGravityBreakToolBox::Press(uint32_t command) {
  CToolButton* b = Button(command);
  if (!b || !b->IsEnabled()) return false;
  static_cast<QAction*>(b->action_)->trigger();
  return true;
}

}  // namespace vtool

namespace vwin {

void Init_() { view::Init_(); }

// ------------------------------------------------------------- status bar

CStatusBar::CStatusBar() : impl_(std::make_unique<TImpl>()) {}
CStatusBar::~CStatusBar() { Done(); }

bool CStatusBar::Init(int count, const int* widths) {
  EnsureApp();
  Done();
  impl_->bar = new QStatusBar;
  texts_.assign(count > 0 ? count : 0, std::string());
  for (int i = 0; i < count; ++i) {
    const int w = widths ? widths[i] : 0;
    auto* label = new FieldLabel(w);
    impl_->bar->addPermanentWidget(label, w > 0 ? 0 : 1);
    impl_->fields.push_back(label);
  }
  impl_->progress = new QProgressBar;
  impl_->progress->setMaximumWidth(160);
  impl_->progress->hide();
  impl_->bar->addPermanentWidget(impl_->progress);
  return true;
}

void CStatusBar::Done() {
  impl_->fields.clear();
  impl_->progress = nullptr;
  if (impl_->bar && !impl_->bar->parent()) delete impl_->bar.data();
  impl_->bar = nullptr;
  texts_.clear();
}

void CStatusBar::SetText(int field, const char* text) {
  if (field < 0 || field >= FieldCount()) return;
  texts_[field] = text ? text : "";
  if (field < static_cast<int>(impl_->fields.size())) impl_->fields[field]->setText(Q(text));
}

const char* CStatusBar::GetText(int field) const {
  return field >= 0 && field < FieldCount() ? texts_[field].c_str() : "";
}

bool SetApplicationIcon(const char* path) {
  EnsureApp();
  const QIcon icon(Q(path));
  if (icon.isNull() || icon.pixmap(32, 32).isNull()) return false;
  QApplication::setWindowIcon(icon);
  return true;
}

bool ShowTrayMessage(const char* title, const char* text, int milliseconds) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  static QSystemTrayIcon* tray = nullptr;  // one for the program's life
  if (!tray) tray = new QSystemTrayIcon(QApplication::windowIcon(), qApp);
  tray->show();
  tray->showMessage(Q(title), Q(text), QSystemTrayIcon::Information, milliseconds);
  return true;
}

void CStatusBar::ShowMessage(const char* text, int milliseconds) {
  message_ = text ? text : "";
  if (impl_->bar) impl_->bar->showMessage(Q(text), milliseconds);
}

vcom::CRect CStatusBar::FieldRect(int field) const {
  if (field < 0 || field >= static_cast<int>(impl_->fields.size())) return {};
  const QRect r = impl_->fields[field]->geometry();
  return vcom::CRect(r.x(), r.y(), r.width(), r.height());
}

bool CStatusBar::FieldTextFits(int field) const {
  if (field < 0 || field >= static_cast<int>(impl_->fields.size())) return false;
  const QLabel* label = impl_->fields[field];
  return label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width();
}

void CStatusBar::SetProgress(int value, int max) {
  progressMax_ = max > 0 ? max : 0;
  if (!impl_->progress) return;
  impl_->progress->setVisible(progressMax_ > 0);
  if (progressMax_ > 0) {
    impl_->progress->setRange(0, max);
    impl_->progress->setValue(value);
  }
}

// ----------------------------------------------------------------- window

namespace {
QMainWindow* FrameOf(const CWindow* w) { return w->Impl() ? qobject_cast<QMainWindow*>(w->Impl()->outer.data()) : nullptr; }
}  // namespace

CWindow::CWindow() = default;
CWindow::~CWindow() { CWindow::Done(); }

bool CWindow::Init(const vcom::CRect& rect, uint32_t style, const char* title, view::CMenuBar* menu,
                   vtool::CGravityBreakToolBox* toolBox, CStatusBar* statusBar) {
  EnsureApp();
  if (Impl()) Done();
  auto* frame = new WindowFrame(this);
  auto* interior = new PeerWidget(this, frame);
  frame->setCentralWidget(interior);
  frame->setWindowTitle(Q(title));
  if (!(style & wsResizable)) frame->setFixedSize(rect.width, rect.height);
  Qt::WindowFlags flags = frame->windowFlags();
  if (!(style & wsMinimizeBox)) flags &= ~Qt::WindowMinimizeButtonHint;
  if (!(style & wsMaximizeBox)) flags &= ~Qt::WindowMaximizeButtonHint;
  frame->setWindowFlags(flags);

  menu_ = menu;
  toolBox_ = toolBox;
  statusBar_ = statusBar;
  if (QMenuBar* bar = AttachMenuBar(menu, this)) frame->setMenuBar(bar);
  if (toolBox && toolBox->Impl()->bar) {
    frame->addToolBar(toolBox->Impl()->bar);
    toolBox->SetOwner(this);
  }
  if (statusBar && statusBar->Impl()->bar) frame->setStatusBar(statusBar->Impl()->bar);

  auto impl = std::make_unique<TImpl>();
  impl->outer = frame;
  impl->inner = interior;
  AttachImpl(std::move(impl), nullptr, rect);
  frame->setGeometry(ToQ(rect));
  // Lay the frame out now so that the interior has its final size before
  // CreateInterior places views in it.
  frame->ensurePolished();
  if (frame->layout()) frame->layout()->activate();
  CreateInterior();
  // The window can take posted messages from here on; overrides start
  // their workers after calling this one.
  CreatePeerWindow();
  return true;
}

void CWindow::Done() {
  if (!Impl()) return;
  if (auto* frame = dynamic_cast<WindowFrame*>(Impl()->outer.data())) {
    frame->Detach();
    frame->hide();
    // The frame may be inside its own close handler: delete it later.
    Impl()->ownsOuter = false;
    frame->deleteLater();
  }
  DetachMenuBar(menu_);  // deleted with the frame
  menu_ = nullptr;
  toolBox_ = nullptr;
  statusBar_ = nullptr;
  CNodeView::Done();
}

bool CWindow::Close() {
  if (!Impl() || !CanClose()) return false;
  bool isMain = view::PBackground && view::PBackground->MainWindow() == this;
  Done();
  if (isMain) view::LeaveDispatchLoop(0);
  return true;
}

void CWindow::SetTitle(const char* title) {
  if (QMainWindow* f = FrameOf(this)) f->setWindowTitle(Q(title));
}
std::string CWindow::Title() const {
  QMainWindow* f = FrameOf(this);
  return f ? S(f->windowTitle()) : std::string();
}
void CWindow::SetWinIcon(const vgr::CIcon* small, const vgr::CIcon* large) {
  QMainWindow* f = FrameOf(this);
  if (!f) return;
  QIcon icon;
  if (small && small->IsValid()) icon.addPixmap(small->Impl()->pixmap);
  if (large && large->IsValid()) icon.addPixmap(large->Impl()->pixmap);
  f->setWindowIcon(icon);
}
void CWindow::ShowWindow() {
  if (QMainWindow* f = FrameOf(this)) f->show();
}
void CWindow::Maximize() {
  if (QMainWindow* f = FrameOf(this)) f->setWindowState((f->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}
void CWindow::Minimize() {
  if (QMainWindow* f = FrameOf(this)) f->setWindowState(f->windowState() | Qt::WindowMinimized);
}
void CWindow::Restore() {
  if (QMainWindow* f = FrameOf(this)) f->setWindowState(Qt::WindowNoState);
}
bool CWindow::IsMaximized() const {
  QMainWindow* f = FrameOf(this);
  return f && (f->windowState() & Qt::WindowMaximized);
}
bool CWindow::IsMinimized() const {
  QMainWindow* f = FrameOf(this);
  return f && (f->windowState() & Qt::WindowMinimized);
}
vcom::CRect CWindow::RestoredRect() const {
  QMainWindow* f = FrameOf(this);
  if (!f) return {};
  return FromQ(f->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized) ? f->normalGeometry() : f->geometry());
}
vcom::CRect CWindow::WindowRect() const {
  QMainWindow* f = FrameOf(this);
  return f ? FromQ(f->geometry()) : vcom::CRect();
}
void CWindow::PostCommand(uint32_t command) { vcore::CreateEventA(this, vcore::evCommand, command); }
void CWindow::CheckCommand(uint32_t command, bool checked) {
  if (menu_) checked ? menu_->Check(command) : menu_->Uncheck(command);
  else if (toolBox_) toolBox_->Check(command, checked);
}
void CWindow::EnableCommand(uint32_t command, bool enabled) {
  if (menu_) menu_->SetEnabled(command, enabled);
  else if (toolBox_) toolBox_->Enable(command, enabled);
}

// ------------------------------------------------------- OK/Cancel dialog

namespace {
QDialog* DialogOf(const COKCancelDialog* d) { return d->Impl() ? qobject_cast<QDialog*>(d->Impl()->outer.data()) : nullptr; }
}  // namespace

COKCancelDialog::COKCancelDialog() = default;
COKCancelDialog::~COKCancelDialog() { COKCancelDialog::Done(); }

bool COKCancelDialog::Init(const char* title, int width, int height) {
  EnsureApp();
  if (Impl()) Done();
  title_ = title ? title : "";
  auto* dlg = new QDialog;
  dlg->setWindowTitle(Q(title));
  auto* interior = new PeerWidget(this, dlg);
  interior->setFixedSize(width, height);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dlg);
  auto* layout = new QVBoxLayout(dlg);
  layout->addWidget(interior);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, [this] {
    if (CanOK()) EndDialog(true);
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, [this] { EndDialog(false); });
  auto impl = std::make_unique<TImpl>();
  impl->outer = dlg;
  impl->inner = interior;
  AttachImpl(std::move(impl), nullptr, vcom::CRect(0, 0, width, height));
  dlg->adjustSize();
  CreateInterior();
  return true;
}

void COKCancelDialog::Done() { CNodeView::Done(); }

bool COKCancelDialog::Exec() {
  QDialog* dlg = DialogOf(this);
  if (!dlg) return false;
  if (auto* script = vdlg::CScriptedDialogs::Active()) {
    // Answer until the dialog would close: an OK that CanOK refuses keeps it
    // open for the next answer, as a user would try again.
    for (;;) {
      vdlg::TShownDialog d;
      d.kind = vdlg::dkOKCancel;
      d.caption = title_;
      d.lines = Texts();
      vdlg::TAnswer a = script->Take(d);
      if (a.button != vdlg::mrOK) return false;
      if (a.fill) a.fill(*this);
      if (CanOK()) return true;
      if (!script->Pending()) return false;
    }
  }
  return dlg->exec() == QDialog::Accepted;
}

void COKCancelDialog::EndDialog(bool ok) {
  if (QDialog* dlg = DialogOf(this)) ok ? dlg->accept() : dlg->reject();
}

void COKCancelDialog::SetOKLabel(const char* label) {
  QDialog* dlg = DialogOf(this);
  if (!dlg) return;
  if (auto* box = dlg->findChild<QDialogButtonBox*>())
    if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setText(Q(label));
}

void COKCancelDialog::ShowOKButton(bool shown) {
  QDialog* dlg = DialogOf(this);
  if (!dlg) return;
  if (auto* box = dlg->findChild<QDialogButtonBox*>())
    if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setVisible(shown);
}

bool COKCancelDialog::IsOKButtonShown() const {
  QDialog* dlg = DialogOf(this);
  if (!dlg) return false;
  auto* box = dlg->findChild<QDialogButtonBox*>();
  QPushButton* ok = box ? box->button(QDialogButtonBox::Ok) : nullptr;
  return ok && !ok->isHidden();
}

std::vector<std::string> COKCancelDialog::Texts() const {
  std::vector<std::string> texts;
  if (!Impl() || !Impl()->inner) return texts;
  for (QLabel* l : Impl()->inner->findChildren<QLabel*>())
    if (!l->text().isEmpty()) texts.push_back(S(l->text()));
  return texts;
}

// ---------------------------------------------------------- path shortening

void CompressPathToLength(const char* path, int maxLength, int high, char* out) {
  if (!out || high < 0) return;
  std::string p = path ? path : "";
  std::string r;
  if (maxLength <= 0) {
    r.clear();
  } else if (static_cast<int>(p.size()) <= maxLength) {
    r = p;
  } else {
    size_t cut = p.find_last_of("/\\");
    std::string name = cut == std::string::npos ? p : p.substr(cut);  // with its separator
    const std::string dots = "...";
    if (static_cast<int>(name.size() + dots.size()) >= maxLength) {
      // Even the name does not fit: keep its end.
      int keep = maxLength - static_cast<int>(dots.size());
      r = keep > 0 ? dots + name.substr(name.size() - keep) : dots.substr(0, maxLength);
    } else {
      int keep = maxLength - static_cast<int>(name.size() + dots.size());
      r = p.substr(0, keep) + dots + name;
    }
  }
  if (high >= 0) FixedText::Assign(static_cast<uint32_t>(high), out, r);
}

}  // namespace vwin
