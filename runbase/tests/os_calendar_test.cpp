#include <gtest/gtest.h>

#include <cmath>

#include "runbase/os.h"

namespace {

struct Date {
  int32_t year, month, day;
  bool operator==(const Date&) const = default;
};

// Independent calendar rules: Julian leap years before the 1582 reform,
// Gregorian after; astronomical year numbers (year 0 is a leap year).
bool IsLeap(int32_t y, bool gregorian) {
  const int32_t r4 = ((y % 4) + 4) % 4;
  if (!gregorian) return r4 == 0;
  return r4 == 0 && (y % 100 != 0 || y % 400 == 0);
}

int32_t DaysInMonth(int32_t y, int32_t m, bool gregorian) {
  static const int32_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y, gregorian) ? 29 : days[m - 1];
}

Date NextDay(Date d) {
  if (d == Date{1582, 10, 4}) return {1582, 10, 15};
  const bool gregorian = d.year > 1582 || (d.year == 1582 && d.month >= 10);
  if (++d.day > DaysInMonth(d.year, d.month, gregorian)) {
    d.day = 1;
    if (++d.month > 12) d.month = 1, ++d.year;
  }
  return d;
}

Date DateOf(double jd) {
  Date d{};
  double f;
  os::iJD(jd, d.year, d.month, d.day, f);
  return d;
}

// Every day from JD 0 (1 January 4713 BC, Julian) to the year 3000: the
// inverse gives the successor of the previous date and converts back to the
// same Julian date, across the 1582 reform and all negative years.
TEST(Calendar, EveryDayRoundTripsAndFollowsThePrevious) {
  Date expected{-4712, 1, 1};
  const double last = os::JD(3000, 12, 31, 0.5);
  int failures = 0;
  for (double jd = 0; jd <= last && failures < 5; jd += 1) {
    const Date got = DateOf(jd);
    if (!(got == expected)) {
      ADD_FAILURE() << "JD " << jd << " gave " << got.year << "-" << got.month << "-" << got.day
                    << ", expected " << expected.year << "-" << expected.month << "-"
                    << expected.day;
      ++failures;
    }
    EXPECT_EQ(os::JD(got.year, got.month, got.day, 0.5), jd);
    expected = NextDay(got);
  }
}

