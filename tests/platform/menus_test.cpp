// Conformance of menus: items with captions, separators, check marks, states and
// submenus, the search by command, GetMenuStringA and the menu item information, and the
// menu bar of a window. The same tests run against Wine's user32 and the Linux back end.
//
// When a caption does not fit, Wine's GetMenuStringA and GetMenuItemInfoA leave the
// buffer without its terminating NUL; these tests check the bytes copied and the count,
// and the Linux back end's own tests check the NUL it writes, as Windows does.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

constexpr UINT kNoItem = 0xFFFFFFFFu;
constexpr UINT kSeparatorState = MF_SEPARATOR | MF_GRAYED | MF_DISABLED;

// A pop-up menu as the toolbar's: a caption with a shortcut, a separator, a checked item,
// a submenu and a disabled item.
class MenuTest : public testing::Test {
 protected:
  void SetUp() override {
    sub_ = CreatePopupMenu();
    menu_ = CreatePopupMenu();
    ASSERT_TRUE(sub_ && menu_);
    ASSERT_TRUE(AppendMenuA(sub_, MF_STRING | MF_GRAYED, 11, "&Sub item"));
    ASSERT_TRUE(AppendMenuA(sub_, MF_STRING, 12, "Two"));
    ASSERT_TRUE(AppendMenuA(menu_, MF_STRING, 1, "&Block popups\tCtrl+B"));
    ASSERT_TRUE(AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuA(menu_, MF_STRING | MF_CHECKED, 2, "Play &sound"));
    ASSERT_TRUE(AppendMenuA(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(sub_), "&More"));
    ASSERT_TRUE(AppendMenuA(menu_, MF_STRING | MF_DISABLED, 3, "Off"));
  }

  void TearDown() override {
    if (GetMenuItemCount(menu_) >= 0) DestroyMenu(menu_);
  }

  HMENU menu_ = nullptr;
  HMENU sub_ = nullptr;
};

std::string Caption(HMENU menu, UINT item, UINT flags) {
  char buffer[128];
  int length = GetMenuStringA(menu, item, buffer, sizeof buffer, flags);
  return std::string(buffer, static_cast<std::size_t>(length));
}

TEST_F(MenuTest, ItemsReadBackAsAppended) {
  EXPECT_EQ(GetMenuItemCount(menu_), 5);
  const struct {
    int position;
    UINT id;
    UINT state;
    const char* caption;
  } items[] = {
      {0, 1, 0, "&Block popups\tCtrl+B"},
      {1, 0, kSeparatorState, ""},
      {2, 2, MF_CHECKED, "Play &sound"},
      {3, kNoItem, (2u << 8) | MF_POPUP, "&More"},  // two items in the submenu
      {4, 3, MF_DISABLED, "Off"},
  };
  for (const auto& item : items) {
    SCOPED_TRACE(item.position);
    const UINT position = static_cast<UINT>(item.position);
    EXPECT_EQ(GetMenuItemID(menu_, item.position), item.id);
    EXPECT_EQ(GetMenuState(menu_, position, MF_BYPOSITION), item.state);
    EXPECT_EQ(Caption(menu_, position, MF_BYPOSITION), item.caption);
    EXPECT_EQ(GetSubMenu(menu_, item.position), item.position == 3 ? sub_ : nullptr);
  }
  // By command, items inside submenus are found too.
  EXPECT_EQ(GetMenuState(menu_, 11, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(Caption(menu_, 12, MF_BYCOMMAND), "Two");
  EXPECT_EQ(GetMenuState(menu_, 99, MF_BYCOMMAND), kNoItem);
  EXPECT_EQ(GetMenuItemID(menu_, 5), kNoItem);
  EXPECT_EQ(GetMenuItemID(menu_, -1), kNoItem);
  EXPECT_EQ(GetSubMenu(menu_, 9), nullptr);

  // A string item without a string is a separator.
  ASSERT_TRUE(AppendMenuA(menu_, MF_STRING, 20, nullptr));
  EXPECT_EQ(GetMenuState(menu_, 5, MF_BYPOSITION), kSeparatorState);

  // Destroying a menu destroys its submenus.
  EXPECT_TRUE(DestroyMenu(menu_));
  EXPECT_EQ(GetMenuItemCount(menu_), -1);
  EXPECT_EQ(GetMenuItemCount(sub_), -1);
  EXPECT_FALSE(DestroyMenu(menu_));
  EXPECT_EQ(GetMenuItemCount(nullptr), -1);
  EXPECT_EQ(GetMenuItemID(menu_, 0), kNoItem);
}

TEST_F(MenuTest, GetMenuStringCopiesWhatFits) {
  const struct {
    UINT item;
    UINT flags;
    int room;  // 0: no buffer, the length is asked
    int answer;
  } cases[] = {
      {3, MF_BYPOSITION, 0, 5},  {3, MF_BYPOSITION, 1, 0}, {3, MF_BYPOSITION, 4, 3},
      {3, MF_BYPOSITION, 5, 4},  {3, MF_BYPOSITION, 6, 5}, {3, MF_BYPOSITION, 64, 5},
      {12, MF_BYCOMMAND, 64, 3}, {12, MF_BYCOMMAND, 2, 1}, {1, MF_BYPOSITION, 64, 0},
      {99, MF_BYCOMMAND, 64, 0}, {11, MF_BYCOMMAND, 0, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.item) + " room " + std::to_string(c.room));
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    const int answer =
        GetMenuStringA(menu_, c.item, c.room > 0 ? buffer : nullptr, c.room, c.flags);
    EXPECT_EQ(answer, c.answer);
    if (c.room == 0 || c.answer == 0) continue;
    char full[64];
    GetMenuStringA(menu_, c.item, full, sizeof full, c.flags);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(answer)),
              std::string(full).substr(0, static_cast<std::size_t>(answer)));
    if (answer < c.room - 1) {
      EXPECT_EQ(buffer[answer], '\0');
    }
  }
  SetLastError(0);
  EXPECT_EQ(GetMenuStringA(menu_, 99, nullptr, 0, MF_BYCOMMAND), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MENU_ITEM_NOT_FOUND));
}

