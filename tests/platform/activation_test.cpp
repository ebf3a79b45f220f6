// Conformance of activation: SetActiveWindow, GetActiveWindow, GetForegroundWindow, the
// messages of a change (WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, the focus), ShowWindow
// activating a window, the window that takes over when the active one is hidden or
// destroyed, and the mouse activation of a click. The same tests run against Wine's user32
// (null display driver) and the Linux back end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "support/message_sequence.h"
#include "support/user_input.h"

namespace {

using message_sequence::Msg;
using message_sequence::Recorder;

const char kClass[] = "TarnivoTestActivation";

WPARAM Wp(HWND window) { return reinterpret_cast<WPARAM>(window); }

class ActivationTest : public testing::Test {
 protected:
  void SetUp() override {
    // Each test starts with no active window on the thread.
    SetActiveWindow(nullptr);
    user_input::Pump();
    recorder_.Clear();
  }

  void TearDown() override {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      if (IsWindow(*it)) DestroyWindow(*it);
    }
    user_input::Pump();
  }

  HWND Make(const char* name, DWORD style, int x, int y, HWND parent = nullptr, DWORD ex = 0,
            int width = 120, int height = 100) {
    HWND window = CreateWindowExA(ex, class_.name(), name, style, x, y, width, height, parent,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr) << name;
    recorder_.Name(window, name);
    made_.push_back(window);
    return window;
  }

  // The messages of a change of active window from `from` to `to`, with the focus moving
  // from `focus` (WA_ACTIVE, or WA_CLICKACTIVE for a click).
  static std::vector<message_sequence::Expected> Change(HWND from, HWND to, HWND focus,
                                                        int how = WA_ACTIVE) {
    return {Msg(from, WM_NCACTIVATE).W(FALSE).L(to),
            Msg(from, WM_ACTIVATE).W(WA_INACTIVE).L(to),
            Msg(to, WM_NCACTIVATE).W(TRUE).L(from),
            Msg(to, WM_ACTIVATE).W(static_cast<WPARAM>(how)).L(from),
            Msg(focus, WM_KILLFOCUS).W(Wp(to)),
            Msg(to, WM_SETFOCUS).W(Wp(focus))};
  }

  message_sequence::RecordingClass class_{kClass};
  Recorder recorder_;
  std::vector<HWND> made_;
};

TEST_F(ActivationTest, ShowingAWindowActivatesItAndGivesItTheFocus) {
  HWND hidden = Make("hidden", WS_POPUP, 0, 0);
  HWND a = Make("a", WS_POPUP | WS_CAPTION | WS_VISIBLE, 10, 10);
  // The first activation of the thread: every top-level window of the thread hears it, the
  // hidden one too, from the top of the z-order down.
  EXPECT_TRUE(recorder_.Matches(
      {Msg(hidden, WM_NCCREATE), Msg(hidden, WM_CREATE), Msg(a, WM_NCCREATE), Msg(a, WM_CREATE),
       Msg(a, WM_SHOWWINDOW).W(TRUE), Msg(a, WM_ACTIVATEAPP).W(TRUE),
       Msg(hidden, WM_ACTIVATEAPP).W(TRUE), Msg(a, WM_NCACTIVATE).W(TRUE).L(nullptr),
       Msg(a, WM_ACTIVATE).W(WA_ACTIVE).L(nullptr), Msg(a, WM_SETFOCUS).W(0)}));
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetForegroundWindow(), a);
  EXPECT_EQ(GetFocus(), a);

  HWND b = Make("b", WS_POPUP, 200, 10);
  recorder_.Clear();
  EXPECT_FALSE(ShowWindow(b, SW_SHOW));
  std::vector<message_sequence::Expected> expected = {Msg(b, WM_SHOWWINDOW).W(TRUE)};
  for (const auto& each : Change(a, b, a)) expected.push_back(each);
  EXPECT_TRUE(recorder_.Matches(expected));
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetForegroundWindow(), b);
  EXPECT_EQ(GetFocus(), b);
}

