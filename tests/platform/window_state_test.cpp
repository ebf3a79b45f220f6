// Conformance of the enabled state of windows (EnableWindow, IsWindowEnabled, the messages
// of a change), of finding windows by class and text (FindWindowExA) and of the windows of a
// thread (GetCurrentThreadId, EnumThreadWindows). The same tests run against Wine's user32
// (null display driver) and the Linux back end.
//
// As in the focus tests, each test first gives the focus to its own top-level window, so
// that no activation happens later.
#include <gtest/gtest.h>

#include <future>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32.h"

namespace {

const char kClass[] = "TarnivoTestState";
const char kOtherClass[] = "TarnivoTestStateOther";

using Lines = std::vector<std::string>;

std::map<HWND, std::string> g_names;
Lines g_heard;

std::string NameOf(HWND window) {
  if (window == nullptr) return "none";
  auto it = g_names.find(window);
  return it != g_names.end() ? it->second : "?";
}

// Hears the messages of a change of state: "name WM_ENABLE 1", "name WM_KILLFOCUS other".
LRESULT CALLBACK StateProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::string name = NameOf(window);
  switch (message) {
    case WM_ENABLE:
      g_heard.push_back(name + " WM_ENABLE " + std::to_string(wParam));
      break;
    case WM_CANCELMODE:
      g_heard.push_back(name + " WM_CANCELMODE");
      break;
    case WM_KILLFOCUS:
      g_heard.push_back(name + " WM_KILLFOCUS " + NameOf(reinterpret_cast<HWND>(wParam)));
      break;
    case WM_SETFOCUS:
      g_heard.push_back(name + " WM_SETFOCUS " + NameOf(reinterpret_cast<HWND>(wParam)));
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowStateTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {kClass, kOtherClass}) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = StateProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = name;
      const ATOM atom = RegisterClassA(&wc);
      ASSERT_NE(atom, 0) << name;
      if (name == kOtherClass) other_atom_ = atom;
    }
    top_ = Make(kClass, WS_POPUP | WS_VISIBLE, nullptr, "top", "Top");
    SetFocus(top_);
    ASSERT_EQ(GetFocus(), top_);
    g_heard.clear();
  }

  void TearDown() override {
    for (HWND window : made_) {
      if (IsWindow(window)) DestroyWindow(window);
    }
    g_names.clear();
    UnregisterClassA(kClass, GetModuleHandleA(nullptr));
    UnregisterClassA(kOtherClass, GetModuleHandleA(nullptr));
  }

  HWND Make(const char* cls, DWORD style, HWND parent, const char* name, const char* text = "") {
    HWND window = CreateWindowExA(0, cls, text, style, 0, 0, 20, 20, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr) << name;
    g_names[window] = name;
    made_.push_back(window);
    return window;
  }

  // The messages heard since the last call.
  static Lines Heard() {
    Lines heard = g_heard;
    g_heard.clear();
    return heard;
  }

  HWND top_ = nullptr;
  ATOM other_atom_ = 0;
  std::vector<HWND> made_;
};

bool StyleDisabled(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_DISABLED) != 0; }

