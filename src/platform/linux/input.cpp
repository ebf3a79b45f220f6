// Keyboard and mouse state and beeps of the Linux back end.
#include <array>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr int kKeyCount = 256;
constexpr int kLeftShift = 0xA0;
constexpr int kRightShift = 0xA1;
constexpr int kLeftControl = 0xA2;
constexpr int kRightControl = 0xA3;
constexpr int kLeftMenu = 0xA4;
constexpr int kRightMenu = 0xA5;
constexpr DWORD kMouseRightDown = 0x0008;
constexpr DWORD kMouseRightUp = 0x0010;
constexpr DWORD kMouseMiddleDown = 0x0020;
constexpr DWORD kMouseMiddleUp = 0x0040;
constexpr int kMiddleButton = 0x04;

// One process-wide keyboard, read two ways. GetAsyncKeyState reads the keys as they are:
// the "down" bit and the "pressed since the last GetAsyncKeyState" bit of every key.
// GetKeyState reads them as the messages read so far left them: "read_down" and the toggle
// bit (flips on each press of a key that was up). A key the user presses through posted
// input moves the first at once and the second when its message is read; every other
// change moves both.
struct Keyboard {
  std::array<bool, kKeyCount> down{};
  std::array<bool, kKeyCount> pressed{};
  std::array<bool, kKeyCount> read_down{};
  std::array<bool, kKeyCount> toggled{};
};

enum class Part { kAsync, kRead, kBoth };

std::mutex g_input_mutex;
Keyboard g_keys;
std::atomic<int> g_beeps{0};

bool ValidKey(int vk) { return vk > 0 && vk < kKeyCount; }

// The generic key a left or right modifier also drives, or 0.
int GenericOf(int vk) {
  switch (vk) {
    case kLeftShift:
    case kRightShift:
      return VK_SHIFT;
    case kLeftControl:
    case kRightControl:
      return VK_CONTROL;
    case kLeftMenu:
    case kRightMenu:
      return VK_MENU;
    default:
      return 0;
  }
}

// The key a modifier event lands on: generic and sided control and alt keys go to the
// right key with the extended flag and to the left one without it, as Windows maps them
// through their scan codes; the generic shift key goes to the left shift key. Other keys
// stand as they are.
int SidedKey(int vk, bool extended) {
  switch (vk) {
    case VK_CONTROL:
    case kLeftControl:
    case kRightControl:
      return extended ? kRightControl : kLeftControl;
    case VK_MENU:
    case kLeftMenu:
    case kRightMenu:
      return extended ? kRightMenu : kLeftMenu;
    case VK_SHIFT:
      return kLeftShift;
    default:
      return vk;
  }
}

// The key a user's press lands on: a generic modifier is its left key.
int LandingKey(int vk) { return GenericOf(vk) != 0 ? vk : SidedKey(vk, false); }

// One transition of one key. `mark_pressed` sets the "pressed since the last query" bit,
// which a generic modifier does not get from its sided keys.
void SetOne(int vk, bool down, bool mark_pressed, Part part) {
  if (part != Part::kRead) {
    g_keys.down[vk] = down;
    if (down && mark_pressed) g_keys.pressed[vk] = true;
  }
  if (part != Part::kAsync) {
    if (down && !g_keys.read_down[vk]) g_keys.toggled[vk] = !g_keys.toggled[vk];
    g_keys.read_down[vk] = down;
  }
}

// Applies one key transition of a key as it lands (see SidedKey); a sided modifier also
// moves its generic key, down while either side is. Caller holds g_input_mutex.
void ApplyKey(int vk, bool down, Part part = Part::kBoth) {
  if (!ValidKey(vk)) return;
  SetOne(vk, down, true, part);
  int generic = GenericOf(vk);
  if (generic != 0) {
    int left = vk - (vk - kLeftShift) % 2;
    if (part != Part::kRead) {
      SetOne(generic, g_keys.down[left] || g_keys.down[left + 1], false, Part::kAsync);
    }
    if (part != Part::kAsync) {
      SetOne(generic, g_keys.read_down[left] || g_keys.read_down[left + 1], false, Part::kRead);
    }
  }
}

std::string KeyName(int vk) {
  switch (vk) {
    case VK_LBUTTON:
      return "VK_LBUTTON";
    case VK_RBUTTON:
      return "VK_RBUTTON";
    case kMiddleButton:
      return "VK_MBUTTON";
    case VK_BACK:
      return "VK_BACK";
    case VK_TAB:
      return "VK_TAB";
    case VK_RETURN:
      return "VK_RETURN";
    case VK_SHIFT:
      return "VK_SHIFT";
    case VK_CONTROL:
      return "VK_CONTROL";
    case VK_MENU:
      return "VK_MENU";
    case 0x14:
      return "VK_CAPITAL";
    case VK_ESCAPE:
      return "VK_ESCAPE";
    case 0x20:
      return "VK_SPACE";
    case 0x2E:
      return "VK_DELETE";
    case VK_F2:
      return "VK_F2";
    case 0x90:
      return "VK_NUMLOCK";
    case VK_SCROLL:
      return "VK_SCROLL";
    case kLeftShift:
      return "VK_LSHIFT";
    case kRightShift:
      return "VK_RSHIFT";
    case kLeftControl:
      return "VK_LCONTROL";
    case kRightControl:
      return "VK_RCONTROL";
    case kLeftMenu:
      return "VK_LMENU";
    case kRightMenu:
      return "VK_RMENU";
    default: {
      char text[8];
      std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(vk & 0xFF));
      return text;
    }
  }
}

