// Conformance of device contexts: GetDC for the screen and for a window, ReleaseDC, and the
// screen's logical pixels per inch that GetDeviceCaps answers. The same tests run against
// Wine's user32 and gdi32 (null display driver) and the Linux back end.
#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

const char kClass[] = "TarnivoTestDeviceContext";

class DeviceContextTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    window_ = CreateWindowExA(0, kClass, "dc", WS_POPUP, 10, 20, 200, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
    UnregisterClassA(kClass, GetModuleHandleA(nullptr));
  }

  HWND window_ = nullptr;
};

TEST_F(DeviceContextTest, ScreenAndWindowAnswer96PixelsPerInch) {
  for (HWND owner : {HWND{nullptr}, window_}) {
    SCOPED_TRACE(owner == nullptr ? "screen" : "window");
    HDC dc = GetDC(owner);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(ReleaseDC(owner, dc), 1);
  }
}

TEST_F(DeviceContextTest, NoDeviceContextForAWindowThatIsGone) {
  ASSERT_TRUE(DestroyWindow(window_));
  HWND gone = window_;
  window_ = nullptr;
  SetLastError(0);
  EXPECT_EQ(GetDC(gone), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(DeviceContext, NullHandleHasNoCapsAndCannotBeReleased) {
  EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSX), 0);
  EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSY), 0);
  EXPECT_EQ(ReleaseDC(nullptr, nullptr), 0);
}

}  // namespace
