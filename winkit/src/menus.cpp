// Menu bars, pop-up menus and accelerators.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <unordered_map>

#include "painter.h"
#include "qtpeer.h"
#include "winkit/vdlg.h"
#include "winkit/vtool.h"
#include "winkit/vwin.h"

using namespace winkit_qt;

struct view::CAbstractMenu::TImpl {
  QPointer<QMenuBar> bar;                     // set for a menu bar
  QPointer<QMenu> menu;                       // set for a pop-up menu
  std::unordered_map<uint32_t, QAction*> items;  // by command number
  std::vector<std::unique_ptr<CPopUpMenu>> subs;  // submenus, owned
  CAbstractMenu* root = nullptr;              // the menu that holds this one
  vwin::CWindow* window = nullptr;            // owner of a menu bar
  int iconSize = 16;

  QWidget* Widget() const { return bar ? static_cast<QWidget*>(bar.data()) : menu.data(); }
  void AddAction(QAction* a) {
    if (bar) bar->addAction(a);
    else if (menu) menu->addAction(a);
  }
};

namespace {

// A label with the mnemonic letter marked for the toolkit ('&' doubled
// elsewhere) and the shortcut text after a tab, where menus show it.
QString MenuText(const char* label, int mnemonic, const char* shortcut) {
  QString text = Q(label);
  text.replace('&', "&&");
  if (mnemonic >= 0 && mnemonic < text.size()) {
    // Positions count characters of the label before doubling.
    int pos = 0;
    for (int i = 0, seen = 0; i < text.size(); ++i, ++seen) {
      if (seen == mnemonic) {
        pos = i;
        break;
      }
      if (text[i] == '&') ++i;
    }
    text.insert(pos, '&');
  }
  if (shortcut && *shortcut) text += '\t' + Q(shortcut);
  return text;
}

view::CAbstractMenu* RootOf(view::CAbstractMenu* m) {
  while (m->Impl()->root) m = m->Impl()->root;
  return m;
}

vtool::CGravityBreakToolBox* ToolBoxOf(view::CAbstractMenu* m) {
  auto* w = RootOf(m)->Impl()->window;
  return w ? w->ToolBox() : nullptr;
}

}  // namespace