void SyntheticKey(int vk, bool down, bool extended) {
  {
    std::lock_guard<std::mutex> lock(g_input_mutex);
    ApplyKey(SidedKey(vk, extended), down);
  }
  backend::internal::Report("key event " + KeyName(vk) + (down ? " down" : " up"));
}

}  // namespace

namespace backend {

void ResetInput() {
  {
    std::lock_guard<std::mutex> lock(g_input_mutex);
    g_keys = Keyboard{};
  }
  g_beeps = 0;
  SetCursorPos(0, 0);
}

void PressKey(int vk) {
  std::lock_guard<std::mutex> lock(g_input_mutex);
  ApplyKey(LandingKey(vk), true);
}

void ReleaseKey(int vk) {
  std::lock_guard<std::mutex> lock(g_input_mutex);
  ApplyKey(LandingKey(vk), false);
}

void SetScrollLock(bool on) {
  std::lock_guard<std::mutex> lock(g_input_mutex);
  g_keys.toggled[VK_SCROLL] = on;
}

int BeepCount() { return g_beeps.load(); }

}  // namespace backend

namespace backend::internal {

void KeyPosted(int vk, bool down) {
  std::lock_guard<std::mutex> lock(g_input_mutex);
  ApplyKey(LandingKey(vk), down, Part::kAsync);
}

void KeyRead(int vk, bool down) {
  std::lock_guard<std::mutex> lock(g_input_mutex);
  ApplyKey(LandingKey(vk), down, Part::kRead);
}

bool KeyIsDown(int vk) {
  if (!ValidKey(vk)) return false;
  std::lock_guard<std::mutex> lock(g_input_mutex);
  return g_keys.down[vk];
}

}  // namespace backend::internal

extern "C" {

SHORT WINAPI GetKeyState(int nVirtKey) {
  if (!ValidKey(nVirtKey)) return 0;
  std::lock_guard<std::mutex> lock(g_input_mutex);
  // A key that is down reads as 0xFF80 (the low byte of the state, sign-extended).
  unsigned state =
      (g_keys.read_down[nVirtKey] ? 0xFF80u : 0u) | (g_keys.toggled[nVirtKey] ? 1u : 0u);
  return static_cast<SHORT>(static_cast<USHORT>(state));
}

SHORT WINAPI GetAsyncKeyState(int vKey) {
  if (!ValidKey(vKey)) return 0;
  std::lock_guard<std::mutex> lock(g_input_mutex);
  unsigned state = (g_keys.down[vKey] ? 0x8000u : 0u) | (g_keys.pressed[vKey] ? 1u : 0u);
  g_keys.pressed[vKey] = false;
  return static_cast<SHORT>(static_cast<USHORT>(state));
}

void WINAPI keybd_event(BYTE bVk, BYTE bScan, DWORD dwFlags, ULONG_PTR dwExtraInfo) {
  (void)bScan;
  (void)dwExtraInfo;
  SyntheticKey(bVk, (dwFlags & KEYEVENTF_KEYUP) == 0, (dwFlags & KEYEVENTF_EXTENDEDKEY) != 0);
}

void WINAPI mouse_event(DWORD dwFlags, DWORD dx, DWORD dy, DWORD dwData, ULONG_PTR dwExtraInfo) {
  (void)dx;
  (void)dy;
  (void)dwData;
  (void)dwExtraInfo;
  // The order Windows applies the button flags of one call in.
  if (dwFlags & MOUSEEVENTF_LEFTDOWN) SyntheticKey(VK_LBUTTON, true, false);
  if (dwFlags & MOUSEEVENTF_LEFTUP) SyntheticKey(VK_LBUTTON, false, false);
  if (dwFlags & kMouseRightDown) SyntheticKey(VK_RBUTTON, true, false);
  if (dwFlags & kMouseRightUp) SyntheticKey(VK_RBUTTON, false, false);
  if (dwFlags & kMouseMiddleDown) SyntheticKey(kMiddleButton, true, false);
  if (dwFlags & kMouseMiddleUp) SyntheticKey(kMiddleButton, false, false);
}

BOOL WINAPI MessageBeep(UINT uType) {
  (void)uType;
  ++g_beeps;
  backend::internal::Report("beep");
  return TRUE;
}

}  // extern "C"
