// Conformance of the keyboard focus (SetFocus, GetFocus and the WM_KILLFOCUS and
// WM_SETFOCUS messages of each change, the focus leaving a hidden or destroyed window),
// of ClientToScreen and ScreenToClient, and of the screen size. The same tests run
// against Wine's user32 (null display driver) and the Linux back end.
//
// On Windows a visible top-level window gets the focus when it is shown; each test first
// gives the focus to its own top-level window, so that no activation happens later.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

const char kClass[] = "TarnivoTestFocus";

struct Change {
  HWND window;
  UINT message;
  HWND other;
};

std::vector<Change> g_changes;

LRESULT CALLBACK FocusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
    g_changes.push_back(Change{window, message, reinterpret_cast<HWND>(wParam)});
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class FocusTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = FocusProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    top_ = Make(WS_POPUP | WS_VISIBLE, 200, 100, 300, 200, nullptr, "top");
    a_ = Make(WS_CHILD | WS_VISIBLE, 10, 20, 30, 30, top_, "a");
    b_ = Make(WS_CHILD | WS_VISIBLE, 50, 20, 30, 30, top_, "b");
    inner_ = Make(WS_CHILD | WS_VISIBLE, 1, 1, 10, 10, b_, "inner");
    disabled_ = Make(WS_CHILD | WS_VISIBLE | WS_DISABLED, 90, 20, 30, 30, top_, "disabled");
    under_disabled_ = Make(WS_CHILD | WS_VISIBLE, 1, 1, 10, 10, disabled_, "under disabled");
    hidden_ = Make(WS_CHILD, 130, 20, 30, 30, top_, "hidden");
    SetFocus(top_);
    ASSERT_EQ(GetFocus(), top_);
    g_changes.clear();
  }

  void TearDown() override {
    if (IsWindow(top_)) DestroyWindow(top_);
    UnregisterClassA(kClass, GetModuleHandleA(nullptr));
  }

  HWND Make(DWORD style, int x, int y, int width, int height, HWND parent, const char* name) {
    HWND window = CreateWindowExA(0, kClass, "", style, x, y, width, height, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr) << name;
    names_[window] = name;
    return window;
  }

  std::string Name(HWND window) {
    if (window == nullptr) return "none";
    auto it = names_.find(window);
    return it != names_.end() ? it->second : "?";
  }

  // The changes heard since the last call, as "window KILL|SET other".
  std::vector<std::string> Changes() {
    std::vector<std::string> out;
    for (const Change& change : g_changes) {
      out.push_back(Name(change.window) + (change.message == WM_SETFOCUS ? " SET " : " KILL ") +
                    Name(change.other));
    }
    g_changes.clear();
    return out;
  }

  using Lines = std::vector<std::string>;

  HWND top_ = nullptr;
  HWND a_ = nullptr;
  HWND b_ = nullptr;
  HWND inner_ = nullptr;
  HWND disabled_ = nullptr;
  HWND under_disabled_ = nullptr;
  HWND hidden_ = nullptr;
  std::map<HWND, std::string> names_;
};

TEST_F(FocusTest, SetFocusMovesItAndAnswersWhereItWas) {
  EXPECT_EQ(SetFocus(a_), top_);
  EXPECT_EQ(GetFocus(), a_);
  EXPECT_EQ(Changes(), (Lines{"top KILL a", "a SET top"}));

  EXPECT_EQ(SetFocus(a_), a_);
  EXPECT_EQ(Changes(), Lines{}) << "no change, no message";

  EXPECT_EQ(SetFocus(inner_), a_);
  EXPECT_EQ(Changes(), (Lines{"a KILL inner", "inner SET a"}));

  EXPECT_EQ(SetFocus(hidden_), inner_) << "a hidden window takes the focus";
  EXPECT_EQ(GetFocus(), hidden_);
  EXPECT_EQ(Changes(), (Lines{"inner KILL hidden", "hidden SET inner"}));

  EXPECT_EQ(SetFocus(nullptr), hidden_);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(Changes(), Lines{"hidden KILL none"});
  EXPECT_EQ(SetFocus(b_), nullptr);
  EXPECT_EQ(Changes(), Lines{"b SET none"});
}

TEST_F(FocusTest, RefusedWindowsLeaveTheFocusWhereItIs) {
  EXPECT_EQ(SetFocus(disabled_), nullptr);
  EXPECT_EQ(SetFocus(under_disabled_), nullptr) << "inside a disabled window";
  HWND gone = Make(WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, top_, "gone");
  ASSERT_TRUE(DestroyWindow(gone));
  SetLastError(0);
  EXPECT_EQ(SetFocus(gone), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(GetFocus(), top_);
  EXPECT_EQ(Changes(), Lines{});
}

TEST_F(FocusTest, TheFocusLeavesHiddenAndDestroyedWindows) {
  // Hiding the focus window gives the focus to its parent; hiding a parent of the focus
  // window leaves it where it is.
  SetFocus(inner_);
  Changes();
  ShowWindow(b_, SW_HIDE);
  EXPECT_EQ(GetFocus(), inner_);
  ShowWindow(inner_, SW_HIDE);
  EXPECT_EQ(GetFocus(), b_);
  EXPECT_EQ(Changes(), (Lines{"inner KILL b", "b SET inner"}));
  ShowWindow(inner_, SW_SHOW);
  EXPECT_EQ(GetFocus(), b_) << "showing it again does not give it back";

  // Destroying a visible child with the focus hides it first: the focus goes to its parent.
  SetFocus(a_);
  Changes();
  ASSERT_TRUE(DestroyWindow(a_));
  EXPECT_EQ(GetFocus(), top_);
  EXPECT_EQ(Changes(), (Lines{"a KILL top", "top SET a"}));

  // Destroying a child window the focus is inside takes the focus away without a word;
  // destroying the top-level window tells the focus window.
  SetFocus(inner_);
  Changes();
  ASSERT_TRUE(DestroyWindow(b_));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(Changes(), Lines{});

  SetFocus(hidden_);
  Changes();
  ASSERT_TRUE(DestroyWindow(top_));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(Changes(), Lines{"hidden KILL none"});
}

TEST_F(FocusTest, ClientAndScreenCoordinates) {
  const struct {
    HWND window;
    POINT client;
    POINT screen;
  } cases[] = {
      {top_, {0, 0}, {200, 100}},
      {a_, {1, 2}, {211, 122}},
      {inner_, {-3, 4}, {248, 125}},
      {a_, {-210, -120}, {0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Name(c.window) + " " + std::to_string(c.client.x) + "," +
                 std::to_string(c.client.y));
    POINT point = c.client;
    ASSERT_TRUE(ClientToScreen(c.window, &point));
    EXPECT_EQ(point.x, c.screen.x);
    EXPECT_EQ(point.y, c.screen.y);
    ASSERT_TRUE(ScreenToClient(c.window, &point));
    EXPECT_EQ(point.x, c.client.x);
    EXPECT_EQ(point.y, c.client.y);
  }
  HWND gone = Make(WS_POPUP, 0, 0, 5, 5, nullptr, "gone");
  ASSERT_TRUE(DestroyWindow(gone));
  POINT point{7, 8};
  SetLastError(0);
  EXPECT_FALSE(ClientToScreen(gone, &point));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(ScreenToClient(gone, &point));
  EXPECT_EQ(point.x, 7);
  EXPECT_EQ(point.y, 8);
}

TEST(Screen, Is1024By768) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

}  // namespace
