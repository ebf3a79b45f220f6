// The host's virtual clock: the time tarnivo.dll sees. The DLL's calls of SetTimer, KillTimer
// and the clock functions come here through its import table (intercept.cpp), so that its time
// moves only when a scenario's `wait` moves it, whatever the machine's load.
//
// The clock behaves as the Linux back end's: a millisecond count that starts at 0 with each
// file, a local time of day that starts at 08:00:00.000 on Monday 2026-01-05, and timers that
// fall due as the count passes their due time. A due timer fires once however many of its
// intervals have passed, and its next due time is counted from the moment it fires. Timers due
// at the same moment fire in the order they were set.
#pragma once

#include <functional>

#include <windows.h>

namespace host::clock {

// A fresh clock: the count at 0, the time of day at 08:00:00.000 of the first day. Timers still
// set keep what is left of their intervals.
void Reset();

// Moves the time of day to HH:MM:SS.mmm of the current day; the count does not move.
void SetTimeOfDay(int hour, int minute, int second, int millisecond);

// Lets `milliseconds` pass. Before each due timer fires and at the end, `pump` runs the
// messages waiting at that moment. A window timer fires as a WM_TIMER posted to its window
// (its procedure, if it was set with one, in the message's lParam), which `pump` dispatches; a
// thread timer's procedure is called.
void Advance(unsigned milliseconds, const std::function<void()>& pump);

// The millisecond count.
ULONGLONG Now();

// True while the window timer `id` of `window` runs: set, not killed, and the window still
// exists.
bool TimerRunning(HWND window, UINT_PTR id);

// True while a thread timer (one set with no window) of this thread runs.
bool ThreadTimerRunning();
// Fires this thread's thread timers at once, as if each had fallen due now (its next interval
// counts from now), in the order they were set.
void FireThreadTimers();

// What the DLL's calls are answered with, as the system answers them: the same arguments,
// results and last errors.
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC function);
BOOL WINAPI KillTimer(HWND window, UINT_PTR id);
DWORD WINAPI GetTickCount();
ULONGLONG WINAPI GetTickCount64();
void WINAPI GetLocalTime(LPSYSTEMTIME time);
// The machine's time zone is taken to be UTC: system time and local time are the same.
void WINAPI GetSystemTime(LPSYSTEMTIME time);
void WINAPI GetSystemTimeAsFileTime(LPFILETIME time);

}  // namespace host::clock