TEST_F(MenuTest, MenuItemInfoReadsAndWrites) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STATE;
  ASSERT_TRUE(GetMenuItemInfoA(menu_, 3, TRUE, &info));
  EXPECT_EQ(info.cch, 5u) << "no buffer: the length";
  EXPECT_EQ(info.hSubMenu, sub_);
  EXPECT_EQ(info.fType, static_cast<UINT>(MFT_STRING));
  EXPECT_EQ(info.fState, 0u);

  char buffer[64];
  std::memset(buffer, 'x', sizeof buffer);
  info.fMask = MIIM_STRING;
  info.dwTypeData = buffer;
  info.cch = 3;
  ASSERT_TRUE(GetMenuItemInfoA(menu_, 3, TRUE, &info));
  EXPECT_EQ(info.cch, 2u);
  EXPECT_EQ(std::string(buffer, 2), "&M");
  info.cch = sizeof buffer;
  ASSERT_TRUE(GetMenuItemInfoA(menu_, 2, TRUE, &info));
  EXPECT_EQ(info.cch, 11u);
  EXPECT_STREQ(buffer, "Play &sound");

  info.fMask = MIIM_STRING | MIIM_FTYPE;
  info.cch = sizeof buffer;
  ASSERT_TRUE(GetMenuItemInfoA(menu_, 1, TRUE, &info));
  EXPECT_EQ(info.fType, static_cast<UINT>(MFT_SEPARATOR));
  EXPECT_EQ(info.cch, 0u);
  EXPECT_STREQ(buffer, "");

  // Caption, state, id and data written at once, then read by the new id.
  char caption[] = "New &caption";
  MENUITEMINFOA change{};
  change.cbSize = sizeof change;
  change.fMask = MIIM_STRING | MIIM_STATE | MIIM_ID | MIIM_DATA;
  change.dwTypeData = caption;
  change.fState = MFS_CHECKED;
  change.wID = 42;
  change.dwItemData = 0x1234;
  ASSERT_TRUE(SetMenuItemInfoA(menu_, 0, TRUE, &change));
  EXPECT_EQ(Caption(menu_, 42, MF_BYCOMMAND), "New &caption");
  EXPECT_EQ(GetMenuState(menu_, 42, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));
  MENUITEMINFOA read{};
  read.cbSize = sizeof read;
  read.fMask = MIIM_DATA | MIIM_ID;
  ASSERT_TRUE(GetMenuItemInfoA(menu_, 42, FALSE, &read));
  EXPECT_EQ(read.dwItemData, 0x1234u);
  EXPECT_EQ(read.wID, 42u);

  change.fMask = MIIM_STATE;
  change.fState = MFS_GRAYED;
  ASSERT_TRUE(SetMenuItemInfoA(menu_, 42, FALSE, &change));
  EXPECT_EQ(GetMenuState(menu_, 42, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED | MF_DISABLED));

  // An item given a submenu opens it and has no id of its own any more.
  HMENU extra = CreatePopupMenu();
  change.fMask = MIIM_SUBMENU;
  change.hSubMenu = extra;
  ASSERT_TRUE(SetMenuItemInfoA(menu_, 4, TRUE, &change));
  EXPECT_EQ(GetSubMenu(menu_, 4), extra);
  EXPECT_EQ(GetMenuItemID(menu_, 4), kNoItem);

  SetLastError(0);
  info.cbSize = 4;
  EXPECT_FALSE(GetMenuItemInfoA(menu_, 0, TRUE, &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  info.cbSize = sizeof info;
  SetLastError(0);
  EXPECT_FALSE(GetMenuItemInfoA(menu_, 99, FALSE, &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MENU_ITEM_NOT_FOUND));
  EXPECT_FALSE(SetMenuItemInfoA(menu_, 99, FALSE, &change));
}

TEST_F(MenuTest, CheckMenuItemAnswersThePreviousState) {
  const DWORD kChecked = MF_CHECKED;
  const DWORD kUnchecked = MF_UNCHECKED;
  EXPECT_EQ(CheckMenuItem(menu_, 2, MF_UNCHECKED), kChecked);
  EXPECT_EQ(CheckMenuItem(menu_, 2, MF_UNCHECKED), kUnchecked);
  EXPECT_EQ(GetMenuState(menu_, 2, MF_BYCOMMAND), 0u);
  EXPECT_EQ(CheckMenuItem(menu_, 12, MF_BYCOMMAND | MF_CHECKED), kUnchecked) << "in the submenu";
  EXPECT_EQ(GetMenuState(sub_, 1, MF_BYPOSITION), static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(menu_, 0, MF_BYPOSITION | MF_CHECKED), kUnchecked);
  EXPECT_EQ(GetMenuState(menu_, 1, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(menu_, 99, MF_CHECKED), static_cast<DWORD>(kNoItem));
  EXPECT_EQ(CheckMenuItem(menu_, 9, MF_BYPOSITION | MF_CHECKED), static_cast<DWORD>(kNoItem));
}

TEST_F(MenuTest, ModifyMenuReplacesAnItem) {
  ASSERT_TRUE(ModifyMenuA(menu_, 12, MF_BYCOMMAND | MF_STRING | MF_CHECKED, 13, "Changed"));
  EXPECT_EQ(Caption(sub_, 1, MF_BYPOSITION), "Changed");
  EXPECT_EQ(GetMenuItemID(sub_, 1), 13u);
  EXPECT_EQ(GetMenuState(sub_, 1, MF_BYPOSITION), static_cast<UINT>(MF_CHECKED));
  ASSERT_TRUE(ModifyMenuA(menu_, 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr));
  EXPECT_EQ(GetMenuState(menu_, 0, MF_BYPOSITION), kSeparatorState);
  EXPECT_EQ(GetMenuItemCount(menu_), 5);
  EXPECT_FALSE(ModifyMenuA(menu_, 9, MF_BYPOSITION | MF_STRING, 1, "x"));
  EXPECT_FALSE(ModifyMenuA(menu_, 99, MF_BYCOMMAND | MF_STRING, 1, "x"));
}

TEST(MenuBar, BelongsToItsWindowAndGoesWithIt) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TarnivoTestMenuBar";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                wc.hInstance, nullptr);
  HWND child = CreateWindowExA(0, wc.lpszClassName, "", WS_CHILD, 0, 0, 10, 10, window, nullptr,
                               wc.hInstance, nullptr);
  ASSERT_TRUE(window && child);
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuA(file, MF_STRING, 1, "E&xit"));
  ASSERT_TRUE(AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File"));

  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_TRUE(SetMenu(window, bar));
  EXPECT_EQ(GetMenu(window), bar);
  EXPECT_TRUE(SetMenu(window, nullptr));
  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_EQ(GetMenuItemCount(bar), 1) << "taking a menu bar away does not destroy it";
  EXPECT_TRUE(SetMenu(window, bar));
  EXPECT_FALSE(SetMenu(child, bar)) << "child windows have no menu bar";

  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(GetMenuItemCount(bar), -1);
  EXPECT_EQ(GetMenuItemCount(file), -1);
  EXPECT_TRUE(UnregisterClassA(wc.lpszClassName, wc.hInstance));
}

}  // namespace
