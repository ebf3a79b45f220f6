// Timer cases that every virtual clock of the project passes alike: the Linux back end's (the
// system's SetTimer, with backend::RunFor moving the time) and the scenario host's (the DLL's
// timers answered by host::clock under Wine). A case is played on a bench: the clock's calls,
// a window whose procedure notes each WM_TIMER and WM_APP+N it gets in `seen` (and then calls
// `on_message`), and a TIMERPROC that notes "proc".
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace timer_cases {

// What a window or a TIMERPROC saw: the clock's tick count since the case began, and what.
struct Seen {
  DWORD time;
  std::string what;
  bool operator==(const Seen& other) const { return time == other.time && what == other.what; }
};

inline std::ostream& operator<<(std::ostream& out, const Seen& seen) {
  return out << seen.time << ":" << seen.what;
}

struct Bench {
  std::function<UINT_PTR(HWND, UINT_PTR, UINT, TIMERPROC)> set_timer;
  std::function<BOOL(HWND, UINT_PTR)> kill_timer;
  // Lets the time pass, firing the due timers.
  std::function<void(unsigned)> advance;
  std::function<DWORD()> ticks;
  HWND window = nullptr;
  TIMERPROC thread_proc = nullptr;
  std::vector<Seen>* seen = nullptr;
  std::function<void(HWND, UINT, WPARAM)>* on_message = nullptr;
};

// Timers fire in due order, ties to the one set first, each once per interval; no time, no
// timer.
inline void DueOrder(const Bench& bench) {
  const DWORD start = bench.ticks();
  bench.seen->clear();
  ASSERT_EQ(bench.set_timer(bench.window, 1, 30, nullptr), 1u);
  const UINT_PTR thread_timer = bench.set_timer(nullptr, 0, 40, bench.thread_proc);
  ASSERT_NE(thread_timer, 0u);
  ASSERT_EQ(bench.set_timer(bench.window, 2, 50, nullptr), 2u);
  bench.advance(150);
  const std::vector<Seen> expected = {
      {30, "timer 1"}, {40, "proc"},     {50, "timer 2"},  {60, "timer 1"},
      {80, "proc"},    {90, "timer 1"},  {100, "timer 2"}, {120, "timer 1"},
      {120, "proc"},   {150, "timer 1"}, {150, "timer 2"},
  };
  EXPECT_EQ(*bench.seen, expected);
  EXPECT_EQ(bench.ticks() - start, 150u);
  bench.seen->clear();
  bench.advance(0);
  EXPECT_TRUE(bench.seen->empty());
  EXPECT_TRUE(bench.kill_timer(nullptr, thread_timer));
  EXPECT_TRUE(bench.kill_timer(bench.window, 1));
  EXPECT_TRUE(bench.kill_timer(bench.window, 2));
}

// What a timer's handler does (kill timers, set one, post a message) takes effect at once: a
// killed timer never fires, a new one counts from the handler's moment.
inline void HandlersSetKillAndPost(const Bench& bench) {
  bench.seen->clear();
  ASSERT_EQ(bench.set_timer(bench.window, 1, 30, nullptr), 1u);
  ASSERT_EQ(bench.set_timer(bench.window, 2, 50, nullptr), 2u);
  const Bench* const on = &bench;
  *bench.on_message = [on](HWND window, UINT message, WPARAM id) {
    if (message != WM_TIMER) return;
    if (id == 1) {
      on->kill_timer(window, 1);
      on->kill_timer(window, 2);  // due at 50, never fires
      on->set_timer(window, 3, 15, nullptr);
    } else if (id == 3) {
      PostMessageA(window, WM_APP + 7, 0, 0);
    }
  };
  bench.advance(70);
  *bench.on_message = nullptr;
  const std::vector<Seen> expected = {
      {30, "timer 1"}, {45, "timer 3"}, {45, "app 7"}, {60, "timer 3"}, {60, "app 7"},
  };
  EXPECT_EQ(*bench.seen, expected);
  EXPECT_TRUE(bench.kill_timer(bench.window, 3));
}

}  // namespace timer_cases
