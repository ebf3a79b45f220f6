// The hidden toolbar form: its loading, menus, and the watch timers on the virtual clock.
#include <gtest/gtest.h>

#include "engine/activex_screen.h"
#include "store/read_ini.h"
#include "support/band_fixture.h"
#include "ui/toolbar/mod_menu.h"

namespace tarnivo {
namespace {

// The text of script `index` of `page`.
std::string ScriptText(const sim::SimDocument& page, std::size_t index) {
  std::string text;
  host::GetTextProperty(*page.Scripts().at(index), "Text", &text);
  return text;
}

class ToolbarFormTest : public testing_support::BandTest {
 protected:
  static frmToolbar& Form() { return *frmToolbar::Loaded(); }

  // A window of `className` under the mouse cursor, as the page or another window would be.
  HWND PointAt(const std::string& className) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className.c_str();
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, className.c_str(), "", WS_POPUP | WS_VISIBLE, 100, 100, 400,
                                  300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    windows_.push_back(window);
    backend::MoveCursorOver(window);
    return window;
  }

  void TearDown() override {
    for (HWND window : windows_) DestroyWindow(window);
    BandTest::TearDown();
  }

  std::vector<HWND> windows_;
};

TEST_F(ToolbarFormTest, MenuTreeAtItsEnglishDefaults) {
  Start("1", "1", "0");
  frmToolbar& form = Form();
  const std::vector<std::string> names = {
      "mnuFile",   "mnuSearch", "tete",     "mnuNivel", "mnuLib",  "mnuSites",   "mnuAX",
      "mnuAXSite", "mnuLang",   "mnuSOBRE", "mnu_List", "mnuPops", "mnuSite(0)", "mnuSite(1)"};
  EXPECT_EQ(form.EntryNames(), names);
  const std::pair<const char*, const char*> captions[] = {
      {"mnuFile", "File"},
      {"mnuSearch", "Search"},
      {"tete", "Disable Tarnivo"},
      {"mnuNivel", "Block All"},
      {"mnuLib", "Allow URL"},
      {"mnuSites", "Allowed URLs"},
      {"mnuAX", "Block ActiveX Dialog"},
      {"mnuAXSite", "Blocked ActiveX URLs"},
      {"mnuLang", "English"},
      {"mnuSOBRE", "About"},
      {"mnu_List", "-"},
      {"mnuPops", ""},
      {"mnuSite(0)", "&1 google.com"},
      {"mnuSite(1)", "&2 groups.google.com"},
  };
  for (const auto& [name, caption] : captions) EXPECT_EQ(form.Caption(name), caption) << name;
  EXPECT_EQ(form.Tag("mnuSite(1)"), "http://groups.google.com/groups?q=<searchstring>");
  EXPECT_EQ(GetMenuItemCount(form.FileMenu()), 12);
  EXPECT_EQ(GetMenuItemCount(form.SearchMenu()), 2);
}

// Writes a language file `name`.tnk in C:\Tarnivo\languages, where `path` C:\Tarnivo points.
void WriteLanguage(const std::string& name, const std::string& bytes) {
  CreateDirectoryA("C:\\Tarnivo", nullptr);
  CreateDirectoryA("C:\\Tarnivo\\languages", nullptr);
  const std::string path = "C:\\Tarnivo\\languages\\" + name + ".tnk";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

TEST_F(ToolbarFormTest, MenuTextsFromTheChosenLanguageWithDefaultsAndPairRules) {
  const struct {
    std::string file;
    std::vector<std::pair<const char*, const char*>> captions;
  } cases[] = {
      // Every key given; an empty one and a missing one take their English defaults.
      {"[menu]\r\nnactivate=Desativar\r\nactivate=Ativar\r\nlevel1=Normal\r\n"
       "level2=Bloquear tudo\r\nallow=Permitir site\r\nsitelist=\r\n"
       "about=Sobre\r\n",
       {{"tete", "Desativar"},
        {"mnuNivel", "Normal"},
        {"mnuLib", "Permitir site"},
        {"mnuSites", "Allowed URLs"},
        {"mnuAX", "Block ActiveX Dialog"},
        {"mnuSOBRE", "Sobre"},
        {"mnuLang", "Portugu\xEAs"}}},
      // Equal texts of a pair: both of that pair in English; the other pair is kept.
      {"[menu]\r\nnactivate=Um\r\nactivate=Um\r\nlevel1=A\r\nlevel2=B\r\n",
       {{"tete", "Disable Tarnivo"}, {"mnuNivel", "A"}}},
      {"[menu]\r\nactivate=Disable Tarnivo\r\nlevel2=Normal\r\n",
       {{"tete", "Disable Tarnivo"}, {"mnuNivel", "Normal"}}},
  };
  for (const auto& c : cases) {
    WriteLanguage("Portugu\xEAs", c.file);
    Store("1", "0");
    ModReg::SetKeyValue(kSettingsKey, "path", "C:\\Tarnivo", REG_SZ);
    ModReg::SetKeyValue(kSettingsKey, "Lang", "Portugu\xEAs", REG_SZ);
    Start("1", "0");
    for (const auto& [name, caption] : c.captions)
      EXPECT_EQ(Form().Caption(name), caption) << name << " in " << c.file;
    Close();
  }
  // The equal pair: the switch still toggles between its two English texts.
  WriteLanguage("Portugu\xEAs", "[menu]\r\nnactivate=Um\r\nactivate=Um\r\n");
  Start("1", "0");
  EXPECT_EQ(Form().TextActivate, "Enable Tarnivo");
  EXPECT_EQ(Form().TextNActivate, "Disable Tarnivo");
  EXPECT_EQ(Form().TextLevel2, "Block All");
}

TEST_F(ToolbarFormTest, MenusInAShippedLanguage) {
  // The shipped Deutsch file, as the toolbar finds it in the languages folder of the stored
  // installation.
  Start("1", "1", "7");
  Language().LanguageFolder = TARNIVO_LANGUAGES_DIR "/";
  Language().CurrentLanguage = "Deutsch";
  Form().SetTexts(LanguageFile());
  EXPECT_EQ(Form().Caption("tete"), "Tarnivo ausschalten");
  EXPECT_EQ(Form().Caption("mnuLib"), "Diese Seite erlauben");
  EXPECT_EQ(Form().Caption("mnuSOBRE"),
            "\xDC"
            "ber Tarnivo");
  EXPECT_EQ(Form().Caption("mnuLang"), "Deutsch");
  EXPECT_EQ(Form().TextLevel2, "Alles blockieren");
  EXPECT_EQ(Form().TextPopup1, "Bisher blockiert:");
}

TEST_F(ToolbarFormTest, SearchBoxAndEnginesOfTheForm) {
  Start("1", "0");
  frmToolbar& form = Form();
  const HWND box = form.SearchBox();
  ASSERT_NE(box, nullptr);
  char text[64] = {};
  GetWindowTextA(box, text, sizeof text);
  EXPECT_STREQ(text, "Type your search string here");
  ASSERT_EQ(SendMessageA(box, CB_GETCOUNT, 0, 0), 3);
  const char* const items[] = {"aaa", "bbb", "ccc"};
  for (int i = 0; i < 3; ++i) {
    char item[16] = {};
    SendMessageA(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, items[i]);
    EXPECT_EQ(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0), 0);
  }
  EXPECT_EQ(GetParent(box), form.hWnd()) << "on the hidden form, not in the toolbar";
  HWND field = box;
  form.SetSearchField(field);
  EXPECT_EQ(form.SearchField(), box);
  EXPECT_FALSE(form.HasFocus());
  // Choosing an engine changes nothing.
  const std::vector<std::string> before = {form.Caption("mnuSite(0)"), form.Caption("mnuSite(1)")};
  SendMessageA(form.hWnd(), WM_COMMAND, GetMenuItemID(form.SearchMenu(), 1), 0);
  EXPECT_EQ(before,
            (std::vector<std::string>{form.Caption("mnuSite(0)"), form.Caption("mnuSite(1)")}));
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNR"), std::string("1\0", 2));
}

TEST_F(ToolbarFormTest, LoadFollowsTheStoredSettings) {
  Store("0", "0", "0", "1");
  backend::SetScrollLock(true);
  band = std::make_unique<CToolbar>();
  browser = std::make_shared<sim::SimBrowser>();
  band->SetSite(std::make_shared<sim::SimSite>(browser));
  frmToolbar& form = Form();
  EXPECT_EQ(form.Caption("tete"), "Enable Tarnivo");
  EXPECT_EQ(form.Caption("mnuNivel"), "Normal");
  EXPECT_TRUE(form.Checked("mnuAX"));
  EXPECT_FALSE(ScrollLockIsOn()) << "Scroll Lock on at load is switched off";
  EXPECT_TRUE(form.TimerEnabled(1));
  EXPECT_FALSE(form.TimerEnabled(2));
  EXPECT_FALSE(form.TimerEnabled(3));
  EXPECT_EQ(band->Redraws(), 0) << "no toolbar to repaint yet while the form loads";
}

TEST_F(ToolbarFormTest, LoadCreatesTheListFileAndLoadsItOnce) {
  Start("1", "0");
  EXPECT_TRUE(SiteListExists(SiteListFile()));
  AllowedSites().Add("*.kept.example");
  SaveSiteLists();
  // Another window on the same thread after the first closed: the lists are not doubled.
  Close();
  Start("1", "0");
  EXPECT_EQ(AllowedSites().Texts(), std::vector<std::string>{"*.kept.example"});
}

TEST_F(ToolbarFormTest, MasterSwitchFollowsItsCaption) {
  Start("1", "0");
  frmToolbar& form = Form();
  form.tete_Click();
  EXPECT_EQ(form.Caption("tete"), "Enable Tarnivo");
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNR"), std::string("0\0", 2));
  form.tete_Click();
  EXPECT_EQ(form.Caption("tete"), "Disable Tarnivo");
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNR"), std::string("1\0", 2));
  EXPECT_EQ(band->Enabled, "1") << "the band follows at the settings timer's next tick";
}

TEST_F(ToolbarFormTest, FindSubMenuComparesCaptionsExactly) {
  Start("1", "0");
  frmToolbar& form = Form();
  EXPECT_EQ(FindSubMenu(form.hWnd(), "File"), form.FileMenu());
  EXPECT_EQ(FindSubMenu(form.hWnd(), "Search"), form.SearchMenu());
  EXPECT_EQ(FindSubMenu(form.hWnd(), "file"), nullptr);
  EXPECT_EQ(FindSubMenu(nullptr, "File"), nullptr);
}

TEST_F(ToolbarFormTest, GetInfoNamesTheWindowUnderTheCursor) {
  Start("1", "0");
  PointAt("Internet Explorer_Server");
  const std::string info = Form().GetInfo();
  EXPECT_EQ(info.size(), 100u);
  EXPECT_EQ(info.compare(0, 24, "Internet Explorer_Server"), 0);
}

struct PressCase {
  const char* windowClass;
  bool credit;
};

TEST_F(ToolbarFormTest, PressOverPageMenuOrControlOpensTheUserActionWindow) {
  const PressCase cases[] = {
      {"Internet Explorer_Server", true}, {"#32768", true}, {"ATL:0A1B2C3D", true}, {"Edit", false},
      {"Shell_TrayWnd", false},
  };
  for (const PressCase& c : cases) {
    Reset();
    Start("1", "0");
    PointAt(c.windowClass);
    Shared().UserActionFlag = !c.credit;
    backend::PressKey(VK_LBUTTON);
    backend::RunFor(25);
    EXPECT_EQ(Shared().UserActionFlag, c.credit) << c.windowClass;
    EXPECT_EQ(Form().TimerEnabled(2), c.credit) << c.windowClass;
    EXPECT_EQ(Form().TimerEnabled(1), !c.credit) << c.windowClass;
  }
}

TEST_F(ToolbarFormTest, ClickThenPopupWithinASecondIsAllowedButNotAfter) {
  const std::pair<unsigned, const char*> cases[] = {{900, "allowed"}, {1200, "blocked"}};
  for (const auto& [delay, outcome] : cases) {
    Reset();
    Start("1", "0");
    LoadedPage("news.example");
    PointAt("Internet Explorer_Server");
    backend::PressKey(VK_LBUTTON);
    backend::RunFor(40);
    backend::ReleaseKey(VK_LBUTTON);
    backend::RunFor(delay - 40);
    EXPECT_EQ(Popup(), outcome) << delay << " ms after the press";
  }
}

TEST_F(ToolbarFormTest, HeldButtonKeepsTheWatchClosedUntilRelease) {
  Start("1", "0");
  PointAt("Internet Explorer_Server");
  backend::PressKey(VK_LBUTTON);
  backend::RunFor(20);
  EXPECT_TRUE(Shared().UserActionFlag);
  backend::RunFor(1100);
  EXPECT_FALSE(Shared().UserActionFlag);
  backend::RunFor(1900);  // three seconds held
  EXPECT_FALSE(Form().TimerEnabled(1));
  EXPECT_TRUE(Form().TimerEnabled(2));
  EXPECT_FALSE(Shared().UserActionFlag);
  backend::ReleaseKey(VK_LBUTTON);
  backend::RunFor(1100);
  EXPECT_TRUE(Form().TimerEnabled(1));
  EXPECT_FALSE(Form().TimerEnabled(2));
}

TEST_F(ToolbarFormTest, PageScanShowsItsProgressInTheAboutCaption) {
  Start("1", "0");
  // ActiveX blocking is on: the settings timer keeps the page scan running.
  ModReg::SetKeyValue(kSettingsKey, "processAX", std::string("1"), REG_SZ);
  auto page = Page("news.example");
  page->AddScript("document.write('xxxtoolbar')", "");
  browser->SetBusy(true);
  browser->RaiseBeforeNavigate2("http://news.example/");
  Form().SetTimerEnabled(3, true);
  backend::RunFor(1000);
  EXPECT_EQ(Form().Caption("mnuSOBRE"), "About     2");
  EXPECT_EQ(Shared().ScanTicks, 2);
  EXPECT_EQ(ScriptText(*page, 0), "document.write('')");

  browser->SetBusy(false);
  backend::RunFor(500);
  EXPECT_EQ(Form().Caption("mnuSOBRE"), "About     IDLE");
  EXPECT_EQ(Shared().ScanTicks, 0);
  EXPECT_TRUE(Shared().PageComplete);
}

TEST_F(ToolbarFormTest, PageScanStopsTwentySecondsAfterTheNavigationStart) {
  Start("1", "0");
  // ActiveX blocking is on: the settings timer keeps the page scan running.
  ModReg::SetKeyValue(kSettingsKey, "processAX", std::string("1"), REG_SZ);
  auto page = Page("news.example");
  browser->SetBusy(true);
  browser->RaiseBeforeNavigate2("http://news.example/");
  Form().SetTimerEnabled(3, true);
  backend::RunFor(20500);
  page->AddScript("xxxtoolbar", "");
  backend::RunFor(500);
  EXPECT_EQ(ScriptText(*page, 0), "xxxtoolbar") << "past 20 seconds nothing is scanned";

  // With no navigation start recorded, the scan runs whenever the page loads.
  Shared().NavigationStart = 0;
  backend::RunFor(500);
  EXPECT_EQ(ScriptText(*page, 0), "");
}

TEST_F(ToolbarFormTest, TimersAreControlsOfTheFormThatTheSystemSwitches) {
  Start("1", "0");
  HWND form = Form().hWnd();
  HWND timers[frmToolbar::kTimerCount] = {};
  for (int timer = 1; timer <= frmToolbar::kTimerCount; ++timer) {
    const std::string name = "Timer" + std::to_string(timer);
    timers[timer - 1] = FindWindowExA(form, nullptr, TimerControl::kClassName, name.c_str());
    ASSERT_NE(timers[timer - 1], nullptr) << name;
    EXPECT_EQ(IsWindowEnabled(timers[timer - 1]) != FALSE, timer == 1) << name;
  }

  // The form's own switch is the window's state, and the window's state is the form's.
  Form().SetTimerEnabled(1, false);
  EXPECT_FALSE(IsWindowEnabled(timers[0]));
  Shared().UserActionFlag = true;
  EnableWindow(timers[1], TRUE);
  EXPECT_TRUE(Form().TimerEnabled(2));
  backend::RunFor(1100);
  EXPECT_FALSE(Shared().UserActionFlag) << "Timer2 switched on from outside ticked";
  EXPECT_TRUE(Form().TimerEnabled(1)) << "and switched the mouse watch back as its own code does";
  EXPECT_FALSE(Form().TimerEnabled(2));

  band->CloseDW();
  for (HWND timer : timers) EXPECT_FALSE(IsWindow(timer)) << "gone with the form";
}

TEST_F(ToolbarFormTest, UnloadStopsTimersAndForgetsTheBand) {
  Start("1", "0");
  Form().SetTimerEnabled(3, true);
  band->CloseDW();
  EXPECT_EQ(frmToolbar::Loaded(), nullptr);
  PointAt("Internet Explorer_Server");
  backend::PressKey(VK_LBUTTON);
  backend::RunFor(100);
  EXPECT_FALSE(Shared().UserActionFlag) << "no mouse watch once the form is gone";
}

}  // namespace
}  // namespace tarnivo

