// The new-window decision, driven through the simulated browser as a page and a user would.
#include <gtest/gtest.h>

#include "support/band_fixture.h"

#include <memory>
#include <string>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "simulated_browser.h"
#include "server/toolbar.h"
#include "store/mod_reg.h"
#include "store/settings.h"
#include "store/site_list.h"

namespace tarnivo {
namespace {

using Outcome = sim::SimBrowser::PopupOutcome;

class NewWindowTest : public testing_support::BandTest {};

TEST_F(NewWindowTest, BlockingOffLeavesCancelAndCountsNothing) {
  Start("0", "0", "4");
  Page("ads.example");
  EXPECT_EQ(Popup(), "passed");
  EXPECT_EQ(backend::BeepCount(), 0);
  EXPECT_EQ(StoredCount(), 4);
}

TEST_F(NewWindowTest, BlockCancelsBeepsRedrawsOnceAndCounts) {
  Start("1", "0", "41");
  Page("ads.example", "A");
  EXPECT_EQ(band->Icone(), 103);
  EXPECT_EQ(Popup(), "blocked");
  EXPECT_EQ(backend::BeepCount(), 1);
  EXPECT_EQ(band->Icone(), 1);
  EXPECT_EQ(band->Redraws(), 1);
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNC"), std::string("42\0", 3));
  EXPECT_EQ(Shared().BlockedCount, 42);

  EXPECT_EQ(Popup(), "blocked");
  EXPECT_EQ(band->Redraws(), 1) << "the blocked image is already on show";
  EXPECT_EQ(band->ImageLoads(), 2);
  EXPECT_EQ(StoredCount(), 43);
}

TEST_F(NewWindowTest, CountIsReadBackBeforeEachIncrement) {
  Start("1", "1", "5");
  Page("ads.example");
  // Another browser process adds to the stored total in between.
  ModReg::SetKeyValue(kSettingsKey, "processNC", std::string("100"), REG_SZ);
  EXPECT_EQ(Popup(), "blocked");
  EXPECT_EQ(StoredCount(), 101);
}

TEST_F(NewWindowTest, CountStaysAtTheLargest32BitValue) {
  Start("1", "1", "2147483647");
  Page("ads.example");
  EXPECT_EQ(Popup(), "blocked");
  EXPECT_EQ(StoredCount(), 2147483647);
  ModReg::SetKeyValue(kSettingsKey, "processNC", std::string("99999999999"), REG_SZ);
  EXPECT_EQ(Popup(), "blocked");
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNC"), std::string("2147483647\0", 11));
}

struct SiteCase {
  const char* domain;
  const char* entry;
  const char* outcome;
};

TEST_F(NewWindowTest, AllowedSitesByBothProbes) {
  const SiteCase cases[] = {
      {"www.example.com", "*.example.com", "allowed"},
      {"ads.example.com", "*.example.com", "allowed"},
      {"example.com", "*.EXAMPLE.COM", "allowed"},
      {"www.example.com", "*.example.com.br", "allowed"},  // prefix match
      {"www.shop.example.co.uk", "shop.example.co.uk", "allowed"},
      {"www.example.com", "example.com", "allowed"},
      {"ads.example.com", "example.com", "blocked"},
      {"example.org", "*.example.com", "blocked"},
      {"", "*.", "blocked"},  // an empty domain makes no probe
  };
  for (const SiteCase& c : cases) {
    Reset();
    Start("1", "1");
    AllowedSites().Add(c.entry);
    Page(c.domain);
    EXPECT_EQ(Popup(), c.outcome) << c.domain << " with " << c.entry;
    band->SetSite(nullptr);
  }
}

TEST_F(NewWindowTest, UnreadableDomainOrNoDocumentIsNotAllowed) {
  Start("1", "1");
  AllowedSites().Add("*.");
  AllowedSites().Add("");
  auto document = std::make_shared<sim::SimDocument>();
  document->SetDomain("", false);
  browser->SetDocument(document);
  EXPECT_EQ(Popup(), "blocked");
  browser->SetDocument(nullptr);
  EXPECT_EQ(Popup(), "blocked");
}

TEST_F(NewWindowTest, BlockAllIgnoresEveryUserSign) {
  Start("1", "1");
  Page("ads.example", "A");
  band->AllowNextPopup = true;
  Shared().UserActionFlag = true;
  backend::PressKey(VK_CONTROL);
  EXPECT_EQ(Popup(), "blocked");
  EXPECT_TRUE(band->AllowNextPopup);
  EXPECT_TRUE(Shared().UserActionFlag) << "a block at Block All does not clear the credit";
}

TEST_F(NewWindowTest, LevelThatIsNotANumberCountsAsBlockAll) {
  Start("1", "abc");
  Page("ads.example");
  Shared().UserActionFlag = true;
  EXPECT_EQ(Popup(), "blocked");
}

TEST_F(NewWindowTest, RightClickPassLetsOnePopupThrough) {
  Start("1", "0");
  Page("ads.example");
  band->AllowNextPopup = true;
  EXPECT_EQ(Popup(), "allowed");
  EXPECT_FALSE(band->AllowNextPopup);
  EXPECT_EQ(Popup(), "blocked");
}

TEST_F(NewWindowTest, CtrlHeldPassesWithoutTouchingAnything) {
  Start("1", "0", "3");
  Page("ads.example");
  Shared().UserActionFlag = true;
  backend::PressKey(VK_CONTROL);
  EXPECT_EQ(Popup(), "passed");
  EXPECT_TRUE(Shared().UserActionFlag);
  EXPECT_EQ(StoredCount(), 3);
  EXPECT_EQ(backend::BeepCount(), 0);
}

struct CreditCase {
  const char* focus;  // "" for no focused element
  bool credit;
  bool buttonDown;
  const char* outcome;
};

TEST_F(NewWindowTest, UserActionCredit) {
  const CreditCase cases[] = {
      {"A", true, false, "allowed"},        {"a", true, false, "allowed"},
      {"", true, false, "allowed"},         {"INPUT", true, false, "allowed"},
      {"BODY", true, false, "blocked"},     {"body", true, false, "blocked"},
      {"FRAMESET", true, false, "blocked"}, {"A", true, true, "blocked"},
      {"A", false, false, "blocked"},
  };
  for (const CreditCase& c : cases) {
    Reset();
    Start("1", "0");
    Page("ads.example", c.focus);
    Shared().UserActionFlag = c.credit;
    if (c.buttonDown) backend::PressKey(VK_LBUTTON);
    EXPECT_EQ(Popup(), c.outcome) << "focus " << c.focus << " credit " << c.credit;
    EXPECT_FALSE(Shared().UserActionFlag) << "the decision uses up the credit";
    band->SetSite(nullptr);
  }
}

TEST_F(NewWindowTest, SecondPopupFromOneClickIsBlocked) {
  Start("1", "0");
  Page("ads.example", "A");
  Shared().UserActionFlag = true;
  EXPECT_EQ(Popup(), "allowed");
  EXPECT_EQ(Popup(), "blocked");
}

TEST_F(NewWindowTest, ButtonPressedSinceLastQueryCountsAsPressed) {
  Start("1", "0");
  Page("ads.example", "A");
  Shared().UserActionFlag = true;
  backend::PressKey(VK_LBUTTON);
  backend::ReleaseKey(VK_LBUTTON);  // a click the browser has not looked at yet
  EXPECT_EQ(Popup(), "blocked");
}

// The left button is queried only when the decision reaches it: a decision that ends before
// leaves the "pressed since the last query" bit of a fresh click to the mouse watch.
TEST_F(NewWindowTest, ButtonIsQueriedOnlyWhenTheDecisionReachesIt) {
  const struct {
    const char* enabled;
    const char* level;
    bool ctrl;
    const char* focus;
    bool credit;
    bool queried;
  } cases[] = {
      {"0", "0", false, "A", true, false},         // blocking off
      {"1", "1", false, "A", true, false},         // Block All
      {"1", "0", true, "A", true, false},          // Ctrl held
      {"1", "0", false, "FRAMESET", true, false},  // a frameset fails first
      {"1", "0", false, "A", false, false},        // no credit
      {"1", "0", false, "A", true, true},          // the credit: the button is asked
  };
  for (const auto& c : cases) {
    Reset();
    Start(c.enabled, c.level);
    Page("ads.example", c.focus);
    Shared().UserActionFlag = c.credit;
    if (c.ctrl) backend::PressKey(VK_CONTROL);
    backend::PressKey(VK_LBUTTON);
    backend::ReleaseKey(VK_LBUTTON);  // a click the watch has not looked at yet
    Popup();
    EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON) == 0, c.queried)
        << "enabled " << c.enabled << " level " << c.level << " ctrl " << c.ctrl << " focus "
        << c.focus << " credit " << c.credit;
    band->SetSite(nullptr);
  }
}

