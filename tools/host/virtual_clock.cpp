#include "virtual_clock.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace host::clock {
namespace {

constexpr ULONGLONG kDay = 24ULL * 60 * 60 * 1000;
// 100-nanosecond units in a millisecond, as a FILETIME counts.
constexpr ULONGLONG kFileTimePerMillisecond = 10000;
// The local time a fresh clock starts at, in milliseconds after the first day's midnight.
constexpr ULONGLONG kStartOfDay = 8ULL * 60 * 60 * 1000;

// Ids the system gives thread timers: counting down from 0x7FFF, past 0x100 back to the top.
constexpr UINT_PTR kFirstThreadTimerId = 0x7FFF;
constexpr UINT_PTR kLowestThreadTimerId = 0x101;

struct Timer {
  HWND window = nullptr;  // null: a thread timer
  DWORD thread = 0;       // the thread that set a thread timer
  UINT_PTR id = 0;
  UINT interval = 0;
  TIMERPROC proc = nullptr;
  ULONGLONG due = 0;
  ULONGLONG order = 0;  // when it was set: breaks ties between timers due together
};

struct Clock {
  ULONGLONG now = 0;
  // Local time in milliseconds since the first day's midnight, less the count.
  LONGLONG local_offset = static_cast<LONGLONG>(kStartOfDay);
  std::vector<Timer> timers;
  ULONGLONG next_order = 0;
  UINT_PTR next_thread_timer = kFirstThreadTimerId;
};

Clock& State() {
  static Clock clock;
  return clock;
}

bool Same(const Timer& timer, HWND window, UINT_PTR id, DWORD thread) {
  return timer.window == window && timer.id == id && (window != nullptr || timer.thread == thread);
}

// A window's timers end with the window; a destroyed window's are dropped here.
void ForgetDeadWindows() {
  auto& timers = State().timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(),
                              [](const Timer& timer) {
                                return timer.window != nullptr && !IsWindow(timer.window);
                              }),
               timers.end());
}

// The timer of this thread due first by `latest` (ties: the one set first), or null.
Timer* FirstDue(ULONGLONG latest) {
  const DWORD me = GetCurrentThreadId();
  Timer* first = nullptr;
  for (Timer& timer : State().timers) {
    if (timer.due > latest) continue;
    const DWORD owner =
        timer.window != nullptr ? GetWindowThreadProcessId(timer.window, nullptr) : timer.thread;
    if (owner != me) continue;
    if (first == nullptr || timer.due < first->due ||
        (timer.due == first->due && timer.order < first->order))
      first = &timer;
  }
  return first;
}

