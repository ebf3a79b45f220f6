// Conformance of the standard controls a form is made of: "BUTTON" (push buttons, default
// push buttons, group boxes), "STATIC", "EDIT" (one line) and "COMBOBOX" (a drop-down list):
// their answers, their notifications to the parent by message sequence, clicks and keys of a
// user, and what a disabled control does. The same tests run against Wine's user32 (null
// display driver) and the Linux back end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "support/message_sequence.h"
#include "support/user_input.h"

namespace {

using message_sequence::Command;
using message_sequence::Expected;
using message_sequence::Msg;
using message_sequence::Recorder;
using Sequence = std::vector<Expected>;

const char kClass[] = "TarnivoTestControls";

WPARAM Wp(HWND window) { return reinterpret_cast<WPARAM>(window); }

class StandardControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = CreateWindowExA(0, class_.name(), "Form", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100,
                            400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(form_, nullptr);
    recorder_.Name(form_, "form");
    SetForegroundWindow(form_);
    SetFocus(form_);
    user_input::Pump();
    recorder_.Clear();
  }

  void TearDown() override {
    if (IsWindow(form_)) DestroyWindow(form_);
    user_input::Pump();
  }

  HWND Control(const char* name, const char* cls, const char* text, DWORD style, int x, int y,
               int width, int height, int id, bool subclass = true) {
    HWND control = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                   form_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(control, nullptr) << name;
    recorder_.Name(control, name);
    if (subclass) recorder_.Subclass(control);
    return control;
  }

  static std::string Text(HWND window) {
    char buffer[64] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
  }

  static std::pair<DWORD, DWORD> Selection(HWND edit) {
    DWORD start = 99;
    DWORD end = 99;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }

  // The mouse activation of a click on a control of the active form.
  Sequence Activation(HWND control) const {
    const LPARAM how = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
    return {Msg(control, WM_MOUSEACTIVATE).W(Wp(form_)).L(how),
            Msg(form_, WM_MOUSEACTIVATE).W(Wp(form_)).L(how)};
  }

  message_sequence::RecordingClass class_{kClass};
  Recorder recorder_;
  HWND form_ = nullptr;
};

// --- Buttons ---

