// Conformance of the toolbar common control: CreateToolbarEx, buttons added with
// TB_ADDBUTTONSW and read back, their states, rectangles and image list, and what a left
// button press on a button or on its drop-down arrow tells the parent window. The same
// tests run against Wine's comctl32 (null display driver) and the Linux back end; the
// pixels of a button are each implementation's own, so the tests look at the order and
// the relations of the rectangles, not their widths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

const char kParentClass[] = "TarnivoTestToolbarParent";
constexpr DWORD kBandToolbarStyle = 0x9944;  // list, flat, transparent, tooltips, no divider

// What the parent heard: WM_COMMAND, or WM_NOTIFY with TBN_DROPDOWN.
struct Heard {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  HWND from;
  UINT_PTR id;
  int item;
  RECT button;
};

std::vector<Heard> g_heard;
LRESULT g_drop_down_answer = TBDDRET_DEFAULT;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    g_heard.push_back(Heard{message, wParam, lParam, nullptr, 0, 0, RECT{}});
    return 0;
  }
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == TBN_DROPDOWN) {
      const auto* notice = reinterpret_cast<const NMTOOLBARA*>(lParam);
      g_heard.push_back(Heard{message, wParam, 0, header->hwndFrom, header->idFrom, notice->iItem,
                              notice->rcButton});
      return g_drop_down_answer;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

void DispatchPosted() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// A left button press at `down` and its release at `up`, in the toolbar's coordinates.
void Press(HWND toolbar, POINT down, POINT up) {
  SendMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
  DispatchPosted();
  SendMessageA(toolbar, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
  DispatchPosted();
}

class ToolbarTest : public testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = ICC_BAR_CLASSES;
    ASSERT_TRUE(InitCommonControlsEx(&init));
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kParentClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    parent_ = CreateWindowExA(0, kParentClass, "", WS_POPUP | WS_VISIBLE, 100, 50, 400, 100,
                              nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(parent_, nullptr);
    // As the band makes it: no bitmaps, no buttons, 16 x 16 buttons and bitmaps.
    toolbar_ = CreateToolbarEx(parent_, WS_VISIBLE | kBandToolbarStyle, 0, 0, nullptr, 0, nullptr,
                               0, 16, 16, 16, 16, sizeof(TBBUTTON));
    ASSERT_NE(toolbar_, nullptr);
    g_heard.clear();
    g_drop_down_answer = TBDDRET_DEFAULT;
  }

  void TearDown() override {
    DestroyWindow(parent_);
    UnregisterClassA(kParentClass, GetModuleHandleA(nullptr));
  }

  // The band's three buttons: the main button with its text and drop-down arrow, the
  // placeholder (pressed, not enabled) and the count button.
  LRESULT AddBandButtons() {
    TBBUTTON buttons[3] = {};
    buttons[0].iBitmap = 0;
    buttons[0].idCommand = 1;
    buttons[0].fsState = TBSTATE_ENABLED;
    buttons[0].fsStyle = BTNS_DROPDOWN | BTNS_AUTOSIZE;
    buttons[0].iString = reinterpret_cast<INT_PTR>(text_);
    buttons[1].iBitmap = 160;
    buttons[1].idCommand = 0;
    buttons[1].fsState = TBSTATE_PRESSED;
    buttons[1].fsStyle = BTNS_AUTOSIZE;
    buttons[2].iBitmap = 1;
    buttons[2].idCommand = 2;
    buttons[2].fsState = TBSTATE_ENABLED;
    buttons[2].fsStyle = BTNS_AUTOSIZE;
    return SendMessageA(toolbar_, TB_ADDBUTTONSW, 3, reinterpret_cast<LPARAM>(buttons));
  }

  RECT ItemRect(int index) {
    RECT rect{-1, -1, -1, -1};
    EXPECT_TRUE(SendMessageA(toolbar_, TB_GETITEMRECT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(&rect)))
        << index;
    return rect;
  }

  LRESULT State(int command) {
    return SendMessageA(toolbar_, TB_GETSTATE, static_cast<WPARAM>(command), 0);
  }

  HWND parent_ = nullptr;
  HWND toolbar_ = nullptr;
  wchar_t text_[16] = L"&Tarnivo ";
};

TEST_F(ToolbarTest, CreateToolbarExMakesAToolbarInsideItsParent) {
  EXPECT_EQ(GetParent(toolbar_), parent_);
  char name[64] = {};
  GetClassNameA(toolbar_, name, sizeof name);
  EXPECT_STREQ(name, TOOLBARCLASSNAMEA);
  EXPECT_EQ(SendMessageA(toolbar_, TB_BUTTONCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageA(toolbar_, TB_GETIMAGELIST, 0, 0), 0);
  RECT rect{};
  EXPECT_FALSE(SendMessageA(toolbar_, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rect)));
  // It sits at the parent's top-left corner.
  POINT corner{0, 0};
  ASSERT_TRUE(ClientToScreen(toolbar_, &corner));
  EXPECT_EQ(corner.x, 100);
  EXPECT_EQ(corner.y, 50);

  // The class makes toolbars with CreateWindowExA too.
  HWND direct = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, WS_CHILD | kBandToolbarStyle, 0, 0,
                                50, 20, parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(direct, nullptr);
  EXPECT_EQ(SendMessageA(direct, TB_BUTTONCOUNT, 0, 0), 0);
  EXPECT_TRUE(DestroyWindow(direct));

  // No toolbar without a parent.
  HWND gone = CreateWindowExA(0, kParentClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(DestroyWindow(gone));
  EXPECT_EQ(CreateToolbarEx(gone, kBandToolbarStyle, 0, 0, nullptr, 0, nullptr, 0, 16, 16, 16, 16,
                            sizeof(TBBUTTON)),
            nullptr);
}

TEST_F(ToolbarTest, ButtonsReadBackAsAddedWithTheirTextCopied) {
  EXPECT_TRUE(AddBandButtons());
  // The toolbar keeps its own copy of the text.
  text_[1] = L'X';
  ASSERT_EQ(SendMessageA(toolbar_, TB_BUTTONCOUNT, 0, 0), 3);
  const struct {
    int iBitmap;
    int idCommand;
    BYTE fsState;
    BYTE fsStyle;
    const wchar_t* text;
  } expected[] = {
      {0, 1, TBSTATE_ENABLED, BTNS_DROPDOWN | BTNS_AUTOSIZE, L"&Tarnivo "},
      {160, 0, TBSTATE_PRESSED, BTNS_AUTOSIZE, nullptr},
      {1, 2, TBSTATE_ENABLED, BTNS_AUTOSIZE, nullptr},
  };
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    TBBUTTON button{};
    ASSERT_TRUE(SendMessageA(toolbar_, TB_GETBUTTON, static_cast<WPARAM>(i),
                             reinterpret_cast<LPARAM>(&button)));
    EXPECT_EQ(button.iBitmap, expected[i].iBitmap);
    EXPECT_EQ(button.idCommand, expected[i].idCommand);
    EXPECT_EQ(button.fsState, expected[i].fsState);
    EXPECT_EQ(button.fsStyle, expected[i].fsStyle);
    EXPECT_EQ(button.dwData, 0u);
    if (expected[i].text != nullptr) {
      ASSERT_NE(button.iString, 0);
      EXPECT_NE(button.iString, reinterpret_cast<INT_PTR>(text_));
      EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(button.iString)),
                std::wstring(expected[i].text));
    } else {
      EXPECT_EQ(button.iString, 0);
    }
  }
  TBBUTTON none{};
  EXPECT_FALSE(SendMessageA(toolbar_, TB_GETBUTTON, 3, reinterpret_cast<LPARAM>(&none)));
  EXPECT_EQ(SendMessageA(toolbar_, TB_COMMANDTOINDEX, 2, 0), 2);
  EXPECT_EQ(SendMessageA(toolbar_, TB_COMMANDTOINDEX, 0, 0), 1);
  EXPECT_EQ(SendMessageA(toolbar_, TB_COMMANDTOINDEX, 99, 0), -1);
}

