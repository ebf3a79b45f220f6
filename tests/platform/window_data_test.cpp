// Conformance of a window's procedure, user data and properties: replacing a window
// procedure and getting the old one back, CallWindowProcA, the 32-bit forms of the window
// data functions, and SetPropA/GetPropA/RemovePropA/EnumPropsExA. The same tests run
// against Wine's user32 (null display driver) and the Linux back end.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

const char kClass[] = "TarnivoTestDataWindow";
constexpr UINT kProbe = WM_USER + 7;
constexpr bool kWide = sizeof(LONG_PTR) > sizeof(LONG);

struct Call {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Call> g_own_calls;
std::vector<Call> g_other_calls;
WNDPROC g_other_next = nullptr;  // what OtherProc passes kProbe on to, if set
HANDLE g_prop_at_ncdestroy = nullptr;
bool g_saw_ncdestroy = false;

LRESULT CALLBACK OwnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbe) {
    g_own_calls.push_back(Call{window, message, wParam, lParam});
    return 100;
  }
  if (message == WM_NCDESTROY) {
    g_saw_ncdestroy = true;
    g_prop_at_ncdestroy = GetPropA(window, "Tarnivo.Kept");
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK OtherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbe) {
    g_other_calls.push_back(Call{window, message, wParam, lParam});
    if (g_other_next != nullptr) {
      return CallWindowProcA(g_other_next, window, message, wParam, lParam) + 1;
    }
    return 200;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

WNDPROC ProcOf(HWND window) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

class WindowDataTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    g_own_calls.clear();
    g_other_calls.clear();
    g_other_next = nullptr;
    g_prop_at_ncdestroy = nullptr;
    g_saw_ncdestroy = false;
  }

  void TearDown() override {
    for (HWND window : made_) {
      if (IsWindow(window)) DestroyWindow(window);
    }
    EXPECT_TRUE(UnregisterClassA(kClass, GetModuleHandleA(nullptr)));
  }

  HWND Make(HWND parent = nullptr) {
    HWND window = CreateWindowExA(0, kClass, "", parent != nullptr ? WS_CHILD : WS_POPUP, 0, 0, 10,
                                  10, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window != nullptr) made_.push_back(window);
    return window;
  }

  // A handle that named a window once and names none now.
  HWND Gone() {
    HWND window = Make();
    DestroyWindow(window);
    return window;
  }

  std::vector<HWND> made_;
};

TEST_F(WindowDataTest, ReplacedProcedureGetsTheMessagesAndTheOldOneComesBack) {
  HWND window = Make();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ProcOf(window), OwnProc);

  const LONG_PTR old =
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OtherProc));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(old), OwnProc);
  EXPECT_EQ(ProcOf(window), OtherProc);
  EXPECT_EQ(SendMessageA(window, kProbe, 1, 2), 200);

  // Posted messages are dispatched to the procedure the window has now.
  ASSERT_TRUE(PostMessageA(window, kProbe, 3, 4));
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, window, kProbe, kProbe, PM_REMOVE));
  EXPECT_EQ(DispatchMessageA(&msg), 200);
  ASSERT_EQ(g_other_calls.size(), 2u);
  EXPECT_EQ(g_other_calls[1].wParam, 3u);
  EXPECT_TRUE(g_own_calls.empty());

  // The usual chain: the new procedure passes the message on to the old one.
  g_other_next = reinterpret_cast<WNDPROC>(old);
  EXPECT_EQ(SendMessageA(window, kProbe, 5, 6), 101);
  ASSERT_EQ(g_own_calls.size(), 1u);
  EXPECT_EQ(g_own_calls[0].window, window);
  EXPECT_EQ(g_own_calls[0].wParam, 5u);
  EXPECT_EQ(g_own_calls[0].lParam, 6);

  // Putting the old procedure back returns the replacement.
  EXPECT_EQ(reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, old)), OtherProc);
  EXPECT_EQ(ProcOf(window), OwnProc);
  EXPECT_EQ(SendMessageA(window, kProbe, 0, 0), 100);
  EXPECT_EQ(g_other_calls.size(), 3u);
}

