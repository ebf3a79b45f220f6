// Tests of the Linux back end's own side of the toolbar's platform: the clicks on toolbar
// buttons tests and the scenario runner make, the module's icons and what an image list
// holds, the menu chooser and the menus shown, and the message boxes recorded.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/win32.h"

namespace {

using Lines = std::vector<std::string>;

const char kClass[] = "TarnivoBackendControls";

std::vector<std::string> g_heard;
LRESULT g_drop_down_answer = TBDDRET_DEFAULT;
SHORT g_button_during_drop_down = 0;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    g_heard.push_back("command " + std::to_string(LOWORD(wParam)));
    return 0;
  }
  if (message == WM_NOTIFY) {
    const auto* notice = reinterpret_cast<const NMTOOLBARW*>(lParam);
    if (notice->hdr.code == TBN_DROPDOWN) {
      g_heard.push_back("drop-down " + std::to_string(notice->iItem));
      g_button_during_drop_down = GetAsyncKeyState(VK_LBUTTON);
      return g_drop_down_answer;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Observer lines, kept while a Reports object lives.
class Reports {
 public:
  Reports() {
    backend::SetObserver([this](const std::string& line) { lines_.push_back(line); });
  }
  ~Reports() { backend::SetObserver({}); }
  const Lines& lines() const { return lines_; }

 private:
  Lines lines_;
};

class BackendControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    parent_ = CreateWindowExA(0, kClass, "", WS_POPUP | WS_VISIBLE, 300, 200, 400, 60, nullptr,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
    backend::ResetInput();
    backend::ResetShown();
    g_heard.clear();
    g_drop_down_answer = TBDDRET_DEFAULT;
  }

  void TearDown() override {
    backend::SetMenuChooser({});
    backend::SetModuleIcons({});
    backend::ResetInput();
    DestroyWindow(parent_);
    UnregisterClassA(kClass, nullptr);
  }

  // A toolbar as the band makes it; `arrows`: TBSTYLE_EX_DRAWDDARROWS.
  HWND MakeToolbar(bool arrows) {
    HWND toolbar = CreateToolbarEx(parent_, WS_VISIBLE | 0x9944, 0, 0, nullptr, 0, nullptr, 0, 16,
                                   16, 16, 16, sizeof(TBBUTTON));
    EXPECT_NE(toolbar, nullptr);
    if (arrows) SendMessageA(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    wchar_t text[] = L"&Tarnivo ";
    TBBUTTON buttons[3] = {};
    buttons[0] = TBBUTTON{0,
                          1,
                          TBSTATE_ENABLED,
                          BTNS_DROPDOWN | BTNS_AUTOSIZE,
                          {},
                          0,
                          reinterpret_cast<INT_PTR>(text)};
    buttons[1] = TBBUTTON{160, 0, TBSTATE_PRESSED, BTNS_AUTOSIZE, {}, 0, 0};
    buttons[2] = TBBUTTON{1, 2, TBSTATE_ENABLED, BTNS_AUTOSIZE, {}, 0, 0};
    EXPECT_TRUE(SendMessageA(toolbar, TB_ADDBUTTONSW, 3, reinterpret_cast<LPARAM>(buttons)));
    return toolbar;
  }

  std::vector<std::string> Heard() {
    std::vector<std::string> heard = g_heard;
    g_heard.clear();
    return heard;
  }

  HWND parent_ = nullptr;
};

TEST(BackendToolbar, ButtonRecordMatchesTheWindowsLayout) {
  // commctrl.h of x86_64: 6 reserved bytes, so that dwData is aligned.
  EXPECT_EQ(sizeof(TBBUTTON), sizeof(void*) == 8 ? 32u : 20u);
  EXPECT_EQ(offsetof(TBBUTTON, fsState), 8u);
  EXPECT_EQ(offsetof(TBBUTTON, dwData), sizeof(void*) == 8 ? 16u : 12u);
  EXPECT_EQ(offsetof(NMTOOLBARW, iItem), sizeof(NMHDR));
  EXPECT_EQ(static_cast<int>(TBN_DROPDOWN), -710);
}

TEST_F(BackendControlsTest, ClicksPressButtonsAsAUserWould) {
  HWND toolbar = MakeToolbar(true);
  EXPECT_TRUE(backend::ClickToolbarButton(toolbar, 1));
  EXPECT_EQ(Heard(), Lines{"command 1"});
  // The cursor went to the toolbar and the left button was pressed and released.
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(WindowFromPoint(cursor), toolbar);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 1);

  EXPECT_TRUE(backend::ClickToolbarArrow(toolbar, 1));
  EXPECT_EQ(Heard(), Lines{"drop-down 1"});
  EXPECT_LT(g_button_during_drop_down, 0) << "the button is down while the menu drops";

  EXPECT_TRUE(backend::ClickToolbarButton(toolbar, 2));
  EXPECT_EQ(Heard(), Lines{"command 2"});
  EXPECT_FALSE(backend::ClickToolbarArrow(toolbar, 2)) << "no arrow";
  EXPECT_TRUE(backend::ClickToolbarButton(toolbar, 0)) << "clicked, though not enabled";
  EXPECT_FALSE(backend::ClickToolbarButton(toolbar, 99));
  EXPECT_FALSE(backend::ClickToolbarButton(parent_, 1)) << "not a toolbar";
  EXPECT_EQ(Heard(), Lines{});

  g_drop_down_answer = TBDDRET_TREATPRESSED;
  EXPECT_TRUE(backend::ClickToolbarArrow(toolbar, 1));
  EXPECT_EQ(Heard(), (Lines{"drop-down 1", "command 1"}));
}

TEST_F(BackendControlsTest, WithoutArrowsApartADropDownButtonIsAllArrow) {
  HWND toolbar = MakeToolbar(false);
  EXPECT_TRUE(backend::ClickToolbarArrow(toolbar, 1));
  EXPECT_TRUE(backend::ClickToolbarButton(toolbar, 1));
  EXPECT_EQ(Heard(), (Lines{"drop-down 1", "drop-down 1"}));
}

TEST_F(BackendControlsTest, TextsAreMeasuredWithoutTheirMnemonicMarks) {
  HWND toolbar = CreateToolbarEx(parent_, 0x9944, 0, 0, nullptr, 0, nullptr, 0, 16, 16, 16, 16,
                                 sizeof(TBBUTTON));
  wchar_t plain[] = L"Tarnivo";
  wchar_t marked[] = L"&Tarnivo";
  wchar_t doubled[] = L"A&&B";
  TBBUTTON buttons[4] = {};
  buttons[0] = TBBUTTON{0, 1, TBSTATE_ENABLED, 0, {}, 0, reinterpret_cast<INT_PTR>(plain)};
  buttons[1] = TBBUTTON{0, 2, TBSTATE_ENABLED, 0, {}, 0, reinterpret_cast<INT_PTR>(marked)};
  buttons[2] = TBBUTTON{0, 3, TBSTATE_ENABLED, 0, {}, 0, reinterpret_cast<INT_PTR>(doubled)};
  buttons[3] = TBBUTTON{5, 0, 0, BTNS_SEP, {}, 0, 0};
  ASSERT_TRUE(SendMessageA(toolbar, TB_ADDBUTTONSW, 4, reinterpret_cast<LPARAM>(buttons)));
  const LONG widths[] = {24 + 4 + 7 * 8, 24 + 4 + 7 * 8, 24 + 4 + 3 * 8, 5};
  for (int i = 0; i < 4; ++i) {
    RECT rect{};
    ASSERT_TRUE(SendMessageA(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(i),
                             reinterpret_cast<LPARAM>(&rect)));
    EXPECT_EQ(rect.right - rect.left, widths[i]) << i;
  }
}

TEST_F(BackendControlsTest, ModuleIconsAreTheOnesDeclared) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  backend::SetModuleIcons({101, 102, 103, 104, 105});
  HICON on = LoadIconA(module, MAKEINTRESOURCEA(103));
  HICON count = LoadIconA(module, MAKEINTRESOURCEA(101));
  ASSERT_TRUE(on && count);
  EXPECT_EQ(LoadIconA(module, MAKEINTRESOURCEA(103)), on);
  EXPECT_NE(on, LoadIconA(nullptr, MAKEINTRESOURCEA(103))) << "not a system icon";

  const struct {
    HINSTANCE instance;
    LPCSTR name;
    LONG error;
  } missing[] = {
      {module, MAKEINTRESOURCEA(106), ERROR_RESOURCE_NAME_NOT_FOUND},
      {module, "ICON", ERROR_RESOURCE_NAME_NOT_FOUND},
      {reinterpret_cast<HINSTANCE>(0x10000000), MAKEINTRESOURCEA(103),
       ERROR_RESOURCE_DATA_NOT_FOUND},
  };
  for (const auto& m : missing) {
    SetLastError(0);
    EXPECT_EQ(LoadIconA(m.instance, m.name), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(m.error));
  }

  HIMAGELIST list = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR8, 1, 1);
  EXPECT_EQ(backend::ImageListIconIds(list), std::vector<int>{});
  ImageList_ReplaceIcon(list, -1, on);
  ImageList_ReplaceIcon(list, -1, count);
  EXPECT_EQ(backend::ImageListIconIds(list), (std::vector<int>{103, 101}));
  ImageList_ReplaceIcon(list, 1, LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_EQ(backend::ImageListIconIds(list), (std::vector<int>{103, 32512}));
  EXPECT_EQ(ImageList_ReplaceIcon(list, 2, on), -1) << "past the last image";
  ImageList_Destroy(list);
  EXPECT_EQ(backend::ImageListIconIds(list), std::vector<int>{});

  // An icon loaded stays loaded when the module's table changes.
  backend::SetModuleIcons({});
  HIMAGELIST again = ImageList_Create(16, 16, ILC_MASK, 1, 1);
  EXPECT_EQ(ImageList_ReplaceIcon(again, -1, on), 0);
  EXPECT_EQ(backend::ImageListIconIds(again), std::vector<int>{103});
  ImageList_Destroy(again);
  SetLastError(0);
  EXPECT_FALSE(DestroyIcon(reinterpret_cast<HICON>(0x12345)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_CURSOR_HANDLE));
}

