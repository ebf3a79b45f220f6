// A user at the mouse and the keyboard: SendInput under Wine, the back end's input on Linux.
#include "support/user_input.h"

#ifndef _WIN32
#include "platform/linux/backend.h"
#endif

namespace user_input {
namespace {

#ifdef _WIN32
// Wine hands input to the thread through its server: a little time lets it arrive.
constexpr DWORD kSettle = 30;

void SendMouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

// The cursor moves only when it is not there yet: on Wine each SetCursorPos is a move.
void MoveTo(POINT point) {
  POINT now{};
  GetCursorPos(&now);
  if (now.x != point.x || now.y != point.y) SetCursorPos(point.x, point.y);
}

void SendKey(int vk, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(vk);
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
}
#endif

}  // namespace

POINT Middle(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void Press(POINT point) {
#ifdef _WIN32
  MoveTo(point);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
#else
  backend::UserPress(point);
#endif
}

void Release(POINT point) {
#ifdef _WIN32
  MoveTo(point);
  SendMouse(MOUSEEVENTF_LEFTUP);
#else
  backend::UserRelease(point);
#endif
}

void Click(POINT point) {
  Press(point);
  Release(point);
}

void Click(HWND window) { Click(Middle(window)); }

void ClickDesktop() { Click(POINT{1010, 750}); }

void KeyDown(int vk) {
#ifdef _WIN32
  SendKey(vk, true);
#else
  backend::UserKeyDown(vk);
#endif
}

void KeyUp(int vk) {
#ifdef _WIN32
  SendKey(vk, false);
#else
  backend::UserKeyUp(vk);
#endif
}

void Key(int vk) {
  KeyDown(vk);
  KeyUp(vk);
}

void Type(const char* text) {
#ifdef _WIN32
  for (const char* at = text; *at != '\0'; ++at) {
    WCHAR character = 0;
    MultiByteToWideChar(1252, 0, at, 1, &character, 1);
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wScan = character;
    input[0].ki.dwFlags = KEYEVENTF_UNICODE;
    input[1] = input[0];
    input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
  }
#else
  backend::UserType(text);
#endif
}

void PickComboEntry(HWND combo, int index, HWND dialog) {
#ifdef _WIN32
  Click(combo);
  Pump(dialog);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!GetComboBoxInfo(combo, &info) || info.hwndList == nullptr) return;
  RECT item{};
  if (SendMessageA(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item)) == LB_ERR)
    return;
  POINT point{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(info.hwndList, &point);
  Click(point);
#else
  backend::UserPickComboEntry(combo, index);
#endif
  Pump(dialog);
}

void Pump(HWND dialog) {
  for (int round = 0; round < 2; ++round) {
#ifdef _WIN32
    Sleep(kSettle);
#endif
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (dialog != nullptr && IsDialogMessageA(dialog, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

}  // namespace user_input
