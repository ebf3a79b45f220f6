// Conformance of the dialog keyboard of a window that is not made from a dialog template
// (IsDialogMessageA: Tab, Enter, Esc, mnemonics; GetNextDlgTabItem, GetDlgItem,
// GetDlgCtrlID) and of the keyboard's messages (WM_KEYDOWN, WM_SYSKEYDOWN, TranslateMessage,
// typed text, GetKeyState). The same tests run against Wine's user32 (null display driver)
// and the Linux back end, with a user's input: SendInput under Wine, the back end's own on
// Linux.
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

const char kClass[] = "TarnivoTestDialogKeyboard";

WPARAM Wp(HWND window) { return reinterpret_cast<WPARAM>(window); }

void Append(Sequence* to, const Sequence& more) { to->insert(to->end(), more.begin(), more.end()); }

// A form as the forms runtime makes one: a top-level window and its controls, in tab order.
class DialogKeyboardTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ =
        CreateWindowExA(0, class_.name(), "Form", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                        100, 100, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(form_, nullptr);
    recorder_.Name(form_, "form");
    edit_ = Control("edit", "EDIT", "hello", WS_TABSTOP, 10, 50, 200, 20, 3);
    ok_ = Control("ok", "BUTTON", "&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 10, 80, 24, IDOK);
    cancel_ = Control("cancel", "BUTTON", "Cancel", WS_TABSTOP, 100, 10, 80, 24, IDCANCEL);
    label_ = Control("label", "STATIC", "&Label", 0, 10, 80, 100, 20, 4);
    combo_ = Control("combo", "COMBOBOX", "", WS_TABSTOP | CBS_DROPDOWNLIST, 10, 110, 150, 200, 6);
    notab_ = Control("notab", "BUTTON", "No tab", 0, 200, 10, 80, 24, 7);
    recorder_.Handle([this](HWND window, UINT message, WPARAM, LPARAM, LRESULT* result) {
      if (window != form_ || message != DM_GETDEFID) return false;
      *result = default_id_ != 0 ? MAKELONG(default_id_, DC_HASDEFID) : 0;
      return true;
    });
    SetForegroundWindow(form_);
    SetFocus(form_);
    user_input::Pump(form_);
    recorder_.Clear();
  }

  void TearDown() override {
    if (IsWindow(form_)) DestroyWindow(form_);
    user_input::Pump();
  }

  HWND Control(const char* name, const char* cls, const char* text, DWORD style, int x, int y,
               int width, int height, int id) {
    HWND control = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                   form_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(control, nullptr) << name;
    recorder_.Name(control, name);
    recorder_.Subclass(control);
    return control;
  }

  void Press(int vk) {
    user_input::Key(vk);
    user_input::Pump(form_);
  }

  // What Tab asks of every control after the focus moved to `next`; `restyled` are the
  // default push buttons made plain, `made_default` the button made the default one.
  Sequence FixDefault(HWND next, HWND restyled, HWND made_default) {
    Sequence fix = {Msg(next, WM_GETDLGCODE).W(0)};
    for (HWND control : {edit_, ok_, cancel_, label_, combo_, notab_}) {
      fix.push_back(Msg(control, WM_GETDLGCODE).W(0));
      if (control == restyled) fix.push_back(Msg(control, BM_SETSTYLE).W(BS_PUSHBUTTON).L(TRUE));
    }
    if (made_default != nullptr)
      fix.push_back(Msg(made_default, BM_SETSTYLE).W(BS_DEFPUSHBUTTON).L(TRUE));
    return fix;
  }

  static DWORD ButtonType(HWND button) {
    return static_cast<DWORD>(GetWindowLongA(button, GWL_STYLE)) & BS_TYPEMASK;
  }

  message_sequence::RecordingClass class_{kClass};
  Recorder recorder_;
  HWND form_ = nullptr;
  HWND edit_ = nullptr;
  HWND ok_ = nullptr;
  HWND cancel_ = nullptr;
  HWND label_ = nullptr;
  HWND combo_ = nullptr;
  HWND notab_ = nullptr;
  int default_id_ = IDOK;
};