TEST_F(WindowDataTest, CallWindowProcPassesEverythingAndReturnsTheAnswer) {
  HWND window = Make();
  EXPECT_EQ(CallWindowProcA(OwnProc, window, kProbe, 7, -8), 100);
  ASSERT_EQ(g_own_calls.size(), 1u);
  EXPECT_EQ(g_own_calls[0].window, window);
  EXPECT_EQ(g_own_calls[0].message, kProbe);
  EXPECT_EQ(g_own_calls[0].wParam, 7u);
  EXPECT_EQ(g_own_calls[0].lParam, -8);
  // It calls the procedure it is given, not the window's own.
  EXPECT_EQ(CallWindowProcA(OtherProc, window, kProbe, 0, 0), 200);
  EXPECT_EQ(g_own_calls.size(), 1u);
  EXPECT_EQ(g_other_calls.size(), 1u);
  // No procedure: nothing is called.
  EXPECT_EQ(CallWindowProcA(nullptr, window, kProbe, 0, 0), 0);
  EXPECT_EQ(g_own_calls.size(), 1u);
}

TEST_F(WindowDataTest, UserDataIsPointerSizedAndTheLongFormsSeeItsLowHalf) {
  HWND window = Make();
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0);

  // Success with a previous value of 0 leaves the last error alone.
  SetLastError(123);
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 5), 0);
  EXPECT_EQ(GetLastError(), 123u);
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 6), 5);
  EXPECT_EQ(GetWindowLongA(window, GWLP_USERDATA), 6);

  EXPECT_EQ(SetWindowLongA(window, GWLP_USERDATA, -2), 6);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), -2);  // sign-extended

  if (kWide) {
    const LONG_PTR wide = static_cast<LONG_PTR>(0x1234567890ABCDEFLL);
    SetWindowLongPtrA(window, GWLP_USERDATA, wide);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), wide);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWLP_USERDATA)), 0x90ABCDEFu);
    EXPECT_EQ(static_cast<DWORD>(SetWindowLongA(window, GWLP_USERDATA, 1)), 0x90ABCDEFu);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 1);
  }
}

