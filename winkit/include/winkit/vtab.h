// vtab: tab pages. A page is a view created with the tab as its parent; the
// tab places and sizes it. Changing page sends evControl/cnTabChanged with
// the new index in the event's x.
#pragma once

#include <string>

#include "winkit/vcont.h"

namespace vtab {

void Init_();

class CTab : public view::CNodeView {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id);
  void AddPage(const char* label, view::CView* page);
  int PageCount() const;
  view::CView* Page(int index) const;
  std::string PageLabel(int index) const;
  // Index from 0; -1 without pages.
  int ActivePage() const;
  void SetActivePage(int index, bool notify = false);
  // The rectangle pages get, in the tab's coordinates.
  vcom::CRect PageRect() const;
  uint32_t Id() const { return id_; }

 private:
  uint32_t id_ = 0;  // reported in the change event
};

}  // namespace vtab