TEST_F(DialogKeyboardTest, GetNextDlgTabItemGoesRoundTheTabStops) {
  struct Case {
    HWND from;
    BOOL previous;
    HWND next;
  };
  const Case cases[] = {
      {nullptr, FALSE, edit_}, {nullptr, TRUE, nullptr}, {form_, FALSE, edit_},
      {edit_, FALSE, ok_},     {ok_, FALSE, cancel_},    {cancel_, FALSE, combo_},
      {combo_, FALSE, edit_},  {edit_, TRUE, combo_},    {notab_, FALSE, edit_},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(recorder_.NameOf(c.from) + (c.previous ? " previous" : " next"));
    EXPECT_EQ(GetNextDlgTabItem(form_, c.from, c.previous), c.next);
  }
  // Disabled and hidden controls are no tab stops.
  EnableWindow(cancel_, FALSE);
  ShowWindow(combo_, SW_HIDE);
  EXPECT_EQ(GetNextDlgTabItem(form_, ok_, FALSE), edit_);
}

TEST_F(DialogKeyboardTest, ControlsAreFoundByTheirIds) {
  EXPECT_EQ(GetDlgItem(form_, 6), combo_);
  EXPECT_EQ(GetDlgItem(form_, IDCANCEL), cancel_);
  EXPECT_EQ(GetDlgItem(form_, 99), nullptr);
  EXPECT_EQ(GetDlgCtrlID(edit_), 3);
  EXPECT_EQ(GetDlgCtrlID(form_), 0) << "a top-level window without a menu bar";
}

TEST_F(DialogKeyboardTest, TabMovesTheFocusSelectingTextAndTheDefaultButtonFollows) {
  recorder_.Keep(WM_GETTEXT);
  // From the form itself to the first tab stop, the edit control: its text is selected, and
  // the default push button is plain while the focus is not on a button.
  Press(VK_TAB);
  Sequence expected = {Msg(form_, WM_GETDLGCODE).W(VK_TAB),  Msg(edit_, WM_GETDLGCODE).W(VK_TAB),
                       Msg(edit_, WM_GETTEXTLENGTH),         Msg(edit_, WM_GETTEXT).W(6),
                       Msg(edit_, EM_SETSEL).W(0).L(5),      Msg(form_, WM_KILLFOCUS).W(Wp(edit_)),
                       Msg(edit_, WM_SETFOCUS).W(Wp(form_)), Command(form_, 3, EN_SETFOCUS, edit_)};
  Append(&expected, FixDefault(edit_, ok_, nullptr));
  expected.push_back(Msg(edit_, WM_KEYUP).W(VK_TAB));
  EXPECT_TRUE(recorder_.Matches(expected));
  EXPECT_EQ(GetFocus(), edit_);
  DWORD start = 99;
  DWORD end = 99;
  SendMessageA(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 5u);
  EXPECT_EQ(ButtonType(ok_), BS_PUSHBUTTON);
  recorder_.Clear();

  // On to a push button: it becomes the default one.
  Press(VK_TAB);
  expected = {Msg(edit_, WM_GETDLGCODE).W(VK_TAB), Msg(ok_, WM_GETDLGCODE).W(VK_TAB),
              Msg(edit_, WM_KILLFOCUS).W(Wp(ok_)), Command(form_, 3, EN_KILLFOCUS, edit_),
              Msg(ok_, WM_SETFOCUS).W(Wp(edit_))};
  Append(&expected, FixDefault(ok_, nullptr, ok_));
  expected.push_back(Msg(ok_, WM_KEYUP).W(VK_TAB));
  EXPECT_TRUE(recorder_.Matches(expected));
  EXPECT_EQ(ButtonType(ok_), BS_DEFPUSHBUTTON);

  // Shift+Tab goes back.
  user_input::KeyDown(VK_SHIFT);
  user_input::Key(VK_TAB);
  user_input::KeyUp(VK_SHIFT);
  user_input::Pump(form_);
  expected = {Msg(ok_, WM_GETDLGCODE).W(VK_SHIFT), Msg(ok_, WM_KEYDOWN).W(VK_SHIFT),
              Msg(ok_, WM_GETDLGCODE).W(VK_TAB),   Msg(edit_, WM_GETDLGCODE).W(VK_TAB),
              Msg(edit_, WM_GETTEXTLENGTH),        Msg(edit_, WM_GETTEXT).W(6),
              Msg(edit_, EM_SETSEL).W(0).L(5),     Msg(ok_, WM_KILLFOCUS).W(Wp(edit_)),
              Msg(edit_, WM_SETFOCUS).W(Wp(ok_)),  Command(form_, 3, EN_SETFOCUS, edit_)};
  Append(&expected, FixDefault(edit_, ok_, nullptr));
  expected.push_back(Msg(edit_, WM_KEYUP).W(VK_TAB));
  expected.push_back(Msg(edit_, WM_KEYUP).W(VK_SHIFT));
  EXPECT_TRUE(recorder_.Matches(expected));
  EXPECT_EQ(GetFocus(), edit_);
}