TEST_F(ToolbarTest, PressButtonChangesOnlyThePressedState) {
  ASSERT_TRUE(AddBandButtons());
  const struct {
    int command;
    int press;
    LRESULT answer;
    LRESULT state;
  } steps[] = {
      {1, 1, TRUE, TBSTATE_ENABLED | TBSTATE_PRESSED},
      {1, 1, TRUE, TBSTATE_ENABLED | TBSTATE_PRESSED},
      {1, 0, TRUE, TBSTATE_ENABLED},
      {0, 0, TRUE, 0},  // the placeholder, pressed but not enabled
      {0, 1, TRUE, TBSTATE_PRESSED},
      {2, 1, TRUE, TBSTATE_ENABLED | TBSTATE_PRESSED},
      {2, 0, TRUE, TBSTATE_ENABLED},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(std::to_string(step.command) + " press " + std::to_string(step.press));
    const WPARAM command = static_cast<WPARAM>(step.command);
    EXPECT_EQ(SendMessageA(toolbar_, TB_PRESSBUTTON, command, MAKELPARAM(step.press, 0)),
              step.answer);
    EXPECT_EQ(State(step.command), step.state);
    EXPECT_EQ(SendMessageA(toolbar_, TB_ISBUTTONPRESSED, command, 0) != 0, step.press != 0);
  }
  EXPECT_EQ(State(1), TBSTATE_ENABLED) << "other buttons keep their state";
  // A command no button has.
  EXPECT_FALSE(SendMessageA(toolbar_, TB_PRESSBUTTON, 99, MAKELPARAM(1, 0)));
  EXPECT_EQ(State(99), -1);
  EXPECT_EQ(SendMessageA(toolbar_, TB_ISBUTTONPRESSED, 99, 0), -1);
}