TEST_F(NewWindowTest, ScrollLockGivesOneFreePassEvenWithBlockingOff) {
  for (const char* enabled : {"0", "1"}) {
    Reset();
    Start(enabled, "1");
    Page("ads.example");
    backend::SetScrollLock(true);
    EXPECT_EQ(Popup(), "allowed");
    EXPECT_FALSE(ScrollLockIsOn());
    EXPECT_EQ(Popup(), std::string(enabled) == "1" ? "blocked" : "passed");
    band->SetSite(nullptr);
  }
}

TEST_F(NewWindowTest, DecisionClearsScriptNavigationSeenPastTheMasterSwitch) {
  Start("0", "0");
  Page("ads.example");
  band->ScriptNavigationSeen = 1;
  Popup();
  EXPECT_EQ(band->ScriptNavigationSeen, 1);
  band->Enabled = "1";
  Popup();
  EXPECT_EQ(band->ScriptNavigationSeen, 0);
}

TEST_F(NewWindowTest, TwoWindowsAddToOneStoredCount) {
  Start("1", "1", "0");
  Page("ads.example");
  auto second = std::make_unique<CToolbar>();
  auto secondBrowser = std::make_shared<sim::SimBrowser>();
  second->SetSite(std::make_shared<sim::SimSite>(secondBrowser));
  auto document = std::make_shared<sim::SimDocument>();
  document->SetDomain("other.example");
  secondBrowser->SetDocument(document);

  EXPECT_EQ(Popup(), "blocked");
  EXPECT_EQ(secondBrowser->RaiseNewWindow2(), Outcome::Blocked);
  EXPECT_EQ(Popup(), "blocked");
  EXPECT_EQ(StoredCount(), 3);
  second->SetSite(nullptr);
}

TEST_F(NewWindowTest, UnsitedBandHearsNoMorePopups) {
  Start("1", "1");
  Page("ads.example");
  band->AllowNextPopup = true;
  Shared().UserActionFlag = true;
  band->SetSite(nullptr);
  EXPECT_FALSE(band->AllowNextPopup);
  EXPECT_FALSE(Shared().UserActionFlag);
  EXPECT_EQ(browser->ConnectedSinks(), 0);
  EXPECT_EQ(Popup(), "passed");
}

}  // namespace
}  // namespace tarnivo