TEST(Calendar, PublishedReferenceDates) {
  struct Case {
    int32_t y, m, d;
    double f, jd;
  } cases[] = {
      {2000, 1, 1, 0.5, 2451545.0},  {1582, 10, 15, 0, 2299160.5}, {1582, 10, 4, 0, 2299159.5},
      {1957, 10, 4, 0.81, 2436116.31}, {333, 1, 27, 0.5, 1842713.0}, {1987, 6, 19, 0.5, 2446966.0},
      {1988, 1, 27, 0, 2447187.5},   {1600, 12, 31, 0, 2305812.5}, {837, 4, 10, 0.3, 2026871.8},
      {-123, 12, 31, 0, 1676496.5},  {-122, 1, 1, 0, 1676497.5},   {-1000, 7, 12, 0.5, 1356001.0},
      {-1000, 2, 29, 0, 1355866.5},  {-1001, 8, 17, 0.9, 1355671.4}, {-4712, 1, 1, 0.5, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
    EXPECT_NEAR(os::JD(c.y, c.m, c.d, c.f), c.jd, 1e-9);
    int32_t y, m, d;
    double f;
    os::iJD(c.jd, y, m, d, f);
    EXPECT_EQ((Date{y, m, d}), (Date{c.y, c.m, c.d}));
    EXPECT_NEAR(f, c.f, 1e-6);
  }
}

TEST(Calendar, WithinAMillisecondOfMidnightIsTheNextDay) {
  int32_t y, m, d;
  double f;
  os::iJD(2451544.49999999, y, m, d, f);
  EXPECT_EQ((Date{y, m, d}), (Date{2000, 1, 1}));
  EXPECT_EQ(f, 0.0);
  // Two milliseconds before midnight is still the old day.
  os::iJD(2451544.5 - 2.0 / 86400000, y, m, d, f);
  EXPECT_EQ((Date{y, m, d}), (Date{1999, 12, 31}));
}

TEST(Calendar, SystemTimeConversions) {
  os::_SYSTEMTIME st;
  os::JDToSystemTime(2451545.0, st);
  EXPECT_EQ(st.wDayOfWeek, 6);
  EXPECT_EQ(st.wYear, 2000);
  EXPECT_EQ(st.wMonth, 1);
  EXPECT_EQ(st.wDay, 1);
  EXPECT_EQ(st.wHour, 12);
  EXPECT_EQ(st.wMinute, 0);
  EXPECT_EQ(st.wSecond, 0);
  EXPECT_EQ(st.wMilliseconds, 0);

  // The last instant before midnight rounds into the next day; the weekday
  // must follow the date (Sunday), not the unrounded instant.
  os::JDToSystemTime(2451545.5 - 5e-9, st);
  EXPECT_EQ(st.wDay, 2);
  EXPECT_EQ(st.wDayOfWeek, 0);
  EXPECT_EQ(st.wHour, 0);

  os::_SYSTEMTIME in{2024, 2, 0, 29, 23, 59, 58, 999};
  os::JDToSystemTime(os::SystemTimeToJD(in), st);
  EXPECT_EQ(st.wYear, 2024);
  EXPECT_EQ(st.wMonth, 2);
  EXPECT_EQ(st.wDay, 29);
  EXPECT_EQ(st.wDayOfWeek, 4);  // a Thursday
  EXPECT_EQ(st.wHour, 23);
  EXPECT_EQ(st.wMinute, 59);
  EXPECT_EQ(st.wSecond, 58);
  EXPECT_EQ(st.wMilliseconds, 999);
}

// Every second of a day, at several milliseconds, survives the trip through
// a day fraction; the carries keep minutes and seconds below 60.
TEST(Calendar, DayFractionRoundTripsEverySecond) {
  int failures = 0;
  for (uint32_t t = 0; t < 86400 && failures < 5; ++t) {
    for (uint32_t ms : {0u, 1u, 499u, 500u, 999u}) {
      const uint32_t h = t / 3600, m = t / 60 % 60, s = t % 60;
      uint32_t h2, m2, s2, ms2;
      const bool at24 = os::fd2HMS(os::HMS2fd(h, m, s, ms), h2, m2, s2, ms2);
      if (at24 || h2 != h || m2 != m || s2 != s || ms2 != ms) {
        ADD_FAILURE() << h << ":" << m << ":" << s << "." << ms << " came back as " << h2 << ":"
                      << m2 << ":" << s2 << "." << ms2;
        ++failures;
      }
    }
  }
}

TEST(Calendar, FractionJustBelowOneCarriesTo24Hours) {
  uint32_t h, m, s, ms;
  EXPECT_TRUE(os::fd2HMS(1 - 5e-9, h, m, s, ms));
  EXPECT_EQ(h, 24u);
  EXPECT_EQ(m, 0u);
  EXPECT_EQ(s, 0u);
  EXPECT_EQ(ms, 0u);
}

TEST(Calendar, SpansOfDays) {
  struct Case {
    int32_t y, m, d;
    double f;
  } cases[] = {{0, 0, 0, 0}, {2, 3, 10, 0.25}, {0, 10, 29, 0.5}, {10, 0, 1, 0.125}, {1, 5, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "/" << c.m << "/" << c.d);
    int32_t y, m, d;
    double f;
    os::iDays(os::Days(c.y, c.m, c.d, c.f), y, m, d, f);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(m, c.m);
    EXPECT_EQ(d, c.d);
    EXPECT_NEAR(f, c.f, 1e-9);
  }
  // A fraction that rounds up to a whole day carries into the days.
  int32_t y, m, d;
  double f;
  os::iDays(os::Days(0, 1, 2, 0.9999999999), y, m, d, f);
  EXPECT_EQ(d, 3);
  EXPECT_EQ(f, 0.0);
}

TEST(Calendar, FracKeepsTheSign) {
  EXPECT_DOUBLE_EQ(os::frac(2.75), 0.75);
  EXPECT_DOUBLE_EQ(os::frac(-2.75), -0.75);
  EXPECT_EQ(os::frac(3.0), 0.0);
}

TEST(Timers, CountersAgreeAndAreMonotonic) {
  EXPECT_TRUE(os::HiResTimerExists());
  EXPECT_EQ(os::GetHiResHz(), 1000000000);
  const uint64_t a = os::GetUptimeMS64();
  const uint64_t b = os::GetUptimeMS64();
  EXPECT_LE(a, b);
  int64_t previous = os::GetHiResTicks();
  EXPECT_GE(os::GetHiResDifference(&previous), 0);
  EXPECT_EQ(os::HiResTicksToMS(2500000000), 2500);
  EXPECT_DOUBLE_EQ(os::HiResTicksToLRS(1500000000), 1.5);
  EXPECT_DOUBLE_EQ(os::HiResTicksToLRMS(1500000), 1.5);
}

}  // namespace

#include <unistd.h>

namespace {

bool pendingInput = false;

// The wait reports the readable descriptor, pending GUI input, or a timeout;
// only zero timeouts are used, so nothing here depends on the clock.
TEST(Waits, DescriptorsInputAndTimeout) {
  int fds[2][2];
  ASSERT_EQ(pipe(fds[0]), 0);
  ASSERT_EQ(pipe(fds[1]), 0);
  const os::WaitHandle handles[] = {fds[0][0], fds[1][0]};
  EXPECT_EQ(os::MsgWaitForMultipleObjectsEx(2, handles, 0, 0, 0), os::WAIT_TIMEOUT);
  ASSERT_EQ(write(fds[1][1], "x", 1), 1);
  EXPECT_EQ(os::MsgWaitForMultipleObjectsEx(2, handles, 0, 0, 0), os::WAIT_OBJECT_0 + 1);
  EXPECT_EQ(os::MsgWaitForMultipleObjectsEx(2, handles, 0, 0, os::MWMO_WAITALL), os::WAIT_TIMEOUT);
  ASSERT_EQ(write(fds[0][1], "x", 1), 1);
  EXPECT_EQ(os::MsgWaitForMultipleObjectsEx(2, handles, os::INFINITE, 0, os::MWMO_WAITALL),
            os::WAIT_OBJECT_0);

  EXPECT_TRUE(os::WindowsQueueEmpty());
  os::SetQueueProbe([] { return pendingInput; });
  pendingInput = true;
  EXPECT_FALSE(os::WindowsQueueEmpty());
  EXPECT_EQ(os::MsgWaitForMultipleObjectsEx(0, nullptr, os::INFINITE, 0xFF, 0), os::WAIT_OBJECT_0);
  os::SetQueueProbe(nullptr);
  EXPECT_EQ(os::MsgWaitForMultipleObjectsEx(1, nullptr, 0, 0, 0), os::WAIT_FAILED);
  for (auto& p : fds) close(p[0]), close(p[1]);
}

}  // namespace
