// Controls, the date/time picker, tab pages and data views.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QFontDatabase>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeZone>
#include <QToolButton>

#include <cmath>
#include <cstring>
#include <limits>

#include "painter.h"
#include "qtpeer.h"
#include "winkit/vcalcon.h"
#include "winkit/vdata.h"
#include "winkit/vtab.h"

using namespace winkit_qt;

namespace {
template <class W>
W* As(const view::CView* v) {
  return v->Peer() ? qobject_cast<W*>(v->Peer()) : nullptr;
}

// Runs set on the widget with its signals blocked unless the caller wants
// the change reported.
template <class W, class F>
void Set(W* w, bool notify, F&& set) {
  if (!w) return;
  if (notify) {
    set(w);
  } else {
    QSignalBlocker block(w);
    set(w);
  }
}
}  // namespace

namespace vcont {

void Init_() { view::Init_(); }

void CControl::Notify(int notify) {
  vcore::TEvent e;
  e.kind = vcore::evControl;
  e.code = id_;
  e.data = notify;
  e.source = this;
  Dispatch(e);
}

bool CControl::InitControl(view::CNodeView*, const vcom::CRect&, uint32_t id) {
  EnsureApp();
  if (Impl()) Done();
  id_ = id;
  return true;
}

// ---------------------------------------------------------------- buttons

bool CButton::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const char* label) {
  InitControl(parent, rect, id);
  auto* w = new QPushButton(Q(label), ChildParent(parent));
  QObject::connect(w, &QPushButton::clicked, [this] { Notify(vcore::cnPressed); });
  AttachPeer(w, parent, rect);
  return true;
}
void CButton::SetLabel(const char* label) {
  if (auto* w = As<QPushButton>(this)) w->setText(Q(label));
}
std::string CButton::Label() const {
  auto* w = As<QPushButton>(this);
  return w ? S(w->text()) : std::string();
}
void CButton::Press() {
  if (auto* w = As<QPushButton>(this); w && w->isEnabled()) w->click();
}

bool CToggleButton::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const char* label) {
  InitControl(parent, rect, id);
  auto* w = new QPushButton(Q(label), ChildParent(parent));
  w->setCheckable(true);
  QObject::connect(w, &QPushButton::toggled, [this] { Notify(vcore::cnChanged); });
  AttachPeer(w, parent, rect);
  return true;
}
bool CToggleButton::IsChecked() const {
  auto* w = As<QPushButton>(this);
  return w && w->isChecked();
}
void CToggleButton::SetChecked(bool checked, bool notify) {
  Set(As<QPushButton>(this), notify, [&](QPushButton* w) { w->setChecked(checked); });
}

bool CCheckBox::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const char* label) {
  InitControl(parent, rect, id);
  auto* w = new QCheckBox(Q(label), ChildParent(parent));
  QObject::connect(w, &QCheckBox::toggled, [this] { Notify(vcore::cnChanged); });
  AttachPeer(w, parent, rect);
  return true;
}
std::string CCheckBox::Label() const {
  auto* w = As<QCheckBox>(this);
  return w ? S(w->text()) : std::string();
}
bool CCheckBox::IsChecked() const {
  auto* w = As<QCheckBox>(this);
  return w && w->isChecked();
}
void CCheckBox::SetChecked(bool checked, bool notify) {
  Set(As<QCheckBox>(this), notify, [&](QCheckBox* w) { w->setChecked(checked); });
}

