// The virtual clock of the Linux back end: one millisecond counter per process that moves
// only when told (Sleep, backend::RunFor, GetMessageA waiting for a timer), and the local
// time derived from it.
#include <atomic>
#include <cstdint>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr std::int64_t kDay = 24 * 60 * 60 * 1000;

// The first day of the clock: Monday 2026-01-05, as days since 1970-01-01.
constexpr std::int64_t kFirstDay = 20458;

std::atomic<std::uint64_t> g_now{0};
// Local time in milliseconds since the first day's midnight, less the tick count.
std::atomic<std::int64_t> g_local_offset{0};

std::int64_t LocalMilliseconds() {
  return static_cast<std::int64_t>(g_now.load()) + g_local_offset.load();
}

struct Date {
  int year;
  unsigned month;
  unsigned day;
};

// The civil date of a day counted from 1970-01-01 (proleptic Gregorian calendar).
Date DateOfDay(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t day_of_era = days - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t shifted_month = (5 * day_of_year + 2) / 153;
  const unsigned day = static_cast<unsigned>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  const unsigned month =
      static_cast<unsigned>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  const std::int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
  return Date{static_cast<int>(year), month, day};
}

}  // namespace

namespace backend {

void SetTimeOfDay(int hour, int minute, int second, int millisecond) {
  std::int64_t wanted =
      ((static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
  wanted %= kDay;
  if (wanted < 0) wanted += kDay;
  const std::int64_t now = static_cast<std::int64_t>(g_now.load());
  const std::int64_t local = now + g_local_offset.load();
  const std::int64_t day = local / kDay;
  g_local_offset = day * kDay + wanted - now;
}

}  // namespace backend

namespace backend::internal {

std::uint64_t ClockNow() { return g_now.load(); }

void AdvanceClockTo(std::uint64_t when) {
  std::uint64_t now = g_now.load();
  while (now < when && !g_now.compare_exchange_weak(now, when)) {
  }
}

std::uint64_t RestartClock() {
  g_local_offset = 0;
  return g_now.exchange(0);
}

}  // namespace backend::internal

extern "C" {

DWORD WINAPI GetTickCount() { return static_cast<DWORD>(g_now.load() & 0xFFFFFFFFu); }

void WINAPI Sleep(DWORD dwMilliseconds) { g_now += dwMilliseconds; }

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  if (lpSystemTime == nullptr) return;
  const std::int64_t local = LocalMilliseconds();
  const std::int64_t days = local / kDay;
  const std::int64_t time_of_day = local % kDay;
  const Date date = DateOfDay(kFirstDay + days);
  lpSystemTime->wYear = static_cast<WORD>(date.year);
  lpSystemTime->wMonth = static_cast<WORD>(date.month);
  lpSystemTime->wDay = static_cast<WORD>(date.day);
  // Day 0 is a Monday (1); Sunday is 0.
  lpSystemTime->wDayOfWeek = static_cast<WORD>((1 + days) % 7);
  lpSystemTime->wHour = static_cast<WORD>(time_of_day / 3600000);
  lpSystemTime->wMinute = static_cast<WORD>(time_of_day / 60000 % 60);
  lpSystemTime->wSecond = static_cast<WORD>(time_of_day / 1000 % 60);
  lpSystemTime->wMilliseconds = static_cast<WORD>(time_of_day % 1000);
}

}  // extern "C"
