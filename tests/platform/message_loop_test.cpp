// Tests of the Linux back end's own side of windows, messages, timers and menus: the
// virtual clock and the message loop tests drive (RunFor, RunPending, SetTimeOfDay,
// ResetClock), the cursor control, and the points where it follows Windows rather than
// Wine.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "support/timer_cases.h"

namespace {

const char kClass[] = "TarnivoLoopWindow";

using timer_cases::Seen;

std::vector<Seen> g_seen;
DWORD g_start = 0;
std::function<void(HWND, UINT, WPARAM)> g_on_message;

void Note(const std::string& what) { g_seen.push_back(Seen{GetTickCount() - g_start, what}); }

LRESULT CALLBACK LoopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) Note("timer " + std::to_string(wParam));
  if (message >= WM_APP) Note("app " + std::to_string(message - WM_APP));
  if ((message == WM_TIMER || message >= WM_APP) && g_on_message) {
    g_on_message(window, message, wParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void CALLBACK ThreadTimerProc(HWND, UINT, UINT_PTR, DWORD time) {
  g_seen.push_back(Seen{time - g_start, "proc"});
}

class LoopTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = LoopProc;
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    backend::RunPending();
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    g_seen.clear();
    g_on_message = nullptr;
    window_ = Make(nullptr, WS_POPUP);
    ASSERT_NE(window_, nullptr);
    g_start = GetTickCount();
  }

  void TearDown() override {
    g_on_message = nullptr;
    for (HWND window : made_) {
      if (IsWindow(window)) DestroyWindow(window);
    }
    for (UINT_PTR id : thread_timers_) KillTimer(nullptr, id);
    backend::SetObserver({});
    EXPECT_TRUE(UnregisterClassA(kClass, nullptr));
  }

  HWND Make(HWND parent, DWORD style, int x = 0, int y = 0, int width = 10, int height = 10) {
    HWND window = CreateWindowExA(0, kClass, "", style, x, y, width, height, parent, nullptr,
                                  nullptr, nullptr);
    if (window != nullptr) made_.push_back(window);
    return window;
  }

  timer_cases::Bench Bench() {
    timer_cases::Bench bench;
    bench.set_timer = SetTimer;
    bench.kill_timer = KillTimer;
    bench.advance = [](unsigned milliseconds) { backend::RunFor(milliseconds); };
    bench.ticks = GetTickCount;
    bench.window = window_;
    bench.thread_proc = ThreadTimerProc;
    bench.seen = &g_seen;
    bench.on_message = &g_on_message;
    return bench;
  }

  UINT_PTR ThreadTimer(UINT interval) {
    UINT_PTR id = SetTimer(nullptr, 0, interval, ThreadTimerProc);
    thread_timers_.push_back(id);
    return id;
  }

  HWND window_ = nullptr;
  std::vector<HWND> made_;
  std::vector<UINT_PTR> thread_timers_;
};

// The cases the host's virtual clock passes as well.
TEST_F(LoopTest, RunForFiresTimersInDueOrder) { timer_cases::DueOrder(Bench()); }

TEST_F(LoopTest, HandlersSetAndKillTimersAndPostAsTimePasses) {
  timer_cases::HandlersSetKillAndPost(Bench());
}

TEST_F(LoopTest, RunPendingDispatchesWhatIsWaitingWithoutTime) {
  ASSERT_EQ(SetTimer(window_, 1, 20, nullptr), 1u);
  PostMessageA(window_, WM_APP + 1, 0, 0);
  PostQuitMessage(9);
  PostMessageA(window_, WM_APP + 2, 0, 0);
  Sleep(100);  // five intervals: one WM_TIMER
  backend::RunPending();
  const std::vector<Seen> expected = {{100, "app 1"}, {100, "app 2"}, {100, "timer 1"}};
  EXPECT_EQ(g_seen, expected);
  EXPECT_EQ(GetTickCount() - g_start, 100u);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT) << "left for the caller's loop";
  EXPECT_EQ(msg.wParam, 9u);

  // The next WM_TIMER comes a whole interval after the last one was taken.
  g_seen.clear();
  backend::RunFor(19);
  EXPECT_TRUE(g_seen.empty());
  backend::RunFor(1);
  EXPECT_EQ(g_seen, (std::vector<Seen>{{120, "timer 1"}}));
}