TEST_F(BackendControlsTest, TheChooserSeesEachMenuShown) {
  HMENU sub = CreatePopupMenu();
  HMENU menu = CreatePopupMenu();
  AppendMenuA(sub, MF_STRING, 21, "Inner");
  AppendMenuA(sub, MF_STRING | MF_DISABLED, 22, "Off");
  AppendMenuA(menu, MF_STRING, 7, "&Seven");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | MF_CHECKED, 8, "Say \"8\"");
  AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&More");
  const Lines captions{"&Seven", "-", "Say \"8\" [x]", "&More"};

  EXPECT_EQ(backend::MenusShown(), 0);
  EXPECT_EQ(backend::LastMenuShown(), Lines{});
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 5, 6, 0, parent_, nullptr), 0) << "no chooser";
  EXPECT_EQ(backend::LastMenuShown(), captions);

  HMENU seen = nullptr;
  POINT where{};
  UINT flags = 0;
  UINT answer = 0;
  backend::SetMenuChooser([&](HMENU shown, int x, int y, UINT how) {
    seen = shown;
    where = POINT{x, y};
    flags = how;
    return answer;
  });
  const struct {
    UINT answer;
    BOOL result;
    const char* line;
  } cases[] = {
      {21, 21, R"(menu at 40,50: "&Seven" - "Say \"8\" [x]" "&More" -> 21)"},
      {8, 8, R"(menu at 40,50: "&Seven" - "Say \"8\" [x]" "&More" -> 8)"},
      {22, 0, R"(menu at 40,50: "&Seven" - "Say \"8\" [x]" "&More" -> none)"},
      {99, 0, R"(menu at 40,50: "&Seven" - "Say \"8\" [x]" "&More" -> none)"},
      {0, 0, R"(menu at 40,50: "&Seven" - "Say \"8\" [x]" "&More" -> none)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    answer = c.answer;
    Reports reports;
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_VERTICAL, 40, 50, 0, parent_, nullptr),
              c.result);
    EXPECT_EQ(seen, menu);
    EXPECT_EQ(where.x, 40);
    EXPECT_EQ(where.y, 50);
    EXPECT_EQ(flags, TPM_RETURNCMD | TPM_VERTICAL);
    ASSERT_FALSE(reports.lines().empty());
    EXPECT_EQ(reports.lines().back(), c.line);
    EXPECT_EQ(reports.lines().size(), static_cast<BOOL>(c.answer) == c.result ? 1u : 2u)
        << "a choice that cannot be made is reported";
  }
  EXPECT_EQ(backend::MenusShown(), 6);
  EXPECT_EQ(backend::LastMenuShown(), captions);
  backend::ResetShown();
  EXPECT_EQ(backend::MenusShown(), 0);
  EXPECT_EQ(backend::LastMenuShown(), Lines{});
  DestroyMenu(menu);
}

