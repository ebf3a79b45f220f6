// Conformance of the message queue and of timers: SendMessageA, posted messages and the
// filters of PeekMessageA and GetMessageA, WM_QUIT, DispatchMessageA, window timers and
// thread timers. The same tests run against Wine's user32 and the Linux back end.
//
// Timer tests let time pass with Sleep: real time under Wine, the virtual clock on Linux.
// The windows stay hidden, so no painting message joins the queue under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "platform/win32.h"

namespace {

const char kClass[] = "TarnivoTestQueue";
constexpr UINT kApp = WM_APP;
constexpr UINT kEcho = WM_USER + 1;  // answered with wParam + 1

struct Event {
  HWND window;
  UINT message;
  WPARAM wParam;
};

std::vector<Event> g_events;

LRESULT CALLBACK QueueProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kEcho || message >= kApp || message == WM_TIMER) {
    g_events.push_back(Event{window, message, wParam});
  }
  if (message == kEcho) return static_cast<LRESULT>(wParam + 1);
  return DefWindowProcA(window, message, wParam, lParam);
}

struct TimerCall {
  HWND window;
  UINT message;
  UINT_PTR id;
  DWORD time;
};

std::vector<TimerCall> g_timer_calls;

void CALLBACK RecordingTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time) {
  g_timer_calls.push_back(TimerCall{window, message, id, time});
}

// Empties this thread's queue, leftovers of earlier tests included.
void Drain() {
  MSG msg{};
  for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message != WM_QUIT) DispatchMessageA(&msg);
  }
}

class QueueTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = QueueProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    Drain();
    g_events.clear();
    g_timer_calls.clear();
  }

  void TearDown() override {
    for (HWND window : made_) {
      if (IsWindow(window)) DestroyWindow(window);
    }
    Drain();
    EXPECT_TRUE(UnregisterClassA(kClass, GetModuleHandleA(nullptr)));
  }

  HWND Make(HWND parent = nullptr) {
    HWND window = CreateWindowExA(0, kClass, "", parent != nullptr ? WS_CHILD : WS_POPUP, 0, 0, 10,
                                  10, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window != nullptr) made_.push_back(window);
    return window;
  }

  HWND Gone() {
    HWND window = Make();
    DestroyWindow(window);
    return window;
  }

  std::vector<HWND> made_;
};

TEST_F(QueueTest, SendMessageCallsTheProcedureAtOnce) {
  HWND window = Make();
  ASSERT_NE(window, nullptr);
  g_events.clear();
  EXPECT_EQ(SendMessageA(window, kEcho, 41, 0), 42);
  ASSERT_EQ(g_events.size(), 1u);
  EXPECT_EQ(g_events[0].window, window);
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "nothing was queued";

  HWND gone = Gone();
  SetLastError(0);
  EXPECT_EQ(SendMessageA(gone, kEcho, 1, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(QueueTest, PostedMessagesComeInOrderThroughTheFilters) {
  HWND first = Make();
  HWND second = Make();
  HWND child = Make(first);
  ASSERT_TRUE(first && second && child);
  g_events.clear();
  ASSERT_TRUE(PostMessageA(first, kApp, 1, 10));
  ASSERT_TRUE(PostMessageA(second, kApp + 1, 2, 20));
  ASSERT_TRUE(PostMessageA(child, kApp + 2, 3, 30));
  ASSERT_TRUE(PostMessageA(nullptr, kApp + 3, 4, 40));
  EXPECT_TRUE(g_events.empty()) << "posting calls nothing";

  MSG msg{};
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.hwnd, first);
    EXPECT_EQ(msg.message, kApp);
  }
  ASSERT_TRUE(PeekMessageA(&msg, second, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kApp + 1);
  EXPECT_EQ(msg.lParam, 20);
  // A window filter takes its children's messages too.
  ASSERT_TRUE(PeekMessageA(&msg, first, kApp + 2, kApp + 2, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, child);
  // (HWND)-1 takes thread messages only.
  ASSERT_TRUE(
      PeekMessageA(&msg, reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.message, kApp + 3);
  EXPECT_EQ(msg.wParam, 4u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, kApp + 5, kApp + 9, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&msg, second, 0, 0, PM_REMOVE));

  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kApp);
  EXPECT_FALSE(TranslateMessage(&msg));
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  ASSERT_EQ(g_events.size(), 1u);
  EXPECT_EQ(g_events[0].window, first);
  EXPECT_EQ(g_events[0].wParam, 1u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

  // DispatchMessageA answers what the procedure answers.
  ASSERT_TRUE(PostMessageA(first, kEcho, 6, 0));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessageA(&msg), 7);

  // A window that goes takes its posted messages along; a gone window takes none.
  ASSERT_TRUE(PostMessageA(second, kApp, 0, 0));
  DestroyWindow(second);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  HWND gone = Gone();
  SetLastError(0);
  EXPECT_FALSE(PostMessageA(gone, kApp, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(PeekMessageA(&msg, gone, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageA(&msg, gone, 0, 0), -1);
}

TEST_F(QueueTest, QuitComesAfterPostedMessagesWhateverTheFilter) {
  HWND window = Make();
  ASSERT_NE(window, nullptr);
  PostQuitMessage(3);
  PostQuitMessage(4);
  ASSERT_TRUE(PostMessageA(window, kApp, 0, 0));

  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_USER, WM_USER, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_QUIT) << "no filter keeps WM_QUIT out";
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, kApp) << "the posted message comes first";
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 4u) << "the last exit code";
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "one WM_QUIT";
}

TEST_F(QueueTest, WindowTimerMessagesAreCoalesced) {
  HWND window = Make();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SetTimer(window, 1, 50, nullptr), 1u);
  Sleep(200);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_EQ(msg.lParam, 0);
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE))
      << "four intervals passed, one WM_TIMER";

  // Looked at without removing, it stays; dispatched, the window procedure gets it.
  Sleep(120);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_TIMER);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  g_events.clear();
  DispatchMessageA(&msg);
  ASSERT_EQ(g_events.size(), 1u);
  EXPECT_EQ(g_events[0].message, WM_TIMER);
  EXPECT_EQ(g_events[0].wParam, 1u);

  // Setting the same id again replaces the timer; killing it takes its pending WM_TIMER.
  EXPECT_EQ(SetTimer(window, 1, 60, nullptr), 1u);
  Sleep(120);
  EXPECT_TRUE(KillTimer(window, 1));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_FALSE(KillTimer(window, 1));
  EXPECT_FALSE(KillTimer(window, 99));

  // Id 0 is an id like another; the answer is non-zero.
  EXPECT_NE(SetTimer(window, 0, 50, nullptr), 0u);
  EXPECT_TRUE(KillTimer(window, 0));
  EXPECT_EQ(SetTimer(Gone(), 1, 50, nullptr), 0u);
}

