#include "ui/toolbar/scroll_lock.h"

#include "platform/win32.h"

namespace tarnivo {

bool ScrollLockIsOn() { return (GetKeyState(VK_SCROLL) & 1) != 0; }

void ScrollLockOff() {
  keybd_event(VK_SCROLL, 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_SCROLL, 0, 0, 0);
  keybd_event(VK_SCROLL, 0, 0, 0);
  keybd_event(VK_SCROLL, 0, KEYEVENTF_KEYUP, 0);
}

}  // namespace tarnivo