TEST_F(WindowStateTest, EnableWindowAnswersThePreviousStateAndSendsWhatChanges) {
  struct Case {
    const char* what;
    bool startDisabled;
    bool focused;  // the window has the focus before the call
    BOOL enable;
    BOOL answer;  // disabled before
    Lines heard;
  };
  const Case cases[] = {
      {"enabling an enabled window", false, false, TRUE, FALSE, {}},
      {"enabling a disabled window", true, false, TRUE, TRUE, {"w WM_ENABLE 1"}},
      {"disabling an enabled window",
       false,
       false,
       FALSE,
       FALSE,
       {"w WM_CANCELMODE", "w WM_ENABLE 0"}},
      {"disabling a disabled window", true, false, FALSE, TRUE, {"w WM_CANCELMODE"}},
      {"disabling the focus window",
       false,
       true,
       FALSE,
       FALSE,
       {"w WM_CANCELMODE", "w WM_KILLFOCUS none", "w WM_ENABLE 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND w = Make(kClass, WS_CHILD | WS_VISIBLE | (c.startDisabled ? WS_DISABLED : 0), top_, "w");
    EXPECT_EQ(IsWindowEnabled(w), c.startDisabled ? FALSE : TRUE);
    if (c.focused) {
      ASSERT_EQ(SetFocus(w), top_);
    }
    Heard();

    EXPECT_EQ(EnableWindow(w, c.enable), c.answer);
    EXPECT_EQ(Heard(), c.heard);
    EXPECT_EQ(IsWindowEnabled(w), c.enable);
    EXPECT_EQ(StyleDisabled(w), !c.enable);
    if (c.focused) {
      EXPECT_EQ(GetFocus(), nullptr);
    }
    DestroyWindow(w);
    SetFocus(top_);
  }
}

TEST_F(WindowStateTest, ADisabledWindowRefusesTheFocusAndItsChildrenKeepIt) {
  HWND parent = Make(kClass, WS_CHILD | WS_VISIBLE, top_, "parent");
  HWND inner = Make(kClass, WS_CHILD | WS_VISIBLE, parent, "inner");
  SetFocus(inner);
  Heard();
  // Only the focus window itself loses the focus; a disabled parent leaves it there.
  EXPECT_EQ(EnableWindow(parent, FALSE), FALSE);
  EXPECT_EQ(Heard(), (Lines{"parent WM_CANCELMODE", "parent WM_ENABLE 0"}));
  EXPECT_EQ(GetFocus(), inner);
  EXPECT_TRUE(IsWindowEnabled(inner)) << "a child keeps its own state";

  EXPECT_EQ(SetFocus(parent), nullptr);
  EXPECT_EQ(GetFocus(), inner);
  EXPECT_EQ(EnableWindow(parent, TRUE), TRUE);
  EXPECT_EQ(SetFocus(parent), inner);
  EXPECT_EQ(Heard(),
            (Lines{"parent WM_ENABLE 1", "inner WM_KILLFOCUS parent", "parent WM_SETFOCUS inner"}));
}

TEST_F(WindowStateTest, BadHandlesFail) {
  HWND gone = Make(kClass, WS_CHILD, top_, "gone");
  ASSERT_TRUE(DestroyWindow(gone));
  Heard();
  SetLastError(0);
  EXPECT_EQ(IsWindowEnabled(gone), FALSE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  for (BOOL enable : {TRUE, FALSE}) {
    SetLastError(0);
    EXPECT_EQ(EnableWindow(gone, enable), FALSE) << enable;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE)) << enable;
  }
  EXPECT_EQ(Heard(), Lines{});
}

TEST_F(WindowStateTest, FindWindowExLooksAtDirectChildrenInZOrder) {
  // Children in z-order from the top: the first one made is the topmost.
  HWND a = Make(kClass, WS_CHILD | WS_VISIBLE, top_, "a", "Alpha");
  HWND b = Make(kOtherClass, WS_CHILD | WS_VISIBLE, top_, "b", "beta");
  HWND c = Make(kClass, WS_CHILD | WS_VISIBLE, top_, "c", "");
  HWND d = Make(kClass, WS_CHILD, top_, "d", "Alpha");
  HWND grand = Make(kClass, WS_CHILD | WS_VISIBLE, a, "grand", "Alpha");

  struct Case {
    HWND parent;
    HWND after;
    LPCSTR cls;
    LPCSTR text;
    HWND found;
  };
  const Case cases[] = {
      {top_, nullptr, nullptr, nullptr, a},
      {top_, a, nullptr, nullptr, b},
      {top_, d, nullptr, nullptr, nullptr},
      {top_, nullptr, kOtherClass, nullptr, b},
      {top_, nullptr, "TARNIVOtestSTATEother", nullptr, b},
      {top_, nullptr, MAKEINTATOM(other_atom_), nullptr, b},
      {top_, nullptr, nullptr, "beta", b},
      {top_, nullptr, nullptr, "BETA", b},
      {top_, nullptr, nullptr, "", c},
      {top_, nullptr, nullptr, "Alph", nullptr},
      {top_, nullptr, kOtherClass, "Alpha", nullptr},
      {top_, a, kClass, "alpha", d},  // a hidden child; not the grandchild
      {top_, grand, nullptr, nullptr, nullptr},
      {a, nullptr, nullptr, "Alpha", grand},
  };
  for (const Case& k : cases) {
    const std::string cls = k.cls == nullptr ? "null" : IS_INTRESOURCE(k.cls) ? "atom" : k.cls;
    const std::string text = k.text == nullptr ? "null" : std::string("\"") + k.text + "\"";
    EXPECT_EQ(NameOf(FindWindowExA(k.parent, k.after, k.cls, k.text)), NameOf(k.found))
        << NameOf(k.parent) << " after " << NameOf(k.after) << " " << cls << " " << text;
  }
}

TEST_F(WindowStateTest, FindWindowExFindsTopLevelWindowsFromTheTop) {
  HWND second = Make(kClass, WS_POPUP, nullptr, "second", "Top");
  HWND child = Make(kClass, WS_CHILD, top_, "child", "Top");
  // A new top-level window goes on top; children are not top-level windows.
  EXPECT_EQ(NameOf(FindWindowExA(nullptr, nullptr, kClass, "top")), "second");
  EXPECT_EQ(NameOf(FindWindowExA(nullptr, second, kClass, "Top")), "top");
  EXPECT_EQ(NameOf(FindWindowExA(nullptr, top_, kClass, "Top")), "none");
  (void)child;

  // A parent that names no window and a class that is not registered find nothing, and
  // leave the last error as it was.
  HWND gone = Make(kClass, WS_POPUP, nullptr, "gone");
  ASSERT_TRUE(DestroyWindow(gone));
  constexpr DWORD kUntouched = 12345;
  SetLastError(kUntouched);
  EXPECT_EQ(FindWindowExA(gone, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), kUntouched);
  EXPECT_EQ(FindWindowExA(top_, nullptr, "TarnivoNoSuchClass", nullptr), nullptr);
  EXPECT_EQ(GetLastError(), kUntouched);
}

// Collects the windows of our classes (Wine has windows of its own on the thread).
BOOL CALLBACK CollectOurs(HWND window, LPARAM lParam) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) == kClass || std::string(name) == kOtherClass) {
    reinterpret_cast<Lines*>(lParam)->push_back(NameOf(window));
  }
  return TRUE;
}