bool CRadioButton::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const char* label, int group) {
  InitControl(parent, rect, id);
  group_ = group;
  auto* w = new QRadioButton(Q(label), ChildParent(parent));
  // Exclusion is kept here, by group number, rather than by the toolkit's
  // per-parent rule, so that several groups can share a parent.
  w->setAutoExclusive(false);
  QObject::connect(w, &QRadioButton::clicked, [this] {
    SetChecked(true, false);
    Notify(vcore::cnChanged);
  });
  AttachPeer(w, parent, rect);
  return true;
}
std::string CRadioButton::Label() const {
  auto* w = As<QRadioButton>(this);
  return w ? S(w->text()) : std::string();
}
bool CRadioButton::IsChecked() const {
  auto* w = As<QRadioButton>(this);
  return w && w->isChecked();
}
void CRadioButton::SetChecked(bool checked, bool notify) {
  if (checked && Parent()) {
    for (int i = 0; i < Parent()->ChildCount(); ++i) {
      auto* other = dynamic_cast<CRadioButton*>(Parent()->Child(i));
      if (other && other != this && other->group_ == group_)
        Set(As<QRadioButton>(other), false, [](QRadioButton* w) { w->setChecked(false); });
    }
  }
  Set(As<QRadioButton>(this), false, [&](QRadioButton* w) { w->setChecked(checked); });
  if (notify) Notify(vcore::cnChanged);
}

bool CIconButton::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const vgr::CIcon* icon,
                       const char* toolTip, bool toggle) {
  InitControl(parent, rect, id);
  auto* w = new QToolButton(ChildParent(parent));
  if (icon && icon->IsValid()) {
    w->setIcon(QIcon(icon->Impl()->pixmap));
    w->setIconSize(icon->Impl()->pixmap.size());
  }
  w->setToolTip(Q(toolTip));
  w->setCheckable(toggle);
  QObject::connect(w, &QToolButton::clicked, [this, toggle] { Notify(toggle ? vcore::cnChanged : vcore::cnPressed); });
  AttachPeer(w, parent, rect);
  return true;
}
bool CIconButton::IsChecked() const {
  auto* w = As<QToolButton>(this);
  return w && w->isChecked();
}
void CIconButton::SetChecked(bool checked, bool notify) {
  Set(As<QToolButton>(this), true, [&](QToolButton* w) { w->setChecked(checked); });
  if (notify) Notify(vcore::cnChanged);
}
void CIconButton::Press() {
  if (auto* w = As<QToolButton>(this); w && w->isEnabled()) w->click();
}

// ------------------------------------------------------------------ texts

bool CEditBox::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const char* text, int maxLength) {
  InitControl(parent, rect, id);
  auto* w = new QLineEdit(Q(text), ChildParent(parent));
  if (maxLength > 0) w->setMaxLength(maxLength);
  QObject::connect(w, &QLineEdit::textChanged, [this] { Notify(vcore::cnChanged); });
  AttachPeer(w, parent, rect);
  return true;
}
std::string CEditBox::Text() const {
  auto* w = As<QLineEdit>(this);
  return w ? S(w->text()) : std::string();
}
void CEditBox::SetText(const char* text, bool notify) {
  Set(As<QLineEdit>(this), notify, [&](QLineEdit* w) { w->setText(Q(text)); });
}
void CEditBox::SetReadOnly(bool readOnly) {
  if (auto* w = As<QLineEdit>(this)) w->setReadOnly(readOnly);
}
void CEditBox::SetPassword(bool hidden) {
  if (auto* w = As<QLineEdit>(this)) w->setEchoMode(hidden ? QLineEdit::Password : QLineEdit::Normal);
}

bool CStaticText::Init(view::CNodeView* parent, const vcom::CRect& rect, const char* text) {
  InitControl(parent, rect, 0);
  AttachPeer(new QLabel(Q(text), ChildParent(parent)), parent, rect);
  return true;
}
void CStaticText::SetText(const char* text) {
  if (auto* w = As<QLabel>(this)) w->setText(Q(text));
}
std::string CStaticText::Text() const {
  auto* w = As<QLabel>(this);
  return w ? S(w->text()) : std::string();
}
void CStaticText::SetColor(vcolor::TColor color) {
  color_ = color;
  if (auto* w = As<QLabel>(this)) w->setStyleSheet(QString("color: %1").arg(ToQColor(color).name()));
}

bool CSelectableText::Init(view::CNodeView* parent, const vcom::CRect& rect, const char* text) {
  CStaticText::Init(parent, rect, text);
  if (auto* w = As<QLabel>(this)) w->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  return true;
}

