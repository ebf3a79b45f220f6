// The user's hands in a dialog of the real DLL: clicks on a control's place on the screen and
// keys through the system's input queue. A click is run as soon as the system has it (mouse
// messages need no dialog manager); keys are left in the queue for the DLL's own modal loop,
// whose dialog keyboard (IsDialogMessageA) takes them, when the action plays inside that loop.
// A click outside the dialog lands on a window of another thread, which takes the activation
// from the DLL's thread as another program's window would.
#include <atomic>
#include <string>
#include <vector>

#include <windows.h>

#include "hands.h"
#include "host_runner.h"
#include "intercept.h"

namespace host {

namespace {

using scenario::Status;

constexpr ULONGLONG kInputTimeout = 2000;

// Runs the messages sent to this thread, nothing else.
void RunSentMessages() {
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// Waits until the keys sent are in this thread's queue: the system has delivered them (it
// queues all the input of one SendInput at once).
bool WaitForKeys() {
  const ULONGLONG end = GetTickCount64() + kInputTimeout;
  for (;;) {
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE | PM_NOYIELD))
      return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_KEY | QS_SENDMESSAGE);
    RunSentMessages();
  }
}

// Keys go to the window with the focus of the foreground thread: the dialog's thread is
// brought to the front first.
void BringForward() {
  HWND active = GetActiveWindow();
  if (active != nullptr && GetForegroundWindow() != active) SetForegroundWindow(active);
}

// The keys sent; outside one of the DLL's loops the host runs them itself.
Status SendKeys(std::vector<INPUT> inputs, const std::string& what) {
  BringForward();
  if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
    return Status::Failure(what + ": the system did not take the keys (error " +
                           std::to_string(GetLastError()) + ")");
  if (!WaitForKeys()) return Status::Failure(what + ": the keys did not arrive");
  if (!intercept::InInputWait()) Session::Pump();
  return Status::Ok();
}

INPUT Key(WORD vk, WORD character, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = character;
  input.ki.dwFlags = (character != 0 ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
  return input;
}

// A click of the left button at `point` on the screen, over `target` (or a window inside it).
Status ClickAtPoint(POINT point, HWND target, const std::string& what) {
  if (!SetCursorPos(point.x, point.y))
    return Status::Failure(what + ": the cursor cannot be moved");
  HWND under = WindowFromPoint(point);
  if (under != target && !IsChild(target, under))
    return Status::Failure(what + ": the control is covered at " + std::to_string(point.x) + "," +
                           std::to_string(point.y));
  if (Status down = PressLeftButton(true, what); !down.ok()) return down;
  if (Status up = PressLeftButton(false, what); !up.ok()) return up;
  if (!intercept::InInputWait()) Session::Pump();
  return Status::Ok();
}

POINT CentreOf(const RECT& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// --- the window of another thread that a click outside lands on ---

constexpr char kOutsideClass[] = "TarnivoHostOutside";
constexpr int kOutsideSize = 40;

std::atomic<HWND> g_outside{nullptr};

DWORD WINAPI OutsideThread(void* ready) {
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = kOutsideClass;
  RegisterClassA(&window_class);
  // Above the cursor's strip, right of the browser frames.
  const int left = GetSystemMetrics(SM_CXSCREEN) - 2 * kOutsideSize;
  HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kOutsideClass, "outside",
                                WS_POPUP | WS_VISIBLE, left, kOutsideSize, kOutsideSize,
                                kOutsideSize, nullptr, nullptr, window_class.hInstance, nullptr);
  g_outside = window;
  SetEvent(static_cast<HANDLE>(ready));
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

// The window of another thread of this program, made on first use; it lives as long as the
// process.
HWND OutsideWindow() {
  if (g_outside != nullptr) return g_outside;
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, OutsideThread, ready, 0, nullptr);
  if (thread != nullptr) {
    WaitForSingleObject(ready, 5000);
    CloseHandle(thread);
  }
  CloseHandle(ready);
  return g_outside;
}

}  // namespace

