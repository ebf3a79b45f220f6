// The user at the mouse and the keyboard on the Linux back end, and TranslateMessage.
//
// Mouse and keyboard input is posted to the input queue of the window's thread, as Windows
// delivers hardware input; the mouse activation (WM_MOUSEACTIVATE, WA_CLICKACTIVE) happens
// when the button goes down. Keys are virtual-key codes of a US keyboard; typed text comes
// as VK_PACKET keys that carry one character each.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

using backend::internal::KeyIsDown;
using backend::internal::UserMutex;

constexpr LPARAM kRepeatOnce = 1;
constexpr LPARAM kContextAlt = LPARAM{1} << 29;
constexpr LPARAM kWasDown = LPARAM{1} << 30;
constexpr LPARAM kGoingUp = LPARAM{1} << 31;
constexpr int kF10 = 0x79;

// A key other than Alt went down while Alt was down: Alt's own release is then WM_KEYUP,
// not WM_SYSKEYUP.
std::atomic<bool> g_alt_combined{false};

// The key flags of a mouse message: the buttons and Shift and Control as they are now.
WPARAM MouseKeys() {
  WPARAM keys = 0;
  if (KeyIsDown(VK_LBUTTON)) keys |= MK_LBUTTON;
  if (KeyIsDown(VK_SHIFT)) keys |= MK_SHIFT;
  if (KeyIsDown(VK_CONTROL)) keys |= MK_CONTROL;
  return keys;
}

// A point of the screen in `window`'s client coordinates, packed as mouse messages carry it.
LPARAM ClientPoint(HWND window, POINT point) {
  ScreenToClient(window, &point);
  return MAKELPARAM(point.x, point.y);
}

// A key that moves without a message reaching any window of the process.
void KeyWithoutMessage(int vk, bool down) {
  backend::internal::KeyPosted(vk, down);
  backend::internal::KeyRead(vk, down);
}

// The window the mouse is over for the calling thread: the one with its capture, or the
// one under the point with the hit-test code.
HWND MouseTarget(POINT point, LRESULT* hit) {
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    if (HWND capture = backend::internal::CaptureLocked(std::this_thread::get_id())) {
      *hit = HTCLIENT;
      return capture;
    }
  }
  return backend::internal::HitWindow(point, hit);
}

// The mouse activation of a press on `target`, as Wine makes it when the button-down
// message is read: WM_MOUSEACTIVATE unless it is the active window, then the activation
// of its top-level window. True when the press is eaten.
bool MouseActivate(HWND target, LRESULT hit) {
  HWND top = nullptr;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    const std::thread::id me = std::this_thread::get_id();
    backend::internal::WindowFacts facts;
    if (!backend::internal::FindWindowLocked(target, &facts) || facts.thread != me) return false;
    if (backend::internal::ActiveLocked(me) == target) return false;
    top = backend::internal::RootLocked(target);
    backend::internal::WindowFacts top_facts;
    if (top == nullptr || !backend::internal::FindWindowLocked(top, &top_facts)) return false;
    if ((top_facts.style & (WS_POPUP | WS_CHILD)) == WS_CHILD) return false;
  }
  const LRESULT answer =
      SendMessageA(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                   MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(WM_LBUTTONDOWN)));
  switch (answer) {
    case MA_NOACTIVATEANDEAT:
      return true;
    case MA_NOACTIVATE:
      return false;
    case MA_ACTIVATEANDEAT:
      backend::internal::TakeForeground(top, true);
      return true;
    case MA_ACTIVATE:
    case 0:
      return !backend::internal::TakeForeground(top, true);
    default:
      return false;
  }
}

// The left button goes down or up at `point`; the message is sent at once instead of posted
// when `send` is set.
void MouseButton(POINT point, bool down, bool send) {
  backend::UserMoveMouse(point);
  if (down && backend::internal::CloseDroppedList()) {
    KeyWithoutMessage(VK_LBUTTON, down);
    return;
  }
  LRESULT hit = HTNOWHERE;
  const HWND target = MouseTarget(point, &hit);
  if (target == nullptr) {
    // The desktop, or another program's window: the thread loses the activation.
    if (down) backend::internal::GiveUpForeground();
    KeyWithoutMessage(VK_LBUTTON, down);
    return;
  }
  if (hit == HTERROR) {
    KeyWithoutMessage(VK_LBUTTON, down);
    return;
  }
  if (down && MouseActivate(target, hit)) {
    KeyWithoutMessage(VK_LBUTTON, down);
    return;
  }
  const UINT message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
  if (send) {
    KeyWithoutMessage(VK_LBUTTON, down);
    SendMessageA(target, message, MouseKeys(), ClientPoint(target, point));
    return;
  }
  backend::internal::KeyPosted(VK_LBUTTON, down);
  if (!backend::internal::PostInput(target, message, MouseKeys(), ClientPoint(target, point),
                                    VK_LBUTTON, down)) {
    backend::internal::KeyRead(VK_LBUTTON, down);
  }
}

void KeyEvent(int vk, bool down) {
  if (vk <= 0 || vk > 0xFF) return;
  const bool was_down = KeyIsDown(vk);
  backend::internal::KeyPosted(vk, down);
  const bool alt = KeyIsDown(VK_MENU);
  if (vk != VK_MENU && down && alt) g_alt_combined = true;
  if (vk == VK_MENU && down && !was_down) g_alt_combined = false;
  const bool alt_alone_up = vk == VK_MENU && !down && !g_alt_combined;
  const bool sys = alt || alt_alone_up || vk == kF10;
  LPARAM flags = kRepeatOnce;
  if (alt) flags |= kContextAlt;
  if (!down || was_down) flags |= kWasDown;
  if (!down) flags |= kGoingUp;
  const UINT message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  backend::internal::PostKeyInput(message, static_cast<WPARAM>(vk), flags, vk, down);
}