bool CParagraphText::Init(view::CNodeView* parent, const vcom::CRect& rect, const char* text) {
  CStaticText::Init(parent, rect, text);
  if (auto* w = As<QLabel>(this)) {
    w->setWordWrap(true);
    w->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  return true;
}

// ------------------------------------------------------------------ lists

bool CComboBox::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, bool editable) {
  InitControl(parent, rect, id);
  auto* w = new QComboBox(ChildParent(parent));
  w->setEditable(editable);
  if (editable) w->setInsertPolicy(QComboBox::NoInsert);
  QObject::connect(w, &QComboBox::currentIndexChanged, [this] { Notify(vcore::cnSelected); });
  if (editable) QObject::connect(w, &QComboBox::editTextChanged, [this] { Notify(vcore::cnChanged); });
  AttachPeer(w, parent, rect);
  return true;
}
void CComboBox::AddItem(const char* text) {
  Set(As<QComboBox>(this), false, [&](QComboBox* w) { w->addItem(Q(text)); });
}
void CComboBox::Clear() {
  Set(As<QComboBox>(this), false, [](QComboBox* w) { w->clear(); });
}
int CComboBox::Count() const {
  auto* w = As<QComboBox>(this);
  return w ? w->count() : 0;
}
std::string CComboBox::ItemText(int index) const {
  auto* w = As<QComboBox>(this);
  return w && index >= 0 && index < w->count() ? S(w->itemText(index)) : std::string();
}
int CComboBox::Selection() const {
  auto* w = As<QComboBox>(this);
  if (!w) return -1;
  if (w->isEditable() && w->currentIndex() >= 0 && w->currentText() != w->itemText(w->currentIndex())) return -1;
  return w->currentIndex();
}
void CComboBox::SetSelection(int index, bool notify) {
  Set(As<QComboBox>(this), notify, [&](QComboBox* w) { w->setCurrentIndex(index); });
}
std::string CComboBox::Text() const {
  auto* w = As<QComboBox>(this);
  return w ? S(w->currentText()) : std::string();
}
void CComboBox::SetText(const char* text, bool notify) {
  Set(As<QComboBox>(this), notify, [&](QComboBox* w) {
    int i = w->findText(Q(text));
    if (i >= 0 || !w->isEditable()) w->setCurrentIndex(i);
    if (w->isEditable()) w->setEditText(Q(text));
  });
}

namespace {
// A list that leaves "select all" to the window when it can hold only one
// selection, so that the key's accelerator (Ctrl+A) still reaches the menu.
class ListWidget : public QListWidget {
 public:
  using QListWidget::QListWidget;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::ShortcutOverride && IsSingleSelectAll(static_cast<QKeyEvent*>(e))) {
      e->ignore();
      return false;
    }
    return QListWidget::event(e);
  }
  void keyPressEvent(QKeyEvent* e) override {
    if (IsSingleSelectAll(e)) {
      e->ignore();
      return;
    }
    QListWidget::keyPressEvent(e);
  }

 private:
  bool IsSingleSelectAll(QKeyEvent* e) const {
    return selectionMode() == QAbstractItemView::SingleSelection && e->matches(QKeySequence::SelectAll);
  }
};
}  // namespace