Status HostRunner::ClickWindow(const std::string& what, HWND control) {
  RECT rect = {};
  if (!GetWindowRect(control, &rect)) return Status::Failure(what + ": the control has gone");
  return ClickAtPoint(CentreOf(rect), control, what);
}

Status HostRunner::TypeText(const std::string& what, const std::string& text) {
  if (text.empty()) return Status::Ok();
  std::vector<INPUT> inputs;
  for (const char byte : text) {
    // The ANSI code page's character, typed as the character it is.
    wchar_t character = 0;
    if (MultiByteToWideChar(1252, 0, &byte, 1, &character, 1) != 1) character = L'?';
    inputs.push_back(Key(0, static_cast<WORD>(character), false));
    inputs.push_back(Key(0, static_cast<WORD>(character), true));
  }
  return SendKeys(std::move(inputs), what);
}

Status HostRunner::PressKey(const std::string& what, int vk) {
  const WORD key = static_cast<WORD>(vk);
  return SendKeys({Key(key, 0, false), Key(key, 0, true)}, what);
}

Status HostRunner::PickEntry(const std::string& what, HWND control,
                             tarnivo::forms::ControlKind kind, int index) {
  HWND list = control;
  if (kind == tarnivo::forms::ControlKind::ComboBox) {
    // The list drops with a click on the field, and the entry is clicked in it.
    if (Status drop = ClickWindow(what, control); !drop.ok()) return drop;
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(control, &info) || info.hwndList == nullptr ||
        !IsWindowVisible(info.hwndList))
      return Status::Failure(what + ": the combo box's list did not drop");
    list = info.hwndList;
  }
  SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  RECT item = {};
  if (SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item)) == LB_ERR)
    return Status::Failure(what + ": no entry " + std::to_string(index));
  POINT point = CentreOf(item);
  ClientToScreen(list, &point);
  return ClickAtPoint(point, list, what);
}

Status HostRunner::SlideTo(const std::string& what, HWND slider, int position) {
  // The slider takes the focus, then the keys move its thumb: to the left end, and a step
  // right for each position.
  const LRESULT low = SendMessageA(slider, TBM_GETRANGEMIN, 0, 0);
  const LRESULT high = SendMessageA(slider, TBM_GETRANGEMAX, 0, 0);
  if (position < low || position > high)
    return Status::Failure(what + ": the slider goes from " + std::to_string(low) + " to " +
                           std::to_string(high) + ", not to " + std::to_string(position));
  SetFocus(slider);
  std::vector<INPUT> keys = {Key(VK_HOME, 0, false), Key(VK_HOME, 0, true)};
  for (LRESULT step = low; step < position; ++step) {
    keys.push_back(Key(VK_RIGHT, 0, false));
    keys.push_back(Key(VK_RIGHT, 0, true));
  }
  return SendKeys(std::move(keys), what);
}

Status HostRunner::ClickOutside(const std::string& what) {
  HWND outside = OutsideWindow();
  if (outside == nullptr) return Status::Failure(what + ": no window to click outside the dialog");
  HWND before = GetActiveWindow();
  RECT rect = {};
  GetWindowRect(outside, &rect);
  const POINT point = CentreOf(rect);
  if (!SetCursorPos(point.x, point.y) || WindowFromPoint(point) != outside)
    return Status::Failure(what + ": the window outside the dialog is covered");
  if (Status down = PressLeftButton(true, what); !down.ok()) return down;
  if (Status up = PressLeftButton(false, what); !up.ok()) return up;
  // The activation leaves this thread: its active window hears it.
  const ULONGLONG end = GetTickCount64() + kInputTimeout;
  while (before != nullptr && GetActiveWindow() == before && GetTickCount64() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
    RunSentMessages();
  }
  if (!intercept::InInputWait()) Session::Pump();
  session_.Say("click outside the dialog");
  return Status::Ok();
}

void HostRunner::SetInputWait(std::function<bool()> wait) {
  intercept::SetInputWait(std::move(wait));
}

}  // namespace host