TEST_F(DialogKeyboardTest, EnterClicksTheDefaultButtonAndEscTheCancelButton) {
  struct Case {
    const char* what;
    HWND focus;
    int default_id;
    bool disable_ok;
    int vk;
    Sequence expected;  // after WM_GETDLGCODE of the key to the focus window
  };
  const Case cases[] = {
      {"Enter in the edit control: the default button",
       edit_,
       IDOK,
       false,
       VK_RETURN,
       {Msg(edit_, WM_GETDLGCODE).W(0), Msg(form_, DM_GETDEFID),
        Command(form_, IDOK, BN_CLICKED, ok_)}},
      {"Enter on the default push button: that button, without asking",
       ok_,
       IDCANCEL,
       false,
       VK_RETURN,
       {Msg(ok_, WM_GETDLGCODE).W(0), Command(form_, IDOK, BN_CLICKED, ok_)}},
      {"Enter on another push button: the default button",
       cancel_,
       IDOK,
       false,
       VK_RETURN,
       {Msg(cancel_, WM_GETDLGCODE).W(0), Msg(form_, DM_GETDEFID),
        Command(form_, IDOK, BN_CLICKED, ok_)}},
      {"a disabled default button is not clicked",
       edit_,
       IDOK,
       true,
       VK_RETURN,
       {Msg(edit_, WM_GETDLGCODE).W(0), Msg(form_, DM_GETDEFID)}},
      {"a default id without a control",
       edit_,
       9,
       false,
       VK_RETURN,
       {Msg(edit_, WM_GETDLGCODE).W(0), Msg(form_, DM_GETDEFID),
        Command(form_, 9, BN_CLICKED, nullptr)}},
      {"no default id: IDOK",
       edit_,
       0,
       false,
       VK_RETURN,
       {Msg(edit_, WM_GETDLGCODE).W(0), Msg(form_, DM_GETDEFID), Command(form_, IDOK, 0, ok_)}},
      {"Esc: IDCANCEL", edit_, IDOK, false, VK_ESCAPE, {Command(form_, IDCANCEL, 0, cancel_)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    default_id_ = c.default_id;
    EnableWindow(ok_, c.disable_ok ? FALSE : TRUE);
    SetFocus(c.focus);
    user_input::Pump(form_);
    recorder_.Clear();
    Press(c.vk);
    Sequence expected = {Msg(c.focus, WM_GETDLGCODE).W(static_cast<WPARAM>(c.vk))};
    Append(&expected, c.expected);
    expected.push_back(Msg(c.focus, WM_KEYUP).W(static_cast<WPARAM>(c.vk)));
    EXPECT_TRUE(recorder_.Matches(expected));
  }
}

TEST_F(DialogKeyboardTest, MnemonicsClickButtonsAndMoveOnFromLabels) {
  recorder_.Keep(WM_GETTEXT);
  SetFocus(cancel_);
  user_input::Pump(form_);
  recorder_.Clear();
  // 'l' on a button that does not want characters: the label "&Label" has it.
  Press('L');
  EXPECT_TRUE(recorder_.Matches(
      {Msg(cancel_, WM_GETDLGCODE).W('L'), Msg(cancel_, WM_KEYDOWN).W('L'),
       Msg(cancel_, WM_GETDLGCODE).W('l'), Msg(cancel_, WM_GETDLGCODE).W(0),
       Msg(cancel_, WM_GETTEXT), Msg(label_, WM_GETDLGCODE).W(0), Msg(label_, WM_GETTEXT),
       Msg(form_, WM_NEXTDLGCTL).W(Wp(label_)).L(1), Msg(form_, WM_NEXTDLGCTL).W(0).L(LPARAM{0}),
       Msg(cancel_, WM_KEYUP).W('L')}));

  // A character no control has: every button and label is asked, then it goes on.
  Press('Z');
  EXPECT_TRUE(recorder_.Matches(
      {Msg(cancel_, WM_GETDLGCODE).W('Z'), Msg(cancel_, WM_KEYDOWN).W('Z'),
       Msg(cancel_, WM_GETDLGCODE).W('z'), Msg(cancel_, WM_GETDLGCODE).W(0),
       Msg(cancel_, WM_GETTEXT), Msg(label_, WM_GETDLGCODE).W(0), Msg(label_, WM_GETTEXT),
       Msg(combo_, WM_GETDLGCODE).W(0), Msg(notab_, WM_GETDLGCODE).W(0), Msg(notab_, WM_GETTEXT),
       Msg(edit_, WM_GETDLGCODE).W(0), Msg(ok_, WM_GETDLGCODE).W(0), Msg(ok_, WM_GETTEXT),
       Msg(cancel_, WM_CHAR).W('z'), Msg(cancel_, WM_KEYUP).W('Z')}));

  // Alt+O in the edit control clicks "&OK".
  SetFocus(edit_);
  user_input::Pump(form_);
  recorder_.Clear();
  user_input::KeyDown(VK_MENU);
  user_input::Key('O');
  user_input::KeyUp(VK_MENU);
  user_input::Pump(form_);
  EXPECT_TRUE(recorder_.Matches(
      {Msg(edit_, WM_SYSKEYDOWN).W(VK_MENU), Msg(edit_, WM_SYSKEYDOWN).W('O'),
       Msg(edit_, WM_GETDLGCODE).W(0), Msg(ok_, WM_GETDLGCODE).W(0), Msg(ok_, WM_GETTEXT),
       Msg(ok_, BM_CLICK), Msg(ok_, WM_LBUTTONDOWN), Msg(edit_, WM_KILLFOCUS).W(Wp(ok_)),
       Command(form_, 3, EN_KILLFOCUS, edit_), Msg(ok_, WM_SETFOCUS).W(Wp(edit_)),
       Msg(ok_, BM_SETSTATE).W(TRUE), Msg(ok_, WM_LBUTTONUP), Msg(ok_, BM_SETSTATE).W(FALSE),
       Msg(ok_, WM_CAPTURECHANGED).L(nullptr), Command(form_, IDOK, BN_CLICKED, ok_),
       Msg(ok_, WM_SYSKEYUP).W('O'), Msg(ok_, WM_KEYUP).W(VK_MENU)}));
}

TEST_F(DialogKeyboardTest, OnlyTheDialogsOwnMessagesAreTaken) {
  message_sequence::RecordingClass other_class("TarnivoTestDialogOther");
  HWND other = CreateWindowExA(0, other_class.name(), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  recorder_.Name(other, "other");
  recorder_.Clear();
  MSG msg{};
  msg.hwnd = other;
  msg.message = WM_KEYDOWN;
  msg.wParam = VK_TAB;
  EXPECT_FALSE(IsDialogMessageA(form_, &msg));
  msg.hwnd = nullptr;
  msg.message = WM_APP;
  EXPECT_FALSE(IsDialogMessageA(form_, &msg)) << "a thread message";
  EXPECT_TRUE(recorder_.Matches({})) << "neither is dispatched";
  msg.hwnd = label_;
  msg.message = WM_APP + 1;
  EXPECT_TRUE(IsDialogMessageA(form_, &msg));
  EXPECT_TRUE(recorder_.Matches({Msg(label_, WM_APP + 1)}));
  DestroyWindow(other);
}

// --- The keyboard's messages ---

TEST_F(DialogKeyboardTest, KeysGoToTheFocusWindowOrAsSystemKeysToTheActiveWindow) {
  recorder_.Answer(WM_SYSCHAR, 0);
  SetFocus(form_);
  user_input::Pump();
  recorder_.Clear();
  user_input::Key('A');
  user_input::KeyDown(VK_SHIFT);
  user_input::Key('B');
  user_input::KeyUp(VK_SHIFT);
  user_input::KeyDown(VK_MENU);
  user_input::Key('C');
  user_input::KeyUp(VK_MENU);
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches(
      {Msg(form_, WM_KEYDOWN).W('A').L(1), Msg(form_, WM_CHAR).W('a').L(1),
       Msg(form_, WM_KEYUP).W('A').L(0xC0000001), Msg(form_, WM_KEYDOWN).W(VK_SHIFT).L(1),
       Msg(form_, WM_KEYDOWN).W('B').L(1), Msg(form_, WM_CHAR).W('B').L(1),
       Msg(form_, WM_KEYUP).W('B').L(0xC0000001), Msg(form_, WM_KEYUP).W(VK_SHIFT).L(0xC0000001),
       Msg(form_, WM_SYSKEYDOWN).W(VK_MENU).L(0x20000001),
       Msg(form_, WM_SYSKEYDOWN).W('C').L(0x20000001), Msg(form_, WM_SYSCHAR).W('c').L(0x20000001),
       Msg(form_, WM_SYSKEYUP).W('C').L(0xE0000001),
       Msg(form_, WM_KEYUP).W(VK_MENU).L(0xC0000001)}));

  // Without a focus window, the active window gets the keys as system keys.
  SetFocus(nullptr);
  recorder_.Clear();
  user_input::Key('D');
  user_input::Pump();
  EXPECT_TRUE(
      recorder_.Matches({Msg(form_, WM_SYSKEYDOWN).W('D').L(1), Msg(form_, WM_SYSCHAR).W('d').L(1),
                         Msg(form_, WM_SYSKEYUP).W('D').L(0xC0000001)}));
}

TEST_F(DialogKeyboardTest, TranslateMessageMakesTheCharactersOfAUsKeyboard) {
  struct Case {
    std::vector<int> held;
    int vk;
    WPARAM character;
  };
  const Case cases[] = {
      {{}, 'A', 'a'},      {{VK_SHIFT}, 'A', 'A'}, {{VK_CONTROL}, 'A', 1},
      {{}, '1', '1'},      {{VK_SHIFT}, '1', '!'}, {{VK_SHIFT}, '0', ')'},
      {{}, VK_SPACE, ' '}, {{}, VK_RETURN, '\r'},  {{}, VK_ESCAPE, 0x1B},
      {{}, VK_TAB, '\t'},  {{}, VK_BACK, 8},       {{VK_CONTROL}, VK_RETURN, '\n'},
  };
  SetFocus(form_);
  user_input::Pump();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vk);
    recorder_.Clear();
    for (int key : c.held) user_input::KeyDown(key);
    user_input::Key(c.vk);
    for (auto it = c.held.rbegin(); it != c.held.rend(); ++it) user_input::KeyUp(*it);
    user_input::Pump();
    std::vector<WPARAM> characters;
    for (const auto& message : recorder_.Take()) {
      if (message.message == WM_CHAR) characters.push_back(message.wParam);
    }
    EXPECT_EQ(characters, std::vector<WPARAM>{c.character});
  }
}