bool CListBox::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, bool multiSelect) {
  InitControl(parent, rect, id);
  auto* w = new ListWidget(ChildParent(parent));
  w->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
  QObject::connect(w, &QListWidget::itemSelectionChanged, [this] { Notify(vcore::cnSelected); });
  QObject::connect(w, &QListWidget::itemActivated, [this] { Notify(vcore::cnActivated); });
  QObject::connect(w, &QListWidget::itemChanged, [this] { Notify(vcore::cnChanged); });
  AttachPeer(w, parent, rect);
  return true;
}
void CListBox::AddItem(const char* text) {
  Set(As<QListWidget>(this), false, [&](QListWidget* w) { w->addItem(Q(text)); });
}
void CListBox::SetItemText(int index, const char* text) {
  Set(As<QListWidget>(this), false, [&](QListWidget* w) {
    if (index >= 0 && index < w->count()) w->item(index)->setText(Q(text));
  });
}
void CListBox::Clear() {
  Set(As<QListWidget>(this), false, [](QListWidget* w) { w->clear(); });
}
int CListBox::Count() const {
  auto* w = As<QListWidget>(this);
  return w ? w->count() : 0;
}
std::string CListBox::ItemText(int index) const {
  auto* w = As<QListWidget>(this);
  return w && index >= 0 && index < w->count() ? S(w->item(index)->text()) : std::string();
}
int CListBox::Selection() const {
  auto* w = As<QListWidget>(this);
  if (!w || w->currentRow() < 0 || !w->currentItem()->isSelected()) return -1;
  return w->currentRow();
}
void CListBox::SetSelection(int index, bool notify) {
  Set(As<QListWidget>(this), notify, [&](QListWidget* w) {
    if (index < 0 || index >= w->count()) {
      w->clearSelection();
      w->setCurrentRow(-1);
    } else {
      w->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    }
  });
}
bool CListBox::IsSelected(int index) const {
  auto* w = As<QListWidget>(this);
  return w && index >= 0 && index < w->count() && w->item(index)->isSelected();
}
void CListBox::Select(int index, bool selected, bool notify) {
  Set(As<QListWidget>(this), notify, [&](QListWidget* w) {
    if (index >= 0 && index < w->count()) w->item(index)->setSelected(selected);
  });
}
void CListBox::SetItemChecked(int index, bool checked) {
  Set(As<QListWidget>(this), false, [&](QListWidget* w) {
    if (index < 0 || index >= w->count()) return;
    QListWidgetItem* item = w->item(index);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  });
}
bool CListBox::IsItemChecked(int index) const {
  auto* w = As<QListWidget>(this);
  return w && index >= 0 && index < w->count() && w->item(index)->checkState() == Qt::Checked;
}
void CListBox::SetItemColor(int index, vcolor::TColor color) {
  Set(As<QListWidget>(this), false, [&](QListWidget* w) {
    if (index >= 0 && index < w->count()) w->item(index)->setForeground(ToQColor(color));
  });
}
void CListBox::SetItemIcon(int index, const vgr::CIcon* icon, int tag) {
  Set(As<QListWidget>(this), false, [&](QListWidget* w) {
    if (index < 0 || index >= w->count()) return;
    const bool shown = icon && icon->IsValid() && icon->Impl();
    w->item(index)->setIcon(shown ? QIcon(icon->Impl()->pixmap) : QIcon());
    w->item(index)->setData(Qt::UserRole + 1, icon ? tag : 0);
  });
}
void CListBox::UseFixedPitchFont() {
  if (auto* w = As<QListWidget>(this)) w->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}
int CListBox::ItemIconTag(int index) const {
  auto* w = As<QListWidget>(this);
  return w && index >= 0 && index < w->count() ? w->item(index)->data(Qt::UserRole + 1).toInt() : 0;
}
bool CListBox::HasItemIcon(int index) const {
  auto* w = As<QListWidget>(this);
  return w && index >= 0 && index < w->count() && !w->item(index)->icon().isNull();
}
vcolor::TColor CListBox::ItemColor(int index) const {
  auto* w = As<QListWidget>(this);
  if (!w || index < 0 || index >= w->count()) return vcolor::Black;
  const QBrush brush = w->item(index)->foreground();
  return brush.style() == Qt::NoBrush ? vcolor::Black : FromQColor(brush.color());
}

// ---------------------------------------------------------------- numbers

bool CIntegerCountBox::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, int64_t min, int64_t max,
                            int64_t value, int64_t step) {
  InitControl(parent, rect, id);
  // The toolkit's spin box holds int; wider ranges are clamped to it.
  auto clampInt = [](int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  };
  auto* w = new QSpinBox(ChildParent(parent));
  w->setRange(clampInt(min), clampInt(max));
  w->setSingleStep(clampInt(step));
  w->setValue(clampInt(value));
  QObject::connect(w, &QSpinBox::valueChanged, [this] { Notify(vcore::cnChanged); });
  AttachPeer(w, parent, rect);
  return true;
}
int64_t CIntegerCountBox::Value() const {
  auto* w = As<QSpinBox>(this);
  return w ? w->value() : 0;
}
void CIntegerCountBox::SetValue(int64_t value, bool notify) {
  Set(As<QSpinBox>(this), notify, [&](QSpinBox* w) {
    w->setValue(static_cast<int>(std::clamp<int64_t>(value, w->minimum(), w->maximum())));
  });
}