TEST_F(ActivationTest, SetActiveWindowAnswersTheWindowThatWasActive) {
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, 10, 10);
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, 5, 5, a, 0, 20, 20);
  HWND b = Make("b", WS_POPUP | WS_VISIBLE, 200, 10);
  recorder_.Clear();

  EXPECT_EQ(SetActiveWindow(a), b);
  EXPECT_TRUE(recorder_.Matches(Change(b, a, b)));
  EXPECT_EQ(SetActiveWindow(a), a) << "already active";
  EXPECT_EQ(SetActiveWindow(child), a) << "a child window is not activated";
  EXPECT_TRUE(recorder_.Matches({}));
  HWND gone = Make("gone", WS_POPUP, 0, 0);
  DestroyWindow(gone);
  recorder_.Clear();
  SetLastError(0);
  EXPECT_EQ(SetActiveWindow(gone), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(GetActiveWindow(), a);

  // No active window: the thread loses the activation, every window hears it, the focus goes.
  SetFocus(child);
  recorder_.Clear();
  EXPECT_EQ(SetActiveWindow(nullptr), a);
  EXPECT_TRUE(recorder_.Matches({Msg(a, WM_NCACTIVATE).W(FALSE).L(nullptr),
                                 Msg(a, WM_ACTIVATE).W(WA_INACTIVE).L(nullptr),
                                 Msg(b, WM_ACTIVATEAPP).W(FALSE), Msg(a, WM_ACTIVATEAPP).W(FALSE),
                                 Msg(child, WM_KILLFOCUS).W(0)}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);

  // Activated again, the window takes the focus itself, not the child that had it.
  EXPECT_EQ(SetActiveWindow(a), nullptr);
  EXPECT_TRUE(
      recorder_.Matches({Msg(b, WM_ACTIVATEAPP).W(TRUE), Msg(a, WM_ACTIVATEAPP).W(TRUE),
                         Msg(a, WM_NCACTIVATE).W(TRUE).L(nullptr),
                         Msg(a, WM_ACTIVATE).W(WA_ACTIVE).L(nullptr), Msg(a, WM_SETFOCUS).W(0)}));
  EXPECT_EQ(GetForegroundWindow(), a);
}

TEST_F(ActivationTest, SetFocusActivatesTheWindowsTopLevelWindowFirst) {
  HWND b = Make("b", WS_POPUP | WS_VISIBLE, 200, 10);
  HWND inner = Make("inner", WS_CHILD | WS_VISIBLE, 5, 5, b, 0, 20, 20);
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, 10, 10);
  recorder_.Clear();
  SetFocus(inner);
  std::vector<message_sequence::Expected> expected = Change(a, b, a);
  expected.push_back(Msg(b, WM_KILLFOCUS).W(Wp(inner)));
  expected.push_back(Msg(inner, WM_SETFOCUS).W(Wp(b)));
  EXPECT_TRUE(recorder_.Matches(expected));
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetFocus(), inner);
}

TEST_F(ActivationTest, TheFocusFollowsEvenWhenTheProcedureKeepsWmActivate) {
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, 10, 10);
  HWND b = Make("b", WS_POPUP, 200, 10);
  recorder_.Handle([b](HWND window, UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (window != b || message != WM_ACTIVATE) return false;
    *result = 0;
    return true;
  });
  recorder_.Clear();
  SetActiveWindow(b);
  EXPECT_TRUE(recorder_.Matches(Change(a, b, a)));
  EXPECT_EQ(GetFocus(), b);
}