TEST_F(StandardControlsTest, AClickedPushButtonTakesTheFocusAndTellsItsParent) {
  HWND ok = Control("ok", "BUTTON", "OK", BS_DEFPUSHBUTTON, 10, 10, 80, 24, IDOK);
  recorder_.Clear();
  user_input::Click(ok);
  user_input::Pump();
  Sequence expected = Activation(ok);
  for (const Expected& each :
       {Msg(ok, WM_LBUTTONDOWN).W(MK_LBUTTON), Msg(form_, WM_KILLFOCUS).W(Wp(ok)),
        Msg(ok, WM_SETFOCUS).W(Wp(form_)), Msg(ok, BM_SETSTATE).W(TRUE), Msg(ok, WM_LBUTTONUP),
        Msg(ok, BM_SETSTATE).W(FALSE), Msg(ok, WM_CAPTURECHANGED).L(nullptr),
        Command(form_, IDOK, BN_CLICKED, ok)})
    expected.push_back(each);
  EXPECT_TRUE(recorder_.Matches(expected));
  EXPECT_EQ(GetFocus(), ok);
  EXPECT_EQ(SendMessageA(ok, BM_GETSTATE, 0, 0), BST_FOCUS);
  EXPECT_EQ(SendMessageA(ok, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  recorder_.Clear();

  // Pressed on the button and released beside it: no click.
  RECT rect{};
  GetWindowRect(ok, &rect);
  user_input::Press(POINT{rect.left + 5, rect.top + 5});
  user_input::Pump();
  EXPECT_EQ(SendMessageA(ok, BM_GETSTATE, 0, 0) & (BST_PUSHED | BST_FOCUS), BST_PUSHED | BST_FOCUS);
  user_input::Release(POINT{rect.right + 60, rect.bottom + 60});
  user_input::Pump();
  expected = Activation(ok);
  for (const Expected& each : {Msg(ok, WM_LBUTTONDOWN), Msg(ok, BM_SETSTATE).W(TRUE),
                               Msg(ok, BM_GETSTATE), Msg(ok, BM_SETSTATE).W(FALSE),
                               Msg(ok, WM_LBUTTONUP), Msg(ok, WM_CAPTURECHANGED).L(nullptr)})
    expected.push_back(each);
  EXPECT_TRUE(recorder_.Matches(expected));
  EXPECT_EQ(SendMessageA(ok, BM_GETSTATE, 0, 0), BST_FOCUS);
}

TEST_F(StandardControlsTest, SpaceAndBmClickClickAButton) {
  HWND ok = Control("ok", "BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, IDOK);
  HWND cancel = Control("cancel", "BUTTON", "Cancel", BS_PUSHBUTTON, 100, 10, 80, 24, IDCANCEL);
  SetFocus(ok);
  user_input::Pump();
  recorder_.Clear();
  user_input::Key(VK_SPACE);
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches(
      {Msg(ok, WM_KEYDOWN).W(VK_SPACE), Msg(ok, BM_SETSTATE).W(TRUE), Msg(ok, WM_CHAR).W(' '),
       Msg(ok, WM_KEYUP).W(VK_SPACE), Msg(ok, BM_SETSTATE).W(FALSE),
       Msg(ok, WM_CAPTURECHANGED).L(nullptr), Command(form_, IDOK, BN_CLICKED, ok)}));

  SendMessageA(cancel, BM_CLICK, 0, 0);
  EXPECT_TRUE(recorder_.Matches(
      {Msg(cancel, BM_CLICK), Msg(cancel, WM_LBUTTONDOWN).W(0).L(LPARAM{0}),
       Msg(ok, WM_KILLFOCUS).W(Wp(cancel)), Msg(cancel, WM_SETFOCUS).W(Wp(ok)),
       Msg(cancel, BM_SETSTATE).W(TRUE), Msg(cancel, WM_LBUTTONUP).W(0).L(LPARAM{0}),
       Msg(cancel, BM_SETSTATE).W(FALSE), Msg(cancel, WM_CAPTURECHANGED).L(nullptr),
       Command(form_, IDCANCEL, BN_CLICKED, cancel)}));

  // BM_CLICK clicks a disabled button too, as on Wine, but it does not take the focus.
  EnableWindow(ok, FALSE);
  recorder_.Clear();
  SendMessageA(ok, BM_CLICK, 0, 0);
  EXPECT_TRUE(
      recorder_.Matches({Msg(ok, BM_CLICK), Msg(ok, WM_LBUTTONDOWN), Msg(ok, BM_SETSTATE).W(TRUE),
                         Msg(ok, WM_LBUTTONUP), Msg(ok, BM_SETSTATE).W(FALSE),
                         Msg(ok, WM_CAPTURECHANGED), Command(form_, IDOK, BN_CLICKED, ok)}));
  EXPECT_EQ(GetFocus(), cancel);
}

TEST_F(StandardControlsTest, ADisabledControlTakesNeitherAClickNorTheFocus) {
  HWND ok = Control("ok", "BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, IDOK);
  HWND edit = Control("edit", "EDIT", "text", WS_TABSTOP, 10, 50, 200, 20, 3);
  EnableWindow(ok, FALSE);
  recorder_.Clear();
  // The click goes to the form under it.
  user_input::Click(ok);
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches({Msg(form_, WM_LBUTTONDOWN), Msg(form_, WM_LBUTTONUP)}));
  EXPECT_EQ(SetFocus(ok), nullptr);
  EXPECT_EQ(GetFocus(), form_);

  // A control disabled while it has the focus loses it first, then hears WM_ENABLE.
  SetFocus(edit);
  recorder_.Clear();
  EnableWindow(edit, FALSE);
  EXPECT_TRUE(
      recorder_.Matches({Msg(edit, WM_CANCELMODE), Msg(edit, WM_KILLFOCUS).W(0),
                         Command(form_, 3, EN_KILLFOCUS, edit), Msg(edit, WM_ENABLE).W(FALSE)}));
  EXPECT_EQ(GetFocus(), nullptr);
  EnableWindow(edit, TRUE);
  EXPECT_TRUE(recorder_.Matches({Msg(edit, WM_ENABLE).W(TRUE)}));
}

TEST_F(StandardControlsTest, ButtonKindsAnswerWmGetDlgCodeAndBmSetStyleChangesTheKind) {
  struct Case {
    DWORD style;
    LRESULT code;
  };
  const Case cases[] = {
      {BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
      {BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
      {BS_GROUPBOX, DLGC_STATIC},
      {BS_AUTOCHECKBOX, DLGC_BUTTON},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    HWND button = Control("button", "BUTTON", "&Text", c.style, 10, 10, 80, 24, 5, false);
    EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0), c.code);
    EXPECT_EQ(Text(button), "&Text");
    DestroyWindow(button);
  }
  HWND button = Control("button", "BUTTON", "Button", BS_PUSHBUTTON, 10, 10, 80, 24, 5, false);
  SendMessageA(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK, static_cast<LONG>(BS_DEFPUSHBUTTON));
  EXPECT_NE(GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE, 0) << "the other bits stay";
  SendMessageA(button, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  EXPECT_TRUE(SetWindowTextA(button, "Other"));
  EXPECT_EQ(Text(button), "Other");

  // A check box checks and unchecks itself when clicked.
  HWND check = Control("check", "BUTTON", "Check", BS_AUTOCHECKBOX, 10, 50, 80, 24, 6, false);
  SendMessageA(check, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(check, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(StandardControlsTest, ClassNamesAreWines) {
  const struct {
    const char* made;
    const char* name;
  } cases[] = {
      {"BUTTON", "Button"}, {"static", "Static"}, {"EDIT", "Edit"}, {"COMBOBOX", "ComboBox"}};
  for (const auto& c : cases) {
    HWND control = Control(c.made, c.made, "", 0, 10, 10, 50, 20, 1, false);
    char name[32] = {};
    GetClassNameA(control, name, sizeof name);
    EXPECT_STREQ(name, c.name);
    DestroyWindow(control);
  }
}

// --- Labels and frames ---

TEST_F(StandardControlsTest, ClicksGoThroughLabelsAndFramesUnlessTheyNotify) {
  HWND label = Control("label", "STATIC", "Label", SS_LEFT, 10, 10, 100, 20, 4);
  HWND frame = Control("frame", "BUTTON", "Frame", BS_GROUPBOX, 150, 10, 150, 100, 5);
  HWND notifying = Control("notifying", "STATIC", "Link", SS_NOTIFY, 10, 150, 100, 20, 6);
  EXPECT_EQ(SendMessageA(label, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  EXPECT_EQ(Text(label), "Label");
  EXPECT_TRUE(SetWindowTextA(label, "Other"));
  EXPECT_EQ(Text(label), "Other");
  EXPECT_EQ(WindowFromPoint(user_input::Middle(label)), form_);
  EXPECT_EQ(WindowFromPoint(user_input::Middle(frame)), form_);
  EXPECT_EQ(WindowFromPoint(user_input::Middle(notifying)), notifying);

  recorder_.Clear();
  user_input::Click(label);
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches({Msg(form_, WM_LBUTTONDOWN), Msg(form_, WM_LBUTTONUP)}));
  user_input::Click(notifying);
  user_input::Pump();
  Sequence expected = Activation(notifying);
  expected.push_back(Msg(notifying, WM_LBUTTONDOWN));
  expected.push_back(Command(form_, 6, STN_CLICKED, notifying));
  expected.push_back(Msg(notifying, WM_LBUTTONUP));
  EXPECT_TRUE(recorder_.Matches(expected));
  EXPECT_EQ(GetFocus(), form_) << "a label takes no focus";
}

// --- Edit controls ---

TEST_F(StandardControlsTest, AnEditControlsTextAndItsNotifications) {
  HWND edit = Control("edit", "EDIT", "hello", WS_TABSTOP, 10, 50, 200, 20, 3);
  EXPECT_EQ(Text(edit), "hello");
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{0}));
  EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0),
            DLGC_HASSETSEL | DLGC_WANTCHARS | DLGC_WANTARROWS);
  recorder_.Clear();
  EXPECT_TRUE(SetWindowTextA(edit, "abc"));
  EXPECT_TRUE(recorder_.Matches({Msg(edit, WM_SETTEXT), Command(form_, 3, EN_UPDATE, edit),
                                 Command(form_, 3, EN_CHANGE, edit)}));
  EXPECT_EQ(Text(edit), "abc");
  EXPECT_EQ(GetWindowTextLengthA(edit), 3);
  char small[3] = {};
  EXPECT_EQ(GetWindowTextA(edit, small, sizeof small), 2);
  EXPECT_STREQ(small, "ab");
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{0}));

  // The focus: EN_SETFOCUS and EN_KILLFOCUS; the selection stays.
  recorder_.Clear();
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SetFocus(form_);
  EXPECT_TRUE(recorder_.Matches(
      {Msg(form_, WM_KILLFOCUS).W(Wp(edit)), Msg(edit, WM_SETFOCUS).W(Wp(form_)),
       Command(form_, 3, EN_SETFOCUS, edit), Msg(edit, EM_SETSEL),
       Msg(edit, WM_KILLFOCUS).W(Wp(form_)), Command(form_, 3, EN_KILLFOCUS, edit),
       Msg(form_, WM_SETFOCUS).W(Wp(edit))}));
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{3}));
}

