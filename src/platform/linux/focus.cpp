// The keyboard focus, the mouse capture and places on the screen of the Linux back end.
//
// Each thread has one focus window, a window of its own or none, and one window that has
// the mouse capture, or none. SetFocus activates the top-level window of the window that
// gets the focus first. A change of focus sends WM_KILLFOCUS to the window that had it
// (wParam: the window that gets it), then WM_SETFOCUS to the window that gets it (wParam:
// the one that had it), as Windows does. Hiding the focus window moves the focus to its
// parent (to none for a top-level window); hiding one of its parents leaves it there.
// Destroying a window the focus is in leaves the thread without focus: silently for a child
// window, with WM_KILLFOCUS when a top-level window goes (and the activation with it).
// Windows have no non-client area, so client and screen coordinates differ by the window's
// place on the screen.
#include <map>
#include <mutex>
#include <thread>

#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

using backend::internal::UserMutex;

// The screen of windows.cpp.
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

// The focus window of each thread, under UserMutex.
std::map<std::thread::id, HWND>& FocusTable() {
  static auto* table = new std::map<std::thread::id, HWND>;
  return *table;
}

// The window with the mouse capture of each thread, under UserMutex.
std::map<std::thread::id, HWND>& CaptureTable() {
  static auto* table = new std::map<std::thread::id, HWND>;
  return *table;
}

// The place of the window's client area on the screen, or false with the error set.
bool ClientOrigin(HWND window, LPPOINT point, POINT* origin) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return false;
  if (point == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  *origin = POINT{rect.left, rect.top};
  return true;
}

// A coordinate moved by `by` forwards or backwards, wrapping at 32 bits as Windows
// computes it.
LONG Offset(LONG value, LONG by, bool forwards) {
  const DWORD from = static_cast<DWORD>(value);
  const DWORD step = static_cast<DWORD>(by);
  return static_cast<LONG>(forwards ? from + step : from - step);
}

}  // namespace

namespace backend::internal {

// The focus of `thread`, or none when its window has gone.
HWND FocusLocked(std::thread::id thread) {
  auto it = FocusTable().find(thread);
  if (it == FocusTable().end()) return nullptr;
  WindowFacts facts;
  if (!FindWindowLocked(it->second, &facts)) {
    FocusTable().erase(it);
    return nullptr;
  }
  return it->second;
}

// Gives the focus of `thread` to `next` (a window of that thread, or none) and sends the
// messages of the change. Returns the window that had it.
HWND MoveFocus(std::thread::id thread, HWND next) {
  HWND previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    previous = FocusLocked(thread);
    if (previous == next) return previous;
    if (next != nullptr) {
      FocusTable()[thread] = next;
    } else {
      FocusTable().erase(thread);
    }
  }
  if (previous != nullptr) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
  // The window that lost the focus may have given it elsewhere meanwhile.
  bool still = false;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    still = next != nullptr && FocusLocked(thread) == next;
  }
  if (still) SendMessageA(next, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

HWND CaptureLocked(std::thread::id thread) {
  auto it = CaptureTable().find(thread);
  if (it == CaptureTable().end()) return nullptr;
  WindowFacts facts;
  if (!FindWindowLocked(it->second, &facts)) {
    CaptureTable().erase(it);
    return nullptr;
  }
  return it->second;
}

void CaptureLeaves(HWND window) {
  HWND capture = nullptr;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    WindowFacts facts;
    if (!FindWindowLocked(window, &facts)) return;
    capture = CaptureLocked(facts.thread);
    if (capture == nullptr || !IsWindowOrDescendantLocked(window, capture)) return;
    CaptureTable().erase(facts.thread);
  }
  SendMessageA(capture, WM_CAPTURECHANGED, 0, 0);
}

