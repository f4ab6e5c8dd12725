// vcalcon: the date and time picker.
#pragma once

#include "winkit/vcont.h"

namespace vcalcon {

struct TDateTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};

// Shows and edits a date and time (UTC); cnChanged when the user changes it.
class CDateTimePicker : public vcont::CControl {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, uint32_t id);
  TDateTime Value() const;
  void SetValue(const TDateTime& value, bool notify = false);
};

}  // namespace vcalcon