TEST_F(StandardControlsTest, CharactersReplaceTheSelectionAndBackspaceRemoves) {
  HWND edit = Control("edit", "EDIT", "", 0, 10, 50, 200, 20, 3, false);
  struct Case {
    const char* text;
    WPARAM start;
    LPARAM end;
    WPARAM character;
    const char* result;
    DWORD caret;
    bool changed;
  };
  const Case cases[] = {
      {"abc", 0, 0, 'x', "xabc", 1, true},  {"xabc", 1, 2, 'y', "xybc", 2, true},
      {"abc", 3, 1, 'z', "az", 2, true},    {"xybc", 2, 2, '\b', "xbc", 1, true},
      {"xbc", 0, 0, '\b', "xbc", 0, false}, {"xbc", 0, 3, '\b', "", 0, true},
      {"ab", 1, 1, '\t', "ab", 1, false},   {"ab", 1, 1, '\r', "ab", 1, false},
      {"ab", 1, 1, 0x1B, "ab", 1, false},   {"ab", 2, 2, 0xE9, "ab\xE9", 3, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.character));
    SetWindowTextA(edit, c.text);
    SendMessageA(edit, EM_SETSEL, c.start, c.end);
    recorder_.Clear();
    SendMessageA(edit, WM_CHAR, c.character, 1);
    EXPECT_EQ(Text(edit), c.result);
    EXPECT_EQ(Selection(edit), std::make_pair(c.caret, c.caret));
    Sequence expected;
    if (c.changed)
      expected = {Command(form_, 3, EN_UPDATE, edit), Command(form_, 3, EN_CHANGE, edit)};
    EXPECT_TRUE(recorder_.Matches(expected));
  }
}