TEST_F(ActivationTest, ShowCommandsThatActivateAndThoseThatDoNot) {
  struct Case {
    const char* what;
    int command;
    DWORD style;
    DWORD ex_style;
    bool activates;
  };
  const Case cases[] = {
      {"SW_SHOW", SW_SHOW, 0, 0, true},
      {"SW_SHOWNORMAL", SW_SHOWNORMAL, 0, 0, true},
      {"SW_SHOWNA", SW_SHOWNA, 0, 0, false},
      {"SW_SHOWNOACTIVATE", SW_SHOWNOACTIVATE, 0, 0, false},
      // As Wine does, ShowWindow activates these too.
      {"WS_EX_NOACTIVATE", SW_SHOW, 0, WS_EX_NOACTIVATE, true},
      {"a disabled window", SW_SHOW, WS_DISABLED, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND a = Make("a", WS_POPUP | WS_VISIBLE, 10, 10);
    HWND b = Make("b", WS_POPUP | c.style, 200, 10, nullptr, c.ex_style);
    recorder_.Clear();
    ShowWindow(b, c.command);
    EXPECT_TRUE(IsWindowVisible(b));
    EXPECT_EQ(GetActiveWindow(), c.activates ? b : a);
    EXPECT_EQ(GetFocus(), c.activates ? b : a) << "the focus goes with the activation";
    std::vector<message_sequence::Expected> expected = {Msg(b, WM_SHOWWINDOW).W(TRUE)};
    if (c.activates) {
      for (const auto& each : Change(a, b, a)) expected.push_back(each);
    }
    EXPECT_TRUE(recorder_.Matches(expected));
    DestroyWindow(b);
    DestroyWindow(a);
  }
}

TEST_F(ActivationTest, TheWindowThatTakesOverFromAHiddenOrDestroyedActiveWindow) {
  struct Case {
    const char* what;
    bool destroy;
    // The windows, from the bottom of the z-order up: "owner" owns "popup".
    bool owned;            // the active window is a pop-up owned by the bottom window
    int active;            // 0: the bottom window, 2: the top one
    bool middle_hidden;    // the middle window is hidden
    bool middle_disabled;  // the middle window is disabled
    int next;              // -1: none; else 0, 1, 2
  };
  const Case cases[] = {
      {"the top window hidden: the next one down", false, false, 2, false, false, 1},
      {"the top window destroyed: the next one down", true, false, 2, false, false, 1},
      {"an owned pop-up: its owner, not the next one", true, true, 2, false, false, 0},
      {"a hidden window is passed over", false, false, 2, true, false, 0},
      {"a disabled window is passed over", false, false, 2, false, true, 0},
      {"nothing below: the topmost", false, false, 0, false, false, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND windows[3];
    windows[0] = Make("w0", WS_POPUP | WS_VISIBLE, 10, 10);
    windows[1] = Make("w1", WS_POPUP | WS_VISIBLE, 60, 60);
    windows[2] = Make("w2", WS_POPUP | WS_VISIBLE, 110, 110, c.owned ? windows[0] : nullptr);
    if (c.middle_hidden) ShowWindow(windows[1], SW_HIDE);
    if (c.middle_disabled) EnableWindow(windows[1], FALSE);
    SetActiveWindow(windows[c.active]);
    ASSERT_EQ(GetActiveWindow(), windows[c.active]);
    HWND going = windows[c.active];
    recorder_.Clear();
    if (c.destroy) {
      DestroyWindow(going);
    } else {
      ShowWindow(going, SW_HIDE);
    }
    HWND next = c.next < 0 ? nullptr : windows[c.next];
    EXPECT_EQ(GetActiveWindow(), next);
    EXPECT_EQ(GetFocus(), next);
    std::vector<message_sequence::Expected> expected;
    if (!c.destroy) expected.push_back(Msg(going, WM_SHOWWINDOW).W(FALSE));
    for (const auto& each : Change(going, next, going)) expected.push_back(each);
    if (c.destroy) {
      expected.push_back(Msg(going, WM_DESTROY));
      expected.push_back(Msg(going, WM_NCDESTROY));
    }
    EXPECT_TRUE(recorder_.Matches(expected));
    for (HWND window : windows) {
      if (IsWindow(window)) DestroyWindow(window);
    }
  }
}

TEST_F(ActivationTest, HidingTheLastVisibleWindowLeavesNoneActive) {
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, 10, 10);
  recorder_.Clear();
  ShowWindow(a, SW_HIDE);
  EXPECT_TRUE(
      recorder_.Matches({Msg(a, WM_SHOWWINDOW).W(FALSE), Msg(a, WM_NCACTIVATE).W(FALSE).L(nullptr),
                         Msg(a, WM_ACTIVATE).W(WA_INACTIVE).L(nullptr),
                         Msg(a, WM_ACTIVATEAPP).W(FALSE), Msg(a, WM_KILLFOCUS).W(0)}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

// --- The mouse activation of a click ---

TEST_F(ActivationTest, AClickActivatesTheWindowUnderIt) {
  HWND b = Make("b", WS_POPUP | WS_VISIBLE, 300, 10, nullptr, 0, 200, 150);
  HWND inner = Make("inner", WS_CHILD | WS_VISIBLE, 20, 30, b, 0, 60, 40);
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, 10, 10, nullptr, 0, 200, 150);
  user_input::Pump();
  recorder_.Clear();
  // The point of the click in the child's client coordinates.
  POINT point = user_input::Middle(inner);
  POINT client = point;
  ScreenToClient(inner, &client);
  const LPARAM at = MAKELPARAM(client.x, client.y);

  user_input::Click(inner);
  user_input::Pump();
  const LPARAM how = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
  std::vector<message_sequence::Expected> expected = {Msg(inner, WM_MOUSEACTIVATE).W(Wp(b)).L(how),
                                                      Msg(b, WM_MOUSEACTIVATE).W(Wp(b)).L(how)};
  for (const auto& each : Change(a, b, a, WA_CLICKACTIVE)) expected.push_back(each);
  expected.push_back(Msg(inner, WM_LBUTTONDOWN).W(MK_LBUTTON).L(at));
  expected.push_back(Msg(inner, WM_LBUTTONUP).W(0).L(at));
  EXPECT_TRUE(recorder_.Matches(expected));
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetFocus(), b) << "a plain child window does not take the focus itself";

  // Again: the child is not the active window, so it is asked; nothing is activated.
  user_input::Click(inner);
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches(
      {Msg(inner, WM_MOUSEACTIVATE).W(Wp(b)).L(how), Msg(b, WM_MOUSEACTIVATE).W(Wp(b)).L(how),
       Msg(inner, WM_LBUTTONDOWN).W(MK_LBUTTON).L(at), Msg(inner, WM_LBUTTONUP).W(0).L(at)}));

  // On the active window itself: no question.
  RECT rect{};
  GetWindowRect(b, &rect);
  POINT corner{rect.left + 5, rect.bottom - 5};
  user_input::Click(corner);
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches({Msg(b, WM_LBUTTONDOWN), Msg(b, WM_LBUTTONUP)}));
  EXPECT_GE(GetKeyState(VK_LBUTTON), 0);
}