namespace view {

CAbstractMenu::CAbstractMenu() : impl_(std::make_unique<TImpl>()) {}
CAbstractMenu::~CAbstractMenu() = default;

bool CAbstractMenu::AddItem(const char* label, const char* shortcut, int mnemonic, const vgr::CIcon* icon,
                            const vgr::CIcon* grayIcon, uint32_t command) {
  QWidget* owner = impl_->Widget();
  if (!owner) return false;
  auto* a = new QAction(MenuText(label, mnemonic, shortcut), owner);
  if (icon && icon->IsValid()) {
    QIcon qi(icon->Impl()->pixmap);
    if (grayIcon && grayIcon->IsValid()) qi.addPixmap(grayIcon->Impl()->pixmap, QIcon::Disabled);
    a->setIcon(qi);
  }
  a->setData(command);
  QObject::connect(a, &QAction::triggered, [this, command] {
    CAbstractMenu* root = RootOf(this);
    if (root->impl_->window) root->impl_->window->Send(vcore::evCommand, command);
  });
  impl_->AddAction(a);
  impl_->items[command] = a;
  return true;
}

bool CAbstractMenu::AddLine() {
  if (impl_->menu) impl_->menu->addSeparator();
  else if (impl_->bar) impl_->bar->addSeparator();
  else return false;
  return true;
}

bool CAbstractMenu::AddMenu(const char* label, int mnemonic, CPopUpMenu* sub) {
  if (!sub || !impl_->Widget()) return false;
  sub->impl_->root = this;
  QMenu* m = sub->impl_->menu;
  if (!m) {
    sub->InitItems(label);
    m = sub->impl_->menu;
  }
  m->setTitle(MenuText(label, mnemonic, nullptr));
  if (impl_->bar) impl_->bar->addMenu(m);
  else impl_->menu->addMenu(m);
  impl_->subs.emplace_back(sub);
  return true;
}

namespace {
QAction* FindItem(const CAbstractMenu::TImpl& impl, uint32_t command) {
  auto it = impl.items.find(command);
  if (it != impl.items.end()) return it->second;
  for (auto& sub : impl.subs)
    if (QAction* a = FindItem(*sub->Impl(), command)) return a;
  return nullptr;
}
}  // namespace

void CAbstractMenu::SetEnabled(uint32_t command, bool enabled) {
  if (QAction* a = FindItem(*impl_, command)) a->setEnabled(enabled);
  if (auto* tb = ToolBoxOf(this)) tb->Enable(command, enabled);
}
void CAbstractMenu::Enable(uint32_t command) { SetEnabled(command, true); }
void CAbstractMenu::Disable(uint32_t command) { SetEnabled(command, false); }

void CAbstractMenu::Check(uint32_t command) {
  if (QAction* a = FindItem(*impl_, command)) {
    a->setCheckable(true);
    a->setChecked(true);
  }
  if (auto* tb = ToolBoxOf(this)) tb->Check(command, true);
}

void CAbstractMenu::Uncheck(uint32_t command) {
  if (QAction* a = FindItem(*impl_, command)) a->setChecked(false);
  if (auto* tb = ToolBoxOf(this)) tb->Check(command, false);
}

bool CAbstractMenu::IsChecked(uint32_t command) const {
  QAction* a = FindItem(*impl_, command);
  return a && a->isChecked();
}
bool CAbstractMenu::IsEnabled(uint32_t command) const {
  QAction* a = FindItem(*impl_, command);
  return a && a->isEnabled();
}
bool CAbstractMenu::HasItem(uint32_t command) const { return FindItem(*impl_, command) != nullptr; }

void CAbstractMenu::SetLabel(uint32_t command, const char* label) {
  if (QAction* a = FindItem(*impl_, command)) {
    QString old = a->text();
    int tab = old.indexOf('\t');
    QString text = Q(label).replace('&', "&&");
    a->setText(tab >= 0 ? text + old.mid(tab) : text);
  }
}

void CAbstractMenu::RemoveItems(uint32_t first, uint32_t last) {
  for (auto it = impl_->items.begin(); it != impl_->items.end();) {
    if (it->first >= first && it->first <= last) {
      delete it->second;
      it = impl_->items.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& sub : impl_->subs) sub->RemoveItems(first, last);
}

void CAbstractMenu::SetIconSize(int size) {
  impl_->iconSize = size;
  if (QWidget* w = impl_->Widget())
    w->setStyleSheet(QString("QMenu::icon { width: %1px; height: %1px; }").arg(size));
}

bool CAbstractMenu::Choose(uint32_t command) {
  QAction* a = FindItem(*impl_, command);
  if (!a || !a->isEnabled()) return false;
  a->trigger();
  return true;
}

CMenuBar::CMenuBar() = default;
CMenuBar::~CMenuBar() { Done(); }

bool CMenuBar::Init() {
  EnsureApp();
  Done();
  impl_->bar = new QMenuBar;
  return true;
}

void CMenuBar::Done() {
  impl_->items.clear();
  impl_->subs.clear();
  // A bar handed to a window belongs to the window's widget from then on.
  if (impl_->bar && !impl_->window) delete impl_->bar.data();
  impl_->bar = nullptr;
  impl_->window = nullptr;
}

CPopUpMenu::CPopUpMenu() = default;
CPopUpMenu::~CPopUpMenu() { Done(); }

bool CPopUpMenu::InitItems(const char* title) {
  EnsureApp();
  if (!impl_->menu) impl_->menu = new QMenu(Q(title));
  else if (title) impl_->menu->setTitle(Q(title));
  return true;
}

void CPopUpMenu::Done() {
  impl_->items.clear();
  impl_->subs.clear();
  if (impl_->menu) delete impl_->menu.data();
  impl_->menu = nullptr;
}

uint32_t CPopUpMenu::Track(CView* view, int x, int y) {
  if (!impl_->menu) return 0;
  uint32_t command = 0;
  if (auto* script = vdlg::CScriptedDialogs::Active()) {
    vdlg::TShownDialog d;
    d.kind = vdlg::dkPopUpMenu;
    d.caption = S(impl_->menu->title());
    for (QAction* a : impl_->menu->actions())
      if (!a->isSeparator()) d.lines.push_back(S(a->text()));
    command = script->Take(d).command;
    if (command && (!HasItem(command) || !IsEnabled(command))) command = 0;
  } else {
    QPoint at(x, y);
    if (view && view->Impl() && view->Impl()->inner) at = view->Impl()->inner->mapToGlobal(at);
    QAction* a = impl_->menu->exec(at);
    if (a) command = a->data().toUInt();
  }
  if (command && view) view->Send(vcore::evCommand, command);
  return command;
}

// ------------------------------------------------------------ accelerators

void CAccelerators::Add(uint32_t key, uint32_t modifiers, uint32_t command) { table_.push_back({key, modifiers, command}); }

bool CAccelerators::Translate(const vcore::TEvent& event, uint32_t& command) const {
  if (event.kind != vcore::evKeyDown) return false;
  const uint32_t mods = event.modifiers & (vcore::kmShift | vcore::kmCtrl | vcore::kmAlt);
  for (const TEntry& e : table_) {
    if (e.key == event.code && e.modifiers == mods) {
      command = e.command;
      return true;
    }
  }
  return false;
}

}  // namespace view

// The window attaches its menu bar through this.
namespace winkit_qt {
QMenuBar* AttachMenuBar(view::CMenuBar* menu, vwin::CWindow* window) {
  if (!menu) return nullptr;
  menu->Impl()->window = window;
  return menu->Impl()->bar;
}
}  // namespace winkit_qt

namespace winkit_qt {
void DetachMenuBar(view::CMenuBar* menu) {
  if (!menu) return;
  // The bar's own actions go with the frame; submenus keep theirs.
  menu->Impl()->items.clear();
  menu->Impl()->bar = nullptr;
  menu->Impl()->window = nullptr;
}
}  // namespace winkit_qt
