// vdata: the base of data views (sheet and text views): a view over a data
// container, with scroll bars and a saved state.
#pragma once

#include <cstdint>

#include "winkit/vcont.h"

namespace vdata {

void Init_();

// Data shown by a data view; knows whether it changed since it was saved.
class CDataContainer {
 public:
  virtual ~CDataContainer() = default;
  bool IsModified() const { return modified_; }
  void SetModified(bool modified = true) { modified_ = modified; }
  // Marks the current state as saved.
  void MarkSaved() { modified_ = false; }

 private:
  bool modified_ = false;  // changed since MarkSaved
};

// A view with a vertical and a horizontal scroll bar along its edges. The
// data area is ClientRect() less the bars; ScrollChanged reports moves.
class CDataView : public view::CNodeView {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override;
  void Done() override;
  void NewRect(const vcom::CRect& rect) override;
  void ReceiveEvent(vcore::TEvent& event) override;

  void SetContainer(CDataContainer* container) { container_ = container; }
  CDataContainer* Container() const { return container_; }
  // Whether the container changed since it was saved.
  bool IsModified() const { return container_ && container_->IsModified(); }

  void SetVScroll(int max, int page, int position);
  void SetHScroll(int max, int page, int position);
  int VScrollPos() const;
  int HScrollPos() const;
  void ShowScrollBars(bool vertical, bool horizontal);
  // The area left for the data.
  vcom::CRect DataRect() const;
  // Called when a scroll bar moved (by the user or the wheel).
  virtual void ScrollChanged(int hPos, int vPos) { (void)hPos, (void)vPos; }

 private:
  CDataContainer* container_ = nullptr;  // not owned
  vcont::CScrollBar vbar_, hbar_;        // the two bars
  bool showV_ = true, showH_ = true;     // which bars are shown
};

}  // namespace vdata