BOOL CALLBACK StopAtOurs(HWND window, LPARAM lParam) {
  Lines* seen = reinterpret_cast<Lines*>(lParam);
  seen->push_back(NameOf(window));
  return NameOf(window) == "?" ? TRUE : FALSE;
}

TEST_F(WindowStateTest, EnumThreadWindowsListsTheThreadsTopLevelWindows) {
  const DWORD me = GetCurrentThreadId();
  EXPECT_NE(me, 0u);
  EXPECT_EQ(GetCurrentThreadId(), me);
  Make(kClass, WS_CHILD | WS_VISIBLE, top_, "child");
  Make(kOtherClass, WS_POPUP, top_, "owned");

  // Another thread, with a window of its own while this one looks.
  std::promise<DWORD> made;
  std::promise<void> looked;
  std::promise<std::pair<BOOL, Lines>> empty;
  std::thread other([&] {
    Lines none;
    const BOOL answer =
        EnumThreadWindows(GetCurrentThreadId(), CollectOurs, reinterpret_cast<LPARAM>(&none));
    empty.set_value({answer, none});
    HWND window = CreateWindowExA(0, kClass, "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    made.set_value(GetCurrentThreadId());
    looked.get_future().wait();
    DestroyWindow(window);
  });
  const auto [answer, none] = empty.get_future().get();
  EXPECT_EQ(answer, TRUE) << "a thread without windows";
  EXPECT_EQ(none, Lines{});
  const DWORD them = made.get_future().get();
  EXPECT_NE(them, me);

  Lines mine;
  EXPECT_EQ(EnumThreadWindows(me, CollectOurs, reinterpret_cast<LPARAM>(&mine)), TRUE);
  Lines theirs;
  EXPECT_EQ(EnumThreadWindows(them, CollectOurs, reinterpret_cast<LPARAM>(&theirs)), TRUE);
  looked.set_value();
  other.join();
  EXPECT_EQ(mine, (Lines{"owned", "top"})) << "from the top of the z-order, children left out";
  EXPECT_EQ(theirs, (Lines{"?"}));

  // An answer FALSE stops the walk at our first window and is the result.
  Lines seen;
  EXPECT_EQ(EnumThreadWindows(me, StopAtOurs, reinterpret_cast<LPARAM>(&seen)), FALSE);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), "owned");
}

}  // namespace