// The first day of the clock, Monday 2026-01-05 at midnight, as a FILETIME count.
ULONGLONG FirstDay() {
  SYSTEMTIME day = {};
  day.wYear = 2026;
  day.wMonth = 1;
  day.wDay = 5;
  day.wDayOfWeek = 1;
  FILETIME file = {};
  SystemTimeToFileTime(&day, &file);
  return (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

ULONGLONG LocalFileTime() {
  const LONGLONG local = static_cast<LONGLONG>(State().now) + State().local_offset;
  return FirstDay() + static_cast<ULONGLONG>(local) * kFileTimePerMillisecond;
}

}  // namespace

void Reset() {
  Clock& clock = State();
  const ULONGLONG was = clock.now;
  clock.now = 0;
  clock.local_offset = static_cast<LONGLONG>(kStartOfDay);
  for (Timer& timer : clock.timers) timer.due = timer.due > was ? timer.due - was : 0;
}

void SetTimeOfDay(int hour, int minute, int second, int millisecond) {
  Clock& clock = State();
  LONGLONG wanted =
      ((static_cast<LONGLONG>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
  const auto day_length = static_cast<LONGLONG>(kDay);
  wanted %= day_length;
  if (wanted < 0) wanted += day_length;
  const auto now = static_cast<LONGLONG>(clock.now);
  const LONGLONG day = (now + clock.local_offset) / day_length;
  clock.local_offset = day * day_length + wanted - now;
}

void Advance(unsigned milliseconds, const std::function<void()>& pump) {
  const ULONGLONG end = State().now + milliseconds;
  while (true) {
    pump();
    ForgetDeadWindows();
    Timer* timer = FirstDue(end);
    if (timer == nullptr) break;
    Clock& clock = State();
    clock.now = std::max(clock.now, timer->due);
    // Its next interval counts from now; what it runs may kill or set it again.
    timer->due = clock.now + timer->interval;
    const Timer fired = *timer;
    if (fired.window != nullptr) {
      PostMessageA(fired.window, WM_TIMER, fired.id, reinterpret_cast<LPARAM>(fired.proc));
    } else if (fired.proc != nullptr) {
      fired.proc(nullptr, WM_TIMER, fired.id, static_cast<DWORD>(clock.now));
    }
  }
  State().now = std::max(State().now, end);
  pump();
}

ULONGLONG Now() { return State().now; }

bool TimerRunning(HWND window, UINT_PTR id) {
  if (window == nullptr || !IsWindow(window)) return false;
  const auto& timers = State().timers;
  return std::any_of(timers.begin(), timers.end(),
                     [&](const Timer& timer) { return Same(timer, window, id, 0); });
}

bool ThreadTimerRunning() {
  const DWORD me = GetCurrentThreadId();
  const auto& timers = State().timers;
  return std::any_of(timers.begin(), timers.end(), [me](const Timer& timer) {
    return timer.window == nullptr && timer.thread == me;
  });
}

void FireThreadTimers() {
  const DWORD me = GetCurrentThreadId();
  std::vector<Timer> due;
  for (Timer& timer : State().timers) {
    if (timer.window != nullptr || timer.thread != me) continue;
    timer.due = State().now + timer.interval;
    due.push_back(timer);
  }
  std::sort(due.begin(), due.end(),
            [](const Timer& a, const Timer& b) { return a.order < b.order; });
  for (const Timer& timer : due)
    if (timer.proc != nullptr)
      timer.proc(nullptr, WM_TIMER, timer.id, static_cast<DWORD>(State().now));
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC function) {
  Clock& clock = State();
  ForgetDeadWindows();
  if (window != nullptr && !IsWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  Timer timer;
  timer.window = window;
  timer.thread = GetCurrentThreadId();
  timer.interval = std::min(std::max(elapse, static_cast<UINT>(USER_TIMER_MINIMUM)),
                            static_cast<UINT>(USER_TIMER_MAXIMUM));
  timer.proc = function;
  timer.id = id;
  auto same = [&](const Timer& other) { return Same(other, window, timer.id, timer.thread); };
  if (window == nullptr &&
      (id == 0 || std::none_of(clock.timers.begin(), clock.timers.end(), same))) {
    // A thread timer keeps the id asked for only when it names one of this thread's timers;
    // otherwise it gets a new one.
    const UINT_PTR count = kFirstThreadTimerId - kLowestThreadTimerId + 1;
    bool found = false;
    for (UINT_PTR tries = 0; tries < count && !found; ++tries) {
      timer.id = clock.next_thread_timer;
      clock.next_thread_timer =
          timer.id > kLowestThreadTimerId ? timer.id - 1 : kFirstThreadTimerId;
      found = std::none_of(clock.timers.begin(), clock.timers.end(), same);
    }
    if (!found) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
  }
  // Setting a timer again replaces it: a new interval from now.
  clock.timers.erase(std::remove_if(clock.timers.begin(), clock.timers.end(), same),
                     clock.timers.end());
  timer.due = clock.now + timer.interval;
  timer.order = clock.next_order++;
  clock.timers.push_back(timer);
  if (window != nullptr && timer.id == 0) return 1;
  return timer.id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  auto& timers = State().timers;
  const DWORD me = GetCurrentThreadId();
  const auto found = std::find_if(timers.begin(), timers.end(),
                                  [&](const Timer& timer) { return Same(timer, window, id, me); });
  if (found == timers.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  timers.erase(found);
  return TRUE;
}

DWORD WINAPI GetTickCount() { return static_cast<DWORD>(State().now & 0xFFFFFFFFu); }

ULONGLONG WINAPI GetTickCount64() { return State().now; }

void WINAPI GetLocalTime(LPSYSTEMTIME time) {
  if (time == nullptr) return;
  const ULONGLONG local = LocalFileTime();
  FILETIME file = {static_cast<DWORD>(local & 0xFFFFFFFFu), static_cast<DWORD>(local >> 32)};
  FileTimeToSystemTime(&file, time);
}

void WINAPI GetSystemTime(LPSYSTEMTIME time) { clock::GetLocalTime(time); }

void WINAPI GetSystemTimeAsFileTime(LPFILETIME time) {
  if (time == nullptr) return;
  const ULONGLONG local = LocalFileTime();
  time->dwLowDateTime = static_cast<DWORD>(local & 0xFFFFFFFFu);
  time->dwHighDateTime = static_cast<DWORD>(local >> 32);
}

}  // namespace host::clock
