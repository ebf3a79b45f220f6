// The band's toolbar: its buttons and images, the drop-down menus, the count button, and the
// keys and commands that reach the band.
#include <gtest/gtest.h>

#include "support/band_fixture.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {
namespace {

class ToolbarWindowTest : public testing_support::BandTest {
 protected:
  std::vector<int> Images() {
    auto list =
        reinterpret_cast<HIMAGELIST>(SendMessageA(band->ToolbarWindow(), TB_GETIMAGELIST, 0, 0));
    return backend::ImageListIconIds(list);
  }

  // Chooses the entry with this caption in the next menus shown ("" chooses none).
  static void Choose(const std::string& caption) {
    backend::SetMenuChooser([caption](HMENU menu, int, int, UINT) -> UINT {
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
        if (caption == text) return GetMenuItemID(menu, i);
      }
      return 0;
    });
  }
};

TEST_F(ToolbarWindowTest, ThreeButtonsAndTheImagesOfTheBlockingState) {
  Start("1", "0");
  EXPECT_EQ(band->ButtonCount(), 3);
  EXPECT_EQ(Images(), (std::vector<int>{103, 101}));
  TBBUTTON button = {};
  SendMessageA(band->ToolbarWindow(), TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&button));
  EXPECT_EQ(button.idCommand, 0);
  EXPECT_EQ(button.fsState, TBSTATE_PRESSED);
  EXPECT_EQ(band->ButtonIndex(2), 2);
  EXPECT_EQ(band->ButtonIndex(7), 0);

  Reset();
  Start("0", "0");
  EXPECT_EQ(Images(), (std::vector<int>{104, 105}));

  Reset();
  Start("x", "0");
  EXPECT_EQ(band->ButtonCount(), 0) << "a switch that is not a number leaves it empty";
}

TEST_F(ToolbarWindowTest, BlockShowsTheBlockedImageOnceAndRepaints) {
  Start("1", "0");
  band->ShowDW(true);
  Page("ads.example");
  EXPECT_EQ(Popup(), "blocked");
  EXPECT_EQ(Images(), (std::vector<int>{103, 102}));
  EXPECT_EQ(band->Redraws(), 1);
  EXPECT_TRUE(band->Visible());
  band->SetIcone(1);
  EXPECT_EQ(band->ImageLoads(), 2) << "writing the same set again loads nothing";
}

TEST_F(ToolbarWindowTest, CountButtonShowsTheStoredCount) {
  Start("1", "0", "0");
  backend::ClickToolbarButton(band->ToolbarWindow(), 2);
  EXPECT_EQ(backend::MessageBoxes(), 0) << "a count of 0 shows nothing";

  ModReg::SetKeyValue(kSettingsKey, "processNC", std::string("7"), REG_SZ);
  backend::ClickToolbarButton(band->ToolbarWindow(), 2);
  ASSERT_EQ(backend::MessageBoxes(), 1);
  EXPECT_EQ(backend::LastMessageBox().text, "Blocked a total of 7 popups!!");
  EXPECT_EQ(backend::LastMessageBox().caption, "Tarnivo");
  EXPECT_EQ(backend::LastMessageBox().type & 0xF0u, MB_ICONEXCLAMATION);
  EXPECT_EQ(backend::BeepCount(), 1);

  band->Enabled = "0";
  backend::ClickToolbarButton(band->ToolbarWindow(), 2);
  EXPECT_EQ(backend::MessageBoxes(), 1) << "blocking off: nothing";
}

TEST_F(ToolbarWindowTest, MainButtonSwitchesBlocking) {
  Start("1", "0");
  backend::ClickToolbarButton(band->ToolbarWindow(), 1);
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNR"), std::string("0\0", 2));
  EXPECT_EQ(frmToolbar::Loaded()->Caption("tete"), "Enable Tarnivo");
}

TEST_F(ToolbarWindowTest, ArrowDropsTheMainMenuWithTheCount) {
  Start("1", "1", "12");
  backend::ClickToolbarArrow(band->ToolbarWindow(), 1);
  const std::vector<std::string> menu = {"Disable Tarnivo",
                                         "Block All",
                                         "-",
                                         "Allow URL",
                                         "Allowed URLs",
                                         "Block ActiveX Dialog",
                                         "Blocked ActiveX URLs",
                                         "-",
                                         "English",
                                         "About",
                                         "-",
                                         "Blocked a total of 12 popups"};
  EXPECT_EQ(backend::LastMenuShown(), menu);
  EXPECT_EQ(band->Redraws(), 1);
}

