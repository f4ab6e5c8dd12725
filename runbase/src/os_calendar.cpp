// os calendar: Julian dates, broken-down times, spans of days and day
// fractions.
#include <cmath>

#include "runbase/os.h"

namespace os {

namespace {

constexpr double MillisecondsPerDay = 86400000.0;

// Time of day from a day fraction, rounded to whole milliseconds with carries.
struct DayTime {
  uint32_t hour, minute, second, millisecond;
};

DayTime SplitDayFraction(double f) {
  const double h = 24.0 * f;
  const double m = 60.0 * (h - std::trunc(h));
  const double s = 60.0 * (m - std::trunc(m));
  DayTime t{uint32_t(std::trunc(h)), uint32_t(std::trunc(m)), uint32_t(std::trunc(s)),
            uint32_t(std::trunc(1000.0 * (s - std::trunc(s)) + 0.5))};
  if (t.millisecond >= 1000) t.millisecond -= 1000, ++t.second;
  if (t.second >= 60) t.second -= 60, ++t.minute;
  if (t.minute >= 60) t.minute -= 60, ++t.hour;
  return t;
}

// Day number Z (integer part of JD + 0.5, moved to the next day within a
// millisecond of midnight) and the fraction of that day.
void SplitJD(double jd, double& z, double& f) {
  const double x = jd + 0.5;
  z = std::floor(x);
  f = x - z;
  if (1.0 - f < 1.0 / MillisecondsPerDay) {
    f = 0;
    z += 1;
  }
}

}  // namespace

double JD(int32_t year, int32_t month, int32_t day, double dayFraction) {
  int64_t y = year;
  int64_t m = month;
  if (m < 3) {
    y -= 1;
    m += 13;
  } else {
    m += 1;
  }
  int64_t b = 0;
  // Gregorian correction from 15 October 1582 on (m is the adjusted month).
  const bool beforeReform = y < 1582 || (y == 1582 && (m <= 10 || (m == 11 && day < 15)));
  if (y >= 0 && !beforeReform) b = y / 400 - y / 100 + 2;
  const double e = y < 0 ? 0.75 : 0.0;
  return std::trunc(365.25 * double(y) - e) + double(b) + double(day) +
         std::trunc(30.6001 * double(m)) + 1720994.5 + dayFraction;
}

void iJD(double jd, int32_t& year, int32_t& month, int32_t& day, double& dayFraction) {
  double z, f;
  SplitJD(jd, z, f);
  if (z > 2299160) {
    const double a = std::trunc((z - 1867216.25) / 36524.25);
    z = z + a - std::trunc(a / 4) + 1;
  }
  const double b = z + 1524;
  const double c = std::trunc((b - 122.1) / 365.25);
  const double d = b - std::trunc(365.25 * c);
  const double e = std::trunc(d / 30.6001);
  day = int32_t(d - std::trunc(30.6001 * e));
  month = int32_t(e > 13 ? e - 13 : e - 1);
  year = int32_t(month < 3 ? c - 4715 : c - 4716);
  dayFraction = f;
}

double SystemTimeToJD(const _SYSTEMTIME& st) {
  const double fraction =
      (((st.wMilliseconds / 1000.0 + st.wSecond) / 60.0 + st.wMinute) / 60.0 + st.wHour) / 24.0;
  return JD(st.wYear, st.wMonth, st.wDay, fraction);
}

void JDToSystemTime(double jd, _SYSTEMTIME& st) {
  int32_t year, month, day;
  double f;
  iJD(jd, year, month, day, f);
  double z, unused;
  SplitJD(jd, z, unused);
  // Day of week of the day iJD returned (0 = Sunday); equals trunc(JD + 1.5)
  // mod 7 except in the last millisecond before midnight, which iJD already
  // counts to the next day.
  const double dow = std::fmod(z + 1, 7.0);
  const DayTime t = SplitDayFraction(f);
  st.wYear = uint16_t(year);
  st.wMonth = uint16_t(month);
  st.wDay = uint16_t(day);
  st.wDayOfWeek = uint16_t(dow < 0 ? dow + 7 : dow);
  st.wHour = uint16_t(t.hour);
  st.wMinute = uint16_t(t.minute);
  st.wSecond = uint16_t(t.second);
  st.wMilliseconds = uint16_t(t.millisecond);
}

double Days(int32_t years, int32_t months, int32_t days, double fraction) {
  return 30.6001 * months + 365.25 * years + days + fraction;
}

void iDays(double dayCount, int32_t& years, int32_t& months, int32_t& days, double& fraction) {
  const double inYears = dayCount / 365.25 + 1e-15;
  years = int32_t(std::trunc(inYears));
  const double inMonths = (inYears - std::trunc(inYears)) * 365.25 / 30.6001 + 1e-15;
  months = int32_t(std::trunc(inMonths));
  const double inDays = (inMonths - std::trunc(inMonths)) * 30.6001;
  days = int32_t(std::trunc(inDays));
  fraction = std::round((inDays - std::trunc(inDays)) * MillisecondsPerDay) / MillisecondsPerDay;
  if (fraction >= 1.0) {
    fraction = 0;
    ++days;
  }
  if (days >= 31) {
    days = 0;
    ++months;
  }
  // Twelve whole months make a year (the month count runs 0..11).
  if (months >= 12) {
    months -= 12;
    ++years;
  }
}

double HMS2fd(uint32_t hour, uint32_t minute, uint32_t second, uint32_t millisecond) {
  return hour / 24.0 + minute / 1440.0 + second / 86400.0 + millisecond / MillisecondsPerDay;
}

bool fd2HMS(double fraction, uint32_t& hour, uint32_t& minute, uint32_t& second,
            uint32_t& millisecond) {
  const DayTime t = SplitDayFraction(fraction);
  hour = t.hour;
  minute = t.minute;
  second = t.second;
  millisecond = t.millisecond;
  return t.hour == 24;
}

double frac(double x) { return x - std::trunc(x); }

}  // namespace os
