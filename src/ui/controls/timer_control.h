// TimerControl: a timer that a form carries as a control. The control is a window of its
// own, a hidden child of the form whose text is the control's name ("Timer1"), and the
// window's enabled state is the timer's: the timer runs exactly while the window is
// enabled. Its window procedure hears WM_ENABLE and sets or kills its window timer, so
// whoever switches the window through the system (EnableWindow) switches the timer as the
// form's own code does, and the system's answer (IsWindowEnabled) is the only record of
// whether it is on.
//
// Everything runs on the thread that made the control.
#pragma once

#include <functional>
#include <string>

#include "platform/win32.h"

namespace tarnivo {

class TimerControl {
 public:
  // The window class of every timer control of the module, registered on first use.
  static constexpr const char* kClassName = "TarnivoTimer";
  // The id of the window timer a control sets on its own window.
  static constexpr UINT_PTR kTimerId = 1;

  // Makes the control's window: a hidden, disabled child of `form` named `name`. While the
  // control is on, `tick` runs every `interval` milliseconds. Without a form (or when the
  // window cannot be made) the control has no window: it is off and cannot be switched.
  TimerControl(HWND form, const std::string& name, UINT interval, std::function<void()> tick);
  // Destroys the control's window, and with it its timer, unless its form took it along.
  ~TimerControl();
  TimerControl(const TimerControl&) = delete;
  TimerControl& operator=(const TimerControl&) = delete;

  // The control's window; null once it has gone with its form.
  HWND hWnd() const { return window_; }
  const std::string& Name() const { return name_; }
  UINT Interval() const { return interval_; }

  // Whether the timer is on: the window is enabled.
  bool Enabled() const;
  // Switches the timer by enabling or disabling the window. Switching on a timer that is
  // on changes nothing: it keeps its due time.
  void SetEnabled(bool on);

  // Removes the window class from the module, as a form removes its own when it unloads.
  // While another thread's controls still exist the class stays (the call fails).
  static void UnregisterWindowClass();

  // The window procedure of every timer control.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  HWND window_ = nullptr;
  std::string name_;
  UINT interval_ = 0;
  std::function<void()> tick_;
};

}  // namespace tarnivo
