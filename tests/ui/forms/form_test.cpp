// The forms runtime: a form built from its table, reached by name, shown modally with the
// dialog keyboard, closed by its own handlers, by WM_CLOSE and by losing the activation. The
// same tests run against Wine's user32 and against the Linux back end.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "ui/controls/mod_subclass.h"
#include "ui/forms/form.h"

namespace tarnivo::forms {
namespace {

// Twips of 96 pixels per inch: 15 a pixel.
constexpr ControlLayout kControls[] = {
    {"txtName", ControlKind::TextBox, "fraEntry", 150, 300, 1500, 300, 0, 1, "typed"},
    {"cmdOK", ControlKind::Button, nullptr, 150, 1500, 1200, 375, 0, 2, "&OK", KeyRole::Default},
    {"cmdCancel", ControlKind::Button, nullptr, 1500, 1500, 1200, 375, 0, 3, "Cancel",
     KeyRole::Cancel},
    {"lblTitle", ControlKind::Label, nullptr, 0, 0, 3000, 195, 0, 4, "Title"},
    {"fraEntry", ControlKind::Frame, nullptr, 0, 240, 3000, 900, 0, 0, "ENTRY"},
    {"cboPick", ControlKind::ComboBox, nullptr, 150, 1950, 1500, 315, 0, 5, ""},
    {"pctHidden", ControlKind::PictureBox, nullptr, 0, 2400, 300, 300, 0, 6, "", KeyRole::None,
     false},
};
constexpr FormLayout kForm = {
    "frmTest", "Test form", 3000, 2700, true, kControls, sizeof kControls / sizeof kControls[0]};

// The same without a default or cancel button: Enter reaches the text box, Esc the form.
constexpr ControlLayout kPlainControls[] = {
    {"txtName", ControlKind::TextBox, nullptr, 150, 150, 1500, 300, 0, 0, ""},
    {"cmdGo", ControlKind::Button, nullptr, 150, 600, 1200, 375, 0, 1, "Go"},
};
constexpr FormLayout kPlainForm = {"frmPlain",
                                   "",
                                   3000,
                                   1200,
                                   false,
                                   kPlainControls,
                                   sizeof kPlainControls / sizeof kPlainControls[0]};

// A form that writes down its events and can be told to hide or unload on one of them.
class TestForm : public Form, public ISubclass {
 public:
  explicit TestForm(const FormLayout& layout = kForm) : Form(layout) {}

  std::vector<std::string> events;
  std::string hide_on;            // an event that hides the form
  std::string unload_on;          // an event that unloads it
  bool unload_when_left = false;  // WM_ACTIVATE with WA_INACTIVE unloads it
  int swallow = -1;               // a character KeyPress sets to 0

  LRESULT WindowProc(HWND, UINT msg, WPARAM wParam, LPARAM, bool&) override {
    if (msg == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) {
      events.push_back("Deactivate");
      if (unload_when_left) Unload();
    }
    return 0;
  }

 protected:
  void Form_Load() override {
    Note("Load");
    modSubclass::HookMessage(this, hWnd(), WM_ACTIVATE);
  }
  void Form_Activate() override { Note("Activate"); }
  void Form_Unload() override {
    modSubclass::UnhookMessage(this, hWnd(), WM_ACTIVATE);
    events.push_back("Unload");
  }
  void Click(const std::string& control) override { Note("Click " + control); }
  void Change(const std::string& control) override { Note("Change " + control); }
  void GotFocus(const std::string& control) override { Note("GotFocus " + control); }
  void KeyPress(const std::string& control, int& key) override {
    Note("KeyPress " + control + " " + std::to_string(key));
    if (key == swallow) key = 0;
  }
  void Cancelled() override { Note("Cancelled"); }

