// vcont: controls. Each control is a view with an id; a change made by the
// user reaches the control's ReceiveEvent as an evControl event (code = id,
// data = TNotify) and travels on to its parents. Changes made through the
// setters notify only when asked (notify = true).
#pragma once

#include <cstdint>
#include <string>

#include <runbase/fixed_text.h>

#include "winkit/view.h"

namespace vcont {

void Init_();

class CControl : public view::CView {
 public:
  uint32_t Id() const { return id_; }
  // Sends the evControl event for this control.
  void Notify(int notify);

 protected:
  bool InitControl(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id);
  uint32_t id_ = 0;  // reported as the event code
};

class CButton : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const char* label);
  void SetLabel(const char* label);
  std::string Label() const;
  // Presses the button as the user would (cnPressed).
  void Press();
};

// A push button that stays in or out; cnChanged when flipped.
class CToggleButton : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const char* label);
  bool IsChecked() const;
  void SetChecked(bool checked, bool notify = false);
};

class CCheckBox : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const char* label);
  std::string Label() const;
  bool IsChecked() const;
  void SetChecked(bool checked, bool notify = false);
};

// Radio buttons of one group (same parent, same group number) exclude each
// other.
class CRadioButton : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const char* label, int group);
  std::string Label() const;
  bool IsChecked() const;
  void SetChecked(bool checked, bool notify = false);
  int Group() const { return group_; }

 private:
  int group_ = 0;  // exclusion group
};

class CEditBox : public CControl {
 public:
  // maxLength 0: no limit.
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const char* text, int maxLength = 0);
  std::string Text() const;
  void GetText(int high, char* out) const {
    if (high >= 0) FixedText::Assign(static_cast<uint32_t>(high), out, Text());
  }
  void SetText(const char* text, bool notify = false);
  void SetReadOnly(bool readOnly);
  // Hides what is typed (passwords).
  void SetPassword(bool hidden);
};

class CComboBox : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, bool editable = false);
  void AddItem(const char* text);
  void Clear();
  int Count() const;
  std::string ItemText(int index) const;
  // -1 when nothing (or a typed text) is chosen.
  int Selection() const;
  void SetSelection(int index, bool notify = false);
  std::string Text() const;
  void GetText(int high, char* out) const {
    if (high >= 0) FixedText::Assign(static_cast<uint32_t>(high), out, Text());
  }
  // Selects the item with this text, or (editable) shows the text.
  void SetText(const char* text, bool notify = false);
};

// Number boxes with up/down arrows.
class CIntegerCountBox : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, int64_t min, int64_t max, int64_t value,
            int64_t step = 1);
  int64_t Value() const;
  void SetValue(int64_t value, bool notify = false);
};

class CCardinalCountBox : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, uint64_t min, uint64_t max, uint64_t value,
            uint64_t step = 1);
  uint64_t Value() const;
  void SetValue(uint64_t value, bool notify = false);
};

class CRealCountBox : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, double min, double max, double value,
            double step, int decimals);
  double Value() const;
  void SetValue(double value, bool notify = false);
};

class CListBox : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, bool multiSelect = false);
  void AddItem(const char* text);
  void SetItemText(int index, const char* text);
  void Clear();
  int Count() const;
  std::string ItemText(int index) const;
  // The current item, -1 when none.
  int Selection() const;
  void SetSelection(int index, bool notify = false);
  bool IsSelected(int index) const;
  void Select(int index, bool selected, bool notify = false);
  // A tick box in front of an item; setting it makes the item tickable.
  // Ticking by the user sends cnChanged.
  void SetItemChecked(int index, bool checked);
  bool IsItemChecked(int index) const;
  // Text colour of one item.
  void SetItemColor(int index, vcolor::TColor color);
  vcolor::TColor ItemColor(int index) const;
  // An icon in front of an item's text (null removes it); the list keeps a
  // copy of its pixels. The tag says which icon it is (for tests: 0 none).
  void SetItemIcon(int index, const vgr::CIcon* icon, int tag = 1);
  bool HasItemIcon(int index) const;
  int ItemIconTag(int index) const;
  // Shows the items in the desktop's fixed-pitch font (columns of text).
  void UseFixedPitchFont();
};

class CStaticText : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, const char* text);
  void SetText(const char* text);
  std::string Text() const;
  void SetColor(vcolor::TColor color);
  vcolor::TColor Color() const { return color_; }

 private:
  vcolor::TColor color_ = vcolor::Black;  // the last colour set
};

// One line the user can select and copy but not edit.
class CSelectableText : public CStaticText {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, const char* text);
};

// Text wrapped to the control's width.
class CParagraphText : public CStaticText {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, const char* text);
};

class CSlider : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, int min, int max, int position,
            bool horizontal = true);
  int Position() const;
  void SetPosition(int position, bool notify = false);
  void SetRange(int min, int max);
};

// A scroll bar; cnScrolled when the user moves it.
class CScrollBar : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, bool horizontal = true);
  void SetRange(int min, int max, int page, int lineStep);
  int Position() const;
  void SetPosition(int position, bool notify = false);
  int Page() const;
};

class CProgressBar : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, int max);
  void SetValue(int value);
  int Value() const;
  void SetMax(int max);
};

// A sunken horizontal or vertical separator line.
class CShadedLine : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect);
};

class CIconButton : public CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id, const vgr::CIcon* icon,
            const char* toolTip, bool toggle = false);
  bool IsChecked() const;
  void SetChecked(bool checked, bool notify = false);
  void Press();
};

// A framed group of child controls with an optional caption.
class CNodeViewControl : public view::CNodeView {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, const char* caption = nullptr);
};

}  // namespace vcont