TEST_F(ToolbarTest, SetStateAndEnableButtonChangeTheState) {
  ASSERT_TRUE(AddBandButtons());
  EXPECT_TRUE(SendMessageA(toolbar_, TB_ENABLEBUTTON, 2, MAKELPARAM(FALSE, 0)));
  EXPECT_EQ(State(2), 0);
  EXPECT_EQ(SendMessageA(toolbar_, TB_ISBUTTONENABLED, 2, 0), 0);
  EXPECT_TRUE(SendMessageA(toolbar_, TB_ENABLEBUTTON, 2, MAKELPARAM(TRUE, 0)));
  EXPECT_NE(SendMessageA(toolbar_, TB_ISBUTTONENABLED, 2, 0), 0);
  EXPECT_TRUE(
      SendMessageA(toolbar_, TB_SETSTATE, 0, MAKELPARAM(TBSTATE_ENABLED | TBSTATE_CHECKED, 0)));
  EXPECT_EQ(State(0), TBSTATE_ENABLED | TBSTATE_CHECKED);
  EXPECT_FALSE(SendMessageA(toolbar_, TB_SETSTATE, 99, MAKELPARAM(TBSTATE_ENABLED, 0)));
  EXPECT_FALSE(SendMessageA(toolbar_, TB_ENABLEBUTTON, 99, MAKELPARAM(TRUE, 0)));
  EXPECT_EQ(SendMessageA(toolbar_, TB_ISBUTTONENABLED, 99, 0), -1);
}

TEST_F(ToolbarTest, ItemRectsRunLeftToRight) {
  ASSERT_EQ(SendMessageA(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS), 0);
  ASSERT_TRUE(AddBandButtons());
  RECT rects[3];
  for (int i = 0; i < 3; ++i) rects[i] = ItemRect(i);
  EXPECT_EQ(rects[0].left, 0);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(std::to_string(i) + ": " + Show(rects[i]));
    EXPECT_EQ(rects[i].top, 0);
    EXPECT_EQ(rects[i].bottom, 22);
    EXPECT_GT(rects[i].right, rects[i].left);
    if (i > 0) {
      EXPECT_EQ(rects[i].left, rects[i - 1].right);
    }
  }
  // The main button holds a text and an arrow; the other two are alike.
  EXPECT_GT(rects[0].right - rects[0].left, rects[2].right - rects[2].left);
  EXPECT_EQ(rects[1].right - rects[1].left, rects[2].right - rects[2].left);
  RECT none{};
  EXPECT_FALSE(SendMessageA(toolbar_, TB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&none)));
}

TEST_F(ToolbarTest, ImageListAndExtendedStyleAnswerThePreviousOne) {
  HIMAGELIST first = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR8, 1, 1);
  HIMAGELIST second = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR8, 1, 1);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(SendMessageA(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(first)), 0);
  EXPECT_EQ(SendMessageA(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(second)),
            reinterpret_cast<LRESULT>(first));
  EXPECT_EQ(SendMessageA(toolbar_, TB_GETIMAGELIST, 0, 0), reinterpret_cast<LRESULT>(second));
  // The toolbar does not own its lists: the one handed back is still usable.
  EXPECT_EQ(ImageList_GetImageCount(first), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(first, -1, LoadIconA(nullptr, IDI_APPLICATION)), 0);
  EXPECT_EQ(SendMessageA(toolbar_, TB_SETIMAGELIST, 0, 0), reinterpret_cast<LRESULT>(second));
  EXPECT_TRUE(ImageList_Destroy(first));
  EXPECT_TRUE(ImageList_Destroy(second));

  EXPECT_EQ(SendMessageA(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS), 0);
  EXPECT_EQ(SendMessageA(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS),
            TBSTYLE_EX_DRAWDDARROWS);
  EXPECT_EQ(SendMessageA(toolbar_, TB_GETEXTENDEDSTYLE, 0, 0), TBSTYLE_EX_DRAWDDARROWS);
  // A mask changes only its own bits.
  EXPECT_EQ(SendMessageA(toolbar_, TB_SETEXTENDEDSTYLE, TBSTYLE_EX_MIXEDBUTTONS,
                         TBSTYLE_EX_MIXEDBUTTONS | TBSTYLE_EX_HIDECLIPPEDBUTTONS),
            TBSTYLE_EX_DRAWDDARROWS);
  EXPECT_EQ(SendMessageA(toolbar_, TB_SETEXTENDEDSTYLE, TBSTYLE_EX_DRAWDDARROWS, 0),
            TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
  EXPECT_EQ(SendMessageA(toolbar_, TB_GETEXTENDEDSTYLE, 0, 0), TBSTYLE_EX_MIXEDBUTTONS);
}

