// Tests build their expectations (snprintf, sscanf) in point-decimal text
// while the program under test runs in the user's locale.
#pragma once

#include <runbase/c_numbers.h>

namespace ombrix_test {

using CCNumbers = Str::CCNumbers;

}  // namespace ombrix_test
