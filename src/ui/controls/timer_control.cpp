#include "ui/controls/timer_control.h"

#include <utility>

#include "platform/module.h"

namespace tarnivo {

namespace {

void RegisterTimerClass() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = TimerControl::WindowProc;
  wc.hInstance = ModuleInstance();
  wc.lpszClassName = TimerControl::kClassName;
  RegisterClassA(&wc);  // already registered (an earlier control, another thread): fine
}

TimerControl* ControlOf(HWND hwnd) {
  return reinterpret_cast<TimerControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

}  // namespace

TimerControl::TimerControl(HWND form, const std::string& name, UINT interval,
                           std::function<void()> tick)
    : name_(name), interval_(interval), tick_(std::move(tick)) {
  if (form == nullptr) return;
  RegisterTimerClass();
  // The window learns its control at WM_NCCREATE, before anything can switch it.
  window_ = CreateWindowExA(0, kClassName, name_.c_str(), WS_CHILD | WS_DISABLED, 0, 0, 0, 0, form,
                            nullptr, ModuleInstance(), this);
}

TimerControl::~TimerControl() {
  if (window_ == nullptr) return;
  // The window no longer reaches this control, even if it outlives it.
  SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

bool TimerControl::Enabled() const { return window_ != nullptr && IsWindowEnabled(window_); }

void TimerControl::SetEnabled(bool on) {
  if (window_ != nullptr) EnableWindow(window_, on ? TRUE : FALSE);
}

void TimerControl::UnregisterWindowClass() { UnregisterClassA(kClassName, ModuleInstance()); }

LRESULT CALLBACK TimerControl::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (create != nullptr) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      }
      break;  // the default procedure keeps the window text
    }
    case WM_ENABLE: {
      // The window's state, not the message, decides: the timer runs while it is enabled.
      // Setting the timer afresh happens only here, when the state has changed.
      TimerControl* control = ControlOf(hwnd);
      if (control == nullptr) return 0;
      if (IsWindowEnabled(hwnd)) {
        SetTimer(hwnd, kTimerId, control->interval_, nullptr);
      } else {
        KillTimer(hwnd, kTimerId);
      }
      return 0;
    }
    case WM_TIMER: {
      // A WM_TIMER still queued when the timer was switched off is dropped.
      TimerControl* control = ControlOf(hwnd);
      if (wParam != kTimerId || control == nullptr || !IsWindowEnabled(hwnd)) return 0;
      // The tick may unload the form and its controls (a handler that lets messages
      // through): it runs from a copy, and nothing of the control is touched afterwards.
      std::function<void()> tick = control->tick_;
      try {
        if (tick) tick();
      } catch (...) {
      }
      return 0;
    }
    case WM_DESTROY:
      KillTimer(hwnd, kTimerId);
      break;
    case WM_NCDESTROY:
      if (TimerControl* control = ControlOf(hwnd)) control->window_ = nullptr;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace tarnivo