TEST_F(LoopTest, RunPendingStopsARunawayHandler) {
  std::vector<std::string> lines;
  backend::SetObserver([&lines](const std::string& line) { lines.push_back(line); });
  int count = 0;
  g_on_message = [&count](HWND window, UINT message, WPARAM) {
    if (message != WM_APP) return;
    ++count;
    PostMessageA(window, WM_APP, 0, 0);
  };
  PostMessageA(window_, WM_APP, 0, 0);
  backend::RunPending();
  EXPECT_EQ(count, 100000);
  EXPECT_EQ(lines,
            std::vector<std::string>{"message loop stopped after 100000 messages at one instant"});
  g_on_message = nullptr;
  backend::RunPending();
}

TEST_F(LoopTest, TimerIntervalsAreClampedAndTimerMessagesCarryTheProc) {
  ASSERT_EQ(SetTimer(window_, 1, 0, nullptr), 1u);
  ASSERT_EQ(SetTimer(window_, 2, 0xFFFFFFFFu, nullptr), 2u);
  UINT_PTR id = ThreadTimer(5);
  backend::RunFor(25);
  const std::vector<Seen> expected = {{10, "timer 1"}, {10, "proc"}, {20, "timer 1"}, {20, "proc"}};
  EXPECT_EQ(g_seen, expected);

  Sleep(10);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)), WM_TIMER,
                           WM_TIMER, PM_REMOVE));
  EXPECT_EQ(msg.wParam, id);
  EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(&ThreadTimerProc));
  EXPECT_EQ(msg.time, GetTickCount());

  // A WM_TIMER whose lParam is no TIMERPROC of this process is not called.
  g_seen.clear();
  msg.lParam = 0x1234;
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  EXPECT_TRUE(g_seen.empty());
}

TEST_F(LoopTest, GetMessageMovesTheClockToTheNextTimerOrFails) {
  MSG msg{};
  SetLastError(0);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1) << "nothing could ever come";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_EQ(GetTickCount(), g_start);

  HWND other = Make(nullptr, WS_POPUP);
  ASSERT_EQ(SetTimer(window_, 4, 250, nullptr), 4u);
  EXPECT_EQ(GetMessageA(&msg, other, 0, 0), -1) << "no timer for this filter";
  EXPECT_EQ(GetMessageA(&msg, nullptr, WM_APP, WM_APP), -1);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(GetTickCount() - g_start, 250u);
}

TEST_F(LoopTest, ClockTimeOfDayAndDate) {
  backend::ResetClock();
  EXPECT_EQ(GetTickCount(), 0u);
  struct Expected {
    WORD year, month, day, day_of_week, hour, minute, second, millisecond;
  };
  auto check = [](const Expected& e) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, e.year);
    EXPECT_EQ(now.wMonth, e.month);
    EXPECT_EQ(now.wDay, e.day);
    EXPECT_EQ(now.wDayOfWeek, e.day_of_week);
    EXPECT_EQ(now.wHour, e.hour);
    EXPECT_EQ(now.wMinute, e.minute);
    EXPECT_EQ(now.wSecond, e.second);
    EXPECT_EQ(now.wMilliseconds, e.millisecond);
  };
  check({2026, 1, 5, 1, 0, 0, 0, 0});
  backend::SetTimeOfDay(8, 0, 0);
  check({2026, 1, 5, 1, 8, 0, 0, 0});
  EXPECT_EQ(GetTickCount(), 0u) << "the tick count keeps its own count";
  backend::RunFor(1500);
  check({2026, 1, 5, 1, 8, 0, 1, 500});
  EXPECT_EQ(GetTickCount(), 1500u);

  // Past midnight the date moves on; setting an earlier time keeps the day.
  backend::SetTimeOfDay(23, 59, 59, 900);
  backend::RunFor(200);
  check({2026, 1, 6, 2, 0, 0, 0, 100});
  backend::SetTimeOfDay(6, 30, 0);
  check({2026, 1, 6, 2, 6, 30, 0, 0});
  Sleep(6 * 24 * 60 * 60 * 1000);
  check({2026, 1, 12, 1, 6, 30, 0, 0});
  Sleep(26 * 24 * 60 * 60 * 1000u);
  check({2026, 2, 7, 6, 6, 30, 0, 0});

  // The tick count wraps at 32 bits.
  const DWORD before = GetTickCount();
  Sleep(0xFFFFFFFFu);
  Sleep(2);
  EXPECT_EQ(GetTickCount(), before + 1u);

  // Back to the start, a timer keeps the time it had left.
  ASSERT_EQ(SetTimer(window_, 1, 100, nullptr), 1u);
  Sleep(30);
  backend::ResetClock();
  g_start = 0;
  g_seen.clear();
  backend::RunFor(69);
  EXPECT_TRUE(g_seen.empty());
  backend::RunFor(1);
  EXPECT_EQ(g_seen, (std::vector<Seen>{{70, "timer 1"}}));
}