TEST_F(WindowDataTest, LongFormsRefuseTheProcedureOnSixtyFourBits) {
  if (!kWide) GTEST_SKIP() << "32-bit: the long forms take the procedure";
  HWND window = Make();
  SetLastError(0);
  EXPECT_EQ(SetWindowLongA(window, GWLP_WNDPROC, 1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(window, GWLP_WNDPROC), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  EXPECT_EQ(ProcOf(window), OwnProc);
  EXPECT_EQ(SendMessageA(window, kProbe, 0, 0), 100);
}

TEST_F(WindowDataTest, UnknownIndexesAndGoneWindowsFail) {
  HWND window = Make();
  // The class has no extra window bytes, so offset 0 is no index either.
  for (int index : {0, 4, -100}) {
    SCOPED_TRACE(index);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrA(window, index), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    SetLastError(0);
    EXPECT_EQ(SetWindowLongPtrA(window, index, 9), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  }

  HWND gone = Gone();
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrA(gone, GWLP_USERDATA), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  SetLastError(0);
  EXPECT_EQ(SetWindowLongPtrA(gone, GWLP_USERDATA, 1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  // The procedure of a gone window: nothing (Wine answers ERROR_ACCESS_DENIED here).
  EXPECT_EQ(GetWindowLongPtrA(gone, GWLP_WNDPROC), 0);
  EXPECT_EQ(SetWindowLongPtrA(gone, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OtherProc)), 0);
}

TEST_F(WindowDataTest, PropertiesAreSetReadReplacedAndRemoved) {
  HWND window = Make();
  HWND other = Make();
  const HANDLE big = reinterpret_cast<HANDLE>(
      static_cast<ULONG_PTR>(kWide ? 0x1122334455667788ULL : 0x11223344ULL));

  EXPECT_EQ(GetPropA(window, "Tarnivo.Value"), nullptr);
  ASSERT_TRUE(SetPropA(window, "Tarnivo.Value", big));
  EXPECT_EQ(GetPropA(window, "Tarnivo.Value"), big);  // the whole handle, not 32 bits of it
  EXPECT_EQ(GetPropA(other, "Tarnivo.Value"), nullptr);

  // Names compare without regard to letter case.
  EXPECT_EQ(GetPropA(window, "TARNIVO.value"), big);
  ASSERT_TRUE(SetPropA(window, "tarnivo.VALUE", reinterpret_cast<HANDLE>(2)));
  EXPECT_EQ(GetPropA(window, "Tarnivo.Value"), reinterpret_cast<HANDLE>(2));

  // Names of the shapes window subclassing uses.
  for (const char* name : {"65604", "C65604", "65604#273C", "65604#273#1", "-12#-1#10"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(SetPropA(window, name, big));
    EXPECT_EQ(GetPropA(window, name), big);
  }
  EXPECT_EQ(GetPropA(window, "65604#273#10"), nullptr);
  EXPECT_EQ(GetPropA(window, "c65604"), big);

  // RemovePropA answers the value it removed; a second remove finds nothing.
  EXPECT_EQ(RemovePropA(window, "TARNIVO.VALUE"), reinterpret_cast<HANDLE>(2));
  EXPECT_EQ(GetPropA(window, "Tarnivo.Value"), nullptr);
  SetLastError(77);
  EXPECT_EQ(RemovePropA(window, "Tarnivo.Value"), nullptr);
  EXPECT_EQ(GetPropA(window, "Tarnivo.Missing"), nullptr);
  EXPECT_EQ(GetLastError(), 77u);

  // A property may hold 0.
  EXPECT_TRUE(SetPropA(window, "Tarnivo.Zero", nullptr));
  EXPECT_EQ(GetPropA(window, "Tarnivo.Zero"), nullptr);
  EXPECT_EQ(RemovePropA(window, "Tarnivo.Zero"), nullptr);

  // An atom names a property too.
  const LPCSTR atom = MAKEINTATOM(0x2A);
  ASSERT_TRUE(SetPropA(window, atom, reinterpret_cast<HANDLE>(42)));
  EXPECT_EQ(GetPropA(window, atom), reinterpret_cast<HANDLE>(42));
  EXPECT_EQ(RemovePropA(window, atom), reinterpret_cast<HANDLE>(42));
  EXPECT_EQ(GetPropA(window, atom), nullptr);
}

TEST_F(WindowDataTest, PropertyNamesAreAtMost255Characters) {
  HWND window = Make();
  const std::string longest(255, 'p');
  EXPECT_TRUE(SetPropA(window, longest.c_str(), reinterpret_cast<HANDLE>(1)));
  EXPECT_EQ(GetPropA(window, longest.c_str()), reinterpret_cast<HANDLE>(1));
  const std::string too_long(256, 'p');
  EXPECT_FALSE(SetPropA(window, too_long.c_str(), reinterpret_cast<HANDLE>(2)));
  EXPECT_EQ(GetPropA(window, too_long.c_str()), nullptr);
  EXPECT_EQ(GetPropA(window, longest.c_str()), reinterpret_cast<HANDLE>(1));
}

TEST_F(WindowDataTest, PropertiesOfAGoneWindowFail) {
  HWND gone = Gone();
  SetLastError(0);
  EXPECT_FALSE(SetPropA(gone, "Tarnivo.Value", reinterpret_cast<HANDLE>(1)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  SetLastError(0);
  EXPECT_EQ(GetPropA(gone, "Tarnivo.Value"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  SetLastError(0);
  EXPECT_EQ(RemovePropA(gone, "Tarnivo.Value"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowDataTest, PropertiesLastThroughNcDestroyAndGoWithTheWindow) {
  HWND parent = Make();
  HWND child = Make(parent);
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(SetPropA(parent, "Tarnivo.Kept", reinterpret_cast<HANDLE>(11)));
  ASSERT_TRUE(SetPropA(child, "Tarnivo.Child", reinterpret_cast<HANDLE>(12)));

  ASSERT_TRUE(DestroyWindow(parent));
  EXPECT_TRUE(g_saw_ncdestroy);
  EXPECT_EQ(g_prop_at_ncdestroy, reinterpret_cast<HANDLE>(11));
  EXPECT_FALSE(IsWindow(child));
  SetLastError(0);
  EXPECT_EQ(GetPropA(parent, "Tarnivo.Kept"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(GetPropA(child, "Tarnivo.Child"), nullptr);

  // A new window starts with no properties and no user data.
  HWND fresh = Make();
  EXPECT_EQ(GetPropA(fresh, "Tarnivo.Kept"), nullptr);
  EXPECT_EQ(GetWindowLongPtrA(fresh, GWLP_USERDATA), 0);
}

struct Seen {
  std::vector<std::string> names;
  std::vector<HANDLE> values;
  BOOL answer = TRUE;
  HWND remove_from = nullptr;
};

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

BOOL CALLBACK Collect(HWND window, LPSTR name, HANDLE value, ULONG_PTR param) {
  auto* seen = reinterpret_cast<Seen*>(param);
  const bool atom = reinterpret_cast<ULONG_PTR>(name) <= 0xFFFF;
  seen->names.push_back(atom ? std::string("(atom)") : Lower(name));
  seen->values.push_back(value);
  // The function may remove the property it was given.
  if (seen->remove_from == window && !atom) RemovePropA(window, name);
  return seen->answer;
}

TEST_F(WindowDataTest, EnumPropsExVisitsEachPropertyOnce) {
  HWND window = Make();
  Seen none;
  EXPECT_EQ(EnumPropsExA(window, Collect, reinterpret_cast<LPARAM>(&none)), -1);
  EXPECT_TRUE(none.names.empty());

  SetPropA(window, "Tarnivo.One", reinterpret_cast<HANDLE>(1));
  SetPropA(window, "Tarnivo.Two", reinterpret_cast<HANDLE>(2));
  SetPropA(window, "Tarnivo.Three", reinterpret_cast<HANDLE>(3));
  Seen all;
  EXPECT_EQ(EnumPropsExA(window, Collect, reinterpret_cast<LPARAM>(&all)), TRUE);
  ASSERT_EQ(all.names.size(), 3u);
  for (std::size_t i = 0; i < all.names.size(); ++i) {
    const std::string expected = all.values[i] == reinterpret_cast<HANDLE>(1)   ? "tarnivo.one"
                                 : all.values[i] == reinterpret_cast<HANDLE>(2) ? "tarnivo.two"
                                                                                : "tarnivo.three";
    EXPECT_EQ(all.names[i], expected);
  }

  Seen first;
  first.answer = FALSE;
  EXPECT_EQ(EnumPropsExA(window, Collect, reinterpret_cast<LPARAM>(&first)), FALSE);
  EXPECT_EQ(first.names.size(), 1u);

  Seen removing;
  removing.remove_from = window;
  EnumPropsExA(window, Collect, reinterpret_cast<LPARAM>(&removing));
  EXPECT_EQ(removing.names.size(), 3u);
  Seen after;
  EXPECT_EQ(EnumPropsExA(window, Collect, reinterpret_cast<LPARAM>(&after)), -1);
  EXPECT_TRUE(after.names.empty());
}

}  // namespace

namespace {

class WindowTextTest : public testing::Test {
 protected:
  static constexpr const char* kTextClass = "TarnivoTextWindow";
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kTextClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    window_ = Make("first");
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window_);
    UnregisterClassA(kTextClass, GetModuleHandleA(nullptr));
  }
  static HWND Make(const char* text) {
    return CreateWindowExA(0, kTextClass, text, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  }
  HWND window_ = nullptr;
};

TEST_F(WindowTextTest, TextsAreSetAndReadWithinTheBuffer) {
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(GetWindowTextA(window_, buffer, 15), 5);
  EXPECT_STREQ(buffer, "first");
  EXPECT_EQ(GetWindowTextLengthA(window_), 5);

  EXPECT_TRUE(SetWindowTextA(window_, "Portugu\xEAs &CLOSE"));
  std::memset(buffer, '#', sizeof buffer);
  // Too small: what fits, with its NUL, and its length.
  EXPECT_EQ(GetWindowTextA(window_, buffer, 8), 7);
  EXPECT_STREQ(buffer, "Portugu");
  EXPECT_EQ(buffer[8], '#');
  EXPECT_EQ(SendMessageA(window_, WM_GETTEXT, 15, reinterpret_cast<LPARAM>(buffer)), 14);
  EXPECT_STREQ(buffer, "Portugu\xEAs &CLO");
  EXPECT_EQ(GetWindowTextLengthA(window_), 16);

  // A null text is an empty one.
  EXPECT_TRUE(SetWindowTextA(window_, nullptr));
  EXPECT_EQ(GetWindowTextLengthA(window_), 0);
  EXPECT_EQ(GetWindowTextA(window_, buffer, 15), 0);
  EXPECT_STREQ(buffer, "");
}

TEST_F(WindowTextTest, AGoneWindowHasNoText) {
  HWND gone = Make("x");
  DestroyWindow(gone);
  char buffer[4] = "abc";
  SetLastError(0);
  EXPECT_EQ(GetWindowTextA(gone, buffer, 4), 0);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(SetWindowTextA(gone, "y"));
  EXPECT_EQ(GetWindowTextLengthA(gone), 0);
}

}  // namespace