TEST_F(StandardControlsTest, TheSelectionOfAnEditControl) {
  HWND edit = Control("edit", "EDIT", "xbc", 0, 10, 50, 200, 20, 3, false);
  // Each step starts from where the one before left the selection.
  struct Step {
    WPARAM start;
    LPARAM end;
    DWORD from;
    DWORD to;
  };
  const Step steps[] = {
      {0, -1, 0, 3},                       // all of it
      {static_cast<WPARAM>(-1), 0, 3, 3},  // none, the caret staying at its end
      {3, 1, 1, 3},                        // backwards, answered in order
      {10, 20, 3, 3},                      // beyond the end
      {1, 1, 1, 1},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::to_string(static_cast<long long>(step.start)) + "," +
                 std::to_string(step.end));
    SendMessageA(edit, EM_SETSEL, step.start, step.end);
    EXPECT_EQ(Selection(edit), std::make_pair(step.from, step.to));
    EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELONG(step.from, step.to));
  }
  // Keys move the caret; Delete removes the character after it.
  struct Key {
    int vk;
    const char* text;
    DWORD caret;
  };
  SendMessageA(edit, EM_SETSEL, 1, 3);
  const Key keys[] = {{VK_LEFT, "xbc", 2}, {VK_HOME, "xbc", 0}, {VK_RIGHT, "xbc", 1},
                      {VK_END, "xbc", 3},  {VK_BACK, "xbc", 3}, {VK_DELETE, "xbc", 3}};
  for (const Key& key : keys) {
    SCOPED_TRACE(key.vk);
    SendMessageA(edit, WM_KEYDOWN, static_cast<WPARAM>(key.vk), 1);
    EXPECT_EQ(Text(edit), key.text);
    EXPECT_EQ(Selection(edit), std::make_pair(key.caret, key.caret));
  }
  SendMessageA(edit, EM_SETSEL, 1, 1);
  recorder_.Clear();
  SendMessageA(edit, WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_EQ(Text(edit), "xc");
  EXPECT_TRUE(
      recorder_.Matches({Command(form_, 3, EN_UPDATE, edit), Command(form_, 3, EN_CHANGE, edit)}));
}

