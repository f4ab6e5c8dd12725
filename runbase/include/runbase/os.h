// os: Julian dates and calendar arithmetic, uptime and high-resolution
// timers, and a wait on descriptors that also wakes for pending GUI input.
//
// Julian dates are doubles in days; the day starts at noon, so a date at 0 h
// has the fraction .5. Dates from 15 October 1582 on are Gregorian, earlier
// ones Julian; years are astronomical (year 0 = 1 BC, negative years allowed).
#pragma once

#include <cstdint>

namespace os {

// Broken-down time record (all fields 16 bits; day of week 0 = Sunday).
struct _SYSTEMTIME {
  uint16_t wYear = 0;
  uint16_t wMonth = 0;
  uint16_t wDayOfWeek = 0;
  uint16_t wDay = 0;
  uint16_t wHour = 0;
  uint16_t wMinute = 0;
  uint16_t wSecond = 0;
  uint16_t wMilliseconds = 0;
};

// ---- Calendar -------------------------------------------------------------------

// Calendar date and day fraction -> Julian date.
double JD(int32_t year, int32_t month, int32_t day, double dayFraction);
// Julian date -> calendar date and day fraction; a time within a millisecond
// of the next midnight gives the next day with fraction 0.
void iJD(double jd, int32_t& year, int32_t& month, int32_t& day, double& dayFraction);

double SystemTimeToJD(const _SYSTEMTIME& st);
void JDToSystemTime(double jd, _SYSTEMTIME& st);

// A span of years, months (30.6001 days), days and a fraction -> days, and back.
double Days(int32_t years, int32_t months, int32_t days, double fraction);
void iDays(double dayCount, int32_t& years, int32_t& months, int32_t& days, double& fraction);

// Time of day <-> day fraction. fd2HMS rounds to whole milliseconds with
// carries and returns true when the hour came out as 24.
double HMS2fd(uint32_t hour, uint32_t minute, uint32_t second, uint32_t millisecond);
bool fd2HMS(double fraction, uint32_t& hour, uint32_t& minute, uint32_t& second,
            uint32_t& millisecond);

// Fractional part with the sign of x.
double frac(double x);

// ---- Timers -----------------------------------------------------------------------

// Milliseconds of a monotonic clock, wrapping at 32 bits.
uint32_t GetUptimeMS();
// The same extended to 64 bits (process-wide counter, thread-safe; call it at
// least once every 49 days to keep it exact).
uint64_t GetUptimeMS64();
// High-resolution counter and its frequency in ticks per second.
int64_t GetHiResTicks();
int64_t GetHiResHz();
bool HiResTimerExists();
// Stores the current tick value in *previous and returns the ticks elapsed
// since the value it held.
int64_t GetHiResDifference(int64_t* previous);
int64_t HiResTicksToMS(int64_t ticks);    // whole milliseconds
double HiResTicksToLRMS(int64_t ticks);   // milliseconds
double HiResTicksToLRS(int64_t ticks);    // seconds

// ---- Waits ------------------------------------------------------------------------

inline constexpr uint32_t WAIT_OBJECT_0 = 0;
inline constexpr uint32_t WAIT_TIMEOUT = 258;
inline constexpr uint32_t WAIT_FAILED = 0xFFFFFFFFu;
inline constexpr uint32_t INFINITE = 0xFFFFFFFFu;
inline constexpr uint32_t MWMO_WAITALL = 1;  // flag: wait until every handle is signalled

// Wait handles are pollable descriptors (pipes, eventfds): a handle is
// signalled when it is readable.
using WaitHandle = int;

// Hook through which the GUI layer reports whether input for the calling
// thread is pending. Without it the queue always reads as empty.
using QueueProbe = bool (*)();
void SetQueueProbe(QueueProbe probe);

// Waits until one handle (all of them with MWMO_WAITALL) is signalled, input
// is pending (when wakeMask is non-zero; result WAIT_OBJECT_0 + count), or
// the timeout in milliseconds elapses (WAIT_TIMEOUT). WAIT_OBJECT_0 + i names
// the signalled handle; WAIT_FAILED on a bad argument.
uint32_t MsgWaitForMultipleObjectsEx(uint32_t count, const WaitHandle* handles,
                                     uint32_t milliseconds, uint32_t wakeMask, uint32_t flags);
// True when no input is pending for the calling thread.
bool WindowsQueueEmpty();

// Module start-up: uptime counter and counter frequency. Runs when the
// library is loaded; further calls do nothing.
void __INIT();

}  // namespace os