TEST_F(ActivationTest, TheAnswerToWmMouseActivateDecides) {
  struct Case {
    LRESULT answer;
    bool activates;
    bool button_down;
  };
  const Case cases[] = {
      {MA_ACTIVATE, true, true},
      {MA_NOACTIVATE, false, true},
      {MA_ACTIVATEANDEAT, true, false},
      {MA_NOACTIVATEANDEAT, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    HWND b = Make("b", WS_POPUP | WS_VISIBLE, 300, 10);
    HWND a = Make("a", WS_POPUP | WS_VISIBLE, 10, 10);
    user_input::Pump();
    recorder_.Handle([b, &c](HWND window, UINT message, WPARAM, LPARAM, LRESULT* result) {
      if (window != b || message != WM_MOUSEACTIVATE) return false;
      *result = c.answer;
      return true;
    });
    recorder_.Clear();
    user_input::Click(b);
    user_input::Pump();
    EXPECT_EQ(GetActiveWindow(), c.activates ? b : a);
    bool down = false;
    bool up = false;
    for (const auto& message : recorder_.Take()) {
      if (message.window == b && message.message == WM_LBUTTONDOWN) down = true;
      if (message.window == b && message.message == WM_LBUTTONUP) up = true;
    }
    EXPECT_EQ(down, c.button_down);
    EXPECT_TRUE(up) << "only the press is eaten";
    recorder_.Handle(nullptr);
    DestroyWindow(a);
    DestroyWindow(b);
  }
}

TEST_F(ActivationTest, AClickOnADisabledWindowDoesNothing) {
  HWND b = Make("b", WS_POPUP | WS_VISIBLE | WS_DISABLED, 300, 10);
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, 10, 10);
  user_input::Pump();
  recorder_.Clear();
  user_input::Click(b);
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches({}));
  EXPECT_EQ(GetActiveWindow(), a);
}

