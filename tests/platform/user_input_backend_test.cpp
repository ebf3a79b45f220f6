// Tests of the Linux back end's user at the mouse and the keyboard (backend::User...) and
// of its input wait: the parts a scenario runner relies on that Wine has no counterpart for
// (a modal loop that waits for the runner, a pick from a combo box in one call) and the
// edge cases of input with nowhere to go.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "support/message_sequence.h"

namespace {

using message_sequence::Command;
using message_sequence::Msg;
using message_sequence::Recorder;

const char kClass[] = "TarnivoTestUserInput";

class UserInputTest : public testing::Test {
 protected:
  void SetUp() override {
    SetActiveWindow(nullptr);
    backend::RunPending();
    form_ = Make("form", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100, 400, 300);
    ok_ = Control("ok", "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 10, IDOK);
    edit_ = Control("edit", "EDIT", "", WS_TABSTOP, 10, 50, 3);
    backend::RunPending();
    recorder_.Clear();
  }

  void TearDown() override {
    backend::SetInputWait(nullptr);
    backend::SetObserver({});
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      if (IsWindow(*it)) DestroyWindow(*it);
    }
    backend::RunPending();
    backend::ResetInput();
  }

  HWND Make(const char* name, DWORD style, int x, int y, int width, int height) {
    HWND window = CreateWindowExA(0, class_.name(), name, style, x, y, width, height, nullptr,
                                  nullptr, nullptr, nullptr);
    EXPECT_NE(window, nullptr);
    recorder_.Name(window, name);
    made_.push_back(window);
    return window;
  }

  HWND Control(const char* name, const char* cls, const char* text, DWORD style, int x, int y,
               int id) {
    HWND control =
        CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, 80, 24, form_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    EXPECT_NE(control, nullptr);
    recorder_.Name(control, name);
    return control;
  }

  // The modal loop of a form: until the form is hidden, or GetMessageA fails or quits.
  int RunModal() {
    MSG msg{};
    int result = 1;
    while (IsWindowVisible(form_)) {
      result = GetMessageA(&msg, nullptr, 0, 0);
      if (result <= 0) break;
      if (!IsDialogMessageA(form_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    return result;
  }

  // The form closes when it is told IDOK or IDCANCEL.
  void CloseOnCommand() {
    recorder_.Handle([this](HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
      if (window != form_) return false;
      if (message == DM_GETDEFID) {
        *result = MAKELONG(IDOK, DC_HASDEFID);
        return true;
      }
      if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        closed_by_ = LOWORD(wParam);
        ShowWindow(form_, SW_HIDE);
        *result = 0;
        return true;
      }
      return false;
    });
  }

  message_sequence::RecordingClass class_{kClass};
  Recorder recorder_;
  std::vector<HWND> made_;
  HWND form_ = nullptr;
  HWND ok_ = nullptr;
  HWND edit_ = nullptr;
  int closed_by_ = 0;
};

TEST_F(UserInputTest, TheInputWaitPlaysTheUserWhileAModalLoopWaits) {
  CloseOnCommand();
  // The user types into the field, then presses Enter: the default button closes the form.
  std::vector<std::function<void()>> actions = {
      [this] { backend::UserClickWindow(edit_); },
      [] { backend::UserType("abc"); },
      [] { backend::UserKey(VK_RETURN); },
  };
  std::size_t next = 0;
  backend::SetInputWait([&] {
    if (next == actions.size()) return false;
    actions[next++]();
    return true;
  });
  EXPECT_EQ(RunModal(), 1);
  EXPECT_EQ(next, actions.size());
  EXPECT_EQ(closed_by_, IDOK);
  char text[16] = {};
  GetWindowTextA(edit_, text, sizeof text);
  EXPECT_STREQ(text, "abc");
  EXPECT_FALSE(IsWindowVisible(form_));
}

TEST_F(UserInputTest, WithoutAnActionTheLoopGoesOnAsWithoutAnInputWait) {
  int calls = 0;
  backend::SetInputWait([&] {
    ++calls;
    return false;
  });
  // A timer: time passes to it, and the loop gets its WM_TIMER.
  SetTimer(form_, 7, 250, nullptr);
  const DWORD start = GetTickCount();
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(GetTickCount() - start, 250u);
  EXPECT_EQ(calls, 1) << "asked once before time passed";
  KillTimer(form_, 7);
  // Nothing at all: GetMessageA fails instead of waiting for ever.
  SetLastError(0);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_EQ(calls, 2);
  // Posted messages are read without asking.
  PostMessageA(form_, WM_APP, 0, 0);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(calls, 2);
}

TEST_F(UserInputTest, TheInputWaitIsNotAskedAgainWhileItRuns) {
  int calls = 0;
  int inner = 0;
  backend::SetInputWait([&] {
    ++calls;
    MSG msg{};
    // A message loop inside the input wait waits as without one.
    inner = GetMessageA(&msg, nullptr, 0, 0);
    if (calls == 1) PostMessageA(form_, WM_APP, 0, 0);
    return true;
  });
  MSG msg{};
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(inner, -1);
}

TEST_F(UserInputTest, AnInputWaitThatNeverBringsAnythingIsStopped) {
  std::vector<std::string> lines;
  backend::SetObserver([&](const std::string& line) { lines.push_back(line); });
  long calls = 0;
  backend::SetInputWait([&] {
    ++calls;
    return true;
  });
  MSG msg{};
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
  EXPECT_EQ(calls, 100000);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("input wait stopped"), std::string::npos) << lines[0];
}

TEST_F(UserInputTest, KeysGoToTheWindowThatHasTheFocusWhenTheyAreRead) {
  recorder_.Subclass(edit_);
  recorder_.Subclass(ok_);
  SetFocus(ok_);
  recorder_.Clear();
  backend::UserKey('X');
  SetFocus(edit_);
  backend::RunPending();
  EXPECT_TRUE(recorder_.Matches({Msg(ok_, WM_KILLFOCUS), Msg(edit_, WM_SETFOCUS),
                                 Command(form_, 3, EN_SETFOCUS, edit_),
                                 Msg(edit_, WM_KEYDOWN).W('X'), Msg(edit_, WM_KEYUP).W('X')}));

  // With no active window the key goes nowhere, but it still moves.
  SetActiveWindow(nullptr);
  recorder_.Clear();
  backend::UserKeyDown(VK_SHIFT);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  backend::RunPending();
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  backend::UserKeyUp(VK_SHIFT);
  backend::RunPending();
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  EXPECT_TRUE(recorder_.Matches({}));
}

TEST_F(UserInputTest, AClickOnAWindowByItsHandle) {
  EXPECT_FALSE(backend::UserClickWindow(nullptr));
  const POINT nowhere = backend::WindowMiddle(nullptr);
  EXPECT_EQ(nowhere.x, 0);
  EXPECT_EQ(nowhere.y, 0);
  const POINT middle = backend::WindowMiddle(ok_);
  EXPECT_EQ(middle.x, 100 + 10 + 40);
  EXPECT_EQ(middle.y, 100 + 10 + 12);
  EXPECT_EQ(WindowFromPoint(middle), ok_);

  recorder_.Subclass(ok_);
  recorder_.Clear();
  ASSERT_TRUE(backend::UserClickWindow(ok_));
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, middle.x);
  EXPECT_EQ(cursor.y, middle.y);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0) << "down and up again";
  backend::RunPending();
  auto got = recorder_.Take();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.back().message, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(GetFocus(), ok_);
}