TEST_F(DialogKeyboardTest, APacketKeyIsTranslatedToTheAnsiByteOfItsCharacter) {
  const struct {
    WORD character;
    WPARAM byte;
  } cases[] = {{0x20AC, 0x80}, {0xE9, 0xE9}, {0x4E2D, '?'}};
  Sequence expected;
  for (const auto& c : cases) {
    MSG msg{};
    msg.hwnd = form_;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_PACKET;
    msg.lParam = MAKELPARAM(1, c.character);
    EXPECT_TRUE(TranslateMessage(&msg));
    expected.push_back(Msg(form_, WM_CHAR).W(c.byte));
  }
  MSG up{};
  up.hwnd = form_;
  up.message = WM_KEYUP;
  up.wParam = 'A';
  EXPECT_TRUE(TranslateMessage(&up)) << "a key message, even without a character";
  up.message = WM_APP;
  EXPECT_FALSE(TranslateMessage(&up));
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches(expected));
}

TEST_F(DialogKeyboardTest, TypedTextArrivesAsItsAnsiBytes) {
  SetFocus(edit_);
  SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  user_input::Pump(form_);
  recorder_.Clear();
  const char text[] = "Portugu\xEAs \x80 & co";
  user_input::Type(text);
  user_input::Pump(form_);
  char buffer[64] = {};
  GetWindowTextA(edit_, buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer), text);
  // The euro sign comes as its character and reaches the window as its byte.
  bool packet = false;
  bool character = false;
  for (const auto& message : recorder_.Take()) {
    if (message.window != edit_) continue;
    if (message.message == WM_KEYDOWN && message.wParam == VK_PACKET &&
        HIWORD(message.lParam) == 0x20AC)
      packet = true;
    if (message.message == WM_CHAR && message.wParam == 0x80) character = true;
  }
  EXPECT_TRUE(packet);
  EXPECT_TRUE(character);
}

TEST_F(DialogKeyboardTest, GetKeyStateFollowsTheMessagesRead) {
  user_input::KeyDown(VK_SHIFT);
  Sleep(30);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0) << "down at once";
  EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "its message is not read yet";
  user_input::Pump(form_);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  user_input::KeyUp(VK_SHIFT);
  user_input::Pump(form_);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  EXPECT_GE(GetAsyncKeyState(VK_SHIFT), 0);
}

}  // namespace