TEST_F(QueueTest, ThreadTimersGetTheirOwnIdsAndCallTheirProc) {
  const UINT_PTR first = SetTimer(nullptr, 0, 50, RecordingTimerProc);
  const UINT_PTR second = SetTimer(nullptr, 0, 50, RecordingTimerProc);
  EXPECT_NE(first, 0u);
  EXPECT_NE(second, 0u);
  EXPECT_NE(first, second);
  EXPECT_EQ(SetTimer(nullptr, first, 60, RecordingTimerProc), first) << "an id of this thread";
  const UINT_PTR third = SetTimer(nullptr, 0x4242, 50, RecordingTimerProc);
  EXPECT_NE(third, 0u);
  EXPECT_NE(third, 0x4242u) << "an unknown id is not taken";
  EXPECT_TRUE(third != first && third != second);

  Sleep(120);
  std::set<UINT_PTR> seen;
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_NE(msg.lParam, 0) << "the TIMERPROC";
    const DWORD before = GetTickCount();
    DispatchMessageA(&msg);  // what it answers for a TIMERPROC is not defined
    const DWORD after = GetTickCount();
    ASSERT_FALSE(g_timer_calls.empty());
    const TimerCall& call = g_timer_calls.back();
    EXPECT_EQ(call.window, nullptr);
    EXPECT_EQ(call.message, WM_TIMER);
    EXPECT_EQ(call.id, msg.wParam);
    EXPECT_LE(call.time - before, after - before) << "the tick count at the call";
    seen.insert(msg.wParam);
  }
  EXPECT_EQ(seen, (std::set<UINT_PTR>{first, second, third}));
  EXPECT_EQ(g_timer_calls.size(), 3u);
  EXPECT_TRUE(g_events.empty()) << "no window procedure for thread timers";

  for (UINT_PTR id : {first, second, third}) EXPECT_TRUE(KillTimer(nullptr, id));
  EXPECT_FALSE(KillTimer(nullptr, first));
}

TEST_F(QueueTest, GetMessageWaitsForTheNextTimer) {
  HWND window = Make();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(SetTimer(window, 5, 50, nullptr), 5u);
  const DWORD before = GetTickCount();
  MSG msg{};
  EXPECT_EQ(GetMessageA(&msg, window, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_GE(GetTickCount() - before, 40u);
  EXPECT_TRUE(KillTimer(window, 5));
}

}  // namespace
