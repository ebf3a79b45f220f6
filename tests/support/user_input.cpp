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

void PickListEntry(HWND list, int index, HWND dialog) {
#ifdef _WIN32
  RECT client{};
  GetClientRect(list, &client);
  RECT item{};
  const LRESULT in_view = SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                                       reinterpret_cast<LPARAM>(&item));
  if (in_view == LB_ERR) return;
  if (in_view != 1 || item.top < 0 || item.bottom > client.bottom) {
    SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  }
  POINT point{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(list, &point);
  Click(point);
#else
  backend::UserPickListEntry(list, index);
#endif
  Pump(dialog);
}

void DragTrackbar(HWND trackbar, int position, HWND dialog) {
#ifdef _WIN32
  RECT thumb{};
  RECT channel{};
  SendMessageA(trackbar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  SendMessageA(trackbar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  const LONG low = static_cast<LONG>(SendMessageA(trackbar, TBM_GETRANGEMIN, 0, 0));
  const LONG high = static_cast<LONG>(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0));
  const LONG range = high != low ? high - low : 1;
  // The thumb's middle stands for the position its share of the channel rounds to.
  const LONG half = (thumb.right - thumb.left) / 2;
  const LONG span = channel.right - channel.left - 2 * half - 1;
  POINT from{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
  POINT to{channel.left + half + (2 * span * (position - low) + range) / (2 * range), from.y};
  ClientToScreen(trackbar, &from);
  ClientToScreen(trackbar, &to);
  Press(from);
  Pump(dialog);
  Release(to);
#else
  backend::UserMoveTrackbar(trackbar, position);
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
