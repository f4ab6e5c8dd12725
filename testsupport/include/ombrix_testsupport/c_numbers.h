// The C library's number formatting and scanning in the "C" locale on this
// thread while the object lives. Tests use it for their own expectations
// (snprintf, sscanf), so that they compare the program's output against
// point-decimal text while the program itself runs in the user's locale.
#pragma once

#include <locale.h>

namespace ombrix_test {

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
  locale_t c_;                           // the C numeric locale, owned
  locale_t previous_ = LC_GLOBAL_LOCALE;  // this thread's locale before
};

}  // namespace ombrix_test