TEST_F(ActivationTest, AClickOnTheDesktopTakesTheActivation) {
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, 10, 10);
  HWND inner = Make("inner", WS_CHILD | WS_VISIBLE, 5, 5, a, 0, 20, 20);
  SetFocus(inner);
  user_input::Pump();
  recorder_.Clear();
  user_input::ClickDesktop();
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches({Msg(a, WM_NCACTIVATE).W(FALSE).L(nullptr),
                                 Msg(a, WM_ACTIVATE).W(WA_INACTIVE).L(nullptr),
                                 Msg(a, WM_ACTIVATEAPP).W(FALSE), Msg(inner, WM_KILLFOCUS).W(0)}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_NE(GetForegroundWindow(), a);
}

// A form shown over its disabled owner that hides itself when it loses the activation. (A
// form that destroys itself inside WM_ACTIVATE is asked again by every activation the
// destruction makes; Wine then goes down until its limit of nested messages.)
TEST_F(ActivationTest, AFormThatHidesItselfWhenItLosesTheActivation) {
  HWND owner = Make("owner", WS_POPUP | WS_VISIBLE, 10, 10, nullptr, 0, 300, 200);
  HWND form = Make("form", WS_POPUP | WS_CAPTION, 400, 10, owner, 0, 200, 150);
  recorder_.Handle([form](HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
    if (window != form || message != WM_ACTIVATE || LOWORD(wParam) != WA_INACTIVE) return false;
    ShowWindow(form, SW_HIDE);
    *result = 0;
    return true;
  });
  EnableWindow(owner, FALSE);
  ShowWindow(form, SW_SHOW);
  user_input::Pump();
  EXPECT_EQ(GetActiveWindow(), form);
  // A click on the disabled owner changes nothing.
  user_input::Click(owner);
  user_input::Pump();
  EXPECT_EQ(GetActiveWindow(), form);
  EXPECT_TRUE(IsWindowVisible(form));
  // A click outside: the form loses the activation and hides; hiding the active window asks
  // for another, and there is none (the owner is disabled).
  recorder_.Clear();
  user_input::ClickDesktop();
  user_input::Pump();
  EXPECT_FALSE(IsWindowVisible(form));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_TRUE(recorder_.Matches(
      {Msg(form, WM_NCACTIVATE).W(FALSE).L(nullptr), Msg(form, WM_ACTIVATE).W(WA_INACTIVE),
       Msg(form, WM_SHOWWINDOW).W(FALSE), Msg(form, WM_NCACTIVATE).W(FALSE).L(nullptr),
       Msg(form, WM_ACTIVATE).W(WA_INACTIVE), Msg(form, WM_ACTIVATEAPP).W(FALSE),
       Msg(owner, WM_ACTIVATEAPP).W(FALSE), Msg(form, WM_KILLFOCUS).W(0)}));
  EnableWindow(owner, TRUE);
  recorder_.Handle(nullptr);
}

}  // namespace