void FocusLeaves(HWND window, bool destroying) {
  std::thread::id thread;
  HWND next = nullptr;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    WindowFacts facts;
    if (!FindWindowLocked(window, &facts)) return;
    thread = facts.thread;
    HWND focus = FocusLocked(thread);
    if (focus == nullptr) return;
    if (!destroying) {
      // Only the focus window itself gives the focus away when it is hidden.
      if (focus != window) return;
      next = facts.parent;
    } else {
      if (!IsWindowOrDescendantLocked(window, focus)) return;
      // A child window takes the focus with it without a word; a top-level window going
      // takes the activation with it, and the focus window hears that it lost the focus.
      if (facts.parent != nullptr) {
        FocusTable().erase(thread);
        return;
      }
    }
  }
  MoveFocus(thread, next);
}

}  // namespace backend::internal

extern "C" {

HWND WINAPI SetFocus(HWND hWnd) {
  const std::thread::id me = std::this_thread::get_id();
  if (hWnd != nullptr) {
    HWND top = hWnd;
    bool activate = false;
    {
      std::lock_guard<std::mutex> lock(UserMutex());
      backend::internal::WindowFacts facts;
      if (!backend::internal::FindWindowLocked(hWnd, &facts)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
      if (facts.thread != me) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
      }
      const HWND previous = backend::internal::FocusLocked(me);
      if (previous == hWnd) return previous;
      // A disabled window, or one inside a disabled window, cannot take the focus.
      for (int depth = 0; depth < 1000; ++depth) {
        if (facts.style & WS_DISABLED) return nullptr;
        if (facts.parent == nullptr) break;
        top = facts.parent;
        if (!backend::internal::FindWindowLocked(top, &facts)) break;
      }
      activate = !facts.message_only && backend::internal::ActiveLocked(me) != top;
    }
    // The window's top-level window becomes active first.
    if (activate) {
      if (!backend::internal::SetActive(top, false, false) || !IsWindow(hWnd)) return nullptr;
      std::lock_guard<std::mutex> lock(UserMutex());
      if (backend::internal::ActiveLocked(me) != top) return nullptr;
    }
  }
  return backend::internal::MoveFocus(me, hWnd);
}

HWND WINAPI GetFocus() {
  std::lock_guard<std::mutex> lock(UserMutex());
  return backend::internal::FocusLocked(std::this_thread::get_id());
}

HWND WINAPI SetCapture(HWND hWnd) {
  const std::thread::id me = std::this_thread::get_id();
  HWND previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    previous = backend::internal::CaptureLocked(me);
    backend::internal::WindowFacts facts;
    if (hWnd != nullptr && !backend::internal::FindWindowLocked(hWnd, &facts)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    if (hWnd != nullptr) {
      CaptureTable()[me] = hWnd;
    } else {
      CaptureTable().erase(me);
    }
  }
  if (previous != nullptr && previous != hWnd) {
    SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
  }
  return previous;
}

BOOL WINAPI ReleaseCapture() {
  SetCapture(nullptr);
  return TRUE;
}

HWND WINAPI GetCapture() {
  std::lock_guard<std::mutex> lock(UserMutex());
  return backend::internal::CaptureLocked(std::this_thread::get_id());
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  POINT origin{};
  if (!ClientOrigin(hWnd, lpPoint, &origin)) return FALSE;
  lpPoint->x = Offset(lpPoint->x, origin.x, true);
  lpPoint->y = Offset(lpPoint->y, origin.y, true);
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  POINT origin{};
  if (!ClientOrigin(hWnd, lpPoint, &origin)) return FALSE;
  lpPoint->x = Offset(lpPoint->x, origin.x, false);
  lpPoint->y = Offset(lpPoint->y, origin.y, false);
  return TRUE;
}

int WINAPI GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXSCREEN:
      return kScreenWidth;
    case SM_CYSCREEN:
      return kScreenHeight;
    default:
      return 0;
  }
}

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle) {
  (void)dwStyle;
  (void)bMenu;
  (void)dwExStyle;
  if (lpRect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;  // no frame, no caption, no menu bar: the window is its client area
}

}  // extern "C"
