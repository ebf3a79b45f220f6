// Activation on the Linux back end: the active window of each thread, the foreground thread,
// and the messages of a change, in the order Wine sends them.
//
// Each thread has an active window: one of its own top-level windows, or none. The process
// has a foreground thread (none at first, and after a click on the desktop); the foreground
// window is that thread's active window. Windows are activated only on their own thread:
// when the active window is hidden or destroyed, the next one comes from the same thread.
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

using backend::internal::UserMutex;

struct Activation {
  std::map<std::thread::id, HWND> active;  // under UserMutex
  std::thread::id foreground;              // a default id: no foreground thread
};

Activation& State() {
  static auto* state = new Activation;
  return *state;
}

// A window WM_ACTIVATE may go to: a top-level window (or a pop-up with WS_CHILD too).
bool IsTopLevel(const backend::internal::WindowFacts& facts) {
  return (facts.style & (WS_POPUP | WS_CHILD)) != WS_CHILD && !facts.message_only;
}

// A window that may take over the activation of `thread`: visible, enabled, not a child.
bool CanActivateLocked(HWND window, std::thread::id thread) {
  backend::internal::WindowFacts facts;
  if (window == nullptr || !backend::internal::FindWindowLocked(window, &facts)) return false;
  if (facts.thread != thread || !IsTopLevel(facts)) return false;
  return (facts.style & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE;
}

HWND ForegroundLocked() {
  if (State().foreground == std::thread::id()) return nullptr;
  return backend::internal::ActiveLocked(State().foreground);
}

}  // namespace

namespace backend::internal {

HWND ActiveLocked(std::thread::id thread) {
  auto& active = State().active;
  auto it = active.find(thread);
  if (it == active.end()) return nullptr;
  WindowFacts facts;
  if (!FindWindowLocked(it->second, &facts)) {
    active.erase(it);
    return nullptr;
  }
  return it->second;
}

void ForgetThreadActivationLocked(std::thread::id thread) {
  State().active.erase(thread);
  if (State().foreground == thread) State().foreground = std::thread::id();
}

bool SetActive(HWND window, bool mouse, bool focus) {
  const std::thread::id me = std::this_thread::get_id();
  HWND previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    previous = ActiveLocked(me);
  }
  if (previous == window) return true;

  if (previous != nullptr) {
    SendMessageA(previous, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(window));
    SendMessageA(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0),
                 reinterpret_cast<LPARAM>(window));
  }

  std::vector<HWND> losing;
  std::vector<HWND> gaining;
  DWORD old_thread = 0;
  DWORD new_thread = 0;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    WindowFacts facts;
    if (window != nullptr && !FindWindowLocked(window, &facts)) return false;
    // The window that was active may have changed while it heard of the change.
    previous = ActiveLocked(me);
    if (window != nullptr) {
      State().active[me] = window;
    } else {
      State().active.erase(me);
    }
    if (previous == window) return true;
    // Every top-level window of a thread hears when the thread loses or gains the activation.
    WindowFacts other;
    std::thread::id previous_thread;
    std::thread::id window_thread;
    if (previous != nullptr && FindWindowLocked(previous, &other)) previous_thread = other.thread;
    if (window != nullptr) window_thread = facts.thread;
    if (previous_thread != window_thread) {
      old_thread = ThreadNumberLocked(previous_thread);
      new_thread = ThreadNumberLocked(window_thread);
      for (HWND top : TopLevelWindowsLocked()) {
        WindowFacts each;
        if (!FindWindowLocked(top, &each)) continue;
        if (previous_thread != std::thread::id() && each.thread == previous_thread)
          losing.push_back(top);
        if (window_thread != std::thread::id() && each.thread == window_thread)
          gaining.push_back(top);
      }
    }
  }
  for (HWND each : losing)
    SendMessageA(each, WM_ACTIVATEAPP, FALSE, static_cast<LPARAM>(new_thread));
  for (HWND each : gaining)
    SendMessageA(each, WM_ACTIVATEAPP, TRUE, static_cast<LPARAM>(old_thread));

  if (window != nullptr && IsWindow(window)) {
    bool foreground = false;
    {
      std::lock_guard<std::mutex> lock(UserMutex());
      foreground = ForegroundLocked() == window;
    }
    SendMessageA(window, WM_NCACTIVATE, foreground ? TRUE : FALSE,
                 reinterpret_cast<LPARAM>(previous));
    SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(mouse ? WA_CLICKACTIVE : WA_ACTIVE, 0),
                 reinterpret_cast<LPARAM>(previous));
  }

  if (focus) {
    // The focus goes to the window that is active now, unless it is in it already.
    bool move = false;
    {
      std::lock_guard<std::mutex> lock(UserMutex());
      if (ActiveLocked(me) == window) {
        const HWND current = FocusLocked(me);
        move = current == nullptr || window == nullptr || RootLocked(current) != window;
      }
    }
    if (move) MoveFocus(me, window);
  }
  return true;
}