bool CCardinalCountBox::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, uint64_t min, uint64_t max,
                             uint64_t value, uint64_t step) {
  InitControl(parent, rect, id);
  const uint64_t top = std::numeric_limits<int>::max();
  auto* w = new QSpinBox(ChildParent(parent));
  w->setRange(static_cast<int>(std::min(min, top)), static_cast<int>(std::min(max, top)));
  w->setSingleStep(static_cast<int>(std::min(step, top)));
  w->setValue(static_cast<int>(std::min(value, top)));
  QObject::connect(w, &QSpinBox::valueChanged, [this] { Notify(vcore::cnChanged); });
  AttachPeer(w, parent, rect);
  return true;
}
uint64_t CCardinalCountBox::Value() const {
  auto* w = As<QSpinBox>(this);
  return w ? static_cast<uint64_t>(w->value()) : 0;
}
void CCardinalCountBox::SetValue(uint64_t value, bool notify) {
  Set(As<QSpinBox>(this), notify, [&](QSpinBox* w) {
    w->setValue(static_cast<int>(std::min<uint64_t>(value, static_cast<uint64_t>(w->maximum()))));
  });
}

bool CRealCountBox::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, double min, double max,
                         double value, double step, int decimals) {
  InitControl(parent, rect, id);
  auto* w = new QDoubleSpinBox(ChildParent(parent));
  w->setDecimals(decimals);
  w->setRange(min, max);
  w->setSingleStep(step);
  w->setValue(value);
  QObject::connect(w, &QDoubleSpinBox::valueChanged, [this] { Notify(vcore::cnChanged); });
  AttachPeer(w, parent, rect);
  return true;
}
double CRealCountBox::Value() const {
  auto* w = As<QDoubleSpinBox>(this);
  return w ? w->value() : 0.0;
}
void CRealCountBox::SetValue(double value, bool notify) {
  Set(As<QDoubleSpinBox>(this), notify, [&](QDoubleSpinBox* w) { w->setValue(value); });
}

// ------------------------------------------------------- sliders and bars

bool CSlider::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, int min, int max, int position,
                   bool horizontal) {
  InitControl(parent, rect, id);
  auto* w = new QSlider(horizontal ? Qt::Horizontal : Qt::Vertical, ChildParent(parent));
  w->setRange(min, max);
  w->setValue(position);
  QObject::connect(w, &QSlider::valueChanged, [this] { Notify(vcore::cnScrolled); });
  AttachPeer(w, parent, rect);
  return true;
}
int CSlider::Position() const {
  auto* w = As<QSlider>(this);
  return w ? w->value() : 0;
}
void CSlider::SetPosition(int position, bool notify) {
  Set(As<QSlider>(this), notify, [&](QSlider* w) { w->setValue(position); });
}
void CSlider::SetRange(int min, int max) {
  Set(As<QSlider>(this), false, [&](QSlider* w) { w->setRange(min, max); });
}

bool CScrollBar::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, bool horizontal) {
  InitControl(parent, rect, id);
  auto* w = new QScrollBar(horizontal ? Qt::Horizontal : Qt::Vertical, ChildParent(parent));
  QObject::connect(w, &QScrollBar::valueChanged, [this] { Notify(vcore::cnScrolled); });
  AttachPeer(w, parent, rect);
  return true;
}
void CScrollBar::SetRange(int min, int max, int page, int lineStep) {
  // The toolkit's maximum is the last position of the page's top, so the
  // range given as the whole extent loses one page.
  Set(As<QScrollBar>(this), false, [&](QScrollBar* w) {
    w->setRange(min, std::max(min, max - page + 1));
    w->setPageStep(std::max(1, page));
    w->setSingleStep(std::max(1, lineStep));
  });
}
int CScrollBar::Position() const {
  auto* w = As<QScrollBar>(this);
  return w ? w->value() : 0;
}
void CScrollBar::SetPosition(int position, bool notify) {
  Set(As<QScrollBar>(this), notify, [&](QScrollBar* w) { w->setValue(position); });
}
int CScrollBar::Page() const {
  auto* w = As<QScrollBar>(this);
  return w ? w->pageStep() : 0;
}