TEST_F(UserInputTest, APickFromAComboBoxThatCannotBeReachedDoesNothing) {
  HWND combo = Control("combo", "COMBOBOX", "", CBS_DROPDOWNLIST, 10, 100, 6);
  for (const char* entry : {"one", "two"})
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  recorder_.Clear();
  EnableWindow(combo, FALSE);
  EXPECT_FALSE(backend::UserPickComboEntry(combo, 1));
  EnableWindow(combo, TRUE);
  ShowWindow(combo, SW_HIDE);
  EXPECT_FALSE(backend::UserPickComboEntry(combo, 1));
  ShowWindow(combo, SW_SHOW);
  EXPECT_FALSE(backend::UserPickComboEntry(nullptr, 1));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  std::vector<message_sequence::Message> commands;
  for (const auto& message : recorder_.Take()) {
    if (message.message == WM_COMMAND) commands.push_back(message);
  }
  EXPECT_TRUE(commands.empty());

  // An entry the list does not have: the list opens and stays open; the next press anywhere
  // only closes it.
  EXPECT_FALSE(backend::UserPickComboEntry(combo, 5));
  EXPECT_EQ(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0), TRUE);
  recorder_.Clear();
  backend::UserClickWindow(ok_);
  backend::RunPending();
  EXPECT_TRUE(recorder_.Matches(
      {Command(form_, 6, CBN_SELENDCANCEL, combo), Command(form_, 6, CBN_CLOSEUP, combo)}));
  EXPECT_EQ(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0), FALSE);
  EXPECT_EQ(GetFocus(), combo) << "the press that closed the list went nowhere else";
}

TEST_F(UserInputTest, AWindowActivatedAfterAClickOnTheDesktopIsNotTheForegroundWindow) {
  backend::UserClick(POINT{1010, 750});
  backend::RunPending();
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  recorder_.Clear();
  SetActiveWindow(form_);
  EXPECT_TRUE(recorder_.Matches({Msg(form_, WM_ACTIVATEAPP).W(TRUE),
                                 Msg(form_, WM_NCACTIVATE).W(FALSE).L(nullptr),
                                 Msg(form_, WM_ACTIVATE).W(WA_ACTIVE), Msg(form_, WM_SETFOCUS)}));
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  // A window shown takes the foreground back.
  HWND other = Make("other", WS_POPUP | WS_VISIBLE, 600, 100, 100, 100);
  EXPECT_EQ(GetForegroundWindow(), other);
}

TEST_F(UserInputTest, TheMouseMovesToTheWindowWithTheCapture) {
  recorder_.Subclass(ok_);
  backend::UserMoveMouse(POINT{60, 60});
  backend::RunPending();
  SetCapture(ok_);
  recorder_.Clear();
  backend::UserMoveMouse(POINT{50, 50});
  backend::UserMoveMouse(POINT{50, 50});
  recorder_.Keep(WM_MOUSEMOVE);
  backend::RunPending();
  // In the button's client coordinates: the form is at 100,100 and the button at 10,10 in it.
  POINT client{50, 50};
  ScreenToClient(ok_, &client);
  EXPECT_EQ(client.x, -60);
  EXPECT_TRUE(recorder_.Matches({Msg(ok_, WM_MOUSEMOVE).W(0).L(MAKELPARAM(client.x, client.y))}))
      << "once: the second move went nowhere";
  ReleaseCapture();
}

}  // namespace

#endif  // _WIN32
