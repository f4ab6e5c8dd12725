// Lib local date and time of day.
#include <ctime>

#include "runbase/lib.h"

namespace Lib {

namespace {

struct LocalNow {
  std::tm tm{};
  uint32_t millisecond = 0;
};

LocalNow Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  LocalNow now;
  localtime_r(&ts.tv_sec, &now.tm);
  now.millisecond = uint32_t(ts.tv_nsec / 1000000);
  return now;
}

}  // namespace

void GetDate(uint32_t& year, uint32_t& month, uint32_t& day, uint32_t& dayOfWeek) {
  const LocalNow now = Now();
  year = uint32_t(now.tm.tm_year + 1900);
  month = uint32_t(now.tm.tm_mon + 1);
  day = uint32_t(now.tm.tm_mday);
  dayOfWeek = uint32_t(now.tm.tm_wday);
}

void GetTime(uint32_t& hour, uint32_t& minute, uint32_t& second, uint32_t& millisecond) {
  const LocalNow now = Now();
  hour = uint32_t(now.tm.tm_hour);
  minute = uint32_t(now.tm.tm_min);
  // A leap second reads as the last second of the minute.
  second = uint32_t(now.tm.tm_sec > 59 ? 59 : now.tm.tm_sec);
  millisecond = now.millisecond;
}

}  // namespace Lib