bool CProgressBar::Init(view::CNodeView* parent, const vcom::CRect& rect, int max) {
  InitControl(parent, rect, 0);
  auto* w = new QProgressBar(ChildParent(parent));
  w->setRange(0, std::max(1, max));
  w->setValue(0);
  AttachPeer(w, parent, rect);
  return true;
}
void CProgressBar::SetValue(int value) {
  if (auto* w = As<QProgressBar>(this)) w->setValue(std::clamp(value, w->minimum(), w->maximum()));
}
int CProgressBar::Value() const {
  auto* w = As<QProgressBar>(this);
  return w ? w->value() : 0;
}
void CProgressBar::SetMax(int max) {
  if (auto* w = As<QProgressBar>(this)) w->setRange(0, std::max(1, max));
}

bool CShadedLine::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  InitControl(parent, rect, 0);
  auto* w = new QFrame(ChildParent(parent));
  w->setFrameShape(rect.width >= rect.height ? QFrame::HLine : QFrame::VLine);
  w->setFrameShadow(QFrame::Sunken);
  AttachPeer(w, parent, rect);
  return true;
}

bool CNodeViewControl::Init(view::CNodeView* parent, const vcom::CRect& rect, const char* caption) {
  EnsureApp();
  if (Impl()) Done();
  auto* w = new QGroupBox(Q(caption), ChildParent(parent));
  AttachPeer(w, parent, rect);
  return true;
}

}  // namespace vcont

// --------------------------------------------------------- date and time

namespace vcalcon {

bool CDateTimePicker::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id) {
  InitControl(parent, rect, id);
  auto* w = new QDateTimeEdit(ChildParent(parent));
  w->setTimeSpec(Qt::UTC);
  w->setDisplayFormat("yyyy-MM-dd HH:mm:ss");
  w->setCalendarPopup(true);
  w->setDateTime(QDateTime::currentDateTimeUtc());
  QObject::connect(w, &QDateTimeEdit::dateTimeChanged, [this] { Notify(vcore::cnChanged); });
  AttachPeer(w, parent, rect);
  return true;
}

TDateTime CDateTimePicker::Value() const {
  TDateTime v;
  auto* w = As<QDateTimeEdit>(this);
  if (!w) return v;
  QDateTime dt = w->dateTime().toUTC();
  v.year = dt.date().year();
  v.month = dt.date().month();
  v.day = dt.date().day();
  v.hour = dt.time().hour();
  v.minute = dt.time().minute();
  v.second = dt.time().second();
  return v;
}

void CDateTimePicker::SetValue(const TDateTime& v, bool notify) {
  Set(As<QDateTimeEdit>(this), notify, [&](QDateTimeEdit* w) {
    w->setDateTime(QDateTime(QDate(v.year, v.month, v.day), QTime(v.hour, v.minute, v.second), Qt::UTC));
  });
}

}  // namespace vcalcon

// ------------------------------------------------------------------- tabs

namespace vtab {

void Init_() { view::Init_(); }

bool CTab::Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id) {
  EnsureApp();
  if (Impl()) Done();
  id_ = id;
  auto* w = new QTabWidget(ChildParent(parent));
  QObject::connect(w, &QTabWidget::currentChanged, [this](int index) {
    vcore::TEvent e;
    e.kind = vcore::evControl;
    e.code = id_;
    e.data = vcore::cnTabChanged;
    e.x = index;
    e.source = this;
    Dispatch(e);
  });
  AttachPeer(w, parent, rect);
  return true;
}

