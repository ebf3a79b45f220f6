// The host's virtual clock under Wine, on real windows and a real message queue: the timers
// it keeps for the DLL fire as the Linux back end's do (the same cases as its message loop
// tests), and its time of day and date follow `Reset` and `SetTimeOfDay`.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "support/timer_cases.h"
#include "virtual_clock.h"

namespace {

namespace clock = host::clock;

const char kClass[] = "TarnivoClockWindow";

using timer_cases::Seen;

std::vector<Seen> g_seen;
DWORD g_start = 0;
std::function<void(HWND, UINT, WPARAM)> g_on_message;

void Note(const std::string& what) {
  g_seen.push_back(Seen{clock::GetTickCount() - g_start, what});
}

LRESULT CALLBACK ClockProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) Note("timer " + std::to_string(wParam));
  if (message >= WM_APP) Note("app " + std::to_string(message - WM_APP));
  if ((message == WM_TIMER || message >= WM_APP) && g_on_message)
    g_on_message(window, message, wParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

void CALLBACK ThreadTimerProc(HWND, UINT, UINT_PTR, DWORD time) {
  g_seen.push_back(Seen{time - g_start, "proc"});
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

void Advance(unsigned milliseconds) { clock::Advance(milliseconds, Pump); }

class VirtualClockTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ClockProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    Pump();
    g_seen.clear();
    g_on_message = nullptr;
    window_ = Make();
    ASSERT_NE(window_, nullptr);
    g_start = clock::GetTickCount();
  }

  void TearDown() override {
    g_on_message = nullptr;
    for (UINT_PTR id : thread_timers_) clock::KillTimer(nullptr, id);
    for (HWND window : made_)
      if (IsWindow(window)) DestroyWindow(window);
    Pump();
    EXPECT_TRUE(UnregisterClassA(kClass, GetModuleHandleA(nullptr)));
  }

  HWND Make() {
    HWND window = CreateWindowExA(0, kClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window != nullptr) made_.push_back(window);
    return window;
  }

  timer_cases::Bench Bench() {
    timer_cases::Bench bench;
    bench.set_timer = clock::SetTimer;
    bench.kill_timer = clock::KillTimer;
    bench.advance = Advance;
    bench.ticks = clock::GetTickCount;
    bench.window = window_;
    bench.thread_proc = ThreadTimerProc;
    bench.seen = &g_seen;
    bench.on_message = &g_on_message;
    return bench;
  }

  UINT_PTR ThreadTimer(UINT interval) {
    const UINT_PTR id = clock::SetTimer(nullptr, 0, interval, ThreadTimerProc);
    if (id != 0) thread_timers_.push_back(id);
    return id;
  }

  HWND window_ = nullptr;
  std::vector<HWND> made_;
  std::vector<UINT_PTR> thread_timers_;
};

