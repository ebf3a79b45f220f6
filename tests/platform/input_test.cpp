// Conformance of the keyboard and mouse state, beeps and the tick count: the same tests
// run against Wine's user32 (null display driver) and against the Linux back end.
//
// Wine keeps the asynchronous state of a key that was up for about 50 ms, so a test
// sleeps 100 ms between an input event and the GetAsyncKeyState query that must see it.
#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

constexpr DWORD kSettle = 100;

void Key(BYTE vk, bool down) { keybd_event(vk, 0, down ? 0 : KEYEVENTF_KEYUP, 0); }

bool Down(SHORT state) { return (static_cast<USHORT>(state) & 0x8000u) != 0; }

TEST(Input, ScrollLockTogglesOnEachPress) {
  int before = GetKeyState(VK_SCROLL) & 1;
  Key(VK_SCROLL, true);
  Key(VK_SCROLL, false);
  EXPECT_EQ(GetKeyState(VK_SCROLL) & 1, before ^ 1);
  EXPECT_FALSE(Down(GetKeyState(VK_SCROLL)));
  Key(VK_SCROLL, true);
  Key(VK_SCROLL, false);
  EXPECT_EQ(GetKeyState(VK_SCROLL) & 1, before);
}

TEST(Input, KeyStateWhileDownAndRepeatedPresses) {
  const BYTE kKey = VK_F2;
  GetAsyncKeyState(kKey);
  int toggle = GetKeyState(kKey) & 1;
  Key(kKey, true);
  Sleep(kSettle);
  EXPECT_LT(GetKeyState(kKey), 0);
  EXPECT_EQ(GetKeyState(kKey) & 1, toggle ^ 1);
  EXPECT_EQ(static_cast<USHORT>(GetAsyncKeyState(kKey)), 0x8001u);
  EXPECT_EQ(static_cast<USHORT>(GetAsyncKeyState(kKey)), 0x8000u);
  // A repeated press while down marks the key pressed again but does not toggle it.
  Key(kKey, true);
  Sleep(kSettle);
  EXPECT_EQ(GetKeyState(kKey) & 1, toggle ^ 1);
  EXPECT_EQ(static_cast<USHORT>(GetAsyncKeyState(kKey)), 0x8001u);
  Key(kKey, false);
  Sleep(kSettle);
  EXPECT_GE(GetKeyState(kKey), 0);
  EXPECT_EQ(GetAsyncKeyState(kKey), 0);
  // Back to the toggle state it had.
  Key(kKey, true);
  Key(kKey, false);
  EXPECT_EQ(GetKeyState(kKey) & 1, toggle);
  Sleep(kSettle);
  GetAsyncKeyState(kKey);
}

TEST(Input, ModifierEventsLandOnASide) {
  const int kLeftControl = 0xA2;
  const int kRightControl = 0xA3;
  GetAsyncKeyState(kLeftControl);
  GetAsyncKeyState(kRightControl);
  GetAsyncKeyState(VK_CONTROL);
  // Without the extended flag: the left key; the generic key is down but not marked.
  Key(VK_CONTROL, true);
  Sleep(kSettle);
  EXPECT_EQ(static_cast<USHORT>(GetAsyncKeyState(kLeftControl)), 0x8001u);
  EXPECT_EQ(GetAsyncKeyState(kRightControl), 0);
  EXPECT_EQ(static_cast<USHORT>(GetAsyncKeyState(VK_CONTROL)), 0x8000u);
  Key(VK_CONTROL, false);
  Sleep(kSettle);
  EXPECT_EQ(GetAsyncKeyState(kLeftControl), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
  // With it: the right key.
  keybd_event(VK_CONTROL, 0, KEYEVENTF_EXTENDEDKEY, 0);
  Sleep(kSettle);
  EXPECT_EQ(static_cast<USHORT>(GetAsyncKeyState(kRightControl)), 0x8001u);
  EXPECT_EQ(GetAsyncKeyState(kLeftControl), 0);
  EXPECT_LT(GetAsyncKeyState(VK_CONTROL), 0);
  EXPECT_LT(GetKeyState(VK_CONTROL), 0);
  keybd_event(VK_CONTROL, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
  Sleep(kSettle);
  EXPECT_EQ(GetAsyncKeyState(kRightControl), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
}

TEST(Input, ControlDownAndUpThroughAsyncState) {
  Key(VK_CONTROL, true);
  Sleep(kSettle);
  EXPECT_TRUE(Down(GetAsyncKeyState(VK_CONTROL)));
  EXPECT_LT(GetAsyncKeyState(VK_CONTROL), 0);
  Key(VK_CONTROL, false);
  Sleep(kSettle);
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
}

TEST(Input, PressedSinceLastQueryBitOfTheMouseButton) {
  GetAsyncKeyState(VK_LBUTTON);  // clears a press left over from before
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  Sleep(kSettle);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 1) << "up now, pressed since the last query";
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0) << "the query cleared it";

  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  Sleep(kSettle);
  EXPECT_TRUE(Down(GetAsyncKeyState(VK_LBUTTON)));
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  Sleep(kSettle);
  EXPECT_FALSE(Down(GetAsyncKeyState(VK_LBUTTON)));
}

TEST(Input, BeepAndTicks) {
  EXPECT_TRUE(MessageBeep(MB_OK));
  EXPECT_TRUE(MessageBeep(MB_ICONEXCLAMATION));
  DWORD before = GetTickCount();
  Sleep(200);
  DWORD elapsed = GetTickCount() - before;
  EXPECT_GE(elapsed, 180u);
}

}  // namespace