TEST_F(ToolbarTest, APressTellsTheParent) {
  ASSERT_EQ(SendMessageA(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS), 0);
  ASSERT_TRUE(AddBandButtons());
  const RECT main = ItemRect(0);
  const RECT placeholder = ItemRect(1);
  const RECT count = ItemRect(2);
  const LONG middle = (main.top + main.bottom) / 2;
  const POINT face{main.left + 6, middle};
  const POINT arrow{main.right - 4, middle};
  const POINT count_middle{(count.left + count.right) / 2, middle};
  const POINT placeholder_middle{(placeholder.left + placeholder.right) / 2, middle};
  const LPARAM toolbar = reinterpret_cast<LPARAM>(toolbar_);

  Press(toolbar_, face, face);
  ASSERT_EQ(g_heard.size(), 1u);
  EXPECT_EQ(g_heard[0].message, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(g_heard[0].wParam, MAKEWPARAM(1, 0));
  EXPECT_EQ(g_heard[0].lParam, toolbar);

  g_heard.clear();
  Press(toolbar_, arrow, arrow);
  ASSERT_EQ(g_heard.size(), 1u) << "the arrow sends no command";
  EXPECT_EQ(g_heard[0].message, static_cast<UINT>(WM_NOTIFY));
  EXPECT_EQ(g_heard[0].from, toolbar_);
  EXPECT_EQ(g_heard[0].id, 0u);
  EXPECT_EQ(g_heard[0].wParam, 0u);
  EXPECT_EQ(g_heard[0].item, 1);
  EXPECT_EQ(Show(g_heard[0].button), Show(main));

  g_heard.clear();
  Press(toolbar_, count_middle, count_middle);
  ASSERT_EQ(g_heard.size(), 1u);
  EXPECT_EQ(g_heard[0].message, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(g_heard[0].wParam, MAKEWPARAM(2, 0));
  EXPECT_EQ(g_heard[0].lParam, toolbar);
  EXPECT_EQ(State(2), TBSTATE_ENABLED) << "not left pressed";

  g_heard.clear();
  Press(toolbar_, placeholder_middle, placeholder_middle);
  EXPECT_TRUE(g_heard.empty()) << "a button that is not enabled does nothing";
  Press(toolbar_, count_middle, face);
  EXPECT_TRUE(g_heard.empty()) << "released off the button: no command";
  EXPECT_EQ(State(2), TBSTATE_ENABLED);
  EXPECT_EQ(State(1), TBSTATE_ENABLED);
}

TEST_F(ToolbarTest, WithoutAnArrowApartTheWholeDropDownButtonDropsDown) {
  ASSERT_TRUE(AddBandButtons());
  const RECT main = ItemRect(0);
  const POINT middle{(main.left + main.right) / 2, (main.top + main.bottom) / 2};
  Press(toolbar_, middle, middle);
  ASSERT_EQ(g_heard.size(), 1u);
  EXPECT_EQ(g_heard[0].message, static_cast<UINT>(WM_NOTIFY));
  EXPECT_EQ(g_heard[0].item, 1);
}

TEST_F(ToolbarTest, DropDownAnsweredTreatPressedActsAsAPress) {
  ASSERT_EQ(SendMessageA(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS), 0);
  ASSERT_TRUE(AddBandButtons());
  const RECT main = ItemRect(0);
  const POINT arrow{main.right - 4, (main.top + main.bottom) / 2};
  g_drop_down_answer = TBDDRET_TREATPRESSED;
  Press(toolbar_, arrow, arrow);
  ASSERT_EQ(g_heard.size(), 2u);
  EXPECT_EQ(g_heard[0].message, static_cast<UINT>(WM_NOTIFY));
  EXPECT_EQ(g_heard[1].message, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(g_heard[1].wParam, MAKEWPARAM(1, 0));
}

}  // namespace