TEST_F(BackendControlsTest, MessageBoxesAreRecordedAndAnsweredAtOnce) {
  EXPECT_EQ(backend::MessageBoxes(), 0);
  EXPECT_EQ(backend::LastMessageBox().text, "");
  const struct {
    UINT type;
    int answer;
  } cases[] = {
      {MB_OK, IDOK},
      {MB_OK | MB_ICONEXCLAMATION, IDOK},
      {MB_OKCANCEL, IDOK},
      {MB_YESNO, IDYES},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
      {MB_RETRYCANCEL | MB_DEFBUTTON3, IDRETRY},  // no third button: the first
      {MB_ABORTRETRYIGNORE, IDABORT},
      {MB_CANCELTRYCONTINUE | MB_DEFBUTTON2, IDTRYAGAIN},
  };
  int shown = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(MessageBoxA(parent_, "Text", "Title", c.type), c.answer);
    EXPECT_EQ(backend::MessageBoxes(), ++shown);
    EXPECT_EQ(backend::LastMessageBox().type, c.type);
    EXPECT_EQ(backend::LastMessageBox().answer, c.answer);
  }

  Reports reports;
  EXPECT_EQ(
      MessageBoxA(nullptr, "Blocked a total of 5 popups!!", "Tarnivo", MB_OK | MB_ICONEXCLAMATION),
      IDOK);
  EXPECT_EQ(reports.lines(),
            Lines{R"(message box "Blocked a total of 5 popups!!" title "Tarnivo" type 0x30 -> 1)"});
  EXPECT_EQ(MessageBoxA(parent_, "sem foco", nullptr, MB_OK), IDOK);
  const backend::MessageBoxShown last = backend::LastMessageBox();
  EXPECT_EQ(last.text, "sem foco");
  EXPECT_EQ(last.caption, "Error") << "the default title";
  EXPECT_EQ(MessageBoxA(parent_, nullptr, "T", MB_OK), IDOK);
  EXPECT_EQ(backend::LastMessageBox().text, "");
  EXPECT_EQ(backend::MessageBoxes(), shown + 3);

  // Not shown: an owner that is gone, a type without buttons.
  HWND gone =
      CreateWindowExA(0, kClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  SetLastError(0);
  EXPECT_EQ(MessageBoxA(gone, "x", "y", MB_OK), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(MessageBoxA(parent_, "x", "y", 0x7), 0);
  EXPECT_EQ(backend::MessageBoxes(), shown + 3);

  backend::ResetShown();
  EXPECT_EQ(backend::MessageBoxes(), 0);
  EXPECT_EQ(backend::LastMessageBox().caption, "");
}

}  // namespace

#endif  // _WIN32