void CTab::AddPage(const char* label, view::CView* page) {
  auto* w = As<QTabWidget>(this);
  if (!w || !page || !page->Impl() || !page->Impl()->outer) return;
  page->Impl()->ownsOuter = false;  // the tab widget deletes its pages
  QSignalBlocker block(w);          // the first page is not a change
  w->addTab(page->Impl()->outer, Q(label));
}

int CTab::PageCount() const {
  auto* w = As<QTabWidget>(this);
  return w ? w->count() : 0;
}

view::CView* CTab::Page(int index) const {
  auto* w = As<QTabWidget>(this);
  if (!w || index < 0 || index >= w->count()) return nullptr;
  QWidget* page = w->widget(index);
  for (int i = 0; i < ChildCount(); ++i)
    if (Child(i)->Impl() && Child(i)->Impl()->outer == page) return Child(i);
  return nullptr;
}

std::string CTab::PageLabel(int index) const {
  auto* w = As<QTabWidget>(this);
  return w && index >= 0 && index < w->count() ? S(w->tabText(index)) : std::string();
}

int CTab::ActivePage() const {
  auto* w = As<QTabWidget>(this);
  return w ? w->currentIndex() : -1;
}

void CTab::SetActivePage(int index, bool notify) {
  Set(As<QTabWidget>(this), notify, [&](QTabWidget* w) { w->setCurrentIndex(index); });
}

vcom::CRect CTab::PageRect() const {
  auto* w = As<QTabWidget>(this);
  if (!w || !w->currentWidget()) return ClientRect();
  return FromQ(w->currentWidget()->geometry());
}

}  // namespace vtab

// ------------------------------------------------------------- data views

namespace vdata {

void Init_() { view::Init_(); }

namespace {
constexpr uint32_t kVBarId = 0xFFFF0001, kHBarId = 0xFFFF0002;
int BarThickness() { return 16; }
}  // namespace

bool CDataView::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  view::CNodeView::Init(parent, rect);
  vbar_.Init(this, vcom::CRect(), kVBarId, false);
  hbar_.Init(this, vcom::CRect(), kHBarId, true);
  NewRect(ClientRect());
  return true;
}

void CDataView::Done() {
  vbar_.Done();
  hbar_.Done();
  view::CNodeView::Done();
}

void CDataView::NewRect(const vcom::CRect& rect) {
  const int t = BarThickness();
  vbar_.SetRect(vcom::CRect(rect.width - t, 0, t, rect.height - (showH_ ? t : 0)));
  hbar_.SetRect(vcom::CRect(0, rect.height - t, rect.width - (showV_ ? t : 0), t));
  vbar_.Show(showV_);
  hbar_.Show(showH_);
}

vcom::CRect CDataView::DataRect() const {
  vcom::CRect r = ClientRect();
  if (showV_) r.width = std::max(0, r.width - BarThickness());
  if (showH_) r.height = std::max(0, r.height - BarThickness());
  return r;
}

void CDataView::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl && (event.code == kVBarId || event.code == kHBarId)) {
    StopEvent(event);
    ScrollChanged(hbar_.Position(), vbar_.Position());
  } else if (event.kind == vcore::evMouseWheel && showV_) {
    StopEvent(event);
    vbar_.SetPosition(vbar_.Position() - 3 * event.wheel, false);
    ScrollChanged(hbar_.Position(), vbar_.Position());
  }
}

void CDataView::SetVScroll(int max, int page, int position) {
  vbar_.SetRange(0, max, page, 1);
  vbar_.SetPosition(position);
}
void CDataView::SetHScroll(int max, int page, int position) {
  hbar_.SetRange(0, max, page, 1);
  hbar_.SetPosition(position);
}
int CDataView::VScrollPos() const { return vbar_.Position(); }
int CDataView::HScrollPos() const { return hbar_.Position(); }
void CDataView::ShowScrollBars(bool vertical, bool horizontal) {
  showV_ = vertical;
  showH_ = horizontal;
  NewRect(ClientRect());
}

}  // namespace vdata