TEST_F(StandardControlsTest, AClickInAnEditControlGivesItTheFocus) {
  HWND edit = Control("edit", "EDIT", "abc", WS_TABSTOP, 10, 50, 200, 20, 3);
  recorder_.Clear();
  user_input::Click(edit);
  user_input::Pump();
  Sequence expected = Activation(edit);
  for (const Expected& each :
       {Msg(edit, WM_LBUTTONDOWN).W(MK_LBUTTON), Msg(form_, WM_KILLFOCUS).W(Wp(edit)),
        Msg(edit, WM_SETFOCUS).W(Wp(form_)), Command(form_, 3, EN_SETFOCUS, edit),
        Msg(edit, WM_LBUTTONUP), Msg(edit, WM_CAPTURECHANGED).L(nullptr)})
    expected.push_back(each);
  EXPECT_TRUE(recorder_.Matches(expected));
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{3}, DWORD{3})) << "the caret after the text";
}

// --- Combo boxes ---

TEST_F(StandardControlsTest, AComboBoxTellsOfTheFocusAndOfAnEntryTheUserPicks) {
  HWND combo =
      Control("combo", "COMBOBOX", "", WS_TABSTOP | CBS_DROPDOWNLIST, 10, 110, 150, 200, 6);
  for (const char* entry : {"one", "two", "three"})
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  RECT rect{};
  GetWindowRect(combo, &rect);
  EXPECT_EQ(rect.bottom - rect.top, 24)
      << "the height of its text, not the height it was made with";
  EXPECT_EQ(SendMessageA(combo, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);

  recorder_.Clear();
  SetFocus(combo);
  SetFocus(form_);
  EXPECT_TRUE(recorder_.Matches(
      {Msg(form_, WM_KILLFOCUS).W(Wp(combo)), Msg(combo, WM_SETFOCUS).W(Wp(form_)),
       Command(form_, 6, CBN_SETFOCUS, combo), Msg(combo, WM_KILLFOCUS).W(Wp(form_)),
       Command(form_, 6, CBN_SELENDCANCEL, combo), Command(form_, 6, CBN_KILLFOCUS, combo),
       Msg(form_, WM_SETFOCUS).W(Wp(combo))}));

  // The user picks the second entry: the notifications reach the form in Wine's order. Only
  // the form's notifications are compared: the list is a window of its own on Wine.
  user_input::PickComboEntry(combo, 1);
  std::vector<message_sequence::Message> commands;
  for (const auto& message : recorder_.Take()) {
    if (message.window == form_ && message.message == WM_COMMAND) commands.push_back(message);
  }
  EXPECT_TRUE(recorder_.Matches(
      commands, {Command(form_, 6, CBN_SETFOCUS, combo), Command(form_, 6, CBN_DROPDOWN, combo),
                 Command(form_, 6, CBN_SELENDOK, combo), Command(form_, 6, CBN_CLOSEUP, combo),
                 Command(form_, 6, CBN_SELCHANGE, combo)}));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(Text(combo), "two");
  EXPECT_EQ(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0), FALSE);
  EXPECT_EQ(GetFocus(), combo);

  // A selection made by a message tells nobody.
  recorder_.Clear();
  SendMessageA(combo, CB_SETCURSEL, 2, 0);
  EXPECT_TRUE(recorder_.Matches({Msg(combo, CB_SETCURSEL).W(2)}));
  EXPECT_EQ(Text(combo), "three");
}

}  // namespace