 private:
  void Note(const std::string& event) {
    events.push_back(event);
    if (event == hide_on) Hide();
    if (event == unload_on) Unload();
  }
};

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// Keys a user presses while the modal loop runs, posted to the focus window one by one, each
// when the loop has taken the one before; a thread timer posts them.
std::vector<WPARAM> g_keys;
std::size_t g_next_key = 0;
int g_ticks = 0;

void CALLBACK PressNextKey(HWND, UINT, UINT_PTR, DWORD) {
  ++g_ticks;
  if (g_next_key >= g_keys.size()) return;
  const WPARAM key = g_keys[g_next_key++];
  HWND target = GetFocus();
  if (target == nullptr) target = GetActiveWindow();
  PostMessageA(target, WM_KEYDOWN, key, 1);
  PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

// A form that stays up long after the test's last step would hold the test for good: the
// watchdog closes it, and the test fails.
HWND g_watched = nullptr;
int g_watch_ticks = 0;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  if (++g_watch_ticks != 100 || g_watched == nullptr || !IsWindow(g_watched)) return;
  ADD_FAILURE() << "the form did not close";
  PostMessageA(g_watched, WM_CLOSE, 0, 0);
}

// Makes a window active from a thread timer, once.
HWND g_to_activate = nullptr;
void CALLBACK ActivateOnce(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  SetActiveWindow(g_to_activate);
}

class FormTest : public testing::Test {
 protected:
  void SetUp() override {
    g_keys.clear();
    g_next_key = 0;
    g_ticks = 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TarnivoFormTestOwner";
    RegisterClassA(&wc);
    owner = CreateWindowExA(0, wc.lpszClassName, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(owner, nullptr);
    SetActiveWindow(owner);
    g_watch_ticks = 0;
    g_watched = nullptr;
    watchdog = SetTimer(nullptr, 0, 50, Watchdog);
  }
  void TearDown() override {
    KillTimer(nullptr, watchdog);
    if (timer) KillTimer(nullptr, timer);
    form.reset();
    DestroyWindow(owner);
    UnregisterClassA("TarnivoFormTestOwner", GetModuleHandleA(nullptr));
  }

  // Shows `form` modally while the keys are pressed one by one, every 20 ms.
  void ShowModalPressing(std::vector<WPARAM> keys) {
    g_keys = std::move(keys);
    timer = SetTimer(nullptr, 0, 20, PressNextKey);
    form->Load();
    g_watched = form->hWnd();
    form->Show(true);
    KillTimer(nullptr, timer);
    timer = 0;
  }

  HWND owner = nullptr;
  UINT_PTR timer = 0;
  UINT_PTR watchdog = 0;
  std::shared_ptr<TestForm> form = std::make_shared<TestForm>();
};

TEST_F(FormTest, BuildsTheTableAsChildWindowsInTheirContainers) {
  ASSERT_TRUE(form->Load());
  HWND window = form->hWnd();
  EXPECT_EQ(ClassOf(window), "Tarnivo.frmTest");
  EXPECT_EQ(TextOf(window), "Test form");
  EXPECT_FALSE(IsWindowVisible(window));
  RECT client = {};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 200);  // 3000 twips at 96 pixels per inch
  EXPECT_EQ(client.bottom, 180);

