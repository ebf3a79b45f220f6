// TimerControl against the real user32 under Wine and against the Linux back end: its
// window, its ticks while its window is enabled, switching it through the system from
// outside, and what goes with its form. The due times are checked on the Linux back end's
// virtual clock only.
#include "ui/controls/timer_control.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include "platform/linux/backend.h"
#endif

namespace tarnivo {
namespace {

const char kFormClass[] = "TarnivoTimerTestForm";

// Lets the thread's messages through until `done` answers true or about `budget`
// milliseconds have passed (on the Linux back end Sleep moves the virtual clock).
void PumpUntil(const std::function<bool()>& done, DWORD budget) {
  const DWORD start = GetTickCount();
  MSG msg{};
  for (;;) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (done() || GetTickCount() - start >= budget) return;
    Sleep(5);
  }
}

void PumpFor(DWORD milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

// A WM_TIMER of the control's own timer, delivered as the message loop would.
void DeliverTick(HWND window) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = WM_TIMER;
  msg.wParam = TimerControl::kTimerId;
  DispatchMessageA(&msg);
}

class TimerControlTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kFormClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    form_ = CreateWindowExA(0, kFormClass, "form", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(form_, nullptr);
  }

  void TearDown() override {
    control_.reset();
    if (IsWindow(form_)) DestroyWindow(form_);
    TimerControl::UnregisterWindowClass();
    UnregisterClassA(kFormClass, GetModuleHandleA(nullptr));
    // Nothing of this test reaches the next one.
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  TimerControl& Make(const std::string& name, UINT interval) {
    control_ = std::make_unique<TimerControl>(form_, name, interval, [this] { ++ticks_; });
    return *control_;
  }

  HWND form_ = nullptr;
  std::unique_ptr<TimerControl> control_;
  int ticks_ = 0;
};

TEST_F(TimerControlTest, IsAHiddenDisabledChildNamedAfterTheControl) {
  TimerControl& timer = Make("Timer2", 10);
  HWND window = timer.hWnd();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetParent(window), form_);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(IsWindowEnabled(window));
  EXPECT_FALSE(timer.Enabled());
  // Found on its form by its name, as code outside the system finds it.
  EXPECT_EQ(FindWindowExA(form_, nullptr, TimerControl::kClassName, "Timer2"), window);
  EXPECT_EQ(FindWindowExA(form_, nullptr, nullptr, "Timer1"), nullptr);

  PumpFor(50);
  EXPECT_EQ(ticks_, 0) << "off until switched on";
}

TEST_F(TimerControlTest, TicksWhileOnAndStopsWhenOff) {
  TimerControl& timer = Make("Timer1", 10);
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_TRUE(IsWindowEnabled(timer.hWnd())) << "the window holds the state";
  PumpUntil([this] { return ticks_ >= 3; }, 2000);
  EXPECT_GE(ticks_, 3);

  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Enabled());
  const int ticked = ticks_;
  PumpFor(60);
  EXPECT_EQ(ticks_, ticked);
}

TEST_F(TimerControlTest, SwitchingTheWindowFromOutsideSwitchesTheTimer) {
  TimerControl& timer = Make("Timer3", 10);
  HWND window = timer.hWnd();

  EXPECT_TRUE(EnableWindow(window, TRUE)) << "it was disabled";
  EXPECT_TRUE(timer.Enabled());
  PumpUntil([this] { return ticks_ >= 1; }, 2000);
  EXPECT_GE(ticks_, 1) << "enabled from outside, the timer runs";

  EXPECT_FALSE(EnableWindow(window, FALSE));
  EXPECT_FALSE(timer.Enabled());
  const int ticked = ticks_;
  DeliverTick(window);  // one that was queued before the switch
  PumpFor(60);
  EXPECT_EQ(ticks_, ticked) << "disabled from outside, ticks do nothing";

  EXPECT_TRUE(EnableWindow(window, TRUE));
  DeliverTick(window);
  EXPECT_EQ(ticks_, ticked + 1);
  // Only the control's own timer ticks it.
  MSG other{};
  other.hwnd = window;
  other.message = WM_TIMER;
  other.wParam = TimerControl::kTimerId + 1;
  DispatchMessageA(&other);
  EXPECT_EQ(ticks_, ticked + 1);
}