bool TakeForeground(HWND window, bool mouse) {
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    WindowFacts facts;
    if (!FindWindowLocked(window, &facts) || facts.thread != std::this_thread::get_id())
      return false;
    State().foreground = facts.thread;
  }
  return SetActive(window, mouse, true);
}

void GiveUpForeground() {
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    if (State().foreground == std::this_thread::get_id()) State().foreground = std::thread::id();
  }
  SetActive(nullptr, false, true);
}

void ActivateOther(HWND window) {
  HWND next = nullptr;
  bool foreground = false;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    WindowFacts facts;
    if (!FindWindowLocked(window, &facts)) return;
    const std::thread::id thread = facts.thread;
    // The owner of a pop-up window first.
    if ((facts.style & WS_POPUP) != 0 && facts.owner != nullptr) {
      const HWND owner = RootLocked(facts.owner);
      if (CanActivateLocked(owner, thread)) next = owner;
    }
    // Then the windows below it, then those above it.
    if (next == nullptr) {
      const std::vector<HWND> order = TopLevelWindowsLocked();
      bool below = false;
      for (HWND each : order) {
        if (each == window) {
          below = true;
        } else if (below && CanActivateLocked(each, thread)) {
          next = each;
          break;
        }
      }
      for (auto it = order.begin(); next == nullptr && it != order.end() && *it != window; ++it) {
        if (CanActivateLocked(*it, thread)) next = *it;
      }
    }
    const HWND current = ForegroundLocked();
    foreground = current == nullptr || current == window;
  }
  if (next != nullptr && foreground) {
    TakeForeground(next, false);
  } else if (next == nullptr || !SetActive(next, false, true)) {
    SetActive(nullptr, false, true);
  }
}

}  // namespace backend::internal

extern "C" {

HWND WINAPI SetActiveWindow(HWND hWnd) {
  HWND previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    previous = backend::internal::ActiveLocked(std::this_thread::get_id());
    if (hWnd != nullptr) {
      backend::internal::WindowFacts facts;
      if (!backend::internal::FindWindowLocked(hWnd, &facts)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
      // A child window is not activated; the answer is the active window, without an error.
      if (!IsTopLevel(facts)) return previous;
      if (facts.thread != std::this_thread::get_id()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
      }
    }
  }
  if (!backend::internal::SetActive(hWnd, false, true)) return nullptr;
  return previous;
}

HWND WINAPI GetActiveWindow() {
  std::lock_guard<std::mutex> lock(UserMutex());
  return backend::internal::ActiveLocked(std::this_thread::get_id());
}

HWND WINAPI GetForegroundWindow() {
  std::lock_guard<std::mutex> lock(UserMutex());
  return ForegroundLocked();
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    backend::internal::WindowFacts facts;
    if (!backend::internal::FindWindowLocked(hWnd, &facts) || !IsTopLevel(facts)) return FALSE;
  }
  return backend::internal::TakeForeground(hWnd, false) ? TRUE : FALSE;
}

}  // extern "C"