// The character a key types on a US keyboard with the keys as GetKeyState sees them, or -1.
int CharacterOfKey(int vk) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  if (control && alt) return -1;
  if (vk >= 'A' && vk <= 'Z') {
    if (control) return vk - 'A' + 1;
    const bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
    return shift != caps ? vk : vk - 'A' + 'a';
  }
  if (vk >= '0' && vk <= '9') {
    if (control) return vk == '2' ? 0 : (vk == '6' ? 0x1E : -1);
    static const char kShifted[] = ")!@#$%^&*(";
    return shift ? kShifted[vk - '0'] : vk;
  }
  if (vk >= 0x60 && vk <= 0x69) return control ? -1 : '0' + (vk - 0x60);
  struct Key {
    int vk;
    int plain;
    int shifted;
    int controlled;
  };
  static const Key kKeys[] = {
      {VK_SPACE, ' ', ' ', ' '}, {VK_RETURN, '\r', '\r', '\n'}, {VK_ESCAPE, 0x1B, 0x1B, 0x1B},
      {VK_BACK, 8, 8, 0x7F},     {VK_TAB, '\t', '\t', -1},      {0xBA, ';', ':', -1},
      {0xBB, '=', '+', -1},      {0xBC, ',', '<', -1},          {0xBD, '-', '_', 0x1F},
      {0xBE, '.', '>', -1},      {0xBF, '/', '?', -1},          {0xC0, '`', '~', -1},
      {0xDB, '[', '{', 0x1B},    {0xDC, '\\', '|', 0x1C},       {0xDD, ']', '}', 0x1D},
      {0xDE, '\'', '"', -1},     {0x6A, '*', '*', -1},          {0x6B, '+', '+', -1},
      {0x6D, '-', '-', -1},      {0x6E, '.', '.', -1},          {0x6F, '/', '/', -1},
  };
  for (const Key& key : kKeys) {
    if (key.vk == vk) return control ? key.controlled : (shift ? key.shifted : key.plain);
  }
  return -1;
}

}  // namespace

namespace backend {

POINT WindowMiddle(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return POINT{0, 0};
  const std::int64_t x = (static_cast<std::int64_t>(rect.left) + rect.right) / 2;
  const std::int64_t y = (static_cast<std::int64_t>(rect.top) + rect.bottom) / 2;
  return POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
}

void UserMoveMouse(POINT point) {
  POINT was{};
  GetCursorPos(&was);
  SetCursorPos(point.x, point.y);
  POINT now{};
  GetCursorPos(&now);
  if (now.x == was.x && now.y == was.y) return;
  LRESULT hit = HTNOWHERE;
  const HWND target = MouseTarget(now, &hit);
  if (target == nullptr || hit == HTERROR) return;
  internal::PostInput(target, WM_MOUSEMOVE, MouseKeys(), ClientPoint(target, now), 0, false);
}

void UserPress(POINT point) { MouseButton(point, true, false); }

void UserRelease(POINT point) { MouseButton(point, false, false); }

void UserClick(POINT point) {
  UserPress(point);
  UserRelease(point);
}

bool UserClickWindow(HWND window) {
  if (!IsWindow(window)) return false;
  UserClick(WindowMiddle(window));
  return true;
}

void UserKeyDown(int vk) { KeyEvent(vk, true); }

void UserKeyUp(int vk) { KeyEvent(vk, false); }

void UserKey(int vk) {
  KeyEvent(vk, true);
  KeyEvent(vk, false);
}

void UserType(const std::string& ansi) {
  for (char byte : ansi) {
    const auto character =
        static_cast<WORD>(internal::CharacterOfAnsi(static_cast<unsigned char>(byte)));
    const LPARAM carried = MAKELPARAM(kRepeatOnce, character);
    internal::PostKeyInput(WM_KEYDOWN, VK_PACKET, carried, 0, false);
    internal::PostKeyInput(WM_KEYUP, VK_PACKET, carried, 0, false);
  }
}

bool UserPickComboEntry(HWND combo, int index) {
  const POINT middle = WindowMiddle(combo);
  LRESULT hit = HTNOWHERE;
  if (internal::HitWindow(middle, &hit) != combo || hit == HTERROR) return false;
  if (SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) == 0) {
    MouseButton(middle, true, true);
    MouseButton(middle, false, true);
  }
  // The click on the entry in the list.
  KeyWithoutMessage(VK_LBUTTON, true);
  const bool chosen = internal::ChooseFromDroppedList(combo, index);
  KeyWithoutMessage(VK_LBUTTON, false);
  return chosen;
}

}  // namespace backend

extern "C" {

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  if (lpMsg == nullptr) return FALSE;
  const UINT message = lpMsg->message;
  if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN) {
    return message == WM_KEYUP || message == WM_SYSKEYUP ? TRUE : FALSE;
  }
  const UINT translated = message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  const int vk = static_cast<int>(lpMsg->wParam & 0xFF);
  if (vk == VK_PACKET) {
    // The character rides in the high word; the window gets its ANSI byte.
    const char byte = backend::internal::AnsiOfCharacter(HIWORD(lpMsg->lParam));
    PostMessageA(lpMsg->hwnd, translated, static_cast<BYTE>(byte), lpMsg->lParam & 0xFFFF);
    return TRUE;
  }
  const int character = CharacterOfKey(vk);
  if (character >= 0) {
    PostMessageA(lpMsg->hwnd, translated, static_cast<WPARAM>(character), lpMsg->lParam);
  }
  return TRUE;
}

}  // extern "C"