  struct Expected {
    const char* name;
    const char* window_class;
    const char* container;
    RECT place;  // in the container's client area
    bool tab_stop;
    const char* text;
  };
  const Expected expected[] = {
      {"txtName", "Edit", "fraEntry", {10, 20, 110, 40}, true, "typed"},
      {"cmdOK", "Button", nullptr, {10, 100, 90, 125}, true, "&OK"},
      {"cmdCancel", "Button", nullptr, {100, 100, 180, 125}, true, "Cancel"},
      {"lblTitle", "Static", nullptr, {0, 0, 200, 13}, false, "Title"},
      {"fraEntry", "Tarnivo.Container", nullptr, {0, 16, 200, 76}, false, "ENTRY"},
  };
  for (const Expected& want : expected) {
    SCOPED_TRACE(want.name);
    HWND control = form->Item(want.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(ClassOf(control), want.window_class);
    HWND container = want.container ? form->Item(want.container) : window;
    EXPECT_EQ(GetParent(control), container);
    const int index = FindControl(kForm, want.name);
    EXPECT_EQ(GetDlgItem(container, ControlId(static_cast<std::size_t>(index))), control);
    EXPECT_EQ(GetDlgCtrlID(control), ControlId(static_cast<std::size_t>(index)));
    RECT rect = {};
    ASSERT_TRUE(GetWindowRect(control, &rect));
    POINT corner = {rect.left, rect.top};
    ScreenToClient(container, &corner);
    EXPECT_EQ(corner.x, want.place.left);
    EXPECT_EQ(corner.y, want.place.top);
    EXPECT_EQ(rect.right - rect.left, want.place.right - want.place.left);
    EXPECT_EQ(rect.bottom - rect.top, want.place.bottom - want.place.top);
    EXPECT_EQ((GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP) != 0, want.tab_stop);
    EXPECT_EQ(form->Text(want.name), want.text);
  }
  EXPECT_FALSE(form->Visible("pctHidden"));
  EXPECT_TRUE(form->Visible("cmdOK"));
  EXPECT_EQ(form->Item("nothing"), nullptr);
  EXPECT_EQ(form->events, (std::vector<std::string>{"Load"}));
}

TEST_F(FormTest, AnswersByNameAndLoadsOnTheFirstTouch) {
  host::Value value;
  ASSERT_TRUE(form->Get("Name", &value));
  EXPECT_EQ(value.text, "frmTest");
  EXPECT_FALSE(form->IsLoaded());  // the name needs no window

  ASSERT_TRUE(form->Put("left", host::Value::Of(std::int32_t{1500})));
  EXPECT_TRUE(form->IsLoaded());
  ASSERT_TRUE(form->Put("TOP", host::Value::Of(std::int32_t{3000})));
  ASSERT_TRUE(form->Get("Left", &value));
  EXPECT_EQ(value.number, 1500);
  ASSERT_TRUE(form->Get("tOp", &value));
  EXPECT_EQ(value.number, 3000);
  RECT rect = {};
  ASSERT_TRUE(GetWindowRect(form->hWnd(), &rect));
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 200);
  ASSERT_TRUE(form->Get("Width", &value));
  EXPECT_EQ(value.number, (rect.right - rect.left) * 15);

  // A control by name, and its members.
  ASSERT_TRUE(form->Get("cboPick", &value));
  ASSERT_EQ(value.kind, host::Value::Kind::Object);
  form->AddItem("cboPick", "first");
  form->AddItem("cboPick", "second");
  ASSERT_TRUE(value.object->Put("ListIndex", host::Value::Of(std::int32_t{1})));
  EXPECT_EQ(form->ListIndex("cboPick"), 1);
  host::Value text;
  ASSERT_TRUE(value.object->Get("Text", &text));
  EXPECT_EQ(text.text, "second");
  EXPECT_FALSE(value.object->Get("NoSuchMember", &text));
  EXPECT_FALSE(form->Get("NoSuchControl", &value));
  EXPECT_FALSE(form->Call("NoSuchMethod", {}, nullptr));