namespace tarnivo {
namespace {

// The settings timer's ticks, each 200 ms after the form's load.
class SettingsPollTest : public testing_support::BandTest {
 protected:
  static frmToolbar& Form() { return *frmToolbar::Loaded(); }
  static void StoreValue(const char* name, const std::string& text) {
    ModReg::SetKeyValue(kSettingsKey, name, text, REG_SZ);
  }
};

TEST_F(SettingsPollTest, EachTickBringsTheToolbarInLineWithTheStore) {
  const struct {
    const char* nr;  // processNR stored before the tick
    const char* ax;  // processAX
    const char* enabled;
    int icone;
    const char* tete;
    bool timer3;
    bool checked;
    int redraws;  // by the tick
  } cases[] = {
      {"0", "1", "0", 2, "Enable Tarnivo", false, false, 1},
      {"1", "1", "1", 103, "Disable Tarnivo", true, true, 0},  // no change: no flicker
      {"1", "0", "1", 103, "Disable Tarnivo", false, false, 0},
      {"10", "1", "1", 103, "Disable Tarnivo", true, true, 0},   // its first character counts
      {"x", "1", "x", 103, "Disable Tarnivo", false, false, 0},  // neither on nor off
  };
  for (const auto& c : cases) {
    Start("1", "0");
    StoreValue("processNR", c.nr);
    StoreValue("processAX", c.ax);
    StoreValue("processNL", "15");
    const int before = band->Redraws();
    backend::RunFor(199);
    EXPECT_EQ(band->Enabled, "1") << "no tick before 200 ms";
    backend::RunFor(1);
    EXPECT_EQ(band->Enabled, c.enabled) << c.nr;
    EXPECT_EQ(band->Icone(), c.icone) << c.nr;
    EXPECT_EQ(Form().Caption("tete"), c.tete) << c.nr;
    EXPECT_EQ(Form().TimerEnabled(3), c.timer3) << c.nr << c.ax;
    EXPECT_EQ(Form().Checked("mnuAX"), c.checked) << c.nr << c.ax;
    EXPECT_EQ(band->Redraws() - before, c.redraws) << c.nr;
    EXPECT_EQ(Shared().BlockLevel, "1") << "the level's first character";
    Close();
  }
}

TEST_F(SettingsPollTest, ADeletedKeyIsRestoredWithBlockingOn) {
  Start("0", "0");
  EXPECT_EQ(band->Icone(), 2);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
  backend::RunFor(200);
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNR"), std::string("1\0", 2));
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processAX"), std::string("1\0", 2));
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNL"), "") << "left missing";
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNC"), "");
  EXPECT_EQ(band->Enabled, "1");
  EXPECT_EQ(band->Icone(), 103);
  EXPECT_EQ(Form().Caption("tete"), "Disable Tarnivo");
}

TEST_F(SettingsPollTest, AFormWithoutItsBandStillFollowsTheSwitch) {
  Start("1", "0");
  ToolbarBand* const served = Form().m_Toolbar;
  Form().m_Toolbar = nullptr;
  StoreValue("processNR", "0");
  Form().SettingsTick();
  EXPECT_EQ(Form().Caption("tete"), "Enable Tarnivo");
  EXPECT_EQ(band->Enabled, "1") << "no band to bring in line";
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
  Form().SettingsTick();
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNR"), std::string("1\0", 2));
  Form().m_Toolbar = served;
}

TEST_F(SettingsPollTest, TheTimerRunsFromLoadToUnload) {
  Start("1", "0");
  EXPECT_TRUE(Form().SettingsTimerRunning());
  Close();
  EXPECT_EQ(frmToolbar::Loaded(), nullptr);
  // With the form gone no tick touches the store.
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
  backend::RunFor(1000);
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNR"), "");
}

}  // namespace
}  // namespace tarnivo