TEST_F(LoopTest, CursorOverAWindowFindsIt) {
  HWND top = Make(nullptr, WS_POPUP | WS_VISIBLE, 200, 100, 300, 200);
  HWND child = Make(top, WS_CHILD | WS_VISIBLE, 100, 50, 40, 20);
  ASSERT_TRUE(top && child);
  backend::MoveCursorOver(child);
  POINT point{};
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, 320);
  EXPECT_EQ(point.y, 160);
  EXPECT_EQ(WindowFromPoint(point), child);
  backend::MoveCursorOver(top);
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(WindowFromPoint(point), top);
  EXPECT_EQ(WindowFromPoint(POINT{10, 10}), nullptr) << "no desktop window here";

  // A message posted now carries the cursor.
  PostMessageA(top, WM_APP, 0, 0);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.pt.x, point.x);
  EXPECT_EQ(msg.pt.y, point.y);

  backend::ResetInput();
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, 0);
  EXPECT_EQ(point.y, 0);
  backend::MoveCursorOver(nullptr);  // no window: the cursor stays
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, 0);
}

TEST_F(LoopTest, HandlesAreNeverGivenTwice) {
  HWND first = Make(nullptr, WS_POPUP);
  DestroyWindow(first);
  HWND second = Make(nullptr, WS_POPUP);
  EXPECT_NE(first, second);
  HMENU menu = CreateMenu();
  DestroyMenu(menu);
  HMENU again = CreatePopupMenu();
  EXPECT_NE(menu, again);
  EXPECT_NE(reinterpret_cast<void*>(again), reinterpret_cast<void*>(second));
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(again)));
  EXPECT_EQ(GetMenuItemCount(reinterpret_cast<HMENU>(second)), -1);
  DestroyMenu(again);
}

TEST_F(LoopTest, WindowsBelongToTheThreadThatMadeThem) {
  std::promise<HWND> made;
  std::promise<void> posted;
  std::promise<bool> received;
  std::thread other([&] {
    HWND window =
        CreateWindowExA(0, kClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetTimer(nullptr, 0, 10, nullptr);
    made.set_value(window);
    posted.get_future().wait();
    MSG msg{};
    received.set_value(PeekMessageA(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE) &&
                       msg.hwnd == window);
  });
  HWND window = made.get_future().get();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(PostMessageA(window, WM_APP, 0, 0));
  EXPECT_FALSE(DestroyWindow(window)) << "another thread's window";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "not this thread's message";
  Sleep(20);
  backend::RunPending();
  EXPECT_TRUE(g_seen.empty()) << "nor this thread's timer";
  posted.set_value();
  EXPECT_TRUE(received.get_future().get());
  other.join();
  EXPECT_FALSE(IsWindow(window)) << "gone with its thread";
}

TEST(LoopMenus, WindowsRulesWhereWineDiffers) {
  HMENU menu = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuA(sub, MF_STRING, 11, "Inner"));
  ASSERT_TRUE(AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&Options"));

  // A caption that does not fit is cut and ended with a NUL.
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetMenuStringA(menu, 0, buffer, 4, MF_BYPOSITION), 3);
  EXPECT_STREQ(buffer, "&Op");
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = buffer;
  info.cch = 3;
  ASSERT_TRUE(GetMenuItemInfoA(menu, 0, TRUE, &info));
  EXPECT_STREQ(buffer, "&O");

  // A submenu must be a menu, and no menu may hold itself.
  SetLastError(0);
  EXPECT_FALSE(AppendMenuA(menu, MF_POPUP, 0x1234, "Broken"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
  EXPECT_FALSE(AppendMenuA(sub, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), "Loop"));
  EXPECT_FALSE(AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), "Self"));
  MENUITEMINFOA loop{};
  loop.cbSize = sizeof loop;
  loop.fMask = MIIM_SUBMENU;
  loop.hSubMenu = menu;
  EXPECT_FALSE(SetMenuItemInfoA(menu, 11, FALSE, &loop));
  EXPECT_EQ(GetMenuItemCount(menu), 1);
  EXPECT_EQ(GetMenuItemCount(sub), 1);

  // Replacing an item that opens a submenu destroys the submenu, as Windows documents.
  ASSERT_TRUE(ModifyMenuA(menu, 0, MF_BYPOSITION | MF_STRING, 5, "&Plain"));
  EXPECT_EQ(GetMenuItemCount(sub), -1);
  EXPECT_EQ(GetMenuItemID(menu, 0), 5u);
  EXPECT_TRUE(DestroyMenu(menu));
}

}  // namespace

#endif  // _WIN32