  // One load, however many touches.
  EXPECT_EQ(form->events, (std::vector<std::string>{"Load"}));
}

TEST_F(FormTest, ComboBoxTextSelectsTheEntryThatReadsSoOrNone) {
  form->AddItem("cboPick", "Deutsch");
  form->AddItem("cboPick", "Espa\xF1ol");
  form->SetText("cboPick", "Espa\xF1ol");
  EXPECT_EQ(form->ListIndex("cboPick"), 1);
  EXPECT_EQ(form->Text("cboPick"), "Espa\xF1ol");
  form->SetText("cboPick", "Klingon");
  EXPECT_EQ(form->ListIndex("cboPick"), -1);
  EXPECT_EQ(form->Text("cboPick"), "");
  EXPECT_EQ(form->ListCount("cboPick"), 2);
  form->Clear("cboPick");
  EXPECT_EQ(form->ListCount("cboPick"), 0);
}

TEST_F(FormTest, ModalShowDisablesTheOwnerUntilTheFormHides) {
  form->hide_on = "Click cmdOK";
  ShowModalPressing({VK_RETURN});
  // Hidden, the form is no longer the active window: it hears that too.
  EXPECT_EQ(form->events, (std::vector<std::string>{"Load", "Activate", "GotFocus txtName",
                                                    "Click cmdOK", "Deactivate"}));
  EXPECT_TRUE(form->IsLoaded());
  EXPECT_FALSE(IsWindowVisible(form->hWnd()));
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(form->ShownModally());
}

TEST_F(FormTest, TabWalksTheTabOrderAndEscClicksTheCancelButton) {
  form->unload_on = "Click cmdCancel";
  ShowModalPressing({VK_TAB, VK_TAB, VK_ESCAPE});
  EXPECT_EQ(form->events,
            (std::vector<std::string>{"Load", "Activate", "GotFocus txtName", "GotFocus cmdOK",
                                      "GotFocus cmdCancel", "Click cmdCancel", "Unload"}));
  EXPECT_FALSE(form->IsLoaded());
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_GE(g_ticks, 3);  // the thread's timer ticked inside the loop
}

TEST_F(FormTest, EnterOnAFocusedButtonClicksThatButton) {
  form->hide_on = "Click cmdCancel";
  ShowModalPressing({VK_TAB, VK_TAB, VK_RETURN});
  ASSERT_GE(form->events.size(), 2u);
  EXPECT_EQ(form->events[form->events.size() - 2], "Click cmdCancel");
}

TEST_F(FormTest, WithoutDefaultOrCancelButtonEnterIsATextBoxKeyAndEscTheForms) {
  form = std::make_shared<TestForm>(kPlainForm);
  form->swallow = 13;
  form->hide_on = "Cancelled";
  ShowModalPressing({VK_RETURN, VK_ESCAPE});
  EXPECT_EQ(form->events,
            (std::vector<std::string>{"Load", "Activate", "GotFocus txtName", "KeyPress txtName 13",
                                      "Cancelled", "Deactivate"}));
  EXPECT_EQ(form->Text("txtName"), "");  // the swallowed Enter left nothing behind
}

TEST_F(FormTest, LosingTheActivationReachesTheFormThroughItsHook) {
  form->unload_when_left = true;
  form->events.clear();
  g_keys.clear();
  // The owner is disabled while the form is up; once the form is up another window takes
  // the activation, and the form hears WA_INACTIVE.
  HWND other =
      CreateWindowExA(0, "TarnivoFormTestOwner", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 0,
                      200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetActiveWindow(owner);
  g_to_activate = other;
  SetTimer(nullptr, 0, 20, ActivateOnce);
  form->Load();
  g_watched = form->hWnd();
  form->Show(true);
  EXPECT_FALSE(form->IsLoaded());
  EXPECT_TRUE(IsWindowEnabled(owner));
  ASSERT_GE(form->events.size(), 3u);
  EXPECT_EQ(form->events[form->events.size() - 2], "Deactivate");
  EXPECT_EQ(form->events.back(), "Unload");
  DestroyWindow(other);
}

TEST_F(FormTest, CloseUnloadsAndALaterTouchLoadsAgain) {
  ASSERT_TRUE(form->Load());
  SendMessageA(form->hWnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form->IsLoaded());
  EXPECT_EQ(form->Item("cmdOK"), nullptr);
  EXPECT_EQ(form->Text("cmdOK"), "&OK");  // touched: loaded again, as built
  EXPECT_EQ(form->events, (std::vector<std::string>{"Load", "Unload", "Load"}));
}

}  // namespace
}  // namespace tarnivo::forms
