// Conformance of TrackPopupMenu: the command chosen comes back as the answer with
// TPM_RETURNCMD and as a posted WM_COMMAND without it, a grayed item or a dismissed menu
// chooses nothing, the owner hears the menu open and close, and bad arguments fail. The
// same tests run against Wine's user32 (null display driver) and the Linux back end.
//
// The user's choice: under Wine the menu is modal and waits for input, so a thread timer
// that fires inside its loop posts the keys a user would press (Down to the item, Enter;
// or Escape). On Linux the back end's menu chooser gives the answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"

#ifndef _WIN32
#include "platform/linux/backend.h"
#endif

namespace {

const char kClass[] = "TarnivoTestMenuOwner";

std::vector<std::string> g_heard;
HWND g_owner = nullptr;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ENTERMENULOOP:
      g_heard.push_back("enter " + std::to_string(wParam));
      break;
    case WM_INITMENUPOPUP:
      g_heard.push_back("init");
      break;
    case WM_UNINITMENUPOPUP:
      g_heard.push_back("uninit");
      break;
    case WM_EXITMENULOOP:
      g_heard.push_back("exit " + std::to_string(wParam));
      break;
    case WM_COMMAND:
      g_heard.push_back("command " + std::to_string(wParam) + " " + std::to_string(lParam));
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

#ifdef _WIN32
std::vector<WPARAM> g_keys;

void CALLBACK PressKeys(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  for (WPARAM key : g_keys) PostMessageA(g_owner, WM_KEYDOWN, key, 0);
}
#endif

// The user will choose the item at `position` of the next menu shown, or close it without
// a choice when `position` is negative.
void Answer(HMENU menu, int position) {
#ifdef _WIN32
  g_keys.clear();
  if (position < 0) {
    g_keys.push_back(VK_ESCAPE);
  } else {
    // Down moves from item to item, over separators; the first Down selects the first item.
    for (int i = 0; i <= position; ++i) {
      if ((GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) == 0) {
        g_keys.push_back(VK_DOWN);
      }
    }
    g_keys.push_back(VK_RETURN);
  }
  SetTimer(nullptr, 0, 50, PressKeys);
#else
  const UINT id = position < 0 ? 0 : GetMenuItemID(menu, position);
  backend::SetMenuChooser([id](HMENU, int, int, UINT) { return id; });
#endif
}

// The messages waiting for this thread, dispatched.
void DispatchPosted() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

class PopupMenuTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    g_owner = CreateWindowExA(0, kClass, "", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr,
                              nullptr, wc.hInstance, nullptr);
    ASSERT_NE(g_owner, nullptr);
    menu_ = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuA(menu_, MF_STRING, 7, "&Seven"));
    ASSERT_TRUE(AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuA(menu_, MF_STRING | MF_GRAYED, 9, "Nine"));
    ASSERT_TRUE(AppendMenuA(menu_, MF_STRING | MF_CHECKED, 8, "&Eight"));
    DispatchPosted();
    g_heard.clear();
  }

  void TearDown() override {
#ifndef _WIN32
    backend::SetMenuChooser({});
#endif
    DestroyMenu(menu_);
    DestroyWindow(g_owner);
    UnregisterClassA(kClass, GetModuleHandleA(nullptr));
  }

  // What the owner heard, with the posted messages dispatched.
  std::vector<std::string> Heard() {
    DispatchPosted();
    std::vector<std::string> heard = g_heard;
    g_heard.clear();
    return heard;
  }

  using Lines = std::vector<std::string>;

  HMENU menu_ = nullptr;
};

TEST_F(PopupMenuTest, ReturnCmdAnswersTheCommandChosen) {
  const struct {
    int position;
    BOOL answer;
  } cases[] = {
      {0, 7},
      {3, 8},
      {2, 0},   // grayed
      {-1, 0},  // dismissed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.position);
    Answer(menu_, c.position);
    EXPECT_EQ(TrackPopupMenu(menu_, TPM_RETURNCMD, 10, 20, 0, g_owner, nullptr), c.answer);
    EXPECT_EQ(Heard(), (Lines{"enter 1", "init", "uninit", "exit 1"})) << "no WM_COMMAND";
  }
}

TEST_F(PopupMenuTest, WithoutReturnCmdTheCommandIsPosted) {
  Answer(menu_, 3);
  EXPECT_TRUE(TrackPopupMenu(menu_, TPM_VERTICAL, 10, 20, 0, g_owner, nullptr));
  EXPECT_EQ(g_heard, (Lines{"enter 1", "init", "uninit", "exit 1"})) << "not sent";
  EXPECT_EQ(Heard(), (Lines{"enter 1", "init", "uninit", "exit 1", "command 8 0"}));

  Answer(menu_, -1);
  EXPECT_TRUE(TrackPopupMenu(menu_, TPM_VERTICAL, 10, 20, 0, g_owner, nullptr))
      << "a menu closed without a choice still succeeds";
  EXPECT_EQ(Heard(), (Lines{"enter 1", "init", "uninit", "exit 1"}));
}

TEST_F(PopupMenuTest, BadArgumentsShowNoMenu) {
  HMENU empty = CreatePopupMenu();
  EXPECT_FALSE(TrackPopupMenu(empty, TPM_RETURNCMD, 0, 0, 0, g_owner, nullptr));
  EXPECT_FALSE(TrackPopupMenu(empty, 0, 0, 0, 0, g_owner, nullptr));
  DestroyMenu(empty);

  SetLastError(0);
  EXPECT_FALSE(TrackPopupMenu(empty, TPM_RETURNCMD, 0, 0, 0, g_owner, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
  SetLastError(0);
  EXPECT_FALSE(TrackPopupMenu(menu_, TPM_RETURNCMD, 0, 0, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  HWND gone = CreateWindowExA(0, kClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(DestroyWindow(gone));
  SetLastError(0);
  EXPECT_FALSE(TrackPopupMenu(menu_, 0, 0, 0, 0, gone, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  // Only the empty menu was opened, and it closed at once, twice.
  const Lines once{"enter 1", "init", "exit 1", "uninit"};
  Lines twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(Heard(), twice);
}

}  // namespace