TEST_F(TimerControlTest, GoesWithItsForm) {
  TimerControl& timer = Make("Timer1", 10);
  HWND window = timer.hWnd();
  timer.SetEnabled(true);
  ASSERT_TRUE(DestroyWindow(form_));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(timer.hWnd(), nullptr);
  EXPECT_FALSE(timer.Enabled());
  timer.SetEnabled(true);
  EXPECT_FALSE(timer.Enabled()) << "a control without window stays off";
  PumpFor(50);
  EXPECT_EQ(ticks_, 0);

  // A control without a form has no window at all.
  TimerControl orphan(nullptr, "Timer1", 10, [this] { ++ticks_; });
  EXPECT_EQ(orphan.hWnd(), nullptr);
  orphan.SetEnabled(true);
  EXPECT_FALSE(orphan.Enabled());
}

TEST_F(TimerControlTest, DestroyingTheControlDestroysItsWindow) {
  HWND window = Make("Timer1", 10).hWnd();
  control_->SetEnabled(true);
  control_.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(FindWindowExA(form_, nullptr, TimerControl::kClassName, nullptr), nullptr);
  PumpFor(50);
  EXPECT_EQ(ticks_, 0);
}

TEST_F(TimerControlTest, ATickMayDestroyTheFormAndTheControl) {
  // As a tick that lets messages through may unload its form.
  control_ = std::make_unique<TimerControl>(form_, "Timer1", 10, [this] {
    ++ticks_;
    DestroyWindow(form_);
    control_.reset();
  });
  HWND window = control_->hWnd();
  control_->SetEnabled(true);
  DeliverTick(window);
  EXPECT_EQ(ticks_, 1);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(control_, nullptr);
}

TEST_F(TimerControlTest, TheClassStaysWhileControlsUseIt) {
  Make("Timer1", 10);
  TimerControl::UnregisterWindowClass();
  TimerControl second(form_, "Timer2", 10, [] {});
  EXPECT_NE(second.hWnd(), nullptr) << "the class is still there";
  DestroyWindow(form_);
  TimerControl::UnregisterWindowClass();
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = TimerControl::kClassName;
  // Gone once the last control went: the name can be registered again.
  const ATOM atom = RegisterClassA(&wc);
  EXPECT_NE(atom, 0);
  if (atom != 0) UnregisterClassA(TimerControl::kClassName, GetModuleHandleA(nullptr));
}

#ifndef _WIN32

// The due times, on the virtual clock.
TEST_F(TimerControlTest, SwitchingOnWhileOnKeepsTheDueTime) {
  std::vector<DWORD> at;  // when it ticked, from the start
  const DWORD start = GetTickCount();
  control_ = std::make_unique<TimerControl>(form_, "Timer1", 100,
                                            [&at, start] { at.push_back(GetTickCount() - start); });
  control_->SetEnabled(true);
  backend::RunFor(60);
  control_->SetEnabled(true);
  EnableWindow(control_->hWnd(), TRUE);
  backend::RunFor(150);
  EXPECT_EQ(at, (std::vector<DWORD>{100, 200})) << "not set afresh";

  // Off and on again starts a new interval.
  backend::RunFor(30);  // at 240
  EnableWindow(control_->hWnd(), FALSE);
  control_->SetEnabled(true);
  backend::RunFor(110);
  EXPECT_EQ(at, (std::vector<DWORD>{100, 200, 340}));
  control_.reset();
}

#endif  // _WIN32

}  // namespace
}  // namespace tarnivo
