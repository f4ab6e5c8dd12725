// The C library's number formatting and scanning (printf, scanf, strtod) in
// the "C" locale on this thread while the object lives, so that numbers keep
// the decimal point whatever locale the process runs in. For code that must
// use printf-style formats for text other programs read.
#pragma once

#include <locale.h>

namespace Str {

class CCNumbers {
 public:
  CCNumbers() : c_(::newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0))) {
    if (c_) previous_ = ::uselocale(c_);
  }
  ~CCNumbers() {
    if (!c_) return;
    ::uselocale(previous_);
    ::freelocale(c_);
  }
  CCNumbers(const CCNumbers&) = delete;
  CCNumbers& operator=(const CCNumbers&) = delete;

 private:
  locale_t c_;                            // the C numeric locale, owned
  locale_t previous_ = LC_GLOBAL_LOCALE;  // this thread's locale before
};

}  // namespace Str
