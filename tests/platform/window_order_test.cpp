// SetWindowPos: a child put at the top of its siblings is the first GetWindow finds, takes the
// point where it covers another, and comes first in the dialog keyboard's order. The same test
// runs against Wine and the Linux back end.
#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

TEST(WindowOrder, AChildPutOnTopComesFirst) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TarnivoOrderTest";
  RegisterClassA(&wc);
  HWND parent = CreateWindowExA(WS_EX_CONTROLPARENT, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE,
                                100, 100, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  HWND first = CreateWindowExA(0, "BUTTON", "first", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 100,
                               50, parent, reinterpret_cast<HMENU>(1), wc.hInstance, nullptr);
  HWND second = CreateWindowExA(0, "BUTTON", "second", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 50, 0,
                                100, 50, parent, reinterpret_cast<HMENU>(2), wc.hInstance, nullptr);
  ASSERT_NE(second, nullptr);
  // Made later, the second lies below the first.
  EXPECT_EQ(GetWindow(parent, GW_CHILD), first);
  EXPECT_EQ(WindowFromPoint(POINT{175, 125}), first);
  EXPECT_EQ(GetNextDlgTabItem(parent, nullptr, FALSE), first);

  EXPECT_TRUE(SetWindowPos(second, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
  EXPECT_EQ(GetWindow(parent, GW_CHILD), second);
  EXPECT_EQ(WindowFromPoint(POINT{175, 125}), second);
  EXPECT_EQ(GetNextDlgTabItem(parent, nullptr, FALSE), second);
  RECT place = {};
  GetWindowRect(second, &place);
  EXPECT_EQ(place.left, 150);                // not moved
  EXPECT_EQ(place.right - place.left, 100);  // not sized

  // Moved and sized, its place in the order kept.
  EXPECT_TRUE(SetWindowPos(second, nullptr, 10, 20, 30, 40, SWP_NOZORDER | SWP_NOACTIVATE));
  GetWindowRect(second, &place);
  EXPECT_EQ(place.left, 110);
  EXPECT_EQ(place.top, 120);
  EXPECT_EQ(place.right - place.left, 30);
  EXPECT_EQ(place.bottom - place.top, 40);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), second);

  EXPECT_FALSE(SetWindowPos(nullptr, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
  DestroyWindow(parent);
  UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

}  // namespace