// The Linux back end's clock passes the same cases.
TEST_F(VirtualClockTest, TimersFireInDueOrder) {
  timer_cases::DueOrder(Bench());
  EXPECT_EQ(clock::GetTickCount64(), clock::Now());
  // No timer ever reached the system's own queue.
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(VirtualClockTest, HandlersSetAndKillTimersAndPostAsTimePasses) {
  timer_cases::HandlersSetKillAndPost(Bench());
  EXPECT_FALSE(clock::TimerRunning(window_, 1));
}

TEST_F(VirtualClockTest, SettingAgainRestartsAndIntervalsAreClamped) {
  ASSERT_EQ(clock::SetTimer(window_, 1, 0, nullptr), 1u);  // USER_TIMER_MINIMUM: 10 ms
  ASSERT_EQ(clock::SetTimer(window_, 2, 0xFFFFFFFFu, nullptr), 2u);
  Advance(25);
  EXPECT_EQ(g_seen, (std::vector<Seen>{{10, "timer 1"}, {20, "timer 1"}}));
  // Set again at 25 ms with 20 ms: it next fires at 45, not at 30.
  g_seen.clear();
  ASSERT_EQ(clock::SetTimer(window_, 1, 20, nullptr), 1u);
  Advance(19);
  EXPECT_TRUE(g_seen.empty());
  Advance(1);
  EXPECT_EQ(g_seen, (std::vector<Seen>{{45, "timer 1"}}));
}

TEST_F(VirtualClockTest, ThreadTimerIdsKillingAndErrors) {
  const UINT_PTR first = ThreadTimer(100);
  const UINT_PTR second = ThreadTimer(100);
  // Counting down from 0x7FFF, above 0x100.
  EXPECT_GE(first, 0x101u);
  EXPECT_LE(first, 0x7FFFu);
  EXPECT_EQ(second, first - 1);
  // Asking again for a thread timer's own id keeps it.
  EXPECT_EQ(clock::SetTimer(nullptr, first, 50, ThreadTimerProc), first);

  SetLastError(0);
  EXPECT_FALSE(clock::KillTimer(window_, 9));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(clock::KillTimer(nullptr, second));
  EXPECT_FALSE(clock::KillTimer(nullptr, second)) << "killed once only";

  HWND gone = Make();
  ASSERT_EQ(clock::SetTimer(gone, 5, 10, nullptr), 5u);
  EXPECT_TRUE(clock::TimerRunning(gone, 5));
  DestroyWindow(gone);
  EXPECT_FALSE(clock::TimerRunning(gone, 5)) << "a window's timers end with it";
  SetLastError(0);
  EXPECT_EQ(clock::SetTimer(gone, 5, 10, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  Advance(60);
  EXPECT_EQ(g_seen, (std::vector<Seen>{{50, "proc"}}));
}

TEST_F(VirtualClockTest, TimeOfDayAndDate) {
  clock::Reset();
  g_start = 0;
  EXPECT_EQ(clock::GetTickCount(), 0u);
  struct Expected {
    WORD year, month, day, day_of_week, hour, minute, second, millisecond;
  };
  auto check = [](const Expected& e) {
    SYSTEMTIME local{};
    clock::GetLocalTime(&local);
    SYSTEMTIME system{};
    clock::GetSystemTime(&system);
    for (const SYSTEMTIME& now : {local, system}) {
      EXPECT_EQ(now.wYear, e.year);
      EXPECT_EQ(now.wMonth, e.month);
      EXPECT_EQ(now.wDay, e.day);
      EXPECT_EQ(now.wDayOfWeek, e.day_of_week);
      EXPECT_EQ(now.wHour, e.hour);
      EXPECT_EQ(now.wMinute, e.minute);
      EXPECT_EQ(now.wSecond, e.second);
      EXPECT_EQ(now.wMilliseconds, e.millisecond);
    }
    FILETIME file{};
    clock::GetSystemTimeAsFileTime(&file);
    SYSTEMTIME from_file{};
    ASSERT_TRUE(FileTimeToSystemTime(&file, &from_file));
    EXPECT_EQ(from_file.wHour, e.hour);
    EXPECT_EQ(from_file.wMilliseconds, e.millisecond);
  };
  // A fresh clock: Monday 2026-01-05, 08:00:00.000.
  check({2026, 1, 5, 1, 8, 0, 0, 0});
  Advance(1500);
  check({2026, 1, 5, 1, 8, 0, 1, 500});
  clock::SetTimeOfDay(14, 30, 15, 0);
  check({2026, 1, 5, 1, 14, 30, 15, 0});
  EXPECT_EQ(clock::GetTickCount(), 1500u) << "the tick count keeps its own count";

  // Past midnight the date moves on; setting an earlier time keeps the day.
  clock::SetTimeOfDay(23, 59, 59, 900);
  Advance(200);
  check({2026, 1, 6, 2, 0, 0, 0, 100});
  clock::SetTimeOfDay(6, 30, 0, 0);
  check({2026, 1, 6, 2, 6, 30, 0, 0});

  // Back to the start, a timer keeps the time it had left.
  ASSERT_EQ(clock::SetTimer(window_, 1, 100, nullptr), 1u);
  Advance(30);
  clock::Reset();
  g_seen.clear();
  Advance(69);
  EXPECT_TRUE(g_seen.empty());
  Advance(1);
  EXPECT_EQ(g_seen, (std::vector<Seen>{{70, "timer 1"}}));
  check({2026, 1, 5, 1, 8, 0, 0, 70});
}

}  // namespace