TEST_F(ToolbarWindowTest, ChoosingTheMasterSwitchFromTheMenu) {
  Start("1", "0");
  Choose("Disable Tarnivo");
  backend::ClickToolbarArrow(band->ToolbarWindow(), 1);
  backend::RunPending();
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNR"), std::string("0\0", 2));
}

TEST_F(ToolbarWindowTest, AltKAndAltSOpenTheTwoMenusOnTheKeyGoingDownAndUp) {
  Start("1", "0");
  MSG msg = {};
  msg.message = WM_SYSKEYDOWN;
  msg.wParam = 'S';
  band->TranslateAcceleratorIO(msg);
  EXPECT_EQ(backend::LastMenuShown(),
            (std::vector<std::string>{"&1 google.com", "&2 groups.google.com"}));
  msg.message = WM_SYSKEYDOWN;
  msg.wParam = 'K';
  band->TranslateAcceleratorIO(msg);
  EXPECT_EQ(backend::MenusShown(), 2);
  EXPECT_EQ(backend::LastMenuShown().front(), "Disable Tarnivo");
  msg.message = WM_SYSKEYUP;
  msg.wParam = 'S';
  band->TranslateAcceleratorIO(msg);
  EXPECT_EQ(backend::MenusShown(), 3) << "the release drops the menu again";
  EXPECT_EQ(backend::LastMenuShown().front(), "&1 google.com");
  msg.wParam = 'K';
  band->TranslateAcceleratorIO(msg);
  EXPECT_EQ(backend::MenusShown(), 4);
  EXPECT_EQ(backend::LastMenuShown().front(), "Disable Tarnivo");
  msg.message = WM_KEYUP;
  band->TranslateAcceleratorIO(msg);
  EXPECT_EQ(backend::MenusShown(), 4) << "K without Alt opens nothing";
}

TEST_F(ToolbarWindowTest, ForwardedKeysReachTheFocusWindow) {
  Start("1", "0");
  struct Seen {
    static LRESULT CALLBACK Proc(HWND, UINT m, WPARAM w, LPARAM) {
      if (m == WM_CHAR || m == WM_KEYDOWN) log().push_back({m, w});
      return 0;
    }
    static std::vector<std::pair<UINT, WPARAM>>& log() {
      static std::vector<std::pair<UINT, WPARAM>> entries;
      return entries;
    }
  };
  Seen::log().clear();
  band->UIActivateIO(true);
  ASSERT_EQ(GetFocus(), band->ToolbarWindow());
  SetWindowLongPtrA(band->ToolbarWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Seen::Proc));
  for (WPARAM key : {WPARAM{VK_BACK}, WPARAM{VK_UP}, WPARAM{'A'}, WPARAM{VK_DELETE}}) {
    MSG msg = {};
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    band->TranslateAcceleratorIO(msg);
  }
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_CHAR, VK_BACK}, {WM_KEYDOWN, VK_UP}, {WM_KEYDOWN, VK_DELETE}};
  EXPECT_EQ(Seen::log(), expected);
}

TEST_F(ToolbarWindowTest, EditLosingTheFocusIsReported) {
  Start("1", "0");
  SendMessageA(frmToolbar::Loaded()->hWnd(), WM_COMMAND, MAKEWPARAM(5, EN_KILLFOCUS), 0);
  ASSERT_EQ(backend::MessageBoxes(), 1);
  EXPECT_EQ(backend::LastMessageBox().text, "sem foco");
}

TEST_F(ToolbarWindowTest, TwoWindowsOnOneThreadEachAnswerTheirOwnToolbar) {
  Start("1", "0", "3");
  auto second = std::make_unique<CToolbar>();
  second->SetSite(std::make_shared<sim::SimSite>(std::make_shared<sim::SimBrowser>()));
  backend::ClickToolbarButton(second->ToolbarWindow(), 2);
  EXPECT_EQ(backend::MessageBoxes(), 1);
  backend::ClickToolbarArrow(band->ToolbarWindow(), 1);
  EXPECT_EQ(backend::MenusShown(), 1);
  backend::ClickToolbarButton(band->ToolbarWindow(), 1);
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNR"), std::string("0\0", 2))
      << "one press switches blocking once";
  second->SetSite(nullptr);
}

TEST_F(ToolbarWindowTest, ClosingRemovesTheToolbarAndItsHooks) {
  Start("1", "0");
  HWND form = frmToolbar::Loaded()->hWnd();
  HWND toolbar = band->ToolbarWindow();
  band->CloseDW();
  EXPECT_FALSE(IsWindow(toolbar));
  EXPECT_EQ(band->ToolbarWindow(), nullptr);
  EXPECT_FALSE(IsWindow(form));
}

}  // namespace
}  // namespace tarnivo
